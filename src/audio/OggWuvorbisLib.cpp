// The run-time binding to libvorbisfile.
#include "audio/OggWuvorbisLib.h"

#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

namespace {
std::unique_ptr<TVorbisFileDLL> gVorbisFile;

// The folder path made absolute, so the message names the file exactly.
std::string FullPath(const std::string& exeDir, const char* name) {
  std::string path = exeDir + name;
  if (char* real = realpath(exeDir.empty() ? "." : exeDir.c_str(), nullptr)) {
    path = std::string(real) + "/" + name;
    std::free(real);
  }
  return path;
}
}  // namespace

TVorbisFileDLL::~TVorbisFileDLL() {
  Unload();
}

bool TVorbisFileDLL::Load(const std::string& exeDir, std::string* triedPath,
                          const char* libraryName) {
  Unload();
  std::string local = FullPath(exeDir, libraryName);
  if (triedPath) *triedPath = local;
  handle_ = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) handle_ = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error_ = std::string(libraryName) + "が存在しません。\r\n(" + local + ")";
    if (why) error_ += std::string(" ") + why;
    return false;
  }
  if (!ResolveAll()) {
    dlclose(handle_);
    handle_ = nullptr;
    ClearFunctions();
    return false;
  }
  error_.clear();
  return true;
}

void TVorbisFileDLL::Unload() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
  ClearFunctions();
}

void TVorbisFileDLL::ClearFunctions() {
  ov_clear = nullptr;
  ov_open_callbacks = nullptr;
  ov_test_callbacks = nullptr;
  ov_test_open = nullptr;
  ov_bitrate = nullptr;
  ov_bitrate_instant = nullptr;
  ov_streams = nullptr;
  ov_seekable = nullptr;
  ov_serialnumber = nullptr;
  ov_raw_total = nullptr;
  ov_pcm_total = nullptr;
  ov_time_total = nullptr;
  ov_raw_seek = nullptr;
  ov_pcm_seek = nullptr;
  ov_pcm_seek_page = nullptr;
  ov_time_seek = nullptr;
  ov_time_seek_page = nullptr;
  ov_raw_seek_lap = nullptr;
  ov_pcm_seek_lap = nullptr;
  ov_pcm_seek_page_lap = nullptr;
  ov_time_seek_lap = nullptr;
  ov_time_seek_page_lap = nullptr;
  ov_raw_tell = nullptr;
  ov_pcm_tell = nullptr;
  ov_time_tell = nullptr;
  ov_info = nullptr;
  ov_comment = nullptr;
  ov_read_float = nullptr;
  ov_read = nullptr;
  ov_crosslap = nullptr;
}

bool TVorbisFileDLL::ResolveAll() {
  bool ok = true;
  auto get = [&](auto& fn, const char* name) {
    if (!ok) return;
    void* p = dlsym(handle_, name);
    if (!p) {
      error_ = std::string("関数(") + name + ")の所得に失敗しました";
      ok = false;
      return;
    }
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(p);
  };
  get(ov_clear, "ov_clear");
  get(ov_open_callbacks, "ov_open_callbacks");
  get(ov_test_callbacks, "ov_test_callbacks");
  get(ov_test_open, "ov_test_open");
  get(ov_bitrate, "ov_bitrate");
  get(ov_bitrate_instant, "ov_bitrate_instant");
  get(ov_streams, "ov_streams");
  get(ov_seekable, "ov_seekable");
  get(ov_serialnumber, "ov_serialnumber");
  get(ov_raw_total, "ov_raw_total");
  get(ov_pcm_total, "ov_pcm_total");
  get(ov_time_total, "ov_time_total");
  get(ov_raw_seek, "ov_raw_seek");
  get(ov_pcm_seek, "ov_pcm_seek");
  get(ov_pcm_seek_page, "ov_pcm_seek_page");
  get(ov_time_seek, "ov_time_seek");
  get(ov_time_seek_page, "ov_time_seek_page");
  get(ov_raw_seek_lap, "ov_raw_seek_lap");
  get(ov_pcm_seek_lap, "ov_pcm_seek_lap");
  get(ov_pcm_seek_page_lap, "ov_pcm_seek_page_lap");
  get(ov_time_seek_lap, "ov_time_seek_lap");
  get(ov_time_seek_page_lap, "ov_time_seek_page_lap");
  get(ov_raw_tell, "ov_raw_tell");
  get(ov_pcm_tell, "ov_pcm_tell");
  get(ov_time_tell, "ov_time_tell");
  get(ov_info, "ov_info");
  get(ov_comment, "ov_comment");
  get(ov_read_float, "ov_read_float");
  get(ov_read, "ov_read");
  get(ov_crosslap, "ov_crosslap");
  return ok;
}

TVorbisFileDLL* VorbisFile() {
  return gVorbisFile.get();
}

bool LoadVorbisFileDLL(const std::string& exeDir, std::string* triedPath, const char* libraryName) {
  gVorbisFile.reset();
  gVorbisFile = std::make_unique<TVorbisFileDLL>();
  return gVorbisFile->Load(exeDir, triedPath, libraryName);
}

void ReleaseVorbisFileDLL() {
  gVorbisFile.reset();
}

bool VorbisReady() {
  return gVorbisFile && gVorbisFile->Loaded();
}

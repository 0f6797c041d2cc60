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
#define ZAZO_CLEAR_FUNCTION(name) name = nullptr;
  ZAZO_VORBISFILE_FUNCTIONS(ZAZO_CLEAR_FUNCTION)
#undef ZAZO_CLEAR_FUNCTION
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
#define ZAZO_RESOLVE_FUNCTION(name) get(name, #name);
  ZAZO_VORBISFILE_FUNCTIONS(ZAZO_RESOLVE_FUNCTION)
#undef ZAZO_RESOLVE_FUNCTION
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

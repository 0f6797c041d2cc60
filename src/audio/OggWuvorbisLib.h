// TVorbisFileDLL: the binding to the Vorbis decoding library, loaded at run
// time. The game ships without a decoder of its own; it takes libvorbisfile
// from the program's folder if one lies there, else the system's copy by its
// soname. Every vorbisfile entry point the decoder may call is resolved at
// load; one missing entry point makes the whole load fail.
//
// One process-wide binding (VorbisFile()) is shared by all decoders. It is
// created and loaded once at start-up on the game's thread and released at
// shutdown after every decoder is gone.
#pragma once

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <string>

class TVorbisFileDLL {
 public:
  // The library file looked for beside the program, and the soname tried next.
  static constexpr const char* kLibraryName = "libvorbisfile.so.3";

  TVorbisFileDLL() = default;
  ~TVorbisFileDLL();
  TVorbisFileDLL(const TVorbisFileDLL&) = delete;
  TVorbisFileDLL& operator=(const TVorbisFileDLL&) = delete;

  // Loads exeDir + libraryName, else libraryName through the system's search.
  // *triedPath gets the full path looked for in the program's folder. Returns
  // false when neither can be loaded or an entry point is missing (then the
  // binding stays unloaded and `error` says why).
  bool Load(const std::string& exeDir, std::string* triedPath,
            const char* libraryName = kLibraryName);
  void Unload();
  bool Loaded() const { return handle_ != nullptr; }
  const std::string& Error() const { return error_; }

  // The vorbisfile functions, valid while Loaded().
  int (*ov_clear)(OggVorbis_File*) = nullptr;
  int (*ov_open_callbacks)(void*, OggVorbis_File*, const char*, long, ov_callbacks) = nullptr;
  int (*ov_test_callbacks)(void*, OggVorbis_File*, const char*, long, ov_callbacks) = nullptr;
  int (*ov_test_open)(OggVorbis_File*) = nullptr;
  long (*ov_bitrate)(OggVorbis_File*, int) = nullptr;
  long (*ov_bitrate_instant)(OggVorbis_File*) = nullptr;
  long (*ov_streams)(OggVorbis_File*) = nullptr;
  long (*ov_seekable)(OggVorbis_File*) = nullptr;
  long (*ov_serialnumber)(OggVorbis_File*, int) = nullptr;
  ogg_int64_t (*ov_raw_total)(OggVorbis_File*, int) = nullptr;
  ogg_int64_t (*ov_pcm_total)(OggVorbis_File*, int) = nullptr;
  double (*ov_time_total)(OggVorbis_File*, int) = nullptr;
  int (*ov_raw_seek)(OggVorbis_File*, ogg_int64_t) = nullptr;
  int (*ov_pcm_seek)(OggVorbis_File*, ogg_int64_t) = nullptr;
  int (*ov_pcm_seek_page)(OggVorbis_File*, ogg_int64_t) = nullptr;
  int (*ov_time_seek)(OggVorbis_File*, double) = nullptr;
  int (*ov_time_seek_page)(OggVorbis_File*, double) = nullptr;
  int (*ov_raw_seek_lap)(OggVorbis_File*, ogg_int64_t) = nullptr;
  int (*ov_pcm_seek_lap)(OggVorbis_File*, ogg_int64_t) = nullptr;
  int (*ov_pcm_seek_page_lap)(OggVorbis_File*, ogg_int64_t) = nullptr;
  int (*ov_time_seek_lap)(OggVorbis_File*, double) = nullptr;
  int (*ov_time_seek_page_lap)(OggVorbis_File*, double) = nullptr;
  ogg_int64_t (*ov_raw_tell)(OggVorbis_File*) = nullptr;
  ogg_int64_t (*ov_pcm_tell)(OggVorbis_File*) = nullptr;
  double (*ov_time_tell)(OggVorbis_File*) = nullptr;
  vorbis_info* (*ov_info)(OggVorbis_File*, int) = nullptr;
  vorbis_comment* (*ov_comment)(OggVorbis_File*, int) = nullptr;
  long (*ov_read_float)(OggVorbis_File*, float***, int, int*) = nullptr;
  long (*ov_read)(OggVorbis_File*, char*, int, int, int, int, int*) = nullptr;
  int (*ov_crosslap)(OggVorbis_File*, OggVorbis_File*) = nullptr;

 private:
  bool ResolveAll();
  void ClearFunctions();

  void* handle_ = nullptr;
  std::string error_;
};

// The process-wide binding; null before LoadVorbisLibrary and after release.
TVorbisFileDLL* VorbisFile();
// Releases any earlier binding, creates a new one and loads it (see
// TVorbisFileDLL::Load). The binding object exists afterwards even when the
// load failed; VorbisReady() tells whether music can be decoded.
bool LoadVorbisFileDLL(const std::string& exeDir, std::string* triedPath,
                       const char* libraryName = TVorbisFileDLL::kLibraryName);
void ReleaseVorbisFileDLL();
bool VorbisReady();

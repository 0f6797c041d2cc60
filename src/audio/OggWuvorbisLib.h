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

// Every vorbisfile function the binding resolves, by its plain name.
#define ZAZO_VORBISFILE_FUNCTIONS(X) \
  X(ov_clear)                        \
  X(ov_open_callbacks)               \
  X(ov_test_callbacks)               \
  X(ov_test_open)                    \
  X(ov_bitrate)                      \
  X(ov_bitrate_instant)              \
  X(ov_streams)                      \
  X(ov_seekable)                     \
  X(ov_serialnumber)                 \
  X(ov_raw_total)                    \
  X(ov_pcm_total)                    \
  X(ov_time_total)                   \
  X(ov_raw_seek)                     \
  X(ov_pcm_seek)                     \
  X(ov_pcm_seek_page)                \
  X(ov_time_seek)                    \
  X(ov_time_seek_page)               \
  X(ov_raw_seek_lap)                 \
  X(ov_pcm_seek_lap)                 \
  X(ov_pcm_seek_page_lap)            \
  X(ov_time_seek_lap)                \
  X(ov_time_seek_page_lap)           \
  X(ov_raw_tell)                     \
  X(ov_pcm_tell)                     \
  X(ov_time_tell)                    \
  X(ov_info)                         \
  X(ov_comment)                      \
  X(ov_read_float)                   \
  X(ov_read)                         \
  X(ov_crosslap)

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

  // The vorbisfile functions, valid while Loaded(); each has the type of
  // the library's own declaration.
#define ZAZO_DECLARE_FUNCTION(name) decltype(&::name) name = nullptr;
  ZAZO_VORBISFILE_FUNCTIONS(ZAZO_DECLARE_FUNCTION)
#undef ZAZO_DECLARE_FUNCTION

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

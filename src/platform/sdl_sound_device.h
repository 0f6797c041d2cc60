// The SDL2 side of the sound: one audio device at 44,100 Hz, 16-bit, stereo,
// whose callback pulls the mixed channels, and the WAV loader that brings an
// effect file into the device format.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct TSoundData;
class TAudioEngine;

class TSdlSoundDevice {
 public:
  TSdlSoundDevice() = default;
  ~TSdlSoundDevice() { Close(); }
  TSdlSoundDevice(const TSdlSoundDevice&) = delete;
  TSdlSoundDevice& operator=(const TSdlSoundDevice&) = delete;

  // Opens the default output and starts it pulling from engine. On failure
  // says so once on standard error and stays closed: the game runs silent.
  bool Open(TAudioEngine* engine);
  void Close();
  bool IsOpen() const { return device_ != 0; }
  // A device that stopped working on its own (unplugged, server gone) is
  // closed here, with one line on standard error.
  void CheckAlive();
  // Holds the output (silence, nothing consumed) or lets it run again.
  void SetPaused(bool paused);

 private:
  static void SDLCALL Callback(void* userdata, Uint8* stream, int len);

  SDL_AudioDeviceID device_ = 0;
  bool subsystemUp_ = false;
  bool reported_ = false;
};

// Reads a RIFF/WAVE file and converts it to 44,100 Hz 16-bit stereo. SDL's
// reader runs with its strict hints (RIFF size honoured, no truncated chunks,
// a valid fact chunk where one is required); a file that fails them, or that
// would last longer than an effect may (kMaxWaveSeconds), is refused.
bool LoadWaveFile(const std::string& path, TSoundData& out);
// The same from bytes already in memory (the file's whole content).
bool DecodeWave(const uint8_t* data, size_t size, TSoundData& out);

// The longest effect accepted, in seconds of sound.
constexpr int kMaxWaveSeconds = 30;

// The SDL2 side of the sound: one audio device at 44,100 Hz, 16-bit, stereo,
// whose callback pulls the mixed channels, and the WAV loader that brings an
// effect file into the device format.
#pragma once

#include <SDL.h>

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

 private:
  static void SDLCALL Callback(void* userdata, Uint8* stream, int len);

  SDL_AudioDeviceID device_ = 0;
  bool subsystemUp_ = false;
  bool reported_ = false;
};

// Reads a RIFF/WAVE file and converts it to 44,100 Hz 16-bit stereo.
bool LoadWaveFile(const std::string& path, TSoundData& out);

// The SDL2 audio device and the WAV loader.
#include "platform/sdl_sound_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/audio_engine.h"
#include "system/regular_file.h"

namespace {
constexpr int kRate = 44100;
constexpr int kChannels = 2;
// Effect files are short; anything larger than this is not one of ours.
constexpr size_t kMaxWaveFileSize = 32 * 1024 * 1024;
}  // namespace

bool TSdlSoundDevice::Open(TAudioEngine* engine) {
  Close();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "Zazo Puzzle: no sound device (%s); the game runs silent.\n",
                 SDL_GetError());
    reported_ = true;
    return false;
  }
  subsystemUp_ = true;
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = 1024;
  want.callback = Callback;
  want.userdata = engine;
  SDL_AudioSpec have;
  // No changes allowed: SDL converts to whatever the hardware wants.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    std::fprintf(stderr, "Zazo Puzzle: cannot open the sound device (%s); the game runs silent.\n",
                 SDL_GetError());
    reported_ = true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemUp_ = false;
    return false;
  }
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void TSdlSoundDevice::Close() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  device_ = 0;
  if (subsystemUp_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  subsystemUp_ = false;
}

void TSdlSoundDevice::CheckAlive() {
  if (device_ == 0 || SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED) return;
  if (!reported_) {
    std::fprintf(stderr, "Zazo Puzzle: the sound device stopped working; the game runs silent.\n");
    reported_ = true;
  }
  Close();
}

void TSdlSoundDevice::SetPaused(bool paused) {
  if (device_ != 0) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

void SDLCALL TSdlSoundDevice::Callback(void* userdata, Uint8* stream, int len) {
  static_cast<TAudioEngine*>(userdata)->Mix(reinterpret_cast<int16_t*>(stream), len / 4);
}

namespace {
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Walks the chunks of a RIFF/WAVE file without reading them: false when one
// claims more bytes than the file holds. SDL allocates what a chunk claims
// before it reads it, so 100 bytes could otherwise ask for 4 GB.
bool ChunksFitTheFile(const uint8_t* data, size_t size) {
  if (size < 12) return false;
  const uint64_t end = std::min<uint64_t>(size, uint64_t(Le32(data + 4)) + 8);
  uint64_t pos = 12;
  // SDL reads the header of every chunk that starts before the RIFF end,
  // even one that runs past it.
  while (pos < end && pos + 8 <= size) {
    const uint64_t length = Le32(data + pos + 4);
    if (pos + 8 + length > size) return false;
    pos += 8 + length + (length & 1);
  }
  return true;
}
}  // namespace

bool DecodeWave(const uint8_t* file, size_t size, TSoundData& out) {
  out.samples.clear();
  if (size == 0 || size > size_t(kMaxWaveFileSize) || !ChunksFitTheFile(file, size)) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(file, int(size));
  if (!rw) return false;
  // Strict reading: the RIFF size bounds the chunk search, an incomplete
  // chunk or block is an error, and so is a missing or wrong fact chunk.
  SDL_SetHint(SDL_HINT_WAVE_RIFF_CHUNK_SIZE, "force");
  SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
  SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "strict");
  SDL_AudioSpec wavFormat;
  Uint8* data = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(rw, 1, &wavFormat, &data, &length)) return false;
  // Whole sample frames of the source only.
  const Uint32 frameBytes = Uint32(SDL_AUDIO_BITSIZE(wavFormat.format) / 8) * wavFormat.channels;
  if (frameBytes == 0 || wavFormat.freq <= 0) {
    SDL_FreeWAV(data);
    return false;
  }
  length -= length % frameBytes;
  // However the file's rate stretches it, an effect stays an effect: a few
  // bytes at 1 Hz would otherwise ask for gigabytes of converted sound.
  const uint64_t outFrames = uint64_t(length / frameBytes) * kRate / uint64_t(wavFormat.freq);
  if (outFrames > uint64_t(kMaxWaveSeconds) * kRate) {
    SDL_FreeWAV(data);
    return false;
  }
  SDL_AudioCVT cvt;
  const int built = SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq,
                                      AUDIO_S16SYS, kChannels, kRate);
  if (built < 0) {
    SDL_FreeWAV(data);
    return false;
  }
  cvt.len = int(length);
  std::vector<Uint8> work(size_t(length) * size_t(cvt.len_mult > 0 ? cvt.len_mult : 1));
  if (length > 0) std::memcpy(work.data(), data, length);
  SDL_FreeWAV(data);
  cvt.buf = work.data();
  if (built == 1 && SDL_ConvertAudio(&cvt) != 0) return false;
  const int bytes = built == 1 ? cvt.len_cvt : int(length);
  out.samples.resize(size_t(bytes) / 4 * 2);
  if (!out.samples.empty()) {  // an empty data chunk is an empty (silent) effect
    std::memcpy(out.samples.data(), work.data(), out.samples.size() * sizeof(int16_t));
  }
  return true;
}

bool LoadWaveFile(const std::string& path, TSoundData& out) {
  out.samples.clear();
  std::vector<uint8_t> bytes;
  if (!ReadRegularFile(path.c_str(), kMaxWaveFileSize, bytes, nullptr)) return false;
  return DecodeWave(bytes.data(), bytes.size(), out);
}

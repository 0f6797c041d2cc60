// The game's sound without the device: the ten channels with the nine effects,
// the music stream on channel 0 with its refill thread, the music player with
// decoders A (slot 0) and B (slot 1), and the game's music operations.
//
// The platform owns one of these, opens the sound device and calls Mix from
// the device's thread; the tests call Mix themselves to play the device.
// Everything else runs on the game's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/OggDataLib.h"
#include "audio/OggPlayerLib.h"
#include "audio/music_stream.h"
#include "audio/sound_mixer.h"

class TAudioEngine {
 public:
  static constexpr int32_t kStreamSize = 163840;
  static constexpr int32_t kSlots = 4;
  static constexpr int32_t kEffectCount = 9;

  // Reads the file at path into `out` in the device format; false when it is
  // not a sound the loader understands.
  using TWaveLoader = bool (*)(const std::string& path, TSoundData& out);

  // exeDir: the program's folder, ending in '/'.
  explicit TAudioEngine(std::string exeDir);
  ~TAudioEngine();
  TAudioEngine(const TAudioEngine&) = delete;
  TAudioEngine& operator=(const TAudioEngine&) = delete;

  // Releases any earlier binding and loads the Vorbis library; on failure
  // *triedPath names the file looked for.
  bool LoadVorbisLibrary(std::string* triedPath,
                         const char* libraryName = TVorbisFileDLL::kLibraryName);

  // Music player and decoders, then the stream: attached to channel 0 and
  // played looping from byte 0. refillThread = false leaves the refill to
  // the caller (ServeRefill), for tests.
  void Create(bool refillThread = true);

  // Effect n (0..8) from exeDir + relPath onto channel n + 1. False when the
  // file is missing (the slot stays as it was) or unreadable (slot emptied).
  bool LoadEffect(const char* relPath, int n, TWaveLoader loader);
  // Plays once the effect that channel (1..9) holds; silent when it holds
  // none or channel is out of range.
  void PlayEffectChannel(int channel);

  void ResetMusic();
  bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath, bool musicOnSlotB);

  // The fill handler of the stream (refill thread).
  void FillMusicBuffer(int32_t offset, int32_t length);

  // Stops every channel, waits waitMs, then releases the stream (its refill
  // thread joined), decoders A and B, the player, the effects and the
  // Vorbis binding, in that order.
  void Shutdown(int32_t waitMs);
  bool ShutDown() const { return shutDown_; }

  // Device thread: the mixed output.
  void Mix(int16_t* out, int32_t frames) { mixer_.Mix(out, frames); }

  // For the platform's checks and the tests.
  TSoundMixer& Mixer() { return mixer_; }
  TOggPlayer* Player() { return player_.get(); }
  TOggData* DecoderA() { return decoderA_.get(); }
  TOggData* DecoderB() { return decoderB_.get(); }
  TMusicStream* Stream() { return stream_.get(); }
  const TSoundData* Effect(int n) const {
    return n >= 0 && n < kEffectCount ? effectWaves_[n].get() : nullptr;
  }

 private:
  static void FillThunk(void* context, int32_t offset, int32_t length);

  std::string exeDir_;
  TSoundMixer mixer_;
  std::unique_ptr<TOggPlayer> player_;
  std::unique_ptr<TOggData> decoderA_;
  std::unique_ptr<TOggData> decoderB_;
  std::unique_ptr<TMusicStream> stream_;
  std::unique_ptr<TSoundData> effectWaves_[kEffectCount];
  bool shutDown_ = false;
};

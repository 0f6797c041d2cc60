// The sound channels: ten of them, mixed in software into the device's
// 44,100 Hz 16-bit stereo output. Channel 0 carries the music stream,
// channel n + 1 effect n. A channel holds at most one sound and plays it at
// full volume; play once rewinds and starts (a new request cuts the old
// sound), play looping does the same and wraps at the end, stop stops.
//
// The control calls run on the game's thread and only post requests; Mix runs
// on the device's thread, applies them and never waits for anyone. Attaching
// waits for a running mix to finish, so the sound let go may be freed.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

class TMusicStream;

// A fully decoded sound in the device format (stereo frames, 16-bit).
struct TSoundData {
  std::vector<int16_t> samples;  // left, right, left, right, ...
  int32_t Frames() const { return int32_t(samples.size() / 2); }
};

class TSoundMixer {
 public:
  static constexpr int32_t kChannelCount = 10;

  // Attaches a sound (nullptr detaches); what the channel held is stopped.
  void Attach(int32_t channel, const TSoundData* sound);
  // Attaches the music stream to channel 0 (nullptr detaches it, stopped).
  void AttachStream(TMusicStream* stream);
  void PlayOnce(int32_t channel);
  void PlayLooping(int32_t channel);
  void Stop(int32_t channel);

  // Device thread: frames stereo frames of the mixed channels, saturated.
  void Mix(int16_t* out, int32_t frames);

  // The listener's music and effects volumes (0..100 %, 100 at start),
  // applied to the summed music and the summed effects just before the
  // output is saturated; the channels' own arithmetic is untouched.
  void SetOutputGains(int32_t musicPercent, int32_t effectsPercent);

  // Whether the channel was sounding at the end of the last mix.
  bool Sounding(int32_t channel) const;

 private:
  enum : uint32_t { kNone = 0, kOnce, kLoop, kStop, kReset };
  enum : uint8_t { kIdle = 0, kPlayingOnce, kPlayingLoop };
  struct TChannel {
    std::atomic<const TSoundData*> sound{nullptr};
    std::atomic<uint32_t> request{kNone};
    std::atomic<bool> sounding{false};
    // Device thread only.
    int32_t position = 0;
    uint8_t state = kIdle;
  };
  void Post(int32_t channel, uint32_t request);
  void WaitOutMix() const;

  TChannel channels_[kChannelCount];
  std::atomic<TMusicStream*> stream_{nullptr};
  std::atomic<int32_t> musicGain_{100};
  std::atomic<int32_t> effectsGain_{100};
  // Odd while a mix runs.
  std::atomic<uint32_t> mixCount_{0};
};

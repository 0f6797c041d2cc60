// TOggData: one music decoder. Holds a whole Ogg Vorbis file in memory,
// decodes it half a streaming buffer at a time (on the refill thread), jumps
// at the loop points of the optional "ALPHAOGG" header, loops at the end of
// the stream and applies a volume that can ramp over a given time.
//
// Sound out: 44,100 Hz, 16-bit signed, stereo interleaved (4 bytes a frame).
// LoadFile, Stop, Play, Fade, SetVolume and Seek run on the game's thread;
// DecodeNextHalf on the refill thread. Decoding, seeking, opening and closing
// never overlap (one re-entrant lock per decoder).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/OggWuvorbisLib.h"

// The error raised for a file that is not a playable Vorbis stream.
class EOggError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TLoopPoint {
  float jumpTo = 0;         // seconds
  float loopAt = 0;         // seconds
  int32_t repeatCount = 0;  // -1: every time
};

class TOggData {
 public:
  static constexpr int32_t kLoopPointCount = 16;
  static constexpr int32_t kHeaderSize = 200;
  static constexpr int32_t kBytesPerSecond = 176400;
  static constexpr int32_t kRate = 44100;
  // Volume 1.0 in fixed point (256 x 2,822,400).
  static constexpr int32_t kUnity = 722534400;
  static constexpr int32_t kGainDivisor = 2822400;
  // The mono conversion buffer.
  static constexpr int32_t kMonoBufferSize = 4096;
  // Larger files are refused at load (a track is a few megabytes).
  static constexpr int64_t kMaxFileSize = 64 * 1024 * 1024;

  // stagingSize: bytes of the two staging halves together (163,840).
  explicit TOggData(int32_t stagingSize);
  ~TOggData();
  TOggData(const TOggData&) = delete;
  TOggData& operator=(const TOggData&) = delete;

  // False when no file exists at path (nothing changes). Otherwise reads the
  // whole file and opens it; raises EOggError("ファイルの読み込みに失敗") when
  // it is not a 44,100 Hz mono or stereo Vorbis stream (the decoder is then
  // left reset). Without the Vorbis library it returns false and does nothing.
  bool LoadFile(const std::string& path);
  // The same from bytes already in memory (the file's whole content).
  void OpenMemory(std::vector<uint8_t> data);

  void Stop();
  void Play(bool loop);
  void Fade(double target, double seconds);
  void SetVolume(double v) { Fade(v, 0); }
  void Seek(double seconds);

  // Decodes the next half of the staging memory; returns the bytes produced
  // (0 when not playing, negative after a decoding error).
  int32_t DecodeNextHalf();
  // The half written by the last DecodeNextHalf.
  const int16_t* LastHalf() const {
    return reinterpret_cast<const int16_t*>(staging_.get() + decodeHalf_);
  }
  int32_t HalfSize() const { return halfSize_; }

  // The lock guarding the stream and the staging memory; the mixer holds it
  // while it reads LastHalf().
  std::recursive_mutex& Lock() const { return lock_; }

  // 0 no file, 1 loaded and stopped, 2 playing once, 3 playing looped.
  int32_t State() const;
  bool Loaded() const { return loaded_.load(std::memory_order_acquire); }
  bool Playing() const { return playing_.load(std::memory_order_acquire); }
  bool Looping() const { return looping_.load(std::memory_order_relaxed); }
  int32_t Channels() const { return channels_; }
  int32_t Rate() const { return rate_; }
  double TotalSeconds() const { return totalSeconds_; }
  int32_t VolumeNow() const { return volumeNow_.load(std::memory_order_relaxed); }
  int32_t VolumeTarget() const { return volumeTarget_.load(std::memory_order_relaxed); }
  int32_t VolumeStep() const { return volumeStep_.load(std::memory_order_relaxed); }
  TLoopPoint LoopPointAt(int i) const { return loopPoints_[i]; }
  int32_t LoopCounter(int i) const { return loopCounters_[i]; }
  int32_t masterLevel = 255;
  int32_t slotLevel = 255;

 private:
  void OpenStream();
  void Reset();  // under the lock
  void ReadHeader();
  int32_t DecodeBytes(uint8_t* at, int32_t k);
  int32_t Read(uint8_t* at, int32_t m);
  void SeekLocked(double seconds);
  void ApplyVolume(int16_t* frames, int32_t count);

  // In-memory file callbacks.
  static size_t CbRead(void* ptr, size_t size, size_t count, void* source);
  static int CbSeek(void* source, ogg_int64_t offset, int whence);
  static int CbClose(void* source);
  static long CbTell(void* source);

  mutable std::recursive_mutex lock_;
  TVorbisFileDLL* lib_ = nullptr;
  OggVorbis_File vorbisState_{};
  bool streamOpen_ = false;

  std::vector<uint8_t> fileData_;
  std::vector<uint8_t> spare_;  // the next file is read here, then swapped in
  size_t fileStart_ = 0;        // 200 with a loop header, else 0
  size_t filePos_ = 0;          // relative to fileStart_

  std::atomic<bool> loaded_{false};
  std::atomic<bool> playing_{false};
  std::atomic<bool> looping_{false};
  int32_t channels_ = 0;
  int32_t rate_ = 0;
  double totalSeconds_ = 0;

  int32_t halfSize_;
  std::unique_ptr<uint8_t[]> staging_;
  int32_t decodeHalf_ = 0;
  uint8_t monoBuffer_[kMonoBufferSize];

  TLoopPoint loopPoints_[kLoopPointCount] = {};
  int32_t loopCounters_[kLoopPointCount] = {};

  std::atomic<int32_t> volumeNow_{0};
  std::atomic<int32_t> volumeTarget_{0};
  std::atomic<int32_t> volumeStep_{0};
};

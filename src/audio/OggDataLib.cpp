// The music decoder: whole file in memory, loop points, end-of-stream looping,
// mono to stereo, and the fixed-point volume ramp.
#include "audio/OggDataLib.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "system/regular_file.h"

namespace {
constexpr const char* kReadFailed = "ファイルの読み込みに失敗";
// About a second of sound at most, decoded at open to warm the library up.
constexpr int kWarmUpReads = 64;
constexpr const char kHeaderMagic[8] = {'A', 'L', 'P', 'H', 'A', 'O', 'G', 'G'};

uint32_t LittleEndian32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
}  // namespace

TOggData::TOggData(int32_t stagingSize)
    : halfSize_((stagingSize / 2) & ~3), staging_(new uint8_t[size_t(halfSize_) * 2]()) {
  SetVolume(1.0);
  masterLevel = 255;
  slotLevel = 255;
}

TOggData::~TOggData() {
  std::lock_guard<std::recursive_mutex> g(lock_);
  Reset();
}

int32_t TOggData::State() const {
  if (!Loaded()) return 0;
  if (!Playing()) return 1;
  return Looping() ? 3 : 2;
}

// ---------------------------------------------------------------------------
// Opening
// ---------------------------------------------------------------------------

bool TOggData::LoadFile(const std::string& path) {
  if (!VorbisReady()) return false;
  if (!IsRegularFile(path.c_str())) return false;
  // Read the whole file on this (the game's) thread into the spare buffer;
  // the decoder keeps playing its old file meanwhile.
  const bool ok = ReadRegularFile(path.c_str(), kMaxFileSize, spare_, nullptr);
  if (!ok) {
    std::lock_guard<std::recursive_mutex> g(lock_);
    playing_.store(false, std::memory_order_release);
    looping_.store(false, std::memory_order_relaxed);
    Reset();
    spare_.clear();
    throw EOggError(kReadFailed);
  }
  OpenStream();
  return true;
}

void TOggData::OpenMemory(std::vector<uint8_t> data) {
  spare_ = std::move(data);
  OpenStream();
}

// Opens the file waiting in spare_; the old file's memory becomes the spare.
void TOggData::OpenStream() {
  // Stop first, outside the lock: the refill thread skips the decoder from
  // now on instead of waiting for the open.
  playing_.store(false, std::memory_order_release);
  looping_.store(false, std::memory_order_relaxed);
  std::lock_guard<std::recursive_mutex> g(lock_);
  Reset();
  lib_ = VorbisFile();
  if (!lib_ || !lib_->Loaded()) {
    spare_.clear();
    return;
  }
  fileData_.swap(spare_);
  spare_.clear();
  ReadHeader();
  filePos_ = 0;
  std::memset(&vorbisState_, 0, sizeof vorbisState_);
  ov_callbacks callbacks = {CbRead, CbSeek, CbClose, CbTell};
  if (lib_->ov_open_callbacks(this, &vorbisState_, nullptr, 0, callbacks) < 0) {
    fileData_.clear();
    throw EOggError(kReadFailed);
  }
  streamOpen_ = true;
  // Only 44,100 Hz mono or stereo is played, in every link of the stream.
  long links = lib_->ov_streams(&vorbisState_);
  bool playable = links >= 1;
  for (long i = 0; playable && i < links; i++) {
    vorbis_info* vi = lib_->ov_info(&vorbisState_, int(i));
    playable = vi && vi->rate == kRate && (vi->channels == 1 || vi->channels == 2) &&
               (i == 0 || vi->channels == lib_->ov_info(&vorbisState_, 0)->channels);
  }
  if (!playable) {
    Reset();
    throw EOggError(kReadFailed);
  }
  vorbis_info* vi = lib_->ov_info(&vorbisState_, -1);
  channels_ = vi->channels;
  rate_ = int32_t(vi->rate);
  double total = lib_->ov_time_total(&vorbisState_, -1);
  totalSeconds_ = std::isfinite(total) && total > 0 ? total : 0;
  // Decode a little and rewind, here on the game's thread: the library sets
  // up its decoding memory on the first read, and the refill thread should
  // find it ready.
  int link = 0;
  for (int i = 0; i < kWarmUpReads; i++) {
    if (lib_->ov_read(&vorbisState_, reinterpret_cast<char*>(monoBuffer_), sizeof monoBuffer_, 0, 2,
                      1, &link) <= 0) {
      break;
    }
  }
  SeekLocked(0);
  loaded_.store(true, std::memory_order_release);
}

// Under the lock: closes the stream (which lets go of the file in memory) and
// clears everything the stream told us. The loop points are left to
// ReadHeader.
void TOggData::Reset() {
  loaded_.store(false, std::memory_order_release);
  if (streamOpen_ && lib_ && lib_->Loaded()) lib_->ov_clear(&vorbisState_);
  streamOpen_ = false;
  std::memset(&vorbisState_, 0, sizeof vorbisState_);
  fileData_.clear();
  fileStart_ = 0;
  filePos_ = 0;
  channels_ = 0;
  rate_ = 0;
  totalSeconds_ = 0;
  std::memset(staging_.get(), 0, size_t(halfSize_) * 2);
}

// The 200-byte loop header: "ALPHAOGG", then 16 x {jumpTo, loopAt, repeatCount}.
// A file without it gets no loop points (those of the previous track would
// otherwise jump in the middle of this one).
void TOggData::ReadHeader() {
  fileStart_ = 0;
  for (TLoopPoint& e : loopPoints_) e = TLoopPoint{};
  for (int32_t& c : loopCounters_) c = 0;
  if (fileData_.size() < size_t(kHeaderSize)) return;
  if (std::memcmp(fileData_.data(), kHeaderMagic, sizeof kHeaderMagic) != 0) return;
  fileStart_ = kHeaderSize;
  for (int i = 0; i < kLoopPointCount; i++) {
    const uint8_t* p = fileData_.data() + 8 + 12 * i;
    loopPoints_[i].jumpTo = std::bit_cast<float>(LittleEndian32(p));
    loopPoints_[i].loopAt = std::bit_cast<float>(LittleEndian32(p + 4));
    loopPoints_[i].repeatCount = int32_t(LittleEndian32(p + 8));
  }
}

// ---------------------------------------------------------------------------
// The in-memory file, seen by the Vorbis library from the end of the header.
// ---------------------------------------------------------------------------

size_t TOggData::CbRead(void* ptr, size_t size, size_t count, void* source) {
  auto* self = static_cast<TOggData*>(source);
  if (size == 0 || count == 0) return 0;
  size_t length = self->fileData_.size() - self->fileStart_;
  if (self->filePos_ >= length) return 0;
  size_t want = count > SIZE_MAX / size ? SIZE_MAX : size * count;
  size_t n = std::min(want, length - self->filePos_);
  std::memcpy(ptr, self->fileData_.data() + self->fileStart_ + self->filePos_, n);
  self->filePos_ += n;
  return n;
}

int TOggData::CbSeek(void* source, ogg_int64_t offset, int whence) {
  auto* self = static_cast<TOggData*>(source);
  ogg_int64_t length = ogg_int64_t(self->fileData_.size() - self->fileStart_);
  ogg_int64_t base = whence == SEEK_SET   ? 0
                     : whence == SEEK_CUR ? ogg_int64_t(self->filePos_)
                                          : length;
  if (offset < -base || offset > kMaxFileSize) return -1;
  self->filePos_ = size_t(base + offset);
  return int(self->filePos_);
}

int TOggData::CbClose(void* source) {
  static_cast<TOggData*>(source)->fileData_.clear();
  return 0;
}

long TOggData::CbTell(void* source) {
  return long(static_cast<TOggData*>(source)->filePos_);
}

// ---------------------------------------------------------------------------
// Game-thread controls
// ---------------------------------------------------------------------------

void TOggData::Stop() {
  std::lock_guard<std::recursive_mutex> g(lock_);
  playing_.store(false, std::memory_order_release);
  looping_.store(false, std::memory_order_relaxed);
  Seek(0);
  for (int32_t& c : loopCounters_) c = 0;
  std::memset(staging_.get(), 0, size_t(halfSize_) * 2);
}

void TOggData::Play(bool loop) {
  looping_.store(loop, std::memory_order_relaxed);
  playing_.store(true, std::memory_order_release);
}

void TOggData::Fade(double target, double seconds) {
  if (!(target >= 0)) target = 0;
  if (target > 2) target = 2;
  int32_t to = int32_t(std::trunc(target * kUnity));
  // Under the lock: the refill thread writes the volume back after each half.
  std::lock_guard<std::recursive_mutex> g(lock_);
  if (!(seconds >= 0.01)) {
    volumeNow_.store(to, std::memory_order_relaxed);
    volumeTarget_.store(to, std::memory_order_relaxed);
    volumeStep_.store(0, std::memory_order_relaxed);
    return;
  }
  volumeTarget_.store(to, std::memory_order_relaxed);
  double step =
      std::trunc((double(to) - volumeNow_.load(std::memory_order_relaxed)) / (seconds * kRate));
  volumeStep_.store(int32_t(step), std::memory_order_relaxed);
}

void TOggData::Seek(double seconds) {
  if (!Loaded()) return;
  std::lock_guard<std::recursive_mutex> g(lock_);
  SeekLocked(seconds);
}

void TOggData::SeekLocked(double seconds) {
  if (!streamOpen_) return;
  if (!(seconds >= 0)) seconds = 0;  // NaN too
  if (seconds > totalSeconds_) seconds = totalSeconds_;
  if (lib_->ov_seekable(&vorbisState_)) lib_->ov_time_seek(&vorbisState_, seconds);
}

// ---------------------------------------------------------------------------
// Decoding (refill thread)
// ---------------------------------------------------------------------------

int32_t TOggData::DecodeNextHalf() {
  const int32_t n = halfSize_;
  decodeHalf_ = decodeHalf_ == 0 ? n : 0;
  uint8_t* target = staging_.get() + decodeHalf_;

  // A track faded to silence stops itself.
  constexpr int32_t kSilent = kUnity / 100;
  if (volumeNow_.load(std::memory_order_relaxed) < kSilent &&
      volumeTarget_.load(std::memory_order_relaxed) < kSilent) {
    playing_.store(false, std::memory_order_release);
    looping_.store(false, std::memory_order_relaxed);
  }
  if (!Loaded() || !Playing()) {
    // Never wait for a file being opened: the half is not mixed anyway.
    std::unique_lock<std::recursive_mutex> g(lock_, std::try_to_lock);
    if (g) std::memset(target, 0, size_t(n));
    return 0;
  }

  std::lock_guard<std::recursive_mutex> g(lock_);
  if (!streamOpen_ || !Playing()) {  // stopped or reopened meanwhile
    std::memset(target, 0, size_t(n));
    return 0;
  }
  // A seek that failed leaves the stream's position unknown (-1), and asked
  // the time then, the library reads before its table of links: no time, so
  // no loop point, until decoding has found a position again.
  const double now = vorbisState_.pcm_offset >= 0 ? lib_->ov_time_tell(&vorbisState_) : -1.0;
  const bool nowValid = now >= 0;  // false for an error code or NaN
  const double span = double(n) / kBytesPerSecond;
  int32_t total = 0;
  bool jumped = false;
  for (int i = 0; nowValid && i < kLoopPointCount; i++) {
    const TLoopPoint& e = loopPoints_[i];
    const double loopAt = e.loopAt;
    // One jump per half at most: the half is full after it.
    if (!jumped && now <= loopAt && loopAt <= now + span &&
        (e.repeatCount == -1 || loopCounters_[i] < e.repeatCount)) {
      jumped = true;
      if (e.repeatCount != -1) loopCounters_[i]++;
      double exact = std::round((loopAt - now) * kBytesPerSecond);
      int32_t g = exact <= 0 ? 0 : exact >= n ? n : int32_t(exact);
      g &= ~3;  // whole frames
      total = DecodeBytes(target, g);
      if (total >= 0) {
        SeekLocked(e.jumpTo);
        int32_t rest = DecodeBytes(target + g, n - g);
        total = rest < 0 ? rest : total + rest;
      }
    }
    if (loopAt < now) loopCounters_[i] = 0;
  }
  if (!jumped) total = DecodeBytes(target, n);
  ApplyVolume(reinterpret_cast<int16_t*>(target), n / 4);
  return total;
}

int32_t TOggData::DecodeBytes(uint8_t* at, int32_t k) {
  int32_t remaining = k;
  bool endWithoutSound = false;  // a stream that ends twice in a row holds nothing
  while (remaining > 0) {
    int32_t r = Read(at + (k - remaining), remaining);
    if (r < 0) {
      Stop();
      return r;
    }
    if (r == 0) {
      if (Looping() && !endWithoutSound) {
        endWithoutSound = true;
        SeekLocked(0);
        continue;
      }
      playing_.store(false, std::memory_order_release);
      looping_.store(false, std::memory_order_relaxed);
      SeekLocked(0);
      std::memset(at + (k - remaining), 0, size_t(remaining));
      break;
    }
    endWithoutSound = false;
    remaining -= r;
  }
  return k - remaining;
}

int32_t TOggData::Read(uint8_t* at, int32_t m) {
  int link = 0;
  if (channels_ == 2) {
    long r = lib_->ov_read(&vorbisState_, reinterpret_cast<char*>(at), m, 0, 2, 1, &link);
    return r > m ? -1 : int32_t(r);
  }
  if (channels_ == 1) {
    int32_t want = std::min(m / 2, kMonoBufferSize) & ~1;
    long r =
        lib_->ov_read(&vorbisState_, reinterpret_cast<char*>(monoBuffer_), want, 0, 2, 1, &link);
    if (r <= 0 || r > want) return r > want ? -1 : int32_t(r);
    const int16_t* in = reinterpret_cast<const int16_t*>(monoBuffer_);
    int16_t* out = reinterpret_cast<int16_t*>(at);
    for (long i = 0; i < r / 2; i++) out[2 * i] = out[2 * i + 1] = in[i];
    return int32_t(r / 2 * 4);
  }
  return -1;
}

// The volume, once per output frame. Gain 254 at 1.0 (both levels 255).
void TOggData::ApplyVolume(int16_t* s, int32_t frames) {
  const int32_t k = (masterLevel * slotLevel) / 256;
  int64_t now = volumeNow_.load(std::memory_order_relaxed);
  int64_t step = volumeStep_.load(std::memory_order_relaxed);
  const int64_t target = volumeTarget_.load(std::memory_order_relaxed);
  for (int32_t f = 0; f < frames; f++) {
    if (step != 0 && std::llabs(target - now) < std::llabs(step)) {
      now = target;
      step = 0;
    }
    now += step;
    if (now < 0) now = 0;
    if (now > 2 * int64_t(kUnity)) now = 2 * int64_t(kUnity);
    const int32_t gain = (int32_t(now / kGainDivisor) * k) / 256;
    int32_t left = (s[2 * f] * gain) / 256;
    int32_t right = (s[2 * f + 1] * gain) / 256;
    if (gain > 255) {
      left = left < -32766 ? -32766 : left > 32766 ? 32766 : left;
      right = right < -32766 ? -32766 : right > 32766 ? 32766 : right;
    }
    s[2 * f] = int16_t(left);
    s[2 * f + 1] = int16_t(right);
  }
  volumeNow_.store(int32_t(now), std::memory_order_relaxed);
  volumeStep_.store(int32_t(step), std::memory_order_relaxed);
}

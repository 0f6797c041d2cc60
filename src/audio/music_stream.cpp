// The streaming buffer and its refill protocol.
#include "audio/music_stream.h"

#include <chrono>
#include <cstring>

TMusicStream::TMusicStream(int32_t size, TFillHandler handler, void* context)
    : size_(size & ~7),
      half_(size_ / 2),
      handler_(handler),
      context_(context),
      buffer_(new uint8_t[size_t(size_)]()) {}

TMusicStream::~TMusicStream() {
  Release();
}

void TMusicStream::StartRefillThread() {
  if (thread_.joinable()) return;
  quit_.store(false, std::memory_order_release);
  thread_ = std::thread([this] { RefillLoop(); });
}

void TMusicStream::Release() {
  if (!thread_.joinable()) return;
  quit_.store(true, std::memory_order_release);
  wake_.release();
  thread_.join();
}

void TMusicStream::RefillLoop() {
  while (!quit_.load(std::memory_order_acquire)) ServeEvents(100);
}

uint32_t TMusicStream::ServeEvents(int32_t waitMs) {
  if (waitMs > 0) {
    (void)wake_.try_acquire_for(std::chrono::milliseconds(waitMs));
  }
  while (wake_.try_acquire()) {
  }
  const uint32_t events = events_.exchange(0, std::memory_order_acq_rel);
  // A stop seen together with a restart came first.
  if (events & kEventC) nextHalfIsSecond_ = true;
  if (events & kEventA) {
    if (WritePosition() <= half_ && nextHalfIsSecond_) {
      if (handler_) handler_(context_, half_, half_);
      nextHalfIsSecond_ = false;
    }
  }
  if (events & kEventB) {
    if (WritePosition() >= half_ && !nextHalfIsSecond_) {
      if (handler_) handler_(context_, 0, half_);
      nextHalfIsSecond_ = true;
    }
  }
  return events;
}

void TMusicStream::Write(int32_t offset, const void* source, int32_t length) {
  if (length <= 0 || size_ <= 0) return;
  if (length > size_) length = size_;
  offset = ((offset % size_) + size_) % size_;
  const int32_t first = length < size_ - offset ? length : size_ - offset;
  std::memcpy(buffer_.get() + offset, source, size_t(first));
  if (first < length) {
    std::memcpy(buffer_.get(), static_cast<const uint8_t*>(source) + first, size_t(length - first));
  }
  fills_.fetch_add(1, std::memory_order_release);
}

void TMusicStream::Raise(uint32_t events) {
  // Wake the refill thread only when its event set turns non-empty; it takes
  // every pending event at once.
  if (events_.fetch_or(events, std::memory_order_acq_rel) == 0) wake_.release();
}

void TMusicStream::DeviceStart() {
  playPos_.store(0, std::memory_order_release);
  playing_.store(true, std::memory_order_release);
  Raise(kEventA);
}

void TMusicStream::DeviceStop() {
  if (!playing_.exchange(false, std::memory_order_acq_rel)) return;
  Raise(kEventC);
}

void TMusicStream::DeviceRead(int16_t* out, int32_t frames) {
  int32_t bytes = frames * 4;
  uint8_t* to = reinterpret_cast<uint8_t*>(out);
  if (!DevicePlaying() || size_ <= 0) {
    std::memset(to, 0, size_t(bytes));
    return;
  }
  (void)fills_.load(std::memory_order_acquire);
  int32_t pos = playPos_.load(std::memory_order_relaxed);
  uint32_t events = 0;
  while (bytes > 0) {
    int32_t n = bytes < size_ - pos ? bytes : size_ - pos;
    std::memcpy(to, buffer_.get() + pos, size_t(n));
    to += n;
    bytes -= n;
    const int32_t from = pos;
    pos += n;
    if (from < half_ && pos >= half_) events |= kEventB;
    if (pos >= size_) {
      pos = 0;
      events |= kEventA;
    }
  }
  playPos_.store(pos, std::memory_order_release);
  if (events) Raise(events);
}

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
  const uint8_t* from = static_cast<const uint8_t*>(source);
  // In pieces that each lie within one half (and wrap round the end).
  while (length > 0) {
    const int32_t halfEnd = offset < half_ ? half_ : size_;
    const int32_t n = length < halfEnd - offset ? length : halfEnd - offset;
    WriteWithinHalf(offset, from, n);
    from += n;
    length -= n;
    offset = offset + n == size_ ? 0 : offset + n;
  }
}

void TMusicStream::WriteWithinHalf(int32_t offset, const uint8_t* source, int32_t length) {
  std::atomic<bool>& busy = halfBusy_[offset < half_ ? 0 : 1];
  while (busy.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
  std::memcpy(buffer_.get() + offset, source, size_t(length));
  busy.store(false, std::memory_order_release);
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
  int32_t pos = playPos_.load(std::memory_order_relaxed);
  uint32_t events = 0;
  while (bytes > 0) {
    const int32_t halfEnd = pos < half_ ? half_ : size_;
    const int32_t n = bytes < halfEnd - pos ? bytes : halfEnd - pos;
    std::atomic<bool>& busy = halfBusy_[pos < half_ ? 0 : 1];
    if (!busy.exchange(true, std::memory_order_acquire)) {
      std::memcpy(to, buffer_.get() + pos, size_t(n));
      busy.store(false, std::memory_order_release);
    } else {
      std::memset(to, 0, size_t(n));  // the refill is late: never wait for it
    }
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

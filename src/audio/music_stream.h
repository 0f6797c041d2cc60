// The looping streaming buffer of the music on channel 0: 163,840 bytes of
// 44,100 Hz 16-bit stereo, played round and round by the sound device, with
// position events at byte 0 (A), at byte 81,920 (B) and at stop (C), and a
// refill thread that asks its owner for the half playback is not in.
//
// The device side (DeviceStart, DeviceStop, DeviceRead) runs on the sound
// device's thread and never waits: it copies, moves the play position and
// raises events. The refill thread waits up to 100 ms for an event and calls
// the fill handler, which mixes the music and Write()s it into the buffer.
// Tests drive the device side by hand to simulate the play position.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <semaphore>
#include <thread>

class TMusicStream {
 public:
  using TFillHandler = void (*)(void* context, int32_t offset, int32_t length);
  static constexpr uint32_t kEventA = 1;  // playback reached byte 0
  static constexpr uint32_t kEventB = 2;  // playback reached the middle
  static constexpr uint32_t kEventC = 4;  // playback stopped

  // size: bytes (163,840); handler(context, offset, length) refills a half.
  TMusicStream(int32_t size, TFillHandler handler, void* context);
  ~TMusicStream();  // Release()
  TMusicStream(const TMusicStream&) = delete;
  TMusicStream& operator=(const TMusicStream&) = delete;

  int32_t Size() const { return size_; }
  int32_t HalfSize() const { return half_; }

  // ---- refill side ----
  void StartRefillThread();
  // Tells the refill thread to end and waits for it.
  void Release();
  // One turn of the refill loop: waits up to waitMs for events and serves
  // them. Returns the events served (0 after a timeout).
  uint32_t ServeEvents(int32_t waitMs);
  // The position up to which the device has taken the sound: everything
  // from here on up to the other half may be rewritten.
  int32_t WritePosition() const { return playPos_.load(std::memory_order_acquire); }
  // Copies length bytes to offset (in two pieces when it wraps).
  void Write(int32_t offset, const void* source, int32_t length);

  // ---- device side ----
  void DeviceStart();  // rewinds to byte 0 and plays looping (event A)
  void DeviceStop();   // event C
  // Copies frames stereo frames from the play position into out (silence
  // when stopped) and raises the events for the positions passed.
  void DeviceRead(int16_t* out, int32_t frames);
  bool DevicePlaying() const { return playing_.load(std::memory_order_acquire); }
  int32_t PlayPosition() const { return playPos_.load(std::memory_order_acquire); }

 private:
  void Raise(uint32_t events);
  void WriteWithinHalf(int32_t offset, const uint8_t* source, int32_t length);
  void RefillLoop();

  const int32_t size_;
  const int32_t half_;
  TFillHandler handler_;
  void* context_;
  std::unique_ptr<uint8_t[]> buffer_;

  std::atomic<int32_t> playPos_{0};
  std::atomic<bool> playing_{false};
  std::atomic<uint32_t> events_{0};
  // One flag per half, held while it is written or read. The device only
  // tries it (and plays silence for that piece when the refill is late and
  // still writing there); the refill thread waits for it.
  std::atomic<bool> halfBusy_[2] = {false, false};
  std::counting_semaphore<16> wake_{0};

  bool nextHalfIsSecond_ = true;  // refill thread only
  std::thread thread_;
  std::atomic<bool> quit_{false};
};

// The refill thread's work allocates nothing: two decoders decoding, a loop
// jump, the end-of-stream return to the start and the mix, once a track is
// open. Counts the C allocator's calls made on this thread (libvorbis uses
// malloc); left out of the sanitizer builds, which own the allocator.
#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/OggDataLib.h"
#include "audio/OggPlayerLib.h"
#include "audio_test_util.h"

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
namespace {
thread_local bool gCounting = false;
thread_local long gAllocations = 0;
}  // namespace
extern "C" void* malloc(size_t n) {
  if (gCounting) gAllocations++;
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t count, size_t n) {
  if (gCounting) gAllocations++;
  return __libc_calloc(count, n);
}
extern "C" void* realloc(void* p, size_t n) {
  if (gCounting) gAllocations++;
  return __libc_realloc(p, n);
}

TEST(RefillAllocation, DecodingLoopingAndMixingAllocateNothing) {
  audiotest::LoadBinding();
  // Six seconds, a loop point at 5 s back to 1 s; the other track ends and
  // starts again.
  const auto ogg = oggtest::Encode(oggtest::Tune(6 * 44100, 2), 2, 44100);
  TOggData a(163840), b(163840);
  a.OpenMemory(oggtest::WithLoopHeader(ogg, {{1.0f, 5.0f, -1}}));
  b.OpenMemory(ogg);
  TOggPlayer player(163840, 4);
  player.SetSlot(0, &a);
  player.SetSlot(1, &b);
  player.FadeSlot(0, 0.5, 10);
  player.PlaySlot(0, true);
  player.PlaySlot(1, true);
  gAllocations = 0;
  gCounting = true;
  for (int i = 0; i < 40; i++) player.MixNextHalf();  // 18.6 s of music
  gCounting = false;
  EXPECT_EQ(gAllocations, 0);
}
#endif

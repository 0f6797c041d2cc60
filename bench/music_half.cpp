// music_half_us: producing one half-buffer of music, as the refill thread
// does every 0.46 s during a cross-fade: two decoders decoding their next
// 81,920 bytes (one of them across a loop point now and then) and the mix.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "../tests/audio/ogg_writer.h"
#include "audio/OggDataLib.h"
#include "audio/OggPlayerLib.h"
#include "bench_timing.h"
#include "figures.h"

double BenchMusicHalfUs() {
  std::string tried;
  if (!VorbisReady() && !LoadVorbisFileDLL("/nonexistent/", &tried)) return -1;
  // Twenty seconds of stereo music at the quality of the game's tracks.
  const auto ogg = oggtest::Encode(oggtest::Tune(20 * 44100, 2, 12000), 2, 44100, 0.3f);
  constexpr int32_t kStaging = 163840;
  TOggData a(kStaging), b(kStaging);
  a.OpenMemory(oggtest::WithLoopHeader(ogg, {{4.0f, 18.0f, -1}}));
  b.OpenMemory(ogg);
  TOggPlayer player(kStaging, 4);
  player.SetSlot(0, &a);
  player.SetSlot(1, &b);
  // A cross-fade in progress: one falling, one rising.
  player.FadeSlot(0, 0.0, 60);
  player.SetSlotVolume(1, 0.0);
  player.FadeSlot(1, 1.0, 60);
  player.PlaySlot(0, true);
  player.PlaySlot(1, true);
  for (int i = 0; i < 4; i++) player.MixNextHalf();  // warm up
  volatile int16_t sink = 0;
  const double us = MedianUs(
      101, [] {}, [&] { sink = player.MixNextHalf()[100]; });
  (void)sink;
  return us;
}

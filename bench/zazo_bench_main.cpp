// zazo-bench: prints one line per figure, "name value", and nothing else.
#include <cstdio>

#include "figures.h"

int main() {
  const double memcpyUs = BenchMemcpyFrameUs();
  const double playUs = BenchPlayFrameUs();
  const double titleUs = BenchTitleFrameUs();
  const double presentUs = BenchPresentPrepUs();
  const double aiMaxUs = BenchAiStepMaxUs();
  const double musicUs = BenchMusicHalfUs();
  const TReplayFigures replay = BenchLongReplay();
  // A half-buffer holds 20,480 frames of sound: 464,399 microseconds.
  constexpr double kHalfBufferUs = 464399.0;
  std::printf("memcpy_frame_us %.2f\n", memcpyUs);
  std::printf("play_frame_us %.2f\n", playUs);
  std::printf("title_frame_us %.2f\n", titleUs);
  std::printf("present_prep_us %.2f\n", presentUs);
  std::printf("ai_step_max_us %.2f\n", aiMaxUs);
  std::printf("music_half_us %.2f\n", musicUs);
  std::printf("play_frame_ratio %.3f\n", playUs / memcpyUs);
  std::printf("present_prep_ratio %.3f\n", presentUs / memcpyUs);
  std::printf("music_core_share %.5f\n", musicUs / kHalfBufferUs);
  std::printf("replay_game_s %.1f\n", replay.gameMs / 1000.0);
  std::printf("replay_bytes %zu\n", replay.bytes);
  std::printf("replay_reproduced %d\n", replay.reproduced ? 1 : 0);
  std::printf("replay_summary_ms %.1f\n", replay.summaryMs);
  return 0;
}

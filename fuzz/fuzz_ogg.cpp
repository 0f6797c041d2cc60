// Music files: the "ALPHAOGG" loop header and the Ogg Vorbis stream behind
// it, opened from memory as LoadFile does, then a few halves decoded looped,
// with a seek and a fade chosen by the input. Opening either fails with
// EOggError (decoder reset) or gives a 44,100 Hz mono or stereo stream; no
// half returns more than it holds; a decoding error stops the decoder.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/OggDataLib.h"
#include "fuzz_check.h"

namespace {
constexpr int32_t kStaging = 163840;
constexpr int kHalves = 6;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string tried;
  if (!LoadVorbisFileDLL("/nonexistent/", &tried)) {
    std::fprintf(stderr, "fuzz_ogg: libvorbisfile cannot be loaded\n");
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The last byte steers the run; the whole input is the file.
  const uint8_t steer = size > 0 ? data[size - 1] : 0;
  TOggData d(kStaging);
  try {
    d.OpenMemory(std::vector<uint8_t>(data, data + size));
  } catch (const EOggError&) {
    FUZZ_CHECK(d.State() == 0);
    return 0;
  }
  FUZZ_CHECK(d.State() == 1);
  FUZZ_CHECK(d.Rate() == 44100);
  FUZZ_CHECK(d.Channels() == 1 || d.Channels() == 2);
  FUZZ_CHECK(std::isfinite(d.TotalSeconds()) && d.TotalSeconds() >= 0);
  d.Play((steer & 1) == 0);
  if (steer & 2) d.Seek(double(steer) / 64.0 - 1.0);
  if (steer & 4) d.Fade(double(steer & 0x70) / 32.0, (steer & 8) ? 0.05 : 0.0);
  bool stopped = false;
  for (int i = 0; i < kHalves; i++) {
    const int32_t r = d.DecodeNextHalf();
    FUZZ_CHECK(r <= d.HalfSize());
    if (stopped) FUZZ_CHECK(r == 0);
    if (r < 0) {
      FUZZ_CHECK(d.State() == 1);  // an error stops the decoder
      stopped = true;
    }
    const int16_t* half = d.LastHalf();
    volatile int16_t edge = half[0] + half[d.HalfSize() / 2 - 1];
    (void)edge;
  }
  d.Stop();
  FUZZ_CHECK(d.State() == 1);
  return 0;
}

// WAV effects: SDL's reader with the game's strict hints and the conversion
// to 44,100 Hz 16-bit stereo. A file is refused or becomes a whole number of
// stereo frames no longer than an effect may be.
#include <SDL.h>

#include <cstdint>

#include "audio/sound_mixer.h"
#include "fuzz_check.h"
#include "platform/sdl_sound_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSoundData sound;
  sound.samples.push_back(1);  // the loader must empty it first
  if (!DecodeWave(data, size, sound)) {
    FUZZ_CHECK(sound.samples.empty());
    return 0;
  }
  FUZZ_CHECK(sound.samples.size() % 2 == 0);
  // Resampling may round up by a few frames.
  FUZZ_CHECK(sound.Frames() <= kMaxWaveSeconds * 44100 + 64);
  int sum = 0;
  if (!sound.samples.empty()) sum = sound.samples.front() + sound.samples.back();
  return sum == 123456;
}

// The game's sound: nine effect channels and the streamed music on one SDL2
// audio device, plus the music decoders and the Vorbis library binding.
//
// Owned by the real host; every method is called on the game's thread. A
// sound device that cannot be opened leaves everything silent but working:
// no method here ever ends the program.
#pragma once

#include <cstdint>
#include <string>

class TSoundSystem {
 public:
  // dataDir: the folder holding system/; programDir: the program's own
  // folder, where the Vorbis library is looked for first (dataDir when
  // empty). Both end in '/'. Creates nothing yet.
  explicit TSoundSystem(const std::string& dataDir, std::string programDir = "");
  ~TSoundSystem();  // runs Shutdown() if it has not run
  TSoundSystem(const TSoundSystem&) = delete;
  TSoundSystem& operator=(const TSoundSystem&) = delete;

  // Loads the Vorbis library binding. On failure returns false and sets
  // *triedPath to the path it tried (for the start-up warning); without the
  // library every music operation quietly does nothing.
  bool LoadVorbisLibrary(std::string* triedPath);

  // Creates the music player and the two decoders, opens the audio device
  // (44,100 Hz, 16-bit, stereo) and starts the looping music stream on
  // channel 0 with its refill thread.
  void Create();

  // Loads system/0n.wav into effect slot n (0..8) on channel n + 1.
  bool LoadEffect(const char* relPath, int n);
  // Plays once the effect that channel (1..9) holds.
  void PlayEffectChannel(int channel);
  // Effect 8 directly on channel 9.
  void PlayEffectChannel9();

  void ResetMusic();
  bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath, bool musicOnSlotB);

  // The listener's volumes, 0..100 %, applied to the mixed output.
  void SetVolumes(int32_t musicPercent, int32_t effectsPercent);
  // Holds every sound where it is (the game's pause) or lets it go on.
  void SetPaused(bool paused);

  // Stops every channel, waits 1,000 ms, releases the stream (joining its
  // refill thread), the decoders, the player, the effects and the binding.
  void Shutdown();

 private:
  struct TImpl;
  TImpl* impl_ = nullptr;
  std::string programDir_;
};

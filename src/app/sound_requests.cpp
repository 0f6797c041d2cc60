// The game's sound and music requests. The host plays them; the game keeps
// the one piece of music state it owns, which slot sounds now (musicOnSlotB).
#include "app/main.h"

int TMainForm::EffectChannelFor(int n) const {
  // From level 99 on the rows-completed sound is effect 8.
  if (n == 1 && level > 98) return SoundChannelOf(8);
  if (n < 0 || n > 7) return kSilentChannel;
  return SoundChannelOf(n);
}

void TMainForm::PlayEffect(int n) {
  host.PlayEffect(n, EffectChannelFor(n));
}

void TMainForm::PlayEffectChannel9() {
  host.PlayEffectChannel9();
}

void TMainForm::ResetMusic() {
  host.ResetMusic();
  musicOnSlotB = true;
}

bool TMainForm::ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath) {
  if (!host.ChangeMusic(fadeOutSeconds, fadeInSeconds, relPath, musicOnSlotB)) return false;
  musicOnSlotB = !musicOnSlotB;
  return true;
}

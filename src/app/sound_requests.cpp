// The game's sound and music requests. The host plays them; the game keeps
// the one piece of music state it owns, which slot sounds now (musicOnSlotB).
#include "app/main.h"

void TMainForm::PlayEffect(int n) {
  host.PlayEffect(n, level);
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

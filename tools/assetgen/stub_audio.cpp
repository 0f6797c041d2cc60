#include "music.h"
#include "sound_effects.h"
bool WriteSoundEffects(const std::string&, std::string*) {
  return true;
}
int MusicTrackCount() {
  return 0;
}
std::string MusicTrackFile(int) {
  return "";
}
bool WriteMusicTrack(int, const std::string&, std::string*) {
  return true;
}

#include "net/match_host.h"

#include <cstdio>
#include <cstring>

int MatchMusicIndex(const char* relPath) {
  for (int n = 0; n < kMatchMusicFiles; n++) {
    char path[32];
    MatchMusicPath(n, path);
    if (std::strcmp(path, relPath) == 0) return n;
  }
  return -1;
}

void MatchMusicPath(int n, char out[32]) {
  if (n == 0) {
    std::snprintf(out, 32, "system/nil.ogg");
  } else if (n == 1) {
    std::snprintf(out, 32, "system/bgm3m.ogg");
  } else {
    std::snprintf(out, 32, "system/bgm_%c_%02d.ogg", n < 10 ? 'a' : 'b', n < 10 ? n - 1 : n - 9);
  }
}

bool TMatchHost::ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                             bool musicOnSlotB) {
  const bool played = inner_.ChangeMusic(fadeOutSeconds, fadeInSeconds, relPath, musicOnSlotB);
  if (!inMatch) return played;
  // The game learns the match's answer; the music here plays as it can.
  const int n = MatchMusicIndex(relPath);
  return n >= 0 && (musicResults >> n & 1u) != 0;
}

void TMatchHost::LocalTimeText(char out[15]) {
  if (!inMatch) {
    inner_.LocalTimeText(out);
    return;
  }
  std::memcpy(out, localTime, 15);
}

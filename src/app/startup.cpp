// Start-up and shutdown of the game object, in the game's fixed order.
#include <cstdio>

#include "app/main.h"

namespace {
// The nine sprite sheets, in loading order, with where they go.
struct TSheet {
  const char* path;
  TBitmap TMainForm::*bitmap;
};
constexpr TSheet kSheets[] = {
    {"graph/info.bmp", &TMainForm::infoBmp},     {"graph/item.bmp", &TMainForm::itemBmp},
    {"graph/label.bmp", &TMainForm::labelBmp},   {"graph/title.bmp", &TMainForm::titleBmp},
    {"graph/gauge.bmp", &TMainForm::gaugeBmp},   {"graph/score.bmp", &TMainForm::scoreBmp},
    {"graph/score2.bmp", &TMainForm::score2Bmp}, {"graph/bg.bmp", &TMainForm::bgBmp},
    {"graph/bom.bmp", &TMainForm::bomBmp},
};
}  // namespace

void TMainForm::FormCreate() {
  // The best score comes first, before anything else is created.
  bestScore = host.LoadBestScore();
  // The Vorbis library: a failure is reported by the host and start-up goes on.
  host.LoadVorbisLibrary();
  // Music player, decoders, output format and the looping stream on channel 0.
  host.CreateSound();
  musicOnSlotB = true;
  LoadAssets();
  scene = kSceneTitle;
  lastFrameTick = host.Clock();
  loopRunning = true;
}

void TMainForm::LoadAssets() {
  errorCode = 0;
  boardLeft = 32;
  boardTop = 32;
  screenBmp.SetSize(640, 480);
  bgCacheBmp.SetSize(640, 480);
  showBackground = true;
  showEffects = true;
  menuChoice = 0;
  menuChoicePrev = 0;
  ResetMusic();
  for (int n = 0; n <= 8; n++) {
    char path[32];
    std::snprintf(path, sizeof path, "system/%02d.wav", n);
    host.LoadEffect(path, n);
  }
  // A missing (or unreadable) picture sets errorCode 1; the others still load.
  for (const TSheet& sheet : kSheets) {
    if (!host.LoadPicture(sheet.path, this->*sheet.bitmap)) errorCode = 1;
  }
  // The sheets drawn with the key colour every frame get their key masks.
  for (TBitmap* keyed : {&itemBmp, &scoreBmp, &score2Bmp, &infoBmp, &bomBmp}) {
    keyed->BuildKeyMask();
  }
}

void TMainForm::FormDestroy() {
  SaveBestScore();
}

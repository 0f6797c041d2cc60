// Start-up and shutdown of the game object, in the game's fixed order.
#include <cstdio>

#include "app/main.h"

namespace {
// The nine sprite sheets, in loading order, with where they go: a plain
// picture or a keyed sheet (one of the two members is set).
struct TSheetFile {
  const char* path;
  TBitmap TMainForm::*bitmap;
  TKeyedSheet TMainForm::*keyed;
};
constexpr TSheetFile kSheets[] = {
    {"graph/info.bmp", nullptr, &TMainForm::infoBmp},
    {"graph/item.bmp", nullptr, &TMainForm::itemBmp},
    {"graph/label.bmp", &TMainForm::labelBmp, nullptr},
    {"graph/title.bmp", &TMainForm::titleBmp, nullptr},
    {"graph/gauge.bmp", &TMainForm::gaugeBmp, nullptr},
    {"graph/score.bmp", nullptr, &TMainForm::scoreBmp},
    {"graph/score2.bmp", nullptr, &TMainForm::score2Bmp},
    {"graph/bg.bmp", &TMainForm::bgBmp, nullptr},
    {"graph/bom.bmp", nullptr, &TMainForm::bomBmp},
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
  for (const TSheetFile& sheet : kSheets) {
    bool loaded = false;
    if (sheet.bitmap != nullptr) {
      loaded = host.LoadPicture(sheet.path, this->*sheet.bitmap);
    } else {
      (this->*sheet.keyed).Edit([&](TBitmap& b) { loaded = host.LoadPicture(sheet.path, b); });
    }
    if (!loaded) errorCode = 1;
  }
}

void TMainForm::FormDestroy() {
  SaveBestScore();
}

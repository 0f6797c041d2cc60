#include "platform/sdl_host.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/main.h"
#include "platform/picture_loader.h"
#include "render/bitmap.h"
#include "replay/replay_recorder.h"
#include "score/atomic_file.h"
#include "score/best_score_file.h"
#include "score/score_signature.h"
#include "system/local_board_start.h"

namespace {

constexpr const char* kCaption = "Zazo Puzzle";

// A modal box with one OK button that Return and Esc both close.
void MessageBox(SDL_Window* parent, Uint32 kind, const char* title, const char* text) {
  if (parent && !(SDL_GetWindowFlags(parent) & SDL_WINDOW_SHOWN)) parent = nullptr;
  const SDL_MessageBoxButtonData ok{
      SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"};
  const SDL_MessageBoxData data{kind, parent, title, text, 1, &ok, nullptr};
  int pressed = 0;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) {
    std::fprintf(stderr, "Zazo Puzzle: cannot show a message box (%s)\n", SDL_GetError());
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Window, renderer, presentation
// ---------------------------------------------------------------------------

TSdlHost::TSdlHost(std::string exeDir)
    : TSdlHost(TGameFolders{exeDir, exeDir, exeDir + "save/", true, 0}) {}

TSdlHost::TSdlHost(const TGameFolders& folders)
    : folders_(folders),
      scorePath_(folders.saveDir + "score.dat"),
      pagePath_(folders.saveDir + "scorereg.html"),
      sound_(folders.dataDir, folders.programDir),
      dxDraw_(displayPlatform_) {
  board_.exeDir = folders.programDir;
  board_.tokensPath = folders.saveDir + "tokens.toml";
  // The time zone is read now, not at the first game over inside a frame.
  tzset();
}

TSdlHost::~TSdlHost() {
  DestroyWindow();
}

bool TSdlHost::CreateWindow() {
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  // A click that activates the window also reaches the game, as it always has.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "Zazo Puzzle: cannot open the display: %s\n", SDL_GetError());
    return false;
  }
  videoUp_ = true;
  // A whole multiple of the frame, by the player's window scale or the
  // desktop's size; the player may resize it, the picture follows.
  int32_t scale = 1;
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    SDL_Rect usable{0, 0, desktop.w, desktop.h};
    SDL_GetDisplayUsableBounds(0, &usable);
    scale = StartWindowScale(Settings().windowScale, desktop.h, usable.w, usable.h);
  }
  window_ = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kFrameWidth * scale, kFrameHeight * scale,
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!window_) {
    std::fprintf(stderr, "Zazo Puzzle: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    std::fprintf(stderr, "Zazo Puzzle: cannot draw into the window: %s\n", SDL_GetError());
    return false;
  }
  frameTexture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                                    kFrameWidth, kFrameHeight);
  if (!frameTexture_) {
    std::fprintf(stderr, "Zazo Puzzle: cannot create the frame texture: %s\n", SDL_GetError());
    return false;
  }
  // Pixel for pixel whatever the output size: set once, not per frame.
  SDL_SetTextureScaleMode(frameTexture_, SDL_ScaleModeNearest);
  // Keys are keys: no input method composing text over the game.
  SDL_StopTextInput();
  widgetView_.Create(renderer_, widgets_);
  overlayView_.Create(renderer_);
  boardView_.Create(renderer_);
  optionsView_.Create(renderer_);
  OpenGamepads();
  displayPlatform_.window = window_;
  dxDraw_.InitializeDisplay();  // windowed: never refused
  // Black until the first frame.
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderPresent(renderer_);
  return true;
}

void TSdlHost::ShowWindow() {
  if (!window_) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  repaint_ = true;
}

void TSdlHost::HideWindow() {
  if (window_) SDL_HideWindow(window_);
}

void TSdlHost::DestroyWindow() {
  board_.Finish();
  widgetView_.Destroy();
  overlayView_.Destroy();
  boardView_.Destroy();
  optionsView_.Destroy();
  for (SDL_GameController*& pad : pads_) {
    if (pad) SDL_GameControllerClose(pad);
    pad = nullptr;
  }
  if (padsUp_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  padsUp_ = false;
  if (sharpTexture_) SDL_DestroyTexture(sharpTexture_);
  sharpTexture_ = nullptr;
  sharpStep_ = 0;
  if (frameTexture_) SDL_DestroyTexture(frameTexture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  frameTexture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  displayPlatform_.window = nullptr;
  if (videoUp_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoUp_ = false;
}

void TSdlHost::UploadFrame(const TBitmap& screen) {
  if (!frameTexture_ || screen.Width() != kFrameWidth || screen.Height() != kFrameHeight) return;
  SDL_UpdateTexture(frameTexture_, nullptr, screen.Data(), screen.Stride());
}

void TSdlHost::Render() {
  if (!renderer_) return;
  int outW = 0, outH = 0;
  SDL_GetRendererOutputSize(renderer_, &outW, &outH);
  const TFrameRect frame = FitFrame(outW, outH);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const uint32_t now = SDL_GetTicks();
  if (pauseClock_.Paused()) {
    overlayView_.DrawPause(renderer_, frame);
  } else {
    if (lastFrame_) CopyFrame(frame);
    widgetView_.Draw(renderer_, widgets_, frame, now);
    boardShown_ = board_.Message(now);
    boardView_.Draw(renderer_, frame, boardShown_);
  }
  if (options_.IsOpen()) {
    optionsView_.Draw(renderer_, frame, options_);
  } else if (form_ && form_->scene == 100 && form_->loopRunning && form_->errorCode == 0 &&
             !pauseClock_.Paused() && lastFrame_) {
    // Only over a title the game really draws (not after an error).
    optionsView_.DrawTitleHints(renderer_, frame);
  }
  if (match) match->Draw(renderer_, frame);
  if (meeting) meeting->Draw(renderer_, frame);
  overlayShown_ = volume_.Shown(now);
  if (overlayShown_ != 0) {
    overlayView_.DrawVolume(renderer_, frame, overlayShown_,
                            overlayShown_ == 1 ? volume_.MusicPercent() : volume_.EffectsPercent());
  }
  SDL_RenderPresent(renderer_);
  repaint_ = false;
}

void TSdlHost::CopyFrame(const TFrameRect& frame) {
  const SDL_Rect dst{frame.x, frame.y, frame.w, frame.h};
  const int32_t step = SharpStep(frame);
  if (step != sharpStep_) {
    // Made once per output size (entering full screen), never per frame.
    if (sharpTexture_) SDL_DestroyTexture(sharpTexture_);
    sharpTexture_ = nullptr;
    sharpStep_ = step;
    if (step > 0) {
      sharpTexture_ =
          SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                            kFrameWidth * step, kFrameHeight * step);
      if (sharpTexture_) SDL_SetTextureScaleMode(sharpTexture_, SDL_ScaleModeLinear);
    }
  }
  if (step == 0 || !sharpTexture_ || SDL_SetRenderTarget(renderer_, sharpTexture_) != 0) {
    SDL_RenderCopy(renderer_, frameTexture_, nullptr, &dst);
    return;
  }
  // Pixel for pixel up to the next whole step, then smoothly down: crisp
  // pixels without uneven rows and columns.
  SDL_RenderCopy(renderer_, frameTexture_, nullptr, nullptr);
  SDL_SetRenderTarget(renderer_, nullptr);
  SDL_RenderCopy(renderer_, sharpTexture_, nullptr, &dst);
}

void TSdlHost::PresentFrame(const TBitmap& screen) {
  lastFrame_ = &screen;
  UploadFrame(screen);
  Render();
}

void TSdlHost::RepaintIfNeeded() {
  if (!repaint_) return;
  if (lastFrame_) UploadFrame(*lastFrame_);
  Render();
}

bool TSdlHost::PointerToFrame(int32_t x, int32_t y, int32_t* fx, int32_t* fy) const {
  if (!window_ || !renderer_) return false;
  int winW = 0, winH = 0, outW = 0, outH = 0;
  SDL_GetWindowSize(window_, &winW, &winH);
  SDL_GetRendererOutputSize(renderer_, &outW, &outH);
  return MapPointerToFrame(FitFrame(outW, outH), winW, winH, outW, outH, x, y, fx, fy);
}

// ---------------------------------------------------------------------------
// Boxes
// ---------------------------------------------------------------------------

void TSdlHost::ShowWarning(const char* text) {
  std::fprintf(stderr, "Zazo Puzzle: 警告: %s\n", text);
  MessageBox(window_, SDL_MESSAGEBOX_WARNING, "警告", text);
  repaint_ = true;
}

void TSdlHost::ShowErrorBox(const char* text) {
  std::fprintf(stderr, "Zazo Puzzle: error: %s\n", text);
  MessageBox(window_, SDL_MESSAGEBOX_ERROR, kCaption, text);
  repaint_ = true;
}

// ---------------------------------------------------------------------------
// Start-up services, files, sound
// ---------------------------------------------------------------------------

int32_t TSdlHost::LoadBestScore() {
  // What saves cut short by a crash left behind goes first.
  RemoveLeftoverTemporaries(scorePath_.c_str());
  RemoveLeftoverTemporaries(pagePath_.c_str());
  return LoadBestScoreFile(scorePath_);
}

bool TSdlHost::ReadySaveFolder(std::string* error) {
  if (folders_.createMode == 0 || MakeFolderPath(folders_.saveDir, folders_.createMode))
    return true;
  *error = "cannot create the folder " + folders_.saveDir + ": " + std::strerror(errno);
  return false;
}

void TSdlHost::SaveBestScore(int32_t value) {
  // Also called inside frames (game over): the path is made once, up front.
  std::string error;
  if (!ReadySaveFolder(&error) || !SaveBestScoreFile(scorePath_, value, &error)) {
    std::fprintf(stderr, "Zazo Puzzle: the best score %d could not be saved: %s\n",
                 static_cast<int>(value), error.c_str());
    // The player hears of it once a run; the game goes on.
    if (!saveWarned_) {
      saveWarned_ = true;
      const std::string text = "エラー : " + scorePath_ + " にベストスコアを保存できません.";
      ShowWarning(text.c_str());
    }
  }
}

bool TSdlHost::LoadVorbisLibrary() {
  std::string tried;
  if (sound_.LoadVorbisLibrary(&tried)) return true;
  const std::string text = "エラー : " + tried + " がみつかりません.";
  ShowWarning(text.c_str());
  return false;
}

void TSdlHost::CreateSound() {
  sound_.Create();
}

bool TSdlHost::LoadEffect(const char* relPath, int n) {
  return sound_.LoadEffect(relPath, n);
}

bool TSdlHost::LoadPicture(const char* relPath, TBitmap& into) {
  std::string error;
  if (LoadPictureFile((folders_.dataDir + relPath).c_str(), into, &error, &pictureBudget_)) {
    return true;
  }
  std::fprintf(stderr, "Zazo Puzzle: picture %s%s: %s\n", folders_.dataDir.c_str(), relPath,
               error.c_str());
  return false;
}

uint32_t TSdlHost::Clock() {
  return pauseClock_.GameTime(SDL_GetTicks());
}

void TSdlHost::TogglePause() {
  const uint32_t now = SDL_GetTicks();
  if (pauseClock_.Paused()) {
    pauseClock_.Resume(now);
  } else if (form_ && PauseAllowed(form_->scene)) {
    pauseClock_.Pause(now);
  } else {
    return;
  }
  sound_.SetPaused(pauseClock_.Paused());
  repaint_ = true;
}

void TSdlHost::PlayEffect(int, int channel) {
  sound_.PlayEffectChannel(channel);
}

void TSdlHost::PlayEffectChannel9() {
  sound_.PlayEffectChannel9();
}

void TSdlHost::ResetMusic() {
  sound_.ResetMusic();
}

bool TSdlHost::ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                           bool musicOnSlotB) {
  return sound_.ChangeMusic(fadeOutSeconds, fadeInSeconds, relPath, musicOnSlotB);
}

void TSdlHost::LocalTimeText(char out[15]) {
  const time_t now = time(nullptr);
  struct tm local;
  if (!localtime_r(&now, &local) || strftime(out, 15, "%Y%m%d%H%M%S", &local) != 14) {
    std::snprintf(out, 15, "%s", "00000000000000");
  }
}

// ---------------------------------------------------------------------------
// Window actions
// ---------------------------------------------------------------------------

void TSdlHost::ShowScoreWidgets(const char* scoreText, const char* md5Hex) {
  widgets_.Show(scoreText, md5Hex);
  repaint_ = true;
}

void TSdlHost::HideScoreWidgets() {
  widgets_.Hide();
  repaint_ = true;
}

void TSdlHost::ToggleFullScreen() {
  try {
    dxDraw_.ToggleFullScreen();
  } catch (const TDisplayError& e) {
    ShowErrorBox(e.what());
  }
  repaint_ = true;
}

void TSdlHost::CloseWindow() {
  quit_ = true;
}

std::string TSdlHost::LastReplayPath() const {
  return recorder ? recorder->LastReplayPath() : std::string();
}

void TSdlHost::RegScoreBtnClick() {
  if (dxDraw_.doFullScreen) ToggleFullScreen();
  const std::string scoreText = widgets_.text[kWidgetScoreEdit];
  const std::string md5 = widgets_.text[kWidgetScoreMd5];
  BoardFromSettings();
  // A challenge game's replay goes to the board first; the page follows
  // when the board has answered (PollBoard), the window going on meanwhile.
  if (board_.StartChallengeUpload(LastReplayPath(), scoreText, md5, SDL_GetTicks())) {
    repaint_ = true;
    return;
  }
  std::string error;
  // The local board: a zazo-scores listening by the time the page forwards
  // there, with this game's replay to verify the score.
  if (board_.address.local && !StartLocalBoard(ExeDir(), LastReplayPath(), &error))
    std::fprintf(stderr, "Zazo Puzzle: the local score board was not started: %s\n", error.c_str());
  WriteAndOpenPage(RegistrationLinkAt(RegistrationAddressOf(board_.address.base), scoreText, md5));
}

void TSdlHost::WriteAndOpenPage(const std::string& link) {
  std::string error;
  const std::string page = BuildRegistrationPageFor(link);
  const std::string& path = pagePath_;
  if (ReadySaveFolder(&error) &&
      WriteFileAtomically(path.c_str(), page.data(), page.size(), &error)) {
    // The game never waits for the browser (the opener is collected later,
    // between frames); an opener that cannot start or gives up within the
    // button's one-second pause means no browser will show the page.
    const bool started = opener_.Open(pageOpener.c_str(), path.c_str());
    const int status = started ? WaitBrieflyForExit(opener_.LastStarted(), 1000) : -1;
    if (!started || status > 0) {
      const std::string text =
          "ブラウザでページを開けませんでした。次のファイルを開いてください:\n"
          "The page could not be opened in a browser. Please open this file:\n" +
          path;
      ShowWarning(text.c_str());
    }
    if (!started) SDL_Delay(1000);
  } else {
    std::fprintf(stderr, "Zazo Puzzle: the registration page could not be written: %s\n",
                 error.c_str());
    SDL_Delay(1000);
  }
  repaint_ = true;
}

void TSdlHost::BoardFromSettings() {
  const TSettings& s = Settings();
  board_.playerName = s.playerName;
  if (boardGiven_) return;
  TBoardAddress address;  // the build's board
  std::string error;
  if (!s.boardUrl.empty() && !ParseBoardAddress(s.boardUrl, &address, &error)) {
    std::fprintf(stderr, "Zazo Puzzle: the settings' board is not used: %s\n", error.c_str());
    address = TBoardAddress();
  }
  board_.address = address;
}

void TSdlHost::RequestDailyChallenge() {
  BoardFromSettings();
  std::string error;
  // Tokens go where the best score goes.
  ReadySaveFolder(&error);
  board_.RequestDaily(SDL_GetTicks());
  repaint_ = true;
}

void TSdlHost::PollBoard() {
  const uint32_t now = SDL_GetTicks();
  const TBoardEvent event = board_.Poll(form_ ? form_->scene : 0, now);
  if (event == TBoardEvent::kStartChallenge && form_) {
    // The normal game, as the title's '4' starts it; the dealt start
    // follows right before its first frame.
    GameKey(static_cast<uint16_t>('4'), false);
  } else if (event == TBoardEvent::kOpenPage) {
    WriteAndOpenPage(board_.PageLink());
  }
  if (board_.Message(now) != boardShown_) repaint_ = true;
}

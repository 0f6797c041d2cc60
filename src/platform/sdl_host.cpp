#include "platform/sdl_host.h"

#include <cstdio>
#include <ctime>

#include "app/main.h"
#include "platform/picture_loader.h"
#include "render/bitmap.h"
#include "score/atomic_file.h"
#include "score/best_score_file.h"
#include "score/score_signature.h"

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
    : exeDir_(std::move(exeDir)),
      scorePath_(exeDir_ + "save/score.dat"),
      sound_(exeDir_),
      dxDraw_(displayPlatform_) {
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
  window_ = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kFrameWidth,
                             kFrameHeight, SDL_WINDOW_HIDDEN);
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
  // Keys are keys: no input method composing text over the game.
  SDL_StopTextInput();
  widgetView_.Create(renderer_, widgets_);
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
  widgetView_.Destroy();
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
  const SDL_Rect dst{frame.x, frame.y, frame.w, frame.h};
  if (lastFrame_) SDL_RenderCopy(renderer_, frameTexture_, nullptr, &dst);
  widgetView_.Draw(renderer_, widgets_, frame, SDL_GetTicks());
  SDL_RenderPresent(renderer_);
  repaint_ = false;
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
  return LoadBestScoreFile(scorePath_);
}

void TSdlHost::SaveBestScore(int32_t value) {
  // Also called inside frames (game over): the path is made once, up front.
  std::string error;
  if (!SaveBestScoreFile(scorePath_, value, &error)) {
    std::fprintf(stderr, "Zazo Puzzle: the best score %d could not be saved: %s\n",
                 static_cast<int>(value), error.c_str());
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
  if (LoadPictureFile((exeDir_ + relPath).c_str(), into, &error)) return true;
  std::fprintf(stderr, "Zazo Puzzle: picture %s%s: %s\n", exeDir_.c_str(), relPath, error.c_str());
  return false;
}

uint32_t TSdlHost::Clock() {
  return SDL_GetTicks();
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

void TSdlHost::RegScoreBtnClick() {
  if (dxDraw_.doFullScreen) ToggleFullScreen();
  const std::string page =
      BuildRegistrationPage(widgets_.text[kWidgetScoreEdit], widgets_.text[kWidgetScoreMd5]);
  const std::string path = exeDir_ + "save/scorereg.html";
  std::string error;
  if (WriteFileAtomically(path.c_str(), page.data(), page.size(), &error)) {
    // Whether a browser opens is not our concern; the game never waits for
    // it (the finished opener is collected later, between frames).
    if (!opener_.Open(pageOpener.c_str(), path.c_str()))
      std::fprintf(stderr, "Zazo Puzzle: cannot start %s to show %s\n", pageOpener.c_str(),
                   path.c_str());
  } else {
    std::fprintf(stderr, "Zazo Puzzle: the registration page could not be written: %s\n",
                 error.c_str());
  }
  SDL_Delay(1000);
  repaint_ = true;
}

// The real host on SDL's dummy video driver: what reaches the window, the
// input path from SDL events to the game's handlers, full screen, the best
// score and the registration page through the host.
#include "platform/sdl_host.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "app/main.h"
#include "render/bitmap.h"
#include "score/score_signature.h"
#include "support/heap_counter.h"
#include "system/program_env.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SdlHost : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    dir = fs::temp_directory_path() /
          ("zazo_host_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir / "save");
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string ExeDir() const { return dir.string() + "/"; }

  // The colour of one output pixel after the last present, as 0xRRGGBB.
  static uint32_t OutputPixel(TSdlHost& host, int x, int y) {
    SDL_Renderer* r = SDL_GetRenderer(host.Window());
    uint32_t pixel = 0;
    SDL_Rect one{x, y, 1, 1};
    EXPECT_EQ(SDL_RenderReadPixels(r, &one, SDL_PIXELFORMAT_RGB888, &pixel, 4), 0)
        << SDL_GetError();
    return pixel & 0xFFFFFF;
  }

  static void SendKey(TSdlHost& host, SDL_Scancode sc, SDL_Keycode sym, uint16_t mod) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    host.HandleEvent(e);
  }

  static void SendMotion(TSdlHost& host, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    host.HandleEvent(e);
  }

  fs::path dir;
};

TEST_F(SdlHost, FrameReachesTheWindowInItsOwnColoursWithWidgetsOver) {
  TSdlHost host(ExeDir());
  ASSERT_TRUE(host.CreateWindow());
  TBitmap screen;
  screen.SetSize(640, 480);
  for (int y = 0; y < 480; y++) {
    for (int x = 0; x < 640; x++) {
      uint8_t* p = screen.Row(y) + x * 3;
      p[0] = 0x30;  // blue
      p[1] = 0x20;  // green
      p[2] = 0x10;  // red
    }
  }
  screen.Row(479)[639 * 3 + 2] = 0xFF;
  host.PresentFrame(screen);
  EXPECT_EQ(OutputPixel(host, 0, 0), 0x102030u);
  EXPECT_EQ(OutputPixel(host, 630, 48), 0x102030u);
  EXPECT_EQ(OutputPixel(host, 639, 479), 0xFF2030u);

  host.ShowScoreWidgets("202407032005090001234500000012061", "0123456789abcdef0123456789abcdef");
  host.PresentFrame(screen);
  EXPECT_EQ(OutputPixel(host, 630, 48), 0x004000u);  // scoreEdit
  EXPECT_EQ(OutputPixel(host, 630, 72), 0x004040u);  // scoreMd5
  EXPECT_EQ(OutputPixel(host, 620, 90), 0xD4D0C8u);  // regScoreBtn
  EXPECT_EQ(OutputPixel(host, 399, 48), 0x102030u);  // left of the fields
  host.HideScoreWidgets();
  host.PresentFrame(screen);
  EXPECT_EQ(OutputPixel(host, 630, 48), 0x102030u);
}

TEST_F(SdlHost, KeysAndPointerReachTheGameAndFullScreenMapsThePointerBack) {
  TSdlHost host(ExeDir());
  ASSERT_TRUE(host.CreateWindow());
  TMainForm form(host);
  host.AttachForm(&form);
  form.FormCreate();  // no pictures here: errorCode 1, which no frame reports
  ASSERT_EQ(form.scene, kSceneTitle);

  // Pointer over the second menu item, windowed: client pixels as they are.
  SendMotion(host, 100, 230);
  EXPECT_EQ(form.menuChoice, 2);

  // Alt+Return: full screen over the whole (dummy) display.
  SendKey(host, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
  ASSERT_TRUE(host.DxDraw().FullScreenActive());
  int outW = 0, outH = 0;
  SDL_GetRendererOutputSize(SDL_GetRenderer(host.Window()), &outW, &outH);
  const TFrameRect frame = FitFrame(outW, outH);
  ASSERT_GT(frame.w, 0);
  // The same frame pixel (100, 290): menu item 4, reached through the scaling.
  const int32_t factor = frame.w / 640;
  SendMotion(host, frame.x + 100 * factor, frame.y + 290 * factor);
  EXPECT_EQ(form.menuChoice, 4);
  // On the black border: not the game picture, nothing changes.
  if (frame.y > 0) {
    SendMotion(host, frame.x + 100, frame.y - 1);
    EXPECT_EQ(form.menuChoice, 4);
  }

  // Alt+Return again: back to the window.
  SendKey(host, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
  EXPECT_FALSE(host.DxDraw().doFullScreen);
  EXPECT_FALSE(host.DxDraw().FullScreenActive());

  // Shift+4 and Caps Lock do not matter; the keypad 4 without Num Lock is
  // the left arrow, not the digit (with Num Lock it is the digit).
  SendKey(host, SDL_SCANCODE_KP_4, SDLK_KP_4, KMOD_NONE);
  EXPECT_EQ(form.scene, kSceneTitle);
  SendKey(host, SDL_SCANCODE_4, SDLK_4, KMOD_SHIFT);
  EXPECT_EQ(form.scene, kSceneTitleSlide);
  EXPECT_EQ(form.versusMode, 0);

  // Esc asks the window to close.
  EXPECT_FALSE(host.QuitRequested());
  SendKey(host, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE);
  EXPECT_TRUE(host.QuitRequested());
  host.ShutdownSound();
}

TEST_F(SdlHost, BestScoreThroughTheHostAndAFailedSaveGoesOn) {
  TSdlHost host(ExeDir());
  EXPECT_EQ(host.LoadBestScore(), 765);
  host.SaveBestScore(1234);
  EXPECT_EQ(ReadAll(dir / "save" / "score.dat"), "1234\r\n");
  EXPECT_EQ(host.LoadBestScore(), 1234);

  fs::remove_all(dir / "save");
  ::testing::internal::CaptureStderr();
  host.SaveBestScore(99);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("could not be saved"), std::string::npos) << said;
  EXPECT_EQ(host.LoadBestScore(), 765);
}

TEST_F(SdlHost, RegistrationPageIsWrittenOpenedAndTheButtonWaitsASecond) {
  TSdlHost host(ExeDir());
  host.pageOpener = "true";
  const char* text = "202407032005090001234500000012061";
  const char* md5 = "0123456789abcdef0123456789abcdef";
  host.ShowScoreWidgets(text, md5);
  const auto start = std::chrono::steady_clock::now();
  host.RegScoreBtnClick();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(990));
  EXPECT_LT(waited, std::chrono::seconds(30));  // and then goes on, however busy the machine
  EXPECT_EQ(ReadAll(dir / "save" / "scorereg.html"), BuildRegistrationPage(text, md5));

  // Without the save folder the page cannot be written: said, not opened.
  fs::remove_all(dir / "save");
  host.pageOpener = "/nonexistent/opener";
  ::testing::internal::CaptureStderr();
  host.RegScoreBtnClick();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("registration page could not be written"), std::string::npos) << said;
  EXPECT_EQ(said.find("cannot start"), std::string::npos) << said;
}

TEST_F(SdlHost, WhatFramesCallAllocatesNothing) {
  TSdlHost host(ExeDir());
  ASSERT_TRUE(host.CreateWindow());
  TBitmap screen;
  screen.SetSize(640, 480);
  host.PresentFrame(screen);
  host.SaveBestScore(1);
  char text[15];
  host.LocalTimeText(text);

  gAllocations = 0;
  gCounting = true;
  for (int i = 0; i < 5; i++) {
    host.PresentFrame(screen);
    host.LocalTimeText(text);
    host.ShowScoreWidgets("202407032005090001234500000012061", "0123456789abcdef0123456789abcdef");
    host.SaveBestScore(1234 + i);
    host.HideScoreWidgets();
    (void)host.Clock();
  }
  gCounting = false;
  EXPECT_EQ(gAllocations.load(), 0);
}

TEST_F(SdlHost, UnreadablePictureCountsAsMissingAndIsNamed) {
  fs::create_directories(dir / "graph");
  std::ofstream(dir / "graph" / "title.bmp") << "not a picture at all";
  TSdlHost host(ExeDir());
  ::testing::internal::CaptureStderr();
  TBitmap bmp;
  EXPECT_FALSE(host.LoadPicture("graph/title.bmp", bmp));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(bmp.Empty());
  EXPECT_NE(said.find("graph/title.bmp: not a BMP file"), std::string::npos) << said;
}

TEST_F(SdlHost, LocalTimeIsFourteenDigits) {
  TSdlHost host(ExeDir());
  char text[15];
  host.LocalTimeText(text);
  ASSERT_EQ(std::string(text).size(), 14u);
  for (char c : std::string(text)) EXPECT_TRUE(c >= '0' && c <= '9');
  const uint32_t before = host.Clock();
  SDL_Delay(20);
  EXPECT_GE(host.Clock() - before, 19u);
}

TEST(ProgramEnv, FolderOfThePath) {
  EXPECT_EQ(FolderOfPath("/opt/zazo/zazo-puzzle"), "/opt/zazo/");
  EXPECT_EQ(FolderOfPath("/zazo-puzzle"), "/");
  EXPECT_EQ(FolderOfPath("zazo-puzzle"), "./");
  const std::string self = ProgramFolder();
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(self.back(), '/');
  EXPECT_TRUE(fs::exists(self + "test_platform"));
  EXPECT_LT(UtcTimeOfDayMs(), 86400000u);
}

}  // namespace

// Gamepads, title keys and pause through the real host on SDL's dummy
// drivers: virtual pads with a mapping (from a gamecontrollerdb.txt beside
// the program, or added while running), the inputs reaching a game on the
// recording host, hot-plugging, two pads in versus.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/main.h"
#include "platform/sdl_host.h"
#include "recording_host.h"

namespace {

namespace fs = std::filesystem;

// Buttons 0..14 and axes 0..5 of the virtual pad, in SDL's own order; a
// mapping file only takes lines that name their platform.
constexpr const char* kMapping =
    ",Zazo Test Pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,"
    "rightstick:b8,leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,"
    "dpright:b14,leftx:a0,lefty:a1,rightx:a2,righty:a3,lefttrigger:a4,righttrigger:a5,"
    "platform:Linux,";

class Gamepad : public ::testing::Test {
 protected:
  Gamepad() : game("/nonexistent/"), form(game) {}

  void SetUp() override {
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    dir = fs::temp_directory_path() /
          ("zazo_pad_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir / "save");
    // The dummy window never has the keyboard focus, without which SDL
    // drops pad presses as meant for another program.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    game.readPictures = false;
    form.FormCreate();
    form.SeedMt(4242);
    form.SeedLcg(777);
  }

  void TearDown() override {
    for (int i = 0; i < 2; i++) Unplug(i);
    host.reset();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    fs::remove_all(dir);
  }

  // Plugs in virtual pad `i`, a plain joystick that only the mapping line
  // returned makes a game controller, and returns that line.
  std::string Plug(int i) {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = 6;
    desc.nbuttons = 15;
    desc.vendor_id = 0x7a7a;
    desc.product_id = static_cast<Uint16>(0x100 + i);
    desc.name = "Zazo Test Pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    joystick[i] = SDL_JoystickOpen(index);
    EXPECT_NE(joystick[i], nullptr) << SDL_GetError();
    return std::string(guid) + kMapping;
  }

  void Unplug(int i) {
    if (!joystick[i]) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick[i]);
    SDL_JoystickClose(joystick[i]);
    joystick[i] = nullptr;
    for (int d = 0; d < SDL_NumJoysticks(); d++) {
      if (SDL_JoystickGetDeviceInstanceID(d) == id) SDL_JoystickDetachVirtual(d);
    }
  }

  void StartHost() {
    host = std::make_unique<TSdlHost>(dir.string() + "/");
    ASSERT_TRUE(host->CreateWindow());
    host->AttachForm(&form);
    host->DrainEvents();
  }

  // A button pressed and let go, with the host reading the pad in between.
  void Tap(int pad, int button) {
    SDL_JoystickSetVirtualButton(joystick[pad], button, 1);
    host->DrainEvents();
    SDL_JoystickSetVirtualButton(joystick[pad], button, 0);
    host->DrainEvents();
  }

  // Frames of the game on its simulated clock until `scene` (at most 200).
  void FramesUntil(int32_t scene) {
    for (int i = 0; i < 200 && form.scene != scene; i++) {
      game.clock += 16;
      form.IdleFrame(game.clock);
    }
    ASSERT_EQ(form.scene, scene);
  }

  static constexpr int kA = 0, kB = 1, kBack = 4, kStart = 6, kUp = 11, kDown = 12, kRight = 14;

  fs::path dir;
  TRecordingHost game;
  TMainForm form;
  std::unique_ptr<TSdlHost> host;
  SDL_Joystick* joystick[2] = {};
};

TEST_F(Gamepad, FromTheMappingFileTitleByPointerPlayRepeatPauseAndUnplug) {
  std::ofstream(dir / "gamecontrollerdb.txt") << "# test pads\n" << Plug(0) << "\n";
  StartHost();
  ASSERT_EQ(host->PadCount(), 1);

  // Title: down, down, up highlight rows 1, 2, 1 through the hover rule,
  // which plays its sound for each; A chooses row 1.
  game.ClearEvents();
  Tap(0, kDown);
  EXPECT_EQ(form.menuChoice, 1);
  Tap(0, kDown);
  EXPECT_EQ(form.menuChoice, 2);
  Tap(0, kUp);
  EXPECT_EQ(form.menuChoice, 1);
  EXPECT_EQ(game.Events(), "sound 2\nsound 2\nsound 2\n");
  Tap(0, kA);
  EXPECT_EQ(form.scene, kSceneTitleSlide);
  EXPECT_EQ(form.advancedStart, 0);
  EXPECT_EQ(form.versusMode, 0);
  FramesUntil(kScenePlay);

  // One cell per press; held, it repeats after the delay.
  ASSERT_EQ(form.cursorX, 0);
  SDL_JoystickSetVirtualButton(joystick[0], kRight, 1);
  host->DrainEvents();
  EXPECT_EQ(form.cursorX, 1);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(650);
  while (std::chrono::steady_clock::now() < until) {
    host->DrainEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  SDL_JoystickSetVirtualButton(joystick[0], kRight, 0);
  host->DrainEvents();
  EXPECT_GE(form.cursorX, 2);
  const int32_t held = form.cursorX;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  host->DrainEvents();
  EXPECT_EQ(form.cursorX, held);  // let go: no more steps

  // The stick moves like the D-pad.
  SDL_JoystickSetVirtualAxis(joystick[0], 1, 32000);
  host->DrainEvents();
  SDL_JoystickSetVirtualAxis(joystick[0], 1, 0);
  host->DrainEvents();
  EXPECT_EQ(form.cursorY, 1);

  // A places, B inverts: the game's one-shot requests.
  Tap(0, kA);
  EXPECT_EQ(form.scene, kSceneRequestPlace);
  FramesUntil(kScenePlay);
  Tap(0, kB);
  EXPECT_EQ(form.scene, kSceneRequestInvert);
  FramesUntil(kScenePlay);

  // Start pauses: the game's clock stands, input is held back; Start again
  // resumes where it was.
  // The game's clock misses the whole pause: it moves less than the wall
  // clock by at least the 300 ms slept while paused, however long the
  // presses themselves take on a busy machine.
  Tap(0, kStart);
  ASSERT_TRUE(host->Paused());
  const uint32_t wallAt = SDL_GetTicks();
  const uint32_t pausedAt = host->Clock();
  const int32_t x = form.cursorX;
  Tap(0, kRight);
  EXPECT_EQ(form.cursorX, x);
  SDL_Delay(300);
  EXPECT_EQ(host->Clock(), pausedAt);
  Tap(0, kStart);
  EXPECT_FALSE(host->Paused());
  const uint32_t moved = host->Clock() - pausedAt;
  EXPECT_LE(moved + 300u, SDL_GetTicks() - wallAt + 1u);

  // Back restarts (the game's 7).
  Tap(0, kBack);
  EXPECT_EQ(form.scene, kSceneNewGame);
  FramesUntil(kScenePlay);

  // Unplugged while a direction is held: gone, nothing repeats.
  SDL_JoystickSetVirtualButton(joystick[0], kRight, 1);
  host->DrainEvents();
  const int32_t atUnplug = form.cursorX;
  Unplug(0);
  host->DrainEvents();
  EXPECT_EQ(host->PadCount(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  host->DrainEvents();
  EXPECT_EQ(form.cursorX, atUnplug);
  host->ShutdownSound();
}

TEST_F(Gamepad, AddedWhileRunningTwoPadsInVersusAndGameOverButtons) {
  // The two pads' mappings are known (read from the mapping database), the
  // pads are not plugged in yet.
  const std::string first = Plug(0);
  const std::string second = Plug(1);
  Unplug(0);
  Unplug(1);
  ASSERT_GE(SDL_GameControllerAddMapping(first.c_str()), 0) << SDL_GetError();
  ASSERT_GE(SDL_GameControllerAddMapping(second.c_str()), 0) << SDL_GetError();
  StartHost();
  EXPECT_EQ(host->PadCount(), 0);
  // Plugged in while running: they appear, the first plugged playing side 1.
  Plug(0);
  host->DrainEvents();
  EXPECT_EQ(host->PadCount(), 1);
  Plug(1);
  host->DrainEvents();
  ASSERT_EQ(host->PadCount(), 2);

  // Row 3 (two people) chosen with the second pad.
  Tap(1, kDown);
  Tap(1, kDown);
  Tap(1, kDown);
  ASSERT_EQ(form.menuChoice, 3);
  Tap(1, kA);
  EXPECT_EQ(form.versusMode, 1);
  EXPECT_EQ(form.side2Auto, 0);
  FramesUntil(kScenePlay);

  // Side 1's turn: the second pad's keys are side 2's and do nothing now.
  ASSERT_EQ(form.turnSide, 0);
  Tap(1, kRight);
  EXPECT_EQ(form.cursorX, 0);
  Tap(0, kRight);
  EXPECT_EQ(form.cursorX, 1);
  // The keyboard still plays both sides.
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.scancode = SDL_SCANCODE_D;
  e.key.keysym.sym = SDLK_d;
  host->HandleEvent(e);
  EXPECT_EQ(form.cursorX, 2);

  // Game over: A restarts, B goes back to the title.
  form.EndGame();
  Tap(0, kA);
  EXPECT_EQ(form.scene, kSceneNewGame);
  FramesUntil(kScenePlay);
  form.EndGame();
  Tap(1, kB);
  EXPECT_EQ(form.scene, kSceneTitle);
  host->ShutdownSound();
}

TEST_F(Gamepad, KeyboardTitleArrowsReturnKeypadDigitsPauseAndVolume) {
  // A mapping in the player's config folder counts like one beside the
  // program.
  fs::create_directories(dir / "config" / "zazo-puzzle");
  std::ofstream(dir / "config" / "zazo-puzzle" / "gamecontrollerdb.txt") << Plug(0) << "\n";
  const char* xdg = SDL_getenv("XDG_CONFIG_HOME");
  const std::string saved = xdg ? xdg : "";
  SDL_setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  StartHost();
  if (xdg) {
    SDL_setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
  EXPECT_EQ(host->PadCount(), 1);

  auto key = [&](SDL_Scancode sc, SDL_Keycode sym, uint16_t mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    host->HandleEvent(e);
  };
  // P does nothing on the title.
  key(SDL_SCANCODE_P, SDLK_p);
  EXPECT_FALSE(host->Paused());
  key(SDL_SCANCODE_DOWN, SDLK_DOWN);
  key(SDL_SCANCODE_DOWN, SDLK_DOWN);
  EXPECT_EQ(form.menuChoice, 2);
  key(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER);
  EXPECT_EQ(form.scene, kSceneTitleSlide);
  EXPECT_EQ(form.advancedStart, 1);
  FramesUntil(kScenePlay);

  // Keypad 1 with Num Lock is the digit 1: the background switch.
  const bool background = form.showBackground;
  key(SDL_SCANCODE_KP_1, SDLK_KP_1, KMOD_NUM);
  EXPECT_NE(form.showBackground, background);

  // Pause and the Pause key; Esc still closes while paused.
  key(SDL_SCANCODE_PAUSE, SDLK_PAUSE);
  EXPECT_TRUE(host->Paused());
  key(SDL_SCANCODE_D, SDLK_d);
  EXPECT_EQ(form.cursorX, 0);
  key(SDL_SCANCODE_P, SDLK_p);
  EXPECT_FALSE(host->Paused());
  key(SDL_SCANCODE_D, SDLK_d);
  EXPECT_EQ(form.cursorX, 1);

  // Volume keys: music and effects apart, not passed to the game.
  key(SDL_SCANCODE_MINUS, SDLK_MINUS);
  key(SDL_SCANCODE_MINUS, SDLK_MINUS);
  key(SDL_SCANCODE_RIGHTBRACKET, SDLK_RIGHTBRACKET);
  key(SDL_SCANCODE_LEFTBRACKET, SDLK_LEFTBRACKET);
  EXPECT_EQ(host->Volume().MusicPercent(), 80);
  EXPECT_EQ(host->Volume().EffectsPercent(), 90);

  key(SDL_SCANCODE_P, SDLK_p);
  ASSERT_TRUE(host->Paused());
  key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
  EXPECT_TRUE(game.closed);  // the game asked its host to close
  host->ShutdownSound();
}

}  // namespace

// The real host of the game: one SDL2 window with the frame drawn into it,
// the sound system, the files beside the program, message boxes, the full-
// screen switch and the score widgets. TMainForm decides; this translates.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "app/game_host.h"
#include "platform/board_link.h"
#include "platform/board_overlay_view.h"
#include "platform/display_switch.h"
#include "platform/input_translation.h"
#include "platform/match_controls.h"
#include "platform/meeting_controls.h"
#include "platform/options_menu.h"
#include "platform/options_view.h"
#include "platform/overlay_view.h"
#include "platform/pause_clock.h"
#include "platform/picture_loader.h"
#include "platform/present_layout.h"
#include "platform/score_widget_state.h"
#include "platform/score_widgets_view.h"
#include "platform/sdl_display_platform.h"
#include "platform/sound_system.h"
#include "platform/volume_keys.h"
#include "settings/settings_file.h"
#include "system/page_opener.h"
#include "system/program_env.h"

class TMainForm;
class TReplayRecorder;

class TSdlHost : public TGameHost {
 public:
  // The folders the game reads (pictures, sounds) and writes (best score,
  // registration page); see ChooseGameFolders.
  explicit TSdlHost(const TGameFolders& folders);
  // exeDir: the program's folder, ending in '/', with graph/, system/ and a
  // save/ the game does not create.
  explicit TSdlHost(std::string exeDir);
  ~TSdlHost() override;
  TSdlHost(const TSdlHost&) = delete;
  TSdlHost& operator=(const TSdlHost&) = delete;

  // Creates the hidden window "Zazo Puzzle" (resizable, centred, a whole
  // multiple of 640 x 480 by the window scale setting or the desktop: see
  // StartWindowScale), its renderer and frame texture, the widgets' fonts,
  // and initializes the display component windowed. False (with a message
  // on standard error) when there is no display to open a window on.
  bool CreateWindow();
  void ShowWindow();
  void HideWindow();
  void DestroyWindow();

  // The game object whose handlers receive the input.
  void AttachForm(TMainForm* form) { form_ = form; }
  // Told of every input the game has just handled (null: none).
  TReplayRecorder* recorder = nullptr;
  // A network match: while it takes input, keys, clicks and the pause go to
  // it instead of the game; it draws its overlay over every frame.
  TMatchControls* match = nullptr;
  // Meeting another player (the title's menu, a room being met): while it
  // takes input, keys (before any translation), clicks and pad buttons go to
  // it; it opens with its key on the title and draws over every frame.
  TMeetingControls* meeting = nullptr;
  // Draws the last frame again at the next chance.
  void RequestRepaint() { repaint_ = true; }

  // Hands every pending event to its handler at once. An exception escaping
  // a handler is reported in an error box and the program goes on.
  void DrainEvents();
  void HandleEvent(const SDL_Event& event);
  // The loop's idle sleep: until the next frame is due (in frameInMs), a
  // held pad direction repeats or the volume overlay goes, whichever comes
  // first, and at once when an event arrives. At least 1 ms, at most 16.
  void SleepUntilDue(uint32_t frameInMs);
  bool QuitRequested() const { return quit_; }
  // True while the game is paused or the options are open: the loop runs
  // no frame.
  bool Paused() const { return pauseClock_.Paused() || options_.IsOpen(); }

  // ---- the player's settings (sdl_host_settings.cpp) ----
  // The settings kept between runs; without a store (a watched replay) the
  // defaults, never saved. Attach before CreateWindow.
  void AttachSettings(TSettingsStore* store) { settingsStore_ = store; }
  const TSettings& Settings() const;
  // Before the first frame: the volumes, the display toggles at start and
  // full screen as the settings say.
  void ApplyStartSettings();
  // Opens the options overlay (from the title or the pause panel).
  void OpenOptions();
  bool OptionsOpen() const { return options_.IsOpen(); }
  // Pauses in the play scenes, or resumes: the sound held, the clock the
  // game sees stopped, the pause panel over the picture.
  void TogglePause();
  // The listener's volumes in percent (not stored).
  const TVolumeKeys& Volume() const { return volume_; }
  // The gamepads playing (0..2).
  int PadCount() const;
  // Draws the last frame again when the window or the widgets asked for it.
  void RepaintIfNeeded();

  // The application's error report: a box with the error's text.
  void ShowErrorBox(const char* text);

  // Stops every sound channel, waits, and frees the sound and music objects.
  void ShutdownSound() {
    sound_.SetPaused(false);
    sound_.Shutdown();
  }

  const std::string& ExeDir() const { return folders_.programDir; }
  // The folder the game's own files are saved in, ending in '/'.
  const std::string& SaveDir() const { return folders_.saveDir; }
  // The save folder, made in time for the first save when the game creates
  // it; false with *error set when it cannot be made.
  bool ReadySaveFolder(std::string* error);
  TDXDraw& DxDraw() { return dxDraw_; }
  TScoreWidgetState& Widgets() { return widgets_; }
  SDL_Window* Window() const { return window_; }

  // The registration button: leave full screen, write save/scorereg.html,
  // open it in the browser without waiting for it, then wait one second.
  void RegScoreBtnClick();
  // The replay file of the last finished single-player game ("" when none),
  // sent to the local score board with the registration.
  std::string LastReplayPath() const;
  // The program that opens the page in the browser ("xdg-open").
  std::string pageOpener = "xdg-open";
  // The score board: its address, today's challenge, replay uploads.
  TBoardLink& Board() { return board_; }
  // The board given on the command line: it stays whatever the settings say.
  void GiveBoard(const TBoardAddress& address) {
    board_.address = address;
    boardGiven_ = true;
  }
  // Today's challenge: fetched from the board, then the normal game from
  // the title with the dealt start (C on the title, --daily).
  void RequestDailyChallenge();

  // ---- TGameHost ----
  int32_t LoadBestScore() override;
  bool LoadVorbisLibrary() override;
  void CreateSound() override;
  bool LoadEffect(const char* relPath, int n) override;
  bool LoadPicture(const char* relPath, TBitmap& into) override;
  uint32_t Clock() override;
  void PlayEffect(int request, int channel) override;
  void PlayEffectChannel9() override;
  void ResetMusic() override;
  bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                   bool musicOnSlotB) override;
  void SaveBestScore(int32_t value) override;
  void LocalTimeText(char out[15]) override;
  void ShowScoreWidgets(const char* scoreText, const char* md5Hex) override;
  void HideScoreWidgets() override;
  void ToggleFullScreen() override;
  void CloseWindow() override;
  void ShowWarning(const char* text) override;
  void PresentFrame(const TBitmap& screen) override;

 private:
  void Render();
  void UploadFrame(const TBitmap& screen);
  void CopyFrame(const TFrameRect& frame);
  bool PointerToFrame(int32_t x, int32_t y, int32_t* fx, int32_t* fy) const;
  void OnKeyDown(const SDL_KeyboardEvent& key);
  void OnMouseDown(const SDL_MouseButtonEvent& button);
  void OnMouseUp(const SDL_MouseButtonEvent& button);
  void OnMouseMove(const SDL_MouseMotionEvent& motion);
  void OpenGamepads();
  void LoadPadMappings();
  void OnPadAdded(int deviceIndex);
  void OnPadRemoved(SDL_JoystickID id);
  void OnPadButton(const SDL_ControllerButtonEvent& button);
  void OnPadAxis(const SDL_ControllerAxisEvent& axis);
  int PadSlot(SDL_JoystickID id) const;
  TGameView View() const;
  // Hands translated inputs to the game (while paused only the pause).
  void Deliver(const TGameInput* in, int n);
  void GameKey(uint16_t vk, bool alt);
  void GameMove(int32_t x, int32_t y);
  void GameClick(int button, int32_t x, int32_t y);
  void CopySelection();
  // Between frames: acts on the board's finished requests.
  void PollBoard();
  // Writes save/scorereg.html forwarding to link and opens it in the browser.
  void WriteAndOpenPage(const std::string& link);
  // The board's address and the player's name as the settings give them now
  // (a --board given at start stays).
  void BoardFromSettings();
  // Keeps what the player changed outside the options (volume keys, full
  // screen, the display toggles) in the settings.
  void SyncSettings();
  void StoreSettings(const TSettings& settings);
  // The options overlay's input; true when the event was its.
  bool OptionsEvent(const SDL_Event& event);
  void CloseOptions();
  // A key of the title's hint line (or the pause panel's options key):
  // opens its overlay; false for any other key.
  bool TitleHintKey(uint16_t vk);
  void ApplyWindowScale(int32_t scale);

  TGameFolders folders_;
  std::string scorePath_;         // saveDir + "score.dat"
  std::string pagePath_;          // saveDir + "scorereg.html"
  bool saveWarned_ = false;       // the failed save has been told (once a run)
  TPictureBudget pictureBudget_;  // shared by the nine sheets
  TSoundSystem sound_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* frameTexture_ = nullptr;
  TSdlDisplayPlatform displayPlatform_;
  TDXDraw dxDraw_;
  TScoreWidgetState widgets_;
  TScoreWidgetView widgetView_;
  TMainForm* form_ = nullptr;
  const TBitmap* lastFrame_ = nullptr;
  bool quit_ = false;
  bool repaint_ = false;
  bool videoUp_ = false;
  bool padsUp_ = false;
  SDL_GameController* pads_[TPadTranslator::kPads] = {};
  TPadTranslator padInput_;
  TPauseClock pauseClock_;
  TVolumeKeys volume_;
  int overlayShown_ = 0;  // the volume overlay on the last present
  TOverlayView overlayView_;
  SDL_Texture* sharpTexture_ = nullptr;  // whole-step copy before smoothing
  int32_t sharpStep_ = 0;
  TPageOpener opener_;  // xdg-open runs not yet collected
  TBoardLink board_;
  TBoardOverlayView boardView_;
  TBoardMessage boardShown_ = TBoardMessage::kNone;  // on the last present
  bool boardGiven_ = false;                          // --board at start
  TSettingsStore* settingsStore_ = nullptr;
  TSettings defaultSettings_;
  // What the game showed when the settings last heard of it.
  bool seenBackground_ = true;
  bool seenEffects_ = true;
  TOptionsMenu options_;
  TOptionsView optionsView_;
};

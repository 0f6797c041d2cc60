// A network match in the real program: meeting the other machine (directly:
// --host / --join), the match's ticks in place of the frame loop, the
// player's inputs turned into its side's, the overlay, and the way back to
// the title when the match ends. The game object, its match host and the
// replay recorder are the program's own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/match_engine.h"
#include "net/match_host.h"
#include "net/net_link.h"
#include "platform/match_controls.h"
#include "platform/match_overlay_view.h"

class TMainForm;
class TSdlHost;
class TReplayRecorder;
struct TGameState;

#include "platform/game_options.h"

class TMatchSession : public TMatchControls {
 public:
  TMatchSession(TMainForm& form, TMatchHost& matchHost, TSdlHost& host, TReplayRecorder& recorder);
  ~TMatchSession() override;

  // Direct play as the options say (--host or --join): waits on the port or
  // calls the other machine. False with *error when the port cannot be used
  // or the address not found.
  bool Start(const TGameOptions& options, std::string* error);
  // A match over a link made elsewhere (the relay's rooms).
  void StartWithLink(std::unique_ptr<TNetLink> link, TMatchRole role, const std::string& name,
                     uint16_t inputDelay);

  // Every pass of the main loop: the network, a deal, a start, an end.
  void Pump();
  // Runs the match's tick when one is due; true while the match owns the
  // frame loop (the game's own loop must not run then).
  bool Frame();
  // Leaves the match (the window is closing); waits a moment for the goodbye.
  void Shutdown();

  bool Active() const { return engine_ != nullptr && engine_->Phase() != TMatchPhase::kEnded; }
  const TMatchEngine* Engine() const { return engine_.get(); }

  // ---- TMatchControls ----
  bool TakesInput() const override { return Active(); }
  void Key(uint16_t vk, bool alt) override;
  void Click(int button, int32_t x, int32_t y) override;
  void Pause() override;
  void Draw(SDL_Renderer* renderer, const TFrameRect& frame) override;

 private:
  void Begin(std::unique_ptr<TNetLink> link, TMatchRole role, const std::string& name,
             uint16_t inputDelay);
  void Deal();
  void EndOfMatch();
  uint32_t MusicResults() const;
  TMatchOverlayState OverlayState(uint32_t now) const;
  void Announce(const char* text);

  TMainForm& form_;
  TMatchHost& matchHost_;
  TSdlHost& host_;
  TReplayRecorder& recorder_;
  std::unique_ptr<TNetLink> link_;
  std::unique_ptr<TMatchEngine> engine_;
  std::unique_ptr<TGameState> before_;  // the player's own game, put back after the match
  std::unique_ptr<TGameState> scratch_;
  std::unique_ptr<uint8_t[]> hashScratch_;
  bool haveBefore_ = false;
  bool cleanedUp_ = false;
  uint16_t inputDelay_ = 3;
  uint32_t lastTickMs_ = 0;
  uint32_t stallSinceMs_ = 0;
  uint32_t endShownUntil_ = 0;
  uint16_t waitPort_ = 0;
  TMatchOverlayView view_;
  bool viewReady_ = false;
  std::string shownName_, shownMessage_, message_;
  TMatchOverlayState drawn_;
};

// Meeting another player from the window: the title's meeting menu (key O)
// and the rooms of the board's relay (--create-room, --join CODE, --quick,
// --spectate CODE). Asks the board for its relay off the game's thread,
// meets in a room (the room's code printed as "room CODE" on standard output
// and shown in the window), then hands the connection to the match session.
// Drawn over the frame like the pause panel; Esc gives up and goes back to
// the title.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "net/room_board.h"
#include "net/room_client.h"
#include "platform/meeting_controls.h"
#include "platform/meeting_menu.h"
#include "platform/meeting_view.h"
#include "platform/present_layout.h"

struct TGameOptions;
class TMatchSession;
class TMainForm;
class TReplayRecorder;

class TRoomMeeting : public TMeetingControls {
 public:
  TRoomMeeting(TMainForm& form, TMatchSession& match, TReplayRecorder& recorder, std::string board,
               std::string name, uint16_t inputDelay);
  ~TRoomMeeting() override;

  // Starts meeting in a room when the options ask for one (--create-room,
  // --join CODE, --quick, --spectate CODE).
  void Start(const TGameOptions& options);
  // Every pass of the main loop.
  void Pump();

  // True while the menu or a meeting has the keyboard, pointer and pads.
  bool TakesInput() const override;
  // True for the key that opens the menu (O on the title).
  bool WantsKey(uint16_t vk) const override;
  void Key(uint16_t vk) override;
  void Click(int32_t x, int32_t y) override;
  void Draw(SDL_Renderer* renderer, const TFrameRect& frame) override;

  // What the window shows while meeting (tests read it too).
  TMeetingPanel Panel() const;

 private:
  enum TPhase { kIdle, kAskingBoard, kMeeting, kNotice };
  void Choose(const TMeetingChoice& choice);
  void Begin(TRoomRequest::TKind kind, const std::string& code);
  void Stop(std::string notice);
  // A replay written after a match of our room goes to the relay.
  void HandOverReplays();

  TMainForm& form_;
  TMatchSession& match_;
  TReplayRecorder& recorder_;
  std::string board_, name_;
  uint16_t inputDelay_;
  TMeetingMenu menu_;
  TMeetingView view_;
  TPhase phase_ = kIdle;
  TRoomRequest request_;
  std::unique_ptr<TRoomClient> client_;
  std::thread asking_;
  std::atomic<bool> asked_{false};
  bool askedOk_ = false;
  TRelayAddress relay_;
  std::string askError_;
  bool codeShown_ = false;
  std::string playedCode_;  // the room whose matches this player played
  std::string lastReplay_;  // the replay file written before (not ours to send)
  std::thread uploading_;
  std::string notice_;
  uint32_t noticeUntil_ = 0;
};

// The board the game meets at when --board gives none.
std::string DefaultMeetingBoard();

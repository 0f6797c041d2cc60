// The overlay of a network match, drawn over the frame like the pause panel:
// a small bar at the bottom right with the connection mark, the opponent's
// name and the round trip; a centred notice while waiting, paused, or after
// the match ended. Fixed texts are prepared once; the name and the end
// message when they change (once per match), never per frame.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/present_layout.h"

struct TMatchOverlayState {
  bool bar = false;  // the name, round trip and mark
  int32_t roundTripMs = 0;
  int mark = 0;  // 0 good, 1 shaky (loss or a long trip), 2 stalled
  enum TNotice {
    kNone,
    kWaitingOpponent,
    kConnecting,
    kPausedHere,
    kPausedThere,
    kRematch,
    kEnded
  };
  TNotice notice = kNone;
};

class TMatchOverlayView {
 public:
  TMatchOverlayView() = default;
  ~TMatchOverlayView() { Destroy(); }
  TMatchOverlayView(const TMatchOverlayView&) = delete;
  TMatchOverlayView& operator=(const TMatchOverlayView&) = delete;

  void Create(SDL_Renderer* renderer);
  void Destroy();
  // The opponent's name (UTF-8) and the text of the last notice of its own
  // (the end of a match, the port waited on).
  void SetName(SDL_Renderer* renderer, const char* name);
  void SetMessage(SDL_Renderer* renderer, const char* text);

  void Draw(SDL_Renderer* renderer, const TFrameRect& frame, const TMatchOverlayState& s) const;

 private:
  struct TText {
    SDL_Texture* texture = nullptr;
    int32_t w = 0;
    int32_t h = 0;
  };
  void Make(SDL_Renderer* renderer, const char* text, bool big, TText* out);
  static void Free(TText* t);
  static void DrawText(SDL_Renderer* renderer, const TFrameRect& frame, const TText& text,
                       int32_t x, int32_t y);
  void DrawNotice(SDL_Renderer* renderer, const TFrameRect& frame, const TText& line1,
                  const TText* line2) const;

  void* fontSmall_ = nullptr;  // TTF_Font
  void* fontBig_ = nullptr;
  TText waiting_, connecting_, pausedHere_, pausedThere_, rematch_, ms_, name_, message_;
  TText digits_[10];
};

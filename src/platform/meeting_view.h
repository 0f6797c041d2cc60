// The meeting panel drawn over the title like the pause panel: a heading,
// up to kMeetingLines rows (one of them marked), and a line of help. Texts
// are made when they change (a key press, a new state), never per frame.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/meeting_panel.h"
#include "platform/present_layout.h"

class TMeetingView {
 public:
  TMeetingView() = default;
  ~TMeetingView();
  TMeetingView(const TMeetingView&) = delete;
  TMeetingView& operator=(const TMeetingView&) = delete;

  // Draws panel (making its texts first when they changed).
  void Draw(SDL_Renderer* renderer, const TFrameRect& frame, const TMeetingPanel& panel);

 private:
  struct TText {
    SDL_Texture* texture = nullptr;
    int32_t w = 0, h = 0;
  };
  void Make(SDL_Renderer* renderer, const std::string& text, bool big, TText* out);
  void Free();

  bool tried_ = false;
  void* fontSmall_ = nullptr;  // TTF_Font
  void* fontBig_ = nullptr;
  TMeetingPanel shown_;
  bool made_ = false;
  TText heading_, lines_[kMeetingLines], help_;
};

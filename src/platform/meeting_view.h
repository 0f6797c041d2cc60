// The meeting panel drawn over the title like the pause panel: a heading,
// up to kMeetingLines rows (one of them marked), and a line of help. Texts
// are made when they change (a key press, a new state), never per frame.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/present_layout.h"

constexpr int kMeetingLines = 8;

// What the panel shows.
struct TMeetingPanel {
  std::string heading;
  std::string lines[kMeetingLines];
  int count = 0;
  int marked = -1;  // the row drawn as chosen, -1 none
  std::string help;
  bool operator==(const TMeetingPanel&) const = default;
};

// The panel's geometry in frame pixels: rows are kRowHeight apart from kRowTop.
constexpr int32_t kPanelLeft = 90, kPanelTop = 96, kPanelWidth = 460, kPanelHeight = 300;
constexpr int32_t kRowTop = 144, kRowHeight = 26;

// The row under frame point (x, y), -1 when none.
int MeetingRowAt(const TMeetingPanel& panel, int32_t x, int32_t y);

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

// What the meeting panel shows: a heading, up to kMeetingLines rows (one of
// them marked) and a line of help, and where the rows are in the frame.
// Headless (the view draws it).
#pragma once

#include <cstdint>
#include <string>

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

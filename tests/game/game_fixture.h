// Shared set-up for the rule and input tests: a headless game object on a
// recording host, started up like the real program, plus board helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "app/main.h"
#include "recording_host.h"

class GameTest : public ::testing::Test {
 protected:
  GameTest() : host("/nonexistent/"), form(host) {
    host.readPictures = false;  // pictures are not needed by the rules
    form.FormCreate();
    form.SeedMt(4242);
    form.SeedLcg(777);
    host.ClearEvents();
  }

  // A fresh game in the given mode, events cleared.
  void StartGame(int advanced = 0, int versus = 0, int side2Auto = 0) {
    form.advancedStart = advanced;
    form.versusMode = versus;
    form.side2Auto = side2Auto;
    form.NewGame();
    host.ClearEvents();
  }

  // Fills row y of the well with blocks, except the columns in `gaps`.
  void FillRow(int y, std::initializer_list<int> gaps = {}) {
    for (int x = kWellLeft; x <= kWellRight; x++) {
      bool gap = false;
      for (int g : gaps) gap = gap || g == x;
      form.board[x][y] = gap ? TCell{} : TCell{kCellBlock, 0, kCellBlock, 0, 0, 0};
    }
  }

  // Slot `slot` holds exactly the listed filled cells.
  void SetMask(int slot, std::initializer_list<std::pair<int, int>> cells) {
    for (int i = 0; i < 4; i++)
      for (int j = 0; j < 4; j++) form.pieces[i][j][slot] = TMaskCell{};
    for (auto [i, j] : cells) form.pieces[i][j][slot].filled = 1;
  }

  int CountKind(int kind) const {
    int n = 0;
    for (auto& col : form.board)
      for (auto& c : col) n += c.kind == kind;
    return n;
  }

  int CountFilled(int slot) const {
    int n = 0;
    for (int i = 0; i < 4; i++)
      for (int j = 0; j < 4; j++) n += form.pieces[i][j][slot].filled;
    return n;
  }

  // How many times an event line occurs since the last ClearEvents().
  int Count(const std::string& line) const {
    const std::string& ev = host.Events();
    int n = 0;
    size_t pos = 0;
    const std::string needle = line + "\n";
    while ((pos = ev.find(needle, pos)) != std::string::npos) {
      if (pos == 0 || ev[pos - 1] == '\n') n++;
      pos += needle.size();
    }
    return n;
  }

  TRecordingHost host;
  TMainForm form;
};

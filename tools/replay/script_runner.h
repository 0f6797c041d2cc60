// Runs a replay script headless and prints the game's state.
#pragma once

#include <cstdio>
#include <string>

#include "input_script.h"

class TMainForm;
class TRecordingHost;

struct TReplayOptions {
  std::string assetsDir;       // holds graph/ and system/, ending in '/'
  int dumpEvery = 1;           // a block after frame 0, every N-th frame and the last
  std::string screenshotPath;  // empty: none
};

// Hands one scripted key, pointer move or click to the game's handler.
void DeliverScriptEvent(const TScriptEvent& e, TMainForm& form);

// Appends one dump block for `frame` to out: every field, the board, the
// slots, the live effects, the host's events since the last block (which are
// then cleared) and the score widgets while shown.
void AppendDumpBlock(int32_t frame, const TMainForm& form, TRecordingHost& host, std::string* out);

// Runs the script and writes the blocks to `out` (stdout for the tool). Returns
// the exit status: 0, or 1 when the screenshot could not be written.
int RunInputScript(const TInputScript& script, const TReplayOptions& options, FILE* out);

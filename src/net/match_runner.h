// A match's ticks on a game object: the dealt start loaded, both sides'
// inputs handed to the game's own handlers, the frame run on the match's
// clock, the replay recorder told as for any game.
#pragma once

#include <cstdint>

#include "net/match_engine.h"
#include "net/match_host.h"
#include "net/net_protocol.h"

class TMainForm;
class TReplayRecorder;
struct TGameState;

// The play keys a side's player presses are the single-player keys (W A S
// D, V place, B invert, G rise); the game receives them as that side's codes
// (side 2: U H J K, left, right and up arrows). 0 for any other key.
uint16_t SideKeyFor(int side, uint16_t singlePlayerKey);
// True for the keys a side may send: its own play codes and the display
// toggles 1 and 2 (which change the random sequence, so both machines apply
// them at the same tick).
bool MatchKeyAllowed(int side, uint16_t key);
// True for a click a side may send: the left button on the gauge strip
// (forcing the rise early).
bool MatchClickAllowed(int32_t x, int32_t y, int button);

// The host's deal: its game as it stands, turned into the first frame of a
// two-person versus game, and the match's settings. firstClock is at least
// 16 ms after the game's last frame, so tick 0 runs a frame. False with
// *error when the game cannot begin a match from where it is.
bool MakeMatchStart(const TMainForm& form, uint32_t clockNow, uint32_t matchNumber,
                    uint16_t inputDelay, uint32_t musicResults, const char* localTime,
                    TGameState* start, TMatchSettings* settings, const char** error);

// Puts a dealt start into the game and its host.
void LoadMatchStart(TMainForm& form, TMatchHost& host, const TGameState& start,
                    const TMatchSettings& settings);

// Runs one tick: side 1's inputs, side 2's, then the frame. A click counts
// only while its side has the turn (a click during the other's turn does
// nothing). recorder may be null.
void RunMatchTick(TMainForm& form, TMatchHost& host, const TMatchTick& tick,
                  TReplayRecorder* recorder);

// Ends the game a match was playing, when the match ends before its game
// did: the key 8 (back to the title) after the last tick, so that the replay
// ends there, the same on both machines. Then the game's host leaves the match.
void EndMatchGame(TMainForm& form, TMatchHost& host, TReplayRecorder* recorder);

// The time line of the replays a match's games make: the dealt local time,
// so that both machines' replays agree even across a second's turn (null:
// the local clock again, after the match).
void RecordMatchTime(TReplayRecorder& recorder, const char* localTime14);

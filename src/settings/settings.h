// What the player chooses and keeps between runs: volumes, full screen, the
// window's size, the two display toggles at start, the keys, the score
// board's address and the player's name. Plain data; the defaults are the
// game as it has always started.
#pragma once

#include <cstdint>
#include <string>

// Every action a key can be bound to. The game itself only knows the
// virtual-key codes; each action names the code its key is delivered as.
enum TKeyAction : uint8_t {
  kActSide1Up,
  kActSide1Left,
  kActSide1Down,
  kActSide1Right,
  kActSide1Place,
  kActSide1Invert,
  kActSide1Rise,
  kActSide2Up,
  kActSide2Left,
  kActSide2Down,
  kActSide2Right,
  kActSide2Place,
  kActSide2Invert,
  kActSide2Rise,
  kActRestart,
  kActTitle,
  kActToggleBackground,
  kActToggleEffects,
  kActPause,
  kActMusicDown,
  kActMusicUp,
  kActEffectsDown,
  kActEffectsUp,
  kActFullScreen,  // pressed with Alt held
  kKeyActionCount
};

struct TKeyActionInfo {
  const char* name;      // the key in settings.toml's [keys] table
  const char* japanese;  // shown in the options
  const char* english;
  uint16_t vk;               // the virtual-key code the game receives
  uint16_t defaultScancode;  // the key's position (USB usage / SDL scancode)
};
const TKeyActionInfo& KeyActionInfo(int action);

struct TSettings {
  static constexpr int32_t kVolumeStep = 10;
  static constexpr int32_t kMaxWindowScale = 4;
  static constexpr size_t kMaxBoardUrl = 256;
  static constexpr size_t kMaxPlayerName = 32;  // bytes of UTF-8

  int32_t musicVolume = 100;            // percent, 0..100 in steps of 10
  int32_t effectsVolume = 100;          // percent, 0..100 in steps of 10
  bool fullScreen = false;              // full screen at start
  int32_t windowScale = 0;              // 0: chosen from the desktop; else 1..4
  bool showBackground = true;           // display toggle 1 at start
  bool showEffects = true;              // display toggle 2 at start
  uint16_t keys[kKeyActionCount] = {};  // scancode of each action
  std::string boardUrl;                 // "" : the game's own board
  std::string playerName;

  TSettings();
  bool operator==(const TSettings& other) const = default;
};

// The action bound to `scancode`, or -1.
int ActionOfScancode(const TSettings& settings, uint16_t scancode);

// Why a key cannot be bound to `action`: "" when it can. A key the game
// keeps for itself (Esc, the title's digits 3 to 6, Tab for the options)
// or one another action already has is refused; `clashWith` (when not null)
// gets that other action, else -1.
const char* RefuseBinding(const TSettings& settings, int action, uint16_t scancode, int* clashWith);

// A board address the game may use: "" or http(s)://host[:port][/path],
// printable ASCII without spaces, at most kMaxBoardUrl bytes.
bool ValidBoardUrl(const std::string& url);
// A player's name: at most kMaxPlayerName bytes of UTF-8 without control
// characters.
bool ValidPlayerName(const std::string& name);

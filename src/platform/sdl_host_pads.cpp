// The host's gamepads: SDL's game-controller API with hot-plugging and the
// mapping files beside the program and in the player's config folder; what
// the pads do is decided by TPadTranslator (input_translation.h).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sdl_host.h"
#include "system/program_env.h"
#include "system/regular_file.h"

namespace {

// More than any mapping file holds (SDL's own list is about half a megabyte).
constexpr size_t kMaxMappingFileBytes = 16u << 20;

bool PadButton(Uint8 button, TPadButton* out) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
      *out = TPadButton::kA;
      return true;
    case SDL_CONTROLLER_BUTTON_B:
      *out = TPadButton::kB;
      return true;
    case SDL_CONTROLLER_BUTTON_X:
      *out = TPadButton::kX;
      return true;
    case SDL_CONTROLLER_BUTTON_Y:
      *out = TPadButton::kY;
      return true;
    case SDL_CONTROLLER_BUTTON_BACK:
      *out = TPadButton::kBack;
      return true;
    case SDL_CONTROLLER_BUTTON_START:
      *out = TPadButton::kStart;
      return true;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      *out = TPadButton::kUp;
      return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      *out = TPadButton::kDown;
      return true;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      *out = TPadButton::kLeft;
      return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      *out = TPadButton::kRight;
      return true;
    default:
      return false;  // Guide and the rest are left alone
  }
}

}  // namespace

void TSdlHost::OpenGamepads() {
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "Zazo Puzzle: gamepads are not available (%s)\n", SDL_GetError());
    return;
  }
  padsUp_ = true;
  LoadPadMappings();
  // Pads already plugged in: SDL announced them before our mappings were
  // read, so a pad only our files know would be missed without this look.
  for (int i = 0; i < SDL_NumJoysticks(); i++) OnPadAdded(i);
}

void TSdlHost::LoadPadMappings() {
  const std::string files[2] = {ExeDir() + "gamecontrollerdb.txt",
                                UserConfigFolder() + "gamecontrollerdb.txt"};
  for (const std::string& file : files) {
    if (file == "gamecontrollerdb.txt") continue;
    // Read like every other file the game reads: a pipe or device there is
    // refused at once.
    std::vector<uint8_t> bytes;
    const char* reason = nullptr;
    if (!ReadRegularFile(file.c_str(), kMaxMappingFileBytes, bytes, &reason)) {
      if (reason != kFileMissing) {
        std::fprintf(stderr, "Zazo Puzzle: the gamepad mappings in %s cannot be read (%s)\n",
                     file.c_str(), reason);
      }
      continue;
    }
    if (bytes.empty()) continue;  // no mappings to add
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (rw == nullptr || SDL_GameControllerAddMappingsFromRW(rw, 1) < 0) {
      std::fprintf(stderr, "Zazo Puzzle: the gamepad mappings in %s cannot be read (%s)\n",
                   file.c_str(), SDL_GetError());
    }
  }
}

int TSdlHost::PadSlot(SDL_JoystickID id) const {
  for (int i = 0; i < TPadTranslator::kPads; i++) {
    if (pads_[i] && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pads_[i])) == id) {
      return i;
    }
  }
  return -1;
}

int TSdlHost::PadCount() const {
  int n = 0;
  for (SDL_GameController* pad : pads_) n += pad ? 1 : 0;
  return n;
}

void TSdlHost::OnPadAdded(int deviceIndex) {
  if (!padsUp_ || !SDL_IsGameController(deviceIndex)) return;
  if (PadSlot(SDL_JoystickGetDeviceInstanceID(deviceIndex)) >= 0) return;  // already open
  // The first free place: the first pad plays side 1, the second side 2.
  for (int i = 0; i < TPadTranslator::kPads; i++) {
    if (pads_[i]) continue;
    pads_[i] = SDL_GameControllerOpen(deviceIndex);
    if (!pads_[i]) {
      std::fprintf(stderr, "Zazo Puzzle: cannot open the gamepad (%s)\n", SDL_GetError());
    }
    padInput_.Release(i);
    return;
  }
}

void TSdlHost::OnPadRemoved(SDL_JoystickID id) {
  const int slot = PadSlot(id);
  if (slot < 0) return;
  SDL_GameControllerClose(pads_[slot]);
  pads_[slot] = nullptr;
  padInput_.Release(slot);
}

void TSdlHost::OnPadButton(const SDL_ControllerButtonEvent& button) {
  const int slot = PadSlot(button.which);
  TPadButton which;
  if (slot < 0 || !form_ || !PadButton(button.button, &which)) return;
  if (meeting && meeting->TakesInput()) {
    // The meeting's menu: the D-pad moves, A chooses, B goes back.
    const uint16_t keys[] = {which == TPadButton::kUp     ? uint16_t{38}
                             : which == TPadButton::kDown ? uint16_t{40}
                             : which == TPadButton::kA    ? uint16_t{13}
                             : which == TPadButton::kB    ? uint16_t{27}
                                                          : uint16_t{0}};
    if (button.state == SDL_PRESSED && keys[0]) meeting->Key(keys[0]);
    return;
  }
  TGameInput inputs[TPadTranslator::kMaxInputs];
  const int n =
      padInput_.Button(slot, which, button.state == SDL_PRESSED, SDL_GetTicks(), View(), inputs);
  Deliver(inputs, n);
}

void TSdlHost::OnPadAxis(const SDL_ControllerAxisEvent& axis) {
  const int slot = PadSlot(axis.which);
  if (slot < 0 || !form_) return;
  int which = -1;
  if (axis.axis == SDL_CONTROLLER_AXIS_LEFTX) which = 0;
  if (axis.axis == SDL_CONTROLLER_AXIS_LEFTY) which = 1;
  if (which < 0) return;
  TGameInput inputs[TPadTranslator::kMaxInputs];
  Deliver(inputs, padInput_.Stick(slot, which, axis.value, SDL_GetTicks(), View(), inputs));
}

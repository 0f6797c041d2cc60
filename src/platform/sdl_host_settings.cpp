// The host's side of the player's settings: applied at start, kept when the
// player changes something, and the options overlay's input.
#include <SDL.h>

#include <cstdio>

#include "app/main.h"
#include "platform/key_mapping.h"
#include "platform/sdl_host.h"

const TSettings& TSdlHost::Settings() const {
  return settingsStore_ ? settingsStore_->Current() : defaultSettings_;
}

void TSdlHost::StoreSettings(const TSettings& settings) {
  if (settingsStore_) {
    settingsStore_->Change(settings, stderr);
  } else {
    defaultSettings_ = settings;
  }
}

void TSdlHost::ApplyStartSettings() {
  const TSettings& s = Settings();
  volume_.Set(s.musicVolume, s.effectsVolume);
  sound_.SetVolumes(volume_.MusicPercent(), volume_.EffectsPercent());
  if (form_) {
    // Before the first frame, as if the game had started so.
    form_->showBackground = s.showBackground;
    form_->showEffects = s.showEffects;
  }
  seenBackground_ = s.showBackground;
  seenEffects_ = s.showEffects;
  if (s.fullScreen && !dxDraw_.doFullScreen) ToggleFullScreen();
}

void TSdlHost::SyncSettings() {
  const TSettings& now = Settings();
  const bool background = form_ ? static_cast<bool>(form_->showBackground) : seenBackground_;
  const bool effects = form_ ? static_cast<bool>(form_->showEffects) : seenEffects_;
  if (now.musicVolume == volume_.MusicPercent() && now.effectsVolume == volume_.EffectsPercent() &&
      now.fullScreen == dxDraw_.doFullScreen && background == seenBackground_ &&
      effects == seenEffects_) {
    return;
  }
  TSettings s = now;
  s.musicVolume = volume_.MusicPercent();
  s.effectsVolume = volume_.EffectsPercent();
  s.fullScreen = dxDraw_.doFullScreen;
  // The toggles as the player last switched them in the game.
  if (background != seenBackground_) s.showBackground = seenBackground_ = background;
  if (effects != seenEffects_) s.showEffects = seenEffects_ = effects;
  StoreSettings(s);
}

void TSdlHost::OpenOptions() {
  if (options_.IsOpen() || !window_) return;
  options_.Open(Settings());
  repaint_ = true;
}

void TSdlHost::CloseOptions() {
  SDL_StopTextInput();
  options_.Close();
  repaint_ = true;
}

void TSdlHost::ApplyWindowScale(int32_t scale) {
  if (!window_ || dxDraw_.doFullScreen) return;
  const int display = SDL_GetWindowDisplayIndex(window_);
  SDL_DisplayMode desktop;
  SDL_Rect usable;
  if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &desktop) != 0) return;
  if (SDL_GetDisplayUsableBounds(display < 0 ? 0 : display, &usable) != 0) {
    usable = SDL_Rect{0, 0, desktop.w, desktop.h};
  }
  const int32_t k = StartWindowScale(scale, desktop.h, usable.w, usable.h);
  SDL_SetWindowSize(window_, kFrameWidth * k, kFrameHeight * k);
}

namespace {

uint16_t PadKey(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return kVkUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return kVkDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return kVkLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return kVkRight;
    case SDL_CONTROLLER_BUTTON_A:
      return kVkReturn;
    case SDL_CONTROLLER_BUTTON_B:
    case SDL_CONTROLLER_BUTTON_BACK:
    case SDL_CONTROLLER_BUTTON_START:
      return kVkEscape;
    default:
      return 0;
  }
}

bool IsModifier(uint16_t vk) {
  return vk == 16 || vk == 17 || vk == 18 || vk == 20 || vk == 91 || vk == 92 || vk == 144;
}

}  // namespace

bool TSdlHost::OptionsEvent(const SDL_Event& event) {
  const bool wasEditing = options_.Editing();
  int32_t fx = 0, fy = 0;
  switch (event.type) {
    case SDL_KEYDOWN: {
      const SDL_Keysym& k = event.key.keysym;
      const uint16_t vk = VirtualKeyFromSdl(k.scancode, k.sym, k.mod);
      if (IsModifier(vk)) return true;  // a binding waits for the key itself
      options_.Key(vk, static_cast<uint16_t>(k.scancode));
      break;
    }
    case SDL_TEXTINPUT:
      options_.Text(event.text.text);
      break;
    case SDL_MOUSEMOTION:
      if (PointerToFrame(event.motion.x, event.motion.y, &fx, &fy)) options_.PointerMove(fx, fy);
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (PointerToFrame(event.button.x, event.button.y, &fx, &fy)) options_.Click(fx, fy);
      break;
    case SDL_MOUSEWHEEL:
      options_.Scroll(event.wheel.y > 0 ? -3 : 3);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
      if (const uint16_t vk = PadKey(event.cbutton.button)) options_.Key(vk, 0);
      break;
    case SDL_KEYUP:
    case SDL_MOUSEBUTTONUP:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
      return true;
    default:
      return false;
  }
  if (options_.Editing() != wasEditing) {
    if (options_.Editing()) {
      SDL_StartTextInput();
    } else {
      SDL_StopTextInput();
    }
  }
  // Every change takes effect at once and is kept.
  const TSettings& edited = options_.Edited();
  const TSettings& before = Settings();
  if (!(edited == before)) {
    const bool scaleChanged = edited.windowScale != before.windowScale;
    volume_.Set(edited.musicVolume, edited.effectsVolume);
    sound_.SetVolumes(volume_.MusicPercent(), volume_.EffectsPercent());
    // The running game's toggles only on the title: a game being played
    // (and recorded) keeps its own until the next start.
    if (form_ && form_->scene == 100 && !pauseClock_.Paused()) {
      form_->showBackground = edited.showBackground;
      form_->showEffects = edited.showEffects;
      seenBackground_ = edited.showBackground;
      seenEffects_ = edited.showEffects;
    }
    const TSettings copy = edited;
    StoreSettings(copy);
    if (copy.fullScreen != dxDraw_.doFullScreen) ToggleFullScreen();
    if (scaleChanged) ApplyWindowScale(copy.windowScale);
  }
  if (!options_.IsOpen()) CloseOptions();
  repaint_ = true;
  return true;
}

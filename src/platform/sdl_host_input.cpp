// The host's events: SDL events translated into the game's and the score
// widgets' handlers (virtual-key codes, frame-pixel pointer positions).
#include <exception>

#include "app/main.h"
#include "platform/key_bindings.h"
#include "platform/key_mapping.h"
#include "platform/sdl_host.h"
#include "platform/title_hints.h"
#include "replay/replay_recorder.h"

namespace {

TMainForm::TMouseButton FormButton(Uint8 button) {
  if (button == SDL_BUTTON_RIGHT) return TMainForm::kMbRight;
  if (button == SDL_BUTTON_MIDDLE) return TMainForm::kMbMiddle;
  return TMainForm::kMbLeft;
}

TWidgetButton WidgetButton(Uint8 button) {
  if (button == SDL_BUTTON_RIGHT) return kWidgetRight;
  if (button == SDL_BUTTON_MIDDLE) return kWidgetMiddle;
  return kWidgetLeft;
}

bool IsGameButton(Uint8 button) {
  return button == SDL_BUTTON_LEFT || button == SDL_BUTTON_RIGHT || button == SDL_BUTTON_MIDDLE;
}

}  // namespace

void TSdlHost::DrainEvents() {
  const uint32_t now = SDL_GetTicks();
  displayPlatform_.SettlePlacement(now);
  opener_.ReapFinished();
  PollBoard();
  // Held pad directions repeat like a held key (not into the options).
  if (form_ && !pauseClock_.Paused() && !options_.IsOpen()) {
    TGameInput inputs[TPadTranslator::kMaxInputs];
    Deliver(inputs, padInput_.Repeat(now, View(), inputs));
  }
  // The settings hear of what the player changed (written only on a change).
  SyncSettings();
  // The volume overlay goes after its second, also while nothing else draws.
  if (volume_.Shown(now) != overlayShown_) repaint_ = true;
  SDL_Event event;
  while (!quit_ && SDL_PollEvent(&event)) {
    try {
      HandleEvent(event);
    } catch (const std::exception& e) {
      ShowErrorBox(e.what());
    } catch (...) {
      ShowErrorBox("unknown error");
    }
  }
}

void TSdlHost::SleepUntilDue(uint32_t frameInMs) {
  const uint32_t now = SDL_GetTicks();
  uint32_t wait = frameInMs < 16u ? frameInMs : 16u;
  if (form_ && !pauseClock_.Paused()) {
    const uint32_t repeat = padInput_.MsToRepeat(now, View());
    if (repeat < wait) wait = repeat;
  }
  const uint32_t hide = volume_.MsToHide(now);
  if (hide < wait) wait = hide;
  if (wait < 1u) wait = 1u;
  // The event stays queued for DrainEvents.
  SDL_WaitEventTimeout(nullptr, static_cast<int>(wait));
}

void TSdlHost::HandleEvent(const SDL_Event& event) {
  // The options overlay takes the input while it is open.
  if (options_.IsOpen() && OptionsEvent(event)) return;
  switch (event.type) {
    case SDL_QUIT:
      quit_ = true;
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          quit_ = true;
          break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
          repaint_ = true;
          break;
        default:
          break;
      }
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      repaint_ = true;
      break;
    case SDL_KEYDOWN:
      OnKeyDown(event.key);
      break;
    case SDL_MOUSEBUTTONDOWN:
      OnMouseDown(event.button);
      break;
    case SDL_MOUSEBUTTONUP:
      OnMouseUp(event.button);
      break;
    case SDL_MOUSEMOTION:
      OnMouseMove(event.motion);
      break;
    case SDL_CONTROLLERDEVICEADDED:
      OnPadAdded(event.cdevice.which);
      break;
    case SDL_JOYDEVICEADDED:
      // Also a joystick that became a pad by a mapping read since.
      OnPadAdded(event.jdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      OnPadRemoved(event.cdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMAPPED: {
      // A new mapping: whatever was held by the old one is let go.
      const int slot = PadSlot(event.cdevice.which);
      if (slot >= 0) padInput_.Release(slot);
      break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      OnPadButton(event.cbutton);
      break;
    case SDL_CONTROLLERAXISMOTION:
      OnPadAxis(event.caxis);
      break;
    default:
      break;
  }
}

void TSdlHost::OnKeyDown(const SDL_KeyboardEvent& key) {
  // Auto-repeated key-downs count like presses.
  const uint16_t layoutVk = VirtualKeyFromSdl(key.keysym.scancode, key.keysym.sym, key.keysym.mod);
  const TKeyModifiers mods = KeyModifiersFromSdl(key.keysym.mod);
  // The player's bindings: by the key's position, as the game's codes.
  const TBoundKey bound =
      TranslateBoundKey(Settings(), static_cast<uint16_t>(key.keysym.scancode), layoutVk, mods.alt);
  const uint16_t widgetVk = layoutVk != 0 ? layoutVk : bound.vk;
  if (widgetVk == 0) return;
  switch (widgets_.KeyDown(widgetVk, mods.alt, mods.ctrl, mods.shift)) {
    case TWidgetAction::kToGame: {
      if (!form_) break;
      // A shown board failure goes with the next key, which still counts.
      board_.DismissMessage();
      // The meeting menu takes the keys as the layout types them (a code).
      if (meeting && !mods.alt && !mods.ctrl && meeting->TakesInput()) {
        meeting->Key(layoutVk);
        break;
      }
      if (!mods.alt && !mods.ctrl && TitleHintKey(layoutVk)) break;
      if (!bound.deliver) break;
      const uint16_t vk = bound.vk;
      if (mods.alt) {
        // Alt+Return, also while paused; nothing else is meant with Alt.
        if (!pauseClock_.Paused() || vk == kVkReturn) GameKey(vk, true);
        break;
      }
      if (!mods.ctrl && volume_.Key(vk, SDL_GetTicks())) {
        sound_.SetVolumes(volume_.MusicPercent(), volume_.EffectsPercent());
        repaint_ = true;
        break;
      }
      TGameInput inputs[2];
      const int n = TranslateKey(vk, View(), inputs);
      // Esc closes the window also while paused.
      if (pauseClock_.Paused() && n == 1 && inputs[0].kind == TGameInput::kKey &&
          inputs[0].vk == kVkEscape) {
        GameKey(kVkEscape, false);
        break;
      }
      Deliver(inputs, n);
      break;
    }
    case TWidgetAction::kPressButton:
      RegScoreBtnClick();
      break;
    case TWidgetAction::kCopy:
      CopySelection();
      break;
    case TWidgetAction::kTaken:
      repaint_ = true;
      break;
  }
}

void TSdlHost::OnMouseDown(const SDL_MouseButtonEvent& button) {
  if (!IsGameButton(button.button) || pauseClock_.Paused()) return;
  int32_t fx = 0, fy = 0;
  if (!PointerToFrame(button.x, button.y, &fx, &fy)) return;  // on the black border
  if (meeting && meeting->TakesInput()) return meeting->Click(fx, fy);
  const TWidgetAction action =
      widgets_.MouseDown(WidgetButton(button.button), button.clicks, fx, fy);
  if (action == TWidgetAction::kToGame) {
    if (form_) GameClick(FormButton(button.button), fx, fy);
  } else {
    repaint_ = true;
  }
}

void TSdlHost::OnMouseUp(const SDL_MouseButtonEvent& button) {
  if (!IsGameButton(button.button)) return;
  int32_t fx = -1, fy = -1;
  PointerToFrame(button.x, button.y, &fx, &fy);
  const TWidgetAction action = widgets_.MouseUp(WidgetButton(button.button), fx, fy);
  if (action == TWidgetAction::kPressButton) {
    repaint_ = true;
    RegScoreBtnClick();
  } else if (action == TWidgetAction::kTaken) {
    repaint_ = true;
  }
}

void TSdlHost::OnMouseMove(const SDL_MouseMotionEvent& motion) {
  int32_t fx = -1, fy = -1;
  const bool inside = PointerToFrame(motion.x, motion.y, &fx, &fy);
  const TWidgetAction action = widgets_.MouseMove(fx, fy);
  if (action != TWidgetAction::kToGame) {
    repaint_ = true;
    return;
  }
  if (inside && form_ && !pauseClock_.Paused()) GameMove(fx, fy);
}

// The game's handlers, each followed by the replay recorder's note of it.
void TSdlHost::GameKey(uint16_t vk, bool alt) {
  if (match && match->TakesInput()) return match->Key(vk, alt);
  form_->FormKeyDown(vk, alt);
  if (recorder) recorder->OnKey(*form_, vk, alt);
}
void TSdlHost::GameMove(int32_t x, int32_t y) {
  if (match && match->TakesInput()) return;  // the pointer moves nothing in a match
  form_->FormMouseMove(x, y);
  if (recorder) recorder->OnMove(*form_, x, y);
}
void TSdlHost::GameClick(int button, int32_t x, int32_t y) {
  if (match && match->TakesInput()) return match->Click(button, x, y);
  form_->FormMouseDown(static_cast<TMainForm::TMouseButton>(button), x, y);
  if (recorder) recorder->OnClick(*form_, button, x, y);
}

TGameView TSdlHost::View() const {
  TGameView view;
  if (form_) {
    view.scene = form_->scene;
    view.versusMode = form_->versusMode;
    view.menuChoice = form_->menuChoice;
  }
  return view;
}

void TSdlHost::Deliver(const TGameInput* in, int n) {
  for (int i = 0; i < n && form_; i++) {
    if (in[i].kind == TGameInput::kPause) {
      if (match && match->TakesInput()) {
        match->Pause();  // pauses both machines
        continue;
      }
      TogglePause();
      continue;
    }
    if (pauseClock_.Paused()) continue;
    switch (in[i].kind) {
      case TGameInput::kKey:
        GameKey(in[i].vk, false);
        break;
      case TGameInput::kPointerMove:
        GameMove(in[i].x, in[i].y);
        break;
      case TGameInput::kClick:
        GameClick(TMainForm::kMbLeft, in[i].x, in[i].y);
        break;
      default:
        break;
    }
  }
}

void TSdlHost::CopySelection() {
  char text[TScoreWidgetState::kMaxText + 1];
  if (widgets_.CopyText(text, sizeof text) > 0) SDL_SetClipboardText(text);
}

bool TSdlHost::TitleHintKey(uint16_t vk) {
  // The pause panel opens the options by the same key as the title.
  if (pauseClock_.Paused()) {
    if (vk != kVkTab) return false;
    OpenOptions();
    return true;
  }
  if (!form_ || form_->scene != 100) return false;
  const TTitleHint* hint = TitleHintForKey(vk);
  if (!hint) return false;
  switch (hint->action) {
    case TTitleHintAction::kOptions:
      OpenOptions();
      break;
    case TTitleHintAction::kDailyChallenge:
      RequestDailyChallenge();
      break;
    case TTitleHintAction::kMeeting:
      if (!meeting || !meeting->WantsKey(vk)) return false;
      meeting->Key(vk);
      break;
  }
  return true;
}

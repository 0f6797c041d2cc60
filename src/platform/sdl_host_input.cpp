// The host's events: SDL events translated into the game's and the score
// widgets' handlers (virtual-key codes, frame-pixel pointer positions).
#include <exception>

#include "app/main.h"
#include "platform/key_mapping.h"
#include "platform/sdl_host.h"
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
  displayPlatform_.SettlePlacement(SDL_GetTicks());
  opener_.ReapFinished();
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

void TSdlHost::HandleEvent(const SDL_Event& event) {
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
    default:
      break;
  }
}

void TSdlHost::OnKeyDown(const SDL_KeyboardEvent& key) {
  // Auto-repeated key-downs count like presses.
  const uint16_t vk = VirtualKeyFromSdl(key.keysym.scancode, key.keysym.sym, key.keysym.mod);
  if (vk == 0) return;
  const TKeyModifiers mods = KeyModifiersFromSdl(key.keysym.mod);
  switch (widgets_.KeyDown(vk, mods.alt, mods.ctrl, mods.shift)) {
    case TWidgetAction::kToGame:
      if (form_) form_->FormKeyDown(vk, mods.alt);
      if (form_ && recorder) recorder->OnKey(*form_, vk, mods.alt);
      break;
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
  if (!IsGameButton(button.button)) return;
  int32_t fx = 0, fy = 0;
  if (!PointerToFrame(button.x, button.y, &fx, &fy)) return;  // on the black border
  const TWidgetAction action =
      widgets_.MouseDown(WidgetButton(button.button), button.clicks, fx, fy);
  if (action == TWidgetAction::kToGame) {
    if (form_) form_->FormMouseDown(FormButton(button.button), fx, fy);
    if (form_ && recorder) recorder->OnClick(*form_, FormButton(button.button), fx, fy);
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
  if (inside && form_) form_->FormMouseMove(fx, fy);
  if (inside && form_ && recorder) recorder->OnMove(*form_, fx, fy);
}

void TSdlHost::CopySelection() {
  char text[TScoreWidgetState::kMaxText + 1];
  if (widgets_.CopyText(text, sizeof text) > 0) SDL_SetClipboardText(text);
}

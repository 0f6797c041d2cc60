#include "platform/window_icon.h"

namespace {

constexpr int kSize = 64;
// RGBA, row by row from the top.
const unsigned char kPixels[] = {
#include "window_icon.inc"
};
static_assert(sizeof kPixels == kSize * kSize * 4, "the window icon is 64 x 64 RGBA");

}  // namespace

void SetGameWindowIcon(SDL_Window* window) {
  if (!window) return;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<unsigned char*>(kPixels), kSize, kSize, 32, kSize * 4, SDL_PIXELFORMAT_RGBA32);
  if (!icon) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

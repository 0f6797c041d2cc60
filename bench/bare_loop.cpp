// The yardstick for the game's own CPU use: the least an SDL2 program can do
// to show a 640 x 480 picture every 16 ms. One window made the way the game
// makes its own (same hints, same renderer choice, a streaming BGR24
// texture), a frame uploaded and presented whenever 16 ms have passed, and
// in between the events drained and the thread asleep until the next frame
// is due. bench/process_ratio.sh runs it beside the game.
//
//   bare-loop [SECONDS]   (runs until closed, or SECONDS when given)
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  const long seconds = argc >= 2 ? std::strtol(argv[1], nullptr, 10) : 0;
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bare-loop: %s\n", SDL_GetError());
    return 1;
  }
  constexpr int kWidth = 640;
  constexpr int kHeight = 480;
  SDL_Window* window = SDL_CreateWindow("Bare Loop", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        kWidth, kHeight, 0);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  if (window && !renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_BGR24,
                                                      SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight)
                                  : nullptr;
  if (!texture) {
    std::fprintf(stderr, "bare-loop: %s\n", SDL_GetError());
    return 1;
  }
  std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 3, 0);
  const uint32_t start = SDL_GetTicks();
  uint32_t nextFrame = start;
  uint32_t frame = 0;
  bool running = true;
  while (running) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) running = false;
    }
    const uint32_t now = SDL_GetTicks();
    if (seconds > 0 && now - start >= uint32_t(seconds) * 1000u) break;
    if (int32_t(nextFrame - now) > 0) {
      SDL_Delay(nextFrame - now);
      continue;
    }
    nextFrame = now + 16;
    // A picture that changes every frame, as the game's does.
    pixels[(frame * 3) % pixels.size()] ^= 0xff;
    frame++;
    SDL_UpdateTexture(texture, nullptr, pixels.data(), kWidth * 3);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
  }
  std::printf("bare-loop: %u frames\n", static_cast<unsigned>(frame));
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}

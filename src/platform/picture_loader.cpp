// Picture files: the file is read whole (within a size limit), its header is
// checked (and the size it promises weighed against the budget) before
// anything is decoded, and SDL's BMP reader decodes it from memory. Whatever
// the colour depth, the result is converted to the game's 24-bit
// blue-green-red layout.
#include "platform/picture_loader.h"

#include <SDL.h>

#include <vector>

#include "render/bitmap.h"
#include "system/regular_file.h"

namespace {

uint32_t U16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// The size of the 24-bit bitmap the header promises (its sides are checked
// already).
uint64_t BitmapBytes(const uint8_t* data) {
  const uint32_t infoSize = U32(data + 14);
  int64_t width = infoSize == 12 ? U16(data + 18) : static_cast<int32_t>(U32(data + 18));
  int64_t height = infoSize == 12 ? U16(data + 20) : static_cast<int32_t>(U32(data + 22));
  if (height < 0) height = -height;
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
}

// The header check, then the budget: true when the picture may be decoded.
bool MayDecode(const uint8_t* data, size_t size, const TPictureBudget* budget, std::string* error) {
  if (!CheckBmpHeader(data, size, error)) return false;
  if (budget != nullptr && BitmapBytes(data) > budget->bytesLeft) {
    SetError(error, "the pictures together are too large (budget " +
                        std::to_string(kPicturesTotalBudgetBytes >> 20) + " MiB)");
    return false;
  }
  return true;
}

// SDL's decoding of the file's bytes, whatever their depth.
SDL_Surface* DecodeSurface(const uint8_t* data, size_t size, std::string* error) {
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (!rw) {
    SetError(error, SDL_GetError());
    return nullptr;
  }
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (!loaded) SetError(error, std::string("cannot be decoded: ") + SDL_GetError());
  return loaded;
}

// Converts the decoded surface straight into the game's bitmap (no 24-bit
// copy in between), then frees the surface.
bool ConvertInto(SDL_Surface* loaded, TBitmap& into, TPictureBudget* budget, std::string* error) {
  into.SetSize(loaded->w, loaded->h);
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormatFrom(
      into.Data(), into.Width(), into.Height(), 24, into.Stride(), SDL_PIXELFORMAT_BGR24);
  // A plain copy: alpha in the file, if any, is dropped, never blended.
  bool ok = target != nullptr && SDL_SetSurfaceBlendMode(loaded, SDL_BLENDMODE_NONE) == 0 &&
            SDL_BlitSurface(loaded, nullptr, target, nullptr) == 0;
  if (!ok) SetError(error, std::string("cannot be converted: ") + SDL_GetError());
  SDL_FreeSurface(target);
  SDL_FreeSurface(loaded);
  if (!ok) {
    into.Clear();
    return false;
  }
  if (budget != nullptr) budget->bytesLeft -= into.ByteSize();
  return true;
}

}  // namespace

bool CheckBmpHeader(const uint8_t* data, size_t size, std::string* error) {
  // File header (14 bytes) plus at least the 12-byte OS/2 core header.
  if (size < 26 || data[0] != 'B' || data[1] != 'M') {
    SetError(error, "not a BMP file");
    return false;
  }
  const uint32_t pixelOffset = U32(data + 10);
  const uint32_t infoSize = U32(data + 14);
  int64_t width = 0;
  int64_t height = 0;
  uint32_t bits = 0;
  if (infoSize == 12) {
    width = U16(data + 18);
    height = U16(data + 20);
    bits = U16(data + 24);
  } else if (infoSize >= 16 && infoSize <= 1024 && size >= 30) {
    width = static_cast<int32_t>(U32(data + 18));
    height = static_cast<int32_t>(U32(data + 22));
    bits = U16(data + 28);
  } else {
    SetError(error, "unknown BMP header size");
    return false;
  }
  if (height < 0) height = -height;  // rows stored top-down
  if (width < 1 || height < 1 || width > kPictureMaxSide || height > kPictureMaxSide ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4 > kPictureMaxDecodedBytes) {
    SetError(error, "picture size out of range (" + std::to_string(width) + " x " +
                        std::to_string(height) + ")");
    return false;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    SetError(error, "unsupported colour depth " + std::to_string(bits));
    return false;
  }
  if (pixelOffset >= size) {
    SetError(error, "pixel data missing");
    return false;
  }
  // The pixels the header promises must be in the file before anything is
  // allocated for them: uncompressed rows in full, run-length data at no
  // more than 256 pixels a byte (a run of 255 takes two bytes).
  const uint32_t compression = infoSize >= 20 && size >= 34 ? U32(data + 30) : 0;
  const uint64_t dataBytes = size - pixelOffset;
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  const bool runLength = compression == 1 || compression == 2;
  if (runLength ? pixels > dataBytes * 256 : rowBytes * static_cast<uint64_t>(height) > dataBytes) {
    SetError(error, "pixel data shorter than the picture size (" + std::to_string(width) + " x " +
                        std::to_string(height) + ")");
    return false;
  }
  return true;
}

bool DecodePicture(const uint8_t* data, size_t size, TBitmap& into, std::string* error,
                   TPictureBudget* budget) {
  into.Clear();
  if (!MayDecode(data, size, budget, error)) return false;
  SDL_Surface* loaded = DecodeSurface(data, size, error);
  return loaded != nullptr && ConvertInto(loaded, into, budget, error);
}

bool LoadPictureFile(const char* path, TBitmap& into, std::string* error, TPictureBudget* budget) {
  into.Clear();
  std::vector<uint8_t> bytes;
  const char* reason = nullptr;
  if (!ReadRegularFile(path, kPictureFileMaxBytes, bytes, &reason)) {
    SetError(error, reason);
    return false;
  }
  if (!MayDecode(bytes.data(), bytes.size(), budget, error)) return false;
  SDL_Surface* loaded = DecodeSurface(bytes.data(), bytes.size(), error);
  std::vector<uint8_t>().swap(bytes);  // the file's bytes are done with
  return loaded != nullptr && ConvertInto(loaded, into, budget, error);
}

bool LoadPictureFile(const char* path, TBitmap& into, std::string* error) {
  return LoadPictureFile(path, into, error, nullptr);
}

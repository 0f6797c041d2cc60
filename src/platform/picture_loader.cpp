// Picture files: the file is read whole (within a size limit), its header is
// checked before anything is decoded, and SDL's BMP reader decodes it from
// memory. Whatever the colour depth, the result is converted to the game's
// 24-bit blue-green-red layout.
#include "platform/picture_loader.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "render/bitmap.h"

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

// Reads the whole file; false with a reason when it is missing, not a plain
// file, too large or unreadable.
bool ReadWholeFile(const char* path, std::vector<uint8_t>& out, std::string* error) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetError(error, errno == ENOENT ? "missing"
                                    : std::string("cannot be opened: ") + std::strerror(errno));
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    SetError(error, "not a plain file");
    return false;
  }
  if (st.st_size > static_cast<off_t>(kPictureFileMaxBytes)) {
    ::close(fd);
    SetError(error, "file too large for a picture");
    return false;
  }
  out.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < out.size()) {
    ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      SetError(error, n < 0 ? std::string("read error: ") + std::strerror(errno)
                            : std::string("file shrank while being read"));
      return false;
    }
    got += static_cast<size_t>(n);
  }
  ::close(fd);
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

bool DecodePicture(const uint8_t* data, size_t size, TBitmap& into, std::string* error) {
  into.Clear();
  if (!CheckBmpHeader(data, size, error)) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (!rw) {
    SetError(error, SDL_GetError());
    return false;
  }
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (!loaded) {
    SetError(error, std::string("cannot be decoded: ") + SDL_GetError());
    return false;
  }
  SDL_Surface* bgr = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_BGR24, 0);
  SDL_FreeSurface(loaded);
  if (!bgr) {
    SetError(error, std::string("cannot be converted: ") + SDL_GetError());
    return false;
  }
  into.SetSize(bgr->w, bgr->h);
  const bool mustLock = SDL_MUSTLOCK(bgr);
  if (mustLock) SDL_LockSurface(bgr);
  const size_t rowBytes = static_cast<size_t>(bgr->w) * 3;
  for (int y = 0; y < bgr->h; y++) {
    std::memcpy(into.Row(y), static_cast<const uint8_t*>(bgr->pixels) + y * bgr->pitch, rowBytes);
  }
  if (mustLock) SDL_UnlockSurface(bgr);
  SDL_FreeSurface(bgr);
  return true;
}

bool LoadPictureFile(const char* path, TBitmap& into, std::string* error) {
  into.Clear();
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  return DecodePicture(bytes.data(), bytes.size(), into, error);
}

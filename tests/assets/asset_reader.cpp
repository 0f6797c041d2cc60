#include "assets/asset_reader.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string AssetDir() {
  return ZAZO_BINARY_DIR;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  std::fclose(f);
  return true;
}

namespace {

uint32_t Le(const std::vector<uint8_t>& d, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; i--) v = (v << 8) | d[at + i];
  return v;
}

}  // namespace

int Sheet::KeyCount(int x0, int y0, int x1, int y1) const {
  Pixel key = Key();
  int n = 0;
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) n += At(x, y) == key;
  return n;
}

bool LoadSheet(const std::string& path, Sheet* sheet, std::string* error) {
  std::vector<uint8_t> d;
  if (!ReadBytes(path, &d)) {
    *error = "missing " + path;
    return false;
  }
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || Le(d, 14, 4) != 40) {
    *error = path + ": not a BMP with BITMAPINFOHEADER";
    return false;
  }
  uint32_t offset = Le(d, 10, 4);
  int32_t w = static_cast<int32_t>(Le(d, 18, 4)), h = static_cast<int32_t>(Le(d, 22, 4));
  sheet->bitsPerPixel = static_cast<int>(Le(d, 28, 2));
  sheet->bottomUp = h > 0;
  h = std::abs(h);
  if (sheet->bitsPerPixel != 24 || Le(d, 30, 4) != 0 || w <= 0 || h <= 0) {
    *error = path + ": not an uncompressed 24-bit picture";
    return false;
  }
  size_t rowBytes = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
  if (d.size() < offset + rowBytes * h) {
    *error = path + ": pixel data cut short";
    return false;
  }
  sheet->width = w;
  sheet->height = h;
  sheet->pixels.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; y++) {
    size_t row = offset + rowBytes * static_cast<size_t>(sheet->bottomUp ? h - 1 - y : y);
    for (int x = 0; x < w; x++) {
      const uint8_t* p = d.data() + row + 3 * x;
      sheet->pixels[static_cast<size_t>(y) * w + x] = Pixel{p[2], p[1], p[0]};
    }
  }
  return true;
}

bool LoadWave(const std::string& path, Wave* wave, std::string* error) {
  std::vector<uint8_t> d;
  if (!ReadBytes(path, &d)) {
    *error = "missing " + path;
    return false;
  }
  if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 ||
      std::memcmp(d.data() + 8, "WAVE", 4) != 0) {
    *error = path + ": not RIFF/WAVE";
    return false;
  }
  bool haveFormat = false, haveData = false;
  for (size_t at = 12; at + 8 <= d.size();) {
    uint32_t size = Le(d, at + 4, 4);
    if (at + 8 + size > d.size()) break;
    if (std::memcmp(d.data() + at, "fmt ", 4) == 0 && size >= 16) {
      wave->format = static_cast<int>(Le(d, at + 8, 2));
      wave->channels = static_cast<int>(Le(d, at + 10, 2));
      wave->rate = static_cast<int>(Le(d, at + 12, 4));
      wave->bits = static_cast<int>(Le(d, at + 22, 2));
      haveFormat = true;
    } else if (std::memcmp(d.data() + at, "data", 4) == 0 && haveFormat) {
      int frameBytes = wave->channels * wave->bits / 8;
      wave->frames = frameBytes > 0 ? size / frameBytes : 0;
      wave->peak = 0;
      if (wave->bits == 16)
        for (size_t i = 0; i + 1 < size; i += 2)
          wave->peak = std::max(
              wave->peak, std::abs(static_cast<int>(static_cast<int16_t>(Le(d, at + 8 + i, 2)))));
      haveData = true;
    }
    at += 8 + size + (size & 1);
  }
  if (!haveFormat || !haveData) *error = path + ": no fmt or data chunk";
  return haveFormat && haveData;
}

namespace {

struct Memory {
  const std::vector<uint8_t>* data;
  size_t start, pos;
};

size_t MemRead(void* ptr, size_t size, size_t count, void* src) {
  auto* m = static_cast<Memory*>(src);
  if (size == 0 || count == 0) return 0;
  size_t n = std::min(size * count, m->data->size() - m->pos);
  std::memcpy(ptr, m->data->data() + m->pos, n);
  m->pos += n;
  return n / size;
}

int MemSeek(void* src, ogg_int64_t offset, int whence) {
  auto* m = static_cast<Memory*>(src);
  ogg_int64_t base = whence == SEEK_SET   ? static_cast<ogg_int64_t>(m->start)
                     : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->pos)
                                          : static_cast<ogg_int64_t>(m->data->size());
  ogg_int64_t p = base + offset;
  if (p < static_cast<ogg_int64_t>(m->start) || p > static_cast<ogg_int64_t>(m->data->size()))
    return -1;
  m->pos = static_cast<size_t>(p);
  return 0;
}

long MemTell(void* src) {
  auto* m = static_cast<Memory*>(src);
  return static_cast<long>(m->pos - m->start);
}

// Opens the stream of a music file; fills the header fields of `music`.
bool OpenMusic(const std::vector<uint8_t>& bytes, Memory* mem, OggVorbis_File* vf, Music* music,
               std::string* error) {
  music->hasHeader = bytes.size() >= 200 && std::memcmp(bytes.data(), "ALPHAOGG", 8) == 0;
  music->loops.clear();
  if (music->hasHeader)
    for (int i = 0; i < 16; i++) {
      LoopEntry e;
      std::memcpy(&e.jumpTo, bytes.data() + 8 + 12 * i, 4);
      std::memcpy(&e.loopAt, bytes.data() + 12 + 12 * i, 4);
      std::memcpy(&e.repeatCount, bytes.data() + 16 + 12 * i, 4);
      if (e.jumpTo != 0 || e.loopAt != 0 || e.repeatCount != 0) music->loops.push_back(e);
    }
  mem->data = &bytes;
  mem->start = music->hasHeader ? 200 : 0;
  mem->pos = mem->start;
  ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
  if (ov_open_callbacks(mem, vf, nullptr, 0, callbacks) < 0) {
    *error = "not an Ogg Vorbis stream";
    return false;
  }
  vorbis_info* vi = ov_info(vf, -1);
  music->channels = vi->channels;
  music->rate = vi->rate;
  music->seconds = ov_time_total(vf, -1);
  return true;
}

}  // namespace

bool LoadMusic(const std::string& path, Music* music, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadBytes(path, &bytes)) {
    *error = "missing " + path;
    return false;
  }
  Memory mem;
  OggVorbis_File vf;
  if (!OpenMusic(bytes, &mem, &vf, music, error)) return false;
  char buf[16384];
  int section = 0;
  music->peak = 0;
  for (;;) {
    long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
    if (n == 0) break;
    if (n < 0) {
      ov_clear(&vf);
      *error = path + ": decoding error";
      return false;
    }
    for (long i = 0; i + 1 < n; i += 2) {
      int16_t v;
      std::memcpy(&v, buf + i, 2);
      music->peak = std::max(music->peak, std::abs(static_cast<int>(v)));
    }
  }
  ov_clear(&vf);
  return true;
}

bool DecodeMusicAt(const std::string& path, double from, double seconds,
                   std::vector<int16_t>* samples, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadBytes(path, &bytes)) {
    *error = "missing " + path;
    return false;
  }
  Memory mem;
  OggVorbis_File vf;
  Music music;
  if (!OpenMusic(bytes, &mem, &vf, &music, error)) return false;
  ov_time_seek(&vf, from);
  size_t want = static_cast<size_t>(seconds * music.rate) * music.channels;
  samples->clear();
  char buf[8192];
  int section = 0;
  while (samples->size() < want) {
    long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
    if (n <= 0) break;
    for (long i = 0; i + 1 < n && samples->size() < want; i += 2) {
      int16_t v;
      std::memcpy(&v, buf + i, 2);
      samples->push_back(v);
    }
  }
  ov_clear(&vf);
  return samples->size() == want;
}

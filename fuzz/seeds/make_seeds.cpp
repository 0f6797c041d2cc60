// zazo-fuzz-seeds OUT: writes the starting corpus of every fuzz target into
// OUT/<target>/ (the committed fuzz/corpus/ was made by it). Every file is
// made here from scratch: small valid pictures of each colour depth, WAV
// files of each encoding SDL reads, Ogg Vorbis streams encoded with
// libvorbisenc with and without loop headers, best-score files and replay
// scripts -- and a few broken ones of each.
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ogg_writer.h"

namespace {

using TBytes = std::vector<uint8_t>;

std::string gOut;
int gWritten = 0;

void Put(const std::string& target, const std::string& name, const TBytes& bytes) {
  const std::string dir = gOut + "/" + target;
  mkdir(gOut.c_str(), 0755);
  mkdir(dir.c_str(), 0755);
  if (!oggtest::WriteFile(dir + "/" + name, bytes)) {
    std::fprintf(stderr, "zazo-fuzz-seeds: cannot write %s/%s\n", dir.c_str(), name.c_str());
    std::exit(1);
  }
  gWritten++;
}

void PutText(const std::string& target, const std::string& name, const std::string& text) {
  Put(target, name, TBytes(text.begin(), text.end()));
}

void Le16(TBytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Le32(TBytes& b, uint32_t v) {
  for (int i = 0; i < 4; i++) b.push_back(uint8_t(v >> (8 * i)));
}
void Append(TBytes& b, const char* text) {
  b.insert(b.end(), text, text + std::strlen(text));
}

// ---------------------------------------------------------------------------
// Pictures
// ---------------------------------------------------------------------------

// A BMP with a 40-byte header. rows: the stored pixel rows, already padded.
TBytes Bmp(int32_t width, int32_t height, int bits, uint32_t compression, const TBytes& palette,
           const TBytes& rows) {
  TBytes b;
  Append(b, "BM");
  const uint32_t offset = 14 + 40 + uint32_t(palette.size());
  Le32(b, offset + uint32_t(rows.size()));
  Le32(b, 0);
  Le32(b, offset);
  Le32(b, 40);
  Le32(b, uint32_t(width));
  Le32(b, uint32_t(height));
  Le16(b, 1);
  Le16(b, uint32_t(bits));
  Le32(b, compression);
  Le32(b, uint32_t(rows.size()));
  Le32(b, 2835);
  Le32(b, 2835);
  Le32(b, uint32_t(palette.size() / 4));
  Le32(b, 0);
  b.insert(b.end(), palette.begin(), palette.end());
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

TBytes Palette(int colours) {
  TBytes p;
  for (int i = 0; i < colours; i++) {
    p.insert(p.end(), {uint8_t(i * 60), uint8_t(255 - i * 40), uint8_t(i * 90), 0});
  }
  return p;
}

// Rows of `width` pixels of `bits` each, every row padded to 4 bytes.
TBytes Rows(int32_t width, int32_t height, int bits, int seed) {
  const size_t rowBytes = (size_t(width) * bits + 31) / 32 * 4;
  TBytes r(rowBytes * height);
  for (size_t i = 0; i < r.size(); i++) r[i] = uint8_t(i * 37 + seed * 11);
  return r;
}

void Pictures() {
  const std::string t = "picture";
  Put(t, "rgb24_4x3.bmp", Bmp(4, 3, 24, 0, {}, Rows(4, 3, 24, 1)));
  Put(t, "pal8_5x5.bmp", Bmp(5, 5, 8, 0, Palette(4), Rows(5, 5, 8, 2)));
  TBytes pal8 = Rows(5, 5, 8, 2);
  for (uint8_t& v : pal8) v &= 3;
  Put(t, "pal8_5x5_inrange.bmp", Bmp(5, 5, 8, 0, Palette(4), pal8));
  Put(t, "pal4_3x2.bmp", Bmp(3, 2, 4, 0, Palette(16), Rows(3, 2, 4, 3)));
  Put(t, "mono_9x2.bmp", Bmp(9, 2, 1, 0, Palette(2), Rows(9, 2, 1, 4)));
  Put(t, "rgb32_2x2_topdown.bmp", Bmp(2, -2, 32, 0, {}, Rows(2, 2, 32, 5)));
  Put(t, "rgb16_3x3.bmp", Bmp(3, 3, 16, 0, {}, Rows(3, 3, 16, 6)));
  // RLE8: a run, a literal, end of line, a delta, end of bitmap.
  const TBytes rle = {4, 1, 0, 0, 0, 4, 2, 3, 1, 2, 0, 0, 0, 2, 1, 1, 2, 2, 0, 1};
  Put(t, "rle8_4x4.bmp", Bmp(4, 4, 8, 1, Palette(4), rle));
  // OS/2 core header: 12 bytes, 16-bit sizes.
  TBytes core;
  Append(core, "BM");
  Le32(core, 14 + 12 + 16);
  Le32(core, 0);
  Le32(core, 14 + 12);
  Le32(core, 12);
  Le16(core, 2);
  Le16(core, 2);
  Le16(core, 1);
  Le16(core, 24);
  const TBytes corePixels = Rows(2, 2, 24, 7);
  core.insert(core.end(), corePixels.begin(), corePixels.end());
  Put(t, "os2_2x2.bmp", core);
  // Broken: a 100-byte file claiming 30000 x 30000; pixels missing; a
  // depth of 7 bits; a header size of 9 bytes.
  TBytes huge = Bmp(30000, 30000, 24, 0, {}, TBytes(46, 0x55));
  Put(t, "claims_30000x30000.bmp", huge);
  TBytes big = Bmp(4000, 4000, 24, 0, {}, TBytes(46, 0x55));
  Put(t, "claims_4000x4000.bmp", big);
  TBytes cut = Bmp(16, 16, 24, 0, {}, Rows(16, 16, 24, 8));
  cut.resize(cut.size() / 3);
  Put(t, "truncated_16x16.bmp", cut);
  Put(t, "depth7.bmp", Bmp(2, 2, 7, 0, {}, Rows(2, 2, 8, 9)));
  TBytes odd = Bmp(2, 2, 24, 0, {}, Rows(2, 2, 24, 10));
  odd[14] = 9;
  Put(t, "header9.bmp", odd);
}

// ---------------------------------------------------------------------------
// WAV
// ---------------------------------------------------------------------------

struct TChunk {
  const char* id;
  TBytes body;
};

TBytes Riff(const std::vector<TChunk>& chunks) {
  TBytes body;
  Append(body, "WAVE");
  for (const TChunk& c : chunks) {
    Append(body, c.id);
    Le32(body, uint32_t(c.body.size()));
    body.insert(body.end(), c.body.begin(), c.body.end());
    if (c.body.size() % 2) body.push_back(0);
  }
  TBytes b;
  Append(b, "RIFF");
  Le32(b, uint32_t(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

TBytes Fmt(uint32_t format, uint32_t channels, uint32_t rate, uint32_t blockAlign, uint32_t bits,
           const TBytes& extra = {}, bool withSize = false) {
  TBytes f;
  Le16(f, format);
  Le16(f, channels);
  Le32(f, rate);
  Le32(f, rate * blockAlign);
  Le16(f, blockAlign);
  Le16(f, bits);
  if (withSize || !extra.empty()) {
    Le16(f, uint32_t(extra.size()));
    f.insert(f.end(), extra.begin(), extra.end());
  }
  return f;
}

TBytes Count(uint32_t n) {
  TBytes b;
  Le32(b, n);
  return b;
}

TBytes Samples16(int frames, int channels) {
  TBytes d;
  for (int i = 0; i < frames * channels; i++) {
    Le16(d, uint32_t(int16_t(std::lround(9000 * std::sin(i * 0.21)))));
  }
  return d;
}

void Waves() {
  const std::string t = "wave";
  Put(t, "pcm16_stereo_44100.wav",
      Riff({{"fmt ", Fmt(1, 2, 44100, 4, 16)}, {"data", Samples16(64, 2)}}));
  TBytes u8;
  for (int i = 0; i < 50; i++) u8.push_back(uint8_t(128 + 100 * std::sin(i * 0.5)));
  Put(t, "pcm8_mono_22050.wav", Riff({{"fmt ", Fmt(1, 1, 22050, 1, 8)}, {"data", u8}}));
  TBytes list;
  Append(list, "INFOISFT");
  Le32(list, 4);
  Append(list, "zazo");
  Put(t, "pcm16_mono_8000_list.wav",
      Riff({{"fmt ", Fmt(1, 1, 8000, 2, 16)}, {"LIST", list}, {"data", Samples16(40, 1)}}));
  TBytes floats;
  for (int i = 0; i < 24 * 2; i++) {
    const float v = float(0.4 * std::sin(i * 0.3));
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    Le32(floats, bits);
  }
  Put(t, "float32_stereo_48000.wav",
      Riff({{"fmt ", Fmt(3, 2, 48000, 8, 32, {}, true)}, {"fact", Count(24)}, {"data", floats}}));
  TBytes law;
  for (int i = 0; i < 40; i++) law.push_back(uint8_t(i * 13 + 7));
  Put(t, "alaw_mono_8000.wav",
      Riff({{"fmt ", Fmt(6, 1, 8000, 1, 8, {}, true)}, {"fact", Count(40)}, {"data", law}}));
  Put(t, "mulaw_mono_8000.wav",
      Riff({{"fmt ", Fmt(7, 1, 8000, 1, 8, {}, true)}, {"fact", Count(40)}, {"data", law}}));
  // IMA ADPCM, one 36-byte block of 65 samples.
  TBytes imaExtra;
  Le16(imaExtra, 65);
  TBytes ima = {0x10, 0x00, 20, 0};
  for (int i = 0; i < 32; i++) ima.push_back(uint8_t(i * 29 + 3));
  Put(t, "ima_adpcm_mono_22050.wav",
      Riff({{"fmt ", Fmt(0x11, 1, 22050, 36, 4, imaExtra)}, {"fact", Count(65)}, {"data", ima}}));
  // MS ADPCM, one 32-byte block of 52 samples, the seven standard pairs.
  TBytes msExtra;
  Le16(msExtra, 52);
  Le16(msExtra, 7);
  const int16_t coefficients[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                      {240, 0}, {460, -208}, {392, -232}};
  for (const auto& c : coefficients) {
    Le16(msExtra, uint16_t(c[0]));
    Le16(msExtra, uint16_t(c[1]));
  }
  TBytes ms = {1, 16, 0, 0x20, 0x03, 0x10, 0x02};
  for (int i = 0; i < 25; i++) ms.push_back(uint8_t(i * 41 + 5));
  Put(t, "ms_adpcm_mono_11025.wav",
      Riff({{"fmt ", Fmt(2, 1, 11025, 32, 4, msExtra)}, {"fact", Count(52)}, {"data", ms}}));
  // Broken: data longer than the file, no fmt, 1 Hz, zero channels.
  TBytes cut = Riff({{"fmt ", Fmt(1, 2, 44100, 4, 16)}, {"data", Samples16(64, 2)}});
  cut.resize(cut.size() - 60);
  Put(t, "truncated.wav", cut);
  Put(t, "no_fmt.wav", Riff({{"data", Samples16(8, 1)}}));
  Put(t, "rate_1hz.wav", Riff({{"fmt ", Fmt(1, 1, 1, 2, 16)}, {"data", Samples16(40, 1)}}));
  Put(t, "zero_channels.wav", Riff({{"fmt ", Fmt(1, 0, 44100, 0, 16)}, {"data", u8}}));
}

// ---------------------------------------------------------------------------
// Ogg Vorbis with and without the loop header
// ---------------------------------------------------------------------------

void Music() {
  const std::string t = "ogg";
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto stereo = oggtest::Encode(oggtest::Tune(2205, 2), 2, 44100, -0.1f);
  const auto mono = oggtest::Encode(oggtest::Tune(2205, 1), 1, 44100, -0.1f);
  Put(t, "stereo_44100.ogg", stereo);
  Put(t, "mono_44100.ogg", mono);
  Put(t, "stereo_loop.ogg", oggtest::WithLoopHeader(stereo, {{0.0f, 0.03f, -1}}));
  Put(t, "mono_loops.ogg",
      oggtest::WithLoopHeader(mono, {{0.01f, 0.04f, 2}, {0.0f, 0.02f, -1}, {0.02f, 0.01f, 1}}));
  Put(t, "stereo_hostile_header.ogg",
      oggtest::WithLoopHeader(
          stereo,
          {{nan, 0.02f, -1}, {-3.0f, 0.01f, 2147483647}, {1e30f, 0.03f, -1}, {0.02f, 0.02f, -1}}));
  Put(t, "rate_22050.ogg", oggtest::Encode(oggtest::Tune(1102, 1), 1, 22050, -0.1f));
  Put(t, "three_channels.ogg", oggtest::Encode(oggtest::Tune(2205, 3), 3, 44100, -0.1f));
  Put(t, "empty_stream.ogg", oggtest::Encode({}, 2, 44100, -0.1f));
  TBytes damaged = stereo;
  for (size_t i = damaged.size() * 3 / 4; i < damaged.size() * 3 / 4 + 16; i++) damaged[i] ^= 0x5a;
  Put(t, "damaged_tail.ogg", damaged);
  TBytes shortHeader(199, 0);
  std::memcpy(shortHeader.data(), "ALPHAOGG", 8);
  Put(t, "header_199_bytes.ogg", shortHeader);
  Put(t, "not_ogg.ogg", TBytes{'O', 'g', 'g', 'S', 0, 2, 0, 0});
}

// ---------------------------------------------------------------------------
// Text: best-score files and replay scripts
// ---------------------------------------------------------------------------

void Texts() {
  const char* const scores[][2] = {
      {"default", "765\r\n"},
      {"two_lines", "1234\r\n99\r\n"},
      {"lf", "42\n"},
      {"cr", "7\r"},
      {"no_line_end", "99999999"},
      {"letters", "12a"},
      {"empty", ""},
      {"blanks_sign", "  \t-17\r\n"},
      {"plus", "+8\n"},
      {"min", "-2147483648\r\n"},
      {"too_big", "2147483648\r\n"},
      {"bom",
       "\xEF\xBB\xBF"
       "500\r\n"},
      {"zeros", "0000000000123\n"},
  };
  for (const auto& s : scores) PutText("score", std::string(s[0]) + ".dat", s[1]);
  PutText("score", "binary.dat", std::string("\x00\xff\x13\x0a\x31", 5));

  const char* const scripts[][2] = {
      {"title_only", "seed mt 5489\nrun 60\n"},
      {"single_game",
       "# one normal game\nseed mt 1\nseed lcg 2\nbest 765\ntime 20240101120000\n"
       "at 1 key 52\nat 70 key 68\nat 71 key 86\nat 72 key 66\nat 73 key 71\n"
       "at 80 move 100 200\nat 81 down left 100 200\nat 82 down right 5 5\nrun 300\n"},
      {"level99", "at 1 key 53\nat 64 key 86\nat 100 key 55\nrun 200\n"},
      {"versus_people",
       "at 1 key 51\nat 70 key 85\nat 71 key 37\nat 72 key 39 \nat 73 key 38\nrun 200\n"},
      {"versus_computer", "seed lcg 99\nat 1 key 54\nat 90 key 65\nat 150 key 56\nrun 400\n"},
      {"menu_mouse",
       "at 1 move 300 230\nat 2 down left 300 230\nat 80 down left 150 10\nrun 120\n"},
      {"toggles", "at 1 key 49\nat 2 key 50\nat 3 key 13 alt\nat 4 key 27\nrun 10\n"},
      {"malformed", "seed mt 1\nat 0 key 52\nrun 10\n"},
      {"unknown", "jump 5\n"},
      {"crlf", "seed mt 7\r\nat 1 key 52\r\nrun 80\r\n"},
  };
  for (const auto& s : scripts) {
    PutText("replay_script", std::string(s[0]) + ".txt", s[1]);
    PutText("replay_run", std::string(s[0]) + ".txt", s[1]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zazo-fuzz-seeds OUT_DIR\n");
    return 2;
  }
  gOut = argv[1];
  Pictures();
  Waves();
  Music();
  Texts();
  std::printf("zazo-fuzz-seeds: %d files in %s\n", gWritten, gOut.c_str());
  return 0;
}

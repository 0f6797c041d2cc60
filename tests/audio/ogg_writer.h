// Test sounds: Ogg Vorbis files made here with libvorbisenc, their reference
// decoding through libvorbisfile, and the "ALPHAOGG" loop header.
#pragma once

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace oggtest {

// A loud, ever-changing test tune: a few sines whose pitches drift, so that
// no two moments of it look alike. peak: the largest sample value.
inline std::vector<int16_t> Tune(int frames, int channels, double peak = 12000, int seed = 1) {
  std::vector<int16_t> pcm(size_t(frames) * channels);
  double p1 = 0, p2 = 0, p3 = 0;
  for (int i = 0; i < frames; i++) {
    const double t = double(i) / 44100;
    p1 += 2 * M_PI * (220 + 40 * seed + 180 * t) / 44100;
    p2 += 2 * M_PI * (331 + 97 * std::sin(t * 1.7 + seed)) / 44100;
    p3 += 2 * M_PI * (1500 + 700 * std::sin(t * 0.9)) / 44100;
    const double v = 0.6 * std::sin(p1) + 0.3 * std::sin(p2) + 0.1 * std::sin(p3);
    for (int c = 0; c < channels; c++) {
      const double pan = c == 0 ? 1.0 : 0.85;
      pcm[size_t(i) * channels + c] = int16_t(std::lround(v * peak * pan));
    }
  }
  return pcm;
}

// Encodes interleaved 16-bit PCM as Ogg Vorbis.
inline std::vector<uint8_t> Encode(const std::vector<int16_t>& pcm, int channels, long rate,
                                   float quality = 0.3f) {
  std::vector<uint8_t> out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) return out;
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1234);
  ogg_packet header, comments, codes;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codes);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codes);
  ogg_page og;
  auto put = [&](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  while (ogg_stream_flush(&os, &og)) put(og);
  const size_t frames = pcm.size() / channels;
  size_t done = 0;
  bool eos = false;
  while (!eos) {
    const size_t chunk = frames - done < 4096 ? frames - done : 4096;
    if (chunk == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&vd, int(chunk));
      for (size_t i = 0; i < chunk; i++) {
        for (int c = 0; c < channels; c++) {
          buffer[c][i] = pcm[(done + i) * channels + c] / 32768.f;
        }
      }
      vorbis_analysis_wrote(&vd, int(chunk));
      done += chunk;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) {
          put(og);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
    if (chunk == 0) {
      while (ogg_stream_flush(&os, &og)) put(og);
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

struct TPoint {
  float jumpTo, loopAt;
  int32_t repeatCount;
};

// The 200-byte loop header followed by the stream.
inline std::vector<uint8_t> WithLoopHeader(const std::vector<uint8_t>& ogg,
                                           const std::vector<TPoint>& points) {
  std::vector<uint8_t> out(200 + ogg.size(), 0);
  std::memcpy(out.data(), "ALPHAOGG", 8);
  for (size_t i = 0; i < points.size() && i < 16; i++) {
    std::memcpy(out.data() + 8 + 12 * i, &points[i].jumpTo, 4);
    std::memcpy(out.data() + 12 + 12 * i, &points[i].loopAt, 4);
    std::memcpy(out.data() + 16 + 12 * i, &points[i].repeatCount, 4);
  }
  if (!ogg.empty()) std::memcpy(out.data() + 200, ogg.data(), ogg.size());
  return out;
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The whole stream decoded by libvorbisfile itself: interleaved, as read.
inline std::vector<int16_t> DecodeAll(const std::vector<uint8_t>& ogg) {
  struct TSource {
    const std::vector<uint8_t>* data;
    size_t pos;
  } source{&ogg, 0};
  ov_callbacks cb = {[](void* ptr, size_t size, size_t count, void* s) -> size_t {
                       auto* src = static_cast<TSource*>(s);
                       size_t n = std::min(size * count, src->data->size() - src->pos);
                       std::memcpy(ptr, src->data->data() + src->pos, n);
                       src->pos += n;
                       return n;
                     },
                     [](void* s, ogg_int64_t off, int whence) -> int {
                       auto* src = static_cast<TSource*>(s);
                       ogg_int64_t base = whence == SEEK_SET   ? 0
                                          : whence == SEEK_CUR ? ogg_int64_t(src->pos)
                                                               : ogg_int64_t(src->data->size());
                       src->pos = size_t(base + off);
                       return 0;
                     },
                     nullptr, [](void* s) -> long { return long(static_cast<TSource*>(s)->pos); }};
  OggVorbis_File vf;
  std::vector<int16_t> pcm;
  if (ov_open_callbacks(&source, &vf, nullptr, 0, cb) < 0) return pcm;
  char buffer[8192];
  int link;
  long r;
  while ((r = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &link)) > 0) {
    const int16_t* s = reinterpret_cast<const int16_t*>(buffer);
    pcm.insert(pcm.end(), s, s + r / 2);
  }
  ov_clear(&vf);
  return pcm;
}

}  // namespace oggtest

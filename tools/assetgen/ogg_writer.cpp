#include "ogg_writer.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Reading an in-memory file through vorbisfile's callbacks.
struct MemoryFile {
  const std::vector<uint8_t>* data;
  size_t pos;
};

size_t MemRead(void* ptr, size_t size, size_t count, void* source) {
  auto* f = static_cast<MemoryFile*>(source);
  if (size == 0 || count == 0) return 0;
  size_t n = std::min(size * count, f->data->size() - f->pos);
  std::memcpy(ptr, f->data->data() + f->pos, n);
  f->pos += n;
  return n / size;
}

int MemSeek(void* source, ogg_int64_t offset, int whence) {
  auto* f = static_cast<MemoryFile*>(source);
  ogg_int64_t base = whence == SEEK_SET   ? 0
                     : whence == SEEK_CUR ? static_cast<ogg_int64_t>(f->pos)
                                          : static_cast<ogg_int64_t>(f->data->size());
  ogg_int64_t p = base + offset;
  if (p < 0 || p > static_cast<ogg_int64_t>(f->data->size())) return -1;
  f->pos = static_cast<size_t>(p);
  return 0;
}

long MemTell(void* source) {
  return static_cast<long>(static_cast<MemoryFile*>(source)->pos);
}

}  // namespace

std::vector<uint8_t> LoopHeader(const std::vector<LoopPoint>& points) {
  std::vector<uint8_t> h(200, 0);
  std::memcpy(h.data(), "ALPHAOGG", 8);
  for (size_t i = 0; i < points.size() && i < 16; i++) {
    uint32_t jump, at;
    std::memcpy(&jump, &points[i].jumpTo, 4);
    std::memcpy(&at, &points[i].loopAt, 4);
    PutLe32(h, 8 + 12 * i, jump);
    PutLe32(h, 12 + 12 * i, at);
    PutLe32(h, 16 + 12 * i, static_cast<uint32_t>(points[i].repeatCount));
  }
  return h;
}

std::vector<uint8_t> EncodeVorbis(const Stereo& s, float quality, int serial,
                                  const std::string& title) {
  std::vector<uint8_t> out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 2, kSampleRate, quality) != 0) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "TITLE", title.c_str());
  vorbis_comment_add_tag(&vc, "ARTIST", "Zazo Puzzle");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);

  const size_t chunk = 4096;
  size_t done = 0;
  bool eos = false;
  while (!eos) {
    size_t n = std::min(chunk, s.Frames() - done);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      std::memcpy(buffer[0], s.l.data() + done, n * sizeof(float));
      std::memcpy(buffer[1], s.r.data() + done, n * sizeof(float));
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page) != 0) {
          AppendPage(out, page);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
    if (n == 0) eos = true;
  }
  while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

bool DecodeVorbis(const std::vector<uint8_t>& ogg, DecodedInfo* info, std::string* error) {
  MemoryFile file{&ogg, 0};
  ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
  OggVorbis_File vf;
  if (ov_open_callbacks(&file, &vf, nullptr, 0, callbacks) < 0) {
    *error = "not a Vorbis stream";
    return false;
  }
  vorbis_info* vi = ov_info(&vf, -1);
  info->channels = vi->channels;
  info->rate = vi->rate;
  info->seconds = ov_time_total(&vf, -1);
  info->peak = 0;
  char buf[16384];
  int section = 0;
  for (;;) {
    long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
    if (n == 0) break;
    if (n < 0) {
      ov_clear(&vf);
      *error = "decoding error";
      return false;
    }
    for (long i = 0; i + 1 < n; i += 2) {
      int16_t v;
      std::memcpy(&v, buf + i, 2);
      info->peak = std::max(info->peak, std::abs(static_cast<int>(v)));
    }
  }
  ov_clear(&vf);
  return true;
}

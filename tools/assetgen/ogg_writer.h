// Ogg Vorbis files of the music: encoding with libvorbisenc, the 200-byte
// "ALPHAOGG" loop header in front, and a decoding check with libvorbisfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dsp.h"

struct LoopPoint {
  float jumpTo = 0;         // seconds
  float loopAt = 0;         // seconds
  int32_t repeatCount = 0;  // -1 = every time
};

// The 200-byte header: "ALPHAOGG" and 16 loop points (unused ones zero).
std::vector<uint8_t> LoopHeader(const std::vector<LoopPoint>& points);

// Encodes 44,100 Hz stereo samples (-1..1) as Ogg Vorbis, VBR at the given
// quality, with a fixed stream serial number so the bytes never vary.
std::vector<uint8_t> EncodeVorbis(const Stereo& s, float quality, int serial,
                                  const std::string& title);

struct DecodedInfo {
  int channels = 0;
  long rate = 0;
  double seconds = 0;
  int peak = 0;  // largest absolute 16-bit sample
};
// Decodes an Ogg Vorbis stream from memory as the game does (16-bit).
bool DecodeVorbis(const std::vector<uint8_t>& ogg, DecodedInfo* info, std::string* error);

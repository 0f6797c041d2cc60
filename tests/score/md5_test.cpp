#include "score/MD5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "score/score_signature.h"

namespace {

std::string HexOf(const std::string& text) {
  uint8_t digest[16];
  Md5Digest(text.data(), text.size(), digest);
  char hex[33];
  Md5ToHex(digest, hex);
  return hex;
}

// The test suite published with the algorithm, plus a million 'a'.
TEST(Md5, ReferenceSuite) {
  const struct {
    const char* text;
    const char* hex;
  } kCases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
       "0",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(HexOf(c.text), c.hex) << '"' << c.text << '"';
    EXPECT_EQ(Md5Hex(c.text), c.hex);
  }
  EXPECT_EQ(HexOf(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

// Feeding the same bytes in pieces of every size gives the one-shot digest,
// including lengths around the padding boundaries (55, 56, 63, 64 bytes).
TEST(Md5, StreamingMatchesOneShot) {
  std::string data;
  for (int i = 0; i < 300; i++) data += static_cast<char>(i * 37 + 11);
  for (size_t len : {0u, 1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
    uint8_t whole[16];
    Md5Digest(data.data(), len, whole);
    for (size_t piece = 1; piece <= 70; piece += 3) {
      TMd5Context ctx;
      Md5Init(ctx);
      for (size_t at = 0; at < len; at += piece) {
        Md5Update(ctx, data.data() + at, std::min(piece, len - at));
      }
      uint8_t streamed[16];
      Md5Final(ctx, streamed);
      ASSERT_EQ(0, std::memcmp(whole, streamed, 16)) << "length " << len << " piece " << piece;
    }
  }
}

TEST(Md5, HexIsLowercaseAndTerminated) {
  char out[34];
  std::memset(out, 'X', sizeof out);
  Md5HexTo("abc", 3, out);
  EXPECT_STREQ(out, "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(out[33], 'X');  // nothing written past the NUL
}

}  // namespace

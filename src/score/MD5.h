// MD5 message digest (RFC 1321), used to sign the score text.
//
// Streaming: Md5Init, then Md5Update any number of times, then Md5Final.
// Md5Digest does all three for one buffer. Nothing here allocates.
#pragma once

#include <cstddef>
#include <cstdint>

struct TMd5Context {
  uint32_t state[4];   // A, B, C, D
  uint64_t length;     // bytes hashed so far
  uint8_t buffer[64];  // the partial block; length % 64 bytes are in use
};

void Md5Init(TMd5Context& ctx);
void Md5Update(TMd5Context& ctx, const void* data, size_t len);
// Pads, writes the 16 digest bytes and leaves ctx re-initialised.
void Md5Final(TMd5Context& ctx, uint8_t digest[16]);

// The digest of one buffer.
void Md5Digest(const void* data, size_t len, uint8_t digest[16]);

// The 16 digest bytes as 32 lowercase hexadecimal digits plus a NUL.
void Md5ToHex(const uint8_t digest[16], char out[33]);

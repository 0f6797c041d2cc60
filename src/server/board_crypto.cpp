#include "server/board_crypto.h"

#include <nettle/hmac.h>
#include <nettle/sha2.h>
#include <sys/random.h>

#include <cerrno>
#include <stdexcept>

namespace {

std::string Hex(const uint8_t* bytes, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  s.reserve(n * 2);
  for (size_t i = 0; i < n; i++) {
    s += kDigits[bytes[i] >> 4];
    s += kDigits[bytes[i] & 15];
  }
  return s;
}

std::string RandomHex(size_t bytes) {
  uint8_t buf[64];
  size_t got = 0;
  while (got < bytes) {
    const ssize_t n = getrandom(buf + got, bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("the system gives no random numbers");
    got += static_cast<size_t>(n);
  }
  return Hex(buf, bytes);
}

}  // namespace

std::string NewOwnerToken() {
  return RandomHex(16);
}

std::string NewBoardSecret() {
  return RandomHex(32);
}

std::string OwnerTokenHash(std::string_view token) {
  sha256_ctx ctx;
  sha256_init(&ctx);
  sha256_update(&ctx, token.size(), reinterpret_cast<const uint8_t*>(token.data()));
  uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&ctx, sizeof digest, digest);
  return Hex(digest, sizeof digest);
}

bool OwnerTokenMatches(std::string_view token, std::string_view hash) {
  if (hash.empty() || token.size() != 32) return false;
  for (char c : token)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  const std::string mine = OwnerTokenHash(token);
  if (mine.size() != hash.size()) return false;
  unsigned diff = 0;
  for (size_t i = 0; i < mine.size(); i++) diff |= static_cast<unsigned char>(mine[i] ^ hash[i]);
  return diff == 0;
}

uint32_t ChallengeSeed(std::string_view secret, std::string_view id) {
  hmac_sha256_ctx ctx;
  hmac_sha256_set_key(&ctx, secret.size(), reinterpret_cast<const uint8_t*>(secret.data()));
  hmac_sha256_update(&ctx, id.size(), reinterpret_cast<const uint8_t*>(id.data()));
  uint8_t digest[SHA256_DIGEST_SIZE];
  hmac_sha256_digest(&ctx, sizeof digest, digest);
  return (uint32_t{digest[0]} << 24) | (uint32_t{digest[1]} << 16) | (uint32_t{digest[2]} << 8) |
         digest[3];
}

// The match messages as a network peer may send them: any bytes either
// decode to a message that encodes back to the same bytes, or are refused;
// never a crash or a read past the end.
#include <cstdint>
#include <cstring>
#include <memory>

#include "app/game_state.h"
#include "fuzz_check.h"
#include "net/net_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static uint8_t again[kMaxMessageBytes];
  const char* error = nullptr;
  TMessageKind kind;
  if (!PeekKind(data, size, &kind)) return 0;
  if (kind == TMessageKind::kStart) {
    static auto state = std::make_unique<TGameState>();
    TMatchSettings settings;
    if (!DecodeStart(data, size, &settings, state.get(), &error)) return 0;
    const size_t n = EncodeStart(settings, *state, again, sizeof again);
    FUZZ_CHECK(n == size && std::memcmp(again, data, n) == 0);
    return 0;
  }
  TMessage m;
  if (!DecodeMessage(data, size, &m, &error)) {
    FUZZ_CHECK(error != nullptr);
    return 0;
  }
  size_t n = 0;
  switch (m.kind) {
    case TMessageKind::kHello:
      n = EncodeHello(m.hello, again, sizeof again);
      break;
    case TMessageKind::kInputs:
      n = EncodeInputs(m.inputs, again, sizeof again);
      break;
    case TMessageKind::kHash:
      n = EncodeHash(m.hash, again, sizeof again);
      break;
    case TMessageKind::kPause:
      n = EncodePause(m.pause, again, sizeof again);
      break;
    case TMessageKind::kLeave:
      n = EncodeLeave(m.leave, again, sizeof again);
      break;
    case TMessageKind::kRematch:
      n = EncodeRematch(m.rematch, again, sizeof again);
      break;
    case TMessageKind::kKeepAlive:
      n = EncodeKeepAlive(again, sizeof again);
      break;
    default:
      FUZZ_CHECK(false);
  }
  // Texts stop at their first NUL, so a name with one inside comes back shorter.
  if (m.kind != TMessageKind::kHello) FUZZ_CHECK(n == size && std::memcmp(again, data, n) == 0);
  return 0;
}

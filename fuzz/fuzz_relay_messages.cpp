// The relay's message decoder, fed whatever a hostile peer sends: never a
// crash; a packet it accepts encodes back to the very same bytes (nothing
// read past what was sent, nothing dropped), and its texts and codes keep
// their bounds.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "net/room_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TRelayMessage m;
  std::string error;
  if (!DecodeRelayMessage(data, size, &m, &error)) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  FUZZ_CHECK(IsRelayKind(m.kind));
  for (const std::string* t : {&m.name, &m.version, &m.hostName, &m.text})
    FUZZ_CHECK(t->size() <= kMaxRelayText);
  if (!m.code.empty()) {
    std::string code = m.code;
    FUZZ_CHECK(NormalizeRoomCode(&code) && code == m.code);
  }
  const std::string again = EncodeRelayMessage(m);
  // Codes are upper-cased on the way in; everything else comes back as sent.
  std::string sent(reinterpret_cast<const char*>(data), size);
  for (size_t i = 0; i < sent.size() && i < again.size(); i++)
    if (sent[i] != again[i])
      FUZZ_CHECK(sent[i] >= 'a' && sent[i] <= 'z' && again[i] == sent[i] - 32);
  FUZZ_CHECK(again.size() == size);
  return 0;
}

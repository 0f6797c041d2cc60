#include "net/room_messages.h"

#include <cstring>

namespace {

// Cuts s to at most n bytes without splitting a UTF-8 sequence.
std::string Cut(const std::string& s, size_t n) {
  if (s.size() <= n) return s;
  size_t end = n;
  while (end > 0 && (static_cast<uint8_t>(s[end]) & 0xC0) == 0x80) end--;
  return s.substr(0, end);
}

void PutText(std::string* out, const std::string& s) {
  const std::string t = Cut(s, kMaxRelayText);
  out->push_back(static_cast<char>(t.size()));
  *out += t;
}

class TReader {
 public:
  TReader(const uint8_t* d, size_t n) : d_(d), n_(n) {}
  bool Byte(uint8_t* v) {
    if (pos_ + 1 > n_) return false;
    *v = d_[pos_++];
    return true;
  }
  bool U16(uint16_t* v) {
    if (pos_ + 2 > n_) return false;
    *v = static_cast<uint16_t>(d_[pos_] | d_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }
  bool Text(std::string* s) {
    uint8_t len = 0;
    if (!Byte(&len) || len > kMaxRelayText || pos_ + len > n_) return false;
    s->assign(reinterpret_cast<const char*>(d_ + pos_), len);
    pos_ += len;
    return true;
  }
  bool Rest(std::string* s, size_t max) {
    if (n_ - pos_ > max) return false;
    s->assign(reinterpret_cast<const char*>(d_ + pos_), n_ - pos_);
    pos_ = n_;
    return true;
  }
  bool AtEnd() const { return pos_ == n_; }

 private:
  const uint8_t* d_;
  size_t n_;
  size_t pos_ = 0;
};

}  // namespace

std::string EncodeRelayMessage(const TRelayMessage& m) {
  std::string out(1, static_cast<char>(m.kind));
  switch (m.kind) {
    case kRelayCreateRoom:
    case kRelayQuickPair:
      PutText(&out, m.version);
      PutText(&out, m.name);
      break;
    case kRelayJoinRoom:
      PutText(&out, m.code);
      PutText(&out, m.version);
      PutText(&out, m.name);
      break;
    case kRelaySpectate:
      PutText(&out, m.code);
      PutText(&out, m.name);
      break;
    case kRelayRoomAnswer:
      PutText(&out, m.code);
      out.push_back(static_cast<char>(m.role));
      out.push_back(static_cast<char>(m.paired));
      PutText(&out, m.name);
      PutText(&out, m.hostName);
      break;
    case kRelayError:
      out.push_back(static_cast<char>(m.error));
      PutText(&out, m.text);
      break;
    case kRelayRedirect:
      PutText(&out, m.text);
      out.push_back(static_cast<char>(m.port & 0xFF));
      out.push_back(static_cast<char>(m.port >> 8));
      PutText(&out, m.code);
      break;
    case kRelayPeerGone:
      out.push_back(static_cast<char>(m.role));
      PutText(&out, m.text);
      break;
    case kRelayMatchReplay:
      PutText(&out, m.code);
      out += m.payload.substr(0, kMaxMatchReplayBytes);
      break;
    case kRelayCopy:
      out.push_back(static_cast<char>(m.role));
      out += m.payload.substr(0, kMaxForwardedBytes);
      break;
    case kRelayLeaveRoom:
      break;
  }
  return out;
}

bool DecodeRelayMessage(const uint8_t* data, size_t size, TRelayMessage* m, std::string* error) {
  *m = TRelayMessage();
  TReader r(data, size);
  uint8_t kind = 0;
  if (!r.Byte(&kind)) {
    *error = "empty packet";
    return false;
  }
  m->kind = static_cast<TRelayKind>(kind);
  bool ok = true;
  switch (kind) {
    case kRelayCreateRoom:
    case kRelayQuickPair:
      ok = r.Text(&m->version) && r.Text(&m->name);
      break;
    case kRelayJoinRoom:
      ok = r.Text(&m->code) && NormalizeRoomCode(&m->code) && r.Text(&m->version) &&
           r.Text(&m->name);
      break;
    case kRelaySpectate:
      ok = r.Text(&m->code) && NormalizeRoomCode(&m->code) && r.Text(&m->name);
      break;
    case kRelayRoomAnswer:
      ok = r.Text(&m->code) && NormalizeRoomCode(&m->code) && r.Byte(&m->role) &&
           m->role <= kRoleSpectator && r.Byte(&m->paired) && r.Text(&m->name) &&
           r.Text(&m->hostName);
      break;
    case kRelayError:
      ok = r.Byte(&m->error) && r.Text(&m->text);
      break;
    case kRelayRedirect:
      ok = r.Text(&m->text) && !m->text.empty() && r.U16(&m->port) && m->port != 0 &&
           r.Text(&m->code) && (m->code.empty() || NormalizeRoomCode(&m->code));
      break;
    case kRelayPeerGone:
      ok = r.Byte(&m->role) && m->role <= kRoleSpectator && r.Text(&m->text);
      break;
    case kRelayMatchReplay:
      ok = r.Text(&m->code) && NormalizeRoomCode(&m->code) &&
           r.Rest(&m->payload, kMaxMatchReplayBytes) && !m->payload.empty();
      break;
    case kRelayCopy:
      ok = r.Byte(&m->role) && m->role < kRoleSpectator &&
           r.Rest(&m->payload, kMaxForwardedBytes) && !m->payload.empty();
      break;
    case kRelayLeaveRoom:
      break;
    default:
      *error = "not a relay message (kind " + std::to_string(kind) + ")";
      return false;
  }
  if (!ok || !r.AtEnd()) {
    *error = "malformed relay message (kind " + std::to_string(kind) + ")";
    return false;
  }
  return true;
}

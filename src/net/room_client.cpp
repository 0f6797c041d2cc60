#include "net/room_client.h"

#include <enet/enet.h>

#include <chrono>
#include <cstring>

namespace {

constexpr int kMaxRedirects = 3;
// ENet's own give-up time, as on a direct link: the match's 3-second
// silence rule ends a match first.
constexpr enet_uint32 kLinkTimeoutMinMs = 5000;
constexpr enet_uint32 kLinkTimeoutMaxMs = 10000;
// Messages kept from the meeting for Receive before the oldest are dropped.
constexpr size_t kMaxQueued = 256;

static_assert(kMaxForwardedBytes == kMaxLinkMessage, "the relay forwards any match message");

}  // namespace

TRoomClient::TRoomClient() = default;
TRoomClient::~TRoomClient() {
  Reset();
}

void TRoomClient::Reset() {
  if (peer_) enet_peer_reset(peer_);
  peer_ = nullptr;
  if (host_) enet_host_destroy(host_);
  host_ = nullptr;
}

void TRoomClient::Fail(const std::string& reason) {
  state_ = kFailed;
  reason_ = reason;
}

bool TRoomClient::Connect(const std::string& host, int port) {
  Reset();
  ENetAddress address{};
  if (enet_address_set_host(&address, host.c_str()) != 0) {
    Fail("cannot find the relay's host " + host);
    return false;
  }
  address.port = static_cast<enet_uint16>(port);
  host_ = enet_host_create(nullptr, 1, kLinkChannelCount, 0, 0);
  if (!host_) {
    Fail("cannot open a UDP socket");
    return false;
  }
  host_->maximumPacketSize = kMaxMatchReplayBytes + 16;
  peer_ = enet_host_connect(host_, &address, kLinkChannelCount, 0);
  if (!peer_) {
    Fail("cannot connect to the relay");
    return false;
  }
  enet_peer_timeout(peer_, 0, kLinkTimeoutMinMs, kLinkTimeoutMaxMs);
  state_ = kConnecting;
  startedAt_ = enet_time_get();
  return true;
}

bool TRoomClient::Start(const std::string& host, int port, const TRoomRequest& request) {
  if (enet_initialize() != 0) {
    Fail("cannot start ENet");
    return false;
  }
  request_ = request;
  redirects_ = 0;
  queue_.clear();
  return Connect(host, port);
}

void TRoomClient::SendRequest() {
  TRelayMessage m;
  m.version = request_.version;
  m.name = request_.name;
  m.code = request_.code;
  m.kind = request_.kind == TRoomRequest::kCreate  ? kRelayCreateRoom
           : request_.kind == TRoomRequest::kJoin  ? kRelayJoinRoom
           : request_.kind == TRoomRequest::kQuick ? kRelayQuickPair
                                                   : kRelaySpectate;
  const std::string bytes = EncodeRelayMessage(m);
  ENetPacket* p = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
  if (enet_peer_send(peer_, kChannelControl, p) < 0) enet_packet_destroy(p);
  enet_host_flush(host_);
}

void TRoomClient::HandleRelay(const uint8_t* data, size_t size) {
  TRelayMessage m;
  std::string error;
  if (!DecodeRelayMessage(data, size, &m, &error)) return;
  switch (m.kind) {
    case kRelayRoomAnswer:
      code_ = m.code;
      role_ = m.role;
      opponent_ = m.name;
      hostName_ = m.hostName;
      if (state_ == kConnecting || state_ == kWaiting) state_ = m.paired ? kPaired : kWaiting;
      break;
    case kRelayError:
      if (m.error != kErrBusy || state_ == kConnecting) Fail(m.text);
      break;
    case kRelayRedirect:
      if (state_ != kConnecting) break;
      if (++redirects_ > kMaxRedirects) {
        Fail("the relays sent the request around in circles");
      } else {
        // A quick pairing claimed a room there: join it by its code.
        if (!m.code.empty()) {
          request_.kind = TRoomRequest::kJoin;
          request_.code = m.code;
        }
        const int r = redirects_;
        Connect(m.text, m.port);
        redirects_ = r;
      }
      break;
    case kRelayPeerGone:
      if (state_ == kPaired || state_ == kWaiting) {
        state_ = kOpponentGone;
        reason_ =
            role_ == kRoleSpectator ? "a player left: the match is over" : "the opponent left";
      }
      break;
    default:
      break;
  }
}

bool TRoomClient::Deliver(const uint8_t* data, size_t size, uint8_t channel, uint8_t sender,
                          TLinkMessage* out) {
  if (size == 0 || size > kMaxLinkMessage) return false;
  if (!out) {
    if (queue_.size() >= kMaxQueued) queue_.pop_front();
    queue_.push_back({channel, sender, std::string(reinterpret_cast<const char*>(data), size)});
    return false;
  }
  out->channel = channel;
  out->size = size;
  std::memcpy(out->data, data, size);
  lastSender_ = sender;
  return true;
}

bool TRoomClient::Event(const ENetEvent& ev, TLinkMessage* out) {
  switch (ev.type) {
    case ENET_EVENT_TYPE_CONNECT:
      SendRequest();
      return false;
    case ENET_EVENT_TYPE_RECEIVE: {
      const uint8_t* d = ev.packet->data;
      const size_t n = ev.packet->dataLength;
      bool got = false;
      if (n > 0 && !IsRelayKind(d[0])) {
        // A match message from the other player.
        if (state_ == kPaired && role_ != kRoleSpectator)
          got = Deliver(d, n, ev.channelID, static_cast<uint8_t>(1 - role_), out);
      } else if (n > 2 && d[0] == kRelayCopy) {
        if (role_ == kRoleSpectator && d[1] < kRoleSpectator)
          got = Deliver(d + 2, n - 2, ev.channelID, d[1], out);
      } else {
        HandleRelay(d, n);
      }
      enet_packet_destroy(ev.packet);
      return got;
    }
    case ENET_EVENT_TYPE_DISCONNECT:
      peer_ = nullptr;
      if (state_ == kConnecting) {
        Fail("no answer from the relay");
      } else if (state_ == kWaiting || state_ == kPaired) {
        Fail("the connection to the relay was lost");
      }
      return false;
    default:
      return false;
  }
}

TRoomClient::TState TRoomClient::Poll(int waitMillis) {
  if (!host_) return state_;
  ENetEvent ev;
  int got =
      enet_host_service(host_, &ev, static_cast<enet_uint32>(waitMillis < 0 ? 0 : waitMillis));
  while (got > 0) {
    ENetHost* before = host_;
    Event(ev, nullptr);
    if (host_ != before || !peer_) break;  // redirected, or gone
    got = enet_host_check_events(host_, &ev);
  }
  // While meeting, the relay answers within seconds or is gone.
  const uint32_t now = enet_time_get();
  if (state_ == kConnecting && peer_ && now - startedAt_ > kMeetingSilenceMs) {
    Fail("no answer from the relay");
    Reset();
  } else if (state_ == kWaiting && peer_ && peer_->lastReceiveTime != 0 &&
             now - peer_->lastReceiveTime > kMeetingSilenceMs) {
    Fail("the connection to the relay was lost");
    Reset();
  }
  if (!peer_ && state_ != kOpponentGone) Reset();
  return state_;
}

TRoomClient::TState TRoomClient::WaitFor(int millis, bool untilPaired) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
  for (;;) {
    const TState s = Poll(10);
    const bool waiting = s == kIdle || s == kConnecting || (untilPaired && s == kWaiting);
    if (!waiting || std::chrono::steady_clock::now() >= end) return s;
  }
}

bool TRoomClient::Send(uint8_t channel, const uint8_t* data, size_t size, TDelivery delivery) {
  if (!Connected() || role_ == kRoleSpectator || size == 0 || size > kMaxLinkMessage ||
      channel >= kLinkChannelCount || IsRelayKind(data[0]))
    return false;
  const uint32_t flags = delivery == TDelivery::kReliable ? ENET_PACKET_FLAG_RELIABLE : 0;
  ENetPacket* p = enet_packet_create(data, size, flags);
  if (!p) return false;
  if (enet_peer_send(peer_, channel, p) < 0) {
    enet_packet_destroy(p);
    return false;
  }
  enet_host_flush(host_);  // now, not at the next service
  return true;
}

bool TRoomClient::Receive(TLinkMessage* out) {
  if (!queue_.empty()) {
    const TQueued& q = queue_.front();
    Deliver(reinterpret_cast<const uint8_t*>(q.bytes.data()), q.bytes.size(), q.channel, q.sender,
            out);
    queue_.pop_front();
    return true;
  }
  ENetEvent ev;
  while (host_ && peer_ && enet_host_service(host_, &ev, 0) > 0) {
    if (Event(ev, out)) return true;
  }
  return false;
}

TLinkStats TRoomClient::Stats() const {
  TLinkStats s;
  if (!peer_) return s;
  s.roundTripMs = peer_->roundTripTime;
  s.roundTripVarianceMs = peer_->roundTripTimeVariance;
  s.packetLoss =
      static_cast<float>(peer_->packetLoss) / static_cast<float>(ENET_PEER_PACKET_LOSS_SCALE);
  s.sinceReceiveMs = peer_->lastReceiveTime != 0 ? enet_time_get() - peer_->lastReceiveTime : 0;
  return s;
}

void TRoomClient::Close(uint32_t waitMs) {
  if (peer_ && host_) {
    enet_peer_disconnect_later(peer_, 0);
    const uint32_t start = enet_time_get();
    ENetEvent ev;
    while (enet_time_get() - start < waitMs) {
      const int got = enet_host_service(host_, &ev, 10);
      if (got < 0) break;
      if (got == 0) continue;
      if (ev.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(ev.packet);
      if (ev.type == ENET_EVENT_TYPE_DISCONNECT) {
        peer_ = nullptr;
        break;
      }
    }
  }
  Reset();
  if (state_ == kPaired || state_ == kWaiting || state_ == kConnecting) state_ = kIdle;
}

bool UploadMatchReplay(const std::string& host, int port, const std::string& code,
                       const std::string& replay, uint32_t timeoutMs, std::string* error) {
  TRelayMessage m;
  m.kind = kRelayMatchReplay;
  m.code = code;
  m.payload = replay;
  if (replay.empty() || replay.size() > kMaxMatchReplayBytes || !NormalizeRoomCode(&m.code)) {
    *error = "not a replay to hand over";
    return false;
  }
  ENetAddress address{};
  if (enet_initialize() != 0 || enet_address_set_host(&address, host.c_str()) != 0) {
    *error = "cannot find the relay's host " + host;
    return false;
  }
  address.port = static_cast<enet_uint16>(port);
  ENetHost* h = enet_host_create(nullptr, 1, kLinkChannelCount, 0, 0);
  if (!h) {
    *error = "cannot open a UDP socket";
    return false;
  }
  ENetPeer* peer = enet_host_connect(h, &address, kLinkChannelCount, 0);
  bool sent = false, done = false;
  const uint32_t start = enet_time_get();
  ENetEvent ev;
  while (peer && !done && enet_time_get() - start < timeoutMs) {
    if (enet_host_service(h, &ev, 10) <= 0) continue;
    if (ev.type == ENET_EVENT_TYPE_CONNECT) {
      const std::string bytes = EncodeRelayMessage(m);
      ENetPacket* p = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
      sent = enet_peer_send(peer, kChannelControl, p) == 0;
      if (!sent) enet_packet_destroy(p);
    } else if (ev.type == ENET_EVENT_TYPE_RECEIVE) {
      enet_packet_destroy(ev.packet);
    } else if (ev.type == ENET_EVENT_TYPE_DISCONNECT) {
      done = true;  // the relay took it and said goodbye
    }
  }
  enet_host_destroy(h);
  if (!done) *error = sent ? "the relay did not confirm the replay" : "the relay cannot be reached";
  return done && sent;
}

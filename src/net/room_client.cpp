#include "net/room_client.h"

#include <enet/enet.h>

#include <chrono>

namespace {

constexpr int kChannels = 4;
constexpr int kMaxRedirects = 3;
// Silence from the relay before the connection counts as lost.
constexpr enet_uint32 kSilenceMillis = 3000;
// Messages kept unread before the oldest are dropped (a stalled reader).
constexpr size_t kMaxInbox = 4096;

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
  host_ = enet_host_create(nullptr, 1, kChannels, 0, 0);
  if (!host_) {
    Fail("cannot open a UDP socket");
    return false;
  }
  host_->maximumPacketSize = kMaxMatchReplayBytes + 16;
  peer_ = enet_host_connect(host_, &address, kChannels, 0);
  if (!peer_) {
    Fail("cannot connect to the relay");
    return false;
  }
  enet_peer_timeout(peer_, 0, kSilenceMillis / 3, kSilenceMillis);
  state_ = kConnecting;
  return true;
}

bool TRoomClient::Start(const std::string& host, int port, const TRoomRequest& request) {
  if (enet_initialize() != 0) {
    Fail("cannot start ENet");
    return false;
  }
  request_ = request;
  redirects_ = 0;
  inbox_.clear();
  return Connect(host, port);
}

void TRoomClient::Handle(const uint8_t* data, size_t size, uint8_t channel, bool reliable) {
  if (size == 0) return;
  if (!IsRelayKind(data[0])) {
    // A match message from the other player.
    if (state_ != kPaired) return;
    if (inbox_.size() >= kMaxInbox) inbox_.pop_front();
    inbox_.push_back({channel, reliable, static_cast<uint8_t>(1 - role_),
                      std::string(reinterpret_cast<const char*>(data), size)});
    return;
  }
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
      if (++redirects_ > kMaxRedirects) {
        Fail("the relays sent the request around in circles");
      } else {
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
    case kRelayCopy:
      if (role_ == kRoleSpectator && inbox_.size() < kMaxInbox)
        inbox_.push_back({channel, reliable, m.role, m.payload});
      break;
    default:
      break;
  }
}

TRoomClient::TState TRoomClient::Poll(int waitMillis) {
  if (!host_) return state_;
  ENetEvent ev;
  int got =
      enet_host_service(host_, &ev, static_cast<enet_uint32>(waitMillis < 0 ? 0 : waitMillis));
  while (got > 0 && host_) {
    switch (ev.type) {
      case ENET_EVENT_TYPE_CONNECT: {
        TRelayMessage m;
        m.version = request_.version;
        m.name = request_.name;
        m.code = request_.code;
        m.kind = request_.kind == TRoomRequest::kCreate  ? kRelayCreateRoom
                 : request_.kind == TRoomRequest::kJoin  ? kRelayJoinRoom
                 : request_.kind == TRoomRequest::kQuick ? kRelayQuickPair
                                                         : kRelaySpectate;
        const std::string bytes = EncodeRelayMessage(m);
        enet_peer_send(peer_, 0,
                       enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
        break;
      }
      case ENET_EVENT_TYPE_RECEIVE: {
        ENetHost* before = host_;
        Handle(ev.packet->data, ev.packet->dataLength, ev.channelID,
               (ev.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0);
        enet_packet_destroy(ev.packet);
        if (host_ != before) return state_;  // redirected: a new connection
        break;
      }
      case ENET_EVENT_TYPE_DISCONNECT:
        peer_ = nullptr;
        if (state_ == kConnecting)
          Fail("no answer from the relay");
        else if (state_ == kWaiting || state_ == kPaired)
          Fail("the connection to the relay was lost");
        Reset();
        return state_;
      default:
        break;
    }
    got = enet_host_check_events(host_, &ev);
  }
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

bool TRoomClient::Send(uint8_t channel, const std::string& bytes, bool reliable) {
  if (state_ != kPaired || !peer_ || role_ == kRoleSpectator || bytes.empty() ||
      bytes.size() > kMaxForwardedBytes)
    return false;
  ENetPacket* p =
      enet_packet_create(bytes.data(), bytes.size(),
                         reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
  if (enet_peer_send(peer_, channel % kChannels, p) < 0) {
    enet_packet_destroy(p);
    return false;
  }
  enet_host_flush(host_);  // now, not at the next poll
  return true;
}

bool TRoomClient::Receive(TRoomMessage* out) {
  if (inbox_.empty()) return false;
  *out = std::move(inbox_.front());
  inbox_.pop_front();
  return true;
}

bool TRoomClient::SendMatchReplay(const std::string& replay) {
  if (!peer_ || role_ == kRoleSpectator || replay.empty() || replay.size() > kMaxMatchReplayBytes)
    return false;
  TRelayMessage m;
  m.kind = kRelayMatchReplay;
  m.payload = replay;
  const std::string bytes = EncodeRelayMessage(m);
  ENetPacket* p = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
  if (enet_peer_send(peer_, 0, p) < 0) {
    enet_packet_destroy(p);
    return false;
  }
  enet_host_flush(host_);
  return true;
}

uint32_t TRoomClient::RoundTripMillis() const {
  return peer_ ? peer_->roundTripTime : 0;
}

double TRoomClient::PacketLoss() const {
  return peer_ ? static_cast<double>(peer_->packetLoss) /
                     static_cast<double>(ENET_PEER_PACKET_LOSS_SCALE)
               : 0.0;
}

void TRoomClient::Close(int waitMillis) {
  if (peer_ && host_) {
    enet_peer_disconnect_later(peer_, 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMillis);
    ENetEvent ev;
    while (std::chrono::steady_clock::now() < end && enet_host_service(host_, &ev, 10) >= 0) {
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

const char* RoomStateText(TRoomClient::TState state) {
  switch (state) {
    case TRoomClient::kIdle:
      return "not connected";
    case TRoomClient::kConnecting:
      return "connecting to the relay";
    case TRoomClient::kWaiting:
      return "waiting for the opponent";
    case TRoomClient::kPaired:
      return "connected";
    case TRoomClient::kOpponentGone:
      return "the opponent left";
    case TRoomClient::kFailed:
      return "connection failed";
  }
  return "";
}

#include "net/enet_link.h"

#include <enet/enet.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// ENet gives a peer up when a reliable message stays unacknowledged this
// long. Longer than the match's own rule (3 s without a single datagram), so
// that a bad run of losses on a lossy link, retried with ENet's growing
// back-off, does not end a match whose datagrams still arrive.
constexpr uint32_t kLinkTimeoutMinMs = 5000;
constexpr uint32_t kLinkTimeoutMaxMs = 10000;

bool InitEnet() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    ok = enet_initialize() == 0;
    if (ok) std::atexit(enet_deinitialize);
  });
  return ok;
}

}  // namespace

TEnetLink::~TEnetLink() {
  if (host_) enet_host_destroy(host_);
}

std::unique_ptr<TEnetLink> TEnetLink::Listen(uint16_t port, std::string* error) {
  if (!InitEnet()) {
    *error = "the network library could not start";
    return nullptr;
  }
  ENetAddress address{};
  address.host = ENET_HOST_ANY;
  address.port = port;
  std::unique_ptr<TEnetLink> link(new TEnetLink);
  // Two peers: the opponent, and room to turn a second caller away politely.
  link->host_ = enet_host_create(&address, 2, kLinkChannelCount, 0, 0);
  if (!link->host_) {
    *error =
        "UDP port " + std::to_string(port) + " cannot be used (is another game waiting on it?)";
    return nullptr;
  }
  ENetAddress bound{};
  enet_socket_get_address(link->host_->socket, &bound);
  link->port_ = bound.port;
  return link;
}

std::unique_ptr<TEnetLink> TEnetLink::Connect(const char* host, uint16_t port, std::string* error) {
  if (!InitEnet()) {
    *error = "the network library could not start";
    return nullptr;
  }
  ENetAddress address{};
  if (enet_address_set_host(&address, host) != 0) {
    *error = std::string("the address ") + host + " cannot be found";
    return nullptr;
  }
  address.port = port;
  std::unique_ptr<TEnetLink> link(new TEnetLink);
  link->host_ = enet_host_create(nullptr, 1, kLinkChannelCount, 0, 0);
  if (!link->host_) {
    *error = "no UDP socket could be opened";
    return nullptr;
  }
  link->peer_ = enet_host_connect(link->host_, &address, kLinkChannelCount, 0);
  if (!link->peer_) {
    *error = "the connection could not be started";
    return nullptr;
  }
  enet_peer_timeout(link->peer_, 0, kLinkTimeoutMinMs, kLinkTimeoutMaxMs);
  ENetAddress bound{};
  enet_socket_get_address(link->host_->socket, &bound);
  link->port_ = bound.port;
  return link;
}

bool TEnetLink::Send(uint8_t channel, const uint8_t* data, size_t size, TDelivery delivery) {
  if (!Connected() || size > kMaxLinkMessage || channel >= kLinkChannelCount) return false;
  const uint32_t flags = delivery == TDelivery::kReliable ? ENET_PACKET_FLAG_RELIABLE : 0;
  ENetPacket* packet = enet_packet_create(data, size, flags);
  if (!packet) return false;
  if (enet_peer_send(peer_, channel, packet) != 0) {
    enet_packet_destroy(packet);
    return false;
  }
  enet_host_flush(host_);
  return true;
}

bool TEnetLink::Receive(TLinkMessage* out) {
  if (!host_) return false;
  ENetEvent event;
  while (enet_host_service(host_, &event, 0) > 0) {
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT:
        if (peer_ && peer_ != event.peer) {
          enet_peer_disconnect_now(event.peer, 0);  // a match is already on
          break;
        }
        if (lost_) {
          enet_peer_disconnect_now(event.peer, 0);
          break;
        }
        peer_ = event.peer;
        connected_ = true;
        enet_peer_timeout(peer_, 0, kLinkTimeoutMinMs, kLinkTimeoutMaxMs);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        if (event.peer == peer_) {
          connected_ = false;
          lost_ = true;
          peer_ = nullptr;
        }
        break;
      case ENET_EVENT_TYPE_RECEIVE: {
        ENetPacket* packet = event.packet;
        const bool ours = event.peer == peer_ && connected_;
        if (ours && packet->dataLength <= kMaxLinkMessage) {
          out->channel = event.channelID;
          out->size = packet->dataLength;
          std::memcpy(out->data, packet->data, packet->dataLength);
          enet_packet_destroy(packet);
          return true;
        }
        dropped_++;
        enet_packet_destroy(packet);
        break;
      }
      default:
        break;
    }
  }
  return false;
}

TLinkStats TEnetLink::Stats() const {
  TLinkStats s;
  if (!peer_) return s;
  s.roundTripMs = peer_->roundTripTime;
  s.roundTripVarianceMs = peer_->roundTripTimeVariance;
  s.packetLoss =
      static_cast<float>(peer_->packetLoss) / static_cast<float>(ENET_PEER_PACKET_LOSS_SCALE);
  const uint32_t now = enet_time_get();
  s.sinceReceiveMs = connected_ && peer_->lastReceiveTime != 0 ? now - peer_->lastReceiveTime : 0;
  return s;
}

void TEnetLink::Close(uint32_t waitMs) {
  if (!host_) return;
  if (peer_ && connected_) {
    enet_peer_disconnect_later(peer_, 0);
    const uint32_t start = enet_time_get();
    ENetEvent event;
    while (enet_time_get() - start < waitMs) {
      const int got = enet_host_service(host_, &event, 10);
      if (got < 0) break;
      if (got == 0) continue;
      if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
      if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == peer_) break;
    }
  }
  if (peer_) enet_peer_reset(peer_);
  peer_ = nullptr;
  connected_ = false;
  enet_host_flush(host_);
}

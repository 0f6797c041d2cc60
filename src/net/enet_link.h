// The direct link: one ENet peer, either waiting for the other machine
// (--host) or connecting to it (--join). A second machine knocking while a
// match is on is turned away.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/net_link.h"

struct _ENetHost;
struct _ENetPeer;

// The UDP port a host waits on when none is given.
constexpr uint16_t kDefaultDirectPort = 47651;

class TEnetLink : public TNetLink {
 public:
  ~TEnetLink() override;

  // Waits for the other machine on UDP `port` (0: a free one, see Port());
  // null with *error when the port cannot be taken.
  static std::unique_ptr<TEnetLink> Listen(uint16_t port, std::string* error);
  // Starts connecting to host:port; null with *error when the name does not
  // resolve. The connection is made while Receive runs.
  static std::unique_ptr<TEnetLink> Connect(const char* host, uint16_t port, std::string* error);

  // The local UDP port.
  uint16_t Port() const { return port_; }

  bool Send(uint8_t channel, const uint8_t* data, size_t size, TDelivery delivery) override;
  bool Receive(TLinkMessage* out) override;
  bool Connected() const override { return peer_ != nullptr && connected_; }
  bool Lost() const override { return lost_; }
  TLinkStats Stats() const override;
  void Close(uint32_t waitMs) override;

  // Datagrams ENet threw away as not its own (garbage from anyone).
  uint32_t DroppedMessages() const { return dropped_; }

 private:
  TEnetLink() = default;
  _ENetHost* host_ = nullptr;
  _ENetPeer* peer_ = nullptr;
  uint16_t port_ = 0;
  bool connected_ = false;
  bool lost_ = false;
  uint32_t dropped_ = 0;
};

// One connection to the other machine of a match, direct or through the relay.
//
// The match engine speaks only through this interface: it sends whole
// messages (net_protocol.h encodes them) on a channel, reliably or not, and
// takes the received ones one at a time. The direct link runs over an ENet
// peer (enet_link.h); the room client's link runs over an ENet connection to
// the relay, which forwards every message unchanged, on the same channel.
//
// Everything happens on the caller's thread: Receive services the connection
// (sends what is queued, reads the socket) and never waits.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest message any side sends or accepts (the dealt start is the
// largest, about 30 KB). A bigger one is dropped on arrival.
constexpr size_t kMaxLinkMessage = 64 * 1024;

// The channels of a match connection.
enum TLinkChannel : uint8_t {
  kChannelControl = 0,  // hello, start, pause, leave, rematch, the room messages
  kChannelInputs = 1,   // frame inputs and state hashes
  kLinkChannelCount = 2,
};

enum class TDelivery : uint8_t { kReliable, kUnreliable };

// One received message, in storage of its own (nothing is allocated per
// message).
struct TLinkMessage {
  uint8_t channel = 0;
  size_t size = 0;
  uint8_t data[kMaxLinkMessage];
};

// The connection's figures, as ENet measures them.
struct TLinkStats {
  uint32_t roundTripMs = 0;          // smoothed round-trip time
  uint32_t roundTripVarianceMs = 0;  // its variance
  float packetLoss = 0;              // 0..1, packets lost of those sent reliably
  uint32_t sinceReceiveMs = 0;       // since anything last arrived
};

class TNetLink {
 public:
  virtual ~TNetLink() = default;

  // Queues one message on a channel; false when the link is not connected
  // or the message is larger than kMaxLinkMessage (nothing is sent then).
  virtual bool Send(uint8_t channel, const uint8_t* data, size_t size, TDelivery delivery) = 0;

  // Services the connection and takes the next received message into *out;
  // false when none is waiting. Never waits.
  virtual bool Receive(TLinkMessage* out) = 0;

  // True once the other end is reached and until the connection is lost or
  // closed.
  virtual bool Connected() const = 0;

  // True when the connection was lost or refused (not merely not yet made).
  virtual bool Lost() const = 0;

  virtual TLinkStats Stats() const = 0;

  // Sends what is still queued and disconnects; waits at most waitMs for the
  // other end to take the goodbye.
  virtual void Close(uint32_t waitMs) = 0;
};

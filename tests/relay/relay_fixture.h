// A relay on a free loopback port, served by a thread of the test, with an
// in-memory room directory and a replay check the test controls.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "net/room_client.h"
#include "relay/relay_server.h"
#include "server/replay_check.h"

class TFakeChecker : public TReplayChecker {
 public:
  std::atomic<bool> accept{true};
  TReplayCheck Check(std::string_view) override {
    TReplayCheck c;
    if (!accept) {
      c.status = TReplayCheck::kNotReproduced;
      c.message = "does not reproduce";
    }
    return c;
  }
};

class TRunningRelay {
 public:
  TRunningRelay(TRoomDirectory& dir, TRelayOptions opt = MakeOptions(),
                TReplayChecker* checker = nullptr)
      : relay_(dir, opt, checker, [](const std::string&) {}) {
    std::string error;
    ok_ = relay_.Open(&error);
    EXPECT_TRUE(ok_) << error;
    if (ok_) thread_ = std::thread([this] { relay_.Run(stop_); });
  }
  ~TRunningRelay() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  static TRelayOptions MakeOptions() {
    TRelayOptions o;
    o.listen = "127.0.0.1";
    o.port = 0;
    return o;
  }
  int Port() const { return relay_.Port(); }
  TRelay& Relay() { return relay_; }

 private:
  TRelay relay_;
  bool ok_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

inline TRoomRequest Request(TRoomRequest::TKind kind, const std::string& name,
                            const std::string& code = "", const std::string& version = "1.0.0") {
  TRoomRequest r;
  r.kind = kind;
  r.name = name;
  r.code = code;
  r.version = version;
  return r;
}

// A match message as text, for the tests' eyes: sent behind the inputs
// kind byte (the relay forwards only match kinds), received without it.
struct TRoomMessage {
  uint8_t channel = 0;
  uint8_t fromRole = kRoleHost;
  std::string bytes;
};

inline bool SendText(TRoomClient& c, uint8_t channel, const std::string& text,
                     TDelivery delivery = TDelivery::kReliable) {
  const std::string bytes = "\x03" + text;
  return c.Send(channel, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), delivery);
}

// The next match message the client has, if any (never waits).
inline bool ReceiveText(TRoomClient& c, TRoomMessage* m) {
  static auto buffer = std::make_unique<TLinkMessage>();
  if (!c.Receive(buffer.get())) return false;
  m->channel = buffer->channel;
  m->fromRole = c.LastSenderRole();
  m->bytes.assign(reinterpret_cast<const char*>(buffer->data) + 1, buffer->size - 1);
  return true;
}

// Polls every client given until pred holds or the time is up.
template <typename Pred, typename... Clients>
bool PollUntil(Pred pred, int millis, Clients&... clients) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
  while (std::chrono::steady_clock::now() < end) {
    (clients.Poll(2), ...);
    if (pred()) return true;
  }
  return pred();
}

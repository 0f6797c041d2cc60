#include "relay/relay_server.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <unordered_map>
#include <vector>

#include "net/room_messages.h"
#include "relay/match_keeper.h"
#include "relay/relay_room.h"
#include "server/score_store.h"

using namespace relay;

namespace {

constexpr int kRelayChannels = 4;
constexpr size_t kRelayMaxPacket = kMaxMatchReplayBytes + 16;

}  // namespace

struct TRelay::TImpl {
  TRoomDirectory& directory;
  TRelayOptions opt;
  std::function<void(const std::string&)> log;
  std::unique_ptr<TMatchKeeper> keeper;
  TRelayStats stats;
  ENetHost* host = nullptr;
  int port = 0;
  std::unordered_map<ENetPeer*, std::unique_ptr<TPeer>> peers;
  std::unordered_map<std::string, std::unique_ptr<TRoom>> rooms;
  std::unordered_map<std::string, TFinishedRoom> finished;  // closed lately
  std::mt19937 codeRng{std::random_device{}()};

  TImpl(TRoomDirectory& d, TRelayOptions o, std::function<void(const std::string&)> l)
      : directory(d), opt(std::move(o)), log(std::move(l)) {}

  std::string Address() const {
    std::string h = opt.publicHost;
    if (h.empty()) h = opt.listen == "0.0.0.0" || opt.listen.empty() ? "127.0.0.1" : opt.listen;
    return h + ":" + std::to_string(port);
  }

  void Send(TPeer* p, const std::string& bytes, uint8_t channel = 0,
            uint32_t flags = ENET_PACKET_FLAG_RELIABLE) {
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (packet && enet_peer_send(p->peer, channel, packet) < 0) enet_packet_destroy(packet);
  }
  void SendMessage(TPeer* p, const TRelayMessage& m) { Send(p, EncodeRelayMessage(m)); }
  void SendError(TPeer* p, TRelayErrorCode code, const std::string& text) {
    TRelayMessage m;
    m.kind = kRelayError;
    m.error = code;
    m.text = text;
    SendMessage(p, m);
  }
  // An error, then the connection closed once it is delivered.
  void Refuse(TPeer* p, TRelayErrorCode code, const std::string& text) {
    SendError(p, code, text);
    enet_peer_disconnect_later(p->peer, 0);
    p->closing = true;
  }

  void Answer(TPeer* p) {
    TRoom* r = p->room;
    TRelayMessage m;
    m.kind = kRelayRoomAnswer;
    m.code = r->code;
    m.role = p->role;
    m.paired = r->Paired() ? 1 : 0;
    m.name = p->role == kRoleHost ? r->names[1] : r->names[0];
    m.hostName = r->names[0];
    if (p->role == kRoleSpectator) m.name = r->names[1];
    SendMessage(p, m);
  }

  std::string NewCode() {
    std::uniform_int_distribution<int> pick(0, sizeof(kRoomCodeAlphabet) - 2);
    std::string code(kRoomCodeLength, ' ');
    for (char& c : code) c = kRoomCodeAlphabet[pick(codeRng)];
    return code;
  }

  // A new room with p as its host, recorded in the directory.
  void CreateRoom(TPeer* p, const TRelayMessage& m, bool quick) {
    if (static_cast<int>(rooms.size()) >= opt.maxRooms) {
      Refuse(p, kErrBusy, "the relay holds as many rooms as it can: try again later");
      return;
    }
    for (int attempt = 0; attempt < 16; attempt++) {
      TRoomRecord rec{NewCode(), Address(), m.version, quick};
      if (rooms.count(rec.code) || !directory.AddRoom(rec)) continue;
      auto room = std::make_unique<TRoom>();
      room->code = rec.code;
      room->version = m.version;
      room->quick = quick;
      room->players[0] = p;
      room->names[0] = m.name;
      p->room = room.get();
      p->role = kRoleHost;
      p->name = m.name;
      rooms.emplace(rec.code, std::move(room));
      stats.rooms++;
      Answer(p);
      return;
    }
    Refuse(p, kErrBusy, "no free room code: try again later");
  }

  // Sends p to the relay holding rec when that is another one. True when sent.
  bool Redirect(TPeer* p, const TRoomRecord& rec, bool quick = false) {
    if (rec.relay == Address()) return false;
    const size_t colon = rec.relay.rfind(':');
    TRelayMessage m;
    m.kind = kRelayRedirect;
    m.text = rec.relay.substr(0, colon);
    m.port = static_cast<uint16_t>(std::atoi(rec.relay.c_str() + colon + 1));
    if (quick) m.code = rec.code;
    SendMessage(p, m);
    enet_peer_disconnect_later(p->peer, 0);
    return true;
  }

  void JoinRoom(TPeer* p, TRoom* r, const TRelayMessage& m) {
    if (r->Paired()) {
      Refuse(p, kErrRoomFull, "room " + r->code + " already has two players");
      return;
    }
    if (m.version != r->version) {
      Refuse(p, kErrWrongVersion,
             "version " + m.version + " cannot join a game of version " + r->version);
      return;
    }
    r->players[1] = p;
    r->names[1] = m.name;
    r->quick = false;
    r->wasPaired = true;
    p->room = r;
    p->role = kRoleGuest;
    p->name = m.name;
    stats.pairedRooms++;
    Answer(r->players[0]);
    Answer(p);
    for (TPeer* s : r->spectators) Answer(s);
  }

  void Spectate(TPeer* p, TRoom* r, const TRelayMessage& m) {
    if (static_cast<int>(r->spectators.size()) >= opt.maxSpectators) {
      Refuse(p, kErrRoomFull, "room " + r->code + " has as many spectators as it takes");
      return;
    }
    if (r->bufferFull) {
      Refuse(p, kErrTooLate,
             "the match in room " + r->code + " is too long to follow from its start");
      return;
    }
    p->room = r;
    p->role = kRoleSpectator;
    p->name = m.name;
    r->spectators.push_back(p);
    Answer(p);
    for (const TBuffered& b : r->buffer) Send(p, b.copy, b.channel, b.flags);
  }

  void Request(TPeer* p, const TRelayMessage& m) {
    TRoomRecord rec;
    switch (m.kind) {
      case kRelayCreateRoom:
        CreateRoom(p, m, false);
        return;
      case kRelayQuickPair:
        // Whoever waits longest for a quick pairing, here or at another relay.
        if (directory.ClaimQuickRoom(m.version, &rec)) {
          if (Redirect(p, rec, true)) return;
          const auto it = rooms.find(rec.code);
          if (it != rooms.end() && !it->second->Paired()) {
            JoinRoom(p, it->second.get(), m);
            return;
          }
        }
        CreateRoom(p, m, true);
        return;
      case kRelayJoinRoom:
      case kRelaySpectate: {
        const auto it = rooms.find(m.code);
        if (it == rooms.end()) {
          if (directory.FindRoom(m.code, &rec) && Redirect(p, rec)) return;
          Refuse(p, kErrNoSuchRoom, "no room " + m.code);
          return;
        }
        if (m.kind == kRelayJoinRoom) {
          JoinRoom(p, it->second.get(), m);
        } else {
          Spectate(p, it->second.get(), m);
        }
        return;
      }
      default:
        SendError(p, kErrNotAllowed, "not a room request");
    }
  }

  // A message from a player of a paired room: to the other player as it
  // came, to the spectators as a copy, and into the catch-up buffer.
  void Forward(TPeer* from, const ENetEvent& ev) {
    TRoom* r = from->room;
    const ENetPacket* pk = ev.packet;
    if (!r->Paired() || pk->dataLength > kMaxForwardedBytes ||
        !from->messages.Take(opt.messagesPerSecond)) {
      stats.dropped++;
      return;
    }
    const uint32_t flags = pk->flags & (ENET_PACKET_FLAG_RELIABLE | ENET_PACKET_FLAG_UNSEQUENCED);
    const std::string bytes(reinterpret_cast<const char*>(pk->data), pk->dataLength);
    Send(r->players[1 - from->role], bytes, ev.channelID, flags);
    stats.forwarded++;
    TRelayMessage copy;
    copy.kind = kRelayCopy;
    copy.role = from->role;
    copy.payload = bytes;
    // Spectators get every message reliably: they are behind anyway, and a
    // lost input would leave them stuck.
    TBuffered b{ev.channelID, ENET_PACKET_FLAG_RELIABLE, EncodeRelayMessage(copy)};
    for (TPeer* s : r->spectators) Send(s, b.copy, b.channel, b.flags);
    if (r->bufferFull) return;
    if (r->bufferBytes + b.copy.size() > opt.spectatorBufferBytes) {
      r->bufferFull = true;
      r->buffer.clear();
      r->buffer.shrink_to_fit();
      return;
    }
    r->bufferBytes += b.copy.size();
    r->buffer.push_back(std::move(b));
  }

  // A player's replay of a match in room m.code (open, or closed lately):
  // kept once per match, whoever hands it over first (both players' replays
  // of one match end with the same result line).
  void KeepReplay(TPeer* p, const TRelayMessage& m) {
    std::string* names = nullptr;
    std::string* lastKept = nullptr;
    const auto open = rooms.find(m.code);
    const auto closed = finished.find(m.code);
    if (open != rooms.end() && open->second->wasPaired) {
      names = open->second->names;
      lastKept = &open->second->lastKept;
    } else if (closed != finished.end()) {
      names = closed->second.names;
      lastKept = &closed->second.lastKept;
    }
    enet_peer_disconnect_later(p->peer, 0);  // the upload's answer
    p->closing = true;
    const std::string result = ReplayResultLine(m.payload);
    if (!keeper || !names || result.empty() || result == *lastKept) return;
    *lastKept = result;
    TMatchRecord rec;
    rec.code = m.code;
    rec.hostName = names[0];
    rec.guestName = names[1];
    rec.endedAt = static_cast<int64_t>(time(nullptr));
    rec.replay = m.payload;
    if (!keeper->Submit(std::move(rec))) log("relay: too many replays waiting: one not kept");
  }

  void Receive(TPeer* p, const ENetEvent& ev) {
    if (p->closing) return;
    const ENetPacket* pk = ev.packet;
    const bool relayKind = pk->dataLength > 0 && IsRelayKind(pk->data[0]);
    if (p->room && p->role != kRoleSpectator && !relayKind) {
      Forward(p, ev);
      return;
    }
    if (!p->requests.Take(opt.requestsPerSecond)) {
      stats.dropped++;
      if (++p->excessRequests == 1) SendError(p, kErrBusy, "too many requests");
      if (p->excessRequests >= opt.excessRequestsBeforeDrop) {
        log("relay: a peer flooding requests was dropped");
        enet_peer_disconnect_now(p->peer, 0);
        Gone(p, "dropped");
      }
      return;
    }
    TRelayMessage m;
    std::string error;
    if (!DecodeRelayMessage(pk->data, pk->dataLength, &m, &error)) {
      SendError(p, kErrMalformed, error);
      return;
    }
    if (m.kind == kRelayMatchReplay && (!p->room || p->role != kRoleSpectator)) {
      KeepReplay(p, m);
    } else if (m.kind == kRelayLeaveRoom && p->room) {
      enet_peer_disconnect_later(p->peer, 0);
    } else if (p->room) {
      SendError(p, kErrNotAllowed, "already in room " + p->room->code);
    } else {
      Request(p, m);
    }
  }

  void CloseRoom(TRoom* r) {
    try {
      directory.RemoveRoom(r->code);
    } catch (const TStoreError& e) {
      log(std::string("relay: ") + e.what());
    }
    for (TPeer* s : r->spectators) s->room = nullptr;
    for (TPeer* pl : r->players)
      if (pl) pl->room = nullptr;
    if (r->wasPaired) {
      stats.pairedRooms--;
      // Its players may still hand over the last match's replay.
      if (finished.size() < static_cast<size_t>(opt.maxRooms) * 4)
        finished[r->code] = {{r->names[0], r->names[1]}, r->lastKept, TClock::now()};
    }
    stats.rooms--;
    rooms.erase(r->code);
  }

  // p left (disconnected, timed out, or dropped): its room hears of it.
  void Gone(TPeer* p, const std::string& reason) {
    TRoom* r = p->room;
    if (r && p->role == kRoleSpectator) {
      std::erase(r->spectators, p);
    } else if (r) {
      TRelayMessage m;
      m.kind = kRelayPeerGone;
      m.role = p->role;
      m.text = reason;
      for (TPeer* other : r->players)
        if (other && other != p) Close(other, m);
      for (TPeer* s : r->spectators) Close(s, m);
      CloseRoom(r);
    }
    p->peer->data = nullptr;
    peers.erase(p->peer);
  }

  // Tells p, then closes its connection once that is delivered.
  void Close(TPeer* p, const TRelayMessage& m) {
    SendMessage(p, m);
    enet_peer_disconnect_later(p->peer, 0);
    p->closing = true;
  }

  void Housekeeping() {
    std::erase_if(finished, [&](const auto& kv) {
      return SecondsSince(kv.second.closedAt) > opt.replaySeconds;
    });
    std::vector<TPeer*> late;
    for (auto& [peer, p] : peers) {
      if (p->closing) continue;
      if (!p->room && SecondsSince(p->connectedAt) > opt.requestTimeoutSeconds)
        late.push_back(p.get());
      if (p->room && p->role == kRoleHost && !p->room->Paired() &&
          SecondsSince(p->room->createdAt) > opt.waitingRoomSeconds)
        late.push_back(p.get());
    }
    for (TPeer* p : late) {
      if (p->room) {
        Refuse(p, kErrNoSuchRoom, "nobody joined room " + p->room->code + " in time");
        CloseRoom(p->room);
      } else {
        Refuse(p, kErrMalformed, "no room request");
      }
    }
  }

  void Event(const ENetEvent& ev) {
    switch (ev.type) {
      case ENET_EVENT_TYPE_CONNECT: {
        auto p = std::make_unique<TPeer>();
        p->peer = ev.peer;
        p->requests.tokens = opt.requestsPerSecond;
        p->messages.tokens = opt.messagesPerSecond;
        ev.peer->data = p.get();
        enet_peer_timeout(ev.peer, 0, static_cast<enet_uint32>(opt.peerTimeoutMillis / 2),
                          static_cast<enet_uint32>(opt.peerTimeoutMillis));
        peers.emplace(ev.peer, std::move(p));
        break;
      }
      case ENET_EVENT_TYPE_RECEIVE:
        if (auto* p = static_cast<TPeer*>(ev.peer->data)) Receive(p, ev);
        enet_packet_destroy(ev.packet);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        if (auto* p = static_cast<TPeer*>(ev.peer->data)) Gone(p, "disconnected");
        break;
      default:
        break;
    }
  }
};

TRelay::TRelay(TRoomDirectory& directory, TRelayOptions options, TReplayChecker* checker,
               std::function<void(const std::string&)> log)
    : impl_(std::make_unique<TImpl>(directory, std::move(options), std::move(log))) {
  if (checker)
    impl_->keeper =
        std::make_unique<TMatchKeeper>(directory, *checker, impl_->log, &impl_->stats.matchesKept);
}

TRelay::~TRelay() {
  if (impl_->host) enet_host_destroy(impl_->host);
}

bool TRelay::Open(std::string* error) {
  if (enet_initialize() != 0) {
    *error = "cannot start ENet";
    return false;
  }
  ENetAddress address{};
  const std::string& listen = impl_->opt.listen;
  if (listen.empty() || listen == "0.0.0.0") {
    address.host = ENET_HOST_ANY;
  } else if (enet_address_set_host_ip(&address, listen.c_str()) != 0) {
    *error = "not an IP address: " + listen;
    return false;
  }
  address.port = static_cast<enet_uint16>(impl_->opt.port);
  impl_->host =
      enet_host_create(&address, static_cast<size_t>(impl_->opt.maxPeers), kRelayChannels, 0, 0);
  if (!impl_->host) {
    *error = "cannot bind UDP port " + std::to_string(impl_->opt.port) + " on " + listen;
    return false;
  }
  impl_->host->maximumPacketSize = kRelayMaxPacket;
  ENetAddress bound{};
  enet_socket_get_address(impl_->host->socket, &bound);
  impl_->port = bound.port;
  try {
    impl_->directory.RemoveRelayRooms(Address());
  } catch (const TStoreError& e) {
    impl_->log(std::string("relay: ") + e.what());
  }
  return true;
}

int TRelay::Port() const {
  return impl_->port;
}
std::string TRelay::Address() const {
  return impl_->Address();
}
const TRelayStats& TRelay::Stats() const {
  return impl_->stats;
}

void TRelay::Run(const std::atomic<bool>& stop) {
  TImpl& s = *impl_;
  auto lastHousekeeping = TClock::now();
  while (!stop.load()) {
    ENetEvent ev;
    int got = enet_host_service(s.host, &ev, 50);
    while (got > 0) {
      try {
        s.Event(ev);
      } catch (const TStoreError& e) {
        s.log(std::string("relay: room directory: ") + e.what());
        if (auto* p = static_cast<TPeer*>(ev.peer->data))
          s.SendError(p, kErrBusy, "room directory unavailable");
      }
      got = enet_host_check_events(s.host, &ev);
    }
    if (SecondsSince(lastHousekeeping) > 0.25) {
      s.Housekeeping();
      lastHousekeeping = TClock::now();
    }
  }
  while (!s.rooms.empty()) s.CloseRoom(s.rooms.begin()->second.get());
  for (auto& [peer, p] : s.peers) {
    peer->data = nullptr;
    enet_peer_disconnect_now(peer, 0);
  }
  s.peers.clear();
  enet_host_flush(s.host);
}

#include "net/enet_peer.h"

#include <enet/enet.h>

TLinkStats PeerStats(const _ENetPeer* peer, bool receiving) {
  TLinkStats s;
  if (!peer) return s;
  s.roundTripMs = peer->roundTripTime;
  s.roundTripVarianceMs = peer->roundTripTimeVariance;
  s.packetLoss =
      static_cast<float>(peer->packetLoss) / static_cast<float>(ENET_PEER_PACKET_LOSS_SCALE);
  s.sinceReceiveMs =
      receiving && peer->lastReceiveTime != 0 ? enet_time_get() - peer->lastReceiveTime : 0;
  return s;
}

bool DisconnectPeer(_ENetHost* host, _ENetPeer* peer, uint32_t waitMs) {
  enet_peer_disconnect_later(peer, 0);
  const uint32_t start = enet_time_get();
  ENetEvent event;
  while (enet_time_get() - start < waitMs) {
    const int got = enet_host_service(host, &event, 10);
    if (got < 0) break;
    if (got == 0) continue;
    if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
    if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == peer) return true;
  }
  return false;
}

// What the direct link and the relay's client do alike with their one ENet
// peer: read its figures, and leave it politely.
#pragma once

#include <cstdint>

#include "net/net_link.h"

struct _ENetHost;
struct _ENetPeer;

// The peer's round trip and loss; the time since it last sent anything only
// while `receiving` (0 otherwise, and before its first datagram).
TLinkStats PeerStats(const _ENetPeer* peer, bool receiving);

// Asks the peer to disconnect once its queued messages are out, and serves
// the host up to waitMs for its answer, dropping whatever else arrives.
// True when the peer answered (it is then gone and must not be reset).
bool DisconnectPeer(_ENetHost* host, _ENetPeer* peer, uint32_t waitMs);

// The board's pages of relayed matches:
//   GET /score/matches/         the latest finished matches, each with its replay
//   GET /score/matches/ID.zzr   one kept match's replay file
#pragma once

#include "relay/room_directory.h"
#include "server/score_service.h"

// Matches listed on the page.
constexpr int kRecentMatchRows = 50;

// Answers a request under /score/matches/ (404 for anything else there).
// Never throws: a directory failure becomes 503.
TWebReply MatchPages(TRoomDirectory& directory, const TWebRequest& req);

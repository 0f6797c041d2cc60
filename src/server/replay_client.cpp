// The one HTTP client of the server program: handing a replay to the local
// board already running (cpp-httplib's client).
#include <httplib.h>

#include "server/http_front.h"

int SendReplay(int port, const std::string& replay, std::string* answer) {
  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(5, 0);
  client.set_read_timeout(60, 0);
  const auto res = client.Post("/score/api/replay", replay, "application/octet-stream");
  if (!res) return 0;
  *answer = res->body;
  return res->status;
}

#include "relay/relay_service.h"

#include "relay/match_pages.h"
#include "server/score_service.h"
#include "server/store_sql.h"

TRelayService::~TRelayService() {
  Stop();
}

bool TRelayService::Start(const TRelayOptions& options, const std::string& db,
                          TReplayChecker& checker, TScoreService& service,
                          const std::function<void(const std::string&)>& log, std::string* error) {
  try {
    directory_ = MakeSqlRoomDirectory(OpenSqlDatabase(db, 2));
  } catch (const TStoreError& e) {
    *error = std::string("the room directory cannot be opened: ") + e.what();
    return false;
  }
  relay_ = std::make_unique<TRelay>(*directory_, options, &checker, log);
  if (!relay_->Open(error)) {
    relay_.reset();
    return false;
  }
  TRoomDirectory* directory = directory_.get();
  service.AddRoute("/score/matches",
                   [directory](const TWebRequest& req) { return MatchPages(*directory, req); });
  service.SetRelay(options.publicHost, relay_->Port());
  thread_ = std::thread([this] { relay_->Run(stop_); });
  log("relay on UDP " + options.listen + ":" + std::to_string(relay_->Port()));
  return true;
}

void TRelayService::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

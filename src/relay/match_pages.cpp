#include "relay/match_pages.h"

#include <cstdlib>
#include <ctime>

#include "server/score_pages.h"
#include "server/web_text.h"

namespace {

std::string Date(int64_t t) {
  const time_t tt = static_cast<time_t>(t);
  struct tm tmv;
  char buf[32] = "";
  if (gmtime_r(&tt, &tmv)) strftime(buf, sizeof buf, "%Y-%m-%d %H:%M UTC", &tmv);
  return buf;
}

// "SCORE LEVEL TEXT SIGNATURE DIGEST": the two numbers a person reads.
std::string ResultText(const std::string& result) {
  const size_t second = result.find(' ', result.find(' ') + 1);
  return result.substr(0, second);
}

std::string ListPage(const std::vector<TMatchRecord>& matches) {
  std::string p =
      "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width\">\n"
      "<title>最近の対戦 Recent matches</title>\n<style>\n"
      "body{font-family:sans-serif;background:#FFFCFB;margin:10px;padding:10px}\n"
      "h1{padding:6px;border-bottom:1px solid silver}\n"
      "table{border-collapse:collapse}td,th{padding:2px 8px;border-bottom:1px solid #ddd}\n"
      ".en{color:#666;font-size:90%}\n</style></head><body>\n"
      "<h1>最近の対戦 <span class=\"en\">Recent matches</span></h1>\n";
  if (matches.empty()) {
    p += "<p>まだ対戦はありません <span class=\"en\">No matches yet</span></p>\n";
  } else {
    p += "<table>\n<tr><th>日時<br><span class=\"en\">Date</span></th>"
         "<th>ホスト<br><span class=\"en\">Host</span></th>"
         "<th>相手<br><span class=\"en\">Opponent</span></th>"
         "<th>部屋<br><span class=\"en\">Room</span></th>"
         "<th>結果<br><span class=\"en\">Result</span></th>"
         "<th>リプレイ<br><span class=\"en\">Replay</span></th></tr>\n";
    for (const TMatchRecord& m : matches) {
      const std::string id = std::to_string(m.id);
      p += "<tr><td>" + HtmlEscape(Date(m.endedAt)) + "</td><td>" + HtmlEscape(m.hostName) +
           "</td><td>" + HtmlEscape(m.guestName) + "</td><td>" + HtmlEscape(m.code) + "</td><td>" +
           HtmlEscape(ResultText(m.result)) + "</td><td><a href=\"/score/matches/" + id +
           ".zzr\" download=\"match-" + id +
           ".zzr\">ダウンロード <span class=\"en\">download</span></a></td></tr>\n";
    }
    p += "</table>\n";
  }
  return p +
         "<p><a href=\"/score/\">ランキング <span "
         "class=\"en\">Leaderboard</span></a></p>\n</body></html>\n";
}

TWebReply NotFound() {
  TWebReply r;
  r.status = 404;
  r.body = MessagePage("見つかりません", "Not found", "no such match");
  return r;
}

}  // namespace

TWebReply MatchPages(TRoomDirectory& directory, const TWebRequest& req) {
  const std::string base = "/score/matches/";
  TWebReply r;
  try {
    if (req.path == base || req.path == "/score/matches") {
      r.body = ListPage(directory.RecentMatches(kRecentMatchRows));
      return r;
    }
    const std::string rest = req.path.substr(base.size());
    const size_t dot = rest.find(".zzr");
    if (req.path.rfind(base, 0) != 0 || dot == std::string::npos || dot == 0 || dot > 18 ||
        dot + 4 != rest.size() || rest.find_first_not_of("0123456789") != dot)
      return NotFound();
    std::string replay;
    if (!directory.MatchReplay(std::strtoll(rest.c_str(), nullptr, 10), &replay)) return NotFound();
    r.contentType = "application/octet-stream";
    r.body = std::move(replay);
    return r;
  } catch (const std::exception& e) {
    r.status = 503;
    r.body = MessagePage("しばらくしてからもう一度どうぞ", "Try again later", e.what());
    return r;
  }
}

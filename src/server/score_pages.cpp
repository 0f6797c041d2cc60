#include "server/score_pages.h"

#include "server/service_text.h"
#include "server/web_text.h"

namespace {

std::string Head(const std::string& title) {
  return "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width\">\n<title>" +
         title +
         "</title>\n<style>\n"
         "body{font-family:sans-serif;background:#FFFCFB;margin:10px;padding:10px}\n"
         "h1{padding:6px;border-bottom:1px solid silver}\n"
         "table{border-collapse:collapse}td,th{padding:2px 8px;border-bottom:1px solid #ddd}\n"
         "td.n{text-align:right;font-family:monospace}tr.mine{background:#ffe9a8}\n"
         ".en{color:#666;font-size:90%}\n"
         "</style></head><body>\n";
}

const char kTail[] =
    "<p><a href=\"/score/\">ランキング <span class=\"en\">Leaderboard</span></a> | "
    "<a href=\"/score/?all=1\">未検証を含む <span class=\"en\">All entries</span></a> | "
    "<a href=\"/score/daily/\">今日のチャレンジ <span class=\"en\">Today's challenge</span></a>"
    "</p>\n</body></html>\n";

std::string Row(const TStoredEntry& e, bool mine) {
  std::string r = mine ? "<tr class=\"mine\">" : "<tr>";
  r += "<td class=\"n\">" + std::to_string(e.rank) + "</td>";
  r += "<td class=\"n\">" + std::to_string(e.entry.score) + "</td>";
  r += "<td class=\"n\">" + std::to_string(e.entry.level) + "</td>";
  r += "<td>" + HtmlEscape(FormatPlayedAt(e.entry.playedAt)) + "</td>";
  r += "<td class=\"n\">" + std::to_string(e.entry.frameRate - 1) + "</td>";
  r += "<td>" + HtmlEscape(e.name) + "</td>";
  r += e.verified ? "<td class=\"verified\">&#10004; 検証済み <span class=\"en\">verified</span>"
                  : "<td class=\"plain\">未検証 <span class=\"en\">plain</span>";
  if (e.hasReplay)
    r += " <a class=\"replay\" href=\"" + ReplayPath(e) +
         "\" download>リプレイ <span class=\"en\">replay</span></a>";
  r += "</td>";
  return r + "</tr>\n";
}

std::string Table(const std::vector<TStoredEntry>& rows, int64_t mineId) {
  std::string t =
      "<table>\n<tr><th>順位<br><span class=\"en\">Rank</span></th>"
      "<th>スコア<br><span class=\"en\">Score</span></th>"
      "<th>レベル<br><span class=\"en\">Level</span></th>"
      "<th>日時<br><span class=\"en\">Date</span></th>"
      "<th>FPS</th><th>名前<br><span class=\"en\">Name</span></th>"
      "<th>リプレイ<br><span class=\"en\">Replay</span></th></tr>\n";
  for (const TStoredEntry& e : rows) t += Row(e, e.id == mineId);
  return t + "</table>\n";
}

std::string Hidden(const TScoreEntry& e) {
  return "<input type=\"hidden\" name=\"score\" value=\"" + HtmlEscape(e.text) +
         "\"><input type=\"hidden\" name=\"p\" value=\"" + HtmlEscape(e.signature) + "\">";
}

std::string HiddenId(const TStoredEntry& e) {
  return "<input type=\"hidden\" name=\"id\" value=\"" + std::to_string(e.id) + "\">";
}

}  // namespace

std::string EntryLink(const TScoreEntry& e) {
  return "/score/?mode=reg&score=" + e.text + "&p=" + e.signature;
}

std::string EntryPage(const TStoredEntry& entry, bool created,
                      const std::vector<TStoredEntry>& around, const std::string& note) {
  std::string p = Head("スコア 登録 / Score registration");
  p += "<h1>スコア登録 <span class=\"en\">Score registration</span></h1>\n";
  p += created ? "<p id=\"status\">スコアを登録しました。 <span class=\"en\">Your score has been "
                 "registered.</span></p>\n"
               : "<p id=\"status\">このスコアは登録済みです。 <span class=\"en\">This score was "
                 "already registered.</span></p>\n";
  if (!note.empty()) p += "<p>" + note + "</p>\n";
  p += "<p id=\"entry\">順位 <span class=\"en\">Rank</span> <b>" + std::to_string(entry.rank) +
       "</b> &nbsp; スコア <span class=\"en\">Score</span> <b>" +
       std::to_string(entry.entry.score) +
       "</b> &nbsp; レベル <span class=\"en\">Level</span> <b>" +
       std::to_string(entry.entry.level) + "</b> &nbsp; 日時 <span class=\"en\">Date</span> " +
       HtmlEscape(FormatPlayedAt(entry.entry.playedAt)) +
       (entry.verified ? " &nbsp; &#10004; リプレイで検証済み <span class=\"en\">verified by its "
                         "replay</span>"
                       : " &nbsp; 未検証 <span class=\"en\">not verified</span>") +
       "</p>\n";
  p += "<form method=\"post\" action=\"/score/name\" accept-charset=\"utf-8\">" +
       Hidden(entry.entry) + HiddenId(entry) +
       "<label>名前 <span class=\"en\">Name</span> (16 文字まで <span class=\"en\">up to 16 "
       "characters</span>): <input name=\"name\" maxlength=\"16\" value=\"" +
       HtmlEscape(entry.name) +
       "\"></label> <button type=\"submit\">保存 <span class=\"en\">Save</span></button></form>\n";
  p += "<form method=\"post\" action=\"/score/api/replay\" enctype=\"multipart/form-data\">" +
       Hidden(entry.entry) +
       "<label>リプレイファイル <span class=\"en\">Replay file</span>: <input type=\"file\" "
       "name=\"replay\"></label> <button type=\"submit\">送信して検証 <span class=\"en\">Upload "
       "and verify</span></button></form>\n";
  p += "<h2>周辺の順位 <span class=\"en\">Around your entry</span></h2>\n";
  p += Table(around, entry.id);
  return p + kTail;
}

std::string BoardPage(const std::vector<TStoredEntry>& rows, int64_t page, int64_t pages,
                      int64_t total, bool verifiedOnly) {
  std::string p = Head("ランキング / Leaderboard");
  p += "<h1>ランキング <span class=\"en\">Leaderboard</span>";
  p += verifiedOnly ? " &mdash; 検証済み <span class=\"en\">verified</span>"
                    : " &mdash; 未検証を含む <span class=\"en\">all entries</span>";
  p += "</h1>\n<p>" + std::to_string(total) + " 件 <span class=\"en\">entries</span> &nbsp; " +
       std::to_string(page) + " / " + std::to_string(pages) +
       " ページ <span class=\"en\">page</span></p>\n";
  p += Table(rows, -1);
  const std::string filter = verifiedOnly ? "" : "&all=1";
  p += "<p>";
  if (page > 1)
    p += "<a rel=\"prev\" href=\"/score/?page=" + std::to_string(page - 1) + filter +
         "\">&laquo; 前へ <span class=\"en\">Previous</span></a> ";
  if (page < pages)
    p += "<a rel=\"next\" href=\"/score/?page=" + std::to_string(page + 1) + filter +
         "\">次へ <span class=\"en\">Next</span> &raquo;</a>";
  p += "</p>\n";
  return p + kTail;
}

std::string DailyPage(const TChallenge& c, const std::vector<TStoredEntry>& rows,
                      const std::string& today, bool verifiedOnly) {
  std::string p = Head("今日のチャレンジ / Daily challenge " + c.date);
  p += "<h1>チャレンジ <span class=\"en\">Daily challenge</span> " + c.date + "</h1>\n";
  p += "<p>" +
       std::string(c.date == today ? "本日 <span class=\"en\">today</span>, "
                                   : "終了 <span class=\"en\">ended</span>, ") +
       std::to_string(rows.size()) +
       " 人 <span class=\"en\">players</span> &mdash; 各プレイヤーの最高記録 <span "
       "class=\"en\">each player's best " +
       (verifiedOnly ? "verified " : "") + "run</span></p>\n";
  p += Table(rows, -1);
  time_t day = 0;
  if (ParseUtcDate(c.date, &day))
    p += "<p><a rel=\"prev\" href=\"/score/daily/" + UtcDate(day - 24 * 60 * 60) +
         "\">&laquo; 前日 <span class=\"en\">Previous day</span></a>" +
         (c.date == today ? std::string()
                          : " <a rel=\"next\" href=\"/score/daily/" + UtcDate(day + 24 * 60 * 60) +
                                "\">翌日 <span class=\"en\">Next day</span> &raquo;</a>") +
         "</p>\n";
  return p + kTail;
}

std::string MessagePage(const std::string& japanese, const std::string& english,
                        const std::string& message) {
  std::string p = Head(japanese + " / " + english);
  p += "<h1>" + japanese + " <span class=\"en\">" + english + "</span></h1>\n";
  p += "<p id=\"message\">" + HtmlEscape(message) + "</p>\n";
  return p + kTail;
}

std::string ReplayResultPage(const std::vector<TStoredEntry>& verified) {
  std::string p = Head("リプレイ検証 / Replay check");
  p += "<h1>リプレイで検証しました <span class=\"en\">Verified by the replay</span></h1>\n<ul>\n";
  for (const TStoredEntry& e : verified)
    p += "<li><a href=\"" + HtmlEscape(EntryLink(e.entry)) +
         "\">順位 <span class=\"en\">Rank</span> " + std::to_string(e.rank) +
         ", スコア <span class=\"en\">Score</span> " + std::to_string(e.entry.score) +
         "</a></li>\n";
  p += "</ul>\n";
  return p + kTail;
}

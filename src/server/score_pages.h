// The score server's pages: UTF-8 HTML in Japanese with English beside it.
// Every text that comes from outside (names) is escaped here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/challenge.h"
#include "server/score_store.h"

// The link that shows (and registers) an entry: /score/?mode=reg&score=..&p=..
std::string EntryLink(const TScoreEntry& e);

// The answer to a registration: the entry, the entries around it (the
// entry's own row marked), the name form and the replay upload form.
// created: stored just now (else it was already there); note: an extra line
// (already escaped HTML, may be empty).
std::string EntryPage(const TStoredEntry& entry, bool created,
                      const std::vector<TStoredEntry>& around, const std::string& note);

// The leaderboard: one page of rows (page 1-based of pages), filtered to
// verified entries or not.
std::string BoardPage(const std::vector<TStoredEntry>& rows, int64_t page, int64_t pages,
                      int64_t total, bool verifiedOnly);

// A day's challenge table (today is the date of today, for the links).
std::string DailyPage(const TChallenge& c, const std::vector<TStoredEntry>& rows,
                      const std::string& today, bool verifiedOnly);

// A page with a heading in both languages and a message (plain text, escaped
// here), with a link back to the leaderboard.
std::string MessagePage(const std::string& japanese, const std::string& english,
                        const std::string& message);

// The answer to a replay upload from the form: the entries it verified.
std::string ReplayResultPage(const std::vector<TStoredEntry>& verified);

// Text for the score server's answers: escaping for HTML and JSON, and the
// check of a player's name.
#pragma once

#include <string>
#include <string_view>

// s with & < > " ' replaced by their character references.
std::string HtmlEscape(std::string_view s);

// s as the inside of a JSON string: quote, backslash and control characters
// escaped, and < > & as \u003c \u003e \u0026 so the text is safe in a page too.
// Invalid UTF-8 bytes become U+FFFD.
std::string JsonEscape(std::string_view s);

// Longest player name, in Unicode characters.
constexpr int kMaxNameChars = 16;

// A player's name as typed: valid UTF-8 (no overlong forms, no surrogates),
// at most kMaxNameChars characters, no control characters (C0, DEL, C1).
// Leading and trailing spaces are dropped into *out. "" is allowed (no
// name). On refusal *reason says why.
bool CheckPlayerName(std::string_view raw, std::string* out, std::string* reason);

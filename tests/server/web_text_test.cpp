// Escaping and the player's name check.
#include "server/web_text.h"

#include <gtest/gtest.h>

namespace {

bool Name(const std::string& raw, std::string* out = nullptr) {
  std::string kept, reason;
  const bool ok = CheckPlayerName(raw, &kept, &reason);
  if (!ok) {
    EXPECT_FALSE(reason.empty());
  }
  if (out) *out = kept;
  return ok;
}

}  // namespace

TEST(WebText, HtmlEscapeCoversMarkupAndBothQuotes) {
  EXPECT_EQ(HtmlEscape("<a href=\"x\" title='y'>&amp;</a>"),
            "&lt;a href=&quot;x&quot; title=&#39;y&#39;&gt;&amp;amp;&lt;/a&gt;");
  EXPECT_EQ(HtmlEscape("ざぞ"), "ざぞ");
}

TEST(WebText, JsonEscapeIsSafeInsideAPageAndRepairsBadBytes) {
  EXPECT_EQ(JsonEscape("a\"b\\c\n</script>&"), "a\\\"b\\\\c\\u000a\\u003c/script\\u003e\\u0026");
  EXPECT_EQ(JsonEscape("ぷよ"), "ぷよ");
  EXPECT_EQ(JsonEscape("\xFF"
                       "a\xE3\x81"),
            "\xEF\xBF\xBD"
            "a\xEF\xBF\xBD");
}

TEST(WebText, NamesUpToSixteenCharactersOfAnyScript) {
  std::string kept;
  EXPECT_TRUE(Name("ざぞパズルの達人ざぞパズルの達人", &kept));  // 16 characters, 48 bytes
  EXPECT_FALSE(Name("ざぞパズルの達人ざぞパズルの達人X"));
  EXPECT_TRUE(Name("😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀"));  // 4-byte characters
  EXPECT_TRUE(Name("  Aki  ", &kept));
  EXPECT_EQ(kept, "Aki");
  EXPECT_TRUE(Name("", &kept));
  EXPECT_TRUE(Name("<b>'; DROP--", &kept));  // stored as is, escaped when shown
  EXPECT_FALSE(Name(std::string(10000, 'a')));
  EXPECT_FALSE(Name(std::string(10000, ' ') + "a" + std::string(17, 'b')));
}

TEST(WebText, NamesMustBeValidUtf8WithoutControlCharacters) {
  for (const std::string& bad : std::initializer_list<std::string>{
           "\xC0\x80",                                            // overlong NUL
           "\xE0\x80\xAF",                                        // overlong '/'
           "\xED\xA0\x80",                                        // surrogate
           "\xF4\x90\x80\x80",                                    // above U+10FFFF
           "ab\xE3\x81",                                          // cut short
           "\x80",                                                // stray continuation
           "\xFF",                                                //
           std::string("a\0b", 3), "a\tb", "a\x7F", "a\xC2\x85",  // NUL, tab, DEL, NEL
       })
    EXPECT_FALSE(Name(bad)) << bad;
}

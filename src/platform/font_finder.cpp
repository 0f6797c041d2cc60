#include "platform/font_finder.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

namespace {

// Characters the button caption needs ("このスコアを web に登録(S)").
constexpr FcChar32 kCaptionChars[] = {0x3053, 0x306E, 0x30B9, 0x30B3, 0x30A2, 0x3092,
                                      0x306B, 0x767B, 0x9332, 'w',    'S',    '('};

bool HasChars(FcPattern* font, const FcChar32* chars, int count) {
  FcCharSet* set = nullptr;
  if (FcPatternGetCharSet(font, FC_CHARSET, 0, &set) != FcResultMatch || !set) return false;
  for (int i = 0; i < count; i++) {
    if (!FcCharSetHasChar(set, chars[i])) return false;
  }
  return true;
}

// Matches `query`; accepts the result when its family is `wantFamily` (if
// given) and it holds `chars`.
bool Match(const char* query, const char* wantFamily, const FcChar32* chars, int count,
           TFontChoice* out) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(query));
  if (!pattern) return false;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* font = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!font) return false;
  bool ok = false;
  FcChar8* file = nullptr;
  FcChar8* family = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch &&
      FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch) {
    const bool familyOk =
        !wantFamily || strcasecmp(reinterpret_cast<const char*>(family), wantFamily) == 0;
    if (familyOk && HasChars(font, chars, count)) {
      out->file = reinterpret_cast<const char*>(file);
      out->family = reinterpret_cast<const char*>(family);
      ok = true;
    }
  }
  FcPatternDestroy(font);
  return ok;
}

}  // namespace

namespace {

TFontChoice Search(bool proportional) {
  TFontChoice choice;
  const int captionCount = static_cast<int>(sizeof kCaptionChars / sizeof kCaptionChars[0]);
  const char* families[2] = {proportional ? "IPAPGothic" : "IPAGothic",
                             proportional ? "IPAGothic" : "IPAPGothic"};
  for (const char* family : families) {
    if (Match(family, family, kCaptionChars, captionCount, &choice)) {
      choice.japanese = true;
      return choice;
    }
  }
  if (Match(proportional ? ":lang=ja" : ":lang=ja:spacing=mono", nullptr, kCaptionChars,
            captionCount, &choice) ||
      Match(":lang=ja", nullptr, kCaptionChars, captionCount, &choice)) {
    choice.japanese = true;
    return choice;
  }
  static constexpr FcChar32 kLatin[] = {'0', '9', 'a', 'f', 'S'};
  Match(proportional ? "sans-serif" : "monospace", nullptr, kLatin, 5, &choice);
  return choice;
}

}  // namespace

TFontChoice FindWidgetFont(bool proportional) {
  if (!FcInit()) return TFontChoice{};
  TFontChoice choice = Search(proportional);
  // Only the file name is kept; fontconfig's configuration is let go.
  FcFini();
  return choice;
}

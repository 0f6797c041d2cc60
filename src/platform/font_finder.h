// Finding a Japanese font through fontconfig.
#pragma once

#include <string>

struct TFontChoice {
  std::string file;       // empty when nothing usable was found
  std::string family;     // the family fontconfig returned
  bool japanese = false;  // the font draws the button's caption
};

// The font for the score fields (fixed pitch, like "ＭＳ ゴシック") or, with
// proportional = true, for the button caption (like "ＭＳ Ｐゴシック"). Tries the
// IPA Gothic families by name, then any font for ":lang=ja", and checks what
// fontconfig returns (it always returns some font): the family must match,
// or the font must hold the caption's characters. Without a Japanese font
// it falls back to any font with Latin letters and digits.
TFontChoice FindWidgetFont(bool proportional);

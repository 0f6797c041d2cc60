#include "font_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

FT_Library gLibrary = nullptr;
FT_Face gFace = nullptr;
std::string gDescription;

// Families tried in order; any of them renders Japanese.
const char* const kFamilies[] = {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", ":lang=ja"};

std::vector<uint32_t> DecodeUtf8(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    uint8_t c = static_cast<uint8_t>(s[i]);
    uint32_t cp = c;
    int extra = 0;
    if (c >= 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else if (c >= 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if (c >= 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    }
    i++;
    for (int k = 0; k < extra && i < s.size(); k++, i++)
      cp = (cp << 6) | (static_cast<uint8_t>(s[i]) & 0x3F);
    out.push_back(cp);
  }
  return out;
}

// Does the font at `file` cover Japanese? Its family is written to *family.
bool MatchFont(const char* request, std::string* file, std::string* family) {
  FcPattern* pattern = request[0] == ':'
                           ? FcNameParse(reinterpret_cast<const FcChar8*>(request))
                           : FcPatternBuild(nullptr, FC_FAMILY, FcTypeString, request, nullptr);
  if (!pattern) return false;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* f = nullptr;
  FcChar8* fam = nullptr;
  FcLangSet* langs = nullptr;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &f) == FcResultMatch &&
            FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch &&
            FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch &&
            FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
  if (ok) {
    *file = reinterpret_cast<const char*>(f);
    *family = reinterpret_cast<const char*>(fam);
  }
  FcPatternDestroy(match);
  return ok;
}

struct Mask {
  int w = 0, h = 0;
  std::vector<float> a;
  Mask(int w_, int h_) : w(w_), h(h_), a(static_cast<size_t>(w_) * h_, 0.0f) {}
  float Get(int x, int y) const {
    return (x < 0 || y < 0 || x >= w || y >= h) ? 0.0f : a[static_cast<size_t>(y) * w + x];
  }
  float& Ref(int x, int y) { return a[static_cast<size_t>(y) * w + x]; }
};

// Morphological dilation with a round brush of radius r (soft edge).
Mask Dilate(const Mask& m, float r) {
  Mask out(m.w, m.h);
  int ir = static_cast<int>(std::ceil(r)) + 1;
  for (int y = 0; y < m.h; y++)
    for (int x = 0; x < m.w; x++) {
      float best = 0;
      for (int dy = -ir; dy <= ir; dy++)
        for (int dx = -ir; dx <= ir; dx++) {
          float v = m.Get(x + dx, y + dy);
          if (v <= best) continue;
          float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          v *= Clamp01(r + 0.5f - d + 0.5f);
          if (v > best) best = v;
        }
      out.Ref(x, y) = best;
    }
  return out;
}

struct Layout {
  float width = 0;
  struct Glyph {
    FT_UInt index;
    float penX;
  };
  std::vector<Glyph> glyphs;
};

Layout LayOut(const std::string& utf8, const TextStyle& style) {
  Layout l;
  FT_Set_Pixel_Sizes(gFace, 0, static_cast<FT_UInt>(std::lround(style.size)));
  // Scale from the integer pixel size to the requested size.
  float scale = style.size / std::lround(style.size);
  FT_UInt prev = 0;
  float pen = 0;
  for (uint32_t cp : DecodeUtf8(utf8)) {
    FT_UInt index = FT_Get_Char_Index(gFace, cp);
    if (prev && index && FT_HAS_KERNING(gFace)) {
      FT_Vector k;
      if (FT_Get_Kerning(gFace, prev, index, FT_KERNING_UNFITTED, &k) == 0) pen += k.x / 64.0f;
    }
    l.glyphs.push_back({index, pen});
    if (FT_Load_Glyph(gFace, index, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0)
      pen += gFace->glyph->linearHoriAdvance / 65536.0f * scale + style.bold + style.tracking;
    prev = index;
  }
  l.width = pen - (l.glyphs.empty() ? 0 : style.tracking);
  return l;
}

}  // namespace

bool OpenFont(std::string* error) {
  if (gFace) return true;
  if (!FcInit()) {
    *error = "fontconfig could not be initialised";
    return false;
  }
  std::string file, family;
  bool found = false;
  for (const char* request : kFamilies)
    if (MatchFont(request, &file, &family)) {
      found = true;
      break;
    }
  if (!found) {
    *error = "no Japanese font found through fontconfig (install fonts-ipafont-gothic)";
    return false;
  }
  if (FT_Init_FreeType(&gLibrary) != 0 || FT_New_Face(gLibrary, file.c_str(), 0, &gFace) != 0) {
    *error = "FreeType cannot open " + file;
    return false;
  }
  gDescription = family + " (" + file + ")";
  return true;
}

void CloseFont() {
  if (gFace) FT_Done_Face(gFace);
  if (gLibrary) FT_Done_FreeType(gLibrary);
  gFace = nullptr;
  gLibrary = nullptr;
}

std::string FontDescription() {
  return gDescription;
}

float MeasureText(const std::string& utf8, const TextStyle& style) {
  return LayOut(utf8, style).width;
}

void DrawText(Canvas& canvas, float x, float y, const std::string& utf8, const TextStyle& style,
              Align align) {
  Layout layout = LayOut(utf8, style);
  if (align == Align::Centre) x -= layout.width * 0.5f;
  if (align == Align::Right) x -= layout.width;
  int pad = static_cast<int>(std::ceil(style.outline + style.bold)) + style.glowRadius * 3 +
            static_cast<int>(std::ceil(std::fabs(style.shadowX) + std::fabs(style.shadowY))) + 3;
  int ox = static_cast<int>(std::floor(x)), oy = static_cast<int>(std::floor(y));
  float fx = x - ox, fy = y - oy;
  float ascent = style.size * 1.05f, descent = style.size * 0.3f;
  int w = static_cast<int>(std::ceil(layout.width + fx)) + 2 * pad + 2;
  int h = static_cast<int>(std::ceil(ascent + descent)) + 2 * pad + 2;
  int baseX = pad, baseY = pad + static_cast<int>(std::ceil(ascent));
  Mask fill(w, h);
  float scale = style.size / std::lround(style.size);
  for (const auto& g : layout.glyphs) {
    if (FT_Load_Glyph(gFace, g.index, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) continue;
    FT_GlyphSlot slot = gFace->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) continue;
    if (scale != 1.0f) {
      FT_Matrix m{static_cast<FT_Fixed>(scale * 65536), 0, 0, static_cast<FT_Fixed>(scale * 65536)};
      FT_Outline_Transform(&slot->outline, &m);
    }
    if (style.bold > 0)
      FT_Outline_Embolden(&slot->outline, static_cast<FT_Pos>(style.bold * 64 * 2));
    float penX = g.penX + fx;
    FT_Outline_Translate(&slot->outline,
                         static_cast<FT_Pos>(std::lround((penX - std::floor(penX)) * 64)),
                         static_cast<FT_Pos>(std::lround(-fy * 64)));
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) continue;
    const FT_Bitmap& bm = slot->bitmap;
    int gx = baseX + static_cast<int>(std::floor(penX)) + slot->bitmap_left;
    int gy = baseY - slot->bitmap_top;
    for (unsigned r = 0; r < bm.rows; r++)
      for (unsigned c = 0; c < bm.width; c++) {
        int px = gx + static_cast<int>(c), py = gy + static_cast<int>(r);
        if (px < 0 || py < 0 || px >= w || py >= h) continue;
        float v = bm.buffer[r * bm.pitch + c] / 255.0f;
        float& d = fill.Ref(px, py);
        d = std::min(1.0f, d + v);
      }
  }
  Mask body = style.outline > 0 ? Dilate(fill, style.outline) : fill;
  Canvas layer(w, h);
  if (style.glowRadius > 0) {
    Canvas shape(w, h);
    for (int py = 0; py < h; py++)
      for (int px = 0; px < w; px++) shape.At(px, py).a = body.Get(px, py);
    layer.Draw(Glow(shape, style.glowRadius, style.glowColour, style.glowStrength), 0, 0);
  }
  if (style.shadowX != 0 || style.shadowY != 0) {
    int sx = static_cast<int>(std::lround(style.shadowX)),
        sy = static_cast<int>(std::lround(style.shadowY));
    for (int py = 0; py < h; py++)
      for (int px = 0; px < w; px++)
        layer.Blend(px, py, style.shadowColour, body.Get(px - sx, py - sy) * style.shadowAlpha);
  }
  if (style.outline > 0)
    for (int py = 0; py < h; py++)
      for (int px = 0; px < w; px++) layer.Blend(px, py, style.outlineColour, body.Get(px, py));
  float topY = baseY - style.size * 0.78f, span = style.size * 0.78f;
  for (int py = 0; py < h; py++) {
    float t = Clamp01((py + 0.5f - topY) / span);
    Rgb c = Mix(style.top, style.bottom, t);
    if (style.gloss > 0 && t < 0.48f) c = Lighten(c, style.gloss * (1 - t / 0.48f * 0.5f));
    for (int px = 0; px < w; px++) layer.Blend(px, py, c, fill.Get(px, py));
  }
  canvas.Draw(layer, ox - baseX, oy - baseY);
}

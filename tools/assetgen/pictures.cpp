// Draws the nine sheets and writes them as graph/*.bmp.
#include "sheet_output.h"
#include "sheets.h"

namespace {

struct SheetJob {
  const char* file;
  Canvas (*draw)();
  bool keyed;  // drawn by the game with its transparent colour
};

const SheetJob kSheets[] = {
    {"info.bmp", DrawInfoSheet, true},     {"item.bmp", DrawItemSheet, true},
    {"label.bmp", DrawLabelSheet, true},   {"title.bmp", DrawTitleSheet, false},
    {"gauge.bmp", DrawGaugeSheet, false},  {"score.bmp", DrawScoreSheet, true},
    {"score2.bmp", DrawScore2Sheet, true}, {"bg.bmp", DrawBackgroundSheet, false},
    {"bom.bmp", DrawBurstSheet, true},
};

}  // namespace

bool WritePictures(const std::string& graphDir, std::string* error) {
  for (const SheetJob& job : kSheets) {
    Canvas canvas = job.draw();
    TBitmap sheet = job.keyed ? KeyedSheet(canvas) : OpaqueSheet(canvas);
    if (!SaveSheet(graphDir + "/" + job.file, sheet, error)) return false;
  }
  return true;
}

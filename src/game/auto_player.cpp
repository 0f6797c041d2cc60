// The automatic player of versus mode (side 2). Each call takes one step of
// planning or movement and answers at most one key of side 2's layout, which
// VersusKey then treats exactly like a person's key. It plans on its own copy
// of the board and draws only from the system generator (LcgRandom).
#include <cstring>

#include "app/main.h"
#include "game/board_rules.h"

namespace {
// Side 2's keys as the automatic player answers them.
constexpr uint16_t kAnswerNone = 0;
constexpr uint16_t kAnswerLeft = 72;    // H
constexpr uint16_t kAnswerRight = 75;   // K
constexpr uint16_t kAnswerUp = 85;      // U
constexpr uint16_t kAnswerDown = 74;    // J
constexpr uint16_t kAnswerPlace = 37;   // left arrow
constexpr uint16_t kAnswerInvert = 39;  // right arrow
constexpr uint16_t kAnswerRise = 38;    // up arrow

// The states of the planning and movement cycle.
enum : int32_t {
  kAiWait = 0,
  kAiBottomRow = 10,
  kAiLowRows = 20,
  kAiInvert = 30,
  kAiBottomRowInverted = 40,
  kAiLowRowsInverted = 50,
  kAiHighRows = 100,
  kAiAnyFit = 200,
  kAiGo = 1000,
  kAiColumns = 1010,
  kAiRows = 1020,
};
}  // namespace

void TMainForm::CopyBoardToAi() {
  std::memcpy(aiBoard, board, sizeof aiBoard);
}

void TMainForm::CopyPieceToAi() {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) aiPiece[i][j][0].filled = pieces[i][j][0].filled;
  }
}

void TMainForm::InvertAiPiece() {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      TMaskCell& m = aiPiece[i][j][0];
      m.filled = m.filled == 1 ? 0 : 1;
    }
  }
}

bool TMainForm::AiFits(int x, int y) const {
  return MaskFits(aiBoard, aiPiece, x, y);
}

void TMainForm::AiPlace(int x, int y) {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      TCell& c = aiBoard[x + i][y + j];
      c.kind += aiPiece[i][j][0].filled;
      if (c.kind == kCellClearing + 1) c.kind = kCellBlock;
    }
  }
}

bool TMainForm::AiHasFullLine() const {
  for (int y = 0; y < kBoardRows; y++) {
    if (RowIsFull(aiBoard, y)) return true;
  }
  return false;
}

bool TMainForm::AiFitsAt(int x, int y) {
  CopyBoardToAi();
  return AiFits(x, y);
}

// The leftmost column at which the plan's piece, placed in row y, completes
// a row; -1 when there is none.
int TMainForm::FindLineColumn(int y) {
  for (int x = 0; x <= 12; x++) {
    CopyBoardToAi();
    if (!AiFits(x, y)) continue;
    AiPlace(x, y);
    if (AiHasFullLine()) return x;
  }
  return -1;
}

uint16_t TMainForm::AutoPlayerStep() {
  // Setting a target: walk there from the next step on.
  auto setTarget = [this](int x, int y) {
    aiTargetX = x;
    aiTargetY = y;
    aiState = kAiGo;
    aiCounter = 0;
  };
  auto invertAnswer = [this]() { return aiInverted == 1 ? kAnswerInvert : kAnswerNone; };
  auto togglePlan = [this]() {
    aiInverted = static_cast<uint8_t>(1 - aiInverted);
    InvertAiPiece();
  };
  // One try at a random row firstRow..firstRow + rows - 1: true when it set a
  // target; after more than `attempts` failures the machine moves on.
  auto tryRows = [&](int firstRow, int rows, int attempts, int32_t nextState) {
    const int y = LcgRandom(rows) + firstRow;
    const int x = FindLineColumn(y);
    if (x >= 0) {
      setTarget(x, y);
      return true;
    }
    aiCounter += 1;
    if (aiCounter > attempts) {
      aiState = nextState;
      aiCounter = 0;
    }
    return false;
  };

  switch (aiState) {
    case kAiWait: {
      // The wait ends with probability aiCounter / 10 per step.
      const int32_t d = LcgRandom(10);
      if (d < aiCounter) {
        aiCounter = 0;
        aiState = kAiBottomRow;
      } else {
        aiCounter += 1;
      }
      return kAnswerNone;
    }
    case kAiBottomRow: {
      CopyPieceToAi();
      aiInverted = 0;
      const int x = FindLineColumn(kWellBottom);
      if (x >= 0) {
        setTarget(x, kWellBottom);
      } else {
        aiState = kAiLowRows;
      }
      return kAnswerNone;
    }
    case kAiLowRows:
      tryRows(17, 5, 10, kAiInvert);
      return kAnswerNone;
    case kAiInvert:
      aiInverted = 1;
      InvertAiPiece();
      aiState = kAiBottomRowInverted;
      return kAnswerNone;
    case kAiBottomRowInverted: {
      const int x = FindLineColumn(kWellBottom);
      if (x >= 0) {
        setTarget(x, kWellBottom);
        return kAnswerInvert;
      }
      aiState = kAiLowRowsInverted;
      return kAnswerNone;
    }
    case kAiLowRowsInverted:
      return tryRows(17, 5, 10, kAiHighRows) ? invertAnswer() : kAnswerNone;
    case kAiHighRows:
      if (tryRows(3, 14, 50, kAiAnyFit)) return invertAnswer();
      if (LcgRandom(200) > 190) togglePlan();  // now and then try the other mask
      return kAnswerNone;
    case kAiAnyFit: {
      const int y = LcgRandom(15) + 3;  // y before x
      const int x = LcgRandom(10) + 3;
      if (AiFitsAt(x, y)) {
        setTarget(x, y);
        return invertAnswer();
      }
      if (LcgRandom(100) > 95) {
        togglePlan();
        return kAnswerNone;
      }
      if (versusFrames % 1000 == 0) {
        aiState = kAiWait;
        aiCounter = 0;
        return kAnswerRise;
      }
      // A rise to tip a close game, now and then.
      if (LcgRandom(100) > 90) {
        const int64_t lead = static_cast<int64_t>(score) - score2;
        if (lead != 0 && lead >= -50 && lead <= 50) {
          aiState = kAiWait;
          aiCounter = 0;
          return kAnswerRise;
        }
      }
      return kAnswerNone;
    }
    case kAiGo:
      aiCounter = 0;
      aiState = kAiColumns;
      return kAnswerNone;
    case kAiColumns: {
      if (cursorX == aiTargetX) {
        aiState = kAiRows;
        aiCounter = 0;
        return kAnswerNone;
      }
      // LcgRandom(1) is always 0, so this never pauses; it still advances
      // the generator.
      const int32_t e = LcgRandom(1);
      if (e > aiCounter) {
        aiCounter += 1;
        return kAnswerNone;
      }
      aiCounter = 0;
      return cursorX > aiTargetX ? kAnswerLeft : kAnswerRight;
    }
    case kAiRows: {
      if (cursorY == aiTargetY) {
        aiCounter = 0;
        aiState = kAiWait;
        return kAnswerPlace;
      }
      const int32_t e = LcgRandom(2);  // a one-step pause half the time
      if (e > aiCounter) {
        aiCounter += 1;
        return kAnswerNone;
      }
      aiCounter = 0;
      return cursorY > aiTargetY ? kAnswerUp : kAnswerDown;
    }
    default:
      return kAnswerNone;
  }
}

// TMainForm: the game object. It owns every game field and fixed array, the
// eleven pictures, and a reference to the host (the window, sound and files,
// see game_host.h). Nothing here includes SDL: the whole game runs headless,
// which is what makes replays, golden pictures and allocation tests possible.
//
// The fields are plain and public on purpose: every subsystem (rules, drawing,
// input, the replay dump) reads and writes them directly, as the game always
// has. The operations are grouped by the source file that implements them.
#pragma once

#include <cstdint>

#include "app/game_host.h"
#include "app/game_state_list.h"
#include "game/mt19937ar.h"
#include "render/bitmap.h"

// Scene codes.
enum : int32_t {
  kSceneTitle = 100,
  kSceneTitleSlide = 110,
  kSceneNewGame = 150,
  kScenePlay = 200,
  // One-shot requests set by the input handlers between frames; the next
  // frame serves them (place or invert the piece) before its play update
  // and returns to kScenePlay.
  kSceneRequestPlace = 210,
  kSceneRequestInvert = 220,
  kSceneGameOver = 300,
};

// Cell kinds.
enum : int32_t {
  kCellEmpty = 0,
  kCellBlock = 1,
  kCellClearing = 5,
  kCellWall = 8,
};

// A clearing cell counts its clearTimer up once per play frame: above
// kClearingVanishingAfter it shows its about-to-vanish look, and above
// kClearingVanishesAfter it vanishes while the blocks above drop one row.
constexpr int32_t kClearingVanishingAfter = 240;
constexpr int32_t kClearingVanishesAfter = 330;

constexpr int kBoardCols = 16;
constexpr int kBoardRows = 26;
constexpr int kWellLeft = 3;     // first column of the well
constexpr int kWellRight = 12;   // last column of the well
constexpr int kWellTop = 3;      // first row of the well
constexpr int kWellBottom = 22;  // last row of the well
constexpr int kEffectCount = 120;
constexpr int kPieceSlots = 3;
constexpr int32_t kScoreCap = 99999999;

// Sound effects 0..8, each on its own sound channel n + 1 (channel 0 carries
// the music stream).
constexpr int kSoundEffectCount = 9;
constexpr int kSilentChannel = 0;  // the channel of a request that sounds nothing
constexpr int SoundChannelOf(int effect) {
  return effect + 1;
}

// One board cell: six signed 32-bit integers.
struct TCell {
  int32_t kind;         // 0 empty, 1 block, 5 clearing, 8 wall
  int32_t spriteCol;    // animation frame: column of the cell sprite sheet
  int32_t spriteRow;    // display code: row of the cell sprite sheet
  int32_t animCounter;  // per-cell animation counter
  int32_t animFrame;    // animation scratch value
  int32_t clearTimer;   // clearing cells: frames since the row was completed
};

// One cell of a 4 x 4 piece mask. Same six-integer layout as a board cell;
// fields 2..6 are the preview overlay and are used in slot 0 only.
struct TMaskCell {
  int32_t filled;          // 0 or 1
  int32_t spriteCol;       // overlay animation frame
  int32_t overlayCode;     // a TOverlayCode, also the row of its tile on itemBmp
  int32_t overlayCounter;  // overlay animation counter
  int32_t overlayFrame;    // overlay animation scratch value
  int32_t spare;           // only ever cleared
};

// Preview overlay codes: 10 + the mask cell's filled (0 or 1) + the kind of
// the board cell under it, except two looks of their own (an empty mask cell
// over a block, and over a clearing cell about to vanish). Each is the row
// of its tile on itemBmp.
enum TOverlayCode : int32_t {
  kOverlayNone = 0,  // outside the board, or no preview computed
  kOverlayBase = 10,
  kOverlayEmptyOnEmpty = 10,
  kOverlayPieceOnEmpty = 11,
  kOverlayPieceOnBlock = 12,  // refused
  kOverlayEmptyOnClearing = 15,
  kOverlayPieceOnClearing = 16,
  kOverlayEmptyOnWall = 18,
  kOverlayPieceOnWall = 19,  // refused
  kOverlayEmptyOnBlock = 21,
  kOverlayEmptyOnVanishing = 27,
};

// One effect particle.
struct TEffect {
  int32_t kind;  // 0 free; 1 or 2 selects the look
  int32_t x;     // pixels on the frame
  int32_t y;
  int32_t age;  // 158 when spawned, +5 per drawn frame, freed above 340
  int32_t dx;   // x step per frame, -2..1
  int32_t t;    // 0 when spawned, +5 per drawn frame (blend level)
};

class TMainForm {
 public:
  explicit TMainForm(TGameHost& host);
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // Zero-fills every game field (as a freshly created game object) without
  // touching the pictures or the host.
  void ZeroFields();

  TGameHost& host;

  // Every game field, declared from the one list (app/game_state_list.h).
#define ZAZO_DECLARE_FIELD(type, name, dumped) type name{};
#define ZAZO_DECLARE_ARRAY(type, name, dims) type name dims = {};
  ZAZO_GAME_SCALARS(ZAZO_DECLARE_FIELD)
  ZAZO_GAME_ARRAYS(ZAZO_DECLARE_ARRAY)
#undef ZAZO_DECLARE_FIELD
#undef ZAZO_DECLARE_ARRAY

  // ---------------------------------------------------------------------
  // Frame loop and scenes (src/app/frame_loop.cpp, src/app/startup.cpp)
  // ---------------------------------------------------------------------
  // Start-up: best score, the Vorbis library, sound, pictures, effects,
  // scene 100, then the loop flags. The real program and the replay both run it.
  void FormCreate();
  void LoadAssets();
  // Shutdown: saves the best score. (Sound and music objects belong to the host
  // and are released by it afterwards, in the order the game has always used.)
  void FormDestroy();

  // One idle call after the caller has slept 1 ms: runs at most one frame when
  // at least 16 ms have passed since lastFrameTick (unsigned comparison), with
  // `now` the millisecond clock. An exception escaping the frame clears
  // loopRunning and frameActive for good and is rethrown to the caller.
  void IdleFrame(uint32_t now);
  // How long after `now` IdleFrame would next run a frame: 0 when one is due,
  // at most 16 (also while the loop has stopped). The caller may sleep that
  // long instead of 1 ms a call: the frames that run are the same.
  uint32_t MsToNextFrame(uint32_t now) const;

  // The ends of a game: scene 300, score signature, best-score save, title music.
  void EndGame();

  // ---------------------------------------------------------------------
  // Pictures (owned here; loaded at start-up)
  // ---------------------------------------------------------------------
  TBitmap screenBmp, labelBmp, titleBmp, gaugeBmp, bgBmp, bgCacheBmp;
  // The sheets drawn with their key colour every frame carry a key mask.
  TKeyedSheet infoBmp, itemBmp, scoreBmp, score2Bmp, bomBmp;

  // ---------------------------------------------------------------------
  // Game state and random numbers (src/game)
  // ---------------------------------------------------------------------

  // The two generators: the game's MT19937 and the system's 32-bit LCG.

  void SeedRandom(uint32_t timeOfDayMs);  // seeds the LCG, then MT19937 from it
  void SeedMt(uint32_t seed);             // MT19937 only (replay's "seed mt")
  void SeedLcg(uint32_t seed);            // LCG only (replay's "seed lcg")
  int32_t RandomBelow(int32_t n);
  int32_t LcgRandom(int32_t n);

  void NewGame();
  void DealPiece(int slot);
  void SpawnEffects(int32_t col, int32_t row, int32_t kind);

  // Play update (src/game/play.cpp)
  void PlayFrame();
  void PlacePiece();
  void InvertPiece();
  void ForceRise();
  bool PieceFits() const;
  void CommitPiece();
  void DetectLines();
  void AgeClearing();
  void CollapseColumn(int x, int y);
  void ShiftSlot(int to, int from);
  void MakeDomino(int slot);
  void UpdatePreview();
  // Forgets where the preview was computed, so the next play update computes
  // it again (and sounds effect 6) even if the cursor has not moved.
  void ResetPreview();
  void ComputeOverlay();
  void AnimateOverlay();
  // Cursor key step: moves by (dx, dy), clamps to 0..12 / 0..22, shows it.
  void StepCursor(int dx, int dy);

  // Scoring, gauge and progression (src/game/scoring.cpp)
  void AwardLines(int32_t lines, int32_t lastRow);
  void AddScore(int32_t n);
  void UpdateBestScore();
  bool AdvanceGauge();
  bool RaiseStack();
  void NextBgmTrack();

  // Automatic player (src/game/auto_player.cpp)
  uint16_t AutoPlayerStep();
  void CopyBoardToAi();
  void CopyPieceToAi();
  void InvertAiPiece();
  bool AiFits(int x, int y) const;
  void AiPlace(int x, int y);
  bool AiHasFullLine() const;
  bool AiFitsAt(int x, int y);
  int FindLineColumn(int y);

  // ---------------------------------------------------------------------
  // Scene drawing (src/render)
  // ---------------------------------------------------------------------
  void DrawTitleScene();
  void DrawTitleSlide();
  void DrawPlayFrame();
  void DrawGameOverFrame();
  void AnimateCells();
  void DrawBoard();
  void DrawPieceSlot(int32_t x, int32_t y, int slot);
  void DrawPreview();
  void DrawGauge();
  void DrawEffects();
  void DrawScorePanel();
  void DrawNumber8(int32_t x, int32_t y, int32_t value);
  void DrawNumber2(int32_t x, int32_t y, int32_t value);
  void DrawSmallNumber(int32_t x, int32_t y, int32_t value, int32_t level);
  void ComposeBackground(int32_t band);

  // ---------------------------------------------------------------------
  // Keyboard and mouse (src/input)
  // ---------------------------------------------------------------------
  enum TMouseButton { kMbLeft, kMbRight, kMbMiddle };
  void FormKeyDown(uint16_t key, bool alt);
  void FormMouseDown(TMouseButton button, int32_t x, int32_t y);
  void FormMouseMove(int32_t x, int32_t y);
  void VersusKey(uint16_t key);
  void RestartGame();
  void ReturnToTitle();

  // ---------------------------------------------------------------------
  // Sound and music requests (src/app/sound_requests.cpp)
  // ---------------------------------------------------------------------
  // Effect request n: effect n on its channel; from level 99 on, request 1
  // (rows completed) sounds as effect 8 on channel 9. Requests outside 0..7
  // sound nothing. The host is told the request and the channel.
  void PlayEffect(int n);
  // The channel that answers request n at the current level.
  int EffectChannelFor(int n) const;
  // Effect 8 played directly on its channel 9 (versus turn changes).
  void PlayEffectChannel9();
  void ResetMusic();
  bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath);

  // ---------------------------------------------------------------------
  // Scores (src/score)
  // ---------------------------------------------------------------------
  void SaveBestScore();
  void MakeScoreSignature();
};

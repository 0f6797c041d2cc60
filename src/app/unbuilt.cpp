// TEMPORARY while the subsystems are being written in parallel: weak empty
// definitions so that everything links. Each real definition (strong) wins.
// This file is deleted once every subsystem has landed.
#include "app/main.h"

#define WEAK __attribute__((weak))

WEAK void TMainForm::SeedRandom(uint32_t) {}
WEAK void TMainForm::SeedMt(uint32_t) {}
WEAK void TMainForm::SeedLcg(uint32_t) {}
WEAK int32_t TMainForm::RandomBelow(int32_t) { return 0; }
WEAK int32_t TMainForm::LcgRandom(int32_t) { return 0; }
WEAK void TMainForm::NewGame() {}
WEAK void TMainForm::DealPiece(int) {}
WEAK void TMainForm::SpawnEffects(int32_t, int32_t, int32_t) {}
WEAK void TMainForm::PlayFrame() {}
WEAK void TMainForm::PlacePiece() {}
WEAK void TMainForm::InvertPiece() {}
WEAK void TMainForm::ForceRise() {}
WEAK bool TMainForm::PieceFits() const { return false; }
WEAK void TMainForm::CommitPiece() {}
WEAK void TMainForm::DetectLines() {}
WEAK void TMainForm::AgeClearing() {}
WEAK void TMainForm::CollapseColumn(int, int) {}
WEAK void TMainForm::ShiftSlot(int, int) {}
WEAK void TMainForm::MakeDomino(int) {}
WEAK void TMainForm::UpdatePreview() {}
WEAK void TMainForm::ComputeOverlay() {}
WEAK void TMainForm::AnimateOverlay() {}
WEAK void TMainForm::StepCursor(int, int) {}
WEAK void TMainForm::AwardLines(int32_t, int32_t) {}
WEAK void TMainForm::AddScore(int32_t) {}
WEAK void TMainForm::UpdateBestScore() {}
WEAK bool TMainForm::AdvanceGauge() { return false; }
WEAK bool TMainForm::RaiseStack() { return false; }
WEAK void TMainForm::NextBgmTrack() {}
WEAK uint16_t TMainForm::AutoPlayerStep() { return 0; }
WEAK void TMainForm::CopyBoardToAi() {}
WEAK void TMainForm::CopyPieceToAi() {}
WEAK void TMainForm::InvertAiPiece() {}
WEAK bool TMainForm::AiFits(int, int) const { return false; }
WEAK void TMainForm::AiPlace(int, int) {}
WEAK bool TMainForm::AiHasFullLine() const { return false; }
WEAK bool TMainForm::AiFitsAt(int, int) { return false; }
WEAK int TMainForm::FindLineColumn(int) { return -1; }
WEAK void TMainForm::DrawTitleScene() {}
WEAK void TMainForm::DrawTitleSlide() {}
WEAK void TMainForm::DrawPlayFrame() {}
WEAK void TMainForm::DrawGameOverFrame() {}
WEAK void TMainForm::AnimateCells() {}
WEAK void TMainForm::DrawBoard() {}
WEAK void TMainForm::DrawPieceSlot(int32_t, int32_t, int) {}
WEAK void TMainForm::DrawPreview() {}
WEAK void TMainForm::DrawGauge() {}
WEAK void TMainForm::DrawEffects() {}
WEAK void TMainForm::DrawScorePanel() {}
WEAK void TMainForm::DrawNumber8(int32_t, int32_t, int32_t) {}
WEAK void TMainForm::DrawNumber2(int32_t, int32_t, int32_t) {}
WEAK void TMainForm::DrawSmallNumber(int32_t, int32_t, int32_t, int32_t) {}
WEAK void TMainForm::ComposeBackground(int32_t) {}
WEAK void TMainForm::FormKeyDown(uint16_t, bool) {}
WEAK void TMainForm::FormMouseDown(TMouseButton, int32_t, int32_t) {}
WEAK void TMainForm::FormMouseMove(int32_t, int32_t) {}
WEAK void TMainForm::VersusKey(uint16_t) {}
WEAK void TMainForm::RestartGame() {}
WEAK void TMainForm::ReturnToTitle() {}
WEAK void TMainForm::SaveBestScore() {}
WEAK void TMainForm::MakeScoreSignature() {}

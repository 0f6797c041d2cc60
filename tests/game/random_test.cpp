// The two generators, the shapes dealt and the effect spawner.
#include <cmath>

#include "game_fixture.h"

namespace {
// RandomBelow's mapping computed in integers: (k * m) / 2^32 rounded to the
// nearest integer, ties to even.
int32_t ReferenceBelow(uint32_t k, int32_t n) {
  const uint64_t m = n > 1 ? static_cast<uint64_t>(n - 1) : 0;
  const uint64_t p = k * m;
  uint64_t q = p >> 32;
  const uint64_t rem = p & 0xffffffffu;
  if (rem > 0x80000000u || (rem == 0x80000000u && (q & 1))) q++;
  return static_cast<int32_t>(q);
}
}  // namespace

using RandomTest = GameTest;

TEST_F(RandomTest, RandomBelowMatchesIntegerRoundingAndConsumesOneOutputPerCall) {
  TMt19937 ref;
  ref.InitGenrand(99);
  form.SeedMt(99);
  const int32_t ns[] = {2, 3, 4, 5, 9, 10, 14, 15, 16, 32, 1, 0, -5};
  for (int round = 0; round < 2000; round++) {
    for (int32_t n : ns) {
      ASSERT_EQ(form.RandomBelow(n), ReferenceBelow(ref.GenrandInt32(), n)) << "n=" << n;
    }
  }
  EXPECT_EQ(form.mtDraws, 2000u * 13u);
}

TEST_F(RandomTest, RandomBelowOfOneOrLessIsZeroAndStillDraws) {
  TMt19937 ref;
  ref.InitGenrand(5);
  form.SeedMt(5);
  EXPECT_EQ(form.RandomBelow(1), 0);
  EXPECT_EQ(form.RandomBelow(0), 0);
  EXPECT_EQ(form.RandomBelow(-5), 0);
  EXPECT_EQ(form.mtDraws, 3u);
  for (int i = 0; i < 3; i++) ref.GenrandInt32();
  // The fourth call sees the fourth output.
  EXPECT_EQ(form.RandomBelow(32), ReferenceBelow(ref.GenrandInt32(), 32));
}

TEST_F(RandomTest, RandomBelowEndValuesAreHalvedInFrequency) {
  form.SeedMt(1);
  int counts[9] = {};
  const int draws = 160000;
  for (int i = 0; i < draws; i++) counts[form.RandomBelow(9)]++;
  EXPECT_NEAR(counts[0] / double(draws), 1.0 / 16, 0.004);
  EXPECT_NEAR(counts[8] / double(draws), 1.0 / 16, 0.004);
  for (int v = 1; v <= 7; v++) EXPECT_NEAR(counts[v] / double(draws), 1.0 / 8, 0.005);
  // RandomBelow(10) > 4 is an even chance.
  int high = 0;
  for (int i = 0; i < draws; i++) high += form.RandomBelow(10) > 4;
  EXPECT_NEAR(high / double(draws), 0.5, 0.006);
}

TEST_F(RandomTest, LcgFollowsItsFormulaAndSeedsTheGameGenerator) {
  form.SeedLcg(1);
  EXPECT_EQ(form.LcgRandom(1000), 31);  // state 134775814
  EXPECT_EQ(form.lcgState, 134775814u);
  EXPECT_EQ(form.LcgRandom(999999), 861047);  // state 3698175007
  EXPECT_EQ(form.LcgRandom(7), 1);            // state 870078620
  EXPECT_EQ(form.lcgDraws, 3u);
  // n <= 0 gives 0 but still steps the generator.
  const uint32_t before = form.lcgState;
  EXPECT_EQ(form.LcgRandom(0), 0);
  EXPECT_EQ(form.LcgRandom(-3), 0);
  EXPECT_EQ(form.lcgState, (before * 134775813u + 1u) * 134775813u + 1u);
  // LcgRandom(1) is always 0.
  for (int i = 0; i < 1000; i++) ASSERT_EQ(form.LcgRandom(1), 0);

  // SeedRandom: LCG from the time of day, MT19937 from its first draw.
  form.SeedRandom(12345678);
  EXPECT_EQ(form.lcgDraws, 1u);
  EXPECT_EQ(form.mtDraws, 0u);
  TMt19937 ref;
  ref.InitGenrand(626130);
  for (int i = 0; i < 10; i++)
    ASSERT_EQ(form.RandomBelow(32), ReferenceBelow(ref.GenrandInt32(), 32));
}

TEST_F(RandomTest, DealPieceShapesAndThePhaseFourRule) {
  StartGame();
  // Outside phase 4 one draw per deal, and every shape has 2..15 cells.
  for (int i = 0; i < 200; i++) {
    const uint64_t before = form.mtDraws;
    form.DealPiece(1);
    ASSERT_EQ(form.mtDraws, before + 1);
    const int n = CountFilled(1);
    ASSERT_TRUE(n == 2 || n == 3 || n == 4 || n == 5 || n == 15) << n;
  }
  // Phase 4: the first draw is discarded, the second picks phaseShape 1 in 4.
  form.phase = 4;
  form.phaseShape = 7;
  int sevens = 0;
  for (int i = 0; i < 4000; i++) {
    const uint64_t before = form.mtDraws;
    form.DealPiece(2);
    ASSERT_EQ(form.mtDraws, before + 2);
    const int n = CountFilled(2);
    if (n == 15) {
      sevens++;
      ASSERT_EQ(form.pieces[0][0][2].filled, 0);
    } else {
      ASSERT_EQ(n, 2);  // the vertical domino
      ASSERT_EQ(form.pieces[0][0][2].filled + form.pieces[0][1][2].filled, 2);
    }
  }
  EXPECT_NEAR(sevens / 4000.0, 0.25, 0.03);
  form.phaseShape = 0;
  for (int i = 0; i < 50; i++) {
    form.DealPiece(0);
    ASSERT_EQ(CountFilled(0), 2);
    ASSERT_EQ(form.pieces[0][1][0].filled, 1);
  }
}

TEST_F(RandomTest, SpawnEffectsFillsUpToThreeFreeRecordsAndRespectsTheToggle) {
  StartGame();
  form.showEffects = false;
  form.SpawnEffects(5, 5, 1);
  EXPECT_EQ(form.mtDraws, 3u);  // only the three deals of NewGame
  EXPECT_EQ(form.effects[0].kind, 0);

  form.showEffects = true;
  for (int k = 0; k < kEffectCount; k++) form.effects[k].kind = 1;
  form.effects[50].kind = 0;
  form.effects[119].kind = 0;
  form.SpawnEffects(4, 6, 2);
  EXPECT_EQ(form.mtDraws, 3u + 6u);  // two records, three draws each
  for (int k : {50, 119}) {
    const TEffect& e = form.effects[k];
    EXPECT_EQ(e.kind, 2);
    EXPECT_GE(e.x, 32 + 64);
    EXPECT_LE(e.x, 32 + 64 + 15);
    EXPECT_GE(e.y, 32 + 96);
    EXPECT_LE(e.y, 32 + 96 + 15);
    EXPECT_EQ(e.age, 158);
    EXPECT_GE(e.dx, -2);
    EXPECT_LE(e.dx, 1);
    EXPECT_EQ(e.t, 0);
  }
}

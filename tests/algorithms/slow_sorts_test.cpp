#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

#include "algorithms/registry.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine_fixture.h"

namespace mv::slow_sorts_test {
namespace {

const std::vector<int> kBogo = {38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53};
const std::vector<int> kBozo = {55, 56, 57, 58};
const std::vector<int> kSlow = {87, 356, 357, 358, 359, 360, 361, 368, 369, 386, 387, 392, 393};

// Runs an entry with an operation budget; false when the budget ran out.
bool run(int index, const std::vector<int32_t>& keys, bool stable = true,
         uint64_t budget = 5'000'000) {
  register_all_algorithms();
  test::prepare_set(keys);
  set_parameter_presets(static_cast<int>(keys.size()));
  settings.stable_comparings_checked = stable;
  set_break_after_ops(budget);
  test::run_procedure(index);
  set_break_after_ops(0);
  return !break_off;
}

std::vector<std::vector<int32_t>> all_arrangements(int n) {
  std::vector<int32_t> keys(n);
  std::iota(keys.begin(), keys.end(), 1);
  std::vector<std::vector<int32_t>> all;
  do {
    all.push_back(keys);
  } while (std::next_permutation(keys.begin(), keys.end()));
  return all;
}

// Steps until a start arrangement is sorted when the given exchanges of positions are applied
// one after another (the hand-derived order of a scheme).
uint64_t steps_until_sorted(std::vector<int32_t> keys,
                            const std::vector<std::pair<int, int>>& exchanges) {
  for (size_t k = 0;; ++k) {
    if (std::is_sorted(keys.begin(), keys.end())) return k;
    if (k == exchanges.size()) return ~0ull;
    std::swap(keys[exchanges[k].first], keys[exchanges[k].second]);
  }
}

// ---- Bogo sorts ------------------------------------------------------------------------------

TEST(BogoSorts, EnumerationOrderOnThreeElements) {
  // Adjacent transpositions (plain changes), Heap's counters, tail reversals of length 2 and 3.
  const std::vector<std::pair<int, std::vector<std::pair<int, int>>>> orders = {
      {38, {{1, 2}, {0, 1}, {1, 2}, {0, 1}, {1, 2}}},
      {40, {{1, 2}, {0, 1}, {1, 2}, {0, 1}, {1, 2}}},
      {42, {{0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 1}}},
      {43, {{0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 1}}},
      {50, {{1, 2}, {0, 2}, {1, 2}, {0, 2}, {1, 2}}},
      {46, {{0, 1}, {1, 2}, {0, 1}, {1, 2}, {0, 1}}},  // mirrored plain changes
  };
  for (const auto& [index, exchanges] : orders) {
    for (const auto& keys : all_arrangements(3)) {
      if (index == 46 && keys == std::vector<int32_t>{1, 2, 3}) continue;  // below
      ASSERT_TRUE(run(index, keys));
      EXPECT_TRUE(test::keys_sorted());
      EXPECT_EQ(main_loop_runnings.get(), steps_until_sorted(keys, exchanges))
          << index << " from " << keys[0] << keys[1] << keys[2];
    }
  }
  // 46 steps before it checks: from 1 2 3 its first round ends on 1 3 2 (five steps), the
  // second round from there meets 1 2 3 at its fifth step.
  ASSERT_TRUE(run(46, {1, 2, 3}));
  EXPECT_EQ(main_loop_runnings.get(), 10u);
}

TEST(BogoSorts, SchemesWithoutRepeatsMeetEveryArrangementOfFourOnce) {
  // Each start arrangement is sorted after a different number of steps: 0 .. 23 (46 steps
  // before its first check: 1 .. 23 from the 23 unsorted ones).
  for (int index : {38, 40, 42, 43, 44, 46, 50, 52}) {
    std::set<uint64_t> steps;
    for (const auto& keys : all_arrangements(4)) {
      if (index == 46 && std::is_sorted(keys.begin(), keys.end())) continue;
      ASSERT_TRUE(run(index, keys)) << index;
      ASSERT_TRUE(test::keys_sorted()) << index;
      ASSERT_TRUE(test::permutation_intact(keys)) << index;
      steps.insert(main_loop_runnings.get());
    }
    const uint64_t first = index == 46 ? 1 : 0;
    EXPECT_EQ(steps.size(), 24u - first) << index;
    EXPECT_EQ(*steps.begin(), first) << index;
    EXPECT_EQ(*steps.rbegin(), 23u) << index;
  }
}

TEST(BogoSorts, EveryMemberSortsEveryArrangementOfFiveAndSetsWithEqualKeys) {
  std::vector<std::vector<int32_t>> sets = all_arrangements(5);
  sets.push_back({2, 1, 2, 1, 2, 1});
  sets.push_back({3, 3, 3});
  sets.push_back({2, 1});
  for (int index : kBogo) {
    for (const auto& keys : sets) {
      ASSERT_TRUE(run(index, keys)) << index;
      ASSERT_TRUE(test::keys_sorted()) << index;
      ASSERT_TRUE(test::permutation_intact(keys)) << index;
    }
  }
}

TEST(BogoSorts, OrderingMembersNeverExchangeEqualKeysOutOfOrder) {
  for (int index : {39, 41, 45, 47}) {
    for (const auto& keys :
         {std::vector<int32_t>{2, 1, 2, 1, 2}, {3, 3, 1, 1, 2, 2}, {2, 3, 2, 1, 2, 1}}) {
      ASSERT_TRUE(run(index, keys, false));
      EXPECT_TRUE(test::keys_sorted());
      EXPECT_TRUE(test::equal_keys_in_start_order()) << index;
    }
  }
}

TEST(BogoSorts, OptionalSwapsStillEnd) {
  for (int index : {38, 39, 40, 41}) {
    for (const auto& keys : {std::vector<int32_t>{5, 4, 3, 2, 1}, {2, 2, 1, 3, 1}}) {
      register_all_algorithms();
      test::prepare_set(keys);
      settings.optional_swaps = true;
      set_break_after_ops(1'000'000);
      test::run_procedure(index);
      set_break_after_ops(0);
      ASSERT_FALSE(break_off) << index;
      EXPECT_TRUE(test::keys_sorted()) << index;
      EXPECT_TRUE(test::permutation_intact(keys)) << index;
    }
  }
}

TEST(BogoSorts, SortedSetCostsOneCheckExceptTheMembersThatStepFirst) {
  std::vector<int> entries = kBogo;
  entries.insert(entries.end(), kBozo.begin(), kBozo.end());
  for (int index : entries) {
    ASSERT_TRUE(run(index, {1, 2, 3, 4}));
    if (index == 46 || index == 47) {
      EXPECT_GT(main_loop_runnings.get(), 0u) << index;
    } else {
      EXPECT_EQ(main_loop_runnings.get(), 0u) << index;
      EXPECT_EQ(comparisons.get(), 3u) << index;
    }
  }
}

TEST(BogoSorts, LargeSetsBreakOffWithoutOverflow) {
  // 25! does not fit 64 bits: the schemes must still step and stop when broken off.
  std::vector<int32_t> keys(25);
  for (int i = 0; i < 25; ++i) keys[i] = 25 - i;
  for (int index : kBogo) {
    // The ordering members may sort it within the budget.
    if (run(index, keys, true, 30'000)) {
      EXPECT_TRUE(test::keys_sorted()) << index;
    }
    EXPECT_GT(main_loop_runnings.get(), 0u) << index;
    EXPECT_TRUE(test::permutation_intact(keys)) << index;
  }
}

// ---- Bozo sorts ------------------------------------------------------------------------------

TEST(BozoSorts, EndFromAFixedSeedAndRepeatTheirCounts) {
  const std::vector<int32_t> keys = {4, 2, 3, 1, 2};
  for (int index : kBozo) {
    random_seed = 12345;
    ASSERT_TRUE(run(index, keys)) << index;
    ASSERT_TRUE(test::keys_sorted()) << index;
    ASSERT_TRUE(test::permutation_intact(keys)) << index;
    const uint64_t loops = main_loop_runnings.get();
    const uint64_t compared = comparisons.get();
    EXPECT_GT(loops, 0u);
    random_seed = 12345;
    ASSERT_TRUE(run(index, keys));
    EXPECT_EQ(main_loop_runnings.get(), loops) << index;
    EXPECT_EQ(comparisons.get(), compared) << index;
  }
}

TEST(BozoSorts, TwoDescendingColumnsNeedOneRound) {
  for (int index : {55, 56}) {
    random_seed = 7;
    ASSERT_TRUE(run(index, {2, 1}));
    EXPECT_TRUE(test::keys_sorted());
    EXPECT_EQ(main_loop_runnings.get(), 1u) << index;
    EXPECT_EQ(swappings.get(), 1u) << index;
  }
}

TEST(BozoSorts, NeighbourMemberKeepsEqualKeysInOrder) {
  random_seed = 99;
  ASSERT_TRUE(run(56, {2, 1, 2, 1, 2, 1, 2}, false));
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_TRUE(test::equal_keys_in_start_order());
}

TEST(BozoSorts, SmallestExchangeDistanceStillSorts) {
  const std::vector<int32_t> keys = {6, 5, 4, 3, 2, 1};
  register_all_algorithms();
  test::prepare_set(keys);
  parameters.maximale_Tauschdistanz = 1;
  random_seed = 3;
  set_break_after_ops(2'000'000);
  test::run_procedure(55);
  set_break_after_ops(0);
  ASSERT_FALSE(break_off);
  EXPECT_TRUE(test::keys_sorted());
}

// ---- Recursive and shifting slow sorts -------------------------------------------------------

TEST(SlowSorts, ComparisonCountsOnTinySets) {
  // Stooge: n = 3 three leaves (392) or the ends first and three leaves (393); n = 4 three
  // three-element ranges. Slow and silly: T(n) = T(ceil n/2) + T(floor n/2) + 1 + T(n - 1).
  // Combined: C(n) = C(ceil n/2) + C(floor n/2) + 2 + C(n - 2).
  const std::vector<std::pair<int, std::vector<uint64_t>>> counts = {
      {392, {1, 3, 9, 27}}, {393, {1, 4, 13, 40}}, {368, {1, 3, 6, 11}},
      {369, {1, 3, 6, 11}}, {358, {1, 3, 6, 11}},  {360, {2, 4, 8, 12}},
  };
  for (const auto& [index, expected] : counts) {
    for (int n = 2; n <= 5; ++n) {
      std::vector<int32_t> keys(n);
      std::iota(keys.begin(), keys.end(), 1);
      ASSERT_TRUE(run(index, keys, false));
      EXPECT_EQ(comparisons.get(), expected[n - 2]) << index << " n = " << n;
    }
  }
}

TEST(SlowSorts, EveryMemberSortsAllSmallArrangementsAndRandomSets) {
  std::vector<std::vector<int32_t>> sets = all_arrangements(3);
  for (const auto& keys : all_arrangements(6)) sets.push_back(keys);
  for (unsigned seed = 1; seed <= 6; ++seed) {
    sets.push_back(test::random_keys(static_cast<int>(5 + seed * 7), 5, seed));
  }
  sets.push_back({1, 1});
  for (int index : kSlow) {
    for (const auto& keys : sets) {
      ASSERT_TRUE(run(index, keys)) << index;
      ASSERT_TRUE(test::keys_sorted()) << index << " n = " << keys.size();
      ASSERT_TRUE(test::permutation_intact(keys)) << index;
    }
  }
}

TEST(SlowSorts, ConditionalStableMembersAreStableWithStableComparings) {
  for (int index : {358, 359, 360, 361, 368, 369, 386, 387, 393, 392}) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
      const auto keys = test::random_keys(20, 4, seed);
      ASSERT_TRUE(run(index, keys, true));
      ASSERT_TRUE(test::keys_sorted());
      EXPECT_TRUE(test::equal_keys_in_start_order()) << index << " seed " << seed;
    }
  }
  // 392 compare-exchanges neighbours only: stable without the box too.
  ASSERT_TRUE(run(392, test::random_keys(20, 3, 9), false));
  EXPECT_TRUE(test::equal_keys_in_start_order());
}

TEST(SlowSorts, SwirlPassesAreMainLoopRunnings) {
  // Sorted: one pass finds no descent top and moves nothing.
  for (int index : {386, 387}) {
    ASSERT_TRUE(run(index, {1, 2, 3, 4}, false));
    EXPECT_EQ(main_loop_runnings.get(), 1u) << index;
    EXPECT_EQ(movings.get(), 0u) << index;
  }
  // Forward on 2 1 3: the top 2 goes to the end (1 3 2), then the top 3 (1 2 3), then a pass
  // finds nothing. Backward: the bottom 1 goes to the front at once.
  ASSERT_TRUE(run(386, {2, 1, 3}, false));
  EXPECT_EQ(main_loop_runnings.get(), 3u);
  // Top copied, staying elements copied, range stored back: (1 + 2 + 3) + (1 + 1 + 2).
  EXPECT_EQ(movings.get(), 10u);
  ASSERT_TRUE(run(387, {2, 1, 3}, false));
  EXPECT_EQ(main_loop_runnings.get(), 2u);
}

TEST(SlowSorts, HealySortWithOtherParameters) {
  const auto keys = test::random_keys(300, 1000, 5);
  for (auto p : {std::vector<int32_t>{200, 60, 18, 6}, {0, 0, 0, 1}, {7, 0, 3, 1}, {50, 1, 2, 3}}) {
    register_all_algorithms();
    test::prepare_set(keys);
    parameters.param1_healy = p[0];
    parameters.param2_healy = p[1];
    parameters.param3_healy = p[2];
    parameters.param4_healy = p[3];
    set_break_after_ops(20'000'000);
    test::run_procedure(87);
    set_break_after_ops(0);
    ASSERT_FALSE(break_off) << p[0];
    EXPECT_TRUE(test::keys_sorted()) << p[0];
    EXPECT_TRUE(test::permutation_intact(keys));
  }
}

// ---- Break-off -------------------------------------------------------------------------------

TEST(SlowSorts, SwirlWriteBackAfterABreakOffIsCounted) {
  // 386 on 2 1 3: the top 2 is copied, then 3 is copied and 2 stored at the end (the third
  // operation); the write-back still copies 1 and stores 3 and 1: 1 3 2 with 6 movings.
  EXPECT_FALSE(run(386, {2, 1, 3}, false, 3));
  EXPECT_EQ(movings.get(), 6u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 3, 2}));
  EXPECT_TRUE(test::permutation_intact({2, 1, 3}));
  // 387 on 2 1 3: the bottom 1 is copied, then 2 is copied and 1 stored at the front (the third
  // operation); 2 is still stored behind it: 1 2 3 with 4 movings.
  EXPECT_FALSE(run(387, {2, 1, 3}, false, 3));
  EXPECT_EQ(movings.get(), 4u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_TRUE(test::permutation_intact({2, 1, 3}));
}

TEST(SlowSorts, BreakOffKeepsThePermutation) {
  std::vector<int> entries = kBogo;
  entries.insert(entries.end(), kBozo.begin(), kBozo.end());
  entries.insert(entries.end(), kSlow.begin(), kSlow.end());
  const auto keys = test::random_keys(40, 9, 17);
  for (int index : entries) {
    for (uint64_t k = 1; k < 400; k += 7) {
      random_seed = static_cast<uint32_t>(k);
      ASSERT_FALSE(run(index, keys, true, k)) << index << " ended before " << k;
      ASSERT_TRUE(test::permutation_intact(keys)) << index << " broken off after " << k;
    }
  }
}

}  // namespace
}  // namespace mv::slow_sorts_test

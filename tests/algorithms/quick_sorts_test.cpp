#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "algorithms/quick_sorts.h"
#include "engine/catalogue.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine_fixture.h"

namespace mv::quick_sorts_test {
namespace {

// Plain <= and >= comparisons: one comparison per compare-exchange, easy to count by hand.
void prepare_plain(const std::vector<int32_t>& keys) {
  test::prepare_set(keys);
  settings.stable_comparings_checked = false;
}

// ---- partition ------------------------------------------------------------------------------

TEST(Partition, ComparesAgainstWhateverStandsAtHi) {
  // 5 4 1 3, pivot 3 at hi. Round 1: 5 < 3 no; 3 > 3 no; compare-exchange (0, 3) swaps: 3 4 1 5,
  // and 5 now stands at hi. Round 2 compares against 5: 4 < 5, 1 < 5, 5 < 5 no (i = 3); 1 > 5 no
  // (j = 2); i > j ends the pass. Finally compare-exchange (2, 3) keeps 1 5. Against the first
  // pivot 3 the pass would have exchanged 4 and 1 instead.
  prepare_plain({5, 4, 1, 3});
  processing_active = true;
  const PartitionResult p = partition(0, 3, true);
  processing_active = false;
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{3, 4, 1, 5}));
  EXPECT_EQ(p.i, 3);
  EXPECT_EQ(p.j, 2);
  EXPECT_EQ(comparisons, 8u);  // 1 + 1 + 1, then 3 + 1, then the final 1
  EXPECT_EQ(swappings, 1u);
}

TEST(Partition, TwoElementsAndSplitProperty) {
  prepare_plain({2, 1});
  processing_active = true;
  PartitionResult p = partition(0, 1, true);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(p.i, 1);
  EXPECT_EQ(p.j, 0);

  for (unsigned seed = 1; seed <= 30; ++seed) {
    const auto keys = test::random_keys(2 + static_cast<int>(seed) * 3, 8, seed);
    test::prepare_set(keys);
    processing_active = true;
    const int hi = static_cast<int>(keys.size()) - 1;
    p = partition(0, hi, true);
    processing_active = false;
    ASSERT_EQ(p.i, p.j + 1);
    ASSERT_GE(p.j, 0);
    ASSERT_LT(p.j, hi);
    int32_t left_max = 0, right_min = 1 << 30;
    for (int k = 0; k <= p.j; ++k) left_max = std::max(left_max, elements[k].key);
    for (int k = p.i; k <= hi; ++k) right_min = std::min(right_min, elements[k].key);
    EXPECT_LE(left_max, right_min) << "seed " << seed;
    EXPECT_TRUE(test::permutation_intact(keys));
  }
}

// ---- quick_sort_ranges ------------------------------------------------------------------------

// Runs quick_sort_ranges on keys during a run and returns the keys afterwards.
std::vector<int32_t> after_quick_sort_ranges(const std::vector<int32_t>& keys, int order,
                                             int depth_limit, int step_limit) {
  test::prepare_set(keys);
  processing_active = true;
  quick_sort_ranges(0, static_cast<int>(keys.size()) - 1, order, true, depth_limit, step_limit);
  processing_active = false;
  return test::keys_of_set();
}

TEST(QuickSortRanges, StepAndDepthLimitsLeaveOtherRangesAsTheyWere) {
  const auto keys = test::random_keys(40, 50, 7);
  const int hi = 39;
  // Reference: the first partition of the whole set, then one partition of the part that each
  // order takes next.
  test::prepare_set(keys);
  processing_active = true;
  const PartitionResult first = partition(0, hi, true);
  const auto after_first = test::keys_of_set();
  ASSERT_GE(first.j, 2);  // both parts need a partition of their own
  ASSERT_LE(first.i, hi - 2);
  ASSERT_NE(first.j + 1, hi - first.i + 1);

  EXPECT_EQ(after_quick_sort_ranges(keys, 0, quick_sort_complete, 1), after_first);
  EXPECT_EQ(after_quick_sort_ranges(keys, 1, 1, quick_sort_complete), after_first);

  const bool left_smaller = first.j + 1 < hi - first.i + 1;
  for (int order : {0, 1, 2}) {
    const bool left_next = order == 0 || (order == 2 && left_smaller);
    test::prepare_set(after_first);
    processing_active = true;
    if (left_next) {
      partition(0, first.j, true);
    } else {
      partition(first.i, hi, true);
    }
    EXPECT_EQ(after_quick_sort_ranges(keys, order, quick_sort_complete, 2), test::keys_of_set())
        << "order " << order;
  }

  // Depth 2: each part of the first partition is partitioned once more, and nothing else.
  test::prepare_set(after_first);
  processing_active = true;
  partition(0, first.j, true);
  partition(first.i, hi, true);
  const auto two_levels = test::keys_of_set();
  for (int order : {0, 1, 2}) {
    EXPECT_EQ(after_quick_sort_ranges(keys, order, 2, quick_sort_complete), two_levels);
  }
  EXPECT_EQ(after_quick_sort_ranges(keys, 0, 0, quick_sort_complete), keys);
}

TEST(QuickSortRanges, CompleteCallsSortWithoutStepLimit) {
  // 65535 random keys need far more than 65535 rounds.
  const auto keys = test::random_keys(65535, 65535, 3);
  for (int order : {0, 1, 2}) {
    test::prepare_set(keys);
    quick_sort_ranges(0, 65534, order, false);  // no run active, as when a set is built
    EXPECT_TRUE(test::keys_sorted()) << "order " << order;
    EXPECT_TRUE(test::permutation_intact(keys));
  }
  // A step limit of 65535 stops such a set before it is sorted.
  test::prepare_set(keys);
  quick_sort_ranges(0, 65534, 2, false, 65535, 65535);
  EXPECT_FALSE(test::keys_sorted());
}

TEST(QuickSortRanges, WorksOutsideARun) {
  // Partial sort of an inner range touches nothing outside it (the whole set: above).
  test::prepare_set({9, 8, 7, 6, 5, 4, 3, 2, 1});
  quick_sort_ranges(2, 6, 2, false);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{9, 8, 3, 4, 5, 6, 7, 2, 1}));
}

TEST(QuickSortRanges, LocallyStabilizesThePartitionedRanges) {
  // Without the box both entries leave equal keys of this set out of start order.
  const auto keys = test::random_keys(60, 5, 21);
  for (int index : {266, 273}) {
    test::prepare_set(keys);
    settings.stable_comparings_checked = false;
    settings.stabilize_locally = true;
    test::run_procedure(index);
    settings.stabilize_locally = false;
    EXPECT_TRUE(test::keys_sorted()) << index;
    for (int k = 1; k < 60; ++k) {
      if (elements[k - 1].key == elements[k].key) {
        EXPECT_LT(elements[k - 1].start_position, elements[k].start_position) << index;
      }
    }
  }
}

TEST(QuickSortByOrder, ExactCountsDerivedByHand) {
  // 4 1 5 2 3, plain comparisons. Partition 0..4 against 3: 4<3 no, 3>3 no, cx(0,4) swaps
  // (3 comparisons, 1 swap) -> 3 1 5 2 4, now against 4: 1<4, 5<4 no, 2>4 no, cx(2,3) swaps
  // (4, 1) -> 3 1 2 5 4; final cx(2,4) (1). Parts 0..2 and 3..4: the pair is compare-exchanged at
  // once (1, 1) -> 3 1 2 4 5. Partition 0..2 against 2: 3<2 no, 2>2 no, cx(0,2) swaps (3, 1) ->
  // 2 1 3, final cx(1,2) (1); parts 0..1 (a pair: 1, 1) and 2..2 (nothing). Total 14
  // comparisons, 5 swappings. Every range is partitioned the same whatever the order, so the
  // three entries count alike.
  for (int index : {266, 267, 268}) {
    prepare_plain({4, 1, 5, 2, 3});
    test::run_procedure(index);
    EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2, 3, 4, 5})) << index;
    EXPECT_EQ(comparisons, 14u) << index;
    EXPECT_EQ(swappings, 5u) << index;
    EXPECT_EQ(movings, 0u) << index;
  }
}

TEST(QuickSortByOrder, StackOptimizedSorts65535Columns) {
  const auto keys = test::random_keys(65535, 1000, 5);
  test::prepare_set(keys);
  test::run_procedure(268);
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_TRUE(test::permutation_intact(keys));
}

TEST(PartitPass, ModesSplitAndCarryMinimumAndMaximum) {
  prepare_plain({9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
  processing_active = true;
  const int m = partit_pass(0, 9, 0, true);
  EXPECT_EQ(m, 4);  // h = 5: pairs (0, 5) .. (4, 9) all exchange
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{4, 3, 2, 1, 0, 9, 8, 7, 6, 5}));
  EXPECT_EQ(partit_pass(0, m, 1, true), 0);
  EXPECT_EQ(elements[0].key, 0);
  EXPECT_EQ(partit_pass(m + 1, 9, 2, true), 0);
  EXPECT_EQ(elements[9].key, 9);
  // A window of one element compares the element with itself and exchanges nothing.
  reset_counters();
  EXPECT_EQ(partit_pass(3, 3, 0, true), 3);
  EXPECT_EQ(comparisons, 1u);
  EXPECT_EQ(swappings, 0u);
  processing_active = false;
}

// ---- Entries with counts derived by hand --------------------------------------------------------

TEST(QuickFamilyCounts, ThreeWayPartitioning) {
  // 3 1 4 1 2, pivot 2: 3 is greater (2 comparisons) -> swap with gt=4: 2 1 4 1 3; 2 equal (2);
  // 1 less (1) -> swap(0,1): 1 2 4 1 3; 4 greater (2) -> swap(2,3): 1 2 1 4 3; 1 less (1) ->
  // swap(1,2): 1 1 2 4 3; i = 3 > gt = 2. Push 3..4, go on with 0..1 (pivot 1): two equal (4).
  // Pop 3..4 (pivot 3): 4 greater (2) -> swap(3,4); 3 equal (2). 16 comparisons, 5 swappings.
  prepare_plain({3, 1, 4, 1, 2});
  test::run_procedure(269);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 1, 2, 3, 4}));
  EXPECT_EQ(comparisons, 16u);
  EXPECT_EQ(swappings, 5u);
  // All keys equal: one pass, two comparisons per element, no swapping.
  prepare_plain(std::vector<int32_t>(9, 4));
  test::run_procedure(269);
  EXPECT_EQ(comparisons, 18u);
  EXPECT_EQ(swappings, 0u);
}

TEST(QuickFamilyCounts, MeanPivotSums) {
  // 6 1 5 2 4 3, sum 21, mean 3. Partition 0..5: 6 stops i, 3 stops j, swap (sums: left 3,
  // right 6) -> 3 1 5 2 4 6; 1 < 3, 5 stops i; 4 > 3, 2 stops j, swap (left 3+1+2 = 6, right
  // 6+4+5 = 15) -> 3 1 2 5 4 6; 5 and 2 stop again: 8 comparisons. Right part 3..5 waits with
  // mean 15 div 3 = 5, left part 0..2 goes on with mean 6 div 3 = 2: 3 stops i, 2 stops j, swap
  // -> 2 1 3; 1 < 2, i reaches hi; 1 > 2 no (4 comparisons); part 0..1 with mean 3 div 2 = 1:
  // 2 stops, 1 stops, swap, 1 > 1 no (3). Part 3..5 (5 4 6, mean 5): 5 stops i; 6 > 5, 4 stops
  // j; swap -> 4 5 6; 5 and 4 stop (5 comparisons), part 4..5 waits with mean (5+6) div 2 = 5:
  // 5 stops i, 6 > 5, 5 stops j (3). 23 comparisons, 5 swappings.
  prepare_plain({6, 1, 5, 2, 4, 3});
  test::run_procedure(270);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(comparisons, 23u);
  EXPECT_EQ(swappings, 5u);
}

TEST(QuickFamilyCounts, DualPivotOnTwoElements) {
  for (int index : {287, 288}) {
    prepare_plain({2, 1});
    test::run_procedure(index);
    EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(comparisons, 1u);  // the compare-exchange of the two pivots, nothing else
    EXPECT_EQ(swappings, 1u);
    prepare_plain({1, 2});
    test::run_procedure(index);
    EXPECT_EQ(comparisons, 1u);
    EXPECT_EQ(swappings, 0u);
  }
}

TEST(QuickFamilyCounts, NQuickSortsTakeParamNQuickPivots) {
  // On a sorted set the sampled pivots are already in order: one moving per pivot read.
  std::vector<int32_t> sorted(100);
  for (int k = 0; k < 100; ++k) sorted[k] = k / 3;
  const int32_t saved = parameters.Param_n_quick;
  for (int index : {293, 294}) {
    for (auto [param, pivots] : {std::pair{0, 10}, std::pair{1, 1}, std::pair{4, 4}}) {
      parameters.Param_n_quick = param;
      test::prepare_set(sorted);
      test::run_procedure(index);
      EXPECT_EQ(movings, static_cast<uint64_t>(pivots)) << index << " param " << param;
      for (unsigned seed : {1u, 2u}) {
        const auto keys = test::random_keys(100, seed == 1 ? 100 : 6, seed);
        test::prepare_set(keys);
        test::run_procedure(index);
        EXPECT_TRUE(test::keys_sorted()) << index << " param " << param;
        EXPECT_TRUE(test::permutation_intact(keys));
      }
    }
  }
  parameters.Param_n_quick = saved;
}

// ---- Every entry
// ----------------------------------------------------------------------------------

const std::vector<int> family = {100, 114, 251, 265, 266, 267, 268, 269, 270, 271,
                                 273, 282, 283, 284, 285, 286, 287, 288, 289, 290,
                                 291, 292, 293, 294, 317, 376, 377, 378, 379, 394};

std::vector<std::vector<int32_t>> sample_sets(int index) {
  const std::vector<int> sizes =
      index == 285 ? std::vector<int>{2, 4, 16, 128} : std::vector<int>{2, 3, 17, 100};
  std::vector<std::vector<int32_t>> sets;
  unsigned seed = 1;
  for (int n : sizes) {
    sets.push_back(test::random_keys(n, 1000, seed++));
    sets.push_back(test::random_keys(n, 4, seed++));  // many duplicates
    std::vector<int32_t> up(n), down(n);
    for (int k = 0; k < n; ++k) {
      up[k] = k + 1;
      down[k] = n - k;
    }
    sets.push_back(up);
    sets.push_back(down);
    sets.push_back(std::vector<int32_t>(n, 7));
  }
  return sets;
}

// Prepares a set with the "stable comparings" box as the control form leaves it for index.
void prepare_for(int index, const std::vector<int32_t>& keys) {
  test::prepare_set(keys);
  random_seed = 12345;  // q sort draws its pivots
  settings.stable_comparings_enabled =
      control_enabled_for(AlgorithmControl::stable_comparings, index);
}

// The catalogue grid runs each entry with the box as the control form leaves it; here it is
// checked whatever the control form says, and the entries still sort.
TEST(QuickFamily, EveryEntrySortsEverySampleSet) {
  for (int index : family) {
    for (const auto& keys : sample_sets(index)) {
      test::prepare_set(keys);
      test::run_procedure(index);
      ASSERT_TRUE(test::keys_sorted()) << index << " box on, n " << keys.size();
      ASSERT_TRUE(test::permutation_intact(keys)) << index;
    }
  }
}

TEST(QuickFamily, BreakOffAfterKOperationsKeepsThePermutation) {
  for (int index : family) {
    const int n = index == 285 ? 32 : 40;
    test::expect_prompt_break_offs(
        index, test::random_keys(n, 12, 99), 400, 2 * n,
        [index](const std::vector<int32_t>& keys) { prepare_for(index, keys); });
  }
}

TEST(QuickFamily, PerfectHalvingOnPowersOfTwo) {
  for (int n = 2; n <= 512; n *= 2) {
    const auto keys = test::random_keys(n, 50, n);
    test::prepare_set(keys);
    test::run_procedure(285);
    EXPECT_TRUE(test::keys_sorted()) << n;
    EXPECT_TRUE(test::permutation_intact(keys));
  }
  // Sets that are not a power of two (the control form normally prevents them) still sort.
  for (int n : {3, 7, 100}) {
    const auto keys = test::random_keys(n, 50, n);
    test::prepare_set(keys);
    test::run_procedure(285);
    EXPECT_TRUE(test::keys_sorted()) << n;
  }
}

TEST(QuickFamily, RecordsWrittenBackAfterABreakOffAreCounted) {
  // rlx sort on 3 1 2: minimum searches of 3, 2 and 1 comparisons, each followed by a read;
  // the break-off on the ninth operation (the last read) still stores the three copies back:
  // 6 comparisons, 6 movings.
  prepare_plain({3, 1, 2});
  set_break_after_ops(9);
  test::run_procedure(317);
  set_break_after_ops(0);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(comparisons.get(), 6u);
  EXPECT_EQ(movings.get(), 6u);
  // Split sort on 2 3 1 around the pivot 1: three comparisons with the pivot (itself included)
  // and three reads; the break-off on the last read still rewrites the range: 1 2 3, 6 movings.
  prepare_plain({2, 3, 1});
  set_break_after_ops(6);
  test::run_procedure(376);
  set_break_after_ops(0);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(comparisons.get(), 3u);
  EXPECT_EQ(movings.get(), 6u);
}

TEST(QuickFamily, SplitSortsAreStableWithPlainComparisons) {
  for (int index : {376, 377, 378, 379}) {
    for (unsigned seed : {5u, 6u, 7u}) {
      const auto keys = test::random_keys(150, 5, seed);
      prepare_plain(keys);
      test::run_procedure(index);
      EXPECT_TRUE(test::keys_sorted()) << index;
      EXPECT_TRUE(test::equal_keys_in_start_order()) << index << " seed " << seed;
    }
  }
}

}  // namespace
}  // namespace mv::quick_sorts_test

#include "algorithms/insertion_sorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "algorithms/registry.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine_fixture.h"

namespace mv::insertion_sorts_test {
namespace {

const std::vector<int> kEntries = {0,   33,  34,  74,  101, 102, 103, 104, 105, 106, 107,
                                   108, 109, 110, 111, 112, 116, 117, 188, 323, 333, 334,
                                   335, 336, 337, 338, 339, 340, 341, 342, 343, 344, 345,
                                   346, 347, 348, 349, 350, 351, 352, 355, 374};
// Insertion by stable steps or merges that never pass an equal key.
const std::vector<int> kStableEntries = {33,  34,  74,  101, 103, 104, 105, 106,
                                         107, 108, 109, 110, 111, 112, 188};

// Runs an entry with a generous operation budget; false when the budget ran out.
bool run(int index, const std::vector<int32_t>& keys, bool stable = true,
         bool optional_swaps = false) {
  register_all_algorithms();
  return test::run_with_budget(index, keys, stable, optional_swaps, 20'000'000);
}

std::vector<std::vector<int32_t>> sample_sets(int index) {
  return test::sample_key_sets(
      index == 355 ? std::vector<int>{2, 4, 32, 128} : std::vector<int>{2, 3, 17, 100}, 1234);
}

// ---- Shared insertion procedures ------------------------------------------------------------

struct Counts {
  std::vector<int32_t> keys;
  uint64_t comparisons, movings, swappings;
};

template <class Call>
Counts counted(const std::vector<int32_t>& keys, Call call) {
  test::prepare_set(keys);
  settings.stable_comparings_checked = false;
  processing_active = true;
  call();
  processing_active = false;
  return {test::keys_of_set(), comparisons.get(), movings.get(), swappings.get()};
}

// 3 1 2 without stable comparings. Forward: 1 is found before 3 in one comparison, 2 in two;
// each is rotated in by a read, one shift and a store, or by one swapping. Backward: 1 stays in
// front of 2 (one comparison); 3 passes both (two comparisons) by a read, two shifts and a store,
// or by two swappings.
TEST(InsertionSorts, CountsOnATinyCase) {
  using Insert = void (*)(bool);
  const struct {
    Insert insert;
    uint64_t comparisons, movings, swappings;
  } cases[] = {
      {[](bool mv) { insert_forward(0, 2, 1, mv); }, 3, 6, 2},
      {[](bool mv) { insert_backward(0, 2, 2, mv); }, 3, 4, 2},
  };
  for (const auto& c : cases) {
    for (bool with_movings : {true, false}) {
      const Counts r = counted({3, 1, 2}, [&] { c.insert(with_movings); });
      EXPECT_EQ(r.keys, (std::vector<int32_t>{1, 2, 3}));
      EXPECT_EQ(r.comparisons, c.comparisons);
      EXPECT_EQ(r.movings, with_movings ? c.movings : 0u);
      EXPECT_EQ(r.swappings, with_movings ? 0u : c.swappings);
    }
  }
}

TEST(InsertionSorts, StartPositionLimitsTheInsertions) {
  // start = hi inserts only the last element into the sorted front; the repeated searches find
  // it in place (log comparisons each) and move nothing more.
  const Counts f = counted({1, 3, 5, 7, 2}, [] { insert_forward(0, 4, 4, true); });
  EXPECT_EQ(f.keys, (std::vector<int32_t>{1, 2, 3, 5, 7}));
  EXPECT_EQ(f.movings, 5u);  // read, three shifts, store
  EXPECT_GT(f.comparisons, 3u);
  // start = lo + 1 moves only the first element into the sorted back.
  const Counts b = counted({6, 1, 3, 5, 7}, [] { insert_backward(0, 4, 1, true); });
  EXPECT_EQ(b.keys, (std::vector<int32_t>{1, 3, 5, 6, 7}));
  EXPECT_EQ(b.movings, 5u);
}

TEST(InsertionSorts, ProceduresSortOnlyTheirRangeAndAgreeOnTheOrder) {
  random_seed = 77;
  for (int n : {2, 3, 8, 31}) {
    std::vector<int32_t> keys(static_cast<size_t>(n) + 4);
    for (auto& k : keys) k = static_cast<int32_t>(Random(5));
    const int lo = 2, hi = n + 1;
    std::vector<int32_t> expected = keys;
    std::stable_sort(expected.begin() + lo, expected.begin() + hi + 1);
    using Proc = void (*)(int, int, bool);
    const Proc procs[] = {
        [](int lo, int hi, bool mv) { insert_forward(lo, hi, lo + 1, mv); },
        [](int lo, int hi, bool mv) { insert_backward(lo, hi, hi, mv); },
        [](int lo, int hi, bool mv) { insert_bidirectional(lo, hi, mv); },
    };
    for (Proc proc : procs) {
      for (bool stable : {false, true}) {
        std::vector<Element> by_movings;
        for (bool with_movings : {true, false}) {
          test::prepare_set(keys);
          settings.stable_comparings_checked = stable;
          processing_active = true;
          proc(lo, hi, with_movings);
          processing_active = false;
          ASSERT_EQ(test::keys_of_set(), expected) << n;
          ASSERT_TRUE(test::equal_keys_in_start_order()) << n;
          if (with_movings) {
            by_movings = elements;
            ASSERT_EQ(swappings.get(), 0u);
          } else {
            ASSERT_EQ(movings.get(), 0u);
            for (int i = 0; i < column_count(); ++i) {
              ASSERT_EQ(elements[i].start_position, by_movings[i].start_position) << n;
            }
          }
        }
      }
    }
  }
}

// ---- Gap sequences --------------------------------------------------------------------------

using Gaps = std::vector<int>;

TEST(ShellSortGaps, SequencesByTheirDefinitions) {
  for (int index = 333; index <= 352; ++index) EXPECT_EQ(shell_sort_gaps(index, 2), Gaps{1});
  EXPECT_EQ(shell_sort_gaps(333, 100), (Gaps{64, 32, 16, 8, 4, 2, 1}));
  EXPECT_EQ(shell_sort_gaps(334, 100), (Gaps{51, 26, 14, 8, 5, 3, 1}));
  EXPECT_EQ(shell_sort_gaps(335, 100), (Gaps{63, 31, 15, 7, 3, 1}));
  EXPECT_EQ(shell_sort_gaps(336, 20), (Gaps{17, 9, 5, 2, 1}));
  EXPECT_EQ(shell_sort_gaps(337, 100), (Gaps{40, 13, 4, 1}));
  EXPECT_EQ(shell_sort_gaps(338, 100), (Gaps{34, 12, 5, 2, 1}));
  EXPECT_EQ(shell_sort_gaps(339, 12), (Gaps{5, 2, 1}));
  EXPECT_EQ(shell_sort_gaps(340, 1000), (Gaps{385, 124, 40, 13, 4, 1}));
  EXPECT_EQ(shell_sort_gaps(341, 1000), (Gaps{404, 149, 56, 21, 8, 4, 2, 1}));
  EXPECT_EQ(shell_sort_gaps(342, 20), (Gaps{18, 16, 12, 9, 8, 6, 4, 3, 2, 1}));
  EXPECT_EQ(shell_sort_gaps(344, 1000), (Gaps{929, 505, 209, 109, 41, 19, 5, 1}));
  EXPECT_EQ(shell_sort_gaps(345, 1000), (Gaps{861, 336, 112, 48, 21, 7, 3, 1}));
  EXPECT_EQ(shell_sort_gaps(346, 1000), (Gaps{979, 467, 211, 83, 19, 1}));
  EXPECT_EQ(shell_sort_gaps(348, 20), (Gaps{19, 2, 1}));
  // Tokuda leaves out the largest term below last.
  EXPECT_EQ(shell_sort_gaps(349, 1000), (Gaps{233, 103, 46, 20, 9, 4, 1}));
  EXPECT_EQ(shell_sort_gaps(349, 5), Gaps{1});
  EXPECT_EQ(shell_sort_gaps(350, 1000), (Gaps{701, 301, 132, 57, 23, 10, 4, 1}));
  // Below 16579 columns the 16-bit and the 64-bit Sedgewick 1982 tables agree; above, 4^k wraps
  // in 343 and the table goes on with 3 * 2^(k-1) + 1.
  EXPECT_EQ(shell_sort_gaps(343, 16000), (Gaps{4193, 1073, 281, 77, 23, 8, 1}));
  EXPECT_EQ(shell_sort_gaps(347, 16000), shell_sort_gaps(343, 16000));
  EXPECT_EQ(shell_sort_gaps(347, 20000), (Gaps{16577, 4193, 1073, 281, 77, 23, 8, 1}));
  EXPECT_EQ(shell_sort_gaps(343, 20000),
            (Gaps{12289, 6145, 3073, 1537, 769, 385, 16577, 4193, 1073, 281, 77, 23, 8, 1}));
}

TEST(ShellSortGaps, LargeSetsKeepTheTablesFinite) {
  const Gaps tokuda = shell_sort_gaps(349, 65535);
  for (int t : {4, 9, 20, 46, 103, 233, 525, 1182, 2660, 5985}) {
    EXPECT_NE(std::find(tokuda.begin(), tokuda.end(), t), tokuda.end()) << t;
  }
  // 2^16 wraps to 0: the table stops instead of taking -45 over and over.
  EXPECT_EQ(shell_sort_gaps(346, 65535).front(), 32723);
  for (int n : {2, 3, 4, 5, 13, 100, 1001, 16579, 32770, 49155, 65535}) {
    for (int index = 333; index <= 352; ++index) {
      const Gaps gaps = shell_sort_gaps(index, n);
      ASSERT_FALSE(gaps.empty()) << index;
      EXPECT_EQ(gaps.back(), 1) << index << ", n = " << n;
      for (size_t k = 0; k < gaps.size(); ++k) {
        EXPECT_GE(gaps[k], 1) << index << ", n = " << n;
        EXPECT_LT(gaps[k], n) << index << ", n = " << n;
        if (index != 343 && k > 0) {
          EXPECT_LT(gaps[k], gaps[k - 1]) << index << ", n = " << n;
        }
      }
    }
  }
}

TEST(ShellSorts, OnePassPerGapAndLocalStabilization) {
  random_seed = 31;
  std::vector<int32_t> keys(200);
  for (auto& k : keys) k = static_cast<int32_t>(Random(6));
  for (int index = 333; index <= 352; ++index) {
    for (bool locally : {false, true}) {
      register_all_algorithms();
      test::prepare_set(keys);
      settings.stabilize_locally = locally;
      test::run_procedure(index);
      EXPECT_EQ(main_loop_runnings.get(), shell_sort_gaps(index, 200).size()) << index;
      EXPECT_TRUE(test::keys_sorted()) << index;
      if (locally) {
        EXPECT_TRUE(test::equal_keys_in_start_order()) << index;
      }
    }
  }
}

// ---- Randomized entries ---------------------------------------------------------------------

// The prompt keeps the number of repetitions at 1 or more.
TEST(RandomizedShellSort, PowersOfTwoWithAnyNumberOfRepetitions) {
  for (int repetitions : {4, 1}) {
    parameters.compareRegionscound = repetitions;
    for (int n : {2, 4, 16, 64, 256}) {
      std::vector<int32_t> keys(static_cast<size_t>(n));
      random_seed = static_cast<uint32_t>(n);
      for (auto& k : keys) k = static_cast<int32_t>(Random(n / 2 + 1));
      ASSERT_TRUE(run(355, keys)) << n;
      EXPECT_TRUE(test::keys_sorted()) << n << ", repetitions " << repetitions;
      EXPECT_TRUE(test::permutation_intact(keys)) << n;
    }
  }
  parameters.compareRegionscound = 4;
}

// Only the region comparisons count (plain comparisons, one each), c per pair of regions. n = 2
// (offset 1): steps 1, 2 and 5 compare (0, 1) once each, 3 * 4 = 12 with c = 4. n = 4, c = 1:
// offset 2 compares regions of 2 in steps 1, 2, 5 (6); offset 1: 3 + 3 + 1 + 2 + 2 + 1 pairs
// (12): 18.
TEST(RandomizedShellSort, ComparisonsOfTheRegionPassesOnly) {
  struct Case {
    std::vector<int32_t> keys;
    int repetitions;
    uint64_t comparisons;
  };
  for (const Case& c :
       {Case{{2, 1}, 4, 12}, Case{{4, 3, 2, 1}, 1, 18}, Case{{1, 2, 3, 4}, 1, 18}}) {
    parameters.compareRegionscound = c.repetitions;
    ASSERT_TRUE(run(355, c.keys, false));
    EXPECT_EQ(comparisons.get(), c.comparisons) << c.keys.size();
    EXPECT_TRUE(test::keys_sorted()) << c.keys.size();
  }
  parameters.compareRegionscound = 4;
}

TEST(RandomizedSorts, AnnealingAndSpinTheBottleEndSorted) {
  std::vector<int32_t> keys(60);
  for (int index : {0, 374}) {
    random_seed = 2024;
    for (auto& k : keys) k = static_cast<int32_t>(Random(20));
    ASSERT_TRUE(run(index, keys)) << index;
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_TRUE(test::permutation_intact(keys)) << index;
  }
  // On a sorted set: no exchange, one sortedness check (annealing after its first round).
  const std::vector<int32_t> sorted = {1, 2, 3, 4, 5, 6, 7, 8};
  const uint64_t n = sorted.size();
  run(374, sorted, false);
  EXPECT_EQ(comparisons.get(), n - 1);
  EXPECT_EQ(swappings.get(), 0u);
  run(0, sorted, false);
  EXPECT_EQ(comparisons.get(), n * (n - 1) + n - 1);
  EXPECT_EQ(swappings.get(), 0u);
}

// Halving the distance down to 0 can leave the set unsorted; the round at distance 1 repeats
// until it is sorted. On four reversed keys a few of many seeds need that extra round.
TEST(RandomizedSorts, AnnealingRepeatsDistanceOneUntilSorted) {
  const std::vector<int32_t> keys = {4, 3, 2, 1};
  const uint64_t round = 4 * 3;  // one comparison per compare-exchange without stable comparings
  int extra_rounds = 0;
  for (uint32_t seed = 1; seed <= 3000; ++seed) {
    register_all_algorithms();
    test::prepare_set(keys);
    settings.stable_comparings_checked = false;
    random_seed = seed;
    test::run_procedure(0);
    ASSERT_TRUE(test::keys_sorted()) << seed;
    if (comparisons.get() > 2 * round + 2 * 3) ++extra_rounds;  // distances 3 and 1, checks
  }
  EXPECT_GT(extra_rounds, 0);
}

// ---- Merge insertion ------------------------------------------------------------------------

// Ford and Johnson's worst cases: 0, 1, 3, 5, 7, 10, 13 comparisons for 1 .. 7 elements. The
// merge of the pairs and the grouped insertion order reach them; inserting from left to right
// (117) needs one more for 5 elements.
TEST(MergeInsertion, WorstCaseComparisonsOnSmallSets) {
  const uint64_t ford_johnson[] = {0, 0, 1, 3, 5, 7, 10, 13};
  for (int n = 2; n <= 7; ++n) {
    std::vector<int32_t> keys(static_cast<size_t>(n));
    std::iota(keys.begin(), keys.end(), 1);
    uint64_t worst116 = 0, worst117 = 0;
    do {
      for (int index : {116, 117}) {
        run(index, keys, false);
        ASSERT_TRUE(test::keys_sorted()) << index;
        ASSERT_TRUE(test::permutation_intact(keys)) << index;
        uint64_t& worst = index == 116 ? worst116 : worst117;
        worst = std::max(worst, comparisons.get());
      }
    } while (std::next_permutation(keys.begin(), keys.end()));
    EXPECT_EQ(worst116, ford_johnson[n]) << n;
    EXPECT_GE(worst117, worst116) << n;
    if (n == 5) {
      EXPECT_EQ(worst117, 8u);
    }
  }
}

// ---- Every entry ----------------------------------------------------------------------------

TEST(InsertionSorts, EveryEntrySortsSampleSets) {
  for (int index : kEntries) {
    const bool stated_stable = std::count(kStableEntries.begin(), kStableEntries.end(), index);
    for (const auto& keys : sample_sets(index)) {
      for (bool stable : {true, false}) {
        for (bool optional_swaps : {false, true}) {
          ASSERT_TRUE(run(index, keys, stable, optional_swaps)) << index << ", n " << keys.size();
          ASSERT_TRUE(test::permutation_intact(keys)) << index;
          ASSERT_TRUE(test::keys_sorted()) << index << ", n = " << keys.size();
          if (stated_stable) {
            ASSERT_TRUE(test::equal_keys_in_start_order()) << index;
          }
        }
      }
    }
  }
}

TEST(InsertionSorts, GnomeSortPairsEndSorted) {
  // Two columns give neither phase a step; 2 3 0 1 is left as 0 2 1 3 by the phases of 105.
  for (int index : {105, 106}) {
    for (const std::vector<int32_t>& keys : {std::vector<int32_t>{2, 1}, {2, 3, 0, 1}}) {
      run(index, keys);
      EXPECT_TRUE(test::keys_sorted()) << index << ", n = " << keys.size();
    }
  }
}

TEST(InsertionSorts, ParametersOutsideTheirRangesStillSort) {
  std::vector<int32_t> keys(50);
  std::iota(keys.rbegin(), keys.rend(), 1);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double exponent : {0.0, -1.0, 1.0, 2.5, nan, 0.1, 0.9}) {
    parameters.exponent = exponent;
    ASSERT_TRUE(run(34, keys)) << exponent;
    EXPECT_TRUE(test::keys_sorted()) << exponent;
  }
  parameters.exponent = 0.5;
  for (double base : {1.0, 0.5, 1.001, 3.0, 100.0, nan}) {
    parameters.log_base = base;
    ASSERT_TRUE(run(74, keys)) << base;
    EXPECT_TRUE(test::keys_sorted()) << base;
    EXPECT_TRUE(test::equal_keys_in_start_order()) << base;
  }
  parameters.log_base = 2.0;
}

// Returns promptly: the started step and the stores back of held elements.
TEST(InsertionSorts, BreakOffKeepsThePermutation) {
  register_all_algorithms();
  for (int index : kEntries) {
    for (const auto& keys : sample_sets(index)) {
      if (keys.size() > 32 || keys.size() < 17) continue;
      test::expect_prompt_break_offs(index, keys, 60, keys.size() + 4, test::prepare_set);
    }
  }
}

}  // namespace
}  // namespace mv::insertion_sorts_test

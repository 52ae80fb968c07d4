#include "algorithms/merge_sorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "algorithms/pile_list.h"
#include "algorithms/registry.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine_fixture.h"

namespace mv::merge_sorts_test {
namespace {

const std::vector<int> kEntries = {118, 119, 121, 122, 145, 165, 166, 167, 168, 169, 170, 184, 187,
                                   189, 190, 191, 193, 194, 217, 239, 240, 241, 242, 243, 244, 245};
const std::vector<int> kUnstable = {119, 191};

using Merge = std::tuple<int, int, int>;
std::vector<Merge> merges;

// Records every merge the driver asks for and makes it, so that natural passes go on.
void recording_merge(int l, int m, int r) {
  merges.emplace_back(l, m, r);
  standard_merge_stable(l, m, r);
}
// Records only; the top-down driver does not look at the data.
void record_only(int l, int m, int r) {
  merges.emplace_back(l, m, r);
}

std::vector<int32_t> ascending(int n) {
  std::vector<int32_t> keys(n);
  for (int i = 0; i < n; ++i) keys[i] = i + 1;
  return keys;
}

std::vector<int32_t> descending(int n) {
  auto keys = ascending(n);
  std::reverse(keys.begin(), keys.end());
  return keys;
}

void prepare(const std::vector<int32_t>& keys) {
  register_all_algorithms();
  test::prepare_set(keys);
  merges.clear();
  processing_active = true;
  stable_comparings = true;
}

void run_entry(int index, const std::vector<int32_t>& keys, bool stable_box = true) {
  prepare(keys);
  settings.stable_comparings_checked = stable_box;
  test::run_procedure(index);
}

// ---- Standard merge -------------------------------------------------------------------------

TEST(StandardMerge, CountsOnAHandDerivedCase) {
  // Runs [1 3] and [2]: 3 copies; 1 < 2 (1 comparison); 3 < 2 no, 3 = 2 no (2); the 3 is taken
  // without a comparison. 3 comparisons, 3 + 3 movings.
  prepare({1, 3, 2});
  standard_merge(0, 1, 2, 1);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(comparisons, 3u);
  EXPECT_EQ(movings, 6u);
}

TEST(StandardMerge, TieFlag) {
  prepare({5, 5});
  standard_merge(0, 0, 1, 1);  // less no, equal yes: the left record first
  EXPECT_EQ(elements[0].start_position, 0);
  EXPECT_EQ(comparisons, 2u);

  prepare({5, 5});
  stable_comparings = false;
  standard_merge(0, 0, 1, 0);  // without stable comparings a tie takes the right record
  EXPECT_EQ(elements[0].start_position, 1);

  prepare({5, 5});
  standard_merge(0, 0, 1, 0);  // with them the smaller start position: less, equal, position
  EXPECT_EQ(elements[0].start_position, 0);
  EXPECT_EQ(comparisons, 3u);
}

// ---- Top-down driver ------------------------------------------------------------------------

TEST(TopDownDriver, MiddleSplitAndProcessingOrder) {
  prepare(ascending(5));
  top_down_merge_sort(0, 4, record_only);
  EXPECT_EQ(merges, (std::vector<Merge>{{0, 0, 1}, {0, 1, 2}, {3, 3, 4}, {0, 2, 4}}));
  merges.clear();
  top_down_merge_sort(0, 4, record_only, MergeSplit::middle, MergeOrder::right_first);
  EXPECT_EQ(merges, (std::vector<Merge>{{3, 3, 4}, {0, 0, 1}, {0, 1, 2}, {0, 2, 4}}));
}

TEST(TopDownDriver, AsymmetricSplitsFollowRatio) {
  const int32_t saved = parameters.ratio;
  prepare(ascending(100));
  parameters.ratio = 4;
  top_down_merge_sort(0, 99, record_only, MergeSplit::left_smaller);
  EXPECT_EQ(merges.back(), Merge(0, 24, 99));  // (3 * 0 + 99) div 4
  for (auto [l, m, r] : merges) EXPECT_EQ(m, (3 * l + r) / 4);
  merges.clear();
  top_down_merge_sort(0, 99, record_only, MergeSplit::left_bigger);
  EXPECT_EQ(merges.back(), Merge(0, 74, 99));  // (3 * 99 + 0) div 4
  merges.clear();
  top_down_merge_sort(0, 99, record_only, MergeSplit::random_side);
  for (auto [l, m, r] : merges) EXPECT_TRUE(m == (3 * l + r) / 4 || m == (3 * r + l) / 4);
  merges.clear();
  parameters.ratio = 1;  // below 2 would never split; taken as 2, the middle
  top_down_merge_sort(0, 99, record_only, MergeSplit::left_smaller);
  EXPECT_EQ(merges.back(), Merge(0, 49, 99));
  parameters.ratio = saved;
}

TEST(TopDownDriver, RandomSplitsStayInsideAndSort) {
  prepare({2, 1});
  random_seed = 5;
  top_down_merge_sort(0, 1, recording_merge, MergeSplit::random_point);
  EXPECT_EQ(merges, (std::vector<Merge>{{0, 0, 1}}));  // a split at r is drawn again
  bool off_middle = false;
  for (unsigned seed = 1; seed <= 5; ++seed) {
    const auto keys = test::random_keys(40, 9, seed);
    prepare(keys);
    random_seed = seed;
    top_down_merge_sort(0, 39, recording_merge, MergeSplit::random_point, MergeOrder::random_first);
    for (auto [l, m, r] : merges) {
      EXPECT_TRUE(l <= m && m < r);
      off_middle |= m != (l + r) / 2;
    }
    EXPECT_TRUE(test::keys_sorted());
    EXPECT_TRUE(test::equal_keys_in_start_order());
  }
  EXPECT_TRUE(off_middle);
}

TEST(TopDownDriver, BreadthFirstAndReorderedEntriesMakeTheMergesOf118) {
  const auto keys = test::random_keys(77, 20, 3);
  run_entry(118, keys);
  const uint64_t c = comparisons, m = movings;
  for (int index : {169, 170, 184}) {
    run_entry(index, keys);
    EXPECT_EQ(comparisons, c) << index;
    EXPECT_EQ(movings, m) << index;
  }
  const auto tree = build_split_tree(0, 9);
  EXPECT_EQ(tree.size(), 32u);  // 0..1 lies at depth 3, its halves at depth 4
  EXPECT_TRUE(tree[1].active);
  EXPECT_EQ(tree[1].m, 4);
  EXPECT_EQ(tree[8].l, 0);
  EXPECT_EQ(tree[8].r, 1);
  EXPECT_FALSE(tree[16].active);
}

// ---- Natural driver -------------------------------------------------------------------------

TEST(NaturalDriver, RunDetection) {
  prepare(ascending(8));
  natural_merge_sort(0, 7, recording_merge);
  EXPECT_TRUE(merges.empty());
  EXPECT_EQ(main_loop_runnings, 1u);
  EXPECT_EQ(comparisons, 7u);

  prepare(descending(8));
  natural_merge_sort(0, 7, recording_merge);
  EXPECT_EQ(merges,
            (std::vector<Merge>{
                {0, 0, 1}, {2, 2, 3}, {4, 4, 5}, {6, 6, 7}, {0, 1, 3}, {4, 5, 7}, {0, 3, 7}}));
  EXPECT_EQ(main_loop_runnings, 4u);

  // Runs [2] [1 4] [3 6] [5 8] [7]: the last run of a pass waits for the next pass.
  prepare({2, 1, 4, 3, 6, 5, 8, 7});
  natural_merge_sort(0, 7, recording_merge);
  EXPECT_EQ(merges, (std::vector<Merge>{{0, 0, 2}, {3, 4, 6}, {0, 2, 6}, {0, 6, 7}}));
  EXPECT_EQ(main_loop_runnings, 4u);
  EXPECT_TRUE(test::keys_sorted());
}

void unstable_merge(int l, int m, int r) {
  standard_merge(l, m, r, 0);
}

TEST(NaturalDriver, EndsWhenOnlyStartPositionsAreOutOfOrder) {
  // The merge puts the second 1 first. With "stable comparings" the sortedness test then never
  // succeeds while the run search without positions sees one run: the driver must still end.
  prepare({1, 0, 1});
  stable_comparings = false;
  natural_merge_sort(0, 2, unstable_merge);
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_FALSE(test::equal_keys_in_start_order());
  EXPECT_EQ(main_loop_runnings, 2u);
}

TEST(NaturalDriver, DescendingRunsAreReversed) {
  run_entry(190, descending(9));  // one reversal; the next pass finds the set sorted
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_EQ(swappings, 4u);
  EXPECT_EQ(movings, 0u);
  EXPECT_EQ(main_loop_runnings, 2u);

  // 190 reverses strictly descending runs only, 191 also equal keys, which makes it unstable.
  const std::vector<int32_t> keys = {3, 3, 2, 2, 1, 1};
  run_entry(190, keys, false);
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_TRUE(test::equal_keys_in_start_order());
  run_entry(191, keys, false);
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_FALSE(test::equal_keys_in_start_order());
}

// ---- Entries ----------------------------------------------------------------------------------

TEST(MergeEntries, SortAndKeepEqualKeysInOrder) {
  const std::vector<std::vector<int32_t>> sets = {{2, 1},
                                                  {1, 1, 1},
                                                  test::random_keys(3, 2, 1),
                                                  test::random_keys(31, 4, 2),
                                                  test::random_keys(100, 7, 3),
                                                  ascending(17),
                                                  descending(33)};
  // The catalogue grid runs with the box checked; stable merges need no stable comparings.
  for (int index : kEntries) {
    for (const auto& keys : sets) {
      run_entry(index, keys, false);
      SCOPED_TRACE(testing::Message() << index << ", n = " << keys.size());
      ASSERT_TRUE(test::permutation_intact(keys));
      EXPECT_TRUE(test::keys_sorted());
      if (std::find(kUnstable.begin(), kUnstable.end(), index) == kUnstable.end()) {
        EXPECT_TRUE(test::equal_keys_in_start_order());
      }
    }
  }
}

TEST(MergeEntries, FourTapeOnPowersOfTwo) {
  // Every level moves all n records between the arrays; an odd number of levels ends in the
  // buffer, and n more movings bring the set back.
  for (int levels = 1; levels <= 8; ++levels) {
    const int n = 1 << levels;
    const auto keys = test::random_keys(n, n / 2 + 1, static_cast<unsigned>(n));
    run_entry(122, keys);
    ASSERT_TRUE(test::permutation_intact(keys)) << n;
    EXPECT_TRUE(test::keys_sorted()) << n;
    EXPECT_TRUE(test::equal_keys_in_start_order()) << n;
    EXPECT_EQ(movings, static_cast<uint64_t>(n) * levels + (levels % 2 ? n : 0)) << n;
  }
  for (int n : {3, 5, 6, 100}) {  // called directly on other counts it still sorts
    const auto keys = test::random_keys(n, 9, static_cast<unsigned>(n));
    run_entry(122, keys);
    ASSERT_TRUE(test::permutation_intact(keys)) << n;
    EXPECT_TRUE(test::keys_sorted()) << n;
  }
}

TEST(MergeEntries, Merge2RunsFollowItsParameter) {
  const int32_t saved = parameters.param_m2s;
  parameters.param_m2s = 1000;  // one binary insertion sort: 9 reads, 45 shifts, 9 stores
  run_entry(187, descending(10));
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_EQ(movings, 63u);
  // Natural runs [1 2 3] and [0 4]: 2 reads and stores, 0 read and rejected, 1 read and store,
  // then one merge through the buffer: 3 copies and 4 takes.
  parameters.param_m2s = 0;
  run_entry(187, {1, 2, 3, 0, 4});
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_EQ(movings, 4u + 1u + 2u + 3u + 4u);
  parameters.param_m2s = saved;
}

TEST(MergeEntries, RunCounterMergesLikeABinaryCounter) {
  prepare(descending(5));
  RunCounter runs(recording_merge);
  for (int i = 0; i < 5; ++i) runs.add_run(i, i);
  EXPECT_EQ(merges, (std::vector<Merge>{{0, 0, 1}, {2, 2, 3}, {0, 1, 3}}));
  runs.merge_all();
  EXPECT_EQ(merges.back(), Merge(0, 3, 4));
  EXPECT_TRUE(test::keys_sorted());
}

TEST(MergeEntries, StackedAndRunTableMergesOnEqualRuns) {
  // Eight runs of one element: 240, 239 and 241 make the merges of 189, only in another order.
  run_entry(189, descending(8));
  const uint64_t m = movings;
  for (int index : {239, 240, 241}) {
    run_entry(index, descending(8));
    EXPECT_EQ(movings, m) << index;
  }
  run_entry(242, ascending(12));  // one run: nothing to merge
  EXPECT_EQ(movings, 0u);
}

TEST(PileList, PilesAreStrictlyDescendingStretches) {
  prepare(ascending(6));
  TPileList up;
  for (int i = 0; i < 6; ++i) up.Add(i);
  EXPECT_EQ(up.PileCount(), 6);
  prepare({5, 4, 4, 1});
  TPileList down;
  for (int i = 0; i < 4; ++i) down.Add(i);
  EXPECT_EQ(down.PileCount(), 2);  // an equal key starts a new pile
  down.Extract(0);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 4, 4, 5}));
  EXPECT_TRUE(test::equal_keys_in_start_order());
}

// ---- Block insertion merge ------------------------------------------------------------------

TEST(BlockInsertionMerge, BothFormsAndBothShorterSides) {
  for (int scratch : {-1, 0}) {
    for (bool left_shorter : {true, false}) {
      // Runs of 3 and 20 elements: blocks of 4 (20 div 3 = 6).
      std::vector<int32_t> shorter = {2, 9, 15}, longer(20);
      for (int i = 0; i < 20; ++i) longer[i] = i;
      std::vector<int32_t> keys = left_shorter ? shorter : longer;
      const auto& right = left_shorter ? longer : shorter;
      keys.insert(keys.end(), right.begin(), right.end());
      prepare(keys);
      settings.optional_swaps = scratch >= 0;  // no exchange with a scratch slot may be refused
      const int mid = left_shorter ? 3 : 20;
      block_insertion_merge(0, mid, 23, scratch < 0 ? -1 : column_count());
      SCOPED_TRACE(testing::Message() << "scratch " << scratch << ", left " << left_shorter);
      ASSERT_TRUE(test::permutation_intact(keys));
      EXPECT_TRUE(test::keys_sorted());
      EXPECT_TRUE(test::equal_keys_in_start_order());
    }
  }
}

// ---- Break-off --------------------------------------------------------------------------------

TEST(MergeBreakOff, EveryEntryKeepsEveryElement) {
  const auto keys = test::random_keys(23, 5, 9);
  for (int index : kEntries) {
    run_entry(index, keys);
    const uint64_t total = comparisons + movings + swappings;
    for (uint64_t k = 1; k < total; k += 1 + total / 60) {
      prepare(keys);
      settings.correct_movings = true;
      set_break_after_ops(k);
      test::run_procedure(index);
      set_break_after_ops(0);
      ASSERT_TRUE(test::permutation_intact(keys)) << index << " broken off after " << k;
    }
  }
}

// Every record the merges put back after a break-off is a counted store (a counted swapping in
// the block insertion merge); "stable comparings" is off, so each stable test is one comparison.
TEST(MergeBreakOff, RecordsPutBackAreCounted) {
  auto start = [](const std::vector<int32_t>& keys, uint64_t budget) {
    prepare(keys);
    settings.stable_comparings_checked = false;
    set_break_after_ops(budget);
  };
  // Standard merge of 1 4 6 | 2 3 5: 6 copies, 1 < 2, store 1, 4 < 2 and 4 = 2 fail (the tenth
  // operation); 2 is stored, then 4 6 and 3 5 go back by four stores: 12 movings.
  start({1, 4, 6, 2, 3, 5}, 10);
  standard_merge(0, 2, 5, 1);
  EXPECT_EQ(comparisons.get(), 3u);
  EXPECT_EQ(movings.get(), 12u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2, 4, 6, 3, 5}));
  // Scratch merge of 1 3 5 | 2 from the back: copy 2, 5 <= 2 fails, 5 moves right (the third
  // operation); the buffered 2 is still stored into the gap: 1 3 2 5, 3 movings.
  start({1, 3, 5, 2}, 3);
  scratch_merge(0, 2, 3);
  EXPECT_EQ(comparisons.get(), 1u);
  EXPECT_EQ(movings.get(), 3u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 3, 2, 5}));
  // Buffered merge of 3 | 1 2: 3 <= 1 fails, copy 3, 3 <= 1 fails again, 1 moves left (the fourth
  // operation); the buffered 3 is stored behind it: 1 3 2, 3 movings.
  start({3, 1, 2}, 4);
  buffered_merge(0, 0, 2);
  EXPECT_EQ(comparisons.get(), 2u);
  EXPECT_EQ(movings.get(), 3u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 3, 2}));
  // Block insertion merge of 3 | 1 2 (block length 2): 3 goes to the scratch slot, 2 < 3, 1 is
  // exchanged into the gap (the third operation); the waiting 3 is exchanged back into the gap.
  start({3, 1, 2}, 3);
  block_insertion_merge(0, 1, 3, 3);
  EXPECT_EQ(comparisons.get(), 1u);
  EXPECT_EQ(swappings.get(), 3u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 3, 2}));
  // 119 on 2 1 4 3: the pair unshuffle exchanges both pairs (2 comparisons, 2 swappings),
  // copies 2 and 4 and moves 3 to position 1 (the seventh operation); 2 and 4 are still stored.
  start({2, 1, 4, 3}, 7);
  test::run_procedure(119);
  EXPECT_EQ(comparisons.get(), 2u);
  EXPECT_EQ(swappings.get(), 2u);
  EXPECT_EQ(movings.get(), 5u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 3, 2, 4}));
  EXPECT_TRUE(test::permutation_intact({2, 1, 4, 3}));
  set_break_after_ops(0);
}

}  // namespace
}  // namespace mv::merge_sorts_test

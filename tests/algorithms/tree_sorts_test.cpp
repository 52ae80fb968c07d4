#include "algorithms/tree_sorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "algorithms/registry.h"
#include "engine_fixture.h"

namespace mv::tree_sorts_test {
namespace {

const std::vector<int> kEntries = {1, 2, 3, 4, 8, 75, 76, 254, 255, 256, 316, 367, 375, 383};

std::vector<int32_t> ascending(int n) {
  std::vector<int32_t> keys(n);
  std::iota(keys.begin(), keys.end(), 1);
  return keys;
}

// The same set and the same random draws (skip list levels) every time.
void prepare(const std::vector<int32_t>& keys) {
  register_all_algorithms();
  test::prepare_set(keys);
  random_seed = 4711;
}

void run_entry(int index, const std::vector<int32_t>& keys, bool stable_box = true) {
  prepare(keys);
  settings.stable_comparings_checked = stable_box;
  test::run_procedure(index);
}

std::vector<int> start_positions() {
  std::vector<int> order;
  for (int i = 0; i < column_count(); ++i) order.push_back(elements[i].start_position);
  return order;
}

// The only order a stable sort can leave: by key, equal keys by start position.
std::vector<int> stable_order(const std::vector<int32_t>& keys) {
  std::vector<int> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
  return order;
}

TEST(TreeSorts, AvlTreeStaysBalanced) {
  const int n = 1023;
  auto sorted = ascending(n);
  auto reversed = sorted;
  std::reverse(reversed.begin(), reversed.end());
  const auto random = test::random_keys(n, 50, 7);
  for (const auto& keys : {sorted, reversed, random}) {
    test::prepare_set(keys);
    TAVLTree tree(n);
    for (int i = 0; i < n; ++i) tree.Insert(i);
    const int height = tree.CheckedHeight();
    EXPECT_GE(height, 10);                                    // at least a full tree
    EXPECT_LE(height, 1.4405 * std::log2(n + 2.0) - 0.3277);  // the AVL bound
    EXPECT_EQ(tree.InOrder(), stable_order(keys));
  }
  // Sorted keys fill a tree of 2^k - 1 nodes completely.
  test::prepare_set(sorted);
  TAVLTree tree(n);
  for (int i = 0; i < n; ++i) tree.Insert(i);
  EXPECT_EQ(tree.CheckedHeight(), 10);
}

TEST(TreeSorts, TwoThreeAndRedBlackTreesKeepTheirShape) {
  const int n = 500;
  auto sorted = ascending(n);
  auto reversed = sorted;
  std::reverse(reversed.begin(), reversed.end());
  const std::vector<int32_t> equal(n, 3);
  for (const auto& keys : {sorted, reversed, equal, test::random_keys(n, 20, 3)}) {
    test::prepare_set(keys);
    TBTree b(n);
    for (int i = n - 1; i >= 0; --i) b.Insert(i);
    const int depth = b.CheckedDepth();
    EXPECT_GE(depth, static_cast<int>(std::ceil(std::log(n + 1.0) / std::log(3.0))));
    EXPECT_LE(depth, static_cast<int>(std::log2(n + 1.0)));
    EXPECT_EQ(b.InOrder(), stable_order(keys));

    TRBTree rb(n);
    for (int i = 0; i < n; ++i) rb.Insert(i);
    const int black_height = rb.CheckedBlackHeight();
    EXPECT_GE(black_height, 1);
    EXPECT_LE(black_height, static_cast<int>(std::log2(n + 1.0)) + 1);
  }
}

// Every stable entry leaves the one stable order, however it gets there: the in-place and the
// out-of-place variants of a tree make the same comparisons and end alike.
TEST(TreeSorts, StableEntriesAgreeOnTheOrder) {
  for (int n : {2, 3, 17, 100}) {
    for (int distinct : {1, 4, 1000}) {
      const auto keys = test::random_keys(n, distinct, static_cast<unsigned>(n + distinct));
      const auto expected = stable_order(keys);
      uint64_t same_tree[77] = {};  // comparisons of the variants of one structure
      for (int index : kEntries) {
        run_entry(index, keys);
        SCOPED_TRACE(std::to_string(index) + " n=" + std::to_string(n));
        EXPECT_EQ(start_positions(), expected);
        if (index <= 4 || index == 75 || index == 76) same_tree[index] = comparisons;
        if (index == 1 || index == 3) {
          EXPECT_EQ(movings, 0u);
        }
        if (index == 2 || index == 4) {
          EXPECT_EQ(swappings, 0u);
        }
      }
      EXPECT_EQ(same_tree[1], same_tree[2]);
      EXPECT_EQ(same_tree[3], same_tree[4]);
      EXPECT_EQ(same_tree[75], same_tree[76]);
    }
  }
}

TEST(TreeSorts, FibonacciSortsWithoutStableComparingsStillSort) {
  const auto keys = test::random_keys(200, 9, 5);
  for (int index : {75, 76}) {
    run_entry(index, keys, false);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_TRUE(test::permutation_intact(keys)) << index;
  }
}

// Keys beyond 16 bits still order by key, then start position.
TEST(TreeSorts, CompositeKeysOrderWideKeys) {
  const std::vector<int32_t> keys = {70000, -5, 32768, 100000, 70000, -70000, 32767, -5, 65536, 0};
  for (int index : {316, 375}) {
    run_entry(index, keys);
    EXPECT_EQ(start_positions(), stable_order(keys)) << index;
  }
}

// Sorted input makes the splay tree one path of 65535 nodes; the walks and the removals are
// iterative. The balanced trees get the same set through a whole run.
TEST(TreeSorts, SortedSetOfMaximumSize) {
  const auto keys = ascending(65535);
  test::prepare_set(keys);
  TSPLAYTree chain(65535);
  for (int i = 0; i < 65535; ++i) chain.Insert(i);
  EXPECT_EQ(chain.Depth(), 65535);
  for (int i = 0; i < 65535; ++i) ASSERT_EQ(chain.RemoveMinimum().start_position, i);
  EXPECT_TRUE(chain.Empty());

  for (int index : {375, 316, 1, 3, 76}) {
    run_entry(index, keys);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_EQ(start_positions(), stable_order(keys)) << index;
  }
}

// A break-off during the reading back still stores every record held, each by a counted moving;
// "stable comparings" is off, so each stable test is one comparison.
TEST(TreeSorts, RecordsReadBackAfterABreakOffAreCounted) {
  struct Case {
    int index;
    std::vector<int32_t> keys;
    uint64_t budget, comparisons, movings;
    std::vector<int32_t> result;
  };
  const Case cases[] = {
      // 8 on 3 1 2: 3 copies and 1 < 3, 2 < 3, 2 < 1 (6 operations); storing 1 is the seventh,
      // 2 and 3 are still stored: 6 movings.
      {8, {3, 1, 2}, 7, 3, 6, {1, 2, 3}},
      // 75 on 3 1 2: 3 copies with 1 < 3 and 2 < 1; storing 1 is the sixth operation. The
      // extraction still links 2 over 3 (2 <= 3); then 2 and 3 go back by two stores: 6 movings.
      {75, {3, 1, 2}, 6, 3, 6, {1, 2, 3}},
      // 256 on 2 1 3: 3 copies onto the piles 2 1 | 3 with 2 <= 1 and 1 <= 3; the first
      // extraction compares 3 <= 1 and 3 != 1 and stores 1 (the eighth operation); 2 and 3 go back.
      {256, {2, 1, 3}, 8, 4, 6, {1, 2, 3}},
      // 316 on 2 1: 2 copies, 1 against the root, the smallest and largest tests; the reading back
      // copies and stores 1 (the seventh operation) and still copies and stores 2: 6 movings.
      {316, {2, 1}, 7, 3, 6, {1, 2}},
  };
  for (const Case& c : cases) {
    prepare(c.keys);
    settings.stable_comparings_checked = false;
    set_break_after_ops(c.budget);
    test::run_procedure(c.index);
    set_break_after_ops(0);
    EXPECT_TRUE(break_off) << c.index;
    EXPECT_EQ(comparisons.get(), c.comparisons) << c.index;
    EXPECT_EQ(movings.get(), c.movings) << c.index;
    EXPECT_EQ(test::keys_of_set(), c.result) << c.index;
    EXPECT_TRUE(test::permutation_intact(c.keys)) << c.index;
  }
}

TEST(TreeSorts, StrandSortTakesOneStretchPerRound) {
  // Sorted prefix 1 3 5, then the stretches 2 4 6 and 0 7: two merges through the buffers.
  const std::vector<int32_t> keys = {1, 3, 5, 2, 4, 6, 0, 7};
  run_entry(383, keys);
  EXPECT_EQ(start_positions(), stable_order(keys));
  // Round 1: 3 stretch copies, 3 sorted copies, 6 stores; round 2: 2 + 6 + 8.
  EXPECT_EQ(movings, 28u);
}

}  // namespace
}  // namespace mv::tree_sorts_test

// Stable quick sorts and block hybrids: stability on many equal keys, parameters at their edges,
// the shared grail merges and split sort, block swapping methods and break-off.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "algorithms/merge_in_place_sorts.h"
#include "algorithms/registry.h"
#include "algorithms/stable_quick_sorts.h"
#include "engine/catalogue.h"
#include "engine/parameters.h"
#include "engine_fixture.h"

namespace mv::stable_quick_sorts_test {
namespace {

const std::vector<int> family = {35,  36,  37,  84,  85,  86,  115, 260, 261, 262, 263, 264, 274,
                                 275, 276, 277, 278, 279, 280, 281, 381, 382, 388, 389, 390};

bool stated_stable(int index) {
  return catalogue_entry(index).stability == Stability::stable;
}

// Runs the entry on keys and checks sorted order, the permutation and, for the stable entries,
// equal keys in start order.
void expect_sorts(int index, const std::vector<int32_t>& keys, bool stable_box,
                  const std::string& what) {
  SCOPED_TRACE(std::to_string(index) + " " + what + " n=" + std::to_string(keys.size()) +
               (stable_box ? " stable box" : ""));
  ASSERT_TRUE(is_implemented(index));
  ASSERT_TRUE(test::run_with_budget(index, keys, stable_box, false, 200000000));
  EXPECT_TRUE(test::permutation_intact(keys));
  EXPECT_TRUE(test::keys_sorted());
  if (stated_stable(index)) {
    EXPECT_TRUE(test::equal_keys_in_start_order());
  }
  if (keys.size() > 1) {
    EXPECT_GT(comparisons.get(), 0u);
  }
}

class StableQuick : public ::testing::Test {
 protected:
  void SetUp() override {
    register_all_algorithms();
    parameters = Parameters{};
  }
  void TearDown() override { parameters = Parameters{}; }
};

TEST_F(StableQuick, SampleSetsAndManyEqualKeysBothComparingModes) {
  auto sets = test::sample_key_sets({301}, 7);    // the smaller sizes: the catalogue grid
  sets.push_back(std::vector<int32_t>(64, 5));    // all keys equal
  sets.push_back(test::random_keys(500, 3, 11));  // three keys only
  sets.push_back(test::random_keys(400, 2, 12));  // two keys only
  for (int index : family) {
    for (bool stable_box : {false, true}) {
      for (const auto& keys : sets) expect_sorts(index, keys, stable_box, "sample");
    }
  }
}

TEST_F(StableQuick, ParametersAtTheirEdges) {
  const auto keys = test::random_keys(203, 20, 3);
  const int n = static_cast<int>(keys.size());
  for (int block : {1, 2, n / 2, n}) {
    parameters.BlockSize = block;
    for (int index : {35, 36, 37}) expect_sorts(index, keys, false, "BlockSize");
  }
  for (int size : {0, 1, 2, n / 2, n}) {
    parameters.pivotbuffersize = std::max(1, size);
    parameters.smallsegmentsizecb = size;
    parameters.smallsegmentsizetb = size;
    for (int index : {274, 275, 276}) expect_sorts(index, keys, false, "segment/buffer size");
  }
  for (int run : {0, 1, 2, 7, n, 2 * n}) {
    parameters.minrun1 = run;
    parameters.minrun2 = run;
    for (int index : {389, 390}) expect_sorts(index, keys, false, "minrun");
  }
  for (double factor : {1.0001, 1.5, 2.0, 1000.0}) {
    parameters.Param_pe_sort = factor;
    parameters.Param_sps_and_sp_sort = factor;
    for (int index : {260, 388}) expect_sorts(index, keys, false, "growth factor");
  }
}

TEST_F(StableQuick, LargerSetsStayWithinBudget) {
  const auto keys = test::random_keys(4000, 1000, 21);
  std::vector<int32_t> sorted(3000);
  for (int i = 0; i < 3000; ++i) sorted[i] = i / 3;
  // Long ascending runs sharing their keys: the Tim sort merges gallop over them.
  std::vector<int32_t> runs(3500);
  for (int i = 0; i < 3500; ++i) runs[i] = (i % 700) / 2 + (i / 700) * 40;
  for (int index : family) {
    expect_sorts(index, keys, false, "random");
    expect_sorts(index, sorted, false, "sorted");
    expect_sorts(index, runs, false, "runs");
  }
}

TEST_F(StableQuick, SameResultWhateverBlockSwappingMethod) {
  const auto keys = test::random_keys(120, 9, 5);
  for (int index : {275, 277, 279, 280, 381}) {
    std::vector<Element> first;
    for (int method = 0; method < 26; ++method) {
      test::prepare_set(keys);
      settings.block_swap_method = method;
      test::run_procedure(index);
      std::vector<Element> now(elements.begin(), elements.begin() + 120);
      if (method == 0) {
        first = now;
        continue;
      }
      for (int i = 0; i < 120; ++i) {
        ASSERT_EQ(now[i].start_position, first[i].start_position) << index << " method " << method;
      }
    }
  }
}

// Two sorted runs of the given lengths with few distinct keys.
std::vector<int32_t> two_runs(int len1, int len2, unsigned seed) {
  auto left = test::random_keys(len1, 6, seed);
  auto right = test::random_keys(len2, 6, seed + 100);
  std::sort(left.begin(), left.end());
  std::sort(right.begin(), right.end());
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

TEST_F(StableQuick, GrailMergesAreStable) {
  const std::vector<std::pair<int, int>> lengths = {{0, 5},  {5, 0},  {1, 1},   {1, 30}, {30, 1},
                                                    {7, 40}, {40, 7}, {25, 25}, {64, 63}};
  unsigned seed = 1;
  for (auto [len1, len2] : lengths) {
    for (bool recursive : {false, true}) {
      const auto keys = two_runs(len1, len2, seed++);
      if (keys.empty()) continue;
      test::prepare_set(keys);
      if (recursive) {
        grail_merge_recursive(0, len1, len2);
      } else {
        grail_merge_iterative(0, len1, len2);
      }
      SCOPED_TRACE(std::to_string(len1) + "+" + std::to_string(len2) +
                   (recursive ? " recursive" : " iterative"));
      EXPECT_TRUE(test::permutation_intact(keys));
      EXPECT_TRUE(test::keys_sorted());
      EXPECT_TRUE(test::equal_keys_in_start_order());
    }
  }
}

TEST_F(StableQuick, SplitSortInPlaceOnEqualKeysAndSubranges) {
  // All keys equal: every element comes before the pivot, nothing is reordered.
  const std::vector<int32_t> equal(40, 3);
  test::prepare_set(equal);
  split_sort_in_place(0, 39, false);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(elements[i].start_position, i);
  EXPECT_EQ(swappings.get(), 0u);
  // The stack-optimised mode sorts only its range, stably.
  const auto keys = test::random_keys(60, 5, 4);
  for (bool smaller_first : {false, true}) {
    test::prepare_set(keys);
    split_sort_in_place(10, 49, smaller_first);
    for (int i = 0; i < 60; ++i) {
      if (i < 10 || i > 49) {
        EXPECT_EQ(elements[i].start_position, i);
      } else if (i > 10) {
        EXPECT_LE(elements[i - 1].key, elements[i].key);
        if (elements[i - 1].key == elements[i].key) {
          EXPECT_LT(elements[i - 1].start_position, elements[i].start_position);
        }
      }
    }
  }
}

TEST_F(StableQuick, BlockQuickSortExchangeModes) {
  const auto keys = test::random_keys(300, 1000, 8);
  parameters.BlockSize = 16;
  uint64_t comparisons_by_index[3] = {};
  for (int index : {35, 36, 37}) {
    test::prepare_set(keys);
    test::run_procedure(index);
    ASSERT_TRUE(test::keys_sorted());
    comparisons_by_index[index - 35] = comparisons.get();
    if (index == 36) {
      EXPECT_GT(movings.get(), 0u);  // the misplaced elements travel in cycles of movings
    } else {
      EXPECT_EQ(movings.get(), 0u);  // swappings only
    }
  }
  // The finishing pass replaces the halved blocks.
  EXPECT_NE(comparisons_by_index[0], comparisons_by_index[2]);
}

}  // namespace
}  // namespace mv::stable_quick_sorts_test

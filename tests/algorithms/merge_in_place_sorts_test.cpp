#include "algorithms/merge_in_place_sorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "algorithms/block_swapping.h"
#include "algorithms/registry.h"
#include "engine/parameters.h"
#include "engine/settings.h"
#include "engine_fixture.h"

namespace mv::merge_in_place_sorts_test {
namespace {

using Merge = std::function<void(int, int, int)>;

struct NamedMerge {
  const char* name;
  Merge merge;
  bool stable;
};

std::vector<NamedMerge> merges() {
  return {
      {"swap", swap_merge, true},
      {"swap widened", swap_merge_widened, true},
      {"middle cut", middle_cut_merge, true},
      {"symmetric", symmetric_merge, true},
      {"displacement", displacement_merge, false},
      {"compare-exchange sweep", compare_exchange_sweep_merge, false},
      {"weave", weave_merge, false},
      {"shift", shift_merge, true},
      {"co-rank", co_rank_merge, true},
      {"cut", cut_merge, true},
      {"held insertion", held_insertion_merge, false},
      {"sinking", sinking_merge, false},
      {"trimmed swap", trimmed_swap_merge, true},
      {"block swap", block_swap_merge, true},
      {"binary rotation", binary_rotation_merge, true},
      {"right middle cut", right_middle_cut_merge, true},
      {"small frame co-rank", small_frame_co_rank_merge, true},
      {"small case", small_case_merge, true},
      {"head exchange", head_exchange_merge, false},
      {"duel", duel_merge, true},
      {"grail iterative", [](int l, int m, int r) { grail_merge_iterative(l, m - l + 1, r - m); },
       true},
      {"grail recursive", [](int l, int m, int r) { grail_merge_recursive(l, m - l + 1, r - m); },
       true},
      {"block, stable",
       [](int l, int m, int r) {
         block_merge(l, m, r, {3, true, false, cut_merge});
       },
       true},
      {"block, unstable duplex",
       [](int l, int m, int r) {
         block_merge(l, m, r, {2, false, true, sinking_merge});
       },
       false},
      {"block, stable duplex",
       [](int l, int m, int r) {
         block_merge(l, m, r, {1, true, true, shift_merge});
       },
       true},
      {"balanced cut", [](int l, int m, int r) { balanced_merge(l, m, r, cut_merge); }, true},
      {"balanced sinking", [](int l, int m, int r) { balanced_merge(l, m, r, sinking_merge); },
       false},
      {"rotation forward", [](int l, int m, int r) { rotation_merge(l, m, r, 0); }, true},
      {"rotation backward", [](int l, int m, int r) { rotation_merge(l, m, r, 1); }, true},
      {"rotation shorter side", [](int l, int m, int r) { rotation_merge(l, m, r, 2); }, true},
      {"rotation alternating", [](int l, int m, int r) { rotation_merge(l, m, r, 3); }, true},
  };
}

// Two sorted runs of len1 and len2 keys out of `values` values, with one guard column on each
// side; the guards must stay where they are.
std::vector<int32_t> two_runs(int len1, int len2, int values, unsigned seed) {
  auto left = test::random_keys(len1, values, seed);
  auto right = test::random_keys(len2, values, seed + 7);
  std::sort(left.begin(), left.end());
  std::sort(right.begin(), right.end());
  std::vector<int32_t> keys{0};
  keys.insert(keys.end(), left.begin(), left.end());
  keys.insert(keys.end(), right.begin(), right.end());
  keys.push_back(values + 1);
  return keys;
}

void check_every_length_pair(const NamedMerge& m, int values) {
  for (int len1 = 0; len1 <= 9; ++len1) {
    for (int len2 = 0; len2 <= 9; ++len2) {
      const auto keys = two_runs(len1, len2, values, len1 * 10 + len2);
      test::prepare_set(keys);
      settings.stable_comparings_checked = false;
      stable_comparings = false;
      m.merge(1, len1, len1 + len2);
      SCOPED_TRACE(std::string(m.name) + " " + std::to_string(len1) + "+" + std::to_string(len2));
      ASSERT_TRUE(test::permutation_intact(keys));
      ASSERT_TRUE(test::keys_sorted());
      ASSERT_EQ(elements[0].start_position, 0);
      if (m.stable) {
        ASSERT_TRUE(test::equal_keys_in_start_order());
      }
    }
  }
}

TEST(MergeInPlace, EveryMergeOnEveryLengthPairDistinctAndEqualKeys) {
  for (const auto& m : merges()) {
    check_every_length_pair(m, 1000);  // nearly distinct
    check_every_length_pair(m, 3);     // many equal keys: stability shows
  }
}

// The partition merge takes its block size from "pardo"; the decomposition merge buffers only
// frames whose shorter run fits "lenW", 0 or below meaning the square root of the size. Both stay
// sorted and stable at and beyond the edges of their parameter.
TEST(MergeInPlace, EntriesAtTheEdgesOfTheirParameter) {
  register_all_algorithms();
  const struct {
    int index;
    int32_t Parameters::*parameter;
    std::vector<int> values;
    int n;
  } cases[] = {{162, &Parameters::Param_pardo, {0, 1, 2, 5, 1000}, 50},
               {127, &Parameters::lenW, {-3, 0, 1, 4, 100}, 60}};
  for (const auto& c : cases) {
    for (int value : c.values) {
      const auto keys = test::random_keys(c.n, 6, static_cast<unsigned>(value + 10));
      test::prepare_set(keys);
      parameters.*c.parameter = value;
      test::run_procedure(c.index);
      SCOPED_TRACE(std::to_string(c.index) + " with " + std::to_string(value));
      EXPECT_TRUE(test::keys_sorted());
      EXPECT_TRUE(test::permutation_intact(keys));
      EXPECT_TRUE(test::equal_keys_in_start_order());
    }
    parameters.*c.parameter = 0;
  }
}

TEST(MergeInPlace, RunsAlreadyInOrderCostNoExchange) {
  for (const auto& m : merges()) {
    test::prepare_set({1, 2, 3, 4, 5, 6, 7});
    m.merge(0, 2, 6);
    EXPECT_EQ(swappings.get(), 0u) << m.name;
    EXPECT_EQ(movings.get(), 0u) << m.name;
    EXPECT_TRUE(test::keys_sorted()) << m.name;
  }
}

TEST(MergeInPlace, ShiftMergeOfOneRightElementIsOneInsertion) {
  test::prepare_set({2, 4, 6, 8, 5});
  shift_merge(0, 3, 4);
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_EQ(movings.get(), 4u);  // held record out and in, two elements shifted
}

// 5 | 1 2 3 with a budget of three operations: 5 > 1, the read of 5 and the move of 1 use it up;
// the shift stops and 5 goes into the gap by a counted store.
TEST(MergeInPlace, DisplacementMergeStoresTheRecordAfterABreakOff) {
  test::prepare_set({5, 1, 2, 3});
  set_break_after_ops(3);
  displacement_merge(0, 0, 3);
  set_break_after_ops(0);
  EXPECT_TRUE(break_off);
  EXPECT_EQ(movings.get(), 3u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 5, 2, 3}));
}

TEST(MergeInPlace, SwapMergeExchangesOnlyTheMisplacedBlock) {
  test::prepare_set({1, 5, 6, 2, 3, 9});
  swap_merge(0, 2, 5);
  EXPECT_TRUE(test::keys_sorted());
  EXPECT_EQ(swappings.get(), 2u);
}

// After a block swap a step compares the element it stopped at again (plain comparisons, one
// count each). 2 5 | 1 3, rotations by method 0 (blocks a and b cost 2 min + max movings):
// forward: 2<=1? 2>1 2>3, rotate 2|1; 2<=3 5<=3? 5>3, rotate 1|1: 6 comparisons, 4 + 3 movings.
// backward: 5<=3? 5>3 2>3, rotate 1|2; 2<=3 2<=1? 2>1, rotate 1|1: 6, 4 + 3.
// Shorter side and alternating: forward (3), backward (3), forward 2<=3 (1): 7, 4 + 3.
// Entry 154 on 28 21 4 87: merges (0, 0, 1) with 2, (2, 2, 3) with 1, and 21 28 | 4 87 with 3
// and, after the rotation, 21<=87 28<=87: 8 comparisons, rotations 1|1 and 2|1: 7 movings.
TEST(MergeInPlace, RotationMergeComparesAgainAfterEachBlockSwap) {
  for (int mode = 0; mode <= 3; ++mode) {
    test::prepare_set({2, 5, 1, 3});
    settings.stable_comparings_checked = false;
    rotation_merge(0, 1, 3, mode);
    EXPECT_EQ(comparisons.get(), mode < 2 ? 6u : 7u) << mode;
    EXPECT_EQ(movings.get(), 7u) << mode;
    EXPECT_TRUE(test::keys_sorted()) << mode;
  }
  register_all_algorithms();
  test::prepare_set({28, 21, 4, 87});
  settings.stable_comparings_checked = false;
  test::run_procedure(154);
  EXPECT_EQ(comparisons.get(), 8u);
  EXPECT_EQ(movings.get(), 7u);
  EXPECT_EQ(swappings.get(), 0u);
  EXPECT_TRUE(test::keys_sorted());
}

// Entries whose merges rotate through block_swap stay correct and stable whatever method rotates.
TEST(MergeInPlace, BlockSwappingMembersUnderSeveralMethods) {
  register_all_algorithms();
  const auto keys_distinct = test::random_keys(61, 1000, 5);
  const auto keys_equal = test::random_keys(61, 4, 6);
  for (int method : {0, 3, 7, 12, 19, 25}) {
    for (int index : {124, 125, 128, 135, 136, 137, 139, 142, 144, 146, 153,
                      154, 155, 156, 157, 159, 160, 172, 196, 211, 229}) {
      for (const auto* keys : {&keys_distinct, &keys_equal}) {
        test::prepare_set(*keys);
        settings.block_swap_method = method;
        test::run_procedure(index);
        SCOPED_TRACE("method " + std::to_string(method) + " entry " + std::to_string(index));
        EXPECT_TRUE(test::permutation_intact(*keys));
        EXPECT_TRUE(test::keys_sorted());
        EXPECT_TRUE(test::equal_keys_in_start_order());
      }
    }
  }
}

// The workspace merge sorts exchange only, the mirrored ones end ascending too, and the
// stabilizable pair with the "locally" box checked sorts as well.
TEST(MergeInPlace, WorkspaceMergeSortsExchangeOnly) {
  register_all_algorithms();
  for (int n : {2, 3, 4, 5, 9, 64, 101}) {
    const auto keys = test::random_keys(n, 5, n);
    for (int index : {178, 179, 180, 181, 182, 183}) {
      for (bool locally : {false, true}) {
        test::prepare_set(keys);
        settings.stabilize_locally = locally;
        test::run_procedure(index);
        SCOPED_TRACE(std::to_string(index) + " n " + std::to_string(n));
        EXPECT_TRUE(test::keys_sorted());
        EXPECT_TRUE(test::permutation_intact(keys));
        if (!locally) {
          EXPECT_EQ(movings.get(), 0u);
        }
      }
    }
  }
}

}  // namespace
}  // namespace mv::merge_in_place_sorts_test

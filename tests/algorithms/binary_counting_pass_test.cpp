#include <gtest/gtest.h>

#include <vector>

#include "algorithms/binary_counting_pass.h"
#include "engine_fixture.h"

namespace mv::binary_counting_pass_test {
namespace {

std::vector<int> start_positions() {
  std::vector<int> p;
  for (int i = 0; i < column_count(); ++i) p.push_back(elements[i].start_position);
  return p;
}

class BinaryCountingPass : public ::testing::Test {
 protected:
  void prepare(const std::vector<int32_t>& keys, int rows = 100) {
    test::prepare_set(keys);
    settings.rows = rows;
    processing_active = true;  // as during a run
  }
  void TearDown() override {
    processing_active = false;
    settings.rows = 100;
  }
};

TEST_F(BinaryCountingPass, SplitsStablyOnOneBit) {
  prepare({5, 2, 7, 4});
  EXPECT_FALSE(binary_counting_pass(0, true));
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{2, 4, 5, 7}));
  EXPECT_EQ(start_positions(), (std::vector<int>{1, 3, 0, 2}));  // whole records moved
  EXPECT_EQ(movings, 8u);
  EXPECT_EQ(main_loop_runnings, 1u);
  EXPECT_EQ(comparisons + swappings, 0u);

  EXPECT_FALSE(binary_counting_pass(1, true));
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{4, 5, 2, 7}));
  EXPECT_EQ(main_loop_runnings, 2u);
  EXPECT_TRUE(test::permutation_intact({5, 2, 7, 4}));
}

TEST_F(BinaryCountingPass, AllBitsClearStillMovesEveryElementTwice) {
  const std::vector<int32_t> keys = {8, 2, 12, 6, 4};
  prepare(keys);
  EXPECT_FALSE(binary_counting_pass(0, true));
  EXPECT_EQ(test::keys_of_set(), keys);
  EXPECT_EQ(movings, 2u * keys.size());
}

TEST_F(BinaryCountingPass, KeysOnlyPathCountsNothingButItsLoop) {
  const std::vector<int32_t> keys = {5, 2, 7, 4, 3, 3, 6};
  prepare(keys);
  processing_active = false;  // as while a new set is built
  EXPECT_FALSE(binary_counting_pass(0, false));
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{2, 4, 6, 5, 7, 3, 3}));
  EXPECT_EQ(comparisons + movings + swappings, 0u);
  EXPECT_EQ(main_loop_runnings, 1u);
  // Colours and start positions stay in place; only the keys travel.
  for (int i = 0; i < column_count(); ++i) {
    EXPECT_EQ(elements[i].start_position, i);
    EXPECT_EQ(elements[i].colour, 0x010203u * static_cast<uint32_t>(i + 1));
  }
}

TEST_F(BinaryCountingPass, PassesFromTheLowestBitUpSortAndKeepEqualKeysInOrder) {
  random_seed = 42;
  std::vector<int32_t> keys(300);
  for (auto& k : keys) k = static_cast<int32_t>(Random(1000));
  for (bool move : {true, false}) {
    prepare(keys, 1000);  // more rows than columns: the buffers grow
    for (int b = 0; b < 10; ++b) EXPECT_FALSE(binary_counting_pass(b, move));
    EXPECT_TRUE(test::keys_sorted()) << move;
    EXPECT_GE(buffer_a.size(), 1001u);
    if (!move) continue;
    EXPECT_TRUE(test::permutation_intact(keys));
    for (int i = 1; i < column_count(); ++i) {
      if (elements[i - 1].key == elements[i].key) {
        EXPECT_LT(elements[i - 1].start_position, elements[i].start_position);
      }
    }
  }
}

TEST_F(BinaryCountingPass, BreakOffDuringTheWriteBackLosesNothing) {
  const std::vector<int32_t> keys = {9, 4, 7, 2, 2, 5, 8, 1, 6, 3};
  prepare(keys);
  ASSERT_FALSE(binary_counting_pass(1, true));
  const auto complete = test::keys_of_set();
  const uint64_t n = keys.size();
  // K <= n breaks off while the elements go into the buffer, K > n during the write-back.
  for (uint64_t k = 1; k < 2 * n; ++k) {
    prepare(keys);
    set_break_after_ops(k);
    EXPECT_TRUE(binary_counting_pass(1, true)) << k;
    EXPECT_TRUE(test::permutation_intact(keys)) << k;
    EXPECT_EQ(test::keys_of_set(), complete) << k;
  }
  // Already broken off: nothing happens.
  prepare(keys);
  break_off = true;
  EXPECT_TRUE(binary_counting_pass(0, true));
  EXPECT_EQ(test::keys_of_set(), keys);
  EXPECT_EQ(movings + main_loop_runnings, 0u);
}

}  // namespace
}  // namespace mv::binary_counting_pass_test

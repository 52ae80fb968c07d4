#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace mv::counted_operations_test {
namespace {

class CountedOperations : public ::testing::Test {
 protected:
  void SetUp() override { test::prepare_set({5, 3, 5, 7, 1}); }
};

TEST_F(CountedOperations, StableComparisonsCountOneTwoOrThree) {
  // Keys 5 (pos 0), 3 (pos 1), 5 (pos 2). With the box on:
  EXPECT_TRUE(elem_stable_before(1, 0));  // 3 < 5 decided at once
  EXPECT_EQ(comparisons, 1u);
  reset_counters();
  EXPECT_FALSE(elem_stable_before(0, 1));  // not less, not equal
  EXPECT_EQ(comparisons, 2u);
  reset_counters();
  EXPECT_TRUE(elem_stable_before(0, 2));  // equal keys, start positions decide
  EXPECT_EQ(comparisons, 3u);
  reset_counters();
  EXPECT_FALSE(elem_stable_before(2, 0));
  EXPECT_EQ(comparisons, 3u);
  reset_counters();
  EXPECT_TRUE(elem_stable_after(2, 0));
  EXPECT_EQ(comparisons, 3u);

  // Off (or disabled): plain <= and >=, one comparison each.
  for (auto disable : {0, 1}) {
    test::prepare_set({5, 3, 5});
    if (disable)
      settings.stable_comparings_enabled = false;
    else
      settings.stable_comparings_checked = false;
    EXPECT_TRUE(elem_stable_before(2, 0));
    EXPECT_TRUE(elem_stable_after(0, 2));
    EXPECT_FALSE(elem_stable_after(1, 0));
    EXPECT_EQ(comparisons, 3u);
  }

  Element a{4, 0, 9}, b{4, 0, 2};
  test::prepare_set({1});
  EXPECT_FALSE(rec_stable_before(a, b));
  EXPECT_TRUE(rec_stable_after(a, b));
  EXPECT_EQ(comparisons, 6u);
}

TEST_F(CountedOperations, SwapCountsOnlyRealExchanges) {
  // Outside a run swap_elements(i, i) still counts.
  EXPECT_TRUE(swap_elements(2, 2));
  EXPECT_EQ(swappings, 1u);

  processing_active = true;
  reset_counters();
  EXPECT_FALSE(swap_elements(2, 2));
  EXPECT_EQ(swappings, 0u);
  EXPECT_EQ(comparisons, 0u);

  // Optional swaps: an ordered pair costs a comparison and no swapping.
  settings.optional_swaps = true;
  EXPECT_FALSE(swap_elements(1, 3));  // 3 before 7: not greater, not equal
  EXPECT_EQ(swappings, 0u);
  EXPECT_EQ(comparisons, 2u);
  EXPECT_TRUE(swap_elements(3, 4));  // 7 after 1: exchanged
  EXPECT_EQ(swappings, 1u);
  EXPECT_EQ(elements[3].key, 1);
  EXPECT_EQ(elements[4].key, 7);
  EXPECT_EQ(elements[4].start_position, 3);  // the whole record moves
  EXPECT_EQ(elements[4].colour, 0x010203u * 4);
  processing_active = false;
}

TEST_F(CountedOperations, CompareExchangeAndPump) {
  struct PumpCounter : Host {
    int pumps = 0;
    void process_events() override { ++pumps; }
  } counting_host;
  set_host(&counting_host);
  EXPECT_TRUE(compare_exchange(0, 1, true, true));  // 5, 3 put into order
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{3, 5, 5, 7, 1}));
  EXPECT_FALSE(compare_exchange(1, 2, true, false));  // 5 (pos 0) before 5 (pos 2): in order
  EXPECT_EQ(counting_host.pumps, 1 + 2);              // the pump plus two drawn columns
  EXPECT_EQ(swappings, 1u);
  // Wanted order "not before": 7 is not before 1, so nothing to do; 1 is before 7, so exchange.
  EXPECT_FALSE(compare_exchange(3, 4, false, false));
  EXPECT_TRUE(compare_exchange(4, 3, false, false));
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{3, 5, 5, 1, 7}));
  set_host(nullptr);
}

TEST_F(CountedOperations, MovingsAndValues) {
  move_element(2, 2);
  EXPECT_EQ(movings, 0u);
  move_element(0, 4);
  EXPECT_EQ(movings, 1u);
  EXPECT_EQ(elements[0].key, 1);
  EXPECT_EQ(elements[0].start_position, 4);

  set_value(1, 70000);  // only the low 16 bits are kept
  EXPECT_EQ(elements[1].key, 70000 - 65536);
  EXPECT_EQ(elements[1].start_position, 1);
  EXPECT_EQ(movings, 2u);

  Element r;
  read_element(3, r);
  store_element(4, r);
  move_to_buffer(0, 2);
  EXPECT_EQ(buffer_a[0].key, 5);
  EXPECT_EQ(elements[4].key, 7);
  EXPECT_EQ(movings, 5u);

  // Slots beyond the visible columns change but draw nothing.
  ASSERT_GE(elements.size(), 8u);
  store_element(6, r);
  EXPECT_EQ(elements[6].key, 7);
}

TEST_F(CountedOperations, RangesStopOnBreakOff) {
  reverse_range(0, 4);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 7, 5, 3, 5}));
  EXPECT_EQ(swappings, 2u);
  reverse_range(3, 3);
  EXPECT_EQ(swappings, 2u);
  swap_ranges(0, 1, 3);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{3, 5, 5, 1, 7}));
  break_off = true;
  reverse_range(0, 4);
  swap_ranges(0, 1, 3);
  EXPECT_EQ(swappings, 4u);
}

TEST_F(CountedOperations, BreakAfterOpsSetsTheFlag) {
  set_break_after_ops(3);
  elem_less(0, 1);
  swap_elements(0, 1);
  EXPECT_FALSE(break_off);
  move_element(2, 3);
  EXPECT_TRUE(break_off);
}

TEST(RandomPosition, StaysInRangeForEveryMode) {
  random_seed = 12345;
  for (int mode = 0; mode < 3; ++mode) {
    for (int k = 0; k < 2000; ++k) {
      const int p = random_position(10, 17, mode);
      ASSERT_GE(p, 10);
      ASSERT_LE(p, 17);
    }
  }
  EXPECT_EQ(random_position(9, 4, 1), 4);
  EXPECT_EQ(random_position(5, 5, 0), 5);
}

TEST(RandomPosition, DrawsWhatItsModeDrawsAlsoOnAnEmptyRange) {
  // Mode 1 draws one integer, modes 0 and 2 two reals; a range of one position (or none) still
  // draws them and then gives high. From seed 0 the generator runs 1, 134775814, 3698175007.
  random_seed = 0;
  EXPECT_EQ(random_position(5, 5, 1), 5);
  EXPECT_EQ(random_seed, 1u);
  EXPECT_EQ(random_position(9, 4, 0), 4);
  EXPECT_EQ(random_seed, 3698175007u);
  random_seed = 0;
  EXPECT_EQ(random_position(7, 7, 2), 7);
  EXPECT_EQ(random_seed, 134775814u);
}

}  // namespace
}  // namespace mv::counted_operations_test

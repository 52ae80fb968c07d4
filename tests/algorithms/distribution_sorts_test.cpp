#include "algorithms/distribution_sorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "algorithms/registry.h"
#include "engine/host.h"
#include "engine/parameters.h"
#include "engine_fixture.h"

namespace mv::distribution_sorts_test {
namespace {

const std::vector<int> kLsdEntries = {295, 296, 297, 298, 299, 300, 301, 302, 303, 304, 305};
const std::vector<int> kMsdEntries = {306, 307, 312, 313};
const std::vector<int> kValueCounting = {5, 6, 7, 73};

void prepare(const std::vector<int32_t>& keys, int rows, int base = 2) {
  register_all_algorithms();
  test::prepare_set(keys);
  settings.rows = rows;
  parameters.Basis = base;
}

std::vector<int32_t> sorted_copy(std::vector<int32_t> keys) {
  std::sort(keys.begin(), keys.end());
  return keys;
}

// ---- Digit and bit rules ----------------------------------------------------------------------

TEST(RadixDigits, CountRoundsToNearestAndPowersAreExact) {
  struct Case {
    std::vector<int32_t> keys;
    int base;
    std::vector<int64_t> powers;
  };
  const Case cases[] = {
      {{1, 4, 99}, 10, {1, 10, 100}},       // log10 99 = 1.996 rounds up to 2
      {{1000, 3}, 10, {1, 10, 100, 1000}},  // an exact power stays 3 despite ln rounding
      {{5, 1}, 2, {1, 2, 4}},               // log2 5 = 2.32
      {{6}, 2, {1, 2, 4, 8}},               // log2 6 = 2.58
      {{1, 1, 0}, 7, {1}},                  // keys below 2 have no second digit
      {{60000, 2}, 300, {1, 300, 90000}},   // 90000 would wrap to 24464 in 16 bits
  };
  for (const Case& c : cases) {
    prepare(c.keys, 65535);
    const RadixDigits d = radix_digits(c.base);
    EXPECT_EQ(d.count + 1, static_cast<int>(c.powers.size())) << c.keys[0] << " base " << c.base;
    EXPECT_EQ(d.powers, c.powers);
  }
  prepare({60000, 2}, 65535);
  const RadixDigits d = radix_digits(300);
  EXPECT_EQ(d.digit(60000, 0), 0);
  EXPECT_EQ(d.digit(60000, 1), 200);
  EXPECT_EQ(d.digit(60000, 2), 0);
}

TEST(RadixDigits, BaseAndHighestBit) {
  prepare({1, 2, 3, 4, 5}, 100);
  parameters.Basis = 1;
  EXPECT_EQ(radix_base(), 2);
  parameters.Basis = 1000;
  EXPECT_EQ(radix_base(), 5);
  EXPECT_EQ(highest_bit_index(), 6);
  settings.rows = 64;
  EXPECT_EQ(highest_bit_index(), 6);
  settings.rows = 63;
  EXPECT_EQ(highest_bit_index(), 5);
  prepare({1, 200}, 63);  // a key above the rows still gets its top bit
  EXPECT_EQ(highest_bit_index(), 7);
}

// ---- LSD ----------------------------------------------------------------------------------------

TEST(LsdRadixSorts, SortStablyInEveryBase) {
  const std::vector<int32_t> keys = test::random_keys(60, 40, 7);
  for (int base : {2, 3, 10, 60}) {
    for (int index : kLsdEntries) {
      prepare(keys, 40, base);
      const int digits = radix_digits(radix_base()).count;
      test::run_procedure(index);
      SCOPED_TRACE(std::to_string(index) + " base " + std::to_string(base));
      EXPECT_TRUE(test::keys_sorted());
      EXPECT_TRUE(test::permutation_intact(keys));
      EXPECT_TRUE(test::equal_keys_in_start_order());
      // 295 works on bits whatever the base: one pass per bit up to the highest (40 < 64).
      EXPECT_EQ(main_loop_runnings, index == 295 ? 6u : static_cast<uint64_t>(digits) + 1);
    }
  }
}

TEST(LsdRadixSorts, PassesKeepTheOrderOfSharedDigits) {
  // Base 10: every key shares its last digit with another, so a pass that broke the order of
  // equal digits would leave 21 and 11 (or 32 and 12) the wrong way round.
  const std::vector<int32_t> keys = {21, 32, 11, 12, 31, 22, 2, 1};
  for (int index : kLsdEntries) {
    prepare(keys, 40, 10);
    test::run_procedure(index);
    EXPECT_EQ(test::keys_of_set(), sorted_copy(keys)) << index;
  }
}

TEST(LsdRadixSorts, BaseTwoAndBaseN) {
  // n = 8, keys below 8: base 2 needs round(log2 7) + 1 = 4 passes, base n round(log8 7) + 1 = 2;
  // with keys of at most 2, base n makes one pass.
  const std::vector<int32_t> keys = {7, 3, 5, 1, 6, 2, 4, 3};
  for (int index : {296, 297, 302, 305}) {
    prepare(keys, 8, 2);
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_EQ(main_loop_runnings, 4u) << index;
    prepare(keys, 8, 8);
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_EQ(main_loop_runnings, 2u) << index;
    prepare({2, 1, 2, 1, 1, 2, 2, 1}, 8, 8);
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_EQ(main_loop_runnings, 1u) << index;
  }
}

// ---- MSD ----------------------------------------------------------------------------------------

TEST(MsdRadixSorts, KeysSharingPrefixes) {
  // All keys share bit 3, most share bits 3 and 2: the segments nest down to single bits.
  const std::vector<int32_t> keys = {13, 12, 15, 8, 14, 14, 9, 13, 12, 10, 11, 15, 8};
  for (int index : kMsdEntries) {
    prepare(keys, 15);
    test::run_procedure(index);
    SCOPED_TRACE(index);
    EXPECT_EQ(test::keys_of_set(), sorted_copy(keys));
    EXPECT_TRUE(test::permutation_intact(keys));
    if (index == 307 || index == 313) {
      EXPECT_TRUE(test::equal_keys_in_start_order());
    }
    EXPECT_EQ(main_loop_runnings, index == 306 || index == 307 ? 4u : 0u);
  }
}

TEST(MsdRadixSorts, AllEqualKeysSwapNothing) {
  for (int index : {306, 312}) {
    prepare(std::vector<int32_t>(9, 5), 7);
    test::run_procedure(index);
    EXPECT_EQ(swappings, 0u) << index;
    EXPECT_TRUE(test::equal_keys_in_start_order()) << index;
  }
}

// ---- Value-counting sorts ----------------------------------------------------------------------

TEST(CountingSort, AllEqualKeysWrittenBackUnchanged) {
  prepare(std::vector<int32_t>(6, 4), 10);
  test::run_procedure(73);
  EXPECT_EQ(test::keys_of_set(), std::vector<int32_t>(6, 4));
  EXPECT_EQ(movings, 6u);
  EXPECT_EQ(comparisons, 0u);
}

TEST(ValueCountingSorts, RewriteKeysInPlace) {
  const std::vector<int32_t> keys = {9, 3, 3, 10, 1, 7, 3, 2};
  for (int index : kValueCounting) {
    prepare(keys, 10);
    test::run_procedure(index);
    EXPECT_EQ(test::keys_of_set(), sorted_copy(keys)) << index;
    // Keys were written, not moved: start positions and colours stay with the slots.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(elements[i].start_position, i) << index;
  }
}

// Records the keys of the set at every drawn column.
class RecordingHost : public Host {
 public:
  void process_events() override { frames.push_back(test::keys_of_set()); }
  std::vector<std::vector<int32_t>> frames;
};

// The keys at every drawn column, derived by hand.
TEST(BeadSorts, DrawingOnTinySets) {
  using Frames = std::vector<std::vector<int32_t>>;
  const struct {
    int index;
    std::vector<int32_t> keys;
    Frames frames;
    int movings;  // -1: not pinned
  } cases[] = {
      // Keys 2 2 1 1: levels 1 and 2 hold 4 and 2 beads. Level 1 stays; on level 2 the beads of
      // columns 0 and 1 fall to columns 2 and 3. Bead sort 2 redraws the level from left to
      // right, bead sort 3 moves one bead at a time (0 to 2, then 1 to 3).
      {6, {2, 2, 1, 1}, {{1, 2, 1, 1}, {1, 1, 1, 1}, {1, 1, 2, 1}, {1, 1, 2, 2}}, 4},
      {7, {2, 2, 1, 1}, {{1, 2, 1, 1}, {1, 2, 2, 1}, {1, 1, 2, 1}, {1, 1, 2, 2}}, 4},
      // Keys 3 1 2: level 2 takes the bead of column 0 to column 1, level 3 that of column 0 to
      // column 2.
      {6, {3, 1, 2}, {{2, 1, 2}, {2, 2, 2}, {1, 2, 2}, {1, 2, 3}}, -1},
  };
  for (const auto& c : cases) {
    prepare(c.keys, static_cast<int>(*std::max_element(c.keys.begin(), c.keys.end())));
    RecordingHost recorder;
    set_host(&recorder);
    test::run_procedure(c.index);
    set_host(nullptr);
    EXPECT_EQ(recorder.frames, c.frames) << c.index << ", n " << c.keys.size();
    if (c.movings >= 0) {
      EXPECT_EQ(movings, static_cast<uint64_t>(c.movings)) << c.index;
    }
  }
}

TEST(ValueCountingSorts, BreakOffKeepsTheKeys) {
  const std::vector<int32_t> keys = test::random_keys(30, 20, 3);
  for (int index : kValueCounting) {
    for (uint64_t k : {1u, 3u, 17u, 60u}) {
      prepare(keys, 20);
      set_break_after_ops(k);
      test::run_procedure(index);
      set_break_after_ops(0);
      EXPECT_EQ(sorted_copy(test::keys_of_set()), sorted_copy(keys)) << index << " after " << k;
    }
  }
}

TEST(LsdRadixSorts, MergesCountTheRecordsPutBackAfterABreakOff) {
  // 2 1 in base 2, first pass on bit 0 (digits 0, 1). 302 merges 0..0 with 1..1: two movings
  // into the buffer, digit 0 > 1 fails (one comparison), 2 is stored; the break-off there still
  // stores the buffered 1: 4 movings.
  prepare({2, 1}, 2);
  set_break_after_ops(4);
  test::run_procedure(302);
  set_break_after_ops(0);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(comparisons.get(), 1u);
  EXPECT_EQ(movings.get(), 4u);
  // 303: bit 0 holds one run (1 comparison); on bit 1 (digits 1, 0) the runs 2 and 1 are found
  // (1 comparison) and merged: 2 movings in, 1 > 0 (1 comparison) stores 1; the break-off there
  // stores the buffered 2 behind it: 3 comparisons, 4 movings.
  prepare({2, 1}, 2);
  set_break_after_ops(6);
  test::run_procedure(303);
  set_break_after_ops(0);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(comparisons.get(), 3u);
  EXPECT_EQ(movings.get(), 4u);
}

}  // namespace
}  // namespace mv::distribution_sorts_test

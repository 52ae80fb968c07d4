// Sorting networks: comparator counts derived by hand, the 0-1 principle, the power-of-two
// networks on other lengths, the shear sort grid, the zig-zag rounds, conditional stability and
// break-off.
#include "algorithms/sorting_networks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/parameters.h"
#include "engine_fixture.h"

namespace mv::sorting_networks_test {
namespace {

const std::vector<int> power_of_two_networks = {10, 14, 16,  17,  18,  20,  22, 23,
                                                24, 54, 173, 174, 175, 176, 177};
const std::vector<int> all_entries = {9,  10, 11,  12,  14,  16,  17,  18,  20,  22,  23,  24,
                                      26, 54, 173, 174, 175, 176, 177, 327, 330, 395, 396, 397};

// Runs index on keys with "stable comparings" off, so that every compare-exchange counts exactly
// one comparison; returns the comparisons.
uint64_t plain_run(int index, const std::vector<int32_t>& keys) {
  test::prepare_set(keys);
  settings.stable_comparings_checked = false;
  test::run_procedure(index);
  return comparisons.get();
}

std::vector<int32_t> zero_one(unsigned bits, int n) {
  std::vector<int32_t> keys(n);
  for (int k = 0; k < n; ++k) keys[k] = (bits >> k) & 1u;
  return keys;
}

TEST(SortingNetworks, ComparatorCountsOnSmallPowersOfTwo) {
  const std::vector<int32_t> four = {4, 3, 2, 1};
  const std::vector<int32_t> eight = {5, 8, 1, 7, 2, 6, 4, 3};
  // Bitonic: log n (log n + 1) / 2 levels of n / 2 comparators: 3 * 2 and 6 * 4.
  for (int index : {10, 14, 16, 17, 18, 20, 22, 23, 24}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(plain_run(index, four), 6u);
    EXPECT_EQ(plain_run(index, eight), 24u);
  }
  // Odd-even merge, pairwise and Bose-Nelson: 1 + 1 + 3 on four, 5 + 5 + 9 on eight.
  for (int index : {54, 173, 174, 175, 176, 177}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(plain_run(index, four), 5u);
    EXPECT_EQ(plain_run(index, eight), 19u);
  }
  // Buffered merges: L - 1 comparisons per merge of L; on eight 4 * 1 + 2 * 3 + 7.
  for (int index : {9, 26}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(plain_run(index, four), 5u);
    EXPECT_EQ(plain_run(index, eight), 17u);
    EXPECT_EQ(movings.get(), 48u);  // every merged record out and back: 2 * (4 * 2 + 2 * 4 + 8)
  }
  // Two columns: one compare-exchange; the natural sorts first find the stretch (one
  // comparison for the part in order, one for the part in reverse order).
  for (int index :
       {9, 10, 11, 12, 14, 16, 17, 18, 20, 22, 23, 24, 26, 54, 173, 174, 175, 176, 177}) {
    EXPECT_EQ(plain_run(index, {2, 1}), index == 11 || index == 12 ? 3u : 1u) << index;
    EXPECT_TRUE(test::keys_sorted()) << index;
  }
}

// Every 0-1 input of eight, and, as the run driver rounds the columns to a power of two for
// these entries, of 5, 6 and 7 and a random hundred when called on another length.
TEST(SortingNetworks, ZeroOnePrincipleOnEightAndOtherLengths) {
  for (int index : power_of_two_networks) {
    for (int n : {5, 6, 7, 8}) {
      for (unsigned bits = 0; bits < (1u << n); ++bits) {
        const auto keys = zero_one(bits, n);
        plain_run(index, keys);
        ASSERT_TRUE(test::keys_sorted()) << index << " n " << n << " bits " << bits;
        ASSERT_TRUE(test::permutation_intact(keys)) << index;
      }
    }
    const auto keys = test::random_keys(100, 40, 7);
    plain_run(index, keys);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_TRUE(test::permutation_intact(keys)) << index;
  }
}

TEST(SortingNetworks, BufferedMergeTakesTheSmallerEnd) {
  // Rising and falling: 1 4 6 5 3 2.
  for (bool ascending : {true, false}) {
    test::prepare_set({1, 4, 6, 5, 3, 2});
    settings.stable_comparings_checked = false;
    processing_active = true;
    bitonic_merge_buffered(0, 5, ascending);
    processing_active = false;
    const std::vector<int32_t> want =
        ascending ? std::vector<int32_t>{1, 2, 3, 4, 5, 6} : std::vector<int32_t>{6, 5, 4, 3, 2, 1};
    EXPECT_EQ(test::keys_of_set(), want);
    EXPECT_EQ(comparisons.get(), 5u);
  }
}

TEST(SortingNetworks, BufferedMergeCountsEveryWrite) {
  // 1 3 2: three movings into the buffer, 1 <= 2 (one comparison) stores 1; the break-off on
  // that fifth operation stores the buffered 3 and 2 back in their order: 6 movings in all.
  test::prepare_set({1, 3, 2});
  settings.stable_comparings_checked = false;
  processing_active = true;
  set_break_after_ops(5);
  bitonic_merge_buffered(0, 2, true);
  set_break_after_ops(0);
  processing_active = false;
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 3, 2}));
  EXPECT_EQ(comparisons.get(), 1u);
  EXPECT_EQ(movings.get(), 6u);

  // Natural bitonic sort 11 on 2 1 3: the stretch 2 1 (comparisons 2 <= 1, 2 >= 1, 1 >= 3) is
  // merged ascending (2 movings in, 1 comparison, 2 out); the stretch of the last element alone
  // is merged descending (1 in, 1 out); the next pass finds 1 2 3 in order (2 comparisons).
  EXPECT_EQ(plain_run(11, {2, 1, 3}), 6u);
  EXPECT_EQ(movings.get(), 6u);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2, 3}));
}

TEST(SortingNetworks, SplitAndNetworkMergesOnAnyLength) {
  // Every rising-and-falling 0-1 sequence of lengths 2 .. 12, both directions.
  for (int n = 2; n <= 12; ++n) {
    for (int peak = 0; peak < n; ++peak) {
      for (int ones_left = 0; ones_left <= peak + 1; ++ones_left) {
        for (int ones_right = 0; ones_right <= n - peak - 1; ++ones_right) {
          std::vector<int32_t> keys(n, 0);
          for (int k = peak + 1 - ones_left; k <= peak; ++k) keys[k] = 1;
          for (int k = peak + 1; k < peak + 1 + ones_right; ++k) keys[k] = 1;
          for (bool ascending : {true, false}) {
            for (int kind = 0; kind < 2; ++kind) {
              test::prepare_set(keys);
              settings.stable_comparings_checked = false;
              if (kind == 0) {
                bitonic_merge_split(0, n - 1, ascending, HalfOrder::random_first);
              } else {
                bitonic_merge_network(0, n - 1, ascending);
              }
              auto got = test::keys_of_set();
              if (!ascending) std::reverse(got.begin(), got.end());
              ASSERT_TRUE(std::is_sorted(got.begin(), got.end()))
                  << "n " << n << " peak " << peak << " kind " << kind << " asc " << ascending;
            }
          }
        }
      }
    }
  }
}

TEST(SortingNetworks, ConditionalStabilityWithStableComparings) {
  const auto keys = test::random_keys(64, 6, 11);
  for (int index :
       {10, 14, 16, 17, 18, 20, 22, 23, 24, 173, 174, 175, 176, 177, 327, 330, 395, 396, 397}) {
    test::prepare_set(keys);
    parameters.Param_shearsort = 8;
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_TRUE(test::equal_keys_in_start_order()) << index;
  }
}

TEST(SortingNetworks, ShearSortReadsItsGridAtRunTime) {
  const std::vector<int32_t> six = {6, 5, 4, 3, 2, 1};
  // One row: the row is sorted by six odd-even transposition passes (3 * 2 + 3 * 3
  // comparators); two rounds, and shear sort 1 sorts the rows once more at the end.
  parameters.Param_shearsort = 1;
  EXPECT_EQ(plain_run(327, six), 45u);
  parameters.Param_shearsort = 1;
  EXPECT_EQ(plain_run(330, six), 30u);
  // One column (p = n): five rounds of a column sort of 15 comparators; shear sort 2 sorts the
  // twisted column, which is the same column, once more.
  parameters.Param_shearsort = 6;
  EXPECT_EQ(plain_run(327, six), 75u);
  parameters.Param_shearsort = 6;
  EXPECT_EQ(plain_run(330, six), 150u);
  EXPECT_TRUE(test::keys_sorted());
  // Divisors, a value that does not divide n (lowered to 6 of 24) and one above n.
  const auto keys = test::random_keys(24, 30, 5);
  for (int p : {1, 2, 3, 4, 6, 7, 8, 12, 24, 100, 0, -3}) {
    for (int index : {327, 330}) {
      parameters.Param_shearsort = p;
      plain_run(index, keys);
      EXPECT_TRUE(test::keys_sorted()) << index << " p " << p;
      EXPECT_TRUE(test::permutation_intact(keys)) << index << " p " << p;
    }
  }
  // "locally" leaves equal keys in start order also without stable comparings.
  for (int index : {327, 330}) {
    parameters.Param_shearsort = 4;
    test::prepare_set(keys);
    settings.stable_comparings_checked = false;
    settings.stabilize_locally = true;
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted());
    EXPECT_TRUE(test::equal_keys_in_start_order()) << index;
  }
  parameters.Param_shearsort = 7;
  EXPECT_EQ(shear_sort_rows(24), 6);
  parameters.Param_shearsort = 100;
  EXPECT_EQ(shear_sort_rows(24), 24);
  parameters.Param_shearsort = 0;
  EXPECT_EQ(shear_sort_rows(24), 1);
  EXPECT_EQ(shear_sort_rounds(1), 2);
  EXPECT_EQ(shear_sort_rounds(6), 5);
}

TEST(SortingNetworks, ZigZagSorts) {
  // A sorted set: one check, nothing else.
  std::vector<int32_t> sorted_set(40);
  for (int k = 0; k < 40; ++k) sorted_set[k] = k / 3;
  for (int index : {395, 396, 397}) {
    EXPECT_EQ(plain_run(index, sorted_set), 39u) << index;
    EXPECT_EQ(swappings.get(), 0u);
  }
  // Random sets of many sizes, with and without stable comparings.
  for (int n : {4, 5, 8, 31, 64, 200, 513}) {
    const auto keys = test::random_keys(n, n / 2 + 1, static_cast<unsigned>(n));
    for (int index : {395, 396, 397}) {
      plain_run(index, keys);
      EXPECT_TRUE(test::keys_sorted()) << index << " n " << n;
      EXPECT_TRUE(test::permutation_intact(keys)) << index << " n " << n;
      test::prepare_set(keys);
      test::run_procedure(index);
      EXPECT_TRUE(test::equal_keys_in_start_order()) << index << " n " << n;
    }
  }
}

TEST(SortingNetworks, GapPassesSortSmallPieces) {
  for (int n = 1; n <= 6; ++n) {
    for (unsigned bits = 0; bits < (1u << n); ++bits) {
      test::prepare_set(zero_one(bits, n));
      gap_passes(0, n - 1);
      ASSERT_TRUE(test::keys_sorted()) << n << " " << bits;
    }
  }
}

// Descending compare-exchanges still exchange under "optional swaps", so the natural bitonic
// sorts end and every entry sorts.
TEST(SortingNetworks, OptionalSwaps) {
  const auto keys = test::random_keys(50, 12, 3);
  for (int index : all_entries) {
    for (bool stable : {false, true}) {
      test::prepare_set(keys);
      settings.optional_swaps = true;
      settings.stable_comparings_checked = stable;
      parameters.Param_shearsort = 5;
      test::run_procedure(index);
      EXPECT_TRUE(test::keys_sorted()) << index;
      EXPECT_TRUE(test::permutation_intact(keys)) << index;
    }
  }
}

}  // namespace
}  // namespace mv::sorting_networks_test

#include "algorithms/shuffles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <vector>

#include "algorithms/registry.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine_fixture.h"

namespace mv::shuffles_test {
namespace {

constexpr int first_shuffle = 399;
constexpr int last_shuffle = 420;

std::vector<int32_t> ascending(int n) {
  std::vector<int32_t> keys(static_cast<size_t>(n));
  std::iota(keys.begin(), keys.end(), 0);
  return keys;
}

using test::operations;

// Runs an entry on the keys; break-off after k counted operations (0: never).
void run(int index, const std::vector<int32_t>& keys, uint64_t k, uint32_t seed = 7) {
  register_all_algorithms();
  test::prepare_set(keys);
  settings.rows = 100;
  random_seed = seed;
  set_break_after_ops(k);
  test::run_procedure(index);
  set_break_after_ops(0);
}

TEST(Shuffles, BreakOffAtAnyOperationKeepsEveryElement) {
  const std::vector<std::vector<int32_t>> sets = {
      {5, 9}, {3, 1, 2}, {4, 4, 1, 4, 0, 4, 2}, ascending(8), ascending(100)};
  for (int index = first_shuffle; index <= last_shuffle; ++index) {
    for (const auto& keys : sets) {
      const uint64_t n = keys.size();
      const uint64_t step = n < 50 ? 1 : 7;  // every operation of the first rounds on small sets
      for (uint64_t k = 1; k <= 8 * n; k += step) {
        run(index, keys, k, static_cast<uint32_t>(k));
        ASSERT_TRUE(test::permutation_intact(keys)) << index << ", n " << n << ", k " << k;
        // Putting held elements back costs at most the rest of one round.
        ASSERT_LE(operations(), k + 2 * n + 2) << index << ", n " << n << ", k " << k;
      }
    }
  }
}

TEST(Shuffles, EndlessShufflesRunUntilBreakOffAndCountRounds) {
  const uint64_t n = 10;
  for (int index = 404; index <= last_shuffle; ++index) {
    run(index, ascending(n), 3000);
    ASSERT_TRUE(break_off) << index;
    const uint64_t rounds = main_loop_runnings;
    const bool counts_rounds = index <= 408 || (index >= 413 && index <= 415) || index >= 418;
    EXPECT_EQ(rounds > 0, counts_rounds) << index;
    if (index <= 407) {
      EXPECT_EQ(movings.get(), 2 * n * rounds) << index;  // n reads, n stores
    } else if (index == 413) {
      EXPECT_EQ(swappings.get(), rounds);  // one exchange per round
    }
  }
}

TEST(Shuffles, NothingToShuffleEndsAtOnce) {
  for (int index = 404; index <= last_shuffle; ++index) {
    run(index, {42}, 0);
    EXPECT_EQ(operations(), 0u) << index;
  }
  for (int index : {411, 412}) {
    for (int n : {2, 3}) {
      run(index, ascending(n), 0);
      EXPECT_EQ(operations(), 0u);
      EXPECT_FALSE(break_off);
    }
  }
}

// In-shuffle: 1-based place q goes to place 2q mod (L + 1).
std::vector<int32_t> in_shuffled(const std::vector<int32_t>& v, int a, int b) {
  std::vector<int32_t> out = v;
  const int length = b - a + 1;
  for (int q = 1; q <= length; ++q) out[a - 1 + (2 * q) % (length + 1)] = v[a - 1 + q];
  return out;
}

TEST(PerfectShuffleInSitu, MatchesItsDefinitionAndUnShuffleInvertsIt) {
  register_all_algorithms();
  for (int n = 2; n <= 17; ++n) {
    for (bool inner : {false, true}) {
      const PerfectShuffleRange r = perfect_shuffle_range(n, inner);
      if (r.empty()) continue;
      const std::vector<int32_t> start = ascending(n);
      ASSERT_EQ((r.high - r.low + 1) % 2, 0);
      EXPECT_EQ(r.low, inner ? 1 : 0);
      EXPECT_EQ(r.high, (inner ? n - 2 : n - 1) - n % 2);

      test::prepare_set(start);
      EXPECT_FALSE(PerfectShuffleInSitu(r.low, r.high, PerfectShuffleDirection::in_shuffle));
      const std::vector<int32_t> once = test::keys_of_set();
      EXPECT_EQ(once, in_shuffled(start, r.low, r.high)) << n;
      EXPECT_TRUE(test::permutation_intact(start));
      EXPECT_FALSE(PerfectShuffleInSitu(r.low, r.high, PerfectShuffleDirection::un_shuffle));
      EXPECT_EQ(test::keys_of_set(), start) << n;

      // The keys-only form moves the same keys and nothing else, uncounted.
      test::prepare_set(start);
      PerfectShuffleInSitu(r.low, r.high, PerfectShuffleDirection::in_shuffle,
                           ShuffleMoves::keys_only);
      EXPECT_EQ(test::keys_of_set(), once);
      for (int i = 0; i < n; ++i) EXPECT_EQ(elements[i].start_position, i);
      EXPECT_EQ(operations(), 0u);
      PerfectShuffleInSitu(r.low, r.high, PerfectShuffleDirection::un_shuffle,
                           ShuffleMoves::keys_only);
      EXPECT_EQ(test::keys_of_set(), start);
    }
  }
  // An odd range leaves its last position alone.
  test::prepare_set(ascending(5));
  PerfectShuffleInSitu(0, 4, PerfectShuffleDirection::in_shuffle);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{2, 0, 3, 1, 4}));
}

TEST(PerfectShuffles, ExSituRoundsInterleaveTheHalves) {
  // Break-off after the first operation still finishes the round that holds the copies.
  run(407, ascending(9), 1);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{4, 0, 5, 1, 6, 2, 7, 3, 8}));
  run(408, ascending(9), 1);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{0, 4, 1, 5, 2, 6, 3, 7, 8}));
  EXPECT_EQ(main_loop_runnings.get(), 1u);
}

TEST(ReverseShuffles, OuterReverseReversesTheCircularRunOutsideTheRange) {
  for (int n : {7, 8}) {
    for (int a = 0; a < n; ++a) {
      for (int b = a + 1; b < n; ++b) {
        std::vector<int> run_positions;  // b .. n-1, 0 .. a
        for (int p = b; p < n; ++p) run_positions.push_back(p);
        for (int p = 0; p <= a; ++p) run_positions.push_back(p);
        std::vector<int32_t> expected = ascending(n);
        const size_t m = run_positions.size();
        for (size_t k = 0; k < m; ++k) expected[run_positions[k]] = run_positions[m - 1 - k];
        test::prepare_set(ascending(n));
        processing_active = true;
        OuterReverse(a, b);
        processing_active = false;
        EXPECT_EQ(test::keys_of_set(), expected) << n << " " << a << " " << b;
      }
    }
  }
}

TEST(RandomShuffles, ExchangesStayWithinTheMaximumDistance) {
  const int n = 20;
  for (int d : {1, 3}) {
    parameters.maximale_Tauschdistanz = d;
    register_all_algorithms();
    test::prepare_set(ascending(n));
    random_seed = 99;
    std::vector<int32_t> before = test::keys_of_set();
    for (uint64_t k = 1; k <= 300; ++k) {
      break_off = false;
      set_break_after_ops(k);  // exactly one more exchange
      test::run_procedure(413);
      const std::vector<int32_t> after = test::keys_of_set();
      std::vector<int> changed;
      for (int i = 0; i < n; ++i) {
        if (before[i] != after[i]) changed.push_back(i);
      }
      ASSERT_EQ(changed.size(), 2u) << k;
      EXPECT_LE(changed[1] - changed[0], d) << k;
      before = after;
    }
    set_break_after_ops(0);
    EXPECT_EQ(main_loop_runnings.get(), 300u);
  }
  parameters.maximale_Tauschdistanz = n - 1;
}

// Runs exactly the first round of an endless shuffle: the break-off lands on its last operation
// (one more operation would start a second round).
void first_round(int index, const std::vector<int32_t>& keys, uint32_t seed) {
  uint64_t k = 1;
  for (;; ++k) {
    run(index, keys, k + 1, seed);
    if (main_loop_runnings.get() > 1) break;
  }
  run(index, keys, k, seed);
  ASSERT_EQ(main_loop_runnings.get(), 1u);
}

TEST(RandomShuffles, OverhandAndRiffleRoundsHaveTheirShapes) {
  const int n = 30;
  for (int mode = 0; mode < 3; ++mode) {
    // Overhand: the set is the copy's packets in reverse order, each packet in its own order.
    first_round(404 + mode, ascending(n), 5 + mode);
    std::vector<int32_t> keys = test::keys_of_set(), unpacked;
    for (int end = n; end > 0;) {
      int start = end - 1;
      while (start > 0 && keys[start - 1] + 1 == keys[start]) --start;
      unpacked.insert(unpacked.end(), keys.begin() + start, keys.begin() + end);
      end = start;
    }
    EXPECT_EQ(unpacked, ascending(n)) << mode;

    // Riffle: both halves keep their order; the right half starts.
    first_round(418 + mode, ascending(n), 5 + mode);
    keys = test::keys_of_set();
    EXPECT_NE(keys, ascending(n));
    EXPECT_GE(keys[0], n / 2);
    std::vector<int32_t> left, right;
    for (int32_t key : keys) (key < n / 2 ? left : right).push_back(key);
    EXPECT_TRUE(std::is_sorted(left.begin(), left.end()));
    EXPECT_TRUE(std::is_sorted(right.begin(), right.end()));
  }
  run(418, {10, 20}, 1);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{20, 10}));
}

// Number of generator steps from `from` to `to` (at most `limit`).
int steps_between(uint32_t from, uint32_t to, int limit) {
  for (int s = 0; s <= limit; ++s, from = from * 134775813u + 1u) {
    if (from == to) return s;
  }
  return -1;
}

TEST(BinaryShuffle, SplitsOncePerBitIntoBitReversalOrder) {
  register_all_algorithms();
  test::prepare_set(ascending(256));
  settings.rows = 255;
  test::run_procedure(399);
  EXPECT_FALSE(break_off);
  EXPECT_EQ(main_loop_runnings.get(), 8u);
  for (int i = 0; i < 256; ++i) {
    int reversed = 0;
    for (int b = 0; b < 8; ++b) reversed |= ((i >> b) & 1) << (7 - b);
    ASSERT_EQ(elements[i].key, reversed) << i;
  }
}

TEST(FisherYates, EndsByItselfWithOneDrawPerPosition) {
  const int n = 50;
  for (int index = 400; index <= 403; ++index) {
    run(index, ascending(n), 0, 1234);
    EXPECT_FALSE(break_off);
    EXPECT_TRUE(test::permutation_intact(ascending(n))) << index;
    EXPECT_NE(test::keys_of_set(), ascending(n)) << index;
    // Backward 1 makes n swaps, the first on the one-position range hi .. hi; the others n - 1.
    EXPECT_EQ(steps_between(1234, random_seed, 4 * n), index == 402 ? n : n - 1) << index;
    EXPECT_LE(swappings.get(), static_cast<uint64_t>(n - 1));
  }
}

TEST(FisherYates, Backward1DrawsForTheOnePositionRangeToo) {
  // Seed 1: the generator runs 134775814, then 3698175007. i = 1 draws on 1 .. 1 (the first
  // number) and swaps nothing; i = 0 takes Random(2) from the second number, whose top bit is set:
  // partner 1, one swapping.
  run(402, {4, 87}, 0, 1);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{87, 4}));
  EXPECT_EQ(swappings.get(), 1u);
  EXPECT_EQ(random_seed, 3698175007u);
}

TEST(RandomShuffles, OnePositionRangesStillDraw) {
  // Random shuffle 1 on two columns: Random(2) picks i, the partner range is the other position
  // alone (one more draw), one swapping per round. Three operations are three rounds, six draws.
  run(413, {10, 20}, 3, 11);
  EXPECT_EQ(main_loop_runnings.get(), 3u);
  EXPECT_EQ(swappings.get(), 3u);
  EXPECT_EQ(steps_between(11, random_seed, 20), 6);
  // A riffle round on two cards draws the right packet on 2 .. 1 and the left one on 1 .. 0:
  // copy, move, store (three movings) and two calls of the mode's draws (two reals each for
  // modes 0 and 2, one integer for mode 1).
  for (int mode = 0; mode < 3; ++mode) {
    run(418 + mode, {10, 20}, 3, 11);
    EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{20, 10}));
    EXPECT_EQ(movings.get(), 3u);
    EXPECT_EQ(main_loop_runnings.get(), 1u);
    EXPECT_EQ(steps_between(11, random_seed, 20), mode == 1 ? 2 : 4) << mode;
  }
}

TEST(FisherYates, Forward1AndBackward1AreUniform) {
  for (int index : {400, 402}) {
    std::map<std::vector<int32_t>, int> counts;
    for (uint32_t seed = 1; seed <= 3000; ++seed) {
      run(index, ascending(3), 0, seed * 2654435761u);
      ++counts[test::keys_of_set()];
    }
    ASSERT_EQ(counts.size(), 6u) << index;
    for (const auto& [keys, count] : counts) {
      EXPECT_GT(count, 400) << index;  // 500 expected, standard deviation about 20
      EXPECT_LT(count, 600) << index;
    }
  }
}

}  // namespace
}  // namespace mv::shuffles_test

#include "algorithms/block_swapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "engine/element_set.h"
#include "engine_fixture.h"

namespace mv::block_swapping_test {
namespace {

constexpr int set_size = 40;

// A set of set_size columns with repeated keys (so that records, not keys, tell the order), a run
// active, and the method and quick rule chosen.
std::vector<int32_t> prepare(int method, bool quick) {
  std::vector<int32_t> keys(set_size);
  for (int i = 0; i < set_size; ++i) keys[i] = (i * 7) % 5;
  test::prepare_set(keys);
  settings.block_swap_method = method;
  settings.quick_block_swapping = quick;
  processing_active = true;
  return keys;
}

// Start positions of slots lo .. hi.
std::vector<int> start_positions(int lo, int hi) {
  std::vector<int> v;
  for (int p = lo; p <= hi; ++p) v.push_back(elements[p].start_position);
  return v;
}

uint64_t ops() {
  return comparisons.get() + movings.get() + swappings.get();
}

std::string where(int method, bool quick, int first, int L, int R) {
  return "method " + std::to_string(method) + (quick ? " quick" : "") + " first " +
         std::to_string(first) + " L " + std::to_string(L) + " R " + std::to_string(R);
}

TEST(BlockSwapping, EveryMethodRotatesEveryShapeAndKeepsEveryRecord) {
  for (int method = 0; method < block_swap_method_count; ++method) {
    for (bool quick : {false, true}) {
      for (int L = 0; L <= 9; ++L) {
        for (int R = 0; R <= 9; ++R) {
          for (int first : {0, 3, set_size - L - R}) {
            const auto keys = prepare(method, quick);
            const int mid = first + L, last = mid + R - 1;
            block_swap(first, mid, last);
            processing_active = false;
            SCOPED_TRACE(where(method, quick, first, L, R));
            std::vector<int> expected(set_size);
            std::iota(expected.begin(), expected.end(), 0);
            if (L > 0 && R > 0) {
              std::rotate(expected.begin() + first, expected.begin() + mid,
                          expected.begin() + last + 1);
            }
            ASSERT_EQ(start_positions(0, set_size - 1), expected);
            ASSERT_TRUE(test::permutation_intact(keys));
            if (L == 0 || R == 0) {
              EXPECT_EQ(ops(), 0u);
            }
            for (int p = 0; p < set_size; ++p) ASSERT_EQ(elements[p].visited_mark, 0) << p;
          }
        }
      }
    }
  }
}

// The range ends at the last slot of the array, invisible slots included: a method that reads one
// place behind the range reads behind the array here (ASan).
TEST(BlockSwapping, RangeUpToTheLastSlot) {
  for (int method = 0; method < block_swap_method_count; ++method) {
    for (int L = 1; L <= 10; ++L) {
      prepare(method, false);
      elements.shrink_to_fit();
      const int slots = static_cast<int>(elements.size());
      for (int p = 0; p < slots; ++p) elements[p].start_position = static_cast<uint16_t>(p);
      const int first = slots - 11, mid = first + L, last = slots - 1;
      block_swap(first, mid, last);
      std::vector<int> expected(11);
      std::iota(expected.begin(), expected.end(), first);
      std::rotate(expected.begin(), expected.begin() + L, expected.end());
      EXPECT_EQ(start_positions(first, last), expected) << "method " << method << " L " << L;
    }
  }
}

TEST(BlockSwapping, CountsOfParticularMethods) {
  // Equal blocks with the quick rule: L pairwise swappings and no movings, whatever the method.
  for (int method = 0; method < block_swap_method_count; ++method) {
    prepare(method, true);
    block_swap(2, 8, 13);
    EXPECT_EQ(swappings.get(), 6u) << method;
    EXPECT_EQ(movings.get(), 0u) << method;
  }
  // With "optional swaps" a pair already in order is not exchanged.
  prepare(6, true);
  const int32_t ordered[8] = {0, 1, 5, 3, 6, 5, 4, 3};
  for (int p = 0; p < 8; ++p) elements[p].key = ordered[p];
  settings.optional_swaps = true;
  block_swap(0, 4, 7);
  EXPECT_EQ(swappings.get(), 1u);  // only 5 against 4 is out of order
  EXPECT_EQ(movings.get(), 0u);

  // Equal blocks without the rule: 3, 4 and 5 exchange pairwise, 6 and 7 rotate R times one step
  // over the whole range (t + 1 movings each).
  for (int method = 3; method <= 7; ++method) {
    prepare(method, false);
    block_swap(0, 5, 9);
    if (method <= 5) {
      EXPECT_EQ(swappings.get(), 5u) << method;
      EXPECT_EQ(movings.get(), 0u) << method;
    } else {
      EXPECT_EQ(swappings.get(), 0u) << method;
      EXPECT_EQ(movings.get(), 5u * 11u) << method;
    }
  }

  // 11 with a one-element block: no swapping for it, 2 for the other block, 3 for the whole.
  prepare(11, false);
  block_swap(0, 1, 5);
  EXPECT_EQ(swappings.get(), 5u);
  EXPECT_EQ(start_positions(0, 5), (std::vector<int>{1, 2, 3, 4, 5, 0}));

  // 22 with L = 2, R = 3: four swappings.
  prepare(22, false);
  block_swap(0, 2, 4);
  EXPECT_EQ(swappings.get(), 4u);
  EXPECT_EQ(start_positions(0, 4), (std::vector<int>{2, 3, 4, 0, 1}));

  // Juggling: each cycle costs one read and one store besides its moves, so t + cycles movings.
  prepare(15, false);
  block_swap(0, 3, 9);  // t = 10, L = 3: one cycle
  EXPECT_EQ(movings.get(), 11u);
  prepare(15, false);
  block_swap(0, 3, 11);  // t = 12, L = 3: three cycles
  EXPECT_EQ(movings.get(), 15u);

  // 1 and 2 stop after gcd(t, d) cycles: a cycle of c elements costs 3c - 1 movings.
  struct Shape {
    int L, R, cycles;
  };
  for (const Shape s : {Shape{4, 6, 2}, Shape{3, 7, 1}, Shape{6, 9, 3}}) {
    for (int method : {1, 2}) {
      prepare(method, false);
      block_swap(0, s.L, s.L + s.R - 1);
      EXPECT_EQ(movings.get(), 3u * (s.L + s.R) - s.cycles) << method << " L " << s.L;
    }
  }

  // 12 reads the first element, makes t placements of three movings each and reads again after
  // each closed cycle, also after the last placement: L = 2, R = 2 places at 2 and 0 (closed,
  // read 3), at 1 and 3 (closed, read 2): 1 + 4 * 3 + 2 = 15. L = 1, R = 1: 1 + 2 * 3 + 1 = 8;
  // its last read addresses the slot behind the range, at the array's end the range start.
  struct Twelve {
    int first, L, R;
    uint64_t movings;
  };
  const int end_of_array = static_cast<int>(element_slots_for(set_size));
  for (const Twelve c : {Twelve{0, 2, 2, 15}, Twelve{5, 1, 1, 8}, Twelve{0, 2, 3, 17},
                         Twelve{end_of_array - 2, 1, 1, 8}}) {
    prepare(12, false);
    elements.shrink_to_fit();
    for (int p = set_size; p < end_of_array; ++p) {
      elements[p].start_position = static_cast<uint16_t>(p);
    }
    block_swap(c.first, c.first + c.L, c.first + c.L + c.R - 1);
    EXPECT_EQ(movings.get(), c.movings) << "first " << c.first << " L " << c.L << " R " << c.R;
    std::vector<int> expected(c.L + c.R);
    std::iota(expected.begin(), expected.end(), c.first);
    std::rotate(expected.begin(), expected.begin() + c.L, expected.end());
    EXPECT_EQ(start_positions(c.first, c.first + c.L + c.R - 1), expected) << c.first;
  }

  // An item index outside the list does nothing.
  prepare(block_swap_method_count, false);
  block_swap(0, 3, 9);
  EXPECT_EQ(ops(), 0u);
  EXPECT_EQ(start_positions(0, 2), (std::vector<int>{0, 1, 2}));
}

// With "optional swaps" an exchange of an ordered pair is refused, so the swapping methods need
// not rotate; every method still ends by itself and loses nothing.
TEST(BlockSwapping, OptionalSwapsEndAndKeepEveryRecord) {
  for (int method = 0; method < block_swap_method_count; ++method) {
    for (int L : {1, 4, 7, 11}) {
      const auto keys = prepare(method, false);
      settings.optional_swaps = true;
      set_break_after_ops(100000);  // a safety net: reaching it means an endless loop
      block_swap(2, 2 + L, 13);
      EXPECT_FALSE(break_off) << "method " << method << " L " << L;
      EXPECT_TRUE(test::permutation_intact(keys)) << "method " << method << " L " << L;
      set_break_after_ops(0);
    }
  }
}

// A break-off after K operations, for every K up to a whole run: the range stays a permutation,
// the method returns promptly (at most one step plus the held elements after the K-th
// operation), and nothing outside the range changes.
TEST(BlockSwapping, BreakOffKeepsThePermutation) {
  struct Shape {
    int L, R;
  };
  for (int method = 0; method < block_swap_method_count; ++method) {
    for (const Shape s :
         {Shape{7, 23}, Shape{23, 7}, Shape{15, 15}, Shape{1, 29}, Shape{12, 18}, Shape{29, 1}}) {
      const int first = 5, mid = first + s.L, last = mid + s.R - 1;
      prepare(method, false);
      block_swap(first, mid, last);
      const uint64_t whole = ops();
      for (uint64_t k = 1; k <= whole; ++k) {
        const auto keys = prepare(method, false);
        set_break_after_ops(k);
        block_swap(first, mid, last);
        const uint64_t done = ops();
        set_break_after_ops(0);
        SCOPED_TRACE(where(method, false, first, s.L, s.R) + " K " + std::to_string(k));
        ASSERT_TRUE(test::permutation_intact(keys));
        ASSERT_LE(done, k + std::min(s.L, s.R) + 6);
        EXPECT_EQ(start_positions(0, first - 1), (std::vector<int>{0, 1, 2, 3, 4}));
        EXPECT_EQ(elements[last + 1].start_position, last + 1);
      }
    }
  }
}

}  // namespace
}  // namespace mv::block_swapping_test

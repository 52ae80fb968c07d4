#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "algorithms/registry.h"
#include "algorithms/selection_heap_smooth_sorts.h"
#include "engine/parameters.h"
#include "engine_fixture.h"

namespace mv::selection_heap_smooth_test {
namespace {

const std::vector<int> family = {88, 89,  90,  91,  92,  93,  94,  95,  96,  97,  98,
                                 99, 259, 318, 319, 320, 321, 370, 371, 372, 373, 391};

// Entries that order by the stable comparisons when "stable comparings" is on.
const std::vector<int> offering_stable_comparings = {89, 91, 92, 94, 96, 97, 99, 318, 319, 321};

std::vector<int32_t> random_keys(int n, int range, uint32_t seed) {
  random_seed = seed;
  std::vector<int32_t> keys(n);
  for (auto& k : keys) k = static_cast<int32_t>(Random(range)) + 1;
  return keys;
}

std::vector<std::vector<int32_t>> test_sets() {
  std::vector<std::vector<int32_t>> sets = {{2, 1}, {1, 2}, {5, 5}, {3, 1, 2}, {2, 2, 1}};
  for (int n : {17, 100}) {
    sets.push_back(random_keys(n, n, 7u + n));   // some duplicates
    sets.push_back(random_keys(n, 4, 11u + n));  // many duplicates
    std::vector<int32_t> ascending(n), descending(n);
    for (int i = 0; i < n; ++i) ascending[i] = i + 1, descending[i] = n - i;
    sets.push_back(ascending);
    sets.push_back(descending);
  }
  return sets;
}

class SelectionHeapSmooth : public ::testing::Test {
 protected:
  void SetUp() override {
    register_all_algorithms();
    parameters.Param_heapnsort = 2;
    parameters.Param_heapfsort = 2;
    settings.stabilize_locally = false;
  }
  void TearDown() override {
    set_host(nullptr);
    settings.stabilize_locally = false;
  }
};

// The catalogue grid runs with stable comparings on; here without them.
TEST_F(SelectionHeapSmooth, EveryEntrySortsWithAndWithoutStableComparings) {
  for (int index : family) {
    for (const auto& keys : test_sets()) {
      test::prepare_set(keys);
      settings.stable_comparings_checked = false;
      test::run_procedure(index);
      EXPECT_TRUE(test::keys_sorted()) << index << " n=" << keys.size();
      EXPECT_TRUE(test::permutation_intact(keys)) << index << " n=" << keys.size();
    }
  }
}

TEST_F(SelectionHeapSmooth, StabilityWhereStatedOrOffered) {
  const auto keys = random_keys(100, 5, 3u);
  // The stable heap sort and the smooth sort sharing its code are stable with the box off.
  for (int index : {98, 373}) {
    test::prepare_set(keys);
    settings.stable_comparings_checked = false;
    settings.stable_comparings_enabled = false;
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_TRUE(test::equal_keys_in_start_order()) << index;
  }
  // Entries that order by the stable comparisons keep equal keys in start order with it on.
  for (int index : offering_stable_comparings) {
    test::prepare_set(keys);
    test::run_procedure(index);
    EXPECT_TRUE(test::equal_keys_in_start_order()) << index;
  }
  // A plain heap sort is not: the check above can fail.
  test::prepare_set(keys);
  settings.stable_comparings_checked = false;
  test::run_procedure(91);
  EXPECT_FALSE(test::equal_keys_in_start_order());
}

TEST_F(SelectionHeapSmooth, BreakOffKeepsThePermutation) {
  const auto keys = random_keys(30, 8, 5u);
  for (int index : family) {
    test::expect_prompt_break_offs(index, keys, 40, 2 * keys.size() + 8, test::prepare_set);
  }
}

TEST_F(SelectionHeapSmooth, SelectionSortDetails) {
  // On a sorted set every swap is of a position with itself: no exchange.
  test::prepare_set({1, 2, 3, 4, 5});
  settings.stable_comparings_checked = false;
  test::run_procedure(318);
  EXPECT_EQ(swappings, 0u);
  EXPECT_EQ(comparisons, 10u);

  // With the box on, the equal key with the smaller start position comes first.
  test::prepare_set({2, 1, 2, 1});
  test::run_procedure(318);
  EXPECT_EQ(elements[0].start_position, 1);
  EXPECT_EQ(elements[1].start_position, 3);
  EXPECT_EQ(elements[2].start_position, 0);
  EXPECT_EQ(elements[3].start_position, 2);

  // "locally" repairs what the long exchanges disturb.
  const auto keys = random_keys(40, 4, 9u);
  for (int index : {318, 319, 321}) {
    test::prepare_set(keys);
    settings.stable_comparings_checked = false;
    settings.stabilize_locally = true;
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_TRUE(test::permutation_intact(keys)) << index;
  }
}

TEST_F(SelectionHeapSmooth, HeapSortOriginalOnTwoColumns) {
  // One sift-down at 0 (one comparison ends it) and one exchange.
  test::prepare_set({2, 1});
  settings.stable_comparings_enabled = false;
  test::run_procedure(88);
  EXPECT_EQ(test::keys_of_set(), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(swappings, 1u);
  EXPECT_EQ(comparisons, 3u);  // build: child test and stop; after the exchange: stop
  EXPECT_EQ(movings, 4u);      // each sift reads and stores its buffer
}

// The n-heap sort's arity and the heap-f sort's factor at and beyond their edges.
TEST_F(SelectionHeapSmooth, NHeapSortAritiesAndHeapFSortFactors) {
  const struct {
    int index;
    int32_t Parameters::*parameter;
    std::vector<int> values;
  } cases[] = {{96, &Parameters::Param_heapnsort, {-3, 0, 1, 2, 3, 7, 49, 50, 1000, 40000000}},
               {97, &Parameters::Param_heapfsort, {0, 1, 2, 3, 17, 40, 1000}}};
  const auto keys = random_keys(50, 20, 13u);
  for (const auto& c : cases) {
    for (int value : c.values) {
      test::prepare_set(keys);
      parameters.*c.parameter = value;
      test::run_procedure(c.index);
      EXPECT_TRUE(test::keys_sorted()) << c.index << " with " << value;
      EXPECT_TRUE(test::permutation_intact(keys)) << c.index << " with " << value;
    }
  }

  // An arity whose child indexes leave the 32-bit range: the message, the set untouched.
  struct MessageHost : Host {
    std::vector<std::string> messages;
    void show_message(const std::string& text) override { messages.push_back(text); }
  } messages;
  test::prepare_set(keys);
  set_host(&messages);
  parameters.Param_heapnsort = 50000000;
  test::run_procedure(96);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], "Der Parameter ist zu groß!");
  EXPECT_EQ(test::keys_of_set(), keys);
  EXPECT_EQ(comparisons + movings + swappings, 0u);
}

TEST_F(SelectionHeapSmooth, SmoothSortsAreLinearOnSortedSets) {
  const int n = 4000;
  std::vector<int32_t> ascending(n), descending(n);
  for (int i = 0; i < n; ++i) ascending[i] = i + 1, descending[i] = n - i;
  for (int index : {370, 371, 372, 98}) {
    test::prepare_set(ascending);
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_EQ(swappings, 0u) << index;
    // A few comparisons per element; a heap sort needs about 2 n log2 n (24 n here).
    EXPECT_LT(comparisons, 8u * n) << index;
    test::prepare_set(descending);
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_TRUE(test::permutation_intact(descending)) << index;
  }
}

TEST_F(SelectionHeapSmooth, LargestSets) {
  const auto keys = random_keys(65535, 1000, 21u);
  for (int index : {88, 370, 371, 372, 98}) {
    test::prepare_set(keys);
    test::run_procedure(index);
    EXPECT_TRUE(test::keys_sorted()) << index;
    EXPECT_TRUE(test::permutation_intact(keys)) << index;
  }
}

TEST_F(SelectionHeapSmooth, LeonardoNumbers) {
  const std::vector<int> first = {1,   1,   3,   5,   9,    15,   25,   41,   67,   109,
                                  177, 287, 465, 753, 1219, 1973, 3193, 5167, 8361, 13529};
  for (size_t k = 0; k < first.size(); ++k) EXPECT_EQ(leonardo_numbers[k], first[k]);
  EXPECT_EQ(leonardo_numbers[leonardo_count - 1], 57313);  // the last to fit 16 bits
}

// ---- The presorting forms: keys only, uncounted, stopped early -------------------------------

class PresortingForms : public SelectionHeapSmooth {
 protected:
  void prepare() {
    keys_ = random_keys(60, 40, 31u);
    test::prepare_set(keys_);
    sorted_ = keys_;
    std::sort(sorted_.begin(), sorted_.end());
  }
  // Nothing counted, the keys a permutation of the start keys, every record's start position and
  // colour where it was.
  void expect_keys_only() {
    EXPECT_EQ(comparisons + movings + swappings, 0u);
    auto now = test::keys_of_set();
    std::sort(now.begin(), now.end());
    EXPECT_EQ(now, sorted_);
    for (int i = 0; i < column_count(); ++i) {
      EXPECT_EQ(elements[i].start_position, i);
      EXPECT_EQ(elements[i].colour, 0x010203u * static_cast<uint32_t>(i + 1));
    }
  }
  std::vector<int32_t> keys_, sorted_;
};

TEST_F(PresortingForms, HeapSortStopsAfterEMinusOneMaxima) {
  for (int E : {0, 1, 2, 10, 60, 100}) {
    prepare();
    presort_heap_sort(E);
    expect_keys_only();
    const int placed = std::clamp(E - 1, 0, 59);
    for (int k = 0; k < placed; ++k) EXPECT_EQ(elements[59 - k].key, sorted_[59 - k]) << E;
    // The rest is a heap whose root is the largest key left.
    const int rest = 59 - placed;
    EXPECT_EQ(elements[0].key, sorted_[rest]) << E;
  }
}

TEST_F(PresortingForms, ReverseHeapSortStopsAtItsPosition) {
  for (int stop : {0, 1, 9, 59, 80}) {
    prepare();
    presort_reverse_heap_sort(stop);
    expect_keys_only();
    const int placed = stop <= 0 ? 0 : std::min(stop, 59) + 1;
    for (int k = 0; k < placed; ++k) EXPECT_EQ(elements[k].key, sorted_[k]) << stop;
    // The root at the right end holds the smallest key left.
    if (placed < 60) {
      EXPECT_EQ(elements[59].key, sorted_[placed]) << stop;
    }
  }
}

TEST_F(PresortingForms, SmoothSortStopsWhereTheSortedPartReachesItsPosition) {
  for (int stop : {0, 1, 30, 59, 60}) {
    prepare();
    presort_smooth_sort(stop);
    expect_keys_only();
    const int from = std::max(stop, 1);
    for (int k = from; k < 60; ++k) EXPECT_EQ(elements[k].key, sorted_[k]) << stop;
    // The forest left over is rectified: its last root is the largest key left.
    EXPECT_EQ(elements[from - 1].key, sorted_[from - 1]) << stop;
    // Stopped early, less than the whole set is sorted.
    if (stop >= 30) {
      EXPECT_FALSE(test::keys_sorted()) << stop;
    }
  }
}

}  // namespace
}  // namespace mv::selection_heap_smooth_test

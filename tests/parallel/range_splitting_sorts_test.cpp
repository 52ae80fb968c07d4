// The parallel range-splitting sorts: every entry sorts and keeps its records in both modes, with
// and without a thread limit and "stable comparings", also on shapes that need more ranges than
// threads may live; what the thread limit means for them; break-off at any point.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <string>
#include <vector>

#include "engine/controls.h"
#include "engine/headless_run.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/run_driver.h"
#include "engine_fixture.h"
#include "initial_set/initial_set.h"
#include "parallel/thread_framework.h"

namespace mv {
namespace {

using test::equal_keys_in_start_order;
using test::keys_sorted;
using test::permutation_intact;
using test::prepare_set;
using test::random_keys;
using test::run_procedure;

const std::vector<int> entries = {69, 185, 186, 272, 308, 309, 310, 311, 314, 315, 322, 380};
bool stable_entry(int index) {
  return index == 185 || index == 186 || index == 309 || index == 311 || index == 315 ||
         index == 380;
}

// A headless host that records, at every exchange or store a worker asks for, how many threads
// live and how many count as running.
class ObservingHost : public Host {
 public:
  std::atomic<int> max_live{0};
  std::atomic<int> max_running{0};
  // Watches the exchanges on their way to the main thread, as the windows make them.
  bool exchanges_on_main_thread() override { return true; }
  void run_on_main_thread(const std::function<void()>& f) override {
    atomic_raise(max_live, live_threads());
    atomic_raise(max_running, running_threads.load());
    post_to_main_thread_and_wait(f);
  }
};

struct RunSetup {
  int mode = 1;
  int limit = 0;
  bool stable = false;
  uint64_t break_after = 0;
};

// Runs an entry on the keys as the run driver would; afterwards no worker is left.
void run_entry(int index, const std::vector<int32_t>& keys, const RunSetup& s,
               Host* observer = nullptr) {
  prepare_set(keys);
  if (observer) set_host(observer);
  settings.stable_comparings_checked = s.stable;
  parameters.thread_limit = s.limit;
  simultaneous_mode = s.mode;
  set_break_after_ops(s.break_after);
  run_procedure(index);
  set_break_after_ops(0);
  if (observer) set_host(nullptr);
  ASSERT_EQ(live_threads(), 0);
}

std::vector<std::vector<int32_t>> shapes_of(int n) {
  std::vector<int32_t> sorted(n), reversed(n);
  std::iota(sorted.begin(), sorted.end(), 1);
  std::reverse_copy(sorted.begin(), sorted.end(), reversed.begin());
  return {random_keys(n, std::max(2, n / 3), 17u + n), random_keys(n, 3 * n, 5u + n), sorted,
          reversed};
}

// Every entry on random keys with and without repeats, sorted and reversed keys, at the sizes
// that matter for the split rules (2, 3, odd, a power of two, beyond the table's leaves).
TEST(RangeSplittingSorts, SortAndKeepRecordsInEveryMode) {
  for (const int index : entries) {
    for (const int n : {2, 3, 7, 100, 1000}) {
      if (index == 322 && n > 7) continue;  // n - 1 rounds of a worker tree: slow, not special
      const auto shapes = shapes_of(n);
      for (size_t shape = 0; shape < shapes.size(); ++shape) {
        for (const int mode : {1, 2}) {
          for (const int limit : {0, 1, 4}) {
            for (const bool stable : {false, true}) {
              // The full grid on small sets; larger ones on fewer shapes and limits, to stay short.
              if (n >= 64 && (limit == 4 || shape == 2)) continue;
              if (n == 1000 && (limit != 0 || mode != 2 || shape >= 2)) continue;
              SCOPED_TRACE(std::to_string(index) + " n=" + std::to_string(n) + " shape " +
                           std::to_string(shape) + " mode " + std::to_string(mode) + " limit " +
                           std::to_string(limit) + (stable ? " stable" : " plain"));
              run_entry(index, shapes[shape], {mode, limit, stable});
              ASSERT_FALSE(break_off);
              ASSERT_TRUE(permutation_intact(shapes[shape]));
              ASSERT_TRUE(keys_sorted());
              if (stable_entry(index) || (index == 322 && stable)) {
                EXPECT_TRUE(equal_keys_in_start_order());
              }
            }
          }
        }
      }
    }
  }
}

// More ranges than the pool holds threads (quick sort and split sort on a chain of partitions,
// the rest on sizes with thousands of ranges): every range still gets a worker of its own, and
// a worker waiting for its parts gives its thread back meanwhile.
TEST(RangeSplittingSorts, ChainsLongerThanTheThreadsEnd) {
  const int n = 1000;
  std::vector<int32_t> sorted(n), equal(n, 5);
  std::iota(sorted.begin(), sorted.end(), 1);
  for (const int index : {272, 380, 69, 185, 186, 314, 315}) {
    for (const auto& keys : {sorted, equal, random_keys(n, n, 3)}) {
      SCOPED_TRACE(index);
      run_entry(index, keys, {2, 0, false});
      ASSERT_FALSE(break_off);
      EXPECT_TRUE(permutation_intact(keys));
      EXPECT_TRUE(keys_sorted());
    }
  }
}

TEST(RangeSplittingSorts, QuickSortOnTwoElementsIsOneWorkerAndOneComparison) {
  for (const auto& keys : {std::vector<int32_t>{9, 4}, std::vector<int32_t>{4, 9}}) {
    run_entry(272, keys, {});
    EXPECT_EQ(threads.get(), 1u);
    EXPECT_EQ(comparisons.get(), 1u);
    EXPECT_EQ(swappings.get(), keys[0] > keys[1] ? 1u : 0u);
    EXPECT_TRUE(keys_sorted());
  }
}

// The parallel minimum search starts a worker for every record of its range tree: a tree over m
// elements (m >= 2) has m - 1 records, a leaf for two or three elements and an inner record
// joining two subtrees, so the rounds i = 0 .. n - 2 start n(n - 1) / 2 workers, 21 for n = 7,
// whatever the machine allows.
TEST(RangeSplittingSorts, MinimumSearchStartsOneWorkerPerRecordOfEveryTree) {
  for (const auto& keys : {std::vector<int32_t>{4, 7, 1, 6, 2, 5, 3}, random_keys(40, 20, 9)}) {
    run_entry(322, keys, {});
    const uint32_t n = static_cast<uint32_t>(keys.size());
    EXPECT_EQ(threads.get(), n * (n - 1) / 2);
    EXPECT_TRUE(keys_sorted());
    EXPECT_TRUE(permutation_intact(keys));
  }
}

// The out-of-place radix variants keep equal keys in start order without "stable comparings";
// the in-place ones, on the same keys, do not.
TEST(RangeSplittingSorts, OutOfPlaceRadixKeepsEqualKeysInStartOrder) {
  const auto keys = random_keys(300, 6, 41);
  for (const int index : {309, 311, 315}) {
    run_entry(index, keys, {2, 0, false});
    EXPECT_TRUE(keys_sorted()) << index;
    EXPECT_TRUE(equal_keys_in_start_order()) << index;
  }
  bool some_in_place_unstable = false;
  for (const int index : {308, 310, 314}) {
    run_entry(index, keys, {2, 0, false});
    EXPECT_TRUE(keys_sorted()) << index;
    some_in_place_unstable = some_in_place_unstable || !equal_keys_in_start_order();
  }
  EXPECT_TRUE(some_in_place_unstable);
}

// A thread limit of 1 makes the iterative radix sort run its segment workers one after another;
// the quick sort starts its workers regardless of it.
TEST(RangeSplittingSorts, ThreadLimitBindsTheIterativeRadixSortOnly) {
  const auto keys = random_keys(500, 500, 8);
  for (const int index : {308, 309, 310, 311}) {
    ObservingHost observer;
    run_entry(index, keys, {2, 1, false}, &observer);
    EXPECT_TRUE(keys_sorted()) << index;
    EXPECT_EQ(observer.max_running.load(), 1) << index;
    EXPECT_GT(threads.get(), 20u) << index;  // one worker per segment and bit
  }
  {
    ObservingHost observer;
    run_entry(308, keys, {2, 4, false}, &observer);
    EXPECT_LE(observer.max_running.load(), 4);
  }
  ObservingHost observer;
  run_entry(272, keys, {2, 1, false}, &observer);
  EXPECT_TRUE(keys_sorted());
  EXPECT_GT(observer.max_live.load(), 1);
  EXPECT_GT(threads.get(), 20u);
}

// A break-off after K operations, for many K: every worker stops, buffered merges and
// distributions are written back whole, and the set keeps its records.
TEST(RangeSplittingSorts, BreakOffKeepsEveryRecord) {
  const auto keys = random_keys(100, 40, 12);
  for (const int index : entries) {
    for (const int mode : {1, 2}) {
      for (const uint64_t k : {1u, 2u, 5u, 17u, 60u, 150u, 400u, 900u, 2000u, 5000u}) {
        SCOPED_TRACE(std::to_string(index) + " mode " + std::to_string(mode) +
                     " K=" + std::to_string(k));
        run_entry(index, keys, {mode, 0, mode == 2, k});
        EXPECT_TRUE(permutation_intact(keys));
      }
    }
  }
}

// Through the whole run driver: a break-off during the breadth-first merge sort ends the run
// exactly once, with the break-off report, after the last worker has ended.
class CountingHost : public Host {
 public:
  int ends = 0;
  int live_at_end = -1;
  std::string report;
  std::vector<Element> final_set;
  void run_finished() override {
    ++ends;
    live_at_end = live_threads();
    final_set.assign(elements.begin(), elements.begin() + column_count());
  }
  void show_report(const std::string& text) override { report = text; }
};

uint64_t break_after_for_run = 0;

TEST(RangeSplittingSorts, BreakOffDuringBreadthFirstMergeSortEndsTheRunOnce) {
  for (const uint64_t k : {3u, 40u, 300u, 1500u}) {
    set_first_start_defaults(65535, 65535, 100, 100);
    settings.columns = 200;
    settings.rows = 200;
    normalise_controls();
    controls.ComboBox1 = 185;
    CountingHost counting;
    set_host(&counting);
    random_seed = 7;
    CreateInitialSet();
    std::vector<int32_t> start_keys;
    for (int i = 0; i < column_count(); ++i) start_keys.push_back(elements[i].key);
    break_after_for_run = k;
    run_algorithm([] { set_break_after_ops(break_after_for_run); });
    set_break_after_ops(0);
    set_host(nullptr);
    EXPECT_EQ(counting.ends, 1) << k;
    EXPECT_EQ(counting.live_at_end, 0) << k;
    ASSERT_EQ(counting.final_set.size(), start_keys.size());
    std::vector<int> seen(start_keys.size(), 0);
    for (const Element& e : counting.final_set) {
      ASSERT_LT(e.start_position, start_keys.size());
      EXPECT_EQ(seen[e.start_position]++, 0);
      EXPECT_EQ(e.key, start_keys[e.start_position]);
    }
    const std::string phrase = "sorting breaked off";
    EXPECT_EQ(counting.report.find(phrase), 0u) << counting.report;
    EXPECT_EQ(counting.report.find(phrase, 1), std::string::npos) << counting.report;
    EXPECT_FALSE(processing_active);
  }
}

}  // namespace
}  // namespace mv

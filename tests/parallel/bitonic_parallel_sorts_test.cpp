// The parallel bitonic merge sorts 13, 15, 19, 21, 25 and 27-32: they sort with every element
// kept in both "simultaneous sorting" modes and under any thread limit, keep equal keys in
// order with "stable comparings" where they are conditional stable, keep every element when
// broken off, make exactly the compare-exchanges of their sequential relatives, and really run
// their workers at the same time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/headless_run.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/run_driver.h"
#include "engine_fixture.h"
#include "parallel/thread_framework.h"

namespace mv {
namespace {

const std::vector<int> bitonic_entries = {13, 15, 19, 21, 25, 27, 28, 29, 30, 31, 32};

bool conditional_stable(int index) {
  return index != 13 && index != 27 && index != 30;
}

// Columns, mode (0 = mode 1), stable comparings; keys out of five values, so equal keys abound.
void apply(int columns, int mode, bool stable) {
  set_first_start_defaults(65535, 65535, 100, 100);
  settings.columns = columns;
  settings.rows = 64;
  controls.ComboBox3 = 0;
  controls.SpinEdit7 = 5;
  controls.RadioGroup8 = mode;
  normalise_controls();
  settings.stable_comparings_checked = stable;
}

std::string describe(int index, int columns, int mode, int limit, bool stable) {
  return std::to_string(index) + " on " + std::to_string(columns) + " columns, mode " +
         std::to_string(mode + 1) + ", thread limit " + std::to_string(limit) +
         (stable ? ", stable comparings" : "");
}

class BitonicParallel : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { parameters.thread_limit = 0; }
};

TEST_P(BitonicParallel, SortsInBothModesUnderAnyThreadLimit) {
  const int index = GetParam();
  for (int columns : {2, 3, 7, 100}) {
    for (int mode : {0, 1}) {
      for (int limit : {0, 1, 4}) {
        for (bool stable : {true, false}) {
          apply(columns, mode, stable);
          parameters.thread_limit = limit;
          const HeadlessRun run = run_headless(index, static_cast<uint32_t>(columns + limit), 0);
          SCOPED_TRACE(describe(index, columns, mode, limit, stable));
          ASSERT_TRUE(run.dispatched);
          EXPECT_FALSE(run.broken_off);
          EXPECT_TRUE(run.permutation_intact());
          EXPECT_TRUE(run.sorted());
          if (stable && conditional_stable(index)) {
            EXPECT_EQ(run.stability_inversions(), 0u);
          }
          if (run.final_set.size() >= 4) {
            EXPECT_GT(run.threads, 1u);
          }
        }
      }
    }
  }
}

TEST_P(BitonicParallel, SortsAThousandColumns) {
  const int index = GetParam();
  apply(1000, index % 2, true);
  const HeadlessRun run = run_headless(index, 5, 0);
  const size_t expected = (index == 13 || index == 27 || index == 30) ? 1000u : 1024u;
  EXPECT_EQ(run.final_set.size(), expected);
  EXPECT_TRUE(run.permutation_intact());
  EXPECT_TRUE(run.sorted());
  if (conditional_stable(index)) {
    EXPECT_EQ(run.stability_inversions(), 0u);
  }
}

TEST_P(BitonicParallel, BreakOffKeepsEveryElement) {
  const int index = GetParam();
  for (int mode : {0, 1}) {
    apply(100, mode, mode == 0);
    for (uint64_t k : {1u, 3u, 20u, 150u, 999u, 6000u}) {
      const HeadlessRun run = run_headless(index, static_cast<uint32_t>(k), k);
      ASSERT_TRUE(run.permutation_intact()) << index << " mode " << mode + 1 << " after " << k;
      if (k < 100) {
        EXPECT_TRUE(run.broken_off) << index << " after " << k;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Entries, BitonicParallel, ::testing::ValuesIn(bitonic_entries));

// The simultaneous merges run the comparators of the sequential merges, and comparators of one
// distance never share an element, so the result and every count are those of the relative.
TEST(BitonicParallelRelatives, SameComparatorsAsTheSequentialSort) {
  const std::pair<int, int> pairs[] = {{13, 11}, {15, 14}, {19, 16}, {21, 20}, {25, 22},
                                       {28, 20}, {31, 20}, {29, 22}, {32, 22}};
  for (const auto& [parallel, sequential] : pairs) {
    for (bool stable : {true, false}) {
      apply(64, 1, stable);
      const HeadlessRun p = run_headless(parallel, 17, 0);
      const HeadlessRun s = run_headless(sequential, 17, 0);
      SCOPED_TRACE(std::to_string(parallel) + " against " + std::to_string(sequential) +
                   (stable ? " with stable comparings" : ""));
      ASSERT_EQ(p.final_set.size(), s.final_set.size());
      for (size_t i = 0; i < p.final_set.size(); ++i) {
        ASSERT_EQ(p.final_set[i].start_position, s.final_set[i].start_position) << "at " << i;
      }
      EXPECT_EQ(p.comparisons, s.comparisons);
      EXPECT_EQ(p.swappings, s.swappings);
      EXPECT_EQ(p.movings, s.movings);
    }
  }
}

// A host that holds every worker a moment before its exchange or store reaches the main thread
// and notes how many workers were waiting for the main thread at once, and how many of the
// hand-over workers were running.
class OverlapHost : public Host {
 public:
  std::atomic<int> inside{0};
  std::atomic<int> most_inside{0};
  std::atomic<int> most_running{0};

  // Watches the exchanges on their way to the main thread, as the windows make them.
  bool exchanges_on_main_thread() override { return true; }
  void run_on_main_thread(const std::function<void()>& f) override {
    if (on_main_thread()) {
      f();
      return;
    }
    arrive();
    post_to_main_thread_and_wait(f);
    inside.fetch_sub(1);
  }
  // A worker's last exchange: it waits in the main thread's queue until it is made.
  void post_on_main_thread(std::function<void()> f) override {
    if (on_main_thread()) {
      f();
      return;
    }
    arrive();
    post_to_main_thread([this, f = std::move(f)] {
      f();
      inside.fetch_sub(1);
    });
  }

 private:
  // A worker comes to the main thread: noted, then held a moment so that others queue up too.
  void arrive() {
    atomic_raise(most_inside, inside.fetch_add(1) + 1);
    atomic_raise(most_running, running_threads.load());
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
};

struct DirectRun {
  int most_inside = 0;
  int most_running = 0;
  uint32_t threads = 0;
  uint64_t comparisons = 0;
  bool sorted = false;
  bool intact = false;
};

// Runs an entry straight through its procedure on 64 keys with the overlap host, in mode 2
// (exchanges not serialized by the lock, so several workers can wait for the main thread).
DirectRun run_direct(int index, int limit) {
  const std::vector<int32_t> keys = test::random_keys(64, 40, 3);
  test::prepare_set(keys);
  OverlapHost overlap;
  set_host(&overlap);
  simultaneous_mode = 2;
  parameters.thread_limit = limit;
  test::run_procedure(index);
  set_host(nullptr);
  simultaneous_mode = 1;
  parameters.thread_limit = 0;
  return {overlap.most_inside.load(), overlap.most_running.load(), threads.get(),
          comparisons.get(),          test::keys_sorted(),         test::permutation_intact(keys)};
}

TEST(BitonicParallelThreads, WorkersRunAtTheSameTime) {
  for (int index : bitonic_entries) {
    const DirectRun run = run_direct(index, 0);
    SCOPED_TRACE(index);
    EXPECT_TRUE(run.sorted);
    EXPECT_TRUE(run.intact);
    EXPECT_GE(run.most_inside, 2) << "no two workers ever waited for an exchange at once";
  }
}

// 13 honours the thread limit: with 1 its stretch merges run one after another, yet every one is
// started as a worker and counted, and the work is the same as without a limit.
TEST(BitonicParallelThreads, NaturalSortHonoursTheThreadLimit) {
  const DirectRun free_run = run_direct(13, 0);
  const DirectRun limited = run_direct(13, 1);
  const DirectRun two = run_direct(13, 2);
  EXPECT_TRUE(limited.sorted);
  EXPECT_TRUE(limited.intact);
  EXPECT_EQ(limited.most_running, 1);
  EXPECT_LE(two.most_running, 2);
  EXPECT_GE(free_run.most_running, 2);
  EXPECT_GT(limited.threads, 1u);
  EXPECT_EQ(limited.threads, free_run.threads);
  EXPECT_EQ(limited.comparisons, free_run.comparisons);
}

}  // namespace
}  // namespace mv

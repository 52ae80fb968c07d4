// The thread framework: exchanges of workers happen on the main thread and are counted exactly,
// the lock never blocks a worker that waits for the main thread, the thread limit holds, finish
// messages reach their parent, and a break-off releases every wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "engine/main_thread.h"
#include "engine/parameters.h"
#include "engine_fixture.h"
#include "parallel/thread_framework.h"

namespace mv {
namespace {

class Framework : public ::testing::Test {
 protected:
  void SetUp() override {
    test::prepare_set(test::random_keys(64, 1000, 5));
    start_keys_ = test::keys_of_set();
    parameters.thread_limit = 0;
    processing_active = true;
  }
  void TearDown() override {
    finish_parallel_run();
    processing_active = false;
    break_off = false;
    parameters.thread_limit = 0;
  }
  std::vector<int32_t> start_keys_;
};

// A host like the windows: the workers' exchanges go to the main thread, which notes any that
// ran elsewhere.
class WindowsLikeHost : public Host {
 public:
  std::atomic<int> off_main{0};
  bool exchanges_on_main_thread() override { return true; }
  void run_on_main_thread(const std::function<void()>& f) override {
    Host::run_on_main_thread([&] {
      if (!on_main_thread()) off_main.fetch_add(1);
      f();
    });
  }
};

// Each of 16 workers compares and exchanges inside its own 4 columns.
void exchange_within_quarter(int base) {
  for (int round = 0; round < 20 && !broken(); ++round) {
    for (int i = base; i < base + 3; ++i) {
      if (elem_greater(i, i + 1)) swap_on_main(i, i + 1);
    }
  }
}

// With windows the exchanges run on the main thread; without, on the workers' own threads one at
// a time. Either way every operation is counted once and nothing is lost.
TEST_F(Framework, WorkersExchangeOneAtATimeAndCountExactly) {
  WindowsLikeHost windows;
  for (const bool with_windows : {false, true})
    for (int mode : {1, 2}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << (with_windows ? ", windows" : ""));
      test::prepare_set(start_keys_);
      set_host(with_windows ? &windows : nullptr);
      processing_active = true;
      begin_parallel_run(column_count());
      simultaneous_mode1 = mode == 1;
      for (int w = 0; w < 16; ++w) {
        ASSERT_NE(start_worker([w] { exchange_within_quarter(4 * w); }), 0u);
      }
      finish_parallel_run();
      set_host(nullptr);
      EXPECT_EQ(windows.off_main.load(), 0);
      EXPECT_EQ(threads.get(), 16u);
      // 20 rounds of 3 comparisons in each of 16 workers, none lost to a race.
      EXPECT_EQ(comparisons.get(), 16u * 20u * 3u);
      EXPECT_TRUE(test::permutation_intact(start_keys_));
      for (int w = 0; w < 16; ++w) {
        EXPECT_TRUE(
            std::is_sorted(elements.begin() + 4 * w, elements.begin() + 4 * w + 4,
                           [](const Element& a, const Element& b) { return a.key < b.key; }));
      }
    }
}

TEST_F(Framework, MainThreadTakesTheLockFromAWorkerThatWaitsForIt) {
  begin_parallel_run(column_count());
  std::atomic<bool> holding{false};
  start_worker([&] {
    FrameworkLock lock;
    holding = true;
    swap_on_main(0, 1, true);  // recursive: held already
  });
  wait_until([&] { return holding.load(); });
  { FrameworkLock lock; }  // would deadlock if the main thread blocked on the lock
  finish_parallel_run();
  EXPECT_EQ(swappings.get(), 1u);
}

TEST_F(Framework, ThreadLimitOneRunsWorkersOneAfterAnother) {
  parameters.thread_limit = 1;
  begin_parallel_run(column_count());
  std::atomic<int> at_once{0}, most{0};
  for (uint16_t t = 0; t < 12; ++t) {
    ASSERT_TRUE(handover_task({t, 0, t}, true, [&](Task task) {
      atomic_raise(most, at_once.fetch_add(1) + 1);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      EXPECT_LT(task.start, 12);
      at_once.fetch_sub(1);
    }));
  }
  EXPECT_TRUE(wait_all_running_done());
  finish_parallel_run();
  EXPECT_EQ(most.load(), 1);
  EXPECT_EQ(threads.get(), 12u);
}

TEST_F(Framework, RangeWorkersReportToTheirParent) {
  begin_parallel_run(column_count());
  std::atomic<int> leaves{0};
  std::function<void(size_t)> body = [&](size_t k) {
    take_record(k);
    const ThreadRange& r = thread_range(k);
    const uint16_t low = r.low, high = r.high;
    const uint32_t parent = r.parent;
    int children = 0;
    if (high - low >= 2) {
      const uint16_t mid = static_cast<uint16_t>((low + high) / 2);
      children += try_start_range_worker(low, 0, mid, body) != 0;
      children += try_start_range_worker(static_cast<uint16_t>(mid + 1), 0, high, body) != 0;
    } else {
      leaves.fetch_add(1);
    }
    EXPECT_EQ(wait_finish_messages(children), children);
    post_message(parent);
  };
  ASSERT_NE(try_start_range_worker(0, 0, 63, body), 0u);
  EXPECT_EQ(wait_finish_messages(1), 1);
  finish_parallel_run();
  EXPECT_EQ(leaves.load(), 32);
  EXPECT_EQ(threads.get(), 63u);
}

TEST_F(Framework, BreakOffReleasesEveryWaitAndThePoolCapHolds) {
  begin_parallel_run(column_count());
  // More workers waiting for a message that never comes than the pool may hold: the rest wait
  // in the queue, and none is dropped.
  for (int w = 0; w < max_pool_threads + 40; ++w) start_worker([] { wait_finish_messages(1); });
  EXPECT_EQ(threads.get(), static_cast<uint32_t>(max_pool_threads + 40));
  EXPECT_NE(try_start_range_worker(0, 0, 5, [](size_t) {}), 0u);
  break_off = true;
  finish_parallel_run();
  EXPECT_EQ(live_threads(), 0);
  EXPECT_LE(peak_pool_threads(), max_pool_threads);
  EXPECT_TRUE(test::permutation_intact(start_keys_));
}

// Thousands of short workers run on a few reused threads, never more than were alive at once.
// (With windows, so that the main thread only serves and the pool runs every worker.)
TEST_F(Framework, ThreadsAreReused) {
  WindowsLikeHost windows;
  set_host(&windows);
  begin_parallel_run(column_count());
  std::atomic<int> ran{0};
  for (int w = 0; w < 3000; ++w) {
    ASSERT_TRUE(handover_task({0, 0, 0}, false, [&](Task) { ran.fetch_add(1); }));
    if (w % 100 == 99) wait_all_running_done();
  }
  finish_parallel_run();
  set_host(nullptr);
  EXPECT_EQ(ran.load(), 3000);
  EXPECT_EQ(threads.get(), 3000u);
  EXPECT_GE(peak_pool_threads(), 1);
  EXPECT_LE(peak_pool_threads(), std::min(peak_live_threads(), 100));
}

// Chains of workers, each waiting for the one it started, far longer than the pool: the waits
// that give their thread back (finish_after_messages) and the blocking waits, whose threads
// run the queued workers they wait for, both reach the end.
TEST_F(Framework, ChainsLongerThanThePoolEnd) {
  for (const bool blocking : {false, true}) {
    SCOPED_TRACE(blocking ? "blocking waits" : "suspended waits");
    threads.set(0);
    begin_parallel_run(column_count());
    const int length = blocking ? max_pool_threads + 200 : 3000;
    std::atomic<int> depth{0}, reported{0};
    std::function<void(uint32_t)> link = [&](uint32_t parent) {
      int started = 0;
      if (depth.fetch_add(1) + 1 < length) {
        const uint32_t me = current_thread_id();
        start_worker([&link, me] { link(me); });
        started = 1;
      }
      const auto report = [&reported, parent] {
        reported.fetch_add(1);
        post_message(parent);
      };
      if (blocking) {
        EXPECT_EQ(wait_finish_messages(started), started);
        report();
      } else {
        finish_after_messages(started, report);
      }
    };
    start_worker([&link] { link(0); });
    finish_parallel_run();
    EXPECT_EQ(depth.load(), length);
    EXPECT_EQ(reported.load(), length);
    EXPECT_EQ(threads.get(), static_cast<uint32_t>(length));
    EXPECT_LE(peak_pool_threads(), max_pool_threads);
  }
}

}  // namespace
}  // namespace mv

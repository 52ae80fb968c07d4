// The parallel pass sorts: the pieces of a pass are workers that the thread limit holds back,
// the comb sort's gap sequence, the natural merge sort on a sorted set, the shear sort grids.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/headless_run.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine_fixture.h"
#include "parallel/thread_framework.h"

namespace mv {
namespace {

void columns(int n, bool sorted = false) {
  set_first_start_defaults(65535, 65535, 100, 100);
  settings.columns = n;
  settings.rows = 64;
  controls.ComboBox3 = 0;
  controls.ComboBox2 = sorted ? 1 : 0;  // structure: sorted, or random
  normalise_controls();
  controls.CheckBox10 = true;  // the headless prompts keep the values set here
}

// Runs an entry and records the most workers that ever waited for the main thread at once.
struct Observed {
  HeadlessRun run;
  int most_running = 0;
};

class SamplingHost : public Host {
 public:
  std::atomic<int> most{0};
  // Watches the exchanges on their way to the main thread, as the windows make them.
  bool exchanges_on_main_thread() override { return true; }
  void run_on_main_thread(const std::function<void()>& f) override {
    atomic_raise(most, running_threads.load());
    Host::run_on_main_thread(f);
  }
};

// The headless run installs its own host; the sampling one is put in front of it for the
// procedure only (the report and the final set come after it returns).
AlgorithmProcedure wrapped = nullptr;
int most_running = 0;
void sampled_procedure() {
  Host* previous = &host();
  SamplingHost sampling;
  set_host(&sampling);
  wrapped();
  set_host(previous);
  most_running = sampling.most.load();
}

Observed run_sampled(int index, int limit, uint32_t seed = 3) {
  wrapped = procedure_of(index);
  register_procedure(index, sampled_procedure);
  parameters.thread_limit = limit;
  Observed o;
  o.run = run_headless(index, seed, 0);
  register_procedure(index, wrapped);
  o.most_running = most_running;
  parameters.thread_limit = 0;
  return o;
}

TEST(PassSorts, ThreadLimitOneRunsThePiecesOfAPassOneAfterAnother) {
  for (int index : {71, 237, 252, 325, 328, 331, 353, 354}) {
    SCOPED_TRACE(index);
    columns(60);
    const Observed free = run_sampled(index, 0);
    columns(60);
    const Observed limited = run_sampled(index, 1);
    EXPECT_TRUE(limited.run.sorted());
    EXPECT_TRUE(limited.run.permutation_intact());
    EXPECT_LE(limited.most_running, 1);
    // The same pieces, so the same workers, counted every one.
    EXPECT_EQ(limited.run.threads, free.run.threads);
    EXPECT_GT(limited.run.threads, 1u);
    if (index == 353 || index == 71) {
      EXPECT_GT(free.most_running, 1);
    }
  }
}

// For a sorted set every gap step exchanges nothing, so the run is one step per gap, and a gap
// step has one worker per block of each of its two phases.
TEST(PassSorts, CombSortGapSequence) {
  const int n = 100;
  const int gaps[] = {76, 58, 44, 33, 25, 19, 14, 11, 8, 6, 4, 3, 2, 1};
  uint32_t blocks = 0;
  for (int g : gaps) {
    for (int s = 0; s <= n - 1 - g; s += 2 * g) ++blocks;
    for (int s = g; s <= n - 1 - g; s += 2 * g) ++blocks;
  }
  columns(n, true);
  const HeadlessRun run = run_headless(71, 1, 0);
  EXPECT_TRUE(run.sorted());
  EXPECT_EQ(run.swappings, 0u);
  EXPECT_EQ(run.threads, blocks);
}

TEST(PassSorts, NaturalMergeSortOfASortedSetStartsNoWorker) {
  for (int index : {237, 238}) {
    columns(50, true);
    const HeadlessRun run = run_headless(index, 1, 0);
    EXPECT_TRUE(run.sorted());
    EXPECT_EQ(run.movings, 0u);
    // One run: the search compares n - 1 neighbours; 238 counts its start thread only.
    EXPECT_EQ(run.comparisons, 49u);
    EXPECT_EQ(run.threads, index == 238 ? 1u : 0u);
  }
}

TEST(PassSorts, ShearSortsOnEveryGridOfTwentyFourColumns) {
  for (int index : {328, 331}) {
    for (int rows : {1, 2, 3, 4, 6, 7, 12, 24}) {
      SCOPED_TRACE(std::to_string(index) + " with p = " + std::to_string(rows));
      columns(24);
      controls.SpinEdit7 = 5;  // few distinct keys: equal keys meet in rows and columns
      parameters.Param_shearsort = rows;
      const HeadlessRun run = run_headless(index, static_cast<uint32_t>(rows), 0);
      EXPECT_TRUE(run.sorted());
      EXPECT_TRUE(run.permutation_intact());
      EXPECT_EQ(run.stability_inversions(), 0u);
    }
  }
}

// The compare-exchange entries start exactly the workers their passes name, whatever the
// machine allows. 247: (n - 1) / 2 + 1 repetitions of two phases with one worker per pair, n - 1
// pairs per repetition, so 4 * 6 = 24 for n = 7. 113 pipelines the insertion with one worker per
// comparison: on reversed keys each element walks to the front, 1 + 2 + ... + 6 = 21 for n = 7;
// on sorted keys one each, 6. 250 starts (hi - lo - 1) / 2 + 1 workers per flip lo .. hi: on
// 3 1 4 2 the flips 0..2, 0..3, 0..1, 0..2 make 1 + 2 + 1 + 1 = 5.
TEST(PassSorts, CompareExchangeEntriesStartOneWorkerPerPair) {
  struct Case {
    int index;
    std::vector<int32_t> keys;
    uint32_t threads;
  };
  const std::vector<Case> cases = {{247, {5, 2, 7, 1, 6, 3, 4}, 24},
                                   {247, {1, 2, 3, 4, 5, 6, 7}, 24},
                                   {113, {7, 6, 5, 4, 3, 2, 1}, 21},
                                   {113, {1, 2, 3, 4, 5, 6, 7}, 6},
                                   {250, {3, 1, 4, 2}, 5}};
  for (const int limit : {0, 3}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(c.index) + " with thread limit " + std::to_string(limit));
      test::prepare_set(c.keys);
      parameters.thread_limit = limit;
      test::run_procedure(c.index);
      parameters.thread_limit = 0;
      EXPECT_EQ(threads.get(), c.threads);
      EXPECT_TRUE(test::keys_sorted());
      EXPECT_TRUE(test::permutation_intact(c.keys));
    }
  }
}

TEST(PassSorts, OneColumnAndBreakOffInTheStartThreadVariants) {
  for (int index : {238, 253, 326, 329, 332, 354}) {
    columns(1);
    EXPECT_TRUE(run_headless(index, 1, 0).sorted()) << index;
    columns(100);
    for (uint64_t k : {1u, 30u, 700u}) {
      const HeadlessRun run = run_headless(index, 2, k);
      EXPECT_TRUE(run.permutation_intact()) << index << " after " << k;
      EXPECT_EQ(live_threads(), 0) << "a thread outlived the run";
    }
  }
}

}  // namespace
}  // namespace mv

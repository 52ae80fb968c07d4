// The parallel quick sort (entry 272) against the sequential quick sort 268 on 65535 random
// columns, headless, brake 0; and the thread framework's own costs: one task handed over to a
// new worker, and one exchange a worker has done on the main thread.
//
//   build/default/bench/parallel_bench --benchmark_repetitions=3
#include <benchmark/benchmark.h>

#include <atomic>

#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/headless_run.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "parallel/thread_framework.h"

namespace {

void entry_on_65535_columns(benchmark::State& state) {
  const int index = static_cast<int>(state.range(0));
  mv::register_all_algorithms();
  if (!mv::is_implemented(index)) {
    state.SkipWithError("entry not implemented");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    mv::set_first_start_defaults(65535, 65535, 65535, 65535);
    mv::controls.CheckBox10 = false;
    state.ResumeTiming();
    const mv::HeadlessRun run = mv::run_headless(index, 7, 0);
    if (!run.sorted() || !run.permutation_intact()) state.SkipWithError("not sorted");
    state.counters["threads"] = run.threads;
    state.counters["comparisons"] = static_cast<double>(run.comparisons);
    state.counters["swappings"] = static_cast<double>(run.swappings);
  }
}
BENCHMARK(entry_on_65535_columns)->Arg(268)->Arg(272)->Unit(benchmark::kMillisecond);

// One empty task handed over to a new worker thread, which is started, takes the task and ends.
void handover_of_one_task(benchmark::State& state) {
  mv::size_element_set(16);
  mv::begin_parallel_run(16);
  for (auto _ : state) {
    mv::handover_task({0, 0, 0}, false, [](mv::Task) {});
    mv::wait_all_running_done();
  }
  mv::finish_parallel_run();
}
BENCHMARK(handover_of_one_task)->Unit(benchmark::kMicrosecond);

// One exchange requested by a worker and done on the main thread, which waits for it.
void exchange_on_the_main_thread(benchmark::State& state) {
  mv::size_element_set(16);
  mv::begin_parallel_run(16);
  std::atomic<int64_t> wanted{0};
  std::atomic<bool> done{false};
  const int64_t batch = 1000;
  for (auto _ : state) {
    wanted = batch;
    done = false;
    mv::start_worker(
        [&] {
          for (int64_t k = 0; k < wanted; ++k) mv::swap_on_main(0, 1, false);
          done = true;
        },
        false);
    mv::wait_until([&] { return done.load(); });
  }
  mv::finish_parallel_run();
  state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(exchange_on_the_main_thread)->Unit(benchmark::kMillisecond);

}  // namespace

// Every parallel entry at 1000 columns against its sequential relative, one line each: wall time
// headless, processor time, the relative's wall time, the ratio, threads started and the peak
// resident memory of the run (each run in a child process of its own, so that the peak is its
// own); then the parallel quick sort (entry 272) against the sequential quick sort 268 on 65535
// random columns, and the thread framework's own costs: one task handed over to a new worker,
// and one exchange a worker makes, without windows and with them (on the main thread).
//
//   build/default/bench/parallel_bench
//   build/default/bench/parallel_bench --benchmark_filter=entry_on   (only 268 and 272)
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/headless_run.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "parallel/thread_framework.h"

namespace {

// The parallel entries and their sequential relatives: the entry the caption names, or the
// closest sequential one of the same family.
const std::vector<std::pair<int, int>> parallel_entries = {
    {13, 11},   {15, 14},   {19, 16},   {21, 20},   {25, 22},   {27, 26},   {28, 14},   {29, 16},
    {30, 9},    {31, 20},   {32, 22},   {69, 65},   {71, 70},   {113, 104}, {185, 184}, {186, 118},
    {237, 189}, {238, 189}, {247, 246}, {250, 248}, {252, 251}, {253, 251}, {272, 268}, {308, 306},
    {309, 307}, {310, 306}, {311, 307}, {314, 312}, {315, 313}, {322, 318}, {325, 324}, {326, 324},
    {328, 327}, {329, 327}, {331, 330}, {332, 330}, {353, 333}, {354, 333}, {380, 376}};

struct ChildRun {
  double wall_ms = -1;  // < 0: the child failed
  double cpu_ms = 0;    // user + system
  double peak_mb = 0;   // peak resident memory of the child
  uint32_t threads = 0;
  bool sound = false;  // sorted with every record kept
};

// Runs `index` on 1000 columns (the batch tool's defaults otherwise) in a child process.
ChildRun run_in_child(int index) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    mv::register_all_algorithms();
    mv::set_first_start_defaults(65535, 65535, 100, 100);
    mv::set_option("SpinEdit2.Value", "1000");
    const auto start = std::chrono::steady_clock::now();
    const mv::HeadlessRun run = mv::run_headless(index, 7, 0);
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    ChildRun r;
    r.wall_ms = wall.count();
    r.cpu_ms = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    r.peak_mb = usage.ru_maxrss / 1024.0;
    r.threads = run.threads;
    r.sound = run.dispatched && run.sorted() && run.permutation_intact();
    const ssize_t written = write(fds[1], &r, sizeof r);
    _exit(written == static_cast<ssize_t>(sizeof r) ? 0 : 1);
  }
  close(fds[1]);
  ChildRun r;
  if (pid < 0 || read(fds[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = {};
  close(fds[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return r;
}

void parallel_entries_at_1000_columns(benchmark::State& state) {
  double total_wall = 0, total_cpu = 0, worst_wall = 0, worst_peak = 0;
  int worst_index = 0;
  for (auto _ : state) {
    std::printf("%5s %10s %10s %5s %10s %9s %9s %8s %s\n", "entry", "wall ms", "cpu ms", "rel.",
                "rel. ms", "ratio", "threads", "peak MB", "sorted");
    for (const auto& [index, relative] : parallel_entries) {
      const ChildRun p = run_in_child(index);
      const ChildRun s = run_in_child(relative);
      std::printf("%5d %10.1f %10.1f %5d %10.1f %9.1f %9u %8.1f %s\n", index, p.wall_ms, p.cpu_ms,
                  relative, s.wall_ms, s.wall_ms > 0 ? p.wall_ms / s.wall_ms : 0.0, p.threads,
                  p.peak_mb, p.sound ? "yes" : "NO");
      if (p.wall_ms < 0 || !p.sound) state.SkipWithError("an entry failed");
      total_wall += p.wall_ms;
      total_cpu += p.cpu_ms;
      if (p.wall_ms > worst_wall) {
        worst_wall = p.wall_ms;
        worst_index = index;
      }
      if (p.peak_mb > worst_peak) worst_peak = p.peak_mb;
    }
    std::printf("all %zu entries: %.1f ms wall, %.1f ms cpu; slowest %d (%.1f ms); peak %.1f MB\n",
                parallel_entries.size(), total_wall, total_cpu, worst_index, worst_wall,
                worst_peak);
    std::fflush(stdout);
  }
  state.counters["total_wall_ms"] = total_wall;
  state.counters["total_cpu_ms"] = total_cpu;
  state.counters["peak_MB"] = worst_peak;
}
BENCHMARK(parallel_entries_at_1000_columns)->Iterations(1)->Unit(benchmark::kSecond);

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

// The windows' host as far as exchanges go: they are made on the main thread.
class ExchangesOnMain : public mv::Host {
 public:
  bool exchanges_on_main_thread() override { return true; }
};

// Exchanges a worker asks for: with windows (argument 1) each is a round trip to the main
// thread, which waits for it; without (0) the worker makes it on its own thread.
void worker_exchange(benchmark::State& state) {
  ExchangesOnMain windows;
  if (state.range(0) == 1) mv::set_host(&windows);
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
  mv::set_host(nullptr);
  state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(worker_exchange)->ArgName("on_main")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

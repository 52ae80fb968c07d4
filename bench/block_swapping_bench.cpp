// Counted work and time of every block swapping method on one range of t = 4096 elements, for a
// few block shapes: L = 1, t/3, t/2 and t - 1. The counters are per call and do not depend on the
// keys: movings, swappings, ops (their sum) and drawn (columns drawn, each of which waits the
// brake once, so it sets the pace of the animation at any brake factor above 0). The time is
// that of a headless call with a run active and brake 0.
#include <benchmark/benchmark.h>

#include <string>

#include "algorithms/block_swapping.h"
#include "engine/element_set.h"
#include "engine/random.h"

namespace {

constexpr int t = 4096;

// Counts brake units: at brake factor 1 that is one per drawn column.
class DrawCounter : public mv::Host {
 public:
  void brake_unit() override { ++units; }
  uint64_t units = 0;
};

void prepare(int method) {
  mv::set_host(nullptr);
  mv::surface_resize(0, 0);
  mv::size_element_set(t);
  mv::random_seed = 1;
  for (int i = 0; i < t; ++i) {
    mv::elements[i] = mv::Element{};
    mv::elements[i].key = static_cast<int32_t>(mv::Random(1000));
    mv::elements[i].start_position = static_cast<uint16_t>(i);
  }
  mv::settings.brake_factor = 0;
  mv::settings.optional_swaps = false;
  mv::settings.block_swap_method = method;
  mv::settings.quick_block_swapping = false;
  mv::break_off = false;
  mv::set_break_after_ops(0);
  mv::processing_active = true;
}

// Each call rotates the range again; the counts of one call are the same every time.
void BM_BlockSwap(benchmark::State& state) {
  const int method = static_cast<int>(state.range(0));
  const int left = static_cast<int>(state.range(1));
  prepare(method);
  DrawCounter draws;
  mv::set_host(&draws);
  mv::settings.brake_factor = 1;
  mv::block_swap(0, left, t - 1);
  mv::set_host(nullptr);
  mv::settings.brake_factor = 0;
  mv::reset_counters();
  for (auto _ : state) mv::block_swap(0, left, t - 1);
  const double m = static_cast<double>(mv::movings.get());
  const double s = static_cast<double>(mv::swappings.get());
  state.counters["movings"] = benchmark::Counter(m, benchmark::Counter::kAvgIterations);
  state.counters["swappings"] = benchmark::Counter(s, benchmark::Counter::kAvgIterations);
  state.counters["ops"] = benchmark::Counter(m + s, benchmark::Counter::kAvgIterations);
  state.counters["drawn"] = static_cast<double>(draws.units);
  state.SetLabel(mv::block_swap_method_captions[method]);
  mv::processing_active = false;
}

void shapes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"method", "L"});
  for (int method = 0; method < mv::block_swap_method_count; ++method) {
    for (int left : {1, t / 3, t / 2, t - 1}) b->Args({method, left});
  }
}

}  // namespace

BENCHMARK(BM_BlockSwap)->Apply(shapes)->MinTime(0.05)->Unit(benchmark::kMicrosecond);

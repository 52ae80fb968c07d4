// The cost of counted operations headless (no surface, no brake) against the same work on a
// plain vector of the same records without counting. Every single result is kept, on both
// sides, so that the compiler cannot turn the plain loops into block copies. Each benchmark runs
// one pass of an exchange sort's inner loop: compare neighbours, swap when out of order, and one
// shifting pass.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "engine/element_set.h"
#include "engine/random.h"

namespace {

constexpr int n = 4096;

void fill(std::vector<mv::Element>& v) {
  mv::random_seed = 1;
  for (int i = 0; i < n; ++i) {
    v[i] = mv::Element{};
    v[i].key = static_cast<int32_t>(mv::Random(1000));
    v[i].start_position = static_cast<uint16_t>(i);
  }
}

void prepare() {
  mv::set_host(nullptr);
  mv::surface_resize(0, 0);
  mv::size_element_set(n);
  fill(mv::elements);
  mv::processing_active = true;
  mv::settings.brake_factor = 0;
}

void BM_CountedComparison(benchmark::State& state) {
  prepare();
  for (auto _ : state) {
    int less = 0;
    for (int i = 0; i + 1 < n; ++i) {
      less += mv::elem_less(i, i + 1);
      benchmark::DoNotOptimize(less);
    }
  }
  state.SetItemsProcessed(state.iterations() * (n - 1));
}

void BM_PlainComparison(benchmark::State& state) {
  std::vector<mv::Element> v(n);
  fill(v);
  for (auto _ : state) {
    int less = 0;
    for (int i = 0; i + 1 < n; ++i) {
      less += v[i].key < v[i + 1].key;
      benchmark::DoNotOptimize(less);
    }
  }
  state.SetItemsProcessed(state.iterations() * (n - 1));
}

void BM_CountedSwapping(benchmark::State& state) {
  prepare();
  for (auto _ : state) {
    for (int i = 0; i + 1 < n; ++i) mv::swap_elements(i, i + 1, true);
  }
  state.SetItemsProcessed(state.iterations() * (n - 1));
}

void BM_PlainSwapping(benchmark::State& state) {
  std::vector<mv::Element> v(n);
  fill(v);
  for (auto _ : state) {
    for (int i = 0; i + 1 < n; ++i) std::swap(v[i], v[i + 1]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * (n - 1));
}

void BM_CountedMoving(benchmark::State& state) {
  prepare();
  for (auto _ : state) {
    for (int i = n - 1; i > 0; --i) mv::move_element(i, i - 1);
  }
  state.SetItemsProcessed(state.iterations() * (n - 1));
}

void BM_PlainMoving(benchmark::State& state) {
  std::vector<mv::Element> v(n);
  fill(v);
  for (auto _ : state) {
    for (int i = n - 1; i > 0; --i) {
      v[i] = v[i - 1];
      benchmark::DoNotOptimize(v[i]);
    }
  }
  state.SetItemsProcessed(state.iterations() * (n - 1));
}

BENCHMARK(BM_CountedComparison);
BENCHMARK(BM_PlainComparison);
BENCHMARK(BM_CountedSwapping);
BENCHMARK(BM_PlainSwapping);
BENCHMARK(BM_CountedMoving);
BENCHMARK(BM_PlainMoving);

}  // namespace

// Size sweeps: runs of several catalogue entries over several set sizes and seeds, headless, each
// run starting from the same settings. The batch tool and the program's growth chart both run
// their sweeps through here, so they give the same numbers for the same settings and seeds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/headless_run.h"

namespace mv {

constexpr int sweep_size_min = 2;
constexpr int sweep_size_max = 65535;

// "16,64,256" (a list) or "10..10000x2" (geometric: from, times the factor while not above the
// upper end; the factor may be a decimal above 1). Every size 2 to 65535. nullopt on anything
// else, with the reason in `error`.
std::optional<std::vector<int>> parse_sizes(const std::string& text, std::string* error = nullptr);
// The geometric sizes from `from` to `to` by `factor`, rounded, without repeats.
std::vector<int> geometric_sizes(int from, int to, double factor);

// One run of a sweep. size 0: the columns as set; no seed: the generator as it stands.
struct SweepRun {
  int index = 0;
  int size = 0;
  std::optional<uint32_t> seed;
};

// Entry by entry, size by size, then `repeat` seeds per size: seed, seed + 1, ... (no seed: each
// run unseeded). No sizes: one size, the columns as set.
std::vector<SweepRun> plan_sweep(const std::vector<int>& entries, const std::vector<int>& sizes,
                                 int repeat, std::optional<uint32_t> seed);

// False for the separator and entries without a procedure: a sweep reports them without a run.
bool sweep_can_run(int index);

// Runs the plan. Every run starts from the settings as they were at the call (controls,
// parameters, columns, rows); a run with a size takes it as its columns, with the values that
// follow the columns, as `--set SpinEdit2.Value=size` would, whatever bound of columns and rows
// the screen set. `before` (may be empty) is called
// before each run and `after` after it (entries that cannot run: a HeadlessRun with dispatched
// false, not run); either returns false to stop. The brake and the drawing switches are off
// during the sweep. Afterwards every setting, the generator and the element set are as they
// were, so a set on display is not disturbed.
using SweepBefore = std::function<bool(size_t k, const SweepRun& run)>;
using SweepAfter = std::function<bool(size_t k, const SweepRun& run, const HeadlessRun& result)>;
void run_sweep(const std::vector<SweepRun>& plan, uint64_t break_after_ops,
               const SweepBefore& before, const SweepAfter& after);

// ---- Sweep data (for the growth chart and its export) ----------------------------------------

enum class SweepMeasure { comparisons, movings, swappings, sum, duration };
constexpr int sweep_measure_count = 5;
const char* measure_name(SweepMeasure m);

struct SweepSample {
  int index = 0;
  int size = 0;
  uint32_t seed = 0;
  int columns = 0;  // as run (power-of-two entries round the size)
  uint64_t comparisons = 0;
  uint64_t movings = 0;
  uint64_t swappings = 0;
  uint32_t duration_ms = 0;
  bool started = false;  // false: not run (not implemented, or refused to start)
  bool broken_off = false;

  double value(SweepMeasure m) const;
};

SweepSample sample_of(const SweepRun& run, const HeadlessRun& result);

struct GrowthPoint {
  int size = 0;
  double value = 0;  // the mean over the seeds
};
// The points of one entry: per size the mean of the measure over the runs that ended normally
// (broken-off runs are left out), sizes ascending.
std::vector<GrowthPoint> growth_series(const std::vector<SweepSample>& samples, int index,
                                       SweepMeasure measure);

// One row per run: index,caption,size,seed,columns,comparisons,movings,swappings,sum,
// duration_ms,broken_off (runs that did not start: empty counts and status in broken_off).
void write_sweep_csv(std::ostream& out, const std::vector<SweepSample>& samples);

// ---- The growth chart's settings (kept in the options file) ----------------------------------

struct CompareOptions {
  int size_from = 16;
  int size_to = 4096;
  int size_factor = 2;
  int measure = 0;  // SweepMeasure
  int repeat = 1;
  int seed = 1;
};
extern CompareOptions compare_options;

}  // namespace mv

#include "engine/sweep.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine/run_driver.h"

namespace mv {

CompareOptions compare_options;

namespace {

// A geometric range never yields more sizes than this (a factor just above 1 would).
constexpr size_t max_sizes = 1000;

std::optional<int> parse_size(const std::string& text) {
  const auto v = parse_integer(text);
  if (!v || *v < sweep_size_min || *v > sweep_size_max) return std::nullopt;
  return static_cast<int>(*v);
}

std::optional<std::vector<int>> fail_sizes(std::string* error, const std::string& why) {
  if (error) *error = why;
  return std::nullopt;
}

// Everything a sweep changes in the engine, taken before it and put back afterwards.
class EngineStateKeeper {
 public:
  EngineStateKeeper()
      : controls_(controls),
        parameters_(parameters),
        columns_(settings.columns),
        rows_(settings.rows),
        brake_factor_(settings.brake_factor),
        colorize_(settings.colorize_comparisons),
        correct_movings_(settings.correct_movings),
        stable_enabled_(settings.stable_comparings_enabled),
        stabilize_locally_(settings.stabilize_locally),
        stabilize_globally_(settings.stabilize_globally),
        form_hidden_(settings.control_form_hidden),
        seed_(random_seed),
        elements_(elements),
        buffer_a_(buffer_a),
        buffer_b_(buffer_b),
        edges_(column_right_edges),
        visible_(visible_columns),
        comparisons_(comparisons),
        movings_(movings),
        swappings_(swappings),
        loops_(main_loop_runnings),
        threads_(threads),
        algorithm_(algorithm_index),
        stable_comparings_(stable_comparings),
        start_tick_(start_tick),
        mode_(simultaneous_mode),
        dispatched_(last_run_dispatched),
        results_shown_(results_shown) {
    // Nothing to see: the columns are not drawn and not braked.
    settings.brake_factor = 0;
    settings.colorize_comparisons = false;
    settings.correct_movings = false;
  }

  ~EngineStateKeeper() {
    restore_run_settings();
    settings.brake_factor = brake_factor_;
    settings.colorize_comparisons = colorize_;
    settings.correct_movings = correct_movings_;
    settings.stable_comparings_enabled = stable_enabled_;
    settings.stabilize_locally = stabilize_locally_;
    settings.stabilize_globally = stabilize_globally_;
    settings.control_form_hidden = form_hidden_;
    random_seed = seed_;
    size_element_set(visible_);
    elements = elements_;
    buffer_a = buffer_a_;
    buffer_b = buffer_b_;
    column_right_edges = edges_;
    comparisons.set(comparisons_);
    movings.set(movings_);
    swappings.set(swappings_);
    main_loop_runnings.set(loops_);
    threads.set(threads_);
    algorithm_index = algorithm_;
    stable_comparings = stable_comparings_;
    start_tick = start_tick_;
    simultaneous_mode = mode_;
    last_run_dispatched = dispatched_;
    results_shown = results_shown_;
    break_off = false;
  }

  EngineStateKeeper(const EngineStateKeeper&) = delete;
  EngineStateKeeper& operator=(const EngineStateKeeper&) = delete;

  // The settings each run starts from.
  void restore_run_settings() const {
    controls = controls_;
    parameters = parameters_;
    settings.columns = columns_;
    settings.rows = rows_;
  }

 private:
  ControlValues controls_;
  Parameters parameters_;
  int columns_, rows_, brake_factor_;
  bool colorize_, correct_movings_, stable_enabled_, stabilize_locally_, stabilize_globally_,
      form_hidden_;
  uint32_t seed_;
  std::vector<Element> elements_, buffer_a_, buffer_b_;
  std::vector<uint16_t> edges_;
  uint16_t visible_;
  uint64_t comparisons_, movings_, swappings_, loops_;
  uint32_t threads_;
  uint16_t algorithm_;
  bool stable_comparings_;
  uint32_t start_tick_;
  int mode_;
  bool dispatched_;
  bool results_shown_;
};

}  // namespace

std::vector<int> geometric_sizes(int from, int to, double factor) {
  std::vector<int> sizes;
  if (from < 1 || to < from || !(factor > 1.0)) return sizes;
  for (double s = from; s <= to + 1e-9 && sizes.size() < max_sizes; s *= factor) {
    const int n = static_cast<int>(std::lround(s));
    if (n > to) break;
    if (sizes.empty() || sizes.back() != n) sizes.push_back(n);
  }
  return sizes;
}

std::optional<std::vector<int>> parse_sizes(const std::string& text, std::string* error) {
  const std::string hint = "bad size list '" + text + "' (e.g. 16,64,256 or 10..10000x2; sizes " +
                           std::to_string(sweep_size_min) + " to " +
                           std::to_string(sweep_size_max) + ")";
  const auto dots = text.find("..");
  if (dots != std::string::npos) {
    const auto x = text.find_first_of("xX", dots);
    if (x == std::string::npos) return fail_sizes(error, hint);
    const auto from = parse_size(text.substr(0, dots));
    const auto to = parse_size(text.substr(dots + 2, x - dots - 2));
    const auto factor = parse_real(text.substr(x + 1));
    if (!from || !to || *from > *to || !factor || !(*factor > 1.0) || *factor > 1e6) {
      return fail_sizes(error, hint);
    }
    if (std::log(static_cast<double>(*to) / *from) / std::log(*factor) > max_sizes) {
      return fail_sizes(error, hint + ": more than " + std::to_string(max_sizes) + " sizes");
    }
    return geometric_sizes(*from, *to, *factor);
  }
  std::vector<int> sizes;
  size_t start = 0;
  while (true) {
    const auto comma = text.find(',', start);
    const auto size = parse_size(text.substr(start, comma - start));
    if (!size) return fail_sizes(error, hint);
    sizes.push_back(*size);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return sizes;
}

std::vector<SweepRun> plan_sweep(const std::vector<int>& entries, const std::vector<int>& sizes,
                                 int repeat, std::optional<uint32_t> seed) {
  const std::vector<int> each_size = sizes.empty() ? std::vector<int>{0} : sizes;
  std::vector<SweepRun> plan;
  for (int index : entries) {
    for (int size : each_size) {
      for (int r = 0; r < std::max(repeat, 1); ++r) {
        std::optional<uint32_t> s;
        if (seed) s = *seed + static_cast<uint32_t>(r);
        plan.push_back({index, size, s});
      }
    }
  }
  return plan;
}

bool sweep_can_run(int index) {
  return index >= 0 && index < catalogue_size && index != separator_index && is_implemented(index);
}

void run_sweep(const std::vector<SweepRun>& plan, uint64_t break_after_ops,
               const SweepBefore& before, const SweepAfter& after) {
  EngineStateKeeper keeper;
  for (size_t k = 0; k < plan.size(); ++k) {
    const SweepRun& run = plan[k];
    if (before && !before(k, run)) return;
    keeper.restore_run_settings();
    if (!sweep_can_run(run.index)) {
      if (!after(k, run, HeadlessRun{})) return;
      continue;
    }
    if (run.size > 0) {
      // A sweep's sets are never shown: the screen does not bound their size.
      controls.SpinEdit2_max = sweep_size_max;
      controls.SpinEdit3_max = sweep_size_max;
      settings.columns = std::clamp(run.size, sweep_size_min, sweep_size_max);
      recompute_column_defaults(settings.columns);
      normalise_controls();
    }
    const HeadlessRun result = run_headless(run.index, run.seed, break_after_ops);
    if (!after(k, run, result)) return;
  }
}

// ---- Sweep data -------------------------------------------------------------------------------

const char* measure_name(SweepMeasure m) {
  switch (m) {
    case SweepMeasure::comparisons:
      return "comparisons";
    case SweepMeasure::movings:
      return "movings";
    case SweepMeasure::swappings:
      return "swappings";
    case SweepMeasure::sum:
      return "comparisons + movings + swappings";
    case SweepMeasure::duration:
      return "duration (ms)";
  }
  return "";
}

double SweepSample::value(SweepMeasure m) const {
  switch (m) {
    case SweepMeasure::comparisons:
      return static_cast<double>(comparisons);
    case SweepMeasure::movings:
      return static_cast<double>(movings);
    case SweepMeasure::swappings:
      return static_cast<double>(swappings);
    case SweepMeasure::sum:
      return static_cast<double>(comparisons + movings + swappings);
    case SweepMeasure::duration:
      return duration_ms;
  }
  return 0;
}

SweepSample sample_of(const SweepRun& run, const HeadlessRun& result) {
  SweepSample s;
  s.index = run.index;
  s.size = run.size;
  s.seed = run.seed.value_or(0);
  s.columns = static_cast<int>(result.start_set.size());
  s.comparisons = result.comparisons;
  s.movings = result.movings;
  s.swappings = result.swappings;
  s.duration_ms = result.duration_ms;
  s.started = result.started();  // a run that never started draws nothing
  s.broken_off = result.broken_off;
  return s;
}

std::vector<GrowthPoint> growth_series(const std::vector<SweepSample>& samples, int index,
                                       SweepMeasure measure) {
  std::map<int, std::pair<double, int>> by_size;  // size -> sum, runs
  for (const SweepSample& s : samples) {
    if (s.index != index || !s.started || s.broken_off) continue;
    auto& [sum, runs] = by_size[s.size];
    sum += s.value(measure);
    ++runs;
  }
  std::vector<GrowthPoint> points;
  for (const auto& [size, acc] : by_size) points.push_back({size, acc.first / acc.second});
  return points;
}

void write_sweep_csv(std::ostream& out, const std::vector<SweepSample>& samples) {
  out << "index,caption,size,seed,columns,comparisons,movings,swappings,sum,duration_ms,"
         "broken_off\n";
  for (const SweepSample& s : samples) {
    std::string caption = catalogue_entry(s.index).caption;
    std::string quoted = "\"";
    for (char c : caption) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += '"';
    out << s.index << ',' << quoted << ',' << s.size << ',' << s.seed << ',';
    if (!s.started) {
      out << ",,,,,,not started\n";
      continue;
    }
    out << s.columns << ',' << s.comparisons << ',' << s.movings << ',' << s.swappings << ','
        << s.comparisons + s.movings + s.swappings << ',' << s.duration_ms << ','
        << (s.broken_off ? "true" : "false") << '\n';
  }
}

}  // namespace mv

#include "engine/headless_run.h"

#include <algorithm>
#include <iostream>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/random.h"
#include "engine/run_driver.h"
#include "initial_set/initial_set.h"

namespace mv {

namespace {

// No windows: prompts keep their pre-filled answer, messages go to stderr, the report and the
// final set are captured.
class CapturingHost : public Host {
 public:
  explicit CapturingHost(HeadlessRun& run) : run_(run) {}
  void show_message(const std::string& text) override { std::cerr << text << "\n"; }
  void show_report(const std::string& text) override { run_.report = text; }
  void run_finished() override {
    run_.final_set.assign(elements.begin(), elements.begin() + column_count());
    run_.main_loop_runnings = main_loop_runnings;
    run_.comparisons = comparisons;
    run_.movings = movings;
    run_.swappings = swappings;
    run_.threads = threads;
    run_.duration_ms = start_tick;
    run_.broken_off = break_off;
  }

 private:
  HeadlessRun& run_;
};

HeadlessRun* current_run = nullptr;
uint64_t current_limit = 0;

void capture_start_set() {
  current_run->start_set.assign(elements.begin(), elements.begin() + column_count());
  if (current_limit != 0) set_break_after_ops(current_limit);
}

}  // namespace

bool HeadlessRun::sorted() const {
  for (size_t i = 1; i < final_set.size(); ++i) {
    if (final_set[i - 1].key > final_set[i].key) return false;
  }
  return true;
}

bool HeadlessRun::permutation_intact() const {
  if (start_set.size() != final_set.size()) return false;
  if (value_counting) {
    // These sorts rewrite keys instead of moving records: the keys must stay the same multiset.
    std::vector<int32_t> a, b;
    for (const Element& e : start_set) a.push_back(e.key);
    for (const Element& e : final_set) b.push_back(e.key);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
  }
  std::vector<char> seen(start_set.size(), 0);
  for (const Element& e : final_set) {
    const size_t p = e.start_position;
    if (p >= start_set.size() || seen[p]) return false;
    seen[p] = 1;
    if (start_set[p].key != e.key || start_set[p].colour != e.colour) return false;
  }
  return true;
}

uint64_t HeadlessRun::stability_inversions() const {
  uint64_t k = 0;
  for (size_t i = 1; i < final_set.size(); ++i) {
    if (final_set[i - 1].key == final_set[i].key &&
        final_set[i - 1].start_position > final_set[i].start_position) {
      ++k;
    }
  }
  return k;
}

HeadlessRun run_headless(int index, std::optional<uint32_t> seed, uint64_t break_after_ops) {
  HeadlessRun run;
  CapturingHost capturing(run);
  Host* previous = &host();
  set_host(&capturing);
  current_run = &run;
  current_limit = break_after_ops;
  set_break_after_ops(0);
  controls.ComboBox1 = index;
  if (seed) random_seed = *seed;
  CreateInitialSet();
  run_algorithm(capture_start_set);
  run.dispatched = last_run_dispatched;
  run.not_started = last_run_refusal;
  run.value_counting = is_value_counting_sort(index);
  set_break_after_ops(0);
  current_run = nullptr;
  set_host(previous);
  return run;
}

}  // namespace mv

#include "engine/run_driver.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <string>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/main_thread.h"
#include "engine/options_keys.h"
#include "engine/parameter_prompts.h"
#include "engine/parameters.h"
#include "engine/report.h"
#include "engine/stabilization.h"
#include "initial_set/initial_set.h"

namespace mv {

uint32_t start_tick = 0;
int simultaneous_mode = 1;
bool last_run_dispatched = false;
std::string last_run_refusal;

namespace {

bool end_of_run_pending = false;

const char* const power_of_two_hint =
    "Some sorting algorithms like this only work with powers of 2 for the number of elements. "
    "When the preset number of rows doesn't be suitable to this, then the number is rounded "
    "suitably. This message only appears in such cases.";

const char* const blackbars_hint =
    "Some (so called special) sorting algorithms like this don't work with comparisons and "
    "exchanges, but only count the respective integer values. Therefore they can't memory more "
    "or other information about the sorting elements, so here the (start) color of the bars. "
    "Therefore these algorithms will be represented only with bars in the same color, otherwise "
    "there would be wrong colors. This message only appears in such cases (special sorting "
    "algorithms and no black bars selected).";

void adjust_to_power_of_two() {
  const int n = settings.columns;
  if (n < 1 || std::has_single_bit(static_cast<unsigned>(n))) return;
  const bool natural = controls.ComboBox3 == distribution_natural_once;
  const int bound =
      natural ? std::min(controls.SpinEdit2_max, controls.SpinEdit3_max) : controls.SpinEdit2_max;
  const int adjusted = power_of_two_columns(n, bound);
  settings.columns = adjusted;
  if (natural) {
    settings.rows = adjusted;
    host().set_display_rows(adjusted);
  }
  recompute_column_defaults(adjusted);
  host().ensure_display_width(adjusted);
  CreateInitialSet();
  host().start_set_rebuilt();
  host().set_control_form_visible(false);
  if (controls.showagain_zweierpotenz && host().show_hint(power_of_two_hint)) {
    controls.showagain_zweierpotenz = false;
  }
}

void ask_thread_limit() {
  const auto answer = host().prompt("max. number of simultaneous threads?", "(0 = without limit)",
                                    std::to_string(parameters.thread_limit));
  // Cancelled: the pre-filled limit; not a number or negative: 0 (without limit).
  const auto value =
      answer ? parse_integer(*answer) : std::optional<long long>(parameters.thread_limit);
  parameters.thread_limit =
      static_cast<int32_t>(std::clamp<long long>(value.value_or(0), 0, INT32_MAX));
}

}  // namespace

uint32_t tick_count_ms() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int power_of_two_columns(int n, int max_columns) {
  if (n < 1) return 1;
  const int k = static_cast<int>(std::bit_width(static_cast<unsigned>(n))) - 1;
  if (std::has_single_bit(static_cast<unsigned>(n))) return n;
  const int up = 1 << (k + 1);
  return up <= max_columns ? up : (1 << k);
}

void show_blackbars_hint_if_needed() {
  if (settings.line_set.load() != LineSet::monochrome && controls.showagain_blackbars) {
    if (host().show_hint(blackbars_hint)) controls.showagain_blackbars = false;
    start_tick = tick_count_ms();
  }
}

void refuse_run(const std::string& message) {
  last_run_refusal = message;
  host().show_message(message);
}

void run_algorithm(void (*before_dispatch)()) {
  Host& h = host();
  mark_main_thread();
  last_run_refusal.clear();
  const int index = controls.ComboBox1;
  algorithm_index = static_cast<uint16_t>(std::clamp(index, 0, 65535));

  h.prepare_display_for_run();
  break_off = false;
  h.set_control_form_visible(false);
  settings.control_form_hidden = true;

  if (needs_power_of_two(index)) adjust_to_power_of_two();

  if (controls.CheckBox10) {
    ask_parameters(index, column_count());
    if (asks_thread_limit(index)) ask_thread_limit();
  } else {
    set_parameter_presets(column_count());
  }

  reset_counters();
  simultaneous_mode = (!control_enabled_for(AlgorithmControl::simultaneous_sorting, index) ||
                       controls.RadioGroup8 == 0)
                          ? 1
                          : 2;
  // The boxes count only where the chosen entry enables them, as the control form shows them.
  // Algorithms choose between stable and plain comparisons by the box's effective state: a
  // checked but disabled box gives plain ones, which is also what the stable comparisons then do.
  settings.stable_comparings_enabled = stable_comparings_enabled_for(index, controls.ComboBox3);
  stable_comparings = settings.stable_comparings_active();
  const bool stability_boxes = stability_boxes_enabled(index, controls.ComboBox3);
  settings.stabilize_locally = controls.CheckBox20 && stability_boxes &&
                               control_enabled_for(AlgorithmControl::stabilize_locally, index);
  settings.stabilize_globally = controls.CheckBox21 && stability_boxes;
  if (before_dispatch) before_dispatch();

  h.begin_run_display();
  processing_active = true;
  start_tick = tick_count_ms();

  AlgorithmProcedure procedure = (index >= 0 && index < catalogue_size && index != separator_index)
                                     ? procedure_of(index)
                                     : nullptr;
  if (const char* refusal = procedure ? start_refusal(index) : nullptr) {
    last_run_refusal = refusal;
    procedure = nullptr;
  }
  last_run_dispatched = procedure != nullptr;
  end_of_run_pending = true;
  // A parallel entry returns once its last thread has ended; while its threads run, the main
  // thread serves them and the user-interface events (the thread framework's waits), so the
  // display reacts to every key in the start-thread entries too.
  if (procedure) procedure();
  if (end_of_run_pending) end_of_run();
  h.end_run_display();
}

void end_of_run() {
  if (!end_of_run_pending) return;
  end_of_run_pending = false;
  Host& h = host();
  const int index = algorithm_index;
  if (settings.stabilize_globally && !break_off) {
    if (is_shuffle(index)) {
      stabilize_range(0, column_count() - 1);
    } else {
      global_stabilization();
    }
  }
  processing_active = false;
  start_tick = tick_count_ms() - start_tick;
  if (controls.CheckBox1) h.beep();
  h.run_finished();

  const std::string text = build_report_text(start_tick);
  const bool broken = break_off;
  settings.control_form_hidden = false;
  if (!text.empty()) {
    h.show_report(text);
    return_to_start_set();
  } else if ((broken && controls.CheckBox7) || (!broken && controls.CheckBox8)) {
    return_to_start_set();
  } else {
    results_shown = true;
  }
}

void return_to_start_set() {
  results_shown = false;
  CreateInitialSet();
  host().start_set_rebuilt();
  host().set_control_form_visible(true);
}

}  // namespace mv

// The catalogue: the one table of all 421 entries (398 sorting algorithms, a separator line,
// 22 shuffling algorithms) with caption, family, stated stability, the index sets the run driver
// tests, the control form's per-algorithm enabling, and the procedure that runs the entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mv {

enum class Family {
  exchange,
  insertion_shell,
  selection_heap_smooth,
  merge_out_of_place,
  merge_in_place,
  quick,
  stable_quick_block,
  tree_structure,
  permutation_slow,
  distribution,
  network,
  parallel_range_splitting,
  parallel_pass,
  shuffle,
  separator,
};

enum class Stability { stable, conditional_stable, unstable, not_stated };

struct CatalogueEntry {
  uint16_t index;
  const char* caption;
  Family family;
  Stability stability;
};

constexpr int catalogue_size = 421;
constexpr int separator_index = 398;
constexpr int first_shuffle_index = 399;

const CatalogueEntry& catalogue_entry(int index);
inline bool is_shuffle(int index) {
  return index >= first_shuffle_index;
}
const char* family_name(Family f);
const char* stability_name(Stability s);

// Index sets of the run driver.
bool needs_power_of_two(int index);
bool asks_thread_limit(int index);
bool is_start_thread_algorithm(int index);
// (is_value_counting_sort is in element_set.h: the drawing needs it.)

// Controls of the control form that are enabled per algorithm.
enum class AlgorithmControl {
  block_swapping,               // ComboBox5, its label, CheckBox23
  simultaneous_sorting,         // RadioGroup8
  parameter_input,              // CheckBox10
  colorize_and_optional_swaps,  // CheckBox15, CheckBox17
  show_threads,                 // CheckBox18
  correct_movings,              // CheckBox24
  show_loops,                   // CheckBox5
  show_stability,               // CheckBox2, CheckBox21 (also needs a distribution other than 20)
  stabilize_locally,            // CheckBox20 (while CheckBox2 is enabled)
  stable_comparings,            // CheckBox22 (also needs a distribution other than 20)
};
bool control_enabled_for(AlgorithmControl control, int index);
// "show stability" and "globally" (CheckBox2, CheckBox21): by the table, and never for the value
// distribution "natural numbers (once each)", whose keys are all different.
bool stability_boxes_enabled(int index, int distribution);
// "stable comparings" (CheckBox22): by the table, and not for "natural numbers (once each)".
bool stable_comparings_enabled_for(int index, int distribution);

// Procedures. An entry without a procedure is listed but not implemented.
using AlgorithmProcedure = void (*)();
void register_procedure(int index, AlgorithmProcedure procedure);
void register_procedures(std::initializer_list<int> indexes, AlgorithmProcedure procedure);
AlgorithmProcedure procedure_of(int index);
bool is_implemented(int index);

// Entries that run only on some sets: while `holds` is false for the current set, the start
// button is disabled and the run driver starts nothing; `reason` says why in one line.
using StartCondition = bool (*)();
void register_start_condition(int index, StartCondition holds, const char* reason);
// The reason the entry cannot start on the current set, or nullptr when it can.
const char* start_refusal(int index);

}  // namespace mv

// The run driver: turns the control values into one run of the chosen catalogue entry, from the
// power-of-two adjustment to the report and the return to the start set.
#pragma once

#include <cstdint>
#include <string>

namespace mv {

// Millisecond tick at run start; replaced by the duration at the end of the run.
extern uint32_t start_tick;
// Simultaneous-sorting mode captured at run start (1 or 2).
extern int simultaneous_mode;
// Whether the last run dispatched to a procedure (false for the separator, an unknown index or
// an entry that is not implemented).
extern bool last_run_dispatched;
// Why the last run did not start, empty when it did: its entry cannot run on this set (the start
// button is disabled then), or the algorithm refused its parameters before touching the set.
extern std::string last_run_refusal;

// Called by an algorithm that cannot run with the current parameters, before it touches the set;
// it then returns. The message is shown and kept as the reason the run did not start.
void refuse_run(const std::string& message);

uint32_t tick_count_ms();

// Power-of-two adjustment: the column count a power-of-two algorithm runs on, for n columns
// and the bound of columns (rows bound too with "natural numbers (once each)").
int power_of_two_columns(int n, int max_columns);

// The whole run (Button2Click / Enter): start, dispatch, end of run, report, return.
// `before_dispatch` (may be null) runs right after the counters are reset.
void run_algorithm(void (*before_dispatch)() = nullptr);

// The end of run, called once when the algorithm returns (or by the last thread of a
// start-thread algorithm, on the main thread).
void end_of_run();

// Rebuilds the start set and tells the host (full redraw, control form shown).
void return_to_start_set();

// The value-counting sorts call this first: their one-colour hint, then a fresh start tick.
void show_blackbars_hint_if_needed();

}  // namespace mv

// The counters shown over the columns during a run when "show counters during processing" is on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mv {

// Time since the run started; after a run its duration.
uint32_t run_elapsed_ms();

// The lines of the live counters, in the report's number format: the algorithm's caption, the
// elapsed time, the comparisons, movings, swappings and threads, and the brake factor.
std::vector<std::string> live_counter_lines(uint32_t elapsed_ms);

}  // namespace mv

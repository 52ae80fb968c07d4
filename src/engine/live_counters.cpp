#include "engine/live_counters.h"

#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/report.h"
#include "engine/run_driver.h"
#include "engine/settings.h"

namespace mv {

uint32_t run_elapsed_ms() {
  return processing_active.load(std::memory_order_relaxed) ? tick_count_ms() - start_tick
                                                           : start_tick;
}

std::vector<std::string> live_counter_lines(uint32_t elapsed_ms) {
  const int index = algorithm_index.load(std::memory_order_relaxed);
  return {
      index < catalogue_size ? catalogue_entry(index).caption : "",
      format_duration(elapsed_ms) + "  elapsed",
      format_count(comparisons.get()) + "  comparison(s)",
      format_count(movings.get()) + "  moving(s)",
      format_count(swappings.get()) + "  swapping(s)",
      format_count(threads.get()) + "  thread(s)",
      format_count(static_cast<uint64_t>(settings.brake_factor.load(std::memory_order_relaxed))) +
          "  brake factor",
  };
}

}  // namespace mv

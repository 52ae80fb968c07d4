// One run of a catalogue entry without windows, as the batch tool and the tests make it: the
// start set is built from the current settings, the run goes through the run driver, and the
// start set, the final set, the counts and the report text are kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/element_set.h"

namespace mv {

struct HeadlessRun {
  bool dispatched = false;      // false: separator, unknown or not implemented entry
  bool value_counting = false;  // the entry rewrites keys instead of moving records
  std::vector<Element> start_set;
  std::vector<Element> final_set;
  uint64_t main_loop_runnings = 0;
  uint64_t comparisons = 0;
  uint64_t movings = 0;
  uint64_t swappings = 0;
  uint32_t threads = 0;
  uint32_t duration_ms = 0;
  bool broken_off = false;
  std::string report;
  // Why the run did not start (its entry cannot run on this set, or it refused its
  // parameters); empty when it started.
  std::string not_started;

  // The entry ran: dispatched, and not refused by its start condition or its parameters.
  bool started() const { return dispatched && not_started.empty(); }
  bool sorted() const;
  // The final set holds exactly the start set's records, each once, with key and colour; for the
  // value-counting sorts, which rewrite keys, the same multiset of keys.
  bool permutation_intact() const;
  // Adjacent equal keys whose start positions descend (not counted).
  uint64_t stability_inversions() const;
};

// Runs `index` on a set built from the current settings. With a seed, the generator is seeded
// immediately before the set is built. break_after_ops > 0 breaks the run off after that many
// counted operations. Installs a headless host for the run and restores the previous one.
HeadlessRun run_headless(int index, std::optional<uint32_t> seed, uint64_t break_after_ops);

}  // namespace mv

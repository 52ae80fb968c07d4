// Shared set-up for tests that run the counted operations headless.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/element_set.h"
#include "engine/random.h"

namespace mv::test {

// Puts the engine into a known state: n columns with the given keys, start positions 0..n-1,
// distinct colours, no surface, counters at 0, no run active, headless host.
inline void prepare_set(const std::vector<int32_t>& keys) {
  set_host(nullptr);
  surface_resize(0, 0);
  size_element_set(static_cast<int>(keys.size()));
  for (size_t i = 0; i < keys.size(); ++i) {
    elements[i] = Element{};
    elements[i].key = keys[i];
    elements[i].start_position = static_cast<uint16_t>(i);
    elements[i].colour = 0x010203u * static_cast<uint32_t>(i + 1);
  }
  for (size_t i = 0; i < keys.size(); ++i) column_right_edges[i] = static_cast<uint16_t>(i + 1);
  column_right_edges[keys.size()] = static_cast<uint16_t>(keys.size());
  settings.columns = static_cast<int>(keys.size());
  reset_counters();
  processing_active = false;
  break_off = false;
  paused = false;
  set_break_after_ops(0);
  settings.reset_to_defaults();
  algorithm_index = 0;
}

inline std::vector<int32_t> keys_of_set() {
  std::vector<int32_t> keys;
  for (int i = 0; i < column_count(); ++i) keys.push_back(elements[i].key);
  return keys;
}

}  // namespace mv::test

#include "engine/catalogue.h"

namespace mv::test {

// Runs one catalogue entry on the current set as the run driver would, without its extras:
// stable comparings captured from the settings, processing active during the call.
inline void run_procedure(int index) {
  algorithm_index = static_cast<uint16_t>(index);
  stable_comparings = settings.stable_comparings_checked;
  processing_active = true;
  if (auto proc = procedure_of(index)) proc();
  processing_active = false;
}

// True when the set holds exactly the records of a set prepared by prepare_set (each start
// position once, with the key it started with).
inline bool permutation_intact(const std::vector<int32_t>& start_keys) {
  std::vector<int> seen(start_keys.size(), 0);
  for (size_t i = 0; i < start_keys.size(); ++i) {
    const Element& e = elements[i];
    if (e.start_position >= start_keys.size()) return false;
    if (seen[e.start_position]++ != 0) return false;
    if (e.key != start_keys[e.start_position]) return false;
  }
  return true;
}

// True when keys hold exactly 1 .. keys.size(), in any order.
inline bool is_permutation_of_1_to_n(std::vector<int32_t> keys) {
  std::sort(keys.begin(), keys.end());
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] != static_cast<int32_t>(i + 1)) return false;
  }
  return true;
}

// True when two records of the set share a key.
inline bool has_equal_keys(std::vector<Element> set) {
  std::sort(set.begin(), set.end(),
            [](const Element& a, const Element& b) { return a.key < b.key; });
  return std::adjacent_find(set.begin(), set.end(), [](const Element& a, const Element& b) {
           return a.key == b.key;
         }) != set.end();
}

inline bool keys_sorted() {
  for (int i = 1; i < column_count(); ++i) {
    if (elements[i - 1].key > elements[i].key) return false;
  }
  return true;
}

// Comparisons, movings and swappings counted so far.
inline uint64_t operations() {
  return comparisons.get() + movings.get() + swappings.get();
}

// True when neighbouring equal keys stand in start order (in a sorted set: the sort was stable).
inline bool equal_keys_in_start_order() {
  for (int i = 1; i < column_count(); ++i) {
    if (elements[i - 1].key == elements[i].key &&
        elements[i - 1].start_position > elements[i].start_position) {
      return false;
    }
  }
  return true;
}

// n keys drawn from 1 .. max_key by a generator of the test's own, so the program's stays as it is.
inline std::vector<int32_t> random_keys(int n, int max_key, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int32_t> dist(1, max_key);
  std::vector<int32_t> keys(n);
  for (auto& k : keys) k = dist(gen);
  return keys;
}

// Runs an entry on a prepared set of the keys with the given boxes and an operation budget;
// false when the budget ran out.
inline bool run_with_budget(int index, const std::vector<int32_t>& keys, bool stable,
                            bool optional_swaps, uint64_t budget) {
  prepare_set(keys);
  settings.stable_comparings_checked = stable;
  settings.optional_swaps = optional_swaps;
  set_break_after_ops(budget);
  run_procedure(index);
  set_break_after_ops(0);
  return !break_off;
}

// Runs the entry once for its whole count of operations T, then again broken off after K
// operations for about `steps` values of K below T: each time it must break off, keep every record
// and return promptly, within `slack` operations after the K-th. `prepare` sets up the keys; the
// program generator is reseeded before each run, so that the randomised entries repeat their run.
template <class Prepare>
void expect_prompt_break_offs(int index, const std::vector<int32_t>& keys, uint64_t steps,
                              uint64_t slack, Prepare prepare) {
  prepare(keys);
  random_seed = 4711;
  run_procedure(index);
  const uint64_t total = operations();
  for (uint64_t k = 1; k < total; k += std::max<uint64_t>(1, total / steps)) {
    prepare(keys);
    random_seed = 4711;
    set_break_after_ops(k);
    run_procedure(index);
    const uint64_t done = operations();
    set_break_after_ops(0);
    SCOPED_TRACE("entry " + std::to_string(index) + ", n " + std::to_string(keys.size()) +
                 ", broken off after " + std::to_string(k));
    ASSERT_TRUE(break_off);
    ASSERT_TRUE(permutation_intact(keys));
    ASSERT_LE(done, k + slack);
  }
}

// For each size: distinct keys in random order, keys out of four values, sorted and reversed
// keys; drawn from the program generator seeded with `seed`.
inline std::vector<std::vector<int32_t>> sample_key_sets(const std::vector<int>& sizes,
                                                         uint32_t seed) {
  std::vector<std::vector<int32_t>> sets;
  random_seed = seed;
  for (int n : sizes) {
    std::vector<int32_t> distinct(n), few(n), sorted(n), reversed(n);
    std::iota(sorted.begin(), sorted.end(), 1);
    std::reverse_copy(sorted.begin(), sorted.end(), reversed.begin());
    distinct = sorted;
    for (int i = n - 1; i > 0; --i) std::swap(distinct[i], distinct[Random(i + 1)]);
    for (auto& k : few) k = static_cast<int32_t>(Random(4));
    sets.insert(sets.end(), {distinct, few, sorted, reversed});
  }
  return sets;
}

}  // namespace mv::test

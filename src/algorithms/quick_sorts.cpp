// Quick sorts: partition-exchange sorts on the position stack, in place through swappings and
// compare-exchanges.
#include "algorithms/quick_sorts.h"

#include <cstdint>

#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/settings.h"
#include "engine/stabilization.h"
#include "engine/stack_emulation.h"

namespace mv {

namespace {

bool broken() {
  return break_off.load(std::memory_order_relaxed);
}

int last_position() {
  return column_count() - 1;
}

}  // namespace

// ---- Shared partition and the iterative quick sort ----------------------------------------

PartitionResult partition(int lo, int hi, bool pump) {
  int i = lo, j = hi;
  while (i < j) {
    if (broken()) return {j + 1, j};
    // The element at hi stops the first scan; the scans never leave lo..hi because the left
    // part below i holds no key above the one at hi and the right part above j none below it.
    while (elem_less(i, hi)) ++i;
    while (elem_greater(j, hi)) --j;
    if (i < j) compare_exchange(i, j, true, pump);
    if (i <= j) {
      ++i;
      --j;
    }
  }
  compare_exchange(j, hi, true, pump);
  return {j + 1, j};
}

void quick_sort_ranges(int lo, int hi, int order, bool pump, int depth_limit, int step_limit) {
  if (depth_limit == 0) return;
  // A chain of partitions on at most 65535 positions is shorter than 65535 links, so the
  // largest depth the triples can carry already means no limit.
  int d = (depth_limit < 0 || depth_limit > 0xFFFF) ? 0xFFFF : depth_limit;
  const bool steps_limited = step_limit >= 0;
  TStackemulator stack(3);  // frames (first, last, remaining depth) over a zero frame
  int64_t steps = 0;
  auto pop_next = [&] { stack.Pop3(lo, hi, d); };
  // A part that waits: two elements are settled at once, a single one is already in place.
  auto put_aside = [&](int first, int last) {
    if (last - first == 1) {
      compare_exchange(first, last, true, pump);
    } else if (last - first > 1) {
      stack.Push3(first, last, d);
    }
  };
  while (!steps_limited || steps < step_limit) {
    if (hi - lo < 2) {
      if (hi - lo == 1) compare_exchange(lo, hi, true, pump);
      pop_next();
    } else {
      const PartitionResult p = partition(lo, hi, pump);
      if (pump && settings.stabilize_locally.load(std::memory_order_relaxed)) {
        stabilize_range(lo, hi);
      }
      if (broken()) break;
      if (--d == 0) {
        pop_next();
      } else {
        const bool left_waits = order == quick_order_reverse ||
                                (order == quick_order_stack && p.j - lo + 1 > hi - p.i + 1);
        if (left_waits) {
          put_aside(lo, p.j);
          lo = p.i;
        } else {
          put_aside(p.i, hi);
          hi = p.j;
        }
      }
    }
    ++steps;
    if (broken() || stack.IsEmpty()) break;
  }
}

// ---- Catalogue entries --------------------------------------------------------------------

namespace {

// 266, 267, 268: the shared quick sort in processing order 0, 1 or 2.
void quick_sort_by_order() {
  quick_sort_ranges(0, last_position(), algorithm_index - 266, true);
}

}  // namespace

void register_quick_sorts() {
  register_procedures({266, 267, 268}, quick_sort_by_order);
}

}  // namespace mv

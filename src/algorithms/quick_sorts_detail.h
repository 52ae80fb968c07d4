// Small helpers shared by the two source files of the quick sort family.
#pragma once

#include "algorithms/quick_sorts.h"
#include "engine/element_set.h"
#include "engine/stack_emulation.h"

namespace mv::quick_detail {

// Pops the next pair (first, last) into lo, hi; false once the zero pair at the bottom is taken.
inline bool pop_pair(TStackemulator& stack, int& lo, int& hi) {
  stack.Pop2(lo, hi);
  return stack.IsNotEmpty();
}

// Straight insertion by neighbour compare-exchanges: each new element sinks while it swaps.
inline void insertion_by_compare_exchange(int lo, int hi) {
  for (int k = lo + 1; k <= hi; ++k) {
    for (int j = k; j > lo && compare_exchange(j - 1, j); --j) {
      if (broken()) return;
    }
    if (broken()) return;
  }
}

// Exchanges two elements by three movings instead of a swapping.
inline void exchange_by_movings(int a, int b) {
  Element record;
  read_element(a, record);
  move_element(a, b);
  store_element(b, record);
}

// Sorts lo, mid and hi by compare-exchanges, then partitions lo..hi (four elements or more)
// around a copy of the median held in a record buffer, with Hoare's scans by plain record
// comparisons; the parts are lo..j and i..hi. With stable_exchange two stopped elements are
// exchanged only when the stable comparison finds them out of order.
PartitionResult median_of_three_partition(int lo, int hi, bool stable_exchange);

// After a partition the larger part waits on the stack (when it has two elements or more) and
// the smaller one becomes lo..hi.
void larger_part_waits(TStackemulator& stack, int& lo, int& hi, PartitionResult p);

// Registers 100, 114, 251, 317, 376 to 379 and 394.
void register_related_partition_sorts();

}  // namespace mv::quick_detail

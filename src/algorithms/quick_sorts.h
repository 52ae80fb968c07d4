// Partition-exchange procedures that other families and the initial-set builder call.
#pragma once

namespace mv {

// The two parts a partition leaves: lo..j and i..hi, every key of the first not above any key of
// the second (i = j + 1).
struct PartitionResult {
  int i;
  int j;
};

// Splits lo..hi (hi > lo) around the element standing at hi. Every comparison is made against
// whatever element stands at hi at that moment, so an exchange that moves a larger element there
// raises the pivot for the rest of the pass. pump: compare-exchanges let events run and redraw.
PartitionResult partition(int lo, int hi, bool pump);

// Processing orders of quick_sort_ranges.
constexpr int quick_order_original = 0;  // the right part waits, the left part goes on
constexpr int quick_order_reverse = 1;   // the left part waits, the right part goes on
constexpr int quick_order_stack = 2;     // the larger part waits, the smaller part goes on

// As a depth or step limit: no limit, so the range ends sorted.
constexpr int quick_sort_complete = -1;

// Iterative quick sort of lo..hi with `partition`. depth_limit bounds the partitions along one
// chain of ranges, step_limit the rounds of the whole call (a round partitions one range or
// settles a range of one or two elements); 0 as depth limit does nothing. A call that stops at a
// limit leaves every range it has not reached as it was. A part of two elements that has to wait
// is compare-exchanged at once, a part of one is not kept. With pump set and the "locally" box
// checked, every partitioned range is stabilized.
// "Complete" (depth and step limit 65535) is quick_sort_complete for both: a given step limit,
// 65535 included, stops a large set before it is sorted; any depth limit of 65535 or more is none.
void quick_sort_ranges(int lo, int hi, int order, bool pump, int depth_limit = quick_sort_complete,
                       int step_limit = quick_sort_complete);

// Half passes of partit sort on lo..hi. A half pass compare-exchanges each element with its
// partner h = (hi - lo + 1) div 2 positions further right. mode 0 makes one half pass and returns
// the split hi - h (lo..split then holds the minimum, split + 1..hi the maximum); mode 1 repeats
// it on the left part lo..hi - h until that is one position, which then holds the minimum; mode 2
// on the right part until the maximum stands at hi. Modes 1 and 2 return 0.
int partit_pass(int lo, int hi, int mode, bool pump);

// The split sort of lo..hi in the processing order of catalogue index 376 (right part waits), 377
// (left part waits), 378 (larger part waits) or 379 (accelerated).
void split_sort_range(int lo, int hi, int index);

}  // namespace mv

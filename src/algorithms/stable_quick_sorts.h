// Stable quick sorts and block hybrids: split sort in place on any range (entry 381 runs it on
// the whole set).
#pragma once

namespace mv {

// Split sort in place of lo..hi: the element at the end of a range is the pivot; runs of elements
// that come after it and runs that come before it are exchanged by block_swap until the pivot
// stands between the two groups, each group keeping its order (stable). smaller_first: the
// larger part waits on the stack and the smaller one goes on (the stack-optimised mode);
// otherwise the right part waits. Stops on break_off with the range a permutation of itself.
void split_sort_in_place(int lo, int hi, bool smaller_first);

}  // namespace mv

// Insertion and Shell sorts. The binary insertion steps and the Shell gap sequences below are
// shared with other families (the parallel Shell and insertion sorts, the block hybrids).
#pragma once

#include <vector>

namespace mv {

// Binary insertion from the front: for i = lo .. hi - 1 the element at e = max(start, i + 1) is
// inserted into lo .. e - 1 (taken as sorted) behind every element with an equal key. With
// start = lo + 1 this is a full insertion sort of lo .. hi; with start = hi the element at hi is
// inserted by the first search and the later ones find it in place. with_movings: one-step
// rotation; otherwise neighbour swappings.
void insert_forward(int lo, int hi, int start, bool with_movings);

// The mirror image from the back: for i = hi down to lo + 1 the element at i - 1 is inserted into
// min(start, i) .. hi in front of every element that comes after it (elem_stable_after). With
// start = hi a full reverse insertion sort; with start = lo + 1 only the element at lo moves.
void insert_backward(int lo, int hi, int start, bool with_movings);

// Insertion that grows a sorted window from the middle of lo .. hi by one element on each side
// per step: the left one by insert_backward, the right one by insert_forward.
void insert_bidirectional(int lo, int hi, bool with_movings);

// The gaps that Shell sort entry `index` (333 .. 352) uses on n columns, in the order of use,
// largest first and ending with 1. Empty for n < 2 or an index outside the twenty sequences.
std::vector<int> shell_sort_gaps(int index, int n);

}  // namespace mv

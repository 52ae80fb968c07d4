// Sorting networks: bitonic merge sorts (buffered, split, network and recursive merges), the
// Bose-Nelson network, Batcher's odd-even merge sort, the pairwise network, the shear sorts and
// the zig-zag sorts. The merges and grid steps below are shared with the parallel entries.
//
// Every procedure works on the inclusive range it is given, tests break_off before each
// compare-exchange and returns when it is set; the buffered merge puts every record it holds
// back into the set first.
#pragma once

#include <cstddef>

namespace mv {

// Compare-exchange of i < j into the order wanted (ascending: i before j). A descending one under
// "optional swaps" is asked as the ascending exchange of (j, i): swap_elements then exchanges only
// a pair whose first element comes after the second, which a descending pair never does.
void network_compare_exchange(int i, int j, bool ascending);

// ---- Bitonic merges -------------------------------------------------------------------------

// The largest power of two below length (1 for lengths 1 and 2).
int power_of_two_below(int length);

// Which half a recursive bitonic merge works on first.
enum class HalfOrder { left_first = 0, right_first = 1, random_first = 2 };

// The merges expect a bitonic range that rises and then falls (by the stable comparison); any
// length works, a power of two gives the textbook networks.

// Copies l..r to buffer_a and writes back the smaller end of the buffered range each time:
// ascending from l on, descending from r down. One counted comparison per record but the last.
void bitonic_merge_buffered(int l, int r, bool ascending);

// Compare-exchanges the first L - h positions with their partners h places further (h the
// largest power of two below L) and merges the two parts the same way on the stack: ascending
// the part of L - h positions comes first, descending the part of h positions. On a power of
// two this is the recursive merge of halves; order says which part is merged first.
void bitonic_merge_split(int l, int r, bool ascending, HalfOrder order = HalfOrder::left_first);

// The same comparators level by level: distances h, h/2, ..., 1. An ascending merge of a length
// that is no power of two runs the mirror image, from r down.
void bitonic_merge_network(int l, int r, bool ascending);

// The compare-exchanges of the network merge at distance h, in network order, handed to visit
// as (i, j) pairs to be put in the order wanted. Lets a caller run one distance in parallel.
template <class Visit>
void for_each_bitonic_pair(int l, int r, bool ascending, int h, Visit visit) {
  const int span = r - l;
  const bool mirror = ascending && ((span + 1) & span) != 0;
  for (int j = 0; j < h; ++j) {
    for (int i = j; i + h <= span; i += 2 * h) {
      if (mirror) {
        visit(r - i - h, r - i);
      } else {
        visit(l + i, l + i + h);
      }
    }
  }
}

// The end of the bitonic stretch that starts at from (not beyond to): a maximal part in order
// (elem_stable_before) followed by a maximal part in reverse order (elem_stable_after).
// peak, when given, receives the end of the part in order.
int bitonic_stretch_end(int from, int to, int* peak = nullptr);

// Direction of node k of the split tree of the merge sorts: the root and every left child
// ascending, every right child descending.
inline bool split_node_ascending(size_t k) {
  return k == 1 || k % 2 == 0;
}

// ---- Shear sort grid ------------------------------------------------------------------------

// The grid rows for n elements: Param_shearsort, kept within 1 .. n and lowered to the largest
// divisor of n not above it, so that every row has n / p elements.
int shear_sort_rows(int n);
// Round(log2 p) + 2.
int shear_sort_rounds(int p);
// One odd-even transposition pass over the line first, first + step, ... <= last: compare-
// exchanges i and i + step for i = first + start_parity * step and every second i after it.
void odd_even_line_pass(int first, int last, int step, int start_parity, bool ascending);
// Sorts the line by as many odd-even transposition passes as it has elements.
void odd_even_line_sort(int first, int last, int step, bool ascending);

// ---- Zig-zag sorts --------------------------------------------------------------------------

// Sorts lo..hi by compare-exchange passes with the gaps 2^k - 1 below the length, largest
// first; each position j is compare-exchanged backwards through its whole chain.
void gap_passes(int lo, int hi);

}  // namespace mv

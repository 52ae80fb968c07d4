// In-place merge procedures: each merges the sorted runs l..m and m+1..r (inclusive) with the
// counted operations only, no buffer, and returns at once on break_off with every element still
// present once. The merge sorts of the family run them under the top-down and natural drivers.
#pragma once

#include "engine/element_set.h"

namespace mv {

// The first position of lo .. hi-1 for which goes_before is false, hi when there is none;
// goes_before holds on a prefix of the range. A binary search that stops on break_off.
template <class Pred>
int partition_point(int lo, int hi, Pred goes_before) {
  while (lo < hi && !broken()) {
    const int c = (lo + hi) / 2;
    if (goes_before(c)) {
      lo = c + 1;
    } else {
      hi = c;
    }
  }
  return lo;
}

// Exchanges the k = number of misplaced elements at the seam by counted swappings of equal-length
// blocks and merges the two halves that result. Stable.
void swap_merge(int l, int m, int r);
// The swap merge whose blocks are widened over keys equal to their edges and exchanged with
// block_swap. Stable.
void swap_merge_widened(int l, int m, int r);
// Splits the left run at its middle, rotates the smaller right elements before it. Stable.
void middle_cut_merge(int l, int m, int r);
// Symmetric binary search for the cut, one rotation, both halves merged the same way. Stable.
void symmetric_merge(int l, int m, int r);
// Each misplaced left element is exchanged with the right run's head, which it then sinks into.
void displacement_merge(int l, int m, int r);
// Compare-exchanges of each left element with the right run's head, the new head sinking.
void compare_exchange_sweep_merge(int l, int m, int r);
// Carries the shorter run's elements across the other by neighbour swappings.
void weave_merge(int l, int m, int r);
// Inserts each right element before the first left element that must follow it. Stable.
void shift_merge(int l, int m, int r);
// Exchanges the blocks that straddle the middle of the merged order (found by one binary search)
// and merges both halves the same way. Stable.
void co_rank_merge(int l, int m, int r);
// Cuts the longer run at its middle, the other at the matching key, rotates between the cuts and
// merges both sides the same way. Stable.
void cut_merge(int l, int m, int r);
// Each misplaced left element is exchanged with the right run's head and inserted into the right
// run by binary search and movings.
void held_insertion_merge(int l, int m, int r);
// Compare-exchanges each left element with the right run's head, the new head sinking by
// counted swappings.
void sinking_merge(int l, int m, int r);
// The swap merge on what remains after binary searches trim the elements in place at both ends.
// Stable.
void trimmed_swap_merge(int l, int m, int r);
// The swap merge's equal-length blocks exchanged with block_swap. Stable.
void block_swap_merge(int l, int m, int r);
// Binary searches find each block of right elements that goes before the next misplaced left
// element; block_swap moves it there. Stable.
void binary_rotation_merge(int l, int m, int r);
// Splits the right run at its middle and rotates the greater left elements behind it. Stable.
void right_middle_cut_merge(int l, int m, int r);
// The co-rank merge with frames of up to eight elements sorted by compare-exchanges. Stable.
void small_frame_co_rank_merge(int l, int m, int r);
// Two elements by a compare-exchange, a single element by swappings, otherwise the standard
// merge. Stable.
void small_case_merge(int l, int m, int r);
// Compare-exchanges of each left element with the right run's head; the new head goes to its
// place (binary search) by counted swappings.
void head_exchange_merge(int l, int m, int r);
// Block merge: blocks of the right run (or, duplex, alternately of the left run from its end)
// are rotated into place with block_swap and merged locally with the elements that the rotation
// leaves before (behind) them. Stable when the cuts are stable and the local merge is.
struct BlockMergeShape {
  int block;
  bool stable;
  bool duplex;
  void (*local)(int l, int m, int r);
};
void block_merge(int l, int m, int r, const BlockMergeShape& shape);
// Grail merges of the runs of len1 and len2 elements from pos. Iterative: from the shorter run's
// side, each block of the other run that must pass an element goes there in one rotation.
// Recursive: the shorter run cut at its middle, the longer at the matching place, both sides on
// the stack. Stable.
void grail_merge_iterative(int pos, int len1, int len2);
void grail_merge_recursive(int pos, int len1, int len2);
// Duel merge: a frame whose seam is out of order drops the left elements in place (binary
// search), exchanges the misplaced left tail with the equally long right head by swap_ranges and
// goes on with both halves. Stable.
void duel_merge(int l, int m, int r);
// Merges an unbalanced pair as a series of inner merges of pieces as long as the shorter run;
// when the right run is the shorter, the standard merge finishes with the rest of the left run.
using InnerMerge = void (*)(int l, int m, int r);
void balanced_merge(int l, int m, int r, InnerMerge inner);
// Block rotations between the runs; mode 0 forward, 1 backward, 2 shorter side, 3 alternating.
// Stable.
void rotation_merge(int l, int m, int r, int mode);

// Registers 171, 172 and 178 to 183, the sorts with drivers of their own (called by
// register_merge_in_place_sorts).
void register_merge_in_place_own_drivers();

}  // namespace mv

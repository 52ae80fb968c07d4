// Merge sorts through buffer_a, and what every merge sort of the program shares: the top-down
// and the natural driver, which run any merge procedure over the ranges they find, the run end
// search, the standard merge, the block insertion merge, the split tree and the buffered merge
// with its binary run counter.
//
// Every merge procedure merges the sorted runs l..m and m+1..r (inclusive) and returns at once
// on break_off; one that holds elements outside the set puts them all back before it returns, so
// the visible set stays a permutation of the start set.
#pragma once

#include <vector>

namespace mv {

using MergeProcedure = void (*)(int l, int m, int r);

// ---- Drivers ------------------------------------------------------------------------------

// Where the top-down driver splits a range l..r.
enum class MergeSplit {
  middle,        // (l + r) div 2
  left_smaller,  // at 1/p of the range, p the parameter "ratio"
  left_bigger,   // at (p - 1)/p of the range
  random_side,   // one of the two above, chosen at random per range
  random_point,  // uniformly random in l..r-1
};
// Which child range the top-down driver sorts first.
enum class MergeOrder { left_first, right_first, random_first };

// Sorts first..last by halving on an explicit stack and merging the halves with merge; with the
// "locally" box, stabilizes every merged range.
void top_down_merge_sort(int first, int last, MergeProcedure merge,
                         MergeSplit split = MergeSplit::middle,
                         MergeOrder order = MergeOrder::left_first);

// Sorts first..last in passes (one main loop running each): a pass merges neighbouring ascending
// runs pairwise with merge, with the "locally" box stabilizing every merged range. It ends when
// a pass finds the range sorted (stable comparison), or when a pass has nothing to merge.
void natural_merge_sort(int first, int last, MergeProcedure merge);

// The last position of the ascending run that starts at from, not beyond to. In order means
// elem_stable_before with stable set, key <= next key (cmp_less_equal) otherwise.
int run_end(int from, int to, bool stable);

// The heap-numbered split tree of the top-down driver with middle splits: node 1 is first..last,
// node k splits into 2k and 2k + 1. Entry 0 is unused; the size is a power of two, twice the
// number of slots of the deepest level. Active nodes (two elements or more) are the merges.
struct SplitNode {
  bool active = false;
  int l = 0;
  int m = 0;
  int r = 0;
};
std::vector<SplitNode> build_split_tree(int first, int last);

// ---- Merges -------------------------------------------------------------------------------

// Copies l..r to the same slots of buffer_a and merges back into the set. A tie (tie = 1) takes
// the left record, which makes the merge stable; with tie = 0 the left record wins a tie only
// when "stable comparings" is on and its start position is smaller.
void standard_merge(int l, int m, int r, int tie);
// The standard merge with tie 1, as the drivers call it.
void standard_merge_stable(int l, int m, int r);

// Buffers only the shorter run (slots from 0 of buffer_a) and merges from the other end; a tie
// takes the left run's record.
void scratch_merge(int l, int m, int r);

// Inserts the shorter of the runs first..mid-1 and mid..end-1 into the longer one, probing the
// longer one in blocks of 2^floor(log2(longer div shorter)) and searching the last block
// binarily. scratch >= 0: the shorter run is first exchanged into the slots from scratch (behind
// the visible set) and every element travels by counted swappings; scratch < 0: in place, the
// elements passed over are rotated with block_swap. Stable. Nothing happens unless both runs
// hold elements.
void block_insertion_merge(int first, int mid, int end, int scratch);

// The merge of merge2 sort, shared with healy sort: nothing when element m is in order before
// element m + 1; otherwise the left run goes to buffer_a (same slots) and is merged back from the
// front, a tie taking the left record.
void buffered_merge(int l, int m, int r);

// Runs that end one after another, merged like the digits of a binary counter: after the c-th
// run, the two topmost runs are merged as often as c has trailing zero bits. Used by merge2 sort
// and healy sort.
class RunCounter {
 public:
  explicit RunCounter(MergeProcedure merge = buffered_merge) : merge_(merge) {}
  // Records the run start..end (the run before it ends at start - 1) and merges as the counter
  // carries.
  void add_run(int start, int end);
  // Merges the remaining runs from the top down to one.
  void merge_all();

 private:
  void merge_top_two();
  MergeProcedure merge_;
  std::vector<int> starts_;
  int end_ = -1;
  unsigned count_ = 0;
};

}  // namespace mv

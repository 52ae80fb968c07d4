// The pile list: splits a range into piles, each a strictly descending stretch of the range held
// as a stack with its smallest record on top, and reads the range back in ascending order by
// taking the smallest pile top again and again. Equal keys never share a pile and an earlier
// pile wins a tie, so equal keys come back in their input order.
#pragma once

#include <vector>

#include "engine/stack_emulation.h"

namespace mv {

class TPileList {
 public:
  // extra_comparison: one more (always successful) comparison before each push onto a pile.
  explicit TPileList(bool extra_comparison = false) : extra_comparison_(extra_comparison) {}

  // Reads element i (one moving) and puts it on the first pile from the cursor on whose top key
  // is greater; a new pile when there is none.
  void Add(int i);
  // Stores the records smallest first into first, first + 1, ... and empties the list. After a
  // break-off the records still held are stored unsorted into the remaining positions.
  void Extract(int first);
  int PileCount() const { return static_cast<int>(piles_.size()); }

 private:
  std::vector<TPile> piles_;
  int cursor_ = 0;
  bool extra_comparison_;
};

// Sorts first..last through a pile list: every element onto the piles in order, then the
// smallest pile top again and again. A break-off while the piles fill leaves the set untouched.
void pile_list_sort(int first, int last, bool extra_comparison);

}  // namespace mv

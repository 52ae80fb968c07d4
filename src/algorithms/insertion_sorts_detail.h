// Helpers shared by the two source files of the insertion and Shell sort family.
#pragma once

#include "engine/element_set.h"

namespace mv::insertion_detail {

inline int variant() {
  return algorithm_index.load(std::memory_order_relaxed);
}

// Straight insertion with a record buffer, gap apart: for i = from .. hi, the element at i is read,
// the elements i - gap, i - 2 gap, ... (not below lo) that are greater shift up by gap, and the
// record is stored in the hole, also where it stood. The chains before `from` are taken as sorted.
void gapped_insertion(int lo, int hi, int from, int gap);

}  // namespace mv::insertion_detail

namespace mv {

// The Shell half of the family; called by register_insertion_sorts.
void register_shell_sorts();

}  // namespace mv

#include "algorithms/pile_list.h"

#include "engine/element_set.h"

namespace mv {

void TPileList::Add(int i) {
  Element record;
  read_element(i, record);
  Element top;
  while (cursor_ < PileCount()) {
    piles_[cursor_].Top(top);
    if (!cmp_less_equal(top.key, record.key)) break;
    ++cursor_;
  }
  if (cursor_ == PileCount()) {
    piles_.emplace_back();
  } else if (extra_comparison_) {
    cmp_greater(top.key, record.key);  // known to hold: the pile takes the record
  }
  piles_[cursor_].Push(record);
}

void TPileList::Extract(int first) {
  int k = first;
  Element best, top;
  while (!piles_.empty()) {
    if (broken()) {
      // Everything still on a pile goes back into the set unsorted, each by a counted store.
      for (TPile& pile : piles_) {
        while (!pile.IsEmpty()) {
          pile.Pop(top);
          store_element(k++, top);
        }
      }
      break;
    }
    size_t chosen = 0;
    piles_[0].Top(best);
    for (size_t p = 1; p < piles_.size(); ++p) {
      piles_[p].Top(top);
      // A later pile wins only with a strictly smaller key.
      const bool not_greater = cmp_less_equal(top.key, best.key);
      const bool different = cmp_unequal(top.key, best.key);
      if (not_greater && different) {
        chosen = p;
        best = top;
      }
    }
    piles_[chosen].Pop(best);
    store_element(k++, best);
    if (piles_[chosen].IsEmpty()) piles_.erase(piles_.begin() + static_cast<long>(chosen));
  }
  piles_.clear();
  cursor_ = 0;
}

void pile_list_sort(int first, int last, bool extra_comparison) {
  TPileList piles(extra_comparison);
  for (int i = first; i <= last; ++i) {
    if (broken()) return;
    piles.Add(i);
  }
  if (broken()) return;  // only copies were made: the set is untouched
  piles.Extract(first);
}

}  // namespace mv

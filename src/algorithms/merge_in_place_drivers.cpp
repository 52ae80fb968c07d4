// In-place merge sorts with drivers of their own: 171 (bottom-up swap merging), 172 (library
// style: split sort for the smallest ranges, cut merge) and 178 to 183 (merging into a working
// area by exchanges).
#include <algorithm>

#include "algorithms/merge_in_place_sorts.h"
#include "algorithms/quick_sorts.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/settings.h"
#include "engine/stabilization.h"
#include "engine/stack_emulation.h"

namespace mv {
namespace {

// ---- 178 to 183: merge sort with a working area ---------------------------------------------

// The workspace merge sort sorts [0, n) in its own coordinates; mirrored, coordinate p stands for
// position n - 1 - p and the order is reversed, so the set still ends ascending.
class WorkspaceSort {
 public:
  WorkspaceSort(bool mirrored, bool variant_split, bool stabilize)
      : last_(column_count() - 1),
        mirrored_(mirrored),
        variant_split_(variant_split),
        stabilize_(stabilize) {}

  void run() {
    enum { sort_in_place = 0, sort_into_area = 1 };
    TStackemulator stack;
    stack.Push6(sort_in_place, 0, 0, last_ + 1, 0, 0);
    while (stack.IsNotEmpty()) {
      if (broken()) return;
      int kind, phase, l, u, w, n;
      stack.Pop6(kind, phase, l, u, w, n);
      if (kind == sort_in_place) {
        if (u - l <= 1) continue;
        if (phase == 0) {
          // Sort the left half into the right part, which serves as the working area.
          const int m = l + (u - l) / 2;
          w = l + u - m;
          stack.Push6(sort_in_place, 1, l, u, w, 0);
          stack.Push6(sort_into_area, 0, l, m, w, 0);
        } else if (phase == 1) {
          if (w - l > 2) {
            // Sort half of the unsorted front into the other half of it, then merge it into the
            // sorted back part.
            n = w;
            w = l + (n - l + 1) / 2;
            stack.Push6(sort_in_place, 2, l, u, w, n);
            stack.Push6(sort_into_area, 0, w, n, l, 0);
          } else {
            insert_front(l, w, u);
          }
        } else {
          swap_merge_into(l, l + n - w, n, u, w);
          stack.Push6(sort_in_place, 1, l, u, w, 0);
        }
      } else if (u - l <= 1) {
        for (; l < u && !broken(); ++l, ++w) exchange(l, w);
      } else {
        int m = l + (u - l) / 2;
        if (variant_split_) m = l + (u - l + 1) / 2;
        if (phase == 0) {
          stack.Push6(sort_into_area, 1, l, u, w, 0);
          stack.Push6(sort_in_place, 0, m, u, 0, 0);
          stack.Push6(sort_in_place, 0, l, m, 0, 0);
        } else {
          swap_merge_into(l, m, m, u, w);
        }
      }
    }
  }

 private:
  int at(int p) const { return mirrored_ ? last_ - p : p; }
  bool before(int a, int b) const {
    return mirrored_ ? elem_stable_after(at(a), at(b)) : elem_stable_before(at(a), at(b));
  }
  void exchange(int a, int b) { swap_elements(at(a), at(b)); }

  // Merges [i, m) and [j, n) into the area from w by exchanges: each taken element changes place
  // with the one standing at w. A tie takes the first run.
  void swap_merge_into(int i, int m, int j, int n, int w) {
    const int start = w;
    while (i < m && j < n && !broken()) exchange(w++, before(i, j) ? i++ : j++);
    while (i < m && !broken()) exchange(w++, i++);
    while (j < n && !broken()) exchange(w++, j++);
    if (stabilize_ && !broken() && w > start)
      stabilize_range(std::min(at(start), at(w - 1)), std::max(at(start), at(w - 1)));
  }

  // The last unsorted elements l .. w-1 (at most two) go into the sorted part w .. u-1, each by
  // binary search and neighbour exchanges.
  void insert_front(int l, int w, int u) {
    for (int k = w - 1; k >= l; --k) {
      int lo = partition_point(k + 1, u, [&](int c) { return before(c, k); });
      for (int p = k; p + 1 < lo && !broken(); ++p) exchange(p, p + 1);
      if (broken()) return;
    }
  }

  int last_;
  bool mirrored_, variant_split_, stabilize_;
};

void workspace_merge_sort() {
  const int index = algorithm_index.load(std::memory_order_relaxed);
  const bool mirrored = index == 179 || index == 180 || index == 183;
  // 182 and 183 stabilize every merged range while the "locally" box is checked.
  const bool stabilize = index >= 182 && settings.stabilize_locally.load(std::memory_order_relaxed);
  WorkspaceSort(mirrored, index == 180 || index == 181, stabilize).run();
}

// 172: ranges [first, last) of up to three elements by the stack-optimised split sort, longer
// ones by sorting both halves and the cut merge, on a stack of (first, last, step) frames.
void library_style_merge_sort() {
  TStackemulator stack;
  stack.Push3(0, column_count(), 0);
  while (stack.IsNotEmpty()) {
    if (broken()) return;
    int first, last, step;
    stack.Pop3(first, last, step);
    const int middle = (first + last) / 2;
    if (step == 1) {
      cut_merge(first, middle - 1, last - 1);
    } else if (last - first <= 3) {
      split_sort_range(first, last - 1, 378);
    } else {
      stack.Push3(first, last, 1);
      if (last - middle > 1) stack.Push3(middle, last, 0);
      if (middle - first > 1) stack.Push3(first, middle, 0);
    }
  }
}

// 171: pairs by compare-exchanges, then runs of doubling width merged by the swap merge.
void bottom_up_swap_merge_sort() {
  const int last = column_count() - 1;
  for (int i = 0; i < last && !broken(); i += 2) compare_exchange(i, i + 1);
  for (int width = 2; width <= last && !broken(); width *= 2) {
    for (int l = 0; l + width <= last && !broken(); l += 2 * width) {
      swap_merge(l, l + width - 1, std::min(l + 2 * width - 1, last));
    }
  }
}

}  // namespace

void register_merge_in_place_own_drivers() {
  register_procedure(171, bottom_up_swap_merge_sort);
  register_procedure(172, library_style_merge_sort);
  register_procedures({178, 179, 180, 181, 182, 183}, workspace_merge_sort);
}

}  // namespace mv

// In-place merge sorts: merge procedures that work with counted swappings, movings and block
// swapping only, each run under the top-down driver (plain member) and the natural driver
// (natural member). The sorts with drivers of their own are in merge_in_place_drivers.cpp.
#include "algorithms/merge_in_place_sorts.h"

#include <algorithm>
#include <cmath>

#include "algorithms/block_swapping.h"
#include "algorithms/merge_sorts.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/stack_emulation.h"

namespace mv {
namespace {

// Exchanges first..mid-1 and mid..last by the block reversal rotation, whatever the chosen
// block swapping method.
void reversal_rotate(int first, int mid, int last) {
  if (first >= mid || mid > last) return;
  reverse_range(first, mid - 1);
  reverse_range(mid, last);
  reverse_range(first, last);
}

// The swap merge's k: the smallest k (0 .. shorter run length) for which element m - k is in
// order before element m + 1 + k.
int misplaced_count(int l, int m, int r) {
  int lo = partition_point(0, std::min(m - l + 1, r - m),
                           [&](int c) { return !elem_stable_before(m - c, m + 1 + c); });
  return lo;
}

void swap_merge_with(int l, int m, int r, bool widen) {
  TStackemulator stack;
  for (;;) {
    if (broken()) return;
    if (l > m || m >= r) {
      if (stack.IsEmpty()) return;
      stack.Pop3(l, m, r);
      continue;
    }
    const int k = misplaced_count(l, m, r);
    if (k == 0 || broken()) {
      l = r;  // done with this frame
      continue;
    }
    int a = m - k + 1, b = m + k;
    if (widen) {
      while (a > l && !broken() && elem_equal(a - 1, a)) --a;
      while (b < r && !broken() && elem_equal(b + 1, b)) ++b;
      block_swap(a, m + 1, b);
    } else {
      swap_ranges(a, m, m + 1);
    }
    if (broken()) return;
    // The right block now stands at a .. a + len2 - 1, the left block behind it up to b.
    const int len2 = b - m;
    if (b < r) stack.Push3(a + len2, b, r);
    if (l < a) {
      m = a - 1;
      r = a + len2 - 1;
    } else {
      l = r;
    }
  }
}

}  // namespace

void swap_merge(int l, int m, int r) {
  swap_merge_with(l, m, r, false);
}

void swap_merge_widened(int l, int m, int r) {
  swap_merge_with(l, m, r, true);
}

void middle_cut_merge(int l, int m, int r) {
  TStackemulator stack;
  for (;;) {
    if (broken()) return;
    if (l > m || m >= r) {
      if (stack.IsEmpty()) return;
      stack.Pop3(l, m, r);
      continue;
    }
    const int q = (l + m) / 2;
    int j = m + 1;
    while (j <= r && !broken() && elem_less(j, q)) ++j;
    block_swap(q, m + 1, j - 1);
    if (broken()) return;
    const int placed = q + (j - m - 1);  // the former element q, now in its final place
    if (placed + 1 <= j - 1 && j <= r) stack.Push3(placed + 1, j - 1, r);
    if (l < q && placed > q) {
      m = q - 1;
      r = placed - 1;
    } else {
      l = r;
    }
  }
}

void symmetric_merge(int l, int m, int r) {
  // Half-open frames: runs [first, middle) and [middle, last).
  TStackemulator stack;
  int first = l, middle = m + 1, last = r + 1;
  for (;;) {
    if (broken()) return;
    if (!(first < middle && middle < last)) {
      if (stack.IsEmpty()) return;
      stack.Pop3(first, middle, last);
      continue;
    }
    const int half = (first + last) / 2;
    const int n = half + middle;
    const int start =
        partition_point(middle > half ? n - last : first, middle > half ? half : middle,
                        [&](int c) { return elem_stable_before(c, n - c - 1); });
    const int end = n - start;
    if (start < middle && middle < end) block_swap(start, middle, end - 1);
    if (broken()) return;
    if (half < end && end < last) stack.Push3(half, end, last);
    if (first < start && start < half) {
      middle = start;
      last = half;
    } else {
      first = last;
    }
  }
}

// Every left element that comes after the right run's head is taken out into a record, the
// right elements that come before it shift one place left, and the record fills the gap.
// `shift_more(held, m, r)` gives the predicate "the element behind gap still shifts".
template <class ShiftMore>
void held_shift_merge(int l, int m, int r, ShiftMore shift_more) {
  for (int i = l; i <= m && m < r; ++i) {
    if (broken()) return;
    if (!elem_greater(i, m + 1)) continue;
    Element held;
    read_element(i, held);
    move_element(i, m + 1);
    auto more = shift_more(held, m, r);
    int gap = m + 1;
    for (; !broken() && more(gap); ++gap) move_element(gap, gap + 1);
    store_element(gap, held);  // into the gap, also where a break-off stopped the shift
  }
}

// The shifting ends where a linear scan of comparisons finds the record's place.
void displacement_merge(int l, int m, int r) {
  held_shift_merge(l, m, r, [](const Element& held, int, int r) {
    return [&held, r](int gap) { return gap < r && rec_greater(held, elements[gap + 1]); };
  });
}

void compare_exchange_sweep_merge(int l, int m, int r) {
  for (int i = l; i <= m && m < r; ++i) {
    if (broken()) return;
    if (!compare_exchange(i, m + 1)) continue;
    for (int p = m + 1; p < r && !broken() && compare_exchange(p, p + 1); ++p) {
    }
  }
}

void weave_merge(int l, int m, int r) {
  if (l > m || m >= r) return;
  if (r - m <= m - l + 1) {
    // Each right element, in turn, is carried leftwards past the greater left elements.
    for (int j = m + 1; j <= r; ++j) {
      for (int p = j; p > l && !broken() && elem_greater(p - 1, p); --p) swap_elements(p - 1, p);
      if (broken()) return;
    }
  } else {
    // Each left element, from the last, is carried rightwards past the smaller right elements.
    for (int i = m; i >= l; --i) {
      for (int p = i; p < r && !broken() && elem_greater(p, p + 1); ++p) swap_elements(p, p + 1);
      if (broken()) return;
    }
  }
  // Closing pass: one neighbour sweep over the range.
  for (int p = l; p < r && !broken(); ++p) compare_exchange(p, p + 1);
}

void shift_merge(int l, int m, int r) {
  int i = l, j = m + 1;
  while (i <= m && j <= r) {
    if (broken()) return;
    if (elem_stable_before(i, j)) {
      ++i;
      continue;
    }
    rotate_right_one(i, j);
    ++i;
    ++m;
    ++j;
  }
}

namespace {

using Rotation = void (*)(int, int, int);

// One forward step on l..m, m+1..r; false when the merge is finished.
bool forward_step(int& l, int& m, int r, Rotation rotate) {
  int i = l;
  while (i <= m && !broken() && elem_stable_before(i, m + 1)) ++i;
  if (i > m || broken()) return false;
  int j = m + 1;
  while (j <= r && !broken() && elem_greater(i, j)) ++j;
  rotate(i, m + 1, j - 1);
  const int len = j - m - 1;
  // The former right block now stands before element i: i and m move on by its length, and the
  // next step compares element i again. An empty block (equal keys out of start order) would
  // repeat this step for ever, so element i stays where it is then.
  l = len > 0 ? i + len : i + 1;
  m += len;
  return m < r && l <= m;
}

// One backward step; false when the merge is finished.
bool backward_step(int l, int& m, int& r, Rotation rotate) {
  while (r > m && !broken() && elem_stable_before(m, r)) --r;
  if (r <= m || broken()) return false;
  int k = m;
  while (k >= l && !broken() && elem_greater(k, r)) --k;
  rotate(k + 1, m + 1, r);
  const int moved = m - k;
  // The range shrinks by the moved left block; the next step compares the former element r
  // again. An empty block would repeat the step for ever, so element r stays then.
  m = k;
  r -= moved > 0 ? moved : 1;
  return m >= l && m < r;
}

// Splits l..r where the first half of the merged order ends: i elements of the left run and
// k - i of the right run, found by one binary search over the pairs that can meet at the cut (a
// tie goes to the left run). The two middle blocks are exchanged by rotate, and both halves are
// merged the same way on the stack. Frames of at most `small` elements go to small_merge instead
// (none when small is 0).
void co_rank_merge_with(int l, int m, int r, Rotation rotate, int small = 0,
                        MergeProcedure small_merge = standard_merge_stable) {
  TStackemulator stack;
  for (;;) {
    if (broken()) return;
    if (l > m || m >= r) {
      if (stack.IsEmpty()) return;
      stack.Pop3(l, m, r);
      continue;
    }
    if (r - l + 1 <= small) {
      small_merge(l, m, r);
      l = r;
      continue;
    }
    const int len1 = m - l + 1, len2 = r - m;
    const int k = (len1 + len2) / 2;
    // Smallest i for which left element i no longer belongs before right element k - i - 1.
    const int lo = partition_point(std::max(0, k - len2), std::min(k, len1),
                                   [&](int i) { return elem_stable_before(l + i, m + k - i); });
    const int i = lo, j = k - i;
    rotate(l + i, m + 1, m + j);
    if (broken()) return;
    const int cut = l + k;  // the first position of the second half
    if (cut <= r) stack.Push3(cut, cut + (len1 - i) - 1, r);
    m = l + i - 1;
    r = cut - 1;
  }
}

// Cuts the longer run at its middle, finds the matching cut in the other by binary search,
// rotates the blocks between the cuts and merges both sides the same way on the stack. A frame
// whose shorter run has at most `buffered` elements goes to the scratch merge through buffer_a
// instead (none when buffered is 0).
void cut_merge_with(int l, int m, int r, Rotation rotate, int buffered = 0) {
  TStackemulator stack;
  for (;;) {
    if (broken()) return;
    if (l > m || m >= r) {
      if (stack.IsEmpty()) return;
      stack.Pop3(l, m, r);
      continue;
    }
    if (l == m && m + 1 == r) {
      compare_exchange(l, r);
      l = r;
      continue;
    }
    if (std::min(m - l + 1, r - m) <= buffered) {
      scratch_merge(l, m, r);
      l = r;
      continue;
    }
    int cut1, cut2;  // first positions of the blocks to exchange: cut1..m and m+1..cut2-1
    if (r - m < m - l + 1) {
      cut1 = (l + m + 1) / 2;
      // The lower bound of cut1's key in the right run.
      cut2 = partition_point(m + 1, r + 1, [&](int c) { return elem_less(c, cut1); });
    } else {
      cut2 = m + 1 + (r - m) / 2;
      // The upper bound of cut2's key in the left run.
      cut1 = partition_point(l, m + 1, [&](int c) { return !elem_less(cut2, c); });
    }
    rotate(cut1, m + 1, cut2 - 1);
    if (broken()) return;
    const int middle = cut1 + (cut2 - m - 1);
    if (middle <= cut2 - 1 && cut2 <= r) stack.Push3(middle, cut2 - 1, r);
    m = cut1 - 1;
    r = middle - 1;
  }
}

// First position of l..r whose element is not in order before element x (stable comparison
// elem_stable_before(c, x)); r + 1 when there is none.
int first_not_before(int l, int r, int x) {
  int lo = partition_point(l, r + 1, [&](int c) { return elem_stable_before(c, x); });
  return lo;
}

// First position of l..r whose element x is in order before (elem_stable_before(x, c));
// r + 1 when there is none.
int first_after(int l, int r, int x) {
  int lo = partition_point(l, r + 1, [&](int c) { return !elem_stable_before(x, c); });
  return lo;
}

// Straight insertion of l..r by neighbour compare-exchanges (a merge procedure for small frames).
void compare_exchange_insertion(int l, int, int r) {
  for (int k = l + 1; k <= r; ++k) {
    for (int j = k; j > l && !broken() && compare_exchange(j - 1, j); --j) {
    }
    if (broken()) return;
  }
}

void rotation_merge_with(int l, int m, int r, int mode, Rotation rotate) {
  bool forward = true;
  while (l <= m && m < r && !broken()) {
    bool go_on;
    if (mode == 0 || (mode == 2 && r - m >= m - l + 1) || (mode == 3 && forward)) {
      go_on = forward_step(l, m, r, rotate);
    } else {
      go_on = backward_step(l, m, r, rotate);
    }
    forward = !forward;
    if (!go_on) return;
  }
}

}  // namespace

void rotation_merge(int l, int m, int r, int mode) {
  rotation_merge_with(l, m, r, mode, block_swap);
}

void co_rank_merge(int l, int m, int r) {
  co_rank_merge_with(l, m, r, block_swap);
}

void cut_merge(int l, int m, int r) {
  cut_merge_with(l, m, r, block_swap);
}

// The record's place is found first by binary search: the first position behind m + 1 whose key
// is not below the record's.
void held_insertion_merge(int l, int m, int r) {
  held_shift_merge(l, m, r, [](const Element& held, int m, int r) {
    const int lo =
        partition_point(m + 2, r + 1, [&](int c) { return rec_less(elements[c], held); });
    return [lo](int gap) { return gap + 1 < lo; };
  });
}

void sinking_merge(int l, int m, int r) {
  for (int i = l; i <= m && m < r; ++i) {
    if (broken()) return;
    if (!compare_exchange(i, m + 1)) continue;
    for (int p = m + 1; p < r && !broken() && elem_greater(p, p + 1); ++p) swap_elements(p, p + 1);
  }
}

void balanced_merge(int l, int m, int r, MergeProcedure inner) {
  if (l > m || m >= r) return;
  const int len1 = m - l + 1, len2 = r - m;
  if (len1 < len2) {
    // The left run takes in the right run piece by piece, each piece as long as the left run was.
    while (m + len1 <= r && !broken()) {
      inner(l, m, m + len1);
      m += len1;
    }
    if (m < r && !broken()) inner(l, m, r);
    return;
  }
  // Pieces of the right run's length are merged into the right run from the left run's end.
  while (m - l + 1 > len2 && !broken()) {
    inner(m - len2 + 1, m, r);
    m -= len2;
  }
  if (!broken()) standard_merge(l, m, r, 1);
}

void trimmed_swap_merge(int l, int m, int r) {
  if (l > m || m >= r || broken()) return;
  // Left elements in order before the right run's head, and right elements that the left run's
  // last element comes before, are in place already.
  const int from = first_not_before(l, m, m + 1);
  if (from > m || broken()) return;
  const int to = first_after(m + 1, r, m) - 1;
  if (!broken()) swap_merge(from, m, to);
}

void block_swap_merge(int l, int m, int r) {
  TStackemulator stack;
  for (;;) {
    if (broken()) return;
    if (l > m || m >= r) {
      if (stack.IsEmpty()) return;
      stack.Pop3(l, m, r);
      continue;
    }
    const int k = misplaced_count(l, m, r);
    if (k == 0 || broken()) {
      l = r;
      continue;
    }
    block_swap(m - k + 1, m + 1, m + k);
    if (broken()) return;
    if (m + k < r) stack.Push3(m + 1, m + k, r);
    r = m;
    m -= k;
  }
}

void binary_rotation_merge(int l, int m, int r) {
  while (l <= m && m < r && !broken()) {
    // The first left element that must follow the right run's head, and the right elements
    // whose keys are below its key.
    const int i = first_not_before(l, m, m + 1);
    if (i > m || broken()) return;
    int lo = partition_point(m + 1, r + 1, [&](int c) { return elem_less(c, i); });
    if (broken()) return;
    block_swap(i, m + 1, lo - 1);
    const int len = lo - m - 1;
    l = i + len + 1;
    m += len;
  }
}

void right_middle_cut_merge(int l, int m, int r) {
  TStackemulator stack;
  for (;;) {
    if (broken()) return;
    if (l > m || m >= r) {
      if (stack.IsEmpty()) return;
      stack.Pop3(l, m, r);
      continue;
    }
    const int q = (m + 1 + r + 1) / 2;  // the middle of the right run
    int k = m;
    while (k >= l && !broken() && elem_greater(k, q)) --k;
    block_swap(k + 1, m + 1, q);
    if (broken()) return;
    const int placed = q - (m - k);  // the former element q, now in its final place
    if (placed + 1 <= q && q < r) stack.Push3(placed + 1, q, r);
    if (l <= k && k + 1 < placed) {
      m = k;
      r = placed - 1;
    } else {
      l = r;
    }
  }
}

void small_frame_co_rank_merge(int l, int m, int r) {
  co_rank_merge_with(l, m, r, block_swap, 8, compare_exchange_insertion);
}

void small_case_merge(int l, int m, int r) {
  if (l > m || m >= r || broken()) return;
  if (r - l == 1) {
    compare_exchange(l, r);
  } else if (elem_stable_before(m, m + 1)) {
    return;  // in order already
  } else if (m == r - 1) {
    // One right element: it travels left by counted swappings.
    for (int p = r; p > l && !broken() && elem_greater(p - 1, p); --p) swap_elements(p - 1, p);
  } else if (m == l) {
    for (int p = l; p < r && !broken() && elem_greater(p, p + 1); ++p) swap_elements(p, p + 1);
  } else {
    standard_merge(l, m, r, 1);
  }
}

void head_exchange_merge(int l, int m, int r) {
  for (int i = l; i <= m && m < r; ++i) {
    if (broken()) return;
    if (!compare_exchange(i, m + 1)) continue;
    // The new right head: its place by binary search, then counted swappings to it.
    int lo = partition_point(m + 2, r + 1, [&](int c) { return elem_less(c, m + 1); });
    for (int p = m + 1; p + 1 < lo && !broken(); ++p) swap_elements(p, p + 1);
  }
}

namespace {

// First position of l..m whose element must follow element x: stable, not in order before it;
// unstable, a key not below x's key.
int first_following(int l, int m, int x, bool stable) {
  int lo = partition_point(
      l, m + 1, [&](int c) { return stable ? elem_stable_before(c, x) : elem_less(c, x); });
  return lo;
}

// First position of m+1..r whose element need not go before element x: stable, x is in order
// before it; unstable, its key is not below x's key.
int first_not_preceding(int m, int r, int x, bool stable) {
  int lo = partition_point(
      m + 1, r + 1, [&](int c) { return stable ? !elem_stable_before(x, c) : elem_less(c, x); });
  return lo;
}

// The next block of the right run: the left elements that must follow its last element are
// rotated behind it, and what stands before them is merged with the block by `local`; the rest
// of the left run goes on with the rest of the right run.
bool block_step_forward(int& l, int& m, int r, int block, bool stable, MergeProcedure local) {
  const int end = std::min(m + block, r);
  const int q = first_following(l, m, end, stable);
  if (broken()) return false;
  block_swap(q, m + 1, end);
  if (broken()) return false;
  const int len = end - m;
  if (l < q) local(l, q - 1, q + len - 1);
  l = q + len;
  m = end;
  return !broken();
}

// The mirror image: the last block of the left run, the right elements that must precede its
// first element rotated before it, the block merged with what stands behind them.
bool block_step_backward(int l, int& m, int& r, int block, bool stable, MergeProcedure local) {
  const int start = std::max(l, m - block + 1);
  const int q = first_not_preceding(m, r, start, stable);
  if (broken()) return false;
  block_swap(start, m + 1, q - 1);
  if (broken()) return false;
  const int head = q - m - 1;
  if (q <= r) local(start + head, q - 1, r);
  r = start + head - 1;
  m = start - 1;
  return !broken();
}

int root_block(int len) {
  return std::max(1, static_cast<int>(std::sqrt(static_cast<double>(len))));
}

}  // namespace

void block_merge(int l, int m, int r, const BlockMergeShape& shape) {
  bool forward = true;
  while (l <= m && m < r && !broken()) {
    const bool go_on = forward
                           ? block_step_forward(l, m, r, shape.block, shape.stable, shape.local)
                           : block_step_backward(l, m, r, shape.block, shape.stable, shape.local);
    if (!go_on) return;
    if (shape.duplex) forward = !forward;
  }
}

void grail_merge_iterative(int pos, int len1, int len2) {
  if (len1 < len2) {
    while (len1 > 0 && !broken()) {
      // The right elements that must precede the left run's head go before it in one rotation.
      const int h =
          first_not_preceding(pos + len1 - 1, pos + len1 + len2 - 1, pos, true) - (pos + len1);
      if (broken()) return;
      if (h > 0) {
        block_swap(pos, pos + len1, pos + len1 + h - 1);
        pos += h;
        len2 -= h;
      }
      if (len2 == 0 || broken()) return;
      do {
        ++pos;
        --len1;
      } while (len1 > 0 && !broken() && elem_stable_before(pos, pos + len1));
    }
  } else {
    while (len2 > 0 && !broken()) {
      // The left elements that must follow the right run's last element go behind it.
      const int last = pos + len1 + len2 - 1;
      const int h = first_following(pos, pos + len1 - 1, last, true) - pos;
      if (broken()) return;
      if (h != len1) {
        block_swap(pos + h, pos + len1, last);
        len1 = h;
      }
      if (len1 == 0 || broken()) return;
      do {
        --len2;
      } while (len2 > 0 && !broken() && elem_stable_before(pos + len1 - 1, pos + len1 + len2 - 1));
    }
  }
}

void grail_merge_recursive(int pos, int len1, int len2) {
  TStackemulator stack;
  for (;;) {
    if (broken()) return;
    if (len1 <= 0 || len2 <= 0) {
      if (stack.IsEmpty()) return;
      stack.Pop3(pos, len1, len2);
      continue;
    }
    // Cut the shorter run at its middle and the longer one at the matching place.
    const int m = pos + len1 - 1, r = m + len2;
    int cut1, cut2;
    if (len1 <= len2) {
      cut1 = pos + len1 / 2;
      cut2 = first_not_preceding(m, r, cut1, true);
    } else {
      cut2 = m + 1 + len2 / 2;
      cut1 = first_following(pos, m, cut2, true);
      ++cut2;  // the cut element goes with the block before it
    }
    if (broken()) return;
    block_swap(cut1, m + 1, cut2 - 1);
    if (broken()) return;
    const int middle = cut1 + (cut2 - m - 1);
    if (len1 <= len2) {
      // The former element cut1 stands at middle, in its place.
      stack.Push3(middle + 1, cut2 - middle - 1, r - cut2 + 1);
      len2 = middle - cut1;
      len1 = cut1 - pos;
    } else {
      // The former right element cut2 - 1 stands at middle - 1, in its place.
      stack.Push3(middle, cut2 - middle, r - cut2 + 1);
      len2 = middle - 1 - cut1;
      len1 = cut1 - pos;
    }
  }
}

void duel_merge(int l, int m, int r) {
  TStackemulator stack;
  for (;;) {
    if (broken()) return;
    if (l > m || m >= r || elem_stable_before(m, m + 1)) {
      if (broken() || stack.IsEmpty()) return;
      stack.Pop3(l, m, r);
      continue;
    }
    // The left elements before p stay; from p on, the misplaced tail of the left run changes
    // place with the equally long head of the right run.
    const int p = first_following(l, m, m + 1, true);
    const int k = misplaced_count(p, m, r);
    if (broken()) return;
    swap_ranges(m - k + 1, m, m + 1);
    if (broken()) return;
    if (m + k < r) stack.Push3(m + 1, m + k, r);
    l = p;
    r = m;
    m -= k;
  }
}

namespace {

// Whether algorithm_index names the natural member of a pair.
bool natural_member() {
  return algorithm_index >= 189;
}

void run_merge(MergeProcedure merge) {
  if (natural_member()) {
    natural_merge_sort(0, last_position(), merge);
  } else {
    top_down_merge_sort(0, last_position(), merge);
  }
}

void rotation_merge_by_index(int l, int m, int r) {
  const int index = algorithm_index.load(std::memory_order_relaxed);
  const int mode = (natural_member() ? index - 72 : index) - 154;
  rotation_merge(l, m, r, mode);
}

void reversal_rotation_merge(int l, int m, int r) {
  rotation_merge_with(l, m, r, 3, reversal_rotate);
}

void block_insertion_merge_in_place(int l, int m, int r) {
  block_insertion_merge(l, m + 1, r + 1, -1);
}

void local_block_insertion(int l, int m, int r) {
  block_insertion_merge(l, m + 1, r + 1, -1);
}

// The block merges by catalogue index: block size, stability of the cuts, direction and the
// merge of each block with the elements before it.
void block_merge_by_index(int l, int m, int r) {
  const int index = algorithm_index.load(std::memory_order_relaxed);
  const int plain = natural_member() ? index - 72 : index;
  const int total = r - l + 1;
  BlockMergeShape shape{root_block(total), true, false, local_block_insertion};
  switch (plain) {
    case 140:
      shape.stable = false;
      break;
    case 143:
      shape.block = root_block(r - m);
      break;
    case 150:
      shape.stable = false;
      shape.local = head_exchange_merge;
      break;
    case 151:
      shape.stable = false;
      shape.local = cut_merge;
      break;
    case 152:
      shape.stable = false;
      shape.local = cut_merge;
      shape.duplex = true;
      break;
    case 161:
      shape.local = standard_merge_stable;
      break;
    case 162: {
      const int pardo = parameters.Param_pardo;
      if (pardo > 0) shape.block = std::min(total, pardo);
      shape.local = standard_merge_stable;
      break;
    }
    default:
      break;
  }
  block_merge(l, m, r, shape);
}

// 202: the sinking merge, inside the balancing wrapper when the left run is the shorter one.
void sort_sinking_natural() {
  natural_merge_sort(0, last_position(), [](int l, int m, int r) {
    if (m - l < r - m - 1) {
      balanced_merge(l, m, r, sinking_merge);
    } else {
      sinking_merge(l, m, r);
    }
  });
}

// The merge procedure of each plain member; its natural member, 72 places further on, hands the
// same merge to the natural driver.
struct Member {
  int plain;
  MergeProcedure merge;
};

const Member members[] = {
    {120, head_exchange_merge},
    {123, swap_merge},
    {124, swap_merge_widened},
    {125, block_swap_merge},
    {126, trimmed_swap_merge},
    {127,  // the cut merge decomposes until the shorter run fits "lenW" (or sqrt n) elements
     [](int l, int m, int r) {
       const int width = parameters.lenW > 0 ? parameters.lenW : root_block(column_count());
       cut_merge_with(l, m, r, block_swap, width);
     }},
    {128, middle_cut_merge},
    {129, displacement_merge},
    {131, compare_exchange_sweep_merge},
    {132, weave_merge},
    {133, shift_merge},
    {134, [](int l, int m, int r) { cut_merge_with(l, m, r, reversal_rotate); }},
    {135, right_middle_cut_merge},
    {136, [](int l, int m, int r) { balanced_merge(l, m, r, cut_merge); }},
    {137, binary_rotation_merge},
    {138, held_insertion_merge},
    {139, symmetric_merge},
    {142, co_rank_merge},
    {144, small_frame_co_rank_merge},
    {146, block_insertion_merge_in_place},
    {147, [](int l, int m, int r) { grail_merge_iterative(l, m - l + 1, r - m); }},
    {148, [](int l, int m, int r) { grail_merge_recursive(l, m - l + 1, r - m); }},
    {149, duel_merge},
    {153, [](int l, int m, int r) { co_rank_merge_with(l, m, r, block_swap, 16); }},
    {154, rotation_merge_by_index},
    {155, rotation_merge_by_index},
    {156, rotation_merge_by_index},
    {157, rotation_merge_by_index},
    {158, reversal_rotation_merge},
    {159, [](int l, int m, int r) { balanced_merge(l, m, r, co_rank_merge); }},
    {160, cut_merge},
    {163, [](int l, int m, int r) { co_rank_merge_with(l, m, r, reversal_rotate, 16); }},
    {164, small_case_merge},
    {140, block_merge_by_index},
    {141, block_merge_by_index},
    {143, block_merge_by_index},
    {150, block_merge_by_index},
    {151, block_merge_by_index},
    {152, block_merge_by_index},
    {161, block_merge_by_index},
    {162, block_merge_by_index},
};

// Runs the chosen plain or natural member with its merge procedure.
void sort_member() {
  const int index = algorithm_index.load(std::memory_order_relaxed);
  const int plain = natural_member() ? index - 72 : index;
  for (const Member& member : members) {
    if (member.plain == plain) run_merge(member.merge);
  }
}

}  // namespace

void register_merge_in_place_sorts() {
  register_merge_in_place_own_drivers();
  for (const Member& member : members) {
    register_procedures({member.plain, member.plain + 72}, sort_member);
  }
  register_procedure(130, [] { run_merge(sinking_merge); });
  register_procedure(202, sort_sinking_natural);
}

}  // namespace mv

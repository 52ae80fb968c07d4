// Quick sorts: the shared partition and iterative quick sort, the classic quick sort in its
// processing orders and its variants (three-way, mean and median pivots, Lomuto, stable, stackless,
// halving, dual pivot, median of medians, quick select, level by level, n pivots). The related
// partition sorts of the family are in quick_sorts_related.cpp.
#include "algorithms/quick_sorts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "algorithms/quick_sorts_detail.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/settings.h"
#include "engine/stabilization.h"
#include "engine/stack_emulation.h"

namespace mv {

using namespace quick_detail;

// ---- Shared partition and the iterative quick sort ----------------------------------------

PartitionResult partition(int lo, int hi, bool pump) {
  int i = lo, j = hi;
  while (i < j) {
    if (broken()) return {j + 1, j};
    // The element at hi stops the first scan; the scans never leave lo..hi because the left
    // part below i holds no key above the one at hi and the right part above j none below it.
    while (elem_less(i, hi)) ++i;
    while (elem_greater(j, hi)) --j;
    if (i < j) compare_exchange(i, j, true, pump);
    if (i <= j) {
      ++i;
      --j;
    }
  }
  compare_exchange(j, hi, true, pump);
  return {j + 1, j};
}

void quick_sort_ranges(int lo, int hi, int order, bool pump, int depth_limit, int step_limit) {
  if (depth_limit == 0) return;
  // A chain of partitions on at most 65535 positions is shorter than 65535 links, so the
  // largest depth the triples can carry already means no limit.
  int d = (depth_limit < 0 || depth_limit > 0xFFFF) ? 0xFFFF : depth_limit;
  const bool steps_limited = step_limit >= 0;
  TStackemulator stack(3);  // frames (first, last, remaining depth) over a zero frame
  int64_t steps = 0;
  auto pop_next = [&] { stack.Pop3(lo, hi, d); };
  // A part that waits: two elements are settled at once, a single one is already in place.
  auto put_aside = [&](int first, int last) {
    if (last - first == 1) {
      compare_exchange(first, last, true, pump);
    } else if (last - first > 1) {
      stack.Push3(first, last, d);
    }
  };
  while (!steps_limited || steps < step_limit) {
    if (hi - lo < 2) {
      if (hi - lo == 1) compare_exchange(lo, hi, true, pump);
      pop_next();
    } else {
      const PartitionResult p = partition(lo, hi, pump);
      if (pump && settings.stabilize_locally.load(std::memory_order_relaxed)) {
        stabilize_range(lo, hi);
      }
      if (broken()) break;
      if (--d == 0) {
        pop_next();
      } else {
        const bool left_waits = order == quick_order_reverse ||
                                (order == quick_order_stack && p.j - lo + 1 > hi - p.i + 1);
        if (left_waits) {
          put_aside(lo, p.j);
          lo = p.i;
        } else {
          put_aside(p.i, hi);
          hi = p.j;
        }
      }
    }
    ++steps;
    if (broken() || stack.IsEmpty()) break;
  }
}

namespace quick_detail {

PartitionResult median_of_three_partition(int lo, int hi, bool stable_exchange) {
  const int mid = lo + (hi - lo) / 2;
  compare_exchange(lo, mid);
  compare_exchange(mid, hi);
  compare_exchange(lo, mid);
  Element pivot;
  read_element(mid, pivot);
  int i = lo + 1, j = hi - 1;
  while (i <= j) {
    if (broken()) break;
    while (rec_less(elements[i], pivot)) ++i;
    while (rec_greater(elements[j], pivot)) --j;
    if (i <= j) {
      if (i < j && (!stable_exchange || rec_stable_after(elements[i], elements[j]))) {
        swap_elements(i, j);
      }
      ++i;
      --j;
    }
  }
  return {i, j};
}

void larger_part_waits(TStackemulator& stack, int& lo, int& hi, PartitionResult p) {
  if (p.j - lo > hi - p.i) {
    if (lo < p.j) stack.Push2(lo, p.j);
    lo = p.i;
  } else {
    if (p.i < hi) stack.Push2(p.i, hi);
    hi = p.j;
  }
}

}  // namespace quick_detail

namespace {

// ---- 266, 267, 268: the shared quick sort in processing order 0, 1 or 2 ---------------------

void quick_sort_by_order() {
  quick_sort_ranges(0, last_position(), algorithm_index - 266, true);
}

// ---- 265: q sort ----------------------------------------------------------------------------

// Bentley-McIlroy partition around a random pivot: keys equal to it are gathered at both ends,
// then moved to the middle, where they are final.
void q_sort() {
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  Element pivot;
  for (;;) {
    if (broken()) return;
    read_element(random_position(lo, hi, 1), pivot);
    // With "stable comparings" the pivot's own element is neither before nor after the copy;
    // it counts as before, so that it is gathered like any equal key and every part shrinks.
    auto before = [&](const Element& e) {
      return rec_stable_before(e, pivot) || e.start_position == pivot.start_position;
    };
    int a = lo, b = lo, c = hi, d = hi;
    for (;;) {
      if (broken()) return;
      while (b <= c && before(elements[b])) {
        if (rec_equal(elements[b], pivot)) swap_elements(a++, b);
        ++b;
      }
      while (c >= b && rec_stable_after(elements[c], pivot)) {
        if (rec_equal(elements[c], pivot)) swap_elements(d--, c);
        --c;
      }
      if (b > c) break;
      swap_elements(b++, c--);
    }
    const int s1 = std::min(a - lo, b - a);
    if (s1 > 0) swap_ranges(lo, lo + s1 - 1, b - s1);
    const int s2 = std::min(d - c, hi - d);
    if (s2 > 0) swap_ranges(b, b + s2 - 1, hi - s2 + 1);
    if (broken()) return;
    // lo..less_last holds the smaller keys, greater_first..hi the larger ones.
    const int less_last = lo + (b - a) - 1;
    const int greater_first = hi - (d - c) + 1;
    if (greater_first < hi) stack.Push2(greater_first, hi);
    if (lo < less_last) {
      hi = less_last;
    } else if (!pop_pair(stack, lo, hi)) {
      return;
    }
  }
}

// ---- 269: quick sort with 3-way partitioning --------------------------------------------------

void quick_sort_three_way() {
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  for (;;) {
    const int32_t p = elements[hi].key;
    int lt = lo, i = lo, gt = hi;
    while (i <= gt) {
      if (broken()) return;
      if (cmp_less(elements[i].key, p)) {
        swap_elements(lt++, i++);
      } else if (cmp_greater(elements[i].key, p)) {
        swap_elements(i, gt--);
      } else {
        ++i;
      }
    }
    if (i < hi) stack.Push2(i, hi);
    if (lt - 1 > lo) {
      hi = lt - 1;
    } else if (!pop_pair(stack, lo, hi)) {
      return;
    }
  }
}

// ---- 270: quick sort with mean pivot ----------------------------------------------------------

// The mean of the keys rounded down, so that at least one key of the range is not above it.
int32_t mean_of(int64_t sum, int count) {
  int64_t q = sum / count;
  if (sum % count != 0 && sum < 0) --q;
  return static_cast<int32_t>(q);
}

void quick_sort_mean_pivot() {
  const int n = column_count();
  int64_t sum = 0;
  for (int k = 0; k < n; ++k) sum += elements[k].key;
  PStackemulator stack(3);  // frames (first, last, mean of their keys)
  int lo = 0, hi = n - 1;
  int32_t p = mean_of(sum, n);
  for (;;) {
    int64_t sum_left = 0, sum_right = 0;
    int i = lo, j = hi;
    for (;;) {
      if (broken()) return;
      while (i < hi && cmp_less(elements[i].key, p)) sum_left += elements[i++].key;
      while (cmp_greater(elements[j].key, p)) sum_right += elements[j--].key;
      if (j <= i) break;
      sum_left += elements[j].key;
      sum_right += elements[i].key;
      swap_elements(i++, j--);
    }
    if (i <= hi) {
      if (j + 1 < hi) stack.Push3(j + 1, hi, mean_of(sum_right, hi - j));
      if (lo < i - 1) {
        p = mean_of(sum_left, i - lo);
        hi = i - 1;
        continue;
      }
    }
    stack.Pop3(lo, hi, p);
    if (stack.IsEmpty()) return;
  }
}

// ---- 271: quick sort with median pivoting -----------------------------------------------------

void quick_sort_median_pivoting() {
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  for (;;) {
    if (broken()) return;
    const int32_t p = elements[(lo + hi) / 2].key;
    int i = lo, j = hi;
    while (i < j) {
      if (broken()) return;
      while (cmp_less(elements[i].key, p)) ++i;
      while (cmp_greater(elements[j].key, p)) --j;
      if (i < j) swap_elements(i++, j--);
    }
    if (i > lo && i == hi) --i;
    if (i > lo) {
      stack.Push2(i, hi);  // both parts keep position i
      hi = i;
    } else if (i < hi) {
      hi = i;
    } else if (!pop_pair(stack, lo, hi)) {
      return;
    }
  }
}

// ---- 273: quick sort with half stable partitioning --------------------------------------------

// Lomuto's partition against the last element: elements that come before it move to the left
// part in their order of the scan.
int lomuto(int lo, int hi) {
  Element pivot;
  read_element(hi, pivot);
  int w = lo;
  for (int r = lo; r < hi; ++r) {
    if (broken()) return w;
    const bool before = stable_comparings ? rec_stable_before(elements[r], pivot)
                                          : cmp_less_equal(elements[r].key, pivot.key);
    if (before) swap_elements(w++, r);
  }
  swap_elements(w, hi);
  return w;
}

void quick_sort_half_stable() {
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  for (;;) {
    const int q = lomuto(lo, hi);
    if (broken()) return;
    if (q + 1 < hi) {
      stack.Push2(q + 1, hi);
      if (settings.stabilize_locally.load(std::memory_order_relaxed)) stabilize_range(q + 1, hi);
    }
    if (lo < q - 1) {
      hi = q - 1;
    } else if (!pop_pair(stack, lo, hi)) {
      return;
    }
  }
}

// ---- 282: quick sort stable (2007) ------------------------------------------------------------

// Stable partition around the range's first element: each element that comes before it is taken
// into a record buffer while the elements behind the pivot shift one place right, then
// stored in front of them; at the end the pivot moves behind the smaller ones the same way.
void quick_sort_stable_2007() {
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  Element pivot, record;
  for (;;) {
    read_element(lo, pivot);
    int w = lo + 1;  // lo + 1 .. w - 1 come before the pivot, w .. x - 1 after it
    for (int x = lo + 1; x <= hi; ++x) {
      if (broken()) return;
      if (rec_stable_after(elements[x], pivot)) continue;
      if (x > w) {
        read_element(x, record);
        int hole = x;
        while (hole > w && !broken()) {
          move_element(hole, hole - 1);
          --hole;
        }
        store_element(hole, record);
        if (broken()) return;
      }
      ++w;
    }
    int hole = lo;
    while (hole < w - 1 && !broken()) {
      move_element(hole, hole + 1);
      ++hole;
    }
    store_element(hole, pivot);
    if (broken()) return;
    const int q = w - 1;
    if (q + 1 < hi) stack.Push2(q + 1, hi);
    if (lo < q - 1) {
      hi = q - 1;
    } else if (!pop_pair(stack, lo, hi)) {
      return;
    }
  }
}

// ---- 283, 284: stackless quick sorts ----------------------------------------------------------

// Both keep no stack. Ranges are processed leftmost first; every right part that has to wait
// gets its maximum in front. Once all before it is sorted, the part is found again by scanning
// from its front up to the first larger key. The scan may take in following parts that consist
// of that same key only; so the keys equal to the maximum are first gathered at the back of what
// was found, where they are final.

// lo holds the maximum of lo..end. Gathers the keys equal to it at the back and returns the last
// position of the smaller keys (lo - 1 when there are none).
int gather_maximum(int lo, int end) {
  int i = lo + 1, j = end;
  for (;;) {
    if (broken()) return lo - 1;
    while (i <= j && elem_less(i, lo)) ++i;
    while (j > i && !elem_less(j, lo)) --j;
    if (i >= j) break;
    swap_elements(i++, j--);
  }
  // lo + 1 .. i - 1 are smaller, i .. end equal to the maximum
  if (i - 1 > lo) swap_elements(lo, i - 1);
  return i - 2;
}

// split(lo, hi) partitions lo..hi (three elements or more), puts the maximum of the right part
// in its front and returns the last position of the left part.
template <class Split>
void stackless_quick_sort(Split split) {
  const int last = last_position();
  int lo = 0, hi = last;
  for (;;) {
    while (hi - lo >= 2) {
      if (broken()) return;
      hi = split(lo, hi);
    }
    if (hi - lo == 1) compare_exchange(lo, hi);
    if (broken()) return;
    lo = hi + 1;
    for (;;) {  // find the next part that needs work
      if (lo >= last) return;
      int end = lo;
      while (end < last && !elem_greater(end + 1, lo)) {
        ++end;
        if (broken()) return;
      }
      hi = gather_maximum(lo, end);
      if (broken()) return;
      if (hi >= lo) break;
      lo = end + 1;
    }
  }
}

// 283: the shared partition; the right part's maximum is searched afterwards and swapped in
// front.
int iq_split(int lo, int hi) {
  const PartitionResult p = partition(lo, hi, true);
  int m = p.i;
  for (int x = p.i + 1; x <= hi && !broken(); ++x) {
    if (elem_greater(x, m)) m = x;
  }
  swap_elements(p.i, m);
  return p.j;
}

// 284: a one-way partition around the middle element, which ends at its final place; the
// maximum of the right part is tracked during the scan and moved in front by movings.
int o_split(int lo, int hi) {
  swap_elements(lo, lo + (hi - lo) / 2);
  int w = lo + 1;  // lo + 1 .. w - 1 are smaller than the pivot, w .. r - 1 not
  int m = -1;      // the largest of w .. r - 1
  for (int r = lo + 1; r <= hi; ++r) {
    if (broken()) return lo - 1;
    if (elem_less(r, lo)) {
      if (m == w) m = r;
      swap_elements(w++, r);
    } else if (m < 0 || elem_greater(r, m)) {
      m = r;
    }
  }
  if (w - 1 > lo) swap_elements(lo, w - 1);
  if (m > w) exchange_by_movings(w, m);
  return w - 2;
}

void quick_sort_iq() {
  stackless_quick_sort(iq_split);
}
void quick_sort_o() {
  stackless_quick_sort(o_split);
}

// ---- 285, 286: quick sorts with (mostly) perfect halving --------------------------------------

// Shell sort with the gaps 2^k - 1; each chain walk goes down to the start of its chain.
void hibbard_shell(int lo, int hi) {
  int g = 1;
  while (hi - lo >= g) g = 2 * g + 1;
  do {
    g /= 2;
    for (int j = lo + g; j <= hi; ++j) {
      int b = j;
      do {
        compare_exchange(b - g, b);
        b -= g;
      } while (!broken() && b - g >= lo);
      if (broken()) return;
    }
  } while (g != 1 && !broken());
}

// 285: both halves sorted, then the largest of the left half against the smallest of the right
// half and inwards, until a pair is in order. Pairing k with 2 mid + 1 - k is the mirror
// position for halves of equal length and keeps the split sound when the left half is longer.
void halve_sorted(int lo, int mid, int hi) {
  if (lo < mid) hibbard_shell(lo, mid);
  if (mid + 1 < hi) hibbard_shell(mid + 1, hi);
  for (int k = mid; k >= lo && 2 * mid + 1 - k <= hi && !broken(); --k) {
    if (!compare_exchange(k, 2 * mid + 1 - k)) break;
  }
}

// 286: every left element against every right element. A triangle of cross pairs comes first,
// from the widest gap inwards (lo + t against hi - k + t), which carries large keys far to the
// right before the full pairing.
void halve_pairwise(int lo, int mid, int hi) {
  for (int k = 0; k <= mid - lo; ++k) {
    for (int t = 0; t <= k; ++t) {
      if (broken()) return;
      if (hi - k + t > mid) compare_exchange(lo + t, hi - k + t);
    }
  }
  for (int i = lo; i <= mid; ++i) {
    for (int j = hi; j > mid; --j) {
      if (broken()) return;
      compare_exchange(i, j);
    }
  }
}

void quick_sort_halving() {
  const bool perfect = algorithm_index == 285;
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  for (;;) {
    const int mid = (lo + hi) / 2;
    if (perfect) {
      halve_sorted(lo, mid, hi);
    } else {
      halve_pairwise(lo, mid, hi);
    }
    if (broken()) return;
    if (mid + 1 < hi) stack.Push2(mid + 1, hi);
    if (lo < mid) {
      hi = mid;
    } else if (!pop_pair(stack, lo, hi)) {
      return;
    }
  }
}

// ---- 287, 288: dual pivot quick sorts ---------------------------------------------------------

void quick_sort_dual_pivot() {
  const bool from_right = algorithm_index == 288;
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  auto swapped = [](int a, int b) {  // false after a break-off
    swap_elements(a, b);
    return !broken();
  };
  for (;;) {
    compare_exchange(lo, hi);
    int l = lo + 1, g = hi - 1;
    if (!from_right) {
      for (int k = l; k <= g; ++k) {
        if (broken()) return;
        if (elem_less(k, lo)) {
          if (!swapped(k, l++)) return;
        } else if (elem_greater(k, hi)) {
          while (elem_greater(g, hi) && k < g) --g;
          if (!swapped(k, g--)) return;
          if (elem_less(k, lo) && !swapped(k, l++)) return;
        }
      }
    } else {
      for (int k = g; k >= l; --k) {
        if (broken()) return;
        if (elem_greater(k, hi)) {
          if (!swapped(k, g--)) return;
        } else if (elem_less(k, lo)) {
          while (elem_less(l, lo) && k > l) ++l;
          if (!swapped(k, l++)) return;
          if (elem_greater(k, hi) && !swapped(k, g--)) return;
        }
      }
    }
    --l;
    ++g;
    if (!swapped(lo, l) || !swapped(hi, g)) return;
    if (g + 1 < hi) stack.Push2(g + 1, hi);
    if (l + 1 < g - 1) stack.Push2(l + 1, g - 1);
    if (l > lo && lo < l - 1) {
      hi = l - 1;
    } else if (!pop_pair(stack, lo, hi)) {
      return;
    }
  }
}

// ---- 289, 290, 291: iterative quick sorts on the shared partition -----------------------------

// 289: groups of MoM_Parameter elements are sorted, their medians gathered at the front, and the
// same repeated on the medians until one is left; it becomes the pivot at hi.
void quick_sort_median_of_medians() {
  // A step beyond the set makes one group of any range, as the full step would.
  const int step =
      std::clamp(parameters.MoM_Parameter, 2, std::max(2, static_cast<int>(column_count())));
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  for (;;) {
    if (hi - lo < 2) {
      if (hi - lo == 1) compare_exchange(lo, hi);
      if (!pop_pair(stack, lo, hi)) return;
      continue;
    }
    for (int len = hi - lo + 1; len > 1;) {
      int medians = 0;
      for (int first = lo; first < lo + len; first += step) {
        const int last = std::min(first + step, lo + len) - 1;
        insertion_by_compare_exchange(first, last);
        if (broken()) return;
        swap_elements(lo + medians++, first + (last - first) / 2);
      }
      len = medians;
    }
    swap_elements(lo, hi);
    const PartitionResult p = partition(lo, hi, true);
    if (broken()) return;
    if (p.i < hi) stack.Push2(p.i, hi);
    hi = p.j;
  }
}

// 290: the element that belongs in the middle of a range is selected by partitions of the part
// that holds the middle; both sides of it are ranges of their own.
void quick_sort_quick_select() {
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  for (;;) {
    const int k = lo + (hi - lo) / 2;
    for (int l = lo, r = hi; l < r;) {
      if (broken()) return;
      const PartitionResult p = partition(l, r, true);
      if (k <= p.j) {
        r = p.j;
      } else {
        l = p.i;
      }
    }
    if (broken()) return;
    if (k + 1 < hi) stack.Push2(k + 1, hi);
    if (lo < k - 1) {
      hi = k - 1;
    } else if (!pop_pair(stack, lo, hi)) {
      return;
    }
  }
}

// 291: every range of one level is partitioned before the next level begins.
void quick_sort_simple() {
  TStackemulator a, b;
  TStackemulator* level = &a;
  TStackemulator* next = &b;
  level->Push2(0, last_position());
  while (level->IsNotEmpty()) {
    while (level->IsNotEmpty()) {
      int lo, hi;
      level->Pop2(lo, hi);
      const PartitionResult p = partition(lo, hi, true);
      if (broken()) return;
      if (p.i < hi) next->Push2(p.i, hi);
      if (lo < p.j) next->Push2(lo, p.j);
    }
    std::swap(level, next);
  }
}

// ---- 292: quick sort more efficient (1970) ----------------------------------------------------

// Median of three, the pivot held in a record buffer, plain record comparisons in the scans and
// a stable one before each exchange; ranges of two and three are settled by compare-exchanges.
void quick_sort_1970() {
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  for (;;) {
    if (broken()) return;
    if (hi - lo < 3) {
      if (hi - lo == 1) compare_exchange(lo, hi);
      if (hi - lo == 2) {
        compare_exchange(lo, lo + 1);
        compare_exchange(lo + 1, hi);
        compare_exchange(lo, lo + 1);
      }
      if (!pop_pair(stack, lo, hi)) return;
      continue;
    }
    const PartitionResult p = median_of_three_partition(lo, hi, true);
    if (broken()) return;
    larger_part_waits(stack, lo, hi, p);
  }
}

// ---- 293, 294: n quick sorts ------------------------------------------------------------------

// Param_n_quick pivots (0: the integer part of the square root of n, which is also the most)
// are read from evenly spaced positions into record buffers and sorted there. Each bucket of
// keys between two neighbouring pivots is finished by the shared quick sort.
std::vector<Element> n_quick_pivots() {
  const int n = column_count();
  const int most = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(n))));
  int count = parameters.Param_n_quick;
  if (count <= 0 || count > most) count = most;
  std::vector<Element> pivots(count);
  for (int t = 0; t < count; ++t) read_element((t + 1) * n / (count + 1), pivots[t]);
  Element record;
  for (int t = 1; t < count && !broken(); ++t) {
    if (!rec_greater(pivots[t - 1], pivots[t])) continue;
    copy_record(pivots[t], record);
    int u = t;
    do {
      copy_record(pivots[u - 1], pivots[u]);
      --u;
    } while (u > 0 && rec_greater(pivots[u - 1], record));
    copy_record(record, pivots[u]);
  }
  return pivots;
}

// Moves the elements of lo..hi whose keys are not above the pivot's to the front, in one scan;
// returns the first position of the others.
int split_at_pivot(int lo, int hi, const Element& pivot) {
  int w = lo;
  for (int r = lo; r <= hi; ++r) {
    if (broken()) return w;
    if (!rec_greater(elements[r], pivot)) swap_elements(w++, r);
  }
  return w;
}

// 293: the buckets are split off one after another from the front, pivot by pivot.
void n_quick_sort_1() {
  const std::vector<Element> pivots = n_quick_pivots();
  const int last = last_position();
  int start = 0;
  for (const Element& pivot : pivots) {
    const int w = split_at_pivot(start, last, pivot);
    if (broken()) return;
    quick_sort_ranges(start, w - 1, quick_order_stack, true);
    if (broken()) return;
    start = w;
  }
  quick_sort_ranges(start, last, quick_order_stack, true);
}

// 294: the range is split at the middle pivot first, then each side at the middle pivot of its
// own pivots, and so on; frames (first, last, first pivot, pivot count) wait on the stack.
void n_quick_sort_2() {
  const std::vector<Element> pivots = n_quick_pivots();
  TStackemulator stack(4);
  int lo = 0, hi = last_position(), first = 0, count = static_cast<int>(pivots.size());
  for (;;) {
    if (broken()) return;
    if (count > 0 && lo < hi) {
      const int m = first + count / 2;
      const int w = split_at_pivot(lo, hi, pivots[m]);
      if (broken()) return;
      if (w < hi) stack.Push4(w, hi, m + 1, first + count - 1 - m);
      hi = w - 1;
      count = m - first;
      continue;
    }
    quick_sort_ranges(lo, hi, quick_order_stack, true);
    stack.Pop4(lo, hi, first, count);
    if (stack.IsEmpty()) return;
  }
}

}  // namespace

void register_quick_sorts() {
  register_related_partition_sorts();
  register_procedure(265, q_sort);
  register_procedures({266, 267, 268}, quick_sort_by_order);
  register_procedure(269, quick_sort_three_way);
  register_procedure(270, quick_sort_mean_pivot);
  register_procedure(271, quick_sort_median_pivoting);
  register_procedure(273, quick_sort_half_stable);
  register_procedure(282, quick_sort_stable_2007);
  register_procedure(283, quick_sort_iq);
  register_procedure(284, quick_sort_o);
  register_procedures({285, 286}, quick_sort_halving);
  register_procedures({287, 288}, quick_sort_dual_pivot);
  register_procedure(289, quick_sort_median_of_medians);
  register_procedure(290, quick_sort_quick_select);
  register_procedure(291, quick_sort_simple);
  register_procedure(292, quick_sort_1970);
  register_procedure(293, n_quick_sort_1);
  register_procedure(294, n_quick_sort_2);
}

}  // namespace mv

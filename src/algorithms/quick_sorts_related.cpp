// The partition sorts related to quick sort: im sort, k sort, partit sort (with partit_pass, which
// the presorting of the initial set also calls), rlx sort, the out-of-place split sorts and VRF
// sort.
#include <cstdint>
#include <vector>

#include "algorithms/quick_sorts.h"
#include "algorithms/quick_sorts_detail.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/stack_emulation.h"

namespace mv {

using namespace quick_detail;

// ---- partit_pass: also called by the presorting of the initial set ------------------------

int partit_pass(int lo, int hi, int mode, bool pump) {
  for (;;) {
    const int h = (hi - lo + 1) / 2;
    for (int k = lo + h; k <= hi; ++k) {
      if (broken()) return mode == 0 ? hi - h : 0;
      compare_exchange(k - h, k, true, pump);
    }
    if (mode == 0) return hi - h;
    if (mode == 1) {
      if (hi - h <= lo) return 0;
      hi = hi - h;
    } else {
      if (hi - h + 1 >= hi) return 0;
      lo = hi - h + 1;
    }
  }
}

namespace {

// ---- 100: im sort -----------------------------------------------------------------------------

// One routine sorts lo..hi: median of three as pivot, Hoare's exchanges, the larger part waiting
// on the stack, short ranges finished by insertion.
void im_sort_range(int lo, int hi) {
  constexpr int short_range = 8;
  TStackemulator stack(2);
  for (;;) {
    if (broken()) return;
    if (hi - lo < short_range) {
      insertion_by_compare_exchange(lo, hi);
      if (!pop_pair(stack, lo, hi)) return;
      continue;
    }
    const PartitionResult p = median_of_three_partition(lo, hi, false);
    if (broken()) return;
    larger_part_waits(stack, lo, hi, p);
  }
}

void im_sort() {
  im_sort_range(0, last_position());
}

// ---- 114: k sort --------------------------------------------------------------------------

// Partition without exchanges: the first element waits in a record buffer, and elements from
// both ends move into the hole it left until the hole is the pivot's place.
int hole_partition(int lo, int hi, Element& pivot) {
  read_element(lo, pivot);
  int i = lo, j = hi;  // the hole is at i at the top of every round
  while (i < j && !broken()) {
    while (i < j && !rec_stable_before(elements[j], pivot)) --j;
    if (i == j) break;
    move_element(i, j);
    ++i;
    while (i < j && !rec_stable_after(elements[i], pivot)) ++i;
    if (i == j) break;
    move_element(j, i);
    --j;
  }
  store_element(i, pivot);
  return i;
}

void k_sort() {
  TStackemulator stack(2);
  int lo = 0, hi = last_position();
  Element pivot;
  for (;;) {
    const int q = hole_partition(lo, hi, pivot);
    if (broken()) return;
    if (q + 1 < hi) stack.Push2(q + 1, hi);
    if (lo < q - 1) stack.Push2(lo, q - 1);
    if (!pop_pair(stack, lo, hi)) return;
  }
}

// ---- 251: partit sort -----------------------------------------------------------------------

void partit_sort() {
  const int last = last_position();
  for (int p = 0; p <= column_count() / 2 && !broken(); ++p) {
    const int m = partit_pass(p, last - p, 0, true);
    partit_pass(p, m, 1, true);
    partit_pass(m + 1, last - p, 2, true);
  }
}

// ---- 317: rlx sort --------------------------------------------------------------------------

void rlx_sort() {
  const int n = column_count();
  std::vector<uint8_t> taken(n, 0);
  for (int k = 0; k < n; ++k) {
    int m = -1;
    for (int j = 0; j < n; ++j) {
      if (taken[j]) continue;
      if (broken()) return;  // only copies are held so far
      if (m < 0) m = j;
      if (elem_less(j, m)) m = j;
    }
    taken[m] = 1;
    read_element(m, buffer_b[k]);
  }
  // Every copy goes back, also after a break-off: a write-back cut short would lose elements.
  for (int k = 0; k < n; ++k) store_element(k, buffer_b[k]);
}

// ---- 376 to 379: split sorts ----------------------------------------------------------------

// Out of place around the last element: the elements that come before it are copied to
// buffer_a, the others to buffer_b, and the range is rewritten from the two in their order of
// the scan. The pivot always goes to buffer_a (with "stable comparings" it does not come before
// itself), so that both parts are smaller than the range. 379 also collects the keys equal to the
// pivot (from the back of buffer_a) and writes them between the two parts, where they are final.
void split_sort() {
  split_sort_range(0, last_position(), algorithm_index);
}

// ---- 394: VRF sort --------------------------------------------------------------------------

void vrf_sort() {
  const int last = last_position();
  for (int i = 0; i <= last / 2; ++i) {
    if (broken()) return;
    compare_exchange(i, last - i);
  }
  for (int i = 0; i <= last / 2; ++i) {
    for (int k = 0; k <= last - i; ++k) {
      if (broken()) return;
      if (k < last) compare_exchange(k, k + 1);
      const int p = last - k;
      if (p < last && elem_greater(p, p + 1)) exchange_by_movings(p, p + 1);
    }
  }
}

}  // namespace

void split_sort_range(int lo, int hi, int index) {
  const bool accelerated = index == 379;
  TStackemulator stack(2);
  auto put_aside = [&](int first, int last) {
    if (last - first == 1) {
      compare_exchange(first, last);
    } else if (last - first > 1) {
      stack.Push2(first, last);
    }
  };
  for (;;) {
    if (broken()) return;
    if (hi <= lo) {
      if (!pop_pair(stack, lo, hi)) return;
      continue;
    }
    const int len = hi - lo + 1;
    int smaller = 0, equal = 0, larger = 0;
    for (int x = lo; x <= hi; ++x) {
      if (broken()) return;  // only copies are held so far
      if (accelerated) {
        if (elem_less(x, hi)) {
          read_element(x, buffer_a[smaller++]);
        } else if (elem_equal(x, hi)) {
          read_element(x, buffer_a[len - 1 - equal++]);
        } else {
          read_element(x, buffer_b[larger++]);
        }
      } else if (elem_stable_before(x, hi) || x == hi) {
        read_element(x, buffer_a[smaller++]);
      } else {
        read_element(x, buffer_b[larger++]);
      }
    }
    if (!accelerated && larger == 0) {
      smaller = len - 1;  // the pivot is the largest and stays in place; nothing is written
    } else if (larger > 0 || (smaller > 0 && equal > 1)) {
      int out = lo;
      for (int k = 0; k < smaller; ++k) store_element(out++, buffer_a[k]);
      for (int k = 0; k < equal; ++k) store_element(out++, buffer_a[len - 1 - k]);
      for (int k = 0; k < larger; ++k) store_element(out++, buffer_b[k]);
      if (broken()) return;
    }
    const int left_last = lo + smaller - 1;
    const int right_first = lo + smaller + equal;
    bool left_waits = index == 377;
    if (index == 378) left_waits = left_last - lo > hi - right_first;
    if (left_waits) {
      put_aside(lo, left_last);
      lo = right_first;
    } else {
      put_aside(right_first, hi);
      hi = left_last;
    }
  }
}

namespace quick_detail {

void register_related_partition_sorts() {
  register_procedure(100, im_sort);
  register_procedure(114, k_sort);
  register_procedure(251, partit_sort);
  register_procedure(317, rlx_sort);
  register_procedures({376, 377, 378, 379}, split_sort);
  register_procedure(394, vrf_sort);
}

}  // namespace quick_detail

}  // namespace mv

// The parallel range-splitting sorts: quick sort (272), split sort (380), the MSD radix sorts
// (308 to 311 iterative, 314 and 315 recursive), the merge sorts on a range tree (185 breadth
// first, 186 depth first), circle sort (69) and selection sort with a parallel minimum search
// (322). Every worker compares on its own thread and has its exchanges and stores made on the
// main thread.
//
// A worker that waits for the workers it started does so by finish_after_messages: it gives its
// pooled thread back until they have reported, so a chain of thousands of ranges (quick sort on
// a sorted set) holds no thread while it waits.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "algorithms/distribution_sorts.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/stack_emulation.h"
#include "parallel/thread_framework.h"

namespace mv {

namespace {

// ---- Shared steps -----------------------------------------------------------------------------

// Starts a range worker for low .. high (mid: a split or a bit). 0 only before the 16-bit record
// counter would run over: then the caller works the range itself.
size_t start_range(int low, int mid, int high, void (*body)(size_t)) {
  FrameworkLock lock;
  if (thread_range_next.load() >= std::numeric_limits<uint16_t>::max() - 1) return 0;
  return try_start_range_worker(static_cast<uint16_t>(low), static_cast<uint16_t>(mid),
                                static_cast<uint16_t>(high), body);
}

// The whole life of range worker k: takes its record, works its range, starts a worker for each
// piece split off it, and once they have all reported marks the record done and reports to its
// parent (a root has none). `pass(low, high, mid, part)` works one range and hands each piece to
// `part(lo, hi, mid)`. Only when the record table is used up does a piece stay with this worker.
template <typename Pass>
void work_ranges(size_t k, void (*self)(size_t), Pass pass) {
  take_record(k);
  ThreadRange& rec = thread_range(k);
  const uint32_t parent = rec.parent;
  TStackemulator pending;
  pending.Push3(rec.low, rec.high, rec.mid);
  int started = 0;
  const auto part = [&](int lo, int hi, int mid) {
    if (hi <= lo) return;
    if (start_range(lo, mid, hi, self) != 0) {
      ++started;
    } else {
      pending.Push3(lo, hi, mid);
    }
  };
  while (pending.IsNotEmpty() && !broken()) {
    int low, high, mid;
    pending.Pop3(low, high, mid);
    pass(low, high, mid, part);
  }
  finish_after_messages(started, [k, parent] {
    thread_range(k).state.store(ThreadRange::done);
    post_message(parent);
  });
}

// A piece of two elements is only exchanged, here; a longer one goes to `part`.
template <typename Part>
void exchange_pair_or_part(int lo, int hi, const Part& part) {
  if (hi - lo == 1) {
    exchange_if_greater(lo, hi);
  } else {
    part(lo, hi, lo);
  }
}

// The record of a root range 0 .. n - 1 (or first .. last) that nobody waits for.
void prepare_root(int low, int mid, int high) {
  ThreadRange& r = thread_range(1);
  r.state.store(ThreadRange::not_taken);
  r.low = static_cast<uint16_t>(low);
  r.mid = static_cast<uint16_t>(mid);
  r.high = static_cast<uint16_t>(high);
  r.parent = 0;
}

// Distributes lo .. hi by bit b; returns the split, the first position whose bit b is 1.
// In place: two pointers and the exchange of the range workers (unstable). Out of place: the
// records with bit 0, then those with bit 1, each group in its order, through a private buffer
// and back, every store under the lock (stable). The buffer is a copy: the set stays whole if
// the copying is broken off, and the write-back runs to its end.
int distribute_by_bit(int lo, int hi, int b, bool in_place) {
  if (in_place) {
    int i = lo, j = hi;
    while (i < j && !broken()) {
      while (i < j && !bit_set(i, b)) ++i;
      while (i < j && bit_set(j, b)) --j;
      // The pair is (1, 0) in bit b and equal above it, so it is exchanged; a pair that is not
      // (keys outside the bit range) ends the loop instead of spinning.
      if (i < j && !exchange_if_greater(i, j)) break;
    }
    const bool set = ((static_cast<uint32_t>(elements[i].key) >> b) & 1u) != 0;
    return set ? i : i + 1;
  }
  std::vector<Element> buffer;
  buffer.reserve(static_cast<size_t>(hi - lo + 1));
  for (int i = lo; i <= hi; ++i) {
    if (broken()) return lo;
    if (!bit_set(i, b)) buffer.push_back(elements[i]);
  }
  const int split = lo + static_cast<int>(buffer.size());
  for (int i = lo; i <= hi; ++i) {
    if (broken()) return split;
    if (bit_set(i, b)) buffer.push_back(elements[i]);
  }
  for (int i = lo; i <= hi; ++i) store_on_main(i, buffer[static_cast<size_t>(i - lo)], true);
  return split;
}

// Merges low .. mid with mid + 1 .. high through a private copy, the left head first on equal
// keys (stable); every store under the lock. False when broken off while copying, before anything
// was written; once the write-back has begun it runs to its end, so no record is lost.
bool merge_halves(int low, int mid, int high) {
  std::vector<Element> copy(static_cast<size_t>(high - low + 1));
  for (int i = low; i <= high; ++i) {
    if (broken()) return false;
    read_element(i, copy[static_cast<size_t>(i - low)]);
  }
  size_t a = 0;
  const size_t a_end = static_cast<size_t>(mid - low) + 1;
  size_t b = a_end;
  const size_t b_end = copy.size();
  Element field;
  for (int t = low; t <= high; ++t) {
    const bool take_left = a < a_end && (b >= b_end || cmp_less_equal(copy[a].key, copy[b].key));
    copy_record(take_left ? copy[a++] : copy[b++], field);
    store_on_main(t, field, true);
  }
  return true;
}

// ---- The range tree ---------------------------------------------------------------------------

inline bool has_left(const ThreadRange& r) {
  return r.mid > r.low;
}
inline bool has_right(const ThreadRange& r) {
  return r.mid + 1 < r.high;
}

// Builds the tree over first .. last as a heap: record k = low .. high with mid = (low + high) / 2
// has the left child 2k = low .. mid if mid > low and the right child 2k + 1 = mid + 1 .. high if
// mid + 1 < high. Records prepared; every other record stays untaken.
void build_range_tree(int first, int last) {
  clear_thread_ranges();
  PStackemulator stack;
  prepare_root(first, 0, last);
  stack.Push(1);
  while (stack.IsNotEmpty()) {
    const size_t k = stack.Pop();
    ThreadRange& r = thread_range(k);
    r.mid = static_cast<uint16_t>((r.low + r.high) / 2);
    r.leaf = true;
    r.state.store(ThreadRange::prepared);
    if (has_left(r) && 2 * k < thread_range_count) {
      ThreadRange& c = thread_range(2 * k);
      c.low = r.low;
      c.high = r.mid;
      c.left_child = true;
      r.leaf = false;
      stack.Push(static_cast<uint32_t>(2 * k));
    }
    if (has_right(r) && 2 * k + 1 < thread_range_count) {
      ThreadRange& c = thread_range(2 * k + 1);
      c.low = static_cast<uint16_t>(r.mid + 1);
      c.high = r.high;
      c.left_child = false;
      r.leaf = false;
      stack.Push(static_cast<uint32_t>(2 * k + 1));
    }
  }
}

// The whole life of tree worker `root`: takes its record, starts a worker (body) for each child
// record, and once they have reported runs work(root), marks the record done and reports to its
// parent. A break-off skips the work; a false work(root) leaves the record not done.
void work_subtree(size_t root, void (*body)(size_t), std::function<bool(size_t)> work) {
  take_record(root);
  ThreadRange& r = thread_range(root);
  const uint32_t parent = r.parent;
  int started = 0;
  for (const size_t c : {2 * root, 2 * root + 1}) {
    if (!(c == 2 * root ? has_left(r) : has_right(r))) continue;
    thread_range(c).parent = current_thread_id();
    if (try_start_record_worker(c, body)) ++started;
  }
  finish_after_messages(started, [root, parent, work = std::move(work)] {
    if (!broken() && work(root)) thread_range(root).state.store(ThreadRange::done);
    post_message(parent);
  });
}

// ---- Quick sort simultaneous (272) ------------------------------------------------------------

// Partitions low .. high against the element standing at high, starts a worker for each part of
// three or more elements, exchanges parts of two.
void quicksort_parallel(size_t k) {
  work_ranges(k, quicksort_parallel, [](int low, int high, int, const auto& part) {
    if (high - low == 1) {  // a range of two: only the exchange
      exchange_if_greater(low, high);
      return;
    }
    // The pass also runs when i and j meet on one element: left unexamined, that element would
    // belong to both parts, and two workers would exchange it at once.
    int i = low, j = high;
    while (j >= i && !broken()) {
      while (elem_less(i, high)) ++i;  // the element at high stops i
      while (elem_greater(j, high) && j > low) --j;
      if (j > i) exchange_if_greater(i, j);
      if (j >= i) {
        ++i;
        --j;
      }
    }
    if (broken()) return;
    exchange_pair_or_part(low, j, part);
    exchange_pair_or_part(i, high, part);
  });
}

void quick_sort_simultaneous() {
  const int n = column_count();
  if (n < 2) return;
  prepare_root(0, 0, n - 1);
  start_start_thread([] { quicksort_parallel(1); });
}

// ---- Split sort simultaneous (380) ------------------------------------------------------------

// Splits low .. high out of place: the records stable before the element at high, in their
// order, then the others, in their order. When "stable comparings" puts the pivot into the upper
// list, it is written first there, which is its place in the sorted set, and the upper part
// starts after it (written last, it would stand at high again and split its part into nothing
// but itself forever).
void splitsort_ex_situ_parallel(size_t k) {
  std::vector<Element> lower, upper;
  work_ranges(k, splitsort_ex_situ_parallel, [&](int low, int high, int, const auto& part) {
    lower.clear();
    upper.clear();
    bool pivot_upper = false;
    for (int i = low; i <= high && !broken(); ++i) {
      Element e;
      if (elem_stable_before(i, high)) {
        read_element(i, e);
        lower.push_back(e);
      } else {
        read_element(i, e);
        if (i == high) {
          pivot_upper = true;
          upper.insert(upper.begin(), e);
        } else {
          upper.push_back(e);
        }
      }
    }
    if (broken()) return;  // only copies were taken: the set is as it was
    const int length = high - low + 1;
    const int c = static_cast<int>(lower.size());
    if (c == length) {
      part(low, high - 1, low);
      return;
    }
    Element field;
    int t = low;
    for (const Element& e : lower) {
      copy_record(e, field);
      store_on_main(t++, field, false);
    }
    for (const Element& e : upper) {
      copy_record(e, field);
      store_on_main(t++, field, false);
    }
    if (broken()) return;
    part(low, low + c - 1, low);
    const int upper_low = low + c + (pivot_upper ? 1 : 0);
    part(upper_low, high, upper_low);
  });
}

void split_sort_simultaneous() {
  const int n = column_count();
  if (n < 2) return;
  prepare_root(0, 0, n - 1);
  start_start_thread([] { splitsort_ex_situ_parallel(1); });
}

// ---- Radix sort msd, iterative, simultaneous (308 to 311) ------------------------------------

bool radix_in_place = true;
// The start-thread variant without a thread limit collects finish messages from its workers.
bool radix_by_messages = false;

void radixsort_msd_iterativ(Task task) {
  distribute_by_bit(task.start, task.end, task.parameter, radix_in_place);
  if (radix_by_messages) post_message(start_thread_id.load());
}

// The starter: per bit from the highest down, one worker per segment of two or more neighbours
// that agree in every bit above it; the next bit only after every worker of this one has ended.
void radixsort_msd_iterativ_Startthread() {
  const int last = last_position();
  if (last < 1) return;
  for (int b = highest_bit_index(); b >= 0 && !broken(); --b) {
    main_loop_runnings.increment();
    // The segments are cut before any worker of this bit runs.
    std::vector<Task> segments;
    for (int s = 0; s <= last;) {
      int e = s;
      while (e < last && bits_above(e + 1, b) == bits_above(s, b)) ++e;
      if (e > s) {
        segments.push_back(
            {static_cast<uint16_t>(s), static_cast<uint16_t>(b), static_cast<uint16_t>(e)});
      }
      s = e + 1;
    }
    int started = 0;
    for (const Task& task : segments) {
      if (!handover_task(task, true, radixsort_msd_iterativ)) break;
      ++started;
    }
    if (radix_by_messages) {
      wait_finish_messages(started);
    } else {
      wait_all_running_done();
    }
  }
}

template <bool in_place>
void radix_sort_msd_iterative_simultaneous() {
  radix_in_place = in_place;
  radix_by_messages = false;
  radixsort_msd_iterativ_Startthread();
}

template <bool in_place>
void radix_sort_msd_iterative_simultaneous_start_thread() {
  radix_in_place = in_place;
  radix_by_messages = thread_limit.load() <= 0;
  start_start_thread(radixsort_msd_iterativ_Startthread);
}

// ---- Radix sort msd, recursive, simultaneous (314, 315) ---------------------------------------

// Distributes its segment by the bit in the record's middle field; each half of two or more
// elements goes on with the next lower bit in a worker of its own, or here.
void radixsort_msd_rekursiv_parallel(size_t k) {
  work_ranges(k, radixsort_msd_rekursiv_parallel, [](int low, int high, int b, const auto& part) {
    const int split = distribute_by_bit(low, high, b, radix_in_place);
    if (b == 0 || broken()) return;
    part(low, split - 1, b - 1);
    part(split, high, b - 1);
  });
}

template <bool in_place>
void radix_sort_msd_recursive_simultaneous() {
  const int n = column_count();
  if (n < 2) return;
  radix_in_place = in_place;
  prepare_root(0, highest_bit_index(), n - 1);
  start_start_thread([] { radixsort_msd_rekursiv_parallel(1); });
}

// ---- Merge sort iterative simultaneous (185), breadth first -----------------------------------

// Merges its record; the second of two siblings to finish starts the worker of their parent.
void mergesort_breath_first(size_t k) {
  take_record(k);
  ThreadRange& r = thread_range(k);
  if (!merge_halves(r.low, r.mid, r.high)) return;
  FrameworkLock lock;
  const bool sibling_exists = (k & 1) != 0 || has_right(thread_range(k / 2));
  const bool last_of_two =
      k > 1 && (!sibling_exists || thread_range(k ^ 1).state.load() == ThreadRange::done);
  r.state.store(ThreadRange::done);
  if (last_of_two && !broken()) try_start_record_worker(k / 2, mergesort_breath_first);
}

void merge_sort_iterative_simultaneous() {
  const int n = column_count();
  if (n < 2) return;
  build_range_tree(0, n - 1);
  for (size_t k = 1; k < thread_range_count && !broken(); ++k) {
    ThreadRange& r = thread_range(k);
    if (r.state.load() != ThreadRange::prepared || !r.leaf) continue;
    if (r.low == r.high) {
      r.state.store(ThreadRange::done);
      continue;
    }
    try_start_record_worker(k, mergesort_breath_first);
  }
}

// ---- Merge sort recursive simultaneous (186), depth first -------------------------------------

void mergesort_depth_first(size_t k) {
  work_subtree(k, mergesort_depth_first, [](size_t j) {
    const ThreadRange& r = thread_range(j);
    return merge_halves(r.low, r.mid, r.high);
  });
}

void merge_sort_recursive_simultaneous() {
  const int n = column_count();
  if (n < 2) return;
  build_range_tree(0, n - 1);
  start_start_thread([] { mergesort_depth_first(1); });
}

// ---- Circle sort simultaneous (69) ------------------------------------------------------------

// One circle pass over low .. high, then each half in a worker of its own; a half of two
// elements gets the exchange of its pair.
void circlesort_parallel(size_t k) {
  work_ranges(k, circlesort_parallel, [](int low, int high, int, const auto& part) {
    int l = low, h = high;
    while (l < h && !broken()) {
      exchange_if_greater(l, h);
      ++l;
      --h;
    }
    if (l == h && h < high && !broken()) exchange_if_greater(l, l + 1);
    if (broken()) return;
    const int half = (high - low) / 2;
    exchange_pair_or_part(low, low + half, part);
    exchange_pair_or_part(low + half + 1, high, part);
  });
}

void circle_sort_simultaneous() {
  const int n = column_count();
  if (n < 2) return;
  while (!broken()) {
    main_loop_runnings.increment();
    clear_thread_ranges();
    prepare_root(0, 0, n - 1);
    try_start_record_worker(1, circlesort_parallel);
    if (!wait_until([] { return thread_range(1).state.load() == ThreadRange::done; })) break;
    bool sorted = true;
    for (int i = 0; i + 1 < n && sorted && !broken(); ++i) sorted = !elem_greater(i, i + 1);
    if (sorted) break;
  }
}

// ---- Selection sort simultaneous, parallel minimum search (322) --------------------------------

// Delivers in its record the index of the smallest element of its range: of its children's
// results, or of the single element that stands where a child is missing.
void selectionsort_parallelsuche(size_t k) {
  work_subtree(k, selectionsort_parallelsuche, [](size_t j) {
    ThreadRange& r = thread_range(j);
    const int a = has_left(r) ? thread_range(2 * j).result.load() : r.low;
    const int b = has_right(r) ? thread_range(2 * j + 1).result.load() : r.high;
    if (a < 0 || b < 0) return false;
    const bool first = stable_comparings ? elem_stable_before(a, b) : elem_less(a, b);
    r.result.store(first ? a : b);
    return true;
  });
}

void selection_sort_simultaneous() {
  const int n = column_count();
  for (int i = 0; i + 1 < n && !broken(); ++i) {
    build_range_tree(i, n - 1);
    try_start_record_worker(1, selectionsort_parallelsuche);
    if (!wait_until([] { return thread_range(1).result.load() >= 0; })) break;
    swap_elements(i, thread_range(1).result.load(), true);
  }
}

}  // namespace

void register_range_splitting_sorts() {
  register_procedure(69, parallel_entry<&circle_sort_simultaneous>);
  register_procedure(185, parallel_entry<&merge_sort_iterative_simultaneous>);
  register_procedure(186, parallel_entry<&merge_sort_recursive_simultaneous>);
  register_procedure(272, parallel_entry<&quick_sort_simultaneous>);
  register_procedure(308, parallel_entry<&radix_sort_msd_iterative_simultaneous<true>>);
  register_procedure(309, parallel_entry<&radix_sort_msd_iterative_simultaneous<false>>);
  register_procedure(310,
                     parallel_entry<&radix_sort_msd_iterative_simultaneous_start_thread<true>>);
  register_procedure(311,
                     parallel_entry<&radix_sort_msd_iterative_simultaneous_start_thread<false>>);
  register_procedure(314, parallel_entry<&radix_sort_msd_recursive_simultaneous<true>>);
  register_procedure(315, parallel_entry<&radix_sort_msd_recursive_simultaneous<false>>);
  register_procedure(322, parallel_entry<&selection_sort_simultaneous>);
  register_procedure(380, parallel_entry<&split_sort_simultaneous>);
}

}  // namespace mv

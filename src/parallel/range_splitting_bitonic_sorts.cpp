// The parallel bitonic merge sorts: the natural bitonic sort with one worker per stretch merge
// (13), the power-of-two sorts whose merges run on worker threads (15, 19, 21, 25), and the
// bitonic merge sorts over the range tree, started breadth first (27-29) or depth first
// (30-32), whose node merges may again be spread over threads.
//
// Two ways of merging simultaneously:
// - iterative: for each merge distance one compare-exchange worker per pair of that distance;
//   all of them are waited for before the distance is halved;
// - recursive: a merge worker does the half-cleaner of its range and hands one part to a new
//   merge worker of its kind, keeping the other.
//
// Workers compare on their own thread and have every exchange and store made on the main
// thread.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "algorithms/registry.h"
#include "algorithms/sorting_networks.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/settings.h"
#include "engine/stack_emulation.h"
#include "parallel/thread_framework.h"

namespace mv {
namespace {

// ---- Compare-exchanges and groups of workers ---------------------------------------------------

// network_compare_exchange for any thread: the stable comparison on the calling thread, the
// exchange on the main thread. A descending pair under "optional swaps" is asked as the
// ascending exchange of (j, i), as in the sequential networks. With `last_step` the exchange
// ends the calling worker (finish_by_swap_on_main).
void worker_compare_exchange(int i, int j, bool ascending, bool last_step = false) {
  if (broken()) return;
  if (!ascending && settings.optional_swaps.load(std::memory_order_relaxed)) {
    if (elem_stable_before(j, i)) return;
    std::swap(i, j);
  } else if (elem_stable_before(i, j) == ascending) {
    return;
  }
  if (last_step) {
    finish_by_swap_on_main(i, j, simultaneous_mode1.load(std::memory_order_relaxed));
  } else {
    swap_on_main(i, j);
  }
}

// The workers that one starter waits for; each posts the finish message to it when it ends.
class WorkerGroup {
 public:
  void start(const std::function<void()>& body) {
    const auto open = open_;
    const uint32_t starter = starter_;
    open->fetch_add(1);
    start_worker(body, true, [open, starter] {
      open->fetch_sub(1);
      post_message(starter);
    });
  }

  // Until every worker started has ended; false on break_off.
  bool wait() const {
    const auto open = open_;
    return wait_until([open] { return open->load() == 0; });
  }

 private:
  uint32_t starter_ = current_thread_id();
  std::shared_ptr<std::atomic<int>> open_ = std::make_shared<std::atomic<int>>(0);
};

using CompareExchangeThread = void (*)(int i, int j, bool ascending);
using MergeThread = void (*)(int l, int r, bool ascending);

// One compare-exchange of a merge distance (15, 21).
void vuot_Thread(int i, int j, bool ascending) {
  worker_compare_exchange(i, j, ascending, true);
}

// One compare-exchange of a node merge of the range-tree sorts (28, 31).
void vuot_zweiter_Stufe(int i, int j, bool ascending) {
  worker_compare_exchange(i, j, ascending, true);
}

// ---- Iterative simultaneous merging ------------------------------------------------------------

struct MergeBlock {
  int l;
  int r;
  bool ascending;
};

// The network merges of all blocks at once, distance by distance: a vuot worker for every pair
// of the distance, in every block whose own merge has reached it; then the distance is halved.
void merge_iterative_simultaneous(const std::vector<MergeBlock>& blocks,
                                  CompareExchangeThread vuot) {
  auto first_distance = [](const MergeBlock& b) {
    return b.r > b.l ? power_of_two_below(b.r - b.l + 1) : 0;
  };
  int top = 0;
  for (const MergeBlock& b : blocks) top = std::max(top, first_distance(b));
  for (int h = top; h > 0 && !broken(); h /= 2) {
    WorkerGroup group;
    for (const MergeBlock& b : blocks) {
      if (first_distance(b) < h) continue;
      const bool ascending = b.ascending;
      for_each_bitonic_pair(b.l, b.r, ascending, h, [&](int i, int j) {
        if (!broken()) group.start([vuot, i, j, ascending] { vuot(i, j, ascending); });
      });
    }
    if (!group.wait()) return;
  }
}

// ---- Recursive simultaneous merging ------------------------------------------------------------

// The split merge of bitonic_merge_split, its parts merged at once: the half-cleaner of a range
// here, the second part to a new worker running `role`, the first part kept. Returns when every
// part is merged.
void merge_recursive_simultaneous(int l, int r, bool ascending, MergeThread role) {
  WorkerGroup parts;
  PStackemulator stack;
  stack.PushN(static_cast<uint32_t>(l), static_cast<uint32_t>(r));
  while (stack.Depth() > 0 && !broken()) {
    uint32_t a, b;
    stack.PopN(a, b);
    const int length = static_cast<int>(b - a) + 1;
    if (length < 2) continue;
    const int h = power_of_two_below(length);
    for (int t = 0; t < length - h; ++t) {
      if (broken()) return;
      worker_compare_exchange(static_cast<int>(a) + t, static_cast<int>(a) + t + h, ascending);
    }
    const uint32_t first = static_cast<uint32_t>(ascending ? length - h : h);
    const int second_l = static_cast<int>(a + first), second_r = static_cast<int>(b);
    if (second_r > second_l) {
      parts.start([role, second_l, second_r, ascending] { role(second_l, second_r, ascending); });
    }
    stack.PushN(a, a + first - 1);
  }
  parts.wait();
}

// A recursive merge started by the sort driver (19, 25).
void bitonicmerge_rekursiv_parallel(int l, int r, bool ascending) {
  merge_recursive_simultaneous(l, r, ascending, &bitonicmerge_rekursiv_parallel);
}

// A recursive merge below a node worker of the range-tree sorts (29, 32).
void bitonicmerge_rekursiv_parallel_zweiter_Stufe(int l, int r, bool ascending) {
  merge_recursive_simultaneous(l, r, ascending, &bitonicmerge_rekursiv_parallel_zweiter_Stufe);
}

// ---- Buffered merge in a worker ----------------------------------------------------------------

// The buffered two-ended merge of bitonic_merge_buffered for a worker: the range is read into a
// private buffer (counted movings) and the smaller end is written back each time on the main
// thread. Once records are out of the set they all go back, so a break-off writes the rest
// without comparing.
void merge_buffered_in_worker(int l, int r, bool ascending) {
  if (r < l) return;  // a one-record stretch is merged too: read and stored once
  std::vector<Element> buffer(static_cast<size_t>(r - l + 1));
  for (int k = l; k <= r; ++k) {
    if (broken()) return;  // nothing written yet
    read_element(k, buffer[static_cast<size_t>(k - l)]);
  }
  const bool locked = simultaneous_mode1.load(std::memory_order_relaxed);
  int i = 0, j = r - l;
  int out = ascending ? l : r;
  const int step = ascending ? 1 : -1;
  while (i <= j) {
    bool left = true;
    if (i < j && !broken()) {
      const Element& a = buffer[static_cast<size_t>(i)];
      const Element& b = buffer[static_cast<size_t>(j)];
      left = ascending ? rec_stable_before(a, b) : !rec_stable_after(a, b);
    }
    store_on_main(out, buffer[static_cast<size_t>(left ? i++ : j--)], locked);
    out += step;
  }
}

// One merge of a bitonic stretch (13), handed over with its direction in the task parameter.
void bitonicsimplemerge_fuer_Bitonicmergesorts_parallel(Task task) {
  merge_buffered_in_worker(task.start, task.end, task.parameter != 0);
}

// ---- 13: natural bitonic sort, one worker per stretch ---------------------------------------

// Passes over the bitonic stretches as in the sequential natural sort; each stretch is merged by
// its own worker, started through the hand-over under the thread limit, while the main thread
// looks for the next stretch. A pass ends when all its merges are done.
void bitonic_natural_sort_simultaneous() {
  const int last = last_position();
  auto merge = [](int from, int end, bool ascending) {
    if (end < from) return true;
    const Task task{static_cast<uint16_t>(from), static_cast<uint16_t>(ascending ? 1 : 0),
                    static_cast<uint16_t>(end)};
    return handover_task(task, true, bitonicsimplemerge_fuer_Bitonicmergesorts_parallel);
  };
  while (!broken()) {
    bool ascending = true;
    for (int from = 0; from <= last;) {
      int peak = from;
      const int end = bitonic_stretch_end(from, last, &peak);
      if (broken()) return;
      if (from == 0 && end == last) {
        if (peak < last) merge(0, last, true);
        wait_all_running_done();
        return;
      }
      if (!merge(from, end, ascending)) return;
      ascending = !ascending;
      from = end + 1;
    }
    if (!wait_all_running_done()) return;
  }
}

// ---- 15, 19: iterative sorts -------------------------------------------------------------------

// Blocks of 2, 4, 8, ... with alternating directions, the block that covers the set ascending;
// all blocks of one size are merged at once.
void bitonic_sort_iterative_simultaneous(bool recursive_merging) {
  const int n = column_count();
  for (int64_t size = 2;; size *= 2) {
    std::vector<MergeBlock> blocks;
    int64_t block = 0;
    for (int64_t start = 0; start < n; start += size, ++block) {
      const int end = static_cast<int>(std::min<int64_t>(start + size, n) - 1);
      if (end > start)
        blocks.push_back({static_cast<int>(start), end, size >= n || block % 2 == 0});
    }
    if (recursive_merging) {
      WorkerGroup merges;
      for (const MergeBlock& b : blocks) {
        if (broken()) break;
        merges.start([b] { bitonicmerge_rekursiv_parallel(b.l, b.r, b.ascending); });
      }
      merges.wait();
    } else {
      merge_iterative_simultaneous(blocks, vuot_Thread);
    }
    if (broken() || size >= n) return;
  }
}

void bitonic_sort_iterative_iterative_merging() {
  bitonic_sort_iterative_simultaneous(false);
}
void bitonic_sort_iterative_recursive_merging() {
  bitonic_sort_iterative_simultaneous(true);
}

// ---- 21, 25: recursive sorts -------------------------------------------------------------------

// The left half ascending, the right half descending, then the whole range merged in its own
// direction; frames (l, r, ascending, merge pending) on the stack. Only the merges run on
// worker threads.
void bitonic_sort_recursive_simultaneous(bool recursive_merging) {
  PStackemulator stack;
  stack.PushN(0u, static_cast<uint32_t>(std::max(last_position(), 0)), 1u, 0u);
  while (stack.Depth() > 0 && !broken()) {
    uint32_t l, r, ascending, merge_pending;
    stack.PopN(l, r, ascending, merge_pending);
    if (l >= r) continue;
    if (merge_pending != 0) {
      const MergeBlock b{static_cast<int>(l), static_cast<int>(r), ascending != 0};
      if (recursive_merging) {
        WorkerGroup merge;
        merge.start([b] { bitonicmerge_rekursiv_parallel(b.l, b.r, b.ascending); });
        merge.wait();
      } else {
        merge_iterative_simultaneous({b}, vuot_Thread);
      }
      continue;
    }
    const uint32_t m = (l + r) / 2;
    stack.PushN(l, r, ascending, 1u);
    stack.PushN(m + 1, r, 0u, 0u);
    stack.PushN(l, m, 1u, 0u);
  }
}

void bitonic_sort_recursive_iterative_merging() {
  bitonic_sort_recursive_simultaneous(false);
}
void bitonic_sort_recursive_recursive_merging() {
  bitonic_sort_recursive_simultaneous(true);
}

// ---- 27-32: sorts over the range tree ----------------------------------------------------------

// The range tree in the thread range table: record 1 is 0 .. n-1; a record low .. high with
// mid = (low + high) / 2 has the left child 2k = low .. mid if mid > low and the right child
// 2k + 1 = mid + 1 .. high if mid + 1 < high. Records are prepared (1); a record without
// children is a leaf; a leaf of one element is done (3) at once. Unused records stay 0.
void build_range_tree() {
  const int n = column_count();
  if (n < 1) return;
  ThreadRange& root = thread_range(1);
  root.low = 0;
  root.high = static_cast<uint16_t>(n - 1);
  root.state.store(ThreadRange::prepared);
  for (size_t k = 1; k < thread_range_count; ++k) {
    ThreadRange& r = thread_range(k);
    if (r.state.load() != ThreadRange::prepared) continue;
    r.mid = static_cast<uint16_t>((r.low + r.high) / 2);
    const bool left = r.mid > r.low && 2 * k < thread_range_count;
    const bool right = r.mid + 1 < r.high && 2 * k + 1 < thread_range_count;
    if (left) {
      ThreadRange& c = thread_range(2 * k);
      c.low = r.low;
      c.high = r.mid;
      c.left_child = true;
      c.state.store(ThreadRange::prepared);
    }
    if (right) {
      ThreadRange& c = thread_range(2 * k + 1);
      c.low = static_cast<uint16_t>(r.mid + 1);
      c.high = r.high;
      c.state.store(ThreadRange::prepared);
    }
    r.leaf = !left && !right;
    if (r.leaf && r.high == r.low) r.state.store(ThreadRange::done);
  }
}

// A record of the tree that exists and is not yet done.
bool pending_record(size_t k) {
  if (k >= thread_range_count) return false;
  const uint8_t s = thread_range(k).state.load();
  return s != ThreadRange::not_taken && s != ThreadRange::done;
}

// Merges record k's range, whose halves stand sorted in opposite directions, in the node's
// direction (the root and every left child ascending) with the entry's merge.
void merge_node(size_t k) {
  const ThreadRange& r = thread_range(k);
  const int l = r.low, h = r.high;
  const bool ascending = split_node_ascending(k);
  switch (algorithm_index.load(std::memory_order_relaxed)) {
    case 28:
    case 31:
      merge_iterative_simultaneous({{l, h, ascending}}, vuot_zweiter_Stufe);
      break;
    case 29:
    case 32:
      bitonicmerge_rekursiv_parallel_zweiter_Stufe(l, h, ascending);
      break;
    default:  // 27, 30
      merge_buffered_in_worker(l, h, ascending);
      break;
  }
}

// 27-29: a worker merges its record; the worker whose sibling is already done (or missing)
// starts the parent's worker. Done marks and the sibling test are made under the lock, so
// exactly one of two siblings goes on.
void bitonicmergesort_breath_first(size_t k) {
  take_record(k);
  merge_node(k);
  if (broken()) return;
  FrameworkLock lock;
  thread_range(k).state.store(ThreadRange::done);
  if (k == 1 || pending_record(k ^ 1)) return;
  try_start_record_worker(k / 2, bitonicmergesort_breath_first);
}

// The start thread of 27-29: a worker for every leaf of two elements.
void start_breadth_first_leaves() {
  for (size_t k = 1; k < thread_range_count && !broken(); ++k) {
    const ThreadRange& r = thread_range(k);
    if (r.leaf && r.state.load() == ThreadRange::prepared) {
      try_start_record_worker(k, bitonicmergesort_breath_first);
    }
  }
}

// 30-32: the worker of one record starts a worker for each child record, and once they have
// reported merges its record (a leaf at once), marks it done and reports to its parent.
void bitonicmergesort_depth_first(size_t k) {
  take_record(k);
  const uint32_t parent = thread_range(k).parent;
  int started = 0;
  for (const size_t c : {2 * k, 2 * k + 1}) {
    if (!pending_record(c)) continue;
    thread_range(c).parent = current_thread_id();
    if (try_start_record_worker(c, bitonicmergesort_depth_first)) ++started;
  }
  finish_after_messages(started, [k, parent] {
    if (!broken()) {
      merge_node(k);
      if (!broken()) thread_range(k).state.store(ThreadRange::done);
    }
    post_message(parent);
  });
}

void bitonic_tree_sort_breadth_first() {
  build_range_tree();
  start_start_thread(start_breadth_first_leaves);
}

void bitonic_tree_sort_depth_first() {
  build_range_tree();
  start_start_thread([] {
    if (!pending_record(1)) return;
    thread_range(1).parent = current_thread_id();
    try_start_record_worker(1, bitonicmergesort_depth_first);
  });
}

}  // namespace

void register_bitonic_range_splitting_sorts() {
  register_procedure(13, parallel_entry<&bitonic_natural_sort_simultaneous>);
  register_procedure(15, parallel_entry<&bitonic_sort_iterative_iterative_merging>);
  register_procedure(19, parallel_entry<&bitonic_sort_iterative_recursive_merging>);
  register_procedure(21, parallel_entry<&bitonic_sort_recursive_iterative_merging>);
  register_procedure(25, parallel_entry<&bitonic_sort_recursive_recursive_merging>);
  register_procedures({27, 28, 29}, parallel_entry<&bitonic_tree_sort_breadth_first>);
  register_procedures({30, 31, 32}, parallel_entry<&bitonic_tree_sort_depth_first>);
}

}  // namespace mv

// Out-of-place merge sorts: the top-down and natural drivers with the merges through buffer_a
// (standard, scratch, four-tape, block insertion, buffered), pair unshuffle, breadth-first and
// binary-counter merging, the stacked and run-table natural merge sorts and the k-way merge over
// the pile list.
#include "algorithms/merge_sorts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "algorithms/block_swapping.h"
#include "algorithms/pile_list.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine/settings.h"
#include "engine/stabilization.h"
#include "engine/stack_emulation.h"

namespace mv {
namespace {

inline bool stabilize_locally() {
  return settings.stabilize_locally.load(std::memory_order_relaxed);
}

// After a break-off in a merge from buffer_a: the records not yet taken, buffer i..m and then
// j..r, fill the positions from k on, each by a counted store.
void put_back_rest(int k, int i, int m, int j, int r) {
  while (i <= m) store_element(k++, buffer_a[i++]);
  while (j <= r) store_element(k++, buffer_a[j++]);
}

// buffer_a l..r back into the set (the four-tape merges end there on some levels); all of it,
// also after a break-off, since the set no longer holds these records.
void store_from_buffer(int l, int r) {
  for (int k = l; k <= r; ++k) store_element(k, buffer_a[k]);
}

// Exchanges i and j whatever "optional swaps" says. The block insertion merge exchanges set
// elements with scratch slots behind the set, whose records do not belong to it: a refused
// exchange would let one of them into the set and lose an element.
void exchange_always(int i, int j) {
  erase_column(i);
  erase_column(j);
  std::swap(elements[i], elements[j]);
  count_swapping();
  draw_column(i, true, element_colour(i));
  draw_column(j, true, element_colour(j));
}

// Merges l..m and m+1..r when the left run already stands in buffer_a from slot on; the right
// run stays in the set and is taken from the front. A tie takes the left record.
void merge_left_from_buffer(int l, int m, int r, int slot) {
  const int end = slot + (m - l);
  int k = slot, j = m + 1, d = l;
  while (k <= end) {
    if (broken()) {  // the gap d..j-1 takes exactly the records still buffered
      while (k <= end) store_element(d++, buffer_a[k++]);
      return;
    }
    if (j <= r && !rec_stable_before(buffer_a[k], elements[j])) {
      move_element(d, j++);
    } else {
      store_element(d, buffer_a[k++]);
    }
    ++d;
  }
}

// Copies l..m to buffer_a from slot on (stops copying at a break-off; the set is untouched) and
// merges it back.
void buffer_left_and_merge(int l, int m, int r, int slot) {
  for (int k = l; k <= m; ++k) {
    if (broken()) return;
    move_to_buffer(slot + (k - l), k);
  }
  if (broken()) return;  // only copies were made
  merge_left_from_buffer(l, m, r, slot);
}

// ---- Four-tape merge ------------------------------------------------------------------------

// into_buffer: the runs stand in the set and are merged into buffer_a l..r; otherwise they stand
// in buffer_a and are merged into the set. A tie takes the left run's record.
void four_tape_merge(int l, int m, int r, bool into_buffer) {
  int i = l, j = m + 1, k = l;
  if (into_buffer) {
    while (k <= r && !broken()) {
      const bool left = j > r || (i <= m && elem_stable_before(i, j));
      move_to_buffer(k++, left ? i++ : j++);
    }
    return;
  }
  // Until the first record is stored the set is untouched. A break-off may have cut the run
  // searches short, so l..r need not be a range whose records the buffer holds: leave it alone.
  if (broken()) return;
  while (k <= r) {
    if (broken()) return put_back_rest(k, i, m, j, r);
    const bool left = j > r || (i <= m && rec_stable_before(buffer_a[i], buffer_a[j]));
    store_element(k++, left ? buffer_a[i++] : buffer_a[j++]);
  }
}

// ---- Pair unshuffle (119) -------------------------------------------------------------------

// Orders every pair (l, l+1), (l+2, l+3), ... and then gathers the smaller members in the front
// half and the larger ones behind them, both in their former order.
void pair_unshuffle(int l, int r) {
  for (int i = l; i < r; i += 2) {
    if (broken()) return;
    compare_exchange(i, i + 1, true, true);
  }
  int count = 0;
  for (int i = l + 1; i <= r; i += 2) {
    if (broken()) return;  // the set is untouched so far
    move_to_buffer(count++, i);
  }
  if (broken()) return;  // only copies were made
  // From here on every buffered record must come back, so the moves and stores finish also
  // after a break-off.
  int k = l;
  for (int i = l; i <= r; i += 2, ++k) move_element(k, i);
  for (int t = 0; t < count; ++t) store_element(k++, buffer_a[t]);
}

// ---- The top-down walk ----------------------------------------------------------------------

int split_ratio() {
  return std::max<int32_t>(2, parameters.ratio);
}

int choose_split(int l, int r, MergeSplit split) {
  const int64_t p = split_ratio();
  switch (split) {
    case MergeSplit::middle:
      break;
    case MergeSplit::left_smaller:
      return static_cast<int>(((p - 1) * l + r) / p);
    case MergeSplit::left_bigger:
      return static_cast<int>(((p - 1) * r + l) / p);
    case MergeSplit::random_side:
      return choose_split(l, r, U() < 0.5L ? MergeSplit::left_smaller : MergeSplit::left_bigger);
    case MergeSplit::random_point: {
      // A split at r leaves the range whole: the range is visited again with a new split.
      int m;
      do {
        m = random_position(l, r, 1);
      } while (m >= r);
      return m;
    }
  }
  return (l + r) / 2;
}

// Visits first..last like a recursive merge sort, with frames (l, r, m, level, step, right
// first) on the stack emulation: before(l, r) when a range is visited, merge(l, m, r, level)
// after both children are sorted. The root has level round(log2 n), a child one less (the level
// is kept in 16 bits; only its parity is used).
template <class Before, class Merge>
void top_down_walk(int first, int last, MergeSplit split, MergeOrder order, Before before,
                   Merge merge) {
  if (last <= first) return;
  const int root_level = static_cast<int>(std::lround(std::log2(last - first + 1.0)));
  TStackemulator stack;
  auto push_range = [&](int l, int r, int level) {
    if (l < r) stack.Push6(l, r, 0, static_cast<uint16_t>(level), 0, 0);
  };
  push_range(first, last, root_level);
  while (stack.IsNotEmpty() && !broken()) {
    int l, r, m, level, step, right_first;
    stack.Pop6(l, r, m, level, step, right_first);
    if (step == 0) {
      before(l, r);
      m = choose_split(l, r, split);
      const bool bit = Random(2) == 1;
      right_first = order == MergeOrder::right_first || (order == MergeOrder::random_first && bit);
      stack.Push6(l, r, m, level, 1, right_first);
      if (right_first) {
        push_range(m + 1, r, level - 1);
      } else {
        push_range(l, m, level - 1);
      }
    } else if (step == 1) {
      stack.Push6(l, r, m, level, 2, right_first);
      if (right_first) {
        push_range(l, m, level - 1);
      } else {
        push_range(m + 1, r, level - 1);
      }
    } else {
      merge(l, m, r, level);
    }
  }
}

void no_visit(int, int) {}

// ---- The natural passes ---------------------------------------------------------------------

// Passes of the natural driver over first..last; pass numbers count from 1. run(from, stable,
// pass) finds a run end, merge(l, m, r, pass) merges, carry(l, r, pass) takes an unpaired last
// run. Ends when the run search with the stable flag covers the range, or on break-off.
// A pass whose first run covers the range merges nothing, and neither would any later pass: the
// search with the stable flag may still see equal keys out of start order (an unstable merge
// under "stable comparings") while the one without it sees one run. Such a pass ends the driver,
// unless its run search reversed a run (reversals counts them), which the next pass checks.
template <class Run, class Merge, class Carry>
int natural_passes(int first, int last, Run run, Merge merge, Carry carry,
                   const int* reversals = nullptr) {
  int pass = 0;
  while (!broken()) {
    ++pass;
    main_loop_runnings.increment();
    if (run(first, true, pass) >= last) break;
    int l = first;
    const int reversals_before = reversals ? *reversals : 0;
    int m = run(l, false, pass);
    if (m >= last) {
      if (reversals && *reversals != reversals_before) continue;
      break;
    }
    for (;;) {
      const int r = run(m + 1, false, pass);
      merge(l, m, r, pass);
      if (broken() || r >= last) break;
      l = r + 1;
      m = run(l, false, pass);
      if (m >= last) {
        carry(l, last, pass);
        break;
      }
    }
  }
  return pass;
}

void merge_and_stabilize(MergeProcedure merge, int l, int m, int r) {
  merge(l, m, r);
  if (!broken() && stabilize_locally()) stabilize_range(l, r);
}

// ---- Run end searches -----------------------------------------------------------------------

// Run end in buffer_a (the four-tape natural merge sort on its even passes).
int buffer_run_end(int from, int to, bool stable) {
  int k = from;
  while (k < to && !broken() &&
         (stable ? rec_stable_before(buffer_a[k], buffer_a[k + 1]) : buf_less_equal(k, k + 1))) {
    ++k;
  }
  return k;
}

// Run end for 190 and 191: a run of one element (191: also one whose first and last keys are
// equal) is extended over the following descent (190: strictly smaller keys; 191: the stable
// comparison in its comes-after sense) and reversed; reversals counts the reversals.
int run_end_reversing(int from, int to, bool strict, int& reversals) {
  int m = run_end(from, to, false);
  if (!strict && m > from && !cmp_unequal(elements[from].key, elements[m].key)) m = from;
  if (m == from && m < to) {
    while (m < to && !broken() && (strict ? elem_greater(m, m + 1) : elem_stable_after(m, m + 1))) {
      ++m;
    }
    if (m > from) {
      reverse_range(from, m, true);
      ++reversals;
    }
  }
  return m;
}

// ---- Entries ----------------------------------------------------------------------------------

void block_insertion_merge_behind_set(int l, int m, int r) {
  block_insertion_merge(l, m + 1, r + 1, column_count());
}

// 118, 165 to 170: the standard merge under the top-down driver with the split and order of the
// entry.
void merge_sort_top_down() {
  MergeSplit split = MergeSplit::middle;
  MergeOrder order = MergeOrder::left_first;
  switch (algorithm_index.load()) {
    case 165:
      split = MergeSplit::left_smaller;
      break;
    case 166:
      split = MergeSplit::left_bigger;
      break;
    case 167:
      split = MergeSplit::random_side;
      break;
    case 168:
      split = MergeSplit::random_point;
      break;
    case 169:
      order = MergeOrder::right_first;
      break;
    case 170:
      order = MergeOrder::random_first;
      break;
    default:
      break;
  }
  top_down_merge_sort(0, last_position(), standard_merge_stable, split, order);
}

// 119: every range is pair-unshuffled (and stabilized with the "locally" box) before it is split.
void merge_sort_enhanced() {
  top_down_walk(
      0, last_position(), MergeSplit::middle, MergeOrder::left_first,
      [](int l, int r) {
        pair_unshuffle(l, r);
        if (!broken() && stabilize_locally()) stabilize_range(l, r);
      },
      [](int l, int m, int r, int) { standard_merge_stable(l, m, r); });
}

void merge_sort_scratch() {
  top_down_merge_sort(0, last_position(), scratch_merge);
}

// 122: odd levels merge from the set into buffer_a, even levels back. A range of one element
// always stands in the set; under an even level (which a column count other than a power of two
// produces) it is first copied into the buffer.
void merge_sort_four_tape() {
  const int last = last_position();
  top_down_walk(0, last, MergeSplit::middle, MergeOrder::left_first, no_visit,
                [](int l, int m, int r, int level) {
                  const bool into_buffer = (level & 1) != 0;
                  if (!into_buffer) {
                    if (l == m) move_to_buffer(l, l);
                    if (m + 1 == r) move_to_buffer(r, r);
                  }
                  four_tape_merge(l, m, r, into_buffer);
                  if (!into_buffer && !broken() && stabilize_locally()) stabilize_range(l, r);
                });
  const int root_level = static_cast<int>(std::lround(std::log2(last + 1.0)));
  if (last > 0 && (root_level & 1) != 0 && !broken()) store_from_buffer(0, last);
}

void merge_sort_block_insertion() {
  top_down_merge_sort(0, last_position(), block_insertion_merge_behind_set);
}

// 184: the merges of 118 level by level, from the deepest level up to the root.
void merge_sort_breadth_first() {
  const std::vector<SplitNode> tree = build_split_tree(0, last_position());
  for (size_t h = tree.size(); h > 1; h /= 2) {
    for (size_t k = h / 2; k < h; ++k) {
      if (broken()) return;
      if (tree[k].active) standard_merge_stable(tree[k].l, tree[k].m, tree[k].r);
    }
  }
}

// 187: runs grown by binary insertion while the elements moved for the run stay within
// param_m2s, merged like a binary counter.
void merge2_sort() {
  const int n = column_count();
  const int64_t limit = std::max<int32_t>(0, parameters.param_m2s);
  RunCounter runs;
  int s = 0;
  while (s < n && !broken()) {
    int e = s;
    int64_t displaced = 0;
    while (e + 1 < n && !broken()) {
      Element temp;
      read_element(e + 1, temp);
      int lo = s, hi = e + 1;  // equal keys place the new element behind them
      while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (rec_less(temp, elements[mid])) {
          hi = mid;
        } else {
          lo = mid + 1;
        }
      }
      if (displaced + (e + 1 - lo) > limit) break;  // the run ends before this element
      displaced += e + 1 - lo;
      int gap = e + 1;
      while (gap > lo && !broken()) {
        move_element(gap, gap - 1);
        --gap;
      }
      store_element(gap, temp);  // into the gap, also where a break-off stopped the shift
      ++e;
    }
    if (broken()) return;
    runs.add_run(s, e);
    s = e + 1;
  }
  runs.merge_all();
}

// 189, 190, 191, 193, 217: the natural driver with the entry's merge and run search.
void natural_merge_sort_entry() {
  const int index = algorithm_index.load();
  const int last = last_position();
  if (index == 190 || index == 191) {
    int reversals = 0;
    natural_passes(
        0, last,
        [&](int from, bool stable, int) {
          return stable ? run_end(from, last, true)
                        : run_end_reversing(from, last, index == 190, reversals);
        },
        [](int l, int m, int r, int) { merge_and_stabilize(standard_merge_stable, l, m, r); },
        [](int, int, int) {}, &reversals);
    return;
  }
  MergeProcedure merge = standard_merge_stable;
  if (index == 193) merge = scratch_merge;
  if (index == 217) merge = block_insertion_merge_behind_set;
  natural_merge_sort(0, last, merge);
}

// 194: odd passes merge from the set into buffer_a, even passes back; an unpaired last run is
// copied across so that every pass leaves the whole set in one array.
void natural_merge_sort_four_tape() {
  const int last = last_position();
  auto in_buffer = [](int pass) { return pass % 2 == 0; };
  const int passes = natural_passes(
      0, last,
      [&](int from, bool stable, int pass) {
        return in_buffer(pass) ? buffer_run_end(from, last, stable) : run_end(from, last, stable);
      },
      [&](int l, int m, int r, int pass) {
        four_tape_merge(l, m, r, !in_buffer(pass));
        if (in_buffer(pass) && !broken() && stabilize_locally()) stabilize_range(l, r);
      },
      [&](int l, int r, int pass) {
        if (in_buffer(pass)) {
          store_from_buffer(l, r);
        } else {
          for (int k = l; k <= r && !broken(); ++k) move_to_buffer(k, k);
        }
      });
  if (in_buffer(passes) && !broken()) store_from_buffer(0, last);
}

// 239, 240: one scan; each run found is merged with the runs on top of the run stack while the
// balancing rule allows. 240 merges equal levels only (the merges of 189, depth first); 239 also
// merges a stacked run that is not longer than the new one.
void natural_merge_sort_stacked() {
  const bool by_length = algorithm_index.load() == 239;
  const int last = last_position();
  TStackemulator stack;  // entries (run start, level)
  int l = 0;
  while (l <= last) {
    if (broken()) return;
    const int e = run_end(l, last, true);
    int start = l, level = 0;
    while (stack.IsNotEmpty() && !broken()) {
      int top_start = stack.Below(), top_level = stack.Top();
      if (top_level != level && !(by_length && start - top_start <= e - start + 1)) break;
      stack.Pop2(top_start, top_level);
      standard_merge_stable(top_start, start - 1, e);
      level = std::max(top_level, level) + 1;
      start = top_start;
    }
    stack.Push2(start, level);
    l = e + 1;
  }
  // The set has ended: the stacked runs are merged from the top down.
  int upper = 0, level = 0;
  stack.Pop2(upper, level);
  while (stack.IsNotEmpty() && !broken()) {
    int below = 0;
    stack.Pop2(below, level);
    standard_merge_stable(below, upper - 1, last);
    upper = below;
  }
}

// 241 to 244: the starts of all ascending runs in a table (with the sentinel n), then the runs
// are merged top-down (241), at random neighbouring pairs (242), into a growing first run (243)
// or into a growing last run (244).
void natural_merge_sort_run_table() {
  const int index = algorithm_index.load();
  const int last = last_position();
  std::vector<int> starts;
  for (int l = 0; l <= last; l = run_end(l, last, true) + 1) {
    if (broken()) return;
    starts.push_back(l);
  }
  starts.push_back(last + 1);
  const int runs = static_cast<int>(starts.size()) - 1;
  switch (index) {
    case 241:
      top_down_walk(0, runs - 1, MergeSplit::middle, MergeOrder::left_first, no_visit,
                    [&starts](int lo, int mid, int hi, int) {
                      standard_merge_stable(starts[lo], starts[mid + 1] - 1, starts[hi + 1] - 1);
                    });
      break;
    case 242:
      while (starts.size() > 2 && !broken()) {
        const int b = 1 + static_cast<int>(Random(static_cast<int32_t>(starts.size()) - 2));
        standard_merge_stable(starts[b - 1], starts[b] - 1, starts[b + 1] - 1);
        starts.erase(starts.begin() + b);
      }
      break;
    case 243:
      for (int b = 1; b < runs && !broken(); ++b) {
        standard_merge_stable(0, starts[b] - 1, starts[b + 1] - 1);
      }
      break;
    default:
      for (int b = runs - 1; b >= 1 && !broken(); --b) {
        standard_merge_stable(starts[b - 1], starts[b] - 1, last);
      }
      break;
  }
}

// 245: every element onto the pile list, then the smallest pile top n times.
void natural_merge_sort_k_way() {
  pile_list_sort(0, last_position(), true);
}

}  // namespace

// ---- Shared procedures ------------------------------------------------------------------------

void top_down_merge_sort(int first, int last, MergeProcedure merge, MergeSplit split,
                         MergeOrder order) {
  top_down_walk(first, last, split, order, no_visit,
                [merge](int l, int m, int r, int) { merge_and_stabilize(merge, l, m, r); });
}

void natural_merge_sort(int first, int last, MergeProcedure merge) {
  natural_passes(
      first, last, [last](int from, bool stable, int) { return run_end(from, last, stable); },
      [merge](int l, int m, int r, int) { merge_and_stabilize(merge, l, m, r); },
      [](int, int, int) {});
}

int run_end(int from, int to, bool stable) {
  int k = from;
  while (k < to && !broken() &&
         (stable ? elem_stable_before(k, k + 1)
                 : cmp_less_equal(elements[k].key, elements[k + 1].key))) {
    ++k;
  }
  return k;
}

std::vector<SplitNode> build_split_tree(int first, int last) {
  std::vector<SplitNode> tree(2);
  tree[1] = {first < last, first, (first + last) / 2, last};
  for (size_t k = 1; k < tree.size(); ++k) {
    if (!tree[k].active) continue;
    if (2 * k + 1 >= tree.size()) tree.resize(2 * tree.size());
    const SplitNode node = tree[k];
    tree[2 * k] = {node.l < node.m, node.l, (node.l + node.m) / 2, node.m};
    tree[2 * k + 1] = {node.m + 1 < node.r, node.m + 1, (node.m + 1 + node.r) / 2, node.r};
  }
  return tree;
}

void standard_merge(int l, int m, int r, int tie) {
  for (int k = l; k <= r; ++k) {
    if (broken()) return;  // the set is untouched while it is copied
    move_to_buffer(k, k);
  }
  if (broken()) return;  // only copies were made
  int i = l, j = m + 1, k = l;
  while (k <= r) {
    if (broken()) return put_back_rest(k, i, m, j, r);
    bool left;
    if (i > m) {
      left = false;
    } else if (j > r) {
      left = true;
    } else if (buf_less(i, j)) {
      left = true;
    } else if (tie == 1) {
      left = buf_equal(i, j);
    } else {
      left = stable_comparings && buf_equal(i, j) &&
             cmp_less(buffer_a[i].start_position, buffer_a[j].start_position);
    }
    store_element(k++, left ? buffer_a[i++] : buffer_a[j++]);
  }
}

void standard_merge_stable(int l, int m, int r) {
  standard_merge(l, m, r, 1);
}

void scratch_merge(int l, int m, int r) {
  if (m - l <= r - m - 1) return buffer_left_and_merge(l, m, r, 0);
  // The right run is shorter: buffer it and merge from the back.
  const int len = r - m;
  for (int t = 0; t < len; ++t) {
    if (broken()) return;
    move_to_buffer(t, m + 1 + t);
  }
  if (broken()) return;  // only copies were made
  int i = m, k = len - 1, d = r;
  while (k >= 0) {
    if (broken()) {  // the gap i+1..d takes exactly the records still buffered
      while (k >= 0) store_element(d--, buffer_a[k--]);
      return;
    }
    if (i >= l && !rec_stable_before(elements[i], buffer_a[k])) {
      move_element(d, i--);
    } else {
      store_element(d, buffer_a[k--]);
    }
    --d;
  }
}

void buffered_merge(int l, int m, int r) {
  if (m < l || m >= r) return;
  if (elem_stable_before(m, m + 1)) return;
  buffer_left_and_merge(l, m, r, l);
}

namespace {

// First position p in j..end-1 whose key is not smaller than key(x) (end if none): probes every
// len-th element, then searches the last block binarily.
int probe_forward(int j, int end, int len, int x) {
  while (j + len - 1 < end && !broken() && elem_less(j + len - 1, x)) j += len;
  int lo = j, hi = std::min(j + len - 1, end);
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (elem_less(mid, x)) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

// The mirror: last position q in first-1..i whose key is not greater than key(y) (first - 1 if
// none), probing backwards from i.
int probe_backward(int i, int first, int len, int y) {
  while (i - len + 1 >= first && !broken() && elem_greater(i - len + 1, y)) i -= len;
  int lo = std::max(i - len + 1, first - 1), hi = i;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (elem_greater(mid, y)) {
      hi = mid - 1;
    } else {
      lo = mid;
    }
  }
  return lo;
}

// Scratch form, left run shorter: the left run waits in the scratch slots; the gap it left
// travels right through the right run, each passed element exchanged across it.
void insert_left_from_scratch(int first, int mid, int end, int scratch, int len) {
  const int a = mid - first;
  int d = first, j = mid;  // the gap is d..j-1, as long as the records still waiting
  for (int t = 0; t < a; ++t) {
    const int x = scratch + t;
    const int p = broken() ? j : probe_forward(j, end, len, x);
    while (j < p && !broken()) exchange_always(d++, j++);
    if (broken()) {  // the waiting records fill the gap
      for (int u = t; u < a; ++u) exchange_always(d + (u - t), scratch + u);
      return;
    }
    exchange_always(d++, x);
  }
}

// Scratch form, right run shorter: the mirror image from the back.
void insert_right_from_scratch(int first, int mid, int end, int scratch, int len) {
  const int b = end - mid;
  int d = end - 1, i = mid - 1;  // the gap is i+1..d
  for (int t = b - 1; t >= 0; --t) {
    const int y = scratch + t;
    const int q = broken() ? i : probe_backward(i, first, len, y);
    while (i > q && !broken()) exchange_always(d--, i--);
    if (broken()) {
      for (int u = 0; u <= t; ++u) exchange_always(i + 1 + u, scratch + u);
      return;
    }
    exchange_always(d--, y);
  }
}

}  // namespace

void block_insertion_merge(int first, int mid, int end, int scratch) {
  const int a = mid - first, b = end - mid;
  if (a <= 0 || b <= 0) return;
  const int shorter = std::min(a, b);
  int len = 1;
  while (len * 2 <= std::max(a, b) / shorter) len *= 2;
  // Without room for the shorter run behind the set the merge works in place.
  if (scratch >= 0 && static_cast<size_t>(scratch) + shorter > elements.size()) scratch = -1;
  if (scratch >= 0) {
    const int from = a <= b ? first : mid;
    for (int u = 0; u < shorter; ++u) {
      if (broken()) {  // put back what already went over
        for (int v = 0; v < u; ++v) exchange_always(from + v, scratch + v);
        return;
      }
      exchange_always(from + u, scratch + u);
    }
    if (a <= b) {
      insert_left_from_scratch(first, mid, end, scratch, len);
    } else {
      insert_right_from_scratch(first, mid, end, scratch, len);
    }
    return;
  }
  if (a <= b) {
    // The left run's rest d..j-1 is rotated behind the right-run elements its head passes.
    int d = first, j = mid;
    while (d < j && j < end && !broken()) {
      const int p = probe_forward(j, end, len, d);
      if (p > j) block_swap(d, j, p - 1);
      d += p - j + 1;
      j = p;
    }
  } else {
    // The right run's rest i+1..e is rotated before the left-run elements its last one passes.
    int i = mid - 1, e = end - 1;
    while (i >= first && e > i && !broken()) {
      const int q = probe_backward(i, first, len, e);
      if (q < i) block_swap(q + 1, i + 1, e);
      e = q + (e - i) - 1;
      i = q;
    }
  }
}

// ---- Run counter
// ----------------------------------------------------------------------------------

void RunCounter::add_run(int start, int end) {
  starts_.push_back(start);
  end_ = end;
  ++count_;
  for (unsigned c = count_; (c & 1u) == 0 && starts_.size() >= 2 && !broken(); c >>= 1) {
    merge_top_two();
  }
}

void RunCounter::merge_all() {
  while (starts_.size() >= 2 && !broken()) merge_top_two();
}

void RunCounter::merge_top_two() {
  const int upper = starts_.back();
  starts_.pop_back();
  merge_(starts_.back(), upper - 1, end_);
}

void register_merge_sorts() {
  register_procedures({118, 165, 166, 167, 168, 169, 170}, merge_sort_top_down);
  register_procedure(119, merge_sort_enhanced);
  register_procedure(121, merge_sort_scratch);
  register_procedure(122, merge_sort_four_tape);
  register_procedure(145, merge_sort_block_insertion);
  register_procedure(184, merge_sort_breadth_first);
  register_procedure(187, merge2_sort);
  register_procedures({189, 190, 191, 193, 217}, natural_merge_sort_entry);
  register_procedure(194, natural_merge_sort_four_tape);
  register_procedures({239, 240}, natural_merge_sort_stacked);
  register_procedures({241, 242, 243, 244}, natural_merge_sort_run_table);
  register_procedure(245, natural_merge_sort_k_way);
}

}  // namespace mv

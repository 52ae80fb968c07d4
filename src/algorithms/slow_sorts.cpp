// Permutation and slow sorts: bogo sorts that step through the arrangements of the set until one
// is sorted, bozo sorts that exchange random pairs until the set is sorted, and the shove, healy,
// swirl, stooge, slow and silly sorts.
//
// No enumeration keeps a count of arrangements (n! overflows 64 bits from n = 21): every scheme
// runs on per-position counters, directions or labels, each bounded by n. Every step is followed
// by one main loop running, a break-off test and the sortedness check.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "algorithms/block_swapping.h"
#include "algorithms/exchange_sorts.h"
#include "algorithms/merge_sorts.h"
#include "algorithms/registry.h"
#include "algorithms/shuffles.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine/stack_emulation.h"

namespace mv {

namespace {

inline int set_size() {
  return static_cast<int>(column_count());
}
inline int slow_variant() {
  return algorithm_index.load(std::memory_order_relaxed);
}

// ---- Bogo sorts: steps and the enumeration driver -------------------------------------------

// How the steps of an enumeration exchange: "exchange firstly" members swap (subject to
// "optional swaps"); the "exchanges only for ordering" members compare-exchange the pair in index
// order. Bogo sort 8 exchanges pairs far apart, where a plain compare-exchange could carry a key
// past an equal one; it orders every pair by key and then start position, and checks the set in
// that order, so it ends with equal keys in start order.
enum class StepKind { exchange, ordering, ordering_by_start };
StepKind step_kind = StepKind::exchange;

// Key, then start position; counted and highlighted like the stable comparison with the box on.
bool before_by_start(int i, int j) {
  highlight_column(i);
  const int32_t a = elements[i].key;
  const int32_t b = elements[j].key;
  const bool r = cmp_less(a, b) || (cmp_equal(a, b) && pos_less(i, j));
  restore_columns(i, j);
  return r;
}

void enumeration_exchange(int a, int b) {
  const int lo = std::min(a, b);
  const int hi = std::max(a, b);
  if (lo == hi) return;
  switch (step_kind) {
    case StepKind::exchange:
      swap_elements(lo, hi, true);
      break;
    case StepKind::ordering:
      compare_exchange(lo, hi);
      break;
    case StepKind::ordering_by_start:
      if (!before_by_start(lo, hi)) swap_elements(lo, hi, true);
      break;
  }
}

// check_sorted, or for bogo sort 8 the same scan in key and start order.
bool set_in_order() {
  if (step_kind != StepKind::ordering_by_start) return check_sorted();
  for (int i = 0; i + 1 < set_size(); ++i) {
    if (broken()) return true;
    if (!before_by_start(i, i + 1)) return false;
  }
  return true;
}

// Closes a step: one main loop running, then the sortedness check. True ends the enumeration:
// the set is sorted or the run is broken off.
bool step_done() {
  main_loop_runnings.increment();
  if (broken()) return true;
  return set_in_order();
}

// One complete enumeration. Returns true when a step found the set sorted or the run was broken
// off, false when the scheme ran out of arrangements.
using EnumerationRound = bool (*)();

uint64_t changes_so_far() {
  return swappings.get() + movings.get();
}

// Neighbour compare-exchange passes (in the member's order) until one exchanges nothing, one
// main loop running each.
void settle_neighbours() {
  bool exchanged = true;
  while (exchanged && !broken()) {
    main_loop_runnings.increment();
    exchanged = false;
    for (int i = 0; i + 1 < set_size() && !broken(); ++i) {
      const uint64_t before = swappings.get();
      if (step_kind == StepKind::ordering_by_start) {
        if (!before_by_start(i, i + 1)) swap_elements(i, i + 1, true);
      } else {
        compare_exchange(i, i + 1);
      }
      if (swappings.get() != before) exchanged = true;
    }
  }
}

// Repeats the enumeration until it ends the sort. A plain enumeration meets every arrangement in
// its first round. Compare-exchanges (and "optional swaps") skip exchanges, so a round may end on
// an unsorted set; the next round goes on from there. A round that changed nothing can never
// change anything, so the set is then settled by neighbour compare-exchanges.
void run_enumeration(EnumerationRound round, bool check_first) {
  const int v = slow_variant();
  step_kind = v == 45                           ? StepKind::ordering_by_start
              : (v == 39 || v == 41 || v == 47) ? StepKind::ordering
                                                : StepKind::exchange;
  if (set_size() < 2) return;
  if (check_first && set_in_order()) return;
  while (!broken()) {
    const uint64_t before = changes_so_far();
    if (round()) return;
    if (changes_so_far() == before) {
      settle_neighbours();
      return;
    }
  }
}

// ---- Bogo sorts: enumeration schemes ---------------------------------------------------------

// Adjacent-transposition order (plain changes): the recursion over the largest element unrolled
// into a counter c and a direction o per level; s is the offset the levels above give the
// smaller elements. Each step exchanges two neighbours.
bool plain_changes_round() {
  const int n = set_size();
  std::vector<int> c(n + 1, 0);
  std::vector<int> o(n + 1, 1);
  for (;;) {
    int j = n;
    int s = 0;
    for (;;) {
      if (broken()) return true;
      const int q = c[j] + o[j];
      if (q < 0) {
        o[j] = -o[j];
        --j;
        continue;
      }
      if (q == j) {
        if (j == 1) return false;
        ++s;
        o[j] = -o[j];
        --j;
        continue;
      }
      // 1-based places j - c[j] + s and j - q + s
      enumeration_exchange(j - c[j] + s - 1, j - q + s - 1);
      c[j] = q;
      if (step_done()) return true;
      break;
    }
  }
}

// Iterative adjacent-transposition enumeration by mobile labels: each label carries a direction;
// the largest label whose neighbour in its direction is smaller moves one place, and every larger
// label turns around. The labels (0 .. n-1 at the start positions) only steer the exchanges. The
// mirrored scheme makes the same moves on the positions counted from the right end.
bool mobile_labels(bool mirrored) {
  const int n = set_size();
  std::vector<int> label(n);
  std::vector<int> place(n);
  std::vector<int> dir(n, -1);
  for (int i = 0; i < n; ++i) label[i] = place[i] = i;
  for (;;) {
    if (broken()) return true;
    int mobile = -1;
    for (int v = n - 1; v >= 0 && mobile < 0; --v) {
      const int to = place[v] + dir[v];
      if (to >= 0 && to < n && label[to] < v) mobile = v;
    }
    if (mobile < 0) return false;
    const int from = place[mobile];
    const int to = from + dir[mobile];
    if (mirrored) {
      enumeration_exchange(n - 1 - from, n - 1 - to);
    } else {
      enumeration_exchange(from, to);
    }
    std::swap(label[from], label[to]);
    place[label[from]] = from;
    place[label[to]] = to;
    for (int v = mobile + 1; v < n; ++v) dir[v] = -dir[v];
    if (step_done()) return true;
  }
}

bool mobile_label_round() {
  return mobile_labels(false);
}
bool mobile_label_mirrored_round() {
  return mobile_labels(true);
}

// Heap's enumeration with a counter per position: position i is exchanged with c[i] when i is
// odd and with position 0 when i is even.
bool heap_iterative_round() {
  const int r = set_size() - 1;
  std::vector<int> c(r + 1, 0);
  int i = 0;
  while (i <= r) {
    if (broken()) return true;
    if (c[i] < i) {
      enumeration_exchange(i, (i & 1) != 0 ? c[i] : 0);
      if (step_done()) return true;
      ++c[i];
      i = 0;
    } else {
      c[i] = 0;
      ++i;
    }
  }
  return false;
}

// Recursive exchange enumeration: the first k - 1 positions are enumerated, position k - 1 is
// exchanged with a partner, and the first k - 1 are enumerated again, k - 1 exchanges in all.
// Rule 1: partner 0 for odd k, the loop count i for even k. Rule 2: partner 0 for odd k,
// k - 2 - i for even k. The recursion runs on a frame stack (k, exchanges done).
bool heap_recursive(bool rule_2) {
  struct Frame {
    int k;
    int i;
  };
  std::vector<Frame> frames{{set_size(), 0}};
  bool descend = true;
  while (!frames.empty()) {
    if (broken()) return true;
    Frame& f = frames.back();
    if (descend && f.k - 1 >= 2) {
      frames.push_back({f.k - 1, 0});
      continue;
    }
    if (f.i < f.k - 1) {
      const int partner = (f.k & 1) != 0 ? 0 : (rule_2 ? f.k - 2 - f.i : f.i);
      enumeration_exchange(partner, f.k - 1);
      ++f.i;
      if (step_done()) return true;
      descend = true;
    } else {
      frames.pop_back();
      descend = false;
    }
  }
  return false;
}
bool heap_rule_1_round() {
  return heap_recursive(false);
}
bool heap_rule_2_round() {
  return heap_recursive(true);
}

// Levels k = 2 .. n like the digits of a counter: level k makes k - 1 steps, each after the
// levels below have run through; with wrap_step it makes a k-th step that brings its part back
// before the carry goes to level k + 1.
using LevelStep = void (*)(int k);
bool level_counter_round(LevelStep step, bool wrap_step) {
  const int n = set_size();
  std::vector<int> c(n + 1, 0);
  for (;;) {
    int k = 2;
    for (; k <= n; ++k) {
      if (broken()) return true;
      if (c[k] < k - 1) {
        step(k);
        ++c[k];
        if (step_done()) return true;
        break;
      }
      if (wrap_step) {
        step(k);
        if (step_done()) return true;
      }
      c[k] = 0;
    }
    if (k > n) return false;
  }
}

void rotate_prefix_left(int k) {
  rotate_left_one(0, k - 1);
}
void rotate_prefix_right(int k) {
  rotate_right_one(0, k - 1);
}
void reverse_tail(int k) {
  reverse_range(set_size() - k, set_size() - 1, true);
}
void rotate_tail_right(int k) {
  rotate_right_one(set_size() - k, set_size() - 1);
}

bool rotation_left_round() {
  return level_counter_round(rotate_prefix_left, true);
}
bool rotation_right_round() {
  return level_counter_round(rotate_prefix_right, true);
}
bool tail_reversal_round() {
  return level_counter_round(reverse_tail, false);
}
bool tail_rotation_round() {
  return level_counter_round(rotate_tail_right, true);
}

// Permutation numbers in the factorial number system (digit i in 0 .. n-1-i), counted up one by
// one; each number names an arrangement of the start labels (digit i picks the i-th smallest
// label still free), which counted swappings then set up. Only the places from the first changed
// digit on are rebuilt. The count wraps to 0, the start arrangement, after n! numbers.
bool permutation_number_round() {
  const int n = set_size();
  std::vector<int> digit(n, 0);
  std::vector<int> label(n);
  std::vector<int> place(n);
  std::vector<int> target(n);
  for (int i = 0; i < n; ++i) label[i] = place[i] = target[i] = i;
  std::vector<int> free_labels;
  for (;;) {
    if (broken()) return true;
    int first = n - 2;
    while (first >= 0 && digit[first] == n - 1 - first) digit[first--] = 0;
    const bool wrapped = first < 0;
    if (wrapped) {
      first = 0;
    } else {
      ++digit[first];
    }
    free_labels.assign(target.begin() + first, target.end());
    std::sort(free_labels.begin(), free_labels.end());
    for (int i = first; i < n; ++i) {
      target[i] = free_labels[digit[i]];
      free_labels.erase(free_labels.begin() + digit[i]);
    }
    for (int p = first; p < n; ++p) {
      if (broken()) return true;
      if (label[p] == target[p]) continue;
      const int q = place[target[p]];
      enumeration_exchange(p, q);
      std::swap(label[p], label[q]);
      place[label[p]] = p;
      place[label[q]] = q;
    }
    if (step_done()) return true;
    if (wrapped) return false;
  }
}

// For each place t of the first m: exchange t with m - 1, enumerate the first m - 1 places when
// they are two or more, exchange the pair back. Frames (m, t, phase) replace the recursion.
bool swap_recurse_swap_round() {
  struct Frame {
    int m;
    int t;
    int phase;
  };
  std::vector<Frame> frames{{set_size(), 0, 0}};
  while (!frames.empty()) {
    if (broken()) return true;
    Frame& f = frames.back();
    if (f.t >= f.m) {
      frames.pop_back();
      continue;
    }
    const int t = f.t;
    const int m = f.m;
    if (f.phase == 0) {
      f.phase = 1;
      if (t != m - 1) {
        enumeration_exchange(t, m - 1);
        if (step_done()) return true;
      }
    } else if (f.phase == 1) {
      f.phase = 2;
      if (m - 1 >= 2) frames.push_back({m - 1, 0, 0});
    } else {
      f.phase = 0;
      ++f.t;
      if (t != m - 1) {
        enumeration_exchange(t, m - 1);
        if (step_done()) return true;
      }
    }
  }
  return false;
}

void bogo_sort() {
  switch (slow_variant()) {
    case 38:
    case 39:
      run_enumeration(plain_changes_round, true);
      break;
    case 40:
    case 41:
      run_enumeration(mobile_label_round, true);
      break;
    case 42:
      run_enumeration(heap_iterative_round, true);
      break;
    case 43:
    case 45:
      run_enumeration(heap_rule_1_round, true);
      break;
    case 44:
      run_enumeration(heap_rule_2_round, true);
      break;
    case 46:
    case 47:
      run_enumeration(mobile_label_mirrored_round, false);
      break;
    case 48:
      run_enumeration(rotation_left_round, true);
      break;
    case 49:
      run_enumeration(rotation_right_round, true);
      break;
    case 50:
      run_enumeration(tail_reversal_round, true);
      break;
    case 51:
      run_enumeration(tail_rotation_round, true);
      break;
    case 52:
      run_enumeration(permutation_number_round, true);
      break;
    case 53:
      run_enumeration(swap_recurse_swap_round, true);
      break;
    default:
      break;
  }
}

// ---- Bozo sorts ----------------------------------------------------------------------------

void bozo_sort() {
  const int v = slow_variant();
  const int n = set_size();
  const int r = n - 1;
  int distance = r / 2;      // 58
  while (!check_sorted()) {  // answers true once broken off
    if (v == 55) {
      random_exchange_round();
      continue;
    }
    main_loop_runnings.increment();
    if (v == 56) {
      const int i = static_cast<int>(Random(r));
      compare_exchange(i, i + 1);
    } else if (v == 57) {
      const int i = static_cast<int>(Random(n));
      const int j = static_cast<int>(Random(n));
      if (i != j) compare_exchange(std::min(i, j), std::max(i, j));
    } else {
      const int i = static_cast<int>(Random(n));
      distance += i;
      if (distance > r) distance -= r;
      if (i != distance) compare_exchange(std::min(i, distance), std::max(i, distance));
    }
  }
}

// ---- Shove sorts ---------------------------------------------------------------------------

// An element greater than its right neighbour is shoved to the end; the scan steps back one
// place to check the new neighbour pair.
void shove_sort_forward() {
  const int r = set_size() - 1;
  int i = 0;
  while (i < r && !broken()) {
    if (elem_greater(i, i + 1)) {
      rotate_left_one(i, r);
      i = std::max(i - 1, 0);
    } else {
      ++i;
    }
  }
}

// The mirror: an element smaller than its left neighbour is shoved to the front.
void shove_sort_backward() {
  const int r = set_size() - 1;
  int i = r;
  while (i > 0 && !broken()) {
    if (elem_less(i, i - 1)) {
      rotate_right_one(0, i);
      i = std::min(i + 1, r);
    } else {
      --i;
    }
  }
}

// ---- Healy sort ----------------------------------------------------------------------------

// Gapped insertion over lo..hi: each element from lo + gap on goes into a temporary, greater
// elements gap places before it move up, the temporary fills the hole. With counted set, the
// key tests are counted comparisons. A break-off stores the temporary in the current hole.
void gapped_insertion_pass(int lo, int hi, int gap, bool counted) {
  for (int k = lo + gap; k <= hi && !broken(); ++k) {
    Element held;
    read_element(k, held);
    int j = k;
    while (j - gap >= lo && !broken() &&
           (counted ? cmp_greater(elements[j - gap].key, held.key)
                    : elements[j - gap].key > held.key)) {
      move_element(j, j - gap);
      j -= gap;
    }
    store_element(j, held);
  }
}

// Compare-exchanges (i, i + gap) for i = 0, 1, ...; true when it exchanged anything.
bool gapped_exchange_pass(int gap) {
  bool exchanged = false;
  for (int i = 0; i + gap < set_size() && !broken(); ++i) {
    if (compare_exchange(i, i + gap)) exchanged = true;
  }
  return exchanged;
}

// Blocks of p1 elements, each gapped-insertion-sorted with the gaps p4, p3 and p2 (those below
// the block length), merged like a binary counter with the buffered merge; then gapped insertion
// over the whole set with the gaps 9, 6 and 4 and compare-exchange passes with the gaps 3, 2 and
// 1. The gaps leave the blocks only partly ordered, so the gap-1 pass is repeated until it
// exchanges nothing: the set then is sorted.
void healy_sort() {
  const int n = set_size();
  const int block = std::max(1, parameters.param1_healy);
  const int block_gaps[] = {parameters.param4_healy, parameters.param3_healy,
                            parameters.param2_healy};
  RunCounter runs(buffered_merge);
  for (int start = 0; start < n && !broken();) {
    const int s = std::min(block, n - start);
    for (int g : block_gaps) {
      if (g > 0 && g < s) gapped_insertion_pass(start, start + s - 1, g, false);
    }
    runs.add_run(start, start + s - 1);
    start += s;
  }
  runs.merge_all();
  for (int g : {9, 6, 4}) {
    if (g < n) gapped_insertion_pass(0, n - 1, g, true);
  }
  for (int g : {3, 2}) gapped_exchange_pass(g);
  while (gapped_exchange_pass(1) && !broken()) {
  }
}

// ---- Swirl sorts ---------------------------------------------------------------------------

// Passes over an active range, one main loop running each. Forward (386) over s..r: every
// element not in order before its right neighbour is a descent top; the tops go to the right
// end of the range from the lowest top p on, the staying elements before them, each group in its
// order; the next pass starts at p - 1. Backward (387) is the mirror over 0..e: elements not in
// order after their left neighbour (the stable comparison in its comes-after sense) go to the
// front, and the next pass ends at the highest of them + 1. Copies travel through the same slots
// of buffer_a; a break-off during the write-back still finishes it by counted operations.
void swirl_sort() {
  const bool forward = slow_variant() == 386;
  const int r = set_size() - 1;
  const int step = forward ? -1 : 1;  // from the far end of the range towards its bound
  const int far = forward ? r : 0;
  const bool stable = stable_comparings;
  std::vector<char> moved(r + 1, 0);
  int bound = forward ? 0 : r;
  auto inside = [&](int i) { return forward ? i >= bound : i <= bound; };
  while (!broken()) {
    main_loop_runnings.increment();
    int slot = far;
    int last = -1;
    for (int i = far + step; inside(i) && !broken(); i += step) {
      const int next = i - step;
      const bool in_order =
          stable ? (forward ? elem_stable_before(i, next) : elem_stable_after(i, next))
                 : (forward ? elements[i].key <= elements[next].key
                            : elements[i].key >= elements[next].key);
      if (!in_order) {
        move_to_buffer(slot, i);
        slot += step;
        moved[i] = 1;
        last = i;
      }
    }
    if (broken() || last < 0) return;  // only copies were made so far
    // The write-back runs to its end also after a break-off: the set lacks the descent tops.
    for (int i = far;; i += step) {
      if (!moved[i]) {
        move_to_buffer(slot, i);
        slot += step;
      }
      moved[i] = 0;
      store_element(i, buffer_a[i]);
      if (i == last) break;
    }
    bound = forward ? std::max(last - 1, 0) : std::min(last + 1, r);
  }
}

// ---- Stooge sorts --------------------------------------------------------------------------

// A range a..b of three or more with t = length div 3 sorts a..b-t, a+t..b and a..b-t again.
// 392 settles two-element sub-ranges by one compare-exchange; 393 compare-exchanges the ends of
// the whole set and of every sub-range before handling it. Frames (a, b, sub-ranges begun).
void stooge_sort() {
  const bool ends_first = slow_variant() == 393;
  const int n = set_size();
  if (n < 2) return;
  if (ends_first || n == 2) compare_exchange(0, n - 1);
  if (n == 2) return;
  auto* stack = TStackemulator::Create(0);
  stack->Push3(0, n - 1, 0);
  while (stack->IsNotEmpty() && !broken()) {
    int a = 0, b = 0, phase = 0;
    stack->Pop3(a, b, phase);
    if (phase == 3) continue;
    const int t = (b - a + 1) / 3;
    stack->Push3(a, b, phase + 1);
    const int sa = phase == 1 ? a + t : a;
    const int sb = phase == 1 ? b : b - t;
    if (ends_first) compare_exchange(sa, sb);
    if (sb - sa + 1 >= 3) {
      stack->Push3(sa, sb, 0);
    } else if (!ends_first) {
      compare_exchange(sa, sb);
    }
  }
  stack->Clear(true);
}

// ---- Slow, silly and combined sorts --------------------------------------------------------

// A range l..r with m = (l + r) div 2: both halves sorted the same way (the reverse members the
// right half first), then slow sort puts the larger maximum last and sorts l..r-1, silly sort
// puts the smaller minimum first and sorts l+1..r, the combination does both and sorts
// l+1..r-1. Frames (l, r, halves done); the final sort of a range replaces its frame.
void slow_silly_sort() {
  const int v = slow_variant();
  const bool right_first = v == 359 || v == 361 || v == 369;
  const bool slow = v == 368 || v == 369;
  const bool silly = v == 358 || v == 359;
  const int n = set_size();
  if (n < 2) return;
  auto* stack = TStackemulator::Create(0);
  stack->Push3(0, n - 1, 0);
  while (stack->IsNotEmpty() && !broken()) {
    int l = 0, r = 0, state = 0;
    stack->Pop3(l, r, state);
    const int m = (l + r) / 2;
    if (state < 2) {
      stack->Push3(l, r, state + 1);
      const bool left_half = (state == 0) != right_first;
      const int a = left_half ? l : m + 1;
      const int b = left_half ? m : r;
      if (a < b) stack->Push3(a, b, 0);
      continue;
    }
    int nl = l, nr = r;
    if (slow) {
      compare_exchange(m, r);
      nr = r - 1;
    } else if (silly) {
      compare_exchange(l, m + 1);
      nl = l + 1;
    } else {
      if (r - l == 2) {
        // Three elements: the right half is element r alone, which the maximum step would
        // overwrite before the minimum step reads it; the minimum goes first here.
        compare_exchange(l, m + 1);
        compare_exchange(m, r);
      } else {
        compare_exchange(m, r);
        compare_exchange(l, m + 1);
      }
      nl = l + 1;
      nr = r - 1;
    }
    if (nl < nr) stack->Push3(nl, nr, 0);
  }
  stack->Clear(true);
}

}  // namespace

void register_slow_sorts() {
  register_procedures({38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53}, bogo_sort);
  register_procedures({55, 56, 57, 58}, bozo_sort);
  register_procedure(87, healy_sort);
  register_procedure(356, shove_sort_forward);
  register_procedure(357, shove_sort_backward);
  register_procedures({358, 359, 360, 361, 368, 369}, slow_silly_sort);
  register_procedures({386, 387}, swirl_sort);
  register_procedures({392, 393}, stooge_sort);
}

}  // namespace mv

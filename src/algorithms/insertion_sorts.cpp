// Insertion sorts: straight, reverse and bidirectional binary insertion, the paired-step gnome
// variants, block insertion through buffer_a and in place, select insertion, minsertion and merge
// insertion. Shell sort and the randomized compare-exchange sorts are in shell_sorts.cpp.
#include "algorithms/insertion_sorts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "algorithms/block_swapping.h"
#include "algorithms/exchange_sorts.h"
#include "algorithms/insertion_sorts_detail.h"
#include "algorithms/quick_sorts.h"
#include "algorithms/quick_sorts_detail.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/stack_emulation.h"

namespace mv {

namespace insertion_detail {

void gapped_insertion(int lo, int hi, int from, int gap) {
  for (int i = from; i <= hi && !broken(); ++i) {
    Element held;
    read_element(i, held);
    int j = i;
    while (j - gap >= lo && !broken() && rec_greater(elements[j - gap], held)) {
      move_element(j, j - gap);
      j -= gap;
    }
    store_element(j, held);  // into the hole, also where a break-off stopped the shift
  }
}

}  // namespace insertion_detail

using namespace insertion_detail;

namespace {

// The first position of the sorted l .. h whose element is greater than the element at x (h + 1
// when there is none), by binary search with elem_greater; -1 after a break-off.
int first_greater(int l, int h, int x) {
  while (h >= l) {
    if (broken()) return -1;
    const int mid = (l + h) / 2;
    if (elem_greater(mid, x)) {
      h = mid - 1;
    } else {
      l = mid + 1;
    }
  }
  return l;
}

// Inserts the element at e into the sorted lo .. e - 1 behind every equal key.
void binary_insert_forward(int lo, int e, bool with_movings) {
  const int p = first_greater(lo, e - 1, e);
  if (p < 0) return;
  if (with_movings) {
    rotate_right_one(p, e);
  } else {
    for (int j = e - 1; j >= p && !broken(); --j) swap_elements(j, j + 1, true);
  }
}

}  // namespace

// ---- Shared insertion procedures ------------------------------------------------------------

void insert_forward(int lo, int hi, int start, bool with_movings) {
  for (int i = lo; i < hi && !broken(); ++i) {
    binary_insert_forward(lo, std::min(hi, std::max(start, i + 1)), with_movings);
  }
}

void insert_backward(int lo, int hi, int start, bool with_movings) {
  for (int i = hi; i > lo && !broken(); --i) {
    // h ends on the last position whose element does not come after the element at i - 1.
    int l = std::max(lo, std::min(start, i)), h = hi;
    while (h >= l) {
      if (broken()) return;
      const int mid = (l + h) / 2;
      if (elem_stable_after(mid, i - 1)) {
        h = mid - 1;
      } else {
        l = mid + 1;
      }
    }
    if (with_movings) {
      rotate_left_one(i - 1, h);
    } else {
      for (int j = i; j <= h && !broken(); ++j) swap_elements(j - 1, j, true);
    }
  }
}

void insert_bidirectional(int lo, int hi, bool with_movings) {
  if (hi <= lo) return;
  int a = (lo + hi) / 2, b = a;
  do {
    if (a > lo) {
      --a;
      insert_backward(a, b, a + 1, with_movings);
    }
    ++b;
    insert_forward(a, b, b, with_movings);
  } while (!broken() && b < hi);
}

namespace {

int integer_sqrt(int n) {
  int r = static_cast<int>(std::sqrt(static_cast<double>(n)));
  while (r > 0 && r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}

// ---- Straight, reverse and bidirectional insertion (103 .. 112) -----------------------------

bool with_movings_variant() {
  switch (variant()) {
    case 103:
    case 107:
    case 109:
    case 111:
      return true;
    default:
      return false;
  }
}

void insertion_sort_forward() {
  insert_forward(0, last_position(), 1, with_movings_variant());
}

void insertion_sort_reverse() {
  const int last = last_position();
  insert_backward(0, last, last, with_movings_variant());
}

void insertion_sort_bidirectional() {
  insert_bidirectional(0, last_position(), with_movings_variant());
}

// 111, 112: a sorted front and a sorted back, each one element longer per round, until the whole
// set is sorted (at the latest when the front reaches the end).
void insertion_sort_growing_ends() {
  const int last = last_position();
  const bool movings = with_movings_variant();
  int lo = 1, hi = last - 1;
  while (!check_sorted()) {
    insert_forward(0, std::min(lo, last), 1, movings);
    insert_backward(std::max(hi, 0), last, last, movings);
    ++lo;
    --hi;
  }
}

// 105, 106: pairs of neighbour compare-exchanges stepping down by two. 106 ends sorted; the pair
// order of 105's second phase can leave a few neighbours inverted (e.g. 2 3 0 1 ends as
// 0 2 1 3), so 105 finishes with a pass of neighbour insertion, which costs n - 1 comparisons on
// a sorted set. With two columns neither phase has a step, so the pair is compare-exchanged.
// Both additions are repairs and stay: the two phases alone leave those sets unsorted.
void insertion_sort_paired_steps() {
  const int n = column_count(), last = n - 1;
  const bool second_first = variant() == 105;
  auto step_down = [](int j) { return j > 1 ? j - 2 : j - 1; };
  if (last == 1) {
    compare_exchange(0, 1);
    return;
  }
  for (int i = 0; i <= n - 3; ++i) {
    for (int j = i + 1; j > 0; j = step_down(j)) {
      if (broken()) return;
      compare_exchange(j - 1, j);
      compare_exchange(j, j + 1);
    }
  }
  for (int m = last; m >= 2; --m) {
    for (int j = m - 1; j > 0; j = step_down(j)) {
      if (broken()) return;
      if (second_first) {
        compare_exchange(j, j + 1);
        compare_exchange(j - 1, j);
      } else {
        compare_exchange(j - 1, j);
        compare_exchange(j, j + 1);
      }
    }
  }
  if (second_first) quick_detail::insertion_by_compare_exchange(0, last);
}

// ---- Minsertion sort (188) ------------------------------------------------------------------

void minsertion_sort() {
  const int last = last_position();
  for (int i = 0; i < last && !broken(); ++i) {
    int m = i;
    for (int j = i + 1; j <= last; ++j) {
      if (broken()) return;
      if (elem_less(j, m)) m = j;
    }
    rotate_right_one(i, m);
  }
}

// ---- Block insertion through buffer_a (33, 34, 74) ------------------------------------------

// Merges the sorted buffer slots 0 .. b-1 into the sorted lo .. s-1 from the back; the positions
// s .. s+b-1 are free (their elements are in the buffer). On a break-off the slots still held
// fill the free positions, so the set keeps every element.
void merge_buffer_from_back(int lo, int s, int b) {
  int i = s - 1, k = b - 1;
  while (k >= 0) {
    if (broken()) {
      for (int q = 0; q <= k; ++q) store_element(i + 1 + q, buffer_a[q]);
      return;
    }
    while (i >= lo && !broken() && rec_greater(elements[i], buffer_a[k])) {
      move_element(i + k + 1, i);
      --i;
    }
    if (broken()) continue;
    store_element(i + k + 1, buffer_a[k]);
    --k;
  }
}

// Straight insertion inside buffer_a slots 0 .. b-1.
void sort_buffer(int b) {
  for (int k = 1; k < b && !broken(); ++k) {
    Element held;
    copy_record(buffer_a[k], held);
    int j = k;
    while (j > 0 && !broken() && rec_greater(buffer_a[j - 1], held)) {
      copy_record(buffer_a[j - 1], buffer_a[j]);
      --j;
    }
    copy_record(held, buffer_a[j]);
  }
}

void move_block_to_buffer(int s, int b) {
  for (int k = 0; k < b; ++k) move_to_buffer(k, s + k);
}

void block_insertion_sort_with(int b) {
  const int n = column_count();
  b = std::clamp(b, 1, n);
  gapped_insertion(0, b - 1, 1, 1);
  for (int s = b; s < n && !broken(); s += b) {
    b = std::min(b, n - s);
    move_block_to_buffer(s, b);
    sort_buffer(b);
    merge_buffer_from_back(0, s, b);
  }
}

void block_insertion_sort() {
  block_insertion_sort_with(integer_sqrt(column_count()));
}

// ⌊n^exponent⌋; a block of at least one element also for an exponent outside 0 < e < 1.
void block_insertion_sort_1() {
  const int n = column_count();
  const double b = std::floor(std::exp(std::log(static_cast<double>(n)) * parameters.exponent));
  block_insertion_sort_with(b >= 1 ? static_cast<int>(std::min<double>(b, n)) : 1);
}

// 74: a range at depth d is cut into blocks of ⌈len^((d-1)/d)⌉, about len^(1/d) of them; each
// block is sorted one level deeper and merged into the sorted front through buffer_a. With depth
// log_b n every level splits into about b blocks.
int fast_insertion_block(int len, int depth) {
  if (depth <= 0) return len;
  const double k = std::ceil(std::pow(len, static_cast<double>(depth - 1) / depth) - 1e-9);
  return std::clamp(static_cast<int>(k), 1, len);
}

int fast_insertion_depth(int n, double base) {
  if (!(base > 1)) base = 2.0;  // as the prompt corrects a base of 1 or less
  const double h = std::floor(std::log(static_cast<double>(n)) / std::log(base) + 1e-9);
  return h >= 1 ? static_cast<int>(std::min(h, 65535.0)) : 0;
}

void fast_insertion_sort() {
  const int last = last_position();
  // Frames (lo, hi, depth, s, phase): phase 0 visits a range; phase 1 has just sorted the block
  // that starts at s and inserts it into lo .. s-1.
  TStackemulator stack;
  stack.Push5(0, last, fast_insertion_depth(last + 1, parameters.log_base), 0, 0);
  while (stack.IsNotEmpty() && !broken()) {
    int lo, hi, depth, s, phase;
    stack.Pop5(lo, hi, depth, s, phase);
    const int len = hi - lo + 1;
    const int k = fast_insertion_block(len, depth);
    if (phase == 0) {
      if (len < 2) continue;
      if (depth == 0 || len <= k) {
        insert_bidirectional(lo, hi, true);
        continue;
      }
      s = lo;
    } else {
      const int e = std::min(s + k, hi + 1) - 1;
      if (s > lo) {
        move_block_to_buffer(s, e - s + 1);
        merge_buffer_from_back(lo, s, e - s + 1);
      }
      s = e + 1;
      if (s > hi) continue;
    }
    stack.Push5(lo, hi, depth, s, 1);
    stack.Push5(s, std::min(s + k, hi + 1) - 1, depth - 1, 0, 0);
  }
}

// ---- In-place block insertion (101, 102) ----------------------------------------------------

// Merges the sorted lo .. m-1 and m .. last in place: the largest element of the right run goes
// behind every left element not greater than it; the left elements greater than it change
// places with the right run by block swapping, and the right run loses its largest element.
void merge_by_rotations(int lo, int m, int last) {
  while (lo < m && m <= last && !broken()) {
    const int l = first_greater(lo, m - 1, last);
    if (l < 0) return;
    if (l < m) {
      const int right = last - m + 1;
      block_swap(l, m, last);
      m = l;
      last = l + right - 2;
    } else {
      --last;
    }
  }
}

void in_place_insertion_block_sort() {
  const int n = column_count();
  const int b = std::max(1, integer_sqrt(n));
  for (int s = 0; s < n && !broken(); s += b) {
    const int e = std::min(s + b, n) - 1;
    insert_forward(s, e, s + 1, true);
    if (s > 0) merge_by_rotations(0, s, e);
  }
}

// 102: the first n - ⌊√n⌋ elements by the iterative quick sort, the others one by one by binary
// insertion with a one-step rotation.
void in_place_rb_insertion_sort() {
  const int n = column_count(), last = n - 1;
  const int front = n - integer_sqrt(n);
  if (front >= 2) quick_sort_ranges(0, front - 1, quick_order_stack, true);
  for (int i = std::max(front, 1); i <= last && !broken(); ++i) binary_insert_forward(0, i, true);
}

// ---- Select insertion sort (323) ------------------------------------------------------------

void select_insertion_sort() {
  const int n = column_count(), last = n - 1;
  const int b = std::max(1, integer_sqrt(n));
  const int e = b * (n / b);
  for (int s = 0; s < e && !broken(); s += b) gapped_insertion(s, s + b - 1, s + 1, 1);
  for (int i = 0; i < e && !broken(); ++i) {
    // The rest of i's own block is sorted, so its minimum stands at i; every other block's at
    // its head.
    Element least;
    read_element(i, least);
    int m = i;
    for (int k = (i / b + 1) * b; k < e; k += b) {
      if (broken()) return;
      if (rec_less(elements[k], least)) {
        read_element(k, least);
        m = k;
      }
    }
    if (m == i) continue;
    swap_elements(i, m, true);
    // The displaced element sinks into its place in the block that starts at m.
    Element held;
    read_element(m, held);
    int q = m + 1;
    while (q < m + b && !broken() && rec_less(elements[q], held)) {
      move_element(q - 1, q);
      ++q;
    }
    store_element(q - 1, held);
  }
  gapped_insertion(0, last, e, 1);
}

// ---- Merge insertion (116, 117) -------------------------------------------------------------

// Merges the pair runs l .. mid and mid+1 .. r (pair p = positions 2p, 2p + 1) by their larger
// members; the left run waits in buffer_a, two slots per pair. The pairs still in the buffer
// after a break-off fill the free pairs, which lie right before the unmerged right pairs.
void merge_pair_runs(int l, int mid, int r) {
  const int left = mid - l + 1;
  for (int p = 0; p < left; ++p) {
    move_to_buffer(2 * p, 2 * (l + p));
    move_to_buffer(2 * p + 1, 2 * (l + p) + 1);
  }
  int i = 0, j = mid + 1, out = l;
  while (i < left && j <= r && !broken()) {
    if (rec_greater(buffer_a[2 * i + 1], elements[2 * j + 1])) {
      move_element(2 * out, 2 * j);
      move_element(2 * out + 1, 2 * j + 1);
      ++j;
    } else {
      store_element(2 * out, buffer_a[2 * i]);
      store_element(2 * out + 1, buffer_a[2 * i + 1]);
      ++i;
    }
    ++out;
  }
  for (; i < left; ++i, ++out) {
    store_element(2 * out, buffer_a[2 * i]);
    store_element(2 * out + 1, buffer_a[2 * i + 1]);
  }
}

// The pairs 0 .. m-1 sorted by their larger members: the split tree of the top-down merge sort
// (halves at (l + r) div 2), merged level by level from the deepest.
void merge_pairs(int m) {
  struct Node {
    int l, r, level;
  };
  std::vector<Node> nodes;
  if (m >= 2) nodes.push_back({0, m - 1, 0});
  for (size_t k = 0; k < nodes.size(); ++k) {
    const Node node = nodes[k];
    const int mid = (node.l + node.r) / 2;
    if (node.l < mid) nodes.push_back({node.l, mid, node.level + 1});
    if (mid + 1 < node.r) nodes.push_back({mid + 1, node.r, node.level + 1});
  }
  // Breadth-first, so the levels ascend: merging from the back goes deepest first.
  for (size_t k = nodes.size(); k-- > 0 && !broken();) {
    merge_pair_runs(nodes[k].l, (nodes[k].l + nodes[k].r) / 2, nodes[k].r);
  }
}

// The order in which the smaller members b_2 .. b_count (1-based; b_1 starts the chain) are
// inserted. 116: Ford and Johnson's groups ending at (2^(k+1) + (-1)^k) / 3 = 3, 5, 11, 21, ...,
// each inserted from its end down, so every search covers at most 2^k - 1 chain elements.
// 117: from left to right.
std::vector<int> merge_insertion_order(int count, bool groups) {
  std::vector<int> order;
  if (!groups) {
    for (int j = 2; j <= count; ++j) order.push_back(j);
    return order;
  }
  int64_t previous = 1, power = 4;
  for (int k = 2; previous < count; ++k) {
    power *= 2;
    const int64_t end = (power + (k % 2 == 0 ? 1 : -1)) / 3;
    for (int64_t j = std::min<int64_t>(end, count); j > previous; --j) {
      order.push_back(static_cast<int>(j));
    }
    previous = end;
  }
  return order;
}

void merge_insertion_sort() {
  const int n = column_count();
  if (n < 2) return;
  const int pairs = n / 2;
  for (int p = 0; p < pairs; ++p) {
    if (broken()) return;
    compare_exchange(2 * p, 2 * p + 1);
  }
  merge_pairs(pairs);
  if (broken()) return;

  // Now b_j (the smaller member of pair j - 1, or the odd last element as b_{pairs+1}) stands at
  // 2(j - 1), right before its larger member. The chain (b_1 and every larger member, in
  // position order) is marked in target_position; the mark travels with the element. An
  // unmarked element always stands right before its larger member, so the chain elements
  // before it are the ones it can belong between.
  for (int i = 0; i < n; ++i) elements[i].target_position = (i == 0 || i % 2 == 1) ? 1 : 0;
  if (n % 2 == 1) elements[n - 1].target_position = 0;
  const int count = (n + 1) / 2;
  std::vector<int> position(static_cast<size_t>(count) + 1);
  for (int j = 1; j <= count; ++j) position[j] = 2 * (j - 1);
  std::vector<bool> inserted(static_cast<size_t>(count) + 1, false);
  std::vector<int> chain;
  for (int j : merge_insertion_order(count, variant() == 116)) {
    if (broken()) break;
    const int x = position[j];
    chain.clear();
    for (int p = x - 1; p >= 0; --p) {
      if (elements[p].target_position) chain.push_back(p);
    }
    std::reverse(chain.begin(), chain.end());
    int l = 0, h = static_cast<int>(chain.size()) - 1;
    while (h >= l) {
      const int mid = (l + h) / 2;
      if (rec_greater(elements[chain[mid]], elements[x])) {
        h = mid - 1;
      } else {
        l = mid + 1;
      }
    }
    const int target = l == 0 ? 0 : chain[l - 1] + 1;
    rotate_right_one(target, x);
    elements[target].target_position = 1;
    inserted[j] = true;
    for (int q = 2; q <= count; ++q) {
      if (!inserted[q] && position[q] >= target && position[q] < x) ++position[q];
    }
  }
  for (int i = 0; i < n; ++i) elements[i].target_position = 0;
}

}  // namespace

// ---- Registration ---------------------------------------------------------------------------

void register_insertion_sorts() {
  register_procedure(33, block_insertion_sort);
  register_procedure(34, block_insertion_sort_1);
  register_procedure(74, fast_insertion_sort);
  register_procedure(101, in_place_insertion_block_sort);
  register_procedure(102, in_place_rb_insertion_sort);
  register_procedures({103, 104}, insertion_sort_forward);
  register_procedures({105, 106}, insertion_sort_paired_steps);
  register_procedures({107, 108}, insertion_sort_reverse);
  register_procedures({109, 110}, insertion_sort_bidirectional);
  register_procedures({111, 112}, insertion_sort_growing_ends);
  register_procedures({116, 117}, merge_insertion_sort);
  register_procedure(188, minsertion_sort);
  register_procedure(323, select_insertion_sort);
  register_shell_sorts();
}

}  // namespace mv

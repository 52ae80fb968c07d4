// Sorting networks: the bitonic merge sorts, the Bose-Nelson network, Batcher's odd-even merge
// sort, the pairwise network, the shear sorts and the zig-zag sorts. Everything is built from
// compare-exchanges; only the buffered bitonic merge moves records through buffer_a.
//
// The power-of-two networks also sort other lengths: the ascending-only networks (odd-even
// merge, pairwise) run on the next power of two and leave out every comparator that reaches
// beyond the set, as if the missing positions held keys larger than all others; the bitonic
// merges split a length that is no power of two at the largest power of two below it.
#include "algorithms/sorting_networks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "algorithms/exchange_sorts.h"
#include "algorithms/merge_sorts.h"
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

// The smallest power of two not below n.
int power_of_two_cover(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

int floor_log2(int n) {
  int k = 0;
  while ((n >> (k + 1)) > 0) ++k;
  return k;
}

using BitonicMerge = void (*)(int l, int r, bool ascending);

void merge_split_left(int l, int r, bool ascending) {
  bitonic_merge_split(l, r, ascending, HalfOrder::left_first);
}
void merge_split_right(int l, int r, bool ascending) {
  bitonic_merge_split(l, r, ascending, HalfOrder::right_first);
}
void merge_split_random(int l, int r, bool ascending) {
  bitonic_merge_split(l, r, ascending, HalfOrder::random_first);
}

BitonicMerge merge_of(int index) {
  switch (index) {
    case 9:
    case 11:
      return bitonic_merge_buffered;
    case 14:
    case 20:
      return bitonic_merge_network;
    case 17:
    case 23:
      return merge_split_right;
    case 18:
    case 24:
      return merge_split_random;
    default:  // 10, 12, 16, 22
      return merge_split_left;
  }
}

// ---- Bitonic sorts --------------------------------------------------------------------------

// 9, 10, 20, 22-24: the left half ascending, the right half descending, then the whole range
// merged in its own direction; frames (l, r, ascending, merge pending) on the stack.
void bitonic_sort_recursive(BitonicMerge merge) {
  PStackemulator stack;
  stack.PushN(0u, static_cast<uint32_t>(last_position()), 1u, 0u);
  while (stack.Depth() > 0 && !broken()) {
    uint32_t l, r, ascending, merge_pending;
    stack.PopN(l, r, ascending, merge_pending);
    if (l >= r) continue;
    if (merge_pending != 0) {
      merge(static_cast<int>(l), static_cast<int>(r), ascending != 0);
      continue;
    }
    const uint32_t m = (l + r) / 2;
    stack.PushN(l, r, ascending, 1u);
    stack.PushN(m + 1, r, 0u, 0u);
    stack.PushN(l, m, 1u, 0u);
  }
}

// 14, 16-18: blocks of 2, 4, 8, ... merged with alternating directions, the first block of each
// size ascending; the block that covers the set is ascending. A last block cut short by the end
// of the set is still a rising and falling range.
void bitonic_sort_iterative(BitonicMerge merge) {
  const int n = column_count();
  for (int64_t size = 2;; size *= 2) {
    int64_t block = 0;
    for (int64_t start = 0; start < n; start += size, ++block) {
      if (broken()) return;
      const int end = static_cast<int>(std::min<int64_t>(start + size, n) - 1);
      merge(static_cast<int>(start), end, size >= n || block % 2 == 0);
    }
    if (size >= n) return;
  }
}

// 26: the nodes of the split tree merged level by level from the deepest.
void bitonic_sort_split_tree() {
  const std::vector<SplitNode> tree = build_split_tree(0, last_position());
  for (size_t h = tree.size(); h > 1; h /= 2) {
    for (size_t k = h / 2; k < h; ++k) {
      if (broken()) return;
      if (tree[k].active) bitonic_merge_buffered(tree[k].l, tree[k].r, split_node_ascending(k));
    }
  }
}

// 11, 12: passes over the bitonic stretches, merged with alternating directions. A pass whose
// first stretch is the whole set merges it ascending and ends the sort; a set that already
// stands in order ends without a merge.
void bitonic_natural_sort(BitonicMerge merge) {
  const int last = last_position();
  for (;;) {
    bool ascending = true;
    for (int from = 0; from <= last;) {
      if (broken()) return;
      int peak = from;
      const int end = bitonic_stretch_end(from, last, &peak);
      if (broken()) return;
      if (from == 0 && end == last) {
        if (peak < last) merge(0, last, true);
        return;
      }
      merge(from, end, ascending);
      ascending = !ascending;
      from = end + 1;
    }
  }
}

void bitonic_entry() {
  const int index = algorithm_index.load(std::memory_order_relaxed);
  const BitonicMerge merge = merge_of(index);
  switch (index) {
    case 11:
    case 12:
      return bitonic_natural_sort(merge);
    case 14:
    case 16:
    case 17:
    case 18:
      return bitonic_sort_iterative(merge);
    case 26:
      return bitonic_sort_split_tree();
    default:  // 9, 10, 20, 22-24
      return bitonic_sort_recursive(merge);
  }
}

// ---- Bose-Nelson (54) -----------------------------------------------------------------------

// Frames (kind, i, x, j, y): kind 0 sorts the x elements from i, kind 1 merges the x elements
// from i with the y elements from j.
void bose_nelson_sort() {
  PStackemulator stack;
  stack.PushN(0u, 0u, static_cast<uint32_t>(column_count()), 0u, 0u);
  while (stack.Depth() > 0 && !broken()) {
    uint32_t kind, i, x, j, y;
    stack.PopN(kind, i, x, j, y);
    if (kind == 0) {
      const uint32_t m = x / 2;
      stack.PushN(1u, i, m, i + m, x - m);
      if (x - m > 1) stack.PushN(0u, i + m, x - m, 0u, 0u);
      if (m > 1) stack.PushN(0u, i, m, 0u, 0u);
      continue;
    }
    if (x == 0 || y == 0) continue;
    const int a = static_cast<int>(i), b = static_cast<int>(j);
    if (x == 1 && y == 1) {
      network_compare_exchange(a, b, true);
    } else if (x == 1 && y == 2) {
      network_compare_exchange(a, b + 1, true);
      if (!broken()) network_compare_exchange(a, b, true);
    } else if (x == 2 && y == 1) {
      network_compare_exchange(a, b, true);
      if (!broken()) network_compare_exchange(a + 1, b, true);
    } else {
      const uint32_t p = x / 2;
      const uint32_t q = (x % 2 != 0) ? y / 2 : (y + 1) / 2;
      stack.PushN(1u, i + p, x - p, j, q);
      stack.PushN(1u, i + p, x - p, j + q, y - q);
      stack.PushN(1u, i, p, j, q);
    }
  }
}

// ---- Odd-even merge sort (173, 174) ---------------------------------------------------------

// Compare-exchanges i and j ascending when j lies inside the set.
inline void clipped(int i, int j, int n) {
  if (j < n) network_compare_exchange(i, j, true);
}

// 173: Batcher's recursion on the stack over the next power of two. Frames (kind, lo, length,
// p): kind 0 sorts lo .. lo + length - 1; kind 1 merges it with step p (its two interleaved
// halves first); kind 2 is the closing comparators of such a merge.
void odd_even_merge_sort_recursive() {
  const int n = column_count();
  PStackemulator stack;
  stack.PushN(0u, 0u, static_cast<uint32_t>(power_of_two_cover(n)), 0u);
  while (stack.Depth() > 0 && !broken()) {
    uint32_t kind, lo, length, p;
    stack.PopN(kind, lo, length, p);
    if (static_cast<int>(lo) >= n) continue;  // every comparator lies beyond the set
    if (kind == 0) {
      if (length < 2) continue;
      const uint32_t half = length / 2;
      stack.PushN(1u, lo, length, 1u);
      stack.PushN(0u, lo + half, half, 0u);
      stack.PushN(0u, lo, half, 0u);
    } else if (kind == 1) {
      if (2 * p < length) {
        stack.PushN(2u, lo, length, p);
        stack.PushN(1u, lo + p, length, 2 * p);
        stack.PushN(1u, lo, length, 2 * p);
      } else {
        clipped(static_cast<int>(lo), static_cast<int>(lo + p), n);
      }
    } else {
      // The comparators of distance p that join the two interleaved halves.
      for (int64_t i = lo + p; i + p < static_cast<int64_t>(lo) + length; i += 2 * p) {
        if (broken()) return;
        clipped(static_cast<int>(i), static_cast<int>(i + p), n);
      }
    }
  }
}

// 174: the same comparators by nested loops: merge stage p, distance k, group start j, offset i;
// a comparator is used when both ends lie in the same block of 2p.
void odd_even_merge_sort_iterative() {
  const int n = column_count();
  const int size = power_of_two_cover(n);
  for (int p = 1; p < size; p *= 2) {
    for (int k = p; k >= 1; k /= 2) {
      for (int j = k % p; j + k < n; j += 2 * k) {
        for (int i = 0; i < k && i + j + k < n; ++i) {
          if (broken()) return;
          if ((i + j) / (2 * p) == (i + j + k) / (2 * p)) {
            network_compare_exchange(i + j, i + j + k, true);
          }
        }
      }
    }
  }
}

// ---- Pairwise sorting network (175-177) -----------------------------------------------------

// 175: the recursion of the pairwise network on the stack. A frame (lo, length, step, stage)
// stands for the elements lo, lo + step, ...: stage 0 orders its pairs and sorts the first and
// the second members of the pairs; stage 1 is the correction at odd distances 2^k - 1.
void pairwise_sort_recursive() {
  const int n = column_count();
  PStackemulator stack;
  stack.PushN(0u, static_cast<uint32_t>(power_of_two_cover(n)), 1u, 0u);
  while (stack.Depth() > 0 && !broken()) {
    uint32_t lo, length, step, stage;
    stack.PopN(lo, length, step, stage);
    if (length < 2 || static_cast<int>(lo) >= n) continue;
    const int64_t l = lo, s = step;
    if (stage == 0) {
      for (int64_t i = 0; i < length / 2; ++i) {
        if (broken()) return;
        const int64_t b = l + (2 * i + 1) * s;
        if (b < n) network_compare_exchange(static_cast<int>(b - s), static_cast<int>(b), true);
      }
      stack.PushN(lo, length, step, 1u);
      stack.PushN(lo + step, length / 2, 2 * step, 0u);
      stack.PushN(lo, length / 2, 2 * step, 0u);
      continue;
    }
    for (int64_t k = length / 2; k >= 2; k /= 2) {
      const int64_t d = k - 1;
      for (int64_t j = 1; j + d < length; j += 2) {
        if (broken()) return;
        const int64_t b = l + (j + d) * s;
        if (b < n) network_compare_exchange(static_cast<int>(l + j * s), static_cast<int>(b), true);
      }
    }
  }
}

// 176: the same network level by level over the positions: first the pairs at distances
// 1, 2, 4, ... (b in an odd block of a), then the corrections at distances d * a for
// d = 2^k - 1 (b in an even block of a).
void pairwise_sort_iterative() {
  const int n = column_count();
  const int size = power_of_two_cover(n);
  for (int a = 1; a < size; a *= 2) {
    for (int b = a; b < n; ++b) {
      if (broken()) return;
      if ((b / a) % 2 == 1) network_compare_exchange(b - a, b, true);
    }
  }
  for (int a = size / 4, e = 1; a > 0; a /= 2, e = 2 * e + 1) {
    for (int d = e; d > 0; d /= 2) {
      for (int b = (d + 1) * a; b < n; ++b) {
        if (broken()) return;
        if ((b / a) % 2 == 0) network_compare_exchange(b - d * a, b, true);
      }
    }
  }
}

// 177: the same comparators in the same order, walked block by block.
void pairwise_sort_blocks() {
  const int n = column_count();
  const int size = power_of_two_cover(n);
  for (int a = 1; a < size; a *= 2) {
    for (int base = a; base < n; base += 2 * a) {
      for (int b = base; b < base + a && b < n; ++b) {
        if (broken()) return;
        network_compare_exchange(b - a, b, true);
      }
    }
  }
  for (int a = size / 4, e = 1; a > 0; a /= 2, e = 2 * e + 1) {
    for (int d = e; d > 0; d /= 2) {
      for (int base = (d + 1) * a; base < n; base += 2 * a) {
        for (int b = base; b < base + a && b < n; ++b) {
          if (broken()) return;
          network_compare_exchange(b - d * a, b, true);
        }
      }
    }
  }
}

// ---- Shear sorts (327, 330) -----------------------------------------------------------------

// The second column pass of shear sort 2: column j of the even rows joined with column c-1-j of
// the odd rows, sorted top to bottom by odd-even transposition.
void twisted_column_sort(int j, int p, int c) {
  auto at = [j, c](int row) { return row * c + (row % 2 == 0 ? j : c - 1 - j); };
  for (int pass = 1; pass <= p; ++pass) {
    for (int row = pass % 2; row + 1 < p; row += 2) {
      if (broken()) return;
      network_compare_exchange(at(row), at(row + 1), true);
    }
  }
}

// 327: rows in snake order, then columns; finally every row ascending, which turns the snake
// order into reading order. 330: rows all ascending, then the straight and the twisted column
// pass; that ends in reading order by itself.
void shear_sort() {
  const int n = column_count();
  const bool snake = algorithm_index.load(std::memory_order_relaxed) == 327;
  const int p = shear_sort_rows(n);
  const int c = n / p;
  const int rounds = shear_sort_rounds(p);
  auto rows = [&](bool all_ascending) {
    for (int g = 0; g < p && !broken(); ++g) {
      odd_even_line_sort(g * c, g * c + c - 1, 1, all_ascending || g % 2 == 0);
    }
  };
  for (int round = 0; round < rounds && !broken(); ++round) {
    rows(!snake);
    for (int j = 0; j < c && !broken(); ++j) odd_even_line_sort(j, j + (p - 1) * c, c, true);
    if (!snake) {
      for (int j = 0; j < c && !broken(); ++j) twisted_column_sort(j, p, c);
    }
  }
  if (snake) rows(true);
  if (!broken() && settings.stabilize_locally.load(std::memory_order_relaxed)) {
    stabilize_range(0, n - 1);
  }
}

// ---- Zig-zag sorts (395-397) ----------------------------------------------------------------

// The zig-zag merge of lo..hi: the zig sweep pairs the two halves mirror-wise from the outside
// in (and the middle element of an odd length with its right neighbour), the zag sweep pairs
// them in parallel, first with first.
void zigzag_merge(int lo, int hi) {
  int i = lo, j = hi;
  for (; i < j; ++i, --j) {
    if (broken()) return;
    network_compare_exchange(i, j, true);
  }
  if (i == j && j < hi) network_compare_exchange(i, i + 1, true);
  const int h = (hi - lo + 2) / 2;
  for (int k = lo; k + h <= hi; ++k) {
    if (broken()) return;
    network_compare_exchange(k, k + h, true);
  }
}

// The full pass: the zig-zag merge of the block, then of its halves, down to pieces of fewer
// than five elements, which the gap passes sort. Quartering: the zig-zag merge of the left half,
// the middle half (second and third quarter) and the right half of each piece instead.
void zigzag_walk(int lo, int hi, bool quartering) {
  PStackemulator stack;
  stack.PushN(static_cast<uint32_t>(lo), static_cast<uint32_t>(hi));
  while (stack.Depth() > 0 && !broken()) {
    uint32_t a, b;
    stack.PopN(a, b);
    const uint32_t length = b - a + 1;
    if (length < 5) {
      gap_passes(static_cast<int>(a), static_cast<int>(b));
      continue;
    }
    uint32_t m = a + (length + 1) / 2;
    if (quartering) {
      m = a + length / 2;
      const uint32_t q1 = a + length / 4, q3 = a + (3 * length) / 4;
      zigzag_merge(static_cast<int>(a), static_cast<int>(m - 1));
      zigzag_merge(static_cast<int>(q1), static_cast<int>(q3 - 1));
      zigzag_merge(static_cast<int>(m), static_cast<int>(b));
    } else {
      zigzag_merge(static_cast<int>(a), static_cast<int>(b));
    }
    stack.PushN(m, b);
    stack.PushN(a, m - 1);
  }
}

void zigzag_procedure(int lo, int hi, int index) {
  if (index != 395) zigzag_walk(lo, hi, false);
  if (index != 397 && !broken()) zigzag_walk(lo, hi, true);
}

// The sortedness test of the rounds. With "stable comparings" on, equal keys must also stand in
// start order, or the rounds would stop on a set that is sorted by key but not stable.
bool zigzag_in_order() {
  if (!settings.stable_comparings_active()) return check_sorted();
  const int last = last_position();
  for (int i = 0; i < last; ++i) {
    if (broken()) return true;
    if (!elem_stable_before(i, i + 1)) return false;
  }
  return true;
}

// Odd-even transposition over the whole set, even pairs then odd pairs.
void transposition_passes() {
  const int last = last_position();
  for (int start = 0; start <= 1; ++start) {
    for (int i = start; i < last; i += 2) {
      if (broken()) return;
      network_compare_exchange(i, i + 1, true);
    }
  }
}

// Rounds with blocks halving from the whole set on, each round only while the set is unsorted.
// The rounds need not sort every set; the procedure then goes on over the whole set until it is
// sorted, with a pair of transposition passes after any pass that exchanged nothing, so that
// every further pass removes at least one inversion.
void zigzag_sort() {
  const int n = column_count();
  const int index = algorithm_index.load(std::memory_order_relaxed);
  const int rounds = std::max(1, floor_log2(n) - 2);
  for (int t = 1; t <= rounds; ++t) {
    if (zigzag_in_order() || broken()) return;
    const int64_t blocks = int64_t{1} << (t - 1);
    const int size = static_cast<int>((n + blocks - 1) / blocks);
    for (int start = 0; start < n && !broken(); start += size) {
      zigzag_procedure(start, std::min(start + size, n) - 1, index);
    }
  }
  while (!broken() && !zigzag_in_order()) {
    const uint64_t before = swappings.get();
    zigzag_procedure(0, n - 1, index);
    if (swappings.get() == before) transposition_passes();
  }
}

}  // namespace

// ---- Shared steps ---------------------------------------------------------------------------

void network_compare_exchange(int i, int j, bool ascending) {
  if (ascending || !settings.optional_swaps.load(std::memory_order_relaxed)) {
    compare_exchange(i, j, ascending, true);
  } else {
    compare_exchange(j, i, true, true);
  }
}

int power_of_two_below(int length) {
  int h = 1;
  while (2 * h < length) h *= 2;
  return h;
}

void bitonic_merge_buffered(int l, int r, bool ascending) {
  if (r < l) return;
  for (int k = l; k <= r; ++k) {
    if (broken()) return;  // the set is untouched while it is copied
    move_to_buffer(k, k);
  }
  int i = l, j = r;
  int out = ascending ? l : r;
  const int step = ascending ? 1 : -1;
  while (i <= j) {
    if (broken()) {  // the positions still to write take the records still buffered
      while (i <= j) {
        store_element(out, buffer_a[i++]);
        out += step;
      }
      return;
    }
    bool left = true;
    if (i < j) {
      left = ascending ? rec_stable_before(buffer_a[i], buffer_a[j])
                       : !rec_stable_after(buffer_a[i], buffer_a[j]);
    }
    store_element(out, left ? buffer_a[i++] : buffer_a[j--]);
    out += step;
  }
}

void bitonic_merge_split(int l, int r, bool ascending, HalfOrder order) {
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
      network_compare_exchange(static_cast<int>(a) + t, static_cast<int>(a) + t + h, ascending);
    }
    const uint32_t first = static_cast<uint32_t>(ascending ? length - h : h);
    const bool right_first =
        order == HalfOrder::right_first || (order == HalfOrder::random_first && U() >= 0.5L);
    if (right_first) {
      stack.PushN(a, a + first - 1);
      stack.PushN(a + first, b);
    } else {
      stack.PushN(a + first, b);
      stack.PushN(a, a + first - 1);
    }
  }
}

void bitonic_merge_network(int l, int r, bool ascending) {
  if (r <= l) return;
  for (int h = power_of_two_below(r - l + 1); h > 0 && !broken(); h /= 2) {
    for_each_bitonic_pair(l, r, ascending, h, [ascending](int i, int j) {
      if (!broken()) network_compare_exchange(i, j, ascending);
    });
  }
}

int bitonic_stretch_end(int from, int to, int* peak) {
  int k = from;
  while (k < to && !broken() && elem_stable_before(k, k + 1)) ++k;
  if (peak != nullptr) *peak = k;
  while (k < to && !broken() && elem_stable_after(k, k + 1)) ++k;
  return k;
}

int shear_sort_rows(int n) {
  int p = std::clamp<int>(parameters.Param_shearsort, 1, std::max(n, 1));
  while (p > 1 && n % p != 0) --p;
  return p;
}

int shear_sort_rounds(int p) {
  return static_cast<int>(std::lround(std::log2(static_cast<double>(std::max(p, 1))))) + 2;
}

void odd_even_line_pass(int first, int last, int step, int start_parity, bool ascending) {
  for (int i = first + start_parity * step; i + step <= last; i += 2 * step) {
    if (broken()) return;
    network_compare_exchange(i, i + step, ascending);
  }
}

void odd_even_line_sort(int first, int last, int step, bool ascending) {
  const int count = (last - first) / step + 1;
  for (int pass = 1; pass <= count && !broken(); ++pass) {
    odd_even_line_pass(first, last, step, pass % 2, ascending);
  }
}

void gap_passes(int lo, int hi) {
  const int length = hi - lo + 1;
  int gap = 1;
  while (2 * gap + 1 < length) gap = 2 * gap + 1;
  for (int h = gap; h >= 1; h /= 2) {
    for (int j = lo + h; j <= hi; ++j) {
      for (int k = j; k - h >= lo; k -= h) {
        if (broken()) return;
        network_compare_exchange(k - h, k, true);
      }
    }
  }
}

void register_sorting_networks() {
  register_procedures({9, 10, 11, 12, 14, 16, 17, 18, 20, 22, 23, 24, 26}, bitonic_entry);
  register_procedure(54, bose_nelson_sort);
  register_procedure(173, odd_even_merge_sort_recursive);
  register_procedure(174, odd_even_merge_sort_iterative);
  register_procedure(175, pairwise_sort_recursive);
  register_procedure(176, pairwise_sort_iterative);
  register_procedure(177, pairwise_sort_blocks);
  register_procedures({327, 330}, shear_sort);
  register_procedures({395, 396, 397}, zigzag_sort);
}

}  // namespace mv

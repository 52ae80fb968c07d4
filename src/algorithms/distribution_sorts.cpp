// Distribution sorts: bead sorts 1 to 3 and the counting sort, which count the values and rewrite
// the keys; the LSD radix sorts (binary passes, a counting pass per digit, rotation into digit
// buckets, and internal comparison sorts on digits); the MSD radix sorts on bits, iterative level
// by level or depth first, partitioning by swappings or through buffer_a.
#include "algorithms/distribution_sorts.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "algorithms/binary_counting_pass.h"
#include "algorithms/block_swapping.h"
#include "algorithms/merge_sorts.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/run_driver.h"
#include "engine/settings.h"
#include "engine/stack_emulation.h"

namespace mv {
namespace {

// The largest key of the set (not counted), at least 0.
int largest_key() {
  int32_t m = 0;
  for (int i = 0; i < column_count(); ++i) m = std::max(m, elements[i].key);
  return m;
}

// The values the count tables cover: 0 .. rows, or up to the largest key should one exceed the
// rows, so that no key indexes outside its table.
int value_range() {
  return std::max(settings.rows.load(std::memory_order_relaxed), largest_key());
}

// ---- Counting sort and bead sorts -------------------------------------------------------------
//
// These sorts rewrite the keys with set_value. Once the rewriting has begun it runs to its end,
// also after a break-off (the brake then returns at once): stopping half-way would leave some
// values twice and others not at all.

// 73: one counter per value, then the values written back in ascending order.
void counting_sort() {
  show_blackbars_hint_if_needed();
  const int n = column_count();
  std::vector<int> count(static_cast<size_t>(value_range()) + 1, 0);
  for (int i = 0; i < n; ++i) ++count[static_cast<size_t>(elements[i].key)];
  int v = 0;
  for (int i = 0; i < n; ++i) {
    while (count[static_cast<size_t>(v)] == 0) ++v;
    set_value(i, static_cast<uint32_t>(v));
    --count[static_cast<size_t>(v)];
  }
}

// Level k holds one bead of every element whose key is at least k. One entry more than the
// values, kept at 0, ends the read-out above the highest level.
std::vector<int> bead_levels() {
  std::vector<int> level(static_cast<size_t>(value_range()) + 2, 0);
  for (int i = 0; i < column_count(); ++i) {
    const int key = elements[i].key;
    for (int k = 0; k <= key; ++k) ++level[static_cast<size_t>(k)];
  }
  return level;
}

// The column heights after the beads have fallen: column n - j gets the highest level that
// still holds j beads, so the heights ascend from left to right.
std::vector<int> fallen_heights(const std::vector<int>& level) {
  const int n = column_count();
  std::vector<int> height(static_cast<size_t>(n));
  size_t p = 0;
  for (int j = n; j >= 1; --j) {
    while (level[p + 1] >= j) ++p;
    height[static_cast<size_t>(n - j)] = static_cast<int>(p);
  }
  return height;
}

// 5: the beads counted per level, the columns read out at once.
void bead_sort_counts() {
  show_blackbars_hint_if_needed();
  const std::vector<int> height = fallen_heights(bead_levels());
  for (int i = 0; i < column_count(); ++i) {
    set_value(i, static_cast<uint32_t>(height[static_cast<size_t>(i)]));
  }
}

// 6 and 7: the beads fall to the right level by level, from the bottom up. On level k the
// level[k] beads end in the rightmost columns; a column that loses its bead of level k shrinks by
// one, a column that gains one grows by one (each column drawn as high as the beads it holds).
// 6 redraws a level's changed columns from left to right; 7 moves the beads one at a time, each
// from a losing column to a gaining one. A break-off ends the falling and writes the fallen
// heights at once.
void bead_sort_falling() {
  show_blackbars_hint_if_needed();
  const bool one_bead_at_a_time = algorithm_index == 7;
  const int n = column_count();
  const std::vector<int> level = bead_levels();
  std::vector<int> start_key(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) start_key[static_cast<size_t>(i)] = elements[i].key;
  std::vector<int> beads = start_key;
  // The columns by start key, largest first: the first level[k] of them hold a bead on level k.
  std::vector<int> by_key(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) by_key[static_cast<size_t>(i)] = i;
  std::stable_sort(by_key.begin(), by_key.end(), [&](int a, int b) {
    return start_key[static_cast<size_t>(a)] > start_key[static_cast<size_t>(b)];
  });

  auto set_beads = [&](int i, int delta) {
    beads[static_cast<size_t>(i)] += delta;
    set_value(i, static_cast<uint32_t>(beads[static_cast<size_t>(i)]));
  };
  std::vector<int> losing, gaining;
  for (size_t k = 1; k + 1 < level.size() && level[k] > 0 && !broken(); ++k) {
    const int first_right = n - level[k];
    losing.clear();
    gaining.clear();
    for (int t = 0; t < level[k]; ++t) {
      if (by_key[static_cast<size_t>(t)] < first_right)
        losing.push_back(by_key[static_cast<size_t>(t)]);
    }
    for (int i = first_right; i < n; ++i) {
      if (start_key[static_cast<size_t>(i)] < static_cast<int>(k)) gaining.push_back(i);
    }
    std::sort(losing.begin(), losing.end());
    if (one_bead_at_a_time) {
      for (size_t t = 0; t < losing.size(); ++t) {
        set_beads(losing[t], -1);
        set_beads(gaining[t], +1);
      }
    } else {
      for (int i : losing) set_beads(i, -1);
      for (int i : gaining) set_beads(i, +1);
    }
  }

  const std::vector<int> height = fallen_heights(level);
  for (int i = 0; i < n; ++i) {
    if (beads[static_cast<size_t>(i)] != height[static_cast<size_t>(i)]) {
      set_value(i, static_cast<uint32_t>(height[static_cast<size_t>(i)]));
    }
  }
}

// ---- LSD radix sorts ----------------------------------------------------------------------------

// The digits of the pass under way; the merge procedures of 302 and 303 read them.
RadixDigits lsd_digits;
int lsd_pass = 0;

inline int digit_of_key(int32_t key) {
  return lsd_digits.digit(key, lsd_pass);
}
inline int digit_of(int i) {
  return digit_of_key(elements[i].key);
}

// Digit comparison: one counted comparison, true when the digit of i is greater than that of j.
bool digit_greater(int i, int j) {
  highlight_column(i);
  const bool r = cmp_greater(digit_of(i), digit_of(j));
  restore_columns(i, j);
  return r;
}

// Digit compare-exchange: true when it exchanged.
bool digit_exchange(int i, int j) {
  return digit_greater(i, j) && swap_elements(i, j);
}

// Runs one pass per digit, 0 .. D, with main loop runnings set to D + 1 beforehand.
void lsd_passes(void (*pass)()) {
  lsd_digits = radix_digits(radix_base());
  main_loop_runnings.set(static_cast<uint64_t>(lsd_digits.count) + 1);
  for (lsd_pass = 0; lsd_pass <= lsd_digits.count && !broken(); ++lsd_pass) pass();
}

// 295: stable passes on bit 0, 1, ... up to the highest bit index; the next bit is the frame on
// the stack. The passes count the main loop runnings themselves.
void radix_lsd_binary() {
  const int highest = highest_bit_index();
  TStackemulator stack;
  stack.Push(0);
  while (stack.IsNotEmpty()) {
    const int b = stack.Pop();
    if (binary_counting_pass(b, true)) break;
    if (b < highest) stack.Push(static_cast<uint16_t>(b + 1));
  }
}

// 296: counts per digit value, turned into bucket ends; the elements from the right go to the end
// of their bucket in buffer_a and come back in that order. A pass once begun runs to its end (the
// copy into buffer_a leaves the set as it is, the write-back must be complete).
void counting_digit_pass() {
  const int n = column_count();
  std::vector<int> count(static_cast<size_t>(lsd_digits.base), 0);
  for (int i = 0; i < n; ++i) ++count[static_cast<size_t>(digit_of(i))];
  for (size_t v = 1; v < count.size(); ++v) count[v] += count[v - 1];
  for (int i = n - 1; i >= 0; --i) move_to_buffer(--count[static_cast<size_t>(digit_of(i))], i);
  for (int i = 0; i < n; ++i) store_element(i, buffer_a[static_cast<size_t>(i)]);
}

// 297: scanned from the left; a digit 0 stays, any other digit is rotated to the end of its
// bucket. The buckets 1 .. base-1 lie behind the part still to scan, in digit order; start[v] is
// the first position of bucket v (start[base] = n). Rotating an element to the end of bucket v
// moves the unscanned part and buckets 1 .. v one place to the left.
void rotation_digit_pass() {
  const int n = column_count(), base = lsd_digits.base;
  std::vector<int> start(static_cast<size_t>(base) + 1, n);
  int i = 0;
  while (i < start[1] && !broken()) {
    const int v = digit_of(i);
    if (v == 0) {
      ++i;
      continue;
    }
    rotate_left_one(i, start[static_cast<size_t>(v) + 1] - 1);
    for (int w = 1; w <= v; ++w) --start[static_cast<size_t>(w)];
  }
}

// 298: bubble passes from the left, each ending before the last exchange of the one before.
void bubble_digit_pass() {
  for (int hi = last_position(); hi > 0;) {
    int last_exchange = 0;
    for (int i = 0; i < hi && !broken(); ++i) {
      if (digit_exchange(i, i + 1)) last_exchange = i;
    }
    if (broken()) return;
    hi = last_exchange;
  }
}

// 299: bubble passes from the right.
void bubble_backward_digit_pass() {
  const int last = last_position();
  for (int lo = 0; lo < last;) {
    int last_exchange = last;
    for (int i = last; i > lo && !broken(); --i) {
      if (digit_exchange(i - 1, i)) last_exchange = i;
    }
    if (broken()) return;
    lo = last_exchange;
  }
}

// 300: each element from the left sinks to the left while its digit is smaller.
void insertion_digit_pass() {
  const int last = last_position();
  for (int i = 1; i <= last && !broken(); ++i) {
    for (int j = i; j > 0 && !broken() && digit_exchange(j - 1, j); --j) {
    }
  }
}

// 301: each element from the right sinks to the right while its digit is greater.
void insertion_backward_digit_pass() {
  const int last = last_position();
  for (int i = last - 1; i >= 0 && !broken(); --i) {
    for (int j = i; j < last && !broken() && digit_exchange(j, j + 1); ++j) {
    }
  }
}

// Merges l..m and m+1..r by digits through the same slots of buffer_a; a tie takes the left
// record. After a break-off the records not yet taken go back at once, in order.
void digit_merge(int l, int m, int r) {
  for (int k = l; k <= r; ++k) {
    if (broken()) return;  // the set is untouched while it is copied
    move_to_buffer(k, k);
  }
  int i = l, j = m + 1, k = l;
  while (k <= r) {
    if (broken()) {
      while (i <= m) store_element(k++, buffer_a[i++]);
      while (j <= r) store_element(k++, buffer_a[j++]);
      return;
    }
    const bool right = i > m || (j <= r && cmp_greater(digit_of_key(buffer_a[i].key),
                                                       digit_of_key(buffer_a[j].key)));
    store_element(k++, right ? buffer_a[j++] : buffer_a[i++]);
  }
}

// 302
void merge_digit_pass() {
  top_down_merge_sort(0, last_position(), digit_merge);
}

// The end of the run of non-decreasing digits that starts at from.
int digit_run_end(int from) {
  const int last = last_position();
  int k = from;
  while (k < last && !broken() && !digit_greater(k, k + 1)) ++k;
  return k;
}

// 303: rounds that merge neighbouring digit runs pairwise until one run covers the set.
void natural_merge_digit_pass() {
  const int last = last_position();
  while (!broken()) {
    int l = 0;
    int m = digit_run_end(l);
    if (m >= last) return;
    while (m < last && !broken()) {
      const int r = digit_run_end(m + 1);
      digit_merge(l, m, r);
      if (r >= last) break;
      l = r + 1;
      m = digit_run_end(l);
    }
  }
}

// 304: odd-even transposition rounds (pairs from 0, then pairs from 1) until a round exchanges
// nothing.
void oet_digit_pass() {
  const int last = last_position();
  for (bool exchanged = true; exchanged && !broken();) {
    exchanged = false;
    for (int first = 0; first <= 1; ++first) {
      for (int i = first; i < last && !broken(); i += 2) {
        if (digit_exchange(i, i + 1)) exchanged = true;
      }
    }
  }
}

// 305: a forward and a backward bubble pass per round, the ends closing in on the last
// exchanges.
void shaker_digit_pass() {
  int lo = 0, hi = last_position();
  while (lo < hi && !broken()) {
    int last_exchange = lo;
    for (int i = lo; i < hi && !broken(); ++i) {
      if (digit_exchange(i, i + 1)) last_exchange = i;
    }
    hi = last_exchange;
    last_exchange = hi;
    for (int i = hi; i > lo && !broken(); --i) {
      if (digit_exchange(i - 1, i)) last_exchange = i;
    }
    lo = last_exchange;
  }
}

template <void (*Pass)()>
void lsd_sort() {
  lsd_passes(Pass);
}

// ---- MSD radix sorts ------------------------------------------------------------------------

}  // namespace

uint32_t bits_above(int i, int b) {
  return b + 1 >= 32 ? 0u : static_cast<uint32_t>(elements[i].key) >> (b + 1);
}

bool bit_set(int i, int b) {
  highlight_column(i);
  const bool r =
      cmp_equal(static_cast<int32_t>((static_cast<uint32_t>(elements[i].key) >> b) & 1u), 1);
  restore_columns(i, i);
  return r;
}

namespace {

// Clear bits of lo..hi before set bits by two pointers and swappings (unstable). Returns the
// first position with the bit set (hi + 1 when there is none).
int partition_by_swappings(int lo, int hi, int b) {
  int i = lo, j = hi;
  while (!broken()) {
    while (i <= j && !bit_set(i, b)) ++i;
    while (j >= i && bit_set(j, b)) --j;
    if (i >= j) break;
    swap_elements(i, j);
    ++i;
    --j;
  }
  return i;
}

// The same through buffer_a: clear bits, then set bits, each in their order, and back (stable).
// The copy leaves the set as it is, so a break-off during it returns at once; the write-back runs
// to its end.
int partition_by_buffer(int lo, int hi, int b) {
  int k = lo;
  for (int i = lo; i <= hi && !broken(); ++i) {
    if (!bit_set(i, b)) move_to_buffer(k++, i);
  }
  const int first_set = k;
  for (int i = lo; i <= hi && !broken(); ++i) {
    if (bit_set(i, b)) move_to_buffer(k++, i);
  }
  if (k <= hi) return first_set;  // broken off before every element was copied
  for (int i = lo; i <= hi; ++i) store_element(i, buffer_a[static_cast<size_t>(i)]);
  return first_set;
}

inline int msd_partition(int lo, int hi, int b) {
  const int index = algorithm_index;
  return index == 306 || index == 312 ? partition_by_swappings(lo, hi, b)
                                      : partition_by_buffer(lo, hi, b);
}

// 306, 307: one main loop running per bit from the highest down; each segment of neighbours that
// agree on the bits above b (one counted comparison per neighbour) is partitioned by bit b.
void radix_msd_iterative() {
  const int last = last_position();
  for (int b = highest_bit_index(); b >= 0 && !broken(); --b) {
    main_loop_runnings.increment();
    int s = 0;
    while (s <= last && !broken()) {
      int e = s;
      while (e < last && !broken() &&
             cmp_equal(static_cast<int32_t>(bits_above(e + 1, b)),
                       static_cast<int32_t>(bits_above(s, b)))) {
        ++e;
      }
      if (e > s) msd_partition(s, e, b);
      s = e + 1;
    }
  }
}

// 312, 313: a segment partitioned by bit b, then its halves by bit b - 1, depth first (the left
// half first) with the frames (lo, hi, bit) on the stack.
void radix_msd_recursive() {
  const int last = last_position();
  if (last < 1) return;
  TStackemulator stack;
  stack.Push3(0, last, highest_bit_index());
  while (stack.IsNotEmpty() && !broken()) {
    int lo, hi, b;
    stack.Pop3(lo, hi, b);
    const int m = msd_partition(lo, hi, b);
    if (b == 0 || broken()) continue;
    if (hi - m >= 1) stack.Push3(m, hi, b - 1);
    if (m - 1 - lo >= 1) stack.Push3(lo, m - 1, b - 1);
  }
}

}  // namespace

// ---- Digit and bit rules ----------------------------------------------------------------------

int highest_bit_index() {
  const int range = std::max(value_range(), 1);
  return static_cast<int>(std::bit_width(static_cast<unsigned>(range))) - 1;
}

int radix_base() {
  return std::clamp(parameters.Basis, 2, std::max(2, static_cast<int>(column_count())));
}

RadixDigits radix_digits(int base) {
  RadixDigits r;
  r.base = std::max(base, 2);
  const double ln_base = std::log(static_cast<double>(r.base));
  for (int i = 0; i < column_count(); ++i) {
    const int32_t key = elements[i].key;
    if (key > 1) {
      r.count = std::max(
          r.count, static_cast<int>(std::lround(std::log(static_cast<double>(key)) / ln_base)));
    }
  }
  // Beyond 2^31 every key has the digit 0; the powers stop there instead of overflowing.
  constexpr int64_t cap = int64_t{1} << 31;
  r.powers.assign(static_cast<size_t>(r.count) + 1, 1);
  for (size_t k = 1; k < r.powers.size(); ++k)
    r.powers[k] = std::min(r.powers[k - 1] * r.base, cap);
  return r;
}

void register_distribution_sorts() {
  register_procedure(5, bead_sort_counts);
  register_procedures({6, 7}, bead_sort_falling);
  register_procedure(73, counting_sort);
  register_procedure(295, radix_lsd_binary);
  register_procedure(296, lsd_sort<counting_digit_pass>);
  register_procedure(297, lsd_sort<rotation_digit_pass>);
  register_procedure(298, lsd_sort<bubble_digit_pass>);
  register_procedure(299, lsd_sort<bubble_backward_digit_pass>);
  register_procedure(300, lsd_sort<insertion_digit_pass>);
  register_procedure(301, lsd_sort<insertion_backward_digit_pass>);
  register_procedure(302, lsd_sort<merge_digit_pass>);
  register_procedure(303, lsd_sort<natural_merge_digit_pass>);
  register_procedure(304, lsd_sort<oet_digit_pass>);
  register_procedure(305, lsd_sort<shaker_digit_pass>);
  register_procedures({306, 307}, radix_msd_iterative);
  register_procedures({312, 313}, radix_msd_recursive);
}

}  // namespace mv

#include "algorithms/selection_heap_smooth_sorts.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/host.h"
#include "engine/parameters.h"
#include "engine/run_driver.h"
#include "engine/stabilization.h"
#include "engine/stack_emulation.h"

namespace mv {

namespace {

constexpr std::array<uint16_t, leonardo_count> make_leonardo_numbers() {
  std::array<uint16_t, leonardo_count> l{};
  l[0] = l[1] = 1;
  for (int k = 2; k < leonardo_count; ++k) l[k] = static_cast<uint16_t>(l[k - 1] + l[k - 2] + 1);
  return l;
}

}  // namespace

const std::array<uint16_t, leonardo_count> leonardo_numbers = make_leonardo_numbers();

namespace {

int leonardo(int order) {
  return leonardo_numbers[order];
}

// The ordering comparisons: stable when "stable comparings" was on at run start.
bool comes_before(int i, int j) {
  return stable_comparings ? elem_stable_before(i, j) : elem_less(i, j);
}
bool comes_after(int i, int j) {
  return stable_comparings ? elem_stable_after(i, j) : elem_greater(i, j);
}
bool record_before(const Element& a, const Element& b) {
  return stable_comparings ? rec_stable_before(a, b) : rec_less(a, b);
}
bool record_after(const Element& a, const Element& b) {
  return stable_comparings ? rec_stable_after(a, b) : rec_greater(a, b);
}

// Key, then start position: a strict order whatever the "stable comparings" box says.
bool key_then_start_after(int i, int j) {
  highlight_column(i);
  const int32_t a = elements[i].key, b = elements[j].key;
  const bool r = cmp_greater(a, b) || (cmp_equal(a, b) && pos_greater(i, j));
  restore_columns(i, j);
  return r;
}

bool stabilizing_locally() {
  return settings.stabilize_locally.load(std::memory_order_relaxed);
}

// How the heap procedures shared with the presorting touch the set: through the counted
// operations during a run, or by moving keys alone, uncounted and undrawn, while a new initial set
// is built.
class SetAccess {
 public:
  explicit SetAccess(bool keys_only) : keys_only_(keys_only) {}

  bool less(int i, int j) const { return keys_only_ ? key(i) < key(j) : elem_less(i, j); }
  bool greater(int i, int j) const { return keys_only_ ? key(i) > key(j) : elem_greater(i, j); }
  bool after(int i, int j) const { return keys_only_ ? key(i) > key(j) : comes_after(i, j); }
  bool buffer_not_below(const Element& buffer, int i) const {
    return keys_only_ ? buffer.key >= key(i) : rec_stable_after(buffer, elements[i]);
  }
  bool not_above_buffer(int i, const Element& buffer) const {
    return keys_only_ ? key(i) <= buffer.key : rec_stable_before(elements[i], buffer);
  }
  void load(int i, Element& buffer) const {
    if (keys_only_) {
      buffer.key = key(i);
    } else {
      read_element(i, buffer);
    }
  }
  void store(int i, const Element& buffer) const {
    if (keys_only_) {
      elements[i].key = buffer.key;
    } else {
      store_element(i, buffer);
    }
  }
  void move(int target, int source) const {
    if (keys_only_) {
      elements[target].key = elements[source].key;
    } else {
      move_element(target, source);
    }
  }
  // Exchanges i and j; callers pass the lower position first, so that with "optional swaps" the
  // exchange of an out-of-order pair is never refused.
  void exchange(int i, int j) const {
    if (keys_only_) {
      std::swap(elements[i].key, elements[j].key);
    } else {
      swap_elements(i, j, true);
    }
  }

 private:
  static int32_t key(int i) { return elements[i].key; }
  bool keys_only_;
};

// ---- Selection sorts ------------------------------------------------------------------------

void selection_sort() {
  const int last = last_position();
  for (int i = 0; i < last && !broken(); ++i) {
    int m = i;
    for (int j = i + 1; j <= last && !broken(); ++j) {
      if (comes_before(j, m)) m = j;
    }
    if (broken()) return;
    swap_elements(i, m, true);
    if (stabilizing_locally()) stabilize_range(i + 1, m);
  }
}

void selection_sort_reverse() {
  for (int m = last_position(); m >= 1 && !broken(); --m) {
    int x = m;
    for (int j = m - 1; j >= 0 && !broken(); --j) {
      if (comes_after(j, x)) x = j;
    }
    if (broken()) return;
    swap_elements(m, x, true);
    if (stabilizing_locally() && m > 1) stabilize_range(x, m - 1);
  }
}

// "Bad sort": the first position that is not greater than any later one is the minimum.
void selection_sort_inefficient() {
  const int last = last_position();
  for (int i = 0; i <= last && !broken(); ++i) {
    for (int j = i; j <= last && !broken(); ++j) {
      bool qualifies = true;
      for (int k = j + 1; k <= last && qualifies; ++k) qualifies = !elem_greater(j, k);
      if (!qualifies) continue;
      if (j != i) swap_elements(j, i, true);
      break;
    }
  }
}

void selection_sort_min_max() {
  const int n = column_count();
  const int last = n - 1;
  for (int i = 0; i <= (n - 2) / 2 && !broken(); ++i) {
    const int hi = last - i;
    int mn = i, mx = hi;
    for (int j = i; j <= hi && !broken(); ++j) {
      if (comes_before(j, mn)) mn = j;
      if (comes_after(j, mx)) mx = j;
    }
    if (broken()) return;
    if (mn != i) swap_elements(mn, i, true);
    if (mx == i) mx = mn;  // the maximum has just moved there
    if (mx != hi) swap_elements(mx, hi, true);
    if (stabilizing_locally()) {
      stabilize_range(i + 1, mn);
      stabilize_range(mx, hi);
    }
  }
}

// ---- Heap sort original (88) and its presorting form ----------------------------------------
// Position 0 has the single child 1; every position i >= 1 has the children 2i and 2i + 1.

void original_sift_down(const SetAccess& set, int i, int h) {
  Element buffer;
  set.load(i, buffer);
  while (i <= h / 2 && !broken()) {
    int c = 2 * i;
    if (h > c && set.less(c, c + 1)) ++c;
    // At the root the first child examined is the root itself; with stable comparisons on, the
    // comparison with its own copy says "not after", so the index decides.
    if (set.buffer_not_below(buffer, c) || c == i) break;
    set.move(i, c);
    i = c;
  }
  set.store(i, buffer);
}

void heap_sort_original(const SetAccess& set, int extractions) {
  const int last = last_position();
  for (int i = last / 2; i >= 0 && !broken(); --i) original_sift_down(set, i, last);
  for (int k = last; k >= 1 && last - k < extractions && !broken(); --k) {
    set.exchange(0, k);
    original_sift_down(set, 0, k - 1);
  }
}

// ---- Heap sort improved (Floyd, 89) ---------------------------------------------------------

void floyd_sift_down(int r, int h) {
  Element buffer;
  read_element(r, buffer);
  int i = r, c = 2 * r;
  // The hole sinks along the larger children to a leaf ...
  while (c <= h && !broken()) {
    if (c < h && comes_after(c + 1, c)) ++c;
    move_element(i, c);
    if (c == 0) break;
    i = c;
    c = 2 * i;
  }
  // ... and the saved element rises from there to its place.
  int p = i / 2;
  while (p >= r && i >= 2 && !broken()) {
    if (record_after(elements[p], buffer)) break;
    move_element(i, p);
    i = p;
    p /= 2;
  }
  store_element(i, buffer);
}

void heap_sort_improved() {
  const int last = last_position();
  for (int i = last / 2; i >= 0 && !broken(); --i) floyd_sift_down(i, last);
  for (int k = last; k >= 1 && !broken(); --k) {
    swap_elements(0, k, true);
    floyd_sift_down(0, k - 1);
  }
}

// ---- Heap sort alternative (90) -------------------------------------------------------------

void sink_and_lift(int i, int h) {
  int x = i;
  while (!broken() && x <= h / 2) {
    int c = 2 * x;
    if (2 * x + 1 <= h && !elem_greater(2 * x, 2 * x + 1)) c = 2 * x + 1;
    if (c == x) break;
    swap_elements(x, c, true);
    x = c;
  }
  Element b;
  read_element(x, b);
  int p = x / 2;
  while (!broken() && i <= p && rec_less(elements[p], b)) {
    swap_elements(x, p, true);
    x = p;
    p = x / 2;
  }
  store_element(x, b);
}

void heap_sort_alternative() {
  const int last = last_position();
  for (int i = last / 2; i >= 0 && !broken(); --i) sink_and_lift(i, last);
  for (int k = last; k >= 1 && !broken(); --k) {
    swap_elements(0, k, true);
    if (k - 1 > 0) sink_and_lift(0, k - 1);
  }
}

// ---- Zero-based heaps with the children 2i + 1 and 2i + 2 (91, 92, 93) -----------------------

// Builds the max-heap by sift(i, n) for i = first_parent down to 0, then takes the maxima out.
template <class Sift>
void build_and_take(int first_parent, Sift sift) {
  const int n = column_count();
  for (int i = first_parent; i >= 0 && !broken(); --i) sift(i, n);
  for (int m = n - 1; m >= 1 && !broken(); --m) {
    swap_elements(0, m, true);
    sift(0, m);
  }
}

// A sift whose steps go on at a child or stop: the frames (node, heap size) wait on a position
// stack whose zero frame marks the end.
template <class Step>
void sift_on_stack(int i, int m, Step step) {
  TStackemulator* stack = TStackemulator::Create(2);
  stack->Push2(i, m);
  for (;;) {
    int node = 0, size = 0;
    stack->Pop2(node, size);
    if (size == 0 || broken()) break;
    const int next = step(node, size);
    if (next >= 0) stack->Push2(next, size);
  }
  stack->Clear(true);
}

// 91: the larger child is compared and exchanged with its parent.
int exchange_step(int i, int m) {
  int c = 2 * i + 1;
  if (c >= m) return -1;
  if (c + 1 < m && comes_after(c + 1, c)) ++c;
  return compare_exchange(c, i, true, true) ? c : -1;
}

// 93: the largest of the parent and its two children, two comparisons a step.
int largest_of_three_step(int i, int m) {
  int largest = i;
  const int left = 2 * i + 1, right = left + 1;
  if (left < m && elem_greater(left, largest)) largest = left;
  if (right < m && elem_greater(right, largest)) largest = right;
  if (largest == i) return -1;
  swap_elements(i, largest, true);
  return largest;
}

// 92: both children are compared with the parent in turn, the left one first, and every exchange
// is followed down before the right child is looked at. Frames (parent, state): state 1 = the
// left child was exchanged, 2 = the right one; the zero frame ends the sift.
void sift_recursive(int i, int m) {
  TStackemulator* stack = TStackemulator::Create(2);
  int child = 1;  // 1: look at the left child of i, 2: the right one, 3: return
  while (!broken()) {
    if (child <= 2) {
      const int c = 2 * i + child;
      if (c < m && !comes_before(c, i)) {
        swap_elements(c, i, true);
        stack->Push2(i, child);
        i = c;
        child = 1;
      } else {
        ++child;
      }
      continue;
    }
    int state = 0;
    stack->Pop2(i, state);
    if (state == 0) break;
    child = state + 1;
  }
  stack->Clear(true);
}

// ---- Heap sort bottom up (1993, 94) ---------------------------------------------------------
// Nodes are numbered from 1; node k stands at position k - 1 and has the children 2k, 2k + 1.

bool node_after(int a, int b) {
  return comes_after(a - 1, b - 1);
}

int leaf_search(int m, int i) {
  int j = i;
  while (2 * j < m) j = node_after(2 * j, 2 * j + 1) ? 2 * j : 2 * j + 1;
  return 2 * j == m ? m : j;
}

int bottom_up_search(int i, int j) {
  while (node_after(i, j)) j /= 2;
  return j;
}

// The nodes on the path below i move up one level; the element of node i goes to node j.
void interchange(int i, int j) {
  const int l = std::bit_width(static_cast<unsigned>(j / i)) - 1;
  Element buffer;
  read_element(i - 1, buffer);
  for (int d = l; d >= 1; --d) move_element((j >> d) - 1, (j >> (d - 1)) - 1);
  store_element(j - 1, buffer);
}

void sift_bottom_up(int m, int i) {
  interchange(i, bottom_up_search(i, leaf_search(m, i)));
}

void heap_sort_bottom_up() {
  const int n = column_count();
  for (int i = n / 2; i >= 1 && !broken(); --i) sift_bottom_up(n, i);
  for (int m = n; m >= 1 && !broken(); --m) {
    swap_elements(0, m - 1, true);
    if (m > 1) sift_bottom_up(m - 1, 1);
  }
  const int last = n - 1;
  if (stable_comparings && last >= 1 && !broken() && elem_equal(last - 1, last) &&
      cmp_greater(elements[last - 1].start_position, elements[last].start_position)) {
    swap_elements(last - 1, last, true);
  }
}

// ---- Heap sort bottom up version (95) -------------------------------------------------------

void heap_sort_bottom_up_version() {
  const int last = last_position();
  const int size = last + 1;
  for (int i = last / 2; i >= 0 && !broken(); --i) {
    int p = i;
    for (int c = 2 * p + 1; c < size && !broken(); c = 2 * p + 1) {
      if (c + 1 < size && elem_greater(c + 1, c)) ++c;
      if (!compare_exchange(c, p, true, true)) break;
      p = c;
    }
  }
  for (int m = last; m >= 1 && !broken(); --m) {
    Element buffer;
    read_element(m, buffer);
    move_element(m, 0);
    // A hole sinks from the root to a leaf along the larger children ...
    int h = 0, c = 1;
    while (c + 1 < m && !broken()) {
      if (elem_greater(c + 1, c)) ++c;
      move_element(h, c);
      h = c;
      c = 2 * h + 1;
    }
    if (c < m && !broken()) {
      move_element(h, c);
      h = c;
    }
    // ... the saved last element fills it and rises.
    store_element(h, buffer);
    while (h > 0 && !broken()) {
      const int p = (h - 1) / 2;
      if (!compare_exchange(h, p, true, true)) break;
      h = p;
    }
  }
}

// ---- n heap sort (96) -----------------------------------------------------------------------

void n_heap_sort() {
  const int n = column_count();
  int64_t d = parameters.Param_heapnsort;
  if (d < 1) d = 2;  // what the parameter prompt makes of it
  // The child index d * i + 1 of the last position must stay a 32-bit number.
  if (static_cast<int64_t>(n - 1) * d + 1 > INT32_MAX) {
    refuse_run("Der Parameter ist zu groß!");
    return;
  }
  int m = n;
  int k = static_cast<int>((n + d - 2) / d);  // the number of inner nodes
  for (;;) {
    if (broken()) return;
    Element buffer;
    int i = 0;
    if (k > 0) {
      i = --k;
      read_element(i, buffer);
    } else {
      if (--m <= 0) return;
      read_element(m, buffer);
      move_element(m, 0);
    }
    while (i * d + 1 < m && !broken()) {
      const int c = static_cast<int>(i * d + 1);
      const int end = c + static_cast<int>(std::min<int64_t>(d, m - c)) - 1;
      int best = c;
      for (int t = c + 1; t <= end; ++t) {
        if (comes_after(t, best)) best = t;
      }
      if (record_before(elements[best], buffer)) break;
      move_element(i, best);
      i = best;
    }
    store_element(i, buffer);
  }
}

// ---- Heap F sort (97) -----------------------------------------------------------------------

// Sifts i down the F-ary min-heap rooted at root over root .. hi.
void f_sift(int root, int i, int hi, int64_t f) {
  while (!broken()) {
    const int64_t first = (i - root) * f + root + 1;
    if (first > hi) return;
    const int end = static_cast<int>(std::min<int64_t>(first + f - 1, hi));
    int best = static_cast<int>(first);
    for (int t = best + 1; t <= end; ++t) {
      if (elem_stable_before(t, best)) best = t;
    }
    if (!compare_exchange(i, best, true, true)) return;
    i = best;
  }
}

void heap_f_sort() {
  const int n = column_count();
  // F = 0 would give every position the first child root + 1, to the left of most of them: the
  // heap would not form, so it is taken as the chain F = 1.
  const int64_t f = std::max<int32_t>(parameters.Param_heapfsort, 1);
  for (int s = 0; s < n && !broken(); ++s) {
    for (int i = n - 2; i >= s && !broken(); --i) f_sift(s, i, n - 1, f);
  }
}

// ---- Heap sort reverse (99) and its presorting form -----------------------------------------
// A min-heap with its root at the right end: the children of i are 2i - last and 2i - last - 1
// as far as they are not below lo; the root's first child is the root itself.

void reverse_sift(const SetAccess& set, int lo, int i, int last) {
  while (!broken()) {
    int c = 2 * i - last;
    if (c < lo) return;
    if (c > lo && set.after(c, c - 1)) --c;
    if (!set.after(i, c)) return;
    Element buffer;
    set.load(i, buffer);
    set.move(i, c);
    set.store(c, buffer);
    i = c;
  }
}

void heap_sort_reverse(const SetAccess& set, int stop) {
  const int last = last_position();
  if (last < 1) return;
  for (int i = last - last / 2 - 1; i <= last && !broken(); ++i) reverse_sift(set, 0, i, last);
  if (stop <= 0) return;
  for (int k = 0; k <= std::min(stop, last) && !broken(); ++k) {
    Element buffer;
    set.load(k, buffer);
    set.move(k, last);
    set.store(last, buffer);
    reverse_sift(set, k + 1, last, last);
  }
}

// ---- Leonardo heaps -------------------------------------------------------------------------
// A heap of order k >= 2 with its root at r has the left child heap of order k - 1 ending at
// r - 1 - L(k - 2) and the right child heap of order k - 2 ending at r - 1.

// Returns the root of the larger child (the right one only when it is greater) and sets order to
// that child's order.
template <class Greater>
int larger_leonardo_child(int root, int& order, Greater greater) {
  const int right = root - 1;
  const int left = right - leonardo(order - 2);
  if (greater(right, left)) {
    order -= 2;
    return right;
  }
  order -= 1;
  return left;
}

// ---- Smooth sort (370), after the published smoothsort of 1981, and its presorting form ------
// The state is q (elements in the forest), r (the rightmost root), p (the orders present, bit 0
// for the rightmost heap) and the order k of the rightmost heap, which stands for Dijkstra's pair
// b = L(k), c = L(k - 1): "up" is k + 1, "down" is k - 1.

void smooth_sift(const SetAccess& set, int r1, int k1) {
  Element buffer;
  set.load(r1, buffer);
  const auto greater = [&set](int a, int b) { return set.greater(a, b); };
  while (k1 >= 2 && !broken()) {
    int k2 = k1;
    const int r2 = larger_leonardo_child(r1, k2, greater);
    if (set.not_above_buffer(r2, buffer)) break;
    set.exchange(r2, r1);
    r1 = r2;
    k1 = k2;
  }
  set.store(r1, buffer);
}

// Moves the root at r1 left over the roots that are larger than it and than its children, then
// sifts it. Bit 0 of p1 may be clear: the heap at r1 is then the one of the lowest bit set.
void smooth_trinkle(const SetAccess& set, int r1, uint32_t p1, int k1) {
  const auto greater = [&set](int a, int b) { return set.greater(a, b); };
  for (;;) {
    while (p1 != 0 && (p1 & 1u) == 0) {
      p1 >>= 1;
      ++k1;
    }
    if (p1 <= 1 || broken()) break;
    const int r3 = r1 - leonardo(k1);  // the root of the heap to the left
    if (!set.greater(r3, r1)) break;
    if (k1 >= 2) {
      int k2 = k1;
      if (set.greater(larger_leonardo_child(r1, k2, greater), r3)) break;
    }
    set.exchange(r3, r1);
    r1 = r3;
    p1 -= 1;
  }
  smooth_sift(set, r1, k1);
}

// The root at r has just been exposed; its left neighbour ends size positions further left.
void smooth_semitrinkle(const SetAccess& set, int r, int size, uint32_t p1, int k1) {
  const int r1 = r - size;
  if (set.greater(r1, r)) {
    set.exchange(r1, r);
    smooth_trinkle(set, r1, p1, k1);
  }
}

void smooth_sort(const SetAccess& set, int stop) {
  const int n = column_count();
  if (n < 2) return;
  int q = 1, r = 0, k = 1;
  uint32_t p = 1;
  while (q < n && !broken()) {
    if ((p & 7u) == 3u) {
      // The two rightmost heaps have consecutive orders: the next element joins them.
      smooth_sift(set, r, k);
      p = (p + 1) >> 2;
      k += 2;
    } else if ((p & 3u) == 1u) {
      // The next element starts a heap of its own; the rightmost heap stays a root only when it
      // cannot become a left child any more.
      if (q + leonardo(k - 1) < n) {
        smooth_sift(set, r, k);
      } else {
        smooth_trinkle(set, r, p, k);
      }
      do {
        --k;
        p <<= 1;
      } while (k > 1);
      p += 1;
    }
    ++q;
    ++r;
  }
  if (broken()) return;
  smooth_trinkle(set, r, p, k);
  while (q > 1 && q > stop && !broken()) {
    --q;
    if (k <= 1) {
      --r;
      --p;
      while (p != 0 && (p & 1u) == 0) {
        p >>= 1;
        ++k;
      }
    } else {
      --p;
      const int left = r - leonardo(k) + leonardo(k - 1);
      if (p > 0) smooth_semitrinkle(set, left, leonardo(k - 1), p, k);
      --k;
      p = (p << 1) + 1;
      r = left + leonardo(k - 1);
      smooth_semitrinkle(set, r, leonardo(k - 1), p, k);
      --k;
      p = (p << 1) + 1;
    }
  }
}

// ---- Smooth sort variant (371) and the stable heap sort (98, 373) ----------------------------
// The forest is an explicit bit vector of heap orders: bit k set, a heap of order k is present.
// Orders fall from left to right, so the vector alone describes the forest. Every new root is
// rectified at once; exchanges by swappings.

using ElementAfter = bool (*)(int, int);

class LeonardoBitForest {
 public:
  explicit LeonardoBitForest(ElementAfter after) : after_(after) {}

  void sort() {
    const int n = column_count();
    for (int i = 0; i < n && !broken(); ++i) {
      const int low = lowest_order();
      int order = 1;
      if (orders_ != 0 && (orders_ >> (low + 1) & 1u) != 0) {
        orders_ &= ~(3u << low);
        order = low + 2;
      } else if (orders_ != 0 && low == 1) {
        order = 0;
      }
      orders_ |= 1u << order;
      rectify(i, order);
    }
    for (int i = n - 1; i > 0 && !broken(); --i) {
      const int order = lowest_order();
      orders_ &= ~(1u << order);
      if (order < 2) continue;
      orders_ |= 3u << (order - 2);
      rectify(i - 1 - leonardo(order - 2), order - 1);
      rectify(i - 1, order - 2);
    }
  }

 private:
  int lowest_order() const { return std::countr_zero(orders_); }

  void sift(int root, int order) {
    while (order >= 2 && !broken()) {
      int child_order = order;
      const int child = larger_leonardo_child(root, child_order, after_);
      if (!after_(child, root)) return;
      swap_elements(child, root, true);
      root = child;
      order = child_order;
    }
  }

  void rectify(int root, int order) {
    while (!broken()) {
      const uint32_t left_orders = orders_ & ~((2u << order) - 1u);
      if (left_orders == 0) break;
      const int stepson = root - leonardo(order);
      if (!after_(stepson, root)) break;
      if (order >= 2) {
        int child_order = order;
        if (after_(larger_leonardo_child(root, child_order, after_), stepson)) break;
      }
      swap_elements(stepson, root, true);
      root = stepson;
      order = std::countr_zero(left_orders);
    }
    sift(root, order);
  }

  ElementAfter after_;
  uint32_t orders_ = 0;
};

void smooth_sort_variant() {
  LeonardoBitForest(elem_greater).sort();
}
void heap_sort_stable() {
  LeonardoBitForest(key_then_start_after).sort();
}

// ---- Smooth sort variant (2005, 372) --------------------------------------------------------

// The heap orders of a Leonardo forest from left to right.
using TSequence = std::vector<int>;

// A Leonardo forest over the set that grows at its right end and shrinks there. Roots move
// through a record buffer: the element to be placed is read once, the elements it passes move
// into the hole, and it is stored where the hole ends.
class TLeonardo {
 public:
  explicit TLeonardo(int n) : n_(n) {}

  // The element at position root (the next one to the right) joins the forest.
  void Add(int root) {
    const size_t h = heaps_.size();
    if (h >= 2 && heaps_[h - 2] == heaps_[h - 1] + 1) {
      heaps_.pop_back();
      heaps_.back() += 1;
    } else {
      heaps_.push_back(h >= 1 && heaps_.back() == 1 ? 0 : 1);
    }
    if (WillBeChild(root)) {
      Element buffer;
      read_element(root, buffer);
      SiftHole(root, heaps_.back(), buffer);
    } else {
      Rectify(heaps_.size() - 1, root);
    }
  }

  // The rightmost root, at position root, leaves the forest; its two children become roots.
  void Remove(int root) {
    const int order = heaps_.back();
    heaps_.pop_back();
    if (order < 2) return;
    heaps_.push_back(order - 1);
    Rectify(heaps_.size() - 1, root - 1 - leonardo(order - 2));
    heaps_.push_back(order - 2);
    Rectify(heaps_.size() - 1, root - 1);
  }

 private:
  // The rightmost heap will be merged under a later root when enough elements follow.
  bool WillBeChild(int root) const {
    const size_t h = heaps_.size();
    const int order = heaps_.back();
    const int following = n_ - 1 - root;
    if (h >= 2 && heaps_[h - 2] == order + 1) return following >= 1;
    return order >= 1 && following >= leonardo(order - 1) + 1;
  }

  void SiftHole(int hole, int order, const Element& buffer) {
    while (order >= 2 && !broken()) {
      int child_order = order;
      const int child = larger_leonardo_child(hole, child_order, elem_greater);
      if (!rec_greater(elements[child], buffer)) break;
      move_element(hole, child);
      hole = child;
      order = child_order;
    }
    store_element(hole, buffer);
  }

  void Rectify(size_t heap, int root) {
    Element buffer;
    read_element(root, buffer);
    int hole = root;
    int order = heaps_[heap];
    while (heap > 0 && !broken()) {
      const int stepson = hole - leonardo(order);
      if (!rec_greater(elements[stepson], buffer)) break;
      if (order >= 2) {
        int child_order = order;
        if (elem_greater(larger_leonardo_child(hole, child_order, elem_greater), stepson)) break;
      }
      move_element(hole, stepson);
      hole = stepson;
      order = heaps_[--heap];
    }
    SiftHole(hole, order, buffer);
  }

  int n_;
  TSequence heaps_;
};

void smooth_sort_2005() {
  const int n = column_count();
  TLeonardo forest(n);
  for (int i = 0; i < n && !broken(); ++i) forest.Add(i);
  for (int i = n - 1; i > 0 && !broken(); --i) forest.Remove(i);
}

// ---- Popular sort (259) ---------------------------------------------------------------------
// The simplified smooth sort on poplars: perfect heaps of 2^j - 1 elements, rooted at their right
// end. The roots are not kept in order; the largest is searched among them at every step. Sifting
// goes through a record buffer and a hole.

struct Poplar {
  int root;
  int size;
};

void poplar_sift(int root, int size) {
  Element buffer;
  read_element(root, buffer);
  while (size >= 3 && !broken()) {
    size /= 2;
    const int right = root - 1, left = right - size;
    const int child = elem_greater(left, right) ? left : right;
    if (!rec_greater(elements[child], buffer)) break;
    move_element(root, child);
    root = child;
  }
  store_element(root, buffer);
}

void popular_sort() {
  const int n = column_count();
  std::vector<Poplar> poplars;
  for (int i = 0; i < n && !broken(); ++i) {
    const size_t h = poplars.size();
    if (h >= 2 && poplars[h - 2].size == poplars[h - 1].size) {
      const int size = 2 * poplars[h - 1].size + 1;
      poplars.pop_back();
      poplars.back() = {i, size};
      poplar_sift(i, size);
    } else {
      poplars.push_back({i, 1});
    }
  }
  for (int i = n - 1; i > 0 && !broken(); --i) {
    size_t best = poplars.size() - 1;
    for (size_t k = 0; k + 1 < poplars.size(); ++k) {
      if (elem_greater(poplars[k].root, poplars[best].root)) best = k;
    }
    if (best + 1 != poplars.size()) {
      swap_elements(poplars[best].root, i, true);
      poplar_sift(poplars[best].root, poplars[best].size);
    }
    const Poplar top = poplars.back();
    poplars.pop_back();
    if (top.size > 1) {
      const int half = top.size / 2;
      poplars.push_back({i - 1 - half, half});
      poplars.push_back({i - 1, half});
    }
  }
}

// ---- Tree sort (391) ------------------------------------------------------------------------
// A tournament over copies of the elements: node 1 is the root, node k has the children 2k and
// 2k + 1, the leaves hold the record numbers; an exhausted entry (-1) loses to any other.

void tree_sort() {
  const int n = column_count();
  std::vector<Element> records(n);
  for (int i = 0; i < n; ++i) {
    if (broken()) return;  // nothing written yet
    read_element(i, records[i]);
  }
  const int leaves = static_cast<int>(std::bit_ceil(static_cast<unsigned>(n)));
  std::vector<int> tree(2 * static_cast<size_t>(leaves), -1);
  const auto winner = [&records](int a, int b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return cmp_less(records[b].key, records[a].key) ? b : a;
  };
  for (int i = 0; i < n; ++i) tree[leaves + i] = i;
  for (int node = leaves - 1; node >= 1 && !broken(); --node) {
    tree[node] = winner(tree[2 * node], tree[2 * node + 1]);
  }
  int out = 0;
  for (; out < n && !broken(); ++out) {
    const int w = tree[1];
    store_element(out, records[w]);
    tree[leaves + w] = -1;
    for (int node = (leaves + w) / 2; node >= 1; node /= 2) {
      tree[node] = winner(tree[2 * node], tree[2 * node + 1]);
    }
  }
  // After a break-off the records not yet written fill the rest of the set in their start order,
  // so that none is lost.
  for (int i = 0; i < n && out < n; ++i) {
    if (tree[leaves + i] >= 0) store_element(out++, records[i]);
  }
}

}  // namespace

void presort_heap_sort(int E) {
  heap_sort_original(SetAccess(true), E - 1);
}
void presort_reverse_heap_sort(int stop) {
  heap_sort_reverse(SetAccess(true), stop);
}
void presort_smooth_sort(int stop) {
  smooth_sort(SetAccess(true), stop);
}

void register_selection_heap_smooth_sorts() {
  register_procedure(88, [] { heap_sort_original(SetAccess(false), last_position()); });
  register_procedure(89, heap_sort_improved);
  register_procedure(90, heap_sort_alternative);
  register_procedure(91, [] {
    build_and_take(column_count() / 2 - 1,
                   [](int i, int m) { sift_on_stack(i, m, exchange_step); });
  });
  register_procedure(92, [] { build_and_take(column_count() / 2, sift_recursive); });
  register_procedure(93, [] {
    build_and_take(column_count() / 2 - 1,
                   [](int i, int m) { sift_on_stack(i, m, largest_of_three_step); });
  });
  register_procedure(94, heap_sort_bottom_up);
  register_procedure(95, heap_sort_bottom_up_version);
  register_procedure(96, n_heap_sort);
  register_procedure(97, heap_f_sort);
  register_procedures({98, 373}, heap_sort_stable);
  register_procedure(99, [] { heap_sort_reverse(SetAccess(false), last_position()); });
  register_procedure(259, popular_sort);
  register_procedure(318, selection_sort);
  register_procedure(319, selection_sort_reverse);
  register_procedure(320, selection_sort_inefficient);
  register_procedure(321, selection_sort_min_max);
  register_procedure(370, [] { smooth_sort(SetAccess(false), 0); });
  register_procedure(371, smooth_sort_variant);
  register_procedure(372, smooth_sort_2005);
  register_procedure(391, tree_sort);
}

}  // namespace mv

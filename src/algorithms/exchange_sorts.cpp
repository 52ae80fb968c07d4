#include "algorithms/exchange_sorts.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/random.h"
#include "engine/stabilization.h"
#include "engine/stack_emulation.h"

namespace mv {

namespace {

inline int exchange_variant() {
  return algorithm_index.load(std::memory_order_relaxed);
}

}  // namespace

// ---- Shared checks and passes ---------------------------------------------------------------

bool check_sorted() {
  const int last = last_position();
  for (int i = 0; i < last; ++i) {
    if (broken()) return true;
    if (elem_greater(i, i + 1)) return false;
  }
  return true;
}

bool check_descending(int lo, int hi) {
  for (int i = lo; i < hi; ++i) {
    if (broken()) return false;
    if (elem_less(i, i + 1)) return false;
  }
  return true;
}

void circle_pass(int lo, int hi) {
  while (lo < hi && !broken()) {
    compare_exchange(lo, hi);
    ++lo;
    --hi;
  }
}

void fun_forward_pass(int lo, int hi) {
  int i = lo;
  while (i < hi && !broken()) {
    // Binary search over i + 1 .. hi as if it were sorted: h ends on the last position whose
    // element comes before element i, or on i itself.
    int l = i + 1, h = hi;
    while (h >= l) {
      if (broken()) return;
      const int mid = (l + h) / 2;
      if (elem_stable_after(mid, i)) {
        h = mid - 1;
      } else {
        l = mid + 1;
      }
    }
    if (h == i) {
      ++i;
    } else {
      swap_elements(i, h, true);
    }
  }
}

void fun_backward_pass(int lo, int hi) {
  int j = hi;
  while (j > lo && !broken()) {
    // h + 1 ends on the first position of lo .. j - 1 whose element is greater than element j.
    int l = lo, h = j - 1;
    while (h >= l) {
      if (broken()) return;
      const int mid = (l + h) / 2;
      if (elem_greater(mid, j)) {
        h = mid - 1;
      } else {
        l = mid + 1;
      }
    }
    if (h + 1 == j) {
      --j;
    } else {
      // Lower position first, so that "optional swaps" sees the pair as the inversion it is.
      swap_elements(h + 1, j, true);
    }
  }
}

bool plasel_simplified_precondition() {
  const int n = column_count();
  std::vector<int32_t> keys;
  keys.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) keys.push_back(elements[i].key);
  std::sort(keys.begin(), keys.end());
  return std::adjacent_find(keys.begin(), keys.end()) == keys.end();
}

namespace {

// ---- Bubble sorts ---------------------------------------------------------------------------

// 59 sinks the smallest element to the bottom of each pass, 62 lets the largest rise. The element
// in the buffer belongs to the current position j; shifts move the others past it.
void bubble_sort_with_movings() {
  const int last = last_position();
  Element buffer;
  if (exchange_variant() == 59) {
    for (int k = 0; k < last; ++k) {
      if (broken()) return;
      bool shifted = false;
      read_element(last, buffer);
      for (int j = last; j > k; --j) {
        if (broken()) {
          if (shifted) store_element(j, buffer);
          return;
        }
        if (rec_greater(elements[j - 1], buffer)) {
          move_element(j, j - 1);
          shifted = true;
        } else {
          if (shifted) store_element(j, buffer);
          read_element(j - 1, buffer);
        }
      }
      if (shifted) store_element(k, buffer);
    }
  } else {
    for (int m = last; m > 0; --m) {
      if (broken()) return;
      bool shifted = false;
      read_element(0, buffer);
      for (int j = 0; j < m; ++j) {
        if (broken()) {
          if (shifted) store_element(j, buffer);
          return;
        }
        if (rec_less(elements[j + 1], buffer)) {
          move_element(j, j + 1);
          shifted = true;
        } else {
          if (shifted) store_element(j, buffer);
          read_element(j + 1, buffer);
        }
      }
      if (shifted) store_element(m, buffer);
    }
  }
}

// 60 passes downwards, 63 upwards, until a pass swaps nothing.
void bubble_sort_with_swappings() {
  const int last = last_position();
  const bool upwards = exchange_variant() == 63;
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (int t = 0; t < last; ++t) {
      if (broken()) return;
      const int j = upwards ? t : last - 1 - t;
      if (compare_exchange(j, j + 1)) swapped = true;
    }
  }
}

// Passes start where an earlier pass found a pair in order: those positions wait on the stack.
// 61 passes downwards above a rising lower bound, 64 upwards below a falling upper bound.
void bubble_sort_optimized() {
  const int last = last_position();
  if (last < 1) return;
  TStackemulator stack;
  if (exchange_variant() == 61) {
    int lo = 0, j = last;
    stack.Push(static_cast<uint16_t>(last));
    while (!broken()) {
      while (lo < j) {
        if (broken()) return;
        if (!compare_exchange(j - 1, j)) stack.Push(static_cast<uint16_t>(j));
        --j;
      }
      if (lo < last) ++lo;
      j = stack.Pop();
      if (stack.IsNotEmpty()) continue;
      stack.Push(static_cast<uint16_t>(j));
      if (lo >= j) break;
    }
  } else {
    int hi = last, i = 0;
    stack.Push(0);
    while (!broken()) {
      while (i < hi) {
        if (broken()) return;
        if (!compare_exchange(i, i + 1)) stack.Push(static_cast<uint16_t>(i));
        ++i;
      }
      if (hi > 0) --hi;
      i = stack.Pop();
      if (stack.IsNotEmpty()) continue;
      stack.Push(static_cast<uint16_t>(i));
      if (i >= hi) break;
    }
  }
}

// 324: a forward and a backward pass per round, a fixed number of rounds.
void shaker_sort() {
  const int last = last_position();
  for (int k = 0; k <= last / 2; ++k) {
    for (int j = 0; j < last - k; ++j) {
      if (broken()) return;
      compare_exchange(j, j + 1);
    }
    for (int j = last; j > k; --j) {
      if (broken()) return;
      compare_exchange(j - 1, j);
    }
  }
}

// 246: odd pairs, then even pairs, a fixed number of rounds.
void odd_even_transposition_sort() {
  const int last = last_position();
  for (int k = 0; k <= last / 2; ++k) {
    for (int first = 1; first <= 2; ++first) {
      for (int i = first; i <= last; i += 2) {
        if (broken()) return;
        compare_exchange(i - 1, i);
      }
    }
  }
}

// 70: one pass per gap while the gap shrinks by 5/6; the gap-1 pass is repeated until it
// exchanges nothing, since one pass at gap 1 does not always finish the set.
void comb_sort() {
  const int last = last_position();
  if (last < 1) return;
  int gap = last;
  for (;;) {
    gap = std::max(gap * 5 / 6, 1);
    bool swapped = false;
    for (int i = 0; i + gap <= last; ++i) {
      if (broken()) return;
      if (compare_exchange(i, i + gap)) swapped = true;
    }
    if (gap == 1 && !swapped) return;
  }
}

// ---- Circle sorts ---------------------------------------------------------------------------

// 65 (left half first), 66 (right half first), 67 (the half chosen at random): rounds until the
// set is sorted; pending halves wait on the stack as (lo, hi) pairs over a (0, 0) end marker.
void circle_sort_recursive() {
  const int last = last_position();
  const int v = exchange_variant();
  TStackemulator stack(2);
  while (!broken() && !check_sorted()) {
    main_loop_runnings.increment();
    int lo = 0, hi = last;
    for (;;) {
      if (hi <= lo) {
        stack.Pop2(lo, hi);
      } else {
        const int low = lo, high = hi, half = (hi - lo) / 2;
        circle_pass(lo, hi);
        // The same pairing once more; the pairs are in order now, so this only compares.
        while (lo < hi && !broken()) {
          compare_exchange(lo, hi);
          ++lo;
          --hi;
        }
        if (lo == hi && !broken()) compare_exchange(lo, hi + 1);
        if (settings.stabilize_locally.load(std::memory_order_relaxed)) {
          stabilize_range(low, high);
        }
        const bool left_first = v == 65 || (v == 67 && U() < 0.5L);
        if (left_first) {
          if (low + half + 1 < high) {
            if (high - low - half == 2) {
              compare_exchange(low + half + 1, high);
            } else {
              stack.Push2(low + half + 1, high);
            }
          }
          lo = low;
          hi = low + half;
        } else {
          if (half > 0) {
            if (half == 1) {
              compare_exchange(low, low + half);
            } else {
              stack.Push2(low, low + half);
            }
          }
          lo = low + half + 1;
          hi = high;
        }
      }
      if (broken() || stack.IsEmpty()) {
        stack.Push2(0, 0);
        break;
      }
    }
  }
}

// 68: rounds until sorted; each round runs circle passes over blocks that halve in size.
void circle_sort_iterative() {
  const int last = last_position();
  while (!broken() && !check_sorted()) {
    main_loop_runnings.increment();
    for (int size = last; size > 0 && !broken(); size /= 2) {
      int i = 0;
      do {
        circle_pass(i, i + size);
        i += size > 1 ? size + 1 : 1;
      } while (i + size <= last && !broken());
    }
  }
}

// ---- Cycle sort -----------------------------------------------------------------------------

// 72: each cycle carries one element in a buffer and writes every element once into its final
// place. While a cycle runs, slot cs holds a stale copy and the buffer the missing element.
void cycle_sort() {
  const int last = last_position();
  Element item, second;
  // Position of item: cs plus the number of smaller elements after cs, past equal keys.
  auto target_of = [&](int cs, int& pos) {
    pos = cs;
    for (int i = cs + 1; i <= last; ++i) {
      if (broken()) return false;
      if (rec_less(elements[i], item)) ++pos;
    }
    return true;
  };
  // Equal keys already placed are passed over. pos cannot pass last (the item's equals fit
  // behind its smaller elements), yet it is kept there should the comparison at last say equal.
  auto skip_equals = [&](int& pos) {
    while (rec_equal(item, elements[pos]) && pos < last) {
      if (broken()) return false;
      ++pos;
    }
    return !broken();
  };
  auto exchange = [&](int pos) {
    read_element(pos, second);
    store_element(pos, item);
    copy_record(second, item);
  };
  for (int cs = 0; cs <= last; ++cs) {
    if (broken()) return;
    read_element(cs, item);
    int pos = cs;
    if (!target_of(cs, pos)) return;
    if (pos == cs) continue;
    if (!skip_equals(pos)) return;
    exchange(pos);
    while (pos != cs) {
      if (broken() || !target_of(cs, pos) || !skip_equals(pos)) {
        store_element(cs, item);
        return;
      }
      exchange(pos);
    }
  }
}

// ---- Friends sorts --------------------------------------------------------------------------

// 77: the outer positions i and j are paired with every inner position, then with the middle.
// 78 ends early when the inner range is non-increasing: it reverses it. That needs an inner range
// of two elements or more: i and j are compared with each other only through the middle, so with
// a shorter inner range they may still be out of order.
void friends_sort() {
  const int last = last_position();
  const int mid = last / 2;
  const bool accelerated = exchange_variant() == 78;
  int i = 0, j = last;
  while (i < mid || j > mid) {
    for (int a = i + 1, b = j - 1; a < j || b > i; ++a, --b) {
      if (broken()) return;
      compare_exchange(i, a);
      compare_exchange(b, j);
    }
    if (broken()) return;
    if (accelerated && j - i > 2 && check_descending(i + 1, j - 1)) {
      reverse_range(i + 1, j - 1, true);
      return;
    }
    compare_exchange(i, mid);
    compare_exchange(mid, j);
    ++i;
    --j;
  }
}

// ---- Fun sorts ------------------------------------------------------------------------------

// 79 to 83: binary-search passes over the unsorted set, rounds until it is sorted.
void fun_sort() {
  const int last = last_position();
  const int v = exchange_variant();
  while (!broken() && !check_sorted()) {
    main_loop_runnings.increment();
    switch (v) {
      case 79:
        fun_forward_pass(0, last);
        break;
      case 80:
        fun_backward_pass(0, last);
        break;
      case 81:
        fun_forward_pass(0, last);
        fun_backward_pass(0, last);
        break;
      case 82:
        fun_backward_pass(0, last);
        fun_forward_pass(0, last);
        break;
      default:
        if (U() < 0.5L) {
          fun_forward_pass(0, last);
        } else {
          fun_backward_pass(0, last);
        }
        break;
    }
  }
}

// ---- Pancake sorts --------------------------------------------------------------------------

// 248 flips the maximum of 0..m to the front and then to m; 249 rotates 0..m left past the
// maximum with movings, the prefix 0..maxpos waiting in buffer_a.
void pancake_sort() {
  const int last = last_position();
  const bool original = exchange_variant() == 248;
  for (int m = last; m > 0; --m) {
    int maxpos = m;
    for (int k = m - 1; k >= 0; --k) {
      if (broken()) return;
      if (stable_comparings ? elem_stable_after(k, maxpos) : elem_greater(k, maxpos)) maxpos = k;
    }
    if (original) {
      reverse_range(0, maxpos, true);
      reverse_range(0, m, true);
      continue;
    }
    // Buffer slot k belongs at shifted - maxpos + k, shifted being the last position moved left.
    int buffered = 0, shifted = maxpos, stored = 0;
    auto put_back = [&] {
      for (int k = stored; k < buffered; ++k) store_element(shifted - maxpos + k, buffer_a[k]);
    };
    for (; buffered <= maxpos; ++buffered) {
      if (broken()) return put_back();
      move_to_buffer(buffered, buffered);
    }
    for (int k = maxpos + 1; k <= m; ++k) {
      if (broken()) return put_back();
      move_element(k - maxpos - 1, k);
      shifted = k;
    }
    for (; stored <= maxpos; ++stored) {
      if (broken()) return put_back();
      store_element(m - maxpos + stored, buffer_a[stored]);
    }
  }
}

// ---- Plasel sorts ---------------------------------------------------------------------------

// 257: each element goes to its rank among the unplaced ones. The key fields of buffer_b count
// per position: at a rank, how many of its equal keys are placed; elsewhere, 1 when occupied.
void plasel_sort() {
  const int last = last_position();
  auto count = [](int p) -> int32_t& { return buffer_b[p].key; };
  for (int p = 0; p <= last + 1; ++p) count(p) = 0;
  int i = 0;
  while (i < last) {
    if (broken()) return;
    main_loop_runnings.increment();
    int p = i;
    for (int j = i + 1; j <= last; ++j) {
      if (broken()) return;
      if (elem_less(j, i)) ++p;
    }
    const int t = p + count(p);
    if (t > last) {
      // Cannot happen while every requested exchange is made; should "optional swaps" ever
      // leave the counts behind, the element stays and i moves on instead of leaving the set.
      ++count(i);
    } else {
      if (t != i) swap_elements(i, t, true);
      ++count(p);
      if (t > p) ++count(t);
    }
    while (cmp_greater(count(i), 0)) ++i;
  }
}

// 258: the same without counts, so it runs only on sets without equal keys: there an element
// whose place holds an equal key would be swapped back and forth for ever.
void plasel_sort_simplified() {
  if (!plasel_simplified_precondition()) return;
  const int last = last_position();
  int i = 0;
  while (i < last) {
    if (broken()) return;
    main_loop_runnings.increment();
    int p = i + 1;
    for (int j = i + 1; j <= last; ++j) {
      if (broken()) return;
      if (elem_less(j, i)) ++p;
    }
    ++i;
    // Stay while an element was sent away; "optional swaps" may refuse, then go on.
    if (swap_elements(i - 1, p - 1, true) && p > i) --i;
  }
}

// ---- Simple / naisel sorts ------------------------------------------------------------------

// 362 to 366: one compare-exchange per visited pair, in five visiting orders.
void naisel_sort() {
  const int last = last_position();
  auto step = [](int a, int b) {
    if (broken()) return false;
    compare_exchange(a, b);
    return true;
  };
  switch (exchange_variant()) {
    case 362:
      for (int i = 0; i < last; ++i) {
        for (int j = last; j > i; --j) {
          if (!step(i, j)) return;
        }
      }
      break;
    case 363:
      for (int m = last; m > 0; --m) {
        for (int j = 0; j < m; ++j) {
          if (!step(j, m)) return;
        }
      }
      break;
    case 364:
      for (int i = 0; i < last; ++i) {
        for (int j = i + 1; j <= last; ++j) {
          if (!step(i, j)) return;
        }
      }
      break;
    case 365:
      for (int d = last; d > 0; --d) {
        for (int k = 0; k <= last - d; ++k) {
          if (!step(k, k + d)) return;
        }
      }
      break;
    default:
      // Pairs (d + k, last - k) share the index sum last + d.
      for (int d = last - 1; d >= -(last - 1); --d) {
        for (int k = std::max(0, -d); d + k < last - k; ++k) {
          if (!step(d + k, last - k)) return;
        }
      }
      break;
  }
}

// ---- Stupid / gnome sorts -------------------------------------------------------------------

// 384: one index that steps back after a swap and forward otherwise. At 0 it stays after a
// swap, so the pair just exchanged is compared once more.
void gnome_sort() {
  const int last = last_position();
  int i = 0;
  while (i < last) {
    if (broken()) return;
    main_loop_runnings.increment();
    if (compare_exchange(i, i + 1)) {
      if (i > 0) --i;
    } else {
      ++i;
    }
  }
}

// 385: insertion by swappings.
void stupid_sort_optimized() {
  const int last = last_position();
  for (int i = 1; i <= last; ++i) {
    for (int j = i; j > 0; --j) {
      if (broken()) return;
      if (!elem_greater(j - 1, j)) break;
      main_loop_runnings.increment();
      swap_elements(j - 1, j, true);
    }
  }
}

}  // namespace

void register_exchange_sorts() {
  register_procedures({59, 62}, bubble_sort_with_movings);
  register_procedures({60, 63}, bubble_sort_with_swappings);
  register_procedures({61, 64}, bubble_sort_optimized);
  register_procedures({65, 66, 67}, circle_sort_recursive);
  register_procedure(68, circle_sort_iterative);
  register_procedure(70, comb_sort);
  register_procedure(72, cycle_sort);
  register_procedures({77, 78}, friends_sort);
  register_procedures({79, 80, 81, 82, 83}, fun_sort);
  register_procedure(246, odd_even_transposition_sort);
  register_procedures({248, 249}, pancake_sort);
  register_procedure(257, plasel_sort);
  register_procedure(258, plasel_sort_simplified);
  register_start_condition(
      258, plasel_simplified_precondition,
      "the set has equal keys; the simplified plasel sort needs distinct keys");
  register_procedure(324, shaker_sort);
  register_procedures({362, 363, 364, 365, 366}, naisel_sort);
  register_procedure(384, gnome_sort);
  register_procedure(385, stupid_sort_optimized);
}

}  // namespace mv

#include "algorithms/block_swapping.h"

#include <algorithm>
#include <vector>

#include "engine/element_set.h"

namespace mv {

const char* const block_swap_method_captions[block_swap_method_count] = {
    "out of place / ex situ (fast)",
    "simple (left rotation, fast)",
    "simple (right rotation, fast)",
    "simple (slow)",
    "simple (slower)",
    "simple (much slower)",
    "simple (still slower)",
    "simple (slowest)",
    "simple, movings (intermediate fast)",
    "simple, swappings (intermediate fast)",
    "from rotate quicksort (intermediate fast)",
    "each 3 reverses (intermediate fast)",
    "only 1 loop (fast)",
    "cycle leader (fast)",
    "block exchange from both ends (intermediate fast)",
    "juggling (fast)",
    "hybrid rotation (fairly fast)",
    "right shift (fast)",
    "min-block exchanges (intermediate fast)",
    "cross indexing (intermediate fast)",
    "cross indexing (fairly fast)",
    "cross indexing (fast)",
    "Standard Template Library 1 (intermediate fast)",
    "Standard Template Library 2 (fast)",
    "Standard Template Library 3 (fast)",
    "Standard Template Library 4 (variant of STL 1, intermediate fast)",
};

namespace {}  // namespace

// ---- Shared steps -------------------------------------------------------------------------

void rotate_left_one(int a, int b) {
  if (a >= b) return;
  Element held;
  read_element(a, held);
  int k = a + 1;
  for (; k <= b && !broken(); ++k) move_element(k - 1, k);
  store_element(k - 1, held);  // the hole: b, or where a break-off stopped the shift
}

void rotate_right_one(int a, int b) {
  if (a >= b) return;
  Element held;
  read_element(b, held);
  int k = b - 1;
  for (; k >= a && !broken(); --k) move_element(k + 1, k);
  store_element(k + 1, held);
}

int move_block(int dst, int src, int count) {
  for (int k = 0; k < count; ++k) {
    if (broken()) return k;
    move_element(dst + k, src + k);
  }
  return count;
}

void triple_rotate(int a, int a_end, int b, int c) {
  for (; a < a_end && !broken(); ++a, ++b, ++c) {
    Element held;
    read_element(a, held);
    move_element(a, b);
    move_element(b, c);
    store_element(c, held);
  }
}

int gcd(int x, int y) {
  while (y != 0) {
    const int r = x % y;
    x = y;
    y = r;
  }
  return x;
}

namespace {

// variant 0: swap the element at p to its target until the one that belongs at p arrives.
void cross_permute_by_swappings(int first, int last) {
  for (int p = last; p >= first; --p) {
    while (elements[p].target_position != p) {
      if (broken()) return;
      // With "optional swaps" an exchange can be refused; stop following this cycle then
      // instead of asking for the same exchange for ever.
      if (!swap_elements(p, elements[p].target_position)) break;
    }
  }
}

// variant 1: the element at p moves to its target, the displaced one is carried on in b1 until
// the cycle comes back to p. count = t means one cycle held the whole range.
void cross_permute_one_buffer(int first, int last) {
  const int t = last - first + 1;
  for (int p = last; p >= first; --p) {
    if (broken()) return;
    Element b1, b2, b3;
    const int q = elements[p].target_position;
    read_element(q, b1);
    move_element(q, p);
    int count = 1;
    for (;;) {
      if (broken()) {
        store_element(p, b1);  // p holds a stale copy: the carried element goes there
        return;
      }
      const int r = b1.target_position;
      read_element(r, b2);
      store_element(r, b1);
      ++count;
      if (r == p) break;
      copy_record(b1, b3);
      copy_record(b2, b1);
      copy_record(b3, b2);
    }
    if (count == t) return;
  }
}

// variant 2: b1 carries the displaced element from target to target until p is served.
void cross_permute_two_buffers(int first, int last) {
  for (int p = last; p >= first; --p) {
    if (broken()) return;
    Element b1, b2;
    read_element(p, b1);
    while (elements[p].target_position != p) {
      if (broken()) {
        store_element(p, b1);
        return;
      }
      copy_record(b1, b2);
      const int r = b2.target_position;
      read_element(r, b1);
      store_element(r, b2);
    }
  }
}

}  // namespace

void cross_index_permute(int first, int last, int variant) {
  switch (variant) {
    case 0:
      cross_permute_by_swappings(first, last);
      break;
    case 1:
      cross_permute_one_buffer(first, last);
      break;
    case 2:
      cross_permute_two_buffers(first, last);
      break;
    default:
      break;
  }
}

namespace {

// ---- The methods ---------------------------------------------------------------------------
// Each takes first, mid, last with both blocks non-empty. L = mid - first, R = last - mid + 1,
// t = L + R.

// Stores buffer_a slots slot .. slot+count-1 at pos .. pos+count-1: after a break-off these are
// the records that the set lacks and the places that hold second copies.
void put_back_buffer(int slot, int pos, int count) {
  for (int k = 0; k < count; ++k) store_element(pos + k, buffer_a[slot + k]);
}

// 0: the smaller block goes through buffer_a.
void out_of_place(int first, int mid, int last) {
  const int L = mid - first, R = last - mid + 1;
  if (L < R) {
    for (int k = 0; k < L; ++k) {
      if (broken()) return;
      read_element(first + k, buffer_a[k]);
    }
    const int moved = move_block(first, mid, R);
    if (moved < R) {
      // Of the left block, the first min(moved, L) are overwritten; the moved right elements
      // still stand a second time from max(mid, first + moved) on.
      put_back_buffer(0, std::max(mid, first + moved), std::min(moved, L));
      return;
    }
    for (int k = 0; k < L; ++k) {
      if (broken()) return put_back_buffer(k, first + R + k, L - k);
      store_element(first + R + k, buffer_a[k]);
    }
  } else {
    for (int k = 0; k < R; ++k) {
      if (broken()) return;
      read_element(mid + k, buffer_a[k]);
    }
    for (int k = L - 1; k >= 0; --k) {
      if (broken()) {
        // After `moved` shifts the last c right elements are overwritten, and the c shifted
        // left elements nearest to the front still stand a second time at their old places.
        const int moved = L - 1 - k, c = std::min(moved, R);
        return put_back_buffer(R - c, first + L - moved, c);
      }
      move_element(first + R + k, first + k);
    }
    for (int k = 0; k < R; ++k) {
      if (broken()) return put_back_buffer(k, first + k, R - k);
      store_element(first + k, buffer_a[k]);
    }
  }
}

// 1 and 2: follow each cycle of the rotation (element at p goes to p + shift, wrapped into the
// range), starting cycles at start, start + step, ... while the start is still marked. The marks
// find the end without a gcd: the walk meets a cleared mark after gcd(t, |shift|) cycles.
void marked_cycles(int first, int last, int start, int step, int shift) {
  const int t = last - first + 1;
  auto wrap = [&](int q) { return q < first ? q + t : (q > last ? q - t : q); };
  for (int p = first; p <= last; ++p) elements[p].visited_mark = 1;
  for (int p = start; p >= first && p <= last && elements[p].visited_mark != 0; p += step) {
    if (broken()) break;
    Element b1, b2;
    read_element(p, b1);
    b1.visited_mark = 0;  // stored records carry a cleared mark
    elements[p].visited_mark = 0;
    for (int q = wrap(p + shift); elements[q].visited_mark != 0; q = wrap(q + shift)) {
      if (broken()) break;
      read_element(q, b2);
      b2.visited_mark = 0;
      store_element(q, b1);
      copy_record(b2, b1);
      elements[q].visited_mark = 0;
    }
    store_element(p, b1);  // closes the cycle, or puts the carried element back on a break-off
  }
  if (broken()) {
    for (int p = first; p <= last; ++p) elements[p].visited_mark = 0;
  }
}

// 3 and 4: one-step rotations over one block plus one element, L of them to the left when
// `left` is set, R to the right otherwise. Equal blocks are exchanged pairwise.
void stepwise_short(int first, int mid, int last, bool left) {
  const int L = mid - first, R = last - mid + 1;
  if (L == R) return swap_ranges(first, mid - 1, mid);
  if (left) {
    for (int k = 0; k < L && !broken(); ++k) rotate_left_one(first + L - 1 - k, last - k);
  } else {
    for (int k = 0; k < R && !broken(); ++k) rotate_right_one(first + k, mid + k);
  }
}

// 5, 6 and 7: one-step rotations of the whole range, L to the left or R to the right.
void stepwise_whole(int first, int mid, int last, bool left) {
  const int L = mid - first, R = last - mid + 1;
  if (left) {
    for (int k = 0; k < L && !broken(); ++k) rotate_left_one(first, last);
  } else {
    for (int k = 0; k < R && !broken(); ++k) rotate_right_one(first, last);
  }
}

// 8 and 9 give targets as offsets from first: the right block 0 .. R-1, the left R .. t-1.
// `where` maps an offset to the position holding its element; it stands for the upward search
// through the target fields (not counted) and gives the same position without the search.
std::vector<int> set_target_offsets(int first, int mid, int last) {
  const int L = mid - first, R = last - mid + 1, t = L + R;
  std::vector<int> where(t);
  for (int p = first; p <= last; ++p) {
    const int offset = p >= mid ? p - mid : p - first + R;
    elements[p].target_position = static_cast<uint16_t>(offset);
    where[offset] = p;
  }
  return where;
}

// 8: movings by target offsets; a hole walks through each cycle, its first element held in b.
void by_targets_movings(int first, int mid, int last) {
  const int t = last - first + 1;
  std::vector<int> where = set_target_offsets(first, mid, last);
  Element b;
  read_element(first, b);
  int hole = first;
  int unplaced = first;  // every position below it holds its own element
  for (int n = 0; n < t - 1; ++n) {
    if (broken()) break;
    const int wanted = hole - first;
    if (b.target_position != wanted) {
      const int j = where[wanted];
      move_element(hole, j);
      where[wanted] = hole;
      hole = j;
    } else {
      store_element(hole, b);
      while (unplaced <= last && elements[unplaced].target_position == unplaced - first) {
        ++unplaced;
      }
      if (unplaced > last) return;
      read_element(unplaced, b);
      hole = unplaced;
    }
  }
  store_element(hole, b);
}

// 9: swappings by target offsets: the element for first + k is fetched by one exchange.
void by_targets_swappings(int first, int mid, int last) {
  const int t = last - first + 1;
  std::vector<int> where = set_target_offsets(first, mid, last);
  for (int k = 0; k < t - 1; ++k) {
    if (broken()) return;
    const int p = where[k];
    const int displaced = elements[first + k].target_position;
    if (swap_elements(p, first + k)) {
      where[displaced] = p;
      where[k] = first + k;
    }
  }
}

// 10: the shorter part is exchanged with the far end of the longer one; repeat on the rest.
void rotate_quicksort_style(int first, int mid, int last) {
  int end = last + 1, f = first, m = mid;
  while (m < end && f < m && !broken()) {
    if (m - f > end - m) {
      for (int k = m; k < end && !broken(); ++k) swap_elements(k - (end - m), k);
      const int old_m = m;
      m = 2 * m - end;
      end = old_m;
    } else {
      for (int k = f; k < m && !broken(); ++k) swap_elements(k, k + (m - f));
      const int old_m = m;
      m = 2 * m - f;
      f = old_m;
    }
  }
}

// 11: reverse both blocks, then the whole range.
void three_reverses(int first, int mid, int last) {
  reverse_range(first, mid - 1, true);
  if (broken()) return;
  reverse_range(mid, last, true);
  if (broken()) return;
  reverse_range(first, last, true);
}

// 12: one loop of t placements; b1 carries the element of offset i to offset i - L. When a cycle
// closes at its start s, the next one starts behind the last source.
void only_one_loop(int first, int mid, int last) {
  const int L = mid - first, t = last - first + 1;
  int i = 0, s = 0;
  Element b1, b2;
  read_element(first, b1);
  bool open = false;  // b1 holds an element that the set lacks; first + s holds a second copy
  for (int n = 0; n < t; ++n) {
    if (broken()) {
      if (open) store_element(first + s, b1);
      return;
    }
    const int j = i >= L ? i - L : t + i - L;
    read_element(first + j, b2);
    store_element(first + j, b1);
    copy_record(b2, b1);
    if (j == s) {
      open = false;
      ++i;
      s = i;
      // The read also follows the last placement, where s may lie just behind the range; that
      // record is not used. Should it lie behind the element array, the range's first
      // element is read in its place.
      const int source = first + s < static_cast<int>(elements.size()) ? first + s : first;
      read_element(source, b1);
    } else {
      open = true;
      i = j;
    }
  }
}

// 13 and 17: cycle leader, or right shift by R: each cycle, from first on, fills its hole from R
// places before (wrapped), until t elements are placed. Both walk the same cycles in the same
// order.
void cycle_leader(int first, int mid, int last) {
  const int R = last - mid + 1, t = last - first + 1;
  int c = 0;
  for (int s = first; c < t && s <= last; ++s) {
    if (broken()) return;
    Element b;
    read_element(s, b);
    int p = s;
    for (;;) {
      if (broken()) return store_element(p, b);
      const int q = p > first + R - 1 ? p - R : p + t - R;
      if (q == s) break;
      move_element(p, q);
      p = q;
      ++c;
    }
    store_element(p, b);
    ++c;
  }
}

// 14 and 25: the smaller block is exchanged with the far end of the other; mid stays where it
// is. (25 takes the lengths from the block borders, which gives the same exchanges.)
void exchange_from_both_ends(int first, int mid, int last) {
  while (!broken()) {
    const int L = mid - first, R = last - mid + 1;
    if (L < R) {
      swap_ranges(first, first + L - 1, last - L + 1);
      if (last - L < mid) return;
      last -= L;
    } else {
      swap_ranges(first, first + R - 1, last - R + 1);
      if (mid - 1 < first + R) return;
      first += R;
    }
  }
}

// 15: juggling: gcd(t, L) cycles, each filling its hole from L places further on.
void juggling(int first, int mid, int last) {
  const int L = mid - first, t = last - first + 1, end = last + 1;
  const int g = gcd(t, L);
  for (int k = g - 1; k >= 0; --k) {
    if (broken()) return;
    Element b;
    read_element(first + k, b);
    int i = first + k, j = i + L;
    while (j != first + k) {
      if (broken()) return store_element(i, b);
      move_element(i, j);
      i = j;
      j = end - j > L ? j + L : j + L + first - end;
    }
    store_element(i, b);
  }
}

// 16: three-way rotations place one block and shift part of the other; the rest shrinks.
void hybrid_rotation(int first, int mid, int last) {
  int A = mid - first, B = last - mid + 1, f = first;
  while (A > 0 && B > 0 && !broken()) {
    if (A <= B) {
      if (2 * A > B) {
        const int m = f + B - A;
        if (m != f) triple_rotate(f, m, f + A, f + B);
        swap_ranges(m, f + A - 1, m + B);
        f = m;
        B -= A;
        A -= B;
      } else {
        const int m = f + A;
        triple_rotate(f, m, m, f + B);
        f = m;
        B -= 2 * A;
      }
    } else if (2 * B > A) {
      const int m = f + B;
      triple_rotate(m + B, m + A, m, m - (A - B));
      swap_ranges(f, m - (A - B) - 1, f + A);
      f = m;
      A -= B;
      B -= A;
    } else {
      const int m = f + B;
      triple_rotate(f + A, m + A, m, f);
      f = m + B;
      A -= 2 * B;
    }
  }
}

// 18: exchange min(A, B) elements at the border, then go on with what is left.
void min_block_exchanges(int first, int mid, int last) {
  int A = mid - first, B = last - mid + 1, f = first;
  for (int d = std::min(A, B); d > 0 && !broken(); d = std::min(A, B)) {
    for (int k = 0; k < d && !broken(); ++k) swap_elements(f + A + k, f + A + k - d);
    if (A < B) {
      f += d;
      B -= d;
    } else {
      A -= d;
    }
  }
}

// 19, 20, 21: absolute targets, then the cross-index permutation.
void cross_indexing(int first, int mid, int last, int variant) {
  const int L = mid - first, R = last - mid + 1;
  for (int p = first; p < mid; ++p) elements[p].target_position = static_cast<uint16_t>(p + R);
  for (int p = mid; p <= last; ++p) elements[p].target_position = static_cast<uint16_t>(p - L);
  cross_index_permute(first, last, variant);
}

// 22: swappings from the back: the left block walks down through the right one; i wraps back to
// the block border m, and the border moves when j reaches it.
void stl_from_back(int first, int mid, int last) {
  int m = mid - 1, i = mid - 1, j = last;
  while (!broken()) {
    swap_elements(i, j);
    --i;
    --j;
    if (j == m) {
      if (i < first) return;
      m = i;
    } else if (i < first) {
      i = m;
    }
  }
}

// 23: gcd(t, R) cycles of t / gcd movings each.
void stl_gcd_cycles(int first, int mid, int last) {
  const int R = last - mid + 1, t = last - first + 1;
  const int g = gcd(t, R), n = t / g;
  for (int k = 0; k < g; ++k) {
    if (broken()) return;
    int p = first + k;
    Element b;
    read_element(p, b);
    int q = p + t - R;
    for (int r = 1; r < n; ++r) {
      if (broken()) return store_element(p, b);
      move_element(p, q);
      p = q;
      q -= R;
      if (q < first) q += t;
    }
    store_element(p, b);
  }
}

// 24: cycles end when they return to their start s; lim, the smallest position visited, tells
// when every cycle is done.
void stl_smallest_visited(int first, int mid, int last) {
  const int L = mid - first, R = last - mid + 1, t = last - first + 1;
  int lim = last + 1, s = first, p = s, q = mid;
  Element b;
  read_element(s, b);
  for (;;) {
    if (broken()) return store_element(p, b);
    if (q == s) {
      store_element(p, b);
      if (++s >= lim) return;
      q = s + L;
      p = s;
      read_element(s, b);
    } else {
      move_element(p, q);
      if (q < lim) lim = q;
      p = q;
      q -= R;
      if (q < s) q += t;
    }
  }
}

}  // namespace

void block_swap(int first, int mid, int last) {
  if (mid - 1 < first || mid > last) return;
  const int L = mid - first, R = last - mid + 1;
  if (settings.quick_block_swapping.load(std::memory_order_relaxed) && L == R) {
    return swap_ranges(first, mid - 1, mid);
  }
  const int method = settings.block_swap_method.load(std::memory_order_relaxed);
  switch (method) {
    case 0:
      return out_of_place(first, mid, last);
    case 1:
      return marked_cycles(first, last, last, -1, -L);
    case 2:
      return marked_cycles(first, last, first, 1, R);
    case 3:
      return stepwise_short(first, mid, last, L < R);
    case 4:
      return stepwise_short(first, mid, last, L > R);
    case 5:
      if (L == R) return swap_ranges(first, mid - 1, mid);
      return stepwise_whole(first, mid, last, L < R);
    case 6:
      return stepwise_whole(first, mid, last, L < R);
    case 7:
      return stepwise_whole(first, mid, last, L > R);
    case 8:
      return by_targets_movings(first, mid, last);
    case 9:
      return by_targets_swappings(first, mid, last);
    case 10:
      return rotate_quicksort_style(first, mid, last);
    case 11:
      return three_reverses(first, mid, last);
    case 12:
      return only_one_loop(first, mid, last);
    case 13:
    case 17:
      return cycle_leader(first, mid, last);
    case 14:
    case 25:
      return exchange_from_both_ends(first, mid, last);
    case 15:
      return juggling(first, mid, last);
    case 16:
      return hybrid_rotation(first, mid, last);
    case 18:
      return min_block_exchanges(first, mid, last);
    case 19:
    case 20:
    case 21:
      return cross_indexing(first, mid, last, method - 19);
    case 22:
      return stl_from_back(first, mid, last);
    case 23:
      return stl_gcd_cycles(first, mid, last);
    case 24:
      return stl_smallest_visited(first, mid, last);
    default:
      return;
  }
}

}  // namespace mv

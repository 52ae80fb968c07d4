// Stable quick sorts and block hybrids: split sort in place, the stable quick sorts that
// partition by rotations or through a buffer, block quick sort, Quickmergesort, proportion
// extend and symmetry partition sort, m sort, the grail sorts, sqrt sort and the two Tim sorts.
#include "algorithms/stable_quick_sorts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "algorithms/block_swapping.h"
#include "algorithms/insertion_sorts.h"
#include "algorithms/merge_in_place_sorts.h"
#include "algorithms/quick_sorts.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/stack_emulation.h"

namespace mv {

namespace {

// Number of elements in first .. first+len-1 whose key is below the key at pos.
int count_less(int first, int len, int pos) {
  int lo = 0, hi = len;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (elem_less(first + mid, pos)) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

// Number of elements in first .. first+len-1 whose key is not above the key at pos.
int count_not_greater(int first, int len, int pos) {
  int lo = 0, hi = len;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (elem_greater(first + mid, pos)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

// One halving step of a merge without buffer: the middle element of the longer run is placed
// among the other run by binary search and block_swap. Returns the two pieces left to merge: the
// left one at start with lengths (c1, c2), the right one behind the placed element.
struct MergePieces {
  int c1, c2, right_start, right_len1, right_len2;
};

MergePieces halve_merge(int start, int len1, int len2) {
  if (len1 >= len2) {
    const int c1 = len1 / 2;
    const int c2 = count_less(start + len1, len2, start + c1);
    block_swap(start + c1, start + len1, start + len1 + c2 - 1);
    return {c1, c2, start + c1 + c2 + 1, len1 - c1 - 1, len2 - c2};
  }
  const int c2 = len2 / 2;
  const int c1 = count_not_greater(start, len1, start + len1 + c2);
  block_swap(start + c1, start + len1, start + len1 + c2);
  return {c1, c2, start + c1 + c2 + 1, len1 - c1, len2 - c2 - 1};
}

void gallop_merge_low(int a, int la, int lb, int& min_gallop);
void gallop_merge_high(int a, int la, int lb, int& min_gallop);
constexpr int never_gallop = 0x7FFFFFF;  // as min_gallop: plain merges

// Merges two neighbouring runs with a buffer of `buffer` records in buffer_a (0: none): while both
// parts are longer than the buffer, the middle of the longer one is placed by binary search and a
// rotation (pending pieces on the position stack); pieces with a short side go through buffer_a.
void halving_merge(int start, int len1, int len2, int buffer) {
  TStackemulator stack;
  while (!broken()) {
    if (len1 > 0 && len2 > 0) {
      if (std::min(len1, len2) <= buffer) {
        if (elem_greater(start + len1 - 1, start + len1)) {
          int no_gallop = never_gallop;
          if (len1 <= len2) {
            gallop_merge_low(start, len1, len2, no_gallop);
          } else {
            gallop_merge_high(start, len1, len2, no_gallop);
          }
        }
      } else {
        const MergePieces m = halve_merge(start, len1, len2);
        stack.Push3(m.right_start, m.right_len1, m.right_len2);
        len1 = m.c1;
        len2 = m.c2;
        continue;
      }
    }
    if (stack.IsEmpty()) break;
    stack.Pop3(start, len1, len2);
  }
}

}  // namespace

// ---- Split sort in place on a range ----------------------------------------------------------

namespace {

// Bounds of the two parts a partition leaves: lo..left_last and right_first..hi.
struct Parts {
  int left_last;
  int right_first;
};

// Iterative quick sort of lo..hi on the position stack: the larger part waits and the smaller
// goes on (with smaller_first clear: the left part goes on).
template <class Partition>
void quick_sort_by_parts(int lo, int hi, Partition part, bool smaller_first = true) {
  TStackemulator stack;
  while (!broken()) {
    if (lo < hi) {
      const Parts p = part(lo, hi);
      if (broken()) break;
      int l1 = lo, h1 = p.left_last, l2 = p.right_first, h2 = hi;
      if (smaller_first && h1 - l1 > h2 - l2) {
        std::swap(l1, l2);
        std::swap(h1, h2);
      }
      if (l2 < h2) stack.Push2(l2, h2);
      lo = l1;
      hi = h1;
      if (lo < hi) continue;
    }
    if (stack.IsEmpty()) break;
    stack.Pop2(lo, hi);
  }
}

}  // namespace

void split_sort_in_place(int first, int last, bool smaller_first) {
  quick_sort_by_parts(
      first, last,
      [](int lo, int hi) {
        // One pass: runs of elements that come after the pivot at hi and runs that come before it
        // are exchanged, so the before-group grows at s and the after-group moves right.
        int s = lo;
        int a = lo, b = lo;
        do {
          a = s;
          while (a < hi && elem_greater(a, hi)) ++a;
          b = a;
          while (b < hi && elem_stable_before(b, hi)) ++b;
          // An element neither greater nor before the pivot (an equal key whose start position is
          // out of order) joins the before-group, so the pass always advances.
          if (b == a && a < hi) ++b;
          if (b > a) {
            block_swap(s, a, b - 1);
          } else {
            block_swap(s, a, b);  // a = hi: the pivot moves in front of the after-group
          }
          s += b - a;
        } while (!broken() && b < hi);
        // When the last before-run ended at hi, the pivot still waits behind the after-group.
        if (a < hi) block_swap(s, hi, hi);
        return Parts{s - 1, s + 1};  // the pivot stands at s, in neither part
      },
      smaller_first);
}

namespace {

// ---- Split sort in place (381) --------------------------------------------------------------

void split_sort_in_place_entry() {
  split_sort_in_place(0, last_position(), false);
}

// ---- Stable partitions ----------------------------------------------------------------------

// Partitioned runs a .. e-1, the elements a .. b-1 of the left group in front of b .. e-1, merged
// like a binary counter: two runs of the same level become one of the next level by exchanging
// the right group of the first with the left group of the second (block_swap).
class RunMerger {
 public:
  void push(int a, int b, int e) {
    runs_.push_back({a, b, e, 0});
    while (runs_.size() >= 2 && runs_[runs_.size() - 2].level == runs_.back().level && !broken()) {
      merge_top();
    }
  }
  // Merges what is left; returns the split point of the whole range.
  int finish() {
    while (runs_.size() >= 2 && !broken()) merge_top();
    return runs_.empty() ? 0 : runs_.front().b;
  }

 private:
  struct Run {
    int a, b, e, level;
  };
  void merge_top() {
    const Run r2 = runs_.back();
    runs_.pop_back();
    Run& r1 = runs_.back();
    if (r1.b < r2.a && r2.a < r2.b) block_swap(r1.b, r2.a, r2.b - 1);
    r1.b += r2.b - r2.a;
    r1.e = r2.e;
    r1.level = std::max(r1.level, r2.level) + 1;
  }
  std::vector<Run> runs_;
};

// Classifies the elements of a range against the pivot element that stood at q when the range
// was entered: elements in front of q go left unless they come after it, elements behind q go
// left only when they come before it. Each element is classified once, at its start place.
struct PivotTest {
  Element pivot;
  int q;
  int after_in_front = 0;  // elements in front of q that go right
  bool left(int x) {
    if (x == q) return false;
    if (x < q) {
      const bool l = rec_stable_before(elements[x], pivot);
      if (!l) ++after_in_front;
      return l;
    }
    return !rec_stable_after(elements[x], pivot);
  }
};

// How a chunk of a range is partitioned in place before the runs are merged.
enum class ChunkMethod { buffer, rotations, swappings };

// Stable partition of lo..hi around the element at q; returns the pivot's final place.
int stable_partition_by_chunks(int lo, int hi, int q, int chunk, ChunkMethod method) {
  PivotTest test{elements[q], q};
  RunMerger merger;
  // A chunk larger than the range is the whole range (and c + chunk stays a small number).
  chunk = std::clamp(chunk, 1, std::max(1, hi - lo + 1));
  for (int c = lo; c <= hi && !broken(); c += chunk) {
    const int e = std::min(hi + 1, c + chunk);
    int w = c;
    if (method == ChunkMethod::buffer) {
      // The right group waits in buffer_a and comes back behind the left group.
      int k = 0;
      for (int x = c; x < e; ++x) {
        if (test.left(x)) {
          move_element(w++, x);
        } else {
          move_to_buffer(k++, x);
        }
      }
      for (int t = 0; t < k; ++t) store_element(w + t, buffer_a[t]);
    } else {
      for (int x = c; x < e; ++x) {
        if (!test.left(x)) continue;
        if (method == ChunkMethod::rotations) {
          rotate_right_one(w, x);
        } else {
          for (int y = x; y > w; --y) swap_elements(y - 1, y);
        }
        ++w;
      }
    }
    merger.push(c, w, e);
  }
  const int split = merger.finish();
  if (broken()) return -1;
  // The pivot follows the elements of its group that stood in front of it; those all come after
  // it, so it moves to the front of the group.
  rotate_right_one(split, split + test.after_in_front);
  return split;
}

Parts around(int p) {
  return {p - 1, p + 1};
}

// 274: chunks of the pivot buffer size through buffer_a, a random pivot.
void quick_sort_stable_buffered() {
  const int size = std::max(1, parameters.pivotbuffersize);
  quick_sort_by_parts(0, last_position(), [size](int lo, int hi) {
    const int q = random_position(lo, hi, 1);
    return around(stable_partition_by_chunks(lo, hi, q, size, ChunkMethod::buffer));
  });
}

// 275, 276: small segments partitioned in place (by one-place rotations or by neighbour
// swappings), then merged pairwise by block_swap.
void quick_sort_stable_binary() {
  const bool second = algorithm_index == 276;
  const int size = second ? parameters.smallsegmentsizetb : parameters.smallsegmentsizecb;
  const ChunkMethod method = second ? ChunkMethod::swappings : ChunkMethod::rotations;
  quick_sort_by_parts(0, last_position(), [size, method](int lo, int hi) {
    return around(stable_partition_by_chunks(lo, hi, lo + (hi - lo) / 2, size, method));
  });
}

// 279: every element is a run of its own; the runs merge by repeated rotations.
void quick_sort_stable_1973() {
  quick_sort_by_parts(0, last_position(), [](int lo, int hi) {
    return around(
        stable_partition_by_chunks(lo, hi, lo + (hi - lo) / 2, 1, ChunkMethod::rotations));
  });
}

// 277: one sweep; each run of left-group elements is rotated in front of the right-group
// elements gathered so far.
void quick_sort_stable_2012() {
  quick_sort_by_parts(0, last_position(), [](int lo, int hi) {
    const int q = min_index(lo, hi) + (max_index(lo, hi) - min_index(lo, hi)) / 2;
    PivotTest test{elements[q], q};
    int s = lo, run = -1;  // s: front of the right group; run: start of a left-group run
    for (int x = lo; x <= hi + 1 && !broken(); ++x) {
      if (x <= hi && test.left(x)) {
        if (run < 0) run = x;
      } else if (run >= 0) {
        block_swap(s, run, x - 1);
        s += x - run;
        run = -1;
      }
    }
    if (broken()) return Parts{lo, hi};
    rotate_right_one(s, s + test.after_in_front);
    return around(s);
  });
}

// 278: three groups through buffer_a: smaller keys stay (moved to the front), equal and greater
// keys wait in the buffer and come back in that order; the equal group is in place.
void quick_sort_stable_trisort() {
  std::vector<int8_t> side(static_cast<size_t>(column_count()) + 1);
  quick_sort_by_parts(0, last_position(), [&side](int lo, int hi) {
    const int32_t p = elements[lo + (hi - lo) / 2].key;
    int w = lo, k = 0;
    for (int x = lo; x <= hi; ++x) {
      const int r = cmp_three_way(elements[x].key, p);
      if (r < 0) {
        move_element(w++, x);
      } else {
        side[k] = static_cast<int8_t>(r);
        move_to_buffer(k++, x);
      }
    }
    const int equal_first = w;
    for (int t = 0; t < k; ++t) {
      if (side[t] == 0) store_element(w++, buffer_a[t]);
    }
    const int greater_first = w;
    for (int t = 0; t < k; ++t) {
      if (side[t] > 0) store_element(w++, buffer_a[t]);
    }
    return Parts{equal_first - 1, greater_first};
  });
}

// 281: the whole range through buffer_a with stable comparisons; the pivot returns first.
void quick_sort_stable_2007_buffered() {
  quick_sort_by_parts(0, last_position(), [](int lo, int hi) {
    const int q = lo + (hi - lo) / 2;
    PivotTest test{elements[q], q};
    int w = lo, k = 0, pivot_slot = 0;
    for (int x = lo; x <= hi; ++x) {
      if (test.left(x)) {
        move_element(w++, x);
      } else {
        if (x == q) pivot_slot = k;
        move_to_buffer(k++, x);
      }
    }
    store_element(w, buffer_a[pivot_slot]);
    int to = w + 1;
    for (int t = 0; t < k; ++t) {
      if (t != pivot_slot) store_element(to++, buffer_a[t]);
    }
    return around(w);
  });
}

// ---- Rotate quick sort (280) ----------------------------------------------------------------

void rotate_quick_sort() {
  TStackemulator stack;  // frames (first, end, balance bit)
  int lo = 0, hi = column_count(), f = 0;
  while (!broken()) {
    if (hi - lo >= 2) {
      bool all_equal = true;
      for (int i = lo + 1; i < hi && all_equal; ++i) all_equal = !elem_unequal(i - 1, i);
      if (!all_equal && !broken()) {
        const int32_t kl = elements[lo].key, km = elements[lo + (hi - lo) / 2].key,
                      kh = elements[hi - 1].key;
        int32_t p;
        if (cmp_greater(kl, km)) {
          p = cmp_greater(km, kh) ? km : (cmp_greater(kl, kh) ? kh : kl);
        } else if (cmp_greater(km, kh)) {
          p = cmp_greater(kl, kh) ? kl : kh;
        } else {
          p = km;
        }
        RunMerger merger;
        for (int i = lo + 1; i <= hi && !broken(); ++i) {
          const int r = cmp_three_way(elements[i - 1].key, p);
          merger.push(i - 1, r + f > 0 ? i - 1 : i, i);
        }
        const int split = merger.finish();
        if (broken()) break;
        f ^= 1;
        // Left part first; the right part waits.
        if (hi - split >= 2) stack.Push3(split, hi, f);
        hi = split;
        continue;
      }
    }
    if (stack.IsEmpty()) break;
    stack.Pop3(lo, hi, f);
  }
}

// ---- Block quick sort (35, 36, 37) ----------------------------------------------------------

// Puts the median of the keys at lo, mid and hi to hi.
void median_to_end(int lo, int hi) {
  const int mid = lo + (hi - lo) / 2;
  compare_exchange(lo, mid);
  compare_exchange(mid, hi);
  compare_exchange(lo, mid);
  swap_elements(mid, hi);
}

// Exchanges the misplaced elements at left[t] and right[t], t < count: by swappings, or as one
// cycle of movings through a record.
void exchange_offsets(const std::vector<int>& left, const std::vector<int>& right, int count,
                      bool cyclic) {
  if (count == 0) return;
  if (!cyclic) {
    for (int t = 0; t < count; ++t) swap_elements(left[t], right[t]);
    return;
  }
  Element held;
  read_element(left[0], held);
  for (int t = 0; t < count; ++t) {
    move_element(left[t], right[t]);
    if (t + 1 < count) move_element(right[t], left[t + 1]);
  }
  store_element(right[count - 1], held);
}

// Partition of lo..hi around the element at hi: blocks of `block` positions from both ends are
// classified first, then their misplaced elements exchanged. 35 and 36 go on with halved blocks
// down to single elements; 37 ends with a plain partition pass over the unclassified middle.
int block_partition(int lo, int hi, int block, bool cyclic, bool finish_plain) {
  int l = lo, r = hi - 1;
  std::vector<int> left, right;  // misplaced positions of the current blocks, not yet exchanged
  for (int b = std::max(1, block); b >= 1 && !broken(); b /= 2) {
    left.clear();
    right.clear();
    // Both blocks fit without overlapping while more than 2b positions are open (2b counted in
    // 64 bits: the block size may be any positive 32-bit number).
    while (r - l + 1 > 2 * static_cast<int64_t>(b) && !broken()) {
      if (left.empty()) {
        for (int x = l; x < l + b; ++x) {
          if (!elem_less(x, hi)) left.push_back(x);
        }
      }
      if (right.empty()) {
        for (int x = r; x > r - b; --x) {
          if (!elem_greater(x, hi)) right.push_back(x);
        }
      }
      const auto count = static_cast<long>(std::min(left.size(), right.size()));
      exchange_offsets(left, right, static_cast<int>(count), cyclic);
      left.erase(left.begin(), left.begin() + count);
      right.erase(right.begin(), right.begin() + count);
      if (left.empty()) l += b;
      if (right.empty()) r -= b;
    }
    // A block with misplaced elements left over stays inside the open middle l..r.
    if (finish_plain) break;
  }
  if (broken()) return -1;
  // Plain pass over the open middle: smaller keys to its front, then the pivot between.
  int i = l;
  for (int x = l; x <= r; ++x) {
    if (elem_less(x, hi)) {
      if (x != i) swap_elements(i, x);
      ++i;
    }
  }
  if (i != hi) swap_elements(i, hi);
  return i;
}

void block_quick_sort() {
  const int index = algorithm_index;
  const int block = std::max(1, parameters.BlockSize);
  quick_sort_by_parts(0, last_position(), [index, block](int lo, int hi) {
    if (hi - lo >= 2) median_to_end(lo, hi);
    return around(block_partition(lo, hi, block, index == 36, index == 37));
  });
}

// ---- Merges through buffer_a (m sort, Tim sorts) -------------------------------------------

// ---- Tim sorts (389, 390) -------------------------------------------------------------------

struct TimRun {
  int length, start;
};

constexpr int gallop_start = 7;

// Number of records buffer_a[from .. to-1] (sorted) that come before key k: with_equal, those not
// above it, otherwise those below it.
int buffer_count_before(int from, int to, int32_t k, bool with_equal) {
  int lo = from, hi = to;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    const bool before =
        with_equal ? !cmp_greater(buffer_a[mid].key, k) : cmp_less(buffer_a[mid].key, k);
    if (before) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo - from;
}

// The same for the elements first .. last (sorted).
int elements_count_before(int first, int last, int32_t k, bool with_equal) {
  int lo = first, hi = last + 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    const bool before =
        with_equal ? !cmp_greater(elements[mid].key, k) : cmp_less(elements[mid].key, k);
    if (before) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo - first;
}

// Merges a..a+la-1 with the following lb elements, the left run waiting in buffer_a. After
// min_gallop wins in a row of one side, whole stretches are found by binary search and taken at
// once, as long as the stretches stay long; the threshold falls while galloping pays and rises when
// it stops.
void gallop_merge_low(int a, int la, int lb, int& min_gallop) {
  for (int t = 0; t < la; ++t) move_to_buffer(t, a + t);
  int i = 0, j = a + la, w = a, left_wins = 0, right_wins = 0;
  const int je = a + la + lb;
  while (i < la && j < je) {
    if (cmp_less(elements[j].key, buffer_a[i].key)) {
      move_element(w++, j++);
      ++right_wins;
      left_wins = 0;
    } else {
      store_element(w++, buffer_a[i++]);
      ++left_wins;
      right_wins = 0;
    }
    if (i < la && j < je && (left_wins >= min_gallop || right_wins >= min_gallop)) {
      int k1 = 0, k2 = 0;
      do {
        k1 = buffer_count_before(i, la, elements[j].key, true);
        for (int t = 0; t < k1; ++t) store_element(w++, buffer_a[i++]);
        if (i == la) break;
        k2 = elements_count_before(j, je - 1, buffer_a[i].key, false);
        for (int t = 0; t < k2; ++t) move_element(w++, j++);
        if (j == je) break;
        if (min_gallop > 1) --min_gallop;
      } while (k1 >= gallop_start || k2 >= gallop_start);
      min_gallop += 2;
      left_wins = right_wins = 0;
    }
  }
  while (i < la) store_element(w++, buffer_a[i++]);
}

// The mirror image of gallop_merge_low from the ends of the runs.
void gallop_merge_high(int a, int la, int lb, int& min_gallop) {
  for (int t = 0; t < lb; ++t) move_to_buffer(t, a + la + t);
  int i = a + la - 1, j = lb - 1, w = a + la + lb - 1, left_wins = 0, right_wins = 0;
  while (i >= a && j >= 0) {
    if (cmp_greater(elements[i].key, buffer_a[j].key)) {
      move_element(w--, i--);
      ++left_wins;
      right_wins = 0;
    } else {
      store_element(w--, buffer_a[j--]);
      ++right_wins;
      left_wins = 0;
    }
    if (i >= a && j >= 0 && (left_wins >= min_gallop || right_wins >= min_gallop)) {
      int k1 = 0, k2 = 0;
      do {
        k1 = i + 1 - a - elements_count_before(a, i, buffer_a[j].key, true);
        for (int t = 0; t < k1; ++t) move_element(w--, i--);
        if (i < a) break;
        k2 = j + 1 - buffer_count_before(0, j + 1, elements[i].key, false);
        for (int t = 0; t < k2; ++t) store_element(w--, buffer_a[j--]);
        if (j < 0) break;
        if (min_gallop > 1) --min_gallop;
      } while (k1 >= gallop_start || k2 >= gallop_start);
      min_gallop += 2;
      left_wins = right_wins = 0;
    }
  }
  while (j >= 0) store_element(w--, buffer_a[j--]);
}

// Merges two neighbouring runs: the elements already in place at both ends are found by binary
// search and left out, the shorter remainder waits in buffer_a.
void tim_merge(std::vector<TimRun>& runs, size_t m, int& min_gallop) {
  int a = runs[m].start, la = runs[m].length, lb = runs[m + 1].length;
  runs[m].length += lb;
  runs.erase(runs.begin() + static_cast<long>(m) + 1);
  const int skip = count_not_greater(a, la, a + la);
  a += skip;
  la -= skip;
  if (la == 0) return;
  lb = count_less(a + la, lb, a + la - 1);
  if (lb == 0) return;
  if (la <= lb) {
    gallop_merge_low(a, la, lb, min_gallop);
  } else {
    gallop_merge_high(a, la, lb, min_gallop);
  }
}

// 115: bottom-up; every pair of runs not yet in order is merged through buffer_a.
void m_sort() {
  const int n = column_count();
  int no_gallop = never_gallop;
  for (int width = 1; width < n && !broken(); width *= 2) {
    for (int a = 0; a + width < n && !broken(); a += 2 * width) {
      const int lb = std::min(width, n - a - width);
      if (elem_greater(a + width - 1, a + width)) gallop_merge_low(a, width, lb, no_gallop);
    }
  }
}

// Length of the natural run at lo (a strictly descending run is reversed first), extended to
// min(remaining, minrun) by binary insertion.
int tim_run(int lo, int n, int minrun, bool with_movings) {
  int k = lo + 1;
  if (k < n) {
    if (elem_less(k, lo)) {
      while (++k < n && elem_less(k, k - 1)) {
      }
      reverse_range(lo, k - 1);
    } else {
      while (++k < n && elem_stable_after(k, k - 1)) {
      }
    }
  }
  int length = k - lo;
  if (length < minrun) {
    const int force = std::min(n - lo, minrun);
    insert_forward(lo, lo + force - 1, lo + length, with_movings);
    length = force;
  }
  return length;
}

void tim_sort_second() {
  const int n = column_count();
  const int minrun = std::max(0, parameters.minrun2);
  std::vector<TimRun> runs;
  int min_gallop = gallop_start;
  for (int lo = 0; lo < n && !broken();) {
    const int length = tim_run(lo, n, minrun, true);
    runs.push_back({length, lo});
    lo += length;
    while (runs.size() >= 2 && !broken()) {
      size_t m = runs.size() - 2;
      auto len = [&runs](size_t k) { return runs[k].length; };
      if ((m >= 1 && len(m - 1) <= len(m) + len(m + 1)) ||
          (m >= 2 && len(m - 2) <= len(m - 1) + len(m))) {
        if (len(m - 1) < len(m + 1)) --m;
        tim_merge(runs, m, min_gallop);
      } else if (len(m) <= len(m + 1)) {
        tim_merge(runs, m, min_gallop);
      } else {
        break;
      }
    }
  }
  while (runs.size() > 1 && !broken()) {
    size_t m = runs.size() - 2;
    if (m > 0 && runs[m - 1].length < runs[m + 1].length) --m;
    tim_merge(runs, m, min_gallop);
  }
}

void tim_sort_first() {
  const int n = column_count();
  const int minrun = std::max(0, parameters.minrun1);
  std::vector<TimRun> runs;
  int min_gallop = gallop_start;
  int pushed = 0;
  for (int lo = 0; lo < n && !broken();) {
    const int length = tim_run(lo, n, minrun, false);
    runs.push_back({length, lo});
    lo += length;
    if (++pushed < 3) continue;
    // The top three runs z, y, x must keep z > y + x and y > x.
    while (runs.size() >= 2 && !broken()) {
      const size_t top = runs.size() - 1;
      const int x = runs[top].length, y = runs[top - 1].length;
      const int z = runs.size() >= 3 ? runs[top - 2].length : 0x7FFFFFFF;
      if (runs.size() >= 3 && z <= y + x) {
        tim_merge(runs, z < x ? top - 2 : top - 1, min_gallop);
      } else if (y <= x) {
        tim_merge(runs, top - 1, min_gallop);
      } else {
        break;
      }
    }
  }
  while (runs.size() > 1 && !broken()) tim_merge(runs, runs.size() - 2, min_gallop);
}

// ---- Proportion extend sort (260) and symmetry partition sort (388) ------------------------

// Extends the sorted lo..m-1 over m..hi: the unsorted elements are partitioned around the middle
// of the sorted part, the smaller ones rotated in front of its upper half, and both halves
// extended the same way (frames on the position stack). symmetric: partition by scans from both
// ends and small frames by quick_sort_ranges.
void extend_sorted(int lo, int m, int hi, bool symmetric) {
  TStackemulator stack;
  while (!broken()) {
    if (hi >= m && hi > lo) {
      if (symmetric && hi - lo < 16) {
        quick_sort_ranges(lo, hi, quick_order_stack, true);
      } else {
        if (m == lo) ++m;  // a single element is sorted
        const int p = lo + (m - lo) / 2;
        int i = m;
        if (symmetric) {
          int j = hi;
          while (true) {
            while (i <= j && elem_less(i, p)) ++i;
            while (i <= j && !elem_less(j, p)) --j;
            if (i >= j) break;
            swap_elements(i++, j--);
          }
        } else {
          for (int k = m; k <= hi; ++k) {
            if (elem_less(k, p)) {
              if (k != i) swap_elements(i, k);
              ++i;
            }
          }
        }
        if (broken()) break;
        if (i > m) block_swap(p, m, i - 1);
        const int np = p + (i - m);  // the pivot's place
        if (i <= hi) stack.Push3(np + 1, i, hi);
        if (i > m) {
          hi = np - 1;
          m = p;
          continue;
        }
      }
    }
    if (stack.IsEmpty()) break;
    stack.Pop3(lo, m, hi);
  }
}

void proportion_extend(double factor, bool symmetric) {
  const int n = column_count();
  if (!(factor > 1.0)) factor = 2.0;
  int s = 1;
  while (s < n && !broken()) {
    const double grown = std::floor(static_cast<double>(s) * factor);
    const int t = static_cast<int>(std::min<double>(n, std::max<double>(s + 1, grown)));
    extend_sorted(0, s, t - 1, symmetric);
    s = t;
  }
}

void proportion_extend_sort() {
  proportion_extend(parameters.Param_pe_sort, false);
}

void symmetry_partition_sort() {
  proportion_extend(parameters.Param_sps_and_sp_sort, true);
}

// ---- Quickmergesort (261 .. 264) ------------------------------------------------------------

// Merges a..a+la-1 with the following lb elements by swappings; the left run is first exchanged
// with the buffer area at buf (at least la elements, outside the runs), whose elements end up in
// the buffer area again in some order.
void swap_merge(int a, int la, int lb, int buf) {
  swap_ranges(a, a + la - 1, buf);
  int i = buf, j = a + la, w = a;
  const int ie = buf + la, je = a + la + lb;
  while (i < ie && j < je) {
    if (elem_less(j, i)) {
      swap_elements(w++, j++);
    } else {
      swap_elements(w++, i++);
    }
  }
  while (i < ie) swap_elements(w++, i++);
}

// Bottom-up merge sort of lo..hi by swap merges with the buffer area at buf; every left run is
// shorter than the range. accelerated: runs of eight sorted by binary insertion first.
void swap_merge_sort_bottom_up(int lo, int hi, int buf, bool accelerated) {
  const int length = hi - lo + 1;
  int width = 1;
  if (accelerated) {
    width = 8;
    for (int a = lo; a <= hi && !broken(); a += width) {
      insert_forward(a, std::min(hi, a + width - 1), a + 1, false);
    }
  }
  for (; width < length && !broken(); width *= 2) {
    for (int a = lo; a + width <= hi && !broken(); a += 2 * width) {
      swap_merge(a, width, std::min(width, hi - a - width + 1), buf);
    }
  }
}

// Sorts lo..hi with a buffer area of at least half its length: both halves bottom-up, then one
// swap merge.
void swap_merge_sort(int lo, int hi, int buf, bool accelerated) {
  const int half = (hi - lo + 1) / 2;
  if (half == 0) return;
  swap_merge_sort_bottom_up(lo, lo + half - 1, buf, accelerated);
  swap_merge_sort_bottom_up(lo + half, hi, buf, accelerated);
  if (!broken()) swap_merge(lo, half, hi - lo + 1 - half, buf);
}

void quickmergesort() {
  const int index = algorithm_index;
  const bool accelerated = index == 262 || index == 264;
  const bool complete = index == 263 || index == 264;
  const int small = accelerated ? 16 : 2;
  int lo = 0, hi = last_position();
  while (hi - lo + 1 > small && !broken()) {
    median_to_end(lo, hi);
    const PartitionResult r = partition(lo, hi, true);
    if (broken()) return;
    const int left = r.j - lo + 1, right = hi - r.i + 1;
    if (left <= 0 || right <= 0) break;  // no split: the insertion below finishes the range
    const bool left_smaller = left <= right;
    const int s_lo = left_smaller ? lo : r.i, s_hi = left_smaller ? r.j : hi;
    const int g_lo = left_smaller ? r.i : lo, g_hi = left_smaller ? hi : r.j;
    const int s_len = s_hi - s_lo + 1, g_len = g_hi - g_lo + 1;
    if (complete && g_len <= 2 * s_len) {
      swap_merge_sort(g_lo, g_hi, s_lo, accelerated);
      lo = s_lo;
      hi = s_hi;
    } else {
      swap_merge_sort(s_lo, s_hi, g_lo, accelerated);
      lo = g_lo;
      hi = g_hi;
    }
  }
  if (!broken() && hi > lo) insert_forward(lo, hi, lo + 1, accelerated);
}

// ---- Grail sorts (84, 85, 86) ---------------------------------------------------------------

// Gathers up to `wanted` elements of distinct keys, the first of each key, at the front in
// sorted order; the other elements keep their order behind them. Returns how many were found.
int collect_keys(int n, int wanted) {
  int first = 0, found = 1;  // the key block first .. first+found-1, sorted
  for (int u = 1; u < n && found < wanted && !broken(); ++u) {
    const int r = count_less(first, found, u);
    if (r < found && !elem_unequal(first + r, u)) continue;
    block_swap(first, first + found, u - 1);  // the key block moves up to the new key
    first = u - found;
    rotate_right_one(first + r, u);
    ++found;
  }
  block_swap(0, first, first + found - 1);
  return found;
}

// Forward rotation merge: the left elements in order stay, each run of right elements below the
// next left element is rotated in front of it.
void simple_rotation_merge(int a, int la, int lb) {
  int i = a, m = a + la, e = a + la + lb;
  while (i < m && m < e && !broken()) {
    while (i < m && !elem_greater(i, m)) ++i;
    if (i == m) break;
    int j = m;
    while (j < e && elem_less(j, i)) ++j;
    block_swap(i, m, j - 1);
    i += j - m + 1;
    m = j;
  }
}

void grail_sort() {
  const int index = algorithm_index;
  const int n = column_count();
  if (n < 2) return;
  const int keys =
      collect_keys(n, std::max(1, static_cast<int>(std::sqrt(static_cast<double>(n)))));
  // The keys serve as the buffer of the swap merges; they are sorted again at the end.
  for (int width = 1; keys + width < n && !broken(); width *= 2) {
    for (int a = keys; a + width < n && !broken(); a += 2 * width) {
      const int lb = std::min(width, n - a - width);
      if (!elem_greater(a + width - 1, a + width)) continue;
      if (width <= keys) {
        swap_merge(a, width, lb, 0);
      } else if (index == 84) {
        grail_merge_iterative(a, width, lb);
      } else if (index == 85) {
        grail_merge_recursive(a, width, lb);
      } else {
        simple_rotation_merge(a, width, lb);
      }
    }
  }
  if (broken()) return;
  insert_forward(0, keys - 1, 1, false);
  if (!broken()) grail_merge_iterative(0, keys, n - keys);
}

// ---- Sqrt sort (382) ------------------------------------------------------------------------

// Bottom-up merge sort whose merges use a buffer of about the square root of n records.
void sqrt_sort() {
  const int n = column_count();
  const int buffer = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(n))));
  for (int width = 1; width < n && !broken(); width *= 2) {
    for (int a = 0; a + width < n && !broken(); a += 2 * width) {
      halving_merge(a, width, std::min(width, n - a - width), buffer);
    }
  }
}

}  // namespace

void register_stable_quick_sorts() {
  register_procedures({35, 36, 37}, block_quick_sort);
  register_procedure(274, quick_sort_stable_buffered);
  register_procedures({275, 276}, quick_sort_stable_binary);
  register_procedure(277, quick_sort_stable_2012);
  register_procedure(278, quick_sort_stable_trisort);
  register_procedure(279, quick_sort_stable_1973);
  register_procedure(280, rotate_quick_sort);
  register_procedure(281, quick_sort_stable_2007_buffered);
  register_procedures({84, 85, 86}, grail_sort);
  register_procedure(115, m_sort);
  register_procedure(260, proportion_extend_sort);
  register_procedures({261, 262, 263, 264}, quickmergesort);
  register_procedure(381, split_sort_in_place_entry);
  register_procedure(382, sqrt_sort);
  register_procedure(388, symmetry_partition_sort);
  register_procedure(389, tim_sort_first);
  register_procedure(390, tim_sort_second);
}

}  // namespace mv

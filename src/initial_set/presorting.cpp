// The presorting and preshuffling methods of the initial set (ComboBox4): partial runs of
// sorting algorithms "at value", binary radix steps, partial shuffles and random exchanges.
// They run while no run is active, so nothing is drawn or braked; compare-exchanges do not pump
// events.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>
#include <vector>

#include "algorithms/binary_counting_pass.h"
#include "algorithms/quick_sorts.h"
#include "algorithms/selection_heap_smooth_sorts.h"
#include "algorithms/shuffles.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/random.h"
#include "engine/settings.h"
#include "engine/stack_emulation.h"
#include "initial_set/initial_set.h"

namespace mv {

bool presorting_round_shortcuts = true;

namespace {

constexpr int presorting_method_count = 37;

// The stable comparison "i before j" as the counted one makes it, without counting: by key and
// copy field while "stable comparings" is in force, else key(i) <= key(j). Building the set
// counts nothing, and the round-counted methods make hundreds of millions of these on the
// largest sets.
bool stable_before(int i, int j) {
  const Element& a = elements[i];
  const Element& b = elements[j];
  if (!settings.stable_comparings_active()) return a.key <= b.key;
  return a.key < b.key || (a.key == b.key && a.start_position < b.start_position);
}

// Puts i before j (ascending) when they are out of order; true when it exchanged.
bool order_pair(int i, int j) {
  if (stable_before(i, j)) return false;
  std::swap(elements[i], elements[j]);
  return true;
}

void sort_range(int lo, int hi) {
  if (lo < hi) sort_keys_ascending(lo, hi);
}

// Every key with its copy field, the state the round-counted methods (3, 13, 22) work on: their
// rounds compare by both, use no random numbers and read nothing else.
void take_state(int n, std::vector<uint64_t>& state) {
  state.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    state[i] = static_cast<uint64_t>(static_cast<uint32_t>(elements[i].key)) << 16 |
               elements[i].start_position;
  }
}

// Runs `round` `rounds` times, or fewer with the same end: a round is a fixed function of the
// state, so once a state comes again every later one is known. A round that changes nothing ends
// the loop; a cycle of states (Brent's method: the state at each power-of-two round is kept and
// compared) is gone round only for the rounds that remain modulo its length. With equal keys and
// "stable comparings" such rounds exchange equal elements for ever, so the count given may be
// any number without the building taking longer.
template <class Round>
void repeat_rounds(int rounds, int n, Round round) {
  if (!presorting_round_shortcuts) {
    for (int r = 0; r < rounds; ++r) round();
    return;
  }
  std::vector<uint64_t> before, now, kept;
  take_state(n, before);
  kept = before;
  int64_t power = 1;
  int length = 0;  // rounds since the state was kept
  for (int done = 0; done < rounds;) {
    round();
    ++done;
    ++length;
    take_state(n, now);
    if (now == before) return;
    if (now == kept) {
      for (int r = (rounds - done) % length; r > 0; --r) round();
      return;
    }
    if (length == power) {
      kept = now;
      power *= 2;
      length = 0;
    }
    before.swap(now);
  }
}

// 3: one round of the iterative circle sort: each range exchanges its pairs from both ends toward
// the middle, then its halves are put aside on the stack, the left one processed first.
void circle_round(int hi) {
  TStackemulator stack;
  stack.Push2(0, hi);
  while (stack.Depth() > 0) {
    int lo = 0, top = 0;
    stack.Pop2(lo, top);
    if (lo >= top) continue;
    for (int a = lo, b = top; a < b; ++a, --b) order_pair(a, b);
    const int mid = (lo + top) / 2;
    stack.Push2(mid + 1, top);
    stack.Push2(lo, mid);
  }
}

// 4: cycle sort on the keys for the start positions 0 .. starts - 1.
void cycle_sort_keys(int starts, int hi) {
  for (int s = 0; s < std::min(starts, hi); ++s) {
    int32_t item = elements[s].key;
    int target = s;
    for (int k = s + 1; k <= hi; ++k) target += cmp_less(elements[k].key, item);
    if (target == s) continue;
    while (target != s) {
      while (target <= hi && elements[target].key == item) ++target;
      if (target > hi) break;
      std::swap(item, elements[target].key);
      target = s;
      for (int k = s + 1; k <= hi; ++k) target += cmp_less(elements[k].key, item);
    }
    elements[s].key = item;
  }
}

// 10-12: top-down merge sort on the stack, each merge of two neighbouring parts done by the
// complete quick sort over their union. Ranges larger than E are split but never merged, so the
// set ends as sorted subsets of at most E elements. order 0: left half first, 1: right half
// first, 2: a random half first.
void merge_sort_up_to(int order, int limit, int hi) {
  TStackemulator stack;
  stack.Push3(0, hi, 1);  // (low, high, state): 1 split, 2 merge
  while (stack.Depth() > 0) {
    int low = 0, high = 0, state = 0;
    stack.Pop3(low, high, state);
    if (low >= high) continue;
    const int mid = (low + high) / 2;
    if (state == 2) {
      sort_range(low, high);
      continue;
    }
    if (high - low + 1 <= limit) stack.Push3(low, high, 2);
    const bool left_first = order == 0 || (order == 2 && Random(2) == 0);
    if (left_first) {
      stack.Push3(mid + 1, high, 1);
      stack.Push3(low, mid, 1);
    } else {
      stack.Push3(low, mid, 1);
      stack.Push3(mid + 1, high, 1);
    }
  }
}

// 13: one round of natural merging: two neighbouring ascending runs are merged by the quick
// sort, and so on to the end of the set.
void natural_merge_round(int hi) {
  auto run_end = [hi](int from) {
    int e = from;
    while (e < hi && stable_before(e, e + 1)) ++e;
    return e;
  };
  for (int a = 0; a <= hi;) {
    const int b = run_end(a);
    if (b >= hi) break;
    const int c = run_end(b + 1);
    sort_range(a, c);
    if (c >= hi) break;
    a = c + 1;
  }
}

// 22: shear sort on a mesh of r rows of w positions, L phases.
void shear_sort_phases(int phases, int n) {
  const int target =
      std::max(1, static_cast<int>(std::nearbyint(std::sqrt(static_cast<double>(n)))) - 1);
  int r = 1;
  for (int d = target; d >= 1; --d) {
    if (n % d == 0) {
      r = d;
      break;
    }
  }
  const int w = n / r;
  auto row_phase = [&](bool all_ascending) {
    for (int p = 1; p <= w; ++p) {
      for (int k = 0; k < r; ++k) {
        const bool descending = !all_ascending && k % 2 == 0;
        for (int x = k * w + p % 2; x + 1 <= k * w + w - 1; x += 2) {
          if (descending) {
            order_pair(x + 1, x);
          } else {
            order_pair(x, x + 1);
          }
        }
      }
    }
  };
  repeat_rounds(phases, n, [&] {
    row_phase(false);
    for (int p = 1; p <= r; ++p) {
      for (int c = 0; c < w; ++c) {
        for (int x = c + (p % 2) * w; x + w <= n - w + c; x += 2 * w) order_pair(x, x + w);
      }
    }
  });
  if (phases < static_cast<int>(std::nearbyint(std::log(static_cast<double>(r)))) + 1) {
    row_phase(true);
  }
}

// 23: passes of Shell sort with the gaps 5n div 11, 5h div 11, ...
void shell_passes(int passes, int n) {
  int h = n;
  for (int pass = 0; pass < passes; ++pass) {
    h = 5 * h / 11;
    if (h < 1) break;
    for (int i = h; i < n; ++i) {
      const Element saved = elements[i];
      int j = i;
      while (j >= h && elements[j - h].key > saved.key) {
        elements[j] = elements[j - h];
        j -= h;
      }
      elements[j] = saved;
    }
  }
}

// 32-35: `rounds` perfect shuffles of the range, keys only. A perfect shuffle is a fixed
// permutation of the places, whatever the keys: it is read once from the places' own numbers,
// and every key then goes round its cycle of that permutation `rounds` times modulo the cycle's
// length, in one pass for any number of rounds.
void perfect_shuffle_rounds(PerfectShuffleRange range, PerfectShuffleDirection direction,
                            int rounds) {
  if (!presorting_round_shortcuts) {
    for (int r = 0; r < rounds; ++r) {
      PerfectShuffleInSitu(range.low, range.high, direction, ShuffleMoves::keys_only);
    }
    return;
  }
  const int length = range.high - range.low + 1;
  std::vector<int32_t> keys(static_cast<size_t>(length));
  for (int k = 0; k < length; ++k) {
    keys[k] = elements[range.low + k].key;
    elements[range.low + k].key = k;
  }
  PerfectShuffleInSitu(range.low, range.high, direction, ShuffleMoves::keys_only);
  // One shuffle gives place k the key of place from[k].
  std::vector<int> from(static_cast<size_t>(length));
  for (int k = 0; k < length; ++k) from[k] = elements[range.low + k].key;
  std::vector<char> seen(static_cast<size_t>(length), 0);
  std::vector<int> cycle;
  for (int start = 0; start < length; ++start) {
    if (seen[start]) continue;
    cycle.clear();
    for (int k = start; !seen[k]; k = from[k]) {
      seen[k] = 1;
      cycle.push_back(k);
    }
    const size_t size = cycle.size();
    const size_t shift = static_cast<size_t>(rounds) % size;
    for (size_t t = 0; t < size; ++t) {
      elements[range.low + cycle[t]].key = keys[cycle[(t + shift) % size]];
    }
  }
}

// 26: most significant bits first, each bucket split in place by its bit (zeros left, ones
// right) with exchanges, down to `lowest`.
void radix_msd_splits(int top, int lowest, int hi) {
  std::vector<std::pair<int, int>> buckets{{0, hi}};
  for (int bit = top; bit >= lowest && bit >= 0; --bit) {
    std::vector<std::pair<int, int>> next;
    for (auto [lo, up] : buckets) {
      int a = lo, b = up;
      while (a <= b) {
        if (((elements[a].key >> bit) & 1) == 0) {
          ++a;
        } else {
          swap_elements(a, b--, false);
        }
      }
      if (a - 1 > lo) next.emplace_back(lo, a - 1);
      if (up > a) next.emplace_back(a, up);
    }
    buckets.swap(next);
  }
}

}  // namespace

bool presorting_implemented(int method) {
  return method >= 0 && method < presorting_method_count;
}

void apply_presorting(int method) {
  const int n = column_count();
  const int hi = n - 1;
  const int L = std::max(controls.SpinEdit4, 0);
  const int E = std::clamp(controls.SpinEdit6, 0, n);
  switch (method) {
    // The passing methods stop once a pass exchanges nothing: later passes would not either.
    case 1: {  // bubble sort
      bool exchanged = true;
      for (int k = 1; k <= E && exchanged; ++k) {
        exchanged = false;
        for (int j = hi; j >= k; --j) exchanged |= order_pair(j - 1, j);
      }
      break;
    }
    case 2: {  // bubble sort reverse
      bool exchanged = true;
      for (int k = hi; k >= std::max(hi - E + 1, 1) && exchanged; --k) {
        exchanged = false;
        for (int j = 0; j <= k - 1; ++j) exchanged |= order_pair(j, j + 1);
      }
      break;
    }
    case 3:
      repeat_rounds(L, n, [hi] { circle_round(hi); });
      break;
    case 4:
      cycle_sort_keys(L, hi);
      break;
    case 5:
      presort_heap_sort(E);
      break;
    case 6:
      presort_reverse_heap_sort(E == 0 ? 0 : E - 1);
      break;
    case 7:  // insertion sort: the sorted prefix after E + 1 elements
      sort_range(0, std::min(E, hi));
      break;
    case 8:  // insertion sort reverse
      sort_range(hi - E + 1, hi);
      break;
    case 9: {  // insertion sort bidirectional
      const int b = (n - E) / 2;
      sort_range(b, b + E - 1);
      break;
    }
    case 10:
    case 11:
    case 12:
      merge_sort_up_to(method - 10, E, hi);
      break;
    case 13:
      repeat_rounds(L, n, [hi] { natural_merge_round(hi); });
      break;
    case 14: {  // odd-even transposition
      bool exchanged = true;
      for (int round = 0; round < E / 2 && exchanged; ++round) {
        exchanged = false;
        for (int j = 0; j + 1 <= hi; j += 2) exchanged |= order_pair(j, j + 1);
        for (int j = 1; j + 1 <= hi; j += 2) exchanged |= order_pair(j, j + 1);
      }
      break;
    }
    case 15:  // partit sort: rounds on windows shrinking from both ends
      for (int k = 1; k <= E / 2; ++k) {
        const int lo = k - 1, up = hi - k + 1;
        if (lo >= up) break;
        const int m = partit_pass(lo, up, 0, false);
        if (m > lo) partit_pass(lo, m, 1, false);
        if (up > m + 1) partit_pass(m + 1, up, 2, false);
      }
      break;
    case 16:
    case 17:
    case 18:
      quick_sort_ranges(0, hi, method - 16, false, std::max(controls.SpinEdit9, 0), L);
      break;
    case 19:  // selection sort
      for (int k = 1; k <= std::min(E, hi); ++k) {
        int m = k - 1;
        for (int j = k; j <= hi; ++j) {
          if (elements[j].key < elements[m].key) m = j;
        }
        swap_elements(k - 1, m, false);
      }
      break;
    case 20:  // selection sort reverse
      for (int k = hi, step = 0; k >= 1 && step < E; --k, ++step) {
        int m = k;
        for (int j = 0; j < k; ++j) {
          if (elements[j].key > elements[m].key) m = j;
        }
        swap_elements(k, m, false);
      }
      break;
    case 21: {  // shaker sort
      bool exchanged = true;
      for (int k = 1; k <= E / 2 && exchanged; ++k) {
        exchanged = false;
        for (int j = 0; j <= hi - k; ++j) exchanged |= order_pair(j, j + 1);
        for (int j = hi; j >= k; --j) exchanged |= order_pair(j - 1, j);
      }
      break;
    }
    case 22:
      shear_sort_phases(L, n);
      break;
    case 23:
      shell_passes(L, n);
      break;
    case 24:
      presort_smooth_sort(hi - E + 2);
      break;
    case 25:  // radix sort lsd: the lowest L bits, zeros first, stable
      for (int bit = 0; bit < std::min(L, 31); ++bit) binary_counting_pass(bit, false);
      break;
    case 26: {  // radix sort msd
      const int top = top_key_bit();
      radix_msd_splits(top, std::max(top - (L - 1), 0), hi);
      break;
    }
    case 27: {  // binary shuffle: the top L bits, from the highest down
      const int top = top_key_bit();
      controls.SpinEdit4 = std::min(controls.SpinEdit4, top + 1);
      const int passes = std::max(controls.SpinEdit4, 0);
      for (int bit = top; bit > top - passes && bit >= 0; --bit) binary_counting_pass(bit, false);
      break;
    }
    case 28:  // Fisher-Yates 1.1
      for (int k = 1; k <= E; ++k)
        swap_elements(k - 1, k - 1 + static_cast<int>(Random(E - k)), false);
      break;
    case 29:  // Fisher-Yates 1.2
      for (int k = 1; k <= E; ++k)
        swap_elements(k - 1, k - 1 + static_cast<int>(Random(n - k)), false);
      break;
    case 30:  // Fisher-Yates 2.1
      for (int k = 1; k <= E; ++k)
        swap_elements(random_position(std::max(hi - E, 0), hi, 1), n - k, false);
      break;
    case 31:  // Fisher-Yates 2.2
      for (int k = 1; k <= E; ++k) swap_elements(random_position(0, n - k, 1), n - k, false);
      break;
    case 32:
    case 33:
    case 34:
    case 35: {  // perfect / faro shuffles of the outer or inner range
      const PerfectShuffleRange range = perfect_shuffle_range(n, method >= 34);
      if (range.empty()) break;
      const auto direction = method % 2 == 0 ? PerfectShuffleDirection::in_shuffle
                                             : PerfectShuffleDirection::un_shuffle;
      perfect_shuffle_rounds(range, direction, L);
      break;
    }
    case 36: {  // exchanges: X disjoint random pairs
      std::vector<int> p(static_cast<size_t>(n));
      std::iota(p.begin(), p.end(), 0);
      for (int k = n - 1; k >= 1; --k) std::swap(p[k], p[static_cast<int>(Random(k + 1))]);
      const int pairs = std::clamp(controls.SpinEdit10, 0, n / 2);
      for (int j = 0; j < pairs; ++j) swap_elements(p[2 * j], p[2 * j + 1], false);
      break;
    }
    default:
      break;
  }
}

}  // namespace mv

// The structures of the initial set (ComboBox2): how the ascending keys are arranged.
// Everything here works on the keys without counting, drawing or braking.
#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/random.h"
#include "initial_set/initial_set.h"

namespace mv {

namespace {

constexpr int structure_count = 28;

// The ascending keys as they stood before the structure: copy(i) is the i-th smallest.
struct Arrangement {
  std::vector<int32_t> copy;
  int n = 0;
  int hi = 0;
  Arrangement() : n(column_count()), hi(column_count() - 1) {
    copy.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) copy[i] = elements[i].key;
  }
  // key(j) = copy(i), both kept inside the set.
  void place(int j, int i) const {
    if (j >= 0 && j < n && i >= 0 && i < n) elements[j].key = copy[i];
  }
};

void shuffle_keys(int a, int c) {
  for (int k = a; k <= c; ++k) {
    std::swap(elements[k].key, elements[a + static_cast<int>(Random(c - a + 1))].key);
  }
}

// Structures 2-4: S randomly sized subsets, each treated by `treat`, then laid down in random
// order when the arrangement is "random".
template <class Treat>
void random_subsets(Treat treat) {
  const int n = column_count();
  const int hi = n - 1;
  const int S = std::clamp(controls.SpinEdit5, 1, std::max(1, n / 3));
  std::vector<char> mark(static_cast<size_t>(n) + 1, 0);
  auto free_at = [&](int j) { return !mark[j] && !mark[j - 1] && (j + 1 > hi || !mark[j + 1]); };
  int placed = 0;
  // Random places first; should they run out (a crowded set), the first free places follow.
  for (long tries = 0; placed < S - 1 && tries < 100L * n; ++tries) {
    const int j = static_cast<int>(Random(hi)) + 1;
    if (free_at(j)) {
      mark[j] = 1;
      ++placed;
    }
  }
  for (int j = 1; j <= hi && placed < S - 1; ++j) {
    if (free_at(j)) {
      mark[j] = 1;
      ++placed;
    }
  }
  std::vector<std::pair<int, int>> subsets;
  for (int a = 0; a <= hi;) {
    int c = a;
    while (c < hi && !mark[c + 1]) ++c;
    treat(a, c);
    subsets.emplace_back(a, c);
    a = c + 1;
  }
  if (controls.RadioGroup6 != 1) return;
  const int count = static_cast<int>(subsets.size());
  std::vector<int> order(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) order[k] = k;
  for (int k = 0; k < count; ++k) std::swap(order[k], order[static_cast<int>(Random(count))]);
  std::vector<int32_t> laid;
  laid.reserve(static_cast<size_t>(n));
  for (int k : order) {
    for (int p = subsets[k].first; p <= subsets[k].second; ++p) laid.push_back(elements[p].key);
  }
  for (int p = 0; p < n; ++p) elements[p].key = laid[p];
}

// The placement of the triangle: key(m) first, then c = 2 .. n alternately right and left.
template <class Source>
void triangle_placement(const Arrangement& s, Source source) {
  const int m = s.hi / 2;
  s.place(m, s.hi);
  int sign = 1;
  for (int c = 2; c <= s.n; ++c, sign = -sign) {
    const int j = sign > 0 ? m + (c / 2 + 1) - 1 : m - c / 2;
    s.place(j, source(c, sign > 0));
  }
}

// Structures 10 and 11: subsets of sizes P/2, P/4, …, 1, 1 filled from the ascending keys by
// the trailing zero bits of i + 1.
void power_subsets(const Arrangement& s, bool increasing) {
  const int P = static_cast<int>(std::bit_floor(static_cast<unsigned>(s.n)));
  const int k = std::countr_zero(static_cast<unsigned>(P)) + 1;
  std::vector<int> next(static_cast<size_t>(k));
  int offset = increasing ? P / 2 : 0;
  for (int j = 0; j < k; ++j) {
    const int size = j + 1 < k ? P >> (j + 1) : 1;
    if (increasing) {
      next[j] = j + 1 < k ? P >> (j + 1) : 0;
    } else {
      next[j] = offset;
      offset += size;
    }
  }
  for (int i = 0; i < P; ++i) {
    const int j = std::countr_zero(static_cast<unsigned>(i + 1));
    s.place(next[j]++, i);
  }
  for (int i = P; i < s.n; ++i) s.place(i, i);
}

void binary_fractal(int a, int b, int mode, int depth) {
  if (depth <= 0) return;
  const int m = (a + b) / 2;
  if (mode == 1) reverse_range(a, b, false);
  if (m > a) binary_fractal(a, m, mode, depth - 1);
  if (mode == 3) reverse_range(a, m, false);
  if (mode == 4) reverse_range(m + 1, b, false);
  if (m + 1 < b) binary_fractal(m + 1, b, mode, depth - 1);
  if (mode == 2) reverse_range(m + 1, b, false);
}

void ternary_fractal(int a, int b, int mode, int depth) {
  if (depth <= 0) return;
  const int t = (b - a) / 3;
  const int p = a + t;
  const int q = a + 2 * t;
  if (p > a) ternary_fractal(a, p, mode, depth - 1);
  if (mode == 2) reverse_range(a, p, false);
  if (p + 1 < q) ternary_fractal(p + 1, q, mode, depth - 1);
  if (mode == 1 || mode == 2) reverse_range(p + 1, q, false);
  if (q + 1 < b) ternary_fractal(q + 1, b, mode, depth - 1);
  if (mode == 3) reverse_range(a, b, false);
}

// Deals the ascending (or descending) keys to the odd positions, then position 0, then the
// positions whose lowest set bit is 2, 4, 8, … each class from left to right.
void deal_by_lowest_bit(const Arrangement& s, bool descending) {
  int next = 0;
  auto deal = [&](int j) { s.place(j, descending ? s.hi - next++ : next++); };
  for (int j = 1; j < s.n; j += 2) deal(j);
  deal(0);
  for (int bit = 2; bit < s.n; bit *= 2) {
    for (int j = bit; j < s.n; j += 2 * bit) deal(j);
  }
}

}  // namespace

bool structure_implemented(int structure) {
  return structure >= 0 && structure < structure_count;
}

void apply_structure(int structure) {
  const int n = column_count();
  const int hi = n - 1;
  const int S = std::clamp(controls.SpinEdit5, 1, std::max(1, n / 3));
  const bool exact = controls.CheckBox27;
  switch (structure) {
    case 0:  // unsorted; the repeated ascending runs of distribution 19 stay
      if (controls.ComboBox3 != distribution_natural_shuffled) full_shuffle();
      break;
    case 1:  // sorted
      sort_keys_ascending(0, hi);
      break;
    case 2:
      random_subsets(shuffle_keys);
      break;
    case 3:
      random_subsets([](int a, int c) { reverse_range(a, c, false); });
      break;
    case 4:
      random_subsets([](int a, int c) {
        const uint32_t r = Random(5);
        if (r == 0) reverse_range(a, c, false);
        if (r >= 2) shuffle_keys(a, c);
      });
      break;
    case 5:
      if (exact) {
        const Arrangement s;
        int b = 0;
        for (int a = S - 1; a >= 0; --a) {
          for (int c = 0; c < n / S; ++c) s.place(b++, S * c + a);
        }
      } else {
        full_shuffle();
        const int m = n / S - 1;
        for (int k = 0, b = 0; k < S; ++k, b += m) sort_keys_ascending(b, std::min(b + m, hi));
      }
      break;
    case 6: {
      const double w = static_cast<double>(n) / S;
      for (int k = 0; k < S; ++k) {
        reverse_range(static_cast<int>(k * w), static_cast<int>((k + 1) * w) - 1, false);
      }
      break;
    }
    case 7: {
      // Position i belongs to subset i mod S and takes that subset's (i div S)-th key. When S
      // divides n this is copy((i mod S) n / S + i div S); otherwise the subsets differ in size
      // by one and the offsets count the sizes, so every key is placed once.
      const Arrangement s;
      std::vector<int> offset(static_cast<size_t>(S) + 1, 0);
      for (int r = 0; r < S; ++r) offset[r + 1] = offset[r] + (n - r + S - 1) / S;
      for (int i = 0; i < n; ++i) s.place(i, offset[i % S] + i / S);
      break;
    }
    case 8:
    case 9: {
      const int t = structure == 8 ? n / 3 : 2 * (n / 3);
      if (exact) {
        const Arrangement s;
        int a = 0, b = t;
        for (int i = 0; i < n; ++i) {
          const bool left = structure == 8 ? i % 3 == 0 : i % 3 > 0;
          s.place(left && a < t ? a++ : b++, i);
        }
      } else {
        full_shuffle();
        sort_keys_ascending(0, t - 1);
        sort_keys_ascending(t, hi);
      }
      break;
    }
    case 10:
    case 11:
      if (exact) {
        power_subsets(Arrangement(), structure == 11);
      } else {
        full_shuffle();
        const int P = static_cast<int>(std::bit_floor(static_cast<unsigned>(n)));
        if (structure == 10) {
          int b = 0;
          for (int h = P / 2; h >= 1; h /= 2) {
            sort_keys_ascending(b, std::min(b + h, hi));
            b += h;
          }
        } else {
          for (int b = 2; b <= hi; b *= 2) sort_keys_ascending(b, std::min(2 * b - 1, hi));
        }
      }
      break;
    case 12:
    case 13:
      if (exact) {
        const Arrangement s;
        const int m = hi / 2;
        if (structure == 12) {
          triangle_placement(s, [&](int c, bool) { return n - c; });
        } else {
          int sign = 1;
          for (int c = 1; c <= hi; ++c, sign = -sign) {
            s.place(sign > 0 ? m + (c / 2 + 1) - 1 : m - c / 2, c - 1);
          }
        }
      } else {
        full_shuffle();
        const int h = n / 2;
        sort_keys_ascending(0, h - 1);
        sort_keys_ascending(h, hi);
        if (structure == 12) {
          reverse_range(h, hi, false);
        } else {
          reverse_range(0, h - 1, false);
        }
      }
      break;
    case 14: {
      // The sources of this shape count the keys from 1 (the n-th key is the largest), so
      // source k is copy(k - 1); that places every key once.
      const Arrangement s;
      triangle_placement(s, [&](int c, bool right) {
        if (c % 4 <= 1) return n - c;
        switch (n % 4) {
          case 0:
            return c - 1;
          case 1:
            return c;
          case 2:
            return right ? c - 2 : c;
          default:
            return c - 2;
        }
      });
      break;
    }
    case 15: {
      const Arrangement s;
      for (int i = 0; i < n; ++i) {
        if (i % 2 == 1) {
          s.place(i, i - 1);
        } else if (n % 2 == 0) {
          s.place(i, n - 1 - i);
        } else {
          s.place(i, i == 0 ? n - 1 : n - i);
        }
      }
      break;
    }
    case 16: {
      const Arrangement s;
      for (int i = 0; i < n; ++i) s.place(i, i % 2 == 0 ? n - 1 - i / 2 : i / 2);
      break;
    }
    case 17:
    case 18:
      deal_by_lowest_bit(Arrangement(), structure == 18);
      break;
    case 19: {
      const Arrangement s;
      triangle_placement(
          s, [&](int c, bool) { return c % 4 <= 1 ? n - 1 - (c - 1) / 2 : (c + 1) / 2 - 1; });
      if (settings.rows % 2 == 1) {
        const int m = hi / 2;
        for (int k = 1; k < m; k += 2) swap_elements(k - 1, n - k, false);
      }
      break;
    }
    case 20: {
      const Arrangement s;
      for (int i = 1; i < n; i += 2) {
        s.place(i - 1, i);
        s.place(i, i - 1);
      }
      break;
    }
    case 21:
    case 22:
    case 23:
    case 24:
      binary_fractal(0, hi, structure - 20, controls.SpinEdit9);
      break;
    case 25:
    case 26:
    case 27:
      ternary_fractal(0, hi, structure - 24, controls.SpinEdit9);
      break;
    default:
      break;
  }
}

}  // namespace mv

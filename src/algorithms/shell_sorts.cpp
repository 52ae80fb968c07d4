// Shell sort with its twenty gap sequences, the randomized Shell sort and the two randomized
// compare-exchange sorts (annealing sort, spin-the-bottle sort).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <vector>

#include "algorithms/exchange_sorts.h"
#include "algorithms/insertion_sorts.h"
#include "algorithms/insertion_sorts_detail.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine/stabilization.h"

namespace mv {

using namespace insertion_detail;

namespace {

// ---- Gap sequences --------------------------------------------------------------------------

// base^k in unsigned 16-bit arithmetic (wrapping), as some sequences compute their powers.
uint16_t power16(uint16_t base, int k) {
  uint16_t p = 1;
  for (int i = 0; i < k; ++i) p = static_cast<uint16_t>(p * base);
  return p;
}

// Round(num / den) with halves to even; num >= 0, den > 0.
int64_t round_half_even(int64_t num, int64_t den) {
  const int64_t q = num / den, r = num % den;
  if (2 * r > den || (2 * r == den && q % 2 == 1)) return q + 1;
  return q;
}

// Tokuda's t(k) = Round(((9 * 9^(k-1)) div 4^(k-1) - 4) / 5 + 0.5), k >= 2.
int64_t tokuda(int k) {
  int64_t p9 = 1, p4 = 1;
  for (int i = 0; i < k - 1; ++i) {
    p9 *= 9;
    p4 *= 4;
  }
  const int64_t x = 9 * p9 / p4;
  return round_half_even(2 * (x - 4) + 5, 10);  // (x - 4) / 5 + 1/2 = (2 (x - 4) + 5) / 10
}

// Successive gaps of a formula sequence from the set-up value g, up to and including 1.
template <class Next>
std::vector<int> formula_gaps(int64_t g, Next next) {
  std::vector<int> gaps;
  do {
    g = std::max<int64_t>(next(g), 1);
    gaps.push_back(static_cast<int>(g));
  } while (g > 1);
  return gaps;
}

// A table used from entry k down to its first entry, 1.
std::vector<int> table_gaps(const std::vector<int64_t>& table, size_t k) {
  std::vector<int> gaps;
  for (size_t i = k + 1; i-- > 0;) gaps.push_back(static_cast<int>(table[i]));
  return gaps;
}

std::vector<int> whole_table(const std::vector<int64_t>& table) {
  return table_gaps(table, table.size() - 1);
}

// A fixed table used from its largest entry not above last.
std::vector<int> fixed_table(std::initializer_list<int64_t> entries, int last) {
  const std::vector<int64_t> table(entries);
  size_t k = 0;
  while (k + 1 < table.size() && table[k + 1] <= last) ++k;
  return table_gaps(table, k);
}

}  // namespace

std::vector<int> shell_sort_gaps(int index, int n) {
  if (n < 2) return {};
  const int64_t last = n - 1;
  std::vector<int64_t> table{1};
  switch (index) {
    case 333: {
      int64_t g = 1;
      while (g <= last) g *= 2;
      return formula_gaps(g, [](int64_t g) { return g / 2; });
    }
    case 334:
      return formula_gaps(n, [](int64_t g) { return g < 4 ? 1 : g / 2 + 1; });
    case 335: {
      int64_t g = 1;
      while (g <= last) g = 2 * g + 1;
      return formula_gaps(g, [](int64_t g) { return g / 2; });
    }
    case 336: {
      int64_t g = 2;
      while (g <= last) g = 2 * g - 1;
      return formula_gaps(g, [](int64_t g) { return g / 2 > 2 ? g / 2 + 1 : g / 2; });
    }
    case 337: {
      int64_t g = 1;
      while (g <= last) g = 3 * g + 1;
      return formula_gaps(g, [](int64_t g) { return g / 3; });
    }
    case 338:
      return formula_gaps(n, [](int64_t g) { return g / 3 + 1; });
    case 339:
      return formula_gaps(n, [](int64_t g) { return 5 * g / 11; });
    case 340: {
      table = {1, 1, 1};
      for (;;) {
        const size_t s = table.size();
        const int64_t next = 3 * table[s - 1] + table[s - 3];
        if (next >= last) break;
        table.push_back(next);
      }
      table.erase(table.begin(), table.begin() + 2);
      return whole_table(table);
    }
    case 341:
      for (int k = 1;; ++k) {
        const int64_t v = static_cast<int64_t>(std::nearbyint(std::exp(k - 1.0))) + 1;
        if (v >= last) break;
        table.push_back(v);
      }
      return whole_table(table);
    case 342: {
      // All 2^p 3^q with p <= log2 last, q <= log3 last, ascending; used from the last one
      // below last.
      const int pmax = last > 1 ? static_cast<int>(std::log(double(last)) / std::log(2.0)) : 0;
      const int qmax = last > 1 ? static_cast<int>(std::log(double(last)) / std::log(3.0)) : 0;
      table.clear();
      for (int64_t p = 0, two = 1; p <= pmax; ++p, two *= 2) {
        for (int64_t q = 0, three = 1; q <= qmax; ++q, three *= 3) table.push_back(two * three);
      }
      std::sort(table.begin(), table.end());
      size_t k = 0;
      while (k + 1 < table.size() && table[k + 1] < last) ++k;
      return table_gaps(table, k);
    }
    case 343:
      // The powers wrap in 16 bits: from 4^8 on the entries fall back to 3 * 2^(k-1) + 1, which
      // ends the table at k = 16 at the latest.
      for (int k = 1;; ++k) {
        const int64_t v = int64_t{power16(4, k)} + 3 * int64_t{power16(2, k - 1)} + 1;
        if (v >= last) break;
        table.push_back(v);
      }
      return whole_table(table);
    case 344:
      for (int k = 1;; ++k) {
        const int64_t v = k % 2 == 0 ? 9 * (int64_t{power16(2, k)} - power16(2, k / 2)) + 1
                                     : 8 * int64_t{power16(2, k)} - 6 * power16(2, (k + 1) / 2) + 1;
        if (v >= last) break;
        table.push_back(v);
      }
      return whole_table(table);
    case 345:
      return fixed_table({1, 3, 7, 21, 48, 112, 336, 861, 1968, 4592, 13776}, last);
    case 346:
      // 2^16 wraps to 0 in 16 bits; the table ends there instead of taking -45 as a gap.
      for (int k = 6;; ++k) {
        const int64_t v = int64_t{power16(2, k)} - 45;
        if (v >= last || v <= table.back()) break;
        table.push_back(v);
      }
      return whole_table(table);
    case 347:
      for (int k = 1;; ++k) {
        const int64_t v = (int64_t{1} << (2 * k)) + 3 * (int64_t{1} << (k - 1)) + 1;
        if (v >= last) break;
        table.push_back(v);
      }
      return whole_table(table);
    case 348:
      return fixed_table({1, 2, 19, 103, 311, 691, 1321, 2309, 3671, 5519, 7919, 10957}, last);
    case 349:
      for (int k = 2; tokuda(k + 1) < last; ++k) table.push_back(tokuda(k));
      return whole_table(table);
    case 350:
      return fixed_table({1, 4, 10, 23, 57, 132, 301, 701, 1750}, last);
    case 351:
      return fixed_table({1, 4, 9, 24, 58, 171, 340, 1097, 2673, 5467}, last);
    case 352:
      return fixed_table({1, 4, 13, 23, 61, 177, 444, 1325, 3716, 8186}, last);
    default:
      return {};
  }
}

namespace {

// ---- Shell sort (333 .. 352) ----------------------------------------------------------------

void shell_sort() {
  const int last = last_position();
  for (int g : shell_sort_gaps(variant(), last + 1)) {
    main_loop_runnings.increment();
    gapped_insertion(0, last, g, g);
    if (settings.stabilize_locally.load(std::memory_order_relaxed)) stabilize_range(0, last);
    if (broken()) return;
  }
}

// ---- Randomized Shell sort (355) ------------------------------------------------------------

// Compare-exchanges region a .. a+size-1 with region b .. b+size-1 in `repetitions` random
// matchings. Pairs beyond the set (only on a set that is not a power of two) are left out.
void compare_regions(int a, int b, int size, int repetitions, std::vector<int>& matching) {
  const int last = last_position();
  for (int rep = 0; rep < repetitions; ++rep) {
    matching.resize(static_cast<size_t>(size));
    std::iota(matching.begin(), matching.end(), 0);
    for (int k = size - 1; k >= 1; --k) std::swap(matching[k], matching[Random(k + 1)]);
    for (int k = 0; k < size; ++k) {
      if (broken()) return;
      if (a + k <= last && b + matching[k] <= last) compare_exchange(a + k, b + matching[k]);
    }
  }
}

// Goodrich's region comparisons: offsets halving from n / 2, six region passes per offset.
void randomized_shell_sort() {
  const int n = column_count();
  const int c = std::max(0, static_cast<int>(parameters.compareRegionscound));
  std::vector<int> matching;
  auto regions = [&](int a, int b, int size) { compare_regions(a, b, size, c, matching); };
  for (int offset = n / 2; offset > 0 && !broken(); offset /= 2) {
    int i = 0;
    do {
      regions(i, i + offset, offset);
      i += offset;
    } while (i < n - offset && !broken());
    i = n - offset;
    do {
      regions(i - offset, i, offset);
      i -= offset;
    } while (i >= offset && !broken());
    for (i = 0; i < n - 3 * offset && !broken(); i += offset) regions(i, i + 3 * offset, offset);
    for (i = 0; i < n - 2 * offset && !broken(); i += offset) regions(i, i + 2 * offset, offset);
    for (i = 0; i < n - offset && !broken(); i += 2 * offset) regions(i, i + offset, offset);
    for (i = offset; i < n - offset && !broken(); i += 2 * offset) regions(i, i + offset, offset);
  }
}

// ---- Annealing sort (0) ---------------------------------------------------------------------

// Rounds of random compare-exchanges within distance T, T halving per round. Halving to 0 could
// end with the set unsorted, so T stays at 1 until a round leaves the set sorted: a repair that
// stays, since the rounds down to T = 1 alone leave some sets unsorted.
void annealing_sort() {
  const int last = last_position();
  if (last < 1) return;
  int t = last;
  for (;;) {
    for (int i = 0; i <= last; ++i) {
      for (int r = 0; r < last - i; ++r) {
        if (broken()) return;
        compare_exchange(i, random_position(i + 1, std::min(last, i + 1 + t), 1));
      }
      for (int r = 0; r < i; ++r) {
        if (broken()) return;
        compare_exchange(random_position(std::max(0, i - 1 - t), i - 1, 1), i);
      }
    }
    t = std::max(1, t / 2);
    if (check_sorted()) return;
  }
}

// ---- Spin-the-bottle sort (374) -------------------------------------------------------------

void spin_the_bottle_sort() {
  const int n = column_count();
  while (!check_sorted()) {
    for (int i = 0; i < n; ++i) {
      if (broken()) return;
      const int r = static_cast<int>(Random(n));
      if (i < r) {
        compare_exchange(i, r);
      } else if (i > r) {
        compare_exchange(i, r, false);  // r belongs before i
      }
    }
  }
}

}  // namespace

void register_shell_sorts() {
  for (int index = 333; index <= 352; ++index) register_procedure(index, shell_sort);
  register_procedure(355, randomized_shell_sort);
  register_procedure(0, annealing_sort);
  register_procedure(374, spin_the_bottle_sort);
}

}  // namespace mv

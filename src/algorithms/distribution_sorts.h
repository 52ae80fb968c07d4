// Distribution sorts: the bead (gravity) sorts and the counting sort, which rebuild the keys from
// counts, and the radix sorts on digits of a chosen base or on single bits. The digit and bit
// rules below are shared with the parallel radix sorts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mv {

// The highest bit the MSD sorts start at: floor(log2) of the rows count, or of the largest key
// should one exceed the rows; 0 for a range of 1.
int highest_bit_index();

// The parameter "Basis", kept inside 2 .. n (n the number of columns, at least 2).
int radix_base();

// The digits of the keys of the current set in one base: D (count) and the powers p[0 .. D].
// D is the largest round(ln key / ln base) over the set (keys below 1 count as 0). The powers are
// held exactly (no 16-bit wrap) and stop growing above every possible key, so a digit beyond a
// key's length is 0.
struct RadixDigits {
  int base = 2;
  int count = 0;
  std::vector<int64_t> powers;
  int digit(int32_t key, int d) const {
    return static_cast<int>((static_cast<int64_t>(key) / powers[static_cast<size_t>(d)]) % base);
  }
};
RadixDigits radix_digits(int base);

// Bit b of element i, tested as one counted comparison (highlighted while it is read).
bool bit_set(int i, int b);

// The bits of element i's key above bit b (uncounted): the MSD sorts' bucket of the element.
uint32_t bits_above(int i, int b);

}  // namespace mv

// The stable two-bucket distribution on one key bit, the step of the binary radix sorts, the binary
// shuffle and the binary presorting of the initial set.
#pragma once

namespace mv {

// Puts every element whose key has bit b clear, in its present order, before every element whose
// bit b is set, in its present order. With move set it works through counted movings into
// buffer_a and back and is drawn; with move clear it redistributes only the keys, silently, and
// leaves colours and start positions where they are. Returns true when break_off is set; the set
// is then still a permutation of what it was (a write-back already begun is finished).
bool binary_counting_pass(int b, bool move);

// The highest key bit the rows can set: the integer part of log2 rows (0 for fewer than 2 rows).
int top_key_bit();

}  // namespace mv

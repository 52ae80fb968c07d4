// The shuffling algorithms, and the two steps that other code calls: the in-situ perfect shuffle
// (the initial-set builder preshuffles with its keys-only form) and the reversal of the circular
// run outside a range.
#pragma once

namespace mv {

enum class PerfectShuffleDirection {
  // The element at 1-based place q of the range goes to place 2q mod (L + 1).
  in_shuffle,
  // The inverse: place 2q mod (L + 1) goes back to place q.
  un_shuffle,
};

enum class ShuffleMoves {
  counted,    // counted and drawn movings of whole elements; stops on break-off
  keys_only,  // only the key fields move; nothing counted or drawn, no break-off
};

// Perfect shuffle of positions a .. b in place, by cycle following. The length b - a + 1 should
// be even; of an odd length the last position stays where it is. Ranges shorter than 2 are left
// alone. Returns true when a break-off stopped it (counted form only); the set is then still a
// permutation of what it was.
bool PerfectShuffleInSitu(int a, int b, PerfectShuffleDirection direction,
                          ShuffleMoves moves = ShuffleMoves::counted);

// The range the perfect shuffles work on in a set of n positions: the whole set ("out"), or the
// set without its first and last position ("in"); for odd n without the last position.
struct PerfectShuffleRange {
  int low;
  int high;
  bool empty() const { return high - low + 1 < 2; }
};
PerfectShuffleRange perfect_shuffle_range(int n, bool inner);

// Reverses the circular run b, b + 1, ..., n - 1, 0, 1, ..., a (all positions outside
// a + 1 .. b - 1) with drawn swappings; 0 <= a < b < n. Stops on break-off.
void OuterReverse(int a, int b);

// One round of the random exchange within distance: one main loop running, then element
// Random(n) is exchanged (counted, drawn) with a random partner at most maximale_Tauschdistanz
// (at least 1) places to its left or right. Bozo sort 1 makes the same round.
void random_exchange_round();

}  // namespace mv

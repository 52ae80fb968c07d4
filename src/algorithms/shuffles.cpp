// The shuffling algorithms: binary, Fisher-Yates, overhand, perfect (ex situ and in situ), random,
// reverse and riffle shuffles. Only the binary and the Fisher-Yates shuffles end by themselves; the
// others repeat their round until the user breaks off.
//
// Rounds that hold elements outside the set (copies in buffer_b, a read element, the temporary
// of a cycle) always put them back before they return, so a break-off never loses or duplicates
// an element. The put-back movings are counted and drawn as usual; the brake returns at once
// while break_off is set, so they cost no visible time.
#include "algorithms/shuffles.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "algorithms/binary_counting_pass.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/random.h"

namespace mv {

namespace {

constexpr int first_overhand_index = 404;
constexpr int first_riffle_index = 418;

// Repeats a round until break-off. Events run once per round, so even a round that happens to
// draw nothing cannot keep a click from breaking the shuffle off.
template <class Round>
void repeat_until_break_off(Round round) {
  if (column_count() < 2) return;  // nothing to shuffle
  while (!broken()) {
    host().process_events();
    round();
  }
}

// ---- Perfect shuffle in situ ------------------------------------------------------------------

struct CountedMoves {
  Element held;
  bool broken() const { return mv::broken(); }
  void read(int s) { read_element(s, held); }
  void move(int target, int source) { move_element(target, source); }
  void store(int c) { store_element(c, held); }
};

struct KeyMoves {
  int32_t held = 0;
  static bool broken() { return false; }
  void read(int s) { held = elements[s].key; }
  static void move(int target, int source) { elements[target].key = elements[source].key; }
  void store(int c) { elements[c].key = held; }
};

// Cycle following: position c takes the element of place q = f * p mod (L + 1), p = c - a + 1,
// where f = L/2 + 1 (the inverse of 2 modulo L + 1) for the in-shuffle and f = 2 for the
// un-shuffle. Every position is marked when it has been filled.
template <class Moves>
bool follow_cycles(int a, int b, PerfectShuffleDirection direction, Moves& moves) {
  const int64_t length = static_cast<int64_t>(b) - a + 1;
  const int64_t factor = direction == PerfectShuffleDirection::in_shuffle ? length / 2 + 1 : 2;
  std::vector<uint8_t> visited(static_cast<size_t>(length), 0);
  for (int s = a; s <= b; ++s) {
    if (visited[s - a] != 0) continue;
    if (moves.broken()) return true;
    moves.read(s);
    int c = s;
    bool broken = false;
    for (;;) {
      const int64_t p = c - a + 1;
      const int source = a - 1 + static_cast<int>(factor * p % (length + 1));
      visited[c - a] = 1;
      if (source == s) break;
      if (moves.broken()) {  // the hole at c takes the held element: a shorter cycle
        broken = true;
        break;
      }
      moves.move(c, source);
      c = source;
    }
    moves.store(c);
    if (broken) return true;
  }
  return false;
}

// ---- Shuffles that end by themselves
// --------------------------------------------------------------

// One stable split per key bit, from the top bit of the value range down to bit 0: the set ends
// up ordered by its bit-reversed keys. Each pass counts its main loop running.
void binary_shuffle() {
  for (int b = top_key_bit(); b >= 0; --b) {
    if (binary_counting_pass(b, true)) return;
  }
}

void fisher_yates_forward_1() {
  const int hi = column_count() - 1;
  for (int i = 1; i <= hi && !broken(); ++i) {
    swap_elements(i, static_cast<int>(Random(i + 1)));
  }
}

void fisher_yates_forward_2() {
  const int n = column_count();
  for (int i = 1; i < n && !broken(); ++i) swap_elements(i, static_cast<int>(Random(n)));
}

void fisher_yates_backward_1() {
  const int hi = column_count() - 1;
  for (int i = hi; i >= 0 && !broken(); --i) swap_elements(i, random_position(i, hi, 1));
}

void fisher_yates_backward_2() {
  const int n = column_count();
  for (int i = n - 1; i >= 1 && !broken(); --i) {
    swap_elements(i, static_cast<int>(Random(n)));
  }
}

// ---- Overhand shuffle -------------------------------------------------------------------------

// Packets from the top of the copy are laid down from the end of the set toward its start: their
// order reverses, the order inside a packet stays. Every card is laid exactly once; a packet
// holds 1 .. (cards left) cards, its size drawn by the mode (rough, intermediate, fine). Once
// break_off is set no more packets are drawn: the rest of the copy goes down as one packet.
void overhand_round(int mode) {
  const int n = column_count();
  main_loop_runnings.increment();
  for (int k = 0; k < n; ++k) read_element(k, buffer_b[k]);
  int t = 0;      // next card of the copy
  int r = n - 1;  // end of the free area
  while (r >= 0) {
    const int p = broken() ? r + 1 : random_position(1, r + 1, mode);
    for (int k = 0; k < p; ++k) store_element(r - p + 1 + k, buffer_b[t + k]);
    t += p;
    r -= p;
  }
}

void overhand_shuffle() {
  const int mode = algorithm_index - first_overhand_index;
  repeat_until_break_off([mode] { overhand_round(mode); });
}

// ---- Perfect shuffles ex situ ------------------------------------------------------------------
// A round's stores put the copies back, so they always run to the end of the round.

// Out of place, right half first: positions 2i take the right half, 2i + 1 the left half.
void perfect_ex_situ_round_a() {
  const int n = column_count();
  const int h = n / 2;
  main_loop_runnings.increment();
  for (int k = 0; k < n; ++k) read_element(k, buffer_b[k]);
  for (int i = 0; i < h; ++i) {
    store_element(2 * i, buffer_b[h + i]);
    store_element(2 * i + 1, buffer_b[i]);
  }
}

// Left half first: only the left half is copied; the right half moves down in place (each
// source is read before anything overwrites it).
void perfect_ex_situ_round_b() {
  const int n = column_count();
  const int h = n / 2;
  main_loop_runnings.increment();
  for (int k = 0; k < h; ++k) read_element(k, buffer_b[k]);
  for (int i = 0; i < h; ++i) {
    store_element(2 * i, buffer_b[i]);
    move_element(2 * i + 1, h + i);
  }
}

void perfect_shuffle_out_ex_situ() {
  repeat_until_break_off(perfect_ex_situ_round_a);
}
void perfect_shuffle_in_ex_situ() {
  repeat_until_break_off(perfect_ex_situ_round_b);
}

// ---- Perfect shuffles in situ ------------------------------------------------------------------

void perfect_shuffle_in_situ() {
  const int index = algorithm_index;
  const bool inner = index == 411 || index == 412;
  const auto direction = (index == 409 || index == 411) ? PerfectShuffleDirection::in_shuffle
                                                        : PerfectShuffleDirection::un_shuffle;
  const PerfectShuffleRange range = perfect_shuffle_range(column_count(), inner);
  if (range.empty()) return;  // nothing to shuffle: the round would do nothing forever
  repeat_until_break_off(
      [&] { PerfectShuffleInSitu(range.low, range.high, direction, ShuffleMoves::counted); });
}

// ---- Random shuffles ---------------------------------------------------------------------------

// Carries the element at `from` to `to`: the elements between shift one place toward `from`
// and the carried element goes into the hole. On break-off the shift stops and the carried
// element goes into the hole where it stopped, so the set stays a permutation. Returns true when
// broken off.
bool carry_element(int from, int to) {
  const int step = to > from ? 1 : -1;
  Element held;
  read_element(from, held);
  int k = from;
  for (; k != to && !broken(); k += step) move_element(k, k + step);
  store_element(k, held);
  return broken();
}

// A random element to the end, then another to the front.
void random_round_2_1() {
  const int hi = column_count() - 1;
  main_loop_runnings.increment();
  if (carry_element(static_cast<int>(Random(hi)), hi)) return;
  carry_element(static_cast<int>(Random(hi)) + 1, 0);
}

// The last element to a random place, then the first element to a random place.
void random_round_2_2() {
  const int hi = column_count() - 1;
  main_loop_runnings.increment();
  if (carry_element(hi, static_cast<int>(Random(hi)))) return;
  carry_element(0, static_cast<int>(Random(hi)) + 1);
}

void random_shuffle_1() {
  repeat_until_break_off(random_exchange_round);
}
void random_shuffle_2_1() {
  repeat_until_break_off(random_round_2_1);
}
void random_shuffle_2_2() {
  repeat_until_break_off(random_round_2_2);
}

// ---- Reverses ----------------------------------------------------------------------------------

template <class Reverse>
void random_reverses(Reverse reverse) {
  const int hi = column_count() - 1;
  repeat_until_break_off([&] {
    const int a = random_position(0, hi, 1);
    const int b = random_position(0, hi, 1);
    if (a != b) reverse(std::min(a, b), std::max(a, b));
  });
}

void reverses_inner() {
  random_reverses([](int a, int b) { reverse_range(a, b, true); });
}
void reverses_outer() {
  random_reverses(OuterReverse);
}

// ---- Riffle shuffle ----------------------------------------------------------------------------

// Packets alternately from the right half (moved down in place; the write position never passes
// the read position) and from the copied left half. Once break_off is set no more packets are
// drawn: the rest of each half goes down as one packet, so every copy is put back.
void riffle_round(int mode) {
  const int n = column_count();
  const int hi = n - 1;
  const int h = n / 2;
  main_loop_runnings.increment();
  for (int k = 0; k < h; ++k) read_element(k, buffer_b[k]);
  int w = 0;  // write position
  int l = 0;  // next card of the left half, in the copy
  int r = h;  // next card of the right half, in place
  while (w < n) {
    int t = broken() ? hi : random_position(r + 1, hi, mode);
    for (int k = r; k <= t; ++k) move_element(w + (k - r), k);
    w += t - r + 1;  // t = r - 1 once the half is used up: an empty packet
    r = t + 1;
    t = broken() ? h - 1 : random_position(l + 1, h - 1, mode);
    for (int k = l; k <= t; ++k) store_element(w + (k - l), buffer_b[k]);
    w += t - l + 1;
    l = t + 1;
  }
}

void riffle_shuffle() {
  const int mode = algorithm_index - first_riffle_index;
  repeat_until_break_off([mode] { riffle_round(mode); });
}

}  // namespace

void random_exchange_round() {
  const int n = column_count();
  const int hi = n - 1;
  const int64_t d = std::max<int64_t>(1, parameters.maximale_Tauschdistanz);
  main_loop_runnings.increment();
  const int i = static_cast<int>(Random(n));
  bool right = true;
  if (i == hi) {
    right = false;
  } else if (i != 0) {
    right = !(U() < 0.5L);
  }
  const int partner =
      right ? random_position(i + 1, static_cast<int>(std::min<int64_t>(i + d, hi)), 1)
            : random_position(static_cast<int>(std::max<int64_t>(0, i - d)), i - 1, 1);
  swap_elements(i, partner, true);
}

bool PerfectShuffleInSitu(int a, int b, PerfectShuffleDirection direction, ShuffleMoves moves) {
  if (b - a + 1 < 2) return false;
  if ((b - a + 1) % 2 != 0) --b;
  if (moves == ShuffleMoves::keys_only) {
    KeyMoves keys;
    return follow_cycles(a, b, direction, keys);
  }
  CountedMoves counted;
  return follow_cycles(a, b, direction, counted);
}

PerfectShuffleRange perfect_shuffle_range(int n, bool inner) {
  const int hi = n - 1;
  const int odd = n % 2;
  return inner ? PerfectShuffleRange{1, hi - 1 - odd} : PerfectShuffleRange{0, hi - odd};
}

void OuterReverse(int a, int b) {
  const int n = column_count();
  const int run = n - (b - a - 1);  // length of the circular run b .. n - 1, 0 .. a
  for (int k = 0; k < run / 2 && !broken(); ++k) {
    swap_elements((a - k + n) % n, (b + k) % n, true);
  }
}

void register_shuffles() {
  register_procedure(399, binary_shuffle);
  register_procedure(400, fisher_yates_forward_1);
  register_procedure(401, fisher_yates_forward_2);
  register_procedure(402, fisher_yates_backward_1);
  register_procedure(403, fisher_yates_backward_2);
  register_procedures({404, 405, 406}, overhand_shuffle);
  register_procedure(407, perfect_shuffle_out_ex_situ);
  register_procedure(408, perfect_shuffle_in_ex_situ);
  register_procedures({409, 410, 411, 412}, perfect_shuffle_in_situ);
  register_procedure(413, random_shuffle_1);
  register_procedure(414, random_shuffle_2_1);
  register_procedure(415, random_shuffle_2_2);
  register_procedure(416, reverses_inner);
  register_procedure(417, reverses_outer);
  register_procedures({418, 419, 420}, riffle_shuffle);
}

}  // namespace mv

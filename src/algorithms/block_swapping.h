// Exchanging two adjacent blocks (rotating a range) by the method chosen on the control form, and
// the small rotation steps that the in-place sorts share. Everything works through the counted
// operations, so the chosen method shows in the counts and the animation. Every loop stops on
// break_off and leaves the range partly rotated, with every element still present once.
#pragma once

namespace mv {

constexpr int block_swap_method_count = 26;
// The items of the block swapping list, by item index (settings.block_swap_method).
extern const char* const block_swap_method_captions[block_swap_method_count];

// Exchanges the blocks first .. mid-1 and mid .. last (each keeps its own order), that is,
// rotates first .. last to the left by mid - first. Nothing happens when a block is empty or the
// method index is outside 0 .. 25. Method and "quick block swapping" are read at every call.
void block_swap(int first, int mid, int last);

// Element a goes to b, a+1 .. b move one place left. Nothing when a >= b.
void rotate_left_one(int a, int b);
// Element b goes to a, a .. b-1 move one place right. Nothing when a >= b.
void rotate_right_one(int a, int b);
// Moves src + k to dst + k for k = 0 .. count-1, ascending (so dst < src may overlap).
// Returns how many were moved: count, or fewer after a break-off.
int move_block(int dst, int src, int count);
// For each step while a < a_end: a <- b <- c <- old a (one buffered record), then a, b, c + 1.
// The three runs must not overlap. A break-off stops between steps.
void triple_rotate(int a, int a_end, int b, int c);
// Greatest common divisor by Euclid; gcd(x, 0) = x.
int gcd(int x, int y);
// Puts every element of first .. last at its target_position (absolute, inside the range),
// walking p from last down to first. variant 0: swappings; 1: movings through one buffer plus a
// buffer exchange; 2: movings through two buffers.
void cross_index_permute(int first, int last, int variant);

}  // namespace mv

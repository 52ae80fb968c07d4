// Exchange sorts: bubble, shaker, odd-even transposition, comb, circle, cycle, pancake, friends,
// fun, plasel, naisel and gnome sorts. The checks and passes below are shared with other families.
#pragma once

namespace mv {

// True when the visible set is non-decreasing (elem_greater on neighbours, counted and
// highlighted; stops at the first descent). On break-off it stops and answers true, so that loops
// repeated until the set is sorted end.
bool check_sorted();
// True when lo..hi is non-increasing (elem_less on neighbours; stops at the first ascent). An
// empty or one-element range is non-increasing.
bool check_descending(int lo, int hi);
// Compare-exchanges lo with hi, lo + 1 with hi - 1, ... while lo < hi.
void circle_pass(int lo, int hi);
// One forward pass of fun sort over lo..hi: each element is swapped to the place a binary search
// over the positions after it finds, until the search leaves it where it is.
void fun_forward_pass(int lo, int hi);
// The mirror: each element from hi down is swapped to the place a binary search over the
// positions before it finds.
void fun_backward_pass(int lo, int hi);

// The simplified plasel sort ends only on a set without equal keys; the start button and the
// procedure itself test this (not counted).
bool plasel_simplified_precondition();

}  // namespace mv

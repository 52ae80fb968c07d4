// Helpers shared by the form tests.
#pragma once

#include <cstdint>
#include <vector>

// Keeps the offscreen platform's warnings about raise() and the like out of the test log; each
// test class calls it first (the test runner installs its own message handler).
void hide_offscreen_warnings();

// The keys of the visible set, left to right.
std::vector<int32_t> visible_keys();

// True while a What's This popup is on screen.
bool whats_this_popup_shown();

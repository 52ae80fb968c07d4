// Helpers shared by the form tests.
#pragma once

#include <cstdint>
#include <vector>

class QObject;

// Keeps the offscreen platform's warnings about raise() and the like out of the test log; each
// test class calls it first (the test runner installs its own message handler).
void hide_offscreen_warnings();

// The keys of the visible set, left to right.
std::vector<int32_t> visible_keys();

// Runs one test object with the command line's options and those of its function names that are
// its own (a name may carry ":datatag"); skips it when names were given and none is its own.
int run_test_object(QObject& test, int argc, char** argv);

// True while a What's This popup is on screen.
bool whats_this_popup_shown();

// Building the initial set from the control values, in this order: size the arrays, draw the
// keys, sort them ascending, arrange the structure, 1st reverse, presorting, 2nd reverse,
// rotation, start positions and colours. Nothing here counts, draws or brakes.
#pragma once

namespace mv {

// Builds the set for settings.columns x settings.rows from `controls`. Headless: the display
// adapts itself afterwards.
void CreateInitialSet();

// Sorts lo..hi ascending with the complete quick sort (records move whole; nothing drawn).
void sort_keys_ascending(int lo, int hi);
// Full shuffle: for i = 0 .. n-1, exchange positions i and i + Random(n - i).
void full_shuffle();
// Moves every key r places to the right (r < 0: to the left), wrapping around.
void rotate_set(int r);

// Structures (controls.ComboBox2) and presorting methods (controls.ComboBox4).
bool structure_implemented(int structure);
bool presorting_implemented(int method);
void apply_structure(int structure);
void apply_presorting(int method);

// The presorting methods counted in rounds end with the set they would have after every round
// without making them all: circle, natural merge and shear sort stop once their state repeats,
// the perfect shuffles move each key round its cycle at once. False makes every round, for tests
// that compare both.
extern bool presorting_round_shortcuts;

}  // namespace mv

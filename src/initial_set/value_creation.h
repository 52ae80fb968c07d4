// Drawing the keys of a new set, and the start positions and colours that close every build.
#pragma once

#include <cstdint>

namespace mv {

// Draws one key for every column from the chosen value distribution (controls.ComboBox3) and
// keeps a copy of its low 16 bits in the start_position field, from which the structures
// rearrange the keys.
void CreateValues();

// The key of column i for distribution dist (the formula step of CreateValues).
int32_t value_for(int dist, int i, int n, int rows, int distinct, bool maximum_range);

// Start positions 0..n-1, cleared scratch fields and the colours of the chosen line set and
// gradient.
void assign_start_positions_and_colours();
uint32_t colour_for(int line_set, bool target_gradient, bool black_background, int n, int rows,
                    int position, int32_t key);

}  // namespace mv

// Enforcing stability after the fact: reorder equal keys by start position.
#pragma once

namespace mv {

// Every pair of equal keys in low..high ends in start order (quadratic; drawn and counted).
void stabilize_range(int low, int high);
// For a set already sorted by key: a merge sort through the buffers that takes equal keys by start
// position; the last merge writes the set column by column.
void global_stabilization();

}  // namespace mv

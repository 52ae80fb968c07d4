// The full redraw of the element set onto the engine's surface: the n columns are spread over
// the W pixel columns with the integer line-drawing rule, so every column gets the same number
// of pixels or one more. No Qt here: the display form shows the surface afterwards.
#pragma once

namespace mv {

// Resizes the surface to width x height, fills it with the background colour, spreads the
// columns and sets `column_right_edges` (entry n = width). With more columns than pixels
// nothing is drawn and every column gets an empty pixel range.
void spread_columns(int width, int height);

}  // namespace mv

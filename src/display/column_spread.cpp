#include "display/column_spread.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "engine/element_set.h"

namespace mv {

void spread_columns(int width, int height) {
  width = std::clamp(width, 0, 65535);
  height = std::max(height, 0);
  surface_resize(width, height);
  const int n = column_count();
  if (column_right_edges.size() < static_cast<size_t>(n) + 1) return;
  if (n == 0 || n > width) {
    std::fill(column_right_edges.begin(), column_right_edges.begin() + n + 1,
              static_cast<uint16_t>(width));
    return;
  }
  const int dx = width - 1;
  const int dy = n - 1;
  int e = 0;
  int c = 0;
  for (int x = 0; x < width && c < n; ++x) {
    const int64_t h = std::min<int64_t>(std::llabs(static_cast<int64_t>(elements[c].key)), height);
    const uint32_t pixel = colour_to_pixel(element_colour(c));
    for (int y = height - static_cast<int>(h); y < height; ++y) {
      surface.pixels[static_cast<size_t>(y) * width + x] = pixel;
    }
    column_right_edges[c] = static_cast<uint16_t>(x + 1);
    if (dx <= 2 * (e + dy)) {
      ++c;
      e += dy - dx;
    } else {
      e += dy;
    }
  }
  column_right_edges[n] = static_cast<uint16_t>(width);
}

}  // namespace mv

#include "initial_set/value_creation.h"

#include <algorithm>
#include <cmath>

#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/random.h"

namespace mv {

namespace {

int64_t trunc_to_int(long double x) {
  return static_cast<int64_t>(x);
}

// t folded for the "inverse" and "half" shapes is held as a 32-bit float.
using Real32 = float;

}  // namespace

int32_t value_for(int dist, int i, int n, int rows, int distinct, bool maximum_range) {
  const int64_t L = maximum_range ? 0 : 1;
  const int64_t s = maximum_range ? -1 : 1;
  const int64_t B = maximum_range ? 0 : 1;
  const int64_t R = rows;
  const int64_t D = distinct;
  const long double Dr = static_cast<long double>(distinct);
  if (distinct == 1 && dist != 20) return static_cast<int32_t>(R / 2);
  // (Trunc(D·t) + L)·R div (D + s), the shape shared by most rows.
  auto scaled = [&](int64_t drawn, int64_t divisor) { return (drawn + L) * R / divisor; };
  auto folded_sum = [](int terms) {
    long double sum = 0;
    for (int k = 0; k < terms; ++k) sum += U();
    return static_cast<Real32>(sum / terms);
  };
  int64_t key = 0;
  switch (dist) {
    case 0:
      key = scaled(Random(distinct), D + s) + B;
      break;
    case 1: {
      const long double u1 = U(), u2 = U();
      key = scaled(trunc_to_int(Dr * (u1 + u2) / 2), D + s);
      break;
    }
    case 2: {
      Real32 t = folded_sum(2);
      t = t < 0.5f ? t + 0.5f : t - 0.5f;
      key = scaled(trunc_to_int(Dr * t), D + s) + B;
      break;
    }
    case 3:
    case 4: {
      Real32 t = folded_sum(2);
      if (t > 0.5f) t = 1 - t;
      t = t + t;
      if (dist == 4) t = 1 - t;
      key = scaled(trunc_to_int(Dr * t), D + s) + B;
      break;
    }
    case 5: {
      const long double u1 = U(), u2 = U();
      key = scaled(trunc_to_int(Dr * (2 * u1 + u2) / 3), D + s);
      break;
    }
    case 6: {
      const long double u1 = U(), u2 = U();
      Real32 t = static_cast<Real32>((u1 + u2) / 3);
      if (t < 1.0f / 3) {
        t = t + 2.0f / 3;
      } else if (t < 2.0f / 3) {
        t = t - 1.0f / 3;
      }
      key = scaled(trunc_to_int(Dr * t), D + s) + B;
      break;
    }
    case 7: {
      const long double u1 = U(), u2 = U(), u3 = U();
      key = scaled(trunc_to_int(Dr * (u1 + u2 + u3) / 3), D + s);
      break;
    }
    case 8: {
      Real32 t = folded_sum(3);
      t = t < 0.5f ? t + 0.5f : t - 0.5f;
      key = scaled(trunc_to_int(Dr * t), D + s);
      break;
    }
    case 9: {
      Real32 t = folded_sum(3);
      if (t > 0.5f) t = 1 - t;
      t = t + t;
      key = scaled(trunc_to_int(Dr * t), D + s);
      break;
    }
    case 10: {
      Real32 t = folded_sum(3);
      if (t < 0.5f) t = 1 - t;
      t = 2 * t - 1;
      key = scaled(trunc_to_int(Dr * t), D + s);
      break;
    }
    case 11:
      key = R - scaled(trunc_to_int(Dr * std::sqrt(U())), D + s);
      break;
    case 12: {
      const long double u1 = U(), u2 = U();
      key = scaled(trunc_to_int(Dr * u1 * u2), D + 2) + B;
      break;
    }
    case 13: {
      const long double u = U();
      key = scaled(trunc_to_int(Dr * u * u), D + s) + B;
      break;
    }
    case 14:
      key = scaled(trunc_to_int(Dr * std::sqrt(U())), D + s);
      break;
    case 15: {
      const long double u1 = U(), u2 = U();
      key = R - scaled(trunc_to_int(Dr * u1 * u2), D + s);
      break;
    }
    case 16: {
      const long double u = U();
      key = R - scaled(trunc_to_int(Dr * u * u), D + s);
      break;
    }
    case 17:
    case 18: {
      Real32 t = static_cast<Real32>(static_cast<long double>(i) / (n / 2) - 1);
      if (dist == 17) {
        t = t * t * t;
      } else if (t != 0) {
        const Real32 root = static_cast<Real32>(std::exp(std::log(std::fabs(t)) / 3));
        t = t < 0 ? -root : root;
      }
      const auto rounded =
          static_cast<int64_t>(std::nearbyint(static_cast<long double>(D / 2) * t));
      key = R / 2 + rounded * R / (D + s);
      break;
    }
    case 19:
      key = ((i % distinct) + L) * R / (D + s) + B;
      break;
    case 20:
      key = i + 1;
      break;
    default:
      key = R / 2;
      break;
  }
  return static_cast<int32_t>(key);
}

void CreateValues() {
  const int n = column_count();
  const int rows = settings.rows;
  const int dist = std::clamp(controls.ComboBox3, 0, 20);
  // D stays inside 1 .. R (R + 1 with the maximum range), whatever a file or a caller set.
  const int distinct =
      std::clamp(controls.SpinEdit7, 1, std::max(1, rows + (controls.CheckBox16 ? 1 : 0)));
  for (int i = 0; i < n; ++i) {
    elements[i].key = value_for(dist, i, n, rows, distinct, controls.CheckBox16);
    elements[i].start_position = static_cast<uint16_t>(elements[i].key & 0xFFFF);
  }
}

uint32_t colour_for(int line_set, bool target_gradient, bool black_background, int n, int rows,
                    int position, int32_t key) {
  const int64_t p = target_gradient ? key : position;
  const int64_t N = target_gradient ? rows : n;
  int64_t red = 0, green = 0, blue = 0;
  switch (line_set) {
    case 0:
      return black_background ? 16777215u : 0u;
    case 1:
      red = (N - p) * 255 / N;
      blue = p * 255 / N;
      break;
    case 2: {
      const int64_t h = target_gradient ? rows / 2 + 1 : n / 2;
      if (p < h) {
        red = (h - p) * 255 / h;
        green = p * 255 / h;
      } else {
        green = (2 * h - p) * 255 / h;
        blue = (p - h) * 255 / h;
      }
      break;
    }
    default: {
      const int64_t c = (target_gradient ? rows : n) / 3 + 1;
      if (p < c) {
        red = (c - p) * 255 / c;
        green = p * 255 / c;
      } else if (p < 2 * c) {
        green = (c - (p - c)) * 255 / c;
        blue = (p - c) * 255 / c;
      } else {
        blue = (2 * c - (p - c)) * 255 / c;
        red = (p - 2 * c) * 255 / c;
      }
      break;
    }
  }
  // Keys outside 0..R (possible only with odd hand-made settings) must not spill into
  // neighbouring colour bytes.
  auto byte = [](int64_t v) { return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 255)); };
  return byte(red) | (byte(green) << 8) | (byte(blue) << 16);
}

void assign_start_positions_and_colours() {
  const int n = column_count();
  const int rows = settings.rows;
  const int line_set = static_cast<int>(settings.line_set.load());
  const bool black = settings.background.load() == Background::black;
  const bool target = controls.RadioGroup5 == 1 && line_set != 0;
  for (int i = 0; i < n; ++i) {
    Element& e = elements[i];
    e.start_position = static_cast<uint16_t>(i);
    e.target_position = 0;
    e.visited_mark = 0;
    e.colour = colour_for(line_set, target, black, n, rows, i, e.key);
  }
}

}  // namespace mv

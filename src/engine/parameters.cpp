#include "engine/parameters.h"

#include <bit>
#include <cmath>

namespace mv {

Parameters parameters;

int32_t shear_sort_rows_for(int n) {
  if (n < 1) return 1;
  int32_t p = static_cast<int32_t>(std::nearbyint(std::sqrt(static_cast<double>(n)))) - 1;
  if (p == 0) p = 1;
  while (p >= 2 && n % p != 0) --p;
  return p;
}

int32_t minrun1_for(int n) {
  if (n < 1) return 0;
  const auto u = static_cast<uint32_t>(n);
  const int bits = static_cast<int>(std::bit_width(u));
  const int s = (bits > 6 ? bits : 6) - 6;
  const uint32_t low = s == 0 ? 0 : (u & ((1u << s) - 1));
  return static_cast<int32_t>((u >> s) + (low != 0 ? 1 : 0));
}

int32_t minrun2_for(int n) {
  int32_t r = 0;
  while (n >= 32) {
    r |= n & 1;
    n >>= 1;
  }
  return n + r;
}

int32_t recursion_depth_for(int n) {
  if (n < 1) return 1;
  return static_cast<int32_t>(std::bit_width(static_cast<uint32_t>(n))) - 1 + 1;
}

void recompute_column_defaults(int n) {
  parameters.maximale_Tauschdistanz = n - 1;
  parameters.NUMBER = n / 2;
  parameters.Param_shearsort = shear_sort_rows_for(n);
  parameters.minrun1 = minrun1_for(n);
  parameters.minrun2 = minrun2_for(n);
}

void set_parameter_presets(int n) {
  const double exponent = parameters.exponent;
  const double log_base = parameters.log_base;
  parameters = Parameters{};
  parameters.exponent = exponent;
  parameters.log_base = log_base;
  recompute_column_defaults(n);
}

}  // namespace mv

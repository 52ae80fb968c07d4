#include "engine/parameters.h"

#include <algorithm>
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

namespace {

// An integer rule: below `low` the value becomes `raised`; otherwise above high(n), when there
// is an upper bound, it becomes high(n).
struct IntegerRule {
  int32_t Parameters::*field;
  int32_t low;
  int32_t raised;
  int32_t (*high)(int n);
};

int32_t half(int n) {
  return n / 2;
}
int32_t one_less(int n) {
  return n - 1;
}
int32_t all(int n) {
  return n;
}
int32_t seventeen(int) {
  return 17;
}
int32_t root(int n) {
  return static_cast<int32_t>(std::sqrt(static_cast<double>(std::max(n, 0))));
}

using P = Parameters;
const IntegerRule integer_rules[] = {
    {&P::BlockSize, 1, 1, half},
    {&P::maximale_Tauschdistanz, 1, 1, one_less},
    {&P::param1_healy, 0, 1, nullptr},
    {&P::param2_healy, 0, 0, nullptr},
    {&P::param3_healy, 0, 0, nullptr},
    {&P::param4_healy, 1, 1, nullptr},
    {&P::Param_heapnsort, 1, 2, nullptr},
    {&P::Param_heapfsort, 0, 2, seventeen},
    {&P::NUMBER, 0, 0, half},
    {&P::lenW, 0, 0, nullptr},
    {&P::Param_pardo, 0, 0, nullptr},
    {&P::ratio, 2, 2, nullptr},
    {&P::param_m2s, 0, 0, nullptr},
    {&P::pivotbuffersize, 2, 4, half},
    {&P::smallsegmentsizecb, 0, 0, nullptr},
    {&P::smallsegmentsizetb, 0, 0, nullptr},
    {&P::MoM_Parameter, 2, 2, nullptr},
    {&P::Param_n_quick, 0, 0, root},
    {&P::Basis, 2, 2, all},
    {&P::compareRegionscound, 1, 4, nullptr},
    {&P::minrun1, 0, 0, nullptr},
    {&P::minrun2, 0, 0, nullptr},
    {&P::thread_limit, 0, 0, nullptr},
};

}  // namespace

int32_t largest_divisor_not_above(int n, int32_t v) {
  if (n < 1) return 1;
  if (v > n) v = n;
  for (int32_t d = v; d >= 1; --d) {
    if (n % d == 0) return d;
  }
  return 1;
}

Correction correct_parameter(int32_t Parameters::*field, int32_t& value, int n) {
  if (field == &P::Param_shearsort) {
    // The grid rows: at least 1, else the largest divisor of n not above the value.
    if (value < 1) {
      value = 1;
      return Correction::increased;
    }
    const int32_t divisor = largest_divisor_not_above(n, value);
    if (divisor == value) return Correction::none;
    value = divisor;
    return Correction::decreased;
  }
  for (const IntegerRule& rule : integer_rules) {
    if (rule.field != field) continue;
    if (value < rule.low) {
      value = rule.raised;
      return Correction::increased;
    }
    if (rule.high && value > rule.high(n)) {
      value = rule.high(n);
      return Correction::decreased;
    }
    return Correction::none;
  }
  return Correction::none;
}

Correction correct_parameter(double Parameters::*field, double& value) {
  if (field == &P::exponent) {
    // 0 < e < 1; 0.5 otherwise.
    if (value <= 0 || value >= 1) {
      const Correction c = value <= 0 ? Correction::increased : Correction::decreased;
      value = 0.5;
      return c;
    }
    return Correction::none;
  }
  // The logarithm base and the growth factors: above 1; 2 otherwise.
  if (value <= 1) {
    value = 2.0;
    return Correction::increased;
  }
  return Correction::none;
}

void correct_parameters_silently(int n) {
  for (const IntegerRule& rule : integer_rules) {
    correct_parameter(rule.field, parameters.*(rule.field), n);
  }
  correct_parameter(&P::Param_shearsort, parameters.Param_shearsort, n);
  for (double P::*field :
       {&P::exponent, &P::log_base, &P::Param_pe_sort, &P::Param_sps_and_sp_sort}) {
    correct_parameter(field, parameters.*field);
  }
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

#include "engine/parameter_prompts.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "engine/host.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"

namespace mv {

std::string increased_message(const std::string& value) {
  return "Increased to " + value + " by the program.";
}
std::string decreased_message(const std::string& value) {
  return "Decreased to " + value + " by the program.";
}
std::string chosen_message(const std::string& value) {
  return value + " choosen by the program.";
}

std::string real_text(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", v);
  return text;
}

namespace {

// The answer text, or the pre-filled text when the prompt was cancelled.
std::string answer(const std::string& title, const std::string& question,
                   const std::string& prefilled) {
  const auto a = host().prompt(title, question, prefilled);
  return a ? *a : prefilled;
}

void tell(const std::string& text) {
  host().show_message(text);
}

// A whole number, or a sign and digits too many for 64 bits: those stand beyond every bound.
std::optional<long long> whole_number(const std::string& text) {
  if (const auto v = parse_integer(text)) return v;
  const std::string t = trim_blanks(text);
  const bool signed_ = !t.empty() && (t[0] == '-' || t[0] == '+');
  const std::string digits = t.substr(signed_ ? 1 : 0);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return t[0] == '-' ? LLONG_MIN : LLONG_MAX;
}

// Integer prompt: a non-number sets `fallback` with its message; otherwise the checks follow.
// A number too large for the parameter counts as its largest value (so it is lowered to the
// bound, not taken for a non-number).
std::optional<int32_t> ask_int(const std::string& title, const std::string& question,
                               int32_t current, int32_t fallback, int32_t& target) {
  const auto v = whole_number(answer(title, question, std::to_string(current)));
  if (!v) {
    target = fallback;
    tell(chosen_message(std::to_string(fallback)));
    return std::nullopt;
  }
  target = static_cast<int32_t>(std::clamp<long long>(*v, INT32_MIN, INT32_MAX));
  return target;
}

// A real, or one beyond the range of doubles taken as the largest double of its sign.
std::optional<double> real_number(const std::string& text) {
  if (const auto v = parse_real(text)) return v;
  std::string t = trim_blanks(text);
  if (const auto comma = t.find(','); comma != std::string::npos) t[comma] = '.';
  if (t.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (errno != ERANGE || *end != 0) return std::nullopt;
  if (std::isinf(v)) return v > 0 ? DBL_MAX : -DBL_MAX;
  return v;  // too close to 0: what strtod made of it
}

std::optional<double> ask_real(const std::string& title, const std::string& question,
                               double current, double fallback, double& target) {
  const auto v = real_number(answer(title, question, real_text(current)));
  if (!v) {
    target = fallback;
    tell(chosen_message(real_text(fallback)));
    return std::nullopt;
  }
  target = *v;
  return target;
}

void raise_to(int32_t& value, int32_t to) {
  value = to;
  tell(increased_message(std::to_string(to)));
}
void lower_to(int32_t& value, int32_t to) {
  value = to;
  tell(decreased_message(std::to_string(to)));
}

// An integer parameter with a lower bound (below it: `raised`) and an optional upper bound.
void ask_bounded(const std::string& title, const std::string& question, int32_t& p,
                 int32_t fallback, int32_t low, int32_t raised, std::optional<int32_t> high) {
  if (!ask_int(title, question, p, fallback, p)) return;
  if (p < low) {
    raise_to(p, raised);
  } else if (high && p > *high) {
    lower_to(p, *high);
  }
}

// A real parameter that must exceed `low`, set to `raised` otherwise.
void ask_growth(const std::string& title, const std::string& question, double& p, double low,
                double raised) {
  if (!ask_real(title, question, p, raised, p)) return;
  if (p <= low) {
    p = raised;
    tell(increased_message(real_text(raised)));
  }
}

int32_t largest_divisor_not_above(int n, int32_t v) {
  if (n < 1) return 1;
  if (v > n) v = n;
  for (int32_t d = v; d >= 1; --d) {
    if (n % d == 0) return d;
  }
  return 1;
}

bool in(int index, int lo, int hi) {
  return index >= lo && index <= hi;
}

}  // namespace

void ask_parameters(int index, int n) {
  Parameters& p = parameters;
  const std::string integer_title = "parameter input (integer)";
  const std::string float_title = "parameter input (float)";
  const std::string growth = "growth factor>1? (floating point number possible)";
  if (index == 34) {
    if (ask_real(float_title, "0<Exponent<1? (floating point number possible)", p.exponent, 0.5,
                 p.exponent)) {
      if (p.exponent <= 0) {
        p.exponent = 0.5;
        tell(increased_message(real_text(0.5)));
      } else if (p.exponent >= 1) {
        p.exponent = 0.5;
        tell(decreased_message(real_text(0.5)));
      }
    }
  } else if (in(index, 35, 37)) {
    ask_bounded("block size (integer)", "P1 (>0, <=" + std::to_string(n / 2) + ")?", p.BlockSize, 1,
                1, 1, n / 2);
  } else if (index == 55 || index == 413) {
    ask_bounded("maximum exchange distance", "n (>0, <" + std::to_string(n) + ")?",
                p.maximale_Tauschdistanz, n - 1, 1, 1, n - 1);
  } else if (index == 74) {
    ask_growth(float_title, "logarithm base>1? (floating point number possible)", p.log_base, 1, 2);
  } else if (index == 87) {
    ask_bounded(integer_title, "p1 (>0)?", p.param1_healy, 200, 0, 1, std::nullopt);
    ask_bounded(integer_title, "p2 (>=0)?", p.param2_healy, 60, 0, 0, std::nullopt);
    ask_bounded(integer_title, "p3 (>=0)?", p.param3_healy, 18, 0, 0, std::nullopt);
    ask_bounded(integer_title, "p4 (>0)?", p.param4_healy, 6, 1, 1, std::nullopt);
  } else if (index == 96) {
    ask_bounded(integer_title, "n (>(=)1)?", p.Param_heapnsort, 2, 1, 2, std::nullopt);
  } else if (index == 97) {
    if (ask_int(integer_title, "heap F factor (>=0), <18 )?", p.Param_heapfsort, 2,
                p.Param_heapfsort)) {
      if (p.Param_heapfsort > 17) lower_to(p.Param_heapfsort, 17);
      if (p.Param_heapfsort < 0) raise_to(p.Param_heapfsort, 2);
    }
  } else if (index == 126 || index == 198) {
    ask_bounded("number input (integer)",
                "number of cyclically moved elements (>=0, <" + std::to_string(n / 2 + 1) + ")?",
                p.NUMBER, n / 2, 0, 0, n / 2);
  } else if (index == 127 || index == 199) {
    if (p.lenW < 0) raise_to(p.lenW, 0);
  } else if (index == 162 || index == 234) {
    ask_bounded(integer_title,
                "parameter influences the block size (>=0, <=" + std::to_string(n) + ")?",
                p.Param_pardo, 0, 0, 0, std::nullopt);
  } else if (in(index, 165, 167)) {
    ask_bounded("proportion (integer) of smaller subarray", "1: (>1)?", p.ratio, 3, 2, 2,
                std::nullopt);
  } else if (index == 187) {
    ask_bounded(integer_title, "n (>=0)?", p.param_m2s, 256, 0, 0, std::nullopt);
  } else if (index == 260) {
    ask_growth(float_title, growth, p.Param_pe_sort, 1, 2);
  } else if (index == 274) {
    ask_bounded("buffer size (integer)",
                "(1<) size of buffer (<" + std::to_string(n / 2 + 1) + ")?", p.pivotbuffersize, 4,
                2, 4, n / 2);
  } else if (index == 275) {
    ask_bounded("small segment size (integer)", "(0<=) size of segment?", p.smallsegmentsizecb, 0,
                0, 0, std::nullopt);
  } else if (index == 276) {
    ask_bounded("small segment size (integer)", "(0<=) size of segment?", p.smallsegmentsizetb, 0,
                0, 0, std::nullopt);
  } else if (index == 289) {
    ask_bounded("step distance (integer)", "(1<) Step distance?", p.MoM_Parameter, 4, 2, 2,
                std::nullopt);
  } else if (index == 293 || index == 294) {
    const auto root = static_cast<int32_t>(std::sqrt(static_cast<double>(n)));
    ask_bounded("pivot number (integer)",
                "(0<) pivot number? (<" + std::to_string(root) + "? (0 -> sqrt(n)", p.Param_n_quick,
                2, 0, 0, root);
  } else if (in(index, 296, 305)) {
    if (p.Basis > n) p.Basis = n;
    ask_bounded("base / radix input (integer)",
                "(1<) base / radix (<" + std::to_string(n + 1) + "?", p.Basis, 2, 2, 2, n);
  } else if (in(index, 327, 332)) {
    const int32_t before = largest_divisor_not_above(n, std::max(p.Param_shearsort, 1));
    p.Param_shearsort = before;
    if (ask_int(integer_title, "shear sort parameter (>0, <" + std::to_string(n + 1) + ")?", before,
                before, p.Param_shearsort)) {
      if (p.Param_shearsort < 1) {
        raise_to(p.Param_shearsort, 1);
      } else {
        const int32_t asked = p.Param_shearsort;
        p.Param_shearsort = largest_divisor_not_above(n, asked);
        if (p.Param_shearsort != asked) tell(decreased_message(std::to_string(p.Param_shearsort)));
      }
    }
  } else if (index == 355) {
    ask_bounded("number input", "number of compare regions (>0)?", p.compareRegionscound, 4, 1, 4,
                std::nullopt);
  } else if (index == 388) {
    ask_growth(float_title, growth, p.Param_sps_and_sp_sort, 1, 2);
  } else if (index == 389) {
    ask_bounded("integer input", "MinRun1 (>=0)?", p.minrun1, p.minrun1, 0, 0, std::nullopt);
  } else if (index == 390) {
    if (p.minrun2 < 0) raise_to(p.minrun2, 0);
  }
}

}  // namespace mv

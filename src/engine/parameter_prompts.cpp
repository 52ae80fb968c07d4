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

// Tells the user how the parameter's rule changed the value.
void tell(Correction c, const std::string& value) {
  if (c == Correction::increased) tell(increased_message(value));
  if (c == Correction::decreased) tell(decreased_message(value));
}

// An integer parameter: the answer, then its correction rule for n columns.
void ask_bounded(const std::string& title, const std::string& question, int32_t Parameters::*field,
                 int32_t fallback, int n) {
  int32_t& p = parameters.*field;
  if (!ask_int(title, question, p, fallback, p)) return;
  const Correction c = correct_parameter(field, p, n);
  tell(c, std::to_string(p));
}

// A real parameter: the answer, then its correction rule.
void ask_corrected_real(const std::string& title, const std::string& question,
                        double Parameters::*field, double fallback) {
  double& p = parameters.*field;
  if (!ask_real(title, question, p, fallback, p)) return;
  const Correction c = correct_parameter(field, p);
  tell(c, real_text(p));
}

// A parameter that is checked but never asked.
void check_unasked(int32_t Parameters::*field, int n) {
  int32_t& p = parameters.*field;
  const Correction c = correct_parameter(field, p, n);
  tell(c, std::to_string(p));
}

bool in(int index, int lo, int hi) {
  return index >= lo && index <= hi;
}

}  // namespace

void ask_parameters(int index, int n) {
  using P = Parameters;
  Parameters& p = parameters;
  const std::string integer_title = "parameter input (integer)";
  const std::string float_title = "parameter input (float)";
  const std::string growth = "growth factor>1? (floating point number possible)";
  if (index == 34) {
    ask_corrected_real(float_title, "0<Exponent<1? (floating point number possible)", &P::exponent,
                       0.5);
  } else if (in(index, 35, 37)) {
    ask_bounded("block size (integer)", "P1 (>0, <=" + std::to_string(n / 2) + ")?", &P::BlockSize,
                1, n);
  } else if (index == 55 || index == 413) {
    ask_bounded("maximum exchange distance", "n (>0, <" + std::to_string(n) + ")?",
                &P::maximale_Tauschdistanz, n - 1, n);
  } else if (index == 74) {
    ask_corrected_real(float_title, "logarithm base>1? (floating point number possible)",
                       &P::log_base, 2);
  } else if (index == 87) {
    ask_bounded(integer_title, "p1 (>0)?", &P::param1_healy, 200, n);
    ask_bounded(integer_title, "p2 (>=0)?", &P::param2_healy, 60, n);
    ask_bounded(integer_title, "p3 (>=0)?", &P::param3_healy, 18, n);
    ask_bounded(integer_title, "p4 (>0)?", &P::param4_healy, 6, n);
  } else if (index == 96) {
    ask_bounded(integer_title, "n (>(=)1)?", &P::Param_heapnsort, 2, n);
  } else if (index == 97) {
    ask_bounded(integer_title, "heap F factor (>=0), <18 )?", &P::Param_heapfsort, 2, n);
  } else if (index == 126 || index == 198) {
    ask_bounded("number input (integer)",
                "number of cyclically moved elements (>=0, <" + std::to_string(n / 2 + 1) + ")?",
                &P::NUMBER, n / 2, n);
  } else if (index == 127 || index == 199) {
    check_unasked(&P::lenW, n);
  } else if (index == 162 || index == 234) {
    ask_bounded(integer_title,
                "parameter influences the block size (>=0, <=" + std::to_string(n) + ")?",
                &P::Param_pardo, 0, n);
  } else if (in(index, 165, 167)) {
    ask_bounded("proportion (integer) of smaller subarray", "1: (>1)?", &P::ratio, 3, n);
  } else if (index == 187) {
    ask_bounded(integer_title, "n (>=0)?", &P::param_m2s, 256, n);
  } else if (index == 260) {
    ask_corrected_real(float_title, growth, &P::Param_pe_sort, 2);
  } else if (index == 274) {
    ask_bounded("buffer size (integer)",
                "(1<) size of buffer (<" + std::to_string(n / 2 + 1) + ")?", &P::pivotbuffersize, 4,
                n);
  } else if (index == 275) {
    ask_bounded("small segment size (integer)", "(0<=) size of segment?", &P::smallsegmentsizecb, 0,
                n);
  } else if (index == 276) {
    ask_bounded("small segment size (integer)", "(0<=) size of segment?", &P::smallsegmentsizetb, 0,
                n);
  } else if (index == 289) {
    ask_bounded("step distance (integer)", "(1<) Step distance?", &P::MoM_Parameter, 4, n);
  } else if (index == 293 || index == 294) {
    const auto root = static_cast<int32_t>(std::sqrt(static_cast<double>(n)));
    ask_bounded("pivot number (integer)",
                "(0<) pivot number? (<" + std::to_string(root) + "? (0 -> sqrt(n)",
                &P::Param_n_quick, 2, n);
  } else if (in(index, 296, 305)) {
    if (p.Basis > n) p.Basis = n;
    ask_bounded("base / radix input (integer)",
                "(1<) base / radix (<" + std::to_string(n + 1) + "?", &P::Basis, 2, n);
  } else if (in(index, 327, 332)) {
    const int32_t before = largest_divisor_not_above(n, std::max(p.Param_shearsort, 1));
    p.Param_shearsort = before;
    ask_bounded(integer_title, "shear sort parameter (>0, <" + std::to_string(n + 1) + ")?",
                &P::Param_shearsort, before, n);
  } else if (index == 355) {
    ask_bounded("number input", "number of compare regions (>0)?", &P::compareRegionscound, 4, n);
  } else if (index == 388) {
    ask_corrected_real(float_title, growth, &P::Param_sps_and_sp_sort, 2);
  } else if (index == 389) {
    ask_bounded("integer input", "MinRun1 (>=0)?", &P::minrun1, p.minrun1, n);
  } else if (index == 390) {
    check_unasked(&P::minrun2, n);
  }
}

}  // namespace mv

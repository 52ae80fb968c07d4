#include "engine/report.h"

#include <cmath>
#include <cstdio>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"

namespace mv {

NumberFormat number_format;

namespace {

// General floating format with up to `digits` significant digits, locale decimal separator.
std::string general(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  std::string s = text;
  const auto dot = s.find('.');
  if (dot != std::string::npos) s.replace(dot, 1, number_format.decimal);
  return s;
}

}  // namespace

std::string format_duration(uint32_t ms) {
  if (ms < 1000) return std::to_string(ms) + " ms";
  const double s = ms / 1000.0;
  if (s < 60) return general(s, 8) + " s";
  if (s < 3600) {
    const auto m = static_cast<int64_t>(std::floor(s / 60));
    return std::to_string(m) + " min, " + general(s - 60.0 * m, 8) + " s";
  }
  const auto h = static_cast<int64_t>(std::floor(s / 3600));
  const double r = s - 3600.0 * h;
  if (r < 60) return std::to_string(h) + " h, " + general(r, 15) + " s";
  const auto m = static_cast<int64_t>(std::floor(r / 60));
  return std::to_string(h) + " h, " + std::to_string(m) + " min, " + general(r - 60.0 * m, 8) +
         " s";
}

std::string format_count(uint64_t count) {
  const std::string digits = std::to_string(count);
  std::string out;
  for (size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) out += number_format.thousands;
    out += digits[k];
  }
  return out;
}

uint64_t count_stability_inversions() {
  uint64_t k = 0;
  for (int i = 0; i + 1 < column_count(); ++i) {
    if (elem_equal(i, i + 1) && pos_greater(i, i + 1)) ++k;
  }
  return k;
}

std::string build_report_text(uint32_t duration_ms) {
  const int index = algorithm_index;
  std::string text;
  auto line = [&](const std::string& s) {
    if (!text.empty()) text += "\n\n";
    text += s;
  };
  if (controls.CheckBox11) line(format_duration(duration_ms) + "  duration");
  if (controls.CheckBox5 && control_enabled_for(AlgorithmControl::show_loops, index)) {
    line(format_count(main_loop_runnings) + "  main loop running(s)");
  }
  if (controls.CheckBox14) {
    line(format_count(comparisons) + "  comparison(s)");
    line(format_count(movings) + "  moving(s)");
    line(format_count(swappings) + "  swapping(s)");
  }
  if (controls.CheckBox18 && control_enabled_for(AlgorithmControl::show_threads, index)) {
    line(format_count(threads) + "  thread(s)");
  }
  if (controls.CheckBox2 && stability_boxes_enabled(index, controls.ComboBox3) &&
      !is_value_counting_sort(index)) {
    const uint64_t k = count_stability_inversions();
    line(k == 0 ? std::string("stable")
                : "unstable, " + std::to_string(k) + "  stability inversion(s)");
  }
  if (break_off && (!text.empty() || !controls.CheckBox7)) {
    text = std::string(is_shuffle(index) || index == separator_index ? "shuffling" : "sorting") +
           " breaked off\n\n" + text;
  }
  return text;
}

}  // namespace mv

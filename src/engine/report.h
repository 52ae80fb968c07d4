// The results report shown at the end of every run.
#pragma once

#include <cstdint>
#include <string>

namespace mv {

// Separators of the user's locale; the Qt program sets them from the system locale.
struct NumberFormat {
  std::string thousands = ",";
  std::string decimal = ".";
};
extern NumberFormat number_format;

// "850 ms", "5.25 s", "1 min, 1.5 s", "1 h, 2 min, 3 s".
std::string format_duration(uint32_t ms);
// 1234567 -> "1,234,567".
std::string format_count(uint64_t count);

// Adjacent equal keys whose start positions descend (counted comparisons).
uint64_t count_stability_inversions();

// The report text from the counters, the duration and the final set, with the lines the output
// band asks for; the stability inversions are counted after the comparisons were written.
std::string build_report_text(uint32_t duration_ms);

}  // namespace mv

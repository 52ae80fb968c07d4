// Choosing catalogue entries on the batch tool's command line: index lists and ranges, families.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/catalogue.h"

namespace mv::batch {

// "268" or "268,103,88": every index 0 to 420; nullopt on anything else.
std::optional<std::vector<int>> parse_index_list(const std::string& text);
// "A-B" with A <= B, both 0 to 420.
std::optional<std::vector<int>> parse_index_range(const std::string& text);

// A family's name on the command line: its catalogue name in lower case with '-' between words
// ("quick", "merge-in-place", "parallel-pass" ...). '_' stands for '-', case does not matter and
// a prefix that fits one family only is enough ("insertion").
std::optional<Family> parse_family(const std::string& name);
std::string family_option_name(Family f);
// The entries of a family, in catalogue order.
std::vector<int> family_entries(Family f);
// The --help lines: one family per line with its option name and caption.
std::string family_help();

}  // namespace mv::batch

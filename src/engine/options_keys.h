// The one map from options keys ("SpinEdit2.Value", "CheckBox22.Checked", "Basis" …) to the
// controls, live settings and parameters they name. The options file and `mivrola-batch --set`
// both go through it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mv {

enum class OptionType { boolean, integer, real };

struct OptionKey {
  const char* name;  // as the options file writes it
  OptionType type;
  bool read = true;  // false: written for the record, never read back
};

// Every key in the order the options file holds them.
const std::vector<OptionKey>& option_keys();

// Case-insensitive lookup; nullptr for an unknown key.
const OptionKey* find_option_key(const std::string& name);

// Sets a key from its text value; false (nothing changed) for an unknown key or a value that is
// not of the key's type. Booleans read as integers: 0 is false, anything else true.
bool set_option(const std::string& name, const std::string& value);
// The current value of a key as the options file writes it; nullopt for an unknown key.
std::optional<std::string> get_option(const std::string& name);

// Text helpers shared by the options readers.
std::string trim_blanks(const std::string& s);
bool equal_ignoring_case(const std::string& a, const char* b);

// Strict number parsing used for option values (whole text, no trailing garbage).
std::optional<long long> parse_integer(const std::string& text);
std::optional<double> parse_real(const std::string& text);

// The first-start defaults of a screen of width x height pixels, with the values that follow
// the columns computed for `columns` x `rows`.
void set_first_start_defaults(int screen_width, int screen_height, int columns, int rows);

// Brings dependent values into their bounds after several keys were set (columns and rows
// inside their bounds, n distinct, subsets, approximate size, rotation, switched pairs).
void normalise_controls();

}  // namespace mv

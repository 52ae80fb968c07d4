#include "engine/options_keys.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>

#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/settings.h"
#include "engine/sweep.h"

namespace mv {

ControlValues controls;

namespace {

struct Binding {
  OptionKey key;
  std::function<double()> get;
  std::function<void(double)> set;
};

int to_int(double v) {
  return static_cast<int>(
      std::clamp(v, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
}

Binding flag(const char* name, bool ControlValues::*field) {
  return {{name, OptionType::boolean},
          [field] { return controls.*field ? 1.0 : 0.0; },
          [field](double v) { controls.*field = v != 0; }};
}
Binding number(const char* name, int ControlValues::*field) {
  return {{name, OptionType::integer},
          [field] { return static_cast<double>(controls.*field); },
          [field](double v) { controls.*field = to_int(v); }};
}
Binding param(const char* name, int32_t Parameters::*field) {
  return {{name, OptionType::integer},
          [field] { return static_cast<double>(parameters.*field); },
          [field](double v) { parameters.*field = to_int(v); }};
}
Binding real_param(const char* name, double Parameters::*field) {
  return {{name, OptionType::real},
          [field] { return parameters.*field; },
          [field](double v) { parameters.*field = v; }};
}
Binding written_only(Binding b) {
  b.key.read = false;
  return b;
}
template <class T>
Binding live_flag(const char* name, std::atomic<T>& field) {
  return {{name, OptionType::boolean},
          [&field] { return field.load() ? 1.0 : 0.0; },
          [&field](double v) { field.store(v != 0); }};
}
template <class T>
Binding live_number(const char* name, std::atomic<T>& field, int low, int high) {
  return {{name, OptionType::integer},
          [&field] { return static_cast<double>(static_cast<int>(field.load())); },
          [&field, low, high](double v) {
            field.store(static_cast<T>(std::clamp(to_int(v), low, high)));
          }};
}

Binding compare(const char* name, int CompareOptions::*field, int low, int high) {
  return {
      {name, OptionType::integer},
      [field] { return static_cast<double>(compare_options.*field); },
      [field, low, high](double v) { compare_options.*field = std::clamp(to_int(v), low, high); }};
}

std::vector<Binding> make_bindings() {
  using C = ControlValues;
  std::vector<Binding> b = {
      flag("CheckBox1.Checked", &C::CheckBox1),
      flag("CheckBox2.Checked", &C::CheckBox2),
      flag("CheckBox3.Checked", &C::CheckBox3),
      flag("CheckBox4.Checked", &C::CheckBox4),
      flag("CheckBox5.Checked", &C::CheckBox5),
      flag("CheckBox6.Checked", &C::CheckBox6),
      flag("CheckBox7.Checked", &C::CheckBox7),
      flag("CheckBox8.Checked", &C::CheckBox8),
      flag("CheckBox10.Checked", &C::CheckBox10),
      flag("CheckBox11.Checked", &C::CheckBox11),
      flag("CheckBox13.Checked", &C::CheckBox13),
      flag("CheckBox14.Checked", &C::CheckBox14),
      live_flag("CheckBox15.Checked", settings.colorize_comparisons),
      flag("CheckBox16.Checked", &C::CheckBox16),
      live_flag("CheckBox17.Checked", settings.optional_swaps),
      flag("CheckBox18.Checked", &C::CheckBox18),
      flag("CheckBox19.Checked", &C::CheckBox19),
      flag("CheckBox20.Checked", &C::CheckBox20),
      flag("CheckBox21.Checked", &C::CheckBox21),
      live_flag("CheckBox22.Checked", settings.stable_comparings_checked),
      live_flag("CheckBox23.Checked", settings.quick_block_swapping),
      live_flag("CheckBox24.Checked", settings.correct_movings),
      flag("CheckBox25.Checked", &C::CheckBox25),
      flag("CheckBox27.Checked", &C::CheckBox27),
      flag("CheckBox28.Checked", &C::CheckBox28),
      flag("CheckBox28.Enabled", &C::CheckBox28_enabled),
      flag("showagain_blackbars", &C::showagain_blackbars),
      flag("showagain_zweierpotenz", &C::showagain_zweierpotenz),
      flag("maximaler_Wertebereich", &C::maximaler_Wertebereich),
      flag("Form2_moved", &C::Form2_moved),
      {{"ComboBox1.ItemIndex", OptionType::integer},
       [] { return static_cast<double>(controls.ComboBox1); },
       [](double v) { controls.ComboBox1 = std::clamp(to_int(v), -1, 420); }},
      {{"ComboBox2.ItemIndex", OptionType::integer},
       [] { return static_cast<double>(controls.ComboBox2); },
       [](double v) { controls.ComboBox2 = std::clamp(to_int(v), 0, 27); }},
      {{"ComboBox3.ItemIndex", OptionType::integer},
       [] { return static_cast<double>(controls.ComboBox3); },
       [](double v) { controls.ComboBox3 = std::clamp(to_int(v), 0, 20); }},
      {{"ComboBox4.ItemIndex", OptionType::integer},
       [] { return static_cast<double>(controls.ComboBox4); },
       [](double v) { controls.ComboBox4 = std::clamp(to_int(v), 0, 36); }},
      live_number("ComboBox5.ItemIndex", settings.block_swap_method, 0, 25),
      live_number("RadioGroup1.ItemIndex", settings.background, 0, 1),
      {{"RadioGroup2.ItemIndex", OptionType::integer},
       [] { return static_cast<double>(controls.RadioGroup2); },
       [](double v) { controls.RadioGroup2 = std::clamp(to_int(v), 0, 1); }},
      live_number("RadioGroup4.ItemIndex", settings.line_set, 0, 3),
      {{"RadioGroup5.ItemIndex", OptionType::integer},
       [] { return static_cast<double>(controls.RadioGroup5); },
       [](double v) { controls.RadioGroup5 = std::clamp(to_int(v), 0, 1); }},
      {{"RadioGroup6.ItemIndex", OptionType::integer},
       [] { return static_cast<double>(controls.RadioGroup6); },
       [](double v) { controls.RadioGroup6 = std::clamp(to_int(v), 0, 1); }},
      {{"RadioGroup8.ItemIndex", OptionType::integer},
       [] { return static_cast<double>(controls.RadioGroup8); },
       [](double v) { controls.RadioGroup8 = std::clamp(to_int(v), 0, 1); }},
      live_number("SpinEdit1.Value", settings.brake_factor, 0, brake_factor_max),
      {{"SpinEdit2.MaxValue", OptionType::integer},
       [] { return static_cast<double>(controls.SpinEdit2_max); },
       [](double v) { controls.SpinEdit2_max = std::clamp(to_int(v), 2, 65535); }},
      {{"SpinEdit2.Value", OptionType::integer},
       [] { return static_cast<double>(settings.columns.load()); },
       [](double v) {
         settings.columns = std::clamp(to_int(v), 2, 65535);
         recompute_column_defaults(settings.columns);
       }},
      {{"SpinEdit3.MaxValue", OptionType::integer},
       [] { return static_cast<double>(controls.SpinEdit3_max); },
       [](double v) { controls.SpinEdit3_max = std::clamp(to_int(v), 2, 65535); }},
      live_number("SpinEdit3.Value", settings.rows, 2, 65535),
      number("SpinEdit4.Value", &C::SpinEdit4),
      number("SpinEdit5.MaxValue", &C::SpinEdit5_max),
      number("SpinEdit5.Value", &C::SpinEdit5),
      number("SpinEdit6.MaxValue", &C::SpinEdit6_max),
      number("SpinEdit6.Value", &C::SpinEdit6),
      number("SpinEdit7.MaxValue", &C::SpinEdit7_max),
      number("SpinEdit7.Value", &C::SpinEdit7),
      number("SpinEdit8.Value", &C::SpinEdit8),
      number("SpinEdit9.Value", &C::SpinEdit9),
      number("SpinEdit10.Value", &C::SpinEdit10),
      number("Form1.left", &C::Form1_left),
      number("Form1.top", &C::Form1_top),
      written_only(number("Form2.left", &C::Form2_left)),
      written_only(number("Form2.top", &C::Form2_top)),
      param("param1_healy", &Parameters::param1_healy),
      param("param2_healy", &Parameters::param2_healy),
      param("param3_healy", &Parameters::param3_healy),
      param("param4_healy", &Parameters::param4_healy),
      param("param_m2s", &Parameters::param_m2s),
      param("Param_heapnsort", &Parameters::Param_heapnsort),
      param("Param_heapfsort", &Parameters::Param_heapfsort),
      param("lenW", &Parameters::lenW),
      param("NUMBER", &Parameters::NUMBER),
      param("Param_n_quick", &Parameters::Param_n_quick),
      param("BlockSize", &Parameters::BlockSize),
      param("Param_pardo", &Parameters::Param_pardo),
      param("pivotbuffersize", &Parameters::pivotbuffersize),
      param("Param_shearsort", &Parameters::Param_shearsort),
      number("Form2_left_if_moved", &C::Form2_left_if_moved),
      number("Form2_top_if_moved", &C::Form2_top_if_moved),
      number("Form2_ClientWidth", &C::Form2_ClientWidth),
      param("ratio", &Parameters::ratio),
      param("smallsegmentsizecb", &Parameters::smallsegmentsizecb),
      param("smallsegmentsizetb", &Parameters::smallsegmentsizetb),
      param("compareRegionscound", &Parameters::compareRegionscound),
      param("minrun1", &Parameters::minrun1),
      param("minrun2", &Parameters::minrun2),
      param("maximale_Tauschdistanz", &Parameters::maximale_Tauschdistanz),
      param("Basis", &Parameters::Basis),
      param("MoM_Parameter", &Parameters::MoM_Parameter),
      real_param("Param_pe_sort", &Parameters::Param_pe_sort),
      real_param("log_base", &Parameters::log_base),
      real_param("exponent", &Parameters::exponent),
      real_param("Param_sps_and_sp_sort", &Parameters::Param_sps_and_sp_sort),
      {{"sound", OptionType::boolean},
       [] { return settings.sound.load() ? 1.0 : 0.0; },
       [](double v) { set_sound(v != 0); }},
      live_flag("live_counters", settings.live_counters),
      // The growth chart window's settings.
      compare("compare_size_from", &CompareOptions::size_from, sweep_size_min, sweep_size_max),
      compare("compare_size_to", &CompareOptions::size_to, sweep_size_min, sweep_size_max),
      compare("compare_size_factor", &CompareOptions::size_factor, 2, 16),
      compare("compare_measure", &CompareOptions::measure, 0, sweep_measure_count - 1),
      compare("compare_repeat", &CompareOptions::repeat, 1, 100),
      compare("compare_seed", &CompareOptions::seed, 0, INT32_MAX),
  };
  return b;
}

const std::vector<Binding>& bindings() {
  static const std::vector<Binding> b = make_bindings();
  return b;
}

}  // namespace

bool equal_ignoring_case(const std::string& a, const char* b) {
  size_t k = 0;
  for (; k < a.size() && b[k]; ++k) {
    if (std::tolower(static_cast<unsigned char>(a[k])) !=
        std::tolower(static_cast<unsigned char>(b[k]))) {
      return false;
    }
  }
  return k == a.size() && b[k] == 0;
}

namespace {

const Binding* find_binding(const std::string& name) {
  for (const auto& b : bindings()) {
    if (equal_ignoring_case(name, b.key.name)) return &b;
  }
  return nullptr;
}

}  // namespace

std::string trim_blanks(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

const std::vector<OptionKey>& option_keys() {
  static const std::vector<OptionKey> keys = [] {
    std::vector<OptionKey> k;
    for (const auto& b : bindings()) k.push_back(b.key);
    return k;
  }();
  return keys;
}

const OptionKey* find_option_key(const std::string& name) {
  const Binding* b = find_binding(name);
  return b ? &b->key : nullptr;
}

std::optional<long long> parse_integer(const std::string& text) {
  const std::string t = trim_blanks(text);
  if (t.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(t.c_str(), &end, 10);
  if (errno != 0 || *end != 0) return std::nullopt;
  return v;
}

std::optional<double> parse_real(const std::string& text) {
  std::string t = trim_blanks(text);
  const auto comma = t.find(',');
  if (comma != std::string::npos) t[comma] = '.';
  if (t.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (errno != 0 || *end != 0 || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool set_option(const std::string& name, const std::string& value) {
  const Binding* b = find_binding(name);
  if (!b) return false;
  if (b->key.type == OptionType::real) {
    const auto v = parse_real(value);
    if (!v) return false;
    b->set(*v);
  } else {
    const auto v = parse_integer(value);
    if (!v) return false;
    b->set(static_cast<double>(std::clamp<long long>(*v, INT32_MIN, INT32_MAX)));
  }
  return true;
}

std::optional<std::string> get_option(const std::string& name) {
  const Binding* b = find_binding(name);
  if (!b) return std::nullopt;
  const double v = b->get();
  if (b->key.type != OptionType::real) return std::to_string(static_cast<long long>(v));
  std::ostringstream out;
  out << v;
  return out.str();
}

void set_first_start_defaults(int screen_width, int screen_height, int columns, int rows) {
  controls = ControlValues{};
  parameters = Parameters{};
  settings.reset_to_defaults();
  set_sound(false);
  controls.SpinEdit2_max = std::clamp(screen_width, 2, 65535);
  controls.SpinEdit3_max = std::clamp(screen_height, 2, 65535);
  settings.columns = std::clamp(columns, 2, controls.SpinEdit2_max);
  settings.rows = std::clamp(rows, 2, controls.SpinEdit3_max);
  controls.SpinEdit5_max = settings.columns / 3;
  controls.SpinEdit6_max = settings.columns;
  controls.SpinEdit6 = settings.columns / 2;
  controls.SpinEdit7_max = settings.rows;
  controls.SpinEdit7 = settings.rows;
  recompute_column_defaults(settings.columns);
}

void normalise_controls() {
  ControlValues& c = controls;
  const bool natural = c.ComboBox3 == distribution_natural_once;
  if (natural) {
    c.CheckBox16 = false;
    const int bound = std::min(c.SpinEdit2_max, c.SpinEdit3_max);
    settings.columns = std::clamp(settings.columns.load(), 2, bound);
    settings.rows = settings.columns.load();
  }
  settings.columns = std::clamp(settings.columns.load(), 2, std::max(2, c.SpinEdit2_max));
  settings.rows = std::clamp(settings.rows.load(), 2, std::max(2, c.SpinEdit3_max));
  const int n = settings.columns;
  const int rows = settings.rows;
  c.SpinEdit7_max = rows + (c.CheckBox16 ? 1 : 0);
  c.SpinEdit7 = std::clamp(c.SpinEdit7, 1, c.SpinEdit7_max);
  c.SpinEdit5_max = std::max(1, n / 3);
  c.SpinEdit5 = std::clamp(c.SpinEdit5, 1, c.SpinEdit5_max);
  c.SpinEdit6_max = n;
  c.SpinEdit6 = std::clamp(c.SpinEdit6, 0, n);
  c.SpinEdit8 = std::clamp(c.SpinEdit8, -n, n);
  c.SpinEdit10 = std::clamp(c.SpinEdit10, 0, n / 2);
  c.SpinEdit4 = std::max(c.SpinEdit4, 0);
  c.SpinEdit9 = std::max(c.SpinEdit9, 0);
}

}  // namespace mv

// mivrola-batch: runs catalogue entries exactly as the program does, without windows.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/headless_run.h"
#include "engine/options_file.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine/report.h"
#include "engine/run_driver.h"
#include "initial_set/initial_set.h"

namespace {

using namespace mv;

const char* const usage =
    "usage: mivrola-batch --list\n"
    "       mivrola-batch [--options FILE] [--set KEY=VALUE]... [--seed S]\n"
    "                     (--algorithm N | --range A-B | --all)\n"
    "                     [--break-after-ops K] [--format text|csv|jsonl]\n"
    "Settings: first-start defaults, then the options file, then each --set by options key\n"
    "(e.g. --set SpinEdit2.Value=1000 for 1000 columns); --set thread_limit=N sets the answer to\n"
    "\"max. number of simultaneous threads?\" (0 = without limit; needs CheckBox10.Checked=1,\n"
    "the default). --break-after-ops K breaks a run off\n"
    "once K comparisons, movings and swappings have been counted. Entries that are not\n"
    "implemented are reported as \"not implemented\", runs that cannot start (the program's\n"
    "start button is disabled for the set, or the algorithm refuses its parameter) as\n"
    "\"not started\" with the reason. Parameters are brought into the bounds their prompts\n"
    "check, without a message. permutation_intact: the final set holds\n"
    "the start set's records (for the value-counting sorts 5, 6, 7, 73, which rewrite keys:\n"
    "the same keys).\n";

const char* const thread_limit_key = "thread_limit";

[[noreturn]] void fail(const std::string& message) {
  std::cerr << "mivrola-batch: " << message << "\n";
  std::exit(2);
}

std::string csv_quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) out += (c == '"') ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

template <class F>
std::string json_array(const std::vector<Element>& v, F field) {
  std::string out = "[";
  for (size_t i = 0; i < v.size(); ++i) {
    if (i) out += ',';
    out += std::to_string(field(v[i]));
  }
  return out + "]";
}

uint64_t break_after = 0;

std::optional<int> parse_index(const std::string& text) {
  const auto v = parse_integer(text);
  if (!v || *v < 0 || *v >= catalogue_size) return std::nullopt;
  return static_cast<int>(*v);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) fail("no arguments (try --help)");

  set_first_start_defaults(65535, 65535, 100, 100);
  std::vector<int> indexes;
  std::optional<uint32_t> seed;
  std::string format = "text";
  bool list = false;
  bool selection_given = false;

  for (size_t k = 0; k < args.size(); ++k) {
    const std::string& a = args[k];
    auto value = [&]() -> const std::string& {
      if (k + 1 >= args.size()) fail("missing value after " + a);
      return args[++k];
    };
    if (a == "--help" || a == "-h") {
      std::cout << usage;
      return 0;
    } else if (a == "--list") {
      list = true;
    } else if (a == "--options") {
      const std::string& path = value();
      const OptionsFileRead read = load_options_file(path);
      if (!read.refusal.empty()) fail(read.refusal);
      if (!read) fail("cannot read options file '" + path + "'");
    } else if (a == "--set") {
      const std::string& kv = value();
      const auto eq = kv.find('=');
      if (eq == std::string::npos) fail("--set needs KEY=VALUE, got '" + kv + "'");
      const std::string key = kv.substr(0, eq);
      if (equal_ignoring_case(key, thread_limit_key)) {
        // The limit the prompt "max. number of simultaneous threads?" asks for; the options file
        // has no key for it.
        const auto limit = parse_integer(kv.substr(eq + 1));
        if (!limit) fail("bad value '" + kv.substr(eq + 1) + "' for " + thread_limit_key);
        parameters.thread_limit = static_cast<int32_t>(std::clamp<long long>(*limit, 0, INT32_MAX));
        continue;
      }
      if (!find_option_key(key)) fail("unknown options key '" + key + "'");
      if (!set_option(key, kv.substr(eq + 1))) {
        fail("bad value '" + kv.substr(eq + 1) + "' for options key '" + key + "'");
      }
    } else if (a == "--seed") {
      const auto s = parse_integer(value());
      if (!s || *s < 0 || *s > 0xFFFFFFFFLL) fail("bad seed '" + args[k] + "'");
      seed = static_cast<uint32_t>(*s);
    } else if (a == "--algorithm") {
      const auto i = parse_index(value());
      if (!i) fail("unknown catalogue index '" + args[k] + "' (0 to 420)");
      indexes = {*i};
      selection_given = true;
    } else if (a == "--range") {
      const std::string& r = value();
      const auto dash = r.find('-', 1);
      const auto lo = dash == std::string::npos ? std::nullopt : parse_index(r.substr(0, dash));
      const auto hi = dash == std::string::npos ? std::nullopt : parse_index(r.substr(dash + 1));
      if (!lo || !hi || *lo > *hi) fail("bad range '" + r + "' (A-B within 0 to 420)");
      indexes.clear();
      for (int i = *lo; i <= *hi; ++i) indexes.push_back(i);
      selection_given = true;
    } else if (a == "--all") {
      indexes.clear();
      for (int i = 0; i < catalogue_size; ++i) indexes.push_back(i);
      selection_given = true;
    } else if (a == "--break-after-ops") {
      const auto v = parse_integer(value());
      if (!v || *v < 1) fail("bad operation count '" + args[k] + "'");
      break_after = static_cast<uint64_t>(*v);
    } else if (a == "--format") {
      format = value();
      if (format != "text" && format != "csv" && format != "jsonl") {
        fail("unknown format '" + format + "' (text, csv or jsonl)");
      }
    } else {
      fail("unknown argument '" + a + "'");
    }
  }

  if (list) {
    for (int i = 0; i < catalogue_size; ++i) {
      std::cout << i << '\t' << catalogue_entry(i).caption << '\n';
    }
    return 0;
  }
  if (!selection_given) fail("choose --algorithm N, --range A-B or --all");
  normalise_controls();
  // Parameters into the bounds their prompts check, as the options file's are.
  correct_parameters_silently(settings.columns);
  if (!structure_implemented(controls.ComboBox2)) {
    fail("structure " + std::to_string(controls.ComboBox2) +
         " (ComboBox2.ItemIndex) is not implemented");
  }
  if (!presorting_implemented(controls.ComboBox4)) {
    fail("presorting method " + std::to_string(controls.ComboBox4) +
         " (ComboBox4.ItemIndex) is not implemented");
  }

  // Every run starts from the same settings, whatever an earlier run adjusted (the power-of-two
  // columns and the parameters that follow them).
  const int columns = settings.columns;
  const int rows = settings.rows;
  const ControlValues controls_before = controls;
  const Parameters parameters_before = parameters;
  if (format == "csv") {
    std::cout << "index,caption,columns,rows,duration_ms,main_loop_runnings,comparisons,movings,"
                 "swappings,threads,stability_inversions,sorted,permutation_intact,broken_off\n";
  }
  auto flag = [](bool b) { return b ? "true" : "false"; };
  for (int index : indexes) {
    const CatalogueEntry& entry = catalogue_entry(index);
    settings.columns = columns;
    settings.rows = rows;
    controls = controls_before;
    parameters = parameters_before;
    // An entry that does not run: its status, and why where there is more to say.
    auto report_status = [&](const std::string& status, const std::string& reason, size_t n) {
      const std::string line = reason.empty() ? status : status + ": " + reason;
      if (format == "text") {
        std::cout << "== " << index << " " << entry.caption << " ==\n" << line << "\n\n";
      } else if (format == "csv") {
        std::cout << index << ',' << csv_quote(entry.caption) << ',' << n << ',' << settings.rows
                  << ',' << (reason.empty() ? line : csv_quote(line)) << ",,,,,,,,,\n";
      } else {
        std::cout << "{\"index\":" << index << ",\"caption\":" << json_string(entry.caption)
                  << ",\"status\":" << json_string(status);
        if (!reason.empty()) std::cout << ",\"reason\":" << json_string(reason);
        std::cout << "}\n";
      }
      std::cout.flush();
    };
    if (index == separator_index || !is_implemented(index)) {
      report_status(index == separator_index ? "separator line" : "not implemented", "",
                    static_cast<size_t>(columns));
      continue;
    }
    const HeadlessRun run = run_headless(index, seed, break_after);
    const auto n = run.start_set.size();
    if (!run.not_started.empty()) {
      report_status("not started", run.not_started, n);
      continue;
    }
    if (format == "text") {
      std::cout << "== " << index << " " << entry.caption << " ==\n" << run.report << "\n\n";
    } else if (format == "csv") {
      std::cout << index << ',' << csv_quote(entry.caption) << ',' << n << ',' << settings.rows
                << ',' << run.duration_ms << ',' << run.main_loop_runnings << ',' << run.comparisons
                << ',' << run.movings << ',' << run.swappings << ',' << run.threads << ','
                << run.stability_inversions() << ',' << flag(run.sorted()) << ','
                << flag(run.permutation_intact()) << ',' << flag(run.broken_off) << '\n';
    } else {
      auto keys = [](const Element& e) { return e.key; };
      auto positions = [](const Element& e) { return e.start_position; };
      std::cout << "{\"index\":" << index << ",\"caption\":" << json_string(entry.caption)
                << ",\"columns\":" << n << ",\"rows\":" << settings.rows
                << ",\"duration_ms\":" << run.duration_ms
                << ",\"main_loop_runnings\":" << run.main_loop_runnings
                << ",\"comparisons\":" << run.comparisons << ",\"movings\":" << run.movings
                << ",\"swappings\":" << run.swappings << ",\"threads\":" << run.threads
                << ",\"stability_inversions\":" << run.stability_inversions()
                << ",\"sorted\":" << flag(run.sorted())
                << ",\"permutation_intact\":" << flag(run.permutation_intact())
                << ",\"broken_off\":" << flag(run.broken_off)
                << ",\"start_keys\":" << json_array(run.start_set, keys)
                << ",\"final_keys\":" << json_array(run.final_set, keys)
                << ",\"final_start_positions\":" << json_array(run.final_set, positions) << "}\n";
    }
    std::cout.flush();
  }
  return 0;
}

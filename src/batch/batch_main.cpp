// mivrola-batch: runs catalogue entries exactly as the program does, without windows.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_selection.h"
#include "batch/progress_bar.h"
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
#include "engine/sweep.h"
#include "initial_set/initial_set.h"

namespace {

using namespace mv;

const char* const usage =
    "usage: mivrola-batch --list\n"
    "       mivrola-batch --help | --version\n"
    "       mivrola-batch [--options FILE] [--set KEY=VALUE]... [--seed S]\n"
    "                     (--algorithm N[,N]... | --range A-B | --family NAME | --all)...\n"
    "                     [--sizes LIST] [--repeat R] [--quiet]\n"
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
    "the same keys).\n"
    "Entries: each --algorithm, --range, --family and --all adds its entries (each entry once,\n"
    "in the order given). --family takes one of these names (or a prefix that fits one only):\n";

const char* const sweep_usage =
    "Sweeps: --sizes LIST runs every entry once per size as its columns, as --set\n"
    "SpinEdit2.Value=SIZE would (with the values that follow the columns; the bounds\n"
    "SpinEdit2.MaxValue and SpinEdit3.MaxValue do not apply); LIST is 16,64,256\n"
    "or from..to x factor, e.g. 10..10000x2 for 10, 20, 40 ... 5120 (sizes 2 to 65535).\n"
    "--repeat R runs each size R times with the seeds S, S+1 ... (S from --seed, else 0).\n"
    "With --sizes or --repeat every row ends with the size and the seed (csv: columns size,seed;\n"
    "jsonl: keys size, seed; text: in the heading). Runs broken off by --break-after-ops say so\n"
    "(broken_off true). With more than one run and standard error a terminal, a progress line\n"
    "(runs done/total, current entry, time left) shows on standard error; --quiet hides it.\n";

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
  std::vector<int> sizes;
  int repeat = 1;
  bool sweeping = false;
  bool quiet = false;
  auto choose = [&](const std::vector<int>& chosen) {
    for (int i : chosen) {
      if (std::find(indexes.begin(), indexes.end(), i) == indexes.end()) indexes.push_back(i);
    }
    selection_given = true;
  };

  for (size_t k = 0; k < args.size(); ++k) {
    const std::string& a = args[k];
    auto value = [&]() -> const std::string& {
      if (k + 1 >= args.size()) fail("missing value after " + a);
      return args[++k];
    };
    if (a == "--help" || a == "-h") {
      std::cout << usage << batch::family_help() << sweep_usage;
      return 0;
    } else if (a == "--version") {
      std::cout << "mivrola-batch " << MIVROLA_VERSION << "\n";
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
      const auto list = batch::parse_index_list(value());
      if (!list) fail("unknown catalogue index '" + args[k] + "' (0 to 420)");
      choose(*list);
    } else if (a == "--range") {
      const auto range = batch::parse_index_range(value());
      if (!range) fail("bad range '" + args[k] + "' (A-B within 0 to 420)");
      choose(*range);
    } else if (a == "--family") {
      const auto family = batch::parse_family(value());
      if (!family) fail("unknown family '" + args[k] + "' (see --help)");
      choose(batch::family_entries(*family));
    } else if (a == "--all") {
      std::vector<int> all;
      for (int i = 0; i < catalogue_size; ++i) all.push_back(i);
      choose(all);
    } else if (a == "--sizes") {
      std::string why;
      const auto list = parse_sizes(value(), &why);
      if (!list) fail(why);
      sizes = *list;
      sweeping = true;
    } else if (a == "--repeat") {
      const auto r = parse_integer(value());
      if (!r || *r < 1 || *r > 1000000) fail("bad repeat count '" + args[k] + "' (1 or more)");
      repeat = static_cast<int>(*r);
      sweeping = true;
    } else if (a == "--quiet") {
      quiet = true;
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
  // columns and the parameters that follow them): the sweep restores them before each run.
  const int columns = settings.columns;
  if (sweeping && !seed) seed = 0;
  const std::vector<SweepRun> plan = plan_sweep(indexes, sizes, repeat, seed);
  if (format == "csv") {
    std::cout << "index,caption,columns,rows,duration_ms,main_loop_runnings,comparisons,movings,"
                 "swappings,threads,stability_inversions,sorted,permutation_intact,broken_off"
              << (sweeping ? ",size,seed" : "") << "\n";
  }
  auto flag = [](bool b) { return b ? "true" : "false"; };
  // The size and the seed of a sweep's run, after the columns every format already has.
  auto sweep_columns = [&](const SweepRun& r) {
    if (!sweeping) return std::string();
    const std::string size = std::to_string(r.size > 0 ? r.size : columns);
    const std::string s = std::to_string(r.seed.value_or(0));
    if (format == "csv") return "," + size + "," + s;
    if (format == "jsonl") return ",\"size\":" + size + ",\"seed\":" + s;
    return " (size " + size + ", seed " + s + ")";
  };
  batch::ProgressBar progress(!quiet, plan.size());
  auto before = [&](size_t k, const SweepRun& r) {
    progress.start(k, std::to_string(r.index) + " " + catalogue_entry(r.index).caption +
                          (sweeping ? " n=" + std::to_string(r.size > 0 ? r.size : columns) : ""));
    return true;
  };
  auto after = [&](size_t, const SweepRun& r, const HeadlessRun& run) {
    const int index = r.index;
    const CatalogueEntry& entry = catalogue_entry(index);
    const std::string extra = sweep_columns(r);
    // An entry that does not run: its status, and why where there is more to say.
    auto report_status = [&](const std::string& status, const std::string& reason, size_t n) {
      const std::string line = reason.empty() ? status : status + ": " + reason;
      if (format == "text") {
        std::cout << "== " << index << " " << entry.caption << extra << " ==\n" << line << "\n\n";
      } else if (format == "csv") {
        std::cout << index << ',' << csv_quote(entry.caption) << ',' << n << ',' << settings.rows
                  << ',' << (reason.empty() ? line : csv_quote(line)) << ",,,,,,,,," << extra
                  << "\n";
      } else {
        std::cout << "{\"index\":" << index << ",\"caption\":" << json_string(entry.caption)
                  << ",\"status\":" << json_string(status);
        if (!reason.empty()) std::cout << ",\"reason\":" << json_string(reason);
        std::cout << extra << "}\n";
      }
      std::cout.flush();
    };
    if (!sweep_can_run(index)) {
      report_status(index == separator_index ? "separator line" : "not implemented", "",
                    static_cast<size_t>(r.size > 0 ? r.size : columns));
      return true;
    }
    const auto n = run.start_set.size();
    if (!run.not_started.empty()) {
      report_status("not started", run.not_started, n);
      return true;
    }
    if (format == "text") {
      std::cout << "== " << index << " " << entry.caption << extra << " ==\n"
                << run.report << "\n\n";
    } else if (format == "csv") {
      std::cout << index << ',' << csv_quote(entry.caption) << ',' << n << ',' << settings.rows
                << ',' << run.duration_ms << ',' << run.main_loop_runnings << ',' << run.comparisons
                << ',' << run.movings << ',' << run.swappings << ',' << run.threads << ','
                << run.stability_inversions() << ',' << flag(run.sorted()) << ','
                << flag(run.permutation_intact()) << ',' << flag(run.broken_off) << extra << '\n';
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
                << ",\"final_start_positions\":" << json_array(run.final_set, positions) << extra
                << "}\n";
    }
    std::cout.flush();
    return true;
  };
  run_sweep(plan, break_after, before, after);
  progress.finish();
  return 0;
}

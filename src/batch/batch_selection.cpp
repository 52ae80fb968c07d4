#include "batch/batch_selection.h"

#include <algorithm>
#include <cctype>

#include "engine/options_keys.h"

namespace mv::batch {

namespace {

struct FamilyName {
  Family family;
  const char* name;
};

// The separator is no family one can choose.
constexpr FamilyName family_names[] = {
    {Family::exchange, "exchange"},
    {Family::insertion_shell, "insertion-shell"},
    {Family::selection_heap_smooth, "selection-heap-smooth"},
    {Family::merge_out_of_place, "merge-out-of-place"},
    {Family::merge_in_place, "merge-in-place"},
    {Family::quick, "quick"},
    {Family::stable_quick_block, "stable-quick-block"},
    {Family::tree_structure, "tree-structure"},
    {Family::permutation_slow, "permutation-slow"},
    {Family::distribution, "distribution"},
    {Family::network, "network"},
    {Family::parallel_range_splitting, "parallel-range-splitting"},
    {Family::parallel_pass, "parallel-pass"},
    {Family::shuffle, "shuffle"},
};

std::optional<int> parse_index(const std::string& text) {
  const auto v = parse_integer(text);
  if (!v || *v < 0 || *v >= catalogue_size) return std::nullopt;
  return static_cast<int>(*v);
}

}  // namespace

std::optional<std::vector<int>> parse_index_list(const std::string& text) {
  std::vector<int> indexes;
  size_t start = 0;
  while (true) {
    const auto comma = text.find(',', start);
    const auto i = parse_index(text.substr(start, comma - start));
    if (!i) return std::nullopt;
    indexes.push_back(*i);
    if (comma == std::string::npos) return indexes;
    start = comma + 1;
  }
}

std::optional<std::vector<int>> parse_index_range(const std::string& text) {
  const auto dash = text.find('-', 1);
  if (dash == std::string::npos) return std::nullopt;
  const auto lo = parse_index(text.substr(0, dash));
  const auto hi = parse_index(text.substr(dash + 1));
  if (!lo || !hi || *lo > *hi) return std::nullopt;
  std::vector<int> indexes;
  for (int i = *lo; i <= *hi; ++i) indexes.push_back(i);
  return indexes;
}

std::optional<Family> parse_family(const std::string& name) {
  std::string wanted;
  for (char c : name) {
    wanted += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (wanted.empty()) return std::nullopt;
  std::optional<Family> prefix_match;
  int prefix_matches = 0;
  for (const FamilyName& f : family_names) {
    const std::string n = f.name;
    if (n == wanted) return f.family;
    if (n.compare(0, wanted.size(), wanted) == 0) {
      prefix_match = f.family;
      ++prefix_matches;
    }
  }
  return prefix_matches == 1 ? prefix_match : std::nullopt;
}

std::string family_option_name(Family f) {
  for (const FamilyName& n : family_names) {
    if (n.family == f) return n.name;
  }
  return "";
}

std::vector<int> family_entries(Family f) {
  std::vector<int> indexes;
  for (int i = 0; i < catalogue_size; ++i) {
    if (i != separator_index && catalogue_entry(i).family == f) indexes.push_back(i);
  }
  return indexes;
}

std::string family_help() {
  std::string out;
  for (const FamilyName& f : family_names) {
    std::string line = "  ";
    line += f.name;
    line.resize(std::max<size_t>(line.size() + 1, 28), ' ');
    out += line + family_name(f.family) + " (" + std::to_string(family_entries(f.family).size()) +
           ")\n";
  }
  return out;
}

}  // namespace mv::batch

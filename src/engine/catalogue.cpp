#include "engine/catalogue.h"

#include <array>
#include <bitset>
#include <cstdlib>

#include "algorithms/registry.h"
#include "engine/controls.h"

namespace mv {

namespace {

const CatalogueEntry entries[catalogue_size] = {
#include "engine/catalogue_data.inc"
};

using IndexSet = std::bitset<catalogue_size>;

// Reads a list such as "14-25, 28, 31" (hyphen or en dash between the ends of a range).
IndexSet parse_indexes(const char* text) {
  IndexSet set;
  const char* p = text;
  while (*p) {
    char* end = nullptr;
    const long first = std::strtol(p, &end, 10);
    if (end == p) {
      ++p;
      continue;
    }
    p = end;
    long last = first;
    while (*p == ' ') ++p;
    if (*p == '-' || (static_cast<unsigned char>(p[0]) == 0xE2 && p[1] && p[2])) {
      p += (*p == '-') ? 1 : 3;
      last = std::strtol(p, &end, 10);
      p = end;
    }
    for (long k = first; k <= last && k < catalogue_size; ++k) set.set(static_cast<size_t>(k));
  }
  return set;
}

const IndexSet power_of_two =
    parse_indexes("14-25, 28, 29, 31, 32, 68, 122, 173, 174, 175, 285, 355");
const IndexSet thread_limit = parse_indexes(
    "13, 71, 113, 237, 238, 247, 250, 252, 253, 308, 309, 310, 311, 325, 326, 328, 329, 331, "
    "332, 353, 354");
const IndexSet start_thread =
    parse_indexes("27-32, 185, 186, 238, 253, 272, 310, 311, 314, 315, 326, 329, 332, 354, 380");

struct ControlList {
  AlgorithmControl control;
  IndexSet indexes;
};

const std::array<ControlList, 10> control_lists = {{
    {AlgorithmControl::block_swapping,
     parse_indexes("84–86, 124, 125, 127, 135–137, 139–144, 146–148, 150–157, 159–162, 172, 196, "
                   "197, 199, 207–209, 211–216, 218–220, 222–229, 232–234, 275–277, 279, 280, "
                   "381, 388")},
    {AlgorithmControl::simultaneous_sorting,
     parse_indexes("13, 19, 25, 28, 31, 32, 69, 237, 272, 308, 310, 314, 331")},
    {AlgorithmControl::parameter_input,
     parse_indexes("35–37, 96, 97, 126, 127, 162, 165–167, 198, 199, 234, 260, 274–276, 289, 293, "
                   "294, 327–332, 355, 388–390")},
    {AlgorithmControl::colorize_and_optional_swaps,
     parse_indexes("0–4, 10–13, 15, 19, 21, 25, 29, 30, 32, 38–41, 55–58, 65–67, 69–71, 79–92, "
                   "94–100, 103–110, 113, 116, 117, 122–136, 138–145, 147–149, 151–184, 188–190, "
                   "193–221, 223–240, 246–255, 257–269, 272, 277, 282, 284, 308, 310, 314, "
                   "317–322, 324–332, 353–366, 368–374, 376–378, 380–382, 384–390, 392–397")},
    {AlgorithmControl::show_threads,
     parse_indexes(
         "13, 15, 19, 21, 25, 27–32, 69, 71, 113, 185, 186, 237, 238, 247, 250, 252, "
         "253, 272, 308, 310, 311, 314, 315, 322, 325, 326, 328, 329, 331, 332, 353, 354, "
         "380, 394")},
    {AlgorithmControl::correct_movings,
     parse_indexes("1, 3, 9, 11, 14–26, 28–32, 38–41, 55–67, 69–71, 84–100, 103–110, 113, "
                   "116–119, 121–149, 151–184, 187–190, 193–221, 223–236, 239, 240, 246–255, "
                   "257–270, 272–279, 282–284, 295–308, 310, 312–314, 318–322, 324–354, 356–366, "
                   "368–373, 376–379, 381, 382, 384, 385, 388–390, 392–394, 399–403, 408–412, "
                   "414, 415, 418–420")},
    {AlgorithmControl::show_loops,
     parse_indexes("38–53, 55–58, 65–69, 79–83, 189–237, 257, 258, 295–309, 333–353, 384–387, "
                   "404–420")},
    {AlgorithmControl::show_stability, parse_indexes("0-4, 8-72, 74-397")},
    {AlgorithmControl::stabilize_locally,
     parse_indexes("65–68, 119, 125, 129–132, 138, 140, 150–152, 182, 183, 197, 201–204, 210, "
                   "212, 222–224, 266–268, 273, 318, 319, 321, 327, 328, 330, 331, 333–352")},
    {AlgorithmControl::stable_comparings,
     parse_indexes("10, 14–25, 28, 29, 31, 32, 70, 75, 76, 89, 91, 92, 94, 96, 97, 99, 125, 135, "
                   "136, 164, 173–177, 197, 207, 208, 219, 236, 248–253, 273, 318, 319, 321, "
                   "327–332, 355, 358–366, 368, 369, 386, 387, 393–397")},
}};

std::array<AlgorithmProcedure, catalogue_size> procedures{};

struct StartRule {
  StartCondition holds = nullptr;
  const char* reason = nullptr;
};
std::array<StartRule, catalogue_size> start_rules{};

void ensure_registered() {
  register_all_algorithms();
}

}  // namespace

const CatalogueEntry& catalogue_entry(int index) {
  return entries[index < 0 || index >= catalogue_size ? separator_index : index];
}

const char* family_name(Family f) {
  switch (f) {
    case Family::exchange:
      return "exchange sorts";
    case Family::insertion_shell:
      return "insertion and Shell sorts";
    case Family::selection_heap_smooth:
      return "selection, heap and smooth sorts";
    case Family::merge_out_of_place:
      return "out-of-place merge sorts";
    case Family::merge_in_place:
      return "in-place merge sorts";
    case Family::quick:
      return "quick sorts";
    case Family::stable_quick_block:
      return "stable quick sorts and block hybrids";
    case Family::tree_structure:
      return "tree and structure sorts";
    case Family::permutation_slow:
      return "permutation and slow sorts";
    case Family::distribution:
      return "distribution sorts";
    case Family::network:
      return "sorting networks";
    case Family::parallel_range_splitting:
      return "parallel range-splitting sorts";
    case Family::parallel_pass:
      return "parallel pass sorts";
    case Family::shuffle:
      return "shuffles";
    case Family::separator:
      return "separator";
  }
  return "";
}

const char* stability_name(Stability s) {
  switch (s) {
    case Stability::stable:
      return "stable";
    case Stability::conditional_stable:
      return "conditional stable";
    case Stability::unstable:
      return "unstable";
    case Stability::not_stated:
      return "not stated";
  }
  return "";
}

bool needs_power_of_two(int index) {
  return index >= 0 && index < catalogue_size && power_of_two.test(static_cast<size_t>(index));
}
bool asks_thread_limit(int index) {
  return index >= 0 && index < catalogue_size && thread_limit.test(static_cast<size_t>(index));
}
bool is_start_thread_algorithm(int index) {
  return index >= 0 && index < catalogue_size && start_thread.test(static_cast<size_t>(index));
}

bool control_enabled_for(AlgorithmControl control, int index) {
  if (index < 0 || index >= catalogue_size) return false;
  for (const auto& list : control_lists) {
    if (list.control == control) return list.indexes.test(static_cast<size_t>(index));
  }
  return false;
}

bool stability_boxes_enabled(int index, int distribution) {
  return distribution != distribution_natural_once &&
         control_enabled_for(AlgorithmControl::show_stability, index);
}

bool stable_comparings_enabled_for(int index, int distribution) {
  return distribution != distribution_natural_once &&
         control_enabled_for(AlgorithmControl::stable_comparings, index);
}

void register_procedure(int index, AlgorithmProcedure procedure) {
  if (index >= 0 && index < catalogue_size && index != separator_index) {
    procedures[static_cast<size_t>(index)] = procedure;
  }
}

void register_procedures(std::initializer_list<int> indexes, AlgorithmProcedure procedure) {
  for (int index : indexes) register_procedure(index, procedure);
}

AlgorithmProcedure procedure_of(int index) {
  ensure_registered();
  if (index < 0 || index >= catalogue_size) return nullptr;
  return procedures[static_cast<size_t>(index)];
}

bool is_implemented(int index) {
  return procedure_of(index) != nullptr;
}

void register_start_condition(int index, StartCondition holds, const char* reason) {
  if (index >= 0 && index < catalogue_size)
    start_rules[static_cast<size_t>(index)] = {holds, reason};
}

const char* start_refusal(int index) {
  ensure_registered();
  if (index < 0 || index >= catalogue_size) return nullptr;
  const StartRule& rule = start_rules[static_cast<size_t>(index)];
  return rule.holds && !rule.holds() ? rule.reason : nullptr;
}

}  // namespace mv

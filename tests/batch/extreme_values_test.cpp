// Extreme parameter and setting values: every entry with its parameters at 0, 1, the column
// count and 2^31 - 1, and set building with its counts at the ends of the 32-bit range, end
// without a crash, keep every element, and never report a run that did not start as finished.
// Meant to be run under the address and undefined-behaviour sanitizers too.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/headless_run.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine_fixture.h"
#include "initial_set/initial_set.h"

namespace mv::extreme_values_test {
namespace {

using test::has_equal_keys;

using P = Parameters;
int32_t P::*const integer_parameters[] = {
    &P::BlockSize,
    &P::maximale_Tauschdistanz,
    &P::param1_healy,
    &P::param2_healy,
    &P::param3_healy,
    &P::param4_healy,
    &P::Param_heapnsort,
    &P::Param_heapfsort,
    &P::NUMBER,
    &P::lenW,
    &P::Param_pardo,
    &P::ratio,
    &P::param_m2s,
    &P::pivotbuffersize,
    &P::smallsegmentsizecb,
    &P::smallsegmentsizetb,
    &P::MoM_Parameter,
    &P::Param_n_quick,
    &P::Basis,
    &P::Param_shearsort,
    &P::compareRegionscound,
    &P::minrun1,
    &P::minrun2,
    &P::thread_limit,
};

constexpr int columns = 16;  // a power of two: the power-of-two entries run on it as it is
const int32_t extremes[] = {0, 1, columns, INT32_MAX};

void set_every_parameter(int32_t v) {
  for (auto field : integer_parameters) parameters.*field = v;
}

void small_set() {
  set_first_start_defaults(65535, 65535, columns, 64);
  controls.SpinEdit7 = 40;
  normalise_controls();
}

// As the program and the batch tool run them: parameter input on, so the prompts' rules apply
// to the values (the headless prompts keep the pre-filled answer).
TEST(ExtremeValues, EveryEntryWithItsParametersAtTheEnds) {
  for (int32_t v : extremes) {
    for (int index = 0; index < catalogue_size; ++index) {
      if (index == separator_index || !is_implemented(index)) continue;
      small_set();
      controls.CheckBox10 = true;
      set_every_parameter(v);
      const HeadlessRun run = run_headless(index, 11u + static_cast<uint32_t>(index), 20000);
      const std::string where = "entry " + std::to_string(index) + " value " + std::to_string(v);
      ASSERT_TRUE(run.permutation_intact()) << where;
      if (!run.not_started.empty()) {
        // Only the n heap sort refuses a parameter, and the simplified plasel sort a set with
        // equal keys; neither touches the set.
        EXPECT_TRUE((index == 96 && v == INT32_MAX) ||
                    (index == 258 && has_equal_keys(run.start_set)))
            << where << ": " << run.not_started;
        EXPECT_EQ(run.comparisons + run.movings + run.swappings, 0u) << where;
        continue;
      }
      if (!is_shuffle(index)) {
        EXPECT_TRUE(run.sorted() || run.broken_off) << where;
      }
    }
  }
}

// Straight to the procedures, past the prompts' rules: the algorithms themselves must bound or
// widen what they compute from any 32-bit value (the options file and older versions may hold
// anything). The parallel entries need the run driver and are covered above.
TEST(ExtremeValues, SequentialEntriesWithRawParameterValues) {
  for (int32_t v : {INT32_MIN, -1, 0, 1, columns, INT32_MAX}) {
    for (int index = 0; index < catalogue_size; ++index) {
      const Family family = catalogue_entry(index).family;
      if (index == separator_index || !is_implemented(index) ||
          family == Family::parallel_range_splitting || family == Family::parallel_pass) {
        continue;
      }
      const auto keys = test::random_keys(columns, 12, static_cast<unsigned>(index));
      set_every_parameter(v);
      parameters.exponent = v;
      parameters.log_base = v;
      parameters.Param_pe_sort = v;
      parameters.Param_sps_and_sp_sort = v;
      random_seed = static_cast<uint32_t>(index);
      test::run_with_budget(index, keys, true, false, 20000);
      const std::string where = "entry " + std::to_string(index) + " value " + std::to_string(v);
      if (is_value_counting_sort(index)) {
        // These rewrite the keys: the same keys must come out.
        auto before = keys, after = test::keys_of_set();
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        ASSERT_EQ(after, before) << where;
      } else {
        ASSERT_TRUE(test::permutation_intact(keys)) << where;
      }
    }
  }
  set_parameter_presets(columns);
}

// Set building with every count at the ends of the 32-bit range, for every presorting method and
// a few structures: the keys drawn stay the keys of the set.
TEST(ExtremeValues, SetBuildingWithCountsAtTheEnds) {
  const int32_t counts[] = {INT32_MIN, -1, 0, 1, 2, columns, INT32_MAX};
  for (int structure : {0, 2, 5, 21, 25}) {
    for (int method = 0; method < 37; ++method) {
      for (int32_t v : counts) {
        small_set();
        controls.ComboBox2 = structure;
        controls.ComboBox4 = method;
        random_seed = 99;
        CreateInitialSet();
        auto drawn = test::keys_of_set();
        std::sort(drawn.begin(), drawn.end());
        controls.SpinEdit4 = v;
        controls.SpinEdit5 = v;
        controls.SpinEdit6 = v;
        controls.SpinEdit8 = v;
        controls.SpinEdit9 = v;
        controls.SpinEdit10 = v;
        random_seed = 99;
        CreateInitialSet();
        auto built = test::keys_of_set();
        std::sort(built.begin(), built.end());
        ASSERT_EQ(built, drawn) << "structure " << structure << " method " << method << " count "
                                << v;
      }
    }
  }
  small_set();
}

}  // namespace
}  // namespace mv::extreme_values_test

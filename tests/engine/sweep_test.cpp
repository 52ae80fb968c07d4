// Size sweeps below the windows: the size lists, the order of the runs, the settings each run
// starts from, and the set and settings left as they were.
#include "engine/sweep.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "initial_set/initial_set.h"

namespace mv::sweep_test {
namespace {

TEST(Sweep, SizeLists) {
  EXPECT_EQ(parse_sizes("16,64,256"), (std::vector<int>{16, 64, 256}));
  EXPECT_EQ(parse_sizes(" 7 , 2"), (std::vector<int>{7, 2}));
  EXPECT_EQ(parse_sizes("10..10000x2"),
            (std::vector<int>{10, 20, 40, 80, 160, 320, 640, 1280, 2560, 5120}));
  EXPECT_EQ(parse_sizes("100..12800x2")->back(), 12800);
  EXPECT_EQ(parse_sizes("10..30x1.5"), (std::vector<int>{10, 15, 23}));
  EXPECT_EQ(parse_sizes("65535..65535x2"), (std::vector<int>{65535}));
  std::string why;
  for (const char* bad :
       {"", ",", "16,", "x", "1", "65536", "16..8x2", "2..65535x1.0000001", "16..64", "..64x2",
        "16..64x", "16..64x0.5", "16..64xnan", "4e3", "16;64"}) {
    EXPECT_FALSE(parse_sizes(bad, &why)) << bad;
    EXPECT_NE(why.find("bad size list"), std::string::npos) << bad;
  }
}

TEST(Sweep, PlanRunsEntryBySizeBySeed) {
  const auto plan = plan_sweep({268, 88}, {16, 64}, 2, 4294967295u);
  ASSERT_EQ(plan.size(), 8u);
  EXPECT_EQ(plan[0].index, 268);
  EXPECT_EQ(plan[0].size, 16);
  EXPECT_EQ(*plan[0].seed, 4294967295u);
  EXPECT_EQ(*plan[1].seed, 0u);  // the seeds wrap around
  EXPECT_EQ(plan[2].size, 64);
  EXPECT_EQ(plan[4].index, 88);
  const auto unseeded = plan_sweep({5}, {}, 1, std::nullopt);
  ASSERT_EQ(unseeded.size(), 1u);
  EXPECT_EQ(unseeded[0].size, 0);
  EXPECT_FALSE(unseeded[0].seed);
}

// The program's set and settings while a sweep runs: a set on display, a brake, a run's
// settings. The sweep must run each entry from them and leave them as they were.
TEST(Sweep, RunsFromTheSettingsAndLeavesThemAsTheyWere) {
  set_first_start_defaults(65535, 65535, 100, 100);
  controls.ComboBox3 = 3;
  settings.columns = 50;
  recompute_column_defaults(50);
  normalise_controls();
  random_seed = 99;
  CreateInitialSet();
  settings.brake_factor = 7;
  const std::vector<Element> shown(elements.begin(), elements.begin() + column_count());
  const ControlValues controls_before = controls;
  const uint32_t seed_before = random_seed;

  std::vector<SweepSample> samples;
  run_sweep(plan_sweep({268, 398, 103}, {16, 40}, 1, 3u), 0, {},
            [&](size_t, const SweepRun& run, const HeadlessRun& result) {
              samples.push_back(sample_of(run, result));
              // A run changes the power-of-two or other settings; the next one starts afresh.
              EXPECT_EQ(controls.ComboBox3, 3);
              EXPECT_EQ(settings.brake_factor, 0);
              controls.ComboBox3 = 0;
              return true;
            });
  ASSERT_EQ(samples.size(), 6u);
  EXPECT_FALSE(samples[2].started);  // the separator line is not run
  EXPECT_TRUE(samples[0].started);
  EXPECT_EQ(samples[0].columns, 16);
  EXPECT_EQ(samples[1].columns, 40);
  EXPECT_GT(samples[5].movings, samples[4].movings);

  EXPECT_EQ(settings.columns, 50);
  EXPECT_EQ(settings.brake_factor, 7);
  EXPECT_EQ(controls.ComboBox3, controls_before.ComboBox3);
  EXPECT_EQ(random_seed, seed_before);
  ASSERT_EQ(column_count(), 50);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(elements[i].key, shown[i].key);
    EXPECT_EQ(elements[i].start_position, shown[i].start_position);
  }

  // The same settings and seeds, again: the same numbers.
  std::vector<SweepSample> again;
  run_sweep(plan_sweep({268, 398, 103}, {16, 40}, 1, 3u), 0, {},
            [&](size_t, const SweepRun& run, const HeadlessRun& result) {
              again.push_back(sample_of(run, result));
              return true;
            });
  for (size_t k = 0; k < samples.size(); ++k) {
    EXPECT_EQ(again[k].comparisons, samples[k].comparisons);
    EXPECT_EQ(again[k].movings, samples[k].movings);
  }
  settings.brake_factor = 0;
}

TEST(Sweep, StopsWhenAskedAndChartsOnlyRunsThatEnded) {
  set_first_start_defaults(65535, 65535, 100, 100);
  std::vector<SweepSample> samples;
  run_sweep(
      plan_sweep({268}, {16, 32, 64, 128}, 2, 1u), 600,
      [&](size_t k, const SweepRun&) { return k < 6; },
      [&](size_t, const SweepRun& run, const HeadlessRun& result) {
        samples.push_back(sample_of(run, result));
        return true;
      });
  ASSERT_EQ(samples.size(), 6u);
  const auto points = growth_series(samples, 268, SweepMeasure::sum);
  // 16 and 32 end below 600 operations; the larger sizes are broken off and left out.
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0].size, 16);
  EXPECT_DOUBLE_EQ(points[0].value,
                   (samples[0].value(SweepMeasure::sum) + samples[1].value(SweepMeasure::sum)) / 2);
  EXPECT_TRUE(samples[5].broken_off);

  std::ostringstream csv;
  write_sweep_csv(csv, samples);
  const std::string text = csv.str();
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "index,caption,size,seed,columns,comparisons,movings,swappings,sum,duration_ms,"
            "broken_off");
  EXPECT_NE(text.find("268,\"quick sort, stack optimized\",16,1,16,"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
}

}  // namespace
}  // namespace mv::sweep_test

namespace mv::sweep_test {
namespace {

TEST(Sweep, ChartSettingsLiveInTheOptionsFile) {
  EXPECT_TRUE(set_option("compare_size_to", "999999"));
  EXPECT_EQ(compare_options.size_to, sweep_size_max);
  EXPECT_TRUE(set_option("COMPARE_MEASURE", "4"));
  EXPECT_EQ(compare_options.measure, int(SweepMeasure::duration));
  EXPECT_FALSE(set_option("compare_seed", "x"));
  EXPECT_EQ(get_option("compare_measure"), "4");
  compare_options = CompareOptions{};
}

}  // namespace
}  // namespace mv::sweep_test

#include <gtest/gtest.h>

#include "engine/controls.h"
#include "engine/report.h"
#include "engine_fixture.h"

namespace mv::report_test {
namespace {

TEST(ReportFormat, DurationsAndCounts) {
  EXPECT_EQ(format_duration(850), "850 ms");
  EXPECT_EQ(format_duration(999), "999 ms");
  EXPECT_EQ(format_duration(1000), "1 s");
  EXPECT_EQ(format_duration(5250), "5.25 s");
  EXPECT_EQ(format_duration(61500), "1 min, 1.5 s");
  EXPECT_EQ(format_duration(3723000), "1 h, 2 min, 3 s");
  EXPECT_EQ(format_duration(3600000 + 1500), "1 h, 1.5 s");
  EXPECT_EQ(format_count(0), "0");
  EXPECT_EQ(format_count(999), "999");
  EXPECT_EQ(format_count(1000), "1,000");
  EXPECT_EQ(format_count(1234567), "1,234,567");
  EXPECT_EQ(format_count(18446744073709551615ull), "18,446,744,073,709,551,615");

  number_format.thousands = ".";
  number_format.decimal = ",";
  EXPECT_EQ(format_count(1234567), "1.234.567");
  EXPECT_EQ(format_duration(61500), "1 min, 1,5 s");
  number_format = NumberFormat{};
}

class ReportText : public ::testing::Test {
 protected:
  void SetUp() override {
    controls = ControlValues{};
    test::prepare_set({4, 4, 4, 4});
    // All-equal keys in reversed start order: three descending adjacent pairs.
    for (int i = 0; i < 4; ++i) elements[i].start_position = static_cast<uint16_t>(3 - i);
    algorithm_index = 268;
  }
  void TearDown() override { controls = ControlValues{}; }
};

TEST_F(ReportText, LinesInOrderAndInversionsCountedAfterTheCounts) {
  comparisons.set(1234567);
  movings.set(0);
  swappings.set(12);
  EXPECT_EQ(build_report_text(61500),
            "1 min, 1.5 s  duration\n\n1,234,567  comparison(s)\n\n0  moving(s)\n\n"
            "12  swapping(s)\n\nunstable, 3  stability inversion(s)");
  // The stability check counted its comparisons after the count was written.
  EXPECT_GT(comparisons.get(), 1234567u);

  // Loops and threads appear only where the algorithm enables them (38 shows loops).
  algorithm_index = 38;
  controls.CheckBox14 = false;
  controls.CheckBox11 = false;
  main_loop_runnings.set(7);
  for (int i = 0; i < 4; ++i) elements[i].start_position = static_cast<uint16_t>(i);
  EXPECT_EQ(build_report_text(0), "7  main loop running(s)\n\nstable");
}

TEST_F(ReportText, EmptyReportsAndTheBreakOffPrefix) {
  controls.CheckBox11 = controls.CheckBox14 = controls.CheckBox2 = false;
  EXPECT_EQ(build_report_text(5), "");
  break_off = true;
  EXPECT_EQ(build_report_text(5), "sorting breaked off\n\n");
  controls.CheckBox7 = true;  // instant return after a break: nothing to show
  EXPECT_EQ(build_report_text(5), "");
  controls.CheckBox11 = true;
  EXPECT_EQ(build_report_text(5), "sorting breaked off\n\n5 ms  duration");
  algorithm_index = 401;
  EXPECT_EQ(build_report_text(5), "shuffling breaked off\n\n5 ms  duration");
  break_off = false;
}

TEST_F(ReportText, ValueCountingSortsAndNaturalNumbersShowNoStability) {
  controls.CheckBox11 = controls.CheckBox14 = false;
  algorithm_index = 73;
  EXPECT_EQ(build_report_text(0), "");
  algorithm_index = 268;
  controls.ComboBox3 = distribution_natural_once;
  EXPECT_EQ(build_report_text(0), "");
}

}  // namespace
}  // namespace mv::report_test

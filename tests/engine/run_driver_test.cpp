#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/headless_run.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/run_driver.h"
#include "engine_fixture.h"

namespace mv::run_driver_test {
namespace {

// Swaps in a test procedure for one catalogue index and puts the real one back afterwards.
class ProcedureOverride {
 public:
  ProcedureOverride(int index, AlgorithmProcedure p) : index_(index), old_(procedure_of(index)) {
    register_procedure(index, p);
  }
  ~ProcedureOverride() { register_procedure(index_, old_); }

 private:
  int index_;
  AlgorithmProcedure old_;
};

int seen_columns = 0;
void note_columns() {
  seen_columns = column_count();
}
// Reverses the set: a plainly unstable "sort" for the end-of-run tests.
void reverse_all() {
  reverse_range(0, column_count() - 1, true);
}

class RunDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    set_first_start_defaults(65535, 65535, 100, 100);
    controls.ComboBox2 = 1;
  }
  void TearDown() override { set_first_start_defaults(65535, 65535, 100, 100); }
};

TEST_F(RunDriver, PowerOfTwoAdjustment) {
  EXPECT_EQ(power_of_two_columns(100, 65535), 128);
  EXPECT_EQ(power_of_two_columns(100, 100), 64);
  EXPECT_EQ(power_of_two_columns(128, 100), 128);
  EXPECT_EQ(power_of_two_columns(3, 3), 2);

  ProcedureOverride fake(14, note_columns);
  run_headless(14, 1, 0);
  EXPECT_EQ(seen_columns, 128);
  EXPECT_EQ(settings.columns, 128);

  settings.columns = 100;
  controls.SpinEdit2_max = 100;
  run_headless(14, 1, 0);
  EXPECT_EQ(seen_columns, 64);

  // Natural numbers once each: rows follow the adjusted columns.
  settings.columns = 100;
  controls.SpinEdit2_max = 65535;
  controls.ComboBox3 = distribution_natural_once;
  const HeadlessRun run = run_headless(14, 1, 0);
  EXPECT_EQ(seen_columns, 128);
  EXPECT_EQ(settings.rows, 128);
  EXPECT_EQ(run.start_set.back().key, 128);
}

TEST_F(RunDriver, ParameterPresetsWithoutParameterInput) {
  ProcedureOverride fake(13, note_columns);
  parameters.Param_n_quick = 9;
  parameters.thread_limit = 5;
  parameters.exponent = 0.25;
  controls.CheckBox10 = false;
  run_headless(13, 1, 0);
  EXPECT_EQ(parameters.Param_n_quick, 2);
  EXPECT_EQ(parameters.thread_limit, 0);
  EXPECT_EQ(parameters.maximale_Tauschdistanz, 99);
  EXPECT_EQ(parameters.exponent, 0.25);  // kept
}

TEST_F(RunDriver, GlobalStabilizationOnlyWhenNotBrokenOff) {
  ProcedureOverride fake(60, reverse_all);
  controls.SpinEdit7 = 3;  // few distinct keys: many equal ones
  controls.CheckBox21 = true;
  HeadlessRun run = run_headless(60, 4, 0);
  EXPECT_EQ(run.stability_inversions(), 0u);
  EXPECT_TRUE(run.permutation_intact());
  EXPECT_GT(run.movings, 0u);  // the stabilization is counted like the algorithm

  // Broken off during the algorithm: no stabilization, the reversal stays unstable.
  run = run_headless(60, 4, 10);
  EXPECT_TRUE(run.broken_off);
  EXPECT_GT(run.stability_inversions(), 0u);
  EXPECT_TRUE(run.permutation_intact());
  EXPECT_EQ(run.report.rfind("sorting breaked off\n\n", 0), 0u);

  // Broken off inside the global stabilization itself: the set stays whole.
  for (uint64_t k : {60u, 75u, 120u, 200u, 333u}) {
    run = run_headless(60, 4, k);
    EXPECT_TRUE(run.permutation_intact()) << k;
  }
}

TEST_F(RunDriver, ValueCountingHintIsShownOnceAndNotTimed) {
  struct HintHost : Host {
    int hints = 0;
    bool confirm = false;
    bool show_hint(const std::string& text) override {
      ++hints;
      EXPECT_NE(text.find("special"), std::string::npos);
      start_tick -= 5000;  // reading the hint takes "five seconds"
      return confirm;
    }
  } hint_host;
  static auto with_hint = [] { show_blackbars_hint_if_needed(); };
  ProcedureOverride fake(5, [] { with_hint(); });
  set_host(&hint_host);
  controls.ComboBox1 = 5;
  run_algorithm();
  EXPECT_EQ(hint_host.hints, 1);
  EXPECT_LT(start_tick, 5000u);  // the duration does not include the hint
  run_algorithm();
  EXPECT_EQ(hint_host.hints, 2);
  hint_host.confirm = true;
  run_algorithm();
  EXPECT_FALSE(controls.showagain_blackbars);
  run_algorithm();
  EXPECT_EQ(hint_host.hints, 3);
  // A monochrome line set needs no hint.
  controls.showagain_blackbars = true;
  settings.line_set = LineSet::monochrome;
  run_algorithm();
  EXPECT_EQ(hint_host.hints, 3);
  set_host(nullptr);
}

TEST_F(RunDriver, EndOfRunReturnRules) {
  struct ReturnHost : Host {
    int rebuilt = 0, reports = 0;
    void start_set_rebuilt() override { ++rebuilt; }
    void show_report(const std::string&) override { ++reports; }
  } h;
  ProcedureOverride fake(60, reverse_all);
  set_host(&h);
  controls.ComboBox1 = 60;
  run_algorithm();
  EXPECT_EQ(h.reports, 1);
  EXPECT_EQ(h.rebuilt, 1);
  // No report line and no instant return: the result stays on display.
  controls.CheckBox11 = controls.CheckBox14 = controls.CheckBox2 = false;
  run_algorithm();
  EXPECT_EQ(h.reports, 1);
  EXPECT_EQ(h.rebuilt, 1);
  EXPECT_TRUE(results_shown);
  controls.CheckBox8 = true;
  run_algorithm();
  EXPECT_EQ(h.rebuilt, 2);
  EXPECT_FALSE(results_shown);
  set_host(nullptr);
}

TEST(Catalogue, TableShape) {
  EXPECT_EQ(catalogue_entry(0).index, 0);
  for (int i = 0; i < catalogue_size; ++i) {
    ASSERT_EQ(catalogue_entry(i).index, i);
    ASSERT_NE(std::string(catalogue_entry(i).caption), "");
  }
  EXPECT_EQ(catalogue_entry(398).family, Family::separator);
  EXPECT_EQ(catalogue_entry(405).family, Family::shuffle);
  EXPECT_TRUE(needs_power_of_two(355));
  EXPECT_FALSE(needs_power_of_two(354));
  EXPECT_TRUE(is_start_thread_algorithm(380));
  EXPECT_TRUE(control_enabled_for(AlgorithmControl::block_swapping, 85));
  EXPECT_FALSE(control_enabled_for(AlgorithmControl::show_stability, 73));
  EXPECT_FALSE(is_implemented(398));
}

}  // namespace
}  // namespace mv::run_driver_test

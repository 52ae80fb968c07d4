// Touched elements (the reports that the sound follows), single steps and the live counters.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/live_counters.h"
#include "engine/main_thread.h"
#include "engine/run_driver.h"
#include "engine_fixture.h"

namespace mv::touched_elements_test {
namespace {

// Records every touched key; a pause is answered by `on_pause`.
class RecordingHost : public Host {
 public:
  std::vector<int32_t> touched;
  std::function<void()> on_pause;
  void element_touched(int32_t key) override { touched.push_back(key); }
  void wait_for_event() override {
    if (on_pause) on_pause();
  }
};

void bubble_sort() {
  const int n = column_count();
  for (int pass = 0; pass < n; ++pass) {
    for (int j = n - 1; j > pass; --j) {
      if (elem_less(j, j - 1)) swap_elements(j, j - 1, true);
    }
  }
}

class TouchedElements : public ::testing::Test {
 protected:
  RecordingHost recorder;
  void SetUp() override {
    test::prepare_set(test::random_keys(10, 50, 7));
    set_host(&recorder);
    mark_main_thread();
    set_sound(true);
    processing_active = true;
  }
  void TearDown() override {
    processing_active = false;
    paused = false;
    cancel_single_step();
    set_sound(false);
    set_host(nullptr);
  }
};

TEST_F(TouchedElements, OneReportPerDrawnOperationOfARun) {
  for (bool colorize : {true, false}) {
    test::prepare_set(test::random_keys(10, 50, colorize ? 7 : 8));
    set_host(&recorder);
    set_sound(true);
    processing_active = true;
    recorder.touched.clear();
    settings.colorize_comparisons = colorize;
    bubble_sort();
    ASSERT_TRUE(test::keys_sorted());
    ASSERT_GT(swappings.get(), 0u);
    // Comparisons draw only when colorized; every swapping redraws.
    EXPECT_EQ(recorder.touched.size(), (colorize ? comparisons.get() : 0) + swappings.get());
  }
}

TEST_F(TouchedElements, EachOperationReportsTheElementItDrew) {
  test::prepare_set({5, 7, 9, 11});
  set_host(&recorder);
  set_sound(true);
  processing_active = true;
  Element record;
  read_element(0, record);  // draws nothing
  store_element(1, record);
  move_element(3, 2);
  set_value(0, 0x10004);       // low 16 bits: 4
  swap_elements(0, 3, false);  // no redraw, movings not corrected: nothing drawn
  swap_elements(0, 1, true);
  move_to_buffer(0, 2);
  settings.correct_movings = true;
  move_to_buffer(0, 2);  // the erased column
  elements[4].key = 40;  // a working slot beyond the columns: nothing drawn
  store_element(4, elements[4]);
  EXPECT_EQ(recorder.touched, (std::vector<int32_t>{5, 9, 4, 5, 9}));
}

TEST_F(TouchedElements, NothingReportedWithoutSoundOrOutsideARun) {
  settings.colorize_comparisons = true;
  set_sound(false);
  bubble_sort();
  test::prepare_set(test::random_keys(10, 50, 9));
  set_host(&recorder);
  set_sound(true);
  processing_active = false;  // presorting and shuffling of a new set
  bubble_sort();
  EXPECT_TRUE(recorder.touched.empty());
  EXPECT_GT(swappings.get(), 0u);
}

// Paused from the start, every answer to the pause is one single step: the run holds after each
// drawn operation, with exactly one more counted.
TEST_F(TouchedElements, SingleStepRunsOneDrawnOperation) {
  set_sound(false);
  settings.colorize_comparisons = true;
  std::vector<uint64_t> ops_at_pause;
  recorder.on_pause = [&] {
    ops_at_pause.push_back(test::operations());
    single_step();
  };
  paused = true;
  bubble_sort();
  ASSERT_TRUE(test::keys_sorted());
  ASSERT_EQ(ops_at_pause.size(), test::operations() + 1);
  for (size_t k = 0; k < ops_at_pause.size(); ++k) EXPECT_EQ(ops_at_pause[k], k);
  EXPECT_TRUE(single_step_pending());     // the last step found no operation to end it
  EXPECT_TRUE(recorder.touched.empty());  // steps alone make no sound
}

TEST(LiveCounters, LinesOfAKnownRun) {
  test::prepare_set({3, 2, 1});
  algorithm_index = 0;
  settings.brake_factor = 1250;
  processing_active = true;
  bubble_sort();               // 3 comparisons, 3 swappings
  main_loop_runnings.set(99);  // not shown
  threads.set(1);
  processing_active = false;
  start_tick = 1500;  // after a run: its duration
  EXPECT_EQ(run_elapsed_ms(), 1500u);
  EXPECT_EQ(live_counter_lines(run_elapsed_ms()),
            (std::vector<std::string>{"annealing sort", "1.5 s  elapsed", "3  comparison(s)",
                                      "0  moving(s)", "3  swapping(s)", "1  thread(s)",
                                      "1,250  brake factor"}));
  // During a run the time runs from the start tick.
  processing_active = true;
  start_tick = tick_count_ms() - 250;
  EXPECT_GE(run_elapsed_ms(), 250u);
  EXPECT_LT(run_elapsed_ms(), 60000u);
  processing_active = false;
  start_tick = 0;
}

}  // namespace
}  // namespace mv::touched_elements_test

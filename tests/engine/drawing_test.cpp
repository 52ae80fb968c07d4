#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "engine_fixture.h"

namespace mv::drawing_test {
namespace {

constexpr uint32_t white = 0xFFFFFFFFu;
constexpr uint32_t black = 0xFF000000u;

// Columns two pixels wide on a surface 10 rows high.
class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    test::prepare_set({3, -10, 0, 12, 5});
    for (int i = 0; i <= 5; ++i) column_right_edges[i] = static_cast<uint16_t>(2 * (i + 1));
    column_right_edges[5] = 10;
    settings.rows = 10;
    surface_resize(10, 10);
  }
  void TearDown() override { surface_resize(0, 0); }
  static uint32_t pixel(int x, int y) { return surface.pixels[y * surface.width + x]; }
  // The column's pixels from the top row down, as one letter per row: w(hite), b(lack), c(olour).
  static std::string column(int i) {
    std::string s;
    const uint32_t own = colour_to_pixel(elements[i].colour);
    for (int y = 0; y < 10; ++y) {
      const uint32_t p = pixel(2 * i, y);
      EXPECT_EQ(p, pixel(2 * i + 1, y));
      s += p == white ? 'w' : p == black ? 'b' : p == own ? 'c' : '?';
    }
    return s;
  }
};

TEST_F(Drawing, HeightsColoursAndClearAbove) {
  EXPECT_EQ(colour_to_pixel(0x00332211u), 0xFF112233u);
  draw_column(0, true, elements[0].colour);
  EXPECT_EQ(column(0), "wwwwwwwccc");
  draw_column(1, true, elements[1].colour);  // negative key: its absolute value, capped at R
  EXPECT_EQ(column(1), "cccccccccc");
  draw_column(2, true, elements[2].colour);  // key 0: an empty column
  EXPECT_EQ(column(2), "wwwwwwwwww");

  // Without clear-above, what stood above stays.
  elements[3].key = 4;
  draw_column(3, false, elements[3].colour);
  draw_column(3, false, 0x000000);
  EXPECT_EQ(column(3), "wwwwwwbbbb");
  elements[3].key = 2;
  draw_column(3, false, elements[3].colour);
  EXPECT_EQ(column(3), "wwwwwwbbcc");
  draw_column(3, true, elements[3].colour);
  EXPECT_EQ(column(3), "wwwwwwwwcc");
}

TEST_F(Drawing, SlotsBeyondTheColumnsDrawNothing) {
  const auto before = surface.pixels;
  draw_column(5, true, 0);
  draw_column(6, true, 0);
  EXPECT_EQ(surface.pixels, before);
}

TEST_F(Drawing, HighlightRestoreAndEraseFollowTheSettings) {
  for (int i = 0; i < 5; ++i) draw_column(i, true, elements[i].colour);
  // Outside a run nothing is highlighted or erased.
  settings.colorize_comparisons = true;
  settings.correct_movings = true;
  highlight_column(0);
  erase_column(0);
  EXPECT_EQ(column(0), "wwwwwwwccc");

  processing_active = true;
  settings.line_set = LineSet::monochrome;
  highlight_column(0);  // the compared column vanishes on a monochrome set
  EXPECT_EQ(column(0), "wwwwwwwwww");
  restore_columns(0, 4);
  EXPECT_EQ(column(0), "wwwwwwwccc");
  settings.line_set = LineSet::two_tone;
  highlight_column(0);  // foreground colour otherwise
  EXPECT_EQ(column(0), "wwwwwwwbbb");
  restore_columns(0, 4);

  erase_column(4);
  EXPECT_EQ(column(4), "wwwwwwwwww");
  settings.background = Background::black;
  erase_column(0);
  EXPECT_EQ(column(0), "bbbbbbbbbb");
  settings.background = Background::white;
  settings.correct_movings = false;
  erase_column(3);
  EXPECT_EQ(column(3), "cccccccccc");
  processing_active = false;
}

// Records what the surface shows at each dirty notification: the order of drawing.
struct RecordingHost : Host {
  std::vector<std::string> log;
  void surface_dirty(int left, int) override {
    const uint32_t top = surface.pixels[left];
    const uint32_t bottom = surface.pixels[9 * surface.width + left];
    log.push_back(std::to_string(left / 2) +
                  (top == white   ? "w"
                   : top == black ? "b"
                                  : "c") +
                  (bottom == white   ? "w"
                   : bottom == black ? "b"
                                     : "c"));
  }
  int units = 0;
  void brake_unit() override {
    if (++units == 3) break_off = true;
  }
};

TEST_F(Drawing, OperationsDrawInTheirOrder) {
  RecordingHost rec;
  set_host(&rec);
  processing_active = true;
  settings.correct_movings = true;
  settings.colorize_comparisons = true;
  move_element(0, 3);  // erase target, draw target, erase source
  EXPECT_EQ(rec.log, (std::vector<std::string>{"0ww", "0cc", "3ww"}));
  rec.log.clear();
  elem_less(1, 2);  // highlight i, restore i then j
  EXPECT_EQ(rec.log, (std::vector<std::string>{"1bb", "1cc", "2ww"}));
  rec.log.clear();
  swap_elements(1, 2, true);  // erase both, draw both
  EXPECT_EQ(rec.log, (std::vector<std::string>{"1ww", "2ww", "1ww", "2cc"}));
  set_host(nullptr);
  processing_active = false;
}

TEST_F(Drawing, BrakeWaitsPerDrawnColumnAndEndsOnBreakOff) {
  RecordingHost rec;
  set_host(&rec);
  settings.brake_factor = 1;
  draw_column(0, true, 0);  // outside a run: no brake
  EXPECT_EQ(rec.units, 0);
  processing_active = true;
  swap_elements(0, 1, true);  // two drawn columns, one unit each
  EXPECT_EQ(rec.units, 2);
  settings.brake_factor = 9999;
  draw_column(0, true, 0);  // the third unit breaks off: the rest of the brake is skipped
  EXPECT_EQ(rec.units, 3);
  EXPECT_TRUE(break_off);
  set_host(nullptr);
  processing_active = false;
}

TEST_F(Drawing, PauseWaitsForEventsThroughTheHost) {
  struct Resumer : Host {
    int waits = 0;
    void wait_for_event() override {
      if (++waits == 4) paused = false;
    }
  } resumer;
  set_host(&resumer);
  paused = true;
  draw_column(0, true, 0);
  EXPECT_EQ(resumer.waits, 4);
  EXPECT_FALSE(paused);

  struct Quitter : Host {
    bool quit_requested() override { return true; }
  } quitter;
  set_host(&quitter);
  paused = true;
  draw_column(0, true, 0);  // a quitting application is not held by the pause
  paused = false;
  set_host(nullptr);
}

// A worker thread holds still at its next counted operation while paused, and goes on when the
// pause ends or the run is broken off.
TEST_F(Drawing, PausedWorkerHoldsStillUntilResumedOrBrokenOff) {
  mark_main_thread();
  set_break_after_ops(1000);  // counting on the path that worker threads take
  for (const bool by_break_off : {false, true}) {
    paused = true;
    std::atomic<bool> counted{false};
    std::thread worker([&] {
      count_comparison();
      counted = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_FALSE(counted);
    if (by_break_off) {
      break_off = true;
    } else {
      paused = false;
    }
    worker.join();
    EXPECT_TRUE(counted);
    paused = false;
    break_off = false;
  }
  set_break_after_ops(0);
}

TEST_F(Drawing, DeferredPaintingPaintsTheLastStateOnce) {
  for (int i = 0; i < 5; ++i) draw_column(i, true, elements[i].colour);
  set_deferred_painting(true);
  const auto before = surface.pixels;
  // Column 0: erased (clear above), then drawn again without clear: the clear still happens.
  elements[0].key = 2;
  draw_column(0, true, 0xFFFFFF);
  draw_column(0, false, elements[0].colour);
  draw_column(3, false, 0x000000);
  EXPECT_EQ(surface.pixels, before);  // nothing painted yet
  EXPECT_EQ(paint_pending_columns(), 2);
  EXPECT_EQ(column(0), "wwwwwwwwcc");
  EXPECT_EQ(column(3), "bbbbbbbbbb");
  EXPECT_EQ(paint_pending_columns(), 0);
  // A resized surface forgets what was recorded (a full redraw follows).
  draw_column(1, true, 0);
  surface_resize(10, 10);
  EXPECT_EQ(paint_pending_columns(), 0);
  set_deferred_painting(false);
}

}  // namespace
}  // namespace mv::drawing_test

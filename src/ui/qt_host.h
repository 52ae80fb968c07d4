// The engine's host in the window program: event pumping from the drawing, the pause wait, the
// brake unit, the beep, repainting of the surface's dirty columns once per screen frame, the
// dialogs and the window steps of a run.
#pragma once

#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

#include "engine/host.h"
#include "ui/sound_output.h"

namespace mv::display {
class DisplayForm;
}

namespace mv::ui {

class ControlForm;

class QtHost : public Host {
 public:
  // Switches the engine to deferred painting for the life of the host.
  QtHost(ControlForm* control, display::DisplayForm* display);
  ~QtHost() override;

  void process_events() override;
  void wait_for_event() override;
  bool quit_requested() override;
  void brake_begin(int units) override;
  void brake_unit() override;
  void beep() override;
  void surface_dirty(int left, int right) override;
  void element_touched(int32_t key) override { sound_.touch(key); }
  bool show_hint(const std::string& text) override;
  void show_message(const std::string& text) override;
  std::optional<std::string> prompt(const std::string& caption, const std::string& text,
                                    const std::string& default_value) override;
  void show_report(const std::string& text) override;
  void process_events_while_waiting() override;
  // The windows draw on the main thread, so the workers' exchanges go there.
  bool exchanges_on_main_thread() override { return true; }

  void prepare_display_for_run() override;
  void set_control_form_visible(bool visible) override;
  void ensure_display_width(int n) override;
  void set_display_rows(int rows) override;
  void begin_run_display() override;
  void end_run_display() override;
  void start_set_rebuilt() override;
  void run_finished() override;

  // Repaints the dirty columns now, whatever the frame interval.
  void flush_dirty();

  // One brake unit and the shortest gap between two event pumps.
  static constexpr std::chrono::microseconds brake_unit_length{100};
  static constexpr std::chrono::microseconds pump_interval{1000};
  // A brake spins this last stretch before its end and sleeps the time before it.
  static constexpr std::chrono::microseconds brake_spin_length{500};

 private:
  using Clock = std::chrono::steady_clock;
  bool on_main_thread() const { return std::this_thread::get_id() == main_thread_; }
  void repaint_if_frame_due(Clock::time_point now);

  ControlForm* control_;
  display::DisplayForm* display_;
  std::thread::id main_thread_;
  Clock::time_point last_pump_{};
  Clock::time_point last_paint_{};
  Clock::duration frame_interval_;
  std::atomic<int> dirty_left_{INT_MAX};
  std::atomic<int> dirty_right_{0};
  SoundOutput sound_;
};

}  // namespace mv::ui

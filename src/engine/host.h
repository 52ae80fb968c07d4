// The engine's one door to the outside world. The Qt program implements it with its windows;
// the batch tool and the tests implement it without any window.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/main_thread.h"

namespace mv {

class Host {
 public:
  virtual ~Host() = default;

  // Let pending user-interface events run. Called from every drawn column, so it must be cheap.
  virtual void process_events() {}
  // Block until the next user-interface event has been handled (used while paused).
  virtual void wait_for_event() {}
  // True once the application has been asked to quit; ends the pause wait.
  virtual bool quit_requested() { return false; }
  // A brake of `units` brake units begins; brake_unit follows once per unit.
  virtual void brake_begin(int /*units*/) {}
  // One brake unit: a short fixed blocking delay.
  virtual void brake_unit() {}
  // 880 Hz for 200 ms where a sound system exists; never waits for it.
  virtual void beep() {}
  // A counted operation of a run has drawn the element with this key (only while the "sound"
  // setting is on). Called from any thread of the run, so it must be cheap and must not block.
  virtual void element_touched(int32_t /*key*/) {}
  // The engine's surface changed in the columns [left, right).
  virtual void surface_dirty(int /*left*/, int /*right*/) {}
  // A hint with a "Don't show it again!" box; returns true when the box was checked on OK.
  virtual bool show_hint(const std::string& /*text*/) { return false; }
  // A plain message with an OK button.
  virtual void show_message(const std::string& /*text*/) {}
  // A modal input prompt; nullopt when the user cancelled it.
  virtual std::optional<std::string> prompt(const std::string& /*caption*/,
                                            const std::string& /*text*/,
                                            const std::string& default_value) {
    return default_value;
  }
  // The results report dialog "results output".
  virtual void show_report(const std::string& /*text*/) {}
  // Whether the workers of a parallel sort hand their exchanges to the main thread, which draws
  // them. Without windows there is nothing to draw: each worker makes its own exchange, one at
  // a time with every other, which spares the two thread switches of a hand-over.
  virtual bool exchanges_on_main_thread() { return false; }
  // Run f on the main thread and wait for it to finish: at once on the main thread, otherwise
  // queued for the main thread, which runs the queue while it waits for workers.
  virtual void run_on_main_thread(const std::function<void()>& f) {
    post_to_main_thread_and_wait(f);
  }
  // Queue f for the main thread and return at once (a worker's last exchange).
  virtual void post_on_main_thread(std::function<void()> f) { post_to_main_thread(std::move(f)); }
  // The main thread waits for worker threads: let pending events run now (not throttled like
  // process_events, since the caller already waits between calls).
  virtual void process_events_while_waiting() { process_events(); }

  // Window steps of a run (the windows' business; headless hosts ignore them).
  // Start: a display with the user-resizable border returns to its fixed size.
  virtual void prepare_display_for_run() {}
  virtual void set_control_form_visible(bool /*visible*/) {}
  // The display must be at least n pixels wide (power-of-two adjustment).
  virtual void ensure_display_width(int /*n*/) {}
  // The display's client height follows new rows.
  virtual void set_display_rows(int /*rows*/) {}
  // Just before the algorithm starts: redraw, mouse cursor choice, keyboard focus.
  virtual void begin_run_display() {}
  // The run has ended: cursor back where it was, default cursor.
  virtual void end_run_display() {}
  // A new start set has been built: full redraw, window placement, control form shown.
  virtual void start_set_rebuilt() {}
  // The counters and the final set are complete, before the report is built.
  virtual void run_finished() {}
};

// The host in use; a headless host (that does nothing) until one is installed.
Host& host();
// Installs a host (nullptr returns to the headless default). The caller keeps ownership.
void set_host(Host* h);

}  // namespace mv

#include "ui/qt_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include "display/display_form.h"
#include "engine/element_set.h"
#include "engine/settings.h"
#include "ui/beep.h"
#include "ui/control_form.h"
#include "ui/dialogs.h"

namespace mv::ui {

QtHost::QtHost(ControlForm* control, display::DisplayForm* display)
    : control_(control), display_(display), main_thread_(std::this_thread::get_id()) {
  double rate = 60.0;
  if (QScreen* s = QGuiApplication::primaryScreen(); s && s->refreshRate() > 1.0) {
    rate = s->refreshRate();
  }
  frame_interval_ =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
  set_deferred_painting(true);
}

QtHost::~QtHost() {
  set_deferred_painting(false);
}

// ---- Events, pause, brake -------------------------------------------------------------------

void QtHost::process_events() {
  // At brake factor 0 columns come every few dozen nanoseconds: look at the clock only every
  // 32nd time. With a brake each column takes long enough for a look every time.
  static thread_local unsigned calls = 0;
  if ((++calls & 31u) != 0 && settings.brake_factor.load(std::memory_order_relaxed) == 0) return;
  if (!on_main_thread()) return;
  const auto now = Clock::now();
  if (now - last_pump_ < pump_interval) return;
  last_pump_ = now;
  repaint_if_frame_due(now);
  QCoreApplication::processEvents();
}

void QtHost::wait_for_event() {
  if (!on_main_thread()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return;
  }
  flush_dirty();
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool QtHost::quit_requested() {
  return control_->closing();
}

namespace {

// The brake of the calling thread (the main thread's, or a worker's).
struct Brake {
  std::chrono::steady_clock::time_point start;
  int units = 0;
  int done = 0;
};
thread_local Brake current_brake;

}  // namespace

void QtHost::brake_begin(int units) {
  current_brake = Brake{Clock::now(), units, 0};
}

// Every unit ends a fixed time after the brake's start, so an event pump or a late wake-up
// within one unit is made up by the next ones and the brake keeps its length. While more than a
// pump interval of the brake remains, events run every pump interval: a break-off ends the brake
// at once, P holds it, and "+" and "-" move its end, which follows the brake factor as it is
// now. The brake sleeps up to its last stretch, which it spins, so that it ends on time.
void QtHost::brake_unit() {
  Brake& b = current_brake;
  const bool last = ++b.done >= b.units;
  const bool main = on_main_thread();
  for (;;) {
    if (break_off.load(std::memory_order_relaxed)) return;
    auto end = [&b] {
      return b.start + settings.brake_factor.load(std::memory_order_relaxed) * brake_unit_length;
    };
    if (main && end() - Clock::now() > pump_interval) {
      const auto pumped = last_pump_;
      process_events_while_waiting();
      if (last_pump_ != pumped) continue;
    }
    if (paused.load(std::memory_order_relaxed)) {
      const auto held = Clock::now();
      if (main) {
        while (paused.load(std::memory_order_relaxed) && !quit_requested()) wait_for_event();
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      b.start += Clock::now() - held;
      continue;
    }
    const auto now = Clock::now();
    const auto target = last ? end() : std::min(b.start + b.done * brake_unit_length, end());
    if (now >= target) return;
    const auto wake =
        std::min(end() - brake_spin_length, (main ? last_pump_ : now) + pump_interval);
    if (wake > now) std::this_thread::sleep_until(wake);
  }
}

void QtHost::beep() {
  beep_880_hz();
}

// ---- Repainting -----------------------------------------------------------------------------

void QtHost::surface_dirty(int left, int right) {
  atomic_lower(dirty_left_, left);
  atomic_raise(dirty_right_, right);
}

void QtHost::repaint_if_frame_due(Clock::time_point now) {
  if (now - last_paint_ < frame_interval_) return;
  if (dirty_left_.load(std::memory_order_relaxed) >= dirty_right_.load(std::memory_order_relaxed) &&
      !display_->live_counters_shown()) {
    return;
  }
  last_paint_ = now;
  flush_dirty();
}

void QtHost::flush_dirty() {
  if (!on_main_thread()) return;
  paint_pending_columns();
  const int left = dirty_left_.exchange(INT_MAX, std::memory_order_relaxed);
  const int right = dirty_right_.exchange(0, std::memory_order_relaxed);
  display_->repaint_columns(left, right);  // and the live counters, when shown
}

// ---- Dialogs --------------------------------------------------------------------------------

bool QtHost::show_hint(const std::string& text) {
  if (control_->closing()) return false;
  flush_dirty();
  return show_hint_dialog(QString::fromStdString(text));
}

void QtHost::show_message(const std::string& text) {
  if (control_->closing()) return;
  show_message_dialog(QString::fromStdString(text));
}

std::optional<std::string> QtHost::prompt(const std::string& caption, const std::string& text,
                                          const std::string& default_value) {
  if (control_->closing()) return std::nullopt;
  const auto answer = prompt_dialog(QString::fromStdString(caption), QString::fromStdString(text),
                                    QString::fromStdString(default_value));
  if (!answer) return std::nullopt;
  return answer->toStdString();
}

void QtHost::show_report(const std::string& text) {
  if (control_->closing()) return;
  show_report_dialog(QString::fromStdString(text));
}

void QtHost::process_events_while_waiting() {
  // The main thread waits for worker threads between these calls, and is woken by each of their
  // exchanges: events run at most once per pump interval, so keys still act within a
  // millisecond or two.
  if (!on_main_thread()) return;
  const auto now = Clock::now();
  if (now - last_pump_ < pump_interval) return;
  last_pump_ = now;
  repaint_if_frame_due(now);
  QCoreApplication::processEvents();
}

// ---- Window steps of a run ------------------------------------------------------------------

void QtHost::prepare_display_for_run() {
  display_->prepare_for_run();
}

void QtHost::set_control_form_visible(bool visible) {
  if (!visible) {
    control_->hide();
  } else if (!control_->closing()) {
    control_->show();
    control_->bring_forward();
    // A dialog that has just closed hands the focus back to the display once its window is
    // gone; the control form takes it after that.
    QTimer::singleShot(0, control_, [c = control_] { c->bring_forward(); });
  }
}

void QtHost::ensure_display_width(int n) {
  display_->ensure_width(n);
}

void QtHost::set_display_rows(int rows) {
  display_->set_client_rows(rows);
}

void QtHost::begin_run_display() {
  dirty_left_ = INT_MAX;
  dirty_right_ = 0;
  cancel_single_step();
  display_->begin_run();
  last_pump_ = last_paint_ = Clock::now();
}

void QtHost::end_run_display() {
  cancel_single_step();
  flush_dirty();
  display_->end_run();
}

void QtHost::start_set_rebuilt() {
  if (control_->closing()) return;
  control_->after_set_built();
}

void QtHost::run_finished() {
  flush_dirty();
  display_->processing_ended();
}

}  // namespace mv::ui

// The display form: shows the engine's pixel surface, takes the keys and clicks that steer a run,
// follows resizing by the user and places itself after every new start set.
#pragma once

#include <QImage>
#include <QMargins>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>

#include "display/counter_overlay.h"

namespace mv::ui {
class ControlForm;
}

namespace mv::display {

class DisplayForm : public QWidget {
  Q_OBJECT

 public:
  explicit DisplayForm(ui::ControlForm* control);

  // FormCreate: shown as large as the screen to learn the largest client size in window mode.
  // The control form builds the first start set afterwards.
  void create_form();

  // The client size of a display window as large as the screen with its tool-window border.
  uint16_t screen_client_width = 0;
  uint16_t screen_client_height = 0;

  // Neuzeichnen_ausloesen: spreads the set over the client width onto the surface, shows it and
  // brings the control form forward.
  void full_redraw();
  // Window placement and full redraw after a start set was built.
  void start_set_built();
  // True while the set is rebuilt because the user resized the window.
  bool rebuilding_for_resize() const { return rebuilding_for_resize_; }

  // Window steps of a run.
  void prepare_for_run();
  void ensure_width(int n);
  void set_client_rows(int rows);
  void begin_run();
  void processing_ended();
  void end_run();

  // Repaints the columns [left, right) from the surface at once.
  void repaint_columns(int left, int right);
  uint64_t frames_painted() const { return frames_painted_; }
  // "show counters during processing" is on and a run, or its result, is on display.
  bool live_counters_shown() const;
  double refresh_rate() const;

  bool set_on_display() const { return set_on_display_; }
  bool user_resizable() const { return border_ == Border::resizable; }
  bool borderless() const { return border_ == Border::none; }
  bool cursor_hidden() const { return cursor_hidden_; }
  QRect screen_rect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Border { fixed, resizable, none };

  void set_border(Border border);
  void set_client_size(int width, int height);
  void place_window(bool after_user_resize);
  void move_window(QPoint frame_top_left);
  void remember_frame_margins();
  QMargins margins_for(Border border) const;
  // MausUnten_Forumular2_endet: also every key that is not a run key.
  void click();
  void user_resized(QSize old_size);
  void hide_cursor_again();
  // The keys S, I and N of a run; false when the key is none of them here.
  bool run_aid_key(QChar c, bool auto_repeat);

  ui::ControlForm* control_;
  QImage image_;  // over the surface's pixels, no copy
  QTimer timer1_;
  Border border_ = Border::fixed;
  bool flags_set_ = false;
  QMargins frame_margins_;
  QSize programmed_size_;
  QPoint remembered_mouse_;
  // Where the program last put the window (frame top-left): only a move away from it counts as
  // a move by the user.
  QPoint placed_at_;
  // A mouse-down this soon after the run's start is the rest of the click that started it.
  std::chrono::steady_clock::time_point run_started_{};
  bool cursor_hidden_ = false;
  bool set_on_display_ = false;
  bool rebuilding_for_resize_ = false;
  uint64_t frames_painted_ = 0;
  CounterOverlay counters_;
};

}  // namespace mv::display

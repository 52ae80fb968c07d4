#include "display/display_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "display/column_spread.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/run_driver.h"
#include "engine/settings.h"
#include "ui/control_form.h"

namespace mv::display {

namespace {

constexpr Qt::WindowFlags tool_window = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
// A mouse-down on the display this soon after a run's start does not break it off: it is the
// second click of a double click on the start button.
constexpr std::chrono::milliseconds click_guard{300};

QColor background_qcolor() {
  return QColor::fromRgb(colour_to_pixel(background_colour()));
}

}  // namespace

DisplayForm::DisplayForm(ui::ControlForm* control) : QWidget(nullptr), control_(control) {
  setObjectName(QStringLiteral("Form2"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  timer1_.setObjectName(QStringLiteral("Timer1"));
  timer1_.setInterval(1000);
  timer1_.setSingleShot(true);
  connect(&timer1_, &QTimer::timeout, this, &DisplayForm::hide_cursor_again);
}

QRect DisplayForm::screen_rect() const {
  QScreen* s = screen();
  if (!s) s = QGuiApplication::primaryScreen();
  return s ? s->geometry() : QRect(0, 0, 640, 480);
}

void DisplayForm::create_form() {
  const QRect screen = screen_rect();
  set_border(Border::fixed);
  set_client_size(screen.width(), screen.height());
  move_window(screen.topLeft());
  show();
  QCoreApplication::processEvents();
  remember_frame_margins();
  screen_client_width = static_cast<uint16_t>(
      std::clamp(screen.width() - frame_margins_.left() - frame_margins_.right(), 2, 65535));
  screen_client_height = static_cast<uint16_t>(
      std::clamp(screen.height() - frame_margins_.top() - frame_margins_.bottom(), 2, 65535));
  setWindowTitle(control_->start_button_caption());
}

void DisplayForm::remember_frame_margins() {
  if (border_ == Border::none || !isVisible()) return;
  const QRect frame = frameGeometry();
  const QRect inner = geometry();
  const QMargins m(inner.left() - frame.left(), inner.top() - frame.top(),
                   frame.right() - inner.right(), frame.bottom() - inner.bottom());
  if (m.left() >= 0 && m.top() >= 0 && m.right() >= 0 && m.bottom() >= 0) frame_margins_ = m;
}

QMargins DisplayForm::margins_for(Border border) const {
  return border == Border::none ? QMargins() : frame_margins_;
}

void DisplayForm::set_border(Border border) {
  if (flags_set_ && border == border_) return;
  const bool visible = isVisible();
  border_ = border;
  flags_set_ = true;
  setWindowFlags(border == Border::none ? (Qt::Tool | Qt::FramelessWindowHint) : tool_window);
  if (border == Border::resizable) {
    setMinimumSize(1, 1);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (visible) show();
}

void DisplayForm::set_client_size(int width, int height) {
  width = std::clamp(width, 1, 65535);
  height = std::clamp(height, 1, 65535);
  programmed_size_ = QSize(width, height);
  if (border_ == Border::resizable) {
    resize(width, height);
  } else {
    setFixedSize(width, height);
  }
}

// ---- Drawing --------------------------------------------------------------------------------

void DisplayForm::full_redraw() {
  spread_columns(width(), height());
  image_ = QImage(reinterpret_cast<const uchar*>(surface.pixels.data()), surface.width,
                  surface.height, surface.width * 4, QImage::Format_RGB32);
  set_on_display_ = true;
  update();
  control_->bring_forward();
}

void DisplayForm::repaint_columns(int left, int right) {
  if (!isVisible()) return;
  QRegion region;
  if (right > left) region += QRect(left, 0, right - left, height());
  // The counters whole, when their frame is due or columns under them are repainted anyway.
  if (live_counters_shown()) {
    const QRect counters = counters_.area(rect());
    if (region.intersects(counters) || counters_.frame_due(refresh_rate())) {
      region += counters;
    }
  }
  if (!region.isEmpty()) repaint(region);
}

double DisplayForm::refresh_rate() const {
  QScreen* s = screen();
  return s ? s->refreshRate() : 60.0;
}

bool DisplayForm::live_counters_shown() const {
  return settings.live_counters.load(std::memory_order_relaxed) &&
         (processing_active.load(std::memory_order_relaxed) || results_shown);
}

void DisplayForm::paintEvent(QPaintEvent* event) {
  ++frames_painted_;
  QPainter painter(this);
  const QRect area = event->rect();
  const bool current =
      !image_.isNull() &&
      image_.constBits() == reinterpret_cast<const uchar*>(surface.pixels.data()) &&
      image_.width() == surface.width && image_.height() == surface.height;
  if (!current) {
    painter.fillRect(area, background_qcolor());
    return;
  }
  const QRect shown = area.intersected(image_.rect());
  if (!shown.isEmpty()) painter.drawImage(shown.topLeft(), image_, shown);
  // Outside the surface (the window not yet at its new size): background.
  if (shown != area) {
    const QRegion rest = QRegion(area).subtracted(shown);
    for (const QRect& r : rest) painter.fillRect(r, background_qcolor());
  }
  if (live_counters_shown()) counters_.paint(painter, rect(), counters_.frame_due(refresh_rate()));
}

// ---- Placement ------------------------------------------------------------------------------

void DisplayForm::start_set_built() {
  place_window(rebuilding_for_resize_);
  full_redraw();
}

void DisplayForm::place_window(bool after_user_resize) {
  const QRect screen = screen_rect();
  remember_frame_margins();

  // A window that is not centred and smaller than the screen was moved by the user.
  if (isVisible() && border_ != Border::none) {
    const QRect frame = frameGeometry();
    const QPoint centred(screen.left() + (screen.width() - frame.width()) / 2,
                         screen.top() + (screen.height() - frame.height()) / 2);
    const QPoint offset = frame.topLeft() - centred;
    const bool moved_by_user = (frame.topLeft() - placed_at_).manhattanLength() > 2;
    if (moved_by_user && offset.manhattanLength() > 2 && frame.width() < screen.width() &&
        frame.height() < screen.height()) {
      controls.Form2_moved = true;
      controls.Form2_left_if_moved = frame.left();
      controls.Form2_top_if_moved = frame.top();
    }
  }

  Border border = control_->n_distinct_enabled() ? Border::resizable : Border::fixed;

  const int n = settings.columns;
  int w = width();
  const int h = settings.rows;
  if (!after_user_resize) {
    if (!control_->zoomable_columns_active() || n > w) w = n;
    // A client width remembered from the last session, once.
    if (controls.Form2_ClientWidth > 0) {
      if (control_->zoomable_columns_active()) w = std::max(controls.Form2_ClientWidth, n);
      controls.Form2_ClientWidth = 0;
    }
  }
  w = std::max(w, n);

  const QMargins m = margins_for(border);
  if (w + m.left() + m.right() > screen.width() || h + m.top() + m.bottom() > screen.height()) {
    border = Border::none;
  }
  set_border(border);
  set_client_size(w, h);

  const QMargins fm = margins_for(border_);
  const QSize frame_size(w + fm.left() + fm.right(), h + fm.top() + fm.bottom());
  QPoint pos(screen.left() + (screen.width() - frame_size.width()) / 2,
             screen.top() + (screen.height() - frame_size.height()) / 2);
  if (border_ != Border::none && controls.Form2_moved) {
    pos = QPoint(controls.Form2_left_if_moved, controls.Form2_top_if_moved);
    pos.setX(std::max(std::min(pos.x(), screen.right() + 1 - frame_size.width()), screen.left()));
    pos.setY(std::max(std::min(pos.y(), screen.bottom() + 1 - frame_size.height()), screen.top()));
  }
  move_window(pos);
  if (!isVisible()) show();
}

void DisplayForm::move_window(QPoint frame_top_left) {
  move(frame_top_left);
  placed_at_ = frame_top_left;
}

// ---- Run steps ------------------------------------------------------------------------------

void DisplayForm::prepare_for_run() {
  if (border_ != Border::resizable) return;
  set_border(Border::fixed);
  // Zoomed columns keep their width; otherwise one pixel column per element.
  const int n = settings.columns;
  const int w = control_->zoomable_columns_active() && width() >= n ? width() : n;
  set_client_size(w, settings.rows);
  full_redraw();
}

void DisplayForm::ensure_width(int n) {
  if (width() < n) set_client_size(n, height());
}

void DisplayForm::set_client_rows(int rows) {
  set_client_size(width(), rows);
}

void DisplayForm::begin_run() {
  run_started_ = std::chrono::steady_clock::now();
  counters_.render(rect(), true);  // the new run's caption and counts from its first paint
  full_redraw();
  if (controls.RadioGroup2 == 0) {
    remembered_mouse_ = QCursor::pos();
    setCursor(Qt::BlankCursor);
    cursor_hidden_ = true;
  } else {
    setCursor(Qt::BusyCursor);
  }
  raise();
  activateWindow();
  setFocus(Qt::OtherFocusReason);
}

void DisplayForm::processing_ended() {
  timer1_.stop();
  if (settings.live_counters) {  // the final counts
    counters_.render(rect());
    update(counters_.area(rect()));
  }
  if (cursor_hidden_ && controls.RadioGroup2 == 0) QCursor::setPos(remembered_mouse_);
}

void DisplayForm::end_run() {
  timer1_.stop();
  unsetCursor();
  cursor_hidden_ = false;
}

void DisplayForm::hide_cursor_again() {
  if (!processing_active || controls.RadioGroup2 != 0) return;
  remembered_mouse_ = QCursor::pos();
  setCursor(Qt::BlankCursor);
  cursor_hidden_ = true;
}

// ---- Keys and mouse -------------------------------------------------------------------------

void DisplayForm::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (text.isEmpty()) {  // no character (Shift, arrows …): not a key press of the run keys
    QWidget::keyPressEvent(event);
    return;
  }
  const QChar c = text.at(0).toLower();
  const int brake = settings.brake_factor;
  if (c == u'-') {
    control_->set_brake_factor(brake == 0 ? 1 : std::min(2 * brake, brake_factor_max));
  } else if (c == u'+') {
    control_->set_brake_factor(brake / 2);
  } else if (c == u'c') {
    control_->toggle_colorize_comparisons();
  } else if (c == u'm') {
    control_->toggle_correct_movings();
  } else if (c == u'p') {
    paused = !paused;
  } else if (!run_aid_key(c, event->isAutoRepeat())) {
    click();
  }
}

void DisplayForm::mousePressEvent(QMouseEvent* /*event*/) {
  if (processing_active && std::chrono::steady_clock::now() - run_started_ < click_guard) return;
  click();
}

void DisplayForm::click() {
  if (paused) return;
  if (processing_active) {
    break_off = true;
    return;
  }
  if (!set_on_display_) {
    control_->show();
  } else if (controls.CheckBox25 || !control_->isVisible() || results_shown) {
    return_to_start_set();
  } else {
    control_->bring_forward();
  }
  results_shown = false;
}

void DisplayForm::mouseMoveEvent(QMouseEvent* event) {
  if (processing_active && cursor_hidden_ && controls.RadioGroup2 == 0) {
    setCursor(Qt::ArrowCursor);
    cursor_hidden_ = false;
    timer1_.start();
  }
  QWidget::mouseMoveEvent(event);
}

// ---- Resizing, moving, closing --------------------------------------------------------------

void DisplayForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (size() == programmed_size_) return;  // the program's own resize
  if (border_ != Border::resizable || !set_on_display_ || processing_active) return;
  user_resized(event->oldSize());
}

void DisplayForm::user_resized(QSize old_size) {
  programmed_size_ = size();
  const int old_height = old_size.isValid() ? old_size.height() : settings.rows.load();
  control_->take_rows_from_display(height());
  if (!(control_->zoomable_columns_active() && width() >= settings.columns)) {
    control_->take_columns_from_display(width());
  }
  if (height() == old_height && width() > settings.columns) {
    full_redraw();
    return;
  }
  rebuilding_for_resize_ = true;
  control_->create_initial_set();
  rebuilding_for_resize_ = false;
}

void DisplayForm::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  remember_frame_margins();
}

void DisplayForm::closeEvent(QCloseEvent* event) {
  break_off = true;
  event->accept();
  control_->close();
}

}  // namespace mv::display

#include "display/counter_overlay.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "engine/element_set.h"
#include "engine/live_counters.h"

namespace mv::display {

namespace {

constexpr int margin = 4;   // from the window's edges
constexpr int padding = 4;  // around the text
constexpr int panel_alpha = 215;

QColor qcolour(uint32_t colour, int alpha = 255) {
  QColor c = QColor::fromRgb(colour_to_pixel(colour));
  c.setAlpha(alpha);
  return c;
}

}  // namespace

CounterOverlay::CounterOverlay() : font_(QStringLiteral("Sans Serif")) {
  font_.setStyleHint(QFont::SansSerif);
  font_.setPixelSize(12);
}

QStringList CounterOverlay::lines(bool run_starting) {
  QStringList out;
  for (const std::string& line : live_counter_lines(run_starting ? 0 : run_elapsed_ms())) {
    out << QString::fromStdString(line);
  }
  return out;
}

QRect CounterOverlay::panel_for(const QStringList& lines, const QRect& client) const {
  const QFontMetrics metrics(font_);
  int width = 0;
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
  const QRect panel(client.left() + margin, client.top() + margin, width + 2 * padding,
                    static_cast<int>(lines.size()) * metrics.height() + 2 * padding);
  return panel.intersected(client);
}

QRect CounterOverlay::area(const QRect& client) const {
  // The last panel with some room to the right: the counts grow by a digit now and then. (The
  // caption changes only at a run's start, which renders the panel anew.)
  const QRect last = last_painted_.isEmpty() ? panel_for(lines(), client) : last_painted_;
  return last.adjusted(0, 0, 60, 0).intersected(client);
}

bool CounterOverlay::frame_due(double refresh_rate) const {
  const double frame_ms = 1000.0 / (refresh_rate > 1.0 ? refresh_rate : 60.0);
  return !since_render_.isValid() ||
         since_render_.elapsed() >= static_cast<qint64>(std::ceil(frame_ms));
}

void CounterOverlay::render(const QRect& client, bool run_starting) {
  since_render_.start();
  const QStringList text = lines(run_starting);
  const QRect panel = panel_for(text, client);
  last_painted_ = panel;
  if (panel.isEmpty()) {
    panel_ = QImage();
    return;
  }
  panel_ = QImage(panel.size(), QImage::Format_ARGB32_Premultiplied);
  panel_.fill(Qt::transparent);
  QPainter painter(&panel_);
  painter.setPen(qcolour(foreground_colour()));
  painter.setBrush(qcolour(background_colour(), panel_alpha));
  painter.drawRect(panel_.rect().adjusted(0, 0, -1, -1));
  painter.setFont(font_);
  const QFontMetrics metrics(font_);
  int y = padding + metrics.ascent();
  for (const QString& line : text) {
    painter.drawText(padding, y, line);
    y += metrics.height();
  }
}

void CounterOverlay::paint(QPainter& painter, const QRect& client, bool fresh) {
  if (fresh || panel_.isNull() || !client.contains(last_painted_)) render(client);
  if (!panel_.isNull()) painter.drawImage(last_painted_.topLeft(), panel_);
}

}  // namespace mv::display

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

QStringList CounterOverlay::lines() {
  QStringList out;
  for (const std::string& line : live_counter_lines(run_elapsed_ms())) {
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
  // Some room to the right: the text may grow a little before the paint that follows.
  return panel_for(lines(), client).adjusted(0, 0, 40, 0).intersected(client).united(last_painted_);
}

bool CounterOverlay::frame_due(double refresh_rate) const {
  const double frame_ms = 1000.0 / (refresh_rate > 1.0 ? refresh_rate : 60.0);
  return !since_paint_.isValid() ||
         since_paint_.elapsed() >= static_cast<qint64>(std::ceil(frame_ms));
}

void CounterOverlay::paint(QPainter& painter, const QRect& client) {
  since_paint_.start();
  const QStringList text = lines();
  const QRect panel = panel_for(text, client);
  last_painted_ = panel;
  if (panel.isEmpty()) return;
  painter.save();
  painter.setClipRect(panel, Qt::IntersectClip);
  painter.setPen(qcolour(foreground_colour()));
  painter.setBrush(qcolour(background_colour(), panel_alpha));
  painter.drawRect(panel.adjusted(0, 0, -1, -1));
  painter.setFont(font_);
  const QFontMetrics metrics(font_);
  int y = panel.top() + padding + metrics.ascent();
  for (const QString& line : text) {
    painter.drawText(panel.left() + padding, y, line);
    y += metrics.height();
  }
  painter.restore();
}

}  // namespace mv::display

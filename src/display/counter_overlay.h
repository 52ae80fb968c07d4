// The live counters over the columns: a small panel in the top left corner of the display with
// the text in the foreground colour on the background colour, legible on either background and
// over any column colours.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace mv::display {

class CounterOverlay {
 public:
  CounterOverlay();
  // Where the panel stands now and where it stood when last painted: the area to repaint.
  QRect area(const QRect& client) const;
  void paint(QPainter& painter, const QRect& client);
  // True once a screen frame has passed since the last paint: the counters change with every
  // operation, but are shown no more often than the screen refreshes.
  bool frame_due(double refresh_rate) const;
  // The text shown: one line each.
  static QStringList lines();

 private:
  QRect panel_for(const QStringList& lines, const QRect& client) const;

  QFont font_;
  QRect last_painted_;
  QElapsedTimer since_paint_;
};

}  // namespace mv::display

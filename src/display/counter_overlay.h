// The live counters over the columns: a small panel in the top left corner of the display with
// the text in the foreground colour on the background colour, legible on either background and
// over any column colours. The panel is rendered at most once a screen frame and drawn from
// that picture in between.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace mv::display {

class CounterOverlay {
 public:
  CounterOverlay();
  // Where the panel stands now and where it stood when last rendered: the area to repaint.
  QRect area(const QRect& client) const;
  // True once a screen frame has passed since the last rendering: the counters change with
  // every operation, but are rendered no more often than the screen refreshes.
  bool frame_due(double refresh_rate) const;
  // Renders the panel with the current counts now (at the start of a run, with no time elapsed
  // yet, and at its end).
  void render(const QRect& client, bool run_starting = false);
  // Draws the panel; renders it first when `fresh` or nothing was rendered yet.
  void paint(QPainter& painter, const QRect& client, bool fresh);
  // The text shown: one line each.
  static QStringList lines(bool run_starting = false);

 private:
  QRect panel_for(const QStringList& lines, const QRect& client) const;

  QFont font_;
  QImage panel_;
  QRect last_painted_;
  QElapsedTimer since_render_;
};

}  // namespace mv::display

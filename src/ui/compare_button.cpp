// The control form's way into the growth chart window: the button "compare…" on the output band
// and Ctrl+G. Without Qt Charts the program is built without the window and the button stays
// hidden.
#include <QCheckBox>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

#include "ui/control_form.h"
#ifdef MIVROLA_HAVE_CHARTS
#include "ui/growth_chart_window.h"
#endif

namespace mv::ui {

void ControlForm::build_compare_button() {
  QPushButton* b =
      add_button("ButtonCompare", QStringLiteral("compare…"), QRect(296, 315, 66, 17), true);
  fit_before(check_box("CheckBox14"), 294);
  b->setWhatsThis(help_text(29));
  b->setToolTip(QStringLiteral("<p>%1</p>").arg(help_text(29).toHtmlEscaped()));
#ifdef MIVROLA_HAVE_CHARTS
  connect(b, &QPushButton::clicked, this, [this] { open_compare_window(); });
  auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this);
  connect(shortcut, &QShortcut::activated, this, [this] { open_compare_window(); });
#else
  b->hide();
#endif
}

QWidget* ControlForm::open_compare_window() {
#ifdef MIVROLA_HAVE_CHARTS
  if (!compare_window_) compare_window_ = new GrowthChartWindow(this, this);
  compare_window_->show();
  compare_window_->raise();
  compare_window_->activateWindow();
  return compare_window_;
#else
  return nullptr;
#endif
}

}  // namespace mv::ui

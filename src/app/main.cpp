// mivrola: the window program. The control form comes first (settings, rules, ready), then the
// display form, which measures the screen, and then the first start set.
#include <QApplication>
#include <QLocale>

#include "algorithms/registry.h"
#include "display/display_form.h"
#include "engine/element_set.h"
#include "engine/report.h"
#include "ui/control_form.h"
#include "ui/qt_host.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Mivrola"));
  QApplication::setQuitOnLastWindowClosed(false);

  const QLocale locale = QLocale::system();
  mv::number_format.thousands = locale.groupSeparator().toStdString();
  mv::number_format.decimal = locale.decimalPoint().toStdString();
  mv::register_all_algorithms();

  mv::ui::ControlForm control;
  mv::display::DisplayForm display(&control);
  control.set_display(&display);
  mv::ui::QtHost host(&control, &display);
  mv::set_host(&host);

  control.start_up();
  display.create_form();
  control.create_initial_set();

  const int status = QApplication::exec();
  mv::set_host(nullptr);
  return status;
}

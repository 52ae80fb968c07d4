// mivrola: the window program. The control form comes first (settings, rules, ready), then the
// display form, which measures the screen, and then the first start set.
#include <QApplication>
#include <QLocale>

#include "algorithms/registry.h"
#include "engine/report.h"
#include "ui/program_windows.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Mivrola"));
  QApplication::setQuitOnLastWindowClosed(false);

  const QLocale locale = QLocale::system();
  mv::number_format.thousands = locale.groupSeparator().toStdString();
  mv::number_format.decimal = locale.decimalPoint().toStdString();
  mv::register_all_algorithms();

  mv::ui::ProgramWindows windows;
  windows.start();

  return QApplication::exec();
}

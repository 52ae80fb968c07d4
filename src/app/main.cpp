// mivrola: the window program. The options file's place is decided first, then the forms are
// made: the display form measures the screen, the control form loads its options and runs its
// rules, and the first start set is built.
#include <QApplication>
#include <QLocale>
#include <cstdio>
#include <cstring>

#include "algorithms/registry.h"
#include "engine/options_file.h"
#include "engine/report.h"
#include "ui/program_windows.h"

int main(int argc, char** argv) {
  // Answered before the application object exists, so no display is needed.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("mivrola %s\n", MIVROLA_VERSION);
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Mivrola"));
  QApplication::setQuitOnLastWindowClosed(false);

  const QLocale locale = QLocale::system();
  mv::number_format.thousands = locale.groupSeparator().toStdString();
  mv::number_format.decimal = locale.decimalPoint().toStdString();
  mv::register_all_algorithms();

  mv::ui::ProgramWindows windows(
      mv::options_file_location(QCoreApplication::applicationFilePath().toStdString()));
  windows.start();

  return QApplication::exec();
}

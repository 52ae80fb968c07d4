// The form tests: the two windows and their run steps, then the control form's controls, rules,
// help, options file and prompts. Both run on the offscreen platform.
//
// Function names on the command line go to the test object that has them, so `test_ui name`
// runs one function whichever object holds it (CTest runs each function that way); `-functions`
// lists the functions of both objects.
#include <QApplication>
#include <QMetaMethod>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "engine/element_set.h"
#include "ui/form_test_helpers.h"

void hide_offscreen_warnings() {
  static QtMessageHandler previous = nullptr;
  previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
        if (previous) previous(type, context, message);
      });
}

std::vector<int32_t> visible_keys() {
  std::vector<int32_t> k;
  for (int i = 0; i < mv::column_count(); ++i) k.push_back(mv::elements[i].key);
  return k;
}

namespace {

// The positions of the function names among the arguments: everything but the options of the
// test runner and the values of those that take one.
std::vector<int> function_arguments(int argc, char** argv) {
  static const char* const with_value[] = {
      "-o",          "-maxwarnings",  "-eventdelay",   "-keydelay", "-mousedelay", "-seed",
      "-iterations", "-minimumvalue", "-minimumtotal", "-median",   "-repeat"};
  std::vector<int> names;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '-') {
      names.push_back(i);
      continue;
    }
    for (const char* option : with_value) {
      if (std::strcmp(argv[i], option) == 0) ++i;
    }
  }
  return names;
}

bool is_test_function(const QMetaMethod& m) {
  if (m.methodType() != QMetaMethod::Slot || m.access() != QMetaMethod::Private ||
      m.parameterCount() != 0) {
    return false;
  }
  const QByteArray name = m.name();
  return !name.endsWith("_data") && name != "initTestCase" && name != "cleanupTestCase" &&
         name != "init" && name != "cleanup";
}

std::set<std::string> claimed;  // the function names some test object has

}  // namespace

bool whats_this_popup_shown() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && QByteArray(w->metaObject()->className()) == "QWhatsThat") return true;
  }
  return false;
}

int run_test_object(QObject& test, int argc, char** argv) {
  const QMetaObject& meta = *test.metaObject();
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "-functions") == 0) {
      // The test runner would end the process after the first object's list.
      for (int m = meta.methodOffset(); m < meta.methodCount(); ++m) {
        if (is_test_function(meta.method(m))) std::printf("%s()\n", meta.method(m).name().data());
      }
      return 0;
    }
  }
  const std::vector<int> names = function_arguments(argc, argv);
  bool own = false;
  for (int i = 0; i < argc; ++i) {
    if (std::find(names.begin(), names.end(), i) != names.end()) {
      const std::string name(argv[i]);
      const std::string function = name.substr(0, name.find(':'));
      if (meta.indexOfMethod((function + "()").c_str()) < 0) continue;
      claimed.insert(name);
      own = true;
    }
    args.push_back(argv[i]);
  }
  if (!names.empty() && !own) return 0;
  return QTest::qExec(&test, static_cast<int>(args.size()), args.data());
}

int run_windows_tests(int argc, char** argv);
int run_control_form_tests(int argc, char** argv);
int run_growth_chart_tests(int argc, char** argv);
int run_first_minutes_tests(int argc, char** argv);
int run_run_aids_tests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int windows = run_windows_tests(argc, argv);
  const int control_form = run_control_form_tests(argc, argv);
  const int growth_chart = run_growth_chart_tests(argc, argv);
  const int first_minutes = run_first_minutes_tests(argc, argv);
  const int run_aids = run_run_aids_tests(argc, argv);
  for (int i : function_arguments(argc, argv)) {
    if (!claimed.count(argv[i])) {
      std::fprintf(stderr, "Unknown test function: %s\n", argv[i]);
      return 1;
    }
  }
  for (int result : {windows, control_form, growth_chart, first_minutes, run_aids}) {
    if (result != 0) return result;
  }
  return 0;
}

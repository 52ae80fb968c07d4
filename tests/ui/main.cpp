// The form tests: the two windows and their run steps, then the control form's controls, rules,
// help, options file and prompts. Both run on the offscreen platform.
//
// Function names on the command line go to the test object that has them, so `test_ui name`
// runs one function whichever object holds it (CTest runs each function that way); `-functions`
// lists the functions of both objects.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QMetaMethod>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "engine/catalogue.h"
#include "engine/controls.h"
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

std::function<void(int)> step_hook;
int hooked_steps = 0;

void hooked_bubble_sort() {
  const int n = mv::column_count();
  for (int pass = 0; pass < n && !mv::break_off; ++pass) {
    mv::main_loop_runnings.increment();
    for (int j = n - 1; j > pass && !mv::break_off; --j) {
      if (step_hook) step_hook(hooked_steps);
      ++hooked_steps;
      if (mv::elem_less(j, j - 1)) mv::swap_elements(j, j - 1, true);
    }
  }
}

DialogWatcher::DialogWatcher() {
  timer_.setInterval(5);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
  timer_.start();
}

void DialogWatcher::poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || !modal->isVisible()) return;
  if (auto* input = qobject_cast<QInputDialog*>(modal)) {
    prompts.push_back({input->windowTitle(), input->labelText(), input->textValue()});
    if (prompts.size() <= answers.size()) {
      input->setTextValue(answers[prompts.size() - 1]);
      input->accept();
    } else {
      input->reject();
    }
  } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    seen.push_back(
        {box->windowTitle(), box->text(), box->frameGeometry(), box->checkBox() != nullptr});
    if (box->checkBox() && check_dont_show_again) box->checkBox()->setChecked(true);
    box->button(QMessageBox::Ok)->click();
  }
}

std::vector<QString> DialogWatcher::texts() const {
  std::vector<QString> t;
  for (const Seen& s : seen) t.push_back(s.text);
  return t;
}

void FormWindows::open_windows(const std::string& path) {
  windows.reset();
  windows = std::make_unique<mv::ui::ProgramWindows>(path);
  control = &windows->control;
  display = &windows->display;
  windows->start();
}

void FormWindows::replace_procedure(int index, mv::AlgorithmProcedure procedure) {
  replaced.emplace_back(index, mv::procedure_of(index));
  mv::register_procedure(index, procedure);
}

void FormWindows::close_windows() {
  windows.reset();
  for (const auto& [index, procedure] : replaced) mv::register_procedure(index, procedure);
  replaced.clear();
}

void FormWindows::fresh_set(int columns, int rows, int algorithm) {
  control->start_up();
  control->check_box("CheckBox28")->setChecked(false);
  control->take_columns_from_display(columns);
  control->take_rows_from_display(rows);
  if (algorithm >= 0) control->combo_box("ComboBox1")->setCurrentIndex(algorithm);
  control->create_initial_set();
}

void FormWindows::quiet_reports() {
  mv::controls.CheckBox11 = mv::controls.CheckBox14 = mv::controls.CheckBox2 = false;
  mv::controls.CheckBox5 = mv::controls.CheckBox18 = false;
  mv::controls.CheckBox8 = true;
}

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

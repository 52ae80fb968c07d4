// The form tests: the two windows and their run steps, then the control form's controls, rules,
// help, options file and prompts. Both run on the offscreen platform.
#include <QApplication>

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

int run_windows_tests(int argc, char** argv);
int run_control_form_tests(int argc, char** argv);
int run_run_aids_tests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int windows = run_windows_tests(argc, argv);
  const int control_form = run_control_form_tests(argc, argv);
  const int run_aids = run_run_aids_tests(argc, argv);
  return windows != 0 ? windows : control_form != 0 ? control_form : run_aids;
}

// Helpers shared by the form tests.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "ui/program_windows.h"

// Keeps the offscreen platform's warnings about raise() and the like out of the test log; each
// test class calls it first (the test runner installs its own message handler).
void hide_offscreen_warnings();

// The keys of the visible set, left to right.
std::vector<int32_t> visible_keys();

// Runs one test object with the command line's options and those of its function names that are
// its own (a name may carry ":datatag"); skips it when names were given and none is its own.
int run_test_object(QObject& test, int argc, char** argv);

// True while a What's This popup is on screen.
bool whats_this_popup_shown();

// The test sort: a bubble sort that counts a main loop running per pass and calls `step_hook`
// (when set) before every comparison, so a test can press keys and click at a known point of a
// run; `hooked_steps` counts the comparisons so far.
extern std::function<void(int)> step_hook;
extern int hooked_steps;
void hooked_bubble_sort();

// Answers every input prompt from `answers` (a prompt beyond them is cancelled) and closes every
// message box, remembering what they showed; ticks "don't show again" when asked to.
class DialogWatcher : public QObject {
 public:
  struct Prompt {
    QString title, question, prefilled;
  };
  struct Seen {
    QString title;
    QString text;
    QRect frame;
    bool hint = false;
  };
  DialogWatcher();
  std::vector<QString> answers;
  bool check_dont_show_again = false;
  std::vector<Prompt> prompts;
  std::vector<Seen> seen;
  std::vector<QString> texts() const;  // the message boxes' texts

 private:
  void poll();
  QTimer timer_;
};

// The two windows of one program start, as the form-test objects open them.
class FormWindows {
 protected:
  std::unique_ptr<mv::ui::ProgramWindows> windows;
  mv::ui::ControlForm* control = nullptr;
  mv::display::DisplayForm* display = nullptr;

  std::vector<std::pair<int, mv::AlgorithmProcedure>> replaced;

  // A new program start with the options file at `path` (empty: none).
  void open_windows(const std::string& path = {});
  // Lets `procedure` run for the entry until close_windows() puts the original back.
  void replace_procedure(int index, mv::AlgorithmProcedure procedure);
  // Closes the windows and puts back every replaced procedure.
  void close_windows();
  // First-start values, "zoomable columns" off, a set of the given size and the entry selected
  // (a negative one leaves the list as it is).
  void fresh_set(int columns, int rows, int algorithm);
  // No report, hint or sound at the end of a run.
  static void quiet_reports();
};

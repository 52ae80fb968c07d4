// The two forms and the host, wired together as the program runs them (also used by the form
// tests and the animation benchmark).
#pragma once

#include <string>
#include <utility>

#include "display/display_form.h"
#include "engine/element_set.h"
#include "ui/control_form.h"
#include "ui/qt_host.h"

namespace mv::ui {

struct ProgramWindows {
  ControlForm control;
  display::DisplayForm display{&control};
  QtHost host{&control, &display};

  // `options_path`: the options file, decided before the forms exist; empty for none.
  explicit ProgramWindows(std::string options_path = {}) {
    control.set_display(&display);
    control.set_options_path(std::move(options_path));
    set_host(&host);
  }
  ~ProgramWindows() { set_host(nullptr); }
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  // The display form measures the screen and its border first, so that the control form's
  // screen bounds are known when it loads its options and runs its rules; then the first start
  // set.
  void start() {
    display.create_form();
    control.start_up();
    control.create_initial_set();
    if (!control.options_refusal().empty()) {
      host.show_message(control.options_refusal() +
                        ": the program starts with the built-in "
                        "settings and leaves it as it is.");
    }
  }
};

}  // namespace mv::ui

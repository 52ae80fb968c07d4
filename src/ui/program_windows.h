// The two forms and the host, wired together as the program runs them (also used by the form
// tests and the animation benchmark).
#pragma once

#include "display/display_form.h"
#include "engine/element_set.h"
#include "ui/control_form.h"
#include "ui/qt_host.h"

namespace mv::ui {

struct ProgramWindows {
  ControlForm control;
  display::DisplayForm display{&control};
  QtHost host{&control, &display};

  ProgramWindows() {
    control.set_display(&display);
    set_host(&host);
  }
  ~ProgramWindows() { set_host(nullptr); }
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  // Control form first (settings, rules, ready), then the display form, which measures the
  // screen, then the first start set.
  void start() {
    control.start_up();
    display.create_form();
    control.create_initial_set();
  }
};

}  // namespace mv::ui

// The display's keys for sound, live counters and single steps during a run. Outside a run they
// are keys like any other.
#include "display/display_form.h"
#include "engine/element_set.h"
#include "engine/settings.h"
#include "ui/control_form.h"

namespace mv::display {

bool DisplayForm::run_aid_key(QChar c, bool auto_repeat) {
  if (!processing_active) return false;
  if (c == u's') {
    control_->toggle_sound();
    return true;
  }
  if (c == u'i') {
    const QRect before = counters_.area(rect());
    control_->toggle_live_counters();
    update(before.united(counters_.area(rect())));
    return true;
  }
  if (c == u'n') {
    // Paused: one step. While a step runs (N held down) it is not a break-off key either.
    if (paused) {
      single_step();
      return true;
    }
    return single_step_pending() || auto_repeat;
  }
  return false;
}

}  // namespace mv::display

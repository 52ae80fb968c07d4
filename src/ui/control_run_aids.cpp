// The control form's boxes for hearing and following a run: "sound" and "show counters during
// processing". Their options keys are their names; the display keys S and I toggle them.
#include <QCheckBox>

#include "engine/element_set.h"
#include "engine/settings.h"
#include "ui/control_form.h"

namespace mv::ui {

void ControlForm::add_run_aid_boxes() {
  // "sound" in the output band between its caption and "show stability"; the counters under
  // "quick block swapping", left of "enforce stability:".
  QCheckBox* sound = add_check("sound", QStringLiteral("sound"), 212, 300, false);
  fit_before(sound, 278);
  connect(sound, &QCheckBox::toggled, this, [](bool on) { set_sound(on); });
  QCheckBox* counters =
      add_check("live_counters", QStringLiteral("show counters during processing"), 7, 279, false);
  fit_before(counters, 190);
  connect(counters, &QCheckBox::toggled, this, [](bool on) { settings.live_counters = on; });
}

void ControlForm::toggle_sound() {
  check_box("sound")->toggle();
}

void ControlForm::toggle_live_counters() {
  check_box("live_counters")->toggle();
}

}  // namespace mv::ui

// The control form's values that the engine reads at run start or when it builds a set. Fields
// keep the controls' names, which are also their options keys ("SpinEdit5.Value" …). The settings
// that the counted operations read at every call live in LiveSettings (settings.h) instead.
#pragma once

#include <cstdint>

namespace mv {

struct ControlValues {
  // Input band: how the initial set is made.
  int ComboBox3 = 0;          // value distribution, 0..20
  int ComboBox2 = 0;          // structure, 0..27
  int ComboBox4 = 0;          // presorting method, 0..36
  int SpinEdit2_max = 65535;  // bound of "columns"
  int SpinEdit3_max = 65535;  // bound of "rows"
  int SpinEdit4 = 1;          // number of pre-sorting loops
  int SpinEdit5 = 2;          // number of subsets
  int SpinEdit5_max = 33;
  int SpinEdit6 = 50;  // approximate size of sorted or shuffled subset
  int SpinEdit6_max = 100;
  int SpinEdit7 = 100;  // n distinct
  int SpinEdit7_max = 100;
  int SpinEdit8 = 0;        // rotation, -columns..columns
  int SpinEdit9 = 1;        // maximum recursion depth
  int SpinEdit10 = 1;       // number of switched pairs
  int RadioGroup6 = 0;      // subsets arrangement: increasing, random
  int RadioGroup5 = 0;      // color gradient: initial set, target set
  bool CheckBox3 = false;   // always window/bordered mode
  bool CheckBox4 = false;   // 1st start reverse
  bool CheckBox6 = false;   // 2nd start reverse
  bool CheckBox16 = false;  // maximum range of values/codomain
  bool CheckBox19 = true;   // initialize random generator
  bool CheckBox25 = true;   // click onto form
  bool CheckBox27 = true;   // exact structure
  bool CheckBox28 = false;  // zoomable columns
  bool CheckBox28_enabled = false;

  // Processing band.
  int ComboBox1 = -1;       // algorithm, -1 = no selection
  int RadioGroup8 = 0;      // simultaneous sorting: mode 1, mode 2
  bool CheckBox20 = false;  // enforce stability locally
  bool CheckBox21 = false;  // enforce stability globally

  // Output band.
  bool CheckBox14 = true;  // show comparisons, movings, and swappings number
  bool CheckBox2 = true;   // show stability
  bool CheckBox5 = true;   // show loops number
  bool CheckBox11 = true;  // show prozess duration
  bool CheckBox1 = false;  // processing end beep
  bool CheckBox18 = true;  // show threads number

  // Representation band (the rest is live).
  int RadioGroup2 = 1;  // process. mouse cursor: no/invisible/hidden, background workg.

  // Other band.
  bool CheckBox7 = false;   // after processing break instantly return to start set and this form
  bool CheckBox8 = false;   // after processing end instantly return to start set and this form
  bool CheckBox9 = false;   // save and load options automatically
  bool CheckBox10 = true;   // parameter input
  bool CheckBox13 = false;  // context sensitive help

  // Hints and window memory.
  bool showagain_zweierpotenz = true;
  bool showagain_blackbars = true;
  bool maximaler_Wertebereich = false;
  int Form1_left = 0;
  int Form1_top = 0;
  bool Form2_moved = false;
  int Form2_left_if_moved = 0;
  int Form2_top_if_moved = 0;
  int Form2_ClientWidth = 0;
  // The display form's position at the last exit: written to the options file, never read.
  int Form2_left = 0;
  int Form2_top = 0;
};

extern ControlValues controls;

// Distribution index of "natural numbers (once each)" and of "n natural numbers, ascending
// shuffled".
constexpr int distribution_natural_once = 20;
constexpr int distribution_natural_shuffled = 19;

}  // namespace mv

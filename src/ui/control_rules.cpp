// The control form's rules, the values it shows, its start-up and its options file.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <chrono>

#include "display/display_form.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/options_file.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine/settings.h"
#include "initial_set/initial_set.h"
#include "ui/control_form.h"

namespace mv::ui {

namespace {

// Presorting method "exchanges" (counted in switched pairs).
constexpr int presorting_exchanges = 36;
// Structure "fractal 6" (no subsets count).
constexpr int structure_fractal_6 = 26;

bool natural_once() {
  return controls.ComboBox3 == distribution_natural_once;
}

// Presorting methods counted in loops or rounds ("number of pre-sorting loops").
bool counted_in_loops(int method) {
  switch (method) {
    case 3:
    case 4:
    case 13:
    case 16:
    case 17:
    case 18:
    case 22:
    case 23:
    case 25:
    case 26:
    case 27:
    case 32:
    case 33:
    case 34:
    case 35:
      return true;
    default:
      return false;
  }
}

bool in(int v, int low, int high) {
  return v >= low && v <= high;
}

}  // namespace

// ---- Start-up -------------------------------------------------------------------------------

void ControlForm::start_up() {
  ready_ = false;
  QScreen* screen = QGuiApplication::primaryScreen();
  const QSize s = screen ? screen->geometry().size() : QSize(640, 480);

  // The first-start defaults; a file read over them keeps them for every key it lacks.
  loading_ = true;
  set_first_start_defaults(s.width(), s.height(), s.width(), s.height());
  controls.SpinEdit9 = recursion_depth_for(settings.columns);
  // Centred on the screen unless the options file says otherwise.
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
  controls.Form1_left = area.left() + (area.width() - width()) / 2;
  controls.Form1_top = area.top() + (area.height() - height()) / 2;
  whole_screen_rule();
  show_values();
  const bool file_exists =
      !options_path_.empty() && QFileInfo::exists(QString::fromStdString(options_path_));
  if (file_exists) {
    // Each key through its control's setter, so its handler runs as on a change.
    const OptionsFileRead read = load_options_file(
        options_path_, [this](const OptionKey& key) { show_option(key.name, false); });
    // Something that is not a readable options file keeps the built-in settings and is neither
    // written nor deleted at the end.
    options_refusal_ = read.refusal;
    if (read) controls.CheckBox9 = true;
  }
  loading_ = false;
  show_values();
  set_context_help(controls.CheckBox13);

  restore_algorithm_text();
  algorithm_index = static_cast<uint16_t>(std::clamp(controls.ComboBox1, 0, 65535));
  algorithm_enabling();
  refresh_start_button();
  whole_screen_rule();
  presorting_rule();
  distribution_rule();
  screen_bounds_rule(false);
  structure_enabling();
  screen_bounds_rule(false);

  if (controls.CheckBox19) {
    random_seed =
        static_cast<uint32_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  }
  place_from_options();
  ready_ = true;
}

void ControlForm::place_from_options() {
  const QPoint stored(controls.Form1_left, controls.Form1_top);
  // A position from another screen arrangement must not hide the form.
  QScreen* screen = QGuiApplication::screenAt(stored + QPoint(width() / 2, 8));
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
  const QSize frame = frameGeometry().size().expandedTo(size());
  const int x = std::max(std::min(stored.x(), area.right() + 1 - frame.width()), area.left());
  const int y = std::max(std::min(stored.y(), area.bottom() + 1 - frame.height()), area.top());
  move(x, y);
}

void ControlForm::save_or_delete_options() {
  if (options_path_.empty() || !options_refusal_.empty()) return;
  if (!controls.CheckBox9) {
    delete_options_file(options_path_);
    return;
  }
  controls.Form1_left = x();
  controls.Form1_top = y();
  if (display_) {
    controls.Form2_left = display_->x();
    controls.Form2_top = display_->y();
    controls.Form2_ClientWidth = display_->width();
  }
  save_options_file(options_path_);
}

// ---- Values into the controls ---------------------------------------------------------------

void ControlForm::show_option(const std::string& key, bool quietly) {
  // "Control.Property", or a check box's own name (the keys of the later additions);
  // parameters and flags without a control name none.
  const auto dot = key.find('.');
  const std::string name = key.substr(0, dot);
  const std::string property = dot == std::string::npos ? "Checked" : key.substr(dot + 1);
  QWidget* w = control(name.c_str());
  const auto text = get_option(key);
  if (!w || !text) return;
  const long long parsed = parse_integer(*text).value_or(0);
  const int value = static_cast<int>(std::clamp<long long>(parsed, INT32_MIN, INT32_MAX));

  if (property == "Enabled") {
    w->setEnabled(value != 0);
  } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
    const QSignalBlocker block(quietly ? box : nullptr);
    box->setChecked(value != 0);
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    // Selecting an item from the options file or a rule never runs the list's handler.
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(value < combo->count() ? value : -1);
    if (combo == algorithm_list_) restore_algorithm_text();
  } else if (auto* spin = qobject_cast<QSpinBox*>(w)) {
    const QSignalBlocker block(quietly ? spin : nullptr);
    if (property == "MaxValue") {
      spin->setMaximum(std::max(value, spin->minimum()));
    } else if (value != spin->value()) {
      // Setting the same value again would overwrite a number being typed beyond the bounds.
      spin->setValue(value);
    }
  } else if (QButtonGroup* group = radio_group(name.c_str())) {
    const QSignalBlocker block(quietly ? group : nullptr);
    if (QAbstractButton* b = group->button(value)) b->setChecked(true);
  }
}

void ControlForm::show_values() {
  normalise_controls();
  const int n = settings.columns;
  {
    // Bounds that have no key of their own.
    const QSignalBlocker b8(spin_edit("SpinEdit8"));
    spin_edit("SpinEdit8")->setRange(-n, n);
    const QSignalBlocker b10(spin_edit("SpinEdit10"));
    spin_edit("SpinEdit10")->setRange(0, n / 2);
  }
  for (const OptionKey& key : option_keys()) {
    const std::string name = key.name;
    if (!key.read || name.rfind("Form", 0) == 0) continue;  // window positions: start-up only
    show_option(name, true);
  }
  {
    // "save and load options automatically" has no key: checked when the file existed.
    const QSignalBlocker block(check_box("CheckBox9"));
    check_box("CheckBox9")->setChecked(controls.CheckBox9);
  }
  {
    const QSignalBlocker block(whole_screen_box_);
    whole_screen_box_->setCheckState(whole_screen_);
    whole_screen_box_->setEnabled(whole_screen_ != Qt::Checked);
  }
  // "maximum": enabled while n distinct is below rows, checked exactly when disabled.
  QCheckBox* maximum = check_box("CheckBox26");
  const bool below = controls.SpinEdit7 < settings.rows;
  maximum->setEnabled(below);
  const QSignalBlocker block(maximum);
  maximum->setChecked(!below);
  enable("RadioGroup5", settings.line_set.load() != LineSet::monochrome);
  // Under "natural numbers (once each)" n distinct simply follows rows.
  enable("SpinEdit7", n_distinct_enabled());
  enable("Label_SpinEdit7", n_distinct_enabled());
}

void ControlForm::show_columns_and_rows() {
  whole_screen_rule();
  show_values();
}

void ControlForm::restart(int timer_number) {
  QTimer& t = timers_[static_cast<size_t>(timer_number)];
  t.stop();
  t.start();
}

// ---- Building the set -----------------------------------------------------------------------

void ControlForm::create_initial_set() {
  for (int k = 2; k <= 10; ++k) timers_[k].stop();
  if (!ready_ || !display_) {
    refresh_start_button();
    show();
    return;
  }
  // Some settings take a while to build (presorting rounds on many columns).
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  CreateInitialSet();
  QGuiApplication::restoreOverrideCursor();
  after_set_built();
  show();
  bring_forward();
}

void ControlForm::after_set_built() {
  show_columns_and_rows();
  if (display_) display_->start_set_built();
  n_distinct_equals_rows_ = controls.SpinEdit7 == settings.rows;
  refresh_start_button();
}

// ---- Columns, rows, n distinct (R1) ---------------------------------------------------------

void ControlForm::apply_columns(int n) {
  settings.columns = n;
  recompute_column_defaults(n);
  controls.SpinEdit9 = recursion_depth_for(n);
  ControlValues& c = controls;
  c.SpinEdit5_max = std::max(1, n / 3);
  c.SpinEdit5 = std::clamp(c.SpinEdit5, 1, c.SpinEdit5_max);
  c.SpinEdit6_max = n;
  c.SpinEdit6 = n / 2;
  c.SpinEdit8 = std::clamp(c.SpinEdit8, -n, n);
  c.SpinEdit10 = std::clamp(c.SpinEdit10, 0, n / 2);
}

void ControlForm::columns_changed(int value) {
  const bool by_user = columns_->hasFocus() && !loading_;
  apply_columns(value);
  if (by_user) {
    if (natural_once()) {
      settings.rows = std::clamp(value, 2, controls.SpinEdit3_max);
      controls.SpinEdit7_max = controls.SpinEdit7 = settings.rows;
    }
    restart(2);
  }
  whole_screen_rule();
  show_values();
}

void ControlForm::rows_changed(int value) {
  const bool by_user = rows_->hasFocus() && !loading_;
  settings.rows = value;
  if (by_user) {
    if (natural_once()) {
      const int columns = std::clamp(value, 2, controls.SpinEdit2_max);
      if (columns != settings.columns) apply_columns(columns);
      controls.SpinEdit7_max = controls.SpinEdit7 = value;
    } else {
      // n distinct stays inside its bound, and follows rows when it equalled them.
      controls.SpinEdit7_max = value + (controls.CheckBox16 ? 1 : 0);
      if (controls.SpinEdit7 > controls.SpinEdit7_max || n_distinct_equals_rows_) {
        controls.SpinEdit7 = std::min(value, controls.SpinEdit7_max);
      }
    }
    restart(3);
  }
  whole_screen_rule();
  show_values();
}

void ControlForm::n_distinct_changed(int value) {
  if (!spin_edit("SpinEdit7")->hasFocus() || loading_) return;
  controls.SpinEdit7 = value;
  restart(7);
  show_values();
}

void ControlForm::maximum_clicked() {
  controls.SpinEdit7_max = controls.SpinEdit7 = settings.rows;
  restart(7);
  show_values();
}

void ControlForm::maximum_range_clicked(bool on) {
  controls.maximaler_Wertebereich = on;
  if (controls.SpinEdit7 >= settings.rows) {
    controls.SpinEdit7_max = controls.SpinEdit7 = settings.rows + (on ? 1 : 0);
  }
  show_values();
  create_initial_set();
}

// ---- Whole screen and screen bounds (R7, R9) ------------------------------------------------

void ControlForm::whole_screen_rule() {
  const bool at_columns = settings.columns >= controls.SpinEdit2_max;
  const bool at_rows = settings.rows >= controls.SpinEdit3_max;
  if (natural_once()) {
    whole_screen_ = at_rows ? Qt::Checked : Qt::Unchecked;
  } else {
    whole_screen_ = at_columns && at_rows   ? Qt::Checked
                    : at_columns || at_rows ? Qt::PartiallyChecked
                                            : Qt::Unchecked;
  }
}

void ControlForm::whole_screen_clicked() {
  whole_screen_ = Qt::Checked;
  screen_bounds_rule(false);
}

void ControlForm::screen_bounds_rule(bool rebuild) {
  const QRect screen_area =
      display_ ? display_->screen_rect()
               : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                   : QRect(0, 0, 640, 480));
  const QSize screen = screen_area.size();
  // Until the display has measured its border, the bordered size is the screen's.
  const bool measured = display_ && display_->screen_client_width > 0;
  const int bordered_w =
      measured ? std::max<int>(display_->screen_client_width, 2) : screen.width();
  const int bordered_h =
      measured ? std::max<int>(display_->screen_client_height, 2) : screen.height();
  int bound_w = controls.CheckBox3 ? bordered_w : screen.width();
  int bound_h = controls.CheckBox3 ? bordered_h : screen.height();
  if (natural_once()) bound_w = bound_h = std::min(bound_w, bound_h);
  bound_w = std::clamp(bound_w, 2, 65535);
  bound_h = std::clamp(bound_h, 2, 65535);
  const int old_columns = settings.columns, old_rows = settings.rows;
  const bool n_distinct_at_max = controls.SpinEdit7 >= controls.SpinEdit7_max;
  controls.SpinEdit2_max = bound_w;
  controls.SpinEdit3_max = bound_h;
  int columns = old_columns, rows = old_rows;
  if (whole_screen_ == Qt::Checked) {
    columns = bound_w;
    rows = bound_h;
  } else if (whole_screen_ == Qt::PartiallyChecked) {
    auto toward = [](int v, int bordered, int bound) {
      if (v > bordered) return bordered;
      if (v == bordered) return bound;
      return v;
    };
    columns = toward(columns, std::min(bordered_w, bound_w), bound_w);
    rows = toward(rows, std::min(bordered_h, bound_h), bound_h);
  }
  columns = std::clamp(columns, 2, bound_w);
  rows = std::clamp(rows, 2, bound_h);
  if (natural_once()) columns = rows = std::min(columns, rows);
  if (columns != old_columns) apply_columns(columns);
  settings.rows = rows;
  const int range_extra = controls.CheckBox16 && !natural_once() ? 1 : 0;
  controls.SpinEdit7_max = rows + range_extra;
  if (natural_once()) {
    controls.SpinEdit7 = rows;
  } else if (n_distinct_at_max) {
    controls.SpinEdit7 = controls.SpinEdit7_max;
  } else {
    controls.SpinEdit7 = std::min(controls.SpinEdit7, controls.SpinEdit7_max);
  }
  whole_screen_rule();
  show_values();
  if (rebuild || columns != old_columns || rows != old_rows) create_initial_set();
}

// ---- Structure, distribution, presorting (R2, R3, R4) ---------------------------------------

void ControlForm::structure_changed(int index) {
  controls.ComboBox2 = std::max(index, 0);
  structure_enabling();
  screen_bounds_rule(true);
}

void ControlForm::structure_enabling() {
  const int s = controls.ComboBox2;
  enable("SpinEdit5", in(s, 2, 7));
  enable("Label_SpinEdit5", in(s, 2, 7));
  enable("RadioGroup6", in(s, 2, 4));
  enable("CheckBox27", s == 5 || in(s, 8, 13));
  presorting_rule();
}

void ControlForm::distribution_changed(int index) {
  controls.ComboBox3 = std::max(index, 0);
  distribution_rule();
  screen_bounds_rule(true);
}

void ControlForm::distribution_rule() {
  algorithm_enabling();
  if (natural_once()) {
    controls.CheckBox16 = false;
    controls.SpinEdit7_max = controls.SpinEdit7 = settings.rows;
  } else {
    controls.CheckBox16 = controls.maximaler_Wertebereich;
  }
}

void ControlForm::presorting_changed(int index) {
  controls.ComboBox4 = std::max(index, 0);
  controls.SpinEdit4 = 1;
  presorting_rule();
  show_values();
  create_initial_set();
}

void ControlForm::presorting_rule() {
  const int m = controls.ComboBox4;
  const int s = controls.ComboBox2;
  const bool loops = counted_in_loops(m);
  const bool elements = m != 0 && m != presorting_exchanges && !loops;
  const bool recursion = !elements && (in(m, 16, 18) || s > 20);
  const std::pair<const char*, bool> enabled[] = {{"SpinEdit4", loops}, {"SpinEdit6", elements}};
  for (const auto& [name, on] : enabled) {
    enable(name, on);
    enable(("Label_" + std::string(name)).c_str(), on);
  }
  const std::pair<const char*, bool> shown[] = {{"SpinEdit4", m != presorting_exchanges},
                                                {"SpinEdit10", m == presorting_exchanges},
                                                {"SpinEdit9", recursion},
                                                {"SpinEdit6", !recursion},
                                                {"SpinEdit5", s != structure_fractal_6}};
  for (const auto& [name, on] : shown) {
    show_control(name, on);
    show_control(("Label_" + std::string(name)).c_str(), on);
  }
}

// ---- Algorithm (R5, R6, R8) -----------------------------------------------------------------

void ControlForm::algorithm_changed(int index) {
  if (!ready_) return;
  controls.ComboBox1 = index;
  algorithm_index = static_cast<uint16_t>(std::clamp(index, 0, 65535));
  algorithm_enabling();
  {
    const QSignalBlocker block(algorithm_list_);
    algorithm_list_->setCurrentIndex(index);
  }
  restore_algorithm_text();
  refresh_start_button();
  create_initial_set();
}

void ControlForm::algorithm_enabling() {
  const int index = controls.ComboBox1;
  auto enabled_for = [index](AlgorithmControl c) { return control_enabled_for(c, index); };
  const bool block_swapping = enabled_for(AlgorithmControl::block_swapping);
  enable("ComboBox5", block_swapping);
  enable("Label_ComboBox5", block_swapping);
  enable("CheckBox23", block_swapping);
  enable("RadioGroup8", enabled_for(AlgorithmControl::simultaneous_sorting));
  enable("CheckBox10", enabled_for(AlgorithmControl::parameter_input));
  enable("CheckBox15", enabled_for(AlgorithmControl::colorize_and_optional_swaps));
  enable("CheckBox17", enabled_for(AlgorithmControl::colorize_and_optional_swaps));
  enable("CheckBox18", enabled_for(AlgorithmControl::show_threads));
  enable("CheckBox24", enabled_for(AlgorithmControl::correct_movings));
  enable("CheckBox5", enabled_for(AlgorithmControl::show_loops));
  const bool stability = stability_boxes_enabled(index, controls.ComboBox3);
  enable("CheckBox2", stability);
  enable("CheckBox21", stability);
  const bool locally = stability && enabled_for(AlgorithmControl::stabilize_locally);
  enable("CheckBox20", locally);
  enable("Label_enforce_stability", locally || stability);
  const bool stable_comparings = stable_comparings_enabled_for(index, controls.ComboBox3);
  enable("CheckBox22", stable_comparings);
  settings.stable_comparings_enabled = stable_comparings;
  zoomable_enabling();
}

void ControlForm::refresh_start_button() {
  const int index = controls.ComboBox1;
  QString caption = QStringLiteral("sorting / shuffling");
  if (index >= 0 && index < separator_index) caption = QStringLiteral("sorting");
  if (index >= first_shuffle_index && index < catalogue_size) caption = QStringLiteral("shuffling");
  start_button_->setText(caption);
  // Entries whose family is not built yet have no procedure and cannot start.
  bool on =
      index >= 0 && index < catalogue_size && index != separator_index && is_implemented(index);
  // Some entries run only on some sets (the simplified plasel sort needs distinct keys).
  if (on) on = start_refusal(index) == nullptr;
  if (searching_) on = false;  // the box shows typed text, not the entry that would run
  start_button_->setEnabled(on);
  if (ready_ && display_) display_->setWindowTitle(caption);
}

QString ControlForm::start_button_caption() const {
  return start_button_->text();
}

void ControlForm::zoomable_enabling() {
  const int index = controls.ComboBox1;
  const bool on =
      !natural_once() && index >= 0 && index < separator_index && !is_value_counting_sort(index);
  controls.CheckBox28_enabled = on;
  check_box("CheckBox28")->setEnabled(on);
}

void ControlForm::zoomable_clicked() {
  if (!ready_) return;
  zoomable_enabling();
  if (!check_box("CheckBox28")->isChecked() && display_) {
    apply_columns(std::clamp(display_->width(), 2, controls.SpinEdit2_max));
    whole_screen_rule();
    show_values();
  }
  create_initial_set();
}

void ControlForm::restore_algorithm_text() {
  const int index = algorithm_list_->currentIndex();
  algorithm_list_->setEditText(index < 0 ? QString::fromLatin1(no_algorithm_text)
                                         : algorithm_list_->itemText(index));
  if (searching_) {
    searching_ = false;
    refresh_start_button();
  }
}

// ---- Display keys and resizing --------------------------------------------------------------

void ControlForm::set_brake_factor(int value) {
  brake_->setValue(std::clamp(value, 0, brake_factor_max));
}

void ControlForm::toggle_colorize_comparisons() {
  check_box("CheckBox15")->toggle();
}

void ControlForm::toggle_correct_movings() {
  check_box("CheckBox24")->toggle();
}

void ControlForm::take_rows_from_display(int rows) {
  const int old_rows = settings.rows;
  rows = std::clamp(rows, 2, std::max(controls.SpinEdit3_max, 2));
  settings.rows = rows;
  if (controls.SpinEdit7 == old_rows || controls.SpinEdit7 > rows) {
    controls.SpinEdit7_max = rows + (controls.CheckBox16 ? 1 : 0);
    controls.SpinEdit7 = rows;
  }
  whole_screen_rule();
  show_values();
}

void ControlForm::take_columns_from_display(int columns) {
  columns = std::clamp(columns, 2, std::max(controls.SpinEdit2_max, 2));
  if (columns != settings.columns) apply_columns(columns);
  whole_screen_rule();
  show_values();
}

bool ControlForm::zoomable_columns_active() const {
  return controls.CheckBox28_enabled && controls.CheckBox28;
}

bool ControlForm::n_distinct_enabled() const {
  return !natural_once();
}

void ControlForm::bring_forward() {
  if (!isVisible()) return;
  raise();
  activateWindow();
}

}  // namespace mv::ui

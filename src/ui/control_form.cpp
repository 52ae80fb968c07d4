#include "ui/control_form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <algorithm>
#include <chrono>

#include "display/display_form.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/options_keys.h"
#include "engine/parameters.h"
#include "engine/random.h"
#include "engine/run_driver.h"
#include "engine/settings.h"
#include "initial_set/initial_set.h"
#include "ui/item_captions.h"

namespace mv::ui {

namespace {

const char* const no_algorithm_text = "Please select sorting or shuffling algorithm!";
constexpr int rebuild_delay_ms = 150;

bool natural_once() {
  return controls.ComboBox3 == distribution_natural_once;
}

}  // namespace

ControlForm::ControlForm(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(
      QStringLiteral("Mivrola - animation of various sorting  and shuffling algorithms"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // 8 pt sans serif at 96 dpi, narrowed: the captions were laid out for a narrow system font.
  QFont f(QStringLiteral("Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(11);
  f.setStretch(QFont::SemiCondensed);
  setFont(f);
  // Disabled captions must stay readable on the silver bands.
  QPalette p = palette();
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
  }
  p.setColor(QPalette::Disabled, QPalette::Light, QColor(255, 255, 255, 0));
  setPalette(p);
  setFixedSize(632, 453);

  for (QTimer* t : {&timer2_, &timer3_}) {
    t->setSingleShot(true);
    t->setInterval(rebuild_delay_ms);
    connect(t, &QTimer::timeout, this, &ControlForm::create_initial_set);
  }
  timer2_.setObjectName(QStringLiteral("Timer2"));
  timer3_.setObjectName(QStringLiteral("Timer3"));

  build_input_band();
  build_processing_band();
  build_output_band();
  build_representation_band();
  build_other_band();
}

// ---- Building blocks ------------------------------------------------------------------------

QFrame* ControlForm::add_band(int top, int height, const QString& caption, bool silver) {
  auto* band = new QFrame(this);
  band->setGeometry(0, top, width(), height);
  band->setFrameShape(QFrame::Panel);
  band->setFrameShadow(QFrame::Raised);
  band->setAutoFillBackground(true);
  QPalette p = band->palette();
  if (silver) p.setColor(QPalette::Window, QColor(192, 192, 192));
  band->setPalette(p);
  auto* title = new QLabel(caption, band);
  QFont bold = font();
  bold.setBold(true);
  title->setFont(bold);
  title->move(4, 1);
  title->adjustSize();
  band->lower();
  return band;
}

QLabel* ControlForm::add_label(const QString& text, int x, int y) {
  auto* label = new QLabel(text, this);
  label->move(x, y);
  label->adjustSize();
  return label;
}

void ControlForm::pass_keys(QWidget* control) {
  control->installEventFilter(this);
  if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit()) {
    combo->lineEdit()->installEventFilter(this);
  }
}

QCheckBox* ControlForm::add_check(const char* name, const QString& caption, int x, int y,
                                  bool checked, bool passes_keys) {
  auto* box = new QCheckBox(caption, this);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  box->move(x, y);
  box->adjustSize();
  named_[name] = box;
  if (passes_keys) pass_keys(box);
  return box;
}

template <class Write>
QCheckBox* ControlForm::add_flag(const char* name, const QString& caption, int x, int y,
                                 bool checked, Write write, bool passes_keys) {
  QCheckBox* box = add_check(name, caption, x, y, checked, passes_keys);
  connect(box, &QCheckBox::toggled, this, write);
  return box;
}

QSpinBox* ControlForm::add_spin(const char* name, int x, int y, int width, int minimum, int maximum,
                                int value, bool passes_keys) {
  auto* spin = new QSpinBox(this);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(minimum, maximum);
  spin->setValue(value);
  spin->setGeometry(x, y, width, spin->sizeHint().height());
  named_[name] = spin;
  if (passes_keys) pass_keys(spin);
  return spin;
}

QComboBox* ControlForm::add_list(const char* name, const QStringList& items, int x, int y,
                                 int width, int lines, bool passes_keys) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(QString::fromLatin1(name));
  combo->addItems(items);
  combo->setMaxVisibleItems(lines);
  combo->setGeometry(x, y, width, combo->sizeHint().height());
  named_[name] = combo;
  if (passes_keys) pass_keys(combo);
  return combo;
}

QButtonGroup* ControlForm::add_radio_group(const char* name, const QString& title,
                                           const QStringList& items, int columns, QRect geometry,
                                           int checked) {
  auto* box = new QGroupBox(title, this);
  box->setObjectName(QString::fromLatin1(name));
  QFont narrow = font();
  narrow.setStretch(QFont::Condensed);
  box->setFont(narrow);
  box->setGeometry(geometry);
  auto* layout = new QGridLayout(box);
  layout->setContentsMargins(2, 0, 1, 1);
  layout->setHorizontalSpacing(2);
  layout->setVerticalSpacing(0);
  auto* group = new QButtonGroup(box);
  group->setObjectName(QString::fromLatin1(name));
  const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
  for (int k = 0; k < items.size(); ++k) {
    auto* radio = new QRadioButton(items[k], box);
    radio->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(k));
    group->addButton(radio, k);
    layout->addWidget(radio, k % rows, k / rows);
  }
  if (QAbstractButton* b = group->button(checked)) b->setChecked(true);
  named_[name] = box;
  groups_[name] = group;
  return group;
}

QPushButton* ControlForm::add_button(const char* name, const QString& caption, QRect geometry,
                                     bool passes_keys) {
  auto* b = new QPushButton(caption, this);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(geometry);
  b->setAutoDefault(false);
  named_[name] = b;
  if (passes_keys) pass_keys(b);
  return b;
}

QCheckBox* ControlForm::check_box(const char* name) const {
  auto it = named_.find(name);
  return it == named_.end() ? nullptr : qobject_cast<QCheckBox*>(it->second);
}
QSpinBox* ControlForm::spin_edit(const char* name) const {
  auto it = named_.find(name);
  return it == named_.end() ? nullptr : qobject_cast<QSpinBox*>(it->second);
}
QComboBox* ControlForm::combo_box(const char* name) const {
  auto it = named_.find(name);
  return it == named_.end() ? nullptr : qobject_cast<QComboBox*>(it->second);
}
QButtonGroup* ControlForm::radio_group(const char* name) const {
  auto it = groups_.find(name);
  return it == groups_.end() ? nullptr : it->second;
}
QPushButton* ControlForm::button(const char* name) const {
  auto it = named_.find(name);
  return it == named_.end() ? nullptr : qobject_cast<QPushButton*>(it->second);
}

// ---- Bands ----------------------------------------------------------------------------------

void ControlForm::build_input_band() {
  add_band(0, 177, QStringLiteral("input: preparation of initial set for sorting / shuffling"),
           true);
  add_label(QStringLiteral("value creation for initial set"), 8, 16);
  QComboBox* distribution = add_list("ComboBox3", value_distribution_captions(), 8, 30, 452, 30);
  connect(distribution, &QComboBox::currentIndexChanged, this, &ControlForm::distribution_changed);
  add_label(QStringLiteral("structure of initial set"), 8, 52);
  QComboBox* structure = add_list("ComboBox2", structure_captions(), 8, 66, 452, 30);
  connect(structure, &QComboBox::currentIndexChanged, this, &ControlForm::structure_changed);

  QFont big = font();
  big.setPixelSize(16);
  add_label(QStringLiteral("columns"), 8, 95);
  columns_ = add_spin("SpinEdit2", 57, 90, 70, 2, 65535, 2);
  columns_->setFont(big);
  columns_->setFixedHeight(columns_->sizeHint().height());
  connect(columns_, &QSpinBox::valueChanged, this, &ControlForm::columns_changed);
  add_label(QStringLiteral("rows"), 132, 95);
  rows_ = add_spin("SpinEdit3", 158, 90, 62, 2, 65535, 2);
  connect(rows_, &QSpinBox::valueChanged, this, &ControlForm::rows_changed);
}

void ControlForm::build_processing_band() {
  add_band(176, 121, QStringLiteral("processing: sorting / shuffling algorithm"), false);

  QStringList captions;
  for (int i = 0; i < catalogue_size; ++i) {
    captions << QString::fromUtf8(catalogue_entry(i).caption);
  }
  algorithm_list_ = new QComboBox(this);
  algorithm_list_->setObjectName(QStringLiteral("ComboBox1"));
  QFont f = font();
  f.setPixelSize(12);
  algorithm_list_->setFont(f);
  algorithm_list_->setEditable(true);
  algorithm_list_->setInsertPolicy(QComboBox::NoInsert);
  algorithm_list_->addItems(captions);
  algorithm_list_->setMaxVisibleItems(18);
  algorithm_list_->setGeometry(8, 193, 617, algorithm_list_->sizeHint().height());
  // Typing filters the list to the captions that contain the typed text.
  auto* completer = new QCompleter(algorithm_list_->model(), algorithm_list_);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setFilterMode(Qt::MatchContains);
  completer->setCompletionMode(QCompleter::PopupCompletion);
  completer->setMaxVisibleItems(18);
  algorithm_list_->setCompleter(completer);
  connect(completer, QOverload<const QModelIndex&>::of(&QCompleter::activated), this, [this] {
    completed_just_now_ = true;
    QTimer::singleShot(0, this, [this] { completed_just_now_ = false; });
  });
  named_["ComboBox1"] = algorithm_list_;
  pass_keys(algorithm_list_);
  connect(algorithm_list_, &QComboBox::currentIndexChanged, this, &ControlForm::algorithm_changed);

  start_button_ =
      add_button("Button2", QStringLiteral("sorting / shuffling"), QRect(516, 218, 109, 40), true);
  QFont bold = font();
  bold.setBold(true);
  start_button_->setFont(bold);
  start_button_->setEnabled(false);
  connect(start_button_, &QPushButton::clicked, this, &ControlForm::start_processing);

  add_flag("CheckBox17", QStringLiteral("optional swaps"), 404, 216, false,
           [](bool on) { settings.optional_swaps = on; });
  add_flag("CheckBox22", QStringLiteral("stable comparings"), 404, 233, true,
           [](bool on) { settings.stable_comparings_checked = on; });

  add_label(QStringLiteral("brake factor"), 404, 250);
  brake_ = add_spin("SpinEdit1", 404, 263, 70, 0, brake_factor_max, 0);
  QFont big = font();
  big.setPixelSize(16);
  brake_->setFont(big);
  brake_->setGeometry(404, 263, 70, std::min(brake_->sizeHint().height(), 297 - 263 - 1));
  connect(brake_, &QSpinBox::valueChanged, this, [](int v) { settings.brake_factor = v; });
}

void ControlForm::build_output_band() {
  add_band(296, 42, QStringLiteral("output: results of sorting / shuffling"), true);
  add_flag("CheckBox14", QStringLiteral("show comparisons, movings, and swappings number"), 8, 316,
           true, [](bool on) { controls.CheckBox14 = on; });
  add_flag("CheckBox2", QStringLiteral("show stability"), 280, 300, true, [](bool on) {
    controls.CheckBox2 = on;
  })->setEnabled(false);
  add_flag("CheckBox5", QStringLiteral("show loops number"), 368, 300, true, [](bool on) {
    controls.CheckBox5 = on;
  })->setEnabled(false);
  add_flag("CheckBox11", QStringLiteral("show prozess duration"), 368, 316, true,
           [](bool on) { controls.CheckBox11 = on; });
  add_flag("CheckBox1", QStringLiteral("processing end beep"), 500, 300, false,
           [](bool on) { controls.CheckBox1 = on; });
  add_flag("CheckBox18", QStringLiteral("show threads number"), 500, 316, true,
           [](bool on) { controls.CheckBox18 = on; });
}

void ControlForm::build_representation_band() {
  add_band(337, 69, QStringLiteral("representation"), false);
  QCheckBox* zoomable =
      add_check("CheckBox28", QStringLiteral("zoomable columns"), 8, 353, false, false);
  zoomable->setEnabled(false);
  connect(zoomable, &QCheckBox::toggled, this, [this](bool on) {
    controls.CheckBox28 = on;
    zoomable_clicked();
  });
  add_flag("CheckBox24", QStringLiteral("correct movings"), 8, 369, false,
           [](bool on) { settings.correct_movings = on; });
  add_flag("CheckBox15", QStringLiteral("colorize comparisons"), 8, 385, false,
           [](bool on) { settings.colorize_comparisons = on; });

  // The radio groups share the band's right part, left to right, each as wide as it needs.
  const int top = 338, height = 66;
  QButtonGroup* background = add_radio_group("RadioGroup1", QStringLiteral("background"),
                                             {QStringLiteral("white"), QStringLiteral("black")}, 1,
                                             QRect(0, top, 0, height), 0);
  connect(background, &QButtonGroup::idClicked, this, [this](int id) {
    settings.background = static_cast<Background>(id);
    create_initial_set();
  });
  QButtonGroup* gradient =
      add_radio_group("RadioGroup5", QStringLiteral("color gradient"),
                      {QStringLiteral("initial set"), QStringLiteral("target set")}, 1,
                      QRect(0, top, 0, height), 0);
  connect(gradient, &QButtonGroup::idClicked, this, [this](int id) {
    controls.RadioGroup5 = id;
    create_initial_set();
  });
  QButtonGroup* line_set = add_radio_group(
      "RadioGroup4", QStringLiteral("line set"),
      {QStringLiteral("monochrome"), QStringLiteral("two-tone (red-blue)"),
       QStringLiteral("tri-colour (red-gr.-bl.)"), QStringLiteral("tri-col. (colour circle)")},
      2, QRect(0, top, 0, height), 2);
  connect(line_set, &QButtonGroup::idClicked, this, [this](int id) {
    settings.line_set = static_cast<LineSet>(id);
    named_["RadioGroup5"]->setEnabled(id != 0);
    create_initial_set();
  });
  QButtonGroup* cursor =
      add_radio_group("RadioGroup2", QStringLiteral("process. mouse cursor"),
                      {QStringLiteral("no/invisible/hidden"), QStringLiteral("background workg.")},
                      1, QRect(0, top, 0, height), 1);
  connect(cursor, &QButtonGroup::idClicked, this, [](int id) { controls.RadioGroup2 = id; });
  const char* const order[] = {"RadioGroup1", "RadioGroup5", "RadioGroup4", "RadioGroup2"};
  const int left = 140, right = width() - 2, gap = 2;
  int wanted = 0;
  for (const char* name : order) wanted += named_[name]->sizeHint().width() + gap;
  // Wider system fonts squeeze the groups rather than push them off the form.
  const double scale = std::min(1.0, double(right - left) / wanted);
  int x = left;
  for (const char* name : order) {
    QWidget* box = named_[name];
    const int w = static_cast<int>(box->sizeHint().width() * scale);
    box->setGeometry(x, top, w, height);
    x += w + gap;
  }
}

void ControlForm::build_other_band() {
  add_band(405, 48, QStringLiteral("other"), true);
  add_flag("CheckBox7",
           QStringLiteral("after processing break instantly return to start set and this form"),
           130, 412, false, [](bool on) { controls.CheckBox7 = on; });
  add_flag("CheckBox8",
           QStringLiteral("after processing end instantly return to start set and this form"), 130,
           430, false, [](bool on) { controls.CheckBox8 = on; });
  QPushButton* hide_form =
      add_button("Button1", QStringLiteral("hide this form"), QRect(552, 411, 74, 18), false);
  connect(hide_form, &QPushButton::clicked, this, &QWidget::hide);
}

// ---- Start-up and values --------------------------------------------------------------------

void ControlForm::start_up() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QSize s = screen ? screen->geometry().size() : QSize(640, 480);
  set_first_start_defaults(s.width(), s.height(), s.width(), s.height());
  show_values();
  restore_algorithm_text();
  refresh_start_button();
  algorithm_enabling();
  whole_screen_rule();
  if (controls.CheckBox19) {
    random_seed =
        static_cast<uint32_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  }
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
  move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
  ready_ = true;
}

void ControlForm::set_quietly(QSpinBox* spin, int value) {
  const QSignalBlocker block(spin);
  spin->setValue(value);
}

void ControlForm::show_values() {
  const QSignalBlocker b1(algorithm_list_);
  algorithm_list_->setCurrentIndex(controls.ComboBox1);
  {
    const QSignalBlocker b(combo_box("ComboBox3"));
    combo_box("ComboBox3")->setCurrentIndex(controls.ComboBox3);
  }
  {
    const QSignalBlocker b(combo_box("ComboBox2"));
    combo_box("ComboBox2")->setCurrentIndex(controls.ComboBox2);
  }
  columns_->setMaximum(controls.SpinEdit2_max);
  rows_->setMaximum(controls.SpinEdit3_max);
  set_quietly(columns_, settings.columns);
  set_quietly(rows_, settings.rows);
  set_quietly(brake_, settings.brake_factor);
  const std::pair<const char*, bool> flags[] = {
      {"CheckBox1", controls.CheckBox1},
      {"CheckBox2", controls.CheckBox2},
      {"CheckBox5", controls.CheckBox5},
      {"CheckBox7", controls.CheckBox7},
      {"CheckBox8", controls.CheckBox8},
      {"CheckBox11", controls.CheckBox11},
      {"CheckBox14", controls.CheckBox14},
      {"CheckBox15", settings.colorize_comparisons},
      {"CheckBox17", settings.optional_swaps},
      {"CheckBox18", controls.CheckBox18},
      {"CheckBox22", settings.stable_comparings_checked},
      {"CheckBox24", settings.correct_movings},
      {"CheckBox28", controls.CheckBox28},
  };
  for (const auto& [name, on] : flags) {
    QCheckBox* box = check_box(name);
    const QSignalBlocker b(box);
    box->setChecked(on);
  }
  check_box("CheckBox28")->setEnabled(controls.CheckBox28_enabled);
  const std::pair<const char*, int> choices[] = {
      {"RadioGroup1", static_cast<int>(settings.background.load())},
      {"RadioGroup2", controls.RadioGroup2},
      {"RadioGroup4", static_cast<int>(settings.line_set.load())},
      {"RadioGroup5", controls.RadioGroup5},
  };
  for (const auto& [name, id] : choices) {
    if (QAbstractButton* b = radio_group(name)->button(id)) b->setChecked(true);
  }
  named_["RadioGroup5"]->setEnabled(settings.line_set.load() != LineSet::monochrome);
}

void ControlForm::show_columns_and_rows() {
  columns_->setMaximum(std::max(controls.SpinEdit2_max, 2));
  rows_->setMaximum(std::max(controls.SpinEdit3_max, 2));
  set_quietly(columns_, settings.columns);
  set_quietly(rows_, settings.rows);
  column_bounds_rule();
  whole_screen_rule();
}

// ---- Building the set -----------------------------------------------------------------------

void ControlForm::create_initial_set() {
  timer2_.stop();
  timer3_.stop();
  if (!ready_ || !display_) {
    refresh_start_button();
    show();
    return;
  }
  CreateInitialSet();
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

// ---- Rules ----------------------------------------------------------------------------------

void ControlForm::columns_changed(int value) {
  settings.columns = value;
  recompute_column_defaults(value);
  if (columns_->hasFocus()) {
    if (natural_once()) {
      settings.rows = std::min(value, controls.SpinEdit3_max);
      set_quietly(rows_, settings.rows);
      controls.SpinEdit7_max = controls.SpinEdit7 = settings.rows;
    }
    timer2_.start();
  }
  column_bounds_rule();
  whole_screen_rule();
}

void ControlForm::rows_changed(int value) {
  settings.rows = value;
  if (rows_->hasFocus()) {
    if (natural_once()) {
      settings.columns = std::min(value, controls.SpinEdit2_max);
      set_quietly(columns_, settings.columns);
      recompute_column_defaults(settings.columns);
      column_bounds_rule();
      controls.SpinEdit7_max = controls.SpinEdit7 = value;
    } else {
      controls.SpinEdit7_max = value + (controls.CheckBox16 ? 1 : 0);
      if (controls.SpinEdit7 > controls.SpinEdit7_max || n_distinct_equals_rows_) {
        controls.SpinEdit7 = std::min(value, controls.SpinEdit7_max);
      }
    }
    timer3_.start();
  }
  whole_screen_rule();
}

void ControlForm::column_bounds_rule() {
  const int n = settings.columns;
  ControlValues& c = controls;
  c.SpinEdit5_max = std::max(1, n / 3);
  c.SpinEdit5 = std::clamp(c.SpinEdit5, 1, c.SpinEdit5_max);
  c.SpinEdit6_max = n;
  c.SpinEdit6 = n / 2;
  c.SpinEdit8 = std::clamp(c.SpinEdit8, -n, n);
  c.SpinEdit10 = std::clamp(c.SpinEdit10, 0, n / 2);
}

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

void ControlForm::screen_bounds_rule(bool rebuild) {
  if (!display_) return;
  const QSize screen = display_->screen_rect().size();
  const int bordered_w = std::max<int>(display_->screen_client_width, 2);
  const int bordered_h = std::max<int>(display_->screen_client_height, 2);
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
  settings.columns = columns;
  settings.rows = rows;
  recompute_column_defaults(columns);
  if (n_distinct_at_max || natural_once()) {
    controls.SpinEdit7_max = rows + (controls.CheckBox16 && !natural_once() ? 1 : 0);
    controls.SpinEdit7 = natural_once() ? rows : controls.SpinEdit7_max;
  } else {
    controls.SpinEdit7_max = rows + (controls.CheckBox16 ? 1 : 0);
    controls.SpinEdit7 = std::min(controls.SpinEdit7, controls.SpinEdit7_max);
  }
  show_columns_and_rows();
  if (rebuild || columns != old_columns || rows != old_rows) create_initial_set();
}

void ControlForm::structure_changed(int index) {
  controls.ComboBox2 = std::max(index, 0);
  screen_bounds_rule(true);
}

void ControlForm::distribution_changed(int index) {
  controls.ComboBox3 = std::max(index, 0);
  algorithm_enabling();
  controls.CheckBox16 = natural_once() ? false : controls.maximaler_Wertebereich;
  screen_bounds_rule(true);
}

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
  const bool distribution_ok = !natural_once();
  auto enable = [&](const char* name, bool on) {
    if (QWidget* w = named_.count(name) ? named_[name] : nullptr) w->setEnabled(on);
  };
  enable("CheckBox15", control_enabled_for(AlgorithmControl::colorize_and_optional_swaps, index));
  enable("CheckBox17", control_enabled_for(AlgorithmControl::colorize_and_optional_swaps, index));
  enable("CheckBox18", control_enabled_for(AlgorithmControl::show_threads, index));
  enable("CheckBox24", control_enabled_for(AlgorithmControl::correct_movings, index));
  enable("CheckBox5", control_enabled_for(AlgorithmControl::show_loops, index));
  enable("CheckBox2",
         distribution_ok && control_enabled_for(AlgorithmControl::show_stability, index));
  const bool stable_comparings =
      distribution_ok && control_enabled_for(AlgorithmControl::stable_comparings, index);
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
  start_button_->setEnabled(index >= 0 && index < catalogue_size && index != separator_index &&
                            is_implemented(index));
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
    settings.columns = std::clamp(display_->width(), 2, controls.SpinEdit2_max);
    recompute_column_defaults(settings.columns);
  }
  create_initial_set();
}

void ControlForm::restore_algorithm_text() {
  const int index = algorithm_list_->currentIndex();
  algorithm_list_->setEditText(index < 0 ? QString::fromLatin1(no_algorithm_text)
                                         : algorithm_list_->itemText(index));
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
  set_quietly(rows_, rows);
  if (controls.SpinEdit7 == old_rows || controls.SpinEdit7 > rows) {
    controls.SpinEdit7_max = rows + (controls.CheckBox16 ? 1 : 0);
    controls.SpinEdit7 = rows;
  }
  whole_screen_rule();
}

void ControlForm::take_columns_from_display(int columns) {
  columns = std::clamp(columns, 2, std::max(controls.SpinEdit2_max, 2));
  settings.columns = columns;
  set_quietly(columns_, columns);
  recompute_column_defaults(columns);
  column_bounds_rule();
  whole_screen_rule();
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

// ---- Running --------------------------------------------------------------------------------

void ControlForm::start_processing() {
  if (!start_button_->isEnabled() || processing_active || closing_) return;
  run_algorithm();
}

// ---- Keys and closing -----------------------------------------------------------------------

bool ControlForm::eventFilter(QObject* watched, QEvent* event) {
  if (!algorithm_list_ || !start_button_) return QWidget::eventFilter(watched, event);
  // The combo box has the focus and hands keys to its line edit directly.
  const bool on_algorithm_list =
      watched == algorithm_list_ || watched == algorithm_list_->lineEdit();
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (completed_just_now_) return false;
        if (algorithm_list_->completer()->popup()->isVisible()) return false;
        if (start_button_->isEnabled()) {
          if (on_algorithm_list) restore_algorithm_text();
          start_processing();
        }
        return true;
      case Qt::Key_Escape:
        if (algorithm_list_->completer()->popup()->isVisible()) return false;
        close();
        return true;
      default:
        // Typing over the shown caption (or the request to select one) starts a search.
        if (on_algorithm_list && !key->text().isEmpty() && key->text().at(0).isPrint()) {
          QLineEdit* edit = algorithm_list_->lineEdit();
          const int index = algorithm_list_->currentIndex();
          const QString shown =
              index < 0 ? QString::fromLatin1(no_algorithm_text) : algorithm_list_->itemText(index);
          if (edit->text() == shown) edit->selectAll();
        }
        break;
    }
  } else if (event->type() == QEvent::FocusIn && on_algorithm_list) {
    // Typing replaces the shown caption: it starts a search.
    QTimer::singleShot(0, algorithm_list_->lineEdit(), &QLineEdit::selectAll);
  } else if (event->type() == QEvent::FocusOut && on_algorithm_list) {
    // Typed text that selected nothing gives way to the current selection again.
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      restore_algorithm_text();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ControlForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    start_processing();
  } else if (event->key() == Qt::Key_Escape) {
    close();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void ControlForm::closeEvent(QCloseEvent* event) {
  break_off = true;
  closing_ = true;
  event->accept();
  if (display_) display_->hide();
  QCoreApplication::quit();
}

}  // namespace mv::ui

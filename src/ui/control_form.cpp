// The control form's controls, band by band, its keys and its closing. The rules, the values
// shown and the options file are in control_rules.cpp; the help texts in control_help.cpp.
#include "ui/control_form.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "display/display_form.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/run_driver.h"
#include "engine/settings.h"
#include "ui/item_captions.h"

namespace mv::ui {

namespace {

constexpr int rebuild_delay_ms = 150;
constexpr int check_box_height = 17;

}  // namespace

// ---- Spin edits -----------------------------------------------------------------------------

QValidator::State SpinEdit::validate(QString& text, int& pos) const {
  const QValidator::State state = QSpinBox::validate(text, pos);
  if (state != QValidator::Invalid) return state;
  // Any whole number may be typed, and a sign to begin one; leaving the control brings it into
  // the bounds.
  const QString t = text.trimmed();
  if (t == u'-' || t == u'+') return QValidator::Intermediate;
  bool ok = false;
  t.toLongLong(&ok);
  return ok ? QValidator::Intermediate : QValidator::Invalid;
}

void SpinEdit::fixup(QString& text) const {
  bool ok = false;
  const long long v = text.trimmed().toLongLong(&ok);
  if (ok) {
    text = QString::number(std::clamp<long long>(v, minimum(), maximum()));
  } else {
    QSpinBox::fixup(text);
  }
}

// ---- The form -------------------------------------------------------------------------------

ControlForm::ControlForm(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(
      QStringLiteral("Mivrola - animation of various sorting  and shuffling algorithms"));
  set_context_help(false);
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

  for (int k = 2; k <= 10; ++k) {
    QTimer& t = timers_[k];
    t.setObjectName(QStringLiteral("Timer%1").arg(k));
    t.setSingleShot(true);
    t.setInterval(rebuild_delay_ms);
  }
  for (int k : {2, 3, 4, 7, 8}) {
    connect(&timers_[k], &QTimer::timeout, this, &ControlForm::create_initial_set);
  }
  // These rebuild only while their spin edit is still being edited.
  for (int k : {5, 6, 9}) {
    connect(&timers_[k], &QTimer::timeout, this, [this, k] {
      if (spin_edit(("SpinEdit" + std::to_string(k)).c_str())->hasFocus()) create_initial_set();
    });
  }

  build_input_band();
  build_processing_band();
  build_output_band();
  build_representation_band();
  build_other_band();
  add_run_aid_boxes();
  attach_help();
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

QLabel* ControlForm::add_label(const char* name, const QString& text, int x, int y, int right) {
  auto* label = new QLabel(text, this);
  label->setObjectName(QString::fromLatin1(name));
  label->adjustSize();
  if (right > 0) {
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    x = right - label->width();
  }
  label->move(x, y);
  named_[name] = label;
  return label;
}

void ControlForm::pass_keys(QWidget* control) {
  control->installEventFilter(this);
  key_passers_.insert(control);
  if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit()) {
    combo->lineEdit()->installEventFilter(this);
    key_passers_.insert(combo->lineEdit());
  }
}

void ControlForm::swallow_keys(QWidget* control) {
  control->installEventFilter(this);
  key_swallowers_.insert(control);
}

void ControlForm::fit_before(QWidget* widget, int right) {
  for (int stretch : {QFont::Condensed, QFont::ExtraCondensed}) {
    if (widget->x() + widget->width() <= right) return;
    QFont f = widget->font();
    f.setStretch(stretch);
    widget->setFont(f);
    widget->resize(widget->sizeHint().width(), widget->height());
  }
  if (widget->x() + widget->width() > right) {
    widget->resize(std::max(right - widget->x(), 0), widget->height());
  }
}

QCheckBox* ControlForm::add_check(const char* name, const QString& caption, int x, int y,
                                  bool checked, bool passes_keys) {
  auto* box = new QCheckBox(caption, this);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  box->setGeometry(x, y, box->sizeHint().width(),
                   std::min(box->sizeHint().height(), check_box_height));
  named_[name] = box;
  if (passes_keys) {
    pass_keys(box);
  } else {
    swallow_keys(box);
  }
  return box;
}

template <class Write>
QCheckBox* ControlForm::add_flag(const char* name, const QString& caption, int x, int y,
                                 bool checked, Write write, bool passes_keys) {
  QCheckBox* box = add_check(name, caption, x, y, checked, passes_keys);
  connect(box, &QCheckBox::toggled, this, write);
  return box;
}

SpinEdit* ControlForm::add_spin(const char* name, int x, int y, int width, int minimum, int maximum,
                                int value, bool passes_keys) {
  auto* spin = new SpinEdit(this);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(minimum, maximum);
  spin->setValue(value);
  spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  spin->setGeometry(x, y, width, spin->sizeHint().height());
  named_[name] = spin;
  if (passes_keys) {
    pass_keys(spin);
  } else {
    swallow_keys(spin);
  }
  return spin;
}

SpinEdit* ControlForm::add_timed_spin(const char* name, int ControlValues::*field, int x, int y,
                                      int minimum, int maximum, int value, bool passes_keys) {
  SpinEdit* spin = add_spin(name, x, y, 61, minimum, maximum, value, passes_keys);
  // The timer's number is the spin edit's.
  const int timer_number = std::atoi(name + std::strlen("SpinEdit"));
  connect(spin, &QSpinBox::valueChanged, this, [this, field, timer_number](int v) {
    controls.*field = v;
    if (!loading_) restart(timer_number);
  });
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
  if (passes_keys) {
    pass_keys(combo);
  } else {
    swallow_keys(combo);
  }
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
    swallow_keys(radio);
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
  if (passes_keys) {
    pass_keys(b);
  } else {
    swallow_keys(b);
  }
  return b;
}

QWidget* ControlForm::control(const char* name) const {
  auto it = named_.find(name);
  return it == named_.end() ? nullptr : it->second;
}
QCheckBox* ControlForm::check_box(const char* name) const {
  return qobject_cast<QCheckBox*>(control(name));
}
QSpinBox* ControlForm::spin_edit(const char* name) const {
  return qobject_cast<QSpinBox*>(control(name));
}
QComboBox* ControlForm::combo_box(const char* name) const {
  return qobject_cast<QComboBox*>(control(name));
}
QPushButton* ControlForm::button(const char* name) const {
  return qobject_cast<QPushButton*>(control(name));
}
QLabel* ControlForm::label(const char* name) const {
  return qobject_cast<QLabel*>(control(name));
}
QButtonGroup* ControlForm::radio_group(const char* name) const {
  auto it = groups_.find(name);
  return it == groups_.end() ? nullptr : it->second;
}
QTimer* ControlForm::timer(int number) {
  return number >= 2 && number <= 10 ? &timers_[number] : nullptr;
}

void ControlForm::enable(const char* name, bool on) {
  if (QWidget* w = control(name)) w->setEnabled(on);
}

void ControlForm::show_control(const char* name, bool on) {
  if (QWidget* w = control(name)) w->setVisible(on);
}

// ---- Bands ----------------------------------------------------------------------------------

void ControlForm::build_input_band() {
  add_band(0, 177, QStringLiteral("input: preparation of initial set for sorting / shuffling"),
           true);
  QFont big = font();
  big.setPixelSize(16);

  // Left: value creation, structure, columns, rows, rotation, n distinct.
  add_label("Label_ComboBox3", QStringLiteral("value creation for initial set"), 8, 16);
  QComboBox* distribution = add_list("ComboBox3", value_distribution_captions(), 8, 30, 452, 30);
  connect(distribution, &QComboBox::currentIndexChanged, this, &ControlForm::distribution_changed);
  add_label("Label_ComboBox2", QStringLiteral("structure of initial set"), 8, 52);
  QComboBox* structure = add_list("ComboBox2", structure_captions(), 8, 66, 452, 30);
  connect(structure, &QComboBox::currentIndexChanged, this, &ControlForm::structure_changed);

  add_label("Label_SpinEdit2", QStringLiteral("columns"), 8, 95);
  columns_ = add_spin("SpinEdit2", 57, 90, 70, 2, 65535, 2);
  columns_->setFont(big);
  columns_->setFixedHeight(columns_->sizeHint().height());
  connect(columns_, &QSpinBox::valueChanged, this, &ControlForm::columns_changed);
  add_label("Label_SpinEdit3", QStringLiteral("rows"), 132, 95);
  rows_ = add_spin("SpinEdit3", 158, 90, 62, 2, 65535, 2);
  connect(rows_, &QSpinBox::valueChanged, this, &ControlForm::rows_changed);

  // A click on "rotation" toggles "click onto form", as a click on that box's own text does.
  QLabel* rotation_label = add_label("Label_SpinEdit8", QStringLiteral("rotation"), 0, 95, 275);
  rotation_label->installEventFilter(this);
  QSpinBox* rotation = add_spin("SpinEdit8", 277, 90, 62, -65535, 65535, 0);
  connect(rotation, &QSpinBox::valueChanged, this, [this, rotation](int v) {
    if (!rotation->hasFocus() || loading_) return;
    controls.SpinEdit8 = v;
    restart(8);
  });
  add_label("Label_SpinEdit7", QStringLiteral("n distinct\nelements"), 0, 88, 397);
  QSpinBox* n_distinct = add_spin("SpinEdit7", 399, 90, 61, 1, 65535, 1);
  connect(n_distinct, &QSpinBox::valueChanged, this, &ControlForm::n_distinct_changed);

  // Window and range switches.
  QCheckBox* bordered = add_flag("CheckBox3", QStringLiteral("always window/bordered mode"), 8, 122,
                                 false, [](bool on) { controls.CheckBox3 = on; });
  connect(bordered, &QCheckBox::clicked, this, [this] { screen_bounds_rule(false); });
  whole_screen_box_ =
      add_check("CheckBox12", QStringLiteral("use whole/complete screen"), 8, 140, true);
  whole_screen_box_->setTristate(true);
  connect(whole_screen_box_, &QCheckBox::clicked, this, &ControlForm::whole_screen_clicked);
  QCheckBox* range = add_flag("CheckBox16", QStringLiteral("maximum range of values/codomain"), 8,
                              156, false, [](bool on) { controls.CheckBox16 = on; });
  connect(range, &QCheckBox::clicked, this, &ControlForm::maximum_range_clicked);
  for (const char* name : {"CheckBox3", "CheckBox12", "CheckBox16"}) {
    fit_before(control(name), 198);
  }

  add_flag("CheckBox19", QStringLiteral("initialize random generator"), 200, 122, true,
           [](bool on) { controls.CheckBox19 = on; });
  QCheckBox* reverse1 =
      add_flag("CheckBox4", QStringLiteral("1st start reverse (befor.poss. presort.)"), 200, 140,
               false, [](bool on) { controls.CheckBox4 = on; });
  connect(reverse1, &QCheckBox::clicked, this, &ControlForm::create_initial_set);
  QCheckBox* reverse2 =
      add_flag("CheckBox6", QStringLiteral("2nd start reverse (after poss. presort.)"), 200, 156,
               false, [](bool on) { controls.CheckBox6 = on; });
  connect(reverse2, &QCheckBox::clicked, this, &ControlForm::create_initial_set);
  for (const char* name : {"CheckBox19", "CheckBox4", "CheckBox6"}) {
    fit_before(control(name), 397);
  }

  QCheckBox* exact = add_flag(
      "CheckBox27", QStringLiteral("exact structure"), 399, 120, true,
      [](bool on) { controls.CheckBox27 = on; }, false);
  connect(exact, &QCheckBox::clicked, this, &ControlForm::create_initial_set);
  fit_before(exact, 512);
  QCheckBox* maximum = add_check("CheckBox26", QStringLiteral("maximum"), 399, 136, false);
  connect(maximum, &QCheckBox::clicked, this, &ControlForm::maximum_clicked);
  fit_before(maximum, 478);
  add_flag("CheckBox25", QString(), 399, 153, true, [](bool on) { controls.CheckBox25 = on; });
  QLabel* click_text = add_label("StaticText1", QStringLiteral("click onto\nform"), 416, 151);
  click_text->installEventFilter(this);

  // Right: presorting and its inputs. Only one input shows at each of the shared places.
  add_label("Label_ComboBox4", QStringLiteral("presorting / -shuffling of initial set"), 0, 2, 625);
  fit_before(control("Label_ComboBox4"), 630);
  QComboBox* presorting = add_list("ComboBox4", presorting_captions(), 464, 16, 161, 32);
  connect(presorting, &QComboBox::currentIndexChanged, this, &ControlForm::presorting_changed);

  add_label("Label_SpinEdit4", QStringLiteral("number of pre-\nsorting loops"), 0, 38, 562);
  add_timed_spin("SpinEdit4", &ControlValues::SpinEdit4, 564, 40, 0, 2147483647, 1);
  add_label("Label_SpinEdit10", QStringLiteral("number of\nswitched pairs"), 0, 38, 562);
  QSpinBox* pairs = add_timed_spin("SpinEdit10", &ControlValues::SpinEdit10, 564, 40, 0, 65535, 1);
  connect(pairs, &QSpinBox::valueChanged, this, [this, pairs] {
    if (!loading_ && pairs->hasFocus()) create_initial_set();
  });
  add_label("Label_SpinEdit6", QStringLiteral("approximate size\nof sorted or\nshuffled subset"), 0,
            66, 562);
  add_timed_spin("SpinEdit6", &ControlValues::SpinEdit6, 564, 74, 0, 65535, 0, false);
  add_label("Label_SpinEdit9", QStringLiteral("maximum re-\ncursion depth"), 0, 68, 562);
  add_timed_spin("SpinEdit9", &ControlValues::SpinEdit9, 564, 72, 0, 65535, 1);
  add_label("Label_SpinEdit5", QStringLiteral("number of\nsubsets"), 0, 106, 562);
  add_timed_spin("SpinEdit5", &ControlValues::SpinEdit5, 564, 108, 1, 65535, 2);
  for (const char* name : {"SpinEdit4", "Label_SpinEdit4", "SpinEdit5", "Label_SpinEdit5"}) {
    enable(name, false);
  }
  show_control("SpinEdit9", false);
  show_control("Label_SpinEdit9", false);
  show_control("SpinEdit10", false);
  show_control("Label_SpinEdit10", false);

  QButtonGroup* arrangement = add_radio_group(
      "RadioGroup6", QStringLiteral("subsets arrangement"),
      {QStringLiteral("increasing"), QStringLiteral("random")}, 2, QRect(480, 140, 145, 35), 0);
  enable("RadioGroup6", false);
  connect(arrangement, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (!on) return;
    controls.RadioGroup6 = id;
    create_initial_set();
  });
}

void ControlForm::build_processing_band() {
  add_band(176, 121, QStringLiteral("processing: sorting / shuffling algorithm"), false);

  algorithm_list_ = new QComboBox(this);
  algorithm_list_->setObjectName(QStringLiteral("ComboBox1"));
  QFont f = font();
  f.setPixelSize(12);
  algorithm_list_->setFont(f);
  algorithm_list_->setEditable(true);
  algorithm_list_->setInsertPolicy(QComboBox::NoInsert);
  algorithm_list_->addItems(algorithm_list_captions());
  algorithm_list_->setMaxVisibleItems(18);
  algorithm_list_->setGeometry(8, 193, 617, algorithm_list_->sizeHint().height());
  // Typing filters the list (AlgorithmFilter) in a popup; Enter or a click there chooses.
  algorithm_filter_ = new AlgorithmFilter(algorithm_list_);
  algorithm_filter_->setSourceModel(algorithm_list_->model());
  auto* completer = new QCompleter(algorithm_filter_, algorithm_list_);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  completer->setMaxVisibleItems(18);
  algorithm_list_->setCompleter(completer);
  // The completer filters the popup's keys first; this filter, installed after it, sees Enter
  // before it does.
  completer->popup()->installEventFilter(this);
  connect(completer, QOverload<const QModelIndex&>::of(&QCompleter::activated), this,
          [this](const QModelIndex& shown) { choose_algorithm(list_row_of(shown)); });
  connect(algorithm_list_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
    // Typed text names no entry until one is chosen: the start button waits for that.
    searching_ = true;
    algorithm_filter_->set_text(text);
    refresh_start_button();
  });
  named_["ComboBox1"] = algorithm_list_;
  pass_keys(algorithm_list_);
  connect(algorithm_list_, &QComboBox::currentIndexChanged, this, &ControlForm::algorithm_changed);

  add_label("Label_ComboBox5", QStringLiteral("algorithm for block swapping / array rotation"), 8,
            220);
  QComboBox* block_swapping =
      add_list("ComboBox5", block_swapping_captions(), 8, 234, 385, 15, false);
  connect(block_swapping, &QComboBox::currentIndexChanged, this,
          [](int index) { settings.block_swap_method = std::max(index, 0); });
  add_flag("CheckBox23", QStringLiteral("quick block swapping"), 7, 261, false,
           [](bool on) { settings.quick_block_swapping = on; });

  add_label("Label_enforce_stability", QStringLiteral("enforce stability:"), 0, 272, 278);
  add_flag("CheckBox20", QStringLiteral("locally"), 280, 270, false,
           [](bool on) { controls.CheckBox20 = on; });
  fit_before(control("CheckBox20"), 334);
  add_flag("CheckBox21", QStringLiteral("globally"), 336, 270, false,
           [](bool on) { controls.CheckBox21 = on; });
  fit_before(control("CheckBox21"), 402);
  for (const char* name : {"ComboBox5", "Label_ComboBox5", "CheckBox23", "CheckBox20", "CheckBox21",
                           "Label_enforce_stability"}) {
    enable(name, false);
  }

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

  add_label("Label_SpinEdit1", QStringLiteral("brake factor"), 404, 250);
  brake_ = add_spin("SpinEdit1", 404, 263, 70, 0, brake_factor_max, 0);
  QFont big = font();
  big.setPixelSize(16);
  brake_->setFont(big);
  brake_->setGeometry(404, 263, 70, std::min(brake_->sizeHint().height(), 297 - 263 - 1));
  connect(brake_, &QSpinBox::valueChanged, this, [](int v) { settings.brake_factor = v; });

  QButtonGroup* simultaneous = add_radio_group(
      "RadioGroup8", QStringLiteral("simultaneous sorting"),
      {QStringLiteral("mode 1"), QStringLiteral("mode 2")}, 2, QRect(488, 259, 137, 35), 0);
  enable("RadioGroup8", false);
  connect(simultaneous, &QButtonGroup::idToggled, this, [](int id, bool on) {
    if (on) controls.RadioGroup8 = id;
  });
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
  build_compare_button();
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
  connect(background, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (!on) return;
    settings.background = static_cast<Background>(id);
    create_initial_set();
  });
  QButtonGroup* gradient =
      add_radio_group("RadioGroup5", QStringLiteral("color gradient"),
                      {QStringLiteral("initial set"), QStringLiteral("target set")}, 1,
                      QRect(0, top, 0, height), 0);
  connect(gradient, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (!on) return;
    controls.RadioGroup5 = id;
    create_initial_set();
  });
  QButtonGroup* line_set = add_radio_group(
      "RadioGroup4", QStringLiteral("line set"),
      {QStringLiteral("monochrome"), QStringLiteral("two-tone (red-blue)"),
       QStringLiteral("tri-colour (red-gr.-bl.)"), QStringLiteral("tri-col. (colour circle)")},
      2, QRect(0, top, 0, height), 2);
  connect(line_set, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (!on) return;
    settings.line_set = static_cast<LineSet>(id);
    enable("RadioGroup5", id != 0);
    create_initial_set();
  });
  QButtonGroup* cursor =
      add_radio_group("RadioGroup2", QStringLiteral("process. mouse cursor"),
                      {QStringLiteral("no/invisible/hidden"), QStringLiteral("background workg.")},
                      1, QRect(0, top, 0, height), 1);
  connect(cursor, &QButtonGroup::idToggled, this, [](int id, bool on) {
    if (on) controls.RadioGroup2 = id;
  });
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
  add_flag("CheckBox13", QStringLiteral("context sensitive help"), 8, 430, false,
           [this](bool on) { set_context_help(on); });
  fit_before(control("CheckBox13"), 109);  // the "?" button follows it
  add_flag("CheckBox7",
           QStringLiteral("after processing break instantly return to start set and this form"),
           130, 412, false, [](bool on) { controls.CheckBox7 = on; });
  add_flag("CheckBox8",
           QStringLiteral("after processing end instantly return to start set and this form"), 130,
           430, false, [](bool on) { controls.CheckBox8 = on; });
  fit_before(control("CheckBox7"), 440);
  fit_before(control("CheckBox8"), 440);
  QCheckBox* parameter_input = add_flag("CheckBox10", QStringLiteral("parameter input"), 442, 412,
                                        true, [](bool on) { controls.CheckBox10 = on; });
  connect(parameter_input, &QCheckBox::clicked, this, [] {
    recompute_column_defaults(settings.columns);
    controls.SpinEdit9 = recursion_depth_for(settings.columns);
  });
  fit_before(parameter_input, 550);
  add_flag("CheckBox9", QStringLiteral("save and load options automatically"), 442, 430, false,
           [](bool on) { controls.CheckBox9 = on; });
  fit_before(control("CheckBox9"), 630);
  QPushButton* hide_form =
      add_button("Button1", QStringLiteral("hide this form"), QRect(552, 411, 74, 18), false);
  connect(hide_form, &QPushButton::clicked, this, &QWidget::hide);
}

// ---- The algorithm list ---------------------------------------------------------------------

void AlgorithmFilter::set_text(const QString& text) {
  text_ = text.trimmed();
  invalidateFilter();
}

bool AlgorithmFilter::filterAcceptsRow(int row, const QModelIndex& parent) const {
  if (text_.isEmpty()) return true;
  if (row == separator_index) return false;
  const bool digits = std::all_of(text_.begin(), text_.end(), [](QChar c) { return c.isDigit(); });
  if (digits) return QString::number(row).startsWith(text_);
  return sourceModel()
      ->index(row, 0, parent)
      .data()
      .toString()
      .contains(text_, Qt::CaseInsensitive);
}

int ControlForm::list_row_of(const QModelIndex& shown) const {
  // The popup shows the completer's model over the filter over the list.
  auto* completion =
      qobject_cast<QAbstractProxyModel*>(algorithm_list_->completer()->completionModel());
  if (!completion) return -1;
  QModelIndex i = shown.isValid() ? shown : completion->index(0, 0);
  if (i.model() == completion) i = completion->mapToSource(i);
  if (!i.isValid()) return -1;
  return algorithm_filter_->mapToSource(i).row();
}

void ControlForm::choose_algorithm(int row) {
  if (row < 0 || row >= algorithm_list_->count()) return;
  if (row != algorithm_list_->currentIndex()) {
    algorithm_list_->setCurrentIndex(row);  // R5 through the list's handler
  }
  restore_algorithm_text();
  algorithm_list_->lineEdit()->selectAll();
}

// ---- Running --------------------------------------------------------------------------------

void ControlForm::start_processing() {
  if (!start_button_->isEnabled() || processing_active || closing_) return;
  run_algorithm();
}

// ---- Keys, label clicks and closing ---------------------------------------------------------

bool ControlForm::eventFilter(QObject* watched, QEvent* event) {
  if (!algorithm_list_ || !start_button_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::MouseButtonPress &&
      (watched == control("Label_SpinEdit8") || watched == control("StaticText1"))) {
    check_box("CheckBox25")->toggle();
    return true;
  }
  QAbstractItemView* popup = algorithm_list_->completer()->popup();
  if (watched == popup) {
    const int k = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event)->key() : 0;
    if (k != Qt::Key_Return && k != Qt::Key_Enter) return false;
    // Enter in the filtered list chooses the highlighted line, else the first.
    const int row = list_row_of(popup->currentIndex());
    popup->hide();
    choose_algorithm(row);
    return true;
  }
  const bool is_key = event->type() == QEvent::KeyPress;
  const int key = is_key ? static_cast<QKeyEvent*>(event)->key() : 0;
  const bool enter_or_escape =
      key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
  // Controls that do not pass their keys on keep Enter and Escape from reaching the form.
  if (key_swallowers_.count(watched)) return enter_or_escape;
  if (!key_passers_.count(watched)) return QWidget::eventFilter(watched, event);

  // The combo box has the focus and hands keys to its line edit directly.
  const bool on_algorithm_list =
      watched == algorithm_list_ || watched == algorithm_list_->lineEdit();
  if (is_key) {
    auto* key_event = static_cast<QKeyEvent*>(event);
    switch (key) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (algorithm_list_->completer()->popup()->isVisible()) return false;
        if (searching_) {
          // Typed text without the popup: the first line it filters, if any.
          choose_algorithm(list_row_of({}));
          return true;
        }
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
        if (on_algorithm_list && !key_event->text().isEmpty() &&
            key_event->text().at(0).isPrint()) {
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
  event->accept();
  if (closing_) return;
  break_off = true;
  closing_ = true;
  save_or_delete_options();
  if (display_) display_->hide();
  QCoreApplication::quit();
}

}  // namespace mv::ui

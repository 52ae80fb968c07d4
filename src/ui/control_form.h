// The control form: the program's main window with every setting, in five bands. Each band is
// built by its own function from small helpers. The values live in `controls` and the live
// settings; a user's change writes them and runs the rules, which change only those values, and
// then every control shows them again (quietly, so no handler runs twice). The display's keys
// change settings through the form so that its check boxes follow.
#pragma once

#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <array>
#include <map>
#include <set>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace mv {
struct ControlValues;
}
namespace mv::display {
class DisplayForm;
}

namespace mv::ui {

inline constexpr const char* no_algorithm_text = "Please select sorting or shuffling algorithm!";

// A spin edit that, like the form's original controls, accepts any typed number and clamps it
// into its bounds when the user leaves it.
class SpinEdit : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;
  QValidator::State validate(QString& text, int& pos) const override;
  void fixup(QString& text) const override;
};

// The algorithm list filtered by typed text: digits find the entries whose index starts with
// them; words find the lines that contain them, the "same" entries also by the entry they refer
// to.
class AlgorithmFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  void set_text(const QString& text);

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

 private:
  QString text_;
};

class ControlForm : public QWidget {
  Q_OBJECT

 public:
  explicit ControlForm(QWidget* parent = nullptr);
  void set_display(display::DisplayForm* display) { display_ = display; }
  // The options file, decided before the forms exist; empty: none is read, written or deleted.
  void set_options_path(std::string path) { options_path_ = std::move(path); }
  const std::string& options_path() const { return options_path_; }
  // Why the options file was not read at start-up (one line), empty when it was or none exists.
  const std::string& options_refusal() const { return options_refusal_; }

  // Start-up: the options file is loaded through the controls (or the first-start defaults are
  // set), the rules run, the generator is seeded when asked, and the form is ready.
  void start_up();
  bool ready() const { return ready_; }
  // Set once the form is being closed (the program ends).
  bool closing() const { return closing_; }

  // CreateInitialSet with display adaptation.
  void create_initial_set();
  // After every build: window placement and redraw, start button, n-distinct memory.
  void after_set_built();
  // Shows the engine's values (changed by the run driver or a build) in the controls.
  void show_columns_and_rows();

  // Button2Click (and Enter while the button is enabled).
  void start_processing();
  QString start_button_caption() const;

  // For the display form's keys.
  void set_brake_factor(int value);
  void toggle_colorize_comparisons();
  void toggle_correct_movings();
  void toggle_sound();
  void toggle_live_counters();
  // For the display form's resizing and placement.
  void take_rows_from_display(int rows);
  void take_columns_from_display(int columns);
  bool zoomable_columns_active() const;
  bool n_distinct_enabled() const;
  // Above the display without activating it; keyboard focus when visible.
  void bring_forward();

  // Context-sensitive help: the help text of a help number ("No help available." for 0 and
  // numbers without text) and the number a control carries.
  static QString help_text(int number);
  static int help_number(const std::string& control);
  bool context_help_active() const;

  // Controls by their form names, for the tests. Labels are "Label_" + the control's name;
  // "Label_enforce_stability" and "StaticText1" ("click onto form") have their own.
  QCheckBox* check_box(const char* name) const;
  QSpinBox* spin_edit(const char* name) const;
  QComboBox* combo_box(const char* name) const;
  QButtonGroup* radio_group(const char* name) const;
  QPushButton* button(const char* name) const;
  QLabel* label(const char* name) const;
  QWidget* control(const char* name) const;
  QTimer* timer(int number);
  // The growth chart window ("compare…", Ctrl+G), made at its first opening; null where the
  // program is built without charts.
  QWidget* open_compare_window();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Bands, top to bottom.
  void build_input_band();
  void build_processing_band();
  void build_output_band();
  void build_representation_band();
  void build_other_band();
  void build_compare_button();  // on the output band
  // "sound" and "show counters during processing" (control_run_aids.cpp).
  void add_run_aid_boxes();
  void attach_help();

  // Building blocks. `passes_keys` routes Enter and Escape to the form's key handler; controls
  // that do not pass them swallow them.
  QFrame* add_band(int top, int height, const QString& caption, bool silver);
  // A label at x, y, or (right > 0) right-aligned so that it ends at `right`.
  QLabel* add_label(const char* name, const QString& text, int x, int y, int right = 0);
  QCheckBox* add_check(const char* name, const QString& caption, int x, int y, bool checked,
                       bool passes_keys = true);
  SpinEdit* add_spin(const char* name, int x, int y, int width, int minimum, int maximum, int value,
                     bool passes_keys = true);
  // A spin edit that writes its field and restarts its rebuild timer (the one with its number)
  // whenever its handler runs (the rules set values quietly), but not while options load.
  SpinEdit* add_timed_spin(const char* name, int ControlValues::*field, int x, int y, int minimum,
                           int maximum, int value, bool passes_keys = true);
  QComboBox* add_list(const char* name, const QStringList& items, int x, int y, int width,
                      int lines, bool passes_keys = true);
  QButtonGroup* add_radio_group(const char* name, const QString& title, const QStringList& items,
                                int columns, QRect geometry, int checked);
  QPushButton* add_button(const char* name, const QString& caption, QRect geometry,
                          bool passes_keys);
  void pass_keys(QWidget* control);
  void swallow_keys(QWidget* control);
  // A check box that writes a flag on every change.
  template <class Write>
  QCheckBox* add_flag(const char* name, const QString& caption, int x, int y, bool checked,
                      Write write, bool passes_keys = true);
  // Narrows the widget's font, and at last its width, so that it ends before `right`.
  void fit_before(QWidget* widget, int right);
  void enable(const char* name, bool on);
  void show_control(const char* name, bool on);

  // Every value into its control, quietly (no handler runs); bounds first.
  void show_values();
  // One options key's value into its control; through the control's setter (its handler runs)
  // unless `quietly`. Combo box selections are always set quietly.
  void show_option(const std::string& key, bool quietly);
  void restart(int timer_number);
  void place_from_options();
  void save_or_delete_options();

  // Rules on the values.
  void apply_columns(int columns);        // R1, the part that always runs
  void columns_changed(int value);        // SpinEdit2
  void rows_changed(int value);           // SpinEdit3
  void n_distinct_changed(int value);     // SpinEdit7
  void maximum_clicked();                 // CheckBox26
  void maximum_range_clicked(bool on);    // CheckBox16
  void whole_screen_clicked();            // CheckBox12
  void structure_changed(int index);      // R2, then R9 with rebuild
  void structure_enabling();              // R2 without R9
  void distribution_changed(int index);   // R3, then R9 with rebuild
  void distribution_rule();               // R3 without R9
  void presorting_changed(int index);     // ComboBox4
  void presorting_rule();                 // R4
  void algorithm_changed(int index);      // R5
  void algorithm_enabling();              // the per-algorithm enabling
  void refresh_start_button();            // R6
  void whole_screen_rule();               // R7
  void zoomable_enabling();               // R8, enabling
  void zoomable_clicked();                // R8, click
  void screen_bounds_rule(bool rebuild);  // R9
  void restore_algorithm_text();
  // The list row of a line of the filtered popup (an invalid index: its first line); -1 if none.
  int list_row_of(const QModelIndex& shown) const;
  // Selects the list row (R5 when it changes) and shows its caption again.
  void choose_algorithm(int row);
  void set_context_help(bool on);  // CheckBox13

  display::DisplayForm* display_ = nullptr;
  std::string options_path_;
  std::string options_refusal_;
  std::map<std::string, QWidget*> named_;
  std::map<std::string, QButtonGroup*> groups_;
  std::set<QObject*> key_passers_;
  std::set<QObject*> key_swallowers_;
  QComboBox* algorithm_list_ = nullptr;    // ComboBox1
  QPushButton* start_button_ = nullptr;    // Button2
  QSpinBox* columns_ = nullptr;            // SpinEdit2
  QSpinBox* rows_ = nullptr;               // SpinEdit3
  QSpinBox* brake_ = nullptr;              // SpinEdit1
  QCheckBox* whole_screen_box_ = nullptr;  // CheckBox12
  QWidget* compare_window_ = nullptr;
  // Rebuild timers Timer2 .. Timer10, one per spin edit (slots 0 and 1 unused).
  std::array<QTimer, 11> timers_;
  // "use whole/complete screen" (CheckBox12): checked, grey or unchecked.
  Qt::CheckState whole_screen_ = Qt::Checked;
  bool n_distinct_equals_rows_ = true;
  bool loading_ = false;
  bool ready_ = false;
  bool closing_ = false;
  // Text typed into the algorithm list that has not yet chosen an entry.
  bool searching_ = false;
  AlgorithmFilter* algorithm_filter_ = nullptr;
};

}  // namespace mv::ui

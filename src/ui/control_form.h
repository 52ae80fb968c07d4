// The control form: the program's main window with every setting, in five bands. Each band is
// built by its own function from small helpers, so controls are added band by band. The form
// writes the live settings and `controls` on every change; the display's keys change settings
// through it so that its check boxes follow.
#pragma once

#include <QTimer>
#include <QWidget>
#include <map>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;

namespace mv::display {
class DisplayForm;
}

namespace mv::ui {

class ControlForm : public QWidget {
  Q_OBJECT

 public:
  explicit ControlForm(QWidget* parent = nullptr);
  void set_display(display::DisplayForm* display) { display_ = display; }

  // Start-up: first-start defaults for the screen, the controls take them, the rules run, the
  // generator is seeded when asked, and the form is ready.
  void start_up();
  bool ready() const { return ready_; }
  // Set once the form is being closed (the program ends).
  bool closing() const { return closing_; }

  // CreateInitialSet with display adaptation.
  void create_initial_set();
  // After every build: window placement and redraw, start button, n-distinct memory.
  void after_set_built();
  // Shows the engine's columns and rows (changed by the run driver) in their spin edits.
  void show_columns_and_rows();

  // Button2Click (and Enter while the button is enabled).
  void start_processing();
  QString start_button_caption() const;

  // For the display form's keys.
  void set_brake_factor(int value);
  void toggle_colorize_comparisons();
  void toggle_correct_movings();
  // For the display form's resizing and placement.
  void take_rows_from_display(int rows);
  void take_columns_from_display(int columns);
  bool zoomable_columns_active() const;
  bool n_distinct_enabled() const;
  // Above the display without activating it; keyboard focus when visible.
  void bring_forward();

  // Controls by their form names, for the tests and the later bands.
  QCheckBox* check_box(const char* name) const;
  QSpinBox* spin_edit(const char* name) const;
  QComboBox* combo_box(const char* name) const;
  QButtonGroup* radio_group(const char* name) const;
  QPushButton* button(const char* name) const;

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

  // Building blocks; `passes_keys` routes Enter and Escape to the form's key handler.
  QFrame* add_band(int top, int height, const QString& caption, bool silver);
  QLabel* add_label(const QString& text, int x, int y);
  QCheckBox* add_check(const char* name, const QString& caption, int x, int y, bool checked,
                       bool passes_keys = true);
  QSpinBox* add_spin(const char* name, int x, int y, int width, int minimum, int maximum, int value,
                     bool passes_keys = true);
  QComboBox* add_list(const char* name, const QStringList& items, int x, int y, int width,
                      int lines, bool passes_keys = true);
  QButtonGroup* add_radio_group(const char* name, const QString& title, const QStringList& items,
                                int columns, QRect geometry, int checked);
  QPushButton* add_button(const char* name, const QString& caption, QRect geometry,
                          bool passes_keys);
  void pass_keys(QWidget* control);
  // A check box that writes a flag on every change.
  template <class Write>
  QCheckBox* add_flag(const char* name, const QString& caption, int x, int y, bool checked,
                      Write write, bool passes_keys = true);

  // Values from `controls` and the live settings into the controls (no handlers run).
  void show_values();
  void set_quietly(QSpinBox* spin, int value);

  // Rules.
  void columns_changed(int value);        // R1, columns
  void rows_changed(int value);           // R1, rows
  void column_bounds_rule();              // R1, the part that always runs
  void structure_changed(int index);      // R2, then R9 with rebuild
  void distribution_changed(int index);   // R3, then R9 with rebuild
  void algorithm_changed(int index);      // R5
  void algorithm_enabling();              // the per-algorithm enabling
  void refresh_start_button();            // R6
  void whole_screen_rule();               // R7
  void zoomable_enabling();               // R8, enabling
  void zoomable_clicked();                // R8, click
  void screen_bounds_rule(bool rebuild);  // R9
  void restore_algorithm_text();

  display::DisplayForm* display_ = nullptr;
  std::map<std::string, QWidget*> named_;
  std::map<std::string, QButtonGroup*> groups_;
  QComboBox* algorithm_list_ = nullptr;  // ComboBox1
  QPushButton* start_button_ = nullptr;  // Button2
  QSpinBox* columns_ = nullptr;          // SpinEdit2
  QSpinBox* rows_ = nullptr;             // SpinEdit3
  QSpinBox* brake_ = nullptr;            // SpinEdit1
  QTimer timer2_;
  QTimer timer3_;
  // "use whole/complete screen" (CheckBox12, on the form with the input band's later controls).
  Qt::CheckState whole_screen_ = Qt::Checked;
  bool n_distinct_equals_rows_ = true;
  bool ready_ = false;
  bool closing_ = false;
  bool completed_just_now_ = false;
};

}  // namespace mv::ui

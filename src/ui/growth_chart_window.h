// The growth chart window ("compare…" on the control form): several catalogue entries run
// headless over a range of set sizes on a worker thread, one line per entry, the chosen measure
// against the size on log-log axes, with the reference curves n, n log n and n². The chart goes
// to SVG and PNG, the data to CSV.
//
// The sweep uses the engine's global state on its worker thread. So it never starts while a run
// animates or its results are shown, the rest of the program takes no input while it runs, and
// the sweep puts the set on display back as it was (the display's pixels are set aside meanwhile).
#pragma once

#include <QWidget>
#include <atomic>
#include <thread>
#include <vector>

#include "engine/element_set.h"
#include "engine/sweep.h"

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace mv::ui {

class ControlForm;

class GrowthChartWindow : public QWidget {
  Q_OBJECT

 public:
  // `control` (may be null in tests) has its pending rebuilds held while a sweep runs.
  explicit GrowthChartWindow(ControlForm* control = nullptr, QWidget* parent = nullptr);
  ~GrowthChartWindow() override;

  // The entries chosen in the list, in catalogue order.
  std::vector<int> chosen_entries() const;
  void choose_entries(const std::vector<int>& indexes);
  // The sizes the size range gives.
  std::vector<int> sizes() const;

  // Starts the sweep; false (with the reason in the status line) when it cannot start now.
  bool start();
  void cancel();
  bool running() const { return worker_.joinable(); }

  const std::vector<SweepSample>& samples() const { return samples_; }
  QChart* chart() const;

  bool export_svg(const QString& path) const;
  bool export_png(const QString& path) const;
  bool export_csv(const QString& path) const;

  // The controls, for the tests and the help texts.
  QLineEdit* filter_edit() const { return filter_; }
  QSpinBox* size_from() const { return from_; }
  QSpinBox* size_to() const { return to_; }
  QComboBox* measure_box() const { return measure_; }
  QPushButton* start_button() const { return start_; }
  QProgressBar* progress_bar() const { return progress_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  void apply_filter(const QString& text);
  void refresh_enabling();
  QString input_shape_text() const;
  void keep_options() const;
  void run_progress(int done, int total, const QString& entry);
  void sweep_finished(std::vector<SweepSample> samples, bool cancelled);
  void draw_chart();
  void settle_chart() const;
  void hold_program(bool hold);
  void export_with_dialog(const QString& filter, const QString& suffix,
                          bool (GrowthChartWindow::*write)(const QString&) const);

  ControlForm* control_;
  QLineEdit* filter_ = nullptr;
  QListWidget* entries_ = nullptr;
  QSpinBox* from_ = nullptr;
  QSpinBox* to_ = nullptr;
  QSpinBox* factor_ = nullptr;
  QSpinBox* repeat_ = nullptr;
  QSpinBox* seed_ = nullptr;
  QComboBox* measure_ = nullptr;
  QLabel* shape_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* export_svg_ = nullptr;
  QPushButton* export_png_ = nullptr;
  QPushButton* export_csv_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QChartView* view_ = nullptr;
  QTimer* poll_ = nullptr;

  std::thread worker_;
  std::atomic<bool> cancel_requested_{false};
  std::vector<SweepSample> samples_;
  SweepMeasure drawn_measure_ = SweepMeasure::comparisons;
  // What the program is held with while a sweep runs.
  Surface set_aside_;
  struct HeldWindow {
    QWidget* window;
    QSize minimum, maximum;
  };
  std::vector<HeldWindow> held_;
  bool rebuild_after_ = false;
};

}  // namespace mv::ui

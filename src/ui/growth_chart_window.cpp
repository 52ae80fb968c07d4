#include "ui/growth_chart_window.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QLogValueAxis>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <sstream>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/main_thread.h"
#include "ui/control_form.h"
#include "ui/item_captions.h"

namespace mv::ui {

namespace {

// The chart's colours: one per entry, repeated after ten.
const QColor entry_colours[] = {
    QColor(31, 119, 180),  QColor(214, 39, 40),   QColor(44, 160, 44),   QColor(255, 127, 14),
    QColor(148, 103, 189), QColor(140, 86, 75),   QColor(227, 119, 194), QColor(23, 190, 207),
    QColor(188, 189, 34),  QColor(127, 127, 127),
};

bool is_input(QEvent::Type t) {
  switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Close:
    case QEvent::TouchBegin:
      return true;
    default:
      return false;
  }
}

QString caption_of(int index) {
  return QString::fromUtf8(catalogue_entry(index).caption);
}

}  // namespace

GrowthChartWindow::GrowthChartWindow(ControlForm* control, QWidget* parent)
    : QWidget(parent, Qt::Window), control_(control) {
  setObjectName(QStringLiteral("GrowthChart"));
  setWindowTitle(QStringLiteral("compare algorithms: growth of the counts"));
  build();
  refresh_enabling();
}

GrowthChartWindow::~GrowthChartWindow() {
  if (worker_.joinable()) {
    cancel();
    worker_.join();
    hold_program(false);
  }
}

// ---- Controls -------------------------------------------------------------------------------

void GrowthChartWindow::build() {
  auto* settings_column = new QVBoxLayout;

  filter_ = new QLineEdit(this);
  filter_->setObjectName(QStringLiteral("compare_filter"));
  filter_->setPlaceholderText(QStringLiteral("filter: part of the name"));
  filter_->setClearButtonEnabled(true);
  connect(filter_, &QLineEdit::textChanged, this, &GrowthChartWindow::apply_filter);
  settings_column->addWidget(filter_);

  entries_ = new QListWidget(this);
  entries_->setObjectName(QStringLiteral("compare_entries"));
  entries_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (int i = 0; i < catalogue_size; ++i) {
    if (!sweep_can_run(i)) continue;
    auto* item = new QListWidgetItem(caption_of(i), entries_);
    item->setData(Qt::UserRole, i);
    item->setToolTip(QStringLiteral("%1: %2").arg(i).arg(caption_of(i)));
  }
  entries_->setMinimumWidth(300);
  connect(entries_, &QListWidget::itemSelectionChanged, this, &GrowthChartWindow::refresh_enabling);
  settings_column->addWidget(entries_, 1);
  if (sweep_can_run(controls.ComboBox1)) choose_entries({controls.ComboBox1});

  auto* form = new QFormLayout;
  auto spin = [this](const char* name, int low, int high, int value) {
    auto* s = new QSpinBox(this);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(low, high);
    s->setValue(std::clamp(value, low, high));
    return s;
  };
  from_ = spin("compare_size_from", sweep_size_min, sweep_size_max, compare_options.size_from);
  to_ = spin("compare_size_to", sweep_size_min, sweep_size_max, compare_options.size_to);
  factor_ = spin("compare_size_factor", 2, 16, compare_options.size_factor);
  auto* range = new QHBoxLayout;
  range->addWidget(from_);
  range->addWidget(new QLabel(QStringLiteral("to"), this));
  range->addWidget(to_);
  range->addWidget(new QLabel(QStringLiteral("factor"), this));
  range->addWidget(factor_);
  form->addRow(QStringLiteral("sizes from"), range);
  measure_ = new QComboBox(this);
  measure_->setObjectName(QStringLiteral("compare_measure"));
  for (int m = 0; m < sweep_measure_count; ++m) {
    measure_->addItem(QString::fromUtf8(measure_name(static_cast<SweepMeasure>(m))));
  }
  measure_->setCurrentIndex(std::clamp(compare_options.measure, 0, sweep_measure_count - 1));
  form->addRow(QStringLiteral("measure"), measure_);
  repeat_ = spin("compare_repeat", 1, 100, compare_options.repeat);
  form->addRow(QStringLiteral("runs per size"), repeat_);
  seed_ = spin("compare_seed", 0, std::numeric_limits<int>::max(), compare_options.seed);
  form->addRow(QStringLiteral("first seed"), seed_);
  shape_ = new QLabel(this);
  shape_->setObjectName(QStringLiteral("compare_input_shape"));
  shape_->setWordWrap(true);
  form->addRow(QStringLiteral("input shape"), shape_);
  settings_column->addLayout(form);
  for (QSpinBox* s : {from_, to_, factor_}) {
    connect(s, &QSpinBox::valueChanged, this, &GrowthChartWindow::refresh_enabling);
  }
  connect(measure_, &QComboBox::currentIndexChanged, this, [this] {
    keep_options();
    if (!samples_.empty()) draw_chart();
  });

  auto* run_row = new QHBoxLayout;
  start_ = new QPushButton(QStringLiteral("start"), this);
  start_->setObjectName(QStringLiteral("compare_start"));
  start_->setDefault(true);
  connect(start_, &QPushButton::clicked, this, [this] { start(); });
  cancel_ = new QPushButton(QStringLiteral("cancel"), this);
  cancel_->setObjectName(QStringLiteral("compare_cancel"));
  connect(cancel_, &QPushButton::clicked, this, &GrowthChartWindow::cancel);
  run_row->addWidget(start_);
  run_row->addWidget(cancel_);
  settings_column->addLayout(run_row);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("compare_progress"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  settings_column->addWidget(progress_);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("compare_status"));
  status_->setWordWrap(true);
  settings_column->addWidget(status_);

  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("choose entries and sizes, then start"));
  view_ = new QChartView(chart, this);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(560, 420);

  auto* export_row = new QHBoxLayout;
  export_svg_ = new QPushButton(QStringLiteral("export SVG…"), this);
  export_png_ = new QPushButton(QStringLiteral("export PNG…"), this);
  export_csv_ = new QPushButton(QStringLiteral("export CSV…"), this);
  export_svg_->setObjectName(QStringLiteral("compare_export_svg"));
  export_png_->setObjectName(QStringLiteral("compare_export_png"));
  export_csv_->setObjectName(QStringLiteral("compare_export_csv"));
  connect(export_svg_, &QPushButton::clicked, this, [this] {
    export_with_dialog(QStringLiteral("SVG (*.svg)"), QStringLiteral(".svg"),
                       &GrowthChartWindow::export_svg);
  });
  connect(export_png_, &QPushButton::clicked, this, [this] {
    export_with_dialog(QStringLiteral("PNG (*.png)"), QStringLiteral(".png"),
                       &GrowthChartWindow::export_png);
  });
  connect(export_csv_, &QPushButton::clicked, this, [this] {
    export_with_dialog(QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"),
                       &GrowthChartWindow::export_csv);
  });
  export_row->addStretch(1);
  export_row->addWidget(export_svg_);
  export_row->addWidget(export_png_);
  export_row->addWidget(export_csv_);

  auto* chart_column = new QVBoxLayout;
  chart_column->addWidget(view_, 1);
  chart_column->addLayout(export_row);
  auto* top = new QHBoxLayout(this);
  top->addLayout(settings_column);
  top->addLayout(chart_column, 1);

  for (int n = 0; n < 7; ++n) {
    QWidget* w =
        std::array<QWidget*, 7>{entries_, from_, measure_, repeat_, seed_, start_, export_svg_}[n];
    w->setWhatsThis(ControlForm::help_text(30 + n));
  }
  to_->setWhatsThis(from_->whatsThis());
  factor_->setWhatsThis(from_->whatsThis());
  filter_->setWhatsThis(entries_->whatsThis());
  export_png_->setWhatsThis(export_svg_->whatsThis());
  export_csv_->setWhatsThis(export_svg_->whatsThis());

  // A run may begin or end on the control form at any time: the start button follows.
  poll_ = new QTimer(this);
  poll_->setInterval(200);
  connect(poll_, &QTimer::timeout, this, &GrowthChartWindow::refresh_enabling);
  poll_->start();
}

void GrowthChartWindow::apply_filter(const QString& text) {
  for (int r = 0; r < entries_->count(); ++r) {
    QListWidgetItem* item = entries_->item(r);
    item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
  }
}

std::vector<int> GrowthChartWindow::chosen_entries() const {
  std::vector<int> chosen;
  for (QListWidgetItem* item : entries_->selectedItems()) {
    chosen.push_back(item->data(Qt::UserRole).toInt());
  }
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

void GrowthChartWindow::choose_entries(const std::vector<int>& indexes) {
  for (int r = 0; r < entries_->count(); ++r) {
    QListWidgetItem* item = entries_->item(r);
    const int index = item->data(Qt::UserRole).toInt();
    item->setSelected(std::find(indexes.begin(), indexes.end(), index) != indexes.end());
  }
}

std::vector<int> GrowthChartWindow::sizes() const {
  return geometric_sizes(from_->value(), to_->value(), factor_->value());
}

QString GrowthChartWindow::input_shape_text() const {
  auto item = [](const QStringList& items, int k) {
    return k >= 0 && k < items.size() ? items[k] : QString::number(k);
  };
  return QStringLiteral("%1, %2, %3; %4 rows (the control form's settings)")
      .arg(item(value_distribution_captions(), controls.ComboBox3),
           item(structure_captions(), controls.ComboBox2),
           item(presorting_captions(), controls.ComboBox4))
      .arg(settings.rows.load());
}

// A sweep starts only with something to run and never while a run animates or shows results.
void GrowthChartWindow::refresh_enabling() {
  const bool busy = running();
  const bool run_on_display = processing_active || results_shown;
  if (!busy) shape_->setText(input_shape_text());
  start_->setEnabled(!busy && !run_on_display && !chosen_entries().empty() && !sizes().empty());
  cancel_->setEnabled(busy);
  for (QWidget* w : std::initializer_list<QWidget*>{filter_, entries_, from_, to_, factor_, repeat_,
                                                    seed_, export_svg_, export_png_, export_csv_}) {
    w->setEnabled(!busy);
  }
  if (!busy) {
    const bool have = !samples_.empty();
    export_svg_->setEnabled(have);
    export_png_->setEnabled(have);
    export_csv_->setEnabled(have);
  }
}

void GrowthChartWindow::keep_options() const {
  compare_options.size_from = from_->value();
  compare_options.size_to = to_->value();
  compare_options.size_factor = factor_->value();
  compare_options.measure = measure_->currentIndex();
  compare_options.repeat = repeat_->value();
  compare_options.seed = seed_->value();
}

// ---- The sweep ------------------------------------------------------------------------------

bool GrowthChartWindow::start() {
  if (running()) return false;
  if (processing_active || results_shown) {
    status_->setText(QStringLiteral("A run is on the display: compare after it has ended."));
    return false;
  }
  const std::vector<int> entries = chosen_entries();
  const std::vector<int> size_list = sizes();
  if (entries.empty() || size_list.empty()) {
    status_->setText(QStringLiteral("Choose at least one entry and a size range."));
    return false;
  }
  keep_options();
  const std::vector<SweepRun> plan =
      plan_sweep(entries, size_list, repeat_->value(), static_cast<uint32_t>(seed_->value()));
  samples_.clear();
  cancel_requested_ = false;
  progress_->setRange(0, static_cast<int>(plan.size()));
  progress_->setValue(0);
  status_->clear();
  hold_program(true);

  worker_ = std::thread([this, plan] {
    std::vector<SweepSample> collected;
    const auto before = [&](size_t k, const SweepRun& run) {
      if (cancel_requested_) return false;
      const QString entry = QStringLiteral("%1 (n = %2)").arg(caption_of(run.index)).arg(run.size);
      QMetaObject::invokeMethod(
          this, [this, k, n = plan.size(), entry] { run_progress(int(k), int(n), entry); },
          Qt::QueuedConnection);
      return true;
    };
    const auto after = [&](size_t, const SweepRun& run, const HeadlessRun& result) {
      collected.push_back(sample_of(run, result));
      return !cancel_requested_;
    };
    run_sweep(plan, 0, before, after);
    const bool cancelled = cancel_requested_;
    QMetaObject::invokeMethod(
        this,
        [this, collected = std::move(collected), cancelled]() mutable {
          sweep_finished(std::move(collected), cancelled);
        },
        Qt::QueuedConnection);
  });
  refresh_enabling();
  return true;
}

void GrowthChartWindow::cancel() {
  if (!running()) return;
  cancel_requested_ = true;
  // The run under way breaks off; a run that was just starting resets the flag, so it is set
  // again until the worker has ended.
  break_off = true;
  QTimer::singleShot(20, this, [this] {
    if (running() && cancel_requested_) cancel();
  });
}

void GrowthChartWindow::run_progress(int done, int total, const QString& entry) {
  progress_->setValue(done);
  status_->setText(QStringLiteral("run %1 of %2: %3").arg(done + 1).arg(total).arg(entry));
}

void GrowthChartWindow::sweep_finished(std::vector<SweepSample> samples, bool cancelled) {
  if (worker_.joinable()) worker_.join();
  hold_program(false);
  samples_ = std::move(samples);
  progress_->setValue(static_cast<int>(samples_.size()));
  size_t broken = 0;
  for (const SweepSample& s : samples_) broken += s.broken_off;
  QString text = QStringLiteral("%1 runs%2")
                     .arg(samples_.size())
                     .arg(cancelled ? QStringLiteral(", cancelled") : QString());
  if (broken) text += QStringLiteral(", %1 broken off (not drawn)").arg(broken);
  status_->setText(text);
  draw_chart();
  refresh_enabling();
}

// While the worker uses the engine, nothing else in the program may: the other windows take no
// input and keep their size, pending rebuilds of the set wait, and the display's pixels are set
// aside so that the headless runs draw nothing.
void GrowthChartWindow::hold_program(bool hold) {
  if (hold) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w == this || !w->isVisible()) continue;
      held_.push_back({w, w->minimumSize(), w->maximumSize()});
      w->setFixedSize(w->size());
    }
    rebuild_after_ = false;
    if (control_) {
      for (int k = 2; k <= 10; ++k) {
        QTimer* t = control_->timer(k);
        if (t && t->isActive()) {
          t->stop();
          rebuild_after_ = true;
        }
      }
    }
    std::swap(set_aside_, surface);
    qApp->installEventFilter(this);
    return;
  }
  qApp->removeEventFilter(this);
  std::swap(set_aside_, surface);
  set_aside_ = Surface{};
  break_off = false;
  mark_main_thread();
  for (const HeldWindow& h : held_) {
    h.window->setMinimumSize(h.minimum);
    h.window->setMaximumSize(h.maximum);
    h.window->update();
  }
  held_.clear();
  if (rebuild_after_ && control_) control_->create_initial_set();
  rebuild_after_ = false;
}

bool GrowthChartWindow::eventFilter(QObject* watched, QEvent* event) {
  if (running() && is_input(event->type())) {
    // Input reaches a widget after its window; a shortcut goes to the shortcut's widget.
    QWidget* w = nullptr;
    if (watched->isWidgetType()) {
      w = static_cast<QWidget*>(watched);
    } else if (event->type() == QEvent::Shortcut && watched->parent() &&
               watched->parent()->isWidgetType()) {
      w = static_cast<QWidget*>(watched->parent());
    }
    if (w && w->window() != this) {
      if (event->type() == QEvent::Close) event->ignore();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void GrowthChartWindow::closeEvent(QCloseEvent* event) {
  cancel();
  keep_options();
  QWidget::closeEvent(event);
}

// ---- The chart ------------------------------------------------------------------------------

QChart* GrowthChartWindow::chart() const {
  return view_->chart();
}

void GrowthChartWindow::draw_chart() {
  const auto measure = static_cast<SweepMeasure>(measure_->currentIndex());
  drawn_measure_ = measure;
  QChart* c = view_->chart();
  c->removeAllSeries();
  for (QAbstractAxis* a : c->axes()) {
    c->removeAxis(a);
    delete a;
  }
  c->setTitle(QStringLiteral("%1 against the number of elements n")
                  .arg(QString::fromUtf8(measure_name(measure))));

  std::vector<int> entries;
  for (const SweepSample& s : samples_) {
    if (std::find(entries.begin(), entries.end(), s.index) == entries.end()) {
      entries.push_back(s.index);
    }
  }
  double low = std::numeric_limits<double>::max(), high = 0;
  int n_low = std::numeric_limits<int>::max(), n_high = 0;
  std::vector<QLineSeries*> lines;
  for (size_t e = 0; e < entries.size(); ++e) {
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("%1 %2").arg(entries[e]).arg(caption_of(entries[e])));
    QPen pen(entry_colours[e % std::size(entry_colours)]);
    pen.setWidthF(2.0);
    line->setPen(pen);
    line->setPointsVisible(true);
    // A log axis cannot show 0: such points are left out.
    for (const GrowthPoint& p : growth_series(samples_, entries[e], measure)) {
      if (p.value <= 0) continue;
      line->append(p.size, p.value);
      low = std::min(low, p.value);
      high = std::max(high, p.value);
      n_low = std::min(n_low, p.size);
      n_high = std::max(n_high, p.size);
    }
    lines.push_back(line);
  }
  if (n_high == 0) {
    for (const SweepSample& s : samples_) {
      n_low = std::min(n_low, s.size);
      n_high = std::max(n_high, s.size);
    }
  }
  // The reference curves; for the duration, which is no count, they are scaled to meet the
  // entries' mean at the smallest size.
  double scale = 1.0;
  if (measure == SweepMeasure::duration && n_high > 0) {
    double sum = 0;
    int k = 0;
    for (size_t e = 0; e < entries.size(); ++e) {
      const auto pts = growth_series(samples_, entries[e], measure);
      if (!pts.empty() && pts.front().value > 0) {
        sum += pts.front().value;
        ++k;
      }
    }
    scale = k ? sum / k / n_low : 0.0;
  }
  struct Reference {
    const char* name;
    double (*f)(double);
  };
  const Reference references[] = {
      {"n", [](double n) { return n; }},
      {"n log n", [](double n) { return n * std::log2(n); }},
      {"n²", [](double n) { return n * n; }},
  };
  if (n_high > 0 && scale > 0) {
    for (const Reference& r : references) {
      auto* line = new QLineSeries;
      line->setName(QString::fromUtf8(r.name));
      QPen pen(QColor(120, 120, 120));
      pen.setStyle(Qt::DashLine);
      pen.setWidthF(1.2);
      line->setPen(pen);
      for (int k = 0; k <= 24; ++k) {
        const double n = n_low * std::pow(double(n_high) / n_low, k / 24.0);
        const double v = r.f(n) * scale;
        if (v > 0) line->append(n, v);
      }
      lines.push_back(line);
      // The curves widen the value range only a little beyond the data.
      if (high > 0) {
        low = std::min(low, std::max(r.f(n_low) * scale, low / 100));
        high = std::max(high, std::min(r.f(n_high) * scale, high * 100));
      } else {
        low = std::min(low, r.f(n_low) * scale);
        high = std::max(high, r.f(n_high) * scale);
      }
    }
  }
  if (lines.empty()) return;

  auto* x = new QLogValueAxis;
  x->setBase(2);
  x->setLabelFormat(QStringLiteral("%g"));
  x->setTitleText(QStringLiteral("n (number of elements)"));
  x->setRange(n_low / 1.2, n_high * 1.2);
  auto* y = new QLogValueAxis;
  y->setBase(10);
  y->setLabelFormat(QStringLiteral("%.3g"));
  y->setTitleText(QString::fromUtf8(measure_name(measure)));
  y->setMinorTickCount(-1);
  if (high > 0) y->setRange(low / 2, high * 2);
  c->addAxis(x, Qt::AlignBottom);
  c->addAxis(y, Qt::AlignLeft);
  for (QLineSeries* line : lines) {
    c->addSeries(line);
    line->attachAxis(x);
    line->attachAxis(y);
  }
  c->legend()->setAlignment(Qt::AlignBottom);
}

// ---- Export ---------------------------------------------------------------------------------

// The chart lays out its title, axes and legend through posted events: a picture taken right
// after drawing waits for them.
void GrowthChartWindow::settle_chart() const {
  QCoreApplication::sendPostedEvents();
}

bool GrowthChartWindow::export_svg(const QString& path) const {
  settle_chart();
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(view_->size());
  svg.setViewBox(QRect(QPoint(0, 0), view_->size()));
  svg.setTitle(view_->chart()->title());
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  view_->render(&painter);
  return painter.end();
}

bool GrowthChartWindow::export_png(const QString& path) const {
  settle_chart();
  QImage image(view_->size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  view_->render(&painter);
  painter.end();
  return image.save(path, "PNG");
}

bool GrowthChartWindow::export_csv(const QString& path) const {
  std::ostringstream out;
  write_sweep_csv(out, samples_);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const std::string text = out.str();
  return file.write(text.data(), static_cast<qint64>(text.size())) ==
             static_cast<qint64>(text.size()) &&
         file.flush();
}

void GrowthChartWindow::export_with_dialog(const QString& filter, const QString& suffix,
                                           bool (GrowthChartWindow::*write)(const QString&) const) {
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("export"), QString(), filter);
  if (path.isEmpty()) return;
  if (!path.endsWith(suffix, Qt::CaseInsensitive)) path += suffix;
  status_->setText((this->*write)(path) ? QStringLiteral("written: %1").arg(path)
                                        : QStringLiteral("could not write %1").arg(path));
}

}  // namespace mv::ui

// The growth chart window in the running program: opened from the control form, a sweep on its
// worker thread while the display shows a set, the chart's lines, and the exports read back.
#include <QtGlobal>

#ifdef MIVROLA_HAVE_CHARTS

#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <memory>

#include "engine/element_set.h"
#include "engine/run_driver.h"
#include "engine/sweep.h"
#include "ui/form_test_helpers.h"
#include "ui/growth_chart_window.h"
#include "ui/program_windows.h"

using namespace mv;

namespace growth_chart_test {
namespace {

class GrowthChartTest : public QObject, FormWindows {
  Q_OBJECT

 private:
  ui::GrowthChartWindow* chart_window = nullptr;

  // The chart and the numbers of the sweep just made, exported and read back.
  void check_exports() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString svg = dir.filePath(QStringLiteral("chart.svg"));
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    const QString csv = dir.filePath(QStringLiteral("chart.csv"));
    QVERIFY(chart_window->export_svg(svg));
    QVERIFY(chart_window->export_png(png));
    QVERIFY(chart_window->export_csv(csv));

    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString root;
    int drawn = 0;
    while (!xml.atEnd()) {
      if (xml.readNext() == QXmlStreamReader::StartElement) {
        if (root.isEmpty()) root = xml.name().toString();
        drawn += xml.name() == QStringLiteral("path") || xml.name() == QStringLiteral("polyline");
      }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(root, QStringLiteral("svg"));
    QVERIFY(drawn > 6);

    const QImage image(png);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 300 && image.height() > 200);

    QFile table(csv);
    QVERIFY(table.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = table.readAll().trimmed().split('\n');
    QCOMPARE(rows.size(), qsizetype(13));
    QVERIFY(rows[0].startsWith("index,caption,size,seed"));
  }

 private slots:
  void initTestCase() {
    hide_offscreen_warnings();
    open_windows();
    control->show();
    QVERIFY(QTest::qWaitForWindowExposed(control));
  }
  void cleanupTestCase() { close_windows(); }
  // Each function also runs alone (CTest runs them one by one): the window opens when needed.
  void init() {
    if (chart_window) return;
    chart_window = qobject_cast<ui::GrowthChartWindow*>(control->open_compare_window());
    QVERIFY(chart_window);
    chart_window->resize(1000, 640);
    QVERIFY(QTest::qWaitForWindowExposed(chart_window));
  }

  void opensFromTheOutputBandAndByCtrlG() {
    QPushButton* button = control->button("ButtonCompare");
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("compare…"));
    QVERIFY(button->isVisible());
    QVERIFY(!button->whatsThis().isEmpty());
    chart_window->close();
    control->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(control));
    QTest::keyClick(control, Qt::Key_G, Qt::ControlModifier);
    QTRY_VERIFY(chart_window->isVisible());  // Ctrl+G opened it again
    QCOMPARE(control->open_compare_window(), static_cast<QWidget*>(chart_window));
    QVERIFY(QTest::qWaitForWindowExposed(chart_window));
  }

  void filterNarrowsTheEntries() {
    auto* list = chart_window->findChild<QListWidget*>(QStringLiteral("compare_entries"));
    QVERIFY(list);
    chart_window->filter_edit()->setText(QStringLiteral("HEAP SORT ORIGINAL"));
    int shown = 0;
    for (int r = 0; r < list->count(); ++r) shown += !list->item(r)->isHidden();
    QVERIFY(shown >= 1 && shown < 10);
    chart_window->filter_edit()->clear();
  }

  void refusesWhileARunIsOnTheDisplay() {
    chart_window->choose_entries({268});
    processing_active = true;
    QTRY_VERIFY(!chart_window->start_button()->isEnabled());
    QVERIFY(!chart_window->start());
    processing_active = false;
    QTRY_VERIFY(chart_window->start_button()->isEnabled());
  }

  // Three entries over four sizes on the worker: the engine's sweep numbers, the set on display
  // left as it was, one line per entry and the three reference curves.
  void sweepsDrawsAndLeavesTheDisplayAlone() {
    const std::vector<int32_t> keys_before = visible_keys();
    const int columns_before = settings.columns;
    const uint32_t* pixels_before = surface.pixels.data();
    chart_window->choose_entries({268, 103, 88});
    chart_window->size_from()->setValue(16);
    chart_window->size_to()->setValue(128);
    chart_window->findChild<QSpinBox*>(QStringLiteral("compare_size_factor"))->setValue(2);
    chart_window->measure_box()->setCurrentIndex(0);
    QCOMPARE(chart_window->sizes(), (std::vector<int>{16, 32, 64, 128}));

    QVERIFY(chart_window->start());
    QTRY_VERIFY_WITH_TIMEOUT(!chart_window->running(), 60000);
    QCOMPARE(chart_window->samples().size(), size_t(12));
    QCOMPARE(chart_window->progress_bar()->value(), 12);

    QCOMPARE(visible_keys(), keys_before);
    QCOMPARE(int(settings.columns), columns_before);
    QCOMPARE(surface.pixels.data(), pixels_before);
    QCOMPARE(&host(), static_cast<Host*>(&windows->host));

    // The same numbers as the engine's sweep with the same settings and seeds.
    std::vector<SweepSample> direct;
    run_sweep(plan_sweep({88, 103, 268}, {16, 32, 64, 128}, 1, compare_options.seed), 0, {},
              [&](size_t, const SweepRun& run, const HeadlessRun& result) {
                direct.push_back(sample_of(run, result));
                return true;
              });
    mark_main_thread();
    QCOMPARE(direct.size(), chart_window->samples().size());
    for (size_t k = 0; k < direct.size(); ++k) {
      QCOMPARE(chart_window->samples()[k].index, direct[k].index);
      QCOMPARE(chart_window->samples()[k].comparisons, direct[k].comparisons);
      QCOMPARE(chart_window->samples()[k].swappings, direct[k].swappings);
    }

    QCOMPARE(chart_window->chart()->series().size(), qsizetype(3 + 3));
    chart_window->measure_box()->setCurrentIndex(int(SweepMeasure::sum));
    QCOMPARE(chart_window->chart()->series().size(), qsizetype(3 + 3));
    QCOMPARE(compare_options.measure, int(SweepMeasure::sum));
    check_exports();
  }

  void cancelStopsTheSweep() {
    chart_window->choose_entries({0, 1, 2, 3});
    chart_window->size_from()->setValue(1000);
    chart_window->size_to()->setValue(64000);
    QVERIFY(chart_window->start());
    // Meanwhile the control form takes no input: Escape would end the program.
    QTest::keyClick(control, Qt::Key_Escape);
    QTest::keyClick(control, Qt::Key_G, Qt::ControlModifier);
    QVERIFY(control->isVisible());
    QVERIFY(chart_window->running());
    QTest::mouseClick(chart_window->findChild<QPushButton*>(QStringLiteral("compare_cancel")),
                      Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!chart_window->running(), 30000);
    QVERIFY(chart_window->samples().size() < 4 * 7);
    QVERIFY(control->isVisible());
    chart_window->close();
  }
};

}  // namespace
}  // namespace growth_chart_test

int run_growth_chart_tests(int argc, char** argv) {
  growth_chart_test::GrowthChartTest test;
  return run_test_object(test, argc, argv);
}

#include "growth_chart_test.moc"

#else

int run_growth_chart_tests(int, char**) {
  return 0;
}

#endif

// The two windows and their dialogs on the offscreen platform: the run keys, break-off, pause,
// the return to the start set, resizing, the column spread, the report dialog and the hints.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "display/column_spread.h"
#include "display/display_form.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/run_driver.h"
#include "engine/settings.h"
#include "ui/dialogs.h"
#include "ui/form_test_helpers.h"
#include "ui/program_windows.h"

using namespace mv;

namespace windows_test {
namespace {

constexpr int parallel_quick_sort = 272;  // a start-thread entry
constexpr int sort_index = 65;  // a sort with "colorize comparisons" and "correct movings"
constexpr int power_of_two_index = 14;

}  // namespace

class WindowsTest : public QObject, FormWindows {
  Q_OBJECT

 private:
  // A fresh start: first-start defaults, then a set of the given size, the test sort selected.
  void fresh(int columns, int rows, int algorithm = sort_index) {
    fresh_set(columns, rows, algorithm);
  }
  void start_run() { QTest::mouseClick(control->button("Button2"), Qt::LeftButton); }

 private slots:
  void initTestCase() {
    hide_offscreen_warnings();
    replace_procedure(sort_index, hooked_bubble_sort);
    replace_procedure(power_of_two_index, hooked_bubble_sort);
    open_windows();
  }

  // While the workers of the parallel quick sort run, the display takes every run key at once:
  // the brake keys, the colour and moving toggles, the pause (which holds the workers too) and a
  // foreign key, which breaks the run off.
  void parallelQuickSortReactsToKeys() {
    if (!is_implemented(parallel_quick_sort)) QSKIP("the parallel quick sort is not built");
    fresh(400, 300, parallel_quick_sort);
    QObject scope;  // ends the timers below with the test
    controls.CheckBox8 = true;
    control->spin_edit("SpinEdit1")->setValue(8);
    DialogWatcher watcher;
    bool running_at_keys = false, toggled = false;
    int brake_after_minus = -1;
    uint64_t ops_paused_early = 0, ops_paused_late = 1;
    auto ops = [] { return comparisons.get() + swappings.get(); };
    // The keys come once the first partition has handed its parts to workers; a poll, not a
    // fixed delay, so a loaded machine does not press them too early.
    QTimer poll(&scope);
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &scope, [&] {
      if (!processing_active || threads.get() < 2) return;
      poll.stop();
      running_at_keys = true;
      QTest::keyClick(display, '-');
      brake_after_minus = settings.brake_factor;
      QTest::keyClick(display, 'c');
      QTest::keyClick(display, 'M');
      toggled = settings.colorize_comparisons && settings.correct_movings;
      QTest::keyClick(display, 'p');
      QTimer::singleShot(40, &scope, [&] {
        ops_paused_early = ops();
        QTimer::singleShot(60, &scope, [&] {
          ops_paused_late = ops();
          QTest::keyClick(display, 'P');
          QTimer::singleShot(30, &scope, [&] { QTest::keyClick(display, 'x'); });
        });
      });
    });
    poll.start();
    start_run();  // returns once every worker has ended and the run is over
    QVERIFY(running_at_keys);
    QCOMPARE(brake_after_minus, 16);
    QVERIFY(toggled);
    QCOMPARE(ops_paused_early, ops_paused_late);  // nothing ran while paused
    QVERIFY(!processing_active);
    QCOMPARE(watcher.seen.size(), size_t(1));
    QVERIFY(watcher.seen[0].text.startsWith(QStringLiteral("sorting breaked off")));
    settings.colorize_comparisons = settings.correct_movings = false;
    control->spin_edit("SpinEdit1")->setValue(0);
  }

  void cleanupTestCase() { close_windows(); }

  void init() {
    step_hook = nullptr;
    hooked_steps = 0;
    paused = false;
  }

  void startsFromButtonAndEnterOnly() {
    fresh(40, 30, -1);
    QVERIFY(!control->button("Button2")->isEnabled());
    QCOMPARE(control->combo_box("ComboBox1")->currentText(),
             QStringLiteral("Please select sorting or shuffling algorithm!"));
    QTest::keyClick(control->combo_box("ComboBox1")->lineEdit(), Qt::Key_Return);
    QCOMPARE(hooked_steps, 0);

    control->combo_box("ComboBox1")->setCurrentIndex(separator_index);
    QVERIFY(!control->button("Button2")->isEnabled());
    QCOMPARE(control->button("Button2")->text(), QStringLiteral("sorting / shuffling"));

    control->combo_box("ComboBox1")->setCurrentIndex(sort_index);
    QVERIFY(control->button("Button2")->isEnabled());
    QCOMPARE(control->button("Button2")->text(), QStringLiteral("sorting"));
    QCOMPARE(display->windowTitle(), QStringLiteral("sorting"));

    DialogWatcher watcher;
    bool hidden_during_run = false, display_focused = false;
    step_hook = [&](int step) {
      if (step != 10) return;
      QCoreApplication::processEvents();  // as the drawing's event pump does
      hidden_during_run = !control->isVisible();
      display_focused = QApplication::focusWidget() == display;
    };
    QTest::keyClick(control->check_box("CheckBox17"), Qt::Key_Enter);
    QVERIFY(hooked_steps > 0);
    QVERIFY(hidden_during_run);
    QVERIFY(display_focused);
    QCOMPARE(watcher.seen.size(), size_t(1));
    QCOMPARE(watcher.seen[0].title, QStringLiteral("results output"));
    QVERIFY(control->isVisible());  // back at the start set after the report
  }

  void brakeKeysAndToggles() {
    fresh(40, 30);
    quiet_reports();
    step_hook = [&](int step) {
      if (step != 5) return;
      QSpinBox* spin = control->spin_edit("SpinEdit1");
      spin->setValue(0);
      for (int expected :
           {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 9999, 9999}) {
        QTest::keyClick(display, '-');
        QCOMPARE(settings.brake_factor.load(), expected);
        QCOMPARE(spin->value(), expected);
      }
      for (int expected : {4999, 2499, 1249, 624, 312, 156, 78, 39, 19, 9, 4, 2, 1, 0, 0}) {
        QTest::keyClick(display, '+');
        QCOMPARE(settings.brake_factor.load(), expected);
      }
      QTest::keyClick(display, 'c');
      QVERIFY(settings.colorize_comparisons);
      QVERIFY(control->check_box("CheckBox15")->isChecked());
      QTest::keyClick(display, 'C');
      QVERIFY(!settings.colorize_comparisons);
      QTest::keyClick(display, 'M');
      QVERIFY(settings.correct_movings);
      QVERIFY(control->check_box("CheckBox24")->isChecked());
      QTest::keyClick(display, 'm');
      QVERIFY(!settings.correct_movings);
      QVERIFY(!control->check_box("CheckBox24")->isChecked());
      QVERIFY(!break_off);  // none of these is a break-off key
    };
    start_run();
    QVERIFY(hooked_steps > 5);
    QVERIFY(!break_off);
  }

  void pauseBlocksClicksAndKeysUntilP() {
    fresh(40, 30);
    quiet_reports();
    int first_look = -1, second_look = -2;
    bool broken_while_paused = true;
    step_hook = [&](int step) {
      if (step != 20) return;
      QTest::keyClick(display, 'p');
      QVERIFY(paused);
      QTimer::singleShot(40, [&] {
        first_look = hooked_steps;
        QTest::mouseClick(display, Qt::LeftButton);
        QTest::keyClick(display, 'x');
        broken_while_paused = break_off;
        QTimer::singleShot(40, [&] {
          second_look = hooked_steps;
          QTest::keyClick(display, 'P');
        });
      });
    };
    start_run();
    QCOMPARE(first_look, second_look);  // nothing ran while paused
    QVERIFY(!broken_while_paused);
    QVERIFY(!paused);
    QVERIFY(!break_off);
    QCOMPARE(hooked_steps, 40 * 39 / 2);  // the sort ran to its end
  }

  void breakOffByClickAndByForeignKey() {
    for (bool by_key : {false, true}) {
      fresh(40, 30);
      hooked_steps = 0;
      DialogWatcher watcher;
      step_hook = [&](int step) {
        if (step != 30) return;
        if (by_key) {
          QTest::keyClick(display, 'x');
        } else {
          // A click so soon after the start would be taken for the rest of the starting click.
          std::this_thread::sleep_for(std::chrono::milliseconds(320));
          QTest::mouseClick(display, Qt::LeftButton);
        }
      };
      start_run();
      QVERIFY(hooked_steps < 40 * 39 / 2);
      QCOMPARE(watcher.seen.size(), size_t(1));
      QVERIFY(watcher.seen[0].text.startsWith(QStringLiteral("sorting breaked off\n\n")));
      QVERIFY(control->isVisible());
    }
  }

  void clickAfterFinishedRunReturnsToStartSet() {
    fresh(60, 50);
    quiet_reports();
    controls.CheckBox8 = false;
    DialogWatcher watcher;
    start_run();
    QVERIFY(watcher.seen.empty());
    QVERIFY(results_shown);
    QVERIFY(!control->isVisible());
    const std::vector<int32_t> result = visible_keys();
    QVERIFY(std::is_sorted(result.begin(), result.end()));
    QTest::mouseClick(display, Qt::LeftButton);
    QVERIFY(!results_shown);
    QVERIFY(control->isVisible());
    QVERIFY(visible_keys() != result);  // a new (unsorted) start set
  }

  void resizeByTheUser() {
    fresh(100, 80);
    QVERIFY(display->user_resizable());
    QCOMPARE(display->size(), QSize(100, 80));
    QCheckBox* zoomable = control->check_box("CheckBox28");
    QVERIFY(zoomable->isEnabled());
    zoomable->setChecked(true);
    QCOMPARE(settings.columns.load(), 100);

    // Wider with zoomable columns: the same set, wider columns.
    const std::vector<int32_t> before = visible_keys();
    display->resize(150, 80);
    QCOMPARE(settings.columns.load(), 100);
    QCOMPARE(visible_keys(), before);
    QCOMPARE(int(column_right_edges[99]), 150);
    QCOMPARE(surface.width, 150);

    // Taller: a new set for the new rows.
    display->resize(150, 90);
    QCOMPARE(settings.rows.load(), 90);
    QCOMPARE(control->spin_edit("SpinEdit3")->value(), 90);
    QCOMPARE(settings.columns.load(), 100);
    QVERIFY(visible_keys() != before);
    QCOMPARE(display->size(), QSize(150, 90));

    // Without zoomable columns the width becomes the columns.
    zoomable->setChecked(false);
    display->resize(120, 90);
    QCOMPARE(settings.columns.load(), 120);
    QCOMPARE(control->spin_edit("SpinEdit2")->value(), 120);
    QCOMPARE(column_count(), 120);
  }

  void columnSpread() {
    size_element_set(50);
    settings.rows = 10;
    for (int i = 0; i < 50; ++i) {
      elements[i] = Element{};
      elements[i].key = (i % 2 == 0) ? i % 11 : -(i % 11);
      elements[i].colour = 0x000080u + i;
    }
    auto widths = [] {
      std::vector<int> w;
      for (int i = 0; i < 50; ++i)
        w.push_back(column_right_edges[i] - (i ? column_right_edges[i - 1] : 0));
      return w;
    };
    spread_columns(50, 10);
    QCOMPARE(widths(), std::vector<int>(50, 1));
    spread_columns(100, 10);
    QCOMPARE(widths(), std::vector<int>(50, 2));
    QCOMPARE(int(column_right_edges[50]), 100);
    spread_columns(51, 10);
    std::vector<int> w = widths();
    QCOMPARE(std::count(w.begin(), w.end(), 2), 1);
    QCOMPARE(std::count(w.begin(), w.end(), 1), 49);
    // Heights: |key| pixels of the column's colour from the bottom, background above.
    spread_columns(100, 10);
    for (int i : {0, 3, 7, 10}) {
      const int h = std::abs(elements[i].key);
      const int x = 2 * i;
      for (int y = 0; y < 10; ++y) {
        const uint32_t expected = y >= 10 - h ? colour_to_pixel(elements[i].colour) : 0xFFFFFFFFu;
        QCOMPARE(surface.pixels[y * 100 + x], expected);
      }
    }
    // More columns than pixels: nothing drawn.
    spread_columns(40, 10);
    QVERIFY(std::all_of(surface.pixels.begin(), surface.pixels.end(),
                        [](uint32_t p) { return p == 0xFFFFFFFFu; }));
  }

  void reportDialogTextAndPlacement() {
    const QRect screen(0, 0, 800, 600);
    QCOMPARE(ui::report_dialog_position({400, 300}, {200, 100}, screen), QPoint(300, 230));
    QCOMPARE(ui::report_dialog_position({790, 590}, {200, 100}, screen), QPoint(600, 500));
    QCOMPARE(ui::report_dialog_position({5, 20}, {200, 100}, screen), QPoint(0, 0));
    QCOMPARE(ui::report_dialog_position({400, 300}, {900, 700}, screen), QPoint(0, 0));

    fresh(40, 30);
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    for (QPoint pointer : {s.center(), s.bottomRight() - QPoint(3, 3)}) {
      DialogWatcher watcher;
      QCursor::setPos(pointer);
      start_run();
      QCOMPARE(watcher.seen.size(), size_t(1));
      const DialogWatcher::Seen& d = watcher.seen[0];
      QCOMPARE(d.title, QStringLiteral("results output"));
      const QStringList lines = d.text.split(QStringLiteral("\n\n"));
      QCOMPARE(lines.size(), 6);
      QVERIFY(lines[0].endsWith(QStringLiteral(" ms  duration")));
      QCOMPARE(lines[1], QStringLiteral("40  main loop running(s)"));
      QCOMPARE(lines[2], QStringLiteral("780  comparison(s)"));
      QVERIFY(lines[3].endsWith(QStringLiteral("  moving(s)")));
      QVERIFY(lines[4].endsWith(QStringLiteral("  swapping(s)")));
      QCOMPARE(lines[5], QStringLiteral("stable"));
      QCOMPARE(d.frame.topLeft(), ui::report_dialog_position(pointer, d.frame.size(), s));
      QVERIFY(s.contains(d.frame));
    }
  }

  void hintsAndDontShowItAgain() {
    fresh(100, 80, power_of_two_index);
    controls.CheckBox10 = false;
    DialogWatcher watcher;
    start_run();
    QCOMPARE(column_count(), 128);
    QCOMPARE(watcher.seen.size(), size_t(2));  // the hint, then the report
    QVERIFY(watcher.seen[0].hint);
    QVERIFY(watcher.seen[0].text.startsWith(QStringLiteral("Some sorting algorithms like this")));
    QVERIFY(controls.showagain_zweierpotenz);  // closed without the box

    fresh(100, 80, power_of_two_index);
    watcher.seen.clear();
    watcher.check_dont_show_again = true;
    start_run();
    QVERIFY(watcher.seen[0].hint);
    QVERIFY(!controls.showagain_zweierpotenz);

    const bool flag_after = controls.showagain_zweierpotenz;
    control->take_columns_from_display(100);
    control->create_initial_set();
    watcher.seen.clear();
    start_run();
    QCOMPARE(column_count(), 128);
    QCOMPARE(watcher.seen.size(), size_t(1));  // only the report
    QVERIFY(!watcher.seen[0].hint);
    QCOMPARE(controls.showagain_zweierpotenz, flag_after);
  }
};

}  // namespace windows_test

int run_windows_tests(int argc, char** argv) {
  windows_test::WindowsTest test;
  return run_test_object(test, argc, argv);
}

#include "windows_test.moc"

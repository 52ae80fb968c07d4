// The display keys S (sound), I (live counters) and N (single step) and their boxes on the
// control form, on the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "display/display_form.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/options_keys.h"
#include "engine/settings.h"
#include "ui/form_test_helpers.h"
#include "ui/program_windows.h"

using namespace mv;

namespace run_aids_test {
namespace {

constexpr int sort_index = 65;

uint64_t operations() {
  return comparisons.get() + movings.get() + swappings.get();
}

// Positions at which two key lists differ.
int differences(const std::vector<int32_t>& a, const std::vector<int32_t>& b) {
  int d = 0;
  for (size_t i = 0; i < a.size(); ++i) d += a[i] != b[i];
  return d;
}

}  // namespace

class RunAidsTest : public QObject, FormWindows {
  Q_OBJECT

 private:
  // First-start defaults, a set of the given size, the hooked sort, no report at the end.
  void fresh(int columns, int rows) {
    hooked_steps = 0;
    fresh_set(columns, rows, sort_index);
    quiet_reports();
    controls.CheckBox7 = true;
  }
  void start_run() { control->start_processing(); }

 private slots:
  void initTestCase() {
    hide_offscreen_warnings();
    replace_procedure(sort_index, hooked_bubble_sort);
    open_windows();
  }
  void cleanupTestCase() { close_windows(); }
  void init() {
    step_hook = nullptr;
    hooked_steps = 0;
    paused = false;
  }

  // Off at the first start; the boxes keep their options keys; S toggles the sound during a run
  // (the box follows) and outside a run stays a key like any other. With no audio device the
  // run plays on silently.
  void soundKeyAndBox() {
    fresh(40, 30);
    QCheckBox* box = control->check_box("sound");
    QVERIFY(box && !box->isChecked() && !settings.sound);
    QVERIFY(!control->check_box("live_counters")->isChecked());
    QCOMPARE(get_option("sound").value_or(""), std::string("0"));
    bool on_during_run = false, off_again = true;
    step_hook = [&](int step) {
      if (step == 3) {
        QTest::keyClick(display, 's');
        on_during_run = settings.sound && box->isChecked() && touch_reports;
      } else if (step == 400) {
        QTest::keyClick(display, 'S');
        off_again = !settings.sound && !box->isChecked();
      }
    };
    start_run();
    QVERIFY(on_during_run);
    QVERIFY(off_again);
    QVERIFY(!break_off);
    QCOMPARE(hooked_steps, 40 * 39 / 2);

    box->click();
    QVERIFY(settings.sound);
    QCOMPARE(get_option("sound").value_or(""), std::string("1"));
    QTest::keyClick(display, 's');  // no run: not the sound key
    QVERIFY(box->isChecked());
    set_option("sound", "0");  // as the options file sets it
    QVERIFY(!touch_reports);
    box->setChecked(false);
  }

  // I shows the counters over the columns during a run: a panel in the top left corner, framed
  // and written in the foreground colour on the background colour, on both backgrounds. With
  // MIVROLA_SHOTS set, a picture of each display goes there.
  void liveCountersKey() {
    for (int background : {0, 1}) {
      fresh(300, 200);
      control->radio_group("RadioGroup1")->button(background)->click();
      const QRgb ink = background == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
      QCheckBox* box = control->check_box("live_counters");
      bool shown = false, panel_drawn = false, hidden_again = false;
      step_hook = [&](int step) {
        if (step == 5) {
          QTest::keyClick(display, 'i');
          shown = settings.live_counters && box->isChecked() && display->live_counters_shown();
        } else if (step == 2000) {
          const QImage image = display->grab().toImage();
          // Inside the frame: the text, near the ink's grey (the panel itself is near the
          // background's, whatever columns stand behind it).
          int ink_pixels = 0;
          for (int y = 6; y < 60; ++y) {
            for (int x = 6; x < 100; ++x) {
              ink_pixels += std::abs(qGray(image.pixel(x, y)) - qGray(ink)) < 100;
            }
          }
          panel_drawn = image.pixel(4, 20) == ink && image.pixel(20, 4) == ink && ink_pixels > 300;
          if (const QByteArray dir = qgetenv("MIVROLA_SHOTS"); !dir.isEmpty()) {
            image.save(QStringLiteral("%1/live_counters_%2.png")
                           .arg(QString::fromLocal8Bit(dir), background == 0
                                                                 ? QStringLiteral("white")
                                                                 : QStringLiteral("black")));
          }
        } else if (step == 3000) {
          QTest::keyClick(display, 'I');
          hidden_again = !settings.live_counters && !display->live_counters_shown();
        }
      };
      start_run();
      QVERIFY(shown);
      QVERIFY(panel_drawn);
      QVERIFY(hidden_again);
      QVERIFY(!break_off);
    }
    control->radio_group("RadioGroup1")->button(0)->click();
  }

  // Paused bubble sort on 10 columns: each N runs exactly one comparison or swapping and pauses
  // again; a held-down N (auto-repeat) that outruns its step breaks nothing; P resumes.
  void singleSteps() {
    fresh(10, 30);
    control->check_box("CheckBox15")->setChecked(true);  // every comparison is drawn
    std::vector<uint64_t> ops;
    std::vector<std::vector<int32_t>> sets;
    bool paused_each_time = true;
    std::function<void()> look = [&] {
      paused_each_time = paused_each_time && paused;
      ops.push_back(operations());
      sets.push_back(visible_keys());
      if (ops.size() == 12) {
        QTest::keyClick(display, 'p');
        return;
      }
      QTest::keyClick(display, 'n');
      // The key repeats while held; the step has not paused yet.
      QKeyEvent repeat(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, QStringLiteral("n"), true);
      QApplication::sendEvent(display, &repeat);
      QTimer::singleShot(20, display, look);
    };
    step_hook = [&](int step) {
      if (step != 5) return;
      QTest::keyClick(display, 'p');
      QTimer::singleShot(20, display, look);
    };
    start_run();
    QCOMPARE(ops.size(), size_t(12));
    QVERIFY(paused_each_time);
    for (size_t k = 1; k < ops.size(); ++k) {
      QCOMPARE(ops[k] - ops[k - 1], uint64_t(1));
      const int d = differences(sets[k - 1], sets[k]);
      QVERIFY(d == 0 || d == 2);  // a comparison, or one swapping
    }
    QVERIFY(!break_off);
    QCOMPARE(hooked_steps, 10 * 9 / 2);  // P resumed, the sort ran to its end
    control->check_box("CheckBox15")->setChecked(false);
  }

  // Unpaused, N is a key like any other during a run: it breaks the run off.
  void nOutsideAPauseBreaksOff() {
    fresh(20, 30);
    step_hook = [&](int step) {
      if (step == 10) QTest::keyClick(display, 'n');
    };
    start_run();
    QVERIFY(hooked_steps < 20 * 19 / 2);
    QVERIFY(!paused);
  }

  void helpTexts() {
    if (const QByteArray dir = qgetenv("MIVROLA_SHOTS"); !dir.isEmpty()) {
      control->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/control_form.png"));
    }
    QVERIFY(control->check_box("sound")->whatsThis().contains(QStringLiteral("\"S\"")));
    QVERIFY(control->check_box("live_counters")->whatsThis().contains(QStringLiteral("\"I\"")));
    const QString brake = control->spin_edit("SpinEdit1")->whatsThis();
    QVERIFY(brake.startsWith(ui::ControlForm::help_text(3)));
    for (const char* key :
         {"\"+\"", "\"-\"", "\"C\"", "\"M\"", "\"S\"", "\"I\"", "\"P\"", "\"N\""}) {
      QVERIFY2(brake.contains(QString::fromLatin1(key)), key);
    }
  }
};

}  // namespace run_aids_test

int run_run_aids_tests(int argc, char** argv) {
  run_aids_test::RunAidsTest test;
  return run_test_object(test, argc, argv);
}

#include "run_aids_test.moc"

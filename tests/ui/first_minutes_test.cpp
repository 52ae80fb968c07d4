// What a new user meets first, driven by keys and clicks on the offscreen platform: the algorithm
// list and its filter, numbers typed beyond a spin edit's bounds, the keys during a long brake,
// the display's placement after a widening, a double click on the start button, tooltips and the
// way into context help.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QHelpEvent>
#include <QInputDevice>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWhatsThis>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "display/display_form.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/settings.h"
#include "ui/control_form.h"
#include "ui/form_test_helpers.h"
#include "ui/item_captions.h"
#include "ui/program_windows.h"

using namespace mv;

namespace first_minutes_test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int quick_sort_original = 266;
constexpr int power_of_two_index = 14;
constexpr int shaker_same = 326;  // caption "same", the start-thread variant of 325

// The test procedure: bubble sort passes over and over until the run is broken off (or 50 passes
// are done), recording which entry ran.
int ran_index = -1;
void recording_sort() {
  ran_index = algorithm_index;
  const int n = column_count();
  for (int round = 0; round < 50 && !break_off; ++round) {
    main_loop_runnings.increment();
    for (int j = n - 1; j > 0 && !break_off; --j) {
      if (elem_less(j, j - 1)) swap_elements(j, j - 1, true);
    }
    for (int j = 1; j < n && !break_off; ++j) swap_elements(j, j - 1, true);
  }
}

// A key as a person presses it: to the open popup, else to the focused widget.
void press(int key) {
  QWidget* target = QApplication::activePopupWidget();
  if (!target) target = QApplication::focusWidget();
  QVERIFY(target);
  QTest::keyClick(target, static_cast<Qt::Key>(key));
}

}  // namespace

class FirstMinutesTest : public QObject, FormWindows {
  Q_OBJECT

 private:
  QComboBox* list() { return control->combo_box("ComboBox1"); }
  QPushButton* start_button() { return control->button("Button2"); }
  void fresh(int columns, int rows, int algorithm) {
    fresh_set(columns, rows, algorithm);
    quiet_reports();
    controls.CheckBox10 = false;
    ran_index = -1;
  }
  void focus(QWidget* w) {
    // The activation comes back from the window system later and would move the focus again.
    control->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(control));
    w->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(w->hasFocus());
  }
  // The lines the filtered popup shows, as list rows.
  std::vector<int> shown_rows() {
    QAbstractItemModel* shown = list()->completer()->completionModel();
    std::vector<int> rows;
    for (int r = 0; r < shown->rowCount(); ++r) {
      rows.push_back(list()->findText(shown->index(r, 0).data().toString()));
    }
    return rows;
  }
  void type_into_list(const QString& text) {
    focus(list()->lineEdit());
    QTest::keyClicks(list()->lineEdit(), text);
  }
  bool display_centred() {
    const QRect s = display->screen()->geometry();
    const QRect f = display->frameGeometry();
    return std::abs(f.center().x() - s.center().x()) <= 1 &&
           std::abs(f.center().y() - s.center().y()) <= 1;
  }

 private slots:
  void initTestCase() {
    hide_offscreen_warnings();
    for (int index : {quick_sort_original, power_of_two_index, shaker_same}) {
      replace_procedure(index, recording_sort);
    }
    for (int i = 0; i < catalogue_size; ++i) {
      if (QString::fromUtf8(catalogue_entry(i).caption).startsWith(QStringLiteral("bubble sort"))) {
        replace_procedure(i, recording_sort);
      }
    }
    open_windows();
  }
  void cleanupTestCase() { close_windows(); }

  // Typing over the chosen entry never leaves the box naming one entry while another would run.
  void theBoxNamesTheEntryThatRuns() {
    fresh(40, 30, quick_sort_original);
    type_into_list(QStringLiteral("bubble sort"));
    QVERIFY(!start_button()->isEnabled());  // typed text, no entry chosen yet
    QTRY_VERIFY(list()->completer()->popup()->isVisible());
    const int first_bubble = shown_rows().at(0);
    QVERIFY(QString::fromUtf8(catalogue_entry(first_bubble).caption).contains("bubble sort"));
    press(Qt::Key_Return);  // the first line of the filtered list
    QCOMPARE(list()->currentIndex(), first_bubble);
    QCOMPARE(list()->currentText(), list()->itemText(first_bubble));
    QCOMPARE(controls.ComboBox1, first_bubble);
    QVERIFY(start_button()->isEnabled());
    QCOMPARE(ran_index, -1);  // choosing does not start
    {
      DialogWatcher closer;
      press(Qt::Key_Return);
    }
    QCOMPARE(ran_index, first_bubble);

    // The highlighted line, when there is one.
    type_into_list(QStringLiteral("bubble sort"));
    QTRY_VERIFY(list()->completer()->popup()->isVisible());
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    const int second = list()->findText(list()->lineEdit()->text());
    QVERIFY(second >= 0 && second != first_bubble);
    press(Qt::Key_Return);
    QCOMPARE(list()->currentIndex(), second);

    // Text that names no entry: no start until an entry is chosen; leaving restores the box.
    ran_index = -1;
    type_into_list(QStringLiteral("no such sort"));
    QVERIFY(!start_button()->isEnabled());
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    QCOMPARE(ran_index, -1);
    QCOMPARE(list()->lineEdit()->text(), QStringLiteral("no such sort"));
    focus(control->spin_edit("SpinEdit1"));
    QCOMPARE(list()->currentText(), list()->itemText(second));
    QVERIFY(start_button()->isEnabled());
  }

  // Digits find entries by their index, words the "same" entries by the entry they refer to;
  // each line names its index, the captions themselves are unchanged.
  void everyLineCanBeToldApartAndFound() {
    fresh(40, 30, -1);
    QCOMPARE(list()->count(), catalogue_size);
    QCOMPARE(list()->itemText(shaker_same),
             QStringLiteral("326  same  (325: shaker sort / cocktail sort simultaneous)"));
    QCOMPARE(QString::fromUtf8(catalogue_entry(shaker_same).caption), QStringLiteral("same"));
    QCOMPARE(list()->itemText(310),
             QStringLiteral(
                 "310  same as 308  (308: radix sort msd, iterative, simultaneous, in place)"));
    QVERIFY(list()->itemText(29).contains(QStringLiteral("(27: bitonic merge sort iterative")));
    QCOMPARE(list()->itemText(0), QStringLiteral("0  annealing sort"));
    QStringList lines;
    for (int i = 0; i < list()->count(); ++i) lines << list()->itemText(i);
    QCOMPARE(lines.removeDuplicates(), 0);

    type_into_list(QStringLiteral("shaker"));
    std::vector<int> rows = shown_rows();
    QVERIFY(std::find(rows.begin(), rows.end(), shaker_same) != rows.end());
    QVERIFY(std::find(rows.begin(), rows.end(), 325) != rows.end());
    for (int r : rows)
      QVERIFY(list()->itemText(r).contains(QStringLiteral("shaker"), Qt::CaseInsensitive));

    // A click on a line chooses it.
    QAbstractItemView* popup = list()->completer()->popup();
    QTRY_VERIFY(popup->isVisible());
    const int line = int(std::find(rows.begin(), rows.end(), 325) - rows.begin());
    const QRect rect = popup->visualRect(popup->model()->index(line, 0));
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(list()->currentIndex(), 325);
    QCOMPARE(list()->currentText(), list()->itemText(325));
    QVERIFY(start_button()->isEnabled());

    list()->lineEdit()->clear();
    type_into_list(QStringLiteral("32"));
    QCOMPARE(shown_rows(),
             (std::vector<int>{32, 320, 321, 322, 323, 324, 325, 326, 327, 328, 329}));
    QTest::keyClick(list()->lineEdit(), '6');
    QCOMPARE(shown_rows(), std::vector<int>{shaker_same});
    press(Qt::Key_Return);
    QCOMPARE(list()->currentIndex(), shaker_same);
    QVERIFY(start_button()->isEnabled());
    QCOMPARE(start_button()->text(), QStringLiteral("sorting"));
  }

  // A number beyond a spin edit's bounds, typed and left, gives the bound.
  void typedNumbersBeyondTheBoundsGiveTheBound() {
    fresh(300, 200, quick_sort_original);
    QTest::qWait(100);  // window activations still on their way would move the focus
    const char* names[] = {"SpinEdit1", "SpinEdit2", "SpinEdit3", "SpinEdit7", "SpinEdit8"};
    for (const char* name : names) {
      QSpinBox* spin = control->spin_edit(name);
      QVERIFY(spin->isEnabled());
      const std::pair<long long, int> cases[] = {
          {spin->maximum() + 80LL, spin->maximum()},  // 2000 for 1920 and the like
          {spin->maximum() * 10LL + 7, spin->maximum()},
          {99999999999LL, spin->maximum()},
          {spin->minimum() - 1LL, spin->minimum()},
      };
      bool first = true;
      for (const auto& [typed, expected] : cases) {
        focus(spin);
        spin->selectAll();
        QTest::keyClicks(spin, QString::number(typed));
        // A moment before leaving: the rebuild for the last number within the bounds comes and
        // must not take the typed text back.
        if (first) QTest::qWait(200);
        first = false;
        QCOMPARE(spin->text(), QString::number(typed));
        focus(control->check_box("CheckBox17"));  // leaving the field
        QCOMPARE(spin->value(), expected);
        QCOMPARE(spin->text(), QString::number(expected));
      }
    }
    QCOMPARE(settings.brake_factor.load(), 0);
    QCOMPARE(settings.columns.load(), control->spin_edit("SpinEdit2")->value());
  }

  // At a long brake the run keys act within 50 ms of the key: the brake lets events run every
  // millisecond. The keys come from another thread as posted events, the way the window system
  // delivers them, and each is timed from its posting to its effect.
  void runKeysActAtOnceDuringALongBrake() {
    fresh(40, 30, quick_sort_original);
    control->spin_edit("SpinEdit1")->setValue(5000);
    DialogWatcher closer;
    // Key events made on another thread name the keyboard device: it must exist already.
    QInputDevice::primaryKeyboard();
    std::atomic<bool> done{false};
    std::vector<std::pair<char, double>> latencies;  // key, milliseconds
    std::thread keys([&] {
      auto wait_for = [&](auto condition) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!condition() && Clock::now() < deadline) std::this_thread::yield();
      };
      wait_for([] { return processing_active.load(); });
      auto key = [&](char c, auto effect) {
        std::this_thread::sleep_for(std::chrono::milliseconds(120));  // inside a brake
        const auto posted = Clock::now();
        QCoreApplication::postEvent(
            display, new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c))));
        wait_for(effect);
        latencies.emplace_back(
            c, std::chrono::duration<double, std::milli>(Clock::now() - posted).count());
      };
      key('+', [] { return settings.brake_factor.load() == 2500; });
      key('-', [] { return settings.brake_factor.load() == 5000; });
      key('c', [] { return settings.colorize_comparisons.load(); });
      key('m', [] { return settings.correct_movings.load(); });
      key('p', [] { return paused.load(); });
      key('p', [] { return !paused.load(); });
      key('x', [] { return !processing_active.load(); });
      done = true;
      break_off = true;  // should a key have gone astray, the run still ends
    });
    const auto started = Clock::now();
    QTest::mouseClick(start_button(), Qt::LeftButton);
    keys.join();
    QVERIFY(done);
    QCOMPARE(latencies.size(), size_t(7));
    double slowest = 0;
    for (const auto& [c, ms] : latencies) {
      if (ms >= 50) qWarning("key %c took %.1f ms", c, ms);
      QVERIFY(ms < 50);
      slowest = std::max(slowest, ms);
    }
    qInfo("slowest key: %.1f ms", slowest);
    QVERIFY(Clock::now() - started < std::chrono::seconds(5));
    QCOMPARE(closer.texts().size(), size_t(1));
    QVERIFY(closer.texts()[0].startsWith(QStringLiteral("sorting breaked off")));
    settings.colorize_comparisons = settings.correct_movings = false;
    control->spin_edit("SpinEdit1")->setValue(0);
  }

  // Widening the display for a power of two is not a move by the user: the display is centred
  // again at the next size, and only a real move is remembered.
  void displayCentredAgainAfterAPowerOfTwoRun() {
    fresh(100, 80, power_of_two_index);
    QVERIFY(display_centred());
    {
      DialogWatcher closer;  // the power-of-two hint
      QTest::mouseClick(start_button(), Qt::LeftButton);
    }
    QCOMPARE(column_count(), 128);
    QVERIFY(display_centred());
    QVERIFY(!controls.Form2_moved);

    QSpinBox* columns = control->spin_edit("SpinEdit2");
    focus(columns);
    columns->selectAll();
    QTest::keyClicks(columns, QStringLiteral("300"));
    QTRY_COMPARE(column_count(), 300);
    QCOMPARE(display->width(), 300);
    QVERIFY(display_centred());
    QVERIFY(!controls.Form2_moved);

    // The user moves it: that position stays.
    display->move(display->screen()->geometry().topLeft() + QPoint(7, 9));
    control->take_columns_from_display(200);
    control->create_initial_set();
    QVERIFY(controls.Form2_moved);
    QCOMPARE(display->frameGeometry().topLeft(),
             display->screen()->geometry().topLeft() + QPoint(7, 9));
  }

  // The second click of a double click on the start button lands on the display as the run
  // starts; it does not break the run off. A later click does, and so does a key at once.
  void doubleClickOnTheStartButtonDoesNotBreakOff() {
    fresh(40, 30, quick_sort_original);
    control->spin_edit("SpinEdit1")->setValue(10);  // about a millisecond a column
    for (bool by_key : {false, true}) {
      DialogWatcher closer;
      bool broken_early = true;
      Clock::duration run_length{};
      QTimer::singleShot(20, display, [&] {
        if (by_key) {
          QTest::keyClick(display, 'x');
        } else {
          QTest::mouseDClick(display, Qt::LeftButton);
        }
        broken_early = break_off;
        QTimer::singleShot(400, display, [&] { QTest::mouseClick(display, Qt::LeftButton); });
      });
      const auto started = Clock::now();
      QTest::mouseClick(start_button(), Qt::LeftButton);
      run_length = Clock::now() - started;
      QCOMPARE(broken_early, by_key);
      QCOMPARE(closer.texts().size(), size_t(1));
      QVERIFY(closer.texts()[0].startsWith(QStringLiteral("sorting breaked off")));
      if (!by_key) QVERIFY(run_length >= std::chrono::milliseconds(400));
      QTest::qWait(450);  // the second timer has fired into the idle display
    }
    control->spin_edit("SpinEdit1")->setValue(0);
  }

  // Each help text is its control's tooltip; with context-sensitive help on, a "?" button beside
  // the check box leads into What's This.
  void tooltipsAndTheWayIntoContextHelp() {
    fresh(40, 30, quick_sort_original);
    for (const char* name : {"ComboBox1", "SpinEdit2", "CheckBox13", "Button2", "StaticText1"}) {
      QWidget* w = control->control(name);
      const QString text = ui::ControlForm::help_text(ui::ControlForm::help_number(name));
      QVERIFY(text != ui::ControlForm::help_text(0));
      QCOMPARE(QTextDocumentFragment::fromHtml(w->toolTip()).toPlainText(), text);
      QCOMPARE(w->whatsThis(), text);
    }
    QVERIFY(control->control("Label_SpinEdit3")->toolTip().isEmpty());
    // Hovering shows it.
    QWidget* brake = control->control("SpinEdit1");
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), brake->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(brake, &hover);
    QTRY_VERIFY(QToolTip::isVisible());
    // The brake factor's text also lists the display keys.
    QCOMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText().simplified(),
             brake->whatsThis().simplified());
    QVERIFY(brake->whatsThis().startsWith(ui::ControlForm::help_text(3)));
    QToolTip::hideText();

    auto* ask = qobject_cast<QToolButton*>(control->control("WhatsThisButton"));
    QVERIFY(ask);
    QVERIFY(ask->isHidden());
    QCheckBox* context_help = control->check_box("CheckBox13");
    QTest::mouseClick(context_help, Qt::LeftButton);
    QVERIFY(context_help->isChecked());
    QVERIFY(ask->isVisible());
    QVERIFY(ask->geometry().left() >= context_help->geometry().right());
    QVERIFY(!ask->toolTip().isEmpty());
    QTest::mouseClick(ask, Qt::LeftButton);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QTest::mouseClick(control->check_box("CheckBox22"), Qt::LeftButton);
    QTRY_VERIFY(whats_this_popup_shown());
    QWhatsThis::hideText();
    QVERIFY(control->check_box("CheckBox22")->isChecked());  // the help click changed nothing
    QTest::mouseClick(context_help, Qt::LeftButton);
    QVERIFY(ask->isHidden());
  }
};

}  // namespace first_minutes_test

int run_first_minutes_tests(int argc, char** argv) {
  first_minutes_test::FirstMinutesTest test;
  return run_test_object(test, argc, argv);
}

#include "first_minutes_test.moc"

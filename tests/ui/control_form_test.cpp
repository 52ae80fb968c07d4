// The control form on the offscreen platform: the focus rule and the rebuild timers, the rules at
// their edges, the per-algorithm enabling, help, keys, the options file through the forms and the
// parameter prompts through the Qt host.
#include <sys/stat.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWhatsThis>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/parameters.h"
#include "engine/settings.h"
#include "ui/form_test_helpers.h"
#include "ui/program_windows.h"

using namespace mv;

namespace control_form_test {
namespace {

int runs = 0;
void counting_sort_stub() {
  ++runs;
}

constexpr int sort_index = 65;          // conditional stable sort with stability controls
constexpr int block_size_index = 35;    // asks "block size (integer)"
constexpr int thread_limit_index = 13;  // asks only the thread limit

}  // namespace

class ControlFormTest : public QObject, FormWindows {
  Q_OBJECT

 private:
  QSpinBox* spin(const char* name) { return control->spin_edit(name); }
  QCheckBox* box(const char* name) { return control->check_box(name); }
  QComboBox* list(const char* name) { return control->combo_box(name); }
  bool enabled(const char* name) { return control->control(name)->isEnabled(); }
  bool shown(const char* name) { return !control->control(name)->isHidden(); }

  // Back to the first-start values with a set of the given size.
  void fresh(int columns, int rows, int algorithm) {
    control->start_up();
    control->take_columns_from_display(columns);
    control->take_rows_from_display(rows);
    list("ComboBox1")->setCurrentIndex(algorithm);
    control->create_initial_set();
  }
  void focus(QWidget* w) {
    control->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(w->hasFocus());
  }
  // The screen bounds and every shown value inside its bounds and equal to the engine's.
  void check_sane() {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const int n = settings.columns, r = settings.rows;
    QVERIFY(controls.SpinEdit2_max >= 2 && controls.SpinEdit2_max <= screen.width());
    QVERIFY(controls.SpinEdit3_max >= 2 && controls.SpinEdit3_max <= screen.height());
    QVERIFY(n >= 2 && n <= controls.SpinEdit2_max);
    QVERIFY(r >= 2 && r <= controls.SpinEdit3_max);
    QCOMPARE(spin("SpinEdit2")->value(), n);
    QCOMPARE(spin("SpinEdit3")->value(), r);
    QCOMPARE(spin("SpinEdit5")->maximum(), std::max(1, n / 3));
    QCOMPARE(spin("SpinEdit6")->maximum(), n);
    QCOMPARE(spin("SpinEdit8")->maximum(), n);
    QCOMPARE(spin("SpinEdit10")->maximum(), n / 2);
    QVERIFY(spin("SpinEdit7")->maximum() >= r && spin("SpinEdit7")->maximum() <= r + 1);
    const std::pair<const char*, int> values[] = {
        {"SpinEdit1", settings.brake_factor}, {"SpinEdit4", controls.SpinEdit4},
        {"SpinEdit5", controls.SpinEdit5},    {"SpinEdit6", controls.SpinEdit6},
        {"SpinEdit7", controls.SpinEdit7},    {"SpinEdit8", controls.SpinEdit8},
        {"SpinEdit9", controls.SpinEdit9},    {"SpinEdit10", controls.SpinEdit10}};
    for (const auto& [name, value] : values) {
      QSpinBox* s = spin(name);
      QCOMPARE(s->value(), value);
      QVERIFY(value >= s->minimum() && value <= s->maximum());
    }
    for (const char* name : {"ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5"}) {
      QVERIFY(list(name)->currentIndex() >= 0);
    }
    QVERIFY(list("ComboBox1")->currentIndex() < catalogue_size);
    QVERIFY(
        QGuiApplication::primaryScreen()->availableGeometry().intersects(control->frameGeometry()));
    QCOMPARE(int(column_count()), n);  // a start set was built
  }

 private slots:
  void initTestCase() {
    hide_offscreen_warnings();
    for (int index : {sort_index, block_size_index, thread_limit_index}) {
      replace_procedure(index, counting_sort_stub);
    }
    open_windows({});
  }
  void cleanupTestCase() { close_windows(); }

  void focusRuleAndRebuildTimers() {
    fresh(100, 80, -1);
    QSpinBox* columns = spin("SpinEdit2");
    QTimer* timer2 = control->timer(2);
    focus(box("CheckBox1"));
    // Set by the program: the part of the rule that always runs, no timer.
    columns->setValue(90);
    QCOMPARE(settings.columns.load(), 90);
    QVERIFY(!timer2->isActive());
    QCOMPARE(int(column_count()), 100);
    QCOMPARE(spin("SpinEdit6")->value(), 45);
    QCOMPARE(spin("SpinEdit5")->maximum(), 30);
    QCOMPARE(spin("SpinEdit8")->minimum(), -90);
    QCOMPARE(spin("SpinEdit10")->maximum(), 45);
    QCOMPARE(parameters.NUMBER, 45);
    QCOMPARE(spin("SpinEdit9")->value(), 7);  // log2 90, plus 1
    // Edited by the user: the timer rebuilds the set 150 ms later.
    focus(columns);
    columns->setValue(60);
    QVERIFY(timer2->isActive());
    QTRY_COMPARE(int(column_count()), 60);

    // The subsets timer rebuilds only while its spin edit keeps the focus.
    list("ComboBox2")->setCurrentIndex(2);
    QSpinBox* subsets = spin("SpinEdit5");
    QVERIFY(subsets->isEnabled());
    const std::vector<int32_t> before = visible_keys();
    focus(subsets);
    subsets->setValue(5);
    QVERIFY(control->timer(5)->isActive());
    focus(columns);
    QTRY_VERIFY(!control->timer(5)->isActive());
    QCOMPARE(visible_keys(), before);
    focus(subsets);
    subsets->setValue(6);
    QTRY_VERIFY(visible_keys() != before);
  }

  void naturalNumbersCoupleColumnsRowsAndDistinct() {
    fresh(100, 80, sort_index);
    box("CheckBox16")->click();
    QVERIFY(controls.maximaler_Wertebereich);
    QCOMPARE(spin("SpinEdit7")->maximum(), 81);
    list("ComboBox3")->setCurrentIndex(distribution_natural_once);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(controls.SpinEdit2_max, std::min(screen.width(), screen.height()));
    QCOMPARE(settings.columns.load(), 80);
    QCOMPARE(settings.rows.load(), 80);
    QVERIFY(!box("CheckBox16")->isChecked());
    QVERIFY(!spin("SpinEdit7")->isEnabled());
    QCOMPARE(spin("SpinEdit7")->value(), 80);
    for (const char* name : {"CheckBox2", "CheckBox20", "CheckBox21", "CheckBox22", "CheckBox28",
                             "Label_enforce_stability"}) {
      QVERIFY2(!enabled(name), name);
    }

    focus(spin("SpinEdit2"));
    spin("SpinEdit2")->setValue(70);
    QCOMPARE(spin("SpinEdit3")->value(), 70);
    QCOMPARE(controls.SpinEdit7, 70);
    QCOMPARE(spin("SpinEdit7")->maximum(), 70);
    focus(spin("SpinEdit3"));
    spin("SpinEdit3")->setValue(50);
    QCOMPARE(spin("SpinEdit2")->value(), 50);
    QCOMPARE(parameters.NUMBER, 25);
    QTRY_COMPARE(int(column_count()), 50);
    // Whole screen under natural numbers: checked exactly when rows are at their bound.
    QCOMPARE(box("CheckBox12")->checkState(), Qt::Unchecked);

    list("ComboBox3")->setCurrentIndex(0);
    QVERIFY(box("CheckBox16")->isChecked());  // the remembered maximum range
    QVERIFY(enabled("CheckBox2") && enabled("CheckBox20") && enabled("SpinEdit7"));
  }

  void wholeScreenIsTriState() {
    fresh(100, 80, -1);
    QCheckBox* whole = box("CheckBox12");
    QCOMPARE(whole->checkState(), Qt::Unchecked);
    QVERIFY(whole->isEnabled());
    control->take_columns_from_display(controls.SpinEdit2_max);
    QCOMPARE(whole->checkState(), Qt::PartiallyChecked);
    QVERIFY(whole->isEnabled());
    whole->click();  // from grey always to checked: columns and rows at their bounds
    QCOMPARE(whole->checkState(), Qt::Checked);
    QVERIFY(!whole->isEnabled());
    QCOMPARE(settings.columns.load(), controls.SpinEdit2_max);
    QCOMPARE(settings.rows.load(), controls.SpinEdit3_max);
    QCOMPARE(int(column_count()), controls.SpinEdit2_max);
    control->take_rows_from_display(100);
    QCOMPARE(whole->checkState(), Qt::PartiallyChecked);
    control->take_columns_from_display(100);
    QCOMPARE(whole->checkState(), Qt::Unchecked);
  }

  void nDistinctBoundAndMaximum() {
    fresh(100, 80, -1);
    QSpinBox* distinct = spin("SpinEdit7");
    QCheckBox* maximum = box("CheckBox26");
    QCOMPARE(distinct->maximum(), 80);
    QCOMPARE(distinct->value(), 80);
    QVERIFY(!maximum->isEnabled());
    QVERIFY(maximum->isChecked());
    focus(distinct);
    distinct->setValue(1000);  // clamped into its bound
    QCOMPARE(distinct->value(), 80);
    distinct->setValue(10);
    QCOMPARE(controls.SpinEdit7, 10);
    QVERIFY(control->timer(7)->isActive());
    QVERIFY(maximum->isEnabled());
    QVERIFY(!maximum->isChecked());
    maximum->click();
    QCOMPARE(distinct->value(), 80);
    QVERIFY(!maximum->isEnabled());
    QTRY_VERIFY(!control->timer(7)->isActive());

    // Rows edited: n distinct that equalled them follows, a smaller one stays unless above the
    // new bound.
    QSpinBox* rows = spin("SpinEdit3");
    focus(rows);
    rows->setValue(60);
    QCOMPARE(controls.SpinEdit7, 60);
    QTRY_VERIFY(!control->timer(3)->isActive());
    focus(distinct);
    distinct->setValue(20);
    QTRY_VERIFY(!control->timer(7)->isActive());
    focus(rows);
    rows->setValue(70);
    QCOMPARE(controls.SpinEdit7, 20);
    rows->setValue(15);
    QCOMPARE(controls.SpinEdit7, 15);
    QTRY_VERIFY(!control->timer(3)->isActive());

    // Maximum range: n distinct at rows takes the extra value 0.
    box("CheckBox16")->click();
    QCOMPARE(distinct->maximum(), 16);
    QCOMPARE(distinct->value(), 16);
    box("CheckBox16")->click();
    QCOMPARE(distinct->value(), 15);
    QCOMPARE(distinct->maximum(), 15);
  }

  void perAlgorithmEnabling() {
    fresh(64, 40, -1);
    struct Case {
      int index;
      std::vector<const char*> on, off;
    };
    const Case cases[] = {
        {124, {"ComboBox5", "Label_ComboBox5", "CheckBox23"}, {"RadioGroup8", "CheckBox10"}},
        {13, {"RadioGroup8", "CheckBox18"}, {"ComboBox5", "CheckBox23", "CheckBox10"}},
        {35, {"CheckBox10"}, {"RadioGroup8", "ComboBox5"}},
        {sort_index,
         {"CheckBox2", "CheckBox20", "CheckBox21", "Label_enforce_stability", "CheckBox15",
          "CheckBox17", "CheckBox24", "CheckBox5", "CheckBox28"},
         {"CheckBox22", "CheckBox18", "ComboBox5"}},
        {5, {}, {"CheckBox2", "CheckBox20", "CheckBox21", "Label_enforce_stability", "CheckBox28"}},
        {10, {"CheckBox22", "CheckBox2", "CheckBox21"}, {"CheckBox20"}},
        {400,
         {"CheckBox24"},
         {"CheckBox2", "CheckBox21", "CheckBox22", "CheckBox28", "CheckBox15"}},
    };
    for (const Case& c : cases) {
      list("ComboBox1")->setCurrentIndex(c.index);
      for (const char* name : c.on)
        QVERIFY2(enabled(name), qPrintable(QString("%1 on for %2").arg(name).arg(c.index)));
      for (const char* name : c.off)
        QVERIFY2(!enabled(name), qPrintable(QString("%1 off for %2").arg(name).arg(c.index)));
    }
    QCOMPARE(control->button("Button2")->text(), QStringLiteral("shuffling"));
    list("ComboBox1")->setCurrentIndex(separator_index);
    QVERIFY(!control->button("Button2")->isEnabled());
    QCOMPARE(control->button("Button2")->text(), QStringLiteral("sorting / shuffling"));

    // The simplified plasel sort starts only on a set without equal keys.
    fresh(64, 10, 258);
    QCOMPARE(control->button("Button2")->text(), QStringLiteral("sorting"));
    QVERIFY(!control->button("Button2")->isEnabled());
    list("ComboBox3")->setCurrentIndex(distribution_natural_once);
    QVERIFY(control->button("Button2")->isEnabled());
  }

  void presortingAndStructureInputs() {
    fresh(60, 40, -1);
    QComboBox* presorting = list("ComboBox4");
    spin("SpinEdit4")->setValue(5);
    control->timer(4)->stop();
    presorting->setCurrentIndex(36);  // exchanges: switched pairs instead of loops
    QCOMPARE(spin("SpinEdit4")->value(), 1);
    QVERIFY(!control->timer(4)->isActive());  // set by the program
    QVERIFY(shown("SpinEdit10") && shown("Label_SpinEdit10"));
    QVERIFY(!shown("SpinEdit4") && !shown("Label_SpinEdit4"));
    QVERIFY(!enabled("SpinEdit6"));
    presorting->setCurrentIndex(16);  // quick sort: loops and recursion depth
    QVERIFY(shown("SpinEdit4") && enabled("SpinEdit4") && enabled("Label_SpinEdit4"));
    QVERIFY(!shown("SpinEdit10"));
    QVERIFY(shown("SpinEdit9") && !shown("SpinEdit6"));
    presorting->setCurrentIndex(1);  // bubble sort: elements
    QVERIFY(shown("SpinEdit6") && enabled("SpinEdit6") && enabled("Label_SpinEdit6"));
    QVERIFY(!shown("SpinEdit9") && !enabled("SpinEdit4"));
    presorting->setCurrentIndex(0);
    QVERIFY(!enabled("SpinEdit4") && !enabled("SpinEdit6") && shown("SpinEdit6"));

    QComboBox* structure = list("ComboBox2");
    structure->setCurrentIndex(22);  // a fractal: recursion depth
    QVERIFY(shown("SpinEdit9") && shown("Label_SpinEdit9") && shown("SpinEdit5"));
    structure->setCurrentIndex(26);  // fractal 6
    QVERIFY(!shown("SpinEdit5") && !shown("Label_SpinEdit5"));
    structure->setCurrentIndex(3);
    QVERIFY(shown("SpinEdit5") && enabled("SpinEdit5") && enabled("Label_SpinEdit5"));
    QVERIFY(enabled("RadioGroup6") && !enabled("CheckBox27") && !shown("SpinEdit9"));
    structure->setCurrentIndex(9);
    QVERIFY(enabled("CheckBox27") && !enabled("RadioGroup6") && !enabled("SpinEdit5"));
  }

  void helpTextsAndContextHelp() {
    fresh(60, 40, sort_index);
    QCOMPARE(control->whatsThis(), QStringLiteral("No help available."));
    QCOMPARE(spin("SpinEdit2")->whatsThis(),
             QStringLiteral("The number of columns corresponds with the number of elements for "
                            "sorting or shuffling."));
    QCOMPARE(box("CheckBox8")->whatsThis(), box("CheckBox7")->whatsThis());
    QCOMPARE(control->control("StaticText1")->whatsThis(), box("CheckBox25")->whatsThis());
    QVERIFY(list("ComboBox1")->whatsThis().startsWith(QStringLiteral("Conditional stable")));
    QVERIFY(control->label("Label_SpinEdit3")->whatsThis().isEmpty());
    QCOMPARE(ui::ControlForm::help_text(99), QStringLiteral("No help available."));

    list("ComboBox3")->setCurrentIndex(5);
    list("ComboBox2")->setCurrentIndex(3);
    list("ComboBox4")->setCurrentIndex(2);
    box("CheckBox13")->click();
    QVERIFY(control->context_help_active());
    QVERIFY(!control->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(control->isVisible());
    QCOMPARE(list("ComboBox1")->currentIndex(), sort_index);
    QCOMPARE(list("ComboBox1")->currentText(), list("ComboBox1")->itemText(sort_index));
    QCOMPARE(list("ComboBox3")->currentIndex(), 5);
    QCOMPARE(list("ComboBox2")->currentIndex(), 3);
    QCOMPARE(list("ComboBox4")->currentIndex(), 2);

    // A help request: a click on a control shows its text in a popup; a label has the form's.
    for (QWidget* target : {static_cast<QWidget*>(box("CheckBox22")),
                            static_cast<QWidget*>(control->label("Label_SpinEdit3"))}) {
      QWhatsThis::enterWhatsThisMode();
      QTest::mouseClick(target, Qt::LeftButton);
      QTRY_VERIFY(whats_this_popup_shown());
      QWhatsThis::hideText();
      QTRY_VERIFY(!whats_this_popup_shown());
    }
    QVERIFY(box("CheckBox22")->isChecked());  // the help click changed nothing
    // Where the window system shows no help button, Shift+F1 asks for help.
    control->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(control));  // the shortcut needs the active window
    QTest::keyClick(box("CheckBox1"), Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();

    box("CheckBox13")->click();
    QVERIFY(!control->context_help_active());
    QVERIFY(control->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  }

  void keysAndLabelClicks() {
    fresh(40, 30, -1);
    quiet_reports();
    runs = 0;
    QTest::keyClick(spin("SpinEdit3"), Qt::Key_Return);  // start button disabled: nothing
    QCOMPARE(runs, 0);
    list("ComboBox1")->setCurrentIndex(sort_index);
    quiet_reports();
    // Controls that do not pass their keys: neither Enter nor Escape reaches the form.
    for (QWidget* w : {control->control("CheckBox27"), control->control("SpinEdit6"),
                       control->control("ComboBox5"), control->control("Button1"),
                       control->findChild<QWidget*>(QStringLiteral("RadioGroup1_0"))}) {
      QVERIFY(w);
      QTest::keyClick(w, Qt::Key_Return);
      QTest::keyClick(w, Qt::Key_Escape);
    }
    QCOMPARE(runs, 0);
    QVERIFY(!control->closing());
    QTest::keyClick(spin("SpinEdit3"), Qt::Key_Return);
    QCOMPARE(runs, 1);
    QTest::keyClick(box("CheckBox26"), Qt::Key_Enter);
    QCOMPARE(runs, 2);

    QVERIFY(box("CheckBox25")->isChecked());
    QTest::mouseClick(control->label("Label_SpinEdit8"), Qt::LeftButton);
    QVERIFY(!box("CheckBox25")->isChecked());
    QVERIFY(!controls.CheckBox25);
    QTest::mouseClick(control->label("StaticText1"), Qt::LeftButton);
    QVERIFY(controls.CheckBox25);
  }

  void parameterPromptsThroughTheQtHost() {
    fresh(40, 30, block_size_index);
    quiet_reports();
    QVERIFY(box("CheckBox10")->isChecked());
    {
      DialogWatcher watcher;
      watcher.answers = {QStringLiteral("0")};
      QTest::mouseClick(control->button("Button2"), Qt::LeftButton);
      QCOMPARE(watcher.prompts.size(), size_t(1));
      QCOMPARE(watcher.prompts[0].title, QStringLiteral("block size (integer)"));
      QCOMPARE(watcher.prompts[0].question, QStringLiteral("P1 (>0, <=20)?"));
      QCOMPARE(watcher.prompts[0].prefilled, QStringLiteral("1"));
      QCOMPARE(watcher.texts(),
               std::vector<QString>{QStringLiteral("Increased to 1 by the program.")});
      QCOMPARE(parameters.BlockSize, 1);
    }
    {
      // Numbers too large for the field are above the bound, not a non-number.
      DialogWatcher watcher;
      watcher.answers = {QStringLiteral("99999999999")};
      QTest::mouseClick(control->button("Button2"), Qt::LeftButton);
      QCOMPARE(watcher.texts(),
               std::vector<QString>{QStringLiteral("Decreased to 20 by the program.")});
      QCOMPARE(parameters.BlockSize, 20);
      watcher.prompts.clear();
      watcher.seen.clear();
      watcher.answers = {QStringLiteral(" -999999999999999999999999 ")};
      QTest::mouseClick(control->button("Button2"), Qt::LeftButton);
      QCOMPARE(watcher.texts(),
               std::vector<QString>{QStringLiteral("Increased to 1 by the program.")});
      watcher.prompts.clear();
      watcher.seen.clear();
      watcher.answers = {QStringLiteral("99x")};
      QTest::mouseClick(control->button("Button2"), Qt::LeftButton);
      QCOMPARE(watcher.texts(), std::vector<QString>{QStringLiteral("1 choosen by the program.")});
    }
    {
      // Cancelled: the pre-filled value stands, without a message.
      parameters.BlockSize = 7;
      DialogWatcher watcher;
      QTest::mouseClick(control->button("Button2"), Qt::LeftButton);
      QCOMPARE(watcher.prompts.size(), size_t(1));
      QCOMPARE(watcher.prompts[0].prefilled, QStringLiteral("7"));
      QVERIFY(watcher.texts().empty());
      QCOMPARE(parameters.BlockSize, 7);
    }
    {
      // The thread limit: its own prompt; a negative answer means no limit.
      list("ComboBox1")->setCurrentIndex(thread_limit_index);
      quiet_reports();
      DialogWatcher watcher;
      watcher.answers = {QStringLiteral("-3")};
      parameters.thread_limit = 5;
      QTest::mouseClick(control->button("Button2"), Qt::LeftButton);
      QCOMPARE(watcher.prompts.size(), size_t(1));
      QCOMPARE(watcher.prompts[0].title, QStringLiteral("max. number of simultaneous threads?"));
      QCOMPARE(watcher.prompts[0].question, QStringLiteral("(0 = without limit)"));
      QCOMPARE(watcher.prompts[0].prefilled, QStringLiteral("5"));
      QCOMPARE(parameters.thread_limit, 0);
    }
  }

  void optionsFileRoundTripAndDeletion() {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("mivrola.ini")).toStdString();
    open_windows(path);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QVERIFY(!box("CheckBox9")->isChecked());
    QCOMPARE(settings.columns.load(), screen.width());

    list("ComboBox3")->setCurrentIndex(7);
    list("ComboBox2")->setCurrentIndex(12);
    list("ComboBox4")->setCurrentIndex(5);
    list("ComboBox5")->setCurrentIndex(3);
    list("ComboBox1")->setCurrentIndex(sort_index);
    const std::pair<const char*, int> choices[] = {{"RadioGroup1", 1}, {"RadioGroup2", 0},
                                                   {"RadioGroup4", 3}, {"RadioGroup5", 1},
                                                   {"RadioGroup6", 1}, {"RadioGroup8", 1}};
    for (const auto& [name, id] : choices) control->radio_group(name)->button(id)->setChecked(true);
    box("CheckBox9")->click();
    box("CheckBox1")->click();
    spin("SpinEdit1")->setValue(17);
    control->take_columns_from_display(300);
    control->move(30, 40);
    QTest::keyClick(box("CheckBox1"), Qt::Key_Escape);  // Escape closes: the options are saved
    QVERIFY(control->closing());
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("ComboBox3.Itemindex=7\n"));
    QVERIFY(text.contains("RadioGroup4.Itemindex=3\n"));
    file.close();

    open_windows(path);
    QVERIFY(box("CheckBox9")->isChecked());
    QVERIFY(box("CheckBox1")->isChecked());
    QCOMPARE(list("ComboBox3")->currentIndex(), 7);
    QCOMPARE(list("ComboBox2")->currentIndex(), 12);
    QCOMPARE(list("ComboBox4")->currentIndex(), 5);
    QCOMPARE(list("ComboBox5")->currentIndex(), 3);
    QCOMPARE(settings.block_swap_method.load(), 3);
    QCOMPARE(list("ComboBox1")->currentIndex(), sort_index);
    QCOMPARE(list("ComboBox1")->currentText(), list("ComboBox1")->itemText(sort_index));
    QVERIFY(control->button("Button2")->isEnabled());
    for (const auto& [name, id] : choices) {
      QVERIFY2(control->radio_group(name)->checkedId() == id, name);
    }
    QCOMPARE(settings.line_set.load(), LineSet::colour_circle);
    QCOMPARE(controls.RadioGroup8, 1);
    QCOMPARE(spin("SpinEdit1")->value(), 17);
    QCOMPARE(settings.columns.load(), 300);
    QCOMPARE(control->pos(), QPoint(30, 40));
    check_sane();

    // Unchecked: the file goes, and the next start has the built-in settings.
    box("CheckBox9")->click();
    control->close();
    QVERIFY(!QFile::exists(QString::fromStdString(path)));
    open_windows(path);
    QVERIFY(!box("CheckBox9")->isChecked());
    QCOMPARE(list("ComboBox3")->currentIndex(), 0);
    QCOMPARE(list("ComboBox1")->currentIndex(), -1);
    QCOMPARE(settings.columns.load(), screen.width());
    open_windows({});
  }

  void garbageOptionsFileAtStart() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mivrola.ini"));
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(QByteArray("\x00\xff\x13junk[options\n==\n", 18));
      file.write(
          "[options]\nSpinEdit2.MaxValue=999999\nSpinEdit2.Value=-5\nSpinEdit3.Value=abc\n"
          "SpinEdit5.MaxValue=2147483647\nSpinEdit5.Value=99999999\nSpinEdit6.Value=-40\n"
          "SpinEdit7.MaxValue=-3\nSpinEdit7.Value=0\nSpinEdit8.Value=1000000\n"
          "SpinEdit9.Value=-1\nSpinEdit10.Value=77777\nSpinEdit4.Value=-9\n"
          "SpinEdit1.Value=99999\nComboBox1.ItemIndex=9999\nComboBox4.Itemindex=-7\n"
          "Form1.left=-99999\nForm1.top=99999\nRadioGroup4.ItemIndex=-1\n"
          "CheckBox28.Enabled=1\nCheckBox28.Checked=1\nForm2_ClientWidth=-50\n");
      file.write(QByteArray(100000, 'x'));
    }
    open_windows(path.toStdString());
    QVERIFY(box("CheckBox9")->isChecked());  // the file exists
    check_sane();
    QVERIFY(!control->zoomable_columns_active());

    // A path that cannot be read as a file (a folder, a pipe nobody writes to): a start with the
    // built-in settings that says so, and an exit that leaves the path as it is.
    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    QVERIFY(QDir().mkdir(folder));
    const QString pipe = dir.filePath(QStringLiteral("pipe.ini"));
    QCOMPARE(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    for (const QString& path : {folder, pipe}) {
      DialogWatcher watcher;
      open_windows(path.toStdString());
      QTRY_COMPARE(watcher.texts().size(), size_t{1});
      QVERIFY(watcher.texts()[0].contains(path));
      QVERIFY(watcher.texts()[0].contains(QStringLiteral(", not a file")));
      QVERIFY(watcher.texts()[0].contains(QStringLiteral("built-in settings")));
      QVERIFY(!box("CheckBox9")->isChecked());
      check_sane();
      control->close();
    }
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
    open_windows({});
  }
};

}  // namespace control_form_test

int run_control_form_tests(int argc, char** argv) {
  control_form_test::ControlFormTest test;
  return run_test_object(test, argc, argv);
}

#include "control_form_test.moc"

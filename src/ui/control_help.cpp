// Context-sensitive help: the help number of each control, the texts, and the switch between
// the plain border and the dialog border with the title-bar help button.
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QShortcut>
#include <QToolButton>
#include <QWhatsThis>
#include <map>

#include "engine/controls.h"
#include "ui/control_form.h"

namespace mv::ui {

namespace {

const std::map<int, const char*>& help_texts() {
  // Text 10 belongs to no control.
  static const std::map<int, const char*> texts = {
      {1,
       "For pre-shuffling it is advisable to start with an arranged initial set (not unsorted) or "
       "with \"number n of different elements\"=1."},
      {2,
       "The number of columns corresponds with the number of elements for sorting or shuffling."},
      {3,
       "The processing speed can be changed by keypress \"+\" (this halves the brake) and \"-\" "
       "(doubles the brake) during processing."},
      {4,
       "That doesn't mean that the program stops unexpectedly but refers to stability concerning "
       "the sorting."},
      {5,
       "Switching this option is also possible during processing by key press \"C\" or \"c\" "
       "during the processing. This slows down the representation and therefore the processing."},
      {6,
       "Enabling context-sensitive help (? button in the top right corner of this service form) "
       "blocks the _ button (for minimizing the program). Therefore a form switching occurs after "
       "every clicking at this check box."},
      {7,
       "\"instantly\" means that is not nessecary to extra click on the processing form to show "
       "the next initializing set - if there is nothing to output before."},
      {8,
       "Without entering the parameter the relevant sorting algorithms are started with the preset "
       "standard parameters."},
      {9,
       "This lets the program start next time with the same options and initial set that it had "
       "before the last exit. The options are saved at the program file preferably; otherwise, if "
       "it is not possible, in directory \"AppData\""},
      {10,
       "For shuffling it is recommended to start with an arranged initial set (not unsorted) or "
       "with \"number n of different elements\"=1."},
      {11,
       "Mode 2 can increase the visible simultaneity of partial processing tasks but may lead to "
       "an unexpected program stop too."},
      {12,
       "The elements are only exchanged when they are different (large). This improves the "
       "stability of unstable sorting algorithms."},
      {13,
       "This is only enabled for sorting algorithms that use it. The choice of block swapping "
       "algorithm can very influence the sorting duration / sorting speed."},
      {14, "If switched off, then the program starts with the same random numbers always."},
      {15, "The stabilization occurs after each sorting step respectivly at the sorted subsets."},
      {16, "The stabilization occurs after complete sorting of total set."},
      {17,
       "Conditional stable is a property of several sorting algorithms and leads to stability if "
       "the check box \"stable comparings\" is checked."},
      {18,
       "The start positions of sorting elements are compared at the comparings \"<=\" and \">=\" "
       "of the sorting keys additionally. Relevant for conditional stable sorting algorithms "
       "only."},
      {19,
       "Equally sized blocks are always swapped with the quickest method independent of chosen "
       "block swapping algorithm."},
      {20,
       "Correct representation of each element shifting / swapping by \"empty lines\". Switching "
       "this option is also possible during processing by key press \"M\" or \"m\" during the "
       "processing. This slows down the representation and therefore theprocessing."},
      {21,
       "Enables to refresh the initializing set with each mouse click onto the processing form."},
      {22, "Quickly reswitching to the maximum possible number of distinct elements."},
      {23, "Moves the initial set backward or forward."},
      {24,
       "The processing (sorting or shuffling) can be paused by \"P\" or \"p\" press and be "
       "continued by the same press again."},
      {25,
       "At several different sized sorted subsets there is a colums number equal to a power of two "
       "optimal."},
      {26, "Different quality of initial set at several initial set structures."},
      {27,
       "The normal distribution is approximated by a spline of Irwin-Hall distribution, got(ten) "
       "by a convolution of three continuous uniform (rectangular) distributions."},
      {28,
       "If the the columns number is decreased or the window (process form) is widened, then its "
       "linear columns are widened to bars too."},
      {29,
       "Opens the window for comparing algorithms (also by Ctrl+G): the chosen algorithms run "
       "without animation on initial sets of growing size, and their numbers of comparisons, "
       "movings and swappings (or the duration) are drawn against the size."},
      {30,
       "Click the algorithms to compare (click again to deselect). Typing part of a name into the "
       "field above shows only the algorithms whose name contains it."},
      {31,
       "The number of elements grows from the first size to the last, multiplied by the factor "
       "at each step. Everything else of the initial set (value distribution, structure, "
       "presorting, rows) is taken from this service form."},
      {32,
       "What is drawn upward: the number of comparisons, movings or swappings, their sum, or the "
       "duration. Both axes are logarithmic; the dashed lines show the growth n, n log n and n² "
       "for comparison."},
      {33,
       "Each size is processed this often, with the seeds one after another, and the mean is "
       "drawn. Processings that are broken off are not drawn."},
      {34,
       "The random generator starts with this number (then the next ones) at every size, so the "
       "same settings give the same numbers again, also in mivrola-batch."},
      {35,
       "The processings run in the background; meanwhile the other windows of the program wait. "
       "\"cancel\" breaks off the current processing. Not possible while sorting or shuffling "
       "runs on the processing form."},
      {36,
       "Saves the chart as SVG or PNG picture, or the numbers of every processing as CSV table."},
      {37,
       "Every comparison, moving and swapping that is shown sounds a short tone, the higher the "
       "larger the element. Switching this option is also possible during processing by key press "
       "\"S\" or \"s\". Without a sound output device nothing is heard."},
      {38,
       "Shows the algorithm, the processing duration so far, the numbers of comparisons, movings, "
       "swappings and threads and the brake factor in the upper left corner of the processing "
       "form during the processing. Switching this option is also possible during processing by "
       "key press \"I\" or \"i\"."},
  };
  return texts;
}

const std::map<std::string, int>& help_numbers() {
  static const std::map<std::string, int> numbers = {
      {"ComboBox4", 1},   {"SpinEdit2", 2},    {"SpinEdit1", 3},      {"CheckBox2", 4},
      {"CheckBox15", 5},  {"CheckBox13", 6},   {"CheckBox7", 7},      {"CheckBox8", 7},
      {"CheckBox10", 8},  {"CheckBox9", 9},    {"RadioGroup8", 11},   {"CheckBox17", 12},
      {"ComboBox5", 13},  {"CheckBox19", 14},  {"CheckBox20", 15},    {"CheckBox21", 16},
      {"ComboBox1", 17},  {"CheckBox22", 18},  {"CheckBox23", 19},    {"CheckBox24", 20},
      {"CheckBox25", 21}, {"StaticText1", 21}, {"CheckBox26", 22},    {"SpinEdit8", 23},
      {"Button2", 24},    {"ComboBox2", 25},   {"CheckBox27", 26},    {"ComboBox3", 27},
      {"CheckBox28", 28}, {"sound", 37},       {"live_counters", 38},
  };
  return numbers;
}

constexpr Qt::WindowFlags plain_border = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
// The help button and the minimise button exclude each other on the usual window systems.
constexpr Qt::WindowFlags help_border = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowContextHelpButtonHint |
                                        Qt::WindowCloseButtonHint;

}  // namespace

QString ControlForm::help_text(int number) {
  const auto it = help_texts().find(number);
  return QString::fromUtf8(it == help_texts().end() ? "No help available." : it->second);
}

int ControlForm::help_number(const std::string& control) {
  const auto it = help_numbers().find(control);
  return it == help_numbers().end() ? 0 : it->second;
}

bool ControlForm::context_help_active() const {
  return windowFlags().testFlag(Qt::WindowContextHelpButtonHint);
}

// A help request on a control without text of its own passes up to the form, whose text is
// "No help available.". Each help text is also its control's tooltip.
void ControlForm::attach_help() {
  setWhatsThis(help_text(0));
  for (const auto& [name, number] : help_numbers()) {
    if (QWidget* w = control(name.c_str())) {
      w->setWhatsThis(help_text(number));
      // As rich text, so that the long texts wrap instead of running off the screen.
      w->setToolTip(QStringLiteral("<p>%1</p>").arg(help_text(number).toHtmlEscaped()));
    }
  }
  // No title-bar help button appears under many window managers: this one, beside the check
  // box, shows while context-sensitive help is on.
  QCheckBox* box = check_box("CheckBox13");
  auto* ask_button = new QToolButton(this);
  ask_button->setObjectName(QStringLiteral("WhatsThisButton"));
  ask_button->setText(QStringLiteral("?"));
  ask_button->setToolTip(QStringLiteral(
      "What's this? Click here and then onto a control to see its help text (or press Shift+F1)."));
  ask_button->setGeometry(box->x() + box->width() + 1, box->y() - 1, 18, 18);
  ask_button->setVisible(controls.CheckBox13);
  named_["WhatsThisButton"] = ask_button;
  swallow_keys(ask_button);
  connect(ask_button, &QToolButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
  // The brake factor's help also lists every key of the processing form.
  const QString keys = QStringLiteral(
      "\n\nKeys on the processing form during the processing: \"+\" faster, \"-\" slower, \"C\" "
      "colorize comparisons, \"M\" correct movings, \"S\" sound, \"I\" show counters, \"P\" "
      "pause and continue, \"N\" while paused: one more comparison, moving or swapping (hold it "
      "down for more). Any other key or a mouse click breaks the processing off.");
  control("SpinEdit1")->setWhatsThis(help_text(3) + keys);
  control("SpinEdit1")
      ->setToolTip(QStringLiteral("<p>%1</p>").arg((help_text(3) + keys).toHtmlEscaped()));
  // Where the window system shows no title-bar help button, Shift+F1 asks for help instead.
  auto* ask = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), this);
  connect(ask, &QShortcut::activated, this, [] {
    if (controls.CheckBox13) QWhatsThis::enterWhatsThisMode();
  });
}

void ControlForm::set_context_help(bool on) {
  controls.CheckBox13 = on;
  show_control("WhatsThisButton", on);
  const Qt::WindowFlags wanted = on ? help_border : plain_border;
  if (windowFlags() == wanted) return;
  // A new border recreates the window; the list selections are set again afterwards.
  int selections[4] = {-1, -1, -1, -1};
  const char* const lists[4] = {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4"};
  for (int k = 0; k < 4; ++k) {
    if (QComboBox* c = combo_box(lists[k])) selections[k] = c->currentIndex();
  }
  const bool visible = isVisible();
  const QPoint at = pos();
  setWindowFlags(wanted);
  for (int k = 0; k < 4; ++k) {
    if (QComboBox* c = combo_box(lists[k])) {
      const QSignalBlocker block(c);
      c->setCurrentIndex(selections[k]);
    }
  }
  if (algorithm_list_) restore_algorithm_text();
  move(at);
  if (visible) show();
}

}  // namespace mv::ui

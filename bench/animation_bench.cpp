// Quick sort (catalogue entry 268) on 1920 columns at brake factor 0: animated through the Qt
// host on the offscreen platform (a 1920 x 1080 screen) against the same runs headless, and
// animated with sound and with the live counters against animated without. Prints the times,
// their ratios and the repaints per second of the animated runs.
//
//   build/default/bench/animation_bench [runs]
//
// Where entry 268 has no procedure yet, a plain counted quick sort stands in for it (the output
// says so).
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <utility>
#include <vector>

#include "algorithms/registry.h"
#include "display/counter_overlay.h"
#include "display/display_form.h"
#include "engine/catalogue.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/headless_run.h"
#include "engine/host.h"
#include "engine/options_keys.h"
#include "engine/random.h"
#include "engine/settings.h"
#include "initial_set/initial_set.h"
#include "ui/program_windows.h"
#include "ui/qt_host.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int quick_sort_index = 268;
constexpr int columns = 1920;
constexpr int rows = 1080;

// Stand-in: iterative quick sort, middle pivot, Hoare partition, on the counted operations.
void stand_in_quick_sort() {
  std::vector<std::pair<int, int>> ranges = {{0, mv::column_count() - 1}};
  while (!ranges.empty() && !mv::break_off) {
    auto [low, high] = ranges.back();
    ranges.pop_back();
    if (low >= high) continue;
    mv::main_loop_runnings.increment();
    const int pivot = mv::elements[low + (high - low) / 2].key;
    int i = low, j = high;
    while (i <= j && !mv::break_off) {
      while (mv::cmp_less(mv::elements[i].key, pivot)) ++i;
      while (mv::cmp_greater(mv::elements[j].key, pivot)) --j;
      if (i <= j) mv::swap_elements(i++, j--, true);
    }
    ranges.push_back({low, j});
    ranges.push_back({i, high});
  }
}

mv::AlgorithmProcedure measured = nullptr;
Clock::duration measured_time{};
double measured_cpu_ms = 0;  // CPU time of the main thread, which a loaded machine disturbs less
uint64_t frames_during_runs = 0;
mv::display::DisplayForm* display_form = nullptr;

double thread_cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Times only the algorithm itself, the same way on both sides.
void timed_procedure() {
  const uint64_t frames = display_form ? display_form->frames_painted() : 0;
  const auto start = Clock::now();
  const double cpu_start = thread_cpu_ms();
  measured();
  measured_time += Clock::now() - start;
  measured_cpu_ms += thread_cpu_ms() - cpu_start;
  if (display_form) frames_during_runs += display_form->frames_painted() - frames;
}

void settings_for_bench() {
  mv::set_first_start_defaults(columns, rows, columns, rows);
  mv::settings.brake_factor = 0;
  // No report dialog, straight back to the start set.
  mv::controls.CheckBox11 = mv::controls.CheckBox14 = mv::controls.CheckBox2 = false;
  mv::controls.CheckBox5 = mv::controls.CheckBox18 = false;
  mv::controls.CheckBox8 = true;
}

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
  QTemporaryDir dir;
  const QString config = dir.filePath(QStringLiteral("screen.json"));
  {
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) return 1;
    f.write(R"({"screens":[{"name":"bench","x":0,"y":0,"width":1920,"height":1080,)"
            R"("logicalDpi":96,"logicalBpp":32,"dpr":1}]})");
  }
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
  // The offscreen platform warns about every raise(); that is not news here.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
    if (!message.startsWith(QStringLiteral("This plugin does not support"))) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  });
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Mivrola"));
  QApplication::setQuitOnLastWindowClosed(false);

  mv::register_all_algorithms();
  measured = mv::procedure_of(quick_sort_index);
  const bool stand_in = measured == nullptr;
  if (stand_in) measured = stand_in_quick_sort;
  mv::register_procedure(quick_sort_index, timed_procedure);

  // Headless, as the batch tool runs it.
  settings_for_bench();
  mv::controls.ComboBox1 = quick_sort_index;
  for (int k = 0; k < runs; ++k) mv::run_headless(quick_sort_index, 1000u + k, 0);
  const Clock::duration headless = measured_time;

  // Animated through the windows.
  mv::ui::ProgramWindows windows;
  mv::ui::ControlForm& control = windows.control;
  mv::display::DisplayForm& display = windows.display;
  control.start_up();
  display.create_form();
  settings_for_bench();
  control.create_initial_set();
  display_form = &display;
  // One run with sound and counters first, not counted: the audio thread starts and the
  // counters' font is loaded once (the program has loaded it for its forms already).
  mv::set_sound(true);
  mv::settings.live_counters = true;
  mv::CreateInitialSet();
  control.after_set_built();
  control.start_processing();
  // Plain, with sound and with the live counters, taking turns so that a change in the machine's
  // load falls on all three alike.
  Clock::duration animated{}, with_sound{}, with_counters{};
  double cpu[3] = {0, 0, 0};
  uint64_t frames_at_brake_0 = 0;
  for (int k = 0; k < runs; ++k) {
    // Each in every place of the order in turn: a run pays for what the one before left behind.
    Clock::duration* order[3] = {&animated, &with_sound, &with_counters};
    std::rotate(order, order + k % 3, order + 3);
    for (Clock::duration* variant : order) {
      mv::set_sound(variant == &with_sound);
      mv::settings.live_counters = variant == &with_counters;
      mv::random_seed = 1000u + k;
      mv::controls.ComboBox1 = quick_sort_index;
      mv::CreateInitialSet();
      control.after_set_built();
      measured_time = {};
      measured_cpu_ms = 0;
      const uint64_t frames = frames_during_runs;
      control.start_processing();
      *variant += measured_time;
      cpu[variant == &animated ? 0 : variant == &with_sound ? 1 : 2] += measured_cpu_ms;
      if (variant == &animated) frames_at_brake_0 += frames_during_runs - frames;
    }
  }
  mv::set_sound(false);
  mv::settings.live_counters = false;

  // One run long enough to watch the frame rate: brake factor 1 (one brake unit per column).
  mv::random_seed = 999u;
  mv::CreateInitialSet();
  control.after_set_built();
  mv::settings.brake_factor = 1;
  measured_time = {};
  frames_during_runs = 0;
  control.start_processing();
  const Clock::duration braked = measured_time;

  std::printf("quick sort (entry %d%s), %d columns x %d rows, brake 0, %d runs each\n",
              quick_sort_index, stand_in ? ": stand-in, the entry has no procedure yet" : "",
              columns, rows, runs);
  std::printf("headless: %.1f ms (%.3f ms a run)\n", ms(headless), ms(headless) / runs);
  std::printf("animated: %.1f ms (%.3f ms a run)\n", ms(animated), ms(animated) / runs);
  std::printf("ratio animated / headless: %.2f\n", ms(animated) / ms(headless));
  std::printf(
      "with sound: %.1f ms, %+.1f %% against animated; CPU %.1f ms against %.1f, %+.1f %%\n",
      ms(with_sound), 100.0 * (ms(with_sound) / ms(animated) - 1.0), cpu[1], cpu[0],
      100.0 * (cpu[1] / cpu[0] - 1.0));
  std::printf(
      "with live counters: %.1f ms, %+.1f %% against animated; CPU %.1f ms against %.1f, %+.1f "
      "%%\n",
      ms(with_counters), 100.0 * (ms(with_counters) / ms(animated) - 1.0), cpu[2], cpu[0],
      100.0 * (cpu[2] / cpu[0] - 1.0));
  {
    // One frame's share of the live counters: the panel painted over a surface-sized image.
    QImage frame(columns, rows, QImage::Format_RGB32);
    frame.fill(Qt::white);
    mv::display::CounterOverlay overlay;
    mv::processing_active = true;
    const int frames = 200;
    const double start = thread_cpu_ms();
    for (int k = 0; k < frames; ++k) {
      QPainter painter(&frame);
      overlay.paint(painter, frame.rect(), true);
    }
    const double each = (thread_cpu_ms() - start) / frames;
    mv::processing_active = false;
    std::printf("live counters: %.3f ms CPU a frame, %.1f %% of a 60 Hz frame\n", each,
                100.0 * each / (1000.0 / 60.0));
  }
  std::printf("repaints during the brake-0 runs: %llu (%.1f a second)\n",
              static_cast<unsigned long long>(frames_at_brake_0),
              frames_at_brake_0 / (ms(animated) / 1000.0));
  std::printf("one run at brake 1: %.1f ms, %llu repaints, %.1f a second\n", ms(braked),
              static_cast<unsigned long long>(frames_during_runs),
              frames_during_runs / (ms(braked) / 1000.0));

  // The brake of one drawn column at several factors through the Qt host, after the event pump
  // that precedes it in every drawn column: its length against b brake units, and the processor
  // time it took (a spinning brake takes all of it).
  for (int b : {1, 10, 100, 1000, 5000}) {
    mv::settings.brake_factor = b;
    const int brakes = std::max(2, 3000 / b);
    Clock::duration braking{};
    std::clock_t processor = 0;
    for (int k = 0; k < brakes; ++k) {
      mv::host().process_events();
      const std::clock_t cpu_start = std::clock();
      const auto start = Clock::now();
      mv::brake();
      braking += Clock::now() - start;
      processor += std::clock() - cpu_start;
    }
    // The same brake as b spinning units of its length, on the same machine at the same time.
    Clock::duration spinning{};
    for (int k = 0; k < brakes; ++k) {
      const auto start = Clock::now();
      for (int u = 0; u < b; ++u) {
        const auto unit_end = Clock::now() + mv::ui::QtHost::brake_unit_length;
        while (Clock::now() < unit_end) {
        }
      }
      spinning += Clock::now() - start;
    }
    const double wall = ms(braking);
    const double cpu = 1000.0 * double(processor) / CLOCKS_PER_SEC;
    const double nominal = 0.1 * b;
    std::printf(
        "brake %4d: %.4f ms a column (nominal %.1f ms, %+.2f %%, spinning units %+.2f %%), "
        "processor %.0f %%\n",
        b, wall / brakes, nominal, 100.0 * (wall / brakes - nominal) / nominal,
        100.0 * (ms(spinning) / brakes - nominal) / nominal, 100.0 * cpu / wall);
  }
  mv::settings.brake_factor = 0;
  return 0;
}

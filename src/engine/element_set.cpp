#include "engine/element_set.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "engine/main_thread.h"

#include "engine/random.h"

namespace mv {

std::atomic<bool> counting_parallel{false};
std::atomic<bool> counting_slow_path{false};
LiveSettings settings;

std::vector<Element> elements;
std::vector<Element> buffer_a;
std::vector<Element> buffer_b;
std::vector<uint16_t> column_right_edges;

Counter<uint64_t> comparisons;
Counter<uint64_t> movings;
Counter<uint64_t> swappings;
Counter<uint64_t> main_loop_runnings;
Counter<uint32_t> threads;

std::atomic<bool> processing_active{false};
std::atomic<bool> break_off{false};
PauseFlag paused;
std::atomic<bool> results_shown{false};
std::atomic<uint16_t> algorithm_index{0};
bool stable_comparings = true;
std::atomic<uint64_t> break_after_ops{0};

Surface surface;

namespace {

// Recorded columns: bit 31 recorded, bit 24 clear above, bits 0-23 the colour. The index range
// [pending_low, pending_high] holds every recorded column.
constexpr uint32_t pending_bit = 1u << 31;
constexpr uint32_t pending_clear_bit = 1u << 24;
std::atomic<bool> deferred{false};
std::vector<std::atomic<uint32_t>> pending;
std::atomic<int> pending_low{INT_MAX};
std::atomic<int> pending_high{-1};

void discard_pending() {
  for (auto& p : pending) p.store(0, std::memory_order_relaxed);
  pending_low.store(INT_MAX, std::memory_order_relaxed);
  pending_high.store(-1, std::memory_order_relaxed);
}

}  // namespace

namespace {
Host headless_host;
Host* current_host = &headless_host;
}  // namespace

uint16_t visible_columns = 0;
bool drawing_has_target = false;

namespace {
void update_drawing_target() {
  drawing_has_target = current_host != &headless_host || surface.width != 0;
}
}  // namespace

Host& host() {
  return *current_host;
}
void set_host(Host* h) {
  current_host = h ? h : &headless_host;
  update_drawing_target();
}

int element_slots_for(int n) {
  return static_cast<int>(std::lround(1.5 * n + 0.1));
}

void size_element_set(int n) {
  n = std::clamp(n, 0, 65535);
  visible_columns = static_cast<uint16_t>(n);
  const auto slots = static_cast<size_t>(element_slots_for(n));
  if (elements.size() != slots) elements.resize(slots);
  if (buffer_a.size() != static_cast<size_t>(n) + 1) buffer_a.resize(n + 1);
  if (buffer_b.size() != static_cast<size_t>(n) + 1) buffer_b.resize(n + 1);
  if (column_right_edges.size() != static_cast<size_t>(n) + 1) column_right_edges.resize(n + 1);
  if (pending.size() != static_cast<size_t>(n)) {
    pending = std::vector<std::atomic<uint32_t>>(static_cast<size_t>(n));
  }
  discard_pending();
}

void reset_counters() {
  comparisons.set(0);
  movings.set(0);
  swappings.set(0);
  main_loop_runnings.set(0);
  threads.set(0);
}

void update_counting_path() {
  counting_slow_path.store(counting_parallel.load() || break_after_ops.load() != 0);
}

void set_break_after_ops(uint64_t k) {
  break_after_ops.store(k);
  update_counting_path();
}

namespace {
// Where paused workers sleep (there is one pause flag).
std::mutex pause_mutex;
std::condition_variable pause_cleared;
}  // namespace

void PauseFlag::store(bool on) {
  on_.store(on);
  if (on) return;
  // Taking the mutex once orders the clearing before any waiter's next look at the flag.
  { const std::lock_guard<std::mutex> guard(pause_mutex); }
  pause_cleared.notify_all();
}

void PauseFlag::wait_while_set() {
  if (!on_.load(std::memory_order_relaxed)) return;  // the usual case, without the mutex
  std::unique_lock<std::mutex> lock(pause_mutex);
  // break_off is set in many places without a notification: it is looked at every 20 ms.
  while (on_.load() && !break_off.load(std::memory_order_relaxed)) {
    pause_cleared.wait_for(lock, std::chrono::milliseconds(20));
  }
}

namespace {
// A worker thread of a parallel sort holds still while paused, at its next counted operation,
// whether or not that operation draws.
void hold_worker_while_paused() {
  if (!on_main_thread()) paused.wait_while_set();
}
}  // namespace

void count_slow(Counter<uint64_t>& c) {
  if (paused.load(std::memory_order_relaxed)) hold_worker_while_paused();
  c.increment();
  const uint64_t limit = break_after_ops.load(std::memory_order_relaxed);
  if (limit != 0 && comparisons.get() + movings.get() + swappings.get() >= limit) {
    break_off.store(true, std::memory_order_relaxed);
  }
}

void surface_resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  surface.width = width;
  surface.height = height;
  surface.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height),
                        colour_to_pixel(background_colour()));
  update_drawing_target();
  discard_pending();
}

void set_deferred_painting(bool on) {
  deferred.store(on);
  discard_pending();
}

bool deferred_painting() {
  return deferred.load(std::memory_order_relaxed);
}

// ---- Drawing --------------------------------------------------------------------------------

uint32_t foreground_colour() {
  return settings.background.load(std::memory_order_relaxed) == Background::white ? 0x000000u
                                                                                  : 0xFFFFFFu;
}

uint32_t background_colour() {
  return settings.background.load(std::memory_order_relaxed) == Background::white ? 0xFFFFFFu
                                                                                  : 0x000000u;
}

bool is_value_counting_sort(int index) {
  return index == 5 || index == 6 || index == 7 || index == 73;
}

uint32_t element_colour_full(int i) {
  return is_value_counting_sort(algorithm_index.load(std::memory_order_relaxed))
             ? foreground_colour()
             : elements[i].colour;
}

namespace {

void fill_column(int left, int right, int top, int bottom, uint32_t pixel) {
  for (int y = top; y < bottom; ++y) {
    uint32_t* row = surface.pixels.data() + static_cast<size_t>(y) * surface.width;
    std::fill(row + left, row + right, pixel);
  }
}

// The pixel range of column i on the surface; false when it has none.
bool column_span(int i, int& left, int& right) {
  if (surface.width <= 0 || static_cast<size_t>(i) >= column_right_edges.size()) return false;
  left = std::min<int>(i == 0 ? 0 : column_right_edges[i - 1], surface.width);
  right = std::min<int>(column_right_edges[i], surface.width);
  return right > left;
}

void fill_whole_column(int i, int left, int right, bool clear_above, uint32_t colour) {
  const int rows = std::min(settings.rows.load(std::memory_order_relaxed), surface.height);
  if (rows <= 0) return;
  const int64_t height = std::min<int64_t>(std::llabs(static_cast<int64_t>(elements[i].key)), rows);
  const int top = rows - static_cast<int>(height);
  fill_column(left, right, top, rows, colour_to_pixel(colour));
  if (clear_above) fill_column(left, right, 0, top, colour_to_pixel(background_colour()));
}

void record_column(int i, bool clear_above, uint32_t colour) {
  if (static_cast<size_t>(i) >= pending.size()) return;
  std::atomic<uint32_t>& slot = pending[static_cast<size_t>(i)];
  const uint32_t old = slot.load(std::memory_order_relaxed);
  // A clear recorded since the last frame still has to happen.
  const bool clear =
      clear_above || (old & (pending_bit | pending_clear_bit)) == (pending_bit | pending_clear_bit);
  slot.store(pending_bit | (clear ? pending_clear_bit : 0u) | (colour & 0xFFFFFFu),
             std::memory_order_release);
  atomic_lower(pending_low, i);
  atomic_raise(pending_high, i);
}

void paint_column(int i, bool clear_above, uint32_t colour) {
  int left = 0, right = 0;
  if (!column_span(i, left, right)) return;
  if (deferred.load(std::memory_order_relaxed)) {
    record_column(i, clear_above, colour);
  } else {
    fill_whole_column(i, left, right, clear_above, colour);
  }
  host().surface_dirty(left, right);
}

}  // namespace

int paint_pending_columns() {
  const int low = pending_low.exchange(INT_MAX, std::memory_order_relaxed);
  const int high = std::min<int>(pending_high.exchange(-1, std::memory_order_relaxed),
                                 static_cast<int>(pending.size()) - 1);
  int painted = 0;
  for (int i = std::max(low, 0); i <= high; ++i) {
    const uint32_t p = pending[static_cast<size_t>(i)].exchange(0, std::memory_order_acquire);
    if (!(p & pending_bit)) continue;
    int left = 0, right = 0;
    if (i >= column_count() || !column_span(i, left, right)) continue;
    fill_whole_column(i, left, right, (p & pending_clear_bit) != 0, p & 0xFFFFFFu);
    ++painted;
  }
  return painted;
}

void draw_column_full(int i, bool clear_above, uint32_t colour) {
  Host& h = host();
  if (on_main_thread()) {
    h.process_events();
    while (paused.load(std::memory_order_relaxed) && !h.quit_requested()) h.wait_for_event();
  } else {
    // A worker thread (a parallel sort's comparison): the main thread runs the events; the
    // worker only holds still while paused, and paints only where painting is deferred, since
    // the surface itself belongs to the main thread.
    paused.wait_while_set();
    if (!deferred.load(std::memory_order_relaxed)) {
      if (processing_active.load(std::memory_order_relaxed)) brake();
      return;
    }
  }
  if (i < 0 || i >= column_count()) return;
  paint_column(i, clear_above, colour);
  if (processing_active.load(std::memory_order_relaxed)) brake();
}

void highlight_column_full(int i) {
  const bool mono = settings.line_set.load(std::memory_order_relaxed) == LineSet::monochrome;
  draw_column(i, false, mono ? background_colour() : foreground_colour());
}

void restore_columns_full(int i, int j) {
  draw_column(i, false, element_colour(i));
  draw_column(j, false, element_colour(j));
}

void erase_column_full(int i) {
  draw_column(i, true, background_colour());
}

void brake() {
  const int b = settings.brake_factor.load(std::memory_order_relaxed);
  Host& h = host();
  if (b > 0) h.brake_begin(b);
  for (int k = 0; k < b; ++k) {
    if (break_off.load(std::memory_order_relaxed)) break;
    h.brake_unit();
  }
}

// ---- Touched elements -----------------------------------------------------------------------

std::atomic<bool> touch_reports{false};

namespace {

std::atomic<bool> step_pending{false};

void update_touch_reports() {
  touch_reports.store(settings.sound.load() || step_pending.load());
}

}  // namespace

void report_touched_full(int i, int j, Touch drawn) {
  if (!processing_active.load(std::memory_order_relaxed)) return;
  const bool erasing = settings.correct_movings.load(std::memory_order_relaxed);
  bool i_drawn = true, j_drawn = true;
  switch (drawn) {
    case Touch::pair:
      break;
    case Touch::colorized_pair:
      i_drawn = j_drawn = settings.colorize_comparisons.load(std::memory_order_relaxed);
      break;
    case Touch::drawn_and_erased:
      j_drawn = erasing;
      break;
    case Touch::erased:
      i_drawn = erasing;
      j_drawn = false;
      break;
    case Touch::erased_pair:
      i_drawn = j_drawn = erasing;
      break;
  }
  const int n = column_count();
  const int k = i_drawn && i >= 0 && i < n ? i : (j_drawn && j >= 0 && j < n ? j : -1);
  if (k < 0) return;
  if (settings.sound.load(std::memory_order_relaxed)) host().element_touched(elements[k].key);
  if (step_pending.load(std::memory_order_relaxed) && step_pending.exchange(false)) {
    paused.store(true);
    update_touch_reports();
    // The step ends here, between two operations, and the main thread waits for the next key
    // (a worker holds still at its next counted operation).
    if (on_main_thread()) {
      Host& h = host();
      while (paused.load(std::memory_order_relaxed) && !h.quit_requested()) h.wait_for_event();
    }
  }
}

void set_sound(bool on) {
  settings.sound.store(on);
  update_touch_reports();
}

void single_step() {
  step_pending.store(true);
  update_touch_reports();
  paused.store(false);
}

bool single_step_pending() {
  return step_pending.load();
}

void cancel_single_step() {
  step_pending.store(false);
  update_touch_reports();
}

// ---- Stable comparisons ---------------------------------------------------------------------

bool rec_stable_before(const Element& a, const Element& b) {
  if (!settings.stable_comparings_active()) return cmp_less_equal(a.key, b.key);
  if (cmp_less(a.key, b.key)) return true;
  return cmp_equal(a.key, b.key) && cmp_less(a.start_position, b.start_position);
}

bool rec_stable_after(const Element& a, const Element& b) {
  if (!settings.stable_comparings_active()) return cmp_greater_equal(a.key, b.key);
  if (cmp_greater(a.key, b.key)) return true;
  return cmp_equal(a.key, b.key) && cmp_greater(a.start_position, b.start_position);
}

bool elem_stable_before(int i, int j) {
  return highlighted(i, j, [&] {
    const int32_t a = elements[i].key, b = elements[j].key;
    if (!settings.stable_comparings_active()) return cmp_less_equal(a, b);
    if (cmp_less(a, b)) return true;
    return cmp_equal(a, b) && pos_less(i, j);
  });
}

bool elem_stable_after(int i, int j) {
  return highlighted(i, j, [&] {
    const int32_t a = elements[i].key, b = elements[j].key;
    if (!settings.stable_comparings_active()) return cmp_greater_equal(a, b);
    if (cmp_greater(a, b)) return true;
    return cmp_equal(a, b) && pos_greater(i, j);
  });
}

// ---- Movings --------------------------------------------------------------------------------

void store_element(int i, const Element& record) {
  count_moving();
  elements[i] = record;
  draw_column(i, true, element_colour(i));
  report_touched(i, -1, Touch::drawn_and_erased);
}

void move_to_buffer(int k, int source) {
  read_element(source, buffer_a[k]);
  erase_column(source);
  report_touched(source, -1, Touch::erased);
}

void set_value(int i, uint32_t v) {
  count_moving();
  elements[i].key = static_cast<int32_t>(v & 0xFFFFu);
  draw_column(i, true, element_colour(i));
  report_touched(i, -1, Touch::drawn_and_erased);
}

// ---- Exchanges ------------------------------------------------------------------------------

bool swap_elements(int i, int j, bool redraw) {
  if (processing_active.load(std::memory_order_relaxed)) {
    if (settings.optional_swaps.load(std::memory_order_relaxed)) {
      if (!elem_stable_after(i, j)) return false;
    } else if (i == j) {
      return false;
    }
  }
  erase_column(i);
  erase_column(j);
  std::swap(elements[i], elements[j]);
  count_swapping();
  if (redraw) {
    draw_column(i, true, element_colour(i));
    draw_column(j, true, element_colour(j));
  }
  report_touched(i, j, redraw ? Touch::pair : Touch::erased_pair);
  return true;
}

bool compare_exchange(int i, int j, bool wanted, bool pump) {
  if (pump) host().process_events();
  if (elem_stable_before(i, j) == wanted) return false;
  swap_elements(i, j, pump);
  return true;
}

void swap_ranges(int first, int last, int other) {
  for (int k = first; k <= last && !break_off.load(std::memory_order_relaxed); ++k) {
    swap_elements(k, other + (k - first), true);
  }
}

void reverse_range(int low, int high, bool redraw) {
  while (high > low && !break_off.load(std::memory_order_relaxed)) {
    swap_elements(low, high, redraw);
    ++low;
    --high;
  }
}

int random_position(int low, int high, int mode) {
  const int64_t n = std::max<int64_t>(static_cast<int64_t>(high) - low + 1, 1);
  int64_t offset = 0;
  if (mode == 1) {
    offset = Random(static_cast<int32_t>(n));
  } else {
    const long double r1 = U();
    const long double r2 = U();
    offset = static_cast<int64_t>((mode == 0 ? 1.0L - r1 * r2 : r1 * r2) * n);
  }
  if (high <= low) return high;
  return low + static_cast<int>(std::min<int64_t>(offset, n - 1));
}

}  // namespace mv

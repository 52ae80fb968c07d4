// The element set and the counted operations on it. Every algorithm touches the set only through
// these operations: each counts what it does, redraws the columns it changed, brakes, and lets the
// user pause or break off.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/counters.h"
#include "engine/host.h"
#include "engine/settings.h"

namespace mv {

struct Element {
  int32_t key = 0;
  uint32_t colour = 0;  // red in the low byte, then green, then blue
  uint16_t start_position = 0;
  uint16_t target_position = 0;  // scratch of block swapping and merge insertion
  uint8_t visited_mark = 0;      // scratch of the cycle-following block swaps
};

// ---- Global state -------------------------------------------------------------------------

// Visible columns 0 .. n-1, then invisible working slots up to Round(1.5 n + 0.1).
extern std::vector<Element> elements;
extern std::vector<Element> buffer_a;  // n + 1 invisible slots
extern std::vector<Element> buffer_b;  // n + 1 invisible slots
// Right edge (exclusive x) of each column on the display; entry n holds the window width.
extern std::vector<uint16_t> column_right_edges;

extern Counter<uint64_t> comparisons;
extern Counter<uint64_t> movings;
extern Counter<uint64_t> swappings;
extern Counter<uint64_t> main_loop_runnings;
extern Counter<uint32_t> threads;

// The pause flag (the "P" key): read like an atomic bool; worker threads that hold still while it
// is set sleep until it is cleared instead of looking at it again and again.
class PauseFlag {
 public:
  bool load(std::memory_order order = std::memory_order_seq_cst) const { return on_.load(order); }
  void store(bool on);
  PauseFlag& operator=(bool on) {
    store(on);
    return *this;
  }
  operator bool() const { return load(); }
  // Blocks the calling thread while the flag is set, until it is cleared or break_off is set.
  void wait_while_set();

 private:
  std::atomic<bool> on_{false};
};

extern std::atomic<bool> processing_active;
extern std::atomic<bool> break_off;
extern PauseFlag paused;
extern std::atomic<bool> results_shown;

extern std::atomic<uint16_t> algorithm_index;
// The "stable comparings" box as captured at run start; algorithms choose comparisons by it.
extern bool stable_comparings;

// Break off once this many comparisons, movings and swappings have been counted in total
// (0 = never). Used by the batch tool to stop endless shuffles and slow sorts.
extern std::atomic<uint64_t> break_after_ops;
void set_break_after_ops(uint64_t k);

// Number of visible columns n of the current set.
extern uint16_t visible_columns;
inline uint16_t column_count() {
  return visible_columns;
}
// The last visible position, n - 1.
inline int last_position() {
  return column_count() - 1;
}
// True once the run has been broken off (every algorithm loop tests it).
inline bool broken() {
  return break_off.load(std::memory_order_relaxed);
}
// Resizes the arrays for n columns (elements to Round(1.5 n + 0.1), the rest to n + 1).
void size_element_set(int n);
// Resets the five counters to 0.
void reset_counters();
// Round(1.5 n + 0.1), the length of `elements` for n columns.
int element_slots_for(int n);

// ---- Pixel surface ------------------------------------------------------------------------

// Client width x rows pixels, 0xAARRGGBB, rows top to bottom. Empty when the host shows nothing:
// then drawing costs nothing.
struct Surface {
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
};
extern Surface surface;
// Resizes the surface (0 x 0 switches drawing off) and fills it with the background colour.
void surface_resize(int width, int height);
// Deferred painting (off by default): `draw_column` only records the column with its colour and
// clear flag, and the window program paints the recorded columns once per screen frame with
// `paint_pending_columns`. A column drawn many times between two frames is painted once, with
// its last colour and its key at that moment, so an animated run costs little more than a
// headless one. Resizing the surface discards what is recorded (a full redraw follows).
void set_deferred_painting(bool on);
bool deferred_painting();
// Paints every recorded column onto the surface; returns how many. Main thread only.
int paint_pending_columns();
// 0x00BBGGRR element colour to a 0xFFRRGGBB pixel.
inline uint32_t colour_to_pixel(uint32_t c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// ---- Counting -----------------------------------------------------------------------------

// Counts one operation in c; the slow path does atomic adds and the operation limit.
void count_slow(Counter<uint64_t>& c);
inline void count_op(Counter<uint64_t>& c) {
  if (counting_slow_path.load(std::memory_order_relaxed)) {
    count_slow(c);
  } else {
    c.set(c.get() + 1);
  }
}
// Recomputes counting_slow_path from counting_parallel and break_after_ops.
void update_counting_path();
inline void count_comparison() {
  count_op(comparisons);
}
inline void count_moving() {
  count_op(movings);
}
inline void count_swapping() {
  count_op(swappings);
}

// ---- Drawing primitives -------------------------------------------------------------------

uint32_t foreground_colour();
uint32_t background_colour();
bool is_value_counting_sort(int index);
// While the control form is hidden (a run), the value-counting sorts draw in one colour.
uint32_t element_colour_full(int i);
inline uint32_t element_colour(int i) {
  return settings.control_form_hidden.load(std::memory_order_relaxed) ? element_colour_full(i)
                                                                      : elements[i].colour;
}
void brake();

// True while a drawn column has somewhere to go: a host with events to pump (any but the headless
// one) or a surface to paint. Kept by set_host and surface_resize, so the fast path tests one flag.
extern bool drawing_has_target;
void draw_column_full(int i, bool clear_above, uint32_t colour);
void highlight_column_full(int i);
void restore_columns_full(int i, int j);
void erase_column_full(int i);

// True when drawing a column has nothing to show: no events to pump, no surface, no pause.
inline bool drawing_idle() {
  return !drawing_has_target && !paused.load(std::memory_order_relaxed);
}

inline void draw_column(int i, bool clear_above, uint32_t colour) {
  if (!drawing_idle()) {
    draw_column_full(i, clear_above, colour);
  } else if (processing_active.load(std::memory_order_relaxed) &&
             settings.brake_factor.load(std::memory_order_relaxed) != 0 && i >= 0 &&
             i < column_count()) {
    brake();
  }
}
// Only while a run is active and "colorize comparisons" is checked.
inline void highlight_column(int i) {
  if (processing_active.load(std::memory_order_relaxed) &&
      settings.colorize_comparisons.load(std::memory_order_relaxed)) {
    highlight_column_full(i);
  }
}
inline void restore_columns(int i, int j) {
  if (processing_active.load(std::memory_order_relaxed) &&
      settings.colorize_comparisons.load(std::memory_order_relaxed)) {
    restore_columns_full(i, j);
  }
}
// Only while a run is active and "correct movings" is checked.
inline void erase_column(int i) {
  if (processing_active.load(std::memory_order_relaxed) &&
      settings.correct_movings.load(std::memory_order_relaxed)) {
    erase_column_full(i);
  }
}

// ---- Touched elements -----------------------------------------------------------------------

// Which of its columns i and j an operation has drawn: both; both when comparisons are
// colorized; i, and j when movings are corrected (erased); i when erased; both when erased.
enum class Touch { pair, colorized_pair, drawn_and_erased, erased, erased_pair };

// Set while something listens for touched elements (the sound, a single step): then each counted
// operation of a run that has drawn a visible column reports one of them. Off, a report costs one
// test of this flag.
extern std::atomic<bool> touch_reports;
void report_touched_full(int i, int j, Touch drawn);
inline void report_touched(int i, int j, Touch drawn) {
  // A comparison draws only while colorized: tested here, so that the many comparisons of a run
  // at brake factor 0 stay inline.
  if (touch_reports.load(std::memory_order_relaxed) &&
      (drawn != Touch::colorized_pair ||
       settings.colorize_comparisons.load(std::memory_order_relaxed))) {
    report_touched_full(i, j, drawn);
  }
}
// Switches the "sound" setting, and with it the reports to the host.
void set_sound(bool on);
// While paused: the run goes on until its next counted operation that draws has been drawn, and
// then pauses again.
void single_step();
bool single_step_pending();
// Forgets a single step that no drawn operation has ended (a run ended first).
void cancel_single_step();

// ---- Counted comparisons of values and records ---------------------------------------------

inline bool cmp_less(int32_t a, int32_t b) {
  count_comparison();
  return a < b;
}
inline bool cmp_greater(int32_t a, int32_t b) {
  count_comparison();
  return a > b;
}
inline bool cmp_equal(int32_t a, int32_t b) {
  count_comparison();
  return a == b;
}
inline bool cmp_unequal(int32_t a, int32_t b) {
  count_comparison();
  return a != b;
}
inline bool cmp_less_equal(int32_t a, int32_t b) {
  count_comparison();
  return a <= b;
}
inline bool cmp_greater_equal(int32_t a, int32_t b) {
  count_comparison();
  return a >= b;
}
inline int cmp_three_way(int32_t a, int32_t b) {
  count_comparison();
  return a < b ? -1 : (a > b ? 1 : 0);
}

inline bool rec_less(const Element& a, const Element& b) {
  return cmp_less(a.key, b.key);
}
inline bool rec_greater(const Element& a, const Element& b) {
  return cmp_greater(a.key, b.key);
}
inline bool rec_equal(const Element& a, const Element& b) {
  return cmp_equal(a.key, b.key);
}
inline bool rec_unequal(const Element& a, const Element& b) {
  return cmp_unequal(a.key, b.key);
}

inline bool pos_less(int i, int j) {
  count_comparison();
  return elements[i].start_position < elements[j].start_position;
}
inline bool pos_greater(int i, int j) {
  count_comparison();
  return elements[i].start_position > elements[j].start_position;
}

inline bool buf_less(int i, int j) {
  return cmp_less(buffer_a[i].key, buffer_a[j].key);
}
inline bool buf_less_equal(int i, int j) {
  return cmp_less_equal(buffer_a[i].key, buffer_a[j].key);
}
inline bool buf_equal(int i, int j) {
  return cmp_equal(buffer_a[i].key, buffer_a[j].key);
}

// ---- Element comparisons with highlighting -------------------------------------------------

// Highlights column i for the duration of the comparison `compare`, then restores i and j.
template <class Compare>
inline bool highlighted(int i, int j, Compare compare) {
  highlight_column(i);
  const bool r = compare();
  restore_columns(i, j);
  report_touched(i, j, Touch::colorized_pair);
  return r;
}

inline bool elem_less(int i, int j) {
  return highlighted(i, j, [=] { return cmp_less(elements[i].key, elements[j].key); });
}
inline bool elem_greater(int i, int j) {
  return highlighted(i, j, [=] { return cmp_greater(elements[i].key, elements[j].key); });
}
inline bool elem_equal(int i, int j) {
  return highlighted(i, j, [=] { return cmp_equal(elements[i].key, elements[j].key); });
}
inline bool elem_unequal(int i, int j) {
  return highlighted(i, j, [=] { return cmp_unequal(elements[i].key, elements[j].key); });
}

// ---- Stable comparisons ---------------------------------------------------------------------

bool rec_stable_before(const Element& a, const Element& b);
bool rec_stable_after(const Element& a, const Element& b);
bool elem_stable_before(int i, int j);
bool elem_stable_after(int i, int j);

// ---- Movings --------------------------------------------------------------------------------

inline void copy_record(const Element& source, Element& target) {
  count_moving();
  target = source;
}
inline void read_element(int i, Element& target) {
  count_moving();
  target = elements[i];
}
void store_element(int i, const Element& record);
inline void move_element(int target, int source) {
  if (target == source) return;
  if (drawing_idle() && (!processing_active.load(std::memory_order_relaxed) ||
                         (settings.brake_factor.load(std::memory_order_relaxed) == 0 &&
                          !settings.correct_movings.load(std::memory_order_relaxed)))) {
    // Nothing to draw, erase or brake: just the counted moving.
    read_element(source, elements[target]);
    return;
  }
  erase_column(target);
  read_element(source, elements[target]);
  draw_column(target, true, element_colour(target));
  erase_column(source);
  report_touched(target, source, Touch::drawn_and_erased);
}
void move_to_buffer(int k, int source);
void set_value(int i, uint32_t v);

// ---- Exchanges ------------------------------------------------------------------------------

// Returns true when it exchanged.
bool swap_elements(int i, int j, bool redraw = true);
bool compare_exchange(int i, int j, bool wanted = true, bool pump = true);
void swap_ranges(int first, int last, int other);
void reverse_range(int low, int high, bool redraw = true);

inline uint16_t min_index(uint16_t a, uint16_t b) {
  return a < b ? a : b;
}
inline uint16_t max_index(uint16_t a, uint16_t b) {
  return a > b ? a : b;
}
// A random position in low .. high: mode 0 leans to high, 1 is uniform, 2 leans to low. Every call
// draws what its mode draws (one integer for mode 1, two reals otherwise), also when high <= low,
// where it returns high: so the generator advances alike for every range.
int random_position(int low, int high, int mode);

}  // namespace mv

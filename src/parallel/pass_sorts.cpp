// The parallel pass sorts: each keeps the passes of its sequential relative and runs the pieces
// of one pass side by side, one worker per piece, handed over by a starter that waits for the
// whole pass before the next. The starter is the run driver's thread in the main-thread entries
// and a start thread in the start-thread entries. Every entry honours the thread limit.
//
//   71 comb sort (oet_fuer_combsort)        113 insertion / gnome sort (vuot_Thread)
//   237, 238 natural merge sort             247 oet / brick sort (vuot_Thread)
//   250 pan cake sort (vuot_Thread)         252, 253 partit sort
//   325, 326 shaker sort                    328, 329 shear sort 1
//   331, 332 shear sort 2                   353, 354 Shell sort
//
// Pieces of one pass touch disjoint elements, except where noted (shaker, shear sort 1's
// column part): there a worker holds a PairGuard across its comparison and the exchange, so the
// exchange always follows a comparison of the elements it exchanges.
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "algorithms/exchange_sorts.h"
#include "algorithms/registry.h"
#include "algorithms/sorting_networks.h"
#include "engine/catalogue.h"
#include "engine/stack_emulation.h"
#include "parallel/thread_framework.h"

namespace mv {

namespace {

// Hands a piece to a new worker under the thread limit.
bool hand_over(int start, int parameter, int end, const std::function<void(Task)>& body) {
  return handover_task(
      {static_cast<uint16_t>(start), static_cast<uint16_t>(parameter), static_cast<uint16_t>(end)},
      true, body);
}

// Whether i comes before j: by start position too with "stable comparings".
bool comes_before(int i, int j) {
  return stable_comparings ? elem_stable_before(i, j) : elem_less(i, j);
}
bool comes_after(int i, int j) {
  return stable_comparings ? elem_stable_after(i, j) : elem_greater(i, j);
}

// Runs the starter: on a start thread for the start-thread entries, else right here.
void run_starter(bool start_thread, void (*starter)()) {
  if (start_thread) {
    start_start_thread(starter);
  } else {
    starter();
  }
}

// ---- Compare-exchange threads (113, 247, 250) -------------------------------------------------

// vuot_Thread: one compare-exchange of i and j (wanted: i before j), or for the pan cake sort
// one unconditional exchange; `exchanged` runs once the exchange is made. The exchange is the
// worker's last step, so it ends with it on the main thread.
void vuot_Thread(Task t, bool unconditional, std::function<void()> exchanged = {}) {
  if (broken()) return;
  if (!unconditional && elem_stable_before(t.start, t.end)) return;
  finish_by_swap_on_main(t.start, t.end, true, [exchanged = std::move(exchanged)](bool swapped) {
    if (swapped && exchanged) exchanged();
  });
}

// 247: odd-even transposition, one worker per pair of a phase.
void oet_sort_simultaneous() {
  const int n = column_count();
  for (int rep = 0; rep < (n - 1) / 2 + 1 && !broken(); ++rep) {
    for (int s = 1; s <= 2 && !broken(); ++s) {
      for (int p = s; p <= n - 1 && !broken(); p += 2) {
        hand_over(p - 1, 0, p, [](Task t) { vuot_Thread(t, false); });
      }
      wait_all_running_done();
    }
  }
}

// 250: the pan cake sort; every flip runs as one worker per exchanged pair.
void flip_simultaneous(int lo, int hi) {
  for (int s = 0; s <= (hi - lo - 1) / 2 && !broken(); ++s) {
    hand_over(lo + s, 0, hi - s, [](Task t) { vuot_Thread(t, true); });
  }
  wait_all_running_done();
}

void pan_cake_sort_simultaneous() {
  for (int m = last_position(); m > 0 && !broken(); --m) {
    int maxpos = m;
    for (int k = m - 1; k >= 0; --k) {
      if (broken()) return;
      if (comes_after(k, maxpos)) maxpos = k;
    }
    if (maxpos == m) continue;
    if (maxpos > 0) flip_simultaneous(0, maxpos);
    flip_simultaneous(0, m);
  }
}

// 113: insertion sort as a pipeline of gnome walks. Each walk carries one element down by
// compare-exchanges of (q - 1, q); the walks of one round run side by side, a new walk starts
// two places behind the last one, and a walk that would touch the pair of the walk ahead of it
// waits a round. So every walk makes the comparisons of the sequential insertion, in its order.
void insertion_sort_simultaneous() {
  const int n = column_count();
  std::vector<int> walks;  // positions of the walking elements, the oldest first
  int next = 1;
  while (!broken() && (next < n || !walks.empty())) {
    if (next < n && (walks.empty() || walks.back() <= next - 2)) walks.push_back(next++);
    // Shared with the workers, which may still end after a break-off has ended this loop.
    const auto moved = std::make_shared<std::vector<std::atomic<bool>>>(walks.size());
    std::vector<bool> started(walks.size(), false);
    for (size_t w = 0; w < walks.size() && !broken(); ++w) {
      const int q = walks[w];
      // The walk ahead (older, lower position) uses (q' - 1, q'): stay clear of it.
      if (q == 0 || (w > 0 && walks[w - 1] >= q - 1)) continue;
      started[w] = true;
      hand_over(q - 1, 0, q,
                [moved, w](Task t) { vuot_Thread(t, false, [moved, w] { (*moved)[w] = true; }); });
    }
    wait_all_running_done();
    if (broken()) return;
    std::vector<int> still;
    for (size_t w = 0; w < walks.size(); ++w) {
      if (!started[w]) {
        if (walks[w] > 0) still.push_back(walks[w]);
        continue;
      }
      if ((*moved)[w].load() && walks[w] - 1 > 0) still.push_back(walks[w] - 1);
    }
    walks.swap(still);
  }
}

// ---- Comb sort (71) -----------------------------------------------------------------------------

std::atomic<bool> comb_exchanged{false};

// oet_fuer_combsort: the pairs (i, i + g) of one block.
void oet_fuer_combsort(Task t) {
  const int s = t.start, g = t.parameter, last = t.end;
  for (int i = s; i <= s + g - 1 && i + g <= last && !broken(); ++i) {
    if (elem_greater(i, i + g) && swap_on_main(i, i + g, true)) comb_exchanged.store(true);
  }
}

void comb_sort_simultaneous() {
  const int n = column_count();
  const int last = n - 1;
  int g = n - 1;
  if (g < 1) return;
  bool exchanged = true;
  while (!broken() && (exchanged || g > 1)) {
    if (g > 1) {
      g = g * 10 / 13;
      if (g == 9 || g == 10) g = 11;
      if (g < 1) g = 1;
    }
    for (int phase = 0; phase < 2 && !broken(); ++phase) {
      comb_exchanged.store(false);
      for (int s = phase * g; s <= last - g && !broken(); s += 2 * g) {
        hand_over(s, g, last, oet_fuer_combsort);
      }
      wait_all_running_done();
    }
    exchanged = comb_exchanged.load();
  }
}

// ---- Shell sort (353, 354) ----------------------------------------------------------------------

// Shellsort: insertion sort of the chain s, s + h, ... <= last.
void Shellsort(Task t) {
  const int s = t.start, h = t.parameter, last = t.end;
  for (int p = s + h; p <= last && !broken(); p += h) {
    for (int q = p; q > s && !broken() && elem_greater(q - h, q); q -= h) {
      swap_on_main(q - h, q, true);
    }
  }
}

void Shellsort_Startthread() {
  const int n = column_count();
  int h = 1;
  while (h * 2 < n) h *= 2;
  for (; h >= 1 && n > 1 && !broken(); h /= 2) {
    for (int s = 0; s < h && !broken(); ++s) hand_over(s, h, n - 1, Shellsort);
    wait_all_running_done();
  }
}

void shell_sort_simultaneous() {
  run_starter(false, Shellsort_Startthread);
}
void shell_sort_start_thread() {
  run_starter(true, Shellsort_Startthread);
}

// ---- Natural merge sort (237, 238) --------------------------------------------------------------

// The last index of the run that starts at i.
int run_end(int i) {
  const int last = last_position();
  while (i < last && !broken() && elem_stable_before(i, i + 1)) ++i;
  return i;
}

// simplemerge_fuer_naturalmergesort: merges s .. m with m + 1 .. e through a private copy. Once
// the write-back has begun it runs to its end, so a break-off loses no record.
void simplemerge_fuer_naturalmergesort(Task t) {
  const int s = t.start, m = t.parameter, e = t.end;
  std::vector<Element> copy(static_cast<size_t>(e - s + 1));
  for (int i = s; i <= e; ++i) {
    if (broken()) return;
    read_element(i, copy[static_cast<size_t>(i - s)]);
  }
  size_t a = 0, b = static_cast<size_t>(m - s) + 1;
  const size_t a_end = b, b_end = copy.size();
  Element field;
  int target = s;
  while (a < a_end && b < b_end) {
    const bool left = cmp_less_equal(copy[a].key, copy[b].key);
    copy_record(left ? copy[a++] : copy[b++], field);
    store_on_main(target++, field, true);
  }
  // The rest of the right run already stands in place.
  while (a < a_end) {
    copy_record(copy[a++], field);
    store_on_main(target++, field, true);
  }
}

void naturalmergesort_Startthread() {
  const int last = last_position();
  while (!broken() && run_end(0) < last) {
    for (int s = 0; s <= last && !broken();) {
      const int m = run_end(s);
      if (m >= last) break;
      const int e = run_end(m + 1);
      hand_over(s, m, e, simplemerge_fuer_naturalmergesort);
      s = e + 1;
    }
    wait_all_running_done();
  }
}

void natural_merge_sort_simultaneous() {
  run_starter(false, naturalmergesort_Startthread);
}
void natural_merge_sort_start_thread() {
  run_starter(true, naturalmergesort_Startthread);
}

// ---- Partit sort (252, 253) ---------------------------------------------------------------------

// One half pass over lo .. hi: k - h against k for k = lo + h .. hi; returns h.
int partit_half_pass(int lo, int hi) {
  const int h = (hi - lo + 1) / 2;
  for (int k = lo + h; k <= hi && !broken(); ++k) {
    if (comes_after(k - h, k)) swap_on_main(k - h, k, true);
  }
  return h;
}

std::atomic<int> partit_split{0};

// partition_fuer_partitsort: mode 0 one half pass over the whole range (publishing the split),
// mode 1 halving toward the left end (the minimum to lo), mode 2 toward the right (the maximum
// to hi).
void partition_fuer_partitsort(Task t) {
  const int mode = t.parameter;
  if (mode == 0) {
    const int h = partit_half_pass(t.start, t.end);
    partit_split.store(t.end - h);
    return;
  }
  TStackemulator ranges;
  ranges.Push2(t.start, t.end);
  while (!ranges.IsEmpty() && !broken()) {
    int lo = 0, hi = 0;
    ranges.Pop2(lo, hi);
    if (lo >= hi) continue;
    const int h = partit_half_pass(lo, hi);
    if (mode == 1 && hi - h > lo) ranges.Push2(lo, hi - h);
    if (mode == 2 && hi - h + 1 < hi) ranges.Push2(hi - h + 1, hi);
  }
}

void partitsort_Startthread() {
  const int n = column_count();
  for (int p = 0; p <= n / 2 && !broken(); ++p) {
    const int lo = p, hi = n - 1 - p;
    if (lo >= hi) break;
    hand_over(lo, 0, hi, partition_fuer_partitsort);
    wait_all_running_done();
    if (broken()) return;
    const int split = partit_split.load();
    hand_over(lo, 1, split, partition_fuer_partitsort);
    hand_over(split + 1, 2, hi, partition_fuer_partitsort);
    wait_all_running_done();
  }
}

void partit_sort_simultaneous() {
  run_starter(false, partitsort_Startthread);
}
void partit_sort_start_thread() {
  run_starter(true, partitsort_Startthread);
}

// ---- Shaker sort (325, 326) ---------------------------------------------------------------------

// shaker: one bubble pass, forward over lo .. hi carrying the largest to hi (parameter 1), or
// backward from hi down to lo carrying the smallest to lo (parameter 0). The two directions share
// the element at their boundary, hence the PairGuard.
void shaker(Task t) {
  auto step = [](int i) {
    PairGuard guard(i, i + 1);
    if (elem_greater(i, i + 1)) swap_on_main(i, i + 1, true);
  };
  if (t.parameter == 1) {
    for (int i = t.start; i < t.end && !broken(); ++i) step(i);
  } else {
    for (int i = t.end; i >= t.start && !broken(); --i) step(i);
  }
}

void shaker_Startthread() {
  int lo = 0, hi = last_position();
  while (lo < hi && !broken()) {
    const int half = (hi - lo + 1) / 2;
    for (int p = lo + half; p <= hi && !broken(); ++p) {
      if (elem_greater(p - half, p)) swap_on_main(p - half, p, true);
    }
    const int mid = hi - half;
    // Forward over mid + 1 .. hi (pairs up to (hi - 1, hi)), backward over the pairs from
    // (mid, mid + 1) down to (lo, lo + 1).
    if (mid + 1 < hi) hand_over(mid + 1, 1, hi, shaker);
    hand_over(lo, 0, mid, shaker);
    wait_all_running_done();
    ++lo;
    --hi;
  }
}

void shaker_sort_simultaneous() {
  run_starter(false, shaker_Startthread);
}
void shaker_sort_start_thread() {
  run_starter(true, shaker_Startthread);
}

// ---- Shear sorts (328, 329, 331, 332) -----------------------------------------------------------

// One odd-even pass over a line: i against i + step for every second i from first (parameter
// bit 0: ascending). The lines of a row part are disjoint; the column passes of shear sort 1 are
// started without waiting for each other, so they guard their pairs.
void compare_line_pair(int i, int j, bool ascending, bool guarded) {
  if (guarded) {
    PairGuard guard(i, j);
    if (comes_before(i, j) != ascending) swap_on_main(i, j, true);
  } else if (comes_before(i, j) != ascending) {
    swap_on_main(i, j, true);
  }
}

struct Grid {
  int p = 1;  // rows
  int w = 0;  // elements per row
};

Grid shear_grid() {
  const int n = column_count();
  Grid g;
  g.p = shear_sort_rows(n);
  g.w = n / g.p;
  return g;
}

// shearsort1: one odd-even pass over the line task.start, + step, ... <= task.end (step in the
// task's parameter).
void shearsort1(Task t, bool ascending, bool guarded) {
  const int step = t.parameter;
  for (int i = t.start; i + step <= t.end && !broken(); i += 2 * step) {
    compare_line_pair(i, i + step, ascending, guarded);
  }
}

// shearsort2: a whole line by as many odd-even passes as it has elements.
void shearsort2(Task t, bool ascending) {
  const int step = t.parameter;
  const int length = (t.end - t.start) / step + 1;
  for (int r = 1; r <= length && !broken(); ++r) {
    for (int i = t.start + (r % 2) * step; i + step <= t.end && !broken(); i += 2 * step) {
      compare_line_pair(i, i + step, ascending, false);
    }
  }
}

// Rows in snake order (or all ascending for the final part), pass by pass.
void shear1_row_part(const Grid& g, bool snake) {
  for (int r = 1; r <= g.w && !broken(); ++r) {
    for (int row = 0; row < g.p && !broken(); ++row) {
      const int first = row * g.w;
      const bool ascending = !snake || row % 2 == 0;
      hand_over(first + r % 2, 1, first + g.w - 1,
                [ascending](Task t) { shearsort1(t, ascending, false); });
    }
    wait_all_running_done();
  }
}

// Columns ascending; the passes follow each other without waiting unless `strict`.
void shear1_column_part(const Grid& g, bool strict) {
  const int n = g.p * g.w;
  for (int r = 1; r <= g.p && !broken(); ++r) {
    for (int c = 0; c < g.w && !broken(); ++c) {
      hand_over((r % 2) * g.w + c, g.w, n + c - g.w, [](Task t) { shearsort1(t, true, true); });
    }
    if (strict) wait_all_running_done();
  }
  wait_all_running_done();
}

void shearsort1_Startthread() {
  const Grid g = shear_grid();
  const int rounds = shear_sort_rounds(g.p);
  for (int k = 0; k < rounds && !broken(); ++k) {
    shear1_row_part(g, true);
    shear1_column_part(g, false);
  }
  shear1_row_part(g, false);
  // Column passes that overtook each other can leave a column short of sorted; further rounds,
  // with every pass waiting for the one before, finish the job.
  while (!broken() && !check_sorted()) {
    shear1_row_part(g, true);
    shear1_column_part(g, true);
    shear1_row_part(g, false);
  }
}

void shear2_part(const Grid& g, bool rows, bool snake) {
  if (rows) {
    for (int row = 0; row < g.p && !broken(); ++row) {
      const bool ascending = !snake || row % 2 == 0;
      hand_over(row * g.w, 1, row * g.w + g.w - 1,
                [ascending](Task t) { shearsort2(t, ascending); });
    }
  } else {
    for (int c = 0; c < g.w && !broken(); ++c) {
      hand_over(c, g.w, g.p * g.w + c - g.w, [](Task t) { shearsort2(t, true); });
    }
  }
  wait_all_running_done();
}

void shearsort2_Startthread() {
  const Grid g = shear_grid();
  const int rounds = shear_sort_rounds(g.p);
  for (int k = 0; k < rounds && !broken(); ++k) {
    shear2_part(g, true, true);
    shear2_part(g, false, false);
  }
  shear2_part(g, true, false);
}

void shear_sort1_simultaneous() {
  run_starter(false, shearsort1_Startthread);
}
void shear_sort1_start_thread() {
  run_starter(true, shearsort1_Startthread);
}
void shear_sort2_simultaneous() {
  run_starter(false, shearsort2_Startthread);
}
void shear_sort2_start_thread() {
  run_starter(true, shearsort2_Startthread);
}

}  // namespace

void register_pass_sorts() {
  register_procedure(71, parallel_entry<&comb_sort_simultaneous>);
  register_procedure(113, parallel_entry<&insertion_sort_simultaneous>);
  register_procedure(237, parallel_entry<&natural_merge_sort_simultaneous>);
  register_procedure(238, parallel_entry<&natural_merge_sort_start_thread>);
  register_procedure(247, parallel_entry<&oet_sort_simultaneous>);
  register_procedure(250, parallel_entry<&pan_cake_sort_simultaneous>);
  register_procedure(252, parallel_entry<&partit_sort_simultaneous>);
  register_procedure(253, parallel_entry<&partit_sort_start_thread>);
  register_procedure(325, parallel_entry<&shaker_sort_simultaneous>);
  register_procedure(326, parallel_entry<&shaker_sort_start_thread>);
  register_procedure(328, parallel_entry<&shear_sort1_simultaneous>);
  register_procedure(329, parallel_entry<&shear_sort1_start_thread>);
  register_procedure(331, parallel_entry<&shear_sort2_simultaneous>);
  register_procedure(332, parallel_entry<&shear_sort2_start_thread>);
  register_procedure(353, parallel_entry<&shell_sort_simultaneous>);
  register_procedure(354, parallel_entry<&shell_sort_start_thread>);
}

}  // namespace mv

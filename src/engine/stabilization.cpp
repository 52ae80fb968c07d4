#include "engine/stabilization.h"

#include "engine/element_set.h"
#include "engine/stack_emulation.h"

namespace mv {

void stabilize_range(int low, int high) {
  for (int i = low; i < high; ++i) {
    for (int j = i + 1; j <= high; ++j) {
      if (break_off.load(std::memory_order_relaxed)) return;
      if (elem_equal(i, j) && pos_greater(i, j)) swap_elements(i, j, true);
    }
  }
}

namespace {

// Merges low..mid and mid+1..high: the range is copied from buffer_b into buffer_a, then merged
// into buffer_b, or into the set when this is the last merge. A break-off in the middle of the
// last merge finishes writing the set without brake, so no element is lost.
void stabilizing_merge(int low, int mid, int high, bool last) {
  for (int k = low; k <= high; ++k) copy_record(buffer_b[k], buffer_a[k]);
  int i = low, j = mid + 1, out = low;
  auto take = [&](int from) {
    if (last && !break_off.load(std::memory_order_relaxed)) {
      store_element(out, buffer_a[from]);
    } else if (last) {
      elements[out] = buffer_a[from];
    } else {
      copy_record(buffer_a[from], buffer_b[out]);
    }
    ++out;
  };
  while (i <= mid && j <= high) {
    if (buf_equal(i, j) && buf_equal(i, j)) {
      if (buffer_a[j].start_position < buffer_a[i].start_position) {
        take(j++);
      } else {
        take(i++);
      }
    } else {
      take(i++);
    }
  }
  while (j <= high) take(j++);
  while (i <= mid) take(i++);
}

}  // namespace

void global_stabilization() {
  const int n = column_count();
  if (n < 2) return;
  for (int i = 0; i < n; ++i) read_element(i, buffer_b[i]);
  // Post-order walk of the top-down splits: frames (low, high, state), state 1 = halves to sort,
  // state 2 = halves sorted, merge now.
  TStackemulator stack;
  stack.Push3(0, n - 1, 1);
  while (stack.Depth() > 0) {
    int low = 0, high = 0, state = 0;
    stack.Pop3(low, high, state);
    const int mid = (low + high) / 2;
    const bool last = low == 0 && high == n - 1;
    if (state == 1) {
      if (low >= high) continue;
      stack.Push3(low, high, 2);
      stack.Push3(mid + 1, high, 1);
      stack.Push3(low, mid, 1);
    } else {
      // A break-off skips every merge but the last, which puts buffer_b back into the set.
      if (break_off.load(std::memory_order_relaxed) && !last) continue;
      stabilizing_merge(low, mid, high, last);
    }
  }
}

}  // namespace mv

#include "initial_set/initial_set.h"

#include <algorithm>
#include <vector>

#include "algorithms/quick_sorts.h"
#include "engine/controls.h"
#include "engine/element_set.h"
#include "engine/random.h"
#include "initial_set/value_creation.h"

namespace mv {

void full_shuffle() {
  const int n = column_count();
  for (int i = 0; i < n; ++i) {
    swap_elements(i, i + static_cast<int>(Random(n - i)), false);
  }
}

void sort_keys_ascending(int lo, int hi) {
  quick_sort_ranges(lo, hi, quick_order_stack, false, quick_sort_complete, quick_sort_complete);
}

void rotate_set(int r) {
  const int n = column_count();
  if (n == 0 || r % n == 0) return;
  std::vector<int32_t> copy(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) copy[i] = elements[((i - r) % n + n) % n].key;
  for (int i = 0; i < n; ++i) elements[i].key = copy[i];
}

void CreateInitialSet() {
  break_off = false;
  const int n = std::clamp(settings.columns.load(), 2, 65535);
  size_element_set(n);
  CreateValues();
  const int dist = controls.ComboBox3;
  if (dist != distribution_natural_shuffled && dist != distribution_natural_once) {
    // The quick sort presorting methods limit the depth of this sort too.
    if (controls.ComboBox4 >= 16 && controls.ComboBox4 <= 18) {
      quick_sort_ranges(0, n - 1, quick_order_stack, false, std::max(controls.SpinEdit9, 0), 65535);
    } else {
      sort_keys_ascending(0, n - 1);
    }
  }
  apply_structure(controls.ComboBox2);
  if (controls.CheckBox4) reverse_range(0, n - 1, false);
  apply_presorting(controls.ComboBox4);
  if (controls.CheckBox6) reverse_range(0, n - 1, false);
  rotate_set(std::clamp(controls.SpinEdit8, -n, n));
  assign_start_positions_and_colours();
}

}  // namespace mv

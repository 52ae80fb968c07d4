#include "engine/controls.h"
#include "engine/element_set.h"
#include "initial_set/initial_set.h"

namespace mv {

bool structure_implemented(int structure) { return structure == 0 || structure == 1; }

void apply_structure(int structure) {
  const int hi = column_count() - 1;
  switch (structure) {
    case 0:  // unsorted; the repeated ascending runs of distribution 19 stay
      if (controls.ComboBox3 != distribution_natural_shuffled) full_shuffle();
      break;
    case 1:  // sorted
      sort_keys_ascending(0, hi);
      break;
    default:
      break;
  }
}

}  // namespace mv

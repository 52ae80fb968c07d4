#include "algorithms/registry.h"

namespace mv {

void register_all_algorithms() {
  static const bool done = [] {
    register_exchange_sorts();
    register_merge_sorts();
    register_quick_sorts();
    register_selection_heap_smooth_sorts();
    register_shuffles();
    register_slow_sorts();
    return true;
  }();
  (void)done;
}

}  // namespace mv

#include "algorithms/registry.h"

namespace mv {

void register_all_algorithms() {
  static const bool done = [] {
    register_distribution_sorts();
    register_exchange_sorts();
    register_merge_sorts();
    register_merge_in_place_sorts();
    register_insertion_sorts();
    register_quick_sorts();
    register_selection_heap_smooth_sorts();
    register_shuffles();
    register_stable_quick_sorts();
    register_sorting_networks();
    register_tree_sorts();
    register_slow_sorts();
    register_range_splitting_sorts();
    register_bitonic_range_splitting_sorts();
    register_pass_sorts();
    return true;
  }();
  (void)done;
}

}  // namespace mv

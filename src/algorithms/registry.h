// Every algorithm family registers its procedures with the catalogue here. Each family's source
// file defines its register function; register_all_algorithms calls them all once.
#pragma once

namespace mv {

void register_all_algorithms();

void register_distribution_sorts();
void register_exchange_sorts();
void register_merge_sorts();
void register_merge_in_place_sorts();
void register_insertion_sorts();
void register_quick_sorts();
void register_selection_heap_smooth_sorts();
void register_shuffles();
void register_sorting_networks();
void register_stable_quick_sorts();
void register_tree_sorts();
void register_slow_sorts();
// The parallel sorts (src/parallel/).
void register_range_splitting_sorts();
void register_bitonic_range_splitting_sorts();
void register_pass_sorts();

}  // namespace mv

// Selection sorts, the heap sort family, the smooth sorts on Leonardo heaps, popular sort and the
// tournament tree sort. This header holds what other parts of the program call: the Leonardo
// number table and the heap and smooth sort steps that the initial-set presorting runs on keys
// alone.
#pragma once

#include <array>
#include <cstdint>

namespace mv {

// Leonardo numbers L(0) = L(1) = 1, L(k) = L(k-1) + L(k-2) + 1, as far as they fit 16 bits: a
// forest of Leonardo heaps over 65535 columns has heaps up to order 22.
inline constexpr int leonardo_count = 23;
extern const std::array<uint16_t, leonardo_count> leonardo_numbers;

// The presorting forms move keys only (colours and start positions stay where they are), count
// nothing, draw nothing, and stop early.

// Heap sort "original": builds the max-heap over the whole set, then takes E - 1 maxima to the
// end (none when E < 2).
void presort_heap_sort(int E);
// Heap sort "reverse": builds the min-heap rooted at the right end, then brings the minima to
// positions 0 .. stop (no extraction when stop <= 0).
void presort_reverse_heap_sort(int stop);
// Smooth sort: builds the Leonardo forest, then dismantles it until the sorted part at the end
// reaches position stop (stop <= 1 sorts completely).
void presort_smooth_sort(int stop);

}  // namespace mv

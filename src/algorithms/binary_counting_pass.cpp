#include "algorithms/binary_counting_pass.h"

#include <algorithm>
#include <bit>

#include "engine/element_set.h"

namespace mv {

namespace {

int key_bit(int32_t key, int b) {
  if (b < 0 || b >= 32) return 0;
  return static_cast<int>((static_cast<uint32_t>(key) >> b) & 1u);
}

}  // namespace

bool binary_counting_pass(int b, bool move) {
  if (broken()) return true;
  main_loop_runnings.increment();

  const int n = column_count();
  const int rows = std::max(settings.rows.load(std::memory_order_relaxed), 1);
  const size_t slots = static_cast<size_t>(std::max(n, rows)) + 1;
  if (buffer_a.size() != slots) buffer_a.resize(slots);
  if (buffer_b.size() != slots) buffer_b.resize(slots);

  // buffer_b holds the count table in its key fields; afterwards slot v holds the end of bucket v.
  for (int v = 0; v <= rows; ++v) buffer_b[v].key = 0;
  for (int i = 0; i < n; ++i) ++buffer_b[key_bit(elements[i].key, b)].key;
  for (int v = 1; v <= rows; ++v) buffer_b[v].key += buffer_b[v - 1].key;

  // Scanning backwards fills each bucket from its end, which keeps equal bits in order. The
  // keys-only path parks the key itself in buffer_a: colours and start positions stay put.
  for (int i = n - 1; i >= 0; --i) {
    const int e = --buffer_b[key_bit(elements[i].key, b)].key;
    if (move) {
      move_to_buffer(e, i);
    } else {
      buffer_a[e].key = elements[i].key;
    }
  }

  // The write-back always runs to its end: stopping half-way would leave some elements twice in
  // the set and others not at all. After a break-off the brake returns at once, so the rest is
  // quick.
  for (int i = 0; i < n; ++i) {
    if (move) {
      store_element(i, buffer_a[i]);
    } else {
      elements[i].key = buffer_a[i].key;
    }
  }
  return broken();
}

int top_key_bit() {
  const auto rows = static_cast<unsigned>(std::max(settings.rows.load(), 1));
  return static_cast<int>(std::bit_width(rows)) - 1;
}

}  // namespace mv

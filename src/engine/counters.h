// Operation counters. A sequential run increments with a relaxed load and store (no locked
// instruction); while worker threads run, the thread framework switches every counter to an
// atomic add so that parallel runs report exact counts.
#pragma once

#include <atomic>
#include <cstdint>

namespace mv {

// Set by the thread framework while worker threads may count.
extern std::atomic<bool> counting_parallel;
// Set while counting needs more than a plain increment (parallel counting or an operation limit);
// the fast path tests this one flag only.
extern std::atomic<bool> counting_slow_path;

// Raises a to at least v (lowers it to at most v), whichever thread gets there first.
template <class T>
void atomic_raise(std::atomic<T>& a, T v) noexcept {
  T seen = a.load(std::memory_order_relaxed);
  while (v > seen && !a.compare_exchange_weak(seen, v, std::memory_order_relaxed)) {
  }
}
template <class T>
void atomic_lower(std::atomic<T>& a, T v) noexcept {
  T seen = a.load(std::memory_order_relaxed);
  while (v < seen && !a.compare_exchange_weak(seen, v, std::memory_order_relaxed)) {
  }
}

template <class T>
class Counter {
 public:
  void increment() noexcept { add(1); }
  void add(T amount) noexcept {
    if (counting_parallel.load(std::memory_order_relaxed)) {
      value_.fetch_add(amount, std::memory_order_relaxed);
    } else {
      value_.store(value_.load(std::memory_order_relaxed) + amount, std::memory_order_relaxed);
    }
  }
  T get() const noexcept { return value_.load(std::memory_order_relaxed); }
  void set(T v) noexcept { value_.store(v, std::memory_order_relaxed); }
  operator T() const noexcept { return get(); }

 private:
  std::atomic<T> value_{0};
};

}  // namespace mv

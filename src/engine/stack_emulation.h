// Explicit stacks that replace recursion in the iterative algorithms. They count nothing and draw
// nothing. An object created with Create() lives on the heap and may release itself through
// IsEmpty(true), IsNotEmpty(true) or Clear(true), so the usual pattern is
//   auto* s = TStackemulator::Create(2); ... while (s->IsNotEmpty(true)) { ... }
// after which s must not be used. Popping an empty stack returns a zero value and changes nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/element_set.h"

namespace mv {

template <class Derived, class T>
class StackBase {
 public:
  using value_type = T;

  void Push(T v) { values_.push_back(v); }
  T Pop() {
    if (values_.empty()) return T{};
    T v = values_.back();
    values_.pop_back();
    return v;
  }
  bool IsEmpty(bool free_if_empty = false) {
    if (!values_.empty()) return false;
    if (free_if_empty) delete static_cast<Derived*>(this);
    return true;
  }
  bool IsNotEmpty(bool free_if_empty = false) { return !IsEmpty(free_if_empty); }
  void Clear(bool free = false) {
    values_.clear();
    if (free) delete static_cast<Derived*>(this);
  }
  // Number of values stored (the depth of the top node).
  size_t Depth() const { return values_.size(); }

  template <class... V>
  void PushN(V... v) {
    (Push(static_cast<T>(v)), ...);
  }
  // Pops into the variables so that the last-named one receives the top value.
  template <class... R>
  void PopN(R&... r) {
    std::array<T, sizeof...(R)> v{};
    for (size_t k = v.size(); k-- > 0;) v[k] = Pop();
    size_t k = 0;
    ((r = static_cast<R>(v[k++])), ...);
  }

  // clang-format off
  template <class A, class B> void Push2(A a, B b) { PushN(a, b); }
  template <class... V> void Push3(V... v) requires(sizeof...(V) == 3) { PushN(v...); }
  template <class... V> void Push4(V... v) requires(sizeof...(V) == 4) { PushN(v...); }
  template <class... V> void Push5(V... v) requires(sizeof...(V) == 5) { PushN(v...); }
  template <class... V> void Push6(V... v) requires(sizeof...(V) == 6) { PushN(v...); }
  template <class... V> void Push7(V... v) requires(sizeof...(V) == 7) { PushN(v...); }
  template <class... V> void Push8(V... v) requires(sizeof...(V) == 8) { PushN(v...); }
  template <class... V> void Push9(V... v) requires(sizeof...(V) == 9) { PushN(v...); }
  template <class A, class B> void Pop2(A& a, B& b) { PopN(a, b); }
  template <class... R> void Pop3(R&... r) requires(sizeof...(R) == 3) { PopN(r...); }
  template <class... R> void Pop4(R&... r) requires(sizeof...(R) == 4) { PopN(r...); }
  template <class... R> void Pop5(R&... r) requires(sizeof...(R) == 5) { PopN(r...); }
  template <class... R> void Pop6(R&... r) requires(sizeof...(R) == 6) { PopN(r...); }
  template <class... R> void Pop7(R&... r) requires(sizeof...(R) == 7) { PopN(r...); }
  template <class... R> void Pop8(R&... r) requires(sizeof...(R) == 8) { PopN(r...); }
  template <class... R> void Pop9(R&... r) requires(sizeof...(R) == 9) { PopN(r...); }
  // clang-format on

 protected:
  StackBase() = default;
  explicit StackBase(int zero_frame) {
    for (int k = 0; k < zero_frame; ++k) values_.push_back(T{});
  }
  ~StackBase() = default;
  std::vector<T> values_;
};

// Stack of unsigned 16-bit values (column indexes and small states).
class TStackemulator : public StackBase<TStackemulator, uint16_t> {
 public:
  // An empty stack with k zero values pushed: the end marker of a walk with k-value frames.
  static TStackemulator* Create(int k = 0) { return new TStackemulator(k); }
  explicit TStackemulator(int k = 0) : StackBase(k) {}
  uint16_t Top() const { return values_.empty() ? 0 : values_.back(); }
  uint16_t Below() const { return values_.size() < 2 ? 0 : values_[values_.size() - 2]; }
};

// Stack of 32-bit values.
class PStackemulator : public StackBase<PStackemulator, uint32_t> {
 public:
  static PStackemulator* Create(int k = 0) { return new PStackemulator(k); }
  explicit PStackemulator(int k = 0) : StackBase(k) {}
  // Pushes values[0] .. values[high] in index order.
  template <class V>
  void PushValues(const V* values, int high) {
    for (int k = 0; k <= high; ++k) Push(static_cast<uint32_t>(values[k]));
  }
  // Pops into values[high] down to values[0].
  template <class V>
  void PopValues(V* values, int high) {
    for (int k = high; k >= 0; --k) values[k] = static_cast<V>(Pop());
  }
};

// Stack of whole element records.
class TPile {
 public:
  static TPile* Create() { return new TPile(); }
  void Push(const Element& record) { records_.push_back(record); }
  // Copies the top record out and removes it; an empty pile leaves record unchanged.
  void Pop(Element& record) {
    if (records_.empty()) return;
    record = records_.back();
    records_.pop_back();
  }
  void Top(Element& record) const {
    if (!records_.empty()) record = records_.back();
  }
  bool IsEmpty(bool free_if_empty = false) {
    if (!records_.empty()) return false;
    if (free_if_empty) delete this;
    return true;
  }
  size_t Depth() const { return records_.size(); }

 private:
  std::vector<Element> records_;
};

}  // namespace mv

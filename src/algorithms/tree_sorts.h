// The structures of the tree and structure sorts: an AVL tree and a 2-3 tree of element indexes,
// an unbalanced search tree, a skip list, a splay tree and a red-black tree of record copies, and
// two Fibonacci heaps. Every structure keeps its nodes in storage it owns, so it is freed
// whatever point a run is broken off at, and every walk is iterative: a degenerate tree of 65535
// nodes needs no deep call stack.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/element_set.h"

namespace mv {

// Key, then start position, in one number: every element has its own composite key. 64 bits keep
// the order right for every 32-bit key.
inline int64_t composite_key(const Element& e) {
  return static_cast<int64_t>(e.key) * 65536 + e.start_position;
}

// ---- AVL tree of element indexes ----------------------------------------------------------

struct TAVLNode {
  int element = 0;
  int balance = 0;  // height of the right subtree minus that of the left one
  int left = -1;
  int right = -1;
};

class TAVLTree {
 public:
  explicit TAVLTree(int capacity) { nodes_.reserve(capacity); }
  // A smaller element (elem_less(i, node)) goes left, an equal or greater one right, so equal
  // keys stay in insertion order.
  void Insert(int i);
  // The element indexes in order.
  std::vector<int> InOrder() const;
  // The height of the tree (0 when empty), or -1 when a stored balance disagrees with the
  // heights of its subtrees or leaves -1 .. 1.
  int CheckedHeight() const;

 private:
  int Rebalance(int n);  // n has balance -2 or +2; returns the new root of its subtree
  std::vector<TAVLNode> nodes_;
  int root_ = -1;
  std::vector<int> path_;  // nodes passed on the last insertion
};

// ---- 2-3 tree of element indexes ----------------------------------------------------------

// A link to a subtree: the index of its node head, -1 for none.
struct TBNode {
  int child = -1;
};
// One element entry of a node; its child holds the keys before it.
struct TBNodeElement : TBNode {
  int element = 0;
  int next = -1;  // the next entry of the same node
};
// A node: its entries in ascending order; its own child holds the keys after the last entry.
struct TBNodeHead : TBNode {
  int first = -1;
};

class TBTree {
 public:
  explicit TBTree(int capacity) { entries_.reserve(capacity); }
  // The new element passes an entry while its key is greater (elem_greater), so it lands before
  // equal keys; inserting from right to left thus keeps equal keys in their order.
  void Insert(int i);
  std::vector<int> InOrder() const;
  // The number of levels when every leaf lies at the same depth and no node holds more than two
  // entries; -1 otherwise.
  int CheckedDepth() const;

 private:
  int EntryCount(int head) const;
  // Links entry e into head before entry before (-1: at the end).
  void LinkBefore(int head, int e, int before);
  std::vector<TBNodeHead> heads_;
  std::vector<TBNodeElement> entries_;
  int root_ = -1;
  std::vector<std::array<int, 2>> path_;  // (head, entry whose child led down; -1: the head's)
};

// ---- Unbalanced search tree of record copies -----------------------------------------------

class TSearchTree {
 public:
  explicit TSearchTree(int capacity) { nodes_.reserve(capacity); }
  // Copies element i into a new node: a smaller key (cmp_less) goes left, else right.
  void Insert(int i);
  // Calls put(record) for every record in order, walking on an explicit stack.
  template <class Put>
  void Walk(Put put) const;

 private:
  struct Node {
    Element record;
    int left = -1;
    int right = -1;
  };
  std::vector<Node> nodes_;
};

// ---- Skip list ------------------------------------------------------------------------------

class TSkipList {
 public:
  static constexpr int max_level = 16;
  explicit TSkipList(int capacity);
  // Inserts a copy of element i before the first node whose key is not smaller (rec_less).
  void Insert(int i);
  // Reading back: the records in list order.
  void Reset() { cursor_ = nodes_[header].forward[0]; }
  bool AtEnd() const { return cursor_ == sentinel; }
  const Element& Next() {
    const Element& r = nodes_[cursor_].record;
    cursor_ = nodes_[cursor_].forward[0];
    return r;
  }
  int Count() const { return count_; }

 private:
  static constexpr int header = 0;
  static constexpr int sentinel = 1;  // last in every level
  struct Node {
    Element record;
    int32_t value = 0;
    std::array<int, max_level> forward{};
  };
  int RandomLevel();
  std::vector<Node> nodes_;
  int level_ = 1;
  int count_ = 0;
  int cursor_ = sentinel;
  uint32_t random_word_ = 0;
  int pairs_left_ = 0;
};

// ---- Splay tree -----------------------------------------------------------------------------

struct TSplayNode {
  int64_t key = 0;
  int left = -1;
  int right = -1;
  int parent = -1;
  Element record;
};

class TSPLAYTree {
 public:
  explicit TSPLAYTree(int capacity) { nodes_.reserve(capacity); }
  // Splays at the composite key of element i, splits at the root and makes a node with a copy
  // of the record the new root.
  void Insert(int i);
  bool Empty() const { return root_ < 0; }
  // Removes the leftmost node (splayed to the root) and returns its record.
  Element RemoveMinimum();
  // The depth of the deepest node (1 for a root alone), walked without recursion.
  int Depth() const;

 private:
  void Splay(int x);
  std::vector<TSplayNode> nodes_;
  int root_ = -1;
};

// ---- Red-black tree ---------------------------------------------------------------------------

class TRBTree {
 public:
  explicit TRBTree(int capacity) { nodes_.reserve(capacity); }
  // Inserts a copy of element i under its composite key.
  void Insert(int i);
  // Reading back from the smallest node by successor steps up to the largest.
  void Reset() { cursor_ = smallest_; }
  bool AtEnd() const { return cursor_ < 0; }
  const Element& Next();
  // The number of black nodes on every path from the root down, or -1 when the paths differ,
  // a red node has a red child or the root is red.
  int CheckedBlackHeight() const;

 private:
  struct Node {
    int64_t key = 0;
    Element record;
    int left = -1;
    int right = -1;
    int parent = -1;
    bool black = false;
  };
  void FixAfterInsert(int z);
  bool Black(int x) const { return x < 0 || nodes_[x].black; }
  std::vector<Node> nodes_;
  int root_ = -1;
  int smallest_ = -1;
  int largest_ = -1;
  int cursor_ = -1;
};

// ---- Fibonacci heaps --------------------------------------------------------------------------

// The node of TFibHeap1: a plain record, all nodes of a heap in one block.
struct TFibNode {
  Element record;
  TFibNode* parent = nullptr;
  TFibNode* child = nullptr;
  TFibNode* left = this;
  TFibNode* right = this;
  int degree = 0;
  bool mark = false;
};

// The node of TFibHeap2: an object of its own, created and freed one by one.
class TFibNodeObj {
 public:
  Element record;
  TFibNodeObj* parent = nullptr;
  TFibNodeObj* child = nullptr;
  TFibNodeObj* left = this;
  TFibNodeObj* right = this;
  int degree = 0;
  bool mark = false;
};

// A Fibonacci heap of record copies without decrease-key: insertion into the root list,
// extraction of the minimum with consolidation by degree. Linking makes the root that comes
// first by rec_stable_before the parent, so with "stable comparings" equal keys leave the heap
// in start order. own_each: every node is allocated and freed on its own.
template <class Node, bool own_each>
class FibonacciHeap {
 public:
  explicit FibonacciHeap(int capacity);
  ~FibonacciHeap();
  FibonacciHeap(const FibonacciHeap&) = delete;
  FibonacciHeap& operator=(const FibonacciHeap&) = delete;

  // A new root with a copy of element i; it becomes the minimum when its key is smaller.
  void Insert(int i);
  int Count() const { return count_; }
  const Element& Minimum() const { return minimum_->record; }
  void ExtractMinimum();
  // Calls f(record) for every record still held, in no particular order.
  template <class F>
  void ForEachRecord(F f) const;

 private:
  Node* NewNode();
  void FreeNode(Node* x);
  std::vector<Node*> Collect() const;  // every node held, walked without recursion
  Node roots_;                         // root list sentinel
  Node* minimum_ = nullptr;
  int count_ = 0;
  std::vector<Node> block_;  // the nodes, unless own_each
};

using TFibHeap1 = FibonacciHeap<TFibNode, false>;
using TFibHeap2 = FibonacciHeap<TFibNodeObj, true>;

}  // namespace mv

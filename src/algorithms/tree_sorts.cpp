// Tree and structure sorts: the elements go into a structure (a search tree, a skip list, piles,
// a heap) and are read back in order.
//
// The index trees (AVL, 2-3) leave the set untouched until they are read back. The structures of
// record copies write the set only while they are read back; a break-off there still reads every
// record held back into the remaining positions by counted stores, so the set stays a
// permutation of the start set.
#include "algorithms/tree_sorts.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "algorithms/block_swapping.h"
#include "algorithms/merge_sorts.h"
#include "algorithms/pile_list.h"
#include "algorithms/registry.h"
#include "engine/catalogue.h"
#include "engine/random.h"
#include "engine/stack_emulation.h"

namespace mv {

namespace {

// One counted comparison of two composite keys.
int compare_composite(int64_t a, int64_t b) {
  count_comparison();
  return a < b ? -1 : (a > b ? 1 : 0);
}
bool composite_less(int64_t a, int64_t b) {
  count_comparison();
  return a < b;
}

// Writes records into the set from position first on, each by a counted store (after a copy
// with copy_first), also after a break-off: the set no longer holds the records still to come.
class ReadBack {
 public:
  explicit ReadBack(int first, bool copy_first = false) : k_(first), copy_first_(copy_first) {}
  void Put(const Element& record) {
    if (copy_first_) {
      Element copy;
      copy_record(record, copy);
      store_element(k_++, copy);
    } else {
      store_element(k_++, record);
    }
  }

 private:
  int k_;
  bool copy_first_;
};

// Lifts node x above its parent in a tree whose nodes know their parent; root follows.
template <class Node>
void rotate_up(std::vector<Node>& nodes, int x, int& root) {
  Node& n = nodes[x];
  const int p = n.parent;
  const int g = nodes[p].parent;
  if (nodes[p].left == x) {
    nodes[p].left = n.right;
    if (n.right >= 0) nodes[n.right].parent = p;
    n.right = p;
  } else {
    nodes[p].right = n.left;
    if (n.left >= 0) nodes[n.left].parent = p;
    n.left = p;
  }
  nodes[p].parent = x;
  n.parent = g;
  if (g < 0) {
    root = x;
  } else if (nodes[g].left == p) {
    nodes[g].left = x;
  } else {
    nodes[g].right = x;
  }
}

}  // namespace

// ---- AVL tree ---------------------------------------------------------------------------------

void TAVLTree::Insert(int i) {
  const int id = static_cast<int>(nodes_.size());
  nodes_.push_back({i, 0, -1, -1});
  if (root_ < 0) {
    root_ = id;
    return;
  }
  path_.clear();
  for (int p = root_;;) {
    path_.push_back(p);
    int& child = elem_less(i, nodes_[p].element) ? nodes_[p].left : nodes_[p].right;
    if (child < 0) {
      child = id;
      break;
    }
    p = child;
  }
  // Back up the path: the subtree that received the node grew by one level until a balance
  // returns to 0 or a rotation restores the old height.
  int child = id;
  for (int k = static_cast<int>(path_.size()) - 1; k >= 0; --k) {
    const int n = path_[k];
    nodes_[n].balance += nodes_[n].left == child ? -1 : 1;
    if (nodes_[n].balance == 0) return;
    if (nodes_[n].balance == -1 || nodes_[n].balance == 1) {
      child = n;
      continue;
    }
    const int top = Rebalance(n);
    if (k == 0) {
      root_ = top;
    } else {
      TAVLNode& parent = nodes_[path_[k - 1]];
      (parent.left == n ? parent.left : parent.right) = top;
    }
    return;
  }
}

int TAVLTree::Rebalance(int n) {
  const bool right_heavy = nodes_[n].balance > 0;
  const int sign = right_heavy ? 1 : -1;
  auto inner = [&](int x) -> int& { return right_heavy ? nodes_[x].left : nodes_[x].right; };
  auto outer = [&](int x) -> int& { return right_heavy ? nodes_[x].right : nodes_[x].left; };
  const int c = outer(n);
  if (nodes_[c].balance == sign) {  // single rotation
    outer(n) = inner(c);
    inner(c) = n;
    nodes_[n].balance = nodes_[c].balance = 0;
    return c;
  }
  // Double rotation: the inner grandchild g rises above n and c.
  const int g = inner(c);
  inner(c) = outer(g);
  outer(n) = inner(g);
  inner(g) = n;
  outer(g) = c;
  nodes_[n].balance = nodes_[g].balance == sign ? -sign : 0;
  nodes_[c].balance = nodes_[g].balance == -sign ? sign : 0;
  nodes_[g].balance = 0;
  return g;
}

std::vector<int> TAVLTree::InOrder() const {
  std::vector<int> order;
  order.reserve(nodes_.size());
  PStackemulator stack;
  int x = root_;
  while (x >= 0 || stack.IsNotEmpty()) {
    for (; x >= 0; x = nodes_[x].left) stack.Push(static_cast<uint32_t>(x));
    x = static_cast<int>(stack.Pop());
    order.push_back(nodes_[x].element);
    x = nodes_[x].right;
  }
  return order;
}

int TAVLTree::CheckedHeight() const {
  if (root_ < 0) return 0;
  // Pre-order lists every parent before its children; backwards, children come first.
  std::vector<int> pre;
  PStackemulator stack;
  stack.Push(static_cast<uint32_t>(root_));
  while (stack.IsNotEmpty()) {
    const int x = static_cast<int>(stack.Pop());
    pre.push_back(x);
    if (nodes_[x].left >= 0) stack.Push(static_cast<uint32_t>(nodes_[x].left));
    if (nodes_[x].right >= 0) stack.Push(static_cast<uint32_t>(nodes_[x].right));
  }
  std::vector<int> height(nodes_.size(), 0);
  auto h = [&](int x) { return x < 0 ? 0 : height[x]; };
  for (auto it = pre.rbegin(); it != pre.rend(); ++it) {
    const TAVLNode& n = nodes_[*it];
    const int diff = h(n.right) - h(n.left);
    if (diff != n.balance || diff < -1 || diff > 1) return -1;
    height[*it] = 1 + std::max(h(n.left), h(n.right));
  }
  return height[root_];
}

// ---- 2-3 tree ---------------------------------------------------------------------------------

int TBTree::EntryCount(int head) const {
  int c = 0;
  for (int e = heads_[head].first; e >= 0; e = entries_[e].next) ++c;
  return c;
}

void TBTree::LinkBefore(int head, int e, int before) {
  int* link = &heads_[head].first;
  while (*link != before) link = &entries_[*link].next;
  entries_[e].next = before;
  *link = e;
}

void TBTree::Insert(int i) {
  const int e = static_cast<int>(entries_.size());
  TBNodeElement entry;
  entry.element = i;
  entries_.push_back(entry);
  if (root_ < 0) {
    root_ = static_cast<int>(heads_.size());
    heads_.emplace_back().first = e;
    return;
  }
  path_.clear();
  int h = root_;
  for (;;) {
    int cur = heads_[h].first;
    while (cur >= 0 && elem_greater(i, entries_[cur].element)) cur = entries_[cur].next;
    const int down = cur >= 0 ? entries_[cur].child : heads_[h].child;
    if (down < 0) {
      LinkBefore(h, e, cur);
      break;
    }
    path_.push_back({h, cur});
    h = down;
  }
  // A node with three entries keeps the first, hands the middle one up and gives the third to a
  // new node; the link that led to the old node leads to the new one, the middle entry to the
  // old one.
  while (EntryCount(h) == 3) {
    const int first = heads_[h].first;
    const int middle = entries_[first].next;
    const int third = entries_[middle].next;
    const int fresh = static_cast<int>(heads_.size());
    TBNodeHead split;
    split.first = third;
    split.child = heads_[h].child;
    heads_.push_back(split);
    heads_[h].child = entries_[middle].child;
    entries_[first].next = -1;
    entries_[middle].next = -1;
    entries_[middle].child = h;
    if (path_.empty()) {
      root_ = static_cast<int>(heads_.size());
      TBNodeHead top;
      top.first = middle;
      top.child = fresh;
      heads_.push_back(top);
      return;
    }
    const auto [parent, via] = path_.back();
    path_.pop_back();
    (via >= 0 ? entries_[via].child : heads_[parent].child) = fresh;
    LinkBefore(parent, middle, via);
    h = parent;
  }
}

std::vector<int> TBTree::InOrder() const {
  std::vector<int> order;
  order.reserve(entries_.size());
  // Frames (head, entry next to emit); the subtree before that entry is done.
  PStackemulator stack;
  auto descend = [&](int x) {
    for (; x >= 0; x = entries_[heads_[x].first].child) {
      stack.Push2(static_cast<uint32_t>(x), static_cast<uint32_t>(heads_[x].first));
    }
  };
  descend(root_);
  while (stack.IsNotEmpty()) {
    uint32_t h, e;
    stack.Pop2(h, e);
    order.push_back(entries_[e].element);
    const int next = entries_[e].next;
    if (next >= 0) {
      stack.Push2(h, static_cast<uint32_t>(next));
      descend(entries_[next].child);
    } else {
      descend(heads_[h].child);
    }
  }
  return order;
}

int TBTree::CheckedDepth() const {
  if (root_ < 0) return 0;
  int leaf_depth = -1;
  PStackemulator stack;
  stack.Push2(static_cast<uint32_t>(root_), 1u);
  while (stack.IsNotEmpty()) {
    uint32_t h, depth;
    stack.Pop2(h, depth);
    const int count = EntryCount(static_cast<int>(h));
    if (count < 1 || count > 2) return -1;
    std::vector<int> children{heads_[h].child};
    for (int e = heads_[h].first; e >= 0; e = entries_[e].next)
      children.push_back(entries_[e].child);
    const auto leaves = std::count(children.begin(), children.end(), -1);
    if (leaves == static_cast<long>(children.size())) {
      if (leaf_depth >= 0 && leaf_depth != static_cast<int>(depth)) return -1;
      leaf_depth = static_cast<int>(depth);
    } else if (leaves != 0) {
      return -1;
    } else {
      for (int c : children) stack.Push2(static_cast<uint32_t>(c), depth + 1);
    }
  }
  return leaf_depth;
}

// ---- Unbalanced search tree -------------------------------------------------------------------

void TSearchTree::Insert(int i) {
  const int id = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  read_element(i, nodes_[id].record);
  if (id == 0) return;
  for (int p = 0;;) {
    int& child =
        cmp_less(nodes_[id].record.key, nodes_[p].record.key) ? nodes_[p].left : nodes_[p].right;
    if (child < 0) {
      child = id;
      return;
    }
    p = child;
  }
}

template <class Put>
void TSearchTree::Walk(Put put) const {
  if (nodes_.empty()) return;
  TStackemulator stack;  // node numbers fit 16 bits: one node per column
  int x = 0;
  while (x >= 0 || stack.IsNotEmpty()) {
    for (; x >= 0; x = nodes_[x].left) stack.Push(static_cast<uint16_t>(x));
    x = stack.Pop();
    put(nodes_[x].record);
    x = nodes_[x].right;
  }
}

// ---- Skip list --------------------------------------------------------------------------------

TSkipList::TSkipList(int capacity) {
  nodes_.reserve(capacity + 2);
  nodes_.resize(2);
  nodes_[header].forward.fill(sentinel);
  nodes_[sentinel].record.key = INT32_MAX;
  nodes_[sentinel].forward.fill(sentinel);
}

// 1 plus the number of consecutive bit pairs that are both 0 (each with probability 1/4), taken
// from the top of a random word that is renewed after 15 pairs.
int TSkipList::RandomLevel() {
  int level = 1;
  for (;;) {
    if (pairs_left_ == 0) {
      random_word_ = next_seed();
      pairs_left_ = 15;
    }
    const uint32_t pair = random_word_ >> 30;
    random_word_ <<= 2;
    --pairs_left_;
    if (pair != 0 || level == max_level) return level;
    ++level;
  }
}

void TSkipList::Insert(int i) {
  const int id = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  read_element(i, nodes_[id].record);
  std::array<int, max_level> last{};
  int x = header;
  for (int lv = level_ - 1; lv >= 0; --lv) {
    for (int next = nodes_[x].forward[lv];
         next != sentinel && rec_less(nodes_[next].record, nodes_[id].record);
         next = nodes_[x].forward[lv]) {
      x = next;
    }
    last[lv] = x;
  }
  int level = RandomLevel();
  if (level > level_) {
    level = ++level_;
    last[level - 1] = header;
  }
  for (int lv = 0; lv < level; ++lv) {
    nodes_[id].forward[lv] = nodes_[last[lv]].forward[lv];
    nodes_[last[lv]].forward[lv] = id;
  }
  ++count_;
}

// ---- Splay tree -------------------------------------------------------------------------------

void TSPLAYTree::Splay(int x) {
  while (nodes_[x].parent >= 0) {
    const int p = nodes_[x].parent;
    const int g = nodes_[p].parent;
    if (g < 0) {
      rotate_up(nodes_, x, root_);  // zig
    } else if ((nodes_[g].left == p) == (nodes_[p].left == x)) {
      rotate_up(nodes_, p, root_);  // zig-zig
      rotate_up(nodes_, x, root_);
    } else {
      rotate_up(nodes_, x, root_);  // zig-zag
      rotate_up(nodes_, x, root_);
    }
  }
}

void TSPLAYTree::Insert(int i) {
  const int id = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  const int64_t key = composite_key(elements[i]);
  if (root_ >= 0) {
    int last = root_;
    for (int p = root_; p >= 0;) {
      last = p;
      p = compare_composite(key, nodes_[p].key) < 0 ? nodes_[p].left : nodes_[p].right;
    }
    Splay(last);
    TSplayNode& top = nodes_[root_];
    if (compare_composite(key, top.key) < 0) {
      nodes_[id].left = top.left;
      nodes_[id].right = root_;
      top.left = -1;
    } else {
      nodes_[id].right = top.right;
      nodes_[id].left = root_;
      top.right = -1;
    }
    top.parent = id;
    if (nodes_[id].left >= 0) nodes_[nodes_[id].left].parent = id;
    if (nodes_[id].right >= 0) nodes_[nodes_[id].right].parent = id;
  }
  nodes_[id].key = key;
  read_element(i, nodes_[id].record);
  root_ = id;
}

Element TSPLAYTree::RemoveMinimum() {
  int x = root_;
  while (nodes_[x].left >= 0) x = nodes_[x].left;
  Splay(x);
  root_ = nodes_[x].right;
  if (root_ >= 0) nodes_[root_].parent = -1;
  return nodes_[x].record;
}

int TSPLAYTree::Depth() const {
  if (root_ < 0) return 0;
  int deepest = 0;
  PStackemulator stack;
  stack.Push2(static_cast<uint32_t>(root_), 1u);
  while (stack.IsNotEmpty()) {
    uint32_t x, d;
    stack.Pop2(x, d);
    deepest = std::max(deepest, static_cast<int>(d));
    for (int c : {nodes_[x].left, nodes_[x].right}) {
      if (c >= 0) stack.Push2(static_cast<uint32_t>(c), d + 1);
    }
  }
  return deepest;
}

// ---- Red-black tree ---------------------------------------------------------------------------

void TRBTree::Insert(int i) {
  const int z = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  copy_record(elements[i], nodes_[z].record);
  nodes_[z].key = composite_key(nodes_[z].record);
  // Composite keys are distinct; an equal one would go right rather than be dropped.
  int parent = -1;
  bool left = false;
  for (int x = root_; x >= 0;) {
    parent = x;
    left = compare_composite(nodes_[z].key, nodes_[x].key) < 0;
    x = left ? nodes_[x].left : nodes_[x].right;
  }
  nodes_[z].parent = parent;
  if (parent < 0) {
    root_ = z;
  } else {
    (left ? nodes_[parent].left : nodes_[parent].right) = z;
  }
  FixAfterInsert(z);
  if (smallest_ < 0 || composite_less(nodes_[z].key, nodes_[smallest_].key)) smallest_ = z;
  if (largest_ < 0 || composite_less(nodes_[largest_].key, nodes_[z].key)) largest_ = z;
}

void TRBTree::FixAfterInsert(int z) {
  while (z != root_ && !Black(nodes_[z].parent)) {
    const int p = nodes_[z].parent;
    const int g = nodes_[p].parent;  // exists: a red parent is not the root
    const bool parent_left = nodes_[g].left == p;
    const int uncle = parent_left ? nodes_[g].right : nodes_[g].left;
    if (!Black(uncle)) {
      nodes_[p].black = nodes_[uncle].black = true;
      nodes_[g].black = false;
      z = g;
      continue;
    }
    // z on the inner side rises above its parent first; then the grandparent turns over.
    if ((nodes_[p].left == z) != parent_left) {
      rotate_up(nodes_, z, root_);
      z = p;
    }
    nodes_[nodes_[z].parent].black = true;
    nodes_[g].black = false;
    rotate_up(nodes_, nodes_[z].parent, root_);
  }
  nodes_[root_].black = true;
}

const Element& TRBTree::Next() {
  const int x = cursor_;
  if (x == largest_) {
    cursor_ = -1;
  } else if (nodes_[x].right >= 0) {
    int s = nodes_[x].right;
    while (nodes_[s].left >= 0) s = nodes_[s].left;
    cursor_ = s;
  } else {
    int c = x, p = nodes_[x].parent;
    while (p >= 0 && nodes_[p].right == c) {
      c = p;
      p = nodes_[p].parent;
    }
    cursor_ = p;
  }
  return nodes_[x].record;
}

int TRBTree::CheckedBlackHeight() const {
  if (root_ < 0) return 0;
  if (!nodes_[root_].black) return -1;
  int height = -1;
  PStackemulator stack;
  stack.Push2(static_cast<uint32_t>(root_), 1u);
  while (stack.IsNotEmpty()) {
    uint32_t x, blacks;
    stack.Pop2(x, blacks);
    for (int c : {nodes_[x].left, nodes_[x].right}) {
      if (c < 0) {
        if (height >= 0 && height != static_cast<int>(blacks)) return -1;
        height = static_cast<int>(blacks);
        continue;
      }
      if (!nodes_[x].black && !nodes_[c].black) return -1;
      stack.Push2(static_cast<uint32_t>(c), blacks + (nodes_[c].black ? 1 : 0));
    }
  }
  return height;
}

// ---- Fibonacci heaps --------------------------------------------------------------------------

namespace {

// Circular sibling lists.
template <class Node>
void splice_before(Node* anchor, Node* x) {
  x->right = anchor;
  x->left = anchor->left;
  anchor->left->right = x;
  anchor->left = x;
}
template <class Node>
void unlink(Node* x) {
  x->left->right = x->right;
  x->right->left = x->left;
  x->left = x->right = x;
}

}  // namespace

template <class Node, bool own_each>
FibonacciHeap<Node, own_each>::FibonacciHeap(int capacity) {
  roots_.record.key = INT32_MAX;
  if (!own_each) block_.reserve(capacity);  // node addresses stay put
}

template <class Node, bool own_each>
FibonacciHeap<Node, own_each>::~FibonacciHeap() {
  if (own_each) {
    for (Node* x : Collect()) delete x;
  }
}

template <class Node, bool own_each>
Node* FibonacciHeap<Node, own_each>::NewNode() {
  if (own_each) return new Node;
  Node& x = block_.emplace_back();
  x.left = x.right = &x;
  return &x;
}

template <class Node, bool own_each>
void FibonacciHeap<Node, own_each>::FreeNode(Node* x) {
  if (own_each) delete x;
}

template <class Node, bool own_each>
std::vector<Node*> FibonacciHeap<Node, own_each>::Collect() const {
  std::vector<Node*> all;
  all.reserve(count_);
  // Every sibling list is walked once; the lists of children follow as they are met.
  std::vector<Node*> lists;
  if (roots_.right != &roots_) lists.push_back(roots_.right);
  for (size_t k = 0; k < lists.size(); ++k) {
    Node* first = lists[k];
    Node* x = first;
    do {
      if (x != &roots_) {
        all.push_back(x);
        if (x->child) lists.push_back(x->child);
      }
      x = x->right;
    } while (x != first);
  }
  return all;
}

template <class Node, bool own_each>
template <class F>
void FibonacciHeap<Node, own_each>::ForEachRecord(F f) const {
  for (const Node* x : Collect()) f(x->record);
}

template <class Node, bool own_each>
void FibonacciHeap<Node, own_each>::Insert(int i) {
  Node* x = NewNode();
  read_element(i, x->record);
  splice_before(&roots_, x);
  if (minimum_ == nullptr || rec_less(x->record, minimum_->record)) minimum_ = x;
  ++count_;
}

template <class Node, bool own_each>
void FibonacciHeap<Node, own_each>::ExtractMinimum() {
  Node* z = minimum_;
  while (Node* c = z->child) {
    z->child = c->right == c ? nullptr : c->right;
    unlink(c);
    c->parent = nullptr;
    splice_before(&roots_, c);
  }
  unlink(z);
  FreeNode(z);
  minimum_ = nullptr;
  if (--count_ == 0) return;

  // Consolidation: roots of equal degree are linked until every degree occurs once.
  const size_t size = static_cast<size_t>(std::lround(2 * std::log2(count_))) + 1;
  std::vector<Node*> by_degree(size, nullptr);
  std::vector<Node*> roots;
  for (Node* x = roots_.right; x != &roots_; x = x->right) roots.push_back(x);
  for (Node* x : roots) {
    size_t d = static_cast<size_t>(x->degree);
    for (;;) {
      if (d >= by_degree.size()) by_degree.resize(d + 1, nullptr);
      Node* y = by_degree[d];
      if (y == nullptr) break;
      if (!rec_stable_before(x->record, y->record)) std::swap(x, y);
      unlink(y);  // y goes below x
      y->parent = x;
      y->mark = false;
      if (x->child) {
        splice_before(x->child, y);
      } else {
        x->child = y;
      }
      ++x->degree;
      by_degree[d++] = nullptr;
    }
    by_degree[d] = x;
  }
  for (Node* x : by_degree) {
    if (x && (minimum_ == nullptr || rec_stable_before(x->record, minimum_->record))) {
      minimum_ = x;
    }
  }
}

template class FibonacciHeap<TFibNode, false>;
template class FibonacciHeap<TFibNodeObj, true>;

// ---- The sorts --------------------------------------------------------------------------------

namespace {

// Places the elements given by their start indexes in order into first, first + 1, ...
// In place: by counted swappings, with a two-way table of index and current position. Out of
// place: through buffer_a, then by counted movings.
void read_back_indexes(const std::vector<int>& order, int first, bool in_place) {
  const int count = static_cast<int>(order.size());
  if (in_place) {
    std::vector<int> position(column_count()), at(column_count());
    for (int p = 0; p < column_count(); ++p) position[p] = at[p] = p;
    for (int k = 0; k < count; ++k) {
      if (broken()) return;
      const int e = order[k], target = first + k, from = position[e];
      if (!swap_elements(target, from)) continue;
      const int displaced = at[target];
      position[displaced] = from;
      at[from] = displaced;
      position[e] = target;
      at[target] = e;
    }
    return;
  }
  for (int k = 0; k < count; ++k) {
    if (broken()) return;  // the set is untouched so far
    read_element(order[k], buffer_a[first + k]);
  }
  if (broken()) return;  // only copies were made
  ReadBack out(first);
  for (int k = 0; k < count; ++k) out.Put(buffer_a[first + k]);
}

// Inserts every element into the structure, from the left or from the right; false after a
// break-off, with the set untouched so far.
template <class Structure>
bool fill(Structure& structure, bool from_right = false) {
  const int last = last_position();
  for (int k = 0; k <= last; ++k) {
    if (broken()) return false;
    structure.Insert(from_right ? last - k : k);
  }
  return !broken();  // a break-off in the last insertion also leaves the set untouched
}

// 1, 2: AVL tree of indexes, inserted from left to right.
void avl_sort() {
  TAVLTree tree(column_count());
  if (!fill(tree)) return;
  read_back_indexes(tree.InOrder(), 0, algorithm_index.load() == 1);
}

// 3, 4: 2-3 tree of indexes, inserted from right to left.
void b_sort() {
  TBTree tree(column_count());
  if (!fill(tree, true)) return;
  read_back_indexes(tree.InOrder(), 0, algorithm_index.load() == 3);
}

// 8: unbalanced search tree of record copies, read back by an in-order walk.
void search_tree_sort() {
  TSearchTree tree(column_count());
  if (!fill(tree)) return;
  ReadBack out(0);
  tree.Walk([&](const Element& record) { out.Put(record); });
}

// 75, 76: the minimum is stored, then extracted, until the heap is empty.
template <class Heap>
void fibonacci_sort() {
  Heap heap(column_count());
  if (!fill(heap)) return;
  int k = 0;
  while (heap.Count() > 0) {
    if (broken()) {  // the records still in the heap go back unsorted
      heap.ForEachRecord([&](const Element& record) { store_element(k++, record); });
      return;
    }
    store_element(k++, heap.Minimum());
    heap.ExtractMinimum();
  }
}

// 254: piles grow from left to right inside the set, each an ascending stretch whose top (its
// last element) carries the mark; 255 builds them from right to left with the top first. Each
// element joins the first pile, seen from its own side, whose top it may follow (strictly); the
// elements it passes on the way are all strictly smaller (254) or greater (255), so equal keys
// never pass each other. The natural merge sort then merges the stretches.
void patience_sort_in_place() {
  const int last = last_position();
  if (last < 1) return;
  for (int p = 0; p <= last; ++p) elements[p].target_position = 0;
  if (algorithm_index.load() == 254) {
    elements[0].target_position = 1;
    for (int j = 1; j <= last; ++j) {
      if (broken()) return;
      int i = 0;
      while (i < j && !(elements[i].target_position == 1 && elem_less(i, j))) ++i;
      if (i < j) {
        elements[i].target_position = 0;
        rotate_right_one(i + 1, j);
        elements[i + 1].target_position = 1;
      } else {
        elements[j].target_position = 1;
      }
    }
  } else {
    elements[last].target_position = 1;
    for (int j = last - 1; j >= 0; --j) {
      if (broken()) return;
      int i = last;
      while (i > j && !(elements[i].target_position == 1 && elem_less(j, i))) --i;
      if (i > j) {
        elements[i].target_position = 0;
        rotate_left_one(j, i - 1);
        elements[i - 1].target_position = 1;
      } else {
        elements[j].target_position = 1;
      }
    }
  }
  for (int p = 0; p <= last; ++p) elements[p].target_position = 0;
  if (broken()) return;
  natural_merge_sort(0, last, standard_merge_stable);
}

// 256: the pile list.
void patience_sort_out_of_place() {
  pile_list_sort(0, last_position(), false);
}

// 316: red-black tree of record copies under composite keys.
void red_black_sort() {
  TRBTree tree(column_count());
  if (!fill(tree)) return;
  ReadBack out(0, true);
  for (tree.Reset(); !tree.AtEnd();) out.Put(tree.Next());
}

// 367: skip list, filled from right to left.
void skip_sort() {
  TSkipList list(column_count());
  if (!fill(list, true)) return;
  ReadBack out(0, true);
  for (list.Reset(); !list.AtEnd();) out.Put(list.Next());
}

// 375: splay tree under composite keys, emptied by repeated removal of the minimum.
void splay_sort() {
  TSPLAYTree tree(column_count());
  if (!fill(tree)) return;
  ReadBack out(0);
  while (!tree.Empty()) out.Put(tree.RemoveMinimum());
}

// 383: the sorted part (at first the ascending prefix) takes in the next strictly ascending
// stretch by a merge through buffer_b (sorted part) and buffer_a (stretch) per round.
void strand_sort() {
  const int last = last_position();
  int s = 0;
  while (s < last && !broken() && !elem_less(s + 1, s)) ++s;
  while (s < last) {
    if (broken()) return;
    int e = s + 1;
    move_to_buffer(0, e);
    int strand = 1;
    while (e < last && !broken() && elem_greater(e + 1, e)) read_element(++e, buffer_a[strand++]);
    const int sorted = s + 1;
    for (int t = 0; t < sorted; ++t) {
      if (broken()) return;  // the set is untouched so far
      read_element(t, buffer_b[t]);
    }
    if (broken()) return;  // only copies were made
    int i = 0, j = 0;
    ReadBack out(0);
    while (i < sorted || j < strand) {
      const bool from_sorted =
          j >= strand || (i < sorted && (broken() || rec_stable_before(buffer_b[i], buffer_a[j])));
      out.Put(from_sorted ? buffer_b[i++] : buffer_a[j++]);
    }
    s = e;
  }
}

}  // namespace

void register_tree_sorts() {
  register_procedures({1, 2}, avl_sort);
  register_procedures({3, 4}, b_sort);
  register_procedure(8, search_tree_sort);
  register_procedure(75, fibonacci_sort<TFibHeap1>);
  register_procedure(76, fibonacci_sort<TFibHeap2>);
  register_procedures({254, 255}, patience_sort_in_place);
  register_procedure(256, patience_sort_out_of_place);
  register_procedure(316, red_black_sort);
  register_procedure(367, skip_sort);
  register_procedure(375, splay_sort);
  register_procedure(383, strand_sort);
}

}  // namespace mv

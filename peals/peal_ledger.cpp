// The buffer trees: leaf insertion, balanced building, merging and splitting whole buffers,
// moving subtrees between buffers, and the date search. The peals themselves and their columns
// are in ledger_records.cpp.
#include "peals/peal_ledger.h"

#include <algorithm>

#include "core/two_halves.h"

namespace tv {

uint32_t CPealLedger::FirstOf(int buffer) const {
  if (!BufferExists(buffer)) return 0;
  uint32_t n = bufferRoots[buffer];
  while (n != 0 && Entry(n).left != 0) n = Entry(n).left;
  return n;
}

uint32_t CPealLedger::LastOf(int buffer) const {
  if (!BufferExists(buffer)) return 0;
  uint32_t n = bufferRoots[buffer];
  while (n != 0 && Entry(n).right != 0) n = Entry(n).right;
  return n;
}

int CPealLedger::BufferOf(uint32_t pealNumber) const {
  if (!IsPeal(pealNumber)) return -1;
  uint32_t root = pealNumber;
  // Guarded against a damaged parent chain: no path is longer than the ledger.
  for (uint32_t steps = 0; Entry(root).parent != 0 && steps <= lastPealNumber; ++steps) {
    root = Entry(root).parent;
  }
  for (int b = 0; b < BufferCount(); ++b) {
    if (bufferRoots[b] == root) return b;
  }
  return -1;
}

std::vector<uint32_t> CPealLedger::PealsOf(int buffer) const {
  std::vector<uint32_t> peals;
  // Room for every peal: what is not filled is never touched.
  peals.reserve(lastPealNumber);
  for (uint32_t n = FirstOf(buffer); n != 0 && peals.size() <= lastPealNumber; n = Entry(n).next) {
    peals.push_back(n);
  }
  return peals;
}

bool CPealLedger::Before(uint32_t a, uint32_t b) const {
  const CPealColumns& c = m_columns;
  if (c.date[a] != c.date[b]) return c.date[a] < c.date[b];
  if (c.sequence[a] != c.sequence[b]) return c.sequence[a] < c.sequence[b];
  return a < b;
}

uint32_t CPealLedger::FindSlot(int buffer, uint32_t pealNumber, bool& onRight) const {
  onRight = false;
  uint32_t g = bufferRoots[buffer];
  if (g == 0) return 0;
  for (;;) {
    const CPindex& node = Entry(g);
    onRight = Before(g, pealNumber);
    const uint32_t child = onRight ? node.right : node.left;
    if (child == 0) return g;
    g = child;
  }
}

// --- keeping the trees shallow ---
//
// Peals inserted one by one in ledger order (New in date order, Delete and Transfer run down a
// list, imports into a ledger that already has peals) would otherwise make a tree as deep as the
// buffer is long, and every later insertion slower. Only the shape changes: a subtree rebuilt
// balanced keeps the same peals in the same order, so the threads, buffers and positions are
// exactly as before.

namespace {

// A tree whose every node is balanced within this weight ratio (2:1) is never deeper than
// log base 3/2 of its size.
constexpr double kWeightLimit = 2.0 / 3.0;

}  // namespace

uint32_t CPealLedger::DepthLimit() const {
  uint32_t limit = 1;
  for (double size = 1; size <= lastPealNumber; size /= kWeightLimit) ++limit;
  return limit;
}

uint32_t CPealLedger::Depth(uint32_t pealNumber) const {
  uint32_t depth = 0;
  for (uint32_t n = Entry(pealNumber).parent; n != 0 && depth <= lastPealNumber; n = Entry(n).parent) {
    ++depth;
  }
  return depth;
}

uint32_t CPealLedger::SubtreeSize(uint32_t top) const {
  if (top == 0) return 0;
  uint32_t first = top;
  while (Entry(first).left != 0) first = Entry(first).left;
  uint32_t last = top;
  while (Entry(last).right != 0) last = Entry(last).right;
  uint32_t size = 1;
  for (uint32_t n = first; n != last && n != 0 && size <= lastPealNumber; n = Entry(n).next) ++size;
  return size;
}

void CPealLedger::KeepShallow(uint32_t placed, int buffer) {
  if (Depth(placed) <= DepthLimit()) return;
  // Up from the peal placed too deep to the first ancestor whose heavier side outweighs the
  // limit: one must exist, or the path could not be this long.
  uint32_t child = placed;
  uint32_t childSize = SubtreeSize(placed);
  for (uint32_t node = Entry(placed).parent; node != 0; node = Entry(node).parent) {
    const CPindex& entry = Entry(node);
    const uint32_t sibling = entry.left == child ? entry.right : entry.left;
    const uint32_t size = childSize + SubtreeSize(sibling) + 1;
    if (childSize > kWeightLimit * size) {
      RebuildBalanced(node, buffer);
      return;
    }
    child = node;
    childSize = size;
  }
}

void CPealLedger::RebuildBalanced(uint32_t top, int buffer) {
  const uint32_t above = Entry(top).parent;
  uint32_t first = top;
  while (Entry(first).left != 0) first = Entry(first).left;
  const uint32_t size = SubtreeSize(top);
  std::vector<uint32_t> peals;
  peals.reserve(size);
  for (uint32_t n = first; n != 0 && peals.size() < size; n = Entry(n).next) peals.push_back(n);
  LinkBalanced(peals, above, above != 0 && Entry(above).right == top, buffer);
}

namespace {

// The middle of a range of positions, the root of its balanced subtree.
constexpr size_t Middle(size_t lo, size_t hi) { return lo + (hi - lo) / 2; }

}  // namespace

void CPealLedger::LinkRange(const std::vector<uint32_t>& peals, size_t lo, size_t hi, uint32_t parent,
                            bool thread) {
  // Left subtree first, so that the peals' entries are written in the order of `peals`: one
  // pass through memory for peals in number order. The depth is the tree's, about log2 of the
  // number of peals.
  const size_t middle = Middle(lo, hi);
  if (middle > lo) LinkRange(peals, lo, middle - 1, peals[middle], thread);
  CPindex& node = At(peals[middle]);
  node.parent = parent;
  node.left = middle > lo ? peals[Middle(lo, middle - 1)] : 0;
  node.right = middle < hi ? peals[Middle(middle + 1, hi)] : 0;
  if (thread) {
    node.prev = middle > 0 ? peals[middle - 1] : 0;
    node.next = middle + 1 < peals.size() ? peals[middle + 1] : 0;
  }
  if (middle < hi) LinkRange(peals, middle + 1, hi, peals[middle], thread);
}

void CPealLedger::LinkBalanced(const std::vector<uint32_t>& peals, uint32_t parent, bool onRight,
                               int buffer) {
  if (peals.empty()) return;
  const uint32_t root = peals[Middle(0, peals.size() - 1)];
  if (parent == 0) {
    bufferRoots[buffer] = root;
  } else if (onRight) {
    At(parent).right = root;
  } else {
    At(parent).left = root;
  }
  LinkRange(peals, 0, peals.size() - 1, parent, false);
}

void CPealLedger::LinkWholeBuffer(const std::vector<uint32_t>& peals, int buffer) {
  bufferRoots[buffer] = 0;
  if (peals.empty()) return;
  // The thread and the tree in the same pass. A long buffer's two subtrees below the root are
  // linked at once: they are different peals' entries.
  const size_t root = Middle(0, peals.size() - 1);
  bufferRoots[buffer] = peals[root];
  const int pieces = InTwoHalves(peals.size(), [&](size_t from, size_t to, int half) {
    if (from == 0 && to == peals.size()) {
      LinkRange(peals, 0, peals.size() - 1, 0, true);
    } else if (half == 0) {
      if (root > 0) LinkRange(peals, 0, root - 1, peals[root], true);
    } else if (root + 1 < peals.size()) {
      LinkRange(peals, root + 1, peals.size() - 1, peals[root], true);
    }
  });
  if (pieces == 2) {
    // The root, as LinkRange would have linked it.
    CPindex& node = At(peals[root]);
    node.parent = 0;
    node.left = root > 0 ? peals[Middle(0, root - 1)] : 0;
    node.right = root + 1 < peals.size() ? peals[Middle(root + 1, peals.size() - 1)] : 0;
    node.prev = root > 0 ? peals[root - 1] : 0;
    node.next = root + 1 < peals.size() ? peals[root + 1] : 0;
  }
}

void CPealLedger::GatherIntoBuffer(const std::vector<uint32_t>& peals, int buffer) {
  if (!BufferExists(buffer) || peals.empty()) return;
  // A few peals among many: each finds its place by descending the tree.
  if (peals.size() * 16 < lastPealNumber) {
    std::vector<std::pair<size_t, size_t>> ranges{{0, peals.size() - 1}};
    while (!ranges.empty()) {
      const auto [lo, hi] = ranges.back();
      ranges.pop_back();
      const size_t middle = lo + (hi - lo) / 2;
      InsertIntoBuffer(peals[middle], buffer);
      if (middle < hi) ranges.emplace_back(middle + 1, hi);
      if (middle > lo) ranges.emplace_back(lo, middle - 1);
    }
    return;
  }
  // Otherwise the whole buffer is relinked in ledger order: the same thread that inserting them
  // one by one makes, since no two peals order alike. The buffer and each buffer gathered into
  // it are each in ledger order already, so the runs are merged, two at a time, rather than
  // the whole sorted again.
  const auto before = [this](uint32_t a, uint32_t b) { return Before(a, b); };
  std::vector<std::vector<uint32_t>> runs{PealsOf(buffer)};
  runs.emplace_back();
  for (const uint32_t n : peals) {
    if (!IsPeal(n)) continue;
    if (!runs.back().empty() && !Before(runs.back().back(), n)) runs.emplace_back();
    runs.back().push_back(n);
  }
  while (runs.size() > 1) {
    std::vector<std::vector<uint32_t>> merged;
    for (size_t i = 0; i + 1 < runs.size(); i += 2) {
      std::vector<uint32_t>& both = merged.emplace_back(runs[i].size() + runs[i + 1].size());
      std::merge(runs[i].begin(), runs[i].end(), runs[i + 1].begin(), runs[i + 1].end(),
                 both.begin(), before);
    }
    if (runs.size() % 2 == 1) merged.push_back(std::move(runs.back()));
    runs = std::move(merged);
  }
  LinkWholeBuffer(runs.front(), buffer);
}

void CPealLedger::InsertIntoBuffer(uint32_t pealNumber, int buffer) {
  if (!IsPeal(pealNumber) || !BufferExists(buffer)) return;
  CPindex& p = At(pealNumber);
  p.parent = p.left = p.right = p.prev = p.next = 0;
  bool onRight = false;
  const uint32_t g = FindSlot(buffer, pealNumber, onRight);
  if (g == 0) {
    bufferRoots[buffer] = pealNumber;
    return;
  }
  CPindex& parent = At(g);
  p.parent = g;
  if (onRight) {
    parent.right = pealNumber;
    p.prev = g;
    p.next = parent.next;
    if (p.next != 0) At(p.next).prev = pealNumber;
    parent.next = pealNumber;
  } else {
    parent.left = pealNumber;
    p.next = g;
    p.prev = parent.prev;
    if (p.prev != 0) At(p.prev).next = pealNumber;
    parent.prev = pealNumber;
  }
  KeepShallow(pealNumber, buffer);
}

bool CPealLedger::InLedgerOrder(uint32_t first, uint32_t last) const {
  // Numbers ascend, so peal n - 1 comes first unless its date or sequence is later.
  const CPealColumns& c = m_columns;
  for (uint32_t n = first; n <= last; ++n) {
    if (!c.Stored(n)) return false;
    if (n > first && (c.date[n - 1] > c.date[n] ||
                      (c.date[n - 1] == c.date[n] && c.sequence[n - 1] > c.sequence[n]))) {
      return false;
    }
  }
  return true;
}

void CPealLedger::BuildBuffer(uint32_t first, uint32_t last, int buffer) {
  if (!BufferExists(buffer) || first == 0 || first > last) return;
  // Peals already in ledger order going into an empty buffer: inserting them middle first
  // makes the perfectly balanced tree over first..last, threaded in number order, so link it
  // directly instead of descending once per peal (a ledger saved by this program loads so).
  if (bufferRoots[buffer] == 0 && InLedgerOrder(first, last)) {
    std::vector<uint32_t> peals(last - first + 1);
    for (uint32_t n = first; n <= last; ++n) peals[n - first] = n;
    LinkWholeBuffer(peals, buffer);
    return;
  }
  // Middle first, then the lower half, then the upper half; kept on an explicit stack of ranges
  // so that a long ledger cannot exhaust the call stack.
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
  if (first <= last) ranges.emplace_back(first, last);
  while (!ranges.empty()) {
    const auto [lo, hi] = ranges.back();
    ranges.pop_back();
    const uint32_t middle = lo + (hi - lo) / 2;
    InsertIntoBuffer(middle, buffer);
    if (middle < hi) ranges.emplace_back(middle + 1, hi);
    if (middle > lo) ranges.emplace_back(lo, middle - 1);
  }
}

void CPealLedger::MoveSubtree(uint32_t a, int buffer) {
  if (!IsPeal(a) || !BufferExists(buffer)) return;
  uint32_t l = a;
  while (At(l).left != 0) l = At(l).left;
  uint32_t r = a;
  while (At(r).right != 0) r = At(r).right;

  // Cut the stretch l..r out of the source thread.
  const uint32_t before = At(l).prev;
  const uint32_t after = At(r).next;
  if (before != 0) At(before).next = after;
  if (after != 0) At(after).prev = before;
  At(l).prev = 0;
  At(r).next = 0;

  // Detach a from its parent, or empty the buffer whose root it is.
  if (const uint32_t parent = At(a).parent; parent != 0) {
    CPindex& p = At(parent);
    if (p.left == a) p.left = 0;
    if (p.right == a) p.right = 0;
    At(a).parent = 0;
  } else {
    for (uint32_t& root : bufferRoots) {
      if (root == a) root = 0;
    }
  }

  bool onRight = false;
  const uint32_t g = FindSlot(buffer, a, onRight);
  if (g == 0) {
    bufferRoots[buffer] = a;
    return;
  }
  CPindex& parent = At(g);
  At(a).parent = g;
  if (onRight) {
    parent.right = a;
    At(l).prev = g;
    At(r).next = parent.next;
    if (parent.next != 0) At(parent.next).prev = r;
    parent.next = l;
  } else {
    parent.left = a;
    At(r).next = g;
    At(l).prev = parent.prev;
    if (parent.prev != 0) At(parent.prev).next = l;
    parent.prev = r;
  }
}

void CPealLedger::MovePeal(uint32_t a, int buffer) {
  const int source = BufferOf(a);
  if (source < 0 || !BufferExists(buffer)) return;
  const uint32_t left = At(a).left;
  const uint32_t right = At(a).right;
  MoveSubtree(a, buffer);
  // Each child subtree lands in the slot the peal left, keeping the source a search tree.
  if (left != 0) MoveSubtree(left, source);
  if (right != 0) MoveSubtree(right, source);
  KeepShallow(a, buffer);
}

uint32_t CPealLedger::FindDate(Date date, uint8_t sequence) const {
  if (!BufferExists(currentBuffer)) return 0;
  uint32_t found = 0;
  uint32_t n = bufferRoots[currentBuffer];
  const CPealColumns& c = m_columns;
  while (n != 0) {
    found = n;
    const CPindex& node = Entry(n);
    // As CPeal::CompareDate: a wanted sequence of 0 runs on to the first peal of the date.
    int side = date < c.date[n] ? -1 : (date > c.date[n] ? 1 : 0);
    if (side == 0) side = sequence == 0 ? -1 : (sequence < c.sequence[n] ? -1 : (sequence > c.sequence[n] ? 1 : 0));
    if (side == 0) break;
    n = side > 0 ? node.right : node.left;
  }
  return found;
}

}  // namespace tv

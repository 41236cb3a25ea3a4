// The sorting tree of an index and its thread in order: insertion, removal, parents, balance
// and rethreading.
#include <algorithm>
#include <cmath>

#include "refdb/index.h"

namespace tv {
namespace {

// The depth beyond which an insertion rebuilds part of the tree: log base 1/0.7 of the table
// size, so that the tree stays within a small factor of balanced.
int DepthAllowance(int32_t count) {
  return static_cast<int>(std::log(static_cast<double>(count) + 2.0) / std::log(1.0 / 0.7)) + 2;
}

}  // namespace

int32_t CIndex::Insert(CIndObj* object, int32_t key, bool relink) {
  if (key == 0) {
    int32_t k = Entry(0).right + 1;
    while (Entry(k).offset != 0 || k == m_reservedKey) ++k;
    SetCached(k, std::unique_ptr<CIndObj>(object));
    object->key = k;
    At(k).offset = -1;
    At(0).right = k;
    key = k;
  } else if (relink) {
    Remove(key);
  }
  At(key).left = 0;
  m_table[key].right = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (Checked(Root()) == 0) {
      m_table[0].left = key;
      m_table[key].parent = m_table[key].prev = m_table[key].next = 0;
      m_table[0].next = m_table[0].prev = key;
      break;
    }
    int32_t c = Checked(Root());
    int depth = 1;
    bool deep = false;
    for (;;) {
      const int d = CompareObject(c, object);
      const int32_t child = d < 0 ? m_table[c].right : m_table[c].left;
      if (child == 0 || Checked(child) == 0) break;
      if (depth >= kInsertDescentLimit) {
        deep = true;
        break;
      }
      c = child;
      ++depth;
    }
    if (deep && attempt == 0 && Rebalance()) continue;
    IndexEntry& mine = m_table[key];
    if (CompareObject(c, object) < 0) {
      const int32_t after = Checked(m_table[c].next);
      m_table[c].right = key;
      mine.parent = c;
      mine.prev = c;
      mine.next = after;
      m_table[after].prev = key;  // entry 0 when c was last: the header's last
      m_table[c].next = key;
    } else {
      const int32_t before = Checked(m_table[c].prev);
      m_table[c].left = key;
      mine.parent = c;
      mine.next = c;
      mine.prev = before;
      m_table[before].next = key;  // entry 0 when c was first: the header's first
      m_table[c].prev = key;
    }
    if (depth + 1 > DepthAllowance(Count())) ReinsertForBalance(key, depth + 1);
    break;
  }
  m_table[key].offset = -1;
  m_modified = true;
  return key;
}

int32_t CIndex::AddWithKey(std::unique_ptr<CIndObj> object, int32_t key) {
  // A key far beyond any given out comes from damage (a peal naming a key that no index holds):
  // it is not taken, so NameOf keeps giving its stand-by name "#" and the key.
  if (key <= 0 || key > kMaxIndexKey) return 0;
  CIndObj* raw = object.get();
  raw->key = key;
  // A key that is already in the tree is unlinked first, so that it is never there twice.
  const bool live = Entry(key).offset != 0;
  SetCached(key, std::move(object));
  At(key).offset = -1;
  m_modified = true;
  return Insert(raw, key, live);
}

int32_t CIndex::ParentOf(int32_t key) {
  if (key <= 0 || key >= Count()) return 0;
  const int32_t limit = Count();
  const int32_t p = Checked(m_table[key].parent);
  if (p != 0 && (m_table[p].left == key || m_table[p].right == key)) return p;

  int32_t m = key;
  for (int32_t i = 0; i < limit && Checked(m_table[m].left) != 0; ++i) m = m_table[m].left;
  int32_t q = Checked(m_table[m].prev);
  // The header's right field holds the last key allocated, not a child.
  if (q != 0 && m_table[q].right == key) return m_table[key].parent = q;

  m = key;
  for (int32_t i = 0; i < limit && Checked(m_table[m].right) != 0; ++i) m = m_table[m].right;
  q = Checked(m_table[m].next);
  if (m_table[q].left == key) return m_table[key].parent = q;

  int32_t e = 0;
  for (int32_t i = 0; i < limit; ++i) {
    const int32_t left = Checked(m_table[e].left);
    if (m_table[e].left == key || left == 0) break;
    e = left;
  }
  return m_table[key].parent = e;
}

int32_t CIndex::Remove(int32_t key) {
  if (key <= 0 || key >= Count()) return Entry(0).next;
  const int32_t limit = Count();
  const int32_t b = ParentOf(key);
  IndexEntry& k = m_table[key];
  const int32_t left = Checked(k.left);
  const int32_t right = Checked(k.right);
  // The header's right field holds the last key allocated: the root is only its left child.
  if (b != 0 && m_table[b].right == key) {
    m_table[b].right = left;
    if (left) m_table[left].parent = b;
    int32_t m = b;
    for (int32_t i = 0; i < limit && Checked(m_table[m].right) != 0; ++i) m = m_table[m].right;
    m_table[m].right = right;
    if (right) m_table[right].parent = m;
  } else if (m_table[b].left == key) {
    m_table[b].left = right;
    if (right) m_table[right].parent = b;
    int32_t m = b;
    for (int32_t i = 0; i < limit && Checked(m_table[m].left) != 0; ++i) m = m_table[m].left;
    m_table[m].left = left;
    if (left) m_table[left].parent = m;
  } else {
    k.left = k.right = 0;
    for (int32_t child : {left, right}) {
      if (child && child != key) {
        if (CIndObj* object = Lookup(child)) Insert(object, child, true);
      }
    }
  }
  IndexEntry& gone = m_table[key];
  const int32_t prev = Checked(gone.prev);
  const int32_t next = Checked(gone.next);
  if (m_table[prev].next == key) m_table[prev].next = next;
  if (m_table[next].prev == key) m_table[next].prev = prev;
  gone.offset = gone.parent = gone.left = gone.right = 0;
  if (key >= m_table[0].right) m_table[0].right = key - 1;
  m_modified = true;
  return gone.next;
}

int CIndex::SubtreeSize(int32_t key) {
  if (Checked(key) == 0) return 0;
  int size = 0;
  std::vector<int32_t> stack{key};
  while (!stack.empty() && size < Count()) {
    const int32_t k = stack.back();
    stack.pop_back();
    ++size;
    if (const int32_t l = Checked(m_table[k].left)) stack.push_back(l);
    if (const int32_t r = Checked(m_table[k].right)) stack.push_back(r);
  }
  return size;
}

// ---- balance -------------------------------------------------------------------------------

bool CIndex::CollectInOrder(int32_t root, std::vector<int32_t>& keys) const {
  std::vector<uint8_t> seen(m_table.size(), 0);
  std::vector<int32_t> stack;
  int32_t k = Checked(root);
  while (k != 0 || !stack.empty()) {
    while (k != 0) {
      if (seen[k]) return false;  // a cycle: the tree is damaged
      seen[k] = 1;
      stack.push_back(k);
      k = Checked(m_table[k].left);
      if (m_table[stack.back()].left != 0 && k == 0) return false;  // a link beyond the table
    }
    k = stack.back();
    stack.pop_back();
    keys.push_back(k);
    const int32_t right = m_table[k].right;
    k = Checked(right);
    if (right != 0 && k == 0) return false;
  }
  return true;
}

int32_t CIndex::BuildBalanced(const std::vector<int32_t>& keys, size_t lo, size_t hi,
                              int32_t parent) {
  if (lo >= hi) return 0;
  const size_t mid = lo + (hi - lo) / 2;
  const int32_t key = keys[mid];
  m_table[key].parent = parent;
  m_table[key].left = BuildBalanced(keys, lo, mid, key);
  m_table[key].right = BuildBalanced(keys, mid + 1, hi, key);
  return key;
}

bool CIndex::Rebalance() {
  std::vector<int32_t> keys;
  if (!CollectInOrder(Root(), keys)) return false;
  m_table[0].left = BuildBalanced(keys, 0, keys.size(), 0);
  for (size_t i = 0; i < keys.size(); ++i) {
    m_table[keys[i]].prev = i > 0 ? keys[i - 1] : 0;
    m_table[keys[i]].next = i + 1 < keys.size() ? keys[i + 1] : 0;
  }
  m_table[0].next = keys.empty() ? 0 : keys.front();
  m_table[0].prev = keys.empty() ? 0 : keys.back();
  m_modified = true;
  return true;
}

// After an insertion deeper than the allowance, finds the lowest ancestor whose subtree is out
// of balance and rebuilds that subtree balanced; the order of the entries does not change.
void CIndex::ReinsertForBalance(int32_t key, int depth) {
  (void)depth;
  int32_t child = key;
  int childSize = 1;
  for (int32_t steps = 0; steps < Count(); ++steps) {
    const int32_t parent = ParentOf(child);
    if (parent == 0) return;
    const int32_t sibling = m_table[parent].left == child ? m_table[parent].right : m_table[parent].left;
    const int size = childSize + 1 + SubtreeSize(sibling);
    if (childSize * 10 > size * 7) {
      std::vector<int32_t> keys;
      if (!CollectInOrder(parent, keys)) return;
      const int32_t above = ParentOf(parent);
      const bool onLeft = m_table[above].left == parent;
      const int32_t top = BuildBalanced(keys, 0, keys.size(), above);
      if (onLeft) {
        m_table[above].left = top;
      } else {
        m_table[above].right = top;
      }
      return;
    }
    child = parent;
    childSize = size;
  }
}

void CIndex::Rethread() {
  std::vector<int32_t> keys;
  CollectInOrder(Root(), keys);
  // Parents from the links alone.
  std::vector<int32_t> stack;
  if (Checked(Root())) {
    m_table[Root()].parent = 0;
    stack.push_back(Root());
  }
  std::vector<uint8_t> seen(m_table.size(), 0);
  int32_t highest = 0;
  while (!stack.empty()) {
    const int32_t a = stack.back();
    stack.pop_back();
    if (seen[a]) continue;
    seen[a] = 1;
    highest = std::max(highest, a);
    for (int32_t child : {Checked(m_table[a].left), Checked(m_table[a].right)}) {
      if (child && !seen[child]) {
        m_table[child].parent = a;
        stack.push_back(child);
      }
    }
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    m_table[keys[i]].prev = i > 0 ? keys[i - 1] : 0;
    m_table[keys[i]].next = i + 1 < keys.size() ? keys[i + 1] : 0;
  }
  m_table[0].next = keys.empty() ? 0 : keys.front();
  m_table[0].prev = keys.empty() ? 0 : keys.back();
  // An index of files keeps its length: keys beyond the tree were given out once and stay
  // spent. A table in memory only ends at its highest key, as the files written from it do.
  if (InMemory()) {
    m_table.resize(static_cast<size_t>(highest) + 1);
    m_chosen.resize(m_table.size(), 0);
  }
}

void CIndex::InsertRange(int32_t lo, int32_t hi) {
  while (lo <= hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (Entry(mid).offset != 0) {
      if (CIndObj* object = Lookup(mid)) Insert(object, mid, false);
    }
    if (lo < mid) InsertRange(lo, mid - 1);
    lo = mid + 1;
  }
}

}  // namespace tv

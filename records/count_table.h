// A table of counts under 64-bit keys, open-addressed so that counting a long ledger costs one
// probe of a flat array per count rather than a node allocation.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace tv {

class CCountTable {
 public:
  // Adds one to the count under `key` (any value but ~0), which starts at `from` when the key
  // is new, and gives the new count.
  uint32_t Add(uint64_t key, uint32_t from = 0) {
    if ((m_size + 1) * 2 > m_slots.size()) Grow();
    Slot& slot = Find(key);
    if (slot.key == kEmpty) {
      slot.key = key;
      slot.count = from;
      ++m_size;
    }
    return ++slot.count;
  }

  // Calls visit(key, count) for every key counted, in no particular order.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (const Slot& slot : m_slots) {
      if (slot.key != kEmpty) visit(slot.key, slot.count);
    }
  }

  size_t Size() const { return m_size; }

 private:
  static constexpr uint64_t kEmpty = ~uint64_t{0};
  struct Slot {
    uint64_t key = kEmpty;
    uint32_t count = 0;
  };

  static size_t Hash(uint64_t key) {
    key ^= key >> 31;
    key *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(key ^ (key >> 29));
  }

  Slot& Find(uint64_t key) {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = Hash(key) & mask;; i = (i + 1) & mask) {
      if (m_slots[i].key == key || m_slots[i].key == kEmpty) return m_slots[i];
    }
  }

  void Grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
      if (slot.key != kEmpty) Find(slot.key) = slot;
    }
  }

  std::vector<Slot> m_slots;  // a power of two long, at most half full
  size_t m_size = 0;
};

}  // namespace tv

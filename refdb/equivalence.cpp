// Ringer equivalences: the two maps, their group threads, and the equivalence file.
#include "refdb/equivalence.h"

#include "refdb/index_set.h"

#include "core/escaping.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index.h"

namespace tv {
namespace {

int32_t Find(const std::map<int32_t, int32_t>& map, int32_t key) {
  const auto it = map.find(key);
  return it == map.end() ? 0 : it->second;
}

uint32_t LittleEndian(std::string_view bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  }
  return value;
}

}  // namespace

std::vector<int32_t> CEquivalences::EquivalentKeys(int32_t key) const {
  std::vector<int32_t> keys;
  // A damaged thread could loop; no thread is longer than the map.
  for (int32_t k = NextInGroup(key); k != 0 && keys.size() < m_groupNext.size(); k = NextInGroup(k)) {
    if (k != key) keys.push_back(k);
  }
  return keys;
}

int32_t CEquivalences::EquivalentOf(int32_t key) const { return Find(m_countedAs, key); }

int32_t CEquivalences::NextInGroup(int32_t key) const { return Find(m_groupNext, key); }

void CEquivalences::Clear() {
  m_countedAs.clear();
  m_groupNext.clear();
}

// Ends the thread that starts at `start` just before `x`; x keeps its own link, so whoever
// followed x now follows it alone.
void CEquivalences::CutFromThread(int32_t x, int32_t start) {
  if (start == x) {
    m_groupNext.erase(x);
    return;
  }
  int32_t k = start;
  for (size_t steps = 0; steps <= m_groupNext.size(); ++steps) {
    const auto it = m_groupNext.find(k);
    if (it == m_groupNext.end()) return;
    if (it->second == x) {
      m_groupNext.erase(it);
      return;
    }
    k = it->second;
  }
}

// Takes `x` alone out of the thread that starts at `start`: whoever followed x now follows the
// member before it.
void CEquivalences::UnlinkFromThread(int32_t x, int32_t start) {
  const int32_t after = NextInGroup(x);
  m_groupNext.erase(x);
  int32_t k = start;
  for (size_t steps = 0; steps <= m_groupNext.size(); ++steps) {
    const auto it = m_groupNext.find(k);
    if (it == m_groupNext.end()) return;
    if (it->second == x) {
      if (after != 0 && after != start) {
        it->second = after;
      } else {
        m_groupNext.erase(it);
      }
      return;
    }
    k = it->second;
  }
}

void CEquivalences::AddEquivalence(int32_t from, int32_t to) {
  if (from == 0 || to == 0) return;
  // The person chosen as target may itself be counted as somebody: that old target (and its
  // group) becomes counted as `to` instead.
  if (const int32_t r = EquivalentOf(to); r != 0) {
    m_countedAs.erase(to);
    if (from == to) {
      // Counted as itself again: it leaves the group, the rest of which stays threaded.
      UnlinkFromThread(to, r);
      return;
    }
    CutFromThread(to, r);
    AddEquivalence(r, to);
  }
  if (from == to) return;
  if (const int32_t r2 = EquivalentOf(from); r2 != 0) {
    m_countedAs.erase(from);
    CutFromThread(from, r2);
    AddEquivalence(r2, to);
  }
  // Splice the whole thread of `from` (from and the persons counted as it) in front of the
  // members `to` already has. Linking only `from` itself would drop from's own members out of
  // the group while they stay counted as `from`.
  if (const int32_t firstOfTo = NextInGroup(to); firstOfTo != 0) {
    int32_t tail = from;
    for (size_t steps = 0; steps <= m_groupNext.size(); ++steps) {
      const int32_t next = NextInGroup(tail);
      if (next == 0 || next == from) break;
      tail = next;
    }
    m_groupNext[tail] = firstOfTo;
  }
  m_countedAs[from] = to;
  m_groupNext[to] = from;
  int32_t k = from;
  for (size_t steps = 0; steps <= m_groupNext.size(); ++steps) {
    const int32_t next = NextInGroup(k);
    if (next == 0 || next == from || next == to) break;
    m_countedAs[next] = to;
    k = next;
  }
}

std::string CEquivalences::FileFor(std::string_view ledgerPath, std::string_view extension) {
  // The file goes with the person index: in the index directory, which the desktop program
  // opens in its current directory and the command line where --db says.
  const std::string directory = IndexSetIsOpen() ? IndexDirectory() : Files().CurrentDirectory();
  return JoinPath(directory, PathTitle(ledgerPath) + std::string(extension));
}

void CEquivalences::ReadRecords(std::string_view bytes, size_t width) {
  for (size_t at = 0; at + 2 * width <= bytes.size(); at += 2 * width) {
    AddEquivalence(static_cast<int32_t>(LittleEndian(bytes, at, width)),
                   static_cast<int32_t>(LittleEndian(bytes, at + width, width)));
  }
}

void CEquivalences::LoadEquivalences(std::string_view ledgerPath) {
  Clear();
  std::string bytes;
  const std::string current = FileFor(ledgerPath, kEquivalenceExtension);
  if (Files().Exists(current)) {
    if (Files().ReadAll(current, bytes)) ReadRecords(bytes, 4);
    return;
  }
  if (Files().ReadAll(FileFor(ledgerPath, kOldEquivalenceExtension), bytes)) ReadRecords(bytes, 2);
}

bool CEquivalences::SaveEquivalences(std::string_view ledgerPath) const {
  std::string bytes;
  bytes.reserve(m_countedAs.size() * 8);
  for (const auto& [from, to] : m_countedAs) {
    for (const int32_t value : {from, to}) {
      const auto v = static_cast<uint32_t>(value);
      for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((v >> shift) & 0xff);
    }
  }
  return Files().WriteAllSafely(FileFor(ledgerPath, kEquivalenceExtension), bytes);
}

void CEquivalences::WriteEquivalenceLines(
    std::string& out, const std::function<std::string(int32_t)>& fullNameOf) const {
  for (const auto& [from, to] : m_countedAs) {
    out += std::to_string(from);
    out += ',';
    out += std::to_string(to);
    out += ',';
    out += CsvQuoted(fullNameOf(from));
    out += ',';
    out += CsvQuoted(fullNameOf(to));
    out += '\n';
  }
}

void CEquivalences::MarkEquivalentsUsed(CIndex& persons) const {
  for (const auto& entry : m_countedAs) persons.MarkUsed(entry.second);
}

}  // namespace tv

// One index: opening and converting its files, the sorting tree and its thread, lookups and
// saves.
#include "refdb/index.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/archive.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

void PutInt(char* at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  at[0] = static_cast<char>(v);
  at[1] = static_cast<char>(v >> 8);
  at[2] = static_cast<char>(v >> 16);
  at[3] = static_cast<char>(v >> 24);
}

int32_t GetInt(const unsigned char* at) {
  return static_cast<int32_t>(at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24));
}

// Keys are given out one after another, so a backup record with a key beyond this is damage:
// taking it would size the table for that many entries.
constexpr int32_t kMaxBackupKey = (1 << 20) - 1;

// The depth beyond which an insertion rebuilds part of the tree: log base 1/0.7 of the table
// size, so that the tree stays within a small factor of balanced.
int DepthAllowance(int32_t count) {
  return static_cast<int>(std::log(static_cast<double>(count) + 2.0) / std::log(1.0 / 0.7)) + 2;
}

}  // namespace

CIndex::CIndex(std::string name, std::string directory)
    : m_name(std::move(name)), m_cache(std::make_shared<Cache>()) {
  const std::string base = directory + m_name;
  m_dataPath = base + kDataExtension;
  m_indexPath = base + kIndexExtension;
  FileSystem& files = Files();

  // A compaction stopped after its new data file was moved into place finishes here.
  const std::string newIndex = base + kNewIndexExtension;
  if (files.Exists(newIndex) && !files.Exists(base + kNewDataExtension)) {
    files.Rename(newIndex, m_indexPath);
  }

  if (!files.Exists(m_dataPath)) {
    auto data = files.Open(m_dataPath, OpenMode::Create);
    if (data) {
      const char zeros[3] = {0, 0, 0};
      try {
        data->Write(zeros, 3);
        data->Flush();
      } catch (const FileError&) {
        ReportMissing(m_dataPath, " Cannot be Created");
      }
    } else {
      ReportMissing(m_dataPath, " Cannot be Created");
    }
  }

  if (files.Exists(m_indexPath)) {
    ReadTable();
  } else {
    auto oldIndex = files.Open(base + kOldIndexExtension, OpenMode::Read);
    auto oldData = files.Open(base + kOldDataExtension, OpenMode::Read);
    if (oldIndex && oldData) ConvertOldPair(*oldIndex, *oldData);
  }

  m_modified = m_table.empty();
  At(0).right = 0;  // new keys are searched from key 1 in every run
  if (m_modified) At(0).left = 0;
}

CIndex::CIndex(CIndex& other) : m_name(other.m_name), m_cache(other.m_cache) {
  m_table.assign(other.m_table.size(), IndexEntry{});
  m_chosen.assign(m_table.size(), 0);
  if (m_table.empty()) At(0);
}

CIndex::~CIndex() = default;

void CIndex::Open(bool loadBackup) {
  if (loadBackup) LoadBackup(m_name);
}

void CIndex::ReportMissing(const std::string& path, const char* what) {
  ThePlatform().Message(path + what);
}

IndexEntry& CIndex::At(int32_t key) {
  if (key < 0) key = 0;
  if (key >= Count()) {
    m_table.resize(static_cast<size_t>(key) + 1);
    m_chosen.resize(m_table.size(), 0);
  }
  return m_table[key];
}

const IndexEntry& CIndex::Entry(int32_t key) const {
  static const IndexEntry none{};
  return (key >= 0 && key < Count()) ? m_table[key] : none;
}

void CIndex::ReadTable() {
  auto file = Files().Open(m_indexPath, OpenMode::Read);
  if (!file) {
    ReportMissing(m_indexPath, " Not Found");
    return;
  }
  try {
    const uint64_t entries = file->Length() / kIndexEntrySize;
    std::vector<unsigned char> bytes(entries * kIndexEntrySize);
    if (!bytes.empty()) file->ReadExactly(bytes.data(), bytes.size());
    m_table.resize(entries);
    for (uint64_t k = 0; k < entries; ++k) {
      const unsigned char* at = bytes.data() + k * kIndexEntrySize;
      m_table[k] = {GetInt(at), GetInt(at + 4), GetInt(at + 8), GetInt(at + 12), GetInt(at + 16),
                    GetInt(at + 20)};
    }
  } catch (const FileError&) {
    m_table.clear();
  }
  m_chosen.assign(m_table.size(), 0);
}

void CIndex::ConvertOldPair(File& oldIndex, File& oldData) {
  auto newIndex = Files().Open(m_indexPath, OpenMode::Create);
  auto data = Files().Open(m_dataPath, OpenMode::ReadWrite);
  if (!newIndex || !data) return;
  try {
    const uint64_t oldLength = oldData.Length();
    const uint64_t entries = oldIndex.Length() / kOldIndexEntrySize;
    std::vector<unsigned char> table(entries * kOldIndexEntrySize);
    if (!table.empty()) oldIndex.ReadExactly(table.data(), table.size());
    data->SeekToEnd();
    Archive out(*data, Archive::Mode::Store);
    std::string newTable;
    m_table.resize(entries);
    for (uint64_t k = 0; k < entries; ++k) {
      const unsigned char* at = table.data() + k * kOldIndexEntrySize;
      IndexEntry entry;
      entry.offset = GetInt(at);
      int32_t* links[5] = {&entry.parent, &entry.left, &entry.right, &entry.prev, &entry.next};
      for (int i = 0; i < 5; ++i) *links[i] = at[4 + 2 * i] | (at[5 + 2 * i] << 8);
      // The header's offset is a flag, not a record.
      if (k > 0 && entry.offset > 0 && static_cast<uint64_t>(entry.offset) < oldLength) {
        oldData.Seek(static_cast<uint64_t>(entry.offset));
        Archive in(oldData, Archive::Mode::Load, 512);
        entry.offset = static_cast<int32_t>(out.Position());
        TaggedWriter writer(out);
        try {
          writer.Key(in.ReadWord());
          TaggedReader reader(in, true);
          TaggedField field;
          while (reader.Next(field)) {
            const uint8_t code = field.tag & 0x1f;
            if (field.type <= 2) {
              writer.Number(code, field.value);
            } else if (field.type == 3) {
              writer.Text(code, field.text);
            }
          }
        } catch (const FileError& error) {
          if (error.Cause() != FileErrorCause::EndOfFile) throw;
        }
        writer.End();
      }
      m_table[k] = entry;
      char bytes[kIndexEntrySize];
      PutInt(bytes, entry.offset);
      for (int i = 0; i < 5; ++i) PutInt(bytes + 4 + 4 * i, *links[i]);
      newTable.append(bytes, kIndexEntrySize);
    }
    out.Flush();
    data->Flush();
    newIndex->Write(newTable);
    newIndex->Flush();
  } catch (const FileError&) {
    ReportMissing(m_indexPath, " Cannot be Created");
  }
  m_chosen.assign(m_table.size(), 0);
}

CIndObj* CIndex::Cached(int32_t key) const {
  const auto& objects = m_cache->objects;
  return (key > 0 && static_cast<size_t>(key) < objects.size()) ? objects[key].get() : nullptr;
}

void CIndex::SetCached(int32_t key, std::unique_ptr<CIndObj> object) {
  auto& objects = m_cache->objects;
  if (static_cast<size_t>(key) >= objects.size()) objects.resize(static_cast<size_t>(key) + 1);
  objects[key] = std::move(object);
}

File* CIndex::DataForReading() {
  if (m_dataHeld) return m_dataHeld.get();
  if (!m_dataRead) {
    m_dataRead = Files().Open(m_dataPath, OpenMode::Read);
    if (!m_dataRead) ReportMissing(m_dataPath, " Not Found");
  }
  return m_dataRead.get();
}

void CIndex::DropReadHandle() { m_dataRead.reset(); }

CIndObj* CIndex::Lookup(int32_t key) {
  if (key <= 0 || key >= Count()) return nullptr;
  if (CIndObj* cached = Cached(key)) return cached;
  const int32_t offset = m_table[key].offset;
  if (offset == 0 || InMemory()) return nullptr;
  File* data = offset == -1 ? nullptr : DataForReading();
  std::unique_ptr<CIndObj> object = NewObject();
  bool read = false;
  if (data && static_cast<uint32_t>(offset) < data->Length()) {
    try {
      data->Seek(static_cast<uint32_t>(offset));
      Archive in(*data, Archive::Mode::Load, 512);
      object->ReadRecord(in);
      read = true;
    } catch (const FileError&) {
      // A record cut short by the end of the file keeps what was read and is rewritten.
      read = false;
    }
  }
  if (!read || object->key != key) {
    object->key = key;
    MarkDirty(key);
  }
  CIndObj* result = object.get();
  SetCached(key, std::move(object));
  return result;
}

std::string CIndex::NameOf(int32_t key, int variant) {
  if (CIndObj* object = Lookup(key)) return object->GetName(variant);
  return "#" + std::to_string(key);
}

int CIndex::SetChosen(int32_t key, int flag) {
  if (key < 0) return 0;
  At(key);
  const int previous = m_chosen[key];
  m_chosen[key] = static_cast<uint8_t>(flag);
  return previous;
}

int CIndex::CompareEntry(int32_t key, std::string_view text, bool exact) {
  CIndObj* object = Lookup(key);
  if (!object) return -1;
  const int r = object->CompareText(text);
  if (r <= 0 || exact) return r;
  // Summed wide and held within int: comparisons of keys may give large differences.
  const int64_t sum = int64_t{r} + object->CompareText(std::string(text) + "z");
  return static_cast<int>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

int32_t CIndex::FindEntry(std::string_view text, int32_t numeric) {
  if (numeric && IsDigitsOrParens(text)) return ParseDigits(text) & 0xFFFF;
  if (Count() == 0) return 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    int32_t a = 0;
    int32_t link = Checked(Root());
    int depth = 0;
    while (link != 0 && depth < kFindDescentLimit) {
      a = link;
      const int c = CompareEntry(a, text, true);
      link = Checked(c < 0 ? m_table[a].right : m_table[a].left);
      ++depth;
    }
    // A sound tree deeper than the bound is re-sorted into balanced shape and searched again;
    // a damaged one gives up, as the bound intends.
    if (link != 0) {
      if (attempt == 0 && Rebalance()) continue;
      return 0;
    }
    if (CompareEntry(a, text, true) < 0) a = Entry(a).next;
    if (a < 0 || a >= Count()) return 0;
    if (text.empty()) return a;
    if (CompareEntry(a, text, false) != 0) return a;
    const int32_t first = a;
    int32_t current = a;
    for (int32_t steps = 0; steps < Count(); ++steps) {
      const int wasChosen = SetChosen(current, 0);
      if (wasChosen) return current;
      current = Checked(m_table[current].next);
      if (current == 0 || current == first || CompareEntry(current, text, false) != 0) break;
    }
    return first;
  }
  return 0;
}

int CIndex::CompareObject(int32_t key, const CIndObj* object) {
  CIndObj* mine = Lookup(key);
  return mine ? mine->Compare(object) : -1;
}

int32_t CIndex::Insert(CIndObj* object, int32_t key, bool relink) {
  if (key == 0) {
    int32_t k = Entry(0).right + 1;
    while (Entry(k).offset != 0) ++k;
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
  if (key <= 0 || key > kMaxBackupKey) return 0;
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

int32_t CIndex::EditEntry(int32_t key, bool runDialog) {
  std::unique_ptr<CIndObj> fresh;
  CIndObj* object;
  if (key != 0) {
    object = Lookup(key);
    if (!object) return key;
  } else {
    fresh = NewObject();
    object = fresh.get();
  }
  if (runDialog) {
    const int accepted = object->Edit();
    if (key == 0 && accepted == 0) return 0;
  }
  if (fresh) fresh.release();  // the index takes it over under its new key
  return Insert(object, key, true);
}

void CIndex::DisplayEntry(int32_t key) {
  if (CIndObj* object = Lookup(key)) object->Display();
}

void CIndex::MarkDirty(int32_t key) {
  if (key <= 0) return;
  At(key).offset = -1;
  m_modified = true;
}

void CIndex::MarkUsed(int32_t key) {
  CIndObj* object = Lookup(key);
  if (object && !object->used) {
    object->used = 1;
    Insert(object, key, true);
  }
}

void CIndex::ChangeKey(int32_t key, int32_t newKey) {
  if (CIndObj* object = Lookup(key)) {
    object->key = newKey;
    MarkDirty(key);
  }
}

void CIndex::WriteObject(Archive& out, int32_t key) {
  if (CIndObj* object = Lookup(key)) object->WriteRecord(out);
}

int32_t CIndex::StepBack(int32_t key, int n) {
  for (int i = 0; i < n; ++i) key = Checked(Entry(key).prev);
  return key;
}

int32_t CIndex::StepForward(int32_t key, int n) {
  for (int i = 0; i < n; ++i) key = Checked(Entry(key).next);
  return key;
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

// ---- files ---------------------------------------------------------------------------------

void CIndex::OpenForUpdate() {
  if (InMemory() || m_dataHeld) return;
  FileSystem& files = Files();
  m_dataHeld = files.Open(m_dataPath, OpenMode::ReadWrite);
  if (!m_dataHeld) m_dataHeld = files.Open(m_dataPath, OpenMode::Create);
  if (!m_dataHeld) ReportMissing(m_dataPath, " Cannot be Created");
}

void CIndex::CloseAfterUpdate() { m_dataHeld.reset(); }

void CIndex::WriteTable(File& file, int32_t entries) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(entries) * kIndexEntrySize);
  for (int32_t k = 0; k < entries; ++k) {
    const IndexEntry e = Entry(k);
    char entry[kIndexEntrySize];
    PutInt(entry, e.offset);
    PutInt(entry + 4, e.parent);
    PutInt(entry + 8, e.left);
    PutInt(entry + 12, e.right);
    PutInt(entry + 16, e.prev);
    PutInt(entry + 20, e.next);
    bytes.append(entry, kIndexEntrySize);
  }
  file.Write(bytes);
}

void CIndex::Save() {
  if (!m_modified || InMemory()) return;
  CWait wait;
  const bool wasHeld = m_dataHeld != nullptr;
  OpenForUpdate();
  if (!m_dataHeld) return;
  // Entries given a place in the data file by this save: if the save fails they are marked
  // unwritten again, so that the next save writes them rather than pointing at nothing.
  std::vector<int32_t> placed;
  try {
    const int32_t n = Count();
    m_dataHeld->SeekToEnd();
    {
      Archive out(*m_dataHeld, Archive::Mode::Store);
      for (int32_t k = 1; k < n; ++k) {
        IndexEntry& entry = m_table[k];
        if (entry.offset == -1) {
          CIndObj* object = Lookup(k);
          if (!object) {
            entry.offset = 0;  // nothing to write: the key stays free
            continue;
          }
          m_table[k].offset = static_cast<int32_t>(out.Position());
          placed.push_back(k);
          object->WriteRecord(out);
        } else if (entry.left >= n || entry.right >= n) {
          entry.offset = 0;  // a damaged entry is dropped
        }
      }
      out.Flush();
    }
    m_dataHeld->Flush();

    int32_t lastLive = 0;
    for (int32_t k = 0; k < n; ++k) {
      if (m_table[k].offset > 0) lastLive = k;
    }
    std::string bytes;
    {
      // The new index file is written beside the old one and moved into place, so a stop
      // half-way leaves the previous index whole.
      const std::string temporary = TemporaryNameFor(m_indexPath);
      auto file = Files().Open(temporary, OpenMode::Create);
      if (!file) {
        ReportMissing(m_indexPath, " Cannot be Created");
        if (!wasHeld) CloseAfterUpdate();
        return;
      }
      WriteTable(*file, lastLive + 1);
      if (n > lastLive + 1) {
        const std::string zeros(static_cast<size_t>(n - lastLive - 1) * kIndexEntrySize, '\0');
        file->Write(zeros);
      }
      file->Flush();
      file.reset();
      if (!Files().Rename(temporary, m_indexPath)) {
        Files().Remove(temporary);
        ReportMissing(m_indexPath, " Cannot be Created");
        if (!wasHeld) CloseAfterUpdate();
        return;
      }
    }
  } catch (const FileError& error) {
    for (const int32_t k : placed) m_table[k].offset = -1;
    ThePlatform().Message(error.what());
    if (!wasHeld) CloseAfterUpdate();
    return;
  }
  DropReadHandle();
  CloseAfterUpdate();
  m_modified = false;
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
  m_table.resize(static_cast<size_t>(highest) + 1);
  m_chosen.resize(m_table.size(), 0);
}

void CIndex::WriteCompacted(File& dataFile, File& indexFile) {
  Rethread();
  {
    Archive out(dataFile, Archive::Mode::Store);
    out.WriteByte(0);
    int32_t k = First();
    for (int32_t steps = 0; k != 0 && steps < Count(); ++steps) {
      if (m_table[k].offset != 0) {
        CIndObj* object = Lookup(k);
        const int32_t position = static_cast<int32_t>(out.Position());
        if (object) {
          object->WriteRecord(out);
          m_table[k].offset = position;
        } else {
          m_table[k].offset = 0;
        }
      }
      k = Checked(m_table[k].next);
    }
    out.Flush();
  }
  dataFile.Flush();
  WriteTable(indexFile, Count());
  indexFile.Flush();
  m_modified = false;
}

void CIndex::LoadBackup(const std::string& name) {
  if (!m_modified || InMemory()) return;
  auto file = Files().Open(PathDirectory(m_dataPath) + name + kBackupDataExtension, OpenMode::Read);
  if (!file) return;
  ReadObjectsFrom(*file);
  InsertRange(1, Count() - 1);
}

void CIndex::ReadObjectsFrom(File& file) {
  CWait wait;
  try {
    const uint64_t length = file.Length();
    Archive in(file, Archive::Mode::Load);
    while (in.Position() < length) {
      std::unique_ptr<CIndObj> object = NewObject();
      const int32_t key = object->ReadRecord(in);
      if (key > 0 && key <= kMaxBackupKey) {
        SetCached(key, std::move(object));
        At(key).offset = -1;
      }
    }
  } catch (const FileError&) {
    // A record cut short at the end of the file is dropped.
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

// One index: its table and object cache, lookups, searches by text and the entry operations
// that the chooser and the kinds call.
#include "refdb/index.h"

#include <algorithm>

#include "core/text.h"

namespace tv {

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

CIndObj* CIndex::Cached(int32_t key) const {
  const auto& objects = m_cache->objects;
  return (key > 0 && static_cast<size_t>(key) < objects.size()) ? objects[key].get() : nullptr;
}

void CIndex::SetCached(int32_t key, std::unique_ptr<CIndObj> object) {
  auto& objects = m_cache->objects;
  if (static_cast<size_t>(key) >= objects.size()) objects.resize(static_cast<size_t>(key) + 1);
  objects[key] = std::move(object);
}

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

void CIndex::WriteRecordAs(Archive& out, CIndObj& object, int32_t key) {
  const int32_t redirected = object.key;
  object.key = key;
  try {
    object.WriteRecord(out);
  } catch (...) {
    object.key = redirected;
    throw;
  }
  object.key = redirected;
}

void CIndex::WriteObject(Archive& out, int32_t key) {
  if (CIndObj* object = Lookup(key)) WriteRecordAs(out, *object, key);
}

int32_t CIndex::StepBack(int32_t key, int n) {
  for (int i = 0; i < n; ++i) key = Checked(Entry(key).prev);
  return key;
}

int32_t CIndex::StepForward(int32_t key, int n) {
  for (int i = 0; i < n; ++i) key = Checked(Entry(key).next);
  return key;
}

}  // namespace tv

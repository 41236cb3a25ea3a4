// The maintenance commands of one index: re-sort, audit, purge, compaction with a backup,
// the SGML dump and the CSV table.
#include <algorithm>

#include "core/archive.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

// The highest key reachable from the root, found without trusting the links to be acyclic.
int32_t HighestInTree(const CIndex& index) {
  int32_t highest = 0;
  std::vector<uint8_t> seen(static_cast<size_t>(index.Count()), 0);
  std::vector<int32_t> stack;
  auto push = [&](int32_t k) {
    if (k > 0 && k < index.Count() && !seen[k]) {
      seen[k] = 1;
      stack.push_back(k);
    }
  };
  push(index.Root());
  while (!stack.empty()) {
    const int32_t k = stack.back();
    stack.pop_back();
    highest = std::max(highest, k);
    push(index.Entry(k).left);
    push(index.Entry(k).right);
  }
  return highest;
}

}  // namespace

void CIndex::RebuildTree() {
  CWait wait;
  const int32_t oldRoot = Checked(Root());
  At(0).offset = 1;
  m_table[0].left = 0;
  m_table[0].right = 0;
  m_table[0].next = m_table[0].prev = 0;
  std::vector<uint8_t> seen(m_table.size(), 0);
  std::vector<int32_t> stack;
  if (oldRoot) stack.push_back(oldRoot);
  while (!stack.empty()) {
    const int32_t k = stack.back();
    stack.pop_back();
    if (k <= 0 || k >= Count() || seen[k]) continue;
    seen[k] = 1;
    const int32_t left = m_table[k].left;
    const int32_t right = m_table[k].right;
    if (CIndObj* object = Lookup(k)) Insert(object, k, false);
    stack.push_back(right);
    stack.push_back(left);
  }
  // Live entries that the damaged tree no longer reached are sorted in as well.
  for (int32_t k = 1; k < Count(); ++k) {
    if (seen[k] || m_table[k].offset == 0) continue;
    m_table[k].left = m_table[k].right = 0;
    if (CIndObj* object = Lookup(k)) Insert(object, k, false);
  }
  m_modified = true;
}

void CIndex::CheckLinks() {
  CWait wait;
  for (int32_t key = 1; key < Count(); ++key) {
    if (m_table[key].offset == 0) continue;
    const int32_t p = ParentOf(key);
    const bool linked = m_table[p].left == key || (p != 0 && m_table[p].right == key);
    if (!linked) {
      if (CIndObj* object = Lookup(key)) Insert(object, key, true);
    }
  }
  Rethread();
  m_modified = true;
}

int32_t CIndex::Purge(int32_t key) {
  CWait wait;
  for (int32_t k = 1; k < Count(); ++k) {
    if (m_table[k].offset == 0) continue;
    CIndObj* object = Lookup(k);
    if (object && !object->used) Remove(k);
  }
  // The entry to show next: the key when it stayed, else the first that stayed after it.
  for (int32_t steps = 0; key != 0 && steps < Count(); ++steps) {
    if (Entry(key).offset != 0 && Lookup(key)) return key;
    key = Checked(Entry(key).next);
  }
  return 0;
}

bool CIndex::Compact() {
  if (InMemory() || RefuseWhenReadOnly()) return false;
  CWait wait;
  CheckLinks();
  RebuildTree();
  FileSystem& files = Files();
  const std::string base = PathDirectory(m_dataPath) + m_name;
  const std::string newData = base + kNewDataExtension;
  const std::string newIndex = base + kNewIndexExtension;
  // The index half goes first, so that a lone N".ndx" always means a finished compaction.
  files.Remove(newIndex);
  files.Remove(newData);
  CloseAfterUpdate();
  DropReadHandle();

  // Objects are read from the current pair before anything moves.
  for (int32_t k = 1; k < Count(); ++k) {
    if (m_table[k].offset != 0) Lookup(k);
  }
  {
    auto data = files.Open(newData, OpenMode::Create);
    auto index = data ? files.Open(newIndex + "~", OpenMode::Create) : nullptr;
    if (!data || !index) {
      files.Remove(newData);
      ThePlatform().Message(newData + " Cannot be Created");
      return false;
    }
    try {
      WriteCompacted(*data, *index);
    } catch (const FileError& error) {
      files.Remove(newData);
      files.Remove(newIndex + "~");
      ThePlatform().Message(error.what());
      m_modified = true;
      return false;
    }
  }
  files.Rename(newIndex + "~", newIndex);

  // The previous pair is copied to the backups before the new pair replaces it: at every step a
  // complete pair is under N".da3"/N".id3", or N".ndx" finishes the job when the index opens.
  std::string bytes;
  if (files.ReadAll(m_dataPath, bytes)) files.WriteAllSafely(base + kBackupDataExtension, bytes);
  if (files.ReadAll(m_indexPath, bytes)) files.WriteAllSafely(base + kBackupIndexExtension, bytes);
  if (!files.Rename(newData, m_dataPath)) {
    // The previous pair is still in place; the table now describes the new files, so every
    // record is written again into the previous data file at the next save.
    for (int32_t k = 1; k < Count(); ++k) {
      if (m_table[k].offset != 0) m_table[k].offset = -1;
    }
    m_modified = true;
    return false;
  }
  files.Rename(newIndex, m_indexPath);
  m_modified = false;
  return true;
}

void CIndex::WriteSgml() {
  if (InMemory()) return;
  Save();
  CWait wait;
  const std::string path = ReplaceExtension(m_dataPath, ".sgm");
  auto data = Files().Open(m_dataPath, OpenMode::Read);
  if (!data) ReportMissing(m_dataPath, " Not Found");
  const uint64_t length = data ? data->Length() : 0;
  const int32_t highest = HighestInTree(*this);
  std::string text;
  for (int32_t k = 1; k <= highest && data; ++k) {
    const int32_t offset = Entry(k).offset;
    if (offset <= 0 || static_cast<uint64_t>(offset) >= length) continue;
    data->Seek(static_cast<uint64_t>(offset));
    Archive in(*data, Archive::Mode::Load, 512);
    TaggedReader reader(in, true);
    TaggedField field;
    std::string line;
    try {
      while (reader.Next(field)) {
        if (field.letter == kKeyLetter) {
          line += "<k>" + std::to_string(field.value);
        } else if (field.type <= 2) {
          line += std::string("<") + field.letter + ">" + std::to_string(field.value);
        } else if (field.type == 3) {
          line += std::string("<") + field.letter + ">\"" + field.text + "\"";
        }
      }
    } catch (const FileError&) {
      // A record cut short by the end of the file is written as far as it goes.
    }
    text += line + "\r\n";
  }
  data.reset();
  if (!Files().WriteAllSafely(path, text)) ThePlatform().Message(path + " Cannot be Created");
}

void CIndex::WriteCsv() {
  if (InMemory()) return;
  Save();
  CWait wait;
  const std::string path = ReplaceExtension(m_dataPath, ".csv");
  std::string text = CsvHeader() + "\n";
  const int32_t highest = HighestInTree(*this);
  for (int32_t k = 1; k <= highest; ++k) {
    if (Entry(k).offset == 0) continue;
    if (CIndObj* object = Lookup(k)) object->WriteCsvLine(text);
  }
  if (!Files().WriteAllSafely(path, text)) ThePlatform().Message(path + " Cannot be Created");
}

}  // namespace tv

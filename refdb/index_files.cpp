// The files of an index: opening, converting the older pair, reading and writing the table,
// saving changed records, compaction output and the backup.
#include <cstring>

#include "core/archive.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index.h"
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

File* CIndex::DataForReading() {
  if (m_dataHeld) return m_dataHeld.get();
  if (!m_dataRead) {
    m_dataRead = Files().Open(m_dataPath, OpenMode::Read);
    if (!m_dataRead) ReportMissing(m_dataPath, " Not Found");
  }
  return m_dataRead.get();
}

void CIndex::DropReadHandle() { m_dataRead.reset(); }

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
      if (key > 0 && key <= kMaxIndexKey) {
        SetCached(key, std::move(object));
        At(key).offset = -1;
      }
    }
  } catch (const FileError&) {
    // A record cut short at the end of the file is dropped.
  }
}

}  // namespace tv

// Opening an index: its files found or made, the older pair converted, the table read and
// checked against the data file, and the table rebuilt from the records when the two disagree,
// so that every key keeps naming the entry it named.
#include <algorithm>
#include <map>

#include "core/archive.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

constexpr size_t kCutShort = std::string::npos;

// The key of the data-file record that starts at `pos` (0 when it has none), and where the
// record ends: just after its zero byte, or kCutShort when the data ends inside it.
struct RecordKey {
  uint32_t key = 0;
  size_t end = kCutShort;
};

RecordKey KeyOfRecordAt(std::string_view data, size_t pos) {
  RecordKey result;
  // In a data file a text ends at its first byte below 0x20, which belongs to it.
  const auto skipText = [&] {
    while (pos < data.size() && static_cast<uint8_t>(data[pos]) >= 0x20) ++pos;
    if (pos >= data.size()) return false;
    ++pos;
    return true;
  };
  while (pos < data.size()) {
    const auto tag = static_cast<uint8_t>(data[pos++]);
    if (tag == 0) {
      result.end = pos;
      return result;
    }
    const int type = tag >> 5;
    if (type <= 2) {
      const size_t width = size_t{1} << type;
      if (pos + width > data.size()) return result;
      uint32_t value = 0;
      for (size_t i = 0; i < width; ++i) value |= uint32_t{static_cast<uint8_t>(data[pos + i])} << (8 * i);
      pos += width;
      if ((tag & 0x1f) == kKeyCode) result.key = value;
    } else if (type == 3) {
      if (!skipText()) return result;
    } else {
      if (pos >= data.size()) return result;
      const size_t count = static_cast<uint8_t>(data[pos++]);
      if (type == 7) {
        for (size_t i = 0; i < count; ++i) {
          if (!skipText()) return result;
        }
      } else {
        const size_t width = type == 4 ? 1 : (type == 5 ? 2 : 4);
        if (pos + count * width > data.size()) return result;
        pos += count * width;
      }
    }
  }
  return result;
}

// Every record of a data file in file order: where the last copy of each key starts, and the
// highest key met.
struct DataRecords {
  std::map<int32_t, int32_t> last;
  int32_t highest = 0;
};

DataRecords ScanRecords(std::string_view data) {
  DataRecords found;
  size_t pos = 0;
  while (pos < data.size()) {
    const RecordKey record = KeyOfRecordAt(data, pos);
    if (record.end == kCutShort) break;
    if (record.key > 0 && record.key <= static_cast<uint32_t>(kMaxIndexKey)) {
      const auto key = static_cast<int32_t>(record.key);
      found.last[key] = static_cast<int32_t>(pos);
      found.highest = std::max(found.highest, key);
    }
    pos = record.end;
  }
  return found;
}

const char* CauseText(FileErrorCause cause) {
  switch (cause) {
    case FileErrorCause::AccessDenied: return "access denied";
    case FileErrorCause::NotFound: return "not found";
    case FileErrorCause::DiskFull: return "the disk is full";
    case FileErrorCause::EndOfFile: return "it ends too soon";
    default: return "read error";
  }
}

// A data file no longer than a new one holds no record.
constexpr uint64_t kNewDataLength = 3;

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

  const bool dataExists = files.Exists(m_dataPath);
  if (files.Exists(m_indexPath)) {
    ReadTable();
  } else {
    m_indexMissing = true;
    // The older pair is converted once, into a data file that holds no records yet; a current
    // data file with records is preferred, and rebuilds the table when the index opens.
    uint64_t dataLength = 0;
    if (auto data = files.Open(m_dataPath, OpenMode::Read)) dataLength = data->Length();
    if (dataLength <= kNewDataLength) {
      auto oldIndex = files.Open(base + kOldIndexExtension, OpenMode::Read);
      auto oldData = files.Open(base + kOldDataExtension, OpenMode::Read);
      if (oldIndex && oldData) {
        if (!dataExists) CreateDataFile();
        ConvertOldPair(*oldIndex, *oldData);
        m_indexMissing = m_table.empty();
      }
    }
  }

  if (!files.Exists(m_dataPath)) {
    const bool named = std::any_of(m_table.begin() + std::min<size_t>(1, m_table.size()),
                                   m_table.end(), [](const IndexEntry& e) { return e.offset != 0; });
    if (named) {
      // The index names records that are gone: making an empty data file would let the next
      // save point every entry at nothing, so the files stay as they are until it is restored.
      m_readOnly = true;
      ThePlatform().Message(m_dataPath + " Not Found\nThe " + m_name +
                            " index opens read-only; nothing is saved over " + m_indexPath + ".");
    } else {
      CreateDataFile();
    }
  }

  m_modified = m_table.empty();
  At(0);
  if (m_modified) m_table[0].left = 0;
  m_table[0].right = Count() - 1;  // no key of the table is given out again
}

CIndex::CIndex(CIndex& other) : m_name(other.m_name), m_cache(other.m_cache) {
  m_table.assign(other.m_table.size(), IndexEntry{});
  m_chosen.assign(m_table.size(), 0);
  if (m_table.empty()) At(0);
}

CIndex::~CIndex() = default;

void CIndex::CreateDataFile() {
  auto data = Files().Open(m_dataPath, OpenMode::Create);
  if (data) {
    const char zeros[3] = {0, 0, 0};
    try {
      data->Write(zeros, 3);
      data->Flush();
      return;
    } catch (const FileError&) {
    }
  }
  ReportMissing(m_dataPath, " Cannot be Created");
}

void CIndex::MakeReadOnly(const std::string& path, FileErrorCause cause) {
  m_readOnly = true;
  ThePlatform().Message(path + " Cannot be Read (" + CauseText(cause) + ")\nThe " + m_name +
                        " index opens read-only; nothing is saved over its files.");
}

void CIndex::ReportMissing(const std::string& path, const char* what) {
  ThePlatform().Message(path + what);
}

void CIndex::ReadTable() {
  FileErrorCause why = FileErrorCause::None;
  auto file = Files().Open(m_indexPath, OpenMode::Read, &why);
  if (!file) {
    m_tableUnreadable = true;
    MakeReadOnly(m_indexPath, why);
    return;
  }
  try {
    const uint64_t length = file->Length();
    const uint64_t entries = length / kIndexEntrySize;
    m_tableCut = length % kIndexEntrySize != 0;
    std::vector<unsigned char> bytes(entries * kIndexEntrySize);
    if (!bytes.empty()) file->ReadExactly(bytes.data(), bytes.size());
    m_table.resize(entries);
    for (uint64_t k = 0; k < entries; ++k) {
      const unsigned char* at = bytes.data() + k * kIndexEntrySize;
      m_table[k] = {GetIndexInt(at),      GetIndexInt(at + 4),  GetIndexInt(at + 8),
                    GetIndexInt(at + 12), GetIndexInt(at + 16), GetIndexInt(at + 20)};
    }
  } catch (const FileError& error) {
    m_table.clear();
    m_tableUnreadable = true;
    MakeReadOnly(m_indexPath, error.Cause());
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
      entry.offset = GetIndexInt(at);
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
      PutIndexInt(bytes, entry.offset);
      for (int i = 0; i < 5; ++i) PutIndexInt(bytes + 4 + 4 * i, *links[i]);
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

std::string CIndex::TableFault(std::string_view data) const {
  if (m_tableCut) return "the index file was cut short";
  const int32_t n = Count();
  for (int32_t k = 0; k < n; ++k) {
    const IndexEntry& e = m_table[k];
    // A table cut at an entry's edge still names keys beyond its end.
    for (const int32_t link : {e.parent, e.left, e.right, e.prev, e.next}) {
      if (link >= n) return "the index file was cut short";
    }
    if (k == 0 || e.offset == 0) continue;
    if (e.offset < 0 || static_cast<uint64_t>(e.offset) >= data.size() ||
        KeyOfRecordAt(data, static_cast<size_t>(e.offset)).key != static_cast<uint32_t>(k)) {
      return "the index file does not agree with the data file";
    }
  }
  return {};
}

void CIndex::Open(bool loadBackup) {
  if (InMemory()) return;
  if (m_readOnly && !m_tableUnreadable) return;
  std::string data;
  FileErrorCause why = FileErrorCause::None;
  if (auto file = Files().Open(m_dataPath, OpenMode::Read, &why)) {
    try {
      data.resize(file->Length());
      if (!data.empty()) file->ReadExactly(data.data(), data.size());
    } catch (const FileError& error) {
      data.clear();
      why = error.Cause();
      file.reset();
    }
    if (!file) {
      if (!m_readOnly) MakeReadOnly(m_dataPath, why);
      return;
    }
  } else if (why != FileErrorCause::NotFound) {
    if (!m_readOnly) MakeReadOnly(m_dataPath, why);
    return;
  }

  const DataRecords records = ScanRecords(data);
  std::string fault;
  if (m_indexMissing || m_tableUnreadable) {
    if (!records.last.empty()) fault = m_tableUnreadable ? "the index file cannot be read" : "the index file was missing";
  } else {
    fault = TableFault(data);
  }
  const bool named = std::any_of(m_table.begin() + std::min<size_t>(1, m_table.size()),
                                 m_table.end(), [](const IndexEntry& e) { return e.offset != 0; });
  if (!fault.empty() && !records.last.empty()) {
    RebuildFromRecords(records.last, fault, fault == "the index file was cut short");
  } else if (!fault.empty() && named) {
    // The entries point into a data file that holds none of their records: it was replaced or
    // emptied, and only the user can bring the right one back.
    m_readOnly = true;
    ThePlatform().Message(m_dataPath + " holds no record of the entries of " + m_indexPath +
                          "\nThe " + m_name + " index opens read-only; nothing is saved over its files.");
  } else if (loadBackup && !m_readOnly) {
    LoadBackup(m_name);
  }
  // New keys go beyond every key either file has seen, so no key ever names a second entry.
  At(0).right = std::max(Count() - 1, records.highest);
}

void CIndex::RebuildFromRecords(const std::map<int32_t, int32_t>& last, const std::string& fault,
                                bool keepFreeKeys) {
  CWait wait;
  const std::vector<IndexEntry> old = std::move(m_table);
  m_table.clear();
  m_chosen.clear();
  At(0);
  std::vector<std::pair<int32_t, int32_t>> placed;
  for (const auto& [key, position] : last) {
    // A key that a sound part of the table marks free was removed: its old record stays dead.
    if (keepFreeKeys && static_cast<size_t>(key) < old.size() && old[key].offset == 0) continue;
    At(key).offset = position;
    placed.emplace_back(key, position);
  }
  InsertRange(1, Count() - 1);
  // Sorting marks every entry changed; the records are where they were, so only the table is
  // written again.
  for (const auto& [key, position] : placed) {
    if (m_table[key].offset != 0) m_table[key].offset = position;
  }
  DropReadHandle();
  m_modified = true;
  ThePlatform().Message(m_indexPath + " was rebuilt from " + m_dataPath + " because " + fault +
                        " (" + std::to_string(placed.size()) + " entries).");
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

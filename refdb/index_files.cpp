// Writing the files of an index: holding them open for a run of lookups, saving changed
// records and the table, and the compacted pair.
#include "core/archive.h"
#include "core/services.h"
#include "refdb/index.h"

namespace tv {

File* CIndex::DataForReading() {
  if (m_dataHeld) return m_dataHeld.get();
  if (!m_dataRead) {
    m_dataRead = Files().Open(m_dataPath, OpenMode::Read);
    // Told once: every lookup of the run would meet the same missing file.
    if (!m_dataRead && !m_dataMissingTold) {
      m_dataMissingTold = true;
      ReportMissing(m_dataPath, " Not Found");
    }
  }
  return m_dataRead.get();
}

void CIndex::DropReadHandle() { m_dataRead.reset(); }

// ---- files ---------------------------------------------------------------------------------

bool CIndex::RefuseWhenReadOnly() {
  if (!m_readOnly) return false;
  if (!m_readOnlyTold) {
    m_readOnlyTold = true;
    ThePlatform().Message("The " + m_name + " index is read-only: its changes were not saved to " +
                          m_indexPath + ".");
  }
  return true;
}

void CIndex::OpenForUpdate() {
  if (InMemory() || m_dataHeld || m_readOnly) return;
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
    PutIndexInt(entry, e.offset);
    PutIndexInt(entry + 4, e.parent);
    PutIndexInt(entry + 8, e.left);
    PutIndexInt(entry + 12, e.right);
    PutIndexInt(entry + 16, e.prev);
    PutIndexInt(entry + 20, e.next);
    bytes.append(entry, kIndexEntrySize);
  }
  file.Write(bytes);
}

void CIndex::Save() {
  if (!m_modified || InMemory() || RefuseWhenReadOnly()) return;
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
          WriteRecordAs(out, *object, k);
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
    std::vector<uint8_t> written(m_table.size(), 0);
    const auto write = [&](int32_t k) {
      written[k] = 1;
      if (m_table[k].offset == 0) return;
      CIndObj* object = Lookup(k);
      const int32_t position = static_cast<int32_t>(out.Position());
      if (object) {
        WriteRecordAs(out, *object, k);
        m_table[k].offset = position;
      } else {
        m_table[k].offset = 0;
      }
    };
    int32_t k = First();
    for (int32_t steps = 0; k != 0 && steps < Count() && !written[k]; ++steps) {
      write(k);
      k = Checked(m_table[k].next);
    }
    // An entry the thread does not reach is still live: it is written too, so that no offset
    // is left pointing into the previous data file.
    for (k = 1; k < Count(); ++k) {
      if (!written[k]) write(k);
    }
    out.Flush();
  }
  dataFile.Flush();
  WriteTable(indexFile, Count());
  indexFile.Flush();
  m_modified = false;
}

}  // namespace tv

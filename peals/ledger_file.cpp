// Streaming a peal ledger file in and out through a buffered archive.
#include "peals/ledger_file.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "core/archive.h"
#include "core/large_pages.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/ledger_format.h"

namespace tv {

std::string FileErrorText(FileErrorCause cause, const std::string& path, bool saving) {
  switch (cause) {
    case FileErrorCause::NotFound: return FormatMessage("%1 was not found.", path);
    case FileErrorCause::AccessDenied: return FormatMessage("Access to %1 was denied.", path);
    case FileErrorCause::DiskFull: return FormatMessage("Disk full while accessing %1.", path);
    default: return saving ? "Failed to save document." : "Failed to open document.";
  }
}

// A file of the reference database is never read or written as a ledger: any bytes read as
// peal records, so saving a "ledger" opened from an equivalence or index file would replace it.
Status DatabaseFileRefusal(const std::string& path) {
  static constexpr std::pair<const char*, const char*> kOwnFiles[] = {
      {".eq3", "a ringer equivalence file"}, {".eqv", "a ringer equivalence file"},
      {".da3", "an index data file"},        {".id3", "an index file"},
      {".old", "an index backup"},           {".odx", "an index backup"},
      {".ndx", "an index file"},             {".xrf", "the tower cross-reference"},
      {".lock", "the index directory's lock"}};
  const std::string_view name = path;
  for (const auto& [extension, what] : kOwnFiles) {
    const size_t length = std::char_traits<char>::length(extension);
    if (name.size() > length && EqualsNoCase(name.substr(name.size() - length), extension)) {
      return Status(StatusCode::BadData, path + " is " + what + " of the database, not a peal ledger.");
    }
  }
  return Status::Ok();
}

Status ReadLedgerFile(const std::string& path, CPealLedger& ledger, LedgerReadResult* result) {
  if (Status refused = DatabaseFileRefusal(path); !refused.ok()) return refused;
  FileErrorCause why = FileErrorCause::None;
  std::unique_ptr<File> file = Files().Open(path, OpenMode::Read, &why);
  if (!file) {
    return Status(why == FileErrorCause::NotFound ? StatusCode::NotFound : StatusCode::IoError,
                  FileErrorText(why == FileErrorCause::None ? FileErrorCause::Generic : why, path, false));
  }

  ledger.ResetLedger();
  const bool oldForm = IsOldFormName(path);
  LedgerReadResult read;
  std::string failure;
  // The whole file in one read, its records read where they lie. A file that cannot be read
  // whole (too large for memory or for 32-bit record offsets, or failing part way) is read
  // again through the archive.
  std::unique_ptr<char[]> whole;
  uint64_t length = 0;
  try {
    length = file->Length();
    if (length >= UINT32_MAX) throw std::length_error("too large to read whole");
    whole = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(length));
    PreferLargePages(whole.get(), static_cast<size_t>(length));
    file->ReadExactly(whole.get(), length);
  } catch (const std::exception&) {
    whole.reset();
    file = Files().Open(path, OpenMode::Read, &why);
    if (!file) {
      return Status(StatusCode::IoError,
                    FileErrorText(why == FileErrorCause::None ? FileErrorCause::Generic : why, path, false));
    }
  }
  if (whole) {
    uint64_t stoppedAt = 0;
    ledger.AdoptRecords(std::move(whole), static_cast<size_t>(length), oldForm, stoppedAt);
    if (stoppedAt < length) {
      read.complete = false;
      read.stoppedAt = stoppedAt;
    }
  } else {
    Archive in(*file, Archive::Mode::Load);
    for (;;) {
      uint64_t start = 0;
      try {
        if (in.AtEnd()) break;
        start = in.Position();
        auto peal = std::make_unique<CPeal>();
        peal->SerializeRecord(in, oldForm);
        ledger.AddPeal(std::move(peal));
      } catch (const FileError& error) {
        // The record cut short is dropped; every complete one before it stays.
        read.complete = false;
        read.stoppedAt = start;
        if (error.Cause() != FileErrorCause::EndOfFile) failure = error.what();
        break;
      }
    }
  }
  read.pealsRead = ledger.lastPealNumber;
  ledger.BuildBuffer(1, ledger.lastPealNumber, kMainBuffer);
  ledger.bufferPositions[kMainBuffer] = ledger.lastPealNumber;
  ledger.currentBuffer = kMainBuffer;
  if (result) *result = read;
  if (read.complete) return Status::Ok();
  std::string message = path + " was read only in part: " + std::to_string(read.pealsRead) +
                        (read.pealsRead == 1 ? " peal" : " peals") + " read; reading stopped at byte " +
                        std::to_string(read.stoppedAt) + ", in a damaged or incomplete record";
  if (!failure.empty()) message += " (" + failure + ")";
  message += ".";
  return Status(StatusCode::PartialRead, message);
}

Status CheckLedgerStart(const std::string& path) {
  if (Status refused = DatabaseFileRefusal(path); !refused.ok()) return refused;
  FileErrorCause why = FileErrorCause::None;
  std::unique_ptr<File> file = Files().Open(path, OpenMode::Read, &why);
  if (!file) {
    return Status(why == FileErrorCause::NotFound ? StatusCode::NotFound : StatusCode::IoError,
                  FileErrorText(why == FileErrorCause::None ? FileErrorCause::Generic : why, path, false));
  }
  try {
    Archive in(*file, Archive::Mode::Load);
    if (in.AtEnd()) return Status::Ok();
    CPeal peal;
    peal.SerializeRecord(in, IsOldFormName(path));
  } catch (const FileError&) {
    return Status(StatusCode::BadData,
                  path + " is not a peal ledger: no peal record could be read at its start.");
  }
  return Status::Ok();
}

Status WriteLedgerFile(const std::string& path, const CPealLedger& ledger,
                       std::span<const int> buffers, const std::string& backupPath) {
  if (Status refused = DatabaseFileRefusal(path); !refused.ok()) return refused;
  FileSystem& files = Files();
  const std::string temporary = TemporaryNameFor(path);
  const bool oldForm = IsOldFormName(path);
  try {
    FileErrorCause why = FileErrorCause::None;
    std::unique_ptr<File> file = files.Open(temporary, OpenMode::Create, &why);
    if (!file) throw FileError(why == FileErrorCause::None ? FileErrorCause::Generic : why, path, "");
    {
      Archive out(*file, Archive::Mode::Store);
      for (const int buffer : buffers) {
        uint32_t written = 0;
        // The thread lists the buffer in ledger order; the count guards against a damaged one.
        for (uint32_t n = ledger.FirstOf(buffer); n != 0 && written <= ledger.lastPealNumber;
             n = ledger.Entry(n).next, ++written) {
          // A record not read since the file was loaded is read for the write and let go.
          std::unique_ptr<CPeal> unread = ledger.UnreadCopy(n);
          if (CPeal* peal = unread ? unread.get() : ledger.PealAt(n)) peal->SerializeRecord(out, oldForm);
        }
      }
      out.Flush();
    }
    file->Flush();
  } catch (const FileError& error) {
    files.Remove(temporary);
    return Status(StatusCode::IoError, FileErrorText(error.Cause(), path, true));
  }
  // The file being replaced is copied to the backup rather than renamed to it: between two
  // renames a stop would leave nothing under `path`.
  if (!backupPath.empty() && files.Exists(path)) {
    std::string original;
    if (!files.ReadAll(path, original) || !files.WriteAllSafely(backupPath, original)) {
      files.Remove(temporary);
      return Status(StatusCode::IoError, "Failed to save document. " + path +
                                             " could not be kept as " + backupPath + ".");
    }
  }
  if (!files.Rename(temporary, path)) {
    files.Remove(temporary);
    return Status(StatusCode::IoError, FileErrorText(FileErrorCause::Generic, path, true));
  }
  return Status::Ok();
}

}  // namespace tv

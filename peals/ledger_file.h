// Reading a peal ledger file into a ledger and writing a ledger's buffers to one.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/file_system.h"
#include "core/status.h"
#include "peals/peal_ledger.h"

namespace tv {

// What a read found.
struct LedgerReadResult {
  uint32_t pealsRead = 0;
  bool complete = true;     // false: reading stopped inside a record before the end of the file
  uint64_t stoppedAt = 0;   // when incomplete: the byte offset of the record that could not be read
};

// Replaces the ledger's peals with the file's: numbered 1, 2, ... in file order (the stored
// numbers are not kept), all in buffer 1 built balanced, buffer 1 current, its position at the
// last peal. The record form follows the name (ending in "0": the older form).
// NotFound / IoError: the file could not be opened; the ledger is untouched.
// PartialRead: the file ends inside a record or could not be read to its end; the ledger holds
// every complete record before it and the message names the file, the number of peals read and
// the byte offset where reading stopped.
Status ReadLedgerFile(const std::string& path, CPealLedger& ledger, LedgerReadResult* result = nullptr);

// BadData naming the file when `path` names one of the reference database's own files (an
// equivalence, index, backup, cross-reference or lock file), which the ledger functions here
// refuse to read or write; Ok otherwise.
Status DatabaseFileRefusal(const std::string& path);

// Whether the file at `path` can be a peal ledger: empty, or a peal record readable at its
// start. BadData names the file when not (another program's file, a text); NotFound / IoError
// when it cannot be opened. Reads no more than the first record.
Status CheckLedgerStart(const std::string& path);

// Writes the peals of `buffers`, each in ledger order, to `path` in the form its name selects.
// The records go to a temporary beside the file that is renamed into place only when complete,
// so a failure leaves the old file as it was. With a non-empty `backupPath` the file being
// replaced is first copied to it, so that `path` always holds the old or the new ledger.
// IoError names the file and the failure.
Status WriteLedgerFile(const std::string& path, const CPealLedger& ledger,
                       std::span<const int> buffers, const std::string& backupPath = {});

// The platform's standard text for a failed file operation: "%1 was not found.", "Access to %1
// was denied.", "Disk full while accessing %1.", else "Failed to open document." or "Failed to
// save document.".
std::string FileErrorText(FileErrorCause cause, const std::string& path, bool saving);

}  // namespace tv

// The peal imports under fuzzing: one file through a format's read loop into an empty ledger,
// whose peals must then write out as a ledger and read back whole.
#pragma once

#include <array>
#include <string>

#include "fuzz/fuzz_support.h"
#include "import/peal_import.h"
#include "peals/ledger_file.h"
#include "peals/tolvane_doc.h"

namespace tv::fuzz {

inline void ImportAndSave(const char* kind, const std::string& path) {
  CTolvaneDoc doc;
  (void)ImportPealFile(doc, *FindImportFormat(kind), path);
  const std::array<int, 1> buffers{kMainBuffer};
  if (!WriteLedgerFile("/work/out.tv3", doc, buffers).ok()) Fail("a memory ledger could not be written");
  CPealLedger again;
  LedgerReadResult read;
  (void)ReadLedgerFile("/work/out.tv3", again, &read);
  if (!read.complete || read.pealsRead != doc.PealsOf(kMainBuffer).size()) {
    Fail("imported peals do not read back from their ledger");
  }
}

}  // namespace tv::fuzz

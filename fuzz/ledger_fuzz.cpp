// The peal ledger reader, in the new record form or (odd first byte) the older one. What it
// reads must write out whole, and a written ledger must read back and write out again to the
// same bytes. The records read from the whole file, and their columns, must be what the
// record-by-record archive reader reads.
#include <array>
#include <memory>
#include <vector>

#include "core/archive.h"

#include "fuzz/fuzz_support.h"
#include "peals/ledger_file.h"
#include "peals/peal_ledger.h"

namespace {

using namespace tv;

std::string ReadAndWrite(fuzz::Session& session, const std::string& in, const std::string& out,
                         LedgerReadResult& read) {
  CPealLedger ledger;
  const Status status = ReadLedgerFile(in, ledger, &read);
  if (status.code() != StatusCode::Ok && status.code() != StatusCode::PartialRead) {
    fuzz::Fail("a memory file could not be read");
  }
  const std::array<int, 1> buffers{kMainBuffer};
  if (!WriteLedgerFile(out, ledger, buffers).ok()) fuzz::Fail("a memory file could not be written");
  return session.files.Contents(out);
}

std::string RecordBytes(fuzz::Session& session, CPeal& peal, bool oldForm) {
  {
    auto file = session.files.Open("/work/record", OpenMode::Create);
    Archive out(*file, Archive::Mode::Store);
    peal.SerializeRecord(out, oldForm);
    out.Flush();
  }
  return session.files.Contents("/work/record");
}

void CheckAgainstArchive(fuzz::Session& session, const std::string& path, bool oldForm) {
  CPealLedger ledger;
  LedgerReadResult read;
  (void)ReadLedgerFile(path, ledger, &read);
  if (!ledger.ColumnsDisagreement().empty()) fuzz::Fail("the columns disagree with the records");
  std::vector<std::unique_ptr<CPeal>> archived;
  {
    auto file = session.files.Open(path, OpenMode::Read);
    Archive in(*file, Archive::Mode::Load);
    try {
      while (!in.AtEnd()) {
        auto peal = std::make_unique<CPeal>();
        peal->SerializeRecord(in, oldForm);
        archived.push_back(std::move(peal));
      }
    } catch (const FileError&) {
      // The record cut short is dropped, as the whole-file reader drops it.
    }
  }
  if (archived.size() != ledger.lastPealNumber) fuzz::Fail("the readers count other peals");
  for (uint32_t n = 1; n <= ledger.lastPealNumber; ++n) {
    archived[n - 1]->pealNumber = n;
    if (RecordBytes(session, *archived[n - 1], oldForm) != RecordBytes(session, *ledger.PealAt(n), oldForm)) {
      fuzz::Fail("a record read from the whole file differs from the archive reader's");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return -1;
  fuzz::Input input(data, size);
  const bool oldForm = (input.Byte() & 1) != 0;
  const std::string suffix = oldForm ? ".tv0" : ".tv3";

  fuzz::Session session;
  session.files.SetContents("/work/in" + suffix, input.Rest());
  // The first write puts the peals in ledger order, still under the numbers of the file's
  // order; from then on reading and writing must change nothing.
  CheckAgainstArchive(session, "/work/in" + suffix, oldForm);
  LedgerReadResult first;
  LedgerReadResult second;
  LedgerReadResult third;
  (void)ReadAndWrite(session, "/work/in" + suffix, "/work/out1" + suffix, first);
  const std::string written = ReadAndWrite(session, "/work/out1" + suffix, "/work/out2" + suffix, second);
  const std::string again = ReadAndWrite(session, "/work/out2" + suffix, "/work/out3" + suffix, third);
  if (!second.complete || !third.complete) fuzz::Fail("a written ledger does not read back whole");
  if (first.pealsRead != second.pealsRead || second.pealsRead != third.pealsRead) {
    fuzz::Fail("a written ledger reads back with another peal count");
  }
  if (written != again) fuzz::Fail("a written ledger reads back to other bytes");
  return 0;
}

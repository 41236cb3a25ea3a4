// Import files that are not what they claim: SGML without a single tag, and binary junk under
// every import kind. The read loop ends, adds nothing it cannot read and leaves the ledger sound.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "peals/ledger_file.h"
#include "tests/import/import_fixture.h"

namespace tv {
namespace {

class DamagedImport : public ImportTest {
 protected:
  // Imports `bytes` as `kind` into a ledger of two peals; gives the status.
  Status ImportBytes(const std::string& kind, const std::string& bytes, ImportCounts& counts) {
    files.SetContents("/work/in.file", bytes);
    return ImportPealFile(doc, *FindImportFormat(kind), "/work/in.file", &counts);
  }
  // The ledger still saves and reads back with every peal of buffer 1.
  void ExpectSoundLedger() {
    const size_t peals = doc.PealsOf(kMainBuffer).size();
    const int buffers[] = {kMainBuffer};
    ASSERT_TRUE(WriteLedgerFile("/work/check.tv3", doc, buffers).ok());
    CPealLedger again;
    EXPECT_TRUE(ReadLedgerFile("/work/check.tv3", again).ok());
    EXPECT_EQ(again.lastPealNumber, peals);
  }
};

// Text with no "<" reads as one tag whose name is the whole text: the new dialect, which must
// open with its date key, adds nothing; the old dialect keeps the text as one undated record's
// unresolved item rather than losing it; the check adds nothing.
TEST_F(DamagedImport, SgmlWithoutATagAddsNoDatedPeal) {
  const std::string text = "Just words, a peal of 5040 Grandsire Triples\r\nand no tags at all\r\n";
  for (const char* kind : {"new-sgml", "check-sgml", "old-sgml"}) {
    SCOPED_TRACE(kind);
    CTolvaneDoc fresh;
    files.SetContents("/work/in.file", text);
    ImportCounts counts;
    const Status status = ImportPealFile(fresh, *FindImportFormat(kind), "/work/in.file", &counts);
    EXPECT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(counts.replaced, 0u);
    const std::vector<uint32_t> peals = fresh.PealsOf(kMainBuffer);
    if (std::string(kind) != "old-sgml") {
      EXPECT_TRUE(peals.empty());
      continue;
    }
    ASSERT_EQ(peals.size(), 1u);
    const CPeal& peal = *fresh.PealAt(peals[0]);
    EXPECT_EQ(peal.date, 0);
    ASSERT_EQ(peal.extras[kExtra].size(), 1u);
    EXPECT_EQ(peal.extras[kExtra][0], text + ":");
  }
}

TEST_F(DamagedImport, JunkUnderEveryKindEndsAndLeavesTheLedgerSound) {
  for (const ImportFormat& format : ImportFormats()) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
      SCOPED_TRACE(std::string(format.shortName) + " seed " + std::to_string(seed));
      std::mt19937 random(seed);
      std::string junk(seed * 900, '\0');
      for (char& c : junk) c = static_cast<char>(random() & 0xff);
      // Some junk with the format's own brackets in it, so parsers get past their first test.
      if (seed % 2 == 0) {
        for (size_t at = 0; at + 8 < junk.size(); at += 97) junk.replace(at, 3, seed % 4 ? "<p>" : "\r\n<");
      }
      ImportCounts counts;
      const Status status = ImportBytes(std::string(format.shortName), junk, counts);
      EXPECT_NE(status.code(), StatusCode::NotFound) << status.message();
      if (status.code() == StatusCode::BadData) {
        EXPECT_EQ(counts.appended + counts.replaced, 0u);
      }
      ExpectSoundLedger();
    }
  }
}

}  // namespace
}  // namespace tv

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

// Text with no "<" reads as one tag whose name is the whole text. The peal dialects refuse a file
// whose first record has no date key, before anything changes (no log, no index entry); the
// check, which makes no peals, reads it through.
TEST_F(DamagedImport, SgmlWithoutADatedFirstRecordIsRefused) {
  const std::string text = "Just words, a peal of 5040 Grandsire Triples\r\nand no tags at all\r\n";
  const std::string dump = "<k>1<tp>Canterbury<tn>12\r\n<k>2<tp>Maidstone\r\n";
  const std::string undated = "<q>A<n>Ann Jones<p>2003-01-01\r\n";
  const struct {
    const char* kind;
    std::string text;
    bool refused;
  } cases[] = {{"new-sgml", text, true},    {"new-sgml", dump, true},
               {"old-sgml", text, true},    {"old-sgml", undated, true},
               {"check-sgml", text, false}, {"check-sgml", dump, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + ": " + c.text);
    CTolvaneDoc fresh;
    files.Remove("/work/debug.txt");
    files.SetContents("/work/in.file", c.text);
    const int32_t persons = PersonIndex().Entry(0).right;
    ImportCounts counts;
    const Status status = ImportPealFile(fresh, *FindImportFormat(c.kind), "/work/in.file", &counts);
    EXPECT_EQ(status.code(), c.refused ? StatusCode::BadData : StatusCode::Ok) << status.message();
    EXPECT_TRUE(fresh.PealsOf(kMainBuffer).empty());
    EXPECT_EQ(fresh.modified, !c.refused);
    EXPECT_EQ(files.Exists("/work/debug.txt"), !c.refused);
    EXPECT_EQ(PersonIndex().Entry(0).right, persons);
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

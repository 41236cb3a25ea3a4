// tolvane-cli import and steeplex: a year's peals into a new ledger, the exit statuses, and the
// external tower data imported and listed for collation.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/archive.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "peals/ledger_file.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"

namespace tv::cli {
namespace {

class ImportCommand : public ::testing::Test {
 protected:
  ImportCommand() {
    CloseIndexSet();
    SteeplexXref().Clear();
  }
  ~ImportCommand() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }
  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    return RunCli(args, out, err);
  }
  uint32_t PealsIn(const std::string& path) {
    CPealLedger ledger;
    EXPECT_TRUE(ReadLedgerFile(path, ledger).ok());
    return ledger.lastPealNumber;
  }

  MemoryFileSystem files{"/work/"};
  ScopedServices services{&files, nullptr, nullptr};
  std::ostringstream out, err;
};

TEST_F(ImportCommand, ImportsIntoANewLedgerAndSavesIt) {
  files.SetContents("/work/1997.sgm",
                    "<k>2003-01-01/1<n>5040<r>Ann Jones\r\n<k>2003-01-02<n>5056\r\n");
  EXPECT_EQ(Run({"import", "/work/club.tv3", "new-sgml", "/work/1997.sgm"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), "Added 2, replaced 0\n");
  EXPECT_EQ(PealsIn("/work/club.tv3"), 2u);
  EXPECT_EQ(files.Contents("/work/debug.txt"), "2003-01-01/1 1\n2003-01-02 2\n");
  EXPECT_TRUE(files.Exists("/work/persons.id3"));
  // Again into the saved ledger: the sequenced peal is replaced, the other added again.
  EXPECT_EQ(Run({"import", "/work/club.tv3", "new-sgml", "/work/1997.sgm"}), kExitOk);
  EXPECT_EQ(out.str(), "Added 1, replaced 1\n");
  EXPECT_EQ(PealsIn("/work/club.tv3"), 3u);
}

// Regression: the import saved the ledger without having read its equivalences, so importing
// into an existing ledger emptied its equivalence file.
TEST_F(ImportCommand, ImportIntoALedgerKeepsItsEquivalences) {
  files.SetContents("/work/a.sgm", "<k>2003-01-01/1<n>5040<r>Ann Jones<r>Ann Smith\r\n");
  ASSERT_EQ(Run({"import", "/work/club.tv3", "new-sgml", "/work/a.sgm"}), kExitOk) << err.str();
  // Ann Jones (key 1) is counted as Ann Smith (key 2).
  const std::string equivalences("\x01\0\0\0\x02\0\0\0", 8);
  files.SetContents("/work/club.eq3", equivalences);
  files.SetContents("/work/b.sgm", "<k>2003-02-01/1<n>5040<r>Ann Jones\r\n");
  ASSERT_EQ(Run({"import", "/work/club.tv3", "new-sgml", "/work/b.sgm"}), kExitOk) << err.str();
  EXPECT_EQ(files.Contents("/work/club.eq3"), equivalences);
}

TEST_F(ImportCommand, CheckChangesOnlyTheLog) {
  files.SetContents("/work/1997.pea", "<q>A<p>2003-01-01 1@8000<w>10\r\n");
  EXPECT_EQ(Run({"import", "/work/club.tv3", "check-sgml", "/work/1997.pea"}), kExitOk);
  EXPECT_FALSE(files.Exists("/work/club.tv3"));
  EXPECT_EQ(files.Contents("/work/debug.txt"), "2003-01-01 1@8000 0 0 0\n");
}

TEST_F(ImportCommand, UnknownKindIsUsageAndMissingFileIsBadData) {
  EXPECT_EQ(Run({"import", "/work/club.tv3", "performances-csv", "/work/x"}), kExitUsage);
  EXPECT_EQ(err.str(),
            "tolvane-cli: unknown import kind 'performances-csv'; use old-sgml new-sgml "
            "marwick logwright check-sgml performances\n");
  EXPECT_EQ(Run({"import", "/work/club.tv3", "marwick", "/work/none.mpf"}), kExitData);
  EXPECT_EQ(err.str(), "tolvane-cli: /work/none.mpf was not found.\n");
  EXPECT_FALSE(files.Exists("/work/club.tv3"));
}

TEST_F(ImportCommand, SteeplexImportThenCollateListsTheUntiedRecords) {
  std::string main;
  for (int32_t key : {4096, 8192}) {
    CSteeplex record;
    record.key = key;
    record.location = "Ashby";
    record.county = 1;
    auto file = files.Open("/work/r", OpenMode::Create);
    {
      Archive archive(*file, Archive::Mode::Store);
      record.WriteRecord(archive);
    }
    main += files.Contents("/work/r");
  }
  files.SetContents("/data/steeplex.sxd", main);
  files.SetContents("/data/sxc.sxd", "Leics\r\n");
  EXPECT_EQ(Run({"steeplex", "import", "/data/steeplex.sxd"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), "Records: 2\nsxs: 0\nsxi: 0\nsxc: 1\nsxa: 0\nsxn: 0\nsxm: 0\n");
  EXPECT_EQ(Run({"steeplex", "collate"}), kExitOk);
  EXPECT_EQ(out.str(), "8192: Ashby,Leics\n4096: Ashby,Leics\n");
  EXPECT_EQ(Run({"steeplex", "import", "/data/none.sxd"}), kExitData);
  EXPECT_EQ(Run({"steeplex"}), kExitUsage);
}

}  // namespace
}  // namespace tv::cli

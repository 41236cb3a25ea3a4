// tolvane-cli over today's public data: the tower CSV into the external tower indexes, the
// methods library into the method index, performances in and out, and the exit statuses.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "output/performances_xml.h"
#include "peals/ledger_file.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"
#include "tests/support/sample_files.h"

namespace tv::cli {
namespace {

class PublicDataCommand : public ::testing::Test {
 protected:
  PublicDataCommand() {
    CloseIndexSet();
    SteeplexXref().Clear();
    for (const char* name : {"towers.csv", "methods.xml", "performances.xml"}) {
      files.SetContents(std::string("/data/") + name, testing::PublicSample(name));
    }
  }
  ~PublicDataCommand() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }
  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    return RunCli(args, out, err);
  }

  MemoryFileSystem files{"/work/"};
  ScopedServices services{&files, nullptr, nullptr};
  std::ostringstream out, err;
};

TEST_F(PublicDataCommand, TowerCsvFillsTheExternalIndexesAndSaysWhatItSkipped) {
  EXPECT_EQ(Run({"steeplex", "import-csv", "/data/towers.csv"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "Rows read: 79\nImported: 77 (0 replacing records with the same number)\nSkipped: 2\n"
            "  carillons: 2\nNew texts: 228\nline 39: grid reference 'J329672' is not read\n");
  EXPECT_EQ(Run({"index", "steeplex", "find", "Ab Kettleby"}), kExitOk);
  EXPECT_EQ(out.str(), "6918\t6918: Ab Kettleby,Leicestershire,S James\n");
  EXPECT_EQ(Run({"steeplex", "import-csv", "/data/none.csv"}), kExitData);
  EXPECT_EQ(err.str(), "tolvane-cli: /data/none.csv was not found.\n");
  EXPECT_EQ(Run({"steeplex", "import-csv", "/data/methods.xml"}), kExitData);
}

TEST_F(PublicDataCommand, MethodsLibraryGoesIntoTheMethodIndexOnly) {
  EXPECT_EQ(Run({"index", "methods", "import-xml", "/data/methods.xml"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), "Methods read: 14\nAdded: 14\nDated: 0\nUnchanged: 0\n");
  EXPECT_EQ(Run({"index", "methods", "find", "Grandsire"}), kExitOk);
  EXPECT_EQ(out.str(), "9\tGrandsire Triples\n");
  EXPECT_EQ(Run({"index", "towers", "import-xml", "/data/methods.xml"}), kExitUsage);
  EXPECT_EQ(Run({"index", "methods", "import-xml", "/data/towers.csv"}), kExitData);
}

TEST_F(PublicDataCommand, PerformancesInAndOutGiveTheSameBytesAsTheLibrary) {
  EXPECT_EQ(Run({"import", "/work/club.tv3", "performances", "/data/performances.xml"}), kExitOk)
      << err.str();
  EXPECT_EQ(out.str(), "Added 2, replaced 0\n");
  EXPECT_EQ(Run({"import", "/work/club.tv3", "performances", "/data/performances.xml"}), kExitOk);
  EXPECT_EQ(out.str(), "Added 0, replaced 2\n");

  EXPECT_EQ(Run({"export", "/work/club.tv3", "performances-xml"}), kExitOk) << err.str();
  const std::string written = out.str();
  CPealLedger ledger;
  ASSERT_TRUE(ReadLedgerFile("/work/club.tv3", ledger).ok());
  OpenIndexSet("/work/");
  EXPECT_EQ(written, PerformancesXml(BufferPeals(ledger, kMainBuffer)));
  CloseIndexSet();
  EXPECT_NE(written.find("<performance id=\"P1000002\">"), std::string::npos);
}

TEST_F(PublicDataCommand, MalformedPerformancesFileLeavesTheLedgerUnwritten) {
  files.SetContents("/data/bad.xml", "<performances><performance>");
  EXPECT_EQ(Run({"import", "/work/club.tv3", "performances", "/data/bad.xml"}), kExitData);
  EXPECT_NE(err.str().find("not well-formed XML"), std::string::npos) << err.str();
  EXPECT_FALSE(files.Exists("/work/club.tv3"));
}

}  // namespace
}  // namespace tv::cli

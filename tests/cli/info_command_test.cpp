// tolvane-cli info: the summary of a ledger, and the exit status of a ledger read only in part.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/archive.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "peals/peal_record.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"

namespace tv::cli {
namespace {

class InfoCommand : public ::testing::Test {
 protected:
  InfoCommand() {
    OpenIndexSet();
    auto yorkshire = std::make_unique<CAssoc>();
    yorkshire->name = "Yorkshire Association";
    AssocIndex().AddWithKey(std::move(yorkshire), 5);
  }
  ~InfoCommand() override { CloseIndexSet(); }

  // A ledger of peals on 1, 2 and 3 June 2003; the second rung for association 5 and the
  // third for association 0.
  void WriteLedger(const std::string& path, size_t cutFromEnd = 0) {
    {
      auto file = files.Open(path, OpenMode::Create);
      Archive out(*file, Archive::Mode::Store);
      for (int day = 1; day <= 3; ++day) {
        CPeal peal;
        peal.date = MakeDate(day, 6, 2003);
        peal.association = day == 3 ? 0 : 5;
        peal.SerializeRecord(out, false);
      }
      out.Flush();
    }
    const std::string bytes = files.Contents(path);
    files.SetContents(path, bytes.substr(0, bytes.size() - cutFromEnd));
  }

  int Run(std::vector<std::string> args) {
    return RunCli(args, out, err);
  }

  MemoryFileSystem files;
  ScopedServices services{&files, nullptr, nullptr};
  std::ostringstream out, err;
};

TEST_F(InfoCommand, SummarisesAWholeLedger) {
  WriteLedger("/work/club.tv3");
  EXPECT_EQ(Run({"info", "/work/club.tv3"}), kExitOk);
  EXPECT_EQ(out.str(),
            "Ledger: /work/club.tv3\n"
            "Peals: 3\n"
            "Dates: 1/6/2003 to 3/6/2003\n"
            "Associations:\n"
            "  1\t(none)\n"
            "  2\tYorkshire Association\n"
            "Read to end: yes\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(InfoCommand, LedgerReadInPartIsBadData) {
  WriteLedger("/work/club.tv3", 1);
  EXPECT_EQ(Run({"info", "/work/club.tv3"}), kExitData);
  EXPECT_NE(out.str().find("Peals: 2\n"), std::string::npos);
  EXPECT_NE(out.str().find("Read to end: no\n"), std::string::npos);
  EXPECT_EQ(err.str().rfind("tolvane-cli: /work/club.tv3 was read only in part: 2 peals read; "
                            "reading stopped at byte ", 0), 0u);
}

TEST_F(InfoCommand, MissingLedgerIsBadDataAndMissingArgumentIsUsage) {
  EXPECT_EQ(Run({"info", "/work/none.tv3"}), kExitData);
  EXPECT_EQ(err.str(), "tolvane-cli: /work/none.tv3 was not found.\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Run({"info"}), kExitUsage);
}

}  // namespace
}  // namespace tv::cli

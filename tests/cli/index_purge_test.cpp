// tolvane-cli index NAME purge on a demonstration database: refused unless told what is in
// use, and with --used-by every entry a ledger names survives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "core/services.h"
#include "refdb/index_set.h"

namespace tv::cli {
namespace {

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class IndexPurge : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ::testing::TempDir() + "tolvane_purge_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ASSERT_EQ(Cli({"demo", dir, "--peals", "80"}).status, kExitOk);
    ledger = dir + "/demo.tv3";
  }
  void TearDown() override {
    CloseIndexSet();
    std::filesystem::remove_all(dir);
  }
  CliResult Cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = RunCli(args, out, err);
    CloseIndexSet();
    return {status, out.str(), err.str()};
  }
  std::string Export(const std::string& path) { return Cli({"--db", dir, "export", path, "rw"}).out; }
  int Entries(const char* name) {
    const std::string list = Cli({"--db", dir, "index", name, "list"}).out;
    return static_cast<int>(std::count(list.begin(), list.end(), '\n'));
  }
  std::string dir;
  std::string ledger;
};

TEST_F(IndexPurge, IsRefusedUnlessToldWhatIsInUse) {
  const std::string table = FileBytes(dir + "/persons.id3");
  struct Refusal {
    std::vector<std::string> args;
    const char* says;
  } refusals[] = {
      {{"index", "persons", "purge"}, "--used-by"},
      {{"index", "persons", "purge", "--all", "--used-by", "x.tv3"}, "not both"},
      {{"index", "sxs", "purge", "--used-by", "x.tv3"}, "peals name no entries of sxs"},
      {{"index", "persons", "list", "--all"}, "purge only"},
  };
  for (const Refusal& refusal : refusals) {
    std::vector<std::string> args = {"--db", dir};
    args.insert(args.end(), refusal.args.begin(), refusal.args.end());
    const CliResult run = Cli(args);
    EXPECT_EQ(run.status, kExitUsage) << refusal.says;
    EXPECT_NE(run.err.find(refusal.says), std::string::npos) << run.err;
  }
  // A ledger that cannot be read stops the purge before anything is removed.
  const CliResult missing = Cli({"--db", dir, "index", "persons", "purge", "--used-by", dir + "/none.tv3"});
  EXPECT_EQ(missing.status, kExitData);
  EXPECT_NE(missing.err.find("nothing was purged"), std::string::npos) << missing.err;
  EXPECT_EQ(FileBytes(dir + "/persons.id3"), table);
}

TEST_F(IndexPurge, UsedByKeepsEveryEntryTheLedgersName) {
  const std::string peals = Export(ledger);
  const std::string quarters = Export(dir + "/demo.qv3");
  ASSERT_NE(peals.find("Ashworth"), std::string::npos);
  for (const char* name : {"persons", "towers", "methods", "assocs", "comps", "counts", "saints"}) {
    const int before = Entries(name);
    const CliResult run = Cli({"--db", dir, "index", name, "purge", "--used-by", ledger, dir + "/demo.qv3"});
    EXPECT_EQ(run.status, kExitOk) << name << ": " << run.err;
    EXPECT_EQ(run.out.rfind("Removed ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(" of " + std::to_string(before) + " entries of " + name), std::string::npos)
        << run.out;
    EXPECT_TRUE(std::filesystem::exists(dir + "/" + name + ".old")) << name;
    EXPECT_TRUE(std::filesystem::exists(dir + "/" + name + ".odx")) << name;
  }
  // Every peal prints as it did: no ringer, tower, method or society went missing.
  EXPECT_EQ(Export(ledger), peals);
  EXPECT_EQ(Export(dir + "/demo.qv3"), quarters);
}

TEST_F(IndexPurge, UsedByOneLedgerRemovesWhatOnlyTheOtherNamesAndAllEmptiesTheIndex) {
  const int before = Entries("persons");
  const CliResult run = Cli({"--db", dir, "index", "persons", "purge", "--used-by", ledger});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const int after = Entries("persons");
  EXPECT_LT(after, before);
  EXPECT_EQ(run.out.substr(0, run.out.find(" of ")), "Removed " + std::to_string(before - after));

  const CliResult all = Cli({"--db", dir, "index", "persons", "purge", "--all"});
  ASSERT_EQ(all.status, kExitOk) << all.err;
  EXPECT_EQ(all.out.substr(0, all.out.find(" entries")), "Removed " + std::to_string(after) + " of " +
                                                             std::to_string(after));
  EXPECT_EQ(Entries("persons"), 0);
}

}  // namespace
}  // namespace tv::cli

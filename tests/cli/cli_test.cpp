// The command line's global options, help and exit statuses, run in-process.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/services.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"

namespace tv::cli {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunWith(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

namespace {

TEST(CliTest, HelpListsTheGlobalOptionsAndExitsZero) {
  const CliRun run = RunWith({"--help"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find("--db"), std::string::npos);
  EXPECT_NE(run.out.find("--today"), std::string::npos);
}

TEST(CliTest, UnknownCommandIsOneClearLineAndAUsageError) {
  const CliRun run = RunWith({"frobnicate"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.err, "tolvane-cli: unknown command 'frobnicate'; run tolvane-cli --help for the list\n");
  EXPECT_EQ(run.out, "");
}

TEST(CliTest, NoCommandIsAUsageError) {
  const CliRun run = RunWith({});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST(CliTest, UnknownOptionIsAUsageError) {
  const CliRun run = RunWith({"--colour", "frobnicate"});
  EXPECT_EQ(run.status, kExitUsage);
}

}  // namespace
}  // namespace tv::cli

namespace tv::cli {
namespace {

class CliIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ::testing::TempDir() + "tolvane_cli_index_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string dir;
};

TEST_F(CliIndexTest, ListsFindsAndShowsEntriesOfAnIndex) {
  {
    ScopedServices none(nullptr, nullptr, nullptr);
    OpenIndexSet(dir + "/");
    for (const char* name : {"Kent", "Devon", "Avon"}) {
      auto county = std::make_unique<CCounty>();
      county->name = name;
      county->abbreviation = name;
      CountyIndex().InsertNew(std::move(county));
    }
    SaveAllIndexes();
    CloseIndexSet();
  }
  CliRun run = RunWith({"--db", dir, "index", "counts", "list"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "3\tAvon\n2\tDevon\n1\tKent\n");
  run = RunWith({"--db", dir, "index", "counts", "find", "dev"});
  EXPECT_EQ(run.out, "2\tDevon\n");
  run = RunWith({"--db", dir, "index", "counts", "show", "1"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "Kent\n");
  run = RunWith({"--db", dir, "index", "counts", "show", "9"});
  EXPECT_EQ(run.status, kExitData);
  EXPECT_EQ(run.err, "tolvane-cli: counts has no entry 9\n");
}

TEST_F(CliIndexTest, BadUseIsOneLineWithExitTwo) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--db", dir, "index", "nonsense", "list"},
           {"--db", dir, "index", "counts", "explode"},
           {"--db", dir, "index", "counts", "show"},
           {"--db", dir, "--today", "31/4/2003", "index", "counts", "list"},
           {"--db", dir, "--today", "yesterday", "index", "counts", "list"}}) {
    const CliRun run = RunWith(args);
    EXPECT_EQ(run.status, kExitUsage) << args[2] << " " << args[3];
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
  }
  const CliRun missing = RunWith({"--db", dir + "/nowhere", "index", "counts", "list"});
  EXPECT_EQ(missing.status, kExitData);
}

}  // namespace
}  // namespace tv::cli

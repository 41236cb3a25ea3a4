// The command line's global options, help and exit statuses, run in-process.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tv::cli {
namespace {

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

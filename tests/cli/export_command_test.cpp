// tolvane-cli export: its options and statuses in process, and the built program's bytes against
// the library's for every format.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "output/export_formats.h"
#include "output/marwick_export.h"
#include "peals/ledger_file.h"
#include "tests/output/output_fixture.h"

namespace tv::cli {
namespace {

using tv::testing::OutputTest;

// Fills `ledger` with the rich peal and two plainer ones, in file order.
void FillLedger(CPealLedger& ledger) {
  auto rich = std::make_unique<CPeal>(OutputTest::RichPeal());
  auto quarter = std::make_unique<CPeal>(OutputTest::RichPeal());
  quarter->date = MakeDate(20, 3, 2003);
  quarter->changes = 1260;
  quarter->association = 0;
  quarter->ringers.resize(4);
  auto hand = std::make_unique<CPeal>();
  hand->date = MakeDate(1, 4, 2003);
  hand->handbell = true;
  hand->tower = tv::testing::kHandVenue;
  hand->method = tv::testing::kSplicedMajor;
  hand->ringers = {tv::testing::kBobKing, tv::testing::kSueLong};
  for (auto* peal : {&rich, &quarter, &hand}) {
    const uint32_t number = ledger.AddPeal(std::move(*peal));
    ledger.InsertIntoBuffer(number, kMainBuffer);
  }
}

class ExportCommandLine : public OutputTest {
 protected:
  ExportCommandLine() {
    CPealLedger ledger;
    FillLedger(ledger);
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile("/out/club.tv3", ledger, buffers).ok());
  }
  int Run(std::vector<std::string> args) { return RunCli(args, out, err); }
  // What the library writes for the ledger file.
  std::string LibraryBytes(const char* format, CExportOptions options = DocumentExportOptions()) {
    CPealLedger ledger;
    EXPECT_NE(ReadLedgerFile("/out/club.tv3", ledger).code(), StatusCode::NotFound);
    std::string bytes;
    EXPECT_TRUE(
        ExportToText(*FindExportFormat(format), BufferPeals(ledger, kMainBuffer), options, bytes)
            .ok());
    return bytes;
  }
  std::ostringstream out, err;
};

TEST_F(ExportCommandLine, OptionsTurnTheDocumentDefaultsOnAndOff) {
  ASSERT_EQ(Run({"export", "/out/club.tv3", "line", "--no-tower", "--no-rw-ref", "--renumber",
                 "--tabs"}),
            kExitOk);
  CExportOptions options = DocumentExportOptions();
  options.includeTower = false;
  options.includeRwRef = false;
  options.renumber = true;
  options.useTabs = true;
  EXPECT_EQ(out.str(), LibraryBytes("line", options));
  EXPECT_EQ(out.str().substr(0, 16), "    1\t15/3/2003\t");
  EXPECT_EQ(err.str(), "");
}

TEST_F(ExportCommandLine, WritesTheNamedFileAndNothingToStandardOutput) {
  ASSERT_EQ(Run({"export", "/out/club.tv3", "csv-full", "-o", "/out/club.csv", "--no-number"}),
            kExitOk);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(files.Contents("/out/club.csv"), LibraryBytes("csv-full"));
}

TEST_F(ExportCommandLine, UsageAndDataErrors) {
  EXPECT_EQ(Run({"export", "/out/club.tv3", "pdf"}), kExitUsage);
  EXPECT_NE(err.str().find("unknown export format 'pdf'; the formats are: line rw "),
            std::string::npos);
  EXPECT_EQ(Run({"export", "/out/club.tv3", "marwick", "-o", "/out/x"}), kExitUsage);
  err.str("");
  EXPECT_EQ(Run({"export", "/out/none.tv3", "rw"}), kExitData);
  EXPECT_EQ(err.str(), "tolvane-cli: /out/none.tv3 was not found.\n");
}

// Regression: peals without a tower were left out of the per-tower export without a word.
TEST_F(ExportCommandLine, PerTowerExportSaysHowManyPealsHadNoTower) {
  CPealLedger ledger;
  FillLedger(ledger);
  for (int day : {5, 6}) {
    auto nowhere = std::make_unique<CPeal>();
    nowhere->date = MakeDate(day, 4, 2003);
    ledger.InsertIntoBuffer(ledger.AddPeal(std::move(nowhere)), kMainBuffer);
  }
  const int buffers[] = {kMainBuffer};
  ASSERT_TRUE(WriteLedgerFile("/out/club.tv3", ledger, buffers).ok());
  ASSERT_EQ(Run({"export", "/out/club.tv3", "marwick"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "2 peals have no tower and were not exported.\n");
  EXPECT_NE(files.Contents("/out/f1/1234.mp1"), "");
  EXPECT_EQ(files.Contents("/out/t0/8.mp1"), "@0\r\n01/04/2003 Spliced Surprise Major (8 Methods)\r\n");
}

TEST_F(ExportCommandLine, LedgerReadInPartIsExportedAsFarAsItWasReadAndIsBadData) {
  const std::string bytes = files.Contents("/out/club.tv3");
  files.SetContents("/out/club.tv3", bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(Run({"export", "/out/club.tv3", "csv-ringer"}), kExitData);
  EXPECT_EQ(out.str(), LibraryBytes("csv-ringer"));
  EXPECT_NE(err.str().find("read only in part"), std::string::npos);
}

// --- the built program ---

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ExportProgram : public ::testing::Test {
 protected:
  ExportProgram() {
    char pattern[] = "/tmp/tolvane-export-XXXXXX";
    m_dir = mkdtemp(pattern);
    std::filesystem::create_directories(m_dir / "db");
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet((m_dir / "db").string() + "/");
    OutputTest::MakeReferences();
    SaveAllIndexes();
    CPealLedger ledger;
    FillLedger(ledger);
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile(Ledger(), ledger, buffers).ok());
    // Person 29 counted as person 21, in the ledger's equivalence file beside the indexes.
    std::ofstream(m_dir / "db" / "club.eq3", std::ios::binary)
        .write("\x1d\0\0\0\x15\0\0\0", 8);
    PersonIndex().equivalences.AddEquivalence(tv::testing::kRevGrey, tv::testing::kAnnBell);
  }
  ~ExportProgram() override {
    CloseIndexSet();
    std::filesystem::remove_all(m_dir);
  }

  std::string Ledger() const { return (m_dir / "club.tv3").string(); }

  // Runs the program in `directory` with the index directory and the ledger; gives its exit
  // status and its standard output.
  int RunProgram(const std::filesystem::path& directory, const std::string& arguments,
                 std::string& output) {
    const std::string command = "cd '" + directory.string() + "' && '" TOLVANE_CLI_PROGRAM
                                "' --db '" + (m_dir / "db").string() + "' export '" + Ledger() +
                                "' " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    return pclose(pipe);
  }

  std::vector<const CPeal*> Peals() {
    if (m_ledger.lastPealNumber == 0) {
      EXPECT_TRUE(ReadLedgerFile(Ledger(), m_ledger).ok());
    }
    return BufferPeals(m_ledger, kMainBuffer);
  }

  std::filesystem::path m_dir;
  CPealLedger m_ledger;
};

TEST_F(ExportProgram, WritesTheLibrarysBytesForEveryFormat) {
  for (const CExportFormat* format : ExportFormats()) {
    SCOPED_TRACE(format->ShortName());
    CExportOptions options = DocumentExportOptions();
    if (format->OutputFiles() == ExportOutput::TowerFolders) {
      const std::filesystem::path run = m_dir / "run";
      std::filesystem::create_directories(run);
      std::string output;
      ASSERT_EQ(RunProgram(run, format->ShortName(), output), 0);
      EXPECT_EQ(output, "");
      const std::filesystem::path library = m_dir / "library";
      std::filesystem::create_directories(library);
      const CMarwickResult result = ExportMarwick(Peals(), library.string() + "/");
      ASSERT_EQ(result.pealsWritten, 3);
      for (const char* file : {"f1/1234.mp1", "t0/8.mp1"}) {
        EXPECT_EQ(ReadFile(run / file), ReadFile(library / file)) << file;
        EXPECT_FALSE(ReadFile(run / file).empty());
      }
      continue;
    }
    std::string expected;
    ASSERT_TRUE(ExportToText(*format, Peals(), options, expected).ok());
    ASSERT_FALSE(expected.empty());
    std::string output;
    const std::filesystem::path file = m_dir / ("out." + format->ShortName());
    ASSERT_EQ(RunProgram(m_dir, format->ShortName() + " -o '" + file.string() + "'", output), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(ReadFile(file), expected);
    output.clear();
    ASSERT_EQ(RunProgram(m_dir, format->ShortName(), output), 0);
    EXPECT_EQ(output, expected);
  }
}

}  // namespace
}  // namespace tv::cli

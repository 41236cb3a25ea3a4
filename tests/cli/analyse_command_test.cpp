// tolvane-cli analyse: the Export text of every analysis, main and alternative, the selection
// it runs under, and its statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/cli.h"
#include "peals/ledger_file.h"
#include "tests/analysis/analysis_fixture.h"

namespace tv::cli {
namespace {

using namespace tv::testing;

class AnalyseCommandLine : public AnalysisTest {
 protected:
  AnalyseCommandLine() {
    Add({.date = Day(1, 3, 2003), .tower = kLeeds, .association = kYorkshire,
         .method = kYorkshireMajor, .changes = 5056, .time = 190, .tenor = 2000,
         .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kTom, kSue, kBob}, .conductor = kMary,
         .composer = kAnn});
    Add({.date = Day(29, 2, 2004), .tower = kHeadington, .association = kOxford,
         .method = kPlainBobMinor, .changes = 5040, .time = 170,
         .ringers = {kMary, kJane, kAnn, kJohn, kEve, kTom}, .conductor = kJane,
         .composer = kJohn, .arranger = kAnn});
    Add({.date = Day(2, 4, 2005), .association = kCollege, .method = kSpliced23,
         .changes = 5024, .time = 150, .handbell = true, .ringers = {kAnn, kMary, kJohn, kEve}});
    Add({.date = Day(3, 4, 2005), .tower = kIlkley, .method = kStedmanTriples, .ringers = {kAnn},
         .invalid = true});
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile("/work/club.tv3", ledger, buffers).ok());
  }

  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    return RunCli(args, out, err);
  }

  // What the analysis document exports for the ledger file.
  std::string LibraryText(AnalysisKind kind, bool alternative, const CAnalOptions& ticked = {}) {
    CPealLedger read;
    EXPECT_TRUE(ReadLedgerFile("/work/club.tv3", read).ok());
    CAnalDoc analysis;
    analysis.showAlternative = alternative;
    analysis.Run(read, kMainBuffer, kind, ticked, {.kind = 14, .key = 0});
    return analysis.ExportText();
  }

  std::ostringstream out, err;
};

TEST_F(AnalyseCommandLine, PrintsTheExportTextOfEveryAnalysisMainAndAlternative) {
  for (int i = 0; i < kAnalysisKindCount; ++i) {
    const auto kind = static_cast<AnalysisKind>(i);
    const std::string by(AnalysisName(kind));
    for (const bool alternative : {false, true}) {
      SCOPED_TRACE(by + (alternative ? " --alternative" : ""));
      std::vector<std::string> args = {"analyse", "/work/club.tv3", by, "--changes", "--time"};
      if (alternative) args.emplace_back("--alternative");
      ASSERT_EQ(Run(args), kExitOk) << err.str();
      EXPECT_EQ(out.str(), LibraryText(kind, alternative, {.showChanges = true, .showTime = true}));
      EXPECT_TRUE(out.str().starts_with("Sat Jun 1 2024\r\n\r\n"));
      EXPECT_EQ(err.str(), "");
    }
  }
}

TEST_F(AnalyseCommandLine, AssociationsWithEveryOptionLineByLine) {
  ASSERT_EQ(Run({"analyse", "/work/club.tv3", "association", "--changes", "--time", "--date",
                 "--recent", "--fantasy"}),
            kExitOk);
  EXPECT_EQ(out.str(),
            "Sat Jun 1 2024\r\n"
            "\r\n"
            "3 Items\r\n"
            "\r\n"
            "Total Hand      First   Score   Changes  Time\r\n"
            "    1    1   2/4/2005   -7000     5024     2 Ancient Society of College Youths\r\n"
            "    1       29/2/2004   -7398     5040     2 Oxford Diocesan Guild\r\n"
            "    1        1/3/2003   -7763     5056     3 Yorkshire Association\r\n");
}

TEST_F(AnalyseCommandLine, TowersUnderARingerSelectionCountWhatTheRingerConducted) {
  ASSERT_EQ(Run({"analyse", "/work/club.tv3", "tower", "--select", "ringer=MJ"}), kExitOk)
      << err.str();
  EXPECT_EQ(out.str(),
            "Sat Jun 1 2024\r\n"
            "\r\n"
            "2 Items\r\n"
            "\r\n"
            "   Total     Hand\r\n"
            " Rung Cond Rung Cond  Bells\r\n"
            "    1    1             0   0   0   0   0   0   1   0   0   0   0   0 LEEDS, W Yorks\r\n"
            "    1                  1   0   0   0   0   0 HEADINGTON, Oxon\r\n");
  // The handbell peal at no tower has no row; its bells have no tower to go to.
}

// Regression: undated peals were counted as rung on 31 December 1600 ("Dec 1600", a 1600 row in
// the year grid), and first dates started from today, so a peal dated after today showed today.
class UndatedAndFuturePeals : public AnalyseCommandLine {
 protected:
  static constexpr uint32_t kNewtown = 9;  // rung only after today

  UndatedAndFuturePeals() {
    Add({.tower = kIlkley, .method = kStedmanTriples, .changes = 5040, .ringers = {kJane}});
    AddTower(kNewtown, "Newtown", 0, 8);
    Add({.date = Day(1, 1, 2030), .tower = kNewtown, .method = kStedmanTriples,
         .changes = 5040, .ringers = {kJane}});
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile("/work/club.tv3", ledger, buffers).ok());
  }

  // The printed lines without the date line and the empty line after it, CR LF removed.
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    std::istringstream text(out.str());
    for (std::string line; std::getline(text, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return std::vector<std::string>(lines.begin() + 2, lines.end());
  }
  static bool Has(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&text](const std::string& line) { return line.find(text) != std::string::npos; });
  }
};

TEST_F(UndatedAndFuturePeals, MonthsAndDaysShowUndatedPealsInARowOfTheirOwn) {
  ASSERT_EQ(Run({"--today", "15/6/2024", "analyse", "/work/club.tv3", "month"}), kExitOk) << err.str();
  std::vector<std::string> lines = Lines();
  EXPECT_FALSE(Has(lines, "1600"));
  EXPECT_TRUE(Has(lines, "Jan 2030"));
  // Keys in order, the undated row last.
  EXPECT_EQ(lines.back().substr(lines.back().size() - 7), "No date");

  ASSERT_EQ(Run({"--today", "15/6/2024", "analyse", "/work/club.tv3", "month", "--alternative"}),
            kExitOk);
  lines = Lines();
  EXPECT_FALSE(Has(lines, "1600"));
  ASSERT_GE(lines.size(), 2u);
  // Five counted peals (the withdrawn one is not), one of them undated: counted in the total,
  // in no month's cell.
  EXPECT_EQ(lines[lines.size() - 2].substr(0, 7), "No date");
  EXPECT_EQ(lines[lines.size() - 2].find_first_not_of(' ', 7), lines[lines.size() - 2].size() - 1);
  EXPECT_EQ(lines.back().substr(lines.back().size() - 1), "5");

  ASSERT_EQ(Run({"--today", "15/6/2024", "analyse", "/work/club.tv3", "day"}), kExitOk);
  lines = Lines();
  EXPECT_TRUE(Has(lines, "No date"));
}

TEST_F(UndatedAndFuturePeals, FirstDateIsTheEarliestDatedPealEvenAfterToday) {
  ASSERT_EQ(Run({"--today", "15/6/2024", "analyse", "/work/club.tv3", "tower", "--date"}), kExitOk)
      << err.str();
  const std::vector<std::string> lines = Lines();
  const auto line = [&lines](const std::string& place) {
    const auto it = std::find_if(lines.begin(), lines.end(), [&place](const std::string& l) {
      return l.find(place) != std::string::npos;
    });
    return it == lines.end() ? std::string() : *it;
  };
  // Newtown's only peal is dated after today; Ilkley's only counted peal has no date, so it has
  // no first date to show.
  EXPECT_NE(line("NEWTOWN").find(" 1/1/2030 "), std::string::npos) << line("NEWTOWN");
  ASSERT_NE(line("ILKLEY"), "");
  EXPECT_EQ(line("ILKLEY").find('/'), std::string::npos) << line("ILKLEY");
  EXPECT_FALSE(Has(lines, "15/6/2024"));
}

TEST_F(AnalyseCommandLine, UnknownAnalysisIsAUsageErrorAndAMissingLedgerBadData) {
  EXPECT_EQ(Run({"analyse", "/work/club.tv3", "county"}), kExitUsage);
  EXPECT_EQ(err.str(), "tolvane-cli: unknown analysis 'county'; the choices are: association "
                       "tower changes time composer method ringer pac day month\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Run({"analyse", "/work/none.tv3", "tower"}), kExitData);
  EXPECT_EQ(out.str(), "");
}

TEST_F(AnalyseCommandLine, SelectionThatFindsNothingPrintsNothing) {
  EXPECT_EQ(Run({"analyse", "/work/club.tv3", "tower", "--select", "changes=9000.."}), kExitData);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("No Match Found"), std::string::npos);
}

}  // namespace
}  // namespace tv::cli

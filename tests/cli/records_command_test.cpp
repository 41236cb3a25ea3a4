// tolvane-cli records: a ringer's record and the milestones of a selection over a peal and a
// quarter-peal ledger counted apart, in text, CSV and HTML, and its refusals.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include <nlohmann/json.hpp>

#include "peals/ledger_file.h"
#include "refdb/tower.h"
#include "tests/analysis/analysis_fixture.h"

namespace tv::cli {
namespace {

using namespace tv::testing;

constexpr uint32_t kMarkup = 10;  // a person whose name carries markup

class RecordsCommandLine : public AnalysisTest {
 protected:
  RecordsCommandLine() {
    AddPerson(kMarkup, "<b>Al", "Smith & Co");
    Add({.date = Day(1, 3, 2003), .tower = kHeadington, .association = kOxford,
         .method = kPlainBobMinor, .changes = 5040, .time = 170,
         .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kMarkup}, .conductor = kJohn});
    Add({.date = Day(2, 3, 2004), .tower = kHeadington, .association = kOxford,
         .method = kPlainBobMinor, .changes = 5040, .time = 165,
         .ringers = {kJohn, kJane, kMary, kPeter, kEve, kTom}, .conductor = kJohn});
    Add({.date = Day(3, 3, 2004), .tower = kHeadington, .method = kPlainBobMinor,
         .ringers = {kAnn}, .invalid = true});
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile("/work/club.tv3", ledger, buffers).ok());
    ledger.ResetLedger();
    Add({.date = Day(5, 5, 2004), .tower = kLeeds, .association = kYorkshire,
         .method = kYorkshireMajor, .changes = 1280, .time = 45,
         .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kTom, kSue, kBob}});
    EXPECT_TRUE(WriteLedgerFile("/work/club.qv3", ledger, buffers).ok());
    // Jane is Ann's married name, in the peal ledger's equivalences.
    std::string equivalence;
    for (const uint32_t v : {uint32_t{kJane}, uint32_t{kAnn}}) {
      for (int shift = 0; shift < 32; shift += 8) equivalence += static_cast<char>((v >> shift) & 0xFF);
    }
    EXPECT_TRUE(Files().WriteAllSafely("/db/club.eq3", equivalence));
  }

  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    args.insert(args.begin(), {"--today", "1/6/2024"});
    return RunCli(args, out, err);
  }

  std::ostringstream out, err;
};

TEST_F(RecordsCommandLine, RingerRecordCountsPealsAndQuartersApart) {
  ASSERT_EQ(Run({"records", "/work/club.tv3", "/work/club.qv3", "--ringer", "Ann Bell"}), kExitOk)
      << err.str();
  EXPECT_EQ(err.str(), "ringer: 1 Ann Bell\n");
  const std::string text = out.str();
  EXPECT_TRUE(text.starts_with("Ann Bell: peals\r\nSat Jun 1 2024.\r\nCounted over 2 peals; "));
  // Two peals (one as Jane; the withdrawn one left out), one quarter peal.
  EXPECT_NE(text.find("  Performances       2\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Ann Bell: quarter peals\r\n"), std::string::npos);
  EXPECT_NE(text.find("Counted over 1 quarter peals"), std::string::npos);
  EXPECT_NE(text.find("  Performances       1\r\n"), std::string::npos);
  EXPECT_NE(text.find("1st quarter peal with Bob King"), std::string::npos);
  EXPECT_EQ(text.find("3rd"), std::string::npos);
  // Headington: bells 1 and 2 of six.
  EXPECT_NE(text.find("  1 2         needs 3 4 5 6\r\n"), std::string::npos) << text;
  // Byte-stable for a fixed today.
  ASSERT_EQ(Run({"records", "/work/club.tv3", "/work/club.qv3", "--ringer", "Ann Bell"}), kExitOk);
  EXPECT_EQ(out.str(), text);

  ASSERT_EQ(Run({"records", "/work/club.tv3", "--ringer", "Ann Bell", "--all"}), kExitOk);
  EXPECT_NE(out.str().find("  Performances       3\r\n"), std::string::npos);
}

TEST_F(RecordsCommandLine, HtmlIsEscapedAndCsvQuoted) {
  ASSERT_EQ(Run({"records", "/work/club.tv3", "--ringer", "#10", "--html"}), kExitOk) << err.str();
  const std::string html = out.str();
  EXPECT_TRUE(html.starts_with("<!DOCTYPE html>\r\n"));
  EXPECT_TRUE(html.ends_with("</html>\r\n"));
  EXPECT_NE(html.find("<h1>&lt;b&gt;Al Smith &amp; Co: peals</h1>"), std::string::npos) << html;
  EXPECT_EQ(html.find("<b>Al"), std::string::npos);

  ASSERT_EQ(Run({"records", "/work/club.tv3", "--ringer", "#10", "--csv"}), kExitOk);
  EXPECT_TRUE(out.str().starts_with("\"Record\",\"Section\",\"What\",\"Number\"\r\n"
                                    "\"<b>Al Smith & Co: peals\",\"Totals\",\"Performances\",\"1\"\r\n"))
      << out.str();
}

TEST_F(RecordsCommandLine, MilestonesOfASelectionCountEarlierPeals) {
  ASSERT_EQ(Run({"records", "/work/club.tv3", "--milestones", "--select", "date=1/1/2004..31/12/2004"}),
            kExitOk)
      << err.str();
  const std::string text = out.str();
  // John's second peal is no milestone; Tom's first is, and Ann's (as Jane) only with Tom.
  EXPECT_NE(text.find("Tom Hart\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("1st peal with Tom Hart"), std::string::npos);
  EXPECT_EQ(text.find("Jane Hill"), std::string::npos);
  EXPECT_EQ(text.find("2003"), std::string::npos);
  EXPECT_NE(text.find("Selected: 1 peals"), std::string::npos);
}

TEST_F(RecordsCommandLine, Refusals) {
  EXPECT_EQ(Run({"records", "/work/club.tv3"}), kExitUsage);
  EXPECT_NE(err.str().find("either --ringer TEXT or --milestones"), std::string::npos);
  EXPECT_EQ(Run({"records", "/work/club.tv3", "--ringer", "Nobody Known", "--milestones"}), kExitUsage);
  EXPECT_EQ(Run({"records", "/work/club.tv3", "--ringer", "Nobody Known"}), kExitData);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Run({"records", "/work/missing.tv3", "--ringer", "Ann Bell"}), kExitData);
  // Given twice, a ledger would count double.
  EXPECT_EQ(Run({"records", "/work/club.tv3", "club.tv3", "--ringer", "Ann Bell"}), kExitUsage);
  EXPECT_NE(err.str().find("given twice"), std::string::npos);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Run({"records", "/work/club.tv3", "/work/club.qv3", "--milestones", "--select",
                 "date=1/1/1990..31/12/1990"}),
            kExitData);
  EXPECT_NE(err.str().find("No Match Found"), std::string::npos);
  // Found in one of the ledgers only: the other adds nothing.
  EXPECT_EQ(Run({"records", "/work/club.tv3", "/work/club.qv3", "--milestones", "--select",
                 "date=1/5/2004..31/5/2004"}),
            kExitOk);
  EXPECT_NE(out.str().find("Selected: 0 peals"), std::string::npos);
  EXPECT_NE(out.str().find("Selected: 1 quarter peals"), std::string::npos);
}

TEST_F(RecordsCommandLine, MapsOfTheRingersTowersAndOfTheLedger) {
  // Headington has a grid reference; Leeds, rung at in the quarter peal only, has none.
  auto* headington = dynamic_cast<CTower*>(TowerIndex().Lookup(kHeadington));
  ASSERT_NE(headington, nullptr);
  const GridRef grid = ParseGridRef("SP543071");
  headington->gridEasting = grid.easting;
  headington->gridNorthing = grid.northing;
  TowerIndex().Save();

  ASSERT_EQ(Run({"records", "/work/club.tv3", "/work/club.qv3", "--ringer", "Ann Bell",
                 "--geojson", "/work/ann.geojson"}),
            kExitOk)
      << err.str();
  EXPECT_NE(err.str().find("tolvane-cli: tower 1 LEEDS"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("it is left off the map\n"), std::string::npos);
  std::string bytes;
  ASSERT_TRUE(Files().ReadAll("/work/ann.geojson", bytes));
  const nlohmann::json map = nlohmann::json::parse(bytes);
  EXPECT_EQ(map["type"], "FeatureCollection");
  ASSERT_EQ(map["features"].size(), 1u);
  const nlohmann::json& tower = map["features"][0]["properties"];
  EXPECT_EQ(tower["tower"], kHeadington);
  EXPECT_EQ(tower["kind"], "peal");
  EXPECT_EQ(tower["performances"], 2);
  EXPECT_EQ(tower["first"], "2003-03-01");
  EXPECT_EQ(tower["last"], "2004-03-02");
  EXPECT_EQ(tower["circled"], false);  // bells 1 and 2 of six
  EXPECT_NEAR(map["features"][0]["geometry"]["coordinates"][1].get<double>(), 51.76, 0.01);
  ASSERT_EQ(map["skipped"].size(), 1u);
  EXPECT_EQ(map["skipped"][0]["tower"], kLeeds);

  // The ledger's export: every tower peal's tower, circled by no one ringer; the withdrawn
  // peal is exported as the Export command exports it.
  ASSERT_EQ(Run({"export", "/work/club.tv3", "geojson"}), kExitOk) << err.str();
  EXPECT_EQ(err.str(), "");
  const nlohmann::json ledgerMap = nlohmann::json::parse(out.str());
  ASSERT_EQ(ledgerMap["features"].size(), 1u);
  EXPECT_EQ(ledgerMap["features"][0]["properties"]["performances"], 3);
  EXPECT_TRUE(ledgerMap["features"][0]["properties"]["circled"].is_null());
  const std::string once = out.str();
  ASSERT_EQ(Run({"export", "/work/club.tv3", "geojson"}), kExitOk);
  EXPECT_EQ(out.str(), once);

  // The recorder's map: the towers of the selected performances only, the withdrawn peal of
  // 2004 not among them, circled by no one ringer.
  ASSERT_EQ(Run({"records", "/work/club.tv3", "--milestones", "--select",
                 "date=1/1/2004..31/12/2004", "--geojson", "/work/year.geojson"}),
            kExitOk)
      << err.str();
  ASSERT_TRUE(Files().ReadAll("/work/year.geojson", bytes));
  const nlohmann::json year = nlohmann::json::parse(bytes);
  ASSERT_EQ(year["features"].size(), 1u);
  EXPECT_EQ(year["features"][0]["properties"]["performances"], 1);
  EXPECT_EQ(year["features"][0]["properties"]["first"], "2004-03-02");
  EXPECT_TRUE(year["features"][0]["properties"]["circled"].is_null());
  EXPECT_TRUE(year["skipped"].empty());
}

}  // namespace
}  // namespace tv::cli

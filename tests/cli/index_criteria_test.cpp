// tolvane-cli --select on the index criteria: a text names one entry exactly (its name, its
// typed form, or #KEY) or is refused with the nearest entries; --nearest takes the chooser's
// guess. Each case checks the peals exported, the exit status and the line on standard error.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "cli/cli.h"
#include "output/export_formats.h"
#include "peals/ledger_file.h"
#include "tests/output/output_fixture.h"

namespace tv::cli {
namespace {

using namespace tv::testing;

// Entries beyond the output fixture's, made so that some texts name two entries.
enum : uint32_t {
  kLeedsGuild = 1,     // association "Leeds Guild" (LG)
  kYorkArchers = 4,    // association "York Archers", abbreviated YACR like the Yorkshire
  kWestYorksToo = 5,   // county "West Yorkshire" again, abbreviated WY
  kNorthYorks = 6,     // county "North Yorkshire" (N Yorks)
  kLeedsToo = 12,      // tower Leeds in the second West Yorkshire
  kRipon = 13,         // tower Ripon, N Yorks
  kYorkshireAgain = 13,  // method Yorkshire Surprise Major, a second entry of the name
  kCambridgeRoyal = 14,  // method Cambridge Surprise Royal
  kJohnWood = 30,      // J W like Jane Ward
  kJaneWard = 31,
};

class IndexCriteria : public OutputTest {
 protected:
  IndexCriteria() {
    AddString(AssocIndex(), std::make_unique<CAssoc>(), kLeedsGuild, "Leeds Guild", "LG");
    AddString(AssocIndex(), std::make_unique<CAssoc>(), kYorkArchers, "York Archers", "YACR");
    AddString(CountyIndex(), std::make_unique<CCounty>(), kWestYorksToo, "West Yorkshire", "WY");
    AddString(CountyIndex(), std::make_unique<CCounty>(), kNorthYorks, "North Yorkshire",
              "N Yorks");
    AddTower(kLeedsToo, "Leeds", kWestYorksToo, 0, 0);
    AddTower(kRipon, "Ripon", kNorthYorks, 0, 0);
    AddMethod(kYorkshireAgain, "Yorkshire", kClassSurprise, 8);
    AddMethod(kCambridgeRoyal, "Cambridge", kClassSurprise, 10);
    AddPerson(kJohnWood, "John", "Wood");
    AddPerson(kJaneWard, "Jane", "Ward");

    // Twelve peals that name every entry above in turn.
    constexpr uint32_t kAssocs[] = {kYorkshire, kLeedsGuild, kYorkArchers};
    constexpr uint32_t kTowers[] = {kLeeds, kHandVenue, kLeedsToo, kRipon};
    constexpr uint32_t kMethods[] = {kYorkshireMajor, kSplicedMajor, kYorkshireAgain,
                                     kCambridgeRoyal};
    constexpr uint32_t kSecond[] = {kJohnSmith, kJohnWood, kJaneWard};
    constexpr uint32_t kThird[] = {kMaryJones, kRevGrey, kPeterBrown};
    constexpr uint32_t kConductors[] = {kMaryJones, kRevGrey, kJohnWood};
    constexpr uint32_t kComposers[] = {kAnnBell, kPeterBrown, kRevGrey};
    CPealLedger ledger;
    for (uint32_t i = 0; i < 12; ++i) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(static_cast<int>(1 + i), 3, 2003);
      peal->association = static_cast<uint8_t>(kAssocs[i % 3]);
      peal->tower = kTowers[i % 4];
      peal->method = kMethods[i % 4];
      peal->ringers = {kAnnBell, kSecond[i % 3], kThird[(i / 3) % 3]};
      peal->conductor = kConductors[i % 3];
      peal->composer = kComposers[i % 3];
      ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
    }
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile("/out/club.tv3", ledger, buffers).ok());
  }

  static void AddString(CIndex& index, std::unique_ptr<CIndStr> entry, uint32_t key,
                        const std::string& name, const std::string& abbreviation) {
    entry->name = name;
    entry->abbreviation = abbreviation;
    index.AddWithKey(std::move(entry), static_cast<int32_t>(key));
  }

  int Run(std::vector<std::string> selection) {
    out.str("");
    err.str("");
    std::vector<std::string> args{"--today", "15/6/2024", "export", "/out/club.tv3", "line"};
    args.insert(args.end(), selection.begin(), selection.end());
    return RunCli(args, out, err);
  }

  std::string Expected(const std::function<bool(const CPeal&)>& wanted) {
    CPealLedger ledger;
    EXPECT_TRUE(ReadLedgerFile("/out/club.tv3", ledger).ok());
    std::vector<const CPeal*> peals;
    for (const CPeal* peal : BufferPeals(ledger, kMainBuffer)) {
      if (wanted(*peal)) peals.push_back(peal);
    }
    EXPECT_FALSE(peals.empty());
    std::string bytes;
    CExportOptions options = DocumentExportOptions();
    EXPECT_TRUE(ExportToText(*FindExportFormat("line"), peals, options, bytes).ok());
    return bytes;
  }

  std::ostringstream out, err;
};

// Whether a peal refers to `key` in the way the criterion looks.
bool Refers(const std::string& kind, const CPeal& peal, uint32_t key) {
  static const std::map<uint32_t, uint32_t> kCountyOfTower = {
      {kLeeds, kWestYorks}, {kLeedsToo, kWestYorksToo}, {kRipon, kNorthYorks}};
  if (kind == "association") return peal.association == key;
  if (kind == "tower") return peal.tower == key;
  if (kind == "county") {
    const auto county = kCountyOfTower.find(peal.tower);
    return county != kCountyOfTower.end() && county->second == key;
  }
  if (kind == "method") return peal.method == key;
  if (kind == "ringer") return std::find(peal.ringers.begin(), peal.ringers.end(), key) != peal.ringers.end();
  if (kind == "conductor") return peal.conductor == key;
  return peal.composer == key || peal.arranger == key || peal.generatedBy == key;
}

struct Criterion {
  std::string kind;
  std::string text;
  uint32_t key;        // the entry the text names; 0 when it is refused
  std::string stderrLine;  // the whole line when named; the start of the refusal otherwise
};

void PrintTo(const Criterion& c, std::ostream* os) { *os << c.kind << "=" << c.text; }

class EachIndexCriterion : public IndexCriteria, public ::testing::WithParamInterface<Criterion> {};

TEST_P(EachIndexCriterion, SelectsTheNamedEntryOrRefusesWithTheCandidates) {
  const Criterion& c = GetParam();
  const int status = Run({"--select", c.kind + "=" + c.text});
  if (c.key != 0) {
    ASSERT_EQ(status, kExitOk) << err.str();
    EXPECT_EQ(err.str(), c.stderrLine + "\n");
    EXPECT_EQ(out.str(), Expected([&c](const CPeal& p) { return Refers(c.kind, p, c.key); }));
  } else {
    EXPECT_EQ(status, kExitData);
    EXPECT_EQ(out.str(), "");
    const std::string message = err.str();
    EXPECT_EQ(message.rfind("tolvane-cli: " + c.stderrLine, 0), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EachIndexCriterion,
    ::testing::Values(
        Criterion{"association", "yorkshire association", kYorkshire, "association: 3 Yorkshire Association"},
        Criterion{"association", "lg", kLeedsGuild, "association: 1 Leeds Guild"},
        Criterion{"association", "#4", kYorkArchers, "association: 4 York Archers"},
        Criterion{"association", "YACR", 0, "association: 'YACR' names 2 entries: 4 York Archers; 3 Yorkshire Association"},
        Criterion{"association", "Oxford Diocesan Guild", 0, "association: no entry is 'Oxford Diocesan Guild'; the nearest: "},
        Criterion{"tower", "Leeds, W Yorks, Cathedral of S Peter", kLeeds, "tower: 7 LEEDS, W Yorks, Cathedral of S Peter"},
        Criterion{"tower", "ilkley", kHandVenue, "tower: 8 ILKLEY"},
        Criterion{"tower", "Leeds, WY", kLeedsToo, "tower: 12 LEEDS, WY"},
        Criterion{"tower", "#13", kRipon, "tower: 13 RIPON, N Yorks"},
        Criterion{"tower", "Leeds", 0, "tower: 'Leeds' names 2 entries: "},
        Criterion{"tower", "Bradford", 0, "tower: no entry is 'Bradford'; the nearest: "},
        Criterion{"county", "North Yorkshire", kNorthYorks, "county: 6 North Yorkshire"},
        Criterion{"county", "w yorks", kWestYorks, "county: 2 West Yorkshire"},
        Criterion{"county", "#5", kWestYorksToo, "county: 5 West Yorkshire"},
        Criterion{"county", "West Yorkshire", 0, "county: 'West Yorkshire' names 2 entries: "},
        Criterion{"county", "Kent", 0, "county: no entry is 'Kent'; the nearest: "},
        Criterion{"method", "Spliced Surprise Major (8m)", kSplicedMajor, "method: 10 Spliced Surprise Major (8m)"},
        Criterion{"method", "cambridge", kCambridgeRoyal, "method: 14 Cambridge Surprise Royal"},
        Criterion{"method", "#13", kYorkshireAgain, "method: 13 Yorkshire Surprise Major"},
        Criterion{"method", "Yorkshire Surprise Major", 0, "method: 'Yorkshire Surprise Major' names 2 entries: 13 Yorkshire Surprise Major; 9 Yorkshire Surprise Major"},
        Criterion{"method", "Stedman Triples", 0, "method: no entry is 'Stedman Triples'; the nearest: "},
        Criterion{"ringer", "ann bell", kAnnBell, "ringer: 21 Ann Bell"},
        Criterion{"ringer", "JS", kJohnSmith, "ringer: 22 John Smith"},
        Criterion{"ringer", "#31", kJaneWard, "ringer: 31 Jane Ward"},
        Criterion{"ringer", "JW", 0, "ringer: 'JW' names 2 entries: "},
        Criterion{"ringer", "Cooper", 0, "ringer: no entry is 'Cooper'; the nearest: "},
        Criterion{"conductor", "Alan Grey", kRevGrey, "conductor: 29 Revd Alan Grey"},
        Criterion{"conductor", "mj", kMaryJones, "conductor: 23 Mary Jones"},
        Criterion{"conductor", "#30", kJohnWood, "conductor: 30 John Wood"},
        Criterion{"conductor", "jw", 0, "conductor: 'jw' names 2 entries: "},
        Criterion{"conductor", "Cooper", 0, "conductor: no entry is 'Cooper'; the nearest: "},
        Criterion{"composer", "Revd Alan Grey", kRevGrey, "composer: 29 Revd Alan Grey"},
        Criterion{"composer", "AB", kAnnBell, "composer: 21 Ann Bell"},
        Criterion{"composer", "#24", kPeterBrown, "composer: 24 Peter Brown"},
        Criterion{"composer", "JW", 0, "composer: 'JW' names 2 entries: "},
        Criterion{"composer", "#999", 0, "composer: no entry has the key #999"},
        Criterion{"composer", "Cooper", 0, "composer: no entry is 'Cooper'; the nearest: "}));

TEST_F(IndexCriteria, AmbiguousTextListsEveryEntryItNamesAndHowToNameOne) {
  EXPECT_EQ(Run({"--select", "ringer=JW"}), kExitData);
  EXPECT_EQ(err.str(),
            "tolvane-cli: ringer: 'JW' names 2 entries: 31 Jane Ward; 30 John Wood (name one as "
            "#KEY, or give --nearest for the chooser's guess)\n");
}

TEST_F(IndexCriteria, MissingTextListsTheEntriesWhoseNameHoldsIt) {
  EXPECT_EQ(Run({"--select", "ringer=wood"}), kExitData);
  EXPECT_EQ(err.str(),
            "tolvane-cli: ringer: no entry is 'wood'; the nearest: 30 John Wood (name one as "
            "#KEY, or give --nearest for the chooser's guess)\n");
}

TEST_F(IndexCriteria, NearestTakesTheChoosersGuessAndNamesIt) {
  // No ringer is named Cooper; the chooser would open on the entry at or after the text.
  const int32_t guess = PersonIndex().FindEntry("Cooper", 0);
  ASSERT_NE(guess, 0);
  ASSERT_EQ(Run({"--nearest", "--select", "ringer=Cooper"}), kExitOk) << err.str();
  EXPECT_EQ(err.str(), "ringer: " + std::to_string(guess) + " " + PersonIndex().NameOf(guess, 0) + "\n");

  // An exact name is still the entry it names; an ambiguous text the first of them in index
  // order, as the chooser opens on it.
  ASSERT_EQ(Run({"--nearest", "--select", "ringer=John Wood"}), kExitOk) << err.str();
  EXPECT_EQ(err.str(), "ringer: 30 John Wood\n");
  ASSERT_EQ(Run({"--nearest", "--select", "ringer=JW"}), kExitOk) << err.str();
  EXPECT_EQ(err.str(), "ringer: 31 Jane Ward\n");
}

TEST_F(IndexCriteria, ExcludeTakesThePealsWithoutTheExactEntry) {
  ASSERT_EQ(Run({"--exclude", "--select", "tower=#7"}), kExitOk) << err.str();
  EXPECT_EQ(err.str(), "tower: 7 LEEDS, W Yorks, Cathedral of S Peter\n");
  EXPECT_EQ(out.str(), Expected([](const CPeal& p) { return p.tower != kLeeds; }));
}

}  // namespace
}  // namespace tv::cli

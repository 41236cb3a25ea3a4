// tolvane-cli --select and its modifiers, run in process on export: the peals written are those
// the selections leave, in ledger order, and a selection that finds nothing is an error.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "cli/cli.h"
#include "output/export_formats.h"
#include "peals/ledger_file.h"
#include "tests/output/output_fixture.h"

namespace tv::cli {
namespace {

using namespace tv::testing;

class SelectOption : public OutputTest {
 protected:
  // Twelve peals in March to May 2003: every third in hand, towers and methods alternating.
  SelectOption() {
    CPealLedger ledger;
    for (int i = 0; i < 12; ++i) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(1 + i, 3 + i % 3, 2003);
      peal->handbell = i % 3 == 0;
      peal->tower = i % 2 ? kLeeds : kHandVenue;
      peal->association = i % 4 ? uint8_t{kYorkshire} : uint8_t{0};
      peal->method = i % 2 ? kYorkshireMajor : kSplicedMajor;
      peal->changes = 5000 + 100 * i;
      peal->ringers = {kAnnBell, i % 2 ? kJohnSmith : kMaryJones};
      if (i % 5 == 0) peal->extras[kValidity] = {"withdrawn"};
      ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
    }
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile("/out/club.tv3", ledger, buffers).ok());
  }

  int Run(std::vector<std::string> selection) {
    std::vector<std::string> args{"--today", "15/6/2024", "export", "/out/club.tv3", "line"};
    args.insert(args.end(), selection.begin(), selection.end());
    return RunCli(args, out, err);
  }
  // The line export of the ledger's peals that `wanted` passes, in ledger order.
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

TEST_F(SelectOption, SelectionsNarrowInTurnAndModifiersReachOnlyTheNextOne) {
  ASSERT_EQ(Run({"--select", "tower=Leeds", "--exclude", "--select", "date=1/4/2003..", "--select",
                 "association=YACR"}),
            kExitOk)
      << err.str();
  EXPECT_EQ(out.str(), Expected([](const CPeal& p) {
              return p.tower == kLeeds && p.date < MakeDate(1, 4, 2003) &&
                     p.association == kYorkshire;
            }));
  EXPECT_EQ(err.str(),
            "tower: 7 LEEDS, W Yorks, Cathedral of S Peter\nassociation: 3 Yorkshire Association\n");
}

TEST_F(SelectOption, OnlyValidAndClassFilters) {
  ASSERT_EQ(Run({"--only", "hand", "--select", "changes=..5600"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), Expected([](const CPeal& p) { return p.handbell && p.changes <= 5600; }));

  out.str("");
  ASSERT_EQ(Run({"--valid", "--select", "ringer=AB"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), Expected([](const CPeal& p) { return !p.extras[kValidity].empty(); }));

  out.str("");
  ASSERT_EQ(Run({"--only", "tower", "--select", "class=surprise+spliced"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            Expected([](const CPeal& p) { return !p.handbell && p.method == kSplicedMajor; }));
}

TEST_F(SelectOption, NothingSelectedIsNoMatchFoundWithExitOne) {
  for (const std::vector<std::string>& selection :
       {std::vector<std::string>{"--select", "changes=5000.."},  // no end above 0
        std::vector<std::string>{"--select", "tower=Leeds", "--select", "changes=9000..9999"}}) {
    out.str("");
    err.str("");
    EXPECT_EQ(Run(selection), kExitData) << selection.back();
    EXPECT_EQ(out.str(), "");
    // An index criterion before it names its entry first.
    const std::string last = "tolvane-cli: No Match Found for --select " + selection.back() + "\n";
    EXPECT_EQ(err.str(), (selection.size() > 2 ? "tower: 7 LEEDS, W Yorks, Cathedral of S Peter\n" : "") + last);
  }
}

// Regression: a twin was looked for only among the neighbouring peal numbers, and a file saved
// from several buffers numbers each buffer's peals apart, so twins split by the save were missed.
TEST_F(SelectOption, DuplicateFindsTwinsSavedFromTwoBuffersAndExcludeTheRest) {
  CPealLedger ledger;
  ledger.bufferRoots.push_back(0);
  ledger.bufferPositions.push_back(0);
  const std::pair<int, uint32_t> peals[][2] = {
      {{1, kLeeds}, {2, kHandVenue}},  // 1 May and 2 May 2010, saved from buffer 1
      {{3, kLeeds}, {1, kLeeds}},      // 3 May, and the 1 May twin, from buffer 2
  };
  for (int buffer = 0; buffer < 2; ++buffer) {
    for (const auto& [day, tower] : peals[buffer]) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(day, 5, 2010);
      peal->tower = tower;
      peal->changes = 5000 + day + 10 * buffer;
      ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer + buffer);
    }
  }
  // And one on the twins' date at another tower, which is no twin.
  auto other = std::make_unique<CPeal>();
  other->date = MakeDate(1, 5, 2010);
  other->tower = kHandVenue;
  ledger.InsertIntoBuffer(ledger.AddPeal(std::move(other)), kMainBuffer + 1);
  const int buffers[] = {kMainBuffer, kMainBuffer + 1};
  ASSERT_TRUE(WriteLedgerFile("/out/club.tv3", ledger, buffers).ok());

  const auto twin = [](const CPeal& p) { return p.date == MakeDate(1, 5, 2010) && p.tower == kLeeds; };
  ASSERT_EQ(Run({"--select", "duplicate"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), Expected(twin));
  out.str("");
  ASSERT_EQ(Run({"--exclude", "--select", "duplicate"}), kExitOk) << err.str();
  EXPECT_EQ(out.str(), Expected([&twin](const CPeal& p) { return !twin(p); }));
}

// Regression: range ends beyond 16 bits wrapped (70000 became 4464, so changes=5000..70000
// found nothing), and RW pages were compared in their packed form, not as the peal prints them.
TEST_F(SelectOption, RangeEndsBeyondTheirFieldAreHeldAtItsLargestValue) {
  constexpr int32_t kChanges[] = {1260, 5040, 65535, 70000, 5088, 40320};
  constexpr int32_t kPages[] = {120, 41234, 31234, 1999, 0, 32000};
  CPealLedger ledger;
  for (int i = 0; i < 6; ++i) {
    auto peal = std::make_unique<CPeal>();
    peal->date = MakeDate(1 + i, 5, 2003);
    peal->tower = kLeeds;
    peal->changes = kChanges[i];
    peal->time = static_cast<uint16_t>(60 * (i + 1));
    peal->tenor = static_cast<uint16_t>(1000 * (i + 1));
    // Page 1234 of 2004 on a peal of 2003 is stored with a year offset; it prints as 41234.
    peal->SetRwPage(kPages[i]);
    ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
  }
  const int buffers[] = {kMainBuffer};
  ASSERT_TRUE(WriteLedgerFile("/out/club.tv3", ledger, buffers).ok());

  const std::pair<const char*, std::function<bool(const CPeal&)>> cases[] = {
      {"changes=5000..70000", [](const CPeal& p) { return p.changes >= 5000 && p.changes <= 65535; }},
      {"changes=..99999999999", [](const CPeal& p) { return p.changes <= 65535; }},
      {"time=3h..2000h", [](const CPeal& p) { return p.time >= 180; }},
      {"tenor=20..9999", [](const CPeal& p) { return p.tenor >= 20 * 112; }},
      {"rw-page=41234..41234", [](const CPeal& p) { return p.RwPageNumber(false) == 41234; }},
      {"rw-page=100..1999", [](const CPeal& p) { return p.rwPage >= 100 && p.rwPage <= 1999; }},
  };
  for (const auto& [selection, wanted] : cases) {
    out.str("");
    ASSERT_EQ(Run({"--select", selection}), kExitOk) << selection << err.str();
    EXPECT_EQ(out.str(), Expected(wanted)) << selection;
  }
}

TEST_F(SelectOption, SelectionsNotUnderstoodAreUsageErrors) {
  for (const std::vector<std::string>& selection :
       {std::vector<std::string>{"--select", "colour=red"},
        std::vector<std::string>{"--select", "changes=5000"},
        std::vector<std::string>{"--select", "class=Bogus"},
        std::vector<std::string>{"--select", "class=Surprise+odd"},
        std::vector<std::string>{"--only", "both", "--select", "tower=Leeds"},
        std::vector<std::string>{"--select", "tower=Leeds", "--exclude"},
        // Duplicate compares peals with each other: no text, no Valid or Tower/Hand filter.
        std::vector<std::string>{"--select", "duplicate=Leeds"},
        std::vector<std::string>{"--valid", "--select", "duplicate"},
        std::vector<std::string>{"--only", "tower", "--select", "duplicate"}}) {
    out.str("");
    err.str("");
    EXPECT_EQ(Run(selection), kExitUsage) << selection[1];
    EXPECT_EQ(out.str(), "");
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
  }
}

}  // namespace
}  // namespace tv::cli

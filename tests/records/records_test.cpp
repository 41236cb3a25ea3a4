// Records counted on a small ledger against counts worked by hand: milestones in each category,
// across an equivalence, withdrawn peals left out, firsts, upcoming milestones, towers circled
// and nearly circled, rung-with and the milestones of a selection.
#include <gtest/gtest.h>

#include <algorithm>

#include "records/count_table.h"
#include "records/record_layout.h"
#include "records/ringer_record.h"
#include "records/selection_milestones.h"
#include "tests/analysis/analysis_fixture.h"

namespace tv {
namespace {

using namespace tv::testing;

TEST(MilestoneNumbers, OneTenTwentyFiveFiftyThenEveryHundred) {
  for (const uint32_t n : {1u, 10u, 25u, 50u, 100u, 200u, 1300u}) EXPECT_TRUE(IsMilestone(n)) << n;
  for (const uint32_t n : {0u, 2u, 20u, 75u, 150u, 250u, 1010u}) EXPECT_FALSE(IsMilestone(n)) << n;
  const std::pair<uint32_t, uint32_t> next[] = {{0, 1}, {1, 10}, {9, 10}, {10, 25}, {24, 25},
                                                {25, 50}, {50, 100}, {99, 100}, {100, 200}, {250, 300}};
  for (const auto& [count, wanted] : next) EXPECT_EQ(NextMilestone(count), wanted) << count;
  EXPECT_EQ(OrdinalText(1), "1st");
  EXPECT_EQ(OrdinalText(22), "22nd");
  EXPECT_EQ(OrdinalText(113), "113th");
  EXPECT_EQ(KindOfLedger("/w/Club.QV3"), PerformanceKind::Quarter);
  EXPECT_EQ(KindOfLedger("/w/q.tv3"), PerformanceKind::Peal);
}

TEST(CountTable, KeepsEveryCountThroughGrowth) {
  CCountTable table;
  // Keys that differ only in their high bits, as the categories of one subject do.
  for (uint64_t round = 1; round <= 3; ++round) {
    for (uint64_t k = 0; k < 1000; ++k) {
      if (k % round == 0) table.Add((k << 32) | 7);
    }
  }
  EXPECT_EQ(table.Size(), 1000u);
  uint64_t total = 0;
  bool right = true;
  table.ForEach([&](uint64_t key, uint32_t count) {
    const uint64_t k = key >> 32;
    const uint32_t wanted = 1 + (k % 2 == 0 ? 1 : 0) + (k % 3 == 0 ? 1 : 0);
    right = right && count == wanted;
    total += count;
  });
  EXPECT_TRUE(right);
  EXPECT_EQ(total, 1000u + 500u + 334u);
}

// Ann rings nine peals at Headington (6 bells) on positions 1 to 5 in turn, conducting the
// third, then a tenth there as Jane (her married name, counted as her) on the tenor; a
// withdrawn peal at Witney; a handbell peal of spliced Surprise Major that names Ilkley.
class RingerRecordTest : public AnalysisTest {
 protected:
  RingerRecordTest() {
    PersonIndex().equivalences.AddEquivalence(kJane, kAnn);
    for (int i = 0; i < 9; ++i) {
      std::vector<uint32_t> ringers = {kJohn, kMary, kPeter, kEve, kTom, kSue};
      ringers[static_cast<size_t>(i % 5)] = kAnn;
      if (i % 5 == 0) ringers[5] = kJohn;  // John moves to the tenor when Ann rings the treble
      peal[i] = Add({.date = Day(1, 1 + i, 2000), .tower = kHeadington, .association = kYorkshire,
                     .method = kPlainBobMinor, .changes = 5040, .time = static_cast<uint16_t>(170 + i),
                     .ringers = ringers, .conductor = i == 2 ? uint32_t{kAnn} : uint32_t{kJohn}});
    }
    peal[9] = Add({.date = Day(1, 10, 2000), .tower = kHeadington, .association = kYorkshire,
                   .method = kPlainBobMinor, .changes = 5040, .time = 160,
                   .ringers = {kJohn, kMary, kPeter, kEve, kTom, kJane}, .conductor = kJohn});
    peal[10] = Add({.date = Day(1, 11, 2000), .tower = kWitney, .association = kOxford,
                    .method = kPlainBobMajor, .changes = 5000, .time = 100,
                    .ringers = {kAnn, kJohn}, .invalid = true});
    peal[11] = Add({.date = Day(1, 12, 2000), .tower = kIlkley, .association = kCollege,
                    .method = kSpliced23, .changes = 5056, .time = 150, .handbell = true,
                    .ringers = {kAnn, kJohn, kMary, kBob}});
  }

  std::vector<CPerformance> Performances(bool all = false) { return GatherPerformances({&ledger}, all); }
  // The index of a peal among the performances.
  static uint32_t At(const std::vector<CPerformance>& performances, uint32_t number) {
    for (size_t i = 0; i < performances.size(); ++i) {
      if (performances[i].peal->pealNumber == number) return static_cast<uint32_t>(i);
    }
    return UINT32_MAX;
  }
  static std::vector<std::string> Words(const std::vector<CMilestone>& milestones, uint32_t at) {
    std::vector<std::string> words;
    for (const CMilestone& m : milestones) {
      if (m.performance == at) words.push_back(MilestoneWords(m.category, m.subject, m.number, PerformanceKind::Peal));
    }
    return words;
  }

  uint32_t peal[12] = {};
};

TEST_F(RingerRecordTest, TotalsLeaveOutTheWithdrawnPealAndCountTheMarriedName) {
  const auto performances = Performances();
  ASSERT_EQ(performances.size(), 11u);
  CRecordFacts facts(PersonIndex().equivalences);
  // Asked for by her married name, the record is Ann's.
  const CRingerRecord record = ComputeRingerRecord(performances, facts, kJane);
  EXPECT_EQ(record.person, kAnn);
  EXPECT_EQ(record.performances, 11u);
  EXPECT_EQ(record.tower, 10u);
  EXPECT_EQ(record.handbell, 1u);
  EXPECT_EQ(record.conducted, 1u);
  EXPECT_EQ(record.changes, 10 * 5040 + 5056);

  const auto withWithdrawn = Performances(true);
  CRecordFacts allFacts(PersonIndex().equivalences);
  const CRingerRecord all = ComputeRingerRecord(withWithdrawn, allFacts, kAnn);
  EXPECT_EQ(all.performances, 12u);
  EXPECT_EQ(all.towers.size(), 2u);  // Witney too
}

TEST_F(RingerRecordTest, TenthPealRungUnderTheMarriedNameIsAMilestoneInEveryCategory) {
  const auto performances = Performances();
  CRecordFacts facts(PersonIndex().equivalences);
  const CRingerRecord record = ComputeRingerRecord(performances, facts, kAnn);
  const std::vector<std::string> tenth = Words(record.milestones, At(performances, peal[9]));
  const std::vector<std::string> wanted = {
      "10th peal", "10th tower peal", "10th peal at " + TowerIndex().NameOf(kHeadington, 0),
      "10th peal for Yorkshire Association", "10th peal of " + MethodIndex().NameOf(kPlainBobMinor, 0),
      "10th peal of Minor", "10th peal with John Smith"};
  EXPECT_EQ(tenth, wanted);
  const std::vector<std::string> first = Words(record.milestones, At(performances, peal[0]));
  EXPECT_EQ(first.front(), "1st peal");
  EXPECT_EQ(Words(record.milestones, At(performances, peal[2])),
            std::vector<std::string>{"1st peal conducted"});
  const std::vector<std::string> hand = Words(record.milestones, At(performances, peal[11]));
  EXPECT_NE(std::find(hand.begin(), hand.end(), "1st handbell peal"), hand.end());
  EXPECT_NE(std::find(hand.begin(), hand.end(), "1st peal with Bob King"), hand.end());
  EXPECT_EQ(std::find(hand.begin(), hand.end(), "11th peal with John Smith"), hand.end());
}

TEST_F(RingerRecordTest, FirstsUpcomingAndRungWith) {
  const auto performances = Performances();
  CRecordFacts facts(PersonIndex().equivalences);
  const CRingerRecord record = ComputeRingerRecord(performances, facts, kAnn);
  std::vector<std::string> firsts;
  for (const CFirstPerformance& f : record.firsts) {
    firsts.push_back(MilestoneWords(f.category, f.subject, 0, PerformanceKind::Peal) + " @" +
                     std::to_string(f.performance));
  }
  const std::vector<std::string> wanted = {
      "First peal @0", "First peal at " + TowerIndex().NameOf(kHeadington, 0) + " @0",
      "First peal of Minor @0", "First Bob peal @0", "First peal conducted @2",
      "First handbell peal @10", "First peal of Major @10", "First Surprise peal @10"};
  EXPECT_EQ(firsts, wanted);

  // Ann's moves left Mary out twice and Tom once: nine each with her, one short of ten. The
  // handbell peals need nine more.
  ASSERT_GE(record.upcoming.size(), 3u);
  EXPECT_EQ(record.upcoming[0].category, RecordCategory::WithRinger);
  EXPECT_EQ(record.upcoming[0].subject, kMary);
  EXPECT_EQ(record.upcoming[0].Needed(), 1u);
  EXPECT_EQ(record.upcoming[1].subject, kTom);
  const auto hand = std::find_if(record.upcoming.begin(), record.upcoming.end(),
                                 [](const CUpcomingMilestone& u) { return u.category == RecordCategory::Handbell; });
  ASSERT_NE(hand, record.upcoming.end());
  EXPECT_EQ(hand->Needed(), 9u);
  const auto upcomingAll = std::find_if(record.upcoming.begin(), record.upcoming.end(),
                                        [](const CUpcomingMilestone& u) { return u.category == RecordCategory::All; });
  ASSERT_NE(upcomingAll, record.upcoming.end());
  EXPECT_EQ(upcomingAll->count, 11u);
  EXPECT_EQ(upcomingAll->next, 25u);

  ASSERT_EQ(record.rungWith.size(), 7u);  // John, Mary, Peter, Eve, Tom, Sue, Bob
  EXPECT_EQ(record.rungWith[0].person, kJohn);
  EXPECT_EQ(record.rungWith[0].performances, 11u);
  EXPECT_EQ(record.rungWith[1].person, kMary);
  EXPECT_EQ(record.rungWith[1].performances, 9u);
  EXPECT_EQ(record.rungWith[2].person, kTom);
  EXPECT_EQ(record.rungWith.back().person, kBob);
  EXPECT_EQ(record.rungWith.back().performances, 1u);
  // Longest: the 5056 in hand; fastest: the same, 5056 in 150 minutes beating 5040 in 160.
  EXPECT_EQ(record.longest, At(performances, peal[11]));
  EXPECT_EQ(record.fastest, At(performances, peal[11]));
}

TEST_F(RingerRecordTest, TowerCircledByTheMarriedNameAndNearlyCircledWithoutIt) {
  auto performances = Performances();
  CRecordFacts facts(PersonIndex().equivalences);
  CRingerRecord record = ComputeRingerRecord(performances, facts, kAnn);
  // The handbell peal names Ilkley but circles nothing there.
  ASSERT_EQ(record.towers.size(), 1u);
  EXPECT_EQ(record.towers[0].tower, kHeadington);
  EXPECT_EQ(record.towers[0].performances, 10u);
  EXPECT_EQ(record.towers[0].first, Day(1, 1, 2000));
  EXPECT_EQ(record.towers[0].last, Day(1, 10, 2000));
  EXPECT_TRUE(record.towers[0].Circled());

  performances[At(performances, peal[9])].selected = false;
  record = ComputeRingerRecord(performances, facts, kAnn);
  EXPECT_FALSE(record.towers[0].Circled());
  EXPECT_EQ(record.towers[0].BellsNeeded(), std::vector<int>{6});
}

TEST_F(RingerRecordTest, BellStringsGiveTheBellsRung) {
  CPeal back;
  back.ringers = {kAnn, kJohn};
  back.SetPositioned(kBellString, 0, "7");
  back.SetPositioned(kBellString, 1, "9-10");
  EXPECT_EQ(BellsRungAt(back, 0), std::vector<int>{7});
  EXPECT_EQ(BellsRungAt(back, 1), (std::vector<int>{9, 10}));
  back.extras[kBellString].clear();
  EXPECT_EQ(BellsRungAt(back, 1), std::vector<int>{2});
}

TEST_F(RingerRecordTest, MilestonesOfASelectionCountEveryEarlierPerformance) {
  auto performances = Performances();
  // The selection: the last quarter of the year.
  for (CPerformance& p : performances) p.selected = p.peal->date >= Day(1, 10, 2000);
  CRecordFacts facts(PersonIndex().equivalences);
  const auto reached = ComputeSelectionMilestones(performances, facts);
  auto of = [&](uint32_t person) -> const CPersonMilestones* {
    for (const auto& r : reached) if (r.person == person) return &r;
    return nullptr;
  };
  const uint32_t tenth = At(performances, peal[9]);
  // Jane's tenor is Ann's tenth peal; John's tenth too, and his tenth with Ann.
  ASSERT_NE(of(kAnn), nullptr);
  EXPECT_EQ(of(kJane), nullptr);
  EXPECT_EQ(Words(of(kAnn)->milestones, tenth).front(), "10th peal");
  ASSERT_NE(of(kJohn), nullptr);
  const auto john = Words(of(kJohn)->milestones, tenth);
  EXPECT_NE(std::find(john.begin(), john.end(), "10th peal"), john.end());
  EXPECT_NE(std::find(john.begin(), john.end(), "10th peal with Ann Bell"), john.end());
  // Mary's eighth peal there is no milestone: she has none at the tenth.
  ASSERT_NE(of(kMary), nullptr);
  EXPECT_TRUE(Words(of(kMary)->milestones, tenth).empty());
  // Nothing reached before the selection is listed.
  for (const auto& r : reached) {
    for (const CMilestone& m : r.milestones) EXPECT_GE(m.performance, tenth);
  }
  // Bob's only peal is his first, in hand.
  ASSERT_NE(of(kBob), nullptr);
  EXPECT_EQ(Words(of(kBob)->milestones, At(performances, peal[11])).front(), "1st peal");
}

// Counts past 65,535 (a pair of ringers, a tower, an association) go on counting: the selection's
// counts are kept narrow while they are small.
TEST_F(RingerRecordTest, MilestonesOfASelectionCountPastSixteenBits) {
  AddMany({.date = Day(2, 1, 2001), .tower = kWitney, .association = kOxford, .method = kPlainBobMajor,
           .changes = 5000, .time = 180, .ringers = {kBob, kSue}, .conductor = kBob},
          65600 - 1);
  const uint32_t last = Add({.date = Day(3, 1, 2001), .tower = kWitney, .association = kOxford,
                             .method = kPlainBobMajor, .changes = 5000, .time = 180,
                             .ringers = {kBob, kSue}, .conductor = kBob});
  auto performances = Performances();
  for (CPerformance& p : performances) p.selected = p.peal->pealNumber == last;
  CRecordFacts facts(PersonIndex().equivalences);
  const auto reached = ComputeSelectionMilestones(performances, facts);
  const uint32_t at = At(performances, last);
  for (const uint32_t person : {uint32_t{kBob}, uint32_t{kSue}}) {
    const auto found = std::find_if(reached.begin(), reached.end(),
                                    [&](const CPersonMilestones& r) { return r.person == person; });
    ASSERT_NE(found, reached.end());
    const auto words = Words(found->milestones, at);
    const std::string other = person == kBob ? "Sue Long" : "Bob King";
    EXPECT_NE(std::find(words.begin(), words.end(), "65600th peal with " + other), words.end()) << other;
    EXPECT_TRUE(std::any_of(words.begin(), words.end(),
                            [](const std::string& w) { return w.rfind("65600th peal at ", 0) == 0; }));
  }
}

}  // namespace
}  // namespace tv

// Peal entry and editing driven through the scripted platform: the Peal Details dialog, the
// change-driven apply, and the names resolved one after another through the chooser.
#include "peals/peal_entry.h"

#include <gtest/gtest.h>

#include "peals/peal_dialog.h"
#include "refdb/composition.h"
#include "tests/peals/ledger_fixture.h"
#include "tests/peals/peal_test_support.h"

namespace tv {
namespace {

using testing::DialogAction;

class PealEntryTest : public testing::LedgerFixture {
 protected:
  PealEntryTest() {
    yorks = AddAssoc("Yorkshire Association");
    // York's tenor was recast: 1500 lb up to the end of 1999, 2751 lb since.
    auto tower = std::make_unique<CTower>();
    tower->place = "York";
    tower->tenorWeight = 2751;
    auto before = std::make_unique<CTower>();
    before->place = "York";
    before->tenorWeight = 1500;
    before->untilDate = MakeDate(31, 12, 1999);
    tower->earlier = std::move(before);
    york = TowerIndex().InsertNew(std::move(tower));
    cambridge = AddMethod("Cambridge", kClassSurprise, 8);
    for (const char* name : {"Ann", "Bob", "Cat", "Dan", "Eve"})
      people.push_back(AddPerson(name, "Smith"));
  }

  // A peal of 1 February 2003 in buffer 1 naming every kind of entry.
  CPeal& LedgerPeal(Date date = MakeDate(1, 2, 2003)) {
    auto peal = std::make_unique<CPeal>();
    peal->date = date;
    peal->sequence = 2;
    peal->association = static_cast<uint8_t>(yorks);
    peal->tower = static_cast<uint32_t>(york);
    peal->tenor = 2751;
    peal->method = static_cast<uint32_t>(cambridge);
    peal->changes = 5056;
    peal->time = 185;
    peal->rwPage = 1234;
    peal->composer = Person(0);
    peal->arranger = Person(1);
    peal->generatedBy = Person(2);
    peal->conductor = Person(3);
    for (int i = 0; i < 5; ++i) peal->ringers.push_back(Person(i));
    peal->extras[kFootnote] = {"First on the bells", "Birthday"};
    const uint32_t n = doc.AddPeal(std::move(peal));
    doc.InsertIntoBuffer(n, kMainBuffer);
    doc.bufferPositions[kMainBuffer] = n;
    return *doc.PealAt(n);
  }
  uint32_t Person(int i) const { return static_cast<uint32_t>(people[static_cast<size_t>(i)]); }

  std::vector<std::string> ChooserTitles() const {
    std::vector<std::string> titles;
    for (const auto& request : platform.chooserRequests) titles.push_back(request.title);
    return titles;
  }

  int32_t yorks = 0, york = 0, cambridge = 0;
  std::vector<int32_t> people;
};

TEST_F(PealEntryTest, NewPealResolvesEachTypedNameInTurnAndEndsInTheLedgerWithThoseKeys) {
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("association", "Yorks");
    d.SetText("tower", "York");
    d.SetText("date", "1/2/2003");
    d.SetText("method", "Cambridge");
    d.SetText("ringer1", "AS");
    d.SetText("ringer2", "BS");
    d.SetText("ringer3", "CS");
    return DialogAction::Ok;
  });
  for (const int32_t key : {yorks, york, cambridge, people[0], people[1], people[2]}) {
    platform.QueueChooseKey(key);
  }
  doc.New();
  // The peal is in the ledger before any name is chosen: the chooser is not modal.
  ASSERT_NE(doc.PealAt(1), nullptr);
  EXPECT_EQ(doc.PealsOf(kMainBuffer), std::vector<uint32_t>{1});
  platform.Pump();

  EXPECT_EQ(ChooserTitles(), (std::vector<std::string>{"Association", "Tower", "Method", "Ringer1",
                                                       "Ringer2", "Ringer3"}));
  EXPECT_EQ(platform.chooserRequests[3].text, "AS");
  EXPECT_EQ(platform.chooserRequests[1].index, &TowerIndex());
  const CPeal& peal = *doc.PealAt(1);
  EXPECT_EQ(peal.association, yorks);
  EXPECT_EQ(peal.tower, static_cast<uint32_t>(york));
  EXPECT_EQ(peal.method, static_cast<uint32_t>(cambridge));
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{Person(0), Person(1), Person(2)}));
  EXPECT_EQ(peal.date, MakeDate(1, 2, 2003));
  EXPECT_EQ(peal.tenor, 2751);  // no tenor typed: the tower's, as it was in 2003
  EXPECT_EQ(peal.entry, nullptr);
  EXPECT_TRUE(doc.modified);
  EXPECT_TRUE(platform.ScriptUsedUp());
  EXPECT_EQ(testing::BufferFaults(doc), "");
}

TEST_F(PealEntryTest, OkWithoutChangesOpensNoChooserAndChangesOnlySequenceAndHandbell) {
  CPeal& peal = LedgerPeal();
  const std::string before = testing::RecordBytes(peal);

  platform.QueueDialogOk();
  EditPeal(doc, &peal);
  EXPECT_TRUE(platform.chooserRequests.empty());
  EXPECT_EQ(testing::RecordBytes(peal), before);
  EXPECT_TRUE(doc.modified);

  CPeal expected = peal;
  expected.sequence = 3;
  expected.handbell = true;
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("sequence", "3");
    d.SetChecked("handPeal", true);
    return DialogAction::Ok;
  });
  EditPeal(doc, &peal);
  EXPECT_TRUE(platform.chooserRequests.empty());
  EXPECT_EQ(testing::RecordBytes(peal), testing::RecordBytes(expected));
}

TEST_F(PealEntryTest, EditedDateIsParsedAndThePealMovesToItsPlaceInLedgerOrder) {
  CPeal& first = LedgerPeal(MakeDate(1, 2, 2001));
  LedgerPeal(MakeDate(1, 2, 2002));
  LedgerPeal(MakeDate(1, 2, 2003));
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("date", "4/7/2005");
    return DialogAction::Ok;
  });
  EditPeal(doc, &first);
  EXPECT_TRUE(platform.chooserRequests.empty());
  EXPECT_EQ(first.date, MakeDate(4, 7, 2005));
  EXPECT_EQ(testing::BufferFaults(doc), "");
  EXPECT_EQ(doc.PealsOf(kMainBuffer), (std::vector<uint32_t>{2, 3, 1}));
}

// Choosing a tower brings its tenor at the peal's date, for a tower peal whose tenor text the
// user left alone; a typed tenor stays.
TEST_F(PealEntryTest, ChoosingATowerSetsTheTenorOnlyWhenNoneWasTyped) {
  struct Case {
    const char* name;
    Date date;
    bool hand;
    const char* typedTenor;
    uint16_t expected;
  };
  const Case cases[] = {
      {"typed tenor kept", MakeDate(1, 2, 2003), false, "20", 20 * 112},
      {"tower's weight at the peal's date", MakeDate(1, 2, 2003), false, "", 2751},
      {"weight of the identity then valid", MakeDate(5, 5, 1995), false, "", 1500},
      {"handbell peal keeps its tenor", MakeDate(1, 2, 2003), true, "", 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CPeal& peal = LedgerPeal(c.date);
    peal.tower = 0;
    peal.tenor = 17;
    peal.handbell = c.hand;
    platform.QueueDialog([&c](DialogModel& d) {
      d.SetText("tower", "York");
      d.SetText("tenor", c.typedTenor);
      return DialogAction::Ok;
    });
    platform.QueueChooseKey(york);
    EditPeal(doc, &peal);
    platform.Pump();
    EXPECT_EQ(peal.tower, static_cast<uint32_t>(york));
    EXPECT_EQ(peal.tenor, c.expected);
  }
}

TEST_F(PealEntryTest, ClearedRingersBecomeVacantAndTrailingVacanciesGo) {
  CPeal& peal = LedgerPeal();
  const auto clear = [&](const char* id) {
    platform.QueueDialog([id](DialogModel& d) {
      d.SetText(id, "");
      return DialogAction::Ok;
    });
    EditPeal(doc, &peal);
  };
  clear("ringer3");
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{Person(0), Person(1), 0, Person(3), Person(4)}));
  clear("ringer5");
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{Person(0), Person(1), 0, Person(3)}));
  clear("ringer4");
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{Person(0), Person(1)}));
  EXPECT_TRUE(platform.chooserRequests.empty());
}

TEST_F(PealEntryTest, CancelledChooserForAChangedConductorLeavesNone) {
  CPeal& peal = LedgerPeal();
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("conductor", "Nobody");
    return DialogAction::Ok;
  });
  platform.QueueCancelChooser();
  EditPeal(doc, &peal);
  platform.Pump();
  EXPECT_EQ(ChooserTitles(), std::vector<std::string>{"Conductor"});
  EXPECT_EQ(peal.conductor, 0u);
  EXPECT_EQ(peal.ringers.size(), 5u);
}

TEST_F(PealEntryTest, NewAfterEditStartsFromTheEditedTextsWithRingersTenorAndFootnotesEmpty) {
  CPeal& peal = LedgerPeal();
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("tenor", "20");
    d.SetText("footnote1", "Changed");
    return DialogAction::Ok;
  });
  EditPeal(doc, &peal);
  EXPECT_EQ(peal.extras[kFootnote][0], "Changed");

  CPealForm seen;
  platform.QueueDialog([&seen](DialogModel& d) {
    seen = static_cast<CPealDialog&>(d).Form();
    return DialogAction::Cancel;
  });
  doc.New();
  EXPECT_EQ(seen.association, "Yorkshire Association");
  EXPECT_EQ(seen.tower, "York");
  EXPECT_EQ(seen.date, "1/2/2003");
  EXPECT_EQ(seen.method, "Cambridge Surprise Major");
  EXPECT_EQ(seen.conductor, "Dan Smith");
  EXPECT_EQ(seen.tenor, "");
  for (const std::string& ringer : seen.ringers) EXPECT_EQ(ringer, "");
  for (const std::string& footnote : seen.footnotes) EXPECT_EQ(footnote, "");
}

TEST_F(PealEntryTest, CompositionIsChosenUnderTheHeadingOfThePealsNumbers) {
  CPeal& peal = LedgerPeal();
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("composition", "Middleton's");
    return DialogAction::Ok;
  });
  platform.QueueCancelChooser();
  EditPeal(doc, &peal);
  platform.Pump();
  const CCompTemplate expected{5056, cambridge, people[0], people[1], people[2]};
  EXPECT_EQ(CompositionTemplate(), expected);
  ASSERT_EQ(platform.chooserRequests.size(), 1u);
  EXPECT_EQ(
      platform.chooserRequests[0].title.rfind("5056 Cambridge Surprise Major by Ann Smith", 0), 0u)
      << platform.chooserRequests[0].title;
  EXPECT_EQ(platform.chooserRequests[0].index, &CompIndex());
}

TEST_F(PealEntryTest, EditWithNoCurrentPealWorksOnAPealOfNoLedger) {
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("date", "1/1/2000");
    d.SetText("ringer1", "AS");
    return DialogAction::Ok;
  });
  platform.QueueChooseKey(people[0]);
  EditPeal(doc, nullptr);
  platform.Pump();
  EXPECT_EQ(doc.lastPealNumber, 0u);
  EXPECT_FALSE(doc.modified);
  ASSERT_TRUE(doc.pealEntry && doc.pealEntry->detached);
  EXPECT_EQ(doc.pealEntry->detached->ringers, std::vector<uint32_t>{Person(0)});
}

// Regression: the chooser kept the peal itself as its target, so a choice reported after the
// peal was cleared from the ledger wrote into freed memory.
TEST_F(PealEntryTest, ChoiceReportedAfterThePealWasClearedChangesNothing) {
  CPeal& peal = LedgerPeal();
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("ringer1", "ES");
    d.SetText("ringer2", "AS");
    return DialogAction::Ok;
  });
  platform.QueueChooseKey(people[4]);
  EditPeal(doc, &peal);
  doc.Clear();
  platform.Pump();
  EXPECT_EQ(doc.PealAt(1), nullptr);
  EXPECT_EQ(platform.chooserRequests.size(), 1u);
}

// Regression: a chosen association key above 255 was cut to its low byte, naming another
// association.
TEST_F(PealEntryTest, AssociationKeyAboveAByteIsRefused) {
  auto big = std::make_unique<CAssoc>();
  big->name = "Big Guild";
  AssocIndex().AddWithKey(std::move(big), 300);
  CPeal& peal = LedgerPeal();
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("association", "Big");
    return DialogAction::Ok;
  });
  platform.QueueChooseKey(300);
  EditPeal(doc, &peal);
  platform.Pump();
  EXPECT_EQ(peal.association, 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("255"), std::string::npos);
}

TEST(PealDialogTest, RefusesValuesBeyondTheLimitsWithTheStandardMessages) {
  struct Case {
    const char* id;
    std::string text;
    const char* refusal;  // null: accepted
  };
  const Case cases[] = {
      {"rwPage", "1002000", "Please enter an integer between 0 and 1001999."},
      {"rwPage", "page", "Please enter a positive integer."},
      {"sequence", "256", "Please enter an integer between 0 and 255."},
      {"sequence", "first", "Please enter an integer between 0 and 255."},
      {"changes", "lots", "Please enter an integer."},
      {"changes", "3000000000", "Please enter an integer."},
      {"association", std::string(30, 'a'), nullptr},
      {"association", std::string(31, 'a'), "Please enter no more than 30 characters."},
      {"ringer18", std::string(21, 'r'), "Please enter no more than 20 characters."},
      {"generatedBy", std::string(200, 'g'), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.id) + " = " + c.text.substr(0, 12));
    CPealDialog dialog{CPealForm{}};
    dialog.SetText(c.id, c.text);
    const auto refusal = dialog.Validate();
    if (c.refusal) {
      EXPECT_EQ(refusal.value_or("accepted"), c.refusal);
    } else {
      EXPECT_FALSE(refusal.has_value()) << *refusal;
    }
  }
}

}  // namespace
}  // namespace tv

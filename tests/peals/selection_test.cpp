// Selection through the Select Peals dialog and the chooser: for every criterion the current
// buffer splits into a new buffer of the peals that pass, placed before the old one, and the
// old one with the rest; both stay sound trees in ledger order.
#include "peals/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>

#include "tests/peals/ledger_fixture.h"

namespace tv {
namespace {

using testing::DialogAction;

class SelectionTest : public testing::LedgerFixture {
 public:
  // The criterion table below reads the keys and the ledger.
  using LedgerFixture::doc;

  SelectionTest() {
    a1 = AddAssoc("Yorkshire Association");
    a2 = AddAssoc("Oxford Diocesan Guild");
    c1 = AddCounty("Yorks");
    c2 = AddCounty("Oxon");
    t1 = AddTower("York", 2751, c1);
    t2 = AddTower("Leeds", 3000, c1);
    t3 = AddTower("Oxford", 1800, c2);
    unrung = AddTower("Nowhere", 500, c2);
    m1 = AddMethod("Cambridge", kClassSurprise, 8);
    m2 = AddMethod("", kClassSurprise, 8, 8, true);
    m3 = AddMethod("Grandsire", kClassBob, 7);
    m4 = AddMethod("", kClassBob, 6, 3);
    for (const char* name : {"Ann", "Bob", "Cat", "Dan", "Eve", "Fay", "Guy"}) {
      p.push_back(AddPerson(name, "Smith"));
    }
    // Fay (p[5]) is counted as Bob (p[1]): a selection of Bob takes her peals too.
    PersonIndex().equivalences.AddEquivalence(p[5], p[1]);
    MakeLedger();
  }

  // 120 peals numbered in ledger order, as after loading, put into buffer 1 in a shuffled
  // order so that its tree is not the balanced one; a few then deleted.
  void MakeLedger() {
    std::mt19937 rng(20240615);
    const auto pick = [&rng](auto&& values) { return values[rng() % values.size()]; };
    std::vector<Date> dates;
    for (int i = 0; i < 45; ++i) {
      dates.push_back(MakeDate(1 + static_cast<int>(rng() % 28), 1 + static_cast<int>(rng() % 12),
                               1990 + static_cast<int>(rng() % 30)));
    }
    std::vector<std::unique_ptr<CPeal>> peals;
    for (int i = 0; i < 120; ++i) {
      auto peal = std::make_unique<CPeal>();
      peal->date = pick(dates);
      peal->handbell = rng() % 5 == 0;
      peal->tower = static_cast<uint32_t>(pick(std::vector<int32_t>{0, t1, t2, t3}));
      peal->association = static_cast<uint8_t>(pick(std::vector<int32_t>{0, a1, a2}));
      peal->method = static_cast<uint32_t>(pick(std::vector<int32_t>{0, m1, m2, m3, m4}));
      const size_t ringers = rng() % 9;
      for (size_t r = 0; r < ringers; ++r) {
        peal->ringers.push_back(rng() % 10 == 0 ? 0 : static_cast<uint32_t>(pick(p)));
      }
      const auto person = [&]() -> uint32_t {
        return rng() % 3 == 0 ? 0 : static_cast<uint32_t>(pick(p));
      };
      peal->conductor = person();
      peal->composer = person();
      peal->arranger = rng() % 4 == 0 ? person() : 0;
      peal->generatedBy = rng() % 4 == 0 ? person() : 0;
      peal->changes = 1000 + static_cast<int32_t>(rng() % 9000);
      peal->time = static_cast<uint16_t>(100 + rng() % 150);
      peal->tenor = static_cast<uint16_t>(300 + rng() % 3700);
      peal->rwPage = static_cast<uint16_t>(rng() % 3000);
      if (rng() % 3 == 0) peal->extras[kFootnote] = {"Footnote " + std::to_string(i)};
      if (rng() % 5 == 0) peal->extras[kExtra] = {"notes", rng() % 2 ? "has abc in it" : "xyz"};
      if (rng() % 6 == 0) peal->extras[kValidity] = {"hoax"};
      peals.push_back(std::move(peal));
    }
    // Two peals at one tower on one date, and two at different towers on another date.
    for (const auto& [date, tower] : std::vector<std::pair<Date, int32_t>>{
             {MakeDate(3, 3, 1985), t1}, {MakeDate(3, 3, 1985), t1},
             {MakeDate(4, 4, 1985), t1}, {MakeDate(4, 4, 1985), t2}}) {
      auto peal = std::make_unique<CPeal>();
      peal->date = date;
      peal->tower = static_cast<uint32_t>(tower);
      peals.push_back(std::move(peal));
    }
    std::stable_sort(peals.begin(), peals.end(),
                     [](const auto& x, const auto& y) { return x->date < y->date; });
    std::vector<uint32_t> numbers;
    for (auto& peal : peals) numbers.push_back(doc.AddPeal(std::move(peal)));
    std::shuffle(numbers.begin(), numbers.end(), rng);
    for (const uint32_t n : numbers) doc.InsertIntoBuffer(n, kMainBuffer);
    for (const uint32_t n : {numbers[0], numbers[7], numbers[19]}) doc.MovePeal(n, kDeletedBuffer);
    doc.bufferPositions[kMainBuffer] = doc.LastOf(kMainBuffer);
    ASSERT_EQ(testing::BufferFaults(doc), "");
  }

  bool HasRinger(const CPeal& peal, std::initializer_list<int32_t> keys) const {
    return std::any_of(peal.ringers.begin(), peal.ringers.end(), [&keys](uint32_t r) {
      return std::find(keys.begin(), keys.end(), static_cast<int32_t>(r)) != keys.end();
    });
  }
  static bool Is(uint32_t field, int32_t key) { return field == static_cast<uint32_t>(key); }

  // Runs Select with the dialog filled by `fill`, answering the chooser with `key` when asked.
  void Select(const std::function<void(CSelDialog&)>& fill, std::optional<int32_t> key = {}) {
    platform.QueueDialog([fill](DialogModel& d) {
      fill(static_cast<CSelDialog&>(d));
      return DialogAction::Ok;
    });
    if (key) platform.QueueChooseKey(*key);
    doc.Select();
    platform.Pump();
    EXPECT_TRUE(platform.ScriptUsedUp());
  }

  // Checks the split of buffer 1 that held `before`: the new buffer 1 holds exactly the peals
  // that `expected` passes, the old one (now 2) the rest, both sound.
  void ExpectSplit(const std::vector<uint32_t>& before, int buffersBefore,
                   const std::function<bool(const CPeal&)>& expected) {
    EXPECT_EQ(doc.BufferCount(), buffersBefore + 1);
    EXPECT_EQ(doc.currentBuffer, kMainBuffer);
    EXPECT_EQ(testing::BufferFaults(doc), "");
    const std::vector<uint32_t> selected = doc.PealsOf(1);
    const std::vector<uint32_t> rest = doc.PealsOf(2);
    EXPECT_FALSE(selected.empty());
    std::set<uint32_t> together(selected.begin(), selected.end());
    together.insert(rest.begin(), rest.end());
    EXPECT_EQ(together, std::set<uint32_t>(before.begin(), before.end()));
    for (const uint32_t n : selected) EXPECT_TRUE(expected(*doc.PealAt(n))) << "selected peal " << n;
    for (const uint32_t n : rest) EXPECT_FALSE(expected(*doc.PealAt(n))) << "peal left behind " << n;
    EXPECT_EQ(doc.bufferPositions[1], doc.LastOf(1));
    EXPECT_EQ(doc.bufferPositions[2], doc.LastOf(2));
    EXPECT_EQ(doc.PealsOf(kDeletedBuffer), deleted);
  }

  // Buffers 1 and 2 as they are, to see that nothing moved.
  std::vector<std::vector<uint32_t>> Buffers() const {
    std::vector<std::vector<uint32_t>> buffers;
    for (int b = 0; b < doc.BufferCount(); ++b) buffers.push_back(doc.PealsOf(b));
    return buffers;
  }

  int32_t a1, a2, c1, c2, t1, t2, t3, unrung, m1, m2, m3, m4;
  std::vector<int32_t> p;
  std::vector<uint32_t> deleted;  // buffer 0, which no selection touches
};

// One row per criterion: what to fill in, the key the chooser gives (if it is asked) and the
// test a selected peal must pass, written out independently of the library.
struct CriterionCase {
  const char* name;
  std::function<void(SelectionTest&, CSelDialog&)> fill;
  std::function<std::optional<int32_t>(SelectionTest&)> key;
  std::function<bool(SelectionTest&, const CPeal&)> expected;
};

class SelectionByCriterion : public SelectionTest,
                             public ::testing::WithParamInterface<CriterionCase> {};

auto Choose(int criterion, const char* search = "x", const char* start = "", const char* end = "") {
  return [=](SelectionTest&, CSelDialog& d) {
    d.ChooseCriterion(criterion);
    d.SetText("searchText", search);
    d.SetText("start", start);
    d.SetText("end", end);
  };
}
auto NoKey() {
  return [](SelectionTest&) { return std::optional<int32_t>{}; };
}

const CriterionCase kCriterionCases[] = {
    {"Association", Choose(kSelAssociation, "YA"), [](SelectionTest& t) { return std::optional(t.a1); },
     [](SelectionTest& t, const CPeal& x) { return x.association == t.a1; }},
    {"Tower", Choose(kSelTower, "York"), [](SelectionTest& t) { return std::optional(t.t1); },
     [](SelectionTest& t, const CPeal& x) { return SelectionTest::Is(x.tower, t.t1); }},
    {"County", Choose(kSelCounty, "Yorks"), [](SelectionTest& t) { return std::optional(t.c1); },
     [](SelectionTest& t, const CPeal& x) {
       return SelectionTest::Is(x.tower, t.t1) || SelectionTest::Is(x.tower, t.t2);
     }},
    {"Method", Choose(kSelMethod, "Cam"), [](SelectionTest& t) { return std::optional(t.m1); },
     [](SelectionTest& t, const CPeal& x) { return SelectionTest::Is(x.method, t.m1); }},
    {"Class",
     [](SelectionTest&, CSelDialog& d) {
       d.ChooseCriterion(kSelClass);
       d.Select("classList", kClassSurprise);
     },
     NoKey(),
     [](SelectionTest& t, const CPeal& x) {
       return SelectionTest::Is(x.method, t.m1) || SelectionTest::Is(x.method, t.m2);
     }},
    {"ClassSpliced",
     [](SelectionTest&, CSelDialog& d) {
       d.ChooseCriterion(kSelClass);
       d.Select("classList", kClassSurprise);
       d.SetChecked("spliced", true);
     },
     NoKey(), [](SelectionTest& t, const CPeal& x) { return SelectionTest::Is(x.method, t.m2); }},
    {"Stage", Choose(kSelStage, "", "7", "7"), NoKey(),
     [](SelectionTest& t, const CPeal& x) { return SelectionTest::Is(x.method, t.m3); }},
    {"NumberOfMethods", Choose(kSelMethodCount, "", "2", "10"), NoKey(),
     [](SelectionTest& t, const CPeal& x) {
       return SelectionTest::Is(x.method, t.m2) || SelectionTest::Is(x.method, t.m4);
     }},
    {"RingerAndTheRingersCountedAsThem", Choose(kSelRinger, "BS"),
     [](SelectionTest& t) { return std::optional(t.p[1]); },
     [](SelectionTest& t, const CPeal& x) { return t.HasRinger(x, {t.p[1], t.p[5]}); }},
    {"Conductor", Choose(kSelConductor, "BS"), [](SelectionTest& t) { return std::optional(t.p[1]); },
     [](SelectionTest& t, const CPeal& x) {
       return SelectionTest::Is(x.conductor, t.p[1]) || SelectionTest::Is(x.conductor, t.p[5]);
     }},
    {"ComposerArrangerOrGenerator", Choose(kSelComposer, "CS"),
     [](SelectionTest& t) { return std::optional(t.p[2]); },
     [](SelectionTest& t, const CPeal& x) {
       return SelectionTest::Is(x.composer, t.p[2]) || SelectionTest::Is(x.arranger, t.p[2]) ||
              SelectionTest::Is(x.generatedBy, t.p[2]);
     }},
    {"Changes", Choose(kSelChanges, "", "5000", "7000"), NoKey(),
     [](SelectionTest&, const CPeal& x) { return x.changes >= 5000 && x.changes <= 7000; }},
    {"Time", Choose(kSelTime, "", "3h", "3h30"), NoKey(),
     [](SelectionTest&, const CPeal& x) { return x.time >= 180 && x.time <= 210; }},
    {"TenorWeight", Choose(kSelTenor, "", "20", "25-2"), NoKey(),
     [](SelectionTest&, const CPeal& x) { return x.tenor >= 20 * 112 && x.tenor <= 25 * 112 + 56; }},
    {"RwPage", Choose(kSelRwPage, "", "100", "1999"), NoKey(),
     [](SelectionTest&, const CPeal& x) { return x.rwPage >= 100 && x.rwPage <= 1999; }},
    {"DateFrom2000ToTodayWhenEndIsEmpty", Choose(kSelDate, "", "1/1/2000", ""), NoKey(),
     [](SelectionTest&, const CPeal& x) {
       return x.date >= MakeDate(1, 1, 2000) && x.date <= MakeDate(15, 6, 2024);
     }},
    {"Duplicate", Choose(kSelDuplicate, ""), NoKey(),
     [](SelectionTest& t, const CPeal& x) {
       for (uint32_t n = 1; n <= t.doc.lastPealNumber; ++n) {
         const CPeal* other = t.doc.PealAt(n);
         if (other && other != &x && other->date == x.date && other->tower == x.tower) return true;
       }
       return false;
     }},
    {"FootnoteWithEmptyTextTakesEveryPealWithOne", Choose(kSelFootnote, ""), NoKey(),
     [](SelectionTest&, const CPeal& x) { return !x.extras[kFootnote].empty(); }},
    {"Extras", Choose(kSelExtras, "abc"), NoKey(),
     [](SelectionTest&, const CPeal& x) {
       return std::any_of(x.extras[kExtra].begin(), x.extras[kExtra].end(),
                          [](const std::string& e) { return e.find("abc") != std::string::npos; });
     }},
};

TEST_P(SelectionByCriterion, SplitsTheBufferIntoThePealsThatPassAndTheRest) {
  const CriterionCase& c = GetParam();
  deleted = doc.PealsOf(kDeletedBuffer);
  const std::vector<uint32_t> before = doc.PealsOf(kMainBuffer);
  Select([this, &c](CSelDialog& d) { c.fill(*this, d); }, c.key(*this));
  EXPECT_TRUE(platform.messages.empty());
  ExpectSplit(before, 2, [this, &c](const CPeal& x) { return c.expected(*this, x); });
}

INSTANTIATE_TEST_SUITE_P(EveryCriterion, SelectionByCriterion, ::testing::ValuesIn(kCriterionCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(SelectionTest, ChooserOpensOnTheCriterionsIndexWithItsCaption) {
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelCounty);
    d.SetText("searchText", "Yor");
  }, c1);
  ASSERT_EQ(platform.chooserRequests.size(), 1u);
  EXPECT_EQ(platform.chooserRequests[0].title, "County");
  EXPECT_EQ(platform.chooserRequests[0].text, "Yor");
  EXPECT_EQ(platform.chooserRequests[0].index, &CountyIndex());
  EXPECT_EQ(platform.chooserRequests[0].target, &doc.docTarget);
  EXPECT_EQ(doc.selection.chosenKey, c1);
  EXPECT_EQ(doc.selectCriterion, kSelCounty);
}

// Exclude takes every peal without the ringer (or anyone counted as them), and every peal that
// the Tower filter stops.
TEST_F(SelectionTest, ExcludeInvertsTheTestAndTakesThePealsTheFilterStops) {
  deleted = doc.PealsOf(kDeletedBuffer);
  const std::vector<uint32_t> before = doc.PealsOf(kMainBuffer);
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelRinger);
    d.SetText("searchText", "BS");
    d.SetChecked("exclude", true);
    d.SetChecked("towerPeals", true);
  }, p[1]);
  ExpectSplit(before, 2, [this](const CPeal& x) { return x.handbell || !HasRinger(x, {p[1], p[5]}); });
}

TEST_F(SelectionTest, ValidOnlyTakesOnlyPealsWithAValidityEntry) {
  deleted = doc.PealsOf(kDeletedBuffer);
  const std::vector<uint32_t> before = doc.PealsOf(kMainBuffer);
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelFootnote);
    d.SetText("searchText", "");
    d.SetChecked("valid", true);
  });
  ExpectSplit(before, 2, [](const CPeal& x) {
    return !x.extras[kValidity].empty() && !x.extras[kFootnote].empty();
  });
}

TEST_F(SelectionTest, HandOnlyTakesHandbellPealsAndReadsTheTenorAsANumber) {
  deleted = doc.PealsOf(kDeletedBuffer);
  const std::vector<uint32_t> before = doc.PealsOf(kMainBuffer);
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelTenor);
    d.SetText("start", "1000");
    d.SetText("end", "3000");
    d.SetChecked("handPeals", true);
  });
  ExpectSplit(before, 2, [](const CPeal& x) { return x.handbell && x.tenor >= 1000 && x.tenor <= 3000; });
}

class RungTowerPeals : public CAnalysisQuery {
 public:
  explicit RungTowerPeals(int32_t person) : m_person(person) {}
  bool HasRungTowerPeals(int32_t person) const override { return person == m_person; }

 private:
  int32_t m_person;
};

TEST_F(SelectionTest, AnalysisBoxAlsoRequiresARingerOfTheCurrentAnalysis) {
  deleted = doc.PealsOf(kDeletedBuffer);
  const std::vector<uint32_t> before = doc.PealsOf(kMainBuffer);
  const RungTowerPeals analysis(p[3]);
  doc.selection.analysis = &analysis;
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelRinger);
    d.SetText("searchText", "BS");
    d.SetChecked("analysis", true);
  }, p[1]);
  ExpectSplit(before, 2, [this](const CPeal& x) { return HasRinger(x, {p[1], p[5]}) && HasRinger(x, {p[3]}); });
}

TEST_F(SelectionTest, AnalysisBoxWithoutAnAnalysisSelectsNothing) {
  const auto buffers = Buffers();
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelFootnote);
    d.SetText("searchText", "");
    d.SetChecked("analysis", true);
  });
  EXPECT_EQ(platform.messages, std::vector<std::string>{"No Match Found"});
  EXPECT_EQ(Buffers(), buffers);
}

TEST_F(SelectionTest, NoMatchSaysSoAndLeavesTheBuffersAsTheyWere) {
  const auto buffers = Buffers();
  const auto roots = doc.bufferRoots;
  const auto positions = doc.bufferPositions;
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelTower);
    d.SetText("searchText", "Nowhere");
  }, unrung);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"No Match Found"});
  EXPECT_EQ(Buffers(), buffers);
  EXPECT_EQ(doc.bufferRoots, roots);
  EXPECT_EQ(doc.bufferPositions, positions);
  EXPECT_EQ(doc.currentBuffer, kMainBuffer);
  EXPECT_EQ(testing::BufferFaults(doc), "");
}

TEST_F(SelectionTest, ARangeWithoutAnEndAboveZeroSelectsNothingAndSaysNothing) {
  const auto buffers = Buffers();
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelChanges);
    d.SetText("start", "5000");
    d.SetText("end", "");
  });
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.chooserRequests.empty());
  EXPECT_EQ(Buffers(), buffers);
}

TEST_F(SelectionTest, CancelledChooserOrEmptySearchTextChangesNothing) {
  const auto buffers = Buffers();
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelTower);
    d.SetText("searchText", "York");
  }, 0);
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelTower);
    d.SetText("searchText", "");
  });
  EXPECT_EQ(platform.chooserRequests.size(), 1u);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(Buffers(), buffers);
  EXPECT_EQ(doc.selection.chosenKey, 0);
}

TEST_F(SelectionTest, RepeatedSelectionsNarrowBufferByBuffer) {
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelDate);
    d.SetText("start", "1/1/2000");
    d.SetText("end", "31/12/2009");
  });
  const std::vector<uint32_t> decade = doc.PealsOf(1);
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelTower);
    d.SetText("searchText", "York");
  }, t1);
  ASSERT_EQ(doc.BufferCount(), 4);
  EXPECT_EQ(testing::BufferFaults(doc), "");
  std::vector<uint32_t> split = doc.PealsOf(1);
  const std::vector<uint32_t> rest = doc.PealsOf(2);
  split.insert(split.end(), rest.begin(), rest.end());
  std::sort(split.begin(), split.end());
  EXPECT_EQ(split, decade);
  for (const uint32_t n : doc.PealsOf(1)) EXPECT_TRUE(Is(doc.PealAt(n)->tower, t1));
  for (const uint32_t n : doc.PealsOf(3)) {
    const Date date = doc.PealAt(n)->date;
    EXPECT_TRUE(date < MakeDate(1, 1, 2000) || date > MakeDate(31, 12, 2009)) << n;
  }
}

TEST_F(SelectionTest, DuplicateTakesBothPealsOfAPairAtOneTowerButNotAtTwo) {
  Select([](CSelDialog& d) { d.ChooseCriterion(kSelDuplicate); });
  std::vector<Date> selectedIn1985;
  for (const uint32_t n : doc.PealsOf(1)) {
    if (SplitDate(doc.PealAt(n)->date).year == 1985) selectedIn1985.push_back(doc.PealAt(n)->date);
  }
  EXPECT_EQ(selectedIn1985, (std::vector<Date>{MakeDate(3, 3, 1985), MakeDate(3, 3, 1985)}));
}

TEST_F(SelectionTest, DialogShowsTheControlsOfTheChosenCriterionAndReopensAsLeft) {
  CTolvaneDoc fresh;
  CSelDialog first(fresh.selectCriterion, fresh.selection);
  EXPECT_EQ(first.Criterion(), kSelRinger);
  EXPECT_TRUE(first.Checked("bothPeals"));
  EXPECT_EQ(first.Selected("classList"), -1);
  const auto visible = [&first] {
    std::string shown;
    for (const char* id : {"searchText", "start", "end", "classList", "spliced", "little"}) {
      if (first.Control(id).visible) shown += std::string(shown.empty() ? "" : " ") + id;
    }
    return shown;
  };
  const std::pair<int, const char*> cases[] = {
      {kSelAssociation, "searchText"}, {kSelClass, "classList spliced little"},
      {kSelStage, "start end"},        {kSelRinger, "searchText"},
      {kSelDate, "start end"},         {kSelDuplicate, ""},
      {kSelExtras, "searchText"},      {kSelTenor, "start end"}};
  for (const auto& [criterion, shown] : cases) {
    first.ChooseCriterion(criterion);
    EXPECT_EQ(visible(), shown) << criterion;
  }
  // A hidden control is not checked at OK: a long Start does not stop a Tower selection.
  first.ChooseCriterion(kSelTower);
  first.SetText("start", std::string(11, '1'));
  EXPECT_FALSE(first.Validate().has_value());
  first.ChooseCriterion(kSelDate);
  EXPECT_EQ(first.Validate().value_or(""), "Please enter no more than 10 characters.");

  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelExtras);
    d.SetText("searchText", "abc");
    d.SetChecked("handPeals", true);
    d.SetChecked("allBuffers", true);
  });
  CSelDialog again(doc.selectCriterion, doc.selection);
  EXPECT_EQ(again.Criterion(), kSelExtras);
  EXPECT_EQ(again.Text("searchText"), "abc");
  EXPECT_TRUE(again.Checked("handPeals"));
  EXPECT_TRUE(again.Checked("allBuffers"));
}

}  // namespace
}  // namespace tv

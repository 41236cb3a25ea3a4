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
    bob = p[1], cat = p[2], dan = p[3], fay = p[5];
    // Fay is counted as Bob: a selection of Bob takes her peals too.
    PersonIndex().equivalences.AddEquivalence(fay, bob);
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
    for (const auto& [date, tower] :
         std::vector<std::pair<Date, int32_t>>{{MakeDate(3, 3, 1985), t1},
                                               {MakeDate(3, 3, 1985), t1},
                                               {MakeDate(4, 4, 1985), t1},
                                               {MakeDate(4, 4, 1985), t2}}) {
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

  // Whether a peal not deleted has the date and tower of `peal`.
  bool HasTwin(const CPeal& peal) const {
    for (uint32_t n = 1; n <= doc.lastPealNumber; ++n) {
      const CPeal* other = doc.PealAt(n);
      if (other && other != &peal && doc.BufferOf(n) != kDeletedBuffer &&
          other->date == peal.date && other->tower == peal.tower) {
        return true;
      }
    }
    return false;
  }

  bool HasRinger(const CPeal& peal, std::initializer_list<int32_t> keys) const {
    return std::any_of(peal.ringers.begin(), peal.ringers.end(), [&keys](uint32_t r) {
      return std::find(keys.begin(), keys.end(), static_cast<int32_t>(r)) != keys.end();
    });
  }

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
    for (const uint32_t n : selected)
      EXPECT_TRUE(expected(*doc.PealAt(n))) << "selected peal " << n;
    for (const uint32_t n : rest)
      EXPECT_FALSE(expected(*doc.PealAt(n))) << "peal left behind " << n;
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

  int32_t a1, a2, c1, c2, t1, t2, t3, unrung, m1, m2, m3, m4, bob, cat, dan, fay;
  std::vector<int32_t> p;
  std::vector<uint32_t> deleted;  // buffer 0, which no selection touches
};

// One row per criterion, and rows for the filters: what to fill in, the member holding the key
// the chooser gives (null when it is not asked), and the test a selected peal must pass,
// written out independently of the library.
struct Row {
  const char* name;
  int criterion;
  const char* search;
  const char* start;
  const char* end;
  std::function<void(CSelDialog&)> more;
  int32_t SelectionTest::*key;
  std::function<bool(const SelectionTest&, const CPeal&)> expected;
};

class SelectionByCriterion : public SelectionTest, public ::testing::WithParamInterface<Row> {};

using T = SelectionTest;
bool Is(uint32_t field, int32_t key) { return field == static_cast<uint32_t>(key); }
bool Contains(const std::vector<std::string>& list, const char* text) {
  return std::any_of(list.begin(), list.end(),
                     [text](const std::string& e) { return e.find(text) != std::string::npos; });
}
auto Tick(const char* id) {
  return [id](CSelDialog& d) { d.SetChecked(id, true); };
}
auto SurpriseClass(bool spliced) {
  return [spliced](CSelDialog& d) {
    d.Select("classList", kClassSurprise);
    d.SetChecked("spliced", spliced);
  };
}

// clang-format off
const Row kRows[] = {
    {"Association", kSelAssociation, "YA", "", "", {}, &T::a1,
     [](const T& t, const CPeal& x) { return x.association == t.a1; }},
    {"Tower", kSelTower, "York", "", "", {}, &T::t1,
     [](const T& t, const CPeal& x) { return Is(x.tower, t.t1); }},
    {"CountyOfThePealsTower", kSelCounty, "Yorks", "", "", {}, &T::c1,
     [](const T& t, const CPeal& x) { return Is(x.tower, t.t1) || Is(x.tower, t.t2); }},
    {"Method", kSelMethod, "Cam", "", "", {}, &T::m1,
     [](const T& t, const CPeal& x) { return Is(x.method, t.m1); }},
    {"Class", kSelClass, "", "", "", SurpriseClass(false), nullptr,
     [](const T& t, const CPeal& x) { return Is(x.method, t.m1) || Is(x.method, t.m2); }},
    {"ClassSpliced", kSelClass, "", "", "", SurpriseClass(true), nullptr,
     [](const T& t, const CPeal& x) { return Is(x.method, t.m2); }},
    {"Stage", kSelStage, "", "7", "7", {}, nullptr,
     [](const T& t, const CPeal& x) { return Is(x.method, t.m3); }},
    {"NumberOfMethods", kSelMethodCount, "", "2", "10", {}, nullptr,
     [](const T& t, const CPeal& x) { return Is(x.method, t.m2) || Is(x.method, t.m4); }},
    {"RingerOrAnyoneCountedAsThem", kSelRinger, "BS", "", "", {}, &T::bob,
     [](const T& t, const CPeal& x) { return t.HasRinger(x, {t.bob, t.fay}); }},
    {"Conductor", kSelConductor, "BS", "", "", {}, &T::bob,
     [](const T& t, const CPeal& x) { return Is(x.conductor, t.bob) || Is(x.conductor, t.fay); }},
    {"ComposerArrangerOrGenerator", kSelComposer, "CS", "", "", {}, &T::cat,
     [](const T& t, const CPeal& x) {
       return Is(x.composer, t.cat) || Is(x.arranger, t.cat) || Is(x.generatedBy, t.cat);
     }},
    {"Changes", kSelChanges, "", "5000", "7000", {}, nullptr,
     [](const T&, const CPeal& x) { return x.changes >= 5000 && x.changes <= 7000; }},
    {"Time", kSelTime, "", "3h", "3h30", {}, nullptr,
     [](const T&, const CPeal& x) { return x.time >= 180 && x.time <= 210; }},
    {"TenorWeight", kSelTenor, "", "20", "25-2", {}, nullptr,
     [](const T&, const CPeal& x) { return x.tenor >= 20 * 112 && x.tenor <= 25 * 112 + 56; }},
    {"RwPage", kSelRwPage, "", "100", "1999", {}, nullptr,
     [](const T&, const CPeal& x) {
       return x.RwPageNumber(false) >= 100 && x.RwPageNumber(false) <= 1999;
     }},
    {"DateFrom2000ToTodayWhenEndIsEmpty", kSelDate, "", "1/1/2000", "", {}, nullptr,
     [](const T&, const CPeal& x) {
       return x.date >= MakeDate(1, 1, 2000) && x.date <= MakeDate(15, 6, 2024);
     }},
    // Deleted peals are no twins.
    {"Duplicate", kSelDuplicate, "", "", "", {}, nullptr,
     [](const T& t, const CPeal& x) { return t.HasTwin(x); }},
    {"ExcludeDuplicateTakesThePealsWithoutATwin", kSelDuplicate, "", "", "", Tick("exclude"),
     nullptr, [](const T& t, const CPeal& x) { return !t.HasTwin(x); }},
    {"FootnoteWithEmptyTextTakesEveryPealWithOne", kSelFootnote, "", "", "", {}, nullptr,
     [](const T&, const CPeal& x) { return !x.extras[kFootnote].empty(); }},
    {"Extras", kSelExtras, "abc", "", "", {}, nullptr,
     [](const T&, const CPeal& x) { return Contains(x.extras[kExtra], "abc"); }},
    // Exclude inverts the whole test, so the peals the Tower filter stops are selected too.
    {"ExcludeRingerOfTowerPeals", kSelRinger, "BS", "", "",
     [](CSelDialog& d) { d.SetChecked("exclude", true); d.SetChecked("towerPeals", true); },
     &T::bob,
     [](const T& t, const CPeal& x) { return x.handbell || !t.HasRinger(x, {t.bob, t.fay}); }},
    {"ValidOnly", kSelFootnote, "", "", "", Tick("valid"), nullptr,
     [](const T&, const CPeal& x) {
       return !x.extras[kValidity].empty() && !x.extras[kFootnote].empty();
     }},
    {"HandOnlyReadsTheTenorAsANumber", kSelTenor, "", "1000", "3000", Tick("handPeals"), nullptr,
     [](const T&, const CPeal& x) { return x.handbell && x.tenor >= 1000 && x.tenor <= 3000; }},
};
// clang-format on

TEST_P(SelectionByCriterion, SplitsTheBufferIntoThePealsThatPassAndTheRest) {
  const Row& row = GetParam();
  deleted = doc.PealsOf(kDeletedBuffer);
  const std::vector<uint32_t> before = doc.PealsOf(kMainBuffer);
  Select(
      [&row](CSelDialog& d) {
        d.ChooseCriterion(row.criterion);
        d.SetText("searchText", row.search);
        d.SetText("start", row.start);
        d.SetText("end", row.end);
        if (row.more) row.more(d);
      },
      row.key ? std::optional<int32_t>(this->*row.key) : std::nullopt);
  EXPECT_TRUE(platform.messages.empty());
  if (row.key) {
    ASSERT_EQ(platform.chooserRequests.size(), 1u);
    EXPECT_EQ(platform.chooserRequests[0].title, CriterionCaption(row.criterion));
    EXPECT_EQ(platform.chooserRequests[0].index, CriterionIndex(row.criterion));
    EXPECT_EQ(platform.chooserRequests[0].target, &doc.docTarget);
  }
  ExpectSplit(before, 2, [this, &row](const CPeal& x) { return row.expected(*this, x); });
}

INSTANTIATE_TEST_SUITE_P(EveryCriterion, SelectionByCriterion, ::testing::ValuesIn(kRows),
                         [](const auto& param) { return std::string(param.param.name); });

class RungTowerPeals : public CAnalysisQuery {
 public:
  explicit RungTowerPeals(int32_t person) : m_person(person) {}
  bool HasRungTowerPeals(int32_t person) const override { return person == m_person; }

 private:
  int32_t m_person;
};

TEST_F(SelectionTest, AnalysisBoxAlsoRequiresARingerOfTheCurrentAnalysis) {
  const auto selectWithAnalysis = [this] {
    Select(
        [](CSelDialog& d) {
          d.ChooseCriterion(kSelRinger);
          d.SetText("searchText", "BS");
          d.SetChecked("analysis", true);
        },
        bob);
  };
  // No analysis on the screen reads as one with no items: nothing passes.
  const auto buffers = Buffers();
  selectWithAnalysis();
  EXPECT_EQ(platform.messages, std::vector<std::string>{"No Match Found"});
  EXPECT_EQ(Buffers(), buffers);

  deleted = doc.PealsOf(kDeletedBuffer);
  const std::vector<uint32_t> before = doc.PealsOf(kMainBuffer);
  const RungTowerPeals analysis(dan);
  doc.selection.analysis = &analysis;
  selectWithAnalysis();
  ExpectSplit(before, 2, [this](const CPeal& x) {
    return HasRinger(x, {bob, fay}) && HasRinger(x, {dan});
  });
}

TEST_F(SelectionTest, NoMatchOrACancelledChooserLeavesTheBuffersAsTheyWere) {
  const auto buffers = Buffers();
  const auto roots = doc.bufferRoots;
  const auto positions = doc.bufferPositions;
  const auto byTower = [](CSelDialog& d) {
    d.ChooseCriterion(kSelTower);
    d.SetText("searchText", "Nowhere");
  };
  Select(byTower, unrung);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"No Match Found"});
  Select(byTower, 0);
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(Buffers(), buffers);
  EXPECT_EQ(doc.bufferRoots, roots);
  EXPECT_EQ(doc.bufferPositions, positions);
  EXPECT_EQ(doc.currentBuffer, kMainBuffer);
}

TEST_F(SelectionTest, ARangeWithoutAnEndAboveZeroSelectsNothingAndSaysNothing) {
  const auto buffers = Buffers();
  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelChanges);
    d.SetText("start", "5000");
    d.SetText("end", "");
  });
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(Buffers(), buffers);
}

// Regression: twins were looked for only among neighbouring peal numbers, so a peal entered
// with New (numbered at the end) missed its twin, and a deleted peal counted as one.
TEST_F(SelectionTest, DuplicateFindsATwinEnteredSinceLoadingAndNeverADeletedOne) {
  const auto add = [this](Date date, int32_t tower, int buffer) {
    auto peal = std::make_unique<CPeal>();
    peal->date = date;
    peal->tower = static_cast<uint32_t>(tower);
    const uint32_t n = doc.AddPeal(std::move(peal));
    doc.InsertIntoBuffer(n, buffer);
    return n;
  };
  // Twins of loaded peals entered now: one on the loaded pair's date, one on a loaded date.
  const uint32_t loaded = doc.PealsOf(kMainBuffer).front();
  const uint32_t lateTwin = add(doc.PealAt(loaded)->date, static_cast<int32_t>(doc.PealAt(loaded)->tower), kMainBuffer);
  // A pair of which one is then deleted, and a peal whose only twin is deleted.
  const uint32_t alone = add(MakeDate(9, 9, 1979), t3, kMainBuffer);
  const uint32_t gone = add(MakeDate(9, 9, 1979), t3, kMainBuffer);
  doc.MovePeal(gone, kDeletedBuffer);
  doc.bufferPositions[kMainBuffer] = doc.LastOf(kMainBuffer);

  CSelectionState state;
  ASSERT_GT(SelectWithoutChooser(doc, kSelDuplicate, state), 0u);
  const std::vector<uint32_t> twins = doc.PealsOf(doc.currentBuffer);
  const auto selected = [&twins](uint32_t n) {
    return std::find(twins.begin(), twins.end(), n) != twins.end();
  };
  EXPECT_TRUE(selected(loaded));
  EXPECT_TRUE(selected(lateTwin));
  EXPECT_FALSE(selected(alone));
  for (const uint32_t n : twins) EXPECT_TRUE(HasTwin(*doc.PealAt(n))) << n;
  EXPECT_EQ(testing::BufferFaults(doc), "");
}

TEST_F(SelectionTest, DialogShowsTheChosenCriterionsControlsAndReopensAsLeft) {
  CTolvaneDoc fresh;
  CSelDialog dialog(fresh.selectCriterion, fresh.selection);
  EXPECT_EQ(dialog.Criterion(), kSelRinger);
  EXPECT_TRUE(dialog.Checked("bothPeals"));
  const auto shown = [&dialog] {
    std::string ids;
    for (const char* id : {"searchText", "start", "end", "classList", "spliced", "little"}) {
      if (dialog.Control(id).visible) ids += std::string(ids.empty() ? "" : " ") + id;
    }
    return ids;
  };
  const std::pair<int, const char*> cases[] = {{kSelCounty, "searchText"},
                                               {kSelClass, "classList spliced little"},
                                               {kSelMethodCount, "start end"},
                                               {kSelDuplicate, ""},
                                               {kSelExtras, "searchText"}};
  for (const auto& [criterion, ids] : cases) {
    dialog.ChooseCriterion(criterion);
    EXPECT_EQ(shown(), ids) << criterion;
  }
  // A hidden field is not checked at OK.
  dialog.SetText("start", std::string(11, '1'));
  EXPECT_FALSE(dialog.Validate().has_value());

  Select([](CSelDialog& d) {
    d.ChooseCriterion(kSelExtras);
    d.SetText("searchText", "abc");
    d.SetChecked("allBuffers", true);
  });
  CSelDialog again(doc.selectCriterion, doc.selection);
  EXPECT_EQ(again.Criterion(), kSelExtras);
  EXPECT_EQ(again.Text("searchText"), "abc");
  EXPECT_TRUE(again.Checked("allBuffers"));
}

}  // namespace
}  // namespace tv

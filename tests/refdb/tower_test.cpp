// Towers: the record with its earlier identities, the identity valid on a date, name forms and
// description, weight and grid texts, ties to external records, the Tower Details dialog with
// its pending choices, and the resolution of imported towers.
#include "refdb/tower.h"

#include "core/dates.h"
#include "refdb/assoc.h"
#include "refdb/saint.h"
#include "refdb/tower_dialog.h"
#include "tests/refdb/reference_fixture.h"

namespace tv {
namespace {

using testing::DialogAction;

class TowerTest : public ReferenceTest {
 protected:
  TowerTest() {
    devon = AddCounty("Devon", "Devon");
    leics = AddCounty("Leicestershire", "Leics");
    paul = AddSaint(3, 2, "Paul");
    andrew = AddSaint(0, 2, "Andrew");
  }
  uint8_t AddCounty(const char* name, const char* abbreviation) {
    auto county = std::make_unique<CCounty>();
    county->name = name;
    county->abbreviation = abbreviation;
    return static_cast<uint8_t>(CountyIndex().InsertNew(std::move(county)));
  }
  int32_t AddSaint(int churchType, int prefixCode, const char* name) {
    auto saint = std::make_unique<CSaint>();
    saint->typeCode = static_cast<uint8_t>(churchType * 4 + prefixCode);
    saint->name = name;
    return SaintIndex().InsertNew(std::move(saint));
  }
  int32_t AddTower(const char* place, uint8_t county, int32_t dedication, uint16_t weight = 0) {
    auto tower = std::make_unique<CTower>();
    tower->place = place;
    tower->county = county;
    tower->dedication = dedication;
    tower->tenorWeight = weight;
    return TowerIndex().InsertNew(std::move(tower));
  }
  void AddRecord(int32_t sxKey, uint8_t bells, uint16_t tenor, uint16_t easting = 0) {
    auto record = std::make_unique<CSteeplex>();
    record->location = "Ashby";
    record->bellCount = bells;
    record->tenorWeight = tenor;
    record->gridEasting = easting;
    record->gridNorthing = easting ? 6456 : 0;
    SteeplexIndex().AddWithKey(std::move(record), sxKey);
  }
  CTower& Tower(int32_t key) { return *dynamic_cast<CTower*>(TowerIndex().Lookup(key)); }

  uint8_t devon = 0, leics = 0;
  int32_t paul = 0, andrew = 0;
};

// A tower with two earlier identities: up to 1989 it had 8 bells, up to 1900 it was Ashby
// Parva in another county with 6 bells.
std::unique_ptr<CTower> TowerWithHistory(uint8_t county, uint8_t oldCounty) {
  auto tower = std::make_unique<CTower>();
  tower->key = 12;
  tower->place = "Ashby";
  tower->steeplexKey = 9;
  tower->county = county;
  tower->hideCounty = 1;
  tower->dedication = 5;
  tower->bellCount = 10;
  tower->tenorWeight = 2751;
  tower->gridEasting = 14123;
  tower->gridNorthing = 6456;
  tower->earlier = tower->CloneChain();
  tower->earlier->untilDate = MakeDate(31, 12, 1989);
  tower->earlier->bellCount = 8;
  tower->earlier->tenorWeight = 1500;
  tower->earlier->earlier = tower->earlier->CloneChain();
  CTower& oldest = *tower->earlier->earlier;
  oldest.untilDate = MakeDate(31, 12, 1900);
  oldest.place = "Ashby Parva";
  oldest.county = oldCounty;
  oldest.dedication = 6;
  oldest.bellCount = 6;
  return tower;
}

std::string Dword(uint32_t v) {
  return Bytes({static_cast<int>(v & 0xff), static_cast<int>((v >> 8) & 0xff),
                static_cast<int>((v >> 16) & 0xff), static_cast<int>(v >> 24)});
}

TEST_F(TowerTest, RecordWithEarlierIdentitiesReadsBackByteForByte) {
  auto tower = TowerWithHistory(devon, leics);
  const std::string bytes = RecordBytes(*tower);
  auto back = ReadRecordBytes<CTower>(bytes);
  EXPECT_EQ(RecordBytes(*back), bytes);
  ASSERT_EQ(back->EarlierCount(), 2);
  const CTower& middle = *back->earlier;
  EXPECT_EQ(middle.place, "Ashby");
  EXPECT_EQ(middle.county, devon);
  EXPECT_EQ(middle.hideCounty, 1);
  EXPECT_EQ(middle.steeplexKey, 9);
  EXPECT_EQ(middle.gridEasting, 14123);
  EXPECT_EQ(middle.dedication, 5);
  EXPECT_EQ(middle.tenorWeight, 1500);
  const CTower& oldest = *middle.earlier;
  EXPECT_EQ(oldest.place, "Ashby Parva");
  EXPECT_EQ(oldest.county, leics);
  EXPECT_EQ(oldest.dedication, 6);
  EXPECT_EQ(oldest.bellCount, 6);
  EXPECT_EQ(oldest.tenorWeight, 1500);
  EXPECT_EQ(oldest.untilDate, MakeDate(31, 12, 1900));
}

// Regression: zero values were never written, so an earlier identity without a county, a
// dedication or a bell count read back with the later identity's.
TEST_F(TowerTest, EarlierIdentityKeepsItsEmptyFieldsEmpty) {
  auto tower = TowerWithHistory(devon, 0);
  CTower& oldest = *tower->earlier->earlier;
  oldest.dedication = 0;
  oldest.bellCount = 0;
  oldest.place.clear();
  auto back = ReadRecordBytes<CTower>(RecordBytes(*tower));
  ASSERT_EQ(back->EarlierCount(), 2);
  const CTower& read = *back->earlier->earlier;
  EXPECT_EQ(read.county, 0);
  EXPECT_EQ(read.dedication, 0);
  EXPECT_EQ(read.bellCount, 0);
  EXPECT_EQ(read.place, "");
  EXPECT_EQ(read.tenorWeight, 1500);  // unchanged fields still follow the later identity
  EXPECT_EQ(back->earlier->county, devon);
}

TEST_F(TowerTest, EarlierIdentityStoresOnlyWhatChanged) {
  CTower tower;
  tower.key = 1;
  tower.place = "Ab";
  tower.county = devon;
  tower.bellCount = 8;
  tower.earlier = tower.CloneChain();
  tower.earlier->untilDate = MakeDate(1, 1, 1990);
  tower.earlier->bellCount = 6;
  const std::string expected = Bytes({0x1f, 1, 0x70, 'A', 'b', 0, 0x03, devon, 0x02, 8, 0x44}) +
                               Dword(static_cast<uint32_t>(MakeDate(1, 1, 1990))) +
                               Bytes({0x02, 6, 0});
  EXPECT_EQ(RecordBytes(tower), expected);
  // Unknown fields, before and after the date, are skipped.
  const std::string noisy = Bytes({0x1f, 1, 0x7a, 'q', 0, 0x70, 'A', 'b', 0, 0x03, devon, 0x02,
                                   8, 0xb1, 1, 5, 0, 0x44}) +
                            Dword(static_cast<uint32_t>(MakeDate(1, 1, 1990))) +
                            Bytes({0x19, 7, 0x02, 6, 0});
  auto read = ReadRecordBytes<CTower>(noisy);
  EXPECT_EQ(RecordBytes(*read), expected);
  EXPECT_EQ(read->earlier->place, "Ab");
  EXPECT_EQ(read->earlier->county, devon);
}

TEST_F(TowerTest, IdentityIsChosenByDate) {
  const int32_t key = TowerIndex().InsertNew(TowerWithHistory(devon, leics));
  const CTower& tower = Tower(key);
  tower.earlier->earlier->hideCounty = 0;
  struct Case {
    Date date;
    const char* place;
    int bells;
    const char* county;
  } cases[] = {
      {0, "Ashby", 10, "Devon"},
      {MakeDate(1, 1, 1990), "Ashby", 10, "Devon"},
      {MakeDate(31, 12, 1989), "Ashby", 8, "Devon"},
      {MakeDate(31, 12, 1900), "Ashby Parva", 6, "Leics"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(DateText(c.date));
    EXPECT_EQ(tower.PlaceAt(c.date), c.place);
    EXPECT_EQ(tower.BellsAt(c.date), c.bells);
    EXPECT_EQ(tower.CountyNameAt(c.date), c.county);
  }
  // The county is hidden now but was shown for Ashby Parva.
  EXPECT_EQ(tower.PlaceWithCountyAt(true, 0), "ASHBY");
  EXPECT_EQ(tower.PlaceWithCountyAt(false, MakeDate(1, 1, 1800)), "Ashby Parva, Leics");
  EXPECT_EQ(tower.WeightAt(MakeDate(1, 1, 1800)), 1500);
}

TEST_F(TowerTest, NamesAndColourPrefixes) {
  const int32_t key = AddTower("Ashby", leics, paul);
  CTower& tower = Tower(key);
  EXPECT_EQ(tower.GetName(0), "ASHBY, Leics, Cathedral of S Paul");
  EXPECT_EQ(tower.GetName(1), "ASHBY, Leics, Cathedral of S Paul");
  EXPECT_EQ(tower.TagText(), "<t>Ashby<tc>Leics<td>Cathedral of S Paul");
  tower.steeplexKey = 7999;
  EXPECT_EQ(tower.GetName(1), "\\=ASHBY, Leics, Cathedral of S Paul");
  EXPECT_EQ(tower.SteeplexText(), "@7999");
  tower.steeplexKey = 8000;
  EXPECT_EQ(tower.GetName(1), "\\^ASHBY, Leics, Cathedral of S Paul");
  tower.link = 3;
  EXPECT_EQ(tower.GetName(1), "\\+ASHBY, Leics, Cathedral of S Paul");
  tower.hideCounty = 1;
  EXPECT_EQ(tower.GetName(0), "ASHBY, Cathedral of S Paul");
  EXPECT_EQ(tower.TagText(), "<t>Ashby<tc>Leics<td>Cathedral of S Paul<tk>8000");
  std::string csv;
  tower.WriteCsvLine(csv);
  EXPECT_EQ(csv, std::to_string(key) + ",\"Ashby\"," + std::to_string(leics) + "," +
                     std::to_string(paul) + ",8000\n");
}

TEST_F(TowerTest, DescriptionListsFieldsHistoryAndChanges) {
  auto tower = TowerWithHistory(devon, leics);
  tower->steeplexKey = 0;
  tower->dedication = paul;
  tower->earlier->dedication = paul;
  tower->earlier->earlier->dedication = andrew;
  EXPECT_EQ(tower->GetDetails(),
            "Place\t\tAshby\r\nCounty\t\tDevon\r\nDedication\tthe Cathedral Church of St Paul\r\n"
            "Bells\t\t10\r\nWeight \t\t24-2-7\r\nGrid Reference\tSU123456\r\n"
            "\r\nBefore " + ShortDateText(MakeDate(31, 12, 1989), true) + ":\r\n"
            "Bells\t\t8\r\nWeight \t\t13-1-16\r\n"
            "\r\nBefore " + ShortDateText(MakeDate(31, 12, 1900), true) + ":\r\n"
            "Place\t\tAshby Parva\r\nCounty\t\tLeics\r\nDedication\tSt Andrew\r\nBells\t\t6\r\n");
  CTower bare;
  bare.place = "Ashby";
  bare.steeplexKey = 44;
  EXPECT_EQ(bare.GetDetails(), "Place\t\tAshby\r\n\r\nSteeplex Key 44:\r\n");
}

TEST(TowerTextTest, WeightTexts) {
  struct Case {
    uint16_t weight;
    const char* text;
    const char* rounded;
    const char* quarters;
  } cases[] = {
      {0, "0-0-0", "0lb", "0 cwt"},      {56, "0-2-0", "56lb", "0 1/2 cwt"},
      {83, "0-2-27", "83lb", "0 3/4 cwt"}, {84, "0-3-0", "1", "0 3/4 cwt"},
      {2700, "24-0-12", "24", "24 cwt"}, {2751, "24-2-7", "25", "24 1/2 cwt"},
      {65535, "585-0-15", "585", "585 1/4 cwt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WeightText(c.weight), c.text);
    EXPECT_EQ(WeightRounded(c.weight), c.rounded);
    EXPECT_EQ(WeightQuarters(c.weight), c.quarters);
    EXPECT_EQ(ParseWeight(c.text), c.weight);
  }
  for (const char* text : {"24-2-7", "24/2/7", "24:2:7", " 24 - 2 - 7 "}) {
    EXPECT_EQ(ParseWeight(text), 2751) << text;
  }
  EXPECT_EQ(ParseWeight("24"), 2688);
  EXPECT_EQ(ParseWeight("24-2"), 2744);
  EXPECT_EQ(ParseWeight(""), 0);
  // Absurd hundredweights, as a fuzzed import file gave them, wrap in 16 bits like the rest.
  EXPECT_EQ(ParseWeight("200399903-3-5"), static_cast<uint16_t>(ParseWeight("200399903") + 3 * 28 + 5));
}

TEST(TowerTextTest, GridReferences) {
  EXPECT_EQ(GridRefText(14123, 6456), "SU123456");
  EXPECT_EQ(GridRefText(3005, 12040), "LO005040");
  EXPECT_EQ(GridRefText(24999, 24999), "EE999999");
  for (auto [e, n] : {std::pair{14123, 6456}, {3005, 12040}, {0, 0}, {24999, 24999}}) {
    const GridRef g = ParseGridRef(GridRefText(static_cast<uint16_t>(e), static_cast<uint16_t>(n)));
    EXPECT_EQ(g.easting, e);
    EXPECT_EQ(g.northing, n);
  }
  EXPECT_EQ(ParseGridRef("su123456").easting, 14123);
  // Beyond the lettered squares, and texts that are not grid references.
  EXPECT_EQ(GridRefText(30000, 100), "??000100");
  for (const char* text : {"", "SU12345", "SI123456", "12345678", "??000100"}) {
    EXPECT_EQ(ParseGridRef(text).easting, 0) << text;
    EXPECT_EQ(ParseGridRef(text).northing, 0) << text;
  }
}

TEST_F(TowerTest, TyingARecordUntiesItsFormerTower) {
  AddRecord(12, 8, 1500, 14123);
  AddRecord(13, 0, 0);
  const int32_t a = AddTower("Ashby", leics, 0, 900);
  const int32_t b = AddTower("Ashby", devon, 0, 700);
  LinkSteeplex(12, a);
  EXPECT_EQ(Tower(a).steeplexKey, 12);
  EXPECT_EQ(Tower(a).bellCount, 8);
  EXPECT_EQ(Tower(a).tenorWeight, 1500);
  EXPECT_EQ(Tower(a).gridNorthing, 6456);
  LinkSteeplex(12, b);
  EXPECT_EQ(Tower(a).steeplexKey, 0);
  EXPECT_EQ(Tower(b).steeplexKey, 12);
  EXPECT_EQ(TowerOf(12), b);
  // A record with no bells, tenor or grid reference leaves the tower's own; the old tie goes.
  LinkSteeplex(13, b);
  EXPECT_EQ(Tower(b).steeplexKey, 13);
  EXPECT_EQ(Tower(b).tenorWeight, 1500);
  EXPECT_EQ(TowerOf(12), 0);
  // A record that does not exist ties nothing.
  LinkSteeplex(99, a);
  EXPECT_EQ(Tower(a).steeplexKey, 0);
  // An untie survives a save.
  SaveAllIndexes();
  LinkSteeplex(13, 0);
  SaveAllIndexes();
  CloseIndexSet();
  OpenIndexSet("/db/");
  EXPECT_EQ(Tower(b).steeplexKey, 0);
}

TEST_F(TowerTest, DetailsDialogSettlesChoicesOneAtATime) {
  AddRecord(12, 8, 1500);
  const int32_t key = AddTower("Ashby", devon, andrew, 700);
  platform.QueueDialog([&](DialogModel& d) {
    EXPECT_EQ(d.Title(), "Tower Details");
    EXPECT_EQ(d.Text("county"), "Devon");
    EXPECT_EQ(d.Text("dedication"), "St Andrew");
    EXPECT_EQ(d.Text("tenor"), "6-1-0");
    d.SetText("county", "Corn");
    d.SetText("dedication", "Paul");
    d.SetText("tenor", "24-2-7");
    d.SetChecked("steeplexData", true);
    return DialogAction::Ok;
  });
  // Each chooser opens only after the previous one answered.
  platform.QueueChoice([&](const ChooserRequest& r) {
    EXPECT_EQ(platform.chooserRequests.size(), 1u);
    EXPECT_EQ(r.chooser, 2);
    EXPECT_EQ(r.index, &CountyIndex());
    EXPECT_EQ(r.text, "Corn");
    EXPECT_EQ(r.title, "County");
    return 0;  // cancelled
  });
  platform.QueueChoice([&](const ChooserRequest& r) {
    EXPECT_EQ(platform.chooserRequests.size(), 2u);
    EXPECT_EQ(r.index, &SaintIndex());
    EXPECT_EQ(r.title, "Dedication");
    return paul;
  });
  platform.QueueChoice([&](const ChooserRequest& r) {
    EXPECT_EQ(r.index, &SteeplexIndex());
    EXPECT_EQ(r.text, "Ashby");
    EXPECT_EQ(r.title, "Steeplex Tower");
    return 12;
  });
  EXPECT_EQ(TowerIndex().EditEntry(key, true), key);
  EXPECT_EQ(platform.chooserRequests.size(), 1u);
  EXPECT_EQ(Tower(key).tenorWeight, 2751);
  platform.Pump();
  EXPECT_TRUE(platform.ScriptUsedUp());
  const CTower& tower = Tower(key);
  EXPECT_EQ(tower.county, 0);
  EXPECT_EQ(tower.dedication, paul);
  EXPECT_EQ(tower.steeplexKey, 12);
  EXPECT_EQ(tower.bellCount, 8);
  EXPECT_EQ(TowerOf(12), key);
  EXPECT_EQ(TowerIndex().FindEntry("Ashby", 0), key);

  // Clearing the box unties the tower and lets the record go.
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Text("bells"), "8");
    d.SetChecked("steeplexData", false);
    return DialogAction::Ok;
  });
  EXPECT_EQ(TowerIndex().EditEntry(key, true), key);
  EXPECT_EQ(Tower(key).steeplexKey, 0);
  EXPECT_EQ(TowerOf(12), 0);
  EXPECT_EQ(TowerOf(0), 0);
}

TEST_F(TowerTest, UntilDateRecordsWhatTheTowerWasAndHistoryBoxClearsIt) {
  const int32_t key = AddTower("Ashby", leics, 0, 2751);
  Tower(key).bellCount = 10;
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("untilDate", "31/2/1989");
    return DialogAction::Ok;  // refused: not a date
  });
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("untilDate", "31/12/1989");
    d.SetText("place", "Ashby Magna");
    d.SetText("bells", "8");
    return DialogAction::Ok;
  });
  EXPECT_EQ(TowerIndex().EditEntry(key, true), key);
  EXPECT_EQ(platform.messages, std::vector<std::string>{std::string(kRefuseDate)});
  const CTower& tower = Tower(key);
  EXPECT_EQ(tower.place, "Ashby");
  EXPECT_EQ(tower.bellCount, 10);
  ASSERT_EQ(tower.EarlierCount(), 1);
  EXPECT_EQ(tower.PlaceAt(MakeDate(31, 12, 1989)), "Ashby Magna");
  EXPECT_EQ(tower.BellsAt(MakeDate(31, 12, 1989)), 8);
  EXPECT_EQ(tower.WeightAt(MakeDate(31, 12, 1989)), 2751);

  platform.QueueDialog([](DialogModel& d) {
    EXPECT_TRUE(d.Checked("history"));
    d.SetChecked("history", false);
    return DialogAction::Ok;
  });
  TowerIndex().EditEntry(key, true);
  EXPECT_EQ(Tower(key).EarlierCount(), 0);
  EXPECT_TRUE(platform.chooserRequests.empty());

  platform.QueueDialog([](DialogModel& d) {
    d.SetText("place", "Elsewhere");
    return DialogAction::Cancel;
  });
  EXPECT_EQ(Tower(key).Edit(), 0);
  EXPECT_EQ(Tower(key).place, "Ashby");
}

class FindTowerTest : public TowerTest {
 protected:
  FindTowerTest() {
    paulsTower = AddTower("Ashburton", devon, paul, 1500);
    andrewsTower = AddTower("Ashburton", devon, andrew, 2000);
  }
  int32_t paulsTower = 0, andrewsTower = 0;
};

TEST_F(FindTowerTest, ExactMatchTakesTheTowerAndItsCloseWeight) {
  uint16_t weight = 1590;
  EXPECT_EQ(FindOrAddTower(0, "ashburton", "Devon", "Cathedral Church of St Paul", false, weight),
            paulsTower);
  EXPECT_EQ(weight, 1500);
  weight = 1700;
  EXPECT_EQ(FindOrAddTower(0, "Ashburton", "", "St Andrew", false, weight), andrewsTower);
  EXPECT_EQ(weight, 1700);  // more than 112 lb away: the caller's weight stands
  weight = 1590;
  EXPECT_EQ(FindOrAddTower(0, "Ashburton", "Devon", "Cathedral of S Paul", true, weight),
            paulsTower);
  EXPECT_EQ(weight, 1590);
  // A replaced tower gives way to its replacement.
  Tower(paulsTower).link = andrewsTower;
  weight = 1950;
  EXPECT_EQ(FindOrAddTower(0, "Ashburton", "Devon", "Cathedral of S Paul", false, weight),
            andrewsTower);
  EXPECT_EQ(weight, 2000);
}

TEST_F(FindTowerTest, WeightPicksTheOneCloseCandidate) {
  struct Case {
    uint16_t weight;
    bool noWeightMatch;
    bool found;  // the Paul tower (1500 lb); otherwise a new tower
  } cases[] = {
      {1612, false, true}, {1388, false, true}, {1613, false, false}, {1550, true, false},
  };
  for (const Case& c : cases) {
    uint16_t weight = c.weight;
    const int32_t result =
        FindOrAddTower(0, "Ashburton", "Devon", "St Michael", c.noWeightMatch, weight);
    EXPECT_EQ(result == paulsTower, c.found) << c.weight;
    if (!c.found) {
      EXPECT_EQ(Tower(result).place, "Ashburton");
      EXPECT_EQ(Tower(result).county, devon);
      EXPECT_EQ(Tower(result).dedication, FindOrAddDedication("St Michael"));
      EXPECT_EQ(Tower(result).tenorWeight, 0);
      EXPECT_EQ(weight, c.weight);
      TowerIndex().Remove(result);
    }
  }
  // A candidate without a dedication might be the tower: no weight match then.
  AddTower("Ashburton", devon, 0, 3000);
  uint16_t weight = 1550;
  EXPECT_NE(FindOrAddTower(0, "Ashburton", "Devon", "St Michael", false, weight), paulsTower);
}

TEST_F(FindTowerTest, ExternalKeysDecideFirst) {
  AddRecord(12, 0, 0);
  uint16_t weight = 0;
  const int32_t tied = FindOrAddTower(12, "Ashburton", "Devon", "St Andrew", true, weight);
  EXPECT_EQ(tied, andrewsTower);
  EXPECT_EQ(TowerOf(12), andrewsTower);
  // The cross-reference wins over every text.
  EXPECT_EQ(FindOrAddTower(12, "Elsewhere", "", "", true, weight), andrewsTower);
  EXPECT_EQ(FindOrAddTowerText("Elsewhere", true, weight, 12, nullptr), andrewsTower);
  // The text form judges every tower by county and dedication...
  EXPECT_EQ(FindOrAddTowerText("Ashburton, Devon, St Andrew", true, weight, 0, nullptr),
            andrewsTower);
  // ...but the other form does not take a tied tower for its texts without its key.
  EXPECT_NE(FindOrAddTower(0, "Ashburton", "Devon", "St Andrew", true, weight), andrewsTower);
}

TEST_F(FindTowerTest, TextFormSplitsPlaceCountyAndDedication) {
  uint16_t weight = 0;
  EXPECT_EQ(FindOrAddTowerText(" Ashburton , Devon , Cathedral of S Paul", true, weight, 0,
                               nullptr),
            paulsTower);
  // Not a county: the start of the dedication.
  EXPECT_EQ(FindOrAddTowerText("Ashburton, St Andrew", true, weight, 0, nullptr), andrewsTower);
  auto log = files.Open("/db/debug.txt", OpenMode::Create);
  const int32_t added = FindOrAddTowerText("Lundy, Devon", true, weight, 0, log.get());
  EXPECT_EQ(Tower(added).GetName(0), "LUNDY, Devon");
  EXPECT_EQ(Tower(added).dedication, 0);
  EXPECT_EQ(files.Contents("/db/debug.txt"), " ->LUNDY, Devon ");
  EXPECT_EQ(FindOrAddTowerText("Lundy", true, weight, 0, nullptr), added);
  // With no county given, a candidate whose county is hidden may still match on weight.
  Tower(paulsTower).hideCounty = 1;
  weight = 1450;
  EXPECT_EQ(FindOrAddTowerText("Ashburton, St Michael", false, weight, 0, nullptr), paulsTower);
  EXPECT_EQ(weight, 1500);
}

}  // namespace
}  // namespace tv

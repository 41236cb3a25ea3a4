// External tower data: its record, its name, the import of its files, the cross-reference file
// and the collation with our towers; and the method index's import of first-rung dates.
#include <gtest/gtest.h>

#include "core/sgml_file.h"
#include "refdb/assoc.h"
#include "refdb/method.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"
#include "tests/refdb/reference_fixture.h"

namespace tv {
namespace {

class SteeplexTest : public ReferenceTest {
 protected:
  static std::unique_ptr<CSteeplex> Record(int32_t key, std::string location, uint16_t tenor = 0) {
    auto record = std::make_unique<CSteeplex>();
    record->key = key;
    record->location = std::move(location);
    record->tenorWeight = tenor;
    return record;
  }
  void AddRecord(int32_t key, const std::string& location) {
    SteeplexIndex().AddWithKey(Record(key, location), key);
  }
  int32_t AddTower(const std::string& place) {
    uint16_t weight = 0;
    return FindOrAddTower(0, place, "", "", true, weight);
  }
  std::vector<int32_t> Keys(CIndex& index) {
    std::vector<int32_t> keys;
    for (int32_t k = index.First(); k != 0 && keys.size() < 1000; k = index.Entry(k).next) {
      keys.push_back(k);
    }
    return keys;
  }
};

TEST_F(SteeplexTest, RecordAlwaysWritesItsStringArray) {
  auto record = Record(12, "Ashby", 1500);
  EXPECT_EQ(RecordBytes(*record),
            Bytes({0x1f, 12, 0x6c, 'A', 's', 'h', 'b', 'y', 0, 0x34, 0xdc, 0x05, 0xa4, 6,
                   0,    0,  0,    0,   0,   0,   0,   0,   0, 0,    0,    0,    0}));
  record->map = 1;
  record->saint = 0x0302;
  auto back = ReadRecordBytes<CSteeplex>(RecordBytes(*record));
  EXPECT_EQ(back->key, 12);
  EXPECT_EQ(back->tenorWeight, 1500);
  EXPECT_EQ(back->map, 1);
  EXPECT_EQ(back->saint, 0x0302);
  // The single fields of an older record.
  auto single = ReadRecordBytes<CSteeplex>(Bytes({0x1f, 7, 0x03, 4, 0x13, 5, 0x29, 1, 2, 0}));
  EXPECT_EQ(single->county, 4);
  EXPECT_EQ(single->saint, 5);
  EXPECT_EQ(single->building, 0x0201);
}

TEST_F(SteeplexTest, NameShowsTheCountyAndSaintWhenSet) {
  auto county = std::make_unique<CSXdata>();
  county->name = "Leicestershire";
  SteeplexStrings(kSxCounty).AddWithKey(std::move(county), 3);
  auto record = Record(12, "Ashby");
  record->county = 3;
  EXPECT_EQ(record->GetName(0), "12: Ashby,Leicestershire");
  record->county = 0;
  EXPECT_EQ(record->GetName(0), "12: Ashby");
}

TEST_F(SteeplexTest, ImportingTwiceKeepsOneEntryPerKeyAndShowsProgress) {
  files.SetContents("/data/sxs.sxd", "St Mary\r\n\r\nSt Paul\r\n");
  files.SetContents("/data/sxc.sxd", "Leicestershire");
  std::string main;
  for (int32_t key = 1; key <= 202; ++key)
    main += RecordBytes(*Record(key * 3, "Place " + std::to_string(key)));
  main += RecordBytes(*Record(70000, "Damaged"));
  main += RecordBytes(*Record(999, "Cut short")).substr(0, 5);
  files.SetContents("/data/steeplex.sxd", main);
  for (int run = 0; run < 2; ++run) {
    const SteeplexImportCounts counts = ImportSteeplexFiles("/data/steeplex.sxd");
    EXPECT_EQ(counts.strings[kSxSaint], 3);
    EXPECT_EQ(counts.strings[kSxBuilding], 0);
    EXPECT_EQ(counts.records, 203);
  }
  EXPECT_EQ(Keys(SteeplexStrings(kSxSaint)).size(), 3u);
  EXPECT_EQ(StringText(kSxSaint, 2), "");
  EXPECT_EQ(StringText(kSxSaint, 3), "St Paul");
  EXPECT_EQ(StringText(kSxCounty, 1), "Leicestershire");
  EXPECT_EQ(Keys(SteeplexIndex()).size(), 202u);
  EXPECT_EQ(SteeplexRecord(600)->location, "Place 200");
  EXPECT_EQ(SteeplexRecord(999), nullptr);
  // Progress after the 101st and 202nd record of each run, never a message box.
  EXPECT_EQ(platform.progressSteps,
            (std::vector<std::string>{"Place 101", "Place 202", "Place 101", "Place 202"}));
  EXPECT_TRUE(platform.messages.empty());

  // Reopened, the entries are read back from the files the import saved.
  CloseIndexSet();
  OpenIndexSet("/db/");
  EXPECT_EQ(SteeplexRecord(3)->location, "Place 1");
}

TEST_F(SteeplexTest, ImportCommandAsksForTheMainFile) {
  files.SetContents("/data/steeplex.sxd", RecordBytes(*Record(5, "Ashby")));
  platform.QueueOpenFile(std::nullopt);
  ImportSteeplexCommand();
  EXPECT_EQ(SteeplexRecord(5), nullptr);
  platform.QueueOpenFile("/data/steeplex.sxd");
  ImportSteeplexCommand();
  EXPECT_NE(SteeplexRecord(5), nullptr);
  EXPECT_EQ(platform.filePrompts.at(0).defaultName, "steeplex.sxd");
  EXPECT_EQ(platform.filePrompts.at(0).filter, "(*.sxd) | *.sxd | (*.*) | *.* || ");
}

TEST_F(SteeplexTest, CrossReferenceFileLayout) {
  CSteeplexXref& xref = SteeplexXref();
  xref.Set(3, 7);
  EXPECT_EQ(xref.Bytes(), Bytes({4, 0, 0, 0, 0, 0, 0, 0, 7, 0}));
  SaveAllIndexes();
  EXPECT_EQ(files.Contents("/db/steeplex.xrf"), xref.Bytes());
  EXPECT_FALSE(xref.Changed());
  // Read again at the next opening; a file cut short keeps the elements before the cut.
  CloseIndexSet();
  xref.Clear();
  OpenIndexSet("/db/");
  EXPECT_EQ(TowerOf(3), 7);
  files.SetContents("/db/cut.xrf", Bytes({4, 0, 0, 0, 5, 0, 6}));
  xref.Read("/db/cut.xrf");
  EXPECT_EQ(xref.Size(), 2u);
  EXPECT_EQ(TowerOf(1), 5);
  xref.Read("/db/none.xrf");
  EXPECT_EQ(xref.Size(), 1u);
  // 65535 elements and more: the escape, then the count in 32 bits.
  xref.Set(65535, 9);
  const std::string bytes = xref.Bytes();
  EXPECT_EQ(bytes.substr(0, 6), Bytes({0xff, 0xff, 0, 0, 1, 0}));
  EXPECT_EQ(bytes.size(), 6u + 2 * 65536);
  files.SetContents("/db/big.xrf", bytes);
  xref.Read("/db/big.xrf");
  EXPECT_EQ(TowerOf(65535), 9);
  EXPECT_EQ(xref.Size(), 65536u);
}

TEST_F(SteeplexTest, CollateVisitsKeysInBitReversedOrderAndStopsOnCancel) {
  EXPECT_EQ(CollateKey(1), 8192);
  EXPECT_EQ(CollateKey(2), 4096);
  EXPECT_EQ(CollateKey(3), 12288);
  EXPECT_EQ(CollateKey(4), 2048);
  EXPECT_EQ(CollateKey(5), 10240);
  EXPECT_EQ(CollateKey(6), 6144);
  EXPECT_EQ(CollateKey(7), 14336);
  EXPECT_EQ(CollateKey(16384), 0);
  for (int32_t key : {2048, 4096, 8192, 10240, 12288}) AddRecord(key, "Ashby");
  const int32_t first = AddTower("Ashby");
  const int32_t second = AddTower("York");
  const int32_t tied = AddTower("Bath");
  const int32_t stale = AddTower("Wells");
  LinkSteeplex(12288, tied);
  SteeplexXref().Set(2048, stale);  // a tie the tower does not know of
  EXPECT_EQ(UntiedSteeplexRecords(), (std::vector<int32_t>{8192, 4096, 2048, 10240}));

  std::vector<std::string> asked;
  auto answer = [&](int32_t key) {
    platform.QueueChoice([&asked, key](const ChooserRequest& r) {
      asked.push_back(r.title);
      EXPECT_EQ(r.chooser, 2);
      EXPECT_EQ(r.index, &TowerIndex());
      EXPECT_EQ(r.text, "Ashby");
      return key;
    });
  };
  answer(first);
  answer(second);
  answer(0);
  CollateSteeplex();
  platform.Pump();
  EXPECT_EQ(asked, (std::vector<std::string>{"8192: Ashby", "4096: Ashby", "10240: Ashby"}));
  EXPECT_EQ(TowerOf(8192), first);
  EXPECT_EQ(TowerOf(4096), second);
  EXPECT_EQ(TowerOf(2048), 0);
  EXPECT_EQ(TowerOf(12288), tied);
  EXPECT_FALSE(platform.HasPendingChooser());
  // The stale tie was cleared on the way, not asked about: the next collation asks.
  EXPECT_EQ(UntiedSteeplexRecords(), (std::vector<int32_t>{2048, 10240}));
}

TEST_F(SteeplexTest, StaleTieIsClearedWithoutUntyingTheTowersOwnRecord) {
  AddRecord(12, "Ashby");
  AddRecord(13, "Ashby");
  const int32_t tower = AddTower("Ashby");
  SteeplexXref().Set(12, tower);
  LinkSteeplex(13, tower);
  LinkSteeplex(12, 0);
  EXPECT_EQ(TowerOf(12), 0);
  EXPECT_EQ(static_cast<CTower*>(TowerIndex().Lookup(tower))->steeplexKey, 13);
}

class MethodImportTest : public ReferenceTest {
 protected:
  void ImportText(const std::string& text) {
    files.SetContents("/db/data.sgm", text);
    auto file = CSGMLFile::Open("/db/data.sgm");
    MethodIndex().ImportSgml(*file);
  }
};

TEST_F(MethodImportTest, EarliestDateOfEachRecordBecomesTheFirstRung) {
  ImportText(
      "<n>1<mn>Cambridge<mc>Surprise<ms>Major<f>Spliced<hd>10/3/1901<td>2/2/1900<k>x\r\n"
      "<n>2<mn>Bristol<mc>Surprise<ms>Major<f>Spliced\r\n"
      "<n>3<mn>Kent<mc>Treble Bob<ms>Minor<td>1/1/1850");
  CMethodIndex& index = MethodIndex();
  const std::vector<int32_t> keys = [&] {
    std::vector<int32_t> k;
    for (int32_t key = index.First(); key != 0; key = index.Entry(key).next) k.push_back(key);
    return k;
  }();
  ASSERT_EQ(keys.size(), 2u);  // a record whose only date is "Spliced" adds nothing
  const int32_t cambridge = index.FindEntry("Cambridge", 0);
  EXPECT_EQ(index.Method(cambridge)->firstRung, MakeDate(2, 2, 1900));
  EXPECT_EQ(index.Method(cambridge)->methodClass, kClassSurprise);
  EXPECT_EQ(index.Method(index.FindEntry("Kent", 0))->firstRung, MakeDate(1, 1, 1850));
  // Read again, the dates are already there: nothing is marked for rewriting.
  index.Save();
  ImportText("<n>1<mn>Cambridge<mc>Surprise<ms>Major<td>2/2/1900");
  EXPECT_FALSE(index.Modified());
}

}  // namespace
}  // namespace tv

// The public tower database's CSV into the external tower indexes: the sample field by field,
// a second import, converted characters, and damaged rows.
#include "refdb/tower_csv.h"

#include <gtest/gtest.h>

#include "refdb/assoc.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"
#include "tests/refdb/reference_fixture.h"
#include "tests/support/sample_files.h"

namespace tv {
namespace {

constexpr const char* kHeader =
    "TowerID,RingType,Place,Place2,Dedicn,AltName,County,Bells,Wt,NG,TowerBase\n";

class TowerCsvTest : public ReferenceTest {
 protected:
  Status Import(const std::string& csv) {
    files.SetContents("/data/dove.csv", csv);
    return ImportTowerCsv("/data/dove.csv", summary);
  }
  static const CSteeplex& Record(int32_t key) {
    const CSteeplex* record = SteeplexRecord(key);
    EXPECT_NE(record, nullptr) << key;
    static const CSteeplex none;
    return record ? *record : none;
  }
  TowerCsvSummary summary;
};

TEST_F(TowerCsvTest, SampleImportsFieldByField) {
  ASSERT_TRUE(Import(testing::PublicSample("towers.csv")).ok());
  EXPECT_EQ(summary.rows, 79u);
  EXPECT_EQ(summary.imported, 77u);
  EXPECT_EQ(summary.carillons, 2u);
  EXPECT_EQ(summary.Skipped(), 2u);
  // Flats and sharps are in the tenor's note only, which the record does not hold.
  EXPECT_FALSE(summary.text.Changed());
  // Northern Ireland's grid has one letter: not an Ordnance Survey reference.
  EXPECT_EQ(summary.problems, std::vector<std::string>{"line 39: grid reference 'J329672' is not read"});

  const CSteeplex& ab = Record(6918);
  EXPECT_EQ(ab.location, "Ab Kettleby");
  EXPECT_EQ(StringText(kSxCounty, ab.county), "Leicestershire");
  EXPECT_EQ(StringText(kSxSaint, ab.saint), "S James");
  EXPECT_EQ(StringText(kSxAssociation, ab.association), "LeiDG");
  EXPECT_EQ(StringText(kSxPractice, ab.practice), "Wed");
  EXPECT_EQ(StringText(kSxMap, ab.map), "52.79858, -0.92747");
  EXPECT_EQ(ab.building, 0);
  EXPECT_EQ(ab.bellCount, 6);
  EXPECT_EQ(ab.tenorWeight, 974);
  EXPECT_EQ(GridRefText(ab.gridEasting, ab.gridNorthing), "SK724228");
  EXPECT_EQ(ab.towerId, 12574u);
  EXPECT_EQ(ab.GetName(0), "6918: Ab Kettleby,Leicestershire,S James");

  // A second place line tells the Adelaide towers apart; the alternative name is the "In" text.
  EXPECT_EQ(Record(5919).location, "Adelaide, Walkerville");
  EXPECT_EQ(StringText(kSxBuilding, Record(5919).building), "Walkerville");
  EXPECT_EQ(StringText(kSxBuilding, Record(10).building), "Port Talbot");
  // Quoted fields with commas, affiliations with ";", leading zeros of the tower number.
  EXPECT_EQ(StringText(kSxPractice, Record(16).practice), "Tue (1st, 3rd, 5th)");
  EXPECT_EQ(StringText(kSxAssociation, Record(4).association), "B&W;G&B");
  EXPECT_EQ(Record(1).location, "Abbey Dore");
  EXPECT_EQ(Record(12).location, "Aberdeen");
  EXPECT_EQ(Record(6132).location, "Aberdeen");
  // Outside Great Britain: no grid reference, but a map position.
  EXPECT_EQ(Record(5850).gridEasting, 0);
  EXPECT_EQ(StringText(kSxMap, Record(5850).map), "32.44421, -99.74567");
  EXPECT_EQ(StringText(kSxCounty, Record(5850).county), "Texas");
  // Strings are shared: both Abingdon towers name one county entry.
  EXPECT_EQ(Record(16).county, Record(17).county);
}

TEST_F(TowerCsvTest, ImportingAgainReplacesKeyByKeyAndKeepsTheStrings) {
  ASSERT_TRUE(Import(testing::PublicSample("towers.csv")).ok());
  const uint16_t county = Record(6918).county;
  const int32_t strings = SteeplexStrings(kSxCounty).Count();
  ASSERT_TRUE(Import(testing::PublicSample("towers.csv")).ok());
  EXPECT_EQ(summary.imported, 77u);
  EXPECT_EQ(summary.replaced, 77u);
  EXPECT_EQ(summary.stringsAdded, 0u);
  EXPECT_EQ(Record(6918).county, county);
  EXPECT_EQ(SteeplexStrings(kSxCounty).Count(), strings);
  int entries = 0;
  for (int32_t k = SteeplexIndex().First(); k != 0 && entries < 1000; k = SteeplexIndex().Entry(k).next) {
    ++entries;
  }
  EXPECT_EQ(entries, 77);
  // The indexes were saved: a fresh set reads the same records.
  CloseIndexSet();
  OpenIndexSet("/db/");
  EXPECT_EQ(Record(6918).towerId, 12574u);
  EXPECT_EQ(StringText(kSxSaint, Record(6918).saint), "S James");
}

TEST_F(TowerCsvTest, CharactersTheCodePageLacksAreTransliteratedAndCounted) {
  ASSERT_TRUE(Import(std::string(kHeader) +
                     "1,Full circle ring,T\u0177 Newydd,,S \u0141ucja,,Gwynedd,6,900,,0101\n"
                     "2,Full circle ring,\u4E2D,,,,,6,900,,0102\n")
                  .ok());
  EXPECT_EQ(Record(101).location, "Ty Newydd");
  EXPECT_EQ(StringText(kSxSaint, Record(101).saint), "S Lucja");
  EXPECT_EQ(Record(102).location, "?");
  EXPECT_EQ(summary.text.transliterated, 2u);
  EXPECT_EQ(summary.text.replaced, 1u);
  EXPECT_NE(summary.Text().find("Characters not in the code page: 2 written as near letters, "
                                "1 as \"?\", 0 bytes not UTF-8\n"),
            std::string::npos);
}

TEST_F(TowerCsvTest, DamagedRowsAreSkippedAndReportedAndTheRestImported) {
  const Status status = Import(std::string(kHeader) +
                               "1,Full circle ring,\"Open,,,,,6,900,,0001\n"  // line 2
                               "2,Full circle ring,Short,0002\n"              // line 3
                               "3,Full circle ring,Big,,,,,6,900,,99999\n"
                               "4,Full circle ring,None,,,,,6,900,,abc\n"
                               "5,Full circle ring,First,,,,,6,900,,0007\n"
                               "6,Full circle ring,Again,,,,,6,900,,0007\n"
                               "7,Full circle ring,Heavy,,,,,300,70000,XX123456,0008\n"
                               "8,Carillon,Bells,,,,,48,9000,,0009\n");
  EXPECT_EQ(status.code(), StatusCode::PartialRead);
  EXPECT_EQ(status.message(),
            "/data/dove.csv: 2 damaged rows were skipped; the first at line 2: a quoted field is "
            "not closed");
  EXPECT_EQ(summary.rows, 8u);
  EXPECT_EQ(summary.damaged, 2u);
  EXPECT_EQ(summary.outOfRange, 1u);
  EXPECT_EQ(summary.noNumber, 1u);
  EXPECT_EQ(summary.duplicates, 1u);
  EXPECT_EQ(summary.carillons, 1u);
  EXPECT_EQ(summary.imported, 2u);
  EXPECT_EQ(Record(7).location, "First");
  // Values too large for the record are left at 0, not wrapped, and said so.
  EXPECT_EQ(Record(8).bellCount, 0);
  EXPECT_EQ(Record(8).tenorWeight, 0);
  EXPECT_EQ(SteeplexRecord(1), nullptr);
  EXPECT_EQ(SteeplexRecord(99999 & 0xFFFF), nullptr);
  const std::string text = summary.Text();
  EXPECT_NE(text.find("line 3: 4 fields where the header has 11; the row is skipped\n"), std::string::npos);
  EXPECT_NE(text.find("line 7: tower number 0007 was already used at line 6; the row is skipped\n"),
            std::string::npos);
  EXPECT_NE(text.find("line 8: number of bells '300' is not read\n"), std::string::npos);
  EXPECT_NE(text.find("line 8: tenor weight '70000' is not read\n"), std::string::npos);
}

TEST_F(TowerCsvTest, FileWithoutTheHeaderIsRefusedAndChangesNothing) {
  const Status status = Import("12574,Full circle ring,Ab Kettleby\n");
  EXPECT_EQ(status.code(), StatusCode::BadData);
  EXPECT_EQ(SteeplexIndex().First(), 0);
  EXPECT_EQ(ImportTowerCsv("/data/none.csv", summary).code(), StatusCode::NotFound);
}

TEST_F(TowerCsvTest, TowerIdTravelsInItsOwnFieldAndOlderRecordsKeepTheirBytes) {
  CSteeplex record;
  record.key = 12;
  record.location = "Ashby";
  const std::string old = RecordBytes(record);
  record.towerId = 12574;
  const std::string bytes = RecordBytes(record);
  // The id comes just before the end byte: the record up to there is as before.
  EXPECT_EQ(bytes.substr(0, old.size() - 1), old.substr(0, old.size() - 1));
  EXPECT_EQ(bytes.substr(old.size() - 1), Bytes({0x27, 0x1E, 0x31, 0}));
  EXPECT_EQ(ReadRecordBytes<CSteeplex>(bytes)->towerId, 12574u);
}

TEST_F(TowerCsvTest, CollateThenAsksAboutTheImportedRecords) {
  ASSERT_TRUE(Import(testing::PublicSample("towers.csv")).ok());
  EXPECT_EQ(UntiedSteeplexRecords().size(), 77u);
  uint16_t weight = 0;
  const int32_t tower = FindOrAddTower(6918, "Ab Kettleby", "", "S James", false, weight);
  EXPECT_EQ(TowerOf(6918), tower);
  const auto* tied = dynamic_cast<const CTower*>(TowerIndex().Lookup(tower));
  ASSERT_NE(tied, nullptr);
  EXPECT_EQ(tied->tenorWeight, 974);
  EXPECT_EQ(tied->bellCount, 6);
  EXPECT_EQ(SteeplexKeysByTowerId().at(12574), 6918);
}

}  // namespace
}  // namespace tv

namespace tv {
namespace {

TEST_F(TowerCsvTest, MenuCommandAsksForTheFileAndShowsTheSummary) {
  files.SetContents("/data/dove.csv", testing::PublicSample("towers.csv"));
  platform.QueueOpenFile("/data/dove.csv");
  ImportTowerCsvCommand();
  ASSERT_EQ(platform.filePrompts.size(), 1u);
  EXPECT_EQ(platform.filePrompts[0].title, "Import Tower CSV");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].substr(0, 26), "Rows read: 79\nImported: 77");
  EXPECT_NE(SteeplexRecord(6918), nullptr);
  platform.QueueOpenFile(std::nullopt);
  ImportTowerCsvCommand();
  EXPECT_EQ(platform.messages.size(), 1u);
}

}  // namespace
}  // namespace tv

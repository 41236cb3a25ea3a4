// The position that external tower records keep from the public tower database: its field in
// the record, which older readers skip, its reading from the CSV, and a save and reload.
#include <gtest/gtest.h>

#include "refdb/steeplex.h"
#include "refdb/tagged_record.h"
#include "refdb/tower_csv.h"
#include "tests/refdb/reference_fixture.h"
#include "tests/support/sample_files.h"

namespace tv {
namespace {

class SteeplexPositionTest : public ReferenceTest {
 protected:
  static CSteeplex Ashby() {
    CSteeplex record;
    record.key = 12;
    record.location = "Ashby";
    record.tenorWeight = 1500;
    record.towerId = 300;
    return record;
  }
  const CSteeplex& Imported(int32_t key) {
    const CSteeplex* record = SteeplexRecord(key);
    EXPECT_NE(record, nullptr) << key;
    static const CSteeplex none;
    return record ? *record : none;
  }
};

// What a reader that knows only the fields before the position takes from a record: every
// field it knows, the rest skipped by their types, as any older reader of the file does.
struct COlderRecord {
  std::string location;
  uint32_t tenor = 0, towerId = 0;
  std::vector<uint32_t> strings;
  void Read(Archive& in) {
    TaggedReader reader(in, true);
    TaggedField field;
    while (reader.Next(field)) {
      if (field.letter == 'l') location = field.text;
      if (field.letter == 't') tenor = field.value;
      if (field.letter == 'g') towerId = field.value;
      if (field.letter == 'd') strings = field.array;
    }
  }
};

TEST_F(SteeplexPositionTest, PositionIsOneFieldBeforeTheEndByteAndOnlyWhenKnown) {
  CSteeplex record = Ashby();
  const std::string without = RecordBytes(record);
  record.hasPosition = true;
  record.latitude = 52798580;   // 0x0325A474
  record.longitude = -927470;   // 0xFFF1D912
  const std::string with = RecordBytes(record);
  EXPECT_EQ(with, without.substr(0, without.size() - 1) +
                      Bytes({0xd7, 2, 0x74, 0xa4, 0x25, 0x03, 0x12, 0xd9, 0xf1, 0xff, 0}));
  auto back = ReadRecordBytes<CSteeplex>(with);
  EXPECT_TRUE(back->hasPosition);
  EXPECT_EQ(back->latitude, 52798580);
  EXPECT_EQ(back->longitude, -927470);
  EXPECT_EQ(back->towerId, 300u);
  EXPECT_FALSE(ReadRecordBytes<CSteeplex>(without)->hasPosition);

  // A position on the equator and the prime meridian is still a position.
  record.latitude = 0;
  record.longitude = 0;
  EXPECT_TRUE(ReadRecordBytes<CSteeplex>(RecordBytes(record))->hasPosition);
}

TEST_F(SteeplexPositionTest, OlderReaderSkipsThePositionAndReadsTheNextRecord) {
  CSteeplex first = Ashby();
  first.hasPosition = true;
  first.latitude = -33900000;
  first.longitude = 151200000;
  first.map = 4;
  CSteeplex second = Ashby();
  second.location = "Barby";
  second.tenorWeight = 900;
  files.SetContents("/records", RecordBytes(first) + RecordBytes(second));
  auto file = files.Open("/records", OpenMode::Read);
  Archive in(*file, Archive::Mode::Load, 64);
  COlderRecord a;
  COlderRecord b;
  a.Read(in);
  b.Read(in);
  EXPECT_EQ(a.location, "Ashby");
  EXPECT_EQ(a.tenor, 1500u);
  EXPECT_EQ(a.towerId, 300u);
  EXPECT_EQ(a.strings, (std::vector<uint32_t>{4, 0, 0, 0, 0, 0}));
  EXPECT_EQ(b.location, "Barby");
  EXPECT_EQ(b.tenor, 900u);
}

TEST_F(SteeplexPositionTest, DamagedPositionFieldIsDroppedNotMisplaced) {
  const std::string head = Bytes({0x1f, 5, 0x6c, 'X', 0});
  // One value only; a latitude beyond the pole; the right shape, for comparison.
  EXPECT_FALSE(ReadRecordBytes<CSteeplex>(head + Bytes({0xd7, 1, 1, 0, 0, 0, 0}))->hasPosition);
  EXPECT_FALSE(ReadRecordBytes<CSteeplex>(
                   head + Bytes({0xd7, 2, 0x00, 0x00, 0x00, 0x10, 0, 0, 0, 0, 0}))
                   ->hasPosition);
  auto good = ReadRecordBytes<CSteeplex>(head + Bytes({0xd7, 2, 1, 0, 0, 0, 2, 0, 0, 0, 0}));
  EXPECT_TRUE(good->hasPosition);
  EXPECT_EQ(good->latitude, 1);
  EXPECT_EQ(good->longitude, 2);
  EXPECT_EQ(good->location, "X");
}

TEST(ParseDegreesTest, DecimalDegreesToMillionths) {
  const struct {
    const char* text;
    int limit;
    bool ok;
    int32_t value;
  } cases[] = {
      {"52.79858", 90, true, 52798580},  {"-0.92747", 180, true, -927470},
      {" 1.5 ", 90, true, 1500000},      {"+7", 90, true, 7000000},
      {"0.0000005", 90, true, 1},        {"0.0000004999", 90, true, 0},
      {"-179.9999999", 180, true, -180000000}, {"90", 90, true, 90000000},
      {".5", 90, true, 500000},          {"90.000001", 90, false, 0},
      {"91", 90, false, 0},              {"", 90, false, 0},
      {"-", 90, false, 0},               {"1.2.3", 90, false, 0},
      {"52,79", 90, false, 0},           {"1e5", 90, false, 0},
      {"99999999999999999999", 180, false, 0},
  };
  for (const auto& c : cases) {
    int32_t value = 0;
    EXPECT_EQ(ParseDegrees(c.text, c.limit, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST_F(SteeplexPositionTest, CsvPositionIsKeptThroughSaveAndReload) {
  files.SetContents("/data/dove.csv", testing::PublicSample("towers.csv"));
  TowerCsvSummary summary;
  ASSERT_TRUE(ImportTowerCsv("/data/dove.csv", summary).ok());
  // Ab Kettleby: 52.79858, -0.92747; Ballylesson (Northern Ireland): 54.53632, -5.94721.
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass == 0 ? "imported" : "reloaded");
    EXPECT_TRUE(Imported(6918).hasPosition);
    EXPECT_EQ(Imported(6918).latitude, 52798580);
    EXPECT_EQ(Imported(6918).longitude, -927470);
    EXPECT_EQ(Imported(6918).towerId, 12574u);
    EXPECT_EQ(StringText(kSxMap, Imported(6918).map), "52.79858, -0.92747");
    // Its grid reference is the Irish Grid's, which the record's grid fields cannot hold.
    EXPECT_EQ(Imported(5892).latitude, 54536320);
    EXPECT_EQ(Imported(5892).longitude, -5947210);
    EXPECT_EQ(Imported(5892).gridEasting, 0);
    CloseIndexSet();
    OpenIndexSet("/db/");
  }
}

TEST_F(SteeplexPositionTest, CsvRowWithoutAUsablePositionIsNotedAndHasNone) {
  files.SetContents("/data/dove.csv",
                    "TowerBase,Place,Lat,Long\n"
                    "1,Alpha,51.5,-0.1\n"
                    "2,Beta,95.0,1.0\n"
                    "3,Gamma,51.5,\n"
                    "4,Delta,,\n");
  TowerCsvSummary summary;
  ASSERT_TRUE(ImportTowerCsv("/data/dove.csv", summary).ok());
  EXPECT_TRUE(Imported(1).hasPosition);
  EXPECT_EQ(Imported(1).longitude, -100000);
  EXPECT_FALSE(Imported(2).hasPosition);
  EXPECT_FALSE(Imported(3).hasPosition);
  EXPECT_FALSE(Imported(4).hasPosition);
  EXPECT_EQ(summary.problems,
            (std::vector<std::string>{
                "line 3: position '95.0, 1.0' is not read",
                "line 4: position has only one of latitude and longitude; it is not read"}));
}

}  // namespace
}  // namespace tv

// Dedications: the short and long name forms, records, the details dialog, and the parsing of
// imported dedication texts.
#include "refdb/saint.h"

#include "tests/refdb/reference_fixture.h"

namespace tv {
namespace {

class DedicationTest : public ReferenceTest {
 protected:
  int32_t Add(int churchType, int prefixCode, const char* name) {
    auto saint = std::make_unique<CSaint>();
    saint->typeCode = static_cast<uint8_t>(churchType * 4 + prefixCode);
    saint->name = name;
    return SaintIndex().InsertNew(std::move(saint));
  }
  const CSaint& Saint(int32_t key) {
    return *dynamic_cast<const CSaint*>(SaintIndex().Lookup(key));
  }
};

TEST(DedicationNameTest, ShortAndLongForms) {
  struct Case {
    int churchType, prefixCode;
    const char* shortForm;
    const char* longForm;
  } cases[] = {
      {0, 0, "Paul", "Paul"},
      {1, 2, "S Paul", "the Church of St Paul"},
      {2, 1, "Abbey of SS Paul", "the Abbey Church of SS Paul"},
      {3, 2, "Cathedral of S Paul", "the Cathedral Church of St Paul"},
      {4, 3, "Parish of the Paul", "the Parish Church of the Paul"},
      {5, 0, "Priory of Paul", "the Priory Church of Paul"},
  };
  for (const Case& c : cases) {
    CSaint saint;
    saint.typeCode = static_cast<uint8_t>(c.churchType * 4 + c.prefixCode);
    saint.name = "Paul";
    EXPECT_EQ(saint.GetName(0), c.shortForm);
    EXPECT_EQ(saint.GetName(1), c.longForm);
  }
  EXPECT_EQ(CSaint().GetName(1), "??");
}

TEST(DedicationRecordTest, ReadsBackByteForByteAndSkipsUnknownFields) {
  CSaint saint;
  saint.key = 4;
  saint.typeCode = 14;
  saint.name = "Mary";
  const std::string bytes = RecordBytes(saint);
  EXPECT_EQ(bytes, Bytes({0x1f, 4, 0x10, 14, 0x6e, 'M', 'a', 'r', 'y', 0, 0}));
  EXPECT_EQ(RecordBytes(*ReadRecordBytes<CSaint>(bytes)), bytes);
  // An unknown number and an unknown text between the known fields.
  auto read = ReadRecordBytes<CSaint>(
      Bytes({0x1f, 4, 0x3a, 1, 2, 3, 4, 0x10, 14, 0x79, 'x', 0, 0x6e, 'M', 'a', 'r', 'y', 0, 0}));
  EXPECT_EQ(RecordBytes(*read), bytes);
}

TEST_F(DedicationTest, ParsesImportedTexts) {
  struct Case {
    const char* text;
    int churchType, prefixCode;
    const char* name;
  } cases[] = {
      {"Cathedral Church of St Paul", 3, 2, "Paul"},
      {"Abbey Church of SS Mary and Ethelflaeda", 2, 1, "Mary and Ethelflaeda"},
      {"Church of the Holy Rood", 1, 3, "Holy Rood"},
      {"Priory of S Peter", 5, 2, "Peter"},
      {"st Paul", 0, 0, "st Paul"},
      {"  The Good Shepherd ", 0, 3, "Good Shepherd"},
      {"Stephen", 0, 0, "Stephen"},
  };
  for (const Case& c : cases) {
    const int32_t key = FindOrAddDedication(c.text);
    ASSERT_NE(key, 0) << c.text;
    EXPECT_EQ(Saint(key).ChurchType(), c.churchType) << c.text;
    EXPECT_EQ(Saint(key).PrefixCode(), c.prefixCode) << c.text;
    EXPECT_EQ(Saint(key).name, c.name) << c.text;
    EXPECT_EQ(FindOrAddDedication(c.text), key) << "found again: " << c.text;
  }
  EXPECT_EQ(FindOrAddDedication(""), 0);
}

TEST_F(DedicationTest, TextWithoutChurchTypeFindsTheChurchOfEntry) {
  Add(0, 2, "Pauline");
  const int32_t church = Add(1, 2, "Paul");
  const int32_t cathedral = Add(3, 2, "Paul");
  EXPECT_EQ(FindOrAddDedication("St Paul"), church);
  EXPECT_EQ(FindOrAddDedication("Cathedral Church of St Paul"), cathedral);
  const int32_t before = SaintIndex().Count();
  const int32_t ss = FindOrAddDedication("SS Paul");
  EXPECT_EQ(SaintIndex().Count(), before + 1);
  EXPECT_EQ(Saint(ss).typeCode, 1);
}

TEST_F(DedicationTest, DetailsDialogStoresBothCodes) {
  const int32_t key = Add(0, 0, "Mary");
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Title(), "Dedication Details");
    EXPECT_EQ(d.Control("churchType").items.size(), 6u);
    EXPECT_EQ(d.Control("prefix").items[3], "the");
    d.Select("churchType", 4);
    d.Select("prefix", 2);
    d.SetText("name", "Mary the Virgin");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(SaintIndex().EditEntry(key, true), key);
  EXPECT_EQ(Saint(key).GetName(1), "the Parish Church of St Mary the Virgin");
  platform.QueueDialogCancel();
  EXPECT_EQ(SaintIndex().EditEntry(0, true), 0);
}

}  // namespace
}  // namespace tv

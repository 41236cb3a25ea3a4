// Associations and counties: shortened names and short forms of imported associations, the
// one-byte key limit, records, the details dialogs, and counties found by full name.
#include "refdb/assoc.h"

#include "tests/refdb/reference_fixture.h"

namespace tv {
namespace {

class AssocTest : public ReferenceTest {
 protected:
  const CAssoc& Assoc(int32_t key) {
    return *dynamic_cast<const CAssoc*>(AssocIndex().Lookup(key));
  }
  template <typename T, typename Index>
  int32_t AddStr(Index& index, const char* name, const char* abbreviation, int32_t key = 0) {
    auto object = std::make_unique<T>();
    object->name = name;
    object->abbreviation = abbreviation;
    return key ? index.AddWithKey(std::move(object), key) : index.InsertNew(std::move(object));
  }
};

TEST(AssocNameTest, CommonWordsAreCutToTheirInitial) {
  struct Case {
    const char* text;
    const char* name;
  } cases[] = {
      {"Ancient Society of College Youths", "Ancient S of College Y"},
      {"SOCIETY OF ROYAL CUMBERLAND YOUTHS", "S of Royal Cumberland Y"},
      {"Guildford Diocesan Guild", "Guildford D G"},
      {"Yorkshire Association of Change Ringers", "Yorkshire A of Change R"},
      {"Oxford University Society", "Oxford U S"},
      {"Essex Association, Bellringers", "Essex A, B"},
      {"Ringersfield Youthsome", "Ringersfield Youthsome"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortenedAssocName(c.text), c.name) << c.text;
}

TEST_F(AssocTest, ImportedAssociationIsAddedOnceAsNonAffiliated) {
  auto log = files.Open("/db/debug.txt", OpenMode::Create);
  const uint8_t key = FindOrAddAssoc("Ancient Society of College Youths", log.get());
  ASSERT_NE(key, 0);
  EXPECT_EQ(Assoc(key).name, "Ancient Society of College Youths");
  EXPECT_EQ(Assoc(key).abbreviation, "ASCY");
  EXPECT_EQ(Assoc(key).kind, static_cast<uint8_t>(Affiliation::NonAffiliated));
  EXPECT_EQ(files.Contents("/db/debug.txt"), " ->Ancient Society of College Youths ");
  EXPECT_EQ(FindOrAddAssoc("ANCIENT SOCIETY OF COLLEGE YOUTHS", nullptr), key);
  // Same short form, another name: a second association.
  const uint8_t other = FindOrAddAssoc("Associated Society of Country Yodellers", nullptr);
  EXPECT_NE(other, key);
  EXPECT_EQ(Assoc(other).abbreviation, "ASCY");
  EXPECT_EQ(FindOrAddAssoc("", nullptr), 0);
}

TEST_F(AssocTest, AssociationWithoutCapitalsIsFoundAgainAfterReopening) {
  const uint8_t key = FindOrAddAssoc("local band", nullptr);
  ASSERT_NE(key, 0);
  SaveAllIndexes();
  CloseIndexSet();
  OpenIndexSet("/db/");
  EXPECT_EQ(FindOrAddAssoc("local band", nullptr), key);
}

// Regression: key 255 went to a real association, whose row the association-and-stage table
// then showed as Non-Attributed. It is never given out, so 254 associations fill the byte.
TEST_F(AssocTest, KeysBeyondOneByteAndTheNonAttributedKeyAreNeverReturned) {
  for (int i = 1; i <= 254; ++i) {
    AddStr<CAssoc>(AssocIndex(), ("A" + std::to_string(i)).c_str(), "X");
  }
  EXPECT_EQ(FindOrAddAssoc("Lundy Guild", nullptr), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("Lundy G"), std::string::npos);
  // Not left in the index, where no peal could name it.
  int listed = 0;
  for (int32_t k = AssocIndex().First(); k != 0; k = AssocIndex().Entry(k).next) ++listed;
  EXPECT_EQ(listed, 254);
  EXPECT_EQ(AssocIndex().Lookup(kNonAttributedAssocKey), nullptr);

  AddStr<CAssoc>(AssocIndex(), "Sark G", "SG", 300);
  EXPECT_EQ(FindOrAddAssoc("Sark Guild", nullptr), 0);
  EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(AssocTest, RecordsReadBackByteForByte) {
  CAssoc assoc;
  assoc.key = 70000;
  assoc.kind = 2;
  assoc.name = "Ancient S of College Y";
  assoc.abbreviation = "ASCY";
  const std::string bytes = RecordBytes(assoc);
  EXPECT_EQ(bytes.substr(0, 8), Bytes({0x5f, 0x70, 0x11, 1, 0, 0x14, 2, 0x6e}));
  auto back = ReadRecordBytes<CAssoc>(bytes);
  EXPECT_EQ(RecordBytes(*back), bytes);
  // A fresh county writes only the key and the two default texts.
  CCounty county;
  county.key = 3;
  EXPECT_EQ(RecordBytes(county), Bytes({0x1f, 3, 0x6e, '?', 0, 0x61, '?', 0, 0}));
  // Unknown fields (a 4-byte number, a list of texts) are skipped.
  auto read = ReadRecordBytes<CCounty>(Bytes({0x1f, 3, 0x42, 1, 2, 3, 4, 0xe9, 2, 'a', 0, 'b',
                                              0, 0x6e, '?', 0, 0x61, '?', 0, 0}));
  EXPECT_EQ(RecordBytes(*read), RecordBytes(county));
}

TEST_F(AssocTest, AssociationDetailsDialog) {
  const int32_t key = AddStr<CAssoc>(AssocIndex(), "Lundy G", "LG");
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Title(), "Association Details");
    EXPECT_EQ(d.CheckedRadio("CC Affiliation"), "affiliated");
    EXPECT_EQ(d.Control("abbreviation").maxLength, 10u);
    EXPECT_EQ(d.Control("name").maxLength, 100u);
    d.SetText("name", "Lundy Island G");
    d.SetText("abbreviation", "LIG");
    d.SetChecked("special", true);
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(AssocIndex().EditEntry(key, true), key);
  EXPECT_EQ(Assoc(key).name, "Lundy Island G");
  EXPECT_EQ(Assoc(key).abbreviation, "LIG");
  EXPECT_EQ(Assoc(key).kind, static_cast<uint8_t>(Affiliation::Special));
  EXPECT_EQ(AssocIndex().FindEntry("LIG", 0), key);
}

TEST_F(AssocTest, SameShortFormSortsByNameAndFindsTheFirst) {
  const int32_t second = AddStr<CAssoc>(AssocIndex(), "Surrey G", "SG");
  const int32_t first = AddStr<CAssoc>(AssocIndex(), "Sark G", "SG");
  EXPECT_EQ(AssocIndex().FindEntry("sg", 0), first);
  EXPECT_EQ(AssocIndex().Entry(first).next, second);
}

// Regression: the SGML "<tc>" writes the short form, but counties were found by full name
// only, so every county written was lost on reading back.
TEST_F(AssocTest, CountyFoundByShortFormOrFullNameInTheOrderAsked) {
  CCountyIndex& counties = CountyIndex();
  const int32_t devon = AddStr<CCounty>(counties, "Devon", "Devon");
  const int32_t derby = AddStr<CCounty>(counties, "Derbyshire", "Derbys");
  AddStr<CCounty>(counties, "Cornwall", "Corn");
  const int32_t dorset = AddStr<CCounty>(counties, "Dorset", "Dorset");
  // A county whose full name is another's short form.
  const int32_t odd = AddStr<CCounty>(counties, "Corn", "Co");
  EXPECT_EQ(FindCountyByName("Devon"), devon);
  EXPECT_EQ(FindCountyByName("Derbyshire"), derby);
  EXPECT_EQ(FindCountyByName("Derbys"), derby);
  EXPECT_EQ(FindCountyByName("Dorset"), dorset);
  EXPECT_EQ(FindCountyByName("devon"), 0);
  EXPECT_EQ(FindCountyByName(""), 0);
  EXPECT_EQ(FindCountyByName("Corn"), odd);
  EXPECT_NE(FindCounty("Corn", true), odd);
  // Found by its full name, but a tower could not hold its key.
  AddStr<CCounty>(counties, "Durham", "Durham", 256);
  EXPECT_EQ(FindCountyByName("Durham"), 0);

  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Title(), "County Details");
    EXPECT_EQ(d.Control("name").maxLength, 50u);
    EXPECT_EQ(d.Control("abbreviation").maxLength, 20u);
    d.SetText("name", "Devonshire");
    d.SetText("abbreviation", "Dev");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(counties.EditEntry(devon, true), devon);
  EXPECT_EQ(FindCountyByName("Devonshire"), devon);
  EXPECT_EQ(FindCounty("Dev", true), devon);
  EXPECT_EQ(FindCountyByName("Devon"), 0);
  // A text that names no county makes one, found again the next time.
  const uint8_t suffolk = FindOrAddCounty("Suff", nullptr);
  ASSERT_NE(suffolk, 0);
  EXPECT_EQ(counties.NameOf(suffolk, 0), "Suff");
  EXPECT_EQ(FindOrAddCounty("Suff", nullptr), suffolk);
  EXPECT_EQ(FindOrAddCounty("Derbys", nullptr), derby);
}

// Regression: the import stored the shortened name ("Kent C A") and compared it with names
// typed in full, so every association written out came back as a second entry.
TEST_F(AssocTest, ImportedAssociationsMatchByShortenedNameAndKeepTheFullName) {
  const int32_t full = AddStr<CAssoc>(AssocIndex(), "Kent County Association", "KCACR");
  const int32_t shortened = AddStr<CAssoc>(AssocIndex(), "Oxford D G", "ODG");
  EXPECT_EQ(FindOrAddAssoc("Kent County Association", nullptr), full);
  EXPECT_EQ(FindOrAddAssoc("KENT COUNTY ASSOCIATION", nullptr), full);
  EXPECT_EQ(FindOrAddAssoc("Oxford Diocesan Guild", nullptr), shortened);
  EXPECT_EQ(FindOrAddAssoc("Oxford D G", nullptr), shortened);
  const int32_t count = AssocIndex().Count();
  const uint8_t added = FindOrAddAssoc("Ancient Society of College Youths", nullptr);
  EXPECT_EQ(FindOrAddAssoc("Ancient S of College Y", nullptr), added);
  EXPECT_EQ(AssocIndex().Count(), count + 1);
}

}  // namespace
}  // namespace tv

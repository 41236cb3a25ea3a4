// The Marwick and Logwright imports: tower lines and notes; records of 0xB0-ended fields, their
// ringers, dates and ends.
#include <gtest/gtest.h>

#include "core/text.h"
#include "refdb/tower.h"
#include "tests/import/import_fixture.h"

namespace tv {
namespace {

using TextFileImport = ImportTest;

TEST_F(TextFileImport, MarwickTowerLinesAndNotes) {
  uint16_t weight = 0;
  const int32_t ashby = FindOrAddTower(0, "Ashby", "", "", true, weight);
  SteeplexXref().Set(12, ashby);
  Import("marwick", "/work/all.mpf",
         "@0012\r\n"
         "01/01/2003 Cambridge Surprise Major \"Withdrawn by the band\"\r\n"
         "\r\n"
         "02/01/2003 Plain Bob Doubles\r\n"
         "@9999\r\n"
         "03/01/2003 Yorkshire Surprise Major \"Rung for the wedding\"\r\n");
  const auto peals = Peals();
  ASSERT_EQ(peals.size(), 3u);
  EXPECT_EQ(peals[0]->date, MakeDate(1, 1, 2003));
  EXPECT_EQ(peals[0]->tower, static_cast<uint32_t>(ashby));
  EXPECT_EQ(Method(peals[0]->method), "Cambridge Surprise Major");
  EXPECT_EQ(peals[0]->extras[kValidity], std::vector<std::string>{"Withdrawn by the band"});
  // No note: the whole rest of the line is the title; the tower lasts until the next tower line.
  EXPECT_EQ(peals[1]->tower, static_cast<uint32_t>(ashby));
  EXPECT_EQ(Method(peals[1]->method), "Plain Bob Doubles");
  EXPECT_TRUE(peals[1]->extras[kFootnote].empty());
  // A tower number beyond the cross-reference leaves the peals without a tower.
  EXPECT_EQ(peals[2]->tower, 0u);
  EXPECT_EQ(peals[2]->extras[kFootnote], std::vector<std::string>{"Rung for the wedding"});
  EXPECT_TRUE(peals[2]->extras[kValidity].empty());
}

// A Logwright record of the given fields (29 unless fewer are given), ended by a NUL.
std::string LogwrightRecord(std::vector<std::string> fields, bool endWithNul = true) {
  std::string bytes;
  for (size_t i = 0; i < fields.size(); ++i) {
    bytes += fields[i];
    if (i + 1 < fields.size() || !endWithNul) bytes += '\xB0';
  }
  if (endWithNul) bytes += '\0';
  return bytes;
}

std::vector<std::string> HandbellFields() {
  std::vector<std::string> f(29);
  f[0] = "Oxford Society";
  f[1] = "Oxford";
  f[4] = "37622";
  f[5] = "15";
  f[6] = "2";
  f[7] = "30";
  f[8] = "5040";
  f[9] = "Plain";
  f[10] = "Bob";
  f[11] = "Major";
  f[12] = "JSmith";
  f[14] = " McDonald ";
  f[16] = "Ann Jones";
  f[18] = "Bob Brown";
  f[24] = "3";
  f[25] = "5040 Plain (Taylor)";
  f[26] = "First on handbells";
  return f;
}

TEST_F(TextFileImport, LogwrightHandbellRecordClosesUpItsRingers) {
  Import("logwright", "/work/peals.plf", LogwrightRecord(HandbellFields()));
  const auto peals = Peals();
  ASSERT_EQ(peals.size(), 1u);
  const CPeal& peal = *peals[0];
  EXPECT_TRUE(peal.handbell);
  EXPECT_EQ(peal.tenor, 15);
  EXPECT_EQ(peal.date, MakeDate(1, 1, 1900) + 37622);
  EXPECT_EQ(peal.time, 150);
  EXPECT_EQ(peal.changes, 5040);
  EXPECT_EQ(Method(peal.method), "Plain Bob Major");
  ASSERT_EQ(peal.ringers.size(), 4u);
  EXPECT_EQ(Person(peal.ringers[0]), "J Smith");
  EXPECT_EQ(Person(peal.ringers[1]), "Mc Donald");
  EXPECT_EQ(Person(peal.ringers[3]), "Bob Brown");
  EXPECT_EQ(peal.conductor, peal.ringers[1]);  // bell 3 is the ringer of field 14
  EXPECT_EQ(peal.extras[kFootnote],
            (std::vector<std::string>{"c:5040 Plain (Taylor)", "First on handbells"}));
  EXPECT_NE(peal.tower, 0u);
  EXPECT_NE(peal.association, 0);
}

TEST_F(TextFileImport, LogwrightDayCountBeyond16BitsIsKeptNotWrapped) {
  std::vector<std::string> f = HandbellFields();
  f[4] = "65536";
  f[13] = "Carl White";  // a tower peal
  f[5] = "24-2-7";
  Import("logwright", "/work/peals.plf", LogwrightRecord(f));
  ASSERT_EQ(Peals().size(), 1u);
  const CPeal& peal = *Peals()[0];
  EXPECT_EQ(peal.date, 0);
  EXPECT_EQ(peal.extras[kExtra], std::vector<std::string>{"date:65536"});
  EXPECT_FALSE(peal.handbell);
  EXPECT_EQ(peal.tenor, 2751);
  EXPECT_EQ(peal.ringers.size(), 5u);
}

TEST_F(TextFileImport, LogwrightAbsurdHoursWrapAsTypedTimesDo) {
  // Hours whose minutes overflow a 32-bit signed count, as a fuzzed file held them.
  std::vector<std::string> f = HandbellFields();
  f[6] = "632499644";
  f[7] = "7";
  Import("logwright", "/work/peals.plf", LogwrightRecord(f));
  ASSERT_EQ(Peals().size(), 1u);
  EXPECT_EQ(Peals()[0]->time, ParseTime("632499644h7"));
  EXPECT_EQ(Peals()[0]->changes, 5040);
}

TEST_F(TextFileImport, LogwrightRecordEndedBy0xB0AndTheEndOfTheFile) {
  std::vector<std::string> f = HandbellFields();
  f[4] = "65535";
  std::vector<std::string> shortRecord(f.begin(), f.begin() + 13);
  const std::string bytes = LogwrightRecord(HandbellFields()) + std::string(1, '\0') +
                            LogwrightRecord(shortRecord, false);
  Import("logwright", "/work/peals.plf", bytes);
  const auto peals = Peals();
  ASSERT_EQ(peals.size(), 2u);  // the stray NUL between the records makes no peal
  EXPECT_EQ(peals[1]->date, MakeDate(1, 1, 1900) + 65535);
  EXPECT_EQ(peals[1]->ringers.size(), 1u);
  EXPECT_TRUE(peals[1]->extras[kFootnote].empty());
  EXPECT_EQ(Log(), "1\n2\n");
}

TEST_F(TextFileImport, LogwrightFieldEnds) {
  files.SetContents("/work/f", std::string("  ab \xB0"
                                           "c\0d\xB0",
                                           10));
  auto file = files.Open("/work/f", OpenMode::Read);
  std::string text;
  EXPECT_EQ(ReadLogwrightField(*file, text), 0xB0);
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(ReadLogwrightField(*file, text), 0);
  EXPECT_EQ(text, "c");
  EXPECT_EQ(ReadLogwrightField(*file, text), 0);  // ended by 0xB0, but nothing follows
  EXPECT_EQ(text, "d");
}

}  // namespace
}  // namespace tv

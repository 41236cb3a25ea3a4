// The peal record: its bytes in both forms, the reading rules, and the record's own operations.
#include "peals/peal_record.h"

#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/services.h"
#include "tests/peals/peal_test_support.h"

namespace tv {
namespace {

using testing::Bytes;
using testing::ReadRecords;
using testing::RecordBytes;

CPeal WorkedPeal() {
  CPeal peal;
  peal.pealNumber = 1;
  peal.date = MakeDate(15, 3, 2003);
  peal.sequence = 2;
  peal.association = 5;
  peal.tower = 300;
  peal.tenor = 2751;
  peal.time = 185;
  peal.changes = 5040;
  peal.method = 12;
  peal.composer = 7;
  peal.conductor = 9;
  for (uint32_t key = 9; key <= 16; ++key) peal.ringers.push_back(key);
  peal.extras[kFootnote] = {"Test"};
  peal.SetPositioned(kPrefix, 2, "Rev");
  return peal;
}

const std::string kWorkedBytes = Bytes({
    0x1F, 0x01, 0x4B, 0x02, 0xD5, 0x3D, 0x02, 0x01, 0x05, 0x34, 0x2C, 0x01, 0x37, 0xBF, 0x8A,
    0x08, 0xB9, 0x2E, 0xB0, 0x13, 0x0D, 0x0C, 0x03, 0x07, 0x19, 0x09,
    0xB2, 0x08, 0x09, 0x00, 0x0A, 0x00, 0x0B, 0x00, 0x0C, 0x00, 0x0D, 0x00, 0x0E, 0x00, 0x0F, 0x00,
    0x10, 0x00, 0x66, 'T', 'e', 's', 't', 0x00, 0x09, 0x02, 0x70, 'R', 'e', 'v', 0x00, 0x00});

TEST(PealRecordBytes, WorkedRecordIsWrittenAndReadByteForByte) {
  CPeal peal = WorkedPeal();
  EXPECT_EQ(RecordBytes(peal), kWorkedBytes);
  const auto read = ReadRecords(kWorkedBytes);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0]->date, peal.date);
  EXPECT_EQ(read[0]->sequence, 2);
  EXPECT_EQ(read[0]->tenor, 2751);
  EXPECT_FALSE(read[0]->handbell);
  EXPECT_EQ(read[0]->ringers, peal.ringers);
  EXPECT_EQ(read[0]->extras, peal.extras);
  EXPECT_EQ(RecordBytes(*read[0]), kWorkedBytes);
}

struct ByteCase {
  const char* name;
  CPeal (*make)();
  bool oldForm;
  std::string bytes;
};

class PealRecordExamples : public ::testing::TestWithParam<ByteCase> {};

TEST_P(PealRecordExamples, WritesExactBytesAndReadsThemBack) {
  CPeal peal = GetParam().make();
  EXPECT_EQ(RecordBytes(peal, GetParam().oldForm), GetParam().bytes);
  const auto read = ReadRecords(GetParam().bytes, GetParam().oldForm);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(RecordBytes(*read[0], GetParam().oldForm), GetParam().bytes);
}

CPeal NumberOne(bool handbell) {
  CPeal peal;
  peal.pealNumber = 1;
  peal.handbell = handbell;
  return peal;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, PealRecordExamples,
    ::testing::Values(
        ByteCase{"TowerPealWithOnlyItsNumber", +[] { return NumberOne(false); }, false,
                 Bytes({0x1F, 0x01, 0x37, 0x00, 0x80, 0xB2, 0x00, 0x00})},
        ByteCase{"HandbellPealWithOnlyItsNumber", +[] { return NumberOne(true); }, false,
                 Bytes({0x1F, 0x01, 0xB2, 0x00, 0x00})},
        ByteCase{"OldFormStartsWithARawWord", +[] { return NumberOne(false); }, true,
                 Bytes({0x01, 0x00, 0x37, 0x00, 0x80, 0xB2, 0x00, 0x00})},
        ByteCase{"EmptyFootnoteIsNotWritten",
                 +[] {
                   CPeal peal = NumberOne(true);
                   peal.extras[kFootnote] = {"A", "", "B"};
                   return peal;
                 },
                 false, Bytes({0x1F, 0x01, 0xB2, 0x00, 0x66, 'A', 0x00, 0x66, 'B', 0x00, 0x00})},
        ByteCase{"PrefixPositionsZeroAndThree",
                 +[] {
                   CPeal peal = NumberOne(true);
                   peal.SetPositioned(kPrefix, 0, "A");
                   peal.SetPositioned(kPrefix, 3, "B");
                   return peal;
                 },
                 false,
                 Bytes({0x1F, 0x01, 0xB2, 0x00, 0x70, 'A', 0x00, 0x09, 0x03, 0x70, 'B', 0x00, 0x00})},
        ByteCase{"BellsAtZeroNeedNoPositionAndKindsSharePosition",
                 +[] {
                   CPeal peal = NumberOne(true);
                   peal.bells[0] = 3;
                   peal.SetPositioned(kBellString, 1, "x");
                   peal.SetPositioned(kSuffix, 1, "y");
                   return peal;
                 },
                 false,
                 Bytes({0x1F, 0x01, 0xB2, 0x00, 0x1A, 0x03, 0x09, 0x01, 0x62, 'x', 0x00, 0x65, 'y',
                        0x00, 0x00})},
        ByteCase{"RingerKeyAbove65535IsWrittenAs32Bits",
                 +[] {
                   CPeal peal = NumberOne(true);
                   peal.ringers = {70000, 2};
                   return peal;
                 },
                 false,
                 Bytes({0x1F, 0x01, 0xD2, 0x02, 0x70, 0x11, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00,
                        0x00})}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PealRecordBytes, PositionStartsAtZeroInEveryRecord) {
  CPeal first = NumberOne(true);
  first.SetPositioned(kPrefix, 2, "P");
  CPeal second = first;
  const std::string one = Bytes({0x1F, 0x01, 0xB2, 0x00, 0x09, 0x02, 0x70, 'P', 0x00, 0x00});
  EXPECT_EQ(RecordBytes({&first, &second}), one + one);
  const auto read = ReadRecords(one + one);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1]->extras[kPrefix], (std::vector<std::string>{"", "", "P"}));
}

TEST(PealRecordBytes, NeverWritesMoreThan255Ringers) {
  CPeal peal = NumberOne(true);
  peal.ringers.assign(300, 5);
  peal.extras[kExtra] = {"after"};
  const auto read = ReadRecords(RecordBytes(peal));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0]->ringers.size(), 255u);
  EXPECT_EQ(read[0]->extras[kExtra], (std::vector<std::string>{"after"}));
}

TEST(PealRecordBytes, EveryFieldRoundTripsInBothForms) {
  CPeal peal = WorkedPeal();
  peal.rwPage = 0x1234;
  peal.arranger = 70000;
  peal.generatedBy = 300;
  peal.composition = 4;
  peal.handbell = true;
  peal.tenor = 15;
  peal.bells = {{0, 1}, {3, 0x40000000}};
  peal.extras[kSource] = {"RW"};
  peal.extras[kCorrection] = {"c1", "c2"};
  peal.extras[kValidity] = {"false"};
  peal.SetPositioned(kBellString, 4, "9-10");
  peal.SetPositioned(kSuffix, 0, "jun");
  peal.extras[kExtra] = {"x1"};
  for (const bool oldForm : {false, true}) {
    const std::string bytes = RecordBytes(peal, oldForm);
    const auto read = ReadRecords(bytes, oldForm);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->bells, peal.bells);
    EXPECT_EQ(read[0]->extras, peal.extras);
    EXPECT_EQ(RecordBytes(*read[0], oldForm), bytes);
  }
}

// --- reading rules ---

TEST(PealRecordReading, ReadingRulesForOlderAndForeignFields) {
  const std::string bytes = Bytes({
      0x0B, 0xCD,                    // k: sequence byte 205, date 0
      0x73, 'S', 'r', 'c', 0x00,     // s as text: a Source entry
      0x13, 0x07,                    // s as number: rwPage
      0x0C, 0x01,                    // l: ignored
      0x71, 'q', 0x00,               // q as text: ignored
      0xB5, 0x02, 0x01, 0x00, 0x02, 0x00,  // u as array: ignored
      0x1B, 0x09,                    // code 0x7B: ignored
      0xB2, 0x01, 0x21, 0x00,        // r as 16-bit values
      0xD2, 0x01, 0x00, 0x00, 0x01, 0x00,  // r as 32-bit values, appended
      0x92, 0x01, 0x05,              // r as bytes (type 4): adds nothing
      0x09, 0x02, 0x1A, 0x01, 0x1A, 0x04,  // z twice at position 2: the second replaces
      0x00});
  const auto read = ReadRecords(bytes);
  ASSERT_EQ(read.size(), 1u);
  const CPeal& peal = *read[0];
  EXPECT_EQ(peal.sequence, 0);
  EXPECT_EQ(peal.rwPage, 7);
  EXPECT_EQ(peal.extras[kSource], (std::vector<std::string>{"Src"}));
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{0x21, 0x10000}));
  EXPECT_EQ(peal.bells, (std::map<int, uint32_t>{{2, 4}}));
  EXPECT_TRUE(peal.handbell);  // no w field
  EXPECT_EQ(peal.tenor, 0);
}

// --- the record's operations ---

TEST(PealOrder, DateThenSequenceThenNumber) {
  CPeal a, b;
  a.date = b.date = 1000;
  a.sequence = 2;
  b.sequence = 1;
  a.pealNumber = 1;
  b.pealNumber = 2;
  EXPECT_GT(a.CompareOrder(b), 0);
  b.sequence = 2;
  EXPECT_LT(a.CompareOrder(b), 0);
  b.date = 999;
  EXPECT_GT(a.CompareOrder(b), 0);
  // Wanted sequence 0 never stops at a peal of the date: the search runs on to the left.
  EXPECT_EQ(a.CompareDate(1000, 0), -1);
  EXPECT_EQ(a.CompareDate(1000, 2), 0);
  EXPECT_EQ(a.CompareDate(1000, 3), 1);
  EXPECT_EQ(a.CompareDate(1001, 0), 1);
  bool sameDate = false;
  a.tower = 4;
  b.date = 1000;
  b.tower = 5;
  EXPECT_FALSE(a.SameDateAndTower(b, sameDate));
  EXPECT_TRUE(sameDate);
}

struct RwCase {
  int year;
  uint16_t stored;
  bool full;
  int32_t expected;
};

class RwPageNumbers : public ::testing::TestWithParam<RwCase> {};

TEST_P(RwPageNumbers, GivesTheReferenceAsYearAndPage) {
  CPeal peal;
  peal.date = GetParam().year ? MakeDate(1, 6, GetParam().year) : 0;
  peal.rwPage = GetParam().stored;
  EXPECT_EQ(peal.RwPageNumber(GetParam().full), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RwPageNumbers,
                         ::testing::Values(RwCase{2003, 1999, false, 1999},
                                           RwCase{2003, 2000, false, 32000},
                                           RwCase{1998, 450, true, 980450},
                                           RwCase{2003, (1 << 12) + 1234, false, 41234},
                                           RwCase{0, 450, true, 450}));

TEST(PealTexts, RwPageYearOffsetBellsAndTenorFollowThePeal) {
  CPeal peal;
  peal.date = MakeDate(1, 6, 2003);
  peal.SetRwPage(41234);
  EXPECT_EQ(peal.rwPage, (1 << 12) + 1234);
  EXPECT_EQ(peal.RwPageNumber(false), 41234);
  peal.SetRwPage(1234);
  EXPECT_EQ(peal.rwPage, 1234);
  peal.tenor = 2751;
  EXPECT_EQ(peal.BellText(3), "4");
  EXPECT_EQ(peal.TenorText(), "24-2-7");
  peal.handbell = true;
  peal.tenor = 15;
  EXPECT_EQ(peal.BellText(3), "7-8");
  EXPECT_EQ(peal.TenorText(), "15");
}

TEST(PealRingers, VacatingTrimsOnlyTrailingPositions) {
  CPeal peal;
  peal.ringers = {1, 2, 3, 4, 5};
  peal.SetRinger(2, 0);
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{1, 2, 0, 4, 5}));
  peal.SetRinger(4, 0);
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{1, 2, 0, 4}));
  peal.SetRinger(3, 0);
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{1, 2}));
  peal.SetRinger(9, 0);
  EXPECT_EQ(peal.ringers.size(), 2u);
  peal.SetRinger(4, 8);
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{1, 2, 0, 0, 8}));
}

// An entry state that hands out a fixed list of changed fields.
class ListedFields : public CPealEntryState {
 public:
  std::vector<std::pair<PealNameField, int>> pending;
  std::vector<int32_t> followedUp;
  bool TakeChangedField(PealNameField& field, int& position) override {
    if (pending.empty()) return false;
    std::tie(field, position) = pending.front();
    pending.erase(pending.begin());
    return true;
  }
  void AfterChoice(PealNameField, int, int32_t key) override { followedUp.push_back(key); }
};

TEST(PealRingers, ChoicesGoToTheChangedFieldsInTurn) {
  CPeal peal;
  peal.OnChosen(5);  // not being entered: nothing happens
  EXPECT_EQ(peal.association, 0);
  ListedFields state;
  state.pending = {{PealNameField::Association, 0}, {PealNameField::Ringer, 2}};
  peal.entry = &state;
  peal.OnChosen(5);
  peal.OnChosen(77);
  peal.OnChosen(99);  // nothing left to fill
  EXPECT_EQ(peal.association, 5);
  EXPECT_EQ(peal.ringers, (std::vector<uint32_t>{0, 0, 77}));
  EXPECT_EQ(state.followedUp, (std::vector<int32_t>{5, 77}));
}

TEST(PealForms, ForEntryIsATowerPealDatedToday) {
  FixedClock clock({.day = 15, .month = 3, .year = 2003});
  ScopedServices services(nullptr, &clock, nullptr);
  const auto peal = CPeal::ForEntry(8);
  EXPECT_EQ(peal->pealNumber, 8u);
  EXPECT_EQ(peal->date, MakeDate(15, 3, 2003));
  EXPECT_EQ(peal->sequence, 0);
  EXPECT_FALSE(peal->handbell);
}

}  // namespace
}  // namespace tv

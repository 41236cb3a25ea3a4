// The columns read straight from a record's bytes against the columns of the peal that the
// record reader makes of the same bytes, for records no writer of ours makes: fields in other
// types than their own, repeated fields, a missing weight, arrays and text lists.
#include "peals/peal_columns.h"

#include <gtest/gtest.h>

#include "peals/peal_record.h"
#include "tests/peals/peal_test_support.h"

namespace tv {
namespace {

using testing::Bytes;

std::string Disagreement(const std::string& record, bool oldForm = false) {
  CPealColumns direct;
  CPeal peal;
  size_t taken = 0;
  try {
    taken = direct.ParseInto(1, record, oldForm);
    EXPECT_EQ(peal.ParseRecord(record, oldForm), taken);
  } catch (const FileError&) {
    return "the record is cut short";
  }
  EXPECT_EQ(taken, record.size());
  return direct.Disagreement(1, &peal);
}

TEST(PealColumns, OddRecordsReadAsTheRecordReaderReadsThem) {
  const std::string records[] = {
      Bytes({0}),                                   // nothing: a handbell peal, no weight
      Bytes({0x34, 0x34, 0x02, 0x14, 0x07, 0}),     // t as 16 bits, then as one byte
      Bytes({0x14, 7, 0x74, 'L', 'e', 'e', 'd', 's', 0, 0}),  // t, then t as a text: no tower
      Bytes({0x94, 1, 9, 0x37, 0x00, 0x80, 0}),     // t as an array of one; w a tower peal
      Bytes({0x94, 2, 9, 8, 0x37, 0x10, 0x27, 0}),  // t as an array of two; w below the flag
      Bytes({0xB2, 2, 1, 0, 2, 0, 0xD2, 1, 3, 0, 1, 0, 0}),  // r as words, then as dwords
      Bytes({0x92, 2, 1, 2, 0}),                    // r as bytes: no ringers
      Bytes({0x16, 0x05, 0}),                       // v as a number: a Validity entry all the same
      Bytes({0xF6, 2, 'a', 0, 'b', 0, 0xEB, 0, 0}), // v as two texts; k as an empty text list
      Bytes({0x0B, 0xCD, 0x0A, 0x39, 0x2A, 0x01, 0x02, 0}),  // sequence 205; j twice
      Bytes({0x1B, 0x7F, 0x1D, 0x1F, 0x44, 0x01, 0x23, 0x45, 0x67, 0x89, 0, 0}),  // unknown codes
  };
  for (const std::string& record : records) {
    EXPECT_EQ(Disagreement(record), "") << ::testing::PrintToString(record);
  }
  EXPECT_EQ(Disagreement(Bytes({0x34, 0x12, 0x14, 0x07, 0}), true), "") << "the older form's number";
}

TEST(PealColumns, ARecordCutShortChangesNoColumnAndNoRingerList) {
  CPealColumns columns;
  columns.ParseInto(1, Bytes({0xB2, 1, 7, 0, 0}), false);
  for (const std::string& cut : {Bytes({0xB2, 3, 1, 0, 2, 0}), Bytes({0x74, 'L', 'e'}), Bytes({0x14})}) {
    EXPECT_THROW(columns.ParseInto(2, cut, false), FileError);
    EXPECT_FALSE(columns.Stored(2));
    EXPECT_EQ(columns.ringerKeys, (std::vector<uint32_t>{7}));
  }
}

// A list replaced by a longer one moves to the end; the keys left behind are dropped once they
// are most of the array, and every list still reads as it was set.
TEST(PealColumns, RingerListsChangedManyTimesStayWhatTheyWereSetTo) {
  CPealColumns columns;
  std::vector<CPeal> peals(200);
  for (int round = 0; round < 60; ++round) {
    for (uint32_t n = 1; n < peals.size(); ++n) {
      peals[n].ringers.assign((n + static_cast<uint32_t>(round)) % 13, n * 100 + static_cast<uint32_t>(round));
      columns.Set(n, peals[n]);
    }
  }
  for (uint32_t n = 3; n < peals.size(); n += 7) columns.Erase(n);
  for (uint32_t n = 1; n < peals.size(); ++n) {
    EXPECT_EQ(columns.Disagreement(n, n % 7 == 3 ? nullptr : &peals[n]), "") << n;
  }
  EXPECT_LT(columns.ringerKeys.size(), 3 * 200 * 13u);
}

}  // namespace
}  // namespace tv

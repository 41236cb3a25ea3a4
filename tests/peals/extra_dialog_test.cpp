// The Extra Peal Details dialog through the scripted platform, and the bell-mask texts.
#include "peals/extra_dialog.h"

#include <gtest/gtest.h>

#include "tests/peals/ledger_fixture.h"

namespace tv {
namespace {

using testing::DialogAction;

class ExtraDialogTest : public testing::LedgerFixture {
 protected:
  CExtraDialog& Extra(DialogModel& d) { return static_cast<CExtraDialog&>(d); }
  CPeal peal;
};

TEST_F(ExtraDialogTest, BellsTypedAsThreeFourStoreMask24AtThatPosition) {
  platform.QueueDialog([this](DialogModel& d) {
    Extra(d).Choose(kBellsList);
    d.SetText(CExtraDialog::FieldId(2), "3 4");
    return DialogAction::Ok;
  });
  EditExtras(doc, &peal);
  EXPECT_EQ(peal.bells, (std::map<int, uint32_t>{{2, 24}}));
  EXPECT_TRUE(doc.modified);
}

TEST_F(ExtraDialogTest, ChoosingAnExtraShowsItsEntriesAndStoresTheOneBefore) {
  peal.bells = {{1, 0b11001}, {5, 4}};
  peal.extras[kFootnote] = {"One", "Two"};
  std::vector<std::string> bellFields, footnoteFields;
  platform.QueueDialog([&](DialogModel& d) {
    Extra(d).Choose(kBellsList);
    for (int i = 0; i < 3; ++i) bellFields.push_back(d.Text(CExtraDialog::FieldId(i)));
    d.SetText(CExtraDialog::FieldId(5), "");      // clears position 5
    d.SetText(CExtraDialog::FieldId(7), "junk");  // no number: no mask
    Extra(d).Choose(kFootnote);
    for (int i = 0; i < 3; ++i) footnoteFields.push_back(d.Text(CExtraDialog::FieldId(i)));
    return DialogAction::Ok;
  });
  EditExtras(doc, &peal);
  EXPECT_EQ(bellFields, (std::vector<std::string>{"", "0 3 4", ""}));
  EXPECT_EQ(footnoteFields, (std::vector<std::string>{"One", "Two", ""}));
  EXPECT_EQ(peal.bells, (std::map<int, uint32_t>{{1, 0b11001}}));
  EXPECT_EQ(peal.extras[kFootnote], (std::vector<std::string>{"One", "Two"}));
}

TEST_F(ExtraDialogTest, CancelKeepsWhatAnEarlierChangeOfExtraStored) {
  peal.extras[kFootnote] = {"Kept"};
  platform.QueueDialog([this](DialogModel& d) {
    Extra(d).Choose(kSource);
    d.SetText(CExtraDialog::FieldId(0), "RW 2003 p.1234");
    Extra(d).Choose(kFootnote);
    d.SetText(CExtraDialog::FieldId(0), "Dropped by Cancel");
    return DialogAction::Cancel;
  });
  EditExtras(doc, &peal);
  EXPECT_EQ(peal.extras[kSource], std::vector<std::string>{"RW 2003 p.1234"});
  EXPECT_EQ(peal.extras[kFootnote], std::vector<std::string>{"Kept"});
  EXPECT_TRUE(doc.modified);
}

// Regression: storing the eighteen fields emptied the whole list, losing the entries of
// positions 18 and up that a peal read from a file can hold.
TEST_F(ExtraDialogTest, EntriesBeyondTheEighteenFieldsAreKept) {
  for (int i = 0; i < 22; ++i) peal.extras[kSuffix].push_back("s" + std::to_string(i));
  peal.bells = {{3, 8}, {20, 16}};
  platform.QueueDialog([this](DialogModel& d) {
    Extra(d).Choose(kSuffix);
    d.SetText(CExtraDialog::FieldId(0), "");
    Extra(d).Choose(kBellsList);
    d.SetText(CExtraDialog::FieldId(3), "");
    return DialogAction::Ok;
  });
  EditExtras(doc, &peal);
  ASSERT_EQ(peal.extras[kSuffix].size(), 22u);
  EXPECT_EQ(peal.extras[kSuffix][0], "");
  EXPECT_EQ(peal.extras[kSuffix][21], "s21");
  EXPECT_EQ(peal.bells, (std::map<int, uint32_t>{{20, 16}}));
}

TEST(BellMaskTest, TextsBothWays) {
  EXPECT_EQ(BellMaskText(24), "3 4");
  EXPECT_EQ(BellMaskText(0), "");
  EXPECT_EQ(BellMaskText(0x80000001u), "0 31");
  const std::pair<const char*, uint32_t> cases[] = {
      {"3 4", 24},
      {"", 0},
      {"33", 2},            // bit n mod 32
      {"-1", 0x80000000u},  // counted back from 32, not a shift by a negative amount
      {"3x 4", 8},          // reading stops at what is not a number
      {"0 0 5", 1},         // and after two zeros in a row
      {"1000000000000000000000000000001", 2},  // a long number cannot overflow
  };
  for (const auto& [text, mask] : cases) {
    EXPECT_EQ(ParseBellMask(text), mask) << text;
  }
  for (const uint32_t mask : {1u, 24u, 0x80000000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(ParseBellMask(BellMaskText(mask)), mask) << mask;
  }
}

}  // namespace
}  // namespace tv

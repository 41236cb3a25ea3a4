// Number and time texts, number words, columns, name case and paths.
#include "core/text.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(TextTest, ShortTimeAndParseTimeRoundTrip) {
  EXPECT_EQ(ShortTime(0), "");
  EXPECT_EQ(ShortTime(185), "3h5");
  EXPECT_EQ(ShortTime(200), "3h20");
  EXPECT_EQ(ShortTime(180), "3h");
  EXPECT_EQ(ShortTime(45), "0h45");
  EXPECT_EQ(ShortTime(60), "1h");
  EXPECT_EQ(ShortTime(61), "1h1");
  for (const char* text : {"3h5", "3h05", "3.05", "3:05", "185", "2h65", "3-05", "03:5", "3H5"}) {
    EXPECT_EQ(ParseTime(text), 185) << text;
  }
  EXPECT_EQ(ParseTime(""), 0);
  EXPECT_EQ(ParseTime(":45"), 45);
  for (uint16_t m : {1, 59, 60, 61, 179, 180, 181, 600}) EXPECT_EQ(ParseTime(ShortTime(m)), m);
}

TEST(TextTest, NumberWords) {
  const std::pair<int, const char*> cases[] = {
      {0, ""},          {1, "One"},          {13, "Thirteen"},   {14, "Fourteen"},
      {15, "Fifteen"},  {16, "Sixteen"},     {17, "Seventeen"},  {18, "Eighteen"},
      {19, "Nineteen"}, {20, "Twenty"},      {21, "Twenty One"}, {40, "Forty"},
      {45, "Forty Five"}, {50, "Fifty"},     {59, "Fifty Nine"}, {65, " Five"}};
  for (const auto& [n, words] : cases) EXPECT_EQ(NumberWords(n), words) << n;
}

TEST(TextTest, DurationWords) {
  EXPECT_EQ(DurationWords(207), "in Three Hours and Twenty Seven Minutes");
  EXPECT_EQ(DurationWords(181), "in Three Hours and One Minute");
  EXPECT_EQ(DurationWords(180), "in Three Hours");
  EXPECT_EQ(DurationWords(60), "in One Hours");
  EXPECT_EQ(DurationWords(59), "in  Hours and Fifty Nine Minutes");
}

TEST(TextTest, PadNumberForms) {
  EXPECT_EQ(PadNumber(0, 5, false, false), "     ");
  EXPECT_EQ(PadNumber(0, 0, false, false), "");
  EXPECT_EQ(PadNumber(0, 5, true, true), "00000");
  EXPECT_EQ(PadNumber(123, 2, true, true), "123");
  EXPECT_EQ(PadNumber(42, 5, true, true), "00042");
  EXPECT_EQ(PadNumber(42, 5, false, false), "   42");
  EXPECT_EQ(PadNumber(-7, 0, true, false), "-7");
  EXPECT_EQ(PadNumber(-7, 4, true, false), "  -7");
}

TEST(TextTest, ParseDigitsSkipsOtherCharactersAndStopsAtHighBytes) {
  EXPECT_EQ(ParseDigits("12-3"), 123);
  EXPECT_EQ(ParseDigits("x5y"), 5);
  EXPECT_EQ(ParseDigits("none"), 0);
  EXPECT_EQ(ParseDigits(""), 0);
  EXPECT_EQ(ParseDigits("1\xa3" "2"), 1);  // ‘1£2’: the scan ends at the pound sign
  EXPECT_EQ(ParseDigits("-42"), 42);       // no sign
  EXPECT_EQ(ParseDigits(std::string_view("4\0" "2", 3)), 4);
}

TEST(TextTest, SignOf) {
  EXPECT_EQ(SignOf(-5), -1);
  EXPECT_EQ(SignOf(0), 0);
  EXPECT_EQ(SignOf(7), 1);
}

TEST(TextTest, ColumnsAndTrimming) {
  std::string text = "ab";
  AppendAtColumn(text, 5, "x");
  EXPECT_EQ(text, "ab   x");
  AppendAtColumn(text, 6, "y");
  EXPECT_EQ(text, "ab   xy");
  AppendAtColumn(text, 2, "z");
  EXPECT_EQ(text, "ab   xyz");

  std::string padded = "  a\tb \t ";
  TrimSpaces(padded);
  EXPECT_EQ(padded, "a\tb \t");
  std::string blanks = "   ";
  TrimSpaces(blanks);
  EXPECT_EQ(blanks, "");

  // Line breaks, tabs and runs of blanks become one blank; none is left at either end, and a
  // byte above 0x7f is a letter, not a blank.
  EXPECT_EQ(OneLineText(" \r\nBristol,\r\n\tCambridge  &\x01 \xe9t\xe9 \n"),
            "Bristol, Cambridge & \xe9t\xe9");
  EXPECT_EQ(OneLineText("\r\n \t"), "");
}

TEST(TextTest, TitleCaseName) {
  EXPECT_EQ(TitleCaseName("ST MARY'S"), "St Mary's");
  EXPECT_EQ(TitleCaseName("McDONALD"), "McDonald");
  EXPECT_EQ(TitleCaseName("O'NEILL"), "O'neill");
  EXPECT_EQ(TitleCaseName("SOCIETY OF ROYAL CUMBERLAND YOUTHS"), "Society of Royal Cumberland Youths");
  EXPECT_EQ(TitleCaseName("THE GUILD OF RINGERS"), "the Guild of Ringers");
  // Only the first "Of " is lowered.
  EXPECT_EQ(TitleCaseName("GUILD OF RINGERS OF DEVON"), "Guild of Ringers Of Devon");
  // The scan stops at a high byte: what follows keeps its case.
  EXPECT_EQ(TitleCaseName("AB\xc9" "CD"), "Ab\xc9" "CD");
}

TEST(TextTest, CapitalLettersAndDigitsOrParens) {
  EXPECT_EQ(CapitalLetters("Ancient Society of College Youths"), "ASCY");
  EXPECT_EQ(CapitalLetters("John Robert"), "JR");
  EXPECT_EQ(CapitalLetters("A\xc9" "B"), "A");
  EXPECT_TRUE(IsDigitsOrParens(""));
  EXPECT_TRUE(IsDigitsOrParens("(8)"));
  EXPECT_TRUE(IsDigitsOrParens("123"));
  EXPECT_FALSE(IsDigitsOrParens("8m"));
  EXPECT_FALSE(IsDigitsOrParens("(8 )"));
}

TEST(TextTest, CaseInsensitiveOrderFoldsOnlyAsciiCapitals) {
  EXPECT_EQ(CompareNoCase("Smith", "smith"), 0);
  EXPECT_LT(CompareNoCase("abc", "abd"), 0);
  EXPECT_EQ(CompareNoCase("ab", "abc"), -'c');
  EXPECT_EQ(CompareNoCase("abc", "ab"), 'c');
  EXPECT_NE(CompareNoCase("\xc9", "\xe9"), 0);  // É and é are different bytes
  EXPECT_GT(CompareNoCase("\xe9", "z"), 0);     // compared as unsigned bytes
}

TEST(TextTest, PathsAcceptBothSeparators) {
  EXPECT_EQ(PathDirectory("D:\\peals\\ledger.tv3"), "D:\\peals\\");
  EXPECT_EQ(PathDirectory("/home/ringer/ledger.tv3"), "/home/ringer/");
  EXPECT_EQ(PathDirectory("ledger.tv3"), "");
  EXPECT_EQ(PathFileName("D:\\peals\\ledger.tv3"), "ledger.tv3");
  EXPECT_EQ(PathFileName("a/b\\c.tv3"), "c.tv3");
  EXPECT_EQ(PathFileName("ledger.tv3"), "ledger.tv3");
  EXPECT_EQ(PathTitle("D:\\peals\\my.ledger.tv3"), "my");
  EXPECT_EQ(PathTitle("D:\\dir\\noextension"), "");
  EXPECT_EQ(JoinPath("/db", "towers.da3"), "/db/towers.da3");
  EXPECT_EQ(JoinPath("/db/", "towers.da3"), "/db/towers.da3");
  EXPECT_EQ(ReplaceExtension("/x/ledger.tv3", ".prn"), "/x/ledger.prn");
  EXPECT_EQ(ReplaceExtension("/x.d/ledger", ".prn"), "/x.d/ledger.prn");
}

TEST(TextTest, FormatMessageFillsPlaceholders) {
  EXPECT_EQ(FormatMessage("Please enter an integer between %1 and %2.", "1", "1023"),
            "Please enter an integer between 1 and 1023.");
  EXPECT_EQ(FormatMessage("100%", "x"), "100%");
}

}  // namespace
}  // namespace tv

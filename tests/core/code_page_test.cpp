// UTF-8 to Windows-1252 and back: characters the code page has, near forms for those it lacks,
// and bytes that are not UTF-8, each counted.
#include "core/code_page.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

struct Case {
  const char* utf8;
  const char* expected;
  uint32_t transliterated, replaced, invalid;
};

class Utf8ToWin1252Test : public ::testing::TestWithParam<Case> {};

TEST_P(Utf8ToWin1252Test, ConvertsAndCounts) {
  const Case& c = GetParam();
  TextConversion counts;
  EXPECT_EQ(Utf8ToWin1252(c.utf8, &counts), c.expected);
  EXPECT_EQ(counts.transliterated, c.transliterated);
  EXPECT_EQ(counts.replaced, c.replaced);
  EXPECT_EQ(counts.invalid, c.invalid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToWin1252Test,
    ::testing::Values(Case{"E\u266D and F\u266F", "Eb and F#", 2, 0, 0},     // flat, sharp
                      Case{"Carol Zo\u00EB", "Carol Zo\xEB", 0, 0, 0},       // in the code page
                      Case{"\u20AC5 \u2013 \u201Cx\u201D", "\x80" "5 \x96 \x93x\x94", 0, 0, 0},
                      Case{"T\u0177 \u0174ales \u0141\u00F3d\u017A", "Ty Wales L\xF3" "dz", 4, 0, 0},
                      Case{"\u0132sselmonde", "IJsselmonde", 1, 0, 0},
                      Case{"e\u0301", "e", 1, 0, 0},                          // combining accent
                      Case{"\u4E2D\u0416", "??", 0, 2, 0},                    // no near form
                      Case{"caf\xE9", "caf\xE9", 0, 0, 1},                     // a 1252 byte
                      Case{"\xE2\x99", "\xE2\x99", 0, 0, 2},                   // cut short
                      Case{"\xC0\xAF", "\xC0\xAF", 0, 0, 2},                   // overlong
                      Case{"\xED\xA0\x80", "\xED\xA0\x80", 0, 0, 3}));         // a surrogate

TEST(CodePage, EveryByteSurvivesTheWayToUtf8AndBack) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  TextConversion counts;
  EXPECT_EQ(Utf8ToWin1252(Win1252ToUtf8(all), &counts), all);
  EXPECT_FALSE(counts.Changed());
  EXPECT_EQ(Win1252ToUtf8("Zo\xEB \x80"), "Zo\u00EB \u20AC");
}

}  // namespace
}  // namespace tv

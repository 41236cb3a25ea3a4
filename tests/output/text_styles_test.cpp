// The plain-text layouts: the list line's separators and fields, the Ringing World style's
// author and ringer lines, and the peal board's two columns.
#include <gtest/gtest.h>

#include "output/export_formats.h"
#include "output/text_styles.h"
#include "tests/output/output_fixture.h"

namespace tv::testing {
namespace {

class TextStyles : public OutputTest {
 protected:
  // A quarter peal at Leeds: 1260 Yorkshire Surprise Major, no association, no conductor.
  static CPeal Quarter() {
    CPeal peal;
    peal.pealNumber = 40;
    peal.date = MakeDate(1, 1, 2003);
    peal.tower = kLeeds;
    peal.changes = 1260;
    peal.method = kYorkshireMajor;
    return peal;
  }
  // Eight ringers, John Smith to Ann Bell, no bell strings.
  static void EightRingers(CPeal& peal) {
    peal.ringers = {kJohnSmith, kMaryJones, kPeterBrown, kEveFox,
                    kTomHart,   kSueLong,   kBobKing,    kAnnBell};
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
      lines.push_back(text.substr(start, at - start));
    }
    return lines;
  }
};

TEST_F(TextStyles, LineWithTabsSeparatesEveryFieldByTabAndDropsTheColon) {
  CPeal peal = RichPeal();
  CExportOptions options = PealListExportOptions();
  options.useTabs = true;
  EXPECT_EQ(LineText(peal, options),
            "   12\t15/3/2003\tYACR\tLeeds, W Yorks, Cathedral of S Peter\t"
            "Yorkshire Surprise Major\t(MJ)");
}

TEST_F(TextStyles, QuarterPealWithoutAssociationKeepsTheEmptyField) {
  CPeal quarter = Quarter();
  CExportOptions options = PealListExportOptions();
  EXPECT_EQ(LineText(quarter, options),
            "   40 1/1/2003  Leeds, W Yorks, Cathedral of S Peter: Yorkshire Surprise Major");
  options.useTabs = true;
  EXPECT_EQ(LineText(quarter, options),
            "   40\t1/1/2003\t\tLeeds, W Yorks, Cathedral of S Peter\tYorkshire Surprise Major");
  // A peal of 5000 or more changes marks the missing association.
  quarter.changes = 5040;
  options.useTabs = false;
  EXPECT_NE(LineText(quarter, options).find(" 1/1/2003 ??? Leeds"), std::string::npos);
}

TEST_F(TextStyles, LineMarksMissingEntriesAndLeavesOutTheDateless) {
  CPeal peal;
  peal.pealNumber = 7;
  peal.tower = 99;
  peal.method = 98;
  peal.conductor = 97;  // no person entry: no key text
  CExportOptions options = PealListExportOptions();
  EXPECT_EQ(LineText(peal, options), "    7 \\????  ???: ???");
}

TEST_F(TextStyles, RenumberCountsAcrossOneRunAndStartsAgainWithTheNext) {
  CPeal first = RichPeal();
  CPeal second = Quarter();
  const std::vector<const CPeal*> peals{&first, &second};
  CExportOptions options = DocumentExportOptions();
  options.renumber = true;  // wins over the peal's own number
  std::string out;
  ASSERT_TRUE(ExportToText(*FindExportFormat("line"), peals, options, out).ok());
  ASSERT_TRUE(ExportToText(*FindExportFormat("rw"), peals, options, out).ok());
  const std::vector<std::string> lines = Lines(out);
  EXPECT_EQ(lines[0].substr(0, 6), "    1 ");
  EXPECT_EQ(lines[1].substr(0, 6), "    2 ");
  EXPECT_EQ(lines[2], "#1  (RW 1234)");
  EXPECT_NE(out.find("\r\n#2\r\n"), std::string::npos);
  EXPECT_EQ(out.find("#12"), std::string::npos);
}

TEST_F(TextStyles, RwLeavesOutARingerMarkedWithAStarAndClosesUpTheBells) {
  AddPerson(30, "Guest", "Ringer*");
  CPeal peal = Quarter();
  EightRingers(peal);
  peal.ringers[2] = 30;
  CExportOptions options = PealViewExportOptions();
  const std::vector<std::string> lines = Lines(RwText(peal, options));
  const std::vector<std::string> ringers(lines.begin() + 4, lines.begin() + 11);
  EXPECT_EQ(ringers, (std::vector<std::string>{"1 John Smith", "2 Mary Jones", "3 Eve Fox",
                                               "4 Tom Hart", "5 Sue Long", "6 Bob King",
                                               "7 Ann Bell"}));
  EXPECT_EQ(lines[11], "");
}

TEST_F(TextStyles, RwKeepsBellStringsAndNumbersTheOthersWhenAStringIsGivenLater) {
  CPeal peal = Quarter();
  peal.ringers = {kJohnSmith, kMaryJones, kPeterBrown};
  peal.SetPositioned(kBellString, 2, "3-4");
  CExportOptions options = PealViewExportOptions();
  const std::string text = RwText(peal, options);
  EXPECT_NE(text.find("\r\n1 John Smith\r\n2 Mary Jones\r\n3-4 Peter Brown\r\n"),
            std::string::npos);
}

struct AuthorCase {
  const char* name;
  uint32_t composer, generator, arranger, composition;
  std::vector<std::string> expected;
};

class RwAuthors : public TextStyles, public ::testing::WithParamInterface<AuthorCase> {};

TEST_P(RwAuthors, AuthorLinesTakeTheCompositionNameOnce) {
  CPeal peal = Quarter();
  peal.composer = GetParam().composer;
  peal.generatedBy = GetParam().generator;
  peal.arranger = GetParam().arranger;
  peal.composition = GetParam().composition;
  CExportOptions options = PealViewExportOptions();
  std::vector<std::string> lines = Lines(RwText(peal, options));
  // After the tower (2), date and method lines come the author lines, then two empty lines.
  lines.erase(lines.begin(), lines.begin() + 4);
  lines.resize(lines.size() - 2);
  EXPECT_EQ(lines, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RwAuthors,
    ::testing::Values(
        AuthorCase{"ComposerAndGenerator", kAnnBell, kEveFox, 0, kNova,
                   {"Gen. Ann Bell (Eve Fox) Nova"}},
        AuthorCase{"GeneratorAlone", 0, kEveFox, 0, kNova, {"Gen. Eve Fox Nova"}},
        AuthorCase{"ArrangerTakesTheName", kAnnBell, 0, kTomHart, kNova,
                   {"Comp. Ann Bell", "Arr. Tom Hart Nova"}},
        AuthorCase{"NameAlone", 0, 0, 0, kNova, {"Nova"}},
        AuthorCase{"SplicedShowsItsMethods", 0, 0, 0, kSplicedComp,
                   {"(8m: Bristol, Cambridge)", "Eightfold"}}),
    [](const ::testing::TestParamInfo<AuthorCase>& param) { return param.param.name; });

TEST_F(TextStyles, HandbellHeadingOnlyForAFullPeal) {
  CPeal peal = Quarter();
  peal.handbell = true;
  peal.tower = kHandVenue;
  CExportOptions options = PealViewExportOptions();
  EXPECT_EQ(RwText(peal, options).find("HANDBELL PEAL"), std::string::npos);
  EXPECT_EQ(AscyText(peal).substr(0, 19), "Handbell Peal\r\n\r\nIL");
  peal.changes = 5056;
  EXPECT_EQ(RwText(peal, options).substr(0, 19), "HANDBELL PEAL\r\n\r\nIL");
}

TEST_F(TextStyles, RwKeepsTheBracketOnlyWithoutAComposition) {
  CPeal peal = Quarter();
  peal.method = kSplicedMajor;
  CExportOptions options = PealViewExportOptions();
  EXPECT_NE(RwText(peal, options).find("\r\n1260 Spliced Surprise Major (8m)\r\n"),
            std::string::npos);
  peal.composition = kSplicedComp;
  EXPECT_NE(RwText(peal, options).find("\r\n1260 Spliced Surprise Major \r\n"),
            std::string::npos);
}

TEST_F(TextStyles, QuarterPealParagraph) {
  CPeal peal = Quarter();
  peal.ringers = {kJohnSmith, kMaryJones};
  peal.conductor = kMaryJones;
  peal.extras[kFootnote] = {"Birthday"};
  EXPECT_EQ(RwqText(peal),
            "Leeds, W Yorks.  1 Jan, 1260 Yorkshire Surprise Major: John Smith 1, "
            "Mary Jones (C) 2. Birthday.\r\n");
}

TEST_F(TextStyles, AscyBoardOfSevenPutsFourOnTheRight) {
  CPeal peal = Quarter();
  peal.ringers = {kJohnSmith, kMaryJones, kPeterBrown, kEveFox, kTomHart, kSueLong, kBobKing};
  peal.SetPositioned(kPrefix, 1, "");
  peal.SetPositioned(kPrefix, 2, "Dr");
  const std::string text = AscyText(peal);
  const std::string board =
      "Performers\r\n"
      "\r\nJohn Smith            Treble  Eve Fox               4"
      "\r\nMary Jones            2       Tom Hart              5"
      "\r\nDr Peter Brown        3       Sue Long              6"
      "\r\n                              Bob King              Tenor"
      "\r\n\r\n";
  EXPECT_NE(text.find(board), std::string::npos) << text;
}

TEST_F(TextStyles, AscyHandbellLabelsArePairsAndTheLastIsNoTenor) {
  CPeal peal = Quarter();
  peal.handbell = true;
  peal.tenor = 15;
  peal.ringers = {kJohnSmith, kMaryJones};
  peal.SetPositioned(kBellString, 0, "1");
  const std::string text = AscyText(peal);
  EXPECT_NE(text.find("\r\nJohn Smith            Treble  Mary Jones            3-4\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("1260 Changes" + std::string(28, ' ') + "Tenor Size 15\r\n"),
            std::string::npos);
}

TEST_F(TextStyles, AscySplicedAddsTheDetailsOnTheirOwnLine) {
  CPeal peal = Quarter();
  peal.method = kSplicedMajor;
  peal.tenor = 2700;
  std::string text = AscyText(peal);
  EXPECT_NE(text.find("\r\nSPLICED SURPRISE MAJOR\r\n1260 Changes - 8 methods\r\n" +
                      std::string(40, ' ') + "Tenor 24 cwt\r\n"),
            std::string::npos)
      << text;
  peal.composition = kSplicedComp;
  text = AscyText(peal);
  EXPECT_NE(text.find("\r\n1260 Changes - 8 methods - Bristol, Cambridge\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nEightfold\r\n"), std::string::npos);
}

TEST_F(TextStyles, AscyWithoutTowerBeginsWithAnEmptyLineAndNamesAuthorsConducting) {
  CPeal peal = Quarter();
  peal.tower = 0;
  peal.composer = kMaryJones;
  peal.arranger = kAnnBell;
  peal.generatedBy = kEveFox;
  peal.composition = kNova;
  peal.conductor = kMaryJones;
  const std::string text = AscyText(peal);
  EXPECT_EQ(text.substr(0, 17), "\r\nOn Wednesday Ja");
  EXPECT_NE(text.find("\r\nComposed and Conducted by Mary Jones\r\nArranged by Ann Bell Nova"
                      "\r\nGenerated by Eve Fox \r\n\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Conducted by  "), std::string::npos);
}

}  // namespace
}  // namespace tv::testing

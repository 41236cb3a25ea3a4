// The SGML forms: where the conductor goes, the two uses of "<rt>", the positions announced in
// the Keys form, and the Full form of a whole ledger read back through the tag reader.
#include <gtest/gtest.h>

#include "core/sgml_file.h"
#include "output/export_formats.h"
#include "output/sgml_writer.h"
#include "tests/output/output_fixture.h"

namespace tv::testing {
namespace {

using Tags = std::vector<std::pair<std::string, std::string>>;

class SgmlWriter : public OutputTest {
 protected:
  static CPeal ThreeRingers() {
    CPeal peal;
    peal.date = MakeDate(9, 11, 1999);
    peal.ringers = {kJohnSmith, kRevGrey, kEveFox};
    return peal;
  }
  // The tags of a text as the import reads them.
  Tags ReadBack(const std::string& text) {
    files.SetContents("/out/read.sgm", text);
    auto reader = CSGMLFile::Open("/out/read.sgm");
    Tags tags;
    std::string tag, content;
    while (reader->ReadTag(tag, content)) tags.emplace_back(tag, content);
    return tags;
  }
};

TEST_F(SgmlWriter, RingingConductorIsMarkedAtTheRingerAndOtherwiseNamedAfterThem) {
  CPeal peal = ThreeRingers();
  peal.conductor = kEveFox;
  EXPECT_EQ(SgmlFull(peal),
            "<k>1999-11-09<r>John Smith<r>Alan Grey<rt>Revd<r>Eve Fox<rc>");
  peal.conductor = kMaryJones;
  EXPECT_EQ(SgmlFull(peal),
            "<k>1999-11-09<r>John Smith<r>Alan Grey<rt>Revd<r>Eve Fox<b>Mary Jones");
}

TEST_F(SgmlWriter, PositionPrefixUsesTheSameTagAsThePersonsOwn) {
  CPeal peal = ThreeRingers();
  peal.SetPositioned(kPrefix, 0, "Rev");
  peal.SetPositioned(kBellString, 2, "9");
  peal.SetPositioned(kSuffix, 2, "");  // an empty entry writes nothing
  peal.ringers.push_back(0);           // a vacant position
  EXPECT_EQ(SgmlFull(peal),
            "<k>1999-11-09<r>John Smith<rt>Rev<r>Alan Grey<rt>Revd<r>Eve Fox<rb>9<r>");
}

TEST_F(SgmlWriter, KeysAnnounceEachPositionOnce) {
  CPeal peal = ThreeRingers();
  peal.handbell = true;
  peal.SetPositioned(kBellString, 2, "5-6");
  peal.SetPositioned(kPrefix, 2, "Dr");
  peal.SetPositioned(kSuffix, 0, "snr");  // position 0 is never announced
  peal.extras[kValidity] = {"hoax"};
  EXPECT_EQ(SgmlKeys(peal),
            "<d>9/11/1999<r:3>22,29,25<v>\"hoax\"<i>2<b>\"5-6\"<p>\"Dr\"<i>0<e>\"snr\"");
}

TEST_F(SgmlWriter, KeysOfAnEmptyPeal) {
  EXPECT_EQ(SgmlKeys(CPeal()), "<d>\\???" "?<w>32768<r:0>");
}

TEST_F(SgmlWriter, ShortFormTakesTheAbbreviationAndMissingEntriesWriteNoTags) {
  CPeal peal = RichPeal();
  peal.method = 77;
  EXPECT_EQ(SgmlShort(peal),
            "<k>2003-03-15/2<s>RW31234<a>YACR<t>Leeds<tc>W Yorks<td>Cathedral of S Peter<tk>1234");
  peal.tower = 78;
  peal.association = 79;
  EXPECT_EQ(SgmlShort(peal), "<k>2003-03-15/2<s>RW31234<a>");
}

// Regression: a "<" in a text re-read as the start of a tag, and line breaks were flattened.
TEST_F(SgmlWriter, TextsWithTagCharactersAndLineBreaksReadBackAsWritten) {
  CPeal peal;
  peal.date = MakeDate(1, 2, 2003);
  peal.extras[kFootnote] = {"A & B <i>tags</i>", "first line\r\nsecond &lt;"};
  peal.extras[kSource] = {"a<b"};
  const std::string text = SgmlFull(peal);
  EXPECT_EQ(text, "<k>2003-02-01<s>a&lt;b<f>A & B &lt;i>tags&lt;/i>"
                  "<f>first line&#13;&#10;second &amp;lt;");
  EXPECT_EQ(ReadBack(text), (Tags{{"k", "2003-02-01"},
                                  {"s", "a<b"},
                                  {"f", "A & B <i>tags</i>"},
                                  {"f", "first line\r\nsecond &lt;"}}));
}

TEST_F(SgmlWriter, FullFormOfALedgerReadsBackTagForTag) {
  CPeal rich = RichPeal();
  CPeal spliced;
  spliced.date = MakeDate(31, 12, 1999);
  spliced.handbell = true;
  spliced.tower = kHandVenue;
  spliced.tenor = 15;
  spliced.time = 150;
  spliced.changes = 5056;
  spliced.method = kSplicedMajor;
  spliced.composition = kSplicedComp;
  spliced.arranger = kTomHart;
  spliced.generatedBy = kEveFox;
  spliced.ringers = {kBobKing, kSueLong};
  spliced.SetPositioned(kBellString, 1, "3-4");
  spliced.extras[kCorrection] = {"Date corrected"};
  spliced.extras[kValidity] = {"false: wrong touch"};
  const std::vector<const CPeal*> peals{&rich, &spliced, &rich};
  CExportOptions options = DocumentExportOptions();
  std::string out;
  ASSERT_TRUE(ExportToText(*FindExportFormat("sgml-full"), peals, options, out).ok());

  const Tags richTags{
      {"k", "2003-03-15/2"}, {"s", "RW31234"}, {"s", "RW 2003"},
      {"a", "Yorkshire Association"}, {"t", "Leeds"}, {"tc", "W Yorks"},
      {"td", "Cathedral of S Peter"}, {"tk", "1234"}, {"tw", "24-2-7"}, {"h", "3h5"},
      {"n", "5088"}, {"m", "Yorkshire"}, {"mc", "Surprise"}, {"ms", "Major"}, {"c", "Ann Bell"},
      {"cn", "Nova"}, {"r", "John Smith"}, {"r", "Mary Jones"}, {"rc", ""},
      {"r", "Peter Brown"}, {"r", "Eve Fox"}, {"rt", "Revd"}, {"r", "Tom Hart"},
      {"r", "Sue Long"}, {"ra", "jnr"}, {"r", "Bob King"}, {"r", "Ann Bell"},
      {"f", "First peal on the bells."}, {"f", "For Easter."}, {"x", "leeds.htm"}};
  const Tags splicedTags{
      {"k", "1999-12-31"}, {"i", "h"}, {"sc", "Date corrected"}, {"t", "Ilkley"},
      {"tw", "15"}, {"h", "2h30"}, {"n", "5056"}, {"m", ""}, {"mn", "8"},
      {"mc", "Spliced Surprise"}, {"ms", "Major"}, {"ca", "Tom Hart"}, {"cg", "Eve Fox"},
      {"cm", "Bristol, Cambridge"}, {"cn", "Eightfold"}, {"r", "Bob King"}, {"r", "Sue Long"},
      {"rb", "3-4"}, {"v", "false: wrong touch"}};
  Tags expected = richTags;
  expected.insert(expected.end(), splicedTags.begin(), splicedTags.end());
  expected.insert(expected.end(), richTags.begin(), richTags.end());
  EXPECT_EQ(ReadBack(out), expected);
}

}  // namespace
}  // namespace tv::testing

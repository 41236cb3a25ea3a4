// Every format of the Export command on one rich peal, checked byte for byte against the text
// written out here by hand.
#include <gtest/gtest.h>

#include "output/export_formats.h"
#include "tests/output/output_fixture.h"

namespace tv::testing {
namespace {

std::string Spaces(size_t n) { return std::string(n, ' '); }

struct GoldenCase {
  const char* format;
  std::string expected;
};

// The rich peal of the fixture, exported with the document's default options.
std::vector<GoldenCase> GoldenCases() {
  const std::string nl = "\r\n";
  return {
      {"line",
       "   12 15/3/2003   (RW 1234) YACR Leeds, W Yorks, Cathedral of S Peter: Yorkshire "
       "Surprise Major (MJ)\r\n"},
      {"rw",
       "#12  (RW 1234)\r\n"
       "YORKSHIRE ASSOCIATION\r\n"
       "LEEDS, W Yorks\r\n"
       "Cathedral of S Peter\r\n"
       "Sat Mar 15 2003 3h5 (25)\r\n"
       "5088 Yorkshire Surprise Major\r\n"
       "Comp. Ann Bell Nova\r\n"
       "1 John Smith\r\n"
       "2 Mary Jones (C)\r\n"
       "3 Peter Brown\r\n"
       "4 Revd Eve Fox\r\n"
       "5 Tom Hart\r\n"
       "6 Sue Long (jnr)\r\n"
       "7 Bob King\r\n"
       "8 Ann Bell\r\n"
       "First peal on the bells.\r\n"
       "For Easter.\r\n"
       "\r\n"
       ">leeds.htm\r\n"
       "\r\n"
       "\r\n"},
      {"rwq",
       "Leeds, W Yorks. 15 Mar, 5088 Yorkshire Surprise Major: John Smith 1, Mary Jones (C) 2, "
       "Peter Brown 3, Eve Fox 4, Tom Hart 5, Sue Long 6, Bob King 7, Ann Bell 8. First peal on "
       "the bells.. For Easter..\r\n\r\n"},
      {"ascy",
       "LEEDS, West Yorkshire" + nl + "On Saturday March 15th 2003" + nl +
           "in Three Hours and Five Minutes" + nl + "At the Cathedral Church of St Peter" + nl +
           "A Peal of" + nl + "YORKSHIRE SURPRISE MAJOR" + nl + "5088 Changes" + Spaces(28) +
           "Tenor 24 1/2 cwt" + nl + nl + "Performers" + nl +                           //
           nl + "John Smith" + Spaces(12) + "Treble" + Spaces(2) + "Tom Hart" + Spaces(14) + "5" +
           nl + "Mary Jones" + Spaces(12) + "2" + Spaces(7) + "Sue Long (jnr)" + Spaces(8) + "6" +
           nl + "Peter Brown" + Spaces(11) + "3" + Spaces(7) + "Bob King" + Spaces(14) + "7" +
           nl + "Revd Eve Fox" + Spaces(10) + "4" + Spaces(7) + "Ann Bell" + Spaces(14) + "Tenor" +
           nl + nl + "Composed by Ann Bell Nova" + nl + "Conducted by  Mary Jones" + nl + nl +
           "First peal on the bells." + nl + "For Easter." + nl + nl},
      {"html-rw",
       "<h2><a name=12 id=12>No 12</a></h2>\r\n"
       "<p>  (RW p1234)</p>\r\n"
       "<h3>YORKSHIRE ASSOCIATION</h3>\r\n"
       "<p><b>LEEDS, W Yorks</b>, <i>Cathedral of S Peter</i >\r\n"
       "<br />Sat Mar 15 2003 3h5 (25)\r\n"
       "<br /><b><i>5088 Yorkshire Surprise Major</i></b>\r\n"
       "<br /><i>Composed by Ann Bell Nova</i>\r\n"
       "<br />1 John Smith\r\n"
       "<br />2 Mary Jones (C)\r\n"
       "<br />3 Peter Brown\r\n"
       "<br />4 Revd Eve Fox\r\n"
       "<br />5 Tom Hart\r\n"
       "<br />6 Sue Long (jnr)\r\n"
       "<br />7 Bob King\r\n"
       "<br />8 Ann Bell\r\n"
       "<br>First peal on the bells.\r\n"
       "<br>For Easter.\r\n"
       "</p><hr />\r\n"
       "\r\n"},
      {"html-line",
       "   12 15/3/2003 YACR Leeds, W Yorks, Cathedral of S Peter: Yorkshire Surprise Major "
       "(MJ)\r\n"},
      {"html-ascy",
       "<A name=031502></A><TABLE BORDER=0>\r\n"
       "<TR><TD><B>LEEDS, West Yorkshire</B></TD></TR>\r\n"
       "<TR><TD>On Saturday March 15th 2003</TD></TR>\r\n"
       "<TR><TD>in Three Hours and Five Minutes</TD></TR>\r\n"
       "<TR><TD>At the Cathedral Church of St Peter</TD></TR>\r\n"
       "<TR><TD><I>A Peal of</I></TD></TR>\r\n"
       "<TR><TD>YORKSHIRE SURPRISE MAJOR</TD></TR>\r\n"
       "<TR><TD>5088 Changes</TD></TR>\r\n"
       "<TR><TD ALIGN=RIGHT>Tenor 24 1/2 cwt</TD></TR>\r\n"
       "<TR><TD><I>Performers</I></TD></TR>\r\n"
       "<TR><TD><TABLE BORDER=0 CELLSPACING=5>\r\n"
       "<TR><TD>John Smith</TD><TD ALIGN=CENTER><B>Treble</B></TD>\r\n"
       "<TD>Tom Hart</TD><TD ALIGN=CENTER><B>5</B></TD></TR>\r\n"
       "<TR><TD>Mary Jones</TD><TD ALIGN=CENTER><B>2</B></TD>\r\n"
       "<TD>Sue Long (jnr)</TD><TD ALIGN=CENTER><B>6</B></TD></TR>\r\n"
       "<TR><TD>Peter Brown</TD><TD ALIGN=CENTER><B>3</B></TD>\r\n"
       "<TD>Bob King</TD><TD ALIGN=CENTER><B>7</B></TD></TR>\r\n"
       "<TR><TD>Revd Eve Fox</TD><TD ALIGN=CENTER><B>4</B></TD>\r\n"
       "<TD>Ann Bell</TD><TD ALIGN=CENTER><B>Tenor</B></TD></TR>\r\n"
       "</TABLE>\r\n"
       "</TD></TR>\r\n"
       "<TR><TD><I><A href=leeds.htm>Composed by Ann Bell Nova</A></I></TD></TR>\r\n"
       "<TR><TD><I>Conducted by  Mary Jones</I></TD></TR>\r\n"
       "<TR><TD>First peal on the bells.</TD></TR>\r\n"
       "<TR><TD>For Easter.</TD></TR>\r\n"
       "</TABLE>\r\n"
       "<HR>\r\n"},
      {"sgml-short",
       "<k>2003-03-15/2<s>RW31234<a>YACR<t>Leeds<tc>W Yorks<td>Cathedral of S Peter<tk>1234"
       "<m>Yorkshire<mc>Surprise<ms>Major\r\n"},
      {"sgml-full",
       "<k>2003-03-15/2<s>RW31234<s>RW 2003<a>Yorkshire Association<t>Leeds<tc>W Yorks"
       "<td>Cathedral of S Peter<tk>1234<tw>24-2-7<h>3h5<n>5088<m>Yorkshire<mc>Surprise<ms>Major"
       "<c>Ann Bell<cn>Nova<r>John Smith<r>Mary Jones<rc><r>Peter Brown<r>Eve Fox<rt>Revd"
       "<r>Tom Hart<r>Sue Long<ra>jnr<r>Bob King<r>Ann Bell<f>First peal on the bells."
       "<f>For Easter.<x>leeds.htm\r\n"},
      {"sgml-keys",
       "<d>15/3/2003<z>2<s>1234<a>3<t>7<w>35519<h>185<n>5088<m>9<c>21<q>6<y>23"
       "<r:8>22,23,24,25,26,27,28,21<s>\"RW 2003\"<f>\"First peal on the bells.\""
       "<f>\"For Easter.\"<i>3<p>\"Revd\"<i>5<e>\"jnr\"<x>\"leeds.htm\"\r\n"},
      {"csv-full",
       "\"Peal Number\",\"RW Page\",\"Association\",\"Tower\",\"County\",\"Dedication\","
       "\"Date\",\"Tenor\",\"Time\",\"Changes\",\"Method\",\"Composer\",\"Arranger\","
       "\"Generated By\",\"Composition\",\"Tower or Hand\",\"Footnotes\",\"Ringer 1\",\"Ringer 2\",\"Ringer 3\","
       "\"Ringer 4\",\"Ringer 5\",\"Ringer 6\",\"Ringer 7\",\"Ringer 8\",\"Ringer 9\","
       "\"Ringer 10\",\"Ringer 11\",\"Ringer 12\",\"Ringer 13\",\"Ringer 14\",\"Ringer 15\","
       "\"Ringer 16\",\"Ringer 17\",\"Ringer 18\"\n"
       "12,1234,\"Yorkshire Association\",\"Leeds\",\"W Yorks\",\"Cathedral of S Peter\","
       "15/3/2003,25,3h5,5088,\"Yorkshire Surprise Major\",\"Ann Bell\",\"\",\"\",\"\",\"T\","
       "\"First peal on the bells.\tFor Easter.\",\"1 John Smith\",\"2 Mary Jones (C)\","
       "\"3 Peter Brown\",\"4 Revd Eve Fox\",\"5 Tom Hart\",\"6 Sue Long (jnr)\",\"7 Bob King\","
       "\"8 Ann Bell\",,,,,,,,,,\r\n"},
      {"csv-peals",
       "\"Peal Number\",\"RW Page\",\"Association\",\"Tower\",\"Date\",\"Sequence No\","
       "\"Time\",\"Tenor\",\"Changes\",\"Method\",\"Composer\",\"Arranger\",\"Generated By\","
       "\"Composition\",\"Conductor\",\"Tower or Hand\"\n"
       "12,1234,3,7,15/3/2003,2,185,2751,5088,9,21,0,0,6,23,\"T\"\r\n"},
      {"csv-ringer",
       "\"Peal No\",\"Ringer No\",\"Ringer\"\n"
       "12,1,22\r\n12,2,23\r\n12,3,24\r\n12,4,25\r\n12,5,26\r\n12,6,27\r\n12,7,28\r\n12,8,21\r\n"},
      {"csv-extras",
       "\"Peal No\",\"Tag\",\"No\",\"Text\"\n"
       "12,\"S\",1,\"RW 2003\"\r\n"
       "12,\"F\",1,\"First peal on the bells.\"\r\n"
       "12,\"F\",2,\"For Easter.\"\r\n"
       "12,\"T\",4,\"Revd\"\r\n"
       "12,\"A\",6,\"jnr\"\r\n"
       "12,\"X\",1,\"leeds.htm\"\r\n"},
      {"csv-equiv", "29,21,\"Revd Alan Grey\",\"Ann Bell\"\n"},
  };
}

class GoldenFormats : public OutputTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenFormats, RichPealIsWrittenByteForByte) {
  PersonIndex().equivalences.AddEquivalence(kRevGrey, kAnnBell);
  const CPeal peal = RichPeal();
  const std::vector<const CPeal*> peals{&peal};
  const CExportFormat* format = FindExportFormat(GetParam().format);
  ASSERT_NE(format, nullptr);
  CExportOptions options = DocumentExportOptions();
  std::string out;
  ASSERT_TRUE(ExportToText(*format, peals, options, out).ok());
  EXPECT_EQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, GoldenFormats, ::testing::ValuesIn(GoldenCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& param) {
                           std::string name = param.param.format;
                           std::erase(name, '-');
                           return name;
                         });

TEST_F(OutputTest, MarwickWritesTheRichPealIntoItsTowerFile) {
  const CPeal peal = RichPeal();
  const std::vector<const CPeal*> peals{&peal};
  CExportOptions options = DocumentExportOptions();
  std::string out;
  ASSERT_TRUE(ExportToText(*FindExportFormat("marwick"), peals, options, out).ok());
  EXPECT_EQ(out, "");
  EXPECT_EQ(files.Contents("/out/f1/1234.mp1"),
            "@1234\r\n15/03/2003 Yorkshire Surprise Major \"First peal on the bells.\"\r\n");
}

TEST(ExportRegistry, DialogFormatsComeInTheCommandLineOrder) {
  EXPECT_EQ(ExportFormatNames(),
            "line rw rwq ascy marwick html-rw html-line html-ascy sgml-short sgml-full sgml-keys "
            "csv-full csv-peals csv-ringer csv-extras csv-equiv performances-xml geojson");
  for (int index = 0; index < kDialogFormatCount; ++index) {
    ASSERT_NE(ExportFormatAt(index), nullptr);
    EXPECT_EQ(ExportFormatAt(index)->DialogIndex(), index);
  }
  EXPECT_EQ(ExportFormatAt(kDialogFormatCount), nullptr);
}

}  // namespace
}  // namespace tv::testing

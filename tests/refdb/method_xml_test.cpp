// The public methods library into the method index: the sample field by field, existing
// entries, and files that cannot or can only partly be used.
#include "refdb/method_xml.h"

#include <gtest/gtest.h>

#include "refdb/method.h"
#include "refdb/method_parsing.h"
#include "tests/refdb/reference_fixture.h"
#include "tests/support/sample_files.h"

namespace tv {
namespace {

class MethodXmlTest : public ReferenceTest {
 protected:
  Status Import(const std::string& xml) {
    files.SetContents("/data/methods.xml", xml);
    return ImportMethodsXml("/data/methods.xml", summary);
  }
  // The entry with that title, or null.
  static const CMethod* ByTitle(const std::string& title) {
    CMethodIndex& index = MethodIndex();
    for (int32_t k = index.First(); k != 0; k = index.Entry(k).next) {
      const CMethod* method = index.Method(k);
      if (method && method->Title(true, false) == title) return method;
    }
    return nullptr;
  }
  static std::string Set(const std::string& properties, const std::string& methods) {
    return "<collection><methodSet><properties>" + properties + "</properties>" + methods +
           "</methodSet></collection>";
  }
  MethodXmlSummary summary;
};

struct Expected {
  const char* title;
  const char* name;
  int methodClass;
  int stage;
  bool little;
  Date firstRung;
};

TEST_F(MethodXmlTest, SampleImportsFieldByField) {
  ASSERT_TRUE(Import(testing::PublicSample("methods.xml")).ok());
  EXPECT_EQ(summary.methods, 14u);
  EXPECT_EQ(summary.added, 14u);
  EXPECT_EQ(summary.problems, std::vector<std::string>{});
  const Expected expected[] = {
      {"Plain Bob Minor", "Plain", 2, 6, false, MakeDate(2, 5, 1720)},
      {"St Clement's College Bob Minor", "St Clement's College", 2, 6, false, 0},
      {"Cambridge Surprise Major", "Cambridge", 4, 8, false, MakeDate(21, 4, 1873)},
      {"Bristol Surprise Major", "Bristol", 4, 8, false, MakeDate(3, 2, 1901)},
      {"Kent Treble Bob Major", "Kent", 3, 8, false, MakeDate(1, 1, 1780)},
      {"Plain Little Bob Minor", "Plain", 2, 6, true, 0},
      // Little Bob is named "Little", as every import names it.
      {"Little Bob Minor", "Little", 2, 6, false, 0},
      {"Stedman Triples", "Stedman", 0, 7, false, MakeDate(10, 6, 1731)},
      // The library's class is Bob, but its title leaves the word out.
      {"Grandsire Triples", "Grandsire", 0, 7, false, MakeDate(7, 5, 1715)},
      {"Sample Delight Royal", "Sample", 5, 10, false, 0},
      {"Sample Alliance Maximus", "Sample", 7, 12, false, 0},
      {"Sample Treble Place Caters", "Sample", 6, 9, false, 0},
      {"Sample Hybrid Doubles", "Sample", 8, 5, false, 0},
      {"Sample Place Doubles", "Sample", 1, 5, false, 0},
  };
  for (const Expected& e : expected) {
    const CMethod* method = ByTitle(e.title);
    ASSERT_NE(method, nullptr) << e.title;
    EXPECT_EQ(method->name, e.name) << e.title;
    EXPECT_EQ(method->methodClass, e.methodClass) << e.title;
    EXPECT_EQ(method->stage, e.stage) << e.title;
    EXPECT_EQ(method->little, e.little) << e.title;
    EXPECT_FALSE(method->spliced) << e.title;
    EXPECT_EQ(method->methodCount, 1) << e.title;
    EXPECT_EQ(method->firstRung, e.firstRung) << e.title;
  }
  // What peals will call them finds these entries.
  EXPECT_EQ(FindOrAddByTitle("Grandsire Triples", nullptr), ByTitle("Grandsire Triples")->key);
  EXPECT_EQ(FindOrAddByTitle("Kent Treble Bob Major", nullptr), ByTitle("Kent Treble Bob Major")->key);
}

TEST_F(MethodXmlTest, ExistingEntriesKeepTheirKeysAndAreCountedAsDatedOrUnchanged) {
  const int32_t cambridge = FindOrAddByTitle("Cambridge Surprise Major", nullptr);
  const int32_t plain = FindOrAddByTitle("Plain Bob Minor", nullptr);
  MethodIndex().Method(plain)->firstRung = MakeDate(2, 5, 1720);
  ASSERT_TRUE(Import(testing::PublicSample("methods.xml")).ok());
  EXPECT_EQ(summary.added, 12u);
  EXPECT_EQ(summary.dated, 1u);
  EXPECT_EQ(summary.unchanged, 1u);
  EXPECT_EQ(ByTitle("Cambridge Surprise Major")->key, cambridge);
  EXPECT_EQ(MethodIndex().Method(cambridge)->firstRung, MakeDate(21, 4, 1873));
  EXPECT_EQ(summary.Text(), "Methods read: 14\nAdded: 12\nDated: 1\nUnchanged: 1\n");
  // A second import finds everything as it left it, also after the index was saved and reread.
  CloseIndexSet();
  OpenIndexSet("/db/");
  ASSERT_TRUE(Import(testing::PublicSample("methods.xml")).ok());
  EXPECT_EQ(summary.unchanged, 14u);
}

TEST_F(MethodXmlTest, HandbellDateServesWhenThereIsNoTowerBellDate) {
  ASSERT_TRUE(Import(Set("<classification>Surprise</classification><stage>8</stage>",
                         "<method><name>Hand</name><performances><firstHandbellPeal><date>"
                         "1950-07-01</date></firstHandbellPeal></performances></method>"
                         "<method><name>Both</name><performances><firstHandbellPeal><date>"
                         "1950-07-01</date></firstHandbellPeal><firstTowerbellPeal><date>"
                         "1960-01-02</date></firstTowerbellPeal></performances></method>"))
                  .ok());
  EXPECT_EQ(ByTitle("Hand Surprise Major")->firstRung, MakeDate(1, 7, 1950));
  EXPECT_EQ(ByTitle("Both Surprise Major")->firstRung, MakeDate(2, 1, 1960));
}

TEST_F(MethodXmlTest, MethodOverridesItsSetAndPrefixedNamesRead) {
  ASSERT_TRUE(Import("<m:collection xmlns:m=\"urn:x\"><m:methodSet><m:properties>"
                     "<m:classification>Surprise</m:classification><m:stage>8</m:stage>"
                     "</m:properties><m:method><m:name>York</m:name><m:stage>10</m:stage>"
                     "</m:method><m:method><m:name>Kent</m:name><m:classification "
                     "little=\"true\">Treble Bob</m:classification></m:method>"
                     "</m:methodSet></m:collection>")
                  .ok());
  EXPECT_NE(ByTitle("York Surprise Royal"), nullptr);
  EXPECT_NE(ByTitle("Kent Little Treble Bob Major"), nullptr);
}

TEST_F(MethodXmlTest, BadValuesAreReportedNotGuessed) {
  ASSERT_TRUE(Import(Set("<classification>Surprise</classification>",
                         "<method id=\"a\"><name>Nostage</name></method>"
                         "<method id=\"b\"><name>Huge</name><stage>300</stage></method>"
                         "<method id=\"c\"><name>Early</name><stage>8</stage><performances>"
                         "<firstTowerbellPeal><date>1590-01-01</date></firstTowerbellPeal>"
                         "</performances></method>"
                         "<method id=\"d\"><name>Odd</name><stage>6</stage><classification>"
                         "Wobble</classification></method>"))
                  .ok());
  EXPECT_EQ(summary.skipped, 2u);
  EXPECT_EQ(summary.added, 2u);
  // A year before 1601 would be read as a two-digit year and land in the wrong century.
  EXPECT_EQ(ByTitle("Early Surprise Major")->firstRung, 0);
  EXPECT_NE(ByTitle("Odd Minor"), nullptr);
  EXPECT_EQ(summary.problems,
            (std::vector<std::string>{
                "method a: stage '' is not a number of bells; the method is skipped",
                "method b: stage '300' is not a number of bells; the method is skipped",
                "method c: firstTowerbellPeal date '1590-01-01' is not read",
                "method d: class 'Wobble' is not known; the method is entered without one"}));
}

TEST_F(MethodXmlTest, MalformedFileIsRefusedWithItsLineAndTheIndexUntouched) {
  const Status status = Import("<collection>\n<methodSet>\n<method><name>X</name>\n</collection>");
  EXPECT_EQ(status.code(), StatusCode::BadData);
  EXPECT_NE(status.message().find("/data/methods.xml line 4: not well-formed XML"), std::string::npos)
      << status.message();
  EXPECT_EQ(MethodIndex().First(), 0);
}

}  // namespace
}  // namespace tv

namespace tv {
namespace {

TEST_F(MethodXmlTest, ChooserImportAsksForTheFileAndShowsTheSummary) {
  files.SetContents("/data/methods.xml", testing::PublicSample("methods.xml"));
  platform.QueueOpenFile("/data/methods.xml");
  ImportMethodsXmlCommand();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0], "Methods read: 14\nAdded: 14\nDated: 0\nUnchanged: 0\n");
  EXPECT_EQ(platform.filePrompts.at(0).defaultExtension, "xml");
}

}  // namespace
}  // namespace tv

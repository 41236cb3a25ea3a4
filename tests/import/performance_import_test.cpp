// Performances from the central online database's XML: the sample field by field, towers found
// through the external tower data, a second import, the round trip through the export, and
// files the reader must not trust.
#include <gtest/gtest.h>

#include "output/performances_xml.h"
#include "peals/performance_format.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/tower.h"
#include "refdb/tower_csv.h"
#include "tests/import/import_fixture.h"
#include "tests/support/sample_files.h"

namespace tv {
namespace {

class PerformanceImportTest : public ImportTest {
 protected:
  ImportCounts ImportSample() {
    return Import("performances", "/data/performances.xml", testing::PublicSample("performances.xml"));
  }
  static const CTower& Tower(uint32_t key) {
    static const CTower none;
    const auto* tower = dynamic_cast<const CTower*>(TowerIndex().Lookup(static_cast<int32_t>(key)));
    EXPECT_NE(tower, nullptr);
    return tower ? *tower : none;
  }
  static std::string Details(uint32_t composition) {
    const CComposition* c = CompIndex().Composition(static_cast<int32_t>(composition));
    return c ? c->methodDetails : "";
  }
  std::string Saved(CTolvaneDoc& ledger, const std::string& path) {
    EXPECT_TRUE(ledger.SaveDocument(path).ok());
    return files.Contents(path);
  }
};

using Strings = std::vector<std::string>;

TEST_F(PerformanceImportTest, SampleImportsFieldByField) {
  const ImportCounts counts = ImportSample();
  EXPECT_EQ(counts.appended, 2u);
  EXPECT_FALSE(counts.text.Changed());  // Zoë is in the code page
  const std::vector<CPeal*> peals = Peals();
  ASSERT_EQ(peals.size(), 2u);

  const CPeal& tower = *peals[0];
  EXPECT_EQ(tower.extras[kSource], Strings{"BB P1000001"});
  EXPECT_EQ(AssocIndex().NameOf(tower.association, 0), "Sample Diocesan Guild");
  EXPECT_EQ(Tower(tower.tower).place, "Ab Kettleby");
  EXPECT_EQ(Tower(tower.tower).CountyNameAt(0), "Leicestershire");
  EXPECT_EQ(Tower(tower.tower).DedicationNameAt(0, 0), "S James");
  EXPECT_FALSE(tower.handbell);
  EXPECT_EQ(tower.tenor, 974);  // 8-2-22
  EXPECT_EQ(tower.date, MakeDate(16, 3, 2024));
  EXPECT_EQ(tower.sequence, 0);
  EXPECT_EQ(tower.time, 161);
  EXPECT_EQ(tower.changes, 5040);
  EXPECT_EQ(Method(tower.method), "Plain Bob Minor");
  EXPECT_EQ(Details(tower.composition), "7 extents");
  EXPECT_EQ(Person(tower.composer), "Anne Example");
  EXPECT_EQ(tower.arranger, 0u);
  Strings ringers;
  for (uint32_t key : tower.ringers) ringers.push_back(Person(key));
  EXPECT_EQ(ringers, (Strings{"Anne Example", "Bob O'Sample", "Carol Zo\xEB Trial", "David Test",
                              "Evelyn Mock", "Frank Dummy"}));
  EXPECT_EQ(tower.conductor, tower.ringers[5]);
  EXPECT_TRUE(tower.extras[kBellString].empty());  // bells 1 to 6 as any tower peal numbers them
  EXPECT_EQ(tower.extras[kFootnote],
            (Strings{"First peal on the back six: 2.",
                     "Rung for the 50th anniversary of the restoration & rehanging."}));
  // No external tower data yet: the ids are kept, not lost.
  EXPECT_EQ(tower.extras[kExtra],
            (Strings{"dove-ring-id:12574", "towerbase-id:6918", "dove-tower-id:12574"}));

  const CPeal& hand = *peals[1];
  EXPECT_EQ(hand.extras[kSource], Strings{"BB P1000002"});
  EXPECT_EQ(AssocIndex().NameOf(hand.association, 0), "Sample Handbell Society");
  EXPECT_TRUE(hand.handbell);
  EXPECT_EQ(hand.tenor, 15);
  EXPECT_EQ(Tower(hand.tower).place, "Sampleton");
  EXPECT_EQ(Tower(hand.tower).DedicationNameAt(0, 0), "12 Example Road");
  EXPECT_EQ(hand.time, 125);
  EXPECT_EQ(hand.changes, 5056);
  const CMethod* spliced = MethodIndex().Method(static_cast<int32_t>(hand.method));
  ASSERT_NE(spliced, nullptr);
  EXPECT_TRUE(spliced->spliced);
  EXPECT_EQ(spliced->methodCount, 4);
  EXPECT_EQ(spliced->methodClass, kClassSurprise);
  EXPECT_EQ(spliced->stage, 8);
  EXPECT_EQ(Details(hand.composition), "Bristol, Cambridge, London, Yorkshire");
  EXPECT_EQ(hand.composer, 0u);
  EXPECT_EQ(Person(hand.arranger), "Anne Example");
  EXPECT_EQ(hand.ringers.size(), 4u);
  EXPECT_EQ(hand.ringers[0], tower.ringers[0]);  // the same Anne Example
  EXPECT_EQ(hand.conductor, tower.conductor);
  EXPECT_EQ(hand.BellText(3), "7-8");
  EXPECT_TRUE(hand.extras[kBellString].empty());
  EXPECT_EQ(hand.extras[kExtra], Strings{"tenor:15 in C"});
  EXPECT_EQ(Log().substr(0, 9), "P1000001 ");
}

TEST_F(PerformanceImportTest, TowerIsFoundThroughTheExternalTowerData) {
  files.SetContents("/data/dove.csv", testing::PublicSample("towers.csv"));
  TowerCsvSummary summary;
  ASSERT_TRUE(ImportTowerCsv("/data/dove.csv", summary).ok());
  ImportSample();
  const CPeal& peal = *Peals()[0];
  EXPECT_EQ(Tower(peal.tower).steeplexKey, 6918);
  EXPECT_EQ(TowerOf(6918), static_cast<int32_t>(peal.tower));
  EXPECT_EQ(Tower(peal.tower).bellCount, 6);
  EXPECT_EQ(peal.extras[kExtra], Strings{"dove-ring-id:12574"});
  // A performance naming the tower only by the tower database's id finds the same tower.
  Import("performances", "/data/one.xml",
         "<performance id='P9'><place dove-tower-id='12574'><place-name type='place'>Ab "
         "Kettleby</place-name></place><date>2024-04-01</date></performance>");
  ASSERT_EQ(Peals().size(), 3u);
  EXPECT_EQ(Peals()[2]->tower, peal.tower);
}

TEST_F(PerformanceImportTest, ImportingAgainChangesNothing) {
  ImportSample();
  const std::string first = Saved(doc, "/work/club.tv3");
  const std::string persons = files.Contents("/db/persons.da3");
  const ImportCounts again = ImportSample();
  EXPECT_EQ(again.appended, 0u);
  EXPECT_EQ(again.replaced, 2u);
  EXPECT_EQ(Saved(doc, "/work/club.tv3"), first);
  EXPECT_EQ(files.Contents("/db/persons.da3"), persons);
  EXPECT_EQ(Log(), "P1000001 P1000002 ");
}

TEST_F(PerformanceImportTest, CorrectedDateReplacesThePealAndKeepsTheOldOneDeleted) {
  ImportSample();
  std::string xml = testing::PublicSample("performances.xml");
  xml.replace(xml.find("2024-03-16"), 10, "2024-03-18");
  const ImportCounts counts = Import("performances", "/data/p.xml", xml);
  EXPECT_EQ(counts.replaced, 2u);
  EXPECT_EQ(Peals().size(), 2u);
  EXPECT_EQ(Peals()[1]->date, MakeDate(18, 3, 2024));
  // Both replaced records are kept among the deleted peals.
  EXPECT_EQ(doc.PealsOf(kDeletedBuffer).size(), 2u);
}

TEST_F(PerformanceImportTest, RoundTripThroughTheExportKeepsEveryField) {
  ImportSample();
  Import("performances", "/data/more.xml",
         "<performances><performance id='P3'><place><place-name type='place'>Berkhamsted, "
         "Great</place-name><ring type='tower' tenor='18 cwt'/></place><date>2024-05-01</date>"
         "<duration>2 hrs 51 mins</duration><title><changes>5000</changes><method>Cambridge "
         "Surprise Major</method></title><composer>John Doe arr. Anne Example</composer>"
         "<ringers><ringer bell='1-2'>Anne Example</ringer><ringer bell='3' conductor='true'>"
         "Frank Dummy</ringer><ringer bell='4' conductor='true'>Gina Fixture</ringer></ringers>"
         "<flag type='simulator'/><timestamp>2024-05-02T10:00:00</timestamp>"
         "<source site='example.org' ref='42'/></performance></performances>");
  const std::vector<CPeal*> before = Peals();
  ASSERT_EQ(before.size(), 3u);
  const std::vector<const CPeal*> peals(before.begin(), before.end());
  const std::string xml = PerformancesXml(peals);

  CTolvaneDoc fresh;
  files.SetContents("/data/round.xml", xml);
  ImportCounts counts;
  ASSERT_TRUE(ImportPerformancesXml(fresh, "/data/round.xml", &counts).ok());
  EXPECT_EQ(counts.appended, 3u);
  for (size_t i = 0; i < before.size(); ++i) {
    const CPeal& a = *before[i];
    const CPeal& b = *fresh.PealAt(static_cast<uint32_t>(i + 1));
    SCOPED_TRACE(a.extras[kSource].front());
    EXPECT_EQ(b.date, a.date);
    EXPECT_EQ(b.time, a.time);
    EXPECT_EQ(b.changes, a.changes);
    EXPECT_EQ(b.method, a.method);
    EXPECT_EQ(b.tower, a.tower);
    EXPECT_EQ(b.tenor, a.tenor);
    EXPECT_EQ(b.handbell, a.handbell);
    EXPECT_EQ(b.association, a.association);
    EXPECT_EQ(b.composer, a.composer);
    EXPECT_EQ(b.arranger, a.arranger);
    EXPECT_EQ(b.composition, a.composition);
    EXPECT_EQ(b.conductor, a.conductor);
    EXPECT_EQ(b.ringers, a.ringers);
    for (int list = 0; list < kExtraCount; ++list) EXPECT_EQ(b.extras[list], a.extras[list]) << list;
  }
  // The third peal's oddities, as read the first time.
  const CPeal& third = *before[2];
  EXPECT_EQ(Tower(third.tower).place, "Berkhamsted, Great");
  EXPECT_EQ(third.tenor, 18 * 112);
  EXPECT_EQ(third.time, 171);
  EXPECT_EQ(Person(third.composer), "John Doe");
  EXPECT_EQ(Person(third.arranger), "Anne Example");
  // Bells other than a tower peal's 1, 2, 3 are kept position by position.
  EXPECT_EQ(third.extras[kBellString], (Strings{"1-2", "3", "4"}));
  EXPECT_EQ(third.extras[kExtra],
            (Strings{"flag:simulator", "timestamp:2024-05-02T10:00:00", "source:example.org 42",
                     "tenor:18 cwt", "conductor:Gina Fixture"}));
}

TEST_F(PerformanceImportTest, ExportWritesUtf8WithCrLfAndEscapes) {
  ImportSample();
  const std::vector<CPeal*> peals = Peals();
  peals[0]->extras[kFootnote][0] = "Tab\there <&> \"q\"";
  const std::string xml = PerformancesXml(std::vector<const CPeal*>{peals[0]});
  EXPECT_EQ(xml.substr(0, 40), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
  EXPECT_NE(xml.find("<ringer bell=\"3\">Carol Zo\xC3\xAB Trial</ringer>\r\n"), std::string::npos);
  EXPECT_NE(xml.find("<footnote>Tab here &lt;&amp;&gt; \"q\"</footnote>"), std::string::npos);
  EXPECT_NE(xml.find("<ring type=\"tower\" tenor=\"8-2-22\" dove-ring-id=\"12574\" />"),
            std::string::npos);
  EXPECT_EQ(xml.find('\n'), xml.find("\r\n") + 1);
  // The Export Format dialog offers it as the command line does.
  EXPECT_EQ(FindExportFormat("performances-xml")->DialogIndex(),
            static_cast<int>(ExportFormatId::PerformancesXml));
}

TEST_F(PerformanceImportTest, ExportCommandAsksForTheFileAndWritesTheCurrentBuffer) {
  ImportSample();
  platform.QueueSaveFile("/out/club.xml");
  ASSERT_TRUE(ExportPerformancesCommand(doc).ok());
  EXPECT_EQ(platform.filePrompts.at(0).defaultName, "export.xml");
  const std::vector<CPeal*> peals = Peals();
  EXPECT_EQ(files.Contents("/out/club.xml"),
            PerformancesXml(std::vector<const CPeal*>(peals.begin(), peals.end())));
  platform.QueueSaveFile(std::nullopt);
  EXPECT_EQ(ExportPerformancesCommand(doc).code(), StatusCode::Usage);
}

TEST_F(PerformanceImportTest, MalformedFileIsBadDataAndAddsNothing) {
  files.SetContents("/data/bad.xml", "<performances>\n<performance id='P1'>\n</performances>");
  ImportCounts counts;
  const Status status = ImportPerformancesXml(doc, "/data/bad.xml", &counts);
  EXPECT_EQ(status.code(), StatusCode::BadData);
  EXPECT_NE(status.message().find("/data/bad.xml line 3: not well-formed XML"), std::string::npos)
      << status.message();
  EXPECT_EQ(doc.lastPealNumber, 0u);
}

TEST_F(PerformanceImportTest, WhatHasNoFieldGoesToTheExtraListAndNothingIsGuessed) {
  Import("performances", "/data/odd.xml",
         "<performance id='P5'><date>1599-12-31</date><duration>soon</duration>"
         "<title><changes>99999999999</changes><method>Plain Bob Minor</method><peal-type>x"
         "</peal-type></title><weather>Fine <b>and</b> dry</weather>"
         "<place><place-name type='place'>Nowhere</place-name><place-name type='county'>"
         "Wessex</place-name><ring type='tower' tenor='huge'/></place>"
         "<footnote>\u266D  line\n break</footnote></performance>");
  const CPeal& peal = *Peals()[0];
  EXPECT_EQ(peal.date, 0);
  EXPECT_EQ(peal.time, 0);
  EXPECT_EQ(peal.changes, 0);
  EXPECT_EQ(peal.tenor, 0);
  EXPECT_EQ(Tower(peal.tower).CountyNameAt(0), "Wessex");
  EXPECT_EQ(peal.extras[kFootnote], Strings{"b line break"});
  EXPECT_EQ(peal.extras[kExtra],
            (Strings{"peal-type:x", "weather:Fine and dry", "date:1599-12-31", "duration:soon",
                     "changes:99999999999", "tenor:huge"}));
}

}  // namespace
}  // namespace tv

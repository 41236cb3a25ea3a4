// The Records window's flow without windows: the dialog, the ringer chosen in the person
// chooser, the record's text against the records library's, the performances per year of the
// chart, and Export, Clip and Save Chart through the platform.
#include "app/records_doc.h"

#include <gtest/gtest.h>

#include "app/records_view.h"
#include "records/record_layout.h"
#include "records/ringer_record.h"
#include "records/selection_milestones.h"
#include "tests/analysis/analysis_fixture.h"
#include "tests/support/full_disk_file_system.h"

namespace tv {
namespace {

using namespace tv::testing;

struct RecordWindow : CDocWindow, CRecordsListener {
  std::vector<std::string> shown;  // the titles of the records shown, in order
  std::vector<std::string> images;
  bool imageSaves = true;
  void ShowWindow(bool) override {}
  void HideWindow() override {}
  void SetTitle(const std::string&) override {}
  void Redraw() override {}
  bool SaveImage(const std::string& path) override {
    images.push_back(path);
    return imageSaves;
  }
  void RecordShown(const std::string& title) override { shown.push_back(title); }
};

class RecordsDocTest : public AnalysisTest {
 protected:
  RecordsDocTest() {
    // Ann rings as Ann Bell and, after her marriage, as Jane Hill; one of her peals is withdrawn,
    // and 2005 has a peal she is not in.
    PersonIndex().equivalences.AddEquivalence(kJane, kAnn);
    Add({.date = Day(1, 3, 2003), .tower = kHeadington, .association = kOxford,
         .method = kPlainBobMinor, .changes = 5040, .time = 170,
         .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kTom}, .conductor = kJohn});
    Add({.date = Day(2, 3, 2004), .tower = kHeadington, .association = kOxford,
         .method = kPlainBobMinor, .changes = 5040, .time = 165,
         .ringers = {kJohn, kJane, kMary, kPeter, kEve, kTom}, .conductor = kJohn});
    Add({.date = Day(3, 3, 2004), .tower = kHeadington, .method = kPlainBobMinor,
         .ringers = {kAnn}, .invalid = true});
    Add({.date = Day(9, 9, 2005), .tower = kWitney, .association = kOxford,
         .method = kPlainBobMajor, .changes = 5024, .time = 180,
         .ringers = {kJohn, kMary, kPeter, kEve, kTom, kSue, kBob, kSue}});
    leeds = Add({.date = Day(5, 5, 2006), .tower = kLeeds, .association = kYorkshire,
                 .method = kYorkshireMajor, .changes = 5056, .time = 190,
                 .ringers = {kJane, kJohn, kMary, kPeter, kEve, kTom, kSue, kBob},
                 .conductor = kJane});
    records.listener = &window;
    records.window = &window;
  }

  // The ringer's record as the records library writes it.
  std::vector<CRecordReport> LibraryRecord(uint32_t person) {
    const std::vector<CPerformance> performances = GatherPerformances({&ledger}, false);
    CRecordFacts facts(PersonIndex().equivalences);
    return {RingerReport(ComputeRingerRecord(performances, facts, person), performances,
                         {.kind = PerformanceKind::Peal})};
  }

  // Analyse > Records for a ringer typed as `text`, answered in the chooser with `key`.
  void ChooseRinger(const std::string& text, int32_t key) {
    platform.QueueDialog([text](DialogModel& dialog) {
      dialog.SetText("name", text);
      return DialogAction::Ok;
    });
    platform.QueueChooseKey(key);
    ASSERT_TRUE(records.Start(ledger, "/work/club.tv3"));
    platform.Pump();
  }

  RecordWindow window;
  CRecordsDoc records;
  CRecordsView view{records};
  uint32_t leeds = 0;
};

TEST_F(RecordsDocTest, RingerChosenInThePersonChooserShowsTheLibrarysRecord) {
  EXPECT_FALSE(view.State(Cmd::RecordsExport)->enabled);
  EXPECT_FALSE(view.State(Cmd::Clip)->enabled);
  ChooseRinger("jh", kJane);
  ASSERT_EQ(platform.chooserRequests.size(), 1u);
  EXPECT_EQ(platform.chooserRequests[0].index, &PersonIndex());
  EXPECT_EQ(platform.chooserRequests[0].text, "jh");
  EXPECT_EQ(platform.chooserRequests[0].title, "Ringer");

  // Jane Hill is counted as Ann Bell: the record is Ann's, under her name.
  EXPECT_EQ(window.shown, std::vector<std::string>{"Records - Ann Bell"});
  EXPECT_EQ(records.Title(), "Ann Bell");
  EXPECT_EQ(records.Text(), RecordText(LibraryRecord(kAnn)));
  EXPECT_EQ(records.Text(), RecordText(LibraryRecord(kJane)));
  ASSERT_FALSE(records.Lines().empty());
  EXPECT_EQ(records.Lines()[0], "Ann Bell: peals");
  EXPECT_GE(platform.maxWaitDepth, 1);
  // By hand: 2003 as Ann, 2004 as Jane (the withdrawn one left out), none in 2005, 2006 at
  // Leeds.
  EXPECT_EQ(records.Years(), (std::vector<CYearCount>{{2003, 1}, {2004, 1}, {2005, 0}, {2006, 1}}));
  EXPECT_EQ(records.ChartTitle(), "Ann Bell's peals per year");
  EXPECT_TRUE(view.State(Cmd::RecordsExport)->enabled);
  EXPECT_TRUE(platform.ScriptUsedUp());
}

TEST_F(RecordsDocTest, ExportWritesTheChosenFormClipAndSaveChartGoThroughThePlatform) {
  ChooseRinger("Ann", kAnn);
  platform.QueueDialog([](DialogModel& dialog) {
    EXPECT_EQ(dialog.Title(), "Export Records");
    dialog.SetChecked("csv", true);
    dialog.SetChecked("text", false);
    return DialogAction::Ok;
  });
  platform.QueueSaveFile("/work/ann.csv");
  view.Run(Cmd::RecordsExport);
  ASSERT_FALSE(platform.filePrompts.empty());
  EXPECT_EQ(platform.filePrompts.back().defaultName, "Ann Bell.csv");
  std::string written;
  ASSERT_TRUE(files.ReadAll("/work/ann.csv", written));
  EXPECT_EQ(written, RecordCsv(LibraryRecord(kAnn)));

  platform.QueueDialog([](DialogModel& dialog) {
    dialog.SetChecked("html", true);
    dialog.SetChecked("text", false);
    return DialogAction::Ok;
  });
  platform.QueueSaveFile("/work/ann.html");
  view.Run(Cmd::RecordsExport);
  ASSERT_TRUE(files.ReadAll("/work/ann.html", written));
  EXPECT_EQ(written, RecordHtml(LibraryRecord(kAnn), "Ann Bell"));

  // The map of Ann's towers, worked by hand: Headington twice (bells 1 and 2 of 6), Leeds
  // once; neither has a position, so both are named as left off.
  platform.QueueDialog([](DialogModel& dialog) {
    dialog.SetChecked("geojson", true);
    dialog.SetChecked("text", false);
    return DialogAction::Ok;
  });
  platform.QueueSaveFile("/work/ann.geojson");
  view.Run(Cmd::RecordsExport);
  EXPECT_EQ(platform.filePrompts.back().defaultName, "Ann Bell.geojson");
  const std::vector<CMapTower> towers = {
      {.tower = kHeadington, .performances = 2, .first = Day(1, 3, 2003), .last = Day(2, 3, 2004),
       .circled = false, .kind = "peal"},
      {.tower = kLeeds, .performances = 1, .first = Day(5, 5, 2006), .last = Day(5, 5, 2006),
       .circled = false, .kind = "peal"}};
  CGridConverter converter;
  const CGeoJsonMap map = WriteGeoJsonMap(towers, converter);
  ASSERT_TRUE(files.ReadAll("/work/ann.geojson", written));
  EXPECT_EQ(written, map.json);
  ASSERT_EQ(map.skipped.size(), 2u);
  ASSERT_EQ(platform.shownTexts.size(), 1u);
  EXPECT_EQ(platform.shownTexts[0].first, "Towers left off the map");
  EXPECT_EQ(platform.shownTexts[0].second, SkippedTowerText(map.skipped[0]) + "\r\n" +
                                               SkippedTowerText(map.skipped[1]) + "\r\n");

  // A cancelled prompt writes nothing.
  platform.QueueDialogOk();
  platform.QueueSaveFile(std::nullopt);
  view.Run(Cmd::RecordsExport);
  EXPECT_FALSE(files.Exists("/work/Ann Bell.txt"));

  view.Run(Cmd::Clip);
  EXPECT_EQ(platform.clipboard, records.Text());

  platform.QueueSaveFile("/work/ann.png");
  view.Run(Cmd::RecordsSaveChart);
  EXPECT_EQ(window.images, std::vector<std::string>{"/work/ann.png"});
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.ScriptUsedUp());
}

TEST_F(RecordsDocTest, FilesThatCannotBeWrittenAreReported) {
  ChooseRinger("Ann", kAnn);
  FullDiskFileSystem full(files, "", 10);  // every file: the record's temporary too
  ScopedServices fullDisk{&full, &clock, &platform};
  platform.QueueDialogOk();
  platform.QueueSaveFile("/work/ann.txt");
  view.Run(Cmd::RecordsExport);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0], "Could not write /work/ann.txt; the record was not exported.");
  EXPECT_FALSE(files.Exists("/work/ann.txt"));

  window.imageSaves = false;
  platform.QueueSaveFile("/work/ann.png");
  view.Run(Cmd::RecordsSaveChart);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[1], "Could not write /work/ann.png; the chart was not saved.");
}

TEST_F(RecordsDocTest, WholeLedgerListsTheMilestonesOfTheCurrentBufferCountingEarlierPeals) {
  // The selection holds the Leeds peal only; the peals before it still count.
  ledger.bufferRoots.resize(3, 0);
  ledger.bufferPositions.resize(3, 0);
  ledger.MovePeal(leeds, 2);
  ledger.currentBuffer = 2;
  platform.QueueDialog([](DialogModel& dialog) {
    dialog.SetChecked("ledger", true);
    dialog.SetChecked("ringer", false);
    return DialogAction::Ok;
  });
  ASSERT_TRUE(records.Start(ledger, "/work/club.qv3"));
  EXPECT_TRUE(platform.chooserRequests.empty());
  const std::vector<CPerformance> performances = GatherPerformances({&ledger}, false);
  CRecordFacts facts(PersonIndex().equivalences);
  const CRecordReport expected = MilestonesReport(
      ComputeSelectionMilestones(performances, facts), performances,
      {.kind = PerformanceKind::Quarter});
  EXPECT_EQ(records.Text(), RecordText({expected}));
  EXPECT_EQ(records.Title(), "Milestones reached");
  // Only the selection's performances are charted.
  EXPECT_EQ(records.Years(), (std::vector<CYearCount>{{2006, 1}}));
  EXPECT_EQ(records.ChartTitle(), "Quarter peals of the current buffer per year");
  // John's tenth performance is in the selection: the earlier buffer-1 peals were counted.
  EXPECT_NE(records.Text().find("Ann Bell"), std::string::npos);
}

TEST_F(RecordsDocTest, CancelsAndAnEmptyNameLeaveTheShownRecordAlone) {
  platform.QueueDialogCancel();
  EXPECT_FALSE(records.Start(ledger, ""));
  // OK without a name is refused, and the dialog stays for the name.
  platform.QueueDialogOk();
  platform.QueueDialogCancel();
  EXPECT_FALSE(records.Start(ledger, ""));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0], "Please type the ringer's name or initials.");
  EXPECT_TRUE(platform.chooserRequests.empty());

  ChooseRinger("Ann", kAnn);
  const std::string shown = records.Text();
  // A cancelled chooser keeps Ann's record.
  ChooseRinger("John", 0);
  EXPECT_EQ(records.Text(), shown);
  EXPECT_EQ(window.shown.size(), 1u);
}

TEST(PerformancesPerYear, UndatedPerformancesHaveNoYearAndTheRestRunFromFirstToLast) {
  CPeal undated, early, late, unselected;
  early.date = MakeDate(31, 12, 1999);
  late.date = MakeDate(1, 1, 2002);
  unselected.date = MakeDate(1, 6, 2001);
  const std::vector<CPerformance> performances = {
      {.peal = &undated}, {.peal = &early}, {.peal = &unselected, .selected = false}, {.peal = &late}};
  CEquivalences none;
  CRecordFacts facts(none);
  uint32_t withoutDate = 0;
  EXPECT_EQ(PerformancesPerYear(performances, facts, 0, &withoutDate),
            (std::vector<CYearCount>{{1999, 1}, {2000, 0}, {2001, 0}, {2002, 1}}));
  EXPECT_EQ(withoutDate, 1u);
  EXPECT_TRUE(PerformancesPerYear({}, facts, 0).empty());
}

}  // namespace
}  // namespace tv

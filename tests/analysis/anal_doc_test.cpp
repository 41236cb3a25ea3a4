// The analysis document's commands: Analyse through its dialog, Switch, Export, Clip, Save As
// and Equivalence.
#include "tests/analysis/analysis_fixture.h"

#include "analysis/person_list.h"
#include "peals/tolvane_doc.h"

namespace tv::testing {
namespace {

class DocTest : public AnalysisTest {
 protected:
  struct Listener : CAnalListener {
    void AnalysisShown(const std::string& title) override { titles.push_back(title); }
    void AnalysisRedraw() override { ++redraws; }
    Lines titles;
    int redraws = 0;
  };

  DocTest() { doc.listener = &listener; }

  // Twelve peals of different lengths.
  void AddTwelveLengths() {
    for (int i = 0; i < 12; ++i) Add({.date = Day(1, 1, 2020) + i, .changes = 5000 + i});
  }

  Listener listener;
};

TEST_F(DocTest, ExportWritesTheDateLineAnEmptyLineAndTheLinesWithoutPrefixes) {
  AddTwelveLengths();
  Report(AnalysisKind::Changes);
  platform.QueueOpenFile("/work/lengths.prn");
  doc.Export();
  ASSERT_EQ(platform.filePrompts.size(), 1u);
  EXPECT_EQ(platform.filePrompts[0].defaultName, "Changes.prn");
  EXPECT_EQ(platform.filePrompts[0].filter, "(*.prn)|*.prn|(*.txt)|*.txt|(*.*)|*.*||");
  const std::string expected =
      "Sat Jun 1 2024\r\n"
      "\r\n"
      "12 Items\r\n"
      "\r\n"
      "Total\r\n"
      "    1       5000\r\n" "    1       5001\r\n" "    1       5002\r\n"
      "    1       5003\r\n" "    1       5004\r\n" "    1       5005\r\n"
      "    1       5006\r\n" "    1       5007\r\n" "    1       5008\r\n"
      "    1       5009\r\n" "    1       5010\r\n" "    1       5011\r\n";
  EXPECT_EQ(files.Contents("/work/lengths.prn"), expected);
  EXPECT_EQ(files.Contents("/work/lengths.prn"), doc.ExportText());
}

TEST_F(DocTest, ClipCutsALongReportAtAWholeLine) {
  for (int i = 0; i < 2000; ++i) Add({.date = Day(2, 1, 2020), .changes = 10000 + i});
  Report(AnalysisKind::Changes);
  doc.Clip();
  // Counted with their prefixes: 1 + "\\+2000 Items" 14 + "" 2 + "Total" 7 = 24, then 18 for
  // each row ("    1      10000"): 1819 rows make 32766, the 1820th would pass 32767.
  const std::string& clip = platform.clipboard;
  EXPECT_EQ(clip.size(), std::string("2000 Items\r\n\r\nTotal\r\n").size() + 1819 * 18);
  EXPECT_TRUE(clip.starts_with("2000 Items\r\n\r\nTotal\r\n    1      10000\r\n"));
  EXPECT_TRUE(clip.ends_with("\r\n    1      11818\r\n"));
}

TEST_F(DocTest, SwitchIsKeptFromOneAnalysisToTheNext) {
  Add({.date = Day(1, 1, 2020), .tower = kLeeds, .association = kYorkshire});
  Report(AnalysisKind::Tower);
  EXPECT_TRUE(doc.CanSwitch());
  doc.Switch();
  EXPECT_EQ(doc.Shown(), doc.AltLines());
  EXPECT_EQ(doc.Shown().back(), "    1 West Yorkshire");
  // An analysis without an alternative shows its main lines; the next one with an alternative
  // opens on it again.
  Report(AnalysisKind::Association);
  EXPECT_FALSE(doc.CanSwitch());
  EXPECT_EQ(doc.Shown().back(), "    1 Yorkshire Association");
  doc.Switch();
  EXPECT_TRUE(doc.showAlternative);
  Report(AnalysisKind::MonthYear);
  EXPECT_EQ(doc.Shown().front(), "Year   Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec Total");
  EXPECT_EQ(listener.titles, (Lines{"Analysis by Tower", "Analysis by Association",
                                    "Analysis by Month"}));
  EXPECT_EQ(listener.redraws, 1);
}

TEST_F(DocTest, AnalyseCommandTakesTheDialogsChoiceAndTheLedgersSelection) {
  CTolvaneDoc peals;
  for (const uint32_t tower : {kLeeds, kLeeds, kIlkley}) {
    auto peal = std::make_unique<CPeal>();
    peal->date = Day(1, 1, 2020);
    peal->tower = tower;
    peal->association = kYorkshire;
    peal->time = 200;
    peal->ringers = {kMary};
    peal->conductor = tower == kIlkley ? static_cast<uint32_t>(kMary) : 0u;
    peals.InsertIntoBuffer(peals.AddPeal(std::move(peal)), kMainBuffer);
  }
  peals.selectCriterion = 7;
  peals.selection.chosenKey = kMary;
  platform.QueueDialog([](DialogModel& dialog) {
    EXPECT_EQ(dialog.Title(), "Analyse by");
    EXPECT_EQ(dialog.CheckedRadio("Analyse by"), "association");
    auto& analyse = static_cast<CAnalyseDlg&>(dialog);
    analyse.Choose(AnalysisKind::Tower);
    analyse.SetChecked("showTime", true);
    analyse.SetChecked("fantasy", true);  // not taken by the tower analysis
    return DialogAction::Ok;
  });
  EXPECT_TRUE(doc.Analyse(peals));
  EXPECT_EQ(doc.Title(), "Analysis by Tower");
  EXPECT_EQ(doc.MainLines(), (Lines{
      "\\+2 Items", "", " Rung Cond  Time  Bells",
      "    2          6   0   0   0   0   0   0   0   0   0   0   0   2 LEEDS, W Yorks",
      "    1    1     3   0   0   0   0   0   0   0   1 ILKLEY, W Yorks",
  }));
  // The selection's Analysis test now asks this analysis.
  ASSERT_EQ(peals.selection.analysis, &doc);
  EXPECT_TRUE(peals.selection.analysis->HasRungTowerPeals(kLeeds));

  platform.QueueDialogCancel();
  EXPECT_FALSE(doc.Analyse(peals));
  EXPECT_EQ(doc.Title(), "Analysis by Tower");
}

TEST_F(DocTest, SaveAsWritesTheMethodsAsANewIndex) {
  Add({.date = Day(1, 1, 2020), .method = kStedmanTriples});
  Add({.date = Day(1, 1, 2020), .method = kBristolMajor});
  Report(AnalysisKind::Method);
  platform.QueueOpenFile("/elsewhere/rung.dat");
  doc.SaveAs();
  EXPECT_EQ(platform.filePrompts.back().defaultName, "new.dat");
  CMethodIndex saved("rung.dat", "/work/");
  EXPECT_EQ(saved.NameOf(kBristolMajor, 0), "Bristol Surprise Major");
  EXPECT_EQ(saved.NameOf(kStedmanTriples, 0), "Stedman Triples");
  EXPECT_EQ(saved.Lookup(kYorkshireMajor), nullptr);
  EXPECT_EQ(saved.First(), kBristolMajor);
}

TEST_F(DocTest, SaveAsOfRingersWritesTheirEquivalencesToNewEqv) {
  PersonIndex().equivalences.AddEquivalence(kJane, kAnn);
  Add({.date = Day(1, 1, 2020), .ringers = {kJane, kJohn}, .composer = kPeter});
  Report(AnalysisKind::Ringer);
  platform.QueueOpenFile("/work/new.dat");
  doc.SaveAs();
  CPersonIndex saved("new.dat", "/work/");
  // Jane's row (counted as Ann), Ann's, John's and the composer's.
  for (const uint32_t key : {kAnn, kJohn, kPeter, kJane}) EXPECT_NE(saved.Lookup(key), nullptr);
  EXPECT_EQ(saved.Lookup(kMary), nullptr);
  EXPECT_EQ(files.Contents("/work/new.eqv"),
            std::string("\x09\0\0\0\x01\0\0\0", 8));
}

TEST_F(DocTest, SaveAsOfAssociationsLeavesBothFilesEmpty) {
  Add({.date = Day(1, 1, 2020), .association = kYorkshire});
  Report(AnalysisKind::Association);
  platform.QueueOpenFile("/work/new.dat");
  doc.SaveAs();
  EXPECT_TRUE(files.Exists("/work/new.dat.da3"));
  EXPECT_EQ(files.Contents("/work/new.dat.da3"), "");
  EXPECT_EQ(files.Contents("/work/new.dat.id3"), "");
}

TEST_F(DocTest, EquivalenceChoosesFromThenToAndKeepsTheFromPerson) {
  Add({.date = Day(1, 1, 2020), .tower = kLeeds, .ringers = {kJane, kAnn}});
  Report(AnalysisKind::Ringer);
  ASSERT_TRUE(doc.CanEquivalence());
  platform.QueueDialog([](DialogModel& dialog) {
    EXPECT_EQ(dialog.Title(), "Set Equivalence");
    dialog.SetText("from", "JH");
    dialog.SetText("to", "AB");
    return DialogAction::Ok;
  });
  platform.QueueChooseKey(kJane);
  platform.QueueChooseKey(kAnn);
  doc.Equivalence();
  platform.Pump();
  ASSERT_EQ(platform.chooserRequests.size(), 2u);
  EXPECT_EQ(platform.chooserRequests[0].title, "From");
  EXPECT_EQ(platform.chooserRequests[0].text, "JH");
  EXPECT_EQ(platform.chooserRequests[1].title, "To");
  EXPECT_EQ(platform.chooserRequests[1].text, "AB");
  EXPECT_EQ(PersonIndex().equivalences.EquivalentOf(kJane), kAnn);
  // The analysis on the screen is not recounted.
  EXPECT_EQ(doc.MainLines()[0], "\\+2 Items");

  // A further choice in the same chooser makes Jane counted as that person instead, and with
  // her the person she was counted as.
  platform.chooserRequests[1].target->OnChosen(kMary);
  EXPECT_EQ(PersonIndex().equivalences.EquivalentOf(kJane), kMary);
  // Cancelling the chooser changes nothing.
  platform.chooserRequests[1].target->OnChosen(0);
  EXPECT_EQ(PersonIndex().equivalences.EquivalentOf(kJane), kMary);

  EXPECT_EQ(PersonIndex().equivalences.EquivalentOf(kAnn), kMary);
  // The next analysis counts both in Mary's row; the dialog keeps its texts only within one
  // analysis.
  Report(AnalysisKind::Ringer);
  EXPECT_EQ(doc.MainLines(), (Lines{"\\+1 Items", "", " Rung Cond", "    2      Mary Jones"}));
  EXPECT_EQ(static_cast<CPersonList*>(doc.List())->EquivalenceDialog().Text("from"), "");
}

TEST_F(DocTest, ChooserAnswerAfterANewAnalysisStillReachesItsTarget) {
  Add({.date = Day(1, 1, 2020), .tower = kLeeds, .ringers = {kJane, kAnn}});
  Report(AnalysisKind::Ringer);
  platform.QueueDialogOk();
  doc.Equivalence();
  ChoiceTarget* target = platform.chooserRequests.at(0).target;
  Report(AnalysisKind::Composer);  // replaces the analysis while the chooser is open
  target->OnChosen(kJane);
  target->OnChosen(kAnn);
  EXPECT_EQ(PersonIndex().equivalences.EquivalentOf(kJane), kAnn);
}

}  // namespace
}  // namespace tv::testing

// The Export command: the dialog and what it stores, the offered file name and filter, the
// Marwick run without a prompt, renumbering per run, cancels, and failures shown and harmless.
#include <gtest/gtest.h>

#include "output/export_command.h"
#include "output/export_formats.h"
#include "tests/output/output_fixture.h"

namespace tv::testing {
namespace {

class ExportCommand : public OutputTest {
 protected:
  ExportCommand() {
    for (int day = 1; day <= 3; ++day) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(day, 5, 2005);
      peal->tower = kLeeds;
      peal->method = kYorkshireMajor;
      peal->changes = 5040;
      doc.AddNewPeal(std::move(peal));
    }
  }
  // Answers the next "Export Format" dialog by choosing a format and pressing OK.
  void ChooseFormat(int format, bool renumber = false) {
    platform.QueueDialog([format, renumber](DialogModel& dialog) {
      dialog.SetChecked(CExportDlg::FormatId(format), true);
      dialog.OnChanged(CExportDlg::FormatId(format));
      dialog.SetChecked("renumber", renumber);
      return DialogAction::Ok;
    });
  }

  CTolvaneDoc doc;
  CExportState state;
};

TEST_F(ExportCommand, DialogShowsTheFormatsInTheirBoxesAndStoresEverySetting) {
  CExportDlg dialog(state.options);
  EXPECT_EQ(dialog.Title(), "Export Format");
  EXPECT_EQ(dialog.Format(), 1);
  EXPECT_EQ(dialog.Control("format4").caption, "Marwick");
  EXPECT_EQ(dialog.Control("format4").group, "Text");
  EXPECT_EQ(dialog.Control("format7").group, "HTML");
  EXPECT_EQ(dialog.Control("format15").caption, "Equiv");
  EXPECT_EQ(dialog.Control("format15").group, "Tables");
  EXPECT_EQ(dialog.Control("rwRef").caption, "RW Ref");
  EXPECT_EQ(dialog.Control("rwRef").group, "Include");
  // One choice across the four boxes.
  dialog.SetChecked("format12", true);
  dialog.OnChanged("format12");
  EXPECT_FALSE(dialog.Checked("format1"));
  dialog.SetChecked("tabs", true);
  dialog.SetChecked("association", false);
  CExportOptions options = state.options;
  options.counter = 9;
  dialog.Store(options);
  EXPECT_EQ(options.format, 12);
  EXPECT_TRUE(options.useTabs);
  EXPECT_FALSE(options.includeAssociation);
  EXPECT_TRUE(options.includeTower);
  EXPECT_EQ(options.counter, 9u);
}

TEST_F(ExportCommand, DefaultNamesAndFilters) {
  EXPECT_EQ(DefaultExportName("/peals/ledger.tv3", "prn"), "ledger.prn");
  EXPECT_EQ(DefaultExportName("C:\\peals\\my.ledger.tv3", "csv"), "my.csv");
  EXPECT_EQ(DefaultExportName("", "prn"), "export.prn");
  EXPECT_EQ(DefaultExportName("/peals/noext", "htm"), "noext.htm");
  EXPECT_EQ(DefaultExportName("", ""), "export.");
  EXPECT_EQ(ExportFilter("csv"), "(*.csv)|*.csv|(*.*)|*.*||");
}

TEST_F(ExportCommand, RenumberStartsAgainAtOneForEachExport) {
  doc.pathName = "/peals/club.tv3";
  for (int run = 0; run < 2; ++run) {
    ChooseFormat(0, true);
    platform.QueueSaveFile("/out/list.prn");
    ASSERT_TRUE(ExportPeals(doc, state).ok());
  }
  ASSERT_EQ(platform.filePrompts.size(), 2u);
  EXPECT_EQ(platform.filePrompts[0].defaultName, "club.prn");
  EXPECT_EQ(platform.filePrompts[0].defaultExtension, "prn");
  EXPECT_EQ(platform.filePrompts[0].filter, "(*.prn)|*.prn|(*.*)|*.*||");
  EXPECT_TRUE(platform.filePrompts[0].overwritePrompt);
  const std::string text = files.Contents("/out/list.prn");
  EXPECT_EQ(text.substr(0, 6), "    1 ");
  EXPECT_NE(text.find("\r\n    3 3/5/2005 "), std::string::npos);
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ExportCommand, MarwickAsksForNoFileName) {
  ChooseFormat(4);
  ASSERT_TRUE(ExportPeals(doc, state).ok());
  EXPECT_TRUE(platform.filePrompts.empty());
  EXPECT_EQ(files.Contents("/out/f1/1234.mp1").substr(0, 7), "@1234\r\n");
  EXPECT_GT(platform.maxWaitDepth, 0);
}

TEST_F(ExportCommand, EquivalencesTakeThePreviousExtension) {
  PersonIndex().equivalences.AddEquivalence(kRevGrey, kAnnBell);
  ChooseFormat(15);
  platform.QueueSaveFile(std::nullopt);
  EXPECT_EQ(ExportPeals(doc, state).code(), StatusCode::Usage);
  EXPECT_EQ(platform.filePrompts.back().defaultName, "export.");
  ChooseFormat(11);
  platform.QueueSaveFile("/out/t.csv");
  ASSERT_TRUE(ExportPeals(doc, state).ok());
  ChooseFormat(15);
  platform.QueueSaveFile("/out/eq.csv");
  ASSERT_TRUE(ExportPeals(doc, state).ok());
  EXPECT_EQ(platform.filePrompts.back().defaultName, "export.csv");
  EXPECT_EQ(files.Contents("/out/eq.csv"), "29,21,\"Revd Alan Grey\",\"Ann Bell\"\n");
}

TEST_F(ExportCommand, CancelledDialogChangesNothing) {
  platform.QueueDialogCancel();
  EXPECT_EQ(ExportPeals(doc, state).code(), StatusCode::Usage);
  EXPECT_EQ(state.options.format, 1);
  EXPECT_TRUE(platform.filePrompts.empty());
}

TEST_F(ExportCommand, FileThatCannotBeWrittenIsShownAndTheOldOneKept) {
  files.SetContents("/out/old.prn", "previous export");
  files.CreateDirectory("/out/old.prn.tmp~");  // the temporary cannot be made
  ChooseFormat(1);
  platform.QueueSaveFile("/out/old.prn");
  EXPECT_EQ(ExportPeals(doc, state).code(), StatusCode::IoError);
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_NE(platform.errors[0].find("/out/old.prn"), std::string::npos);
  EXPECT_EQ(files.Contents("/out/old.prn"), "previous export");
}

TEST_F(ExportCommand, UnwritableTowerFileIsShown) {
  files.CreateDirectory("/out/f1/1234.mp1");
  ChooseFormat(4);
  EXPECT_EQ(ExportPeals(doc, state).code(), StatusCode::IoError);
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(platform.errors[0], "3 peals were not exported: could not write /out/f1/1234.mp1");
}

}  // namespace
}  // namespace tv::testing

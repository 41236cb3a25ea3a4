// The application without windows: start-up, opening ledgers over modified ones, the peal list's
// lines and Clip, the current peal's title and styles, and the command tables.
#include "app/tolvane_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "app/analysis_view.h"
#include "app/peal_text.h"
#include "app/tolvane_view.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "peals/ledger_file.h"
#include "refdb/index_lock.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

struct FakeWindow : CDocWindow {
  bool shown = false;
  bool activated = false;
  std::string title;
  int redraws = 0;
  void ShowWindow(bool activate) override {
    shown = true;
    activated = activated || activate;
  }
  void HideWindow() override { shown = false; }
  void SetTitle(const std::string& t) override { title = t; }
  void Redraw() override { ++redraws; }
};

struct FakeShell : CAppShell {
  std::vector<DocId> made;
  std::map<DocId, FakeWindow> windows;
  std::vector<std::string> recent;
  CDocWindow* MakeWindow(DocId doc) override {
    made.push_back(doc);
    return &windows[doc];
  }
  void AddRecentFile(const std::string& path) override { recent.push_back(path); }
};

class AppTest : public ::testing::Test {
 protected:
  AppTest() {
    CloseIndexSet();
    SteeplexXref().Clear();
  }
  ~AppTest() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }

  // A ledger file of `count` peals, one a day from 1 January 2003.
  std::string WriteLedger(const std::string& path, int count) {
    CPealLedger ledger;
    for (int i = 0; i < count; ++i) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(1, 1, 2003) + i;
      peal->changes = 5000 + i;
      ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
    }
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile(path, ledger, buffers).ok());
    return path;
  }

  std::vector<std::string> LineTexts(CTolvaneView& view, int& current) {
    std::vector<std::string> texts;
    current = -1;
    for (const CListLine& line : view.Lines()) {
      if (line.current) current = static_cast<int>(texts.size());
      texts.push_back(line.text);
    }
    return texts;
  }

  MemoryFileSystem files{"/db/"};
  FixedClock clock{{15, 6, 2024}};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
  FakeShell shell;
  CTolvaneApp app;
};

TEST_F(AppTest, StartUpMakesTheFiveDocumentsInOrderAndShowsTheList) {
  app.Start(shell, "");
  EXPECT_EQ(shell.made, (std::vector<DocId>{DocId::Chooser1, DocId::Chooser2, DocId::Analysis,
                                             DocId::CurrentPeal, DocId::PealList}));
  EXPECT_TRUE(IndexSetIsOpen());
  EXPECT_EQ(IndexDirectory(), "/db/");
  EXPECT_FALSE(shell.windows[DocId::Chooser1].shown);
  EXPECT_FALSE(shell.windows[DocId::Chooser2].shown);
  EXPECT_TRUE(shell.windows[DocId::Analysis].shown);
  EXPECT_TRUE(shell.windows[DocId::PealList].activated);
  EXPECT_EQ(shell.windows[DocId::PealList].title, "Peal List");
  EXPECT_EQ(app.PealDoc().entryChooser, &app.Chooser(1));
  EXPECT_EQ(app.Ledger().views, &app);
}

TEST_F(AppTest, StartIsRefusedWhileAnotherProgramHoldsTheIndexDirectory) {
  WriteLedger("/db/a.tv3", 2);
  files.SetLockProcess(4321, "2026-12-10 00:31:05");
  Status refusal;
  auto other = HoldIndexDirectory("/db/", "tolvane-cli", refusal);
  ASSERT_TRUE(other);
  const auto before = files.Paths();
  EXPECT_FALSE(app.Start(shell, "/db/a.tv3"));
  EXPECT_TRUE(app.StartRefused());  // the program did not run: it exits with a failure
  EXPECT_FALSE(IndexSetIsOpen());
  EXPECT_EQ(files.Paths(), before);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0],
            "The index directory /db/ is held by tolvane-cli (process 4321) since "
            "2026-12-10 00:31:05; nothing was changed. Close it, then start Tolvane again.");
}

TEST_F(AppTest, TheSessionHoldsTheIndexDirectoryUntilTheProgramEnds) {
  {
    CTolvaneApp session;
    ASSERT_TRUE(session.Start(shell, ""));
    Status refusal;
    EXPECT_FALSE(HoldIndexDirectory("/db/", "tolvane-cli", refusal));
    EXPECT_EQ(refusal.code(), StatusCode::BadData);
    EXPECT_NE(refusal.message().find("is held by Tolvane (process "), std::string::npos);
    session.Shutdown();
    CloseIndexSet();
  }
  Status refusal;
  EXPECT_TRUE(HoldIndexDirectory("/db/", "tolvane-cli", refusal)) << refusal.message();
}

TEST_F(AppTest, CommandLineLedgerOpensWithItsQuotesRemoved) {
  WriteLedger("/db/my peals.tv3", 4);
  app.Start(shell, "\"/db/my peals.tv3\"");
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 4u);
  ASSERT_NE(app.PealDoc().Shown(), nullptr);
  EXPECT_EQ(app.PealDoc().Shown()->pealNumber, 4u);
  EXPECT_EQ(shell.windows[DocId::CurrentPeal].title, "No 4 (RW 30000)");
  EXPECT_TRUE(shell.windows[DocId::CurrentPeal].shown);
  EXPECT_FALSE(shell.windows[DocId::CurrentPeal].activated);
  EXPECT_EQ(shell.windows[DocId::PealList].title, "my peals.tv3");
  EXPECT_EQ(shell.recent, std::vector<std::string>{"/db/my peals.tv3"});
  EXPECT_EQ(LedgerNameFromCommandLine("  plain.tv3 "), "plain.tv3");
  EXPECT_EQ(LedgerNameFromCommandLine("\""), "");
}

TEST_F(AppTest, LedgerThatCannotBeOpenedLeavesTheOpenOneAndTheRecentList) {
  WriteLedger("/db/a.tv3", 2);
  app.Start(shell, "/db/a.tv3");
  EXPECT_FALSE(app.OpenLedger("/db/missing.tv3"));
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 2u);
  EXPECT_EQ(app.LedgerTitle(), "a.tv3");
  EXPECT_EQ(shell.recent.size(), 1u);
  EXPECT_EQ(platform.messages.size(), 1u);
}

// Opening another ledger over a modified one asks first; the answers keep, drop or save the
// changes.
TEST_F(AppTest, OpeningOverAModifiedLedgerAsksToSaveFirst) {
  WriteLedger("/db/a.tv3", 2);
  WriteLedger("/db/b.tv3", 5);
  app.Start(shell, "/db/a.tv3");
  app.Ledger().Delete();
  ASSERT_TRUE(app.Ledger().modified);

  platform.QueueSaveAnswer(SaveAnswer::Cancel);
  EXPECT_FALSE(app.OpenLedger("/db/b.tv3"));
  EXPECT_TRUE(app.Ledger().modified);
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 1u);
  EXPECT_EQ(app.Ledger().pathName, "/db/a.tv3");

  platform.QueueSaveAnswer(SaveAnswer::Yes);
  EXPECT_TRUE(app.OpenLedger("/db/b.tv3"));
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 5u);
  EXPECT_FALSE(app.Ledger().modified);
  CPealLedger saved;
  ASSERT_TRUE(ReadLedgerFile("/db/a.tv3", saved).ok());
  EXPECT_EQ(saved.PealsOf(kMainBuffer).size(), 1u);

  app.Ledger().Delete();
  platform.QueueSaveAnswer(SaveAnswer::No);
  EXPECT_TRUE(app.OpenLedger("/db/a.tv3"));
  CPealLedger untouched;
  ASSERT_TRUE(ReadLedgerFile("/db/b.tv3", untouched).ok());
  EXPECT_EQ(untouched.PealsOf(kMainBuffer).size(), 5u);
  EXPECT_TRUE(platform.ScriptUsedUp());
}

TEST_F(AppTest, YesToSavingANamelessLedgerThatIsThenNotNamedKeepsIt) {
  app.Start(shell, "");
  app.Ledger().AddNewPeal(app.Ledger().MakePealForEntry());
  WriteLedger("/db/b.tv3", 3);
  platform.QueueSaveAnswer(SaveAnswer::Yes);
  platform.QueueSaveFile(std::nullopt);
  EXPECT_FALSE(app.OpenLedger("/db/b.tv3"));
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 1u);
  EXPECT_TRUE(app.Ledger().modified);
}

TEST_F(AppTest, QuitAsksOnlyForAModifiedLedger) {
  WriteLedger("/db/a.tv3", 2);
  app.Start(shell, "/db/a.tv3");
  EXPECT_TRUE(app.SaveModified());
  app.Ledger().Delete();
  platform.QueueSaveAnswer(SaveAnswer::Cancel);
  EXPECT_FALSE(app.SaveModified());
  EXPECT_TRUE(platform.ScriptUsedUp());
}

TEST_F(AppTest, CurrentPealTitleCarriesTheRingingWorldReference) {
  CPeal peal;
  peal.pealNumber = 7;
  peal.date = MakeDate(5, 5, 2003);
  EXPECT_EQ(CurrentPealTitle(peal), "No 7 (RW 30000)");
  peal.rwPage = 1234;
  EXPECT_EQ(CurrentPealTitle(peal), "No 7 (RW 31234)");
}

class ListViewTest : public AppTest {
 protected:
  void Load(int count) {
    WriteLedger("/db/l.tv3", count);
    app.Start(shell, "/db/l.tv3");
  }
};

TEST_F(ListViewTest, ListShowsTwentyFiveLinesAroundTheCurrentPeal) {
  Load(100);
  CTolvaneView view(app, 1);
  int current = -1;
  EXPECT_EQ(LineTexts(view, current).size(), 6u);  // the last peal: five above it
  EXPECT_EQ(current, 5);

  app.Ledger().Top();
  app.Ledger().Forward();
  app.Ledger().Forward();
  const auto lines = LineTexts(view, current);
  EXPECT_EQ(lines.size(), 25u);
  EXPECT_EQ(current, 2);
  EXPECT_EQ(view.topPeal, 1u);
  EXPECT_EQ(lines[2], ListLine(*app.Ledger().PealAt(3)));

  app.Ledger().PageForward(25);
  LineTexts(view, current);
  EXPECT_EQ(current, 5);
  EXPECT_EQ(view.topPeal, 23u);
}

TEST_F(ListViewTest, AMissingBufferIsBlankAndActivatingItChangesNothing) {
  Load(3);
  CTolvaneView second(app, app.NextListBuffer() + 1);
  EXPECT_EQ(second.buffer, 2);
  int current = -1;
  EXPECT_TRUE(LineTexts(second, current).empty());
  second.OnActivate();
  EXPECT_EQ(app.Ledger().currentBuffer, 1);
  // A Transfer makes buffer 2, which the window then shows.
  app.Ledger().Transfer();
  EXPECT_EQ(LineTexts(second, current).size(), 1u);
  second.OnActivate();
  EXPECT_EQ(app.Ledger().currentBuffer, 2);
}

TEST_F(ListViewTest, EmptyBufferListIsBlank) {
  app.Start(shell, "");
  CTolvaneView view(app, 1);
  int current = -1;
  EXPECT_TRUE(LineTexts(view, current).empty());
}

TEST_F(ListViewTest, ClipCopiesEveryLineOfBufferOneWithoutAMessage) {
  Load(3);
  app.Ledger().Transfer();  // the last peal goes to buffer 2 and is not copied
  CTolvaneView view(app, 2);
  view.Run(Cmd::Clip);
  const std::string expected = ListLine(*app.Ledger().PealAt(1)) + "\r\n" +
                               ListLine(*app.Ledger().PealAt(2)) + "\r\n";
  EXPECT_EQ(platform.clipboard, expected);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ListViewTest, ClipOfALongListCopiesUpToItsLimitAndSaysHowManyLines) {
  Load(2000);
  ClipPealList(app.Ledger());
  size_t copied = 0;
  const std::string text = ClipListText(app.Ledger(), &copied);
  ASSERT_LT(copied, 2000u);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Truncated: Size > 50k - the first " +
                                     std::to_string(copied) + " of the 2000 lines of buffer 1 were copied."});
  // What the message says is on the clipboard: whole lines past the 50000 limit, not cut short
  // at the smaller limit of display-line copies.
  EXPECT_EQ(platform.clipboard, text);
  EXPECT_GT(platform.clipboard.size(), 50000u);
  const std::string last = ListLine(*app.Ledger().PealAt(static_cast<uint32_t>(copied))) + "\r\n";
  EXPECT_EQ(platform.clipboard.substr(platform.clipboard.size() - last.size()), last);
  EXPECT_LE(platform.clipboard.size() - last.size(), 50000u);
  EXPECT_EQ(platform.maxWaitDepth, 1);
}

TEST_F(ListViewTest, PealViewKeepsItsOwnStyleAndClipsItsText) {
  Load(2);
  CPealView first(app.PealDoc());
  CPealView second(app.PealDoc());
  first.Run(Cmd::StyleSgml);
  EXPECT_TRUE(first.State(Cmd::StyleSgml)->checked);
  EXPECT_FALSE(first.State(Cmd::StyleRw)->checked);
  EXPECT_EQ(second.style, kStyleRw);
  first.Run(Cmd::Clip);
  EXPECT_EQ(platform.clipboard, PealText(*app.Ledger().PealAt(2), kStyleSgml));
  first.Run(Cmd::StyleAscy);
  EXPECT_TRUE(first.FixedFont());
  EXPECT_FALSE(second.FixedFont());
}

TEST_F(ListViewTest, F2EditsTheShownPealAndOnlyActionlessItemsStayGrey) {
  Load(2);
  CTolvaneView list(app, 1);
  for (const Cmd cmd : {Cmd::Select, Cmd::GlobalEdit, Cmd::ImportOldSgml, Cmd::ImportMarwick,
                        Cmd::ImportPerformances, Cmd::Export, Cmd::Analyse, Cmd::SteeplexImport,
                        Cmd::SteeplexTowerCsv, Cmd::New, Cmd::Edit}) {
    ASSERT_TRUE(list.State(cmd).has_value());
    EXPECT_TRUE(list.State(cmd)->enabled);
  }
  EXPECT_FALSE(list.State(Cmd::LoadSelective)->enabled);
  EXPECT_FALSE(list.State(Cmd::MarkClear)->enabled);

  // The peal edited is the one the current-peal window shows, not a copy.
  app.Ledger().Back();
  platform.QueueDialog([](DialogModel& dialog) {
    dialog.SetText("changes", "5100");
    return testing::DialogAction::Ok;
  });
  list.Run(Cmd::Edit);
  EXPECT_EQ(app.Ledger().PealAt(1)->changes, 5100);
  EXPECT_EQ(app.Ledger().PealAt(2)->changes, 5001);
  EXPECT_TRUE(platform.chooserRequests.empty());

  CPealView peal(app.PealDoc());
  EXPECT_TRUE(peal.State(Cmd::EditExtra)->enabled);
  EXPECT_FALSE(peal.State(Cmd::Top).has_value());
  // Buffer 1 cleared: no peal is shown, and Extra has nothing to work on.
  app.Ledger().Clear();
  EXPECT_FALSE(peal.State(Cmd::EditExtra)->enabled);
  EXPECT_TRUE(peal.State(Cmd::Edit)->enabled);
}

TEST_F(AppTest, AnalysisComesToTheFrontUnderItsTitleAndItsMenuFollowsIt) {
  WriteLedger("/db/a.tv3", 3);
  app.Start(shell, "/db/a.tv3");
  CAnalView view(app.Analysis());
  EXPECT_FALSE(view.State(Cmd::AnalysisExport)->enabled);
  EXPECT_FALSE(view.State(Cmd::Clip)->enabled);
  platform.QueueDialog([](DialogModel& dialog) {
    dialog.SetChecked(CAnalyseDlg::ChoiceId(AnalysisKind::Changes), true);
    return testing::DialogAction::Ok;
  });
  CTolvaneView list(app, 1);
  shell.windows[DocId::Analysis].activated = false;
  list.Run(Cmd::Analyse);
  FakeWindow& window = shell.windows[DocId::Analysis];
  EXPECT_EQ(window.title, app.Analysis().Title());
  EXPECT_NE(window.title, "Analysis");
  EXPECT_TRUE(window.activated);
  EXPECT_GT(window.redraws, 0);
  EXPECT_EQ(view.Lines(), app.Analysis().Shown());
  EXPECT_TRUE(view.State(Cmd::AnalysisExport)->enabled);
  EXPECT_EQ(view.State(Cmd::Switch)->enabled, app.Analysis().CanSwitch());
  // The selection's Analysis box asks this analysis.
  EXPECT_EQ(app.Ledger().selection.analysis, &app.Analysis());

  view.Run(Cmd::Clip);
  EXPECT_EQ(platform.clipboard, AnalysisClipText(app.Analysis().Shown()));
}

TEST_F(AppTest, RecordsWindowIsMadeForTheFirstRecordAndComesToTheFront) {
  WriteLedger("/db/a.tv3", 3);
  app.Start(shell, "/db/a.tv3");
  EXPECT_EQ(std::count(shell.made.begin(), shell.made.end(), DocId::Records), 0);
  const auto wholeLedger = [](DialogModel& dialog) {
    dialog.SetChecked("ledger", true);
    dialog.SetChecked("ringer", false);
    return testing::DialogAction::Ok;
  };
  platform.QueueDialog(wholeLedger);
  CTolvaneView list(app, 1);
  ASSERT_TRUE(list.State(Cmd::Records)->enabled);
  list.Run(Cmd::Records);
  platform.QueueDialog(wholeLedger);
  list.Run(Cmd::Records);
  // One window serves every record.
  EXPECT_EQ(std::count(shell.made.begin(), shell.made.end(), DocId::Records), 1);
  FakeWindow& window = shell.windows[DocId::Records];
  EXPECT_EQ(window.title, "Records - Milestones reached");
  EXPECT_TRUE(window.activated);
  EXPECT_EQ(window.redraws, 2);
  EXPECT_TRUE(app.Records().HasRecord());
  EXPECT_TRUE(platform.ScriptUsedUp());
}

TEST_F(AppTest, ChooserRequestsGoToTheChooserTheyName) {
  app.Start(shell, "");
  struct Target : ChoiceTarget {
    int32_t key = -1;
    void OnChosen(int32_t k) override { key = k; }
  } target;
  app.StartChooser({.chooser = 2, .target = &target, .index = IndexByName("counts"),
                    .text = "Kent", .title = "County"});
  EXPECT_EQ(app.Chooser(2).Title(), "Select County");
  EXPECT_TRUE(shell.windows[DocId::Chooser2].shown);
  EXPECT_FALSE(shell.windows[DocId::Chooser1].shown);
  app.Chooser(2).Cancel();
  EXPECT_EQ(target.key, 0);
}

// The tables the menus are built from: a key or toolbar button for a command that no menu
// offers would act invisibly, so each is on some menu or always disabled.
TEST(CommandTables, EveryKeyAndButtonIsOnAMenuOrAlwaysDisabled) {
  std::set<Cmd> onMenus;
  std::function<void(const std::vector<MenuItem>&)> collect = [&](const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
      onMenus.insert(item.cmd);
      collect(item.items);
    }
  };
  for (const DocKind kind : {DocKind::Frame, DocKind::PealList, DocKind::CurrentPeal,
                             DocKind::Chooser, DocKind::Analysis, DocKind::Records}) {
    collect(MenuBar(kind));
  }
  for (const Accelerator& key : Accelerators()) {
    EXPECT_TRUE(onMenus.count(key.cmd) || AlwaysDisabled(key.cmd)) << key.key;
  }
  for (const Cmd cmd : ToolbarCommands()) {
    if (cmd == Cmd::None) continue;
    EXPECT_TRUE(onMenus.count(cmd) || AlwaysDisabled(cmd)) << ToolTip(cmd);
    EXPECT_FALSE(ToolTip(cmd).empty());
  }
}

TEST(CommandTables, TheFrameNeverEnablesTheDisabledCommands) {
  CTolvaneApp app;
  for (const Cmd cmd : {Cmd::FileNew, Cmd::Print, Cmd::PrintPreview, Cmd::PrintSetup,
                        Cmd::FileMore, Cmd::FileCombine, Cmd::Cut, Cmd::Paste, Cmd::Undo}) {
    ASSERT_TRUE(app.State(cmd).has_value());
    EXPECT_FALSE(app.State(cmd)->enabled);
  }
  EXPECT_TRUE(app.State(Cmd::FileOpen)->enabled);
}

TEST(ReportExtent, EmptyLinesTakeTheHeightOfTheLastLineBeforeThem) {
  const auto width = [](std::string_view text) { return static_cast<int>(text.size()) * 10; };
  const auto height = [](std::string_view text) { return text == "big" ? 30 : 12; };
  const ScrollExtent none = ReportExtent({}, width, height);
  EXPECT_EQ(none.width, 100);
  EXPECT_EQ(none.height, 100);
  const ScrollExtent extent = ReportExtent({"", "big", "", "\\+a long red line"}, width, height);
  EXPECT_EQ(extent.height, 100 + 0 + 30 + 30 + 12);
  EXPECT_EQ(extent.width, 150);  // the prefix takes no room
}

}  // namespace
}  // namespace tv

// The desktop program's daily work without windows: commands that free or move peals never leave
// the current-peal window on a freed one, Clear and Global Edit ask first, Open refuses a file
// that is not a ledger, the chooser opens on the entry a dialog's text names, and imports refuse
// a file of another kind and say what they did.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/chooser_doc.h"
#include "app/peal_doc.h"
#include "app/tolvane_app.h"
#include "app/tolvane_view.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "import/peal_import.h"
#include "peals/global_edit.h"
#include "peals/ledger_file.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

struct Window : CDocWindow {
  bool activated = false;
  std::string title;
  int redraws = 0;
  void ShowWindow(bool activate) override { activated = activated || activate; }
  void HideWindow() override {}
  void SetTitle(const std::string& t) override { title = t; }
  void Redraw() override { ++redraws; }
};

struct Shell : CAppShell {
  std::map<DocId, Window> windows;
  std::vector<std::string> recent;
  CDocWindow* MakeWindow(DocId doc) override { return &windows[doc]; }
  void AddRecentFile(const std::string& path) override { recent.push_back(path); }
};

class DailyWork : public ::testing::Test {
 protected:
  DailyWork() {
    CloseIndexSet();
    SteeplexXref().Clear();
  }
  ~DailyWork() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }

  // A ledger of `count` peals, one a day from 1 January 2003, each rung by `ringer`.
  std::string WriteLedger(const std::string& path, int count, uint32_t ringer = 0) {
    CPealLedger ledger;
    for (int i = 0; i < count; ++i) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(1, 1, 2003) + i;
      peal->sequence = 1;
      peal->changes = 5000 + i;
      if (ringer != 0) peal->ringers = {ringer};
      ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
    }
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile(path, ledger, buffers).ok());
    return path;
  }
  void Start(int peals) {
    WriteLedger("/db/a.tv3", peals);
    app.Start(shell, "/db/a.tv3");
  }
  // The current-peal window shows a peal the ledger holds under its number, or nothing; and its
  // text and title are drawn from that alone.
  void ExpectLiveOrNothing() {
    const CPeal* shown = app.PealDoc().Shown();
    CPealView view(app.PealDoc());
    if (!shown) {
      EXPECT_EQ(view.Text(), "");
      EXPECT_EQ(shell.windows[DocId::CurrentPeal].title, "Current Peal");
      return;
    }
    EXPECT_EQ(app.Ledger().PealAt(shown->pealNumber), shown);
    EXPECT_FALSE(view.Text().empty());
  }

  MemoryFileSystem files{"/db/"};
  FixedClock clock{{15, 6, 2024}};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
  Shell shell;
  CTolvaneApp app;
};

// --- commands that free, move or replace peals ---

struct FreeingCommand {
  const char* name;
  std::function<void(CTolvaneDoc&, testing::ScriptedPlatform&)> run;
};

class PealsFreed : public DailyWork, public ::testing::WithParamInterface<FreeingCommand> {};

TEST_P(PealsFreed, CurrentPealWindowShowsALivePealOrNothing) {
  Start(6);
  CTolvaneDoc& ledger = app.Ledger();
  // Peals 5 and 6 go to buffer 2, which becomes current and shows peal 6.
  ledger.SetPosition(kMainBuffer, 6);
  ledger.Transfer();
  ledger.SetPosition(kMainBuffer, 5);
  ledger.Transfer();
  ledger.ShowBuffer(2);
  ASSERT_EQ(app.PealDoc().Shown(), ledger.PealAt(5));
  GetParam().run(ledger, platform);
  ExpectLiveOrNothing();
  if (const CPeal* shown = app.PealDoc().Shown()) {
    EXPECT_EQ(shown, CurrentPealOf(ledger));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PealsFreed,
    ::testing::Values(
        FreeingCommand{"ClearOfTheShownBuffer",
                       [](CTolvaneDoc& d, testing::ScriptedPlatform& p) {
                         p.QueueConfirm(true);
                         ClearBufferCommand(d);
                       }},
        FreeingCommand{"ClearOfTheOnlyBuffer",
                       [](CTolvaneDoc& d, testing::ScriptedPlatform& p) {
                         d.All();
                         p.QueueConfirm(true);
                         ClearBufferCommand(d);
                       }},
        FreeingCommand{"CombineIntoTheMainBuffer",
                       [](CTolvaneDoc& d, testing::ScriptedPlatform&) {
                         d.ShowBuffer(1);
                         d.Combine();
                       }},
        FreeingCommand{"All", [](CTolvaneDoc& d, testing::ScriptedPlatform&) { d.All(); }},
        FreeingCommand{"Undelete", [](CTolvaneDoc& d, testing::ScriptedPlatform&) { d.Undelete(); }},
        FreeingCommand{"OpenOfAnEmptyLedger",
                       [](CTolvaneDoc& d, testing::ScriptedPlatform& p) {
                         ASSERT_TRUE(Files().WriteAllSafely("/db/empty.tv3", ""));
                         d.modified = false;
                         (void)p;
                         ASSERT_TRUE(d.Open("/db/empty.tv3").ok());
                       }},
        FreeingCommand{"ClearThenOpenOfAnother",
                       [](CTolvaneDoc& d, testing::ScriptedPlatform& p) {
                         p.QueueConfirm(true);
                         ClearBufferCommand(d);
                         ASSERT_TRUE(d.Open("/db/a.tv3").ok());
                       }}),
    [](const ::testing::TestParamInfo<FreeingCommand>& param) { return param.param.name; });

TEST_F(DailyWork, AllAfterASelectionRedrawsTheWholeList) {
  Start(8);
  platform.QueueDialog([](DialogModel& d) {
    d.SetChecked("date", true);
    d.SetText("start", "3/1/2003");
    d.SetText("end", "4/1/2003");
    return testing::DialogAction::Ok;
  });
  app.Ledger().Select();
  platform.Pump();
  ASSERT_EQ(app.Ledger().PealsOf(1), (std::vector<uint32_t>{3, 4}));
  const int before = shell.windows[DocId::PealList].redraws;
  app.Ledger().All();
  EXPECT_GT(shell.windows[DocId::PealList].redraws, before);
  CTolvaneView list(app, 1);
  const std::vector<CListLine> lines = list.Lines();
  EXPECT_EQ(lines.size(), 8u);
  ExpectLiveOrNothing();
}

TEST_F(DailyWork, ClearSaysHowManyPealsGoAndCancelKeepsThem) {
  Start(4);
  platform.QueueConfirm(false);
  ClearBufferCommand(app.Ledger());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0],
            "Clear will discard the 4 peals of buffer 1 for good: they will not be saved. Go on?");
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 4u);
  EXPECT_EQ(app.PealDoc().Shown(), app.Ledger().PealAt(4));

  platform.QueueConfirm(true);
  ClearBufferCommand(app.Ledger());
  EXPECT_TRUE(app.Ledger().PealsOf(kMainBuffer).empty());
  EXPECT_EQ(app.PealDoc().Shown(), nullptr);
  // An empty buffer has nothing to lose: no question.
  ClearBufferCommand(app.Ledger());
  EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(DailyWork, GlobalEditSaysHowManyPealsChangeAndCancelChangesNothing) {
  OpenIndexSet();
  auto person = [](const char* first, const char* initials, const char* surname) {
    auto p = std::make_unique<CPerson>();
    p->firstNames = first;
    p->initials = initials;
    p->surname = surname;
    return PersonIndex().InsertNew(std::move(p));
  };
  const int32_t ann = person("Ann", "A", "Smith");
  const int32_t bob = person("Bob", "B", "Jones");
  WriteLedger("/db/a.tv3", 3, static_cast<uint32_t>(ann));
  app.Start(shell, "/db/a.tv3");
  for (const bool agree : {false, true}) {
    platform.QueueDialog([](DialogModel& d) {
      d.SetChecked("person", true);
      d.SetText("from", "AS");
      d.SetText("to", "BJ");
      return testing::DialogAction::Ok;
    });
    platform.QueueChooseKey(ann);
    platform.QueueChooseKey(bob);
    platform.QueueConfirm(agree);
    app.Ledger().GlobalEdit();
    platform.Pump();
    EXPECT_EQ(platform.messages.back(), "Global Edit will change 3 peals: Ann Smith becomes Bob Jones. Go on?");
    const uint32_t expected = static_cast<uint32_t>(agree ? bob : ann);
    for (uint32_t n = 1; n <= 3; ++n) EXPECT_EQ(app.Ledger().PealAt(n)->ringers.front(), expected);
  }
}

// --- Open ---

TEST_F(DailyWork, OpenOfAFileThatIsNotALedgerLeavesTheOpenOne) {
  Start(3);
  // A text file of another program: no peal record at its start.
  ASSERT_TRUE(Files().WriteAllSafely("/db/Ringer.prn", "Ringer analysis\r\n1 John Smith 45\r\n"));
  app.Ledger().modified = true;
  platform.QueueSaveAnswer(SaveAnswer::No);
  EXPECT_FALSE(app.OpenLedger("/db/Ringer.prn"));
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 3u);
  EXPECT_EQ(app.Ledger().pathName, "/db/a.tv3");
  EXPECT_EQ(app.LedgerTitle(), "a.tv3");
  EXPECT_EQ(shell.recent, std::vector<std::string>{"/db/a.tv3"});
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.messages.back(),
            "/db/Ringer.prn is not a peal ledger: no peal record could be read at its start. The "
            "open ledger is unchanged.");
  EXPECT_EQ(app.PealDoc().Shown(), app.Ledger().PealAt(3));
}

TEST_F(DailyWork, LedgerCutShortAfterItsFirstPealStillOpensInPart) {
  WriteLedger("/db/b.tv3", 2);
  std::string bytes;
  ASSERT_TRUE(Files().ReadAll("/db/b.tv3", bytes));
  ASSERT_TRUE(Files().WriteAllSafely("/db/b.tv3", bytes.substr(0, bytes.size() - 3)));
  EXPECT_TRUE(CheckLedgerStart("/db/b.tv3").ok());
  app.Start(shell, "/db/b.tv3");
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 1u);
}

// --- the chooser opens on what a dialog shows ---

class ShownTexts : public DailyWork {
 protected:
  void SetUp() override { OpenIndexSet(); }
  int32_t Assoc(const char* name, const char* abbreviation) {
    auto a = std::make_unique<CAssoc>();
    a->name = name;
    a->abbreviation = abbreviation;
    return AssocIndex().InsertNew(std::move(a));
  }
  int32_t Method(const char* name, int32_t methodClass, uint8_t stage) {
    auto m = std::make_unique<CMethod>();
    m->name = name;
    m->methodClass = methodClass;
    m->stage = stage;
    return MethodIndex().InsertNew(std::move(m));
  }
  int32_t Person(const char* prefix, const char* first, const char* initials, const char* surname) {
    auto p = std::make_unique<CPerson>();
    p->prefix = prefix;
    p->firstNames = first;
    p->initials = initials;
    p->surname = surname;
    return PersonIndex().InsertNew(std::move(p));
  }
};

TEST_F(ShownTexts, EachFormADialogShowsFindsItsEntry) {
  Assoc("Ancient Society of College Youths", "ASCY");
  const int32_t yorkshire = Assoc("Yorkshire Association", "YACR");
  Assoc("Kent County Association", "KCACR");
  int32_t bobMinor = 0;
  for (const uint8_t stage : {5, 6, 7, 8}) {
    const int32_t key = Method("Plain Bob", 0, stage);
    if (stage == 6) bobMinor = key;
  }
  ASSERT_EQ(MethodIndex().NameOf(bobMinor, 0), "Plain Bob Minor");
  Method("Pudsey", kClassSurprise, 8);
  Person("", "Keith", "K", "Smith");
  const int32_t revd = Person("Revd", "Keith James", "KJ", "Smith");
  const int32_t mary = Person("", "Mary", "M", "Bell");

  const struct {
    CIndex& index;
    const char* text;
    int32_t expected;
  } cases[] = {
      {AssocIndex(), "Yorkshire Association", yorkshire},  // the name the dialog shows
      {AssocIndex(), "yorkshire association", yorkshire},  // letters in either case
      {AssocIndex(), "YACR", yorkshire},                   // the short form typed
      {MethodIndex(), "Plain Bob Minor", bobMinor},        // the title the dialog shows
      {PersonIndex(), "Revd Keith James Smith", revd},     // a full name with its title
      {PersonIndex(), "Mary Bell", mary},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindShownEntry(c.index, c.text), c.expected) << c.text;
  }
  // A text that names no entry whole lands where the index's own search does.
  EXPECT_EQ(FindShownEntry(AssocIndex(), "KC"), AssocIndex().FindEntry("KC", 0));
}

struct Recorder : ChoiceTarget {
  std::vector<int32_t> chosen;
  void OnChosen(int32_t key) override { chosen.push_back(key); }
};

TEST_F(ShownTexts, ChooseWithNothingHighlightedSaysSoAndWaits) {
  const int32_t kent = Assoc("Kent County Association", "KCACR");
  CChooseDoc chooser;
  Window window;
  chooser.window = &window;
  Recorder target;
  // Past the last entry: the search lands on nothing.
  chooser.Start(&target, &AssocIndex(), "ZZZ", "Association");
  EXPECT_TRUE(window.activated);  // the chooser takes the keyboard
  ASSERT_EQ(chooser.Current(), 0);
  chooser.Choose();
  EXPECT_TRUE(target.chosen.empty());
  EXPECT_EQ(platform.messages, std::vector<std::string>{std::string(kNothingHighlighted)});
  EXPECT_EQ(chooser.Target(), &target);
  chooser.Forward();
  chooser.Choose();
  EXPECT_EQ(target.chosen, std::vector<int32_t>{kent});
}

// --- imports ---

TEST_F(DailyWork, ImportOfAnIndexDumpIsRefusedAndChangesNothing) {
  Start(2);
  // The chooser's SGML dump of an index: records keyed by numbers, not dates.
  ASSERT_TRUE(Files().WriteAllSafely("/db/towers.sgm", "<k>1<tp>Canterbury<k>2<tp>Maidstone\r\n"));
  const int32_t persons = PersonIndex().Entry(0).right;
  app.Ledger().modified = false;
  platform.QueueOpenFile("/db/towers.sgm");
  ImportCommand(app.Ledger(), ImportKind::NewSgml);
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 2u);
  EXPECT_FALSE(app.Ledger().modified);
  EXPECT_EQ(PersonIndex().Entry(0).right, persons);
  EXPECT_FALSE(Files().Exists("/db/debug.txt"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0], "/db/towers.sgm is not a New SGML (VLMS) peal file: its first "
                                  "record has no date key. Nothing was imported.");
}

TEST_F(DailyWork, ImportEndsWithASummary) {
  Start(2);
  // One peal on a day of the ledger with its sequence (replaced), one new, with a new ringer.
  ASSERT_TRUE(Files().WriteAllSafely(
      "/db/new.sgm", "<k>2003-01-01/1<r>Ann Smith\r\n<k>2004-05-06/1<r>Ann Smith<r>Bob Jones\r\n"));
  platform.QueueOpenFile("/db/new.sgm");
  ImportCommand(app.Ledger(), ImportKind::NewSgml);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0],
            "Imported from new.sgm: 1 new peal, 1 replaced; new index entries: 2 persons.");
  EXPECT_EQ(app.Ledger().PealsOf(kMainBuffer).size(), 3u);
}

TEST(ImportSummaryText, SaysWhatStoppedAnImportEarly) {
  ImportCounts counts;
  counts.appended = 3;
  EXPECT_EQ(ImportSummary("/x/p.xml", counts, {}, Status(StatusCode::IoError, "Disk full.")),
            "Imported from p.xml: 3 new peals, 0 replaced; no new index entries. The import "
            "stopped early: Disk full.");
}

}  // namespace
}  // namespace tv

// The index directory at start-up: which remembered or nearby folder wins, the Welcome choice
// and what each of its answers leaves, and the application starting on the choice.
#include "app/start_directory.h"

#include <gtest/gtest.h>

#include <map>

#include "app/demo_database.h"
#include "app/tolvane_app.h"
#include "app/welcome_dialog.h"
#include "core/clock.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "peals/ledger_file.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

struct MapSettings : CStartSettings {
  std::map<std::string, std::string> ledgers;
  std::string last;
  std::string LedgerDirectory(const std::string& ledger) const override {
    const auto found = ledgers.find(ledger);
    return found == ledgers.end() ? std::string() : found->second;
  }
  void SetLedgerDirectory(const std::string& ledger, const std::string& directory) override {
    ledgers[ledger] = directory;
  }
  std::string LastDirectory() const override { return last; }
  void SetLastDirectory(const std::string& directory) override { last = directory; }
};

constexpr const char* kDemoFolder = "/home/ringer/.local/share/Tolvane";

class StartDirectoryTest : public ::testing::Test {
 protected:
  StartDirectoryTest() {
    CloseIndexSet();
    SteeplexXref().Clear();
  }
  ~StartDirectoryTest() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }

  // Puts one index data file in `directory`, as a folder holding a database has.
  void AddDatabase(const std::string& directory, const char* file = "persons.da3") {
    files.CreateDirectory(directory);
    files.SetContents(directory + "/" + file, std::string(3, '\0'));
  }

  // The Welcome dialog answered with one of its choices.
  void QueueWelcome(const char* choice) {
    platform.QueueDialog([this, choice](DialogModel& dialog) {
      offered.push_back(dialog.CheckedRadio(kWelcomeGroup));
      dialog.SetChecked(choice, true);
      return testing::DialogAction::Ok;
    });
  }

  MemoryFileSystem files{"/home/ringer/"};
  FixedClock clock{{9, 12, 2026}};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
  MapSettings settings;
  CStartDirectory start{settings, kDemoFolder};
  std::vector<std::string> offered;  // the choice each Welcome showed checked
};

// --- the known places, in order ---

struct KnownCase {
  const char* name;
  const char* ledger;      // as the command line names it
  const char* remembered;  // remembered for the ledger's absolute path
  const char* last;
  std::vector<const char*> databases;  // folders that hold a database
  const char* expected;    // empty: the Welcome choice
};

void PrintTo(const KnownCase& c, std::ostream* os) { *os << c.name; }

class KnownDirectoryTest : public StartDirectoryTest, public ::testing::WithParamInterface<KnownCase> {};

TEST_P(KnownDirectoryTest, FirstFolderThatHoldsADatabase) {
  const KnownCase& c = GetParam();
  for (const char* folder : c.databases) AddDatabase(folder);
  if (*c.remembered) {
    settings.ledgers[AbsolutePath(c.ledger)] = c.remembered;
  }
  settings.last = c.last;
  EXPECT_EQ(start.Known(c.ledger), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KnownDirectoryTest,
    ::testing::Values(
        KnownCase{"StartedInAFolderOfIndexes", "/bells/peals.tv3", "/club/", "/last/",
                  {"/home/ringer", "/club", "/bells", "/last"}, "/home/ringer/"},
        KnownCase{"RememberedForTheLedger", "/bells/peals.tv3", "/club/", "/last/",
                  {"/club", "/bells", "/last"}, "/club/"},
        KnownCase{"RememberedFolderGoneGivesTheLedgersFolder", "/bells/peals.tv3", "/club/", "/last/",
                  {"/bells", "/last"}, "/bells/"},
        KnownCase{"LedgersOwnFolder", "/bells/peals.tv3", "", "/last/", {"/bells", "/last"}, "/bells/"},
        KnownCase{"LastUsedForALedgerWithoutOne", "/mail/peals.tv3", "", "/last", {"/last"}, "/last/"},
        KnownCase{"LastUsedWithNothingToOpen", "", "", "/last/", {"/last"}, "/last/"},
        KnownCase{"LastUsedGoneAsksWelcome", "", "", "/last/", {}, ""},
        KnownCase{"NothingRememberedAsksWelcome", "/mail/peals.tv3", "", "", {}, ""},
        KnownCase{"RelativeLedgerNameFromTheCurrentFolder", "sub/peals.tv3", "/club/", "",
                  {"/club"}, "/club/"}),
    [](const ::testing::TestParamInfo<KnownCase>& param) { return std::string(param.param.name); });

TEST_F(StartDirectoryTest, OlderIndexFilesCountAsADatabase) {
  AddDatabase("/old", "towers.dat");
  EXPECT_TRUE(HoldsDatabase("/old"));
  files.CreateDirectory("/plain");
  files.SetContents("/plain/peals.tv3", "x");
  EXPECT_FALSE(HoldsDatabase("/plain/"));
}

// --- the Welcome choice ---

TEST_F(StartDirectoryTest, FirstStartOffersThreeChoicesAndWritesTheDemonstration) {
  std::vector<std::string> choices;
  platform.QueueDialog([&](DialogModel& dialog) {
    EXPECT_EQ(dialog.Title(), "Welcome");
    for (const DialogControl& control : dialog.Controls()) {
      if (control.kind == ControlKind::Radio) choices.push_back(control.id);
    }
    // The demonstration is the choice OK takes.
    EXPECT_EQ(dialog.CheckedRadio(kWelcomeGroup), kWelcomeDemo);
    return testing::DialogAction::Ok;
  });
  const std::optional<StartPlace> place = start.Choose("");
  ASSERT_TRUE(place);
  EXPECT_EQ(choices, (std::vector<std::string>{kWelcomeDemo, kWelcomeEmpty, kWelcomeExisting}));
  EXPECT_EQ(place->directory, std::string(kDemoFolder) + "/");
  EXPECT_EQ(place->ledger, std::string(kDemoFolder) + "/demo.tv3");
  EXPECT_TRUE(HoldsDatabase(kDemoFolder));
  CPealLedger ledger;
  ASSERT_TRUE(ReadLedgerFile(place->ledger, ledger).ok());
  EXPECT_EQ(ledger.lastPealNumber, kDefaultDemoPeals);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartDirectoryTest, DemonstrationWrittenBeforeIsOpenedAsItIs) {
  // The user's own changes to the demonstration survive: nothing is written over them.
  AddDatabase(kDemoFolder);
  files.SetContents(std::string(kDemoFolder) + "/demo.tv3", "the user's peals");
  QueueWelcome(kWelcomeDemo);
  const std::optional<StartPlace> place = start.Choose("");
  ASSERT_TRUE(place);
  EXPECT_EQ(place->ledger, std::string(kDemoFolder) + "/demo.tv3");
  EXPECT_EQ(files.Contents(std::string(kDemoFolder) + "/demo.tv3"), "the user's peals");
}

TEST_F(StartDirectoryTest, ExistingFolderWithoutADatabaseIsRefusedAndAskedAgain) {
  files.CreateDirectory("/empty");
  AddDatabase("/club");
  QueueWelcome(kWelcomeExisting);
  platform.QueueFolder("/empty");
  QueueWelcome(kWelcomeExisting);
  platform.QueueFolder("/club");
  const std::optional<StartPlace> place = start.Choose("");
  ASSERT_TRUE(place);
  EXPECT_EQ(place->directory, "/club/");
  EXPECT_TRUE(place->ledger.empty());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("No reference database was found in /empty/"), std::string::npos);
  // The second Welcome opens on the demonstration again, not on the refused answer.
  EXPECT_EQ(offered, (std::vector<std::string>{kWelcomeDemo, kWelcomeDemo}));
  EXPECT_TRUE(platform.ScriptUsedUp());
}

TEST_F(StartDirectoryTest, NewDatabaseInAChosenFolder) {
  files.CreateDirectory("/bells");
  QueueWelcome(kWelcomeEmpty);
  platform.QueueFolder(std::nullopt);  // the folder prompt cancelled: Welcome again
  QueueWelcome(kWelcomeEmpty);
  platform.QueueFolder("/bells");
  const std::optional<StartPlace> place = start.Choose("");
  ASSERT_TRUE(place);
  EXPECT_EQ(place->directory, "/bells/");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(platform.filePrompts.back().title, "Folder for the New Database");
}

TEST_F(StartDirectoryTest, NewDatabaseInAFolderThatHoldsOneKeepsIt) {
  AddDatabase("/club");
  files.SetContents("/club/towers.da3", "towers");
  QueueWelcome(kWelcomeEmpty);
  platform.QueueFolder("/club");
  const std::optional<StartPlace> place = start.Choose("");
  ASSERT_TRUE(place);
  EXPECT_EQ(place->directory, "/club/");
  EXPECT_EQ(files.Contents("/club/towers.da3"), "towers");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("already holds a reference database"), std::string::npos);
}

TEST_F(StartDirectoryTest, CancelledWelcomeStopsWithoutWritingAnything) {
  platform.QueueDialogCancel();
  const size_t before = files.Paths().size();
  EXPECT_FALSE(start.Choose(""));
  EXPECT_EQ(files.Paths().size(), before);
}

// --- the application on the choice ---

struct NoWindows : CAppShell {
  CDocWindow* MakeWindow(DocId) override { return nullptr; }
  void AddRecentFile(const std::string&) override {}
};

class AppStartTest : public StartDirectoryTest {
 protected:
  // A fresh application over the same settings, as the next run of the program is.
  bool StartApp(const std::string& commandLine) {
    CloseIndexSet();
    SteeplexXref().Clear();
    app = std::make_unique<CTolvaneApp>();
    app->startDirectory = &start;
    return app->Start(shell, commandLine);
  }

  std::string WriteLedger(const std::string& path) {
    CPealLedger ledger;
    auto peal = std::make_unique<CPeal>();
    peal->date = 150000;
    ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile(path, ledger, buffers).ok());
    return path;
  }

  NoWindows shell;
  std::unique_ptr<CTolvaneApp> app;
};

TEST_F(AppStartTest, CancelledWelcomeOpensNoIndexSet) {
  platform.QueueDialogCancel();
  EXPECT_FALSE(StartApp(""));
  EXPECT_FALSE(app->StartRefused());  // the user's choice: the program ends without failing
  EXPECT_FALSE(IndexSetIsOpen());
  EXPECT_TRUE(settings.last.empty());
}

TEST_F(AppStartTest, DemonstrationThenTheSameFolderNextTime) {
  QueueWelcome(kWelcomeDemo);
  ASSERT_TRUE(StartApp(""));
  EXPECT_EQ(IndexDirectory(), std::string(kDemoFolder) + "/");
  EXPECT_EQ(app->LedgerTitle(), "demo.tv3");
  EXPECT_EQ(app->Ledger().PealsOf(kMainBuffer).size(), kDefaultDemoPeals);
  EXPECT_EQ(settings.last, std::string(kDemoFolder) + "/");

  // The next start from the menu, with nothing to open, asks nothing.
  ASSERT_TRUE(StartApp(""));
  EXPECT_EQ(IndexDirectory(), std::string(kDemoFolder) + "/");
  EXPECT_EQ(platform.dialogTitles.size(), 1u);
}

TEST_F(AppStartTest, LedgerOpenedFromElsewhereKeepsItsDatabase) {
  AddDatabase("/club");
  AddDatabase("/other");
  files.CreateDirectory("/mail");
  const std::string ledger = WriteLedger("/mail/peals.tv3");
  settings.last = "/club/";
  ASSERT_TRUE(StartApp(ledger));
  EXPECT_EQ(IndexDirectory(), "/club/");
  EXPECT_EQ(settings.ledgers[ledger], "/club/");

  // Another database used since; the ledger still opens with the one it was used with.
  settings.last = "/other/";
  ASSERT_TRUE(StartApp(ledger));
  EXPECT_EQ(IndexDirectory(), "/club/");
  EXPECT_EQ(settings.last, "/club/");
  EXPECT_TRUE(platform.dialogTitles.empty());
}

TEST_F(AppStartTest, LedgerOfAnotherDatabaseOpenedDuringARunKeepsItsOwn) {
  AddDatabase("/club");
  AddDatabase("/other");
  files.CreateDirectory("/mail");
  const std::string ledger = WriteLedger("/mail/peals.tv3");
  settings.ledgers[ledger] = "/club/";
  settings.last = "/other/";
  ASSERT_TRUE(StartApp(""));
  ASSERT_EQ(IndexDirectory(), "/other/");

  ASSERT_TRUE(app->OpenLedger(ledger));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("peals.tv3 was last used with the reference database in /club/"),
            std::string::npos);
  EXPECT_EQ(settings.ledgers[ledger], "/club/");

  // Saved under a new name, the copy belongs to the database in use.
  platform.QueueSaveFile("/mail/copy.tv3");
  ASSERT_TRUE(app->SaveLedger(true));
  EXPECT_EQ(settings.ledgers["/mail/copy.tv3"], "/other/");
  EXPECT_EQ(settings.ledgers[ledger], "/club/");
}

TEST_F(AppStartTest, WithoutStartDirectoryTheCurrentFolderIsUsed) {
  CTolvaneApp plain;
  plain.Start(shell, "");
  EXPECT_EQ(IndexDirectory(), "/home/ringer/");
  EXPECT_TRUE(platform.dialogTitles.empty());
}

}  // namespace
}  // namespace tv

// The index chooser: starting, the page of rows, moving, maintaining, choosing and cancelling.
#include "app/chooser_doc.h"

#include <gtest/gtest.h>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/assoc.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

struct Recorder : ChoiceTarget {
  std::vector<int32_t> chosen;
  void OnChosen(int32_t key) override { chosen.push_back(key); }
};

struct WindowLog : CDocWindow {
  std::vector<std::string> events;
  void ShowWindow(bool activate) override { events.push_back(activate ? "show" : "show-quiet"); }
  void HideWindow() override { events.push_back("hide"); }
  void SetTitle(const std::string& title) override { events.push_back("title " + title); }
  void Redraw() override { events.push_back("redraw"); }
};

class ChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    index = std::make_unique<CCountyIndex>("counts", "/db/");
    index->Open(false);
    chooser.window = &window;
  }
  int32_t Add(const std::string& name) {
    auto county = std::make_unique<CCounty>();
    county->name = county->abbreviation = name;
    return index->InsertNew(std::move(county));
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& row : chooser.Page()) texts.push_back(row.text);
    return texts;
  }

  MemoryFileSystem files{"/db/"};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
  std::unique_ptr<CCountyIndex> index;
  CChooseDoc chooser;
  WindowLog window;
  Recorder target;
};

TEST_F(ChooserTest, EmptyTextReportsZeroWithoutShowingTheWindow) {
  Add("Kent");
  chooser.Start(&target, index.get(), "", "County");
  EXPECT_EQ(target.chosen, std::vector<int32_t>{0});
  EXPECT_TRUE(window.events.empty());
  EXPECT_FALSE(chooser.HasIndex());
}

TEST_F(ChooserTest, StartPositionsAtTheNearestEntryAndChooseReportsIt) {
  Add("Kent");
  const int32_t devon = Add("Devon");
  Add("Avon");
  chooser.Start(&target, index.get(), "Cornwall", "County");
  EXPECT_EQ(chooser.Current(), devon);
  EXPECT_EQ(chooser.Title(), "Select County");
  EXPECT_EQ(window.events.front(), "title Select County");
  chooser.Choose();
  EXPECT_EQ(target.chosen, std::vector<int32_t>{devon});
  EXPECT_EQ(window.events.back(), "hide");
  // The chosen entry is the one found again among equal names.
  const int32_t otherDevon = Add("Devon");
  EXPECT_NE(otherDevon, devon);
  EXPECT_EQ(index->FindEntry("Devon", 0), devon);
}

TEST_F(ChooserTest, ShortListRepeatsAndTheCurrentRowIsMarked) {
  for (const char* n : {"A", "B", "C"}) Add(n);
  chooser.Start(&target, index.get(), "B", "County");
  const auto rows = chooser.Page();
  ASSERT_EQ(rows.size(), 25u);
  EXPECT_EQ(rows[0].text, "A");
  EXPECT_TRUE(rows[1].current);
  EXPECT_EQ(rows[3].text, "A");  // the header took no row
  EXPECT_FALSE(rows[0].beyondCount);
}

TEST_F(ChooserTest, DeletingTheLastEntryLeavesNoCurrentRow) {
  for (const char* n : {"A", "B", "C"}) Add(n);
  chooser.Start(&target, index.get(), "C", "County");
  chooser.Delete();
  EXPECT_EQ(chooser.Current(), 0);
  const auto rows = chooser.Page();
  for (const auto& row : rows) EXPECT_FALSE(row.current);
  EXPECT_EQ(rows[0].text, "A");
}

TEST_F(ChooserTest, PageBackFromTheFirstPassesThroughTheHeader) {
  for (int i = 0; i < 30; ++i) Add(std::string(1, static_cast<char>('A' + i / 10)) + std::to_string(i % 10));
  chooser.Start(&target, index.get(), "A0", "County");
  chooser.PageBack();
  EXPECT_EQ(index->NameOf(chooser.Current(), 0), "C1");
  chooser.Back();
  EXPECT_EQ(index->NameOf(chooser.Current(), 0), "C0");
  chooser.Forward();
  chooser.PageForward();
  EXPECT_EQ(index->NameOf(chooser.Current(), 0), "A0");
}

TEST_F(ChooserTest, KeysDisplayShowsTheTableLinks) {
  Add("B");
  Add("A");
  chooser.Start(&target, index.get(), "A", "County");
  chooser.ToggleLinks();
  for (const auto& row : chooser.Page()) {
    if (row.current) {
      EXPECT_EQ(row.text, "00002 00001 00001 00000 00000 00000 00001 A");
    } else if (row.key == 1) {
      EXPECT_EQ(row.text, "00001 00000 00002 00002 00000 00002 00000 B");
    }
  }
}

TEST_F(ChooserTest, CancelReportsZeroAndFindUsesTheDialog) {
  Add("Kent");
  const int32_t avon = Add("Avon");
  chooser.Start(&target, index.get(), "Kent", "County");
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Title(), "Search for Item");
    EXPECT_EQ(d.Text("find"), "Kent");
    d.SetText("find", "av");
    return testing::DialogAction::Ok;
  });
  chooser.Find();
  EXPECT_EQ(chooser.Current(), avon);
  EXPECT_EQ(chooser.SearchText(), "av");
  chooser.Cancel();
  EXPECT_EQ(target.chosen, std::vector<int32_t>{0});
}

TEST_F(ChooserTest, PurgeSaysHowManyItRemovesAndAsksFirst) {
  Add("A");
  const int32_t b = Add("B");
  Add("C");
  index->MarkUsed(b);
  chooser.Start(&target, index.get(), "A", "County");
  platform.QueueConfirm(false);
  chooser.Purge();
  EXPECT_EQ(index->FindEntry("A", 0), 1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("remove 2 of the entries"), std::string::npos);
  platform.QueueConfirm(true);
  chooser.Purge();
  EXPECT_EQ(index->First(), b);
  EXPECT_EQ(index->Last(), b);
  EXPECT_EQ(chooser.Current(), b);
}

}  // namespace
}  // namespace tv

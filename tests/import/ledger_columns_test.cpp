// The ledger's columns against its records: after random runs of every command that adds,
// changes, moves or removes peals (New, Edit, Delete, Undelete, Transfer, Select, Combine,
// Clear, All, Global Edit, import, save and load), each peal's columns say what its record
// says, and a peal loaded but not yet read reads as the archive reader reads it.
#include <gtest/gtest.h>

#include <random>

#include "core/text.h"
#include "peals/global_edit.h"
#include "peals/ledger_file.h"
#include "peals/peal_entry.h"
#include "peals/selection.h"
#include "tests/import/import_fixture.h"
#include "tests/peals/peal_test_support.h"

namespace tv {
namespace {

class LedgerColumns : public ImportTest {
 protected:
  std::unique_ptr<CPeal> RandomPeal() {
    auto peal = std::make_unique<CPeal>();
    peal->date = static_cast<Date>(700000 + random() % 400);
    peal->sequence = static_cast<uint8_t>(random() % 3);
    peal->tower = static_cast<uint32_t>(random() % 6);
    peal->association = static_cast<uint8_t>(random() % 4);
    peal->method = static_cast<uint32_t>(random() % 5);
    peal->changes = static_cast<int32_t>(random() % 6000);
    peal->time = static_cast<uint16_t>(random() % 300);
    peal->tenor = static_cast<uint16_t>(random() % 3000);
    peal->handbell = random() % 4 == 0;
    peal->conductor = static_cast<uint32_t>(random() % 9);
    peal->composer = static_cast<uint32_t>(random() % 9);
    const size_t ringers = random() % 10;
    for (size_t i = 0; i < ringers; ++i) peal->ringers.push_back(static_cast<uint32_t>(random() % 9));
    if (random() % 7 == 0) peal->extras[kValidity].push_back("not counted");
    if (random() % 3 == 0) peal->extras[kFootnote].push_back("first of the year");
    return peal;
  }

  void EditActivePeal() {
    CPeal* peal = doc.PealAt(doc.ActivePeal());
    if (!peal) return;
    const CPealForm shown = FormOfPeal(*peal);
    CPealForm typed = shown;
    typed.date = DateText(peal->date + static_cast<Date>(random() % 50) - 25, 0);
    typed.changes = static_cast<int32_t>(random() % 6000);
    typed.time = ShortTime(static_cast<uint16_t>(random() % 300));
    typed.hand = random() % 2 == 0;
    ApplyDialog(doc, *peal, typed, shown);
  }

  void Select() {
    CSelectionState state;
    const int criteria[] = {kSelRinger, kSelTower, kSelDate, kSelChanges, kSelFootnote};
    const int criterion = criteria[random() % 5];
    state.chosenKey = static_cast<int32_t>(1 + random() % 8);
    state.startText = criterion == kSelDate ? "1/1/1900" : "1000";
    state.endText = criterion == kSelDate ? "1/1/2100" : "4000";
    state.searchText = "first";
    state.exclude = random() % 3 == 0;
    state.validOnly = random() % 5 == 0;
    state.towerOrHand = static_cast<TowerOrHand>(random() % 3);
    SelectWithoutChooser(doc, criterion, state);
  }

  void ImportSome() {
    std::string text;
    for (int i = 0; i < 3; ++i) {
      text += "<k>19" + std::to_string(70 + random() % 30) + "-0" + std::to_string(1 + random() % 9) +
              "-1" + std::to_string(random() % 10) + (random() % 2 ? "/1" : "") +
              "<t>Leeds<n>5040<r>Ann Bell<r>John Smith" + (random() % 3 ? "" : "<v>withdrawn") + "\r\n";
    }
    Import("new-sgml", "/work/more.sgm", text);
  }

  void SaveAndLoad() {
    std::vector<int> buffers;
    for (int b = kMainBuffer; b < doc.BufferCount(); ++b) buffers.push_back(b);
    ASSERT_TRUE(WriteLedgerFile("/work/l.tv3", doc, buffers).ok());
    ASSERT_TRUE(doc.Load("/work/l.tv3").ok());
  }

  std::mt19937 random{20261210};
};

TEST_F(LedgerColumns, RandomCommandRunsKeepTheColumnsInStepWithTheRecords) {
  for (int i = 0; i < 40; ++i) doc.AddNewPeal(RandomPeal());
  int loads = 0;
  for (int step = 0; step < 1500; ++step) {
    const int pick = static_cast<int>(random() % 100);
    std::string command;
    if (pick < 12) {
      command = "New";
      doc.AddNewPeal(RandomPeal());
    } else if (pick < 22) {
      command = "Edit";
      EditActivePeal();
    } else if (pick < 32) {
      command = "Delete";
      doc.Delete();
    } else if (pick < 36) {
      command = "Undelete";
      doc.Undelete();
    } else if (pick < 46) {
      command = "Transfer";
      doc.Transfer();
    } else if (pick < 54) {
      command = "Select";
      Select();
    } else if (pick < 58) {
      command = "Combine";
      doc.Combine();
    } else if (pick < 61) {
      command = "Clear";
      doc.Clear();
    } else if (pick < 64) {
      command = "All";
      doc.All();
    } else if (pick < 68) {
      command = "Global Edit";
      ReplaceThroughout(doc, random() % 2 ? GlobalItem::Person : GlobalItem::Tower,
                        static_cast<int32_t>(1 + random() % 8), static_cast<int32_t>(1 + random() % 8));
    } else if (pick < 71) {
      command = "import";
      ImportSome();
    } else if (pick < 74) {
      command = "save and load";
      SaveAndLoad();
      ++loads;
    } else {
      command = "move";
      doc.ShowBuffer(static_cast<int>(random() % (doc.BufferCount() + 1)));
      doc.MoveForward(static_cast<int>(random() % 5));
    }
    ASSERT_EQ(doc.ColumnsDisagreement(), "") << "after " << command << " at step " << step;
  }
  EXPECT_GT(loads, 10);
}

// A loaded ledger reads its records when they are first asked for: each as the archive reader
// reads it, the last whole record before a damaged tail included, and a save of an unread
// ledger writes what a save of the read one does.
TEST_F(LedgerColumns, RecordsReadOnDemandAreTheRecordsTheArchiveReads) {
  std::vector<std::unique_ptr<CPeal>> made;
  std::vector<CPeal*> peals;
  for (int i = 0; i < 200; ++i) {
    made.push_back(RandomPeal());
    made.back()->bells[static_cast<int>(random() % 8)] = 1u << (random() % 8);
    made.back()->SetPositioned(kPrefix, random() % 5, "Revd");
    peals.push_back(made.back().get());
  }
  const std::string bytes = testing::RecordBytes(peals);
  const std::string damaged = bytes + bytes.substr(0, 20);
  files.SetContents("/work/d.tv3", damaged);
  LedgerReadResult result;
  const Status read = ReadLedgerFile("/work/d.tv3", doc, &result);
  EXPECT_EQ(read.code(), StatusCode::PartialRead);
  EXPECT_EQ(result.stoppedAt, bytes.size());
  ASSERT_EQ(doc.lastPealNumber, 200u);
  EXPECT_EQ(doc.ColumnsDisagreement(), "");

  // Saved before any record was read, and again after all were: the same bytes.
  const int main[] = {kMainBuffer};
  ASSERT_TRUE(WriteLedgerFile("/work/unread.tv3", doc, main).ok());
  const std::vector<std::unique_ptr<CPeal>> archived = testing::ReadRecords(bytes);
  for (uint32_t n = 200; n >= 1; --n) {
    archived[n - 1]->pealNumber = n;  // as the ledger numbers them
    const std::string expected = testing::RecordBytes(*archived[n - 1]);
    EXPECT_EQ(testing::RecordBytes(*doc.PealAt(n)), expected) << "peal " << n;
  }
  ASSERT_TRUE(WriteLedgerFile("/work/read.tv3", doc, main).ok());
  EXPECT_EQ(files.Contents("/work/unread.tv3"), files.Contents("/work/read.tv3"));
}

}  // namespace
}  // namespace tv

// The ledger's buffers under its commands: after every command each buffer must be a search tree
// in ledger order whose thread lists the same peals, and every peal must be in one buffer.
#include "peals/tolvane_doc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/person.h"
#include "tests/peals/peal_test_support.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

// Empty when the ledger is sound, otherwise what is wrong.
std::string Soundness(const CTolvaneDoc& doc) {
  if (doc.bufferRoots.size() != doc.bufferPositions.size()) return "buffer arrays differ in length";
  if (doc.BufferCount() < 2) return "fewer than two buffers";
  std::set<uint32_t> seen;
  for (int b = 0; b < doc.BufferCount(); ++b) {
    const std::string where = "buffer " + std::to_string(b) + ": ";
    const uint32_t root = doc.bufferRoots[b];
    if (root != 0 && doc.Entry(root).parent != 0) return where + "root has a parent";
    // In-order walk of the tree, checking the parent links on the way.
    std::vector<uint32_t> inOrder, stack;
    for (uint32_t n = root; n != 0 || !stack.empty();) {
      while (n != 0) {
        if (!doc.PealAt(n)) return where + "node without a peal";
        for (const uint32_t child : {doc.Entry(n).left, doc.Entry(n).right}) {
          if (child != 0 && doc.Entry(child).parent != n) return where + "bad parent link";
        }
        stack.push_back(n);
        n = doc.Entry(n).left;
        if (stack.size() > doc.lastPealNumber + 1) return where + "tree has a cycle";
      }
      n = stack.back();
      stack.pop_back();
      inOrder.push_back(n);
      n = doc.Entry(n).right;
    }
    for (size_t i = 1; i < inOrder.size(); ++i) {
      if (doc.PealAt(inOrder[i - 1])->CompareOrder(*doc.PealAt(inOrder[i])) >= 0) {
        return where + "tree out of ledger order";
      }
    }
    std::vector<uint32_t> thread;
    uint32_t previous = 0;
    for (uint32_t n = doc.FirstOf(b); n != 0 && thread.size() <= doc.lastPealNumber;
         n = doc.Entry(n).next) {
      if (doc.Entry(n).prev != previous) return where + "prev link does not match next";
      thread.push_back(n);
      previous = n;
    }
    if (thread != inOrder) return where + "thread differs from the tree";
    for (const uint32_t n : inOrder) {
      if (!seen.insert(n).second) return "peal " + std::to_string(n) + " is in two buffers";
    }
  }
  for (uint32_t n = 1; n <= doc.lastPealNumber; ++n) {
    if (doc.PealAt(n) && !seen.count(n)) return "peal " + std::to_string(n) + " is in no buffer";
  }
  return {};
}

class LedgerBuffers : public ::testing::Test {
 protected:
  // Peals numbered 1..count in ledger order (dated a day apart), in buffer 1 built balanced.
  void Fill(uint32_t count) {
    for (uint32_t i = 1; i <= count; ++i) doc.AddPeal(testing::MakePeal(static_cast<Date>(1000 + i)));
    doc.BuildBuffer(1, count, kMainBuffer);
    doc.bufferPositions[kMainBuffer] = count;
  }
  uint32_t Position() const { return doc.bufferPositions[doc.currentBuffer]; }

  // MarkSet reaches the person index: the index set opens on memory files.
  ~LedgerBuffers() override { CloseIndexSet(); }

  MemoryFileSystem files;
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
  CTolvaneDoc doc;
};

TEST_F(LedgerBuffers, DeleteOfTheLastPealMovesToThePreviousAndOfTheOnlyOneEmpties) {
  Fill(2);
  doc.Bottom();
  doc.Delete();
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(Position(), 1u);
  EXPECT_EQ(doc.PealsOf(kDeletedBuffer), (std::vector<uint32_t>{2}));
  EXPECT_EQ(doc.bufferPositions[kDeletedBuffer], 2u);
  EXPECT_TRUE(doc.modified);
  doc.Delete();
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(doc.bufferRoots[kMainBuffer], 0u);
  EXPECT_EQ(Position(), 0u);
}

TEST_F(LedgerBuffers, DeleteOfAPealWithTwoChildrenKeepsTheRestInOrder) {
  Fill(7);
  const uint32_t root = doc.bufferRoots[kMainBuffer];
  ASSERT_NE(doc.Entry(root).left, 0u);
  ASSERT_NE(doc.Entry(root).right, 0u);
  doc.SetPosition(kMainBuffer, root);
  doc.Delete();
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(doc.PealsOf(kMainBuffer), (std::vector<uint32_t>{1, 2, 3, 5, 6, 7}));
  EXPECT_EQ(Position(), 5u);
}

TEST_F(LedgerBuffers, TransferFromTheLastBufferMakesANewOne) {
  Fill(3);
  doc.SetPosition(kMainBuffer, 2);
  doc.Transfer();
  EXPECT_EQ(Soundness(doc), "");
  ASSERT_EQ(doc.BufferCount(), 3);
  EXPECT_EQ(doc.PealsOf(2), (std::vector<uint32_t>{2}));
  EXPECT_EQ(doc.bufferPositions[2], 2u);
  EXPECT_EQ(Position(), 3u);
  EXPECT_FALSE(doc.modified);
}

TEST_F(LedgerBuffers, UndeleteThenTransferPutsThePealBack) {
  Fill(4);
  doc.SetPosition(kMainBuffer, 3);
  doc.Delete();
  doc.Undelete();
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(doc.currentBuffer, kMainBuffer);
  EXPECT_EQ(doc.PealsOf(1), (std::vector<uint32_t>{3}));
  doc.Transfer();
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(doc.PealsOf(2), (std::vector<uint32_t>{1, 2, 3, 4}));
  EXPECT_EQ(doc.bufferRoots[1], 0u);
}

TEST_F(LedgerBuffers, ClearWithThreeBuffersRemovesTheCurrentOne) {
  Fill(4);
  doc.SetPosition(kMainBuffer, 1);
  doc.Transfer();
  doc.Clear();
  EXPECT_EQ(Soundness(doc), "");
  ASSERT_EQ(doc.BufferCount(), 2);
  EXPECT_EQ(doc.PealsOf(1), (std::vector<uint32_t>{1}));
  for (const uint32_t gone : {2u, 3u, 4u}) EXPECT_EQ(doc.PealAt(gone), nullptr);
  // Only buffers 0 and 1 left: Clear empties buffer 1 and keeps it.
  doc.Clear();
  EXPECT_EQ(doc.BufferCount(), 2);
  EXPECT_EQ(doc.bufferRoots[1], 0u);
}

TEST_F(LedgerBuffers, TopBottomAndGotoFindPeals) {
  Fill(9);
  doc.Top();
  EXPECT_EQ(Position(), 1u);
  doc.Bottom();
  EXPECT_EQ(Position(), 9u);
  doc.PageBack();
  EXPECT_EQ(Position(), 1u);
  doc.PageForward(kPealWindowPage);
  EXPECT_EQ(Position(), 6u);
  doc.GotoDate(1004);
  EXPECT_EQ(Position(), 4u);
  doc.GotoDate(5000);  // past the last date: the last peal on the search path
  EXPECT_EQ(Position(), 9u);
  platform.QueueDialog([](DialogModel& dialog) {
    dialog.SetText("date", "garbage");
    return testing::DialogAction::Ok;
  });
  doc.Goto();  // no such date: a peal at the start, where day 0 would be
  EXPECT_EQ(Position(), 1u);
  EXPECT_EQ(platform.dialogTitles, (std::vector<std::string>{"Enter Date"}));
}

TEST_F(LedgerBuffers, CombineAllSwapAndRotateRearrangeWholeBuffers) {
  Fill(6);
  for (const uint32_t n : {2u, 5u}) {
    doc.SetPosition(kMainBuffer, n);
    doc.Transfer();  // both into buffer 2
  }
  doc.SetPosition(2, 5);
  doc.ShowBuffer(2);
  doc.Transfer();  // 5 into buffer 3
  ASSERT_EQ(doc.BufferCount(), 4);
  doc.ShowBuffer(1);
  doc.selectCriterion = kCriterionRinger;
  doc.Swap();
  EXPECT_EQ(doc.PealsOf(1), (std::vector<uint32_t>{2}));
  EXPECT_EQ(doc.selectCriterion, kCriterionDate);
  doc.Rotate();
  EXPECT_EQ(doc.PealsOf(1), (std::vector<uint32_t>{1, 3, 4, 6}));
  EXPECT_EQ(doc.PealsOf(3), (std::vector<uint32_t>{2}));
  EXPECT_EQ(Soundness(doc), "");
  doc.All();
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(doc.BufferCount(), 2);
  EXPECT_EQ(doc.PealsOf(1), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(LedgerBuffers, CommandsOnEmptyOrMissingBuffersDoNothing) {
  std::vector<void (CTolvaneDoc::*)()> commands = {
      &CTolvaneDoc::Delete, &CTolvaneDoc::Transfer, &CTolvaneDoc::Back, &CTolvaneDoc::Forward,
      &CTolvaneDoc::Top,    &CTolvaneDoc::Bottom,   &CTolvaneDoc::Swap, &CTolvaneDoc::Combine,
      &CTolvaneDoc::Clear,  &CTolvaneDoc::MarkSet};
  for (auto command : commands) (doc.*command)();
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(doc.BufferCount(), 2);

  Fill(3);
  doc.SetPosition(kMainBuffer, 1);
  doc.Transfer();
  doc.ShowBuffer(2);
  doc.Clear();  // buffer 2 goes; the current buffer number is now past the last
  ASSERT_EQ(doc.currentBuffer, 2);
  for (auto command : commands) (doc.*command)();
  doc.GotoDate(1002);
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(doc.PealsOf(1), (std::vector<uint32_t>{2, 3}));
  EXPECT_EQ(doc.BufferCount(), 2);
}

TEST_F(LedgerBuffers, PositionLeftOnAMovedPealDoesNotMoveOtherBuffers) {
  Fill(5);
  doc.SetPosition(kMainBuffer, 3);
  doc.Transfer();                    // 3 to buffer 2
  doc.bufferPositions[1] = 3;        // left naming a peal of buffer 2
  doc.Delete();
  doc.Transfer();
  EXPECT_EQ(Soundness(doc), "");
  EXPECT_EQ(doc.PealsOf(1), (std::vector<uint32_t>{1, 2, 4, 5}));
  EXPECT_EQ(doc.PealsOf(2), (std::vector<uint32_t>{3}));
}

TEST_F(LedgerBuffers, NewPealGoesIntoBufferOneInLedgerOrder) {
  Fill(3);
  auto peal = doc.MakePealForEntry();
  EXPECT_EQ(peal->pealNumber, 4u);
  peal->date = 1002;
  peal->sequence = 0;
  const uint32_t number = doc.AddNewPeal(std::move(peal));
  EXPECT_EQ(number, 4u);
  EXPECT_EQ(doc.PealsOf(1), (std::vector<uint32_t>{1, 2, 4, 3}));
  EXPECT_EQ(Position(), 4u);
  EXPECT_TRUE(doc.modified);
  EXPECT_EQ(Soundness(doc), "");
}

// The greatest number of links from a buffer's root down to a peal.
uint32_t TreeDepth(const CTolvaneDoc& doc, int buffer) {
  uint32_t deepest = 0;
  std::vector<std::pair<uint32_t, uint32_t>> stack;
  if (doc.bufferRoots[buffer] != 0) stack.emplace_back(doc.bufferRoots[buffer], 0);
  while (!stack.empty()) {
    const auto [n, depth] = stack.back();
    stack.pop_back();
    deepest = std::max(deepest, depth);
    for (const uint32_t child : {doc.Entry(n).left, doc.Entry(n).right}) {
      if (child != 0) stack.emplace_back(child, depth + 1);
    }
  }
  return deepest;
}

// Peals added, deleted and transferred one at a time in ledger order would make a tree as deep
// as the buffer is long; the trees stay shallow while every buffer, thread and position is what
// the commands make.
TEST_F(LedgerBuffers, PealsMovedOneAtATimeInLedgerOrderKeepTheTreesShallow) {
  constexpr uint32_t kPeals = 3000;
  constexpr uint32_t kShallow = 40;  // a balanced tree of 6,000 peals is 13 deep
  for (uint32_t i = 1; i <= kPeals; ++i) {
    auto peal = doc.MakePealForEntry();
    peal->date = static_cast<Date>(1000 + i);
    peal->sequence = 0;
    EXPECT_EQ(doc.AddNewPeal(std::move(peal)), i);
  }
  EXPECT_LE(TreeDepth(doc, kMainBuffer), kShallow);
  std::vector<uint32_t> ascending(kPeals);
  for (uint32_t i = 0; i < kPeals; ++i) ascending[i] = i + 1;
  EXPECT_EQ(doc.PealsOf(kMainBuffer), ascending);
  EXPECT_EQ(Position(), kPeals);

  // Delete from the end back, then Transfer from the start forward.
  for (uint32_t i = 0; i < 1000; ++i) doc.Delete();
  EXPECT_EQ(Position(), kPeals - 1000);
  doc.Top();
  for (uint32_t i = 0; i < 1000; ++i) doc.Transfer();
  EXPECT_EQ(Position(), 1001u);
  EXPECT_EQ(doc.PealsOf(kDeletedBuffer),
            std::vector<uint32_t>(ascending.end() - 1000, ascending.end()));
  EXPECT_EQ(doc.PealsOf(2), std::vector<uint32_t>(ascending.begin(), ascending.begin() + 1000));
  EXPECT_EQ(doc.PealsOf(kMainBuffer),
            std::vector<uint32_t>(ascending.begin() + 1000, ascending.end() - 1000));
  for (const int buffer : {kDeletedBuffer, kMainBuffer, 2}) {
    EXPECT_LE(TreeDepth(doc, buffer), kShallow) << "buffer " << buffer;
  }
  EXPECT_EQ(Soundness(doc), "");

  // Gathering them again inserts a long run into buffer 1.
  doc.Undelete();
  doc.All();
  EXPECT_EQ(doc.PealsOf(kMainBuffer), ascending);
  EXPECT_LE(TreeDepth(doc, kMainBuffer), kShallow);
  EXPECT_EQ(Soundness(doc), "");
}

// Combine and All merge a long buffer in one pass and place a short one peal by peal; either way
// buffer 1 ends as every peal in ledger order, whatever the numbering, dates and sequences.
TEST_F(LedgerBuffers, CombineAndAllGiveEveryPealInLedgerOrderForShortAndLongBuffers) {
  std::mt19937 random(11);
  constexpr uint32_t kPeals = 1600;
  for (uint32_t i = 0; i < kPeals; ++i) {
    doc.AddPeal(testing::MakePeal(static_cast<Date>(1000 + random() % 200), static_cast<uint8_t>(random() % 3)));
  }
  doc.BuildBuffer(1, kPeals, kMainBuffer);
  std::vector<uint32_t> expected = doc.PealsOf(kMainBuffer);
  ASSERT_EQ(expected.size(), kPeals);

  // Long buffers: every third peal out into buffer 2, then Combine.
  doc.Top();
  for (uint32_t i = 0; i < kPeals / 3; ++i) {
    doc.Transfer();
    doc.MoveForward(2);
  }
  ASSERT_GT(doc.PealsOf(2).size(), 500u);
  doc.Combine();
  EXPECT_EQ(doc.BufferCount(), 2);
  EXPECT_EQ(doc.PealsOf(kMainBuffer), expected);
  EXPECT_EQ(Soundness(doc), "");

  // Short buffers: a few peals each into buffers 2 to 6, then All.
  for (int buffer = 2; buffer <= 6; ++buffer) {
    doc.ShowBuffer(buffer - 1);
    doc.Top();
    doc.MoveForward(static_cast<int>(random() % 40));
    for (int i = 0; i < 3; ++i) doc.Transfer();
  }
  EXPECT_EQ(doc.BufferCount(), 7);
  doc.All();
  EXPECT_EQ(doc.BufferCount(), 2);
  EXPECT_EQ(doc.currentBuffer, kMainBuffer);
  EXPECT_EQ(doc.PealsOf(kMainBuffer), expected);
  EXPECT_EQ(Soundness(doc), "");
}

TEST_F(LedgerBuffers, MarkSetMarksThePersonsOfTheCurrentBufferAndEquivalenceTargets) {
  for (int32_t key = 1; key <= 8; ++key) PersonIndex().AddWithKey(std::make_unique<CPerson>(), key);
  std::unique_ptr<CIndObj> composition = CompIndex().NewObject();
  static_cast<CComposition&>(*composition).composer = 6;
  CompIndex().AddWithKey(std::move(composition), 1);
  PersonIndex().equivalences.AddEquivalence(7, 8);

  auto marked = testing::MakePeal(1000);
  marked->composer = 1;
  marked->arranger = 2;
  marked->conductor = 3;
  marked->ringers = {4, 0, 5};
  marked->composition = 1;
  auto other = testing::MakePeal(1001);
  other->conductor = 7;
  doc.AddNewPeal(std::move(marked));
  doc.AddNewPeal(std::move(other));
  doc.SetPosition(kMainBuffer, 2);
  doc.Transfer();

  doc.MarkSet();
  std::vector<int32_t> used;
  for (int32_t key = 1; key <= 8; ++key) {
    if (PersonIndex().Lookup(key)->used) used.push_back(key);
  }
  EXPECT_EQ(used, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 8}));
  EXPECT_EQ(platform.maxWaitDepth, 1);
}

// Random runs of every buffer command over peals sharing dates, checking after each step.
TEST_F(LedgerBuffers, RandomCommandRunsKeepEveryBufferSound) {
  std::mt19937 random(20240611);
  for (uint32_t i = 1; i <= 60; ++i) {
    doc.AddPeal(testing::MakePeal(static_cast<Date>(1000 + (i * 7) % 13), static_cast<uint8_t>(i % 3)));
  }
  doc.BuildBuffer(1, 60, kMainBuffer);
  for (int step = 0; step < 3000; ++step) {
    const int pick = static_cast<int>(random() % 100);
    if (pick < 30) {
      doc.Transfer();
    } else if (pick < 45) {
      doc.Delete();
    } else if (pick < 60) {
      doc.MoveForward(static_cast<int>(random() % 4));
    } else if (pick < 70) {
      doc.MoveBack(static_cast<int>(random() % 4));
    } else if (pick < 78) {
      doc.ShowBuffer(static_cast<int>(random() % (doc.BufferCount() + 1)));
    } else if (pick < 82) {
      doc.Swap();
    } else if (pick < 85) {
      doc.Rotate();
    } else if (pick < 90) {
      doc.Combine();
    } else if (pick < 93) {
      doc.Undelete();
    } else if (pick < 95) {
      doc.All();
    } else if (pick < 97) {
      doc.GotoDate(static_cast<Date>(1000 + random() % 14));
    } else if (pick < 98) {
      doc.Clear();
    } else {
      doc.AddNewPeal(testing::MakePeal(static_cast<Date>(1000 + random() % 14)));
    }
    const std::string problem = Soundness(doc);
    ASSERT_EQ(problem, "") << "after step " << step << " (command " << pick << ")";
  }
}

}  // namespace
}  // namespace tv

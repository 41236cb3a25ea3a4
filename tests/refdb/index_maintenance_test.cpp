// Index maintenance: compaction stopped at every step, the tower index rebuilt from the backup
// a compaction keeps, and the SGML and CSV dumps.
#include <gtest/gtest.h>

#include <cstring>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/index.h"
#include "refdb/tower.h"
#include "tests/refdb/reference_fixture.h"
#include "tests/support/scripted_platform.h"
#include "tests/support/stopping_file_system.h"

namespace tv {
namespace {

class CNamed : public CIndStr {
 public:
  explicit CNamed(std::string text = "?", uint8_t k = 0) {
    name = abbreviation = std::move(text);
    kind = k;
  }
};

class CNamedIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override { return std::make_unique<CNamed>(); }
};

class MaintenanceTest : public ::testing::Test {
 protected:
  std::unique_ptr<CNamedIndex> OpenIndex() {
    auto index = std::make_unique<CNamedIndex>("names", "/db/");
    index->Open(true);
    return index;
  }
  static std::vector<std::string> Names(CIndex& index) {
    std::vector<std::string> names;
    for (int32_t k = index.First(); k != 0 && names.size() < 100; k = index.Entry(k).next) {
      names.push_back(std::to_string(k) + index.NameOf(k, 0));
    }
    return names;
  }

  MemoryFileSystem files{"/db/"};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
};

TEST_F(MaintenanceTest, CompactionStoppedAfterAnyStepLeavesTheIndexWhole) {
  const std::vector<std::string> expected = {"2Avon", "4Cornwall", "1Devon", "3Kent"};
  std::unique_ptr<CNamedIndex> index;
  const int runs = testing::RunStoppedAtEveryStep(
      files,
      [&] {
        index.reset();
        files = MemoryFileSystem("/db/");
        index = OpenIndex();
        for (const char* n : {"Devon", "Avon", "Kent", "Cornwall", "Essex"}) {
          index->InsertNew(std::make_unique<CNamed>(n));
        }
        index->Save();
        index->Remove(5);  // a dead record for the compaction to drop
        index->Save();
      },
      [&] { EXPECT_TRUE(index->Compact()); },
      [&](const testing::StopRun& run) {
        index.reset();
        auto reopened = OpenIndex();
        EXPECT_EQ(Names(*reopened), expected) << "stopped after " << run.allowed << " changes";
        if (run.finished) {
          EXPECT_TRUE(files.Exists("/db/names.old"));
          EXPECT_TRUE(files.Exists("/db/names.odx"));
          EXPECT_FALSE(files.Exists("/db/names.new"));
          EXPECT_FALSE(files.Exists("/db/names.ndx"));
        }
      });
  EXPECT_GT(runs, 10);
  EXPECT_TRUE(platform.messages.empty());
}

// An index whose tree lost one entry: the parent's link to it cleared on disk, the entry itself
// still live. Gives the entry's key.
int32_t DetachOne(MemoryFileSystem& files) {
  std::string table = files.Contents("/db/names.id3");
  const auto field = [&](int32_t k, int f) -> int32_t {
    int32_t v;
    std::memcpy(&v, &table[static_cast<size_t>(k) * kIndexEntrySize + 4 * f], 4);
    return v;
  };
  const int32_t entries = static_cast<int32_t>(table.size() / kIndexEntrySize);
  for (int32_t k = 1; k < entries; ++k) {
    for (int f : {2, 3}) {
      const int32_t child = field(k, f);
      if (child > 0 && field(child, 2) == 0 && field(child, 3) == 0) {
        const int32_t zero = 0;
        std::memcpy(&table[static_cast<size_t>(k) * kIndexEntrySize + 4 * f], &zero, 4);
        files.SetContents("/db/names.id3", table);
        return child;
      }
    }
  }
  return 0;
}

// Regression: Compact wrote only the entries the thread reached, so a detached entry kept its
// offset into the previous data file and named another entry's record afterwards.
TEST_F(MaintenanceTest, CompactAndRebuildKeepADetachedEntryWhole) {
  for (const bool compact : {true, false}) {
    files = MemoryFileSystem("/db/");
    std::vector<std::string> expected;
    {
      auto index = OpenIndex();
      for (const char* n : {"Devon", "Avon", "Kent", "Cornwall", "Essex", "Rutland", "Bedford"}) {
        index->InsertNew(std::make_unique<CNamed>(n));
      }
      index->Remove(3);  // a dead record that a compaction drops, so offsets move
      index->Save();
      expected = Names(*index);
    }
    const int32_t detached = DetachOne(files);
    ASSERT_NE(detached, 0);
    {
      auto index = OpenIndex();
      ASSERT_EQ(index->SubtreeSize(index->Root()), static_cast<int>(expected.size()) - 1);
      if (compact) {
        ASSERT_TRUE(index->Compact());
      } else {
        index->RebuildTree();
        index->Save();
      }
      EXPECT_EQ(Names(*index), expected) << (compact ? "compact" : "rebuild");
    }
    auto reopened = OpenIndex();
    EXPECT_EQ(Names(*reopened), expected) << (compact ? "compact" : "rebuild");
  }
}

TEST_F(MaintenanceTest, SgmlDumpWritesEachLiveRecordInKeyOrder) {
  auto index = OpenIndex();
  index->InsertNew(std::make_unique<CNamed>("Kent", 2));
  index->InsertNew(std::make_unique<CNamed>("Avon"));
  index->InsertNew(std::make_unique<CNamed>("Gone"));
  index->Remove(3);
  index->WriteSgml();
  EXPECT_EQ(files.Contents("/db/names.sgm"),
            "<k>1<t>2<n>\"Kent\"<a>\"Kent\"\r\n<k>2<n>\"Avon\"<a>\"Avon\"\r\n");
  // Without its data file the dump says so and is written empty.
  files.Remove("/db/names.da3");
  index->WriteSgml();
  EXPECT_EQ(files.Contents("/db/names.sgm"), "");
  EXPECT_EQ(platform.messages, std::vector<std::string>{"/db/names.da3 Not Found"});
}

TEST_F(MaintenanceTest, CsvTableOfAnEmptyIndexIsItsHeader) {
  auto index = OpenIndex();
  index->WriteCsv();
  EXPECT_EQ(files.Contents("/db/names.csv"), "\"key\",\"name\"\n");
}

using TowerBackupTest = ReferenceTest;

TEST_F(TowerBackupTest, LostTowerIndexAfterACompactionIsRebuiltWithTheSameKeys) {
  uint16_t weight = 0;
  const int32_t ashby = FindOrAddTower(0, "Ashby", "", "", true, weight);
  const int32_t york = FindOrAddTower(0, "York", "", "", true, weight);
  const int32_t bath = FindOrAddTower(0, "Bath", "", "", true, weight);
  SaveAllIndexes();
  ASSERT_TRUE(TowerIndex().Compact());
  CloseIndexSet();
  files.Remove("/db/towers.id3");
  OpenIndexSet("/db/");
  EXPECT_EQ(TowerIndex().FindEntry("Ashby", 0), ashby);
  EXPECT_EQ(TowerIndex().FindEntry("York", 0), york);
  EXPECT_EQ(TowerIndex().FindEntry("Bath", 0), bath);
  EXPECT_EQ(TowerIndex().StepForward(0, 1), ashby);
  EXPECT_EQ(TowerIndex().StepForward(0, 2), bath);
  EXPECT_EQ(TowerIndex().StepForward(0, 3), york);
}

}  // namespace
}  // namespace tv

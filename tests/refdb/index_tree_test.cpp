// The index's tree and its maintenance: compaction, deep trees, damaged trees, purge and an
// in-memory index over another.
#include "tests/refdb/index_fixture.h"

namespace tv {
namespace {

using namespace index_testing;

TEST_F(IndexTest, CompactionWritesEachLiveRecordOnceInSortedOrder) {
  auto index = OpenIndex();
  for (const char* n : {"C", "A", "B"}) Add(*index, n);
  index->Save();
  static_cast<CName*>(index->Lookup(1))->name = "C2";
  index->MarkDirty(1);
  index->Save();  // leaves a dead copy of key 1
  ASSERT_TRUE(index->Compact());
  EXPECT_EQ(files.Contents("/db/names.da3"),
            Bytes({0, 0x1f, 2, 'n', 'A', 0, 'a', 'A', 0, 0, 0x1f, 3, 'n', 'B', 0, 'a', 'B', 0, 0,
                   0x1f, 1, 'n', 'C', '2', 0, 'a', 'C', 0, 0}));
  EXPECT_FALSE(files.Exists("/db/names.new"));
  EXPECT_FALSE(files.Exists("/db/names.ndx"));
  auto reopened = OpenIndex();
  EXPECT_EQ(Names(*reopened), (std::vector<std::string>{"A", "B", "C2"}));
}

TEST_F(IndexTest, CompactionStoppedBetweenItsRenamesIsFinishedAtOpening) {
  {
    auto index = OpenIndex();
    for (const char* n : {"C", "A", "B"}) Add(*index, n);
    index->Save();
    ASSERT_TRUE(index->Compact());
  }
  // As if the program stopped after the new data file replaced the old one.
  files.SetContents("/db/names.ndx", files.Contents("/db/names.id3"));
  files.SetContents("/db/names.id3", files.Contents("/db/names.odx") + std::string(24, '\x7f'));
  auto index = OpenIndex();
  EXPECT_FALSE(files.Exists("/db/names.ndx"));
  EXPECT_EQ(Names(*index), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(IndexTest, SortedAndReverseInsertionsStayOrderedAndSearchableAtAnySize) {
  for (bool reverse : {false, true}) {
    const char* name = reverse ? "reverse" : "sorted";
    constexpr int kCount = 20000;
    auto text = [](int i) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "N%06d", i);
      return std::string(buffer);
    };
    {
      auto index = OpenIndex(name);
      for (int i = 0; i < kCount; ++i) Add(*index, text(reverse ? kCount - 1 - i : i));
      index->Save();
    }
    auto index = OpenIndex(name);
    const auto keys = Ordered(*index);
    ASSERT_EQ(keys.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
      ASSERT_EQ(index->NameOf(keys[i], 0), text(i)) << name;
      ASSERT_EQ(index->FindEntry(text(i), 0), keys[i]) << name;
    }
  }
}

TEST_F(IndexTest, DeepTreeFromAnotherProgramIsRebalancedWhenSearched) {
  // A chain of 600 entries, each the right child of the one before: a valid but very deep tree.
  constexpr int kCount = 600;
  std::string da3 = Bytes({0, 0, 0});
  std::string id3(static_cast<size_t>(kCount + 1) * 24, '\0');
  auto put = [&](int k, int field, int32_t v) { std::memcpy(&id3[k * 24 + field * 4], &v, 4); };
  for (int k = 1; k <= kCount; ++k) {
    put(k, 0, static_cast<int32_t>(da3.size()));
    char text[8];
    std::snprintf(text, sizeof text, "K%04d", k);
    da3 += Bytes({0x3f, k & 0xff, k >> 8, 'n'}) + text + '\0' + 'a' + text + '\0' + '\0';
    put(k, 1, k - 1);
    put(k, 3, k < kCount ? k + 1 : 0);
    put(k, 4, k - 1);
    put(k, 5, k < kCount ? k + 1 : 0);
  }
  put(0, 2, 1);
  put(0, 3, kCount);
  put(0, 4, kCount);
  put(0, 5, 1);
  files.SetContents("/db/deep.da3", da3);
  files.SetContents("/db/deep.id3", id3);
  auto index = OpenIndex("deep");
  EXPECT_EQ(index->FindEntry("K0599", 0), 599);
  EXPECT_EQ(index->FindEntry("K0600", 0), 600);
  EXPECT_EQ(Ordered(*index).size(), static_cast<size_t>(kCount));
  EXPECT_EQ(Add(*index, "K0600a"), kCount + 1);
  EXPECT_EQ(Ordered(*index).back(), kCount + 1);
}

TEST_F(IndexTest, DamagedTreeNeverMakesAnOperationLoop) {
  {
    auto index = OpenIndex();
    for (const char* n : {"M", "C", "X", "A", "E"}) Add(*index, n);
    index->Save();
  }
  std::string id3 = files.Contents("/db/names.id3");
  auto put = [&](int k, int field, int32_t v) { std::memcpy(&id3[k * 24 + field * 4], &v, 4); };
  // A cycle in the tree and in the thread, and links far beyond the table.
  const int32_t root = LittleInt(id3, 8);
  const int32_t child = LittleInt(id3, root * 24 + 8);
  put(child, 2, root);
  put(child, 5, root);
  put(root, 4, child);
  put(3, 3, 9999);
  put(4, 5, 77777);
  files.SetContents("/db/names.id3", id3);
  auto index = OpenIndex();
  for (const char* text : {"", "A", "C", "M", "Q", "Z"}) index->FindEntry(text, 0);
  for (int32_t k = 0; k < 8; ++k) {
    index->Lookup(k);
    index->ParentOf(k);
    index->SubtreeSize(k);
    index->StepForward(k, 50);
  }
  Add(*index, "B");
  index->Remove(2);
  index->CheckLinks();
  index->RebuildTree();
  index->Save();
  index->Rethread();
  SUCCEED();
}

TEST_F(IndexTest, RemovingARootThatIsAlsoTheLastKeyAllocatedKeepsTheTreeWhole) {
  // The header's right field holds the last key allocated; it must not be taken for a child.
  auto index = OpenIndex();
  for (const char* n : {"A", "B", "C"}) Add(*index, n);
  index->Remove(1);  // key 3 becomes the root, and is still the last key allocated
  index->Remove(3);
  EXPECT_EQ(Names(*index), std::vector<std::string>{"B"});
  EXPECT_EQ(Add(*index, "D"), 3);
  EXPECT_EQ(Names(*index), (std::vector<std::string>{"B", "D"}));
}

TEST_F(IndexTest, CsvTableIsInKeyOrder) {
  auto index = OpenIndex();
  for (const char* n : {"Zeta", "Alpha", "Mid"}) Add(*index, n);
  index->WriteCsv();
  EXPECT_EQ(files.Contents("/db/names.csv"),
            "\"key\",\"name\"\n1,\"Zeta\"\n2,\"Alpha\"\n3,\"Mid\"\n");
}

TEST_F(IndexTest, PurgeWithNothingMarkedEmptiesTheIndex) {
  auto index = OpenIndex();
  for (const char* n : {"A", "B", "C"}) Add(*index, n);
  index->MarkUsed(2);
  index->Purge(1);
  EXPECT_EQ(Names(*index), std::vector<std::string>{"B"});
  index->Purge(2);
  EXPECT_EQ(Names(*index), std::vector<std::string>{"B"});
  auto other = OpenIndex("other");
  for (const char* n : {"A", "B"}) Add(*other, n);
  EXPECT_EQ(other->Purge(1), 0);
  EXPECT_TRUE(Names(*other).empty());
}

TEST_F(IndexTest, MissingDataFileIsReported) {
  {
    auto index = OpenIndex();
    Add(*index, "A");
    index->Save();
  }
  auto index = OpenIndex();
  files.Remove("/db/names.da3");
  EXPECT_EQ(index->Lookup(1)->key, 1);  // an empty object stands in
  EXPECT_EQ(platform.messages, std::vector<std::string>{"/db/names.da3 Not Found"});
}

TEST_F(IndexTest, InMemoryIndexSortsASubsetOfAnotherIndex) {
  auto index = OpenIndex();
  for (const char* n : {"D", "B", "C", "A"}) Add(*index, n);
  CIndex& base = *index;
  struct Sub : CIndex {
    explicit Sub(CIndex& other) : CIndex(other) {}
    std::unique_ptr<CIndObj> NewObject() override { return std::make_unique<CName>(); }
  } subset(base);
  for (int32_t key : {1, 3}) subset.Insert(base.Lookup(key), key, false);
  EXPECT_EQ(Names(subset), (std::vector<std::string>{"C", "D"}));
  auto data = files.Open("/db/sub.da3", OpenMode::Create);
  auto table = files.Open("/db/sub.id3", OpenMode::Create);
  subset.WriteCompacted(*data, *table);
  EXPECT_EQ(files.Contents("/db/sub.da3"),
            Bytes({0, 0x1f, 3, 'n', 'C', 0, 'a', 'C', 0, 0, 0x1f, 1, 'n', 'D', 0, 'a', 'D', 0, 0}));
  EXPECT_EQ(files.Contents("/db/sub.id3").size(), 4u * 24);
}

}  // namespace
}  // namespace tv

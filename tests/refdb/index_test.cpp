// The index file pair: new files, key allocation, lookups, finds, saves, conversion from the
// older pair, the backup, compaction, deep trees and damaged trees.
#include "refdb/index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/archive.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

constexpr const char* kDir = "/db/";

// A test kind: a name that sorts and finds by itself.
class CName : public CIndStr {
 public:
  explicit CName(std::string text = "?") {
    name = text;
    abbreviation = text;
  }
};

class CNameIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override { return std::make_unique<CName>(); }
};

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

int32_t LittleInt(const std::string& bytes, size_t at) {
  int32_t v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

class IndexTest : public ::testing::Test {
 protected:
  std::unique_ptr<CNameIndex> OpenIndex(const char* name = "names") {
    auto index = std::make_unique<CNameIndex>(name, kDir);
    index->Open(true);
    return index;
  }
  int32_t Add(CIndex& index, const std::string& text) {
    return index.InsertNew(std::make_unique<CName>(text));
  }
  // The keys in thread order, checked against the tree's in-order walk and the prev links.
  std::vector<int32_t> Ordered(CIndex& index) {
    std::vector<int32_t> keys;
    for (int32_t k = index.First(); k != 0 && keys.size() <= static_cast<size_t>(index.Count());
         k = index.Entry(k).next) {
      keys.push_back(k);
    }
    std::vector<int32_t> inOrder;
    std::vector<int32_t> stack;
    for (int32_t k = index.Root(); k != 0 || !stack.empty();) {
      while (k != 0) {
        stack.push_back(k);
        k = index.Entry(k).left;
      }
      k = stack.back();
      stack.pop_back();
      inOrder.push_back(k);
      EXPECT_EQ(index.ParentOf(k), index.Entry(k).parent);
      k = index.Entry(k).right;
    }
    EXPECT_EQ(keys, inOrder);
    for (size_t i = 0; i < keys.size(); ++i) {
      EXPECT_EQ(index.Entry(keys[i]).prev, i == 0 ? 0 : keys[i - 1]);
    }
    if (!keys.empty()) {
      EXPECT_EQ(index.Last(), keys.back());
    }
    return keys;
  }
  std::vector<std::string> Names(CIndex& index) {
    std::vector<std::string> names;
    for (int32_t k : Ordered(index)) names.push_back(index.NameOf(k, 0));
    return names;
  }

  MemoryFileSystem files{"/db/"};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
};

TEST_F(IndexTest, NewIndexWritesThreeZeroBytesAndNoIndexFileUntilSaved) {
  auto index = OpenIndex();
  EXPECT_EQ(files.Contents("/db/names.da3"), Bytes({0, 0, 0}));
  EXPECT_FALSE(files.Exists("/db/names.id3"));
  EXPECT_TRUE(index->Modified());
  EXPECT_EQ(Add(*index, "Smith"), 1);
  index->Save();
  EXPECT_FALSE(index->Modified());
  // One record after the three zero bytes: key 1, name, short form.
  EXPECT_EQ(files.Contents("/db/names.da3"),
            Bytes({0, 0, 0, 0x1f, 1, 'n', 'S', 'm', 'i', 't', 'h', 0, 'a', 'S', 'm', 'i', 't', 'h', 0, 0}));
  const std::string table = files.Contents("/db/names.id3");
  ASSERT_EQ(table.size(), 48u);
  EXPECT_EQ(LittleInt(table, 8), 1);    // header left: the root
  EXPECT_EQ(LittleInt(table, 12), 1);   // header right: the last key allocated
  EXPECT_EQ(LittleInt(table, 16), 1);   // last in order
  EXPECT_EQ(LittleInt(table, 20), 1);   // first in order
  EXPECT_EQ(LittleInt(table, 24), 3);   // entry 1's record offset
}

// Regression: keys were searched from key 1 after opening, so a removed key went to the next new
// entry and every peal naming the removed one named the newcomer.
TEST_F(IndexTest, KeysAreGivenOutBeyondEveryKeyAfterOpening) {
  {
    auto index = OpenIndex();
    for (const char* n : {"A", "B", "C", "D"}) Add(*index, n);
    index->Remove(3);
    index->Remove(4);
    index->Save();
  }
  auto index = OpenIndex();
  EXPECT_EQ(Add(*index, "E"), 5);
  EXPECT_EQ(Add(*index, "F"), 6);
  // Within one run, removing the key allocated last frees it for the very next one.
  index->Remove(6);
  EXPECT_EQ(Add(*index, "G"), 6);
}

TEST_F(IndexTest, LookupAndNameOfOutsideTheTable) {
  auto index = OpenIndex();
  Add(*index, "Smith");
  EXPECT_EQ(index->Lookup(0), nullptr);
  EXPECT_EQ(index->Lookup(99), nullptr);
  EXPECT_EQ(index->NameOf(99, 0), "#99");
  EXPECT_EQ(index->NameOf(1, 0), "Smith");
}

TEST_F(IndexTest, RemovedEntryKeepsItsNameForTheRunOnly) {
  {
    auto index = OpenIndex();
    Add(*index, "Keep");
    Add(*index, "Gone");
    index->Save();
    index->Remove(2);
    EXPECT_EQ(index->NameOf(2, 0), "Gone");
    index->Save();
  }
  auto index = OpenIndex();
  EXPECT_EQ(index->NameOf(2, 0), "#2");
  EXPECT_EQ(Names(*index), std::vector<std::string>{"Keep"});
}

TEST_F(IndexTest, FindEntryCases) {
  auto index = OpenIndex();
  EXPECT_EQ(index->FindEntry("anything", 0), 0);  // empty index
  EXPECT_EQ(index->FindEntry("", 0), 0);
  const int32_t b = Add(*index, "Bob");
  const int32_t d = Add(*index, "Dave");
  const int32_t a = Add(*index, "Al");
  EXPECT_EQ(index->FindEntry("", 0), a);        // empty text: first in order
  EXPECT_EQ(index->FindEntry("bob", 0), b);     // letter case ignored
  EXPECT_EQ(index->FindEntry("Carol", 0), d);   // nearest entry after the text
  EXPECT_EQ(index->FindEntry("Zed", 0), 0);     // past the end
  EXPECT_EQ(index->FindEntry("123", 1), 123);   // numeric: the key itself
  EXPECT_EQ(index->FindEntry("(70000)", 1), 4464);
  EXPECT_EQ(index->FindEntry("123", 0), a);     // not numeric: found as text ("1" < "A")
  EXPECT_EQ(index->FindName("Da"), d);
}

TEST_F(IndexTest, EqualNamesSortNewestFirstAndTheChosenOneIsFoundOnce) {
  auto index = OpenIndex();
  const int32_t first = Add(*index, "Smith");
  const int32_t second = Add(*index, "Smith");
  const int32_t third = Add(*index, "Smith");
  EXPECT_EQ(Ordered(*index), (std::vector<int32_t>{third, second, first}));
  const int32_t fourth = Add(*index, "Smith");
  EXPECT_EQ(Ordered(*index).front(), fourth);
  // The chooser marks the third in order; one find returns it, the next the first again.
  const int32_t thirdInOrder = Ordered(*index)[2];
  index->SetChosen(thirdInOrder, 1);
  EXPECT_EQ(index->FindEntry("Smith", 0), thirdInOrder);
  EXPECT_EQ(index->FindEntry("Smith", 0), fourth);
}

TEST_F(IndexTest, SaveThenReopenGivesTheSameTableAndObjects) {
  std::vector<IndexEntry> before;
  {
    auto index = OpenIndex();
    for (const char* n : {"M", "C", "X", "A", "E", "Q", "Z"}) Add(*index, n);
    index->Remove(2);
    index->Save();
    for (int32_t k = 0; k < index->Count(); ++k) before.push_back(index->Entry(k));
  }
  auto index = OpenIndex();
  EXPECT_FALSE(index->Modified());
  ASSERT_EQ(index->Count(), static_cast<int32_t>(before.size()));
  for (int32_t k = 1; k < index->Count(); ++k) {
    EXPECT_EQ(index->Entry(k).offset, before[k].offset) << k;
    EXPECT_EQ(index->Entry(k).left, before[k].left) << k;
    EXPECT_EQ(index->Entry(k).next, before[k].next) << k;
  }
  EXPECT_EQ(Names(*index), (std::vector<std::string>{"A", "E", "M", "Q", "X", "Z"}));
}

TEST_F(IndexTest, ChangedRecordsAreAppendedAndTheOldCopyLeftInPlace) {
  auto index = OpenIndex();
  Add(*index, "Old");
  index->Save();
  const size_t length = files.Contents("/db/names.da3").size();
  static_cast<CName*>(index->Lookup(1))->name = "New";
  index->MarkDirty(1);
  index->Save();
  EXPECT_GT(files.Contents("/db/names.da3").size(), length);
  auto reopened = OpenIndex();
  EXPECT_EQ(reopened->NameOf(1, 0), "New");
}

TEST_F(IndexTest, RecordKeyDisagreeingWithTheIndexRebuildsTheTableFromTheRecords) {
  {
    auto index = OpenIndex();
    Add(*index, "A");
    index->Save();
  }
  std::string data = files.Contents("/db/names.da3");
  data[4] = 7;  // the stored key field now says 7
  files.SetContents("/db/names.da3", data);
  auto index = OpenIndex();
  EXPECT_EQ(index->Lookup(1), nullptr);
  EXPECT_EQ(index->NameOf(7, 0), "A");
  EXPECT_TRUE(index->Modified());
  EXPECT_EQ(index->Entry(7).offset, 3);  // the record stays where it is
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0], "/db/names.id3 was rebuilt from /db/names.da3 because the index "
                                  "file does not agree with the data file (1 entries).");
}

// Regression: a redirected entry (Global Edit's ChangeKey) was saved as a record carrying the
// other entry's key; the next opening took that for damage and rebuilt the table, where the
// redirected record replaced the entry it pointed to, losing its name.
TEST_F(IndexTest, RedirectedEntryIsSavedUnderItsOwnKeyAndBothEntriesSurvive) {
  {
    auto index = OpenIndex();
    const int32_t from = Add(*index, "Kent C A");
    const int32_t to = Add(*index, "Kent County Association");
    index->Save();
    index->ChangeKey(from, to);
    EXPECT_EQ(index->Lookup(from)->key, to);  // redirected for the rest of the run
    index->Save();
    EXPECT_EQ(index->Lookup(from)->key, to);
    ASSERT_TRUE(index->Compact());
    EXPECT_EQ(index->Lookup(from)->key, to);
  }
  auto index = OpenIndex();
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
  EXPECT_FALSE(index->Modified());
  EXPECT_EQ(index->NameOf(1, 0), "Kent C A");
  EXPECT_EQ(index->NameOf(2, 0), "Kent County Association");
  EXPECT_EQ(index->Lookup(1)->key, 1);
}

TEST_F(IndexTest, StepsPassThroughTheHeader) {
  auto index = OpenIndex();
  const int32_t a = Add(*index, "A");
  const int32_t b = Add(*index, "B");
  EXPECT_EQ(index->StepForward(a, 1), b);
  EXPECT_EQ(index->StepForward(a, 2), 0);
  EXPECT_EQ(index->StepForward(a, 3), a);
  EXPECT_EQ(index->StepBack(a, 1), 0);
  EXPECT_EQ(index->StepBack(a, 2), b);
  EXPECT_EQ(index->SubtreeSize(index->Root()), 2);
  EXPECT_EQ(index->SubtreeSize(0), 0);
}

TEST_F(IndexTest, OlderPairIsConvertedWithKeysAndOrderKept) {
  // Old index: 14-byte entries; old records start with a 2-byte key.
  std::string dat = Bytes({0, 0, 0});
  const int offB = static_cast<int>(dat.size());
  dat += Bytes({2, 0, 'n', 'B', 0, 'a', 'B', 0, 0x14, 1, 0});  // key 2, kind 1
  const int offA = static_cast<int>(dat.size());
  dat += Bytes({1, 0, 'n', 'A', 0, 'a', 'A', 0, 0x85, 2, 9, 0, 0});  // with a type-4 field
  auto entry = [](int offset, int parent, int left, int right, int prev, int next) {
    std::string e;
    for (int i = 0; i < 4; ++i) e += static_cast<char>((offset >> (8 * i)) & 0xff);
    for (int v : {parent, left, right, prev, next}) {
      e += static_cast<char>(v & 0xff);
      e += static_cast<char>(v >> 8);
    }
    return e;
  };
  std::string idx = entry(0, 0, 2, 2, 2, 1) + entry(offA, 2, 0, 0, 0, 2) + entry(offB, 0, 1, 0, 1, 0);
  files.SetContents("/db/names.idx", idx);
  files.SetContents("/db/names.dat", dat);
  auto index = OpenIndex();
  EXPECT_FALSE(index->Modified());
  EXPECT_EQ(Names(*index), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(static_cast<CIndStr*>(index->Lookup(2))->kind, 1);
  EXPECT_EQ(files.Contents("/db/names.idx"), idx);  // the old files are left unchanged
  EXPECT_EQ(files.Contents("/db/names.id3").size(), 72u);
  // The converted record of key 1 has its key field first and no type-4 field.
  const std::string da3 = files.Contents("/db/names.da3");
  const int32_t offset = index->Entry(1).offset;
  EXPECT_EQ(da3.substr(offset, 9), Bytes({0x1f, 1, 'n', 'A', 0, 'a', 'A', 0, 0}));
}

TEST_F(IndexTest, LostIndexFileIsRebuiltFromTheBackupWithTheSameKeys) {
  {
    auto index = OpenIndex();
    for (const char* n : {"Kent", "Devon", "Essex", "Avon"}) Add(*index, n);
    index->Remove(3);
    index->Save();
    ASSERT_TRUE(index->Compact());
  }
  EXPECT_TRUE(files.Exists("/db/names.old"));
  EXPECT_TRUE(files.Exists("/db/names.odx"));
  files.Remove("/db/names.id3");
  files.Remove("/db/names.da3");
  auto index = OpenIndex();
  EXPECT_EQ(Names(*index), (std::vector<std::string>{"Avon", "Devon", "Kent"}));
  EXPECT_EQ(index->FindEntry("Avon", 0), 4);
  EXPECT_EQ(index->FindEntry("Kent", 0), 1);
  EXPECT_EQ(index->Lookup(3), nullptr);
}

TEST_F(IndexTest, BackupRecordWithAnImpossibleKeyIsSkipped) {
  {
    auto index = OpenIndex();
    for (const char* n : {"Kent", "Devon"}) Add(*index, n);
    index->Save();
    ASSERT_TRUE(index->Compact());
  }
  // A damaged record claiming the largest key, as a fuzzed backup held it.
  CName damaged("Zed");
  damaged.key = INT32_MAX;
  {
    auto file = files.Open("/db/names.old", OpenMode::ReadWrite);
    file->SeekToEnd();
    Archive out(*file, Archive::Mode::Store);
    damaged.WriteRecord(out);
  }
  files.Remove("/db/names.id3");
  files.Remove("/db/names.da3");
  auto index = OpenIndex();
  EXPECT_EQ(Names(*index), (std::vector<std::string>{"Devon", "Kent"}));
  EXPECT_LT(index->Count(), 10);
}

TEST_F(IndexTest, ControlBytesInANameAreSavedAsBlanksAndTheRecordStaysWhole) {
  {
    auto index = OpenIndex();
    Add(*index, std::string("Ann\x01Jones\tSmith"));
    Add(*index, "Kent");
    index->Save();
  }
  auto index = OpenIndex();
  EXPECT_EQ(Names(*index), (std::vector<std::string>{"Ann Jones Smith", "Kent"}));
}

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

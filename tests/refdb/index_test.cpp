// The index file pair: new files, key allocation, lookups, finds, saves, conversion from the
// older pair and the backup.
#include "tests/refdb/index_fixture.h"

namespace tv {
namespace {

using namespace index_testing;

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

}  // namespace
}  // namespace tv

// Opening an index whose files were lost, cut short, mismatched or made unreadable, for every
// index kind: each key keeps naming the entry it named (or the index opens read-only and its
// files stay as they were), and no key is ever given out twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "refdb/composition.h"
#include "refdb/index.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/saint.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"
#include "tests/refdb/reference_fixture.h"

namespace tv {
namespace {

// A distinct entry of the index's kind, named after `i`.
std::unique_ptr<CIndObj> Named(CIndex& index, int i) {
  std::unique_ptr<CIndObj> object = index.NewObject();
  const std::string text = std::string(1, static_cast<char>('A' + i % 26)) + "name" + std::to_string(i);
  if (auto* s = dynamic_cast<CIndStr*>(object.get())) {
    s->name = s->abbreviation = text;
  } else if (auto* person = dynamic_cast<CPerson*>(object.get())) {
    person->firstNames = "Ann";
    person->surname = text;
  } else if (auto* tower = dynamic_cast<CTower*>(object.get())) {
    tower->place = text;
  } else if (auto* method = dynamic_cast<CMethod*>(object.get())) {
    method->name = text;
    method->stage = 8;
  } else if (auto* comp = dynamic_cast<CComposition*>(object.get())) {
    comp->name = text;
  } else if (auto* saint = dynamic_cast<CSaint*>(object.get())) {
    saint->name = text;
  } else if (auto* record = dynamic_cast<CSteeplex*>(object.get())) {
    record->location = text;
  }
  return object;
}

// Every live key of the index and the entry it names.
std::map<int32_t, std::string> Entries(CIndex& index) {
  std::map<int32_t, std::string> entries;
  for (int32_t k = index.First(); k != 0 && entries.size() <= 1000; k = index.Entry(k).next) {
    entries[k] = index.NameOf(k, 0);
  }
  return entries;
}

struct OpeningCase {
  const char* name;
  // Damages the files of index `base` ("/db/persons") in `files`.
  std::function<void(MemoryFileSystem& files, const std::string& base)> damage;
  bool readOnly;         // the index must open read-only
  const char* told;      // a text the message names
};

std::string TableWithSwappedOffsets(std::string table) {
  // Entries 2 and 3 now point at each other's records.
  for (int i = 0; i < 4; ++i) std::swap(table[2 * kIndexEntrySize + i], table[3 * kIndexEntrySize + i]);
  return table;
}

const OpeningCase kCases[] = {
    {"IndexDeleted", [](MemoryFileSystem& f, const std::string& b) { f.Remove(b + ".id3"); }, false,
     "was missing"},
    {"IndexCutInsideAnEntry",
     [](MemoryFileSystem& f, const std::string& b) {
       f.SetContents(b + ".id3", f.Contents(b + ".id3").substr(0, 9 * kIndexEntrySize + 7));
     },
     false, "cut short"},
    {"IndexCutAtAnEntryEdge",
     [](MemoryFileSystem& f, const std::string& b) {
       f.SetContents(b + ".id3", f.Contents(b + ".id3").substr(0, 9 * kIndexEntrySize));
     },
     false, "cut short"},
    {"IndexMismatched",
     [](MemoryFileSystem& f, const std::string& b) {
       f.SetContents(b + ".id3", TableWithSwappedOffsets(f.Contents(b + ".id3")));
     },
     false, "does not agree"},
    {"IndexUnreadable", [](MemoryFileSystem& f, const std::string& b) { f.SetUnreadable(b + ".id3"); },
     true, "Cannot be Read"},
    {"DataUnreadable", [](MemoryFileSystem& f, const std::string& b) { f.SetUnreadable(b + ".da3"); },
     true, "Cannot be Read"},
    {"DataMissing", [](MemoryFileSystem& f, const std::string& b) { f.Remove(b + ".da3"); }, true,
     "Not Found"},
};

class IndexOpening : public ReferenceTest,
                     public ::testing::WithParamInterface<std::tuple<const char*, OpeningCase>> {
 protected:
  const char* Kind() const { return std::get<0>(GetParam()); }
  const OpeningCase& Case() const { return std::get<1>(GetParam()); }
  std::string Base() const { return std::string("/db/") + Kind(); }

  // 24 entries, compacted (so that a stale backup exists), then 6 more saved; then one edited
  // (its record is written twice), one removed and the highest removed: 28 live keys of 30.
  void Build() {
    CIndex& index = *IndexByName(Kind());
    for (int i = 1; i <= 24; ++i) index.InsertNew(Named(index, i));
    ASSERT_TRUE(index.Compact());
    for (int i = 25; i <= 30; ++i) index.InsertNew(Named(index, i));
    SaveAllIndexes();
    index.AddWithKey(Named(index, 107), 7);
    index.Remove(12);
    index.Remove(30);
    SaveAllIndexes();
    CloseIndexSet();
    SteeplexXref().Clear();
  }

  void Reopen() {
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet("/db/");
  }
};

TEST_P(IndexOpening, EveryKeyKeepsItsEntryAndNoKeyIsGivenOutTwice) {
  Build();
  OpenIndexSet("/db/");
  const std::map<int32_t, std::string> before = Entries(*IndexByName(Kind()));
  ASSERT_EQ(before.size(), 28u);
  ASSERT_EQ(before.count(30), 0u);
  CloseIndexSet();
  const std::string data = files.Contents(Base() + ".da3");
  const std::string table = files.Contents(Base() + ".id3");
  platform.messages.clear();

  Case().damage(files, Base());
  Reopen();
  CIndex& index = *IndexByName(Kind());
  ASSERT_FALSE(platform.messages.empty());
  const std::string& told = platform.messages.front();
  EXPECT_NE(told.find(Case().told), std::string::npos) << told;
  EXPECT_NE(told.find(Base()), std::string::npos) << told;
  EXPECT_EQ(index.ReadOnly(), Case().readOnly);

  const std::map<int32_t, std::string> after = Entries(index);
  const std::string name = Case().name;
  const bool recordsReadable = name != "DataUnreadable" && name != "DataMissing";
  if (recordsReadable) {
    // Every entry comes back under its key; a removed key may come back from its old record,
    // naming what it named before.
    for (const auto& [key, entry] : before) EXPECT_EQ(after.count(key) ? after.at(key) : "(gone)", entry) << "key " << key;
    for (const auto& [key, entry] : after) {
      EXPECT_TRUE(before.count(key) || key == 12 || key == 30) << "key " << key << " " << entry;
    }
  }

  const int32_t added = index.InsertNew(Named(index, 200));
  EXPECT_GT(added, 30);
  SaveAllIndexes();
  if (Case().readOnly) {
    // Nothing was saved over the files that could not be read or did not agree.
    files.SetUnreadable(Base() + ".id3", false);
    files.SetUnreadable(Base() + ".da3", false);
    EXPECT_EQ(files.Contents(Base() + ".id3"), table);
    if (name == "DataMissing") {
      EXPECT_FALSE(files.Exists(Base() + ".da3"));
    } else {
      EXPECT_EQ(files.Contents(Base() + ".da3"), data);
    }
  } else {
    // The rebuilt table was saved: the next opening is quiet and finds the same entries.
    platform.messages.clear();
    Reopen();
    EXPECT_TRUE(platform.messages.empty()) << platform.messages.front();
    auto again = Entries(*IndexByName(Kind()));
    EXPECT_EQ(again.count(added), 1u);
    again.erase(added);
    EXPECT_EQ(again, after);
  }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<const char*, OpeningCase>>& info) {
  return std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(EveryKind, IndexOpening,
                         ::testing::Combine(::testing::ValuesIn(kIndexNames), ::testing::ValuesIn(kCases)),
                         CaseName);

class IndexKeys : public ReferenceTest {};

// Regression: with the index file lost, the person index opened empty and the next import gave
// key 1 to a new person, so every peal naming the old person 1 named the newcomer.
TEST_F(IndexKeys, LostPersonIndexIsRebuiltAndNewPersonsGetNewKeys) {
  for (int i = 1; i <= 5; ++i) PersonIndex().InsertNew(Named(PersonIndex(), i));
  SaveAllIndexes();
  CloseIndexSet();
  files.Remove("/db/persons.id3");
  OpenIndexSet("/db/");
  EXPECT_EQ(PersonIndex().NameOf(1, 0), "Ann Bname1");
  EXPECT_EQ(PersonIndex().InsertNew(Named(PersonIndex(), 9)), 6);
}

// A save stopped after its records were appended leaves the previous table sound: the index
// opens as it was, quietly, but the keys of the unfinished records are not given out again.
TEST_F(IndexKeys, RecordsOfAnUnfinishedSaveAreSkippedButTheirKeysStaySpent) {
  for (int i = 1; i <= 3; ++i) TowerIndex().InsertNew(Named(TowerIndex(), i));
  SaveAllIndexes();
  const std::string table = files.Contents("/db/towers.id3");
  TowerIndex().InsertNew(Named(TowerIndex(), 4));
  SaveAllIndexes();
  files.SetContents("/db/towers.id3", table);
  CloseIndexSet();
  platform.messages.clear();
  OpenIndexSet("/db/");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(Entries(TowerIndex()).size(), 3u);
  EXPECT_EQ(TowerIndex().InsertNew(Named(TowerIndex(), 5)), 5);
}

}  // namespace
}  // namespace tv

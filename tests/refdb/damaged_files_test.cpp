// Damaged reference files: an index pair with broken links, offsets past the end, records and
// entries cut short, and binary junk under every file name of the database. Nothing may hang
// or crash; what can still be read is kept.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "refdb/equivalence.h"
#include "refdb/index.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "tests/refdb/reference_fixture.h"

namespace tv {
namespace {

// Bytes that are no file format, the same for each seed.
std::string Junk(unsigned seed, size_t size) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xff);
  return bytes;
}

class CName : public CIndStr {
 public:
  explicit CName(std::string text = "?") { name = abbreviation = std::move(text); }
};

class CNameIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override { return std::make_unique<CName>(); }
};

void PutInt(std::string& bytes, size_t at, int32_t value) {
  if (at + 4 <= bytes.size()) std::memcpy(&bytes[at], &value, 4);
}
int32_t GetInt(const std::string& bytes, size_t at) {
  int32_t value = 0;
  if (at + 4 <= bytes.size()) std::memcpy(&value, &bytes[at], 4);
  return value;
}

// Every operation a damaged index may meet, each of which must come to an end.
void Exercise(CIndex& index) {
  for (int32_t k = index.First(), steps = 0; k != 0 && steps <= index.Count(); ++steps) {
    index.NameOf(k, 0);
    k = index.Entry(k).next;
  }
  for (const char* text : {"", "A", "Carol", "Zz", "123"}) index.FindEntry(text, 0);
  for (int32_t k = -1; k <= index.Count() + 1; ++k) {
    index.Lookup(k);
    index.ParentOf(k);
    index.SubtreeSize(k);
    index.StepForward(k, 10);
    index.StepBack(k, 10);
  }
  index.InsertNew(index.NewObject());
  index.Remove(2);
  index.CheckLinks();
  index.Save();
}

struct IndexDamage {
  const char* name;
  std::function<void(std::string& data, std::string& table)> damage;
  std::vector<int32_t> kept;  // keys whose records still read back
};

class DamagedIndex : public ReferenceTest, public ::testing::WithParamInterface<IndexDamage> {};

const char* const kNames[] = {"", "Alice", "Bob", "Carol", "Dave", "Eve"};

TEST_P(DamagedIndex, OpensWithoutLoopingAndKeepsWhatCanBeRead) {
  {
    CNameIndex index("names", "/db/");
    for (const char* n : {"Dave", "Bob", "Eve", "Alice", "Carol"}) index.InsertNew(std::make_unique<CName>(n));
    // Keys follow insertion; rename so that key k holds kNames[k].
    for (int32_t k = 1; k <= 5; ++k) {
      static_cast<CName*>(index.Lookup(k))->name = kNames[k];
      index.EditEntry(k, false);
    }
    index.Save();
  }
  std::string data = files.Contents("/db/names.da3");
  std::string table = files.Contents("/db/names.id3");
  GetParam().damage(data, table);
  files.SetContents("/db/names.da3", data);
  files.SetContents("/db/names.id3", table);

  CNameIndex index("names", "/db/");
  index.Open(true);
  for (const int32_t k : GetParam().kept) EXPECT_EQ(index.NameOf(k, 0), kNames[k]) << "key " << k;
  Exercise(index);
  CNameIndex reopened("names", "/db/");
  reopened.Open(true);
  Exercise(reopened);
}

// Entry k's field f (0 offset, 1 parent, 2 left, 3 right, 4 prev, 5 next).
size_t Field(int32_t k, int f) { return static_cast<size_t>(k) * kIndexEntrySize + 4 * f; }

const IndexDamage kDamages[] = {
  IndexDamage{"TreeCycle",
              [](std::string&, std::string& t) {
                const int32_t root = GetInt(t, Field(0, 2));
                PutInt(t, Field(root, 2), root);
                PutInt(t, Field(root, 3), root);
                PutInt(t, Field(root, 5), root);
              },
              {1, 2, 3, 4, 5}},
  IndexDamage{"ThreadCycle",
              [](std::string&, std::string& t) {
                for (int32_t k = 1; k <= 5; ++k) PutInt(t, Field(k, 5), 6 - k);
                PutInt(t, Field(0, 5), 3);
              },
              {1, 2, 3, 4, 5}},
  IndexDamage{"LinksBeyondTheCount",
              [](std::string&, std::string& t) {
                for (int f = 1; f <= 5; ++f) PutInt(t, Field(f, f), 100000 + f);
                PutInt(t, Field(0, 2), 70000);
                PutInt(t, Field(0, 3), 2147483647);
              },
              {1, 2, 3, 4, 5}},
  IndexDamage{"NegativeLinks",
              [](std::string&, std::string& t) {
                for (int32_t k = 0; k <= 5; ++k) {
                  for (int f = 1; f <= 5; ++f) PutInt(t, Field(k, f), -k - f);
                }
              },
              {1, 2, 3, 4, 5}},
  IndexDamage{"OffsetsBeyondTheEnd",
              [](std::string& d, std::string& t) {
                PutInt(t, Field(2, 0), static_cast<int32_t>(d.size()));
                PutInt(t, Field(4, 0), 2147483647);
                PutInt(t, Field(5, 0), -77);
              },
              {1, 3}},
  IndexDamage{"RecordCutShort",
              [](std::string& d, std::string& t) {
                // Key 5 was written last: its record is cut inside its name.
                d.resize(static_cast<size_t>(GetInt(t, Field(5, 0))) + 4);
              },
              {1, 2, 3, 4}},
  IndexDamage{"TableCutInsideAnEntry",
              [](std::string&, std::string& t) { t.resize(4 * kIndexEntrySize + 10); },
              {1, 2, 3}},
  IndexDamage{"TableOfJunk", [](std::string&, std::string& t) { t = Junk(1, 24 * 40 + 7); }, {}},
  IndexDamage{"DataOfJunk", [](std::string& d, std::string&) { d = Junk(2, 3000); }, {}},
  IndexDamage{"BothOfJunk",
              [](std::string& d, std::string& t) {
                d = Junk(3, 5000);
                t = Junk(4, 24 * 300);
              },
              {}},
  IndexDamage{"EmptyFiles",
              [](std::string& d, std::string& t) {
                d.clear();
                t.clear();
              },
              {}}};

std::string DamageName(const ::testing::TestParamInfo<IndexDamage>& param) { return param.param.name; }

INSTANTIATE_TEST_SUITE_P(Damages, DamagedIndex, ::testing::ValuesIn(kDamages), DamageName);

// Every file name the reference database opens, filled with junk of a few sizes: the index
// pairs, the older pairs and the backups read when an index is missing, the cross-reference,
// the equivalence files and the external tower data files.
class JunkDatabase : public ReferenceTest, public ::testing::WithParamInterface<unsigned> {
 protected:
  void FillWithJunk(bool withIndexFiles) {
    CloseIndexSet();
    SteeplexXref().Clear();
    files = MemoryFileSystem("/db/");
    unsigned seed = GetParam() * 1000;
    const size_t size = GetParam() % 2 ? 24 * 97 + 5 : 6001;
    for (const char* name : kIndexNames) {
      for (const char* extension : {".da3", ".id3", ".dat", ".idx", ".old", ".odx"}) {
        if (!withIndexFiles && std::string(extension) == ".id3") continue;
        files.SetContents(std::string("/db/") + name + extension, Junk(++seed, size));
      }
    }
    files.SetContents("/db/steeplex.xrf", Junk(++seed, size));
    files.SetContents("/db/club.eq3", Junk(++seed, size));
    files.SetContents("/db/old.eqv", Junk(++seed, size));
    for (const char* name : {"/db/steeplex.sxd", "/db/sxs.sxd", "/db/sxi.sxd", "/db/sxc.sxd",
                             "/db/sxa.sxd", "/db/sxn.sxd", "/db/sxm.sxd"}) {
      files.SetContents(name, Junk(++seed, size));
    }
  }
};

TEST_P(JunkDatabase, EveryFileOfJunkOpensWithoutHangOrCrash) {
  for (const bool withIndexFiles : {true, false}) {
    FillWithJunk(withIndexFiles);
    OpenIndexSet("/db/");
    for (const char* name : kIndexNames) Exercise(*IndexByName(name));
    CEquivalences equivalences;
    equivalences.LoadEquivalences("club.tv3");
    for (const auto& [from, to] : equivalences.CountedAs()) equivalences.EquivalentKeys(to);
    equivalences.LoadEquivalences("old.tv3");
    EXPECT_FALSE(equivalences.Empty());
    ImportSteeplexFiles("/db/steeplex.sxd");
    UntiedSteeplexRecords();
    SaveAllIndexes();
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet("/db/");
    for (const char* name : kIndexNames) Exercise(*IndexByName(name));
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, JunkDatabase, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
}  // namespace tv

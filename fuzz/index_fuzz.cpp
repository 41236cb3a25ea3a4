// Opening an index pair and walking it. The first byte picks the kind of entry (the index of
// the set that reads the files) and how the bytes arrive: as today's pair, as the older pair
// that is converted on opening, or as the backup an empty index rebuilds itself from. The rest
// is the index file (a part with its length before it) and then the data file.
#include "fuzz/fuzz_support.h"
#include "refdb/index.h"
#include "refdb/index_format.h"
#include "refdb/ind_obj.h"

namespace {

using namespace tv;

// A table with more keys than this went through opening (and any rebuild) and its links were
// checked, but is not walked, compacted and saved, and is kept out of the corpus: one stray
// key in a small file makes a table of up to 65,536 slots, nearly all empty, and each pass over
// them costs as much as a hundred small inputs. The passes are the same code for any size.
constexpr int32_t kWalkedKeys = 4096;

// Every key from 0 to past the end, the sorted thread both ways, and a few typed texts. The
// name of a key with no entry is only asked at the ends of the table.
void Walk(CIndex& index) {
  const int32_t count = index.Count();
  for (int32_t key = 0; key <= count + 1; ++key) {
    if (CIndObj* object = index.Lookup(key)) {
      (void)object->GetName(0);
      (void)object->GetName(1);
      (void)object->GetDetails();
      (void)index.NameOf(key, 0);
    } else if (key <= 1 || key >= count - 1) {
      (void)index.NameOf(key, 0);
    }
  }
  int32_t key = index.First();
  for (int32_t steps = 0; key != 0 && steps <= count; ++steps) key = index.StepForward(key, 1);
  key = index.Last();
  for (int32_t steps = 0; key != 0 && steps <= count; ++steps) key = index.StepBack(key, 1);
  for (const char* text : {"", "A", "Smith", "St Mary", "zzz", "12", "(3)", "\xff"}) {
    (void)index.FindEntry(text, 0);
    (void)index.FindEntry(text, 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return -1;
  fuzz::Input input(data, size);
  const uint8_t choice = input.Byte();
  const char* name = kIndexNames[choice % kIndexCount];
  const int form = (choice / kIndexCount) % 3;
  const std::string table = input.Part();
  const std::string records = input.Rest();

  fuzz::Session session;
  const std::string base = std::string("/db/") + name;
  if (form == 0) {
    session.files.SetContents(base + kIndexExtension, table);
    session.files.SetContents(base + kDataExtension, records);
  } else if (form == 1) {
    session.files.SetContents(base + kOldIndexExtension, table);
    session.files.SetContents(base + kOldDataExtension, records);
  } else {
    session.files.SetContents(base + kBackupDataExtension, records);
  }

  OpenIndexSet("/db/");
  CIndex* index = IndexByName(name);
  if (!index) fuzz::Fail("an index of the set has no name");
  if (index->Count() > kWalkedKeys) {
    index->CheckLinks();
    return -1;
  }
  Walk(*index);
  index->CheckLinks();
  Walk(*index);
  index->Compact();
  index->MarkDirty(index->First());
  index->Save();
  SaveAllIndexes();
  CloseIndexSet();

  // What was saved opens and walks again.
  OpenIndexSet("/db/");
  Walk(*IndexByName(name));
  return 0;
}

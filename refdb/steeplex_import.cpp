// The Steeplex menu: importing the external tower files, and collating their records with our
// towers one chooser question at a time.
#include <algorithm>
#include <utility>

#include "core/archive.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr int kProgressEvery = 101;
constexpr int32_t kMaxRecordKey = 0xFFFF;

// Reads one string file into string index n: field k becomes entry k.
int ImportStrings(int n, const std::string& path) {
  auto file = Files().Open(path, OpenMode::Read);
  if (!file) return 0;
  CStrIndex& index = SteeplexStrings(n);
  int32_t k = 0;
  try {
    const uint64_t length = file->Length();
    while (file->Position() < length) {
      auto entry = std::make_unique<CSXdata>();
      entry->ReadText(*file);
      // A trailing line end leaves one empty field at the very end: it is no string.
      if (entry->name.empty() && file->Position() >= length) break;
      index.AddWithKey(std::move(entry), ++k);
    }
  } catch (const FileError&) {
    // The field the end interrupted is dropped.
  }
  index.Save();
  return k;
}

int ImportRecords(const std::string& path) {
  auto file = Files().Open(path, OpenMode::Read);
  if (!file) return 0;
  CSteeplexIndex& index = SteeplexIndex();
  int records = 0;
  {
    const uint64_t length = file->Length();
    ProgressScope progress("Import Steeplex Data", length);
    Archive in(*file, Archive::Mode::Load);
    try {
      while (!in.AtEnd()) {
        auto record = std::make_unique<CSteeplex>();
        record->ReadRecord(in);
        ++records;
        if (records % kProgressEvery == 0) progress.Step(in.Position(), record->location);
        // Record keys are 16 bits everywhere they are used; a larger one is damage.
        const int32_t key = record->key;
        if (key > 0 && key <= kMaxRecordKey) index.AddWithKey(std::move(record), key);
      }
    } catch (const FileError& error) {
      if (error.Cause() != FileErrorCause::EndOfFile) throw;
    }
  }
  index.Save();
  return records;
}

// A collation in progress: the position reached and the record being asked about.
struct Collation {
  int32_t position = kCollateKeys;
  int32_t asking = 0;
  bool pending = false;
  bool stepping = false;
};

Collation& TheCollation() {
  static Collation collation;
  return collation;
}

enum class Tie { NoRecord, Tied, Untied, Stale };

// How record k stands: missing, tied to a tower that carries its key, untied, or named in the
// cross-reference by a tower that is gone or carries another key.
Tie TieOf(int32_t k) {
  if (!SteeplexRecord(k)) return Tie::NoRecord;
  const int32_t tied = TowerOf(k);
  if (tied == 0) return Tie::Untied;
  CTowerIndex& towers = TowerIndex();
  const CIndObj* object = towers.Entry(tied).offset != 0 ? towers.Lookup(tied) : nullptr;
  const auto* tower = dynamic_cast<const CTower*>(object);
  return (tower && tower->steeplexKey == k) ? Tie::Tied : Tie::Stale;
}

void CollateStep() {
  Collation& c = TheCollation();
  // A chooser that answers at once calls back in here; the loop below carries on instead.
  if (c.stepping) return;
  c.stepping = true;
  while (!c.pending && c.position < kCollateKeys) {
    const int32_t k = CollateKey(++c.position);
    const Tie tie = TieOf(k);
    if (tie == Tie::Stale) LinkSteeplex(k, 0);
    if (tie != Tie::Untied) continue;
    CSteeplex* record = SteeplexRecord(k);
    c.asking = k;
    c.pending = true;
    ThePlatform().StartChooser({.chooser = 2,
                                .target = record,
                                .index = &TowerIndex(),
                                .text = record->location,
                                .title = record->GetName(0)});
  }
  c.stepping = false;
}

}  // namespace

void CSteeplex::OnChosen(int32_t chosen) {
  Collation& c = TheCollation();
  if (!c.pending || c.asking != key) return;
  c.pending = false;
  if (chosen == 0) {
    c.position = kCollateKeys;
    return;
  }
  LinkSteeplex(key, chosen);
  CollateStep();
}

int32_t CollateKey(int32_t position) {
  int32_t k = 0;
  for (int bit = 0; bit < 14; ++bit) {
    if (position & (1 << bit)) k |= 1 << (13 - bit);
  }
  return k;
}

void CollateSteeplex() {
  CWait wait;
  OpenIndexSet();
  Collation& c = TheCollation();
  c = Collation{};
  c.position = 0;
  CollateStep();
}

std::vector<int32_t> UntiedSteeplexRecords() {
  // Only the keys the index holds can be untied, so they are gathered and put in collate
  // order (the bit reversal is its own inverse, so a key's position is CollateKey(key)) rather
  // than visiting every position.
  const int32_t end = std::min(SteeplexIndex().Count(), kCollateKeys);
  std::vector<std::pair<int32_t, int32_t>> found;  // position, key
  for (int32_t k = 1; k < end; ++k) {
    const Tie tie = TieOf(k);
    if (tie == Tie::Untied || tie == Tie::Stale) found.emplace_back(CollateKey(k), k);
  }
  std::sort(found.begin(), found.end());
  std::vector<int32_t> keys;
  keys.reserve(found.size());
  for (const auto& [position, k] : found) keys.push_back(k);
  return keys;
}

SteeplexImportCounts ImportSteeplexFiles(const std::string& mainPath) {
  CWait wait;
  OpenIndexSet();
  SteeplexImportCounts counts;
  const std::string directory = PathDirectory(mainPath);
  for (int n = 0; n < kSteeplexStringCount; ++n) {
    const std::string name = std::string("sx") + kSteeplexStringLetters[n] + ".sxd";
    counts.strings[n] = ImportStrings(n, JoinPath(directory, name));
  }
  counts.records = ImportRecords(mainPath);
  return counts;
}

void ImportSteeplexCommand() {
  const auto path = ThePlatform().PromptOpenFile({.title = "Import Steeplex Data",
                                                  .defaultName = "steeplex.sxd",
                                                  .defaultExtension = "sxd",
                                                  .filter = "(*.sxd) | *.sxd | (*.*) | *.* || ",
                                                  .overwritePrompt = false});
  if (!path) return;
  ImportSteeplexFiles(*path);
}

}  // namespace tv

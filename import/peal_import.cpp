// The import read loop with its merge by date and sequence, the registry of import formats,
// and the File > Import commands.
#include "import/peal_import.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/services.h"
#include "core/sgml_file.h"
#include "core/text.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/assoc.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

const std::array<ImportFormat, 6> kFormats = {{
    {"old-sgml", ImportKind::OldSgml, "Old SGML (KRT)", "1997.pea", "pea",
     "Peal Files (*.pea)|*.pea||", MakeOldSgmlParser, FirstOldSgmlDate},
    {"new-sgml", ImportKind::NewSgml, "New SGML (VLMS)", "1997.sgm", "sgm",
     "Peal Files (*.sgm)|*.sgm||", MakeNewSgmlParser, FirstNewSgmlDate},
    {"marwick", ImportKind::Marwick, "Marwick", "all.mpf", "mpf", "Marwick Files (*.mpf)|*.mpf||",
     MakeMarwickParser, nullptr},
    {"logwright", ImportKind::Logwright, "Logwright", "peals.plf", "plf",
     "Logwright Files (*.plf)|*.plf||", MakeLogwrightParser, nullptr},
    {"check-sgml", ImportKind::CheckSgml, "Check SGML", "1997.pea", "pea",
     "Peal Files (*.pea)|*.pea||", MakeCheckSgmlParser, nullptr},
    {"performances", ImportKind::Performances, "Performances (XML)", "performances.xml", "xml",
     "Performances (*.xml)|*.xml|All Files (*.*)|*.*||", MakePerformancesParser, nullptr},
}};

// Empties the unresolved items of the "x" list that stand for a field the peal has now taken
// over (‘l:Little Snoring’ once the tower is known). Emptied entries are dropped on saving.
void ClearUnresolved(CPeal& peal, char letter) {
  const std::string prefix = std::string(1, letter) + ":";
  for (std::string& entry : peal.extras[kExtra]) {
    if (StartsWith(entry, prefix)) entry.clear();
  }
}

bool HasEntries(const std::vector<std::string>& list) {
  return std::any_of(list.begin(), list.end(), [](const std::string& e) { return !e.empty(); });
}

// What the replacement lacks, it takes from the record it replaces: every field left at none
// and every list left empty, so that a record with fewer fields cannot strip the peal.
void Merge(const CPeal& old, CPeal& peal) {
  if (old.tower != 0 && peal.tower == 0) {
    peal.tower = old.tower;
    ClearUnresolved(peal, 'l');
  }
  if (old.tenor != 0 && peal.tenor == 0) {
    peal.tenor = old.tenor;
    peal.handbell = peal.handbell || old.handbell;  // the tenor is a handbell number or pounds
  }
  if (old.composer != 0 && peal.composer == 0) {
    peal.composer = old.composer;
    ClearUnresolved(peal, 'c');
  }
  if (old.arranger != 0 && peal.arranger == 0) peal.arranger = old.arranger;
  if (old.generatedBy != 0 && peal.generatedBy == 0) peal.generatedBy = old.generatedBy;
  if (old.composition != 0 && peal.composition == 0) {
    peal.composition = old.composition;
    ClearUnresolved(peal, 'a');
  }
  if (peal.association == 0) peal.association = old.association;
  if (peal.method == 0) peal.method = old.method;
  if (peal.changes == 0) peal.changes = old.changes;
  if (peal.time == 0) peal.time = old.time;
  if (peal.rwPage == 0) peal.rwPage = old.rwPage;
  const bool ringersTaken = peal.ringers.empty() && !old.ringers.empty();
  if (ringersTaken) peal.ringers = old.ringers;
  if (peal.conductor == 0) peal.conductor = old.conductor;
  for (int list = 0; list < kExtraCount; ++list) {
    auto& mine = peal.extras[static_cast<size_t>(list)];
    const auto& theirs = old.extras[static_cast<size_t>(list)];
    // A position's texts belong to the ringers they were written with.
    if (IsPositionedList(list) && !ringersTaken && !peal.ringers.empty()) continue;
    if (!HasEntries(mine) && HasEntries(theirs)) mine = theirs;
  }
}

// Holds the person and method indexes open while a loop runs, however it ends.
class HeldForUpdate {
 public:
  HeldForUpdate() {
    PersonIndex().OpenForUpdate();
    MethodIndex().OpenForUpdate();
  }
  ~HeldForUpdate() {
    PersonIndex().CloseAfterUpdate();
    MethodIndex().CloseAfterUpdate();
  }
  HeldForUpdate(const HeldForUpdate&) = delete;
  HeldForUpdate& operator=(const HeldForUpdate&) = delete;
};

// The peals of the ledger outside the deleted buffer by each of their Source entries.
std::unordered_map<std::string, uint32_t> PealsBySource(const CTolvaneDoc& doc) {
  std::unordered_map<std::string, uint32_t> peals;
  for (uint32_t n = 1; n <= doc.lastPealNumber; ++n) {
    const CPeal* peal = doc.PealAt(n);
    if (!peal || doc.BufferOf(n) == kDeletedBuffer) continue;
    for (const std::string& source : peal->extras[kSource]) peals.emplace(source, n);
  }
  return peals;
}

// Whether an SGML file holds any tag at all; one that holds none has no record to import.
bool HoldsTag(const std::string& path) {
  auto reader = CSGMLFile::Open(path);
  std::string tag;
  std::string content;
  return reader && reader->ReadTag(tag, content);
}

}  // namespace

std::span<const ImportFormat> ImportFormats() { return kFormats; }

const ImportFormat* FindImportFormat(std::string_view shortName) {
  for (const ImportFormat& format : kFormats) {
    if (format.shortName == shortName) return &format;
  }
  return nullptr;
}

void WriteLog(File* log, std::string_view text) {
  if (log) log->Write(text);
}

void AddUnresolved(CPeal& peal, std::string_view tag, std::string_view content) {
  peal.extras[kExtra].push_back(std::string(tag) + ":" + std::string(content));
}

int AddRingerPosition(CPeal& peal, uint32_t personKey, std::string_view tag,
                      std::string_view content) {
  if (peal.ringers.size() >= static_cast<size_t>(kMaxStoredRingers)) {
    AddUnresolved(peal, tag, content);
    return -1;
  }
  peal.ringers.push_back(personKey);
  return static_cast<int>(peal.ringers.size()) - 1;
}

Date DateKeyDate(std::string_view text) {
  auto part = [text](size_t at, size_t n) {
    return at < text.size() ? ParseDigits(text.substr(at, n)) : 0;
  };
  return MakeDate(part(8, 2), part(5, 2), part(0, 4));
}

ImportCounts ImportPeals(CTolvaneDoc& doc, CPealParser& parser, File* log) {
  OpenIndexSet();
  ImportCounts counts;
  const uint32_t firstNew = doc.lastPealNumber + 1;
  std::vector<std::unique_ptr<CPeal>> replaced;
  {
    CWait wait;
    HeldForUpdate held;
    std::optional<std::unordered_map<std::string, uint32_t>> bySource;
    try {
      for (;;) {
        auto peal = std::make_unique<CPeal>();
        if (!parser.Parse(*peal)) break;
        if (!parser.MakesPeals()) continue;
        const std::string identity = parser.Identity(*peal);
        if (!identity.empty()) {
          if (!bySource) bySource = PealsBySource(doc);
          const auto same = bySource->find(identity);
          const CPeal* old = same != bySource->end() ? doc.PealAt(same->second) : nullptr;
          if (old && doc.BufferOf(same->second) != kDeletedBuffer) {
            const uint32_t number = same->second;
            peal->sequence = old->sequence;
            Merge(*old, *peal);
            ++counts.replaced;
            // A peal in a buffer must keep its place in ledger order: when the date moved, the
            // old record is kept among the deleted peals and the new one joins as a new peal.
            if (old->date == peal->date || doc.BufferOf(number) < 0) {
              replaced.push_back(doc.ReplacePeal(number, std::move(peal)));
            } else {
              doc.MovePeal(number, kDeletedBuffer);
              const uint32_t added = doc.AddPeal(std::move(peal));
              (*bySource)[identity] = added;
              WriteLog(log, std::to_string(added) + "\n");
            }
            continue;
          }
        }
        const uint32_t found = peal->sequence != 0 ? doc.FindDate(peal->date, peal->sequence) : 0;
        const CPeal* old = doc.PealAt(found);
        if (old && old->date == peal->date && old->sequence == peal->sequence) {
          Merge(*old, *peal);
          replaced.push_back(doc.ReplacePeal(found, std::move(peal)));
          ++counts.replaced;
        } else {
          const uint32_t number = doc.AddPeal(std::move(peal));
          ++counts.appended;
          if (bySource && !identity.empty()) (*bySource)[identity] = number;
          WriteLog(log, std::to_string(number) + "\n");
        }
      }
    } catch (const FileError& error) {
      counts.failure = error.what();
      counts.failureCause = error.Cause();
    }
  }
  counts.text = parser.Conversion();
  // A file that gave no peal leaves the ledger as it was (the check makes none by design).
  if (parser.MakesPeals() && counts.appended == 0 && counts.replaced == 0) return counts;
  doc.modified = true;
  if (doc.lastPealNumber >= firstNew) doc.BuildBuffer(firstNew, doc.lastPealNumber, kMainBuffer);
  // The records that were replaced are kept among the deleted peals, where Undelete finds them.
  for (std::unique_ptr<CPeal>& old : replaced) {
    if (old) doc.InsertIntoBuffer(doc.AddPeal(std::move(old)), kDeletedBuffer);
  }
  doc.SetPosition(kMainBuffer, doc.LastOf(kMainBuffer));
  if (doc.views) doc.views->RedrawAll();
  return counts;
}

Status ImportPealFile(CTolvaneDoc& doc, const ImportFormat& format, const std::string& path,
                      ImportCounts* counts) {
  auto file = Files().Open(path, OpenMode::Read);
  if (!file) return Status(StatusCode::NotFound, path + " was not found.");
  if (format.kind == ImportKind::NewSgml) {
    if (Status form = CheckExchangeForm(path); !form.ok()) return form;
  }
  // A file of another kind would become peals without dates and names made of its numbers.
  if (format.firstDate) {
    auto peek = Files().Open(path, OpenMode::Read);
    if (!peek || format.firstDate(std::move(peek)) == 0) {
      if (!HoldsTag(path)) return Status(StatusCode::BadData, "no peals found in " + path);
      return Status(StatusCode::BadData,
                    path + " is not a " + std::string(format.command) +
                        " peal file: its first record has no date key. Nothing was imported.");
    }
  }
  const std::string logPath = Files().CurrentDirectory() + kImportLogName;
  std::unique_ptr<File> log = Files().Open(logPath, OpenMode::Create);
  OpenIndexSet();
  auto parser = format.makeParser(std::move(file), log.get());
  ImportCounts done = ImportPeals(doc, *parser, log.get());
  if (log && done.failure.empty()) {
    try {
      log->Flush();
    } catch (const FileError& error) {
      done.failure = error.what();
    }
  }
  if (counts) *counts = done;
  if (!done.failure.empty()) {
    const bool badFormat = done.failureCause == FileErrorCause::BadFormat;
    return Status(badFormat ? StatusCode::BadData : StatusCode::IoError, done.failure);
  }
  // A file with no record in it is not a peal file of this kind: saying so beats a silent
  // "added 0". The ledger is left as it was.
  if (parser->MakesPeals() && done.appended == 0 && done.replaced == 0) {
    return Status(StatusCode::BadData, "no peals found in " + path);
  }
  return Status::Ok();
}

Status ImportPerformancesXml(CTolvaneDoc& doc, const std::string& path, ImportCounts* counts) {
  return ImportPealFile(doc, kFormats[static_cast<size_t>(ImportKind::Performances)], path,
                        counts);
}

void ImportCommand(CTolvaneDoc& doc, ImportKind kind) {
  const ImportFormat& format = kFormats[static_cast<size_t>(kind)];
  const auto path = ThePlatform().PromptOpenFile({.title = std::string(format.command),
                                                  .defaultName = std::string(format.defaultName),
                                                  .defaultExtension = std::string(format.extension),
                                                  .filter = std::string(format.filter),
                                                  .directory = doc.defaultDirectory,
                                                  .overwritePrompt = false});
  if (!path) return;
  const IndexGrowth before = IndexHighKeys();
  ImportCounts counts;
  const Status status = ImportPealFile(doc, format, *path, &counts);
  if (status.code() == StatusCode::NotFound || status.code() == StatusCode::BadData) {
    if (counts.appended == 0 && counts.replaced == 0) {
      ThePlatform().Message(status.message());
      return;
    }
  }
  if (kind == ImportKind::CheckSgml) {
    // A check makes no peals: what it found is in the log.
    ThePlatform().Message("Checked " + PathFileName(*path) + ": the findings are in " +
                          kImportLogName + ".");
    return;
  }
  const IndexGrowth after = IndexHighKeys();
  const IndexGrowth added{.associations = after.associations - before.associations,
                          .towers = after.towers - before.towers,
                          .methods = after.methods - before.methods,
                          .persons = after.persons - before.persons,
                          .compositions = after.compositions - before.compositions};
  ThePlatform().Message(ImportSummary(*path, counts, added, status));
}

IndexGrowth IndexHighKeys() {
  // Keys are handed out above the highest in use, so the growth of the highest key counts the
  // entries an import made.
  return {.associations = AssocIndex().Entry(0).right,
          .towers = TowerIndex().Entry(0).right,
          .methods = MethodIndex().Entry(0).right,
          .persons = PersonIndex().Entry(0).right,
          .compositions = CompIndex().Entry(0).right};
}

std::string ImportSummary(const std::string& path, const ImportCounts& counts,
                          const IndexGrowth& added, const Status& status) {
  const auto count = [](int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string text = "Imported from " + PathFileName(path) + ": " +
                     count(counts.appended, "new peal", "new peals") + ", " +
                     std::to_string(counts.replaced) + " replaced";
  std::vector<std::string> entries;
  const std::pair<int32_t, std::pair<const char*, const char*>> kinds[] = {
      {added.associations, {"association", "associations"}},
      {added.towers, {"tower", "towers"}},
      {added.methods, {"method", "methods"}},
      {added.persons, {"person", "persons"}},
      {added.compositions, {"composition", "compositions"}}};
  for (const auto& [n, names] : kinds) {
    if (n > 0) entries.push_back(count(n, names.first, names.second));
  }
  text += entries.empty() ? "; no new index entries." : "; new index entries: ";
  for (size_t i = 0; i < entries.size(); ++i) {
    text += entries[i] + (i + 1 < entries.size() ? ", " : ".");
  }
  if (!status.ok()) text += " The import stopped early: " + status.message();
  return text;
}

}  // namespace tv

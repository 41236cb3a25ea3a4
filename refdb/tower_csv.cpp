// The public tower database's CSV into the external tower indexes.
#include "refdb/tower_csv.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/csv_reader.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"
#include "refdb/tagged_record.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr int32_t kMaxCsvKey = kCollateKeys - 1;
constexpr int32_t kMaxStringKey = 0xFFFF;  // records hold string keys in 16 bits
constexpr size_t kMaxProblems = 20;
constexpr uint32_t kProgressEvery = 101;
constexpr const char* kTitle = "Import Tower CSV";

// A whole number, blanks around it allowed; false for anything else and for a value above
// `max` (so a huge number never wraps onto a small one).
bool ReadNumber(std::string_view text, uint64_t max, uint64_t& value) {
  const std::string digits = Trimmed(text);
  if (digits.empty() || digits.size() > 19) return false;
  value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value <= max;
}

// Where each column used stands in a row; -1 for a column the header lacks.
struct Columns {
  int towerBase = -1, towerId = -1, ringType = -1, place = -1, place2 = -1, county = -1,
      dedication = -1, altName = -1, affiliations = -1, practice = -1, latitude = -1,
      longitude = -1, bells = -1, weight = -1, grid = -1;
  size_t count = 0;

  explicit Columns(const std::vector<std::string>& header) : count(header.size()) {
    const std::pair<const char*, int Columns::*> names[] = {
        {"TowerBase", &Columns::towerBase}, {"TowerID", &Columns::towerId},
        {"RingType", &Columns::ringType},   {"Place", &Columns::place},
        {"Place2", &Columns::place2},       {"County", &Columns::county},
        {"Dedicn", &Columns::dedication},   {"AltName", &Columns::altName},
        {"Affiliations", &Columns::affiliations}, {"Practice", &Columns::practice},
        {"Lat", &Columns::latitude},        {"Long", &Columns::longitude},
        {"Bells", &Columns::bells},         {"Wt", &Columns::weight},
        {"NG", &Columns::grid}};
    for (size_t i = 0; i < header.size(); ++i) {
      const std::string name = Trimmed(header[i]);
      for (const auto& [word, member] : names) {
        if (this->*member < 0 && EqualsNoCase(name, word)) this->*member = static_cast<int>(i);
      }
    }
  }
};

// The keys of one string index by text, gathered from the index on first use; a new text is
// added under the next free key.
class CStringKeys {
 public:
  explicit CStringKeys(int n) : m_n(n) {}

  // The key of `text`, added when new; 0 for the empty text, and when the index is full.
  uint16_t KeyOf(const std::string& text, TowerCsvSummary& summary) {
    if (text.empty()) return 0;
    CStrIndex& index = SteeplexStrings(m_n);
    if (!m_loaded) Load(index);
    if (const auto found = m_keys.find(text); found != m_keys.end()) {
      return static_cast<uint16_t>(found->second);
    }
    if (m_next > kMaxStringKey) {
      if (!m_fullNoted) {
        m_fullNoted = true;
        summary.problems.push_back(std::string("the string index sx") + kSteeplexStringLetters[m_n] +
                                   " is full; further texts are left out");
      }
      return 0;
    }
    auto entry = std::make_unique<CSXdata>();
    entry->name = text;
    entry->abbreviation = CapitalLetters(text);
    // An empty short form would read back as "?", and the entry would no longer sort where the
    // tree says it stands.
    if (entry->abbreviation.empty()) entry->abbreviation = "?";
    const int32_t key = m_next++;
    index.AddWithKey(std::move(entry), key);
    m_keys.emplace(text, key);
    ++summary.stringsAdded;
    return static_cast<uint16_t>(key);
  }

 private:
  void Load(CStrIndex& index) {
    m_loaded = true;
    for (int32_t k = 1; k < index.Count(); ++k) {
      if (index.Entry(k).offset == 0) continue;
      if (const CIndObj* entry = index.Lookup(k)) m_keys.emplace(entry->GetName(0), k);
    }
    m_next = std::max<int32_t>(index.Count(), 1);
  }

  int m_n;
  bool m_loaded = false;
  bool m_fullNoted = false;
  int32_t m_next = 1;
  std::unordered_map<std::string, int32_t> m_keys;
};

class CTowerCsvImport {
 public:
  CTowerCsvImport(const std::string& path, TowerCsvSummary& summary)
      : m_path(path), m_summary(summary) {}

  Status Run(std::string_view text) {
    CCsvReader reader(text);
    std::vector<std::string> row;
    if (!reader.Next(row)) return BadHeader();
    const Columns columns(row);
    if (columns.towerBase < 0 || columns.place < 0) return BadHeader();

    CWait wait;
    ProgressScope progress(kTitle, text.size());
    std::string firstDamage;
    while (reader.Next(row)) {
      ++m_summary.rows;
      std::string problem = reader.Problem();
      if (problem.empty() && row.size() != columns.count) {
        problem = std::to_string(row.size()) + " fields where the header has " +
                  std::to_string(columns.count);
      }
      if (!problem.empty()) {
        ++m_summary.damaged;
        Note(reader.Line(), problem + "; the row is skipped");
        if (firstDamage.empty()) firstDamage = "line " + std::to_string(reader.Line()) + ": " + problem;
        continue;
      }
      const std::string location = ImportRow(columns, row, reader.Line());
      if (m_summary.rows % kProgressEvery == 0) progress.Step(reader.Position(), location);
    }
    SteeplexIndex().Save();
    for (int n = 0; n < kSteeplexStringCount; ++n) SteeplexStrings(n).Save();
    if (m_summary.damaged > 0) {
      return {StatusCode::PartialRead, m_path + ": " + std::to_string(m_summary.damaged) +
                                           " damaged rows were skipped; the first at " + firstDamage};
    }
    return Status::Ok();
  }

 private:
  Status BadHeader() const {
    return {StatusCode::BadData, m_path + " has no header row with the TowerBase and Place "
                                          "columns of the tower database; nothing was imported."};
  }

  void Note(size_t line, const std::string& text) {
    if (m_summary.problems.size() < kMaxProblems) {
      m_summary.problems.push_back("line " + std::to_string(line) + ": " + text);
    }
  }

  // The Windows-1252 text of a column, trimmed and kept to what a record can hold; empty for
  // a column the header lacks.
  std::string Field(const std::vector<std::string>& row, int column) {
    if (column < 0) return {};
    std::string text = Trimmed(Utf8ToWin1252(row[static_cast<size_t>(column)], &m_summary.text));
    if (text.size() > kMaxRecordText) text.resize(kMaxRecordText);
    return text;
  }

  // Imports one sound row; gives its location for the progress display.
  std::string ImportRow(const Columns& c, const std::vector<std::string>& row, size_t line) {
    if (LowerCase(Field(row, c.ringType)).find("carillon") != std::string::npos) {
      ++m_summary.carillons;
      return {};
    }
    uint64_t key = 0;
    const std::string base = Field(row, c.towerBase);
    if (!ReadNumber(base, UINT32_MAX, key) || key == 0) {
      ++m_summary.noNumber;
      return {};
    }
    if (key > static_cast<uint64_t>(kMaxCsvKey)) {
      ++m_summary.outOfRange;
      Note(line, "tower number " + base + " is above " + std::to_string(kMaxCsvKey) +
                     "; the row is skipped");
      return {};
    }
    if (const auto [at, fresh] = m_seen.emplace(key, line); !fresh) {
      ++m_summary.duplicates;
      Note(line, "tower number " + base + " was already used at line " +
                     std::to_string(at->second) + "; the row is skipped");
      return {};
    }

    auto record = std::make_unique<CSteeplex>();
    record->location = Field(row, c.place);
    if (const std::string second = Field(row, c.place2); !second.empty()) {
      record->location += ", " + second;
    }
    if (record->location.size() > kMaxRecordText) record->location.resize(kMaxRecordText);
    record->county = String(kSxCounty, Field(row, c.county));
    record->saint = String(kSxSaint, Field(row, c.dedication));
    record->building = String(kSxBuilding, Field(row, c.altName));
    record->association = String(kSxAssociation, Field(row, c.affiliations));
    record->practice = String(kSxPractice, Field(row, c.practice));
    const std::string latitude = Field(row, c.latitude);
    const std::string longitude = Field(row, c.longitude);
    if (!latitude.empty() && !longitude.empty()) {
      record->map = String(kSxMap, latitude + ", " + longitude);
      int32_t lat = 0;
      int32_t lon = 0;
      if (ParseDegrees(latitude, 90, lat) && ParseDegrees(longitude, 180, lon)) {
        record->hasPosition = true;
        record->latitude = lat;
        record->longitude = lon;
      } else {
        Note(line, "position '" + latitude + ", " + longitude + "' is not read");
      }
    } else if (!latitude.empty() || !longitude.empty()) {
      Note(line, "position has only one of latitude and longitude; it is not read");
    }
    uint64_t value = 0;
    if (const std::string bells = Field(row, c.bells); !bells.empty()) {
      if (ReadNumber(bells, UINT8_MAX, value)) {
        record->bellCount = static_cast<uint8_t>(value);
      } else {
        Note(line, "number of bells '" + bells + "' is not read");
      }
    }
    if (const std::string weight = Field(row, c.weight); !weight.empty()) {
      if (ReadNumber(weight, UINT16_MAX, value)) {
        record->tenorWeight = static_cast<uint16_t>(value);
      } else {
        Note(line, "tenor weight '" + weight + "' is not read");
      }
    }
    if (const std::string grid = Field(row, c.grid); !grid.empty()) {
      const GridRef ref = ParseGridRef(grid);
      if (ref.easting == 0 && ref.northing == 0) {
        Note(line, "grid reference '" + grid + "' is not read");
      }
      record->gridEasting = ref.easting;
      record->gridNorthing = ref.northing;
    }
    if (const std::string id = Field(row, c.towerId); !id.empty()) {
      if (ReadNumber(id, UINT32_MAX, value)) record->towerId = static_cast<uint32_t>(value);
    }

    const auto k = static_cast<int32_t>(key);
    CSteeplexIndex& index = SteeplexIndex();
    if (index.Entry(k).offset != 0) ++m_summary.replaced;
    std::string location = record->location;
    index.AddWithKey(std::move(record), k);
    ++m_summary.imported;
    return location;
  }

  uint16_t String(int n, const std::string& text) {
    return m_strings[static_cast<size_t>(n)].KeyOf(text, m_summary);
  }

  const std::string& m_path;
  TowerCsvSummary& m_summary;
  std::unordered_map<uint64_t, size_t> m_seen;  // tower numbers of this file, by their line
  std::vector<CStringKeys> m_strings = {CStringKeys(0), CStringKeys(1), CStringKeys(2),
                                        CStringKeys(3), CStringKeys(4), CStringKeys(5)};
};

void AddCount(std::string& text, const char* what, uint32_t n) {
  if (n != 0) text += std::string("  ") + what + ": " + std::to_string(n) + "\n";
}

}  // namespace

std::string TowerCsvSummary::Text() const {
  std::string text = "Rows read: " + std::to_string(rows) + "\n";
  text += "Imported: " + std::to_string(imported) + " (" + std::to_string(replaced) +
          " replacing records with the same number)\n";
  text += "Skipped: " + std::to_string(Skipped()) + "\n";
  AddCount(text, "carillons", carillons);
  AddCount(text, "no tower number", noNumber);
  AddCount(text, "tower number out of range", outOfRange);
  AddCount(text, "tower number used twice", duplicates);
  AddCount(text, "damaged rows", damaged);
  text += "New texts: " + std::to_string(stringsAdded) + "\n";
  if (this->text.Changed()) {
    text += "Characters not in the code page: " + std::to_string(this->text.transliterated) +
            " written as near letters, " + std::to_string(this->text.replaced) +
            " as \"?\", " + std::to_string(this->text.invalid) + " bytes not UTF-8\n";
  }
  for (const std::string& problem : problems) text += problem + "\n";
  return text;
}

Status ImportTowerCsv(const std::string& path, TowerCsvSummary& summary) {
  summary = {};
  std::string text;
  if (!Files().ReadAll(path, text)) return {StatusCode::NotFound, path + " was not found."};
  OpenIndexSet();
  return CTowerCsvImport(path, summary).Run(text);
}

void ImportTowerCsvCommand() {
  const auto path = ThePlatform().PromptOpenFile(
      {.title = kTitle,
       .defaultName = "dove.csv",
       .defaultExtension = "csv",
       .filter = "Tower Database (*.csv)|*.csv|All Files (*.*)|*.*||",
       .overwritePrompt = false});
  if (!path) return;
  TowerCsvSummary summary;
  const Status status = ImportTowerCsv(*path, summary);
  if (status.code() == StatusCode::NotFound || status.code() == StatusCode::BadData) {
    ThePlatform().Message(status.message());
    return;
  }
  std::string text = summary.Text();
  if (!status.ok()) text = status.message() + "\n" + text;
  ThePlatform().Message(text);
}

std::unordered_map<uint32_t, int32_t> SteeplexKeysByTowerId() {
  std::unordered_map<uint32_t, int32_t> keys;
  CSteeplexIndex& index = SteeplexIndex();
  for (int32_t k = 1; k < index.Count(); ++k) {
    if (index.Entry(k).offset == 0) continue;
    const auto* record = dynamic_cast<const CSteeplex*>(index.Lookup(k));
    if (record && record->towerId != 0) keys.emplace(record->towerId, k);
  }
  return keys;
}

}  // namespace tv

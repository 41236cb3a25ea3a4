// The performances parser: the central online database's XML, one peal per <performance>.
#include <pugixml.hpp>

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/dates.h"
#include "core/text.h"
#include "import/peal_import.h"
#include "peals/performance_format.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method_parsing.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "refdb/tagged_record.h"
#include "refdb/tower.h"
#include "refdb/tower_csv.h"

namespace tv {
namespace {

namespace pf = performance;

constexpr uint64_t kMaxFileSize = uint64_t{1} << 30;  // a file this size is no export of peals
constexpr uint16_t kMaxTenor = 0x7FFF;                 // a peal keeps its tenor in 15 bits

std::string_view LocalName(const pugi::xml_node& node) {
  const std::string_view name = node.name();
  const size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Every text inside an element, its descendants' included, in document order (a composer given
// as a link still gives its name).
std::string AllText(const pugi::xml_node& node) {
  std::string text;
  std::vector<pugi::xml_node> pending{node};
  while (!pending.empty()) {
    const pugi::xml_node n = pending.back();
    pending.pop_back();
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) text += n.value();
    const size_t mark = pending.size();
    for (const pugi::xml_node& child : n.children()) pending.push_back(child);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
  }
  return text;
}

// A whole number of at most `max`; nothing for any other text.
std::optional<uint32_t> WholeNumber(std::string_view text, uint32_t max) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > max) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// A date written year-month-day; 0 for any other text and for a year before 1601, which the
// day numbers do not reach.
Date IsoDate(std::string_view date) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return 0;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (date[i] < '0' || date[i] > '9') return 0;
  }
  const int year = ParseDigits(date.substr(0, 4));
  if (year < 1601) return 0;
  return MakeDate(ParseDigits(date.substr(8, 2)), ParseDigits(date.substr(5, 2)), year);
}

// Minutes of a duration text ("2h 41", "3h", "45m", "2 hrs 51 mins", "2:41"): hours before
// the first "h", ":" or ".", minutes after it; a text with no such mark is minutes. Nothing
// for a text without digits or beyond what a peal can hold.
std::optional<uint16_t> DurationMinutes(std::string_view text) {
  auto number = [](std::string_view part) -> std::optional<uint64_t> {
    uint64_t value = 0;
    bool any = false;
    for (const char c : part) {
      if (c < '0' || c > '9') continue;
      any = true;
      value = value * 10 + static_cast<uint64_t>(c - '0');
      if (value > 0xFFFF) return uint64_t{0x10000};
    }
    return any ? std::optional<uint64_t>(value) : std::nullopt;
  };
  const size_t mark = text.find_first_of("Hh:.");
  uint64_t minutes = 0;
  if (mark == std::string_view::npos) {
    const auto m = number(text);
    if (!m) return std::nullopt;
    minutes = *m;
  } else {
    const auto h = number(text.substr(0, mark));
    if (!h) return std::nullopt;
    minutes = *h * 60 + number(text.substr(mark + 1)).value_or(0);
  }
  if (minutes == 0 || minutes > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(minutes);
}

class CPerformanceParser : public CPealParser {
 public:
  CPerformanceParser(std::unique_ptr<File> file, File* log)
      : m_file(std::move(file)), m_log(log) {}

  bool Parse(CPeal& peal) override {
    if (!m_loaded) Load();
    if (m_next >= m_performances.size()) return false;
    Fill(peal, m_performances[m_next++]);
    return true;
  }

  std::string Identity(const CPeal& peal) const override {
    for (const std::string& source : peal.extras[kSource]) {
      if (StartsWith(source, pf::kSourcePrefix) && source.size() > pf::kSourcePrefix.size()) {
        return source;
      }
    }
    return {};
  }

  TextConversion Conversion() const override { return m_text; }

 private:
  // What a performance names, gathered before anything is looked up, so that the order of
  // its elements does not matter.
  struct Ringer {
    std::string name;
    std::string bell;
    bool conductor = false;
  };
  struct Held {
    std::string association, date, duration, changes, method, details, composer;
    std::string place, county, dedication;
    std::string towerBase, doveTower, doveRing;
    std::string ringType, tenor;
    std::vector<Ringer> ringers;
  };

  [[noreturn]] void Fail(const std::string& why) const {
    throw FileError(FileErrorCause::BadFormat, m_file->Path(), m_file->Path() + why);
  }

  void Load() {
    m_loaded = true;
    const uint64_t length = m_file->Length();
    if (length > kMaxFileSize) Fail(" is too large to be a performances file.");
    std::string bytes(static_cast<size_t>(length), '\0');
    m_file->ReadExactly(bytes.data(), bytes.size());
    const pugi::xml_parse_result parsed = m_document.load_buffer(
        bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed) {
      size_t line = 1;
      const auto end = static_cast<size_t>(std::max<ptrdiff_t>(0, parsed.offset));
      for (size_t i = 0; i < end && i < bytes.size(); ++i) line += bytes[i] == '\n' ? 1 : 0;
      Fail(" line " + std::to_string(line) + ": not well-formed XML (" + parsed.description() +
           "); no performance was read.");
    }
    const pugi::xml_node root = m_document.document_element();
    std::vector<pugi::xml_node> pending{root};
    while (!pending.empty()) {
      const pugi::xml_node node = pending.back();
      pending.pop_back();
      if (LocalName(node) == pf::kPerformance) {
        m_performances.push_back(node);
        continue;
      }
      const size_t mark = pending.size();
      for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) pending.push_back(child);
      }
      std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
    }
  }

  // Windows-1252 text with every run of blanks and line breaks made one blank, trimmed, and
  // kept to what a record can hold (a note in the log says when a text was cut).
  std::string Text(std::string_view utf8) {
    std::string text = OneLineText(Utf8ToWin1252(utf8, &m_text));
    if (text.size() > kMaxRecordText) {
      text.resize(kMaxRecordText);
      WriteLog(m_log, " (a text was cut to " + std::to_string(kMaxRecordText) + " characters) ");
    }
    return text;
  }
  std::string Text(const pugi::xml_node& node) { return Text(AllText(node)); }
  std::string Attribute(const pugi::xml_node& node, const char* name) {
    return Text(std::string_view(node.attribute(name).value()));
  }

  void Gather(CPeal& peal, const pugi::xml_node& performance, Held& held) {
    for (const pugi::xml_node& child : performance.children()) {
      if (child.type() != pugi::node_element) continue;
      const std::string_view name = LocalName(child);
      if (name == "association") {
        held.association = Text(child);
      } else if (name == "place") {
        GatherPlace(peal, child, held);
      } else if (name == "date") {
        held.date = Text(child);
      } else if (name == "duration") {
        held.duration = Text(child);
      } else if (name == "title") {
        for (const pugi::xml_node& part : child.children()) {
          if (part.type() != pugi::node_element) continue;
          if (LocalName(part) == "changes") {
            held.changes = Text(part);
          } else if (LocalName(part) == "method") {
            held.method = Text(part);
          } else {
            Unknown(peal, part);
          }
        }
      } else if (name == "details") {
        held.details = Text(child);
      } else if (name == "composer") {
        held.composer = Text(child);
      } else if (name == "ringers") {
        for (const pugi::xml_node& ringer : child.children()) {
          if (ringer.type() != pugi::node_element) continue;
          if (LocalName(ringer) != "ringer") {
            Unknown(peal, ringer);
            continue;
          }
          held.ringers.push_back({.name = Text(ringer),
                                  .bell = Attribute(ringer, "bell"),
                                  .conductor = ringer.attribute("conductor").as_bool()});
        }
      } else if (name == "footnote") {
        if (std::string text = Text(child); !text.empty()) {
          peal.extras[kFootnote].push_back(std::move(text));
        }
      } else if (name == "flag") {
        std::string flag = Attribute(child, "type");
        if (const std::string text = Text(child); !text.empty()) flag += " " + text;
        AddUnresolved(peal, pf::kTagFlag, flag);
      } else if (name == "timestamp") {
        AddUnresolved(peal, pf::kTagTimestamp, Text(child));
      } else if (name == "source") {
        AddUnresolved(peal, pf::kTagSource,
                      Attribute(child, "site") + " " + Attribute(child, "ref"));
      } else {
        Unknown(peal, child);
      }
    }
  }

  void GatherPlace(CPeal& peal, const pugi::xml_node& place, Held& held) {
    held.towerBase = Attribute(place, "towerbase-id");
    held.doveTower = Attribute(place, "dove-tower-id");
    for (const pugi::xml_node& child : place.children()) {
      if (child.type() != pugi::node_element) continue;
      const std::string_view name = LocalName(child);
      if (name == "place-name") {
        const std::string type = Attribute(child, "type");
        if (type == "place") {
          held.place = Text(child);
        } else if (type == "dedication") {
          held.dedication = Text(child);
        } else if (type == "county") {
          held.county = Text(child);
        } else {
          AddUnresolved(peal, "place-name " + type, Text(child));
        }
      } else if (name == "ring") {
        held.ringType = Attribute(child, "type");
        held.tenor = Attribute(child, "tenor");
        held.doveRing = Attribute(child, "dove-ring-id");
      } else {
        Unknown(peal, child);
      }
    }
  }

  // An element with no field of its own: kept in the "x" list as its name and text.
  void Unknown(CPeal& peal, const pugi::xml_node& node) {
    AddUnresolved(peal, Text(std::string_view(node.name())), Text(node));
  }

  void Fill(CPeal& peal, const pugi::xml_node& performance) {
    if (const std::string id = Attribute(performance, "id"); !id.empty()) {
      peal.extras[kSource].push_back(std::string(pf::kSourcePrefix) + id);
      WriteLog(m_log, id + " ");
    }
    Held held;
    Gather(peal, performance, held);

    if (!held.association.empty()) {
      peal.association = FindOrAddAssoc(held.association, m_log);
      if (peal.association == 0) AddUnresolved(peal, "association", held.association);
    }
    if (!held.date.empty()) {
      peal.date = IsoDate(held.date);
      if (peal.date == 0) AddUnresolved(peal, pf::kTagDate, held.date);
    }
    if (!held.duration.empty()) {
      const auto minutes = DurationMinutes(held.duration);
      peal.time = minutes.value_or(0);
      if (!minutes) AddUnresolved(peal, pf::kTagDuration, held.duration);
    }
    if (!held.changes.empty()) {
      const auto changes = WholeNumber(held.changes, INT32_MAX);
      peal.changes = static_cast<int32_t>(changes.value_or(0));
      if (!changes) AddUnresolved(peal, pf::kTagChanges, held.changes);
    }
    peal.handbell = held.ringType == "hand";
    if (!held.ringType.empty() && held.ringType != "hand" && held.ringType != "tower") {
      AddUnresolved(peal, "ring", held.ringType);
    }
    FillTower(peal, held);
    if (!held.method.empty()) {
      peal.method = static_cast<uint32_t>(FindOrAddByTitle(held.method, m_log));
    }
    FillComposer(peal, held.composer);
    if (!held.details.empty()) {
      // The file carries no composition name or generator: an entry that has them is still
      // the composition it was written from.
      const auto method = static_cast<int32_t>(peal.method);
      const auto composer = static_cast<int32_t>(peal.composer);
      const auto arranger = static_cast<int32_t>(peal.arranger);
      int32_t key = FindCompositionByDetails(peal.changes, method, composer, arranger, held.details);
      if (key == 0) {
        key = FindOrAddComposition(peal.changes, method, composer, arranger, 0, "", held.details);
      }
      peal.composition = static_cast<uint32_t>(key);
    }
    for (const Ringer& ringer : held.ringers) {
      const auto key = static_cast<uint32_t>(FindOrAddPersonByFullName(ringer.name, m_log));
      const int position = AddRingerPosition(peal, key, "ringer", ringer.name);
      if (position < 0) continue;
      if (!ringer.bell.empty() && ringer.bell != peal.BellText(position)) {
        peal.SetPositioned(kBellString, static_cast<size_t>(position), ringer.bell);
      }
      if (!ringer.conductor) continue;
      if (peal.conductor == 0 && key != 0) {
        peal.conductor = key;
      } else {
        AddUnresolved(peal, pf::kTagConductor, ringer.name);
      }
    }
  }

  // "arr. NAME" names the arranger; "NAME arr. OTHER" a composer and an arranger.
  void FillComposer(CPeal& peal, const std::string& text) {
    if (text.empty()) return;
    std::string composer = text;
    std::string arranger;
    const std::string lower = LowerCase(text);
    size_t at = lower.find("arr.");
    while (at != std::string::npos && at != 0 && lower[at - 1] != ' ') {
      at = lower.find("arr.", at + 1);
    }
    if (at != std::string::npos) {
      composer = Trimmed(text.substr(0, at));
      arranger = Trimmed(text.substr(at + 4));
      while (!composer.empty() && composer.back() == ',') {
        composer.pop_back();
        TrimSpaces(composer);
      }
    }
    auto person = [&](const std::string& name, uint32_t& field) {
      if (name.empty()) return;
      field = static_cast<uint32_t>(FindOrAddPersonByFullName(name, m_log));
      if (field == 0) AddUnresolved(peal, "composer", name);
    };
    person(composer, peal.composer);
    person(arranger, peal.arranger);
  }

  // A county text named by a performance, added to the counties when new so that it is not
  // taken for part of the dedication; 0 when the county index has no room for it.
  uint8_t County(const std::string& text) {
    if (text.empty()) return 0;
    if (const uint8_t found = FindCountyByName(text); found != 0) return found;
    auto county = std::make_unique<CCounty>();
    county->name = text;
    county->abbreviation = text;
    CCountyIndex& index = CountyIndex();
    const int32_t key = index.InsertNew(std::move(county));
    if (key > kMaxByteKey) {
      index.Remove(key);
      return 0;
    }
    WriteLog(m_log, " ->" + text + " ");
    return static_cast<uint8_t>(key);
  }

  // The external record a place names: by its tower number, else by the tower database's id.
  // Ids that name none are kept in the "x" list.
  int32_t SteeplexKeyOf(CPeal& peal, const Held& held) {
    int32_t key = 0;
    if (!held.towerBase.empty()) {
      const auto base = WholeNumber(held.towerBase, 0xFFFF);
      if (base && *base != 0 && SteeplexRecord(static_cast<int32_t>(*base))) {
        key = static_cast<int32_t>(*base);
      } else {
        AddUnresolved(peal, pf::kTagTowerBase, held.towerBase);
      }
    }
    if (!held.doveTower.empty()) {
      if (!m_byTowerId) m_byTowerId = SteeplexKeysByTowerId();
      const auto id = WholeNumber(held.doveTower, UINT32_MAX);
      const auto found = id ? m_byTowerId->find(*id) : m_byTowerId->end();
      if (found != m_byTowerId->end() && (key == 0 || key == found->second)) {
        key = found->second;
      } else {
        AddUnresolved(peal, pf::kTagDoveTower, held.doveTower);
      }
    }
    return key;
  }

  void FillTower(CPeal& peal, const Held& held) {
    if (!held.doveRing.empty()) AddUnresolved(peal, pf::kTagDoveRing, held.doveRing);
    uint16_t weight = 0;
    if (!held.tenor.empty()) {
      std::string written;
      if (peal.handbell) {
        weight = pf::HandbellSize(held.tenor);
        written = std::to_string(weight);
      } else {
        weight = ParseWeight(held.tenor);
        written = WeightText(weight);
      }
      if (weight > kMaxTenor) weight = 0;
      // A tenor given in another form ("15 in C") keeps its text, so the export gives it back.
      if (written != held.tenor || weight == 0) AddUnresolved(peal, pf::kTagTenor, held.tenor);
    }
    const int32_t sxKey = SteeplexKeyOf(peal, held);
    int32_t tower = 0;
    if (sxKey != 0) {
      // The external record's texts are the normalised ones; the performance's fill any gap.
      const CSteeplex* record = SteeplexRecord(sxKey);
      auto pick = [](std::string ours, const std::string& theirs) {
        return ours.empty() ? theirs : ours;
      };
      const std::string place = pick(record->location, held.place);
      const std::string county = pick(StringText(kSxCounty, record->county), held.county);
      const std::string dedication = pick(StringText(kSxSaint, record->saint), held.dedication);
      County(county);
      tower = FindOrAddTower(sxKey, place, county, dedication, peal.handbell, weight, peal.date);
    } else if (!held.place.empty()) {
      const bool countyKnown = held.county.empty() || County(held.county) != 0;
      const bool commas = held.place.find(',') != std::string::npos ||
                          held.county.find(',') != std::string::npos;
      if (!countyKnown) AddUnresolved(peal, "county", held.county);
      if (commas || !countyKnown) {
        // The one-text form would split these at their commas.
        tower = FindOrAddTower(0, held.place, countyKnown ? held.county : "", held.dedication,
                               peal.handbell, weight, peal.date);
      } else {
        tower = FindOrAddTowerText(held.place + ", " + held.county + ", " + held.dedication,
                                   peal.handbell, weight, 0, m_log, peal.date);
      }
    }
    peal.tower = static_cast<uint32_t>(tower);
    peal.tenor = std::min<uint16_t>(weight, kMaxTenor);
  }

  std::unique_ptr<File> m_file;
  File* m_log;
  bool m_loaded = false;
  pugi::xml_document m_document;
  std::vector<pugi::xml_node> m_performances;
  size_t m_next = 0;
  TextConversion m_text;
  std::optional<std::unordered_map<uint32_t, int32_t>> m_byTowerId;
};

}  // namespace

std::unique_ptr<CPealParser> MakePerformancesParser(std::unique_ptr<File> file, File* log) {
  return std::make_unique<CPerformanceParser>(std::move(file), log);
}

}  // namespace tv

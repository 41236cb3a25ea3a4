// The SGML parser of the new dialect (the Full form we write), and the check that refuses the
// Short and Keys forms, which are not for importing.
#include <cstdlib>
#include <set>
#include <vector>

#include "core/sgml_file.h"
#include "core/text.h"
#include "import/peal_import.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method_parsing.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

#include "import/sgml_parsing.h"

namespace tv {
namespace {

using namespace sgml_parsing;

// ---- new dialect -----------------------------------------------------------------------------

class CNewSgmlParser : public CSgmlParser {
 public:
  using CSgmlParser::CSgmlParser;

  bool Parse(CPeal& peal) override {
    std::string tag;
    std::string content;
    // Each record opens with its date key; tags before the first one belong to no record.
    do {
      if (!Read(tag, content)) return false;
    } while (tag != "k");
    WriteLog(m_log, content + " ");
    peal.date = DateKeyDate(content);
    if (const size_t slash = content.find('/'); slash != std::string::npos) {
      SetSequence(peal, tag, content, ParseDigits(std::string_view(content).substr(slash)));
    }
    Held held;
    int position = -1;  // the ringer position the "r" tags that follow belong to
    while (Read(tag, content)) {
      if (tag == "k") {
        PushBack();
        break;
      }
      if (tag != "rt" && tag != "ra") SettleRinger(peal, held);
      Handle(peal, held, position, tag, content);
    }
    SettleRinger(peal, held);
    Finish(peal, held);
    return true;
  }

 private:
  // An "<rt>" (prefix) or "<ra>" (suffix) read after a ringer's name.
  struct Title {
    bool suffix = false;
    std::string text;
  };
  // Where such a text can stand, in the order the output writes them.
  enum TitleSlot { kOwnPrefix, kOwnSuffix, kPositionPrefix, kPositionSuffix, kNoSlot };
  using Reading = std::vector<int>;  // a slot for each title, in order

  // What is resolved only at the end of the record.
  struct Held {
    bool tower = false;
    std::string place, county, dedication;
    int32_t steeplexKey = 0;
    bool method = false;
    std::string name, classWords, stage;
    int32_t count = 0;
    std::string compositionDetails, compositionName;
    // A ringer's name waits for the "<rt>" and "<ra>" after it: they may be the person's own
    // prefix and suffix (written first) or the position's.
    bool ringerPending = false;
    int ringerPosition = -1;
    std::string ringerName;
    std::vector<Title> titles;  // in the order read
  };

  // Resolves the ringer whose tags have all been read. The SGML output writes a person's own
  // prefix and suffix, then the position's prefix and suffix, so the order of the tags tells
  // whose each one is wherever only one reading fits (‘<ra>Sr<rt>Revd’: the suffix is the
  // person's, the prefix the position's; ‘<rt>Revd<rt>Revd’: one each). The person is then the
  // one with exactly those own texts, added when there is none. Where several readings fit
  // (‘<rt>Revd’ alone), an existing person with the most of the texts as their own is taken,
  // else the bare namesake, and what the person does not take is the position's. Texts that fit
  // no reading are kept as unresolved items.
  static void SettleRinger(CPeal& peal, Held& held) {
    if (!held.ringerPending) return;
    held.ringerPending = false;
    const std::string& name = held.ringerName;
    std::vector<Reading> readings;
    Reading current;
    AddReadings(held.titles, 0, kOwnPrefix, current, readings);
    int32_t key = 0;
    Reading chosen;
    if (readings.size() > 1) {
      // The last reading gives every text to the position.
      for (size_t r = 0; r + 1 < readings.size() && key == 0; ++r) {
        key = FindPersonWith(name, OwnText(held.titles, readings[r], kOwnPrefix),
                             OwnText(held.titles, readings[r], kOwnSuffix));
        if (key != 0) chosen = readings[r];
      }
      if (key == 0) {
        chosen = readings.back();
        key = FindPersonWith(name, "", "");
        if (key == 0) key = FindOrAddPerson(name, false, nullptr);
        if (key == 0) key = AddPersonWith(name, "", "", nullptr);
      }
    } else {
      chosen = readings.empty() ? FirstFitReading(held.titles) : readings.front();
      const std::string prefix = OwnText(held.titles, chosen, kOwnPrefix);
      const std::string suffix = OwnText(held.titles, chosen, kOwnSuffix);
      key = FindPersonWith(name, prefix, suffix);
      if (key == 0 && prefix.empty() && suffix.empty()) key = FindOrAddPerson(name, false, nullptr);
      if (key == 0) key = AddPersonWith(name, prefix, suffix, nullptr);
      if (key == 0) {
        // A name the index cannot hold with a prefix or suffix: the texts stay with the peal.
        for (int& slot : chosen) {
          if (slot == kOwnPrefix || slot == kOwnSuffix) slot = kNoSlot;
        }
        key = FindOrAddPerson(name, true, nullptr);
      }
    }
    const auto position = static_cast<size_t>(held.ringerPosition);
    if (held.ringerPosition >= 0) peal.ringers[position] = static_cast<uint32_t>(key);
    for (size_t i = 0; i < held.titles.size(); ++i) {
      const Title& title = held.titles[i];
      const int slot = chosen[i];
      if (slot == kOwnPrefix || slot == kOwnSuffix) continue;
      if (slot == kNoSlot || held.ringerPosition < 0) {
        AddUnresolved(peal, title.suffix ? "ra" : "rt", title.text);
      } else {
        peal.SetPositioned(slot == kPositionSuffix ? kSuffix : kPrefix, position, title.text);
      }
    }
    held.titles.clear();
  }

  // Every way the titles after a name, in their order, can stand in the slots the output writes
  // in this order: own prefix, own suffix, the position's prefix, its suffix. The readings come
  // with the person's own slots first, so the last gives every text to the position.
  static void AddReadings(const std::vector<Title>& titles, size_t i, int from, Reading& current,
                          std::vector<Reading>& readings) {
    if (i == titles.size()) {
      readings.push_back(current);
      return;
    }
    for (int slot = from; slot < kNoSlot; ++slot) {
      if ((slot == kOwnSuffix || slot == kPositionSuffix) != titles[i].suffix) continue;
      current.push_back(slot);
      AddReadings(titles, i + 1, slot + 1, current, readings);
      current.pop_back();
    }
  }

  // For titles that fit no reading (three prefixes, say): each takes the first slot of its kind
  // after the one before it, and the rest none.
  static Reading FirstFitReading(const std::vector<Title>& titles) {
    Reading reading;
    int from = kOwnPrefix;
    for (const Title& title : titles) {
      int slot = from;
      while (slot < kNoSlot && (slot == kOwnSuffix || slot == kPositionSuffix) != title.suffix) ++slot;
      reading.push_back(slot);
      if (slot < kNoSlot) from = slot + 1;
    }
    return reading;
  }

  static std::string OwnText(const std::vector<Title>& titles, const Reading& reading, int slot) {
    for (size_t i = 0; i < titles.size(); ++i) {
      if (reading[i] == slot) return titles[i].text;
    }
    return {};
  }

  void Handle(CPeal& peal, Held& held, int& position, const std::string& tag,
              const std::string& content) {
    auto person = [&content] {
      return static_cast<uint32_t>(FindOrAddPersonByFullName(content, nullptr));
    };
    auto positioned = [&](int list) {
      if (position < 0) return AddUnresolved(peal, tag, content);
      peal.SetPositioned(list, static_cast<size_t>(position), content);
    };
    if (tag == "a") {
      peal.association = FindOrAddAssoc(content, nullptr);
      if (peal.association == 0 && !Trimmed(content).empty()) AddUnresolved(peal, tag, content);
    } else if (tag == "b") {
      peal.conductor = person();
    } else if (tag == "c") {
      peal.composer = person();
    } else if (tag == "ca") {
      peal.arranger = person();
    } else if (tag == "cg") {
      peal.generatedBy = person();
    } else if (tag == "cm") {
      held.compositionDetails = content;
    } else if (tag == "cn") {
      held.compositionName = content;
    } else if (tag == "f") {
      const bool withdrawn = content.find("WITHDRAWN") != std::string::npos;
      peal.extras[withdrawn ? kValidity : kFootnote].push_back(content);
    } else if (tag == "v") {
      peal.extras[kValidity].push_back(content);
    } else if (tag == "h") {
      SetTime(peal, tag, content);
    } else if (tag == "i") {
      peal.handbell = content == "h";
    } else if (tag == "m" || tag == "mc" || tag == "mn" || tag == "ms") {
      held.method = true;
      if (tag == "m") held.name = content;
      if (tag == "mc") held.classWords = content;
      if (tag == "mn") held.count = ParseDigits(content);
      if (tag == "ms") held.stage = content;
    } else if (tag == "n") {
      SetChanges(peal, tag, content);
    } else if (tag == "r") {
      // A name past the last position is kept as an unresolved item by AddRingerPosition.
      position = AddRingerPosition(peal, 0, tag, content);
      held.ringerPending = position >= 0 && !Trimmed(content).empty();
      held.ringerPosition = position;
      held.ringerName = content;
    } else if ((tag == "ra" || tag == "rt") && held.ringerPending) {
      held.titles.push_back({.suffix = tag == "ra", .text = content});
    } else if (tag == "ra") {
      positioned(kSuffix);
    } else if (tag == "rb") {
      positioned(kBellString);
    } else if (tag == "rt") {
      positioned(kPrefix);
    } else if (tag == "rc") {
      if (position < 0) return AddUnresolved(peal, tag, content);
      peal.conductor = peal.ringers[static_cast<size_t>(position)];
    } else if (tag == "s") {
      if (peal.rwPage == 0 && StartsWith(content, "RW")) {
        SetRwPageText(peal, tag, content, std::string_view(content).substr(2));
      } else {
        peal.extras[kSource].push_back(content);
      }
    } else if (tag == "sc") {
      peal.extras[kCorrection].push_back(content);
    } else if (tag == "t" || tag == "tc" || tag == "td" || tag == "tk") {
      held.tower = true;
      if (tag == "t") held.place = content;
      if (tag == "tc") held.county = content;
      if (tag == "td") held.dedication = content;
      if (tag == "tk") held.steeplexKey = ParseDigits(content);
    } else if (tag == "tw") {
      const int32_t tenor = peal.handbell ? ParseDigits(content) : ParseWeight(content);
      if (tenor > kMaxTenor) return AddUnresolved(peal, tag, content);
      peal.tenor = static_cast<uint16_t>(tenor);
    } else if (tag == "x") {
      peal.extras[kExtra].push_back(content);
    } else {
      AddUnresolved(peal, tag, content);
    }
  }

  // A record without tower or method tags names none: resolving empty texts would add an
  // empty entry for every such peal.
  static void Finish(CPeal& peal, const Held& held) {
    if (held.tower && (!held.place.empty() || held.steeplexKey != 0)) {
      peal.tower = static_cast<uint32_t>(FindOrAddTower(held.steeplexKey, held.place, held.county,
                                                        held.dedication, peal.handbell, peal.tenor,
                                                        peal.date));
    }
    if (held.method) {
      peal.method = static_cast<uint32_t>(
          FindOrAddByParts(held.count, held.name, held.classWords, held.stage));
    }
    if (!held.compositionDetails.empty() || !held.compositionName.empty()) {
      peal.composition = static_cast<uint32_t>(FindOrAddComposition(
          peal.changes, static_cast<int32_t>(peal.method), static_cast<int32_t>(peal.composer),
          static_cast<int32_t>(peal.arranger), static_cast<int32_t>(peal.generatedBy),
          held.compositionName, held.compositionDetails));
    }
  }
};

}  // namespace

Date FirstNewSgmlDate(std::unique_ptr<File> file) {
  CSGMLFile sgml(std::move(file));
  std::string tag;
  std::string content;
  // Tags before the first date key (a title) belong to no record, as the parser reads them.
  do {
    if (!sgml.ReadTag(tag, content)) return 0;
  } while (tag != "k");
  return DateKeyDate(content);
}

Status CheckExchangeForm(const std::string& path) {
  auto reader = CSGMLFile::Open(path);
  if (!reader) return Status::Ok();
  // The tags the Short form writes; a Full record of a real peal has others too.
  static const std::set<std::string> kShortTags = {"k",  "s",  "a",  "t",  "tc", "td",
                                                   "tk", "m",  "mn", "mc", "ms"};
  bool anyDateKey = false;
  bool keysTags = false;
  bool onlyShortTags = true;
  bool association = false;
  std::string tag;
  std::string content;
  bool first = true;
  while (reader->ReadTag(tag, content)) {
    if (first && tag == "d") keysTags = true;
    first = false;
    if (tag == "k") anyDateKey = true;
    if (StartsWith(tag, "r:")) keysTags = true;
    if (tag == "a") association = true;
    if (anyDateKey && !kShortTags.contains(tag)) onlyShortTags = false;
  }
  if (!anyDateKey && keysTags) {
    return Status(StatusCode::BadData,
                  path + " is in the SGML Keys form, which holds index keys rather than names "
                         "and cannot be imported; export the peals in the SGML Full form.");
  }
  if (anyDateKey && onlyShortTags && association) {
    return Status(StatusCode::BadData,
                  path + " is in the SGML Short form, which names associations by their short "
                         "form and leaves out most of each peal; importing it would strip the "
                         "peals it replaces. Export the peals in the SGML Full form.");
  }
  return Status::Ok();
}

std::unique_ptr<CPealParser> MakeNewSgmlParser(std::unique_ptr<File> file, File* log) {
  return std::make_unique<CNewSgmlParser>(std::move(file), log);
}

}  // namespace tv

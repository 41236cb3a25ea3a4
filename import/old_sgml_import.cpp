// The SGML parser of the old dialect of ".pea" files, and the tenor check of old-dialect files
// against the external tower data.
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

// ---- old dialect -----------------------------------------------------------------------------

// The number after the at sign of a date key, or 0.
int32_t SteeplexKeyOf(std::string_view content) {
  const size_t at = content.find('@');
  return at == std::string_view::npos ? 0 : (ParseDigits(content.substr(at + 1)) & 0xFFFF);
}

class COldSgmlParser : public CSgmlParser {
 public:
  using CSgmlParser::CSgmlParser;

  bool Parse(CPeal& peal) override {
    std::string tag;
    std::string content;
    if (!Read(tag, content)) return false;
    Held held;
    if (tag == "q") {
      if (content != "A") {
        const bool invalid = content.find('W') != std::string::npos;
        peal.extras[invalid ? kValidity : kExtra].push_back("q:" + content);
      }
      if (Read(tag, content)) {
        if (tag == "p") {
          DateKey(peal, held, tag, content);
        } else {
          // A record without its date key keeps its tags: they are read as the record's own.
          PushBack();
        }
      }
    } else {
      // A record that does not open with its status is undated; its first tag still counts.
      PushBack();
    }
    while (Read(tag, content)) {
      if (tag == "q") {
        PushBack();
        break;
      }
      Handle(peal, held, tag, content);
    }
    if (!held.name.empty() || !held.stage.empty() || !held.extra.empty()) {
      peal.method =
          static_cast<uint32_t>(FindOrAddAbbreviated(held.name, held.stage, held.extra, m_log));
    }
    return true;
  }

 private:
  struct Held {
    int32_t steeplexKey = 0;
    std::string name, stage, extra;
    int positions = 0;  // ringer positions announced by "b" tags
  };

  void DateKey(CPeal& peal, Held& held, const std::string& tag, const std::string& content) {
    WriteLog(m_log, content + " ");
    peal.date = DateKeyDate(content);
    const size_t at = content.find('@');
    std::string_view sequence =
        content.size() > 11 ? std::string_view(content).substr(11) : std::string_view();
    if (at != std::string::npos) {
      held.steeplexKey = SteeplexKeyOf(content);
      sequence = at > 11 ? std::string_view(content).substr(11, at - 11) : std::string_view();
    }
    if (peal.date != 0) SetSequence(peal, tag, content, ParseDigits(sequence));
  }

  void Handle(CPeal& peal, Held& held, const std::string& tag, const std::string& content) {
    if (tag == "@" || tag == "k") {
      held.steeplexKey = ParseDigits(content) & 0xFFFF;
    } else if (tag == "a") {
      held.extra = content;
      AddUnresolved(peal, tag, content);
    } else if (tag == "b") {
      const int position = held.positions++;
      if (position >= kMaxStoredRingers) return AddUnresolved(peal, tag, content);
      if (peal.ringers.size() <= static_cast<size_t>(position))
        peal.ringers.resize(position + 1, 0);
      if (content != peal.BellText(position)) {
        peal.SetPositioned(kBellString, static_cast<size_t>(position), content);
      }
    } else if (tag == "c") {
      const int32_t composer = FindOrAddPerson(content, false, nullptr);
      if (composer == 0) return AddUnresolved(peal, tag, content);
      peal.composer = static_cast<uint32_t>(composer);
    } else if (tag == "f") {
      const bool withdrawn = content.find("WITHDRAWN") != std::string::npos;
      peal.extras[withdrawn ? kValidity : kFootnote].push_back(content);
    } else if (tag == "v") {
      peal.extras[kValidity].push_back(content);
    } else if (tag == "g") {
      peal.association = FindOrAddAssoc(content, m_log);
      if (peal.association == 0 && !Trimmed(content).empty()) AddUnresolved(peal, tag, content);
    } else if (tag == "i") {
      peal.handbell = content == "h";
      if (peal.handbell) peal.tenor = static_cast<uint16_t>(peal.tenor / 112);
    } else if (tag == "l") {
      Tower(peal, held, tag, content);
    } else if (tag == "m") {
      held.name = content;
    } else if (tag == "n") {
      Ringer(peal, held, tag, content);
    } else if (tag == "o") {
      if (content != ShortDateText(peal.date, true)) AddUnresolved(peal, tag, content);
    } else if (tag == "r") {
      SetChanges(peal, tag, content);
    } else if (tag == "s") {
      held.stage = content;
    } else if (tag == "t") {
      SetTime(peal, tag, content);
    } else if (tag == "w") {
      const int64_t tenor = int64_t{ParseDigits(content)} * (peal.handbell ? 1 : 112);
      if (tenor > kMaxTenor) return AddUnresolved(peal, tag, content);
      peal.tenor = static_cast<uint16_t>(tenor);
    } else if (tag == "x") {
      SetRwPageText(peal, tag, content,
                    content.size() > 2 ? std::string_view(content).substr(2) : std::string_view());
    } else {
      AddUnresolved(peal, tag, content);
    }
  }

  void Tower(CPeal& peal, const Held& held, const std::string& tag, const std::string& content) {
    if (Trimmed(content).empty()) return;
    const int32_t tower =
        FindOrAddTowerText(content, peal.handbell, peal.tenor, held.steeplexKey, m_log, peal.date);
    if (tower == 0) return AddUnresolved(peal, tag, content);
    peal.tower = static_cast<uint32_t>(tower);
    if (!peal.handbell && held.steeplexKey < kFirstHighSteeplexKey) {
      const auto* found = dynamic_cast<const CTower*>(TowerIndex().Lookup(tower));
      const int weight = found ? found->WeightAt(peal.date) : 0;
      WriteLog(m_log, std::to_string(std::abs(int{peal.tenor} - weight)) + " ");
    }
  }

  // ‘Smith (Jnr)*’: the ringer of the last announced position, with its suffix, and the
  // conductor when starred.
  void Ringer(CPeal& peal, const Held& held, const std::string& tag, const std::string& content) {
    const int position = held.positions > 0 ? held.positions - 1 : 0;
    if (position >= kMaxStoredRingers) return AddUnresolved(peal, tag, content);
    std::string name = content;
    if (const size_t open = name.find('('); open != std::string::npos) {
      const size_t close = name.rfind(')');
      const size_t end = (close != std::string::npos && close > open) ? close : name.size();
      std::string suffix = name.substr(open + 1, end - open - 1);
      TrimSpaces(suffix);
      if (!suffix.empty()) peal.SetPositioned(kSuffix, static_cast<size_t>(position), suffix);
      name.erase(open, end < name.size() ? end - open + 1 : std::string::npos);
      TrimSpaces(name);
    }
    bool conducted = false;
    if (!name.empty() && name.back() == '*') {
      name.pop_back();
      TrimSpaces(name);
      conducted = true;
    }
    const auto key = static_cast<uint32_t>(FindOrAddPerson(name, true, m_log));
    if (peal.ringers.size() <= static_cast<size_t>(position)) peal.ringers.resize(position + 1, 0);
    peal.ringers[static_cast<size_t>(position)] = key;
    if (conducted) peal.conductor = key;
  }
};

// ---- the tenor check -------------------------------------------------------------------------

class CCheckSgmlParser : public CSgmlParser {
 public:
  using CSgmlParser::CSgmlParser;
  bool MakesPeals() const override { return false; }

  bool Parse(CPeal&) override {
    std::string tag;
    std::string content;
    // A file opens with a record's status tag, before its first date key: the check starts
    // at the first date key instead of stopping there.
    do {
      if (!Read(tag, content)) return false;
    } while (tag != "p");
    WriteLog(m_log, content + " ");
    const int32_t steeplexKey = SteeplexKeyOf(content);
    int64_t tenor = 0;
    while (Read(tag, content)) {
      if (tag == "p") {
        PushBack();
        break;
      }
      if (!tag.empty() && tag[0] == 'w') tenor = int64_t{ParseDigits(content)} * 112;
    }
    if (steeplexKey != 0 && steeplexKey < kFirstHighSteeplexKey) {
      const CSteeplex* record = SteeplexRecord(steeplexKey);
      const int64_t theirs = record ? record->tenorWeight : 0;
      WriteLog(m_log, std::to_string(std::llabs(tenor - theirs)) + " " + std::to_string(tenor) +
                          " " + std::to_string(theirs) + "\n");
    } else {
      WriteLog(m_log, "0 0 0\n");
    }
    return true;
  }
};

}  // namespace

Date FirstOldSgmlDate(std::unique_ptr<File> file) {
  CSGMLFile sgml(std::move(file));
  std::string tag;
  std::string content;
  if (!sgml.ReadTag(tag, content) || tag != "q") return 0;
  if (!sgml.ReadTag(tag, content) || tag != "p") return 0;
  return DateKeyDate(content);
}

std::unique_ptr<CPealParser> MakeOldSgmlParser(std::unique_ptr<File> file, File* log) {
  return std::make_unique<COldSgmlParser>(std::move(file), log);
}

std::unique_ptr<CPealParser> MakeCheckSgmlParser(std::unique_ptr<File> file, File* log) {
  return std::make_unique<CCheckSgmlParser>(std::move(file), log);
}

}  // namespace tv

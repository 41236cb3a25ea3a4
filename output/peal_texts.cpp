// Shared pieces of the printed peal layouts.
#include "output/peal_texts.h"

#include "core/text.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {

const CTower* TowerOf(const CPeal& peal) {
  if (peal.tower == 0) return nullptr;
  return static_cast<const CTower*>(TowerIndex().Lookup(static_cast<int32_t>(peal.tower)));
}

const CMethod* MethodOf(const CPeal& peal) {
  if (peal.method == 0) return nullptr;
  return MethodIndex().Method(static_cast<int32_t>(peal.method));
}

const CAssoc* AssocOf(const CPeal& peal) {
  if (peal.association == 0) return nullptr;
  return static_cast<const CAssoc*>(AssocIndex().Lookup(peal.association));
}

bool HasPersonEntry(uint32_t key) {
  return key != 0 && PersonIndex().Lookup(static_cast<int32_t>(key)) != nullptr;
}

std::string MethodLine(const CPeal& peal, bool keepBracket) {
  const CMethod* method = MethodOf(peal);
  std::string title = method ? method->Title(true, false) : std::string("???");
  if (!keepBracket && !title.empty() && title.back() == ')') {
    const size_t open = title.find('(', 1);
    if (open != std::string::npos) title.resize(open);
  }
  return std::to_string(peal.changes) + " " + title;
}

std::string AssociationText(const CPeal& peal, bool full) {
  const CAssoc* assoc = AssocOf(peal);
  if (!assoc) return {};
  return full ? assoc->name : assoc->abbreviation;
}

std::string PealMethodTitle(const CPeal& peal) {
  const CMethod* method = MethodOf(peal);
  return method ? method->Title(true, false) : std::string();
}

const std::string& ExtraAt(const CPeal& peal, int list, size_t position) {
  static const std::string kNone;
  const auto& entries = peal.extras[static_cast<size_t>(list)];
  return position < entries.size() ? entries[position] : kNone;
}

std::string BellLabel(const CPeal& peal, int position, int numberedAs) {
  const std::string& bells = ExtraAt(peal, kBellString, static_cast<size_t>(position));
  // A bell string given for a later ringer leaves empty entries before it; those ringers keep
  // their bell numbers.
  if (!bells.empty()) return bells;
  return peal.BellText(numberedAs);
}

std::string RingerNamePart(const CPeal& peal, int position) {
  const size_t at = static_cast<size_t>(position);
  std::string text;
  if (const std::string& prefix = ExtraAt(peal, kPrefix, at); !prefix.empty()) text = prefix + " ";
  text += FullNameOf(static_cast<int32_t>(peal.ringers[at]));
  if (const std::string& suffix = ExtraAt(peal, kSuffix, at); !suffix.empty()) {
    text += " (" + suffix + ")";
  }
  return text;
}

std::string RingerLine(const CPeal& peal, int position) {
  const size_t at = static_cast<size_t>(position);
  std::string text = BellLabel(peal, position);
  if (const std::string& prefix = ExtraAt(peal, kPrefix, at); !prefix.empty()) text += " " + prefix;
  text += " " + FullNameOf(static_cast<int32_t>(peal.ringers[at]));
  if (const std::string& suffix = ExtraAt(peal, kSuffix, at); !suffix.empty()) {
    text += " (" + suffix + ")";
  }
  if (RingerIsConductor(peal, position)) text += " (C)";
  return text;
}

bool RingerIsConductor(const CPeal& peal, int position) {
  const uint32_t ringer = peal.ringers[static_cast<size_t>(position)];
  return ringer != 0 && ringer == peal.conductor;
}

bool ConductorRings(const CPeal& peal) {
  for (const uint32_t ringer : peal.ringers) {
    if (ringer != 0 && ringer == peal.conductor) return true;
  }
  return false;
}

std::string TowerListText(const CTower& tower) {
  std::string text = tower.PlaceWithCountyAt(false, 0);
  if (tower.dedication) text += ", " + tower.DedicationNameAt(0, 0);
  return text;
}

std::string PlaceAndCountyLine(const CTower& tower, Date date) {
  const CTower& identity = tower.IdentityAt(date);
  std::string text = UpperCase(identity.place);
  if (identity.county && !identity.hideCounty) {
    const auto* county = static_cast<const CCounty*>(CountyIndex().Lookup(identity.county));
    text += ", " + (county ? county->name : std::string());
  }
  return text;
}

std::string BoardTenorText(const CPeal& peal) {
  if (peal.tenor == 0) return {};
  if (peal.handbell) return "Tenor Size " + std::to_string(peal.tenor);
  return "Tenor " + WeightQuarters(peal.tenor);
}

std::string RoundedTenorText(const CPeal& peal) {
  return peal.handbell ? std::to_string(peal.tenor) : WeightRounded(peal.tenor);
}

std::string BoardChangesLine(const CPeal& peal, const std::string& detail) {
  std::string line = std::to_string(peal.changes) + " Changes";
  if (!detail.empty()) {
    line += " - " + detail;
    // Only a composition has method details to add; a peal without one adds nothing.
    if (peal.composition != 0) {
      const std::string details = CompositionText(static_cast<int32_t>(peal.composition), false);
      if (!details.empty()) line += " - " + details;
    }
  }
  return line;
}

std::string BoardBellText(const CPeal& peal, int position) {
  const std::string label = BellLabel(peal, position);
  if (label == "1") return "Treble";
  if (!peal.handbell && static_cast<size_t>(position) + 1 == peal.ringers.size()) return "Tenor";
  return label;
}

CBoardAuthorLines BoardAuthorLines(const CPeal& peal) {
  CBoardAuthorLines lines;
  std::string pending;
  if (peal.composition != 0) pending = CompositionName(static_cast<int32_t>(peal.composition));
  auto takePending = [&pending] {
    std::string text = " " + pending;
    pending.clear();
    return text;
  };
  if (peal.composer != 0) {
    lines.composer = peal.composer == peal.conductor ? "Composed and Conducted by " : "Composed by ";
    lines.composer += FullNameOf(static_cast<int32_t>(peal.composer));
    if (peal.arranger == 0) lines.composer += takePending();
  }
  if (peal.arranger != 0) {
    lines.arranger = peal.arranger == peal.conductor ? "Arranged and Conducted by " : "Arranged by ";
    lines.arranger += FullNameOf(static_cast<int32_t>(peal.arranger)) + takePending();
  }
  if (peal.generatedBy != 0) {
    lines.generator = "Generated by " + FullNameOf(static_cast<int32_t>(peal.generatedBy)) +
                      takePending();
  }
  if (!pending.empty()) lines.composer = pending;
  return lines;
}

}  // namespace tv

// The SGML forms of a peal.
#include "output/sgml_writer.h"

#include "core/dates.h"
#include "core/escaping.h"
#include "core/text.h"
#include "output/peal_texts.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

// A person as a tag's content: the full name, escaped.
std::string Name(uint32_t person) { return SgmlText(FullNameOf(static_cast<int32_t>(person))); }

// The date key, its sequence, the RW reference; shared by Full and Short.
std::string DateAndReference(const CPeal& peal) {
  std::string text = "<k>" + IsoDateText(peal.date);
  if (peal.sequence != 0) text += "/" + std::to_string(peal.sequence);
  return text;
}

std::string RwReference(const CPeal& peal) {
  if (peal.rwPage == 0) return {};
  return "<s>RW" + std::to_string(peal.RwPageNumber(true));
}

std::string TowerTags(const CPeal& peal) {
  const CTower* tower = TowerOf(peal);
  return tower ? tower->TagTextAt(peal.date) : std::string();
}

std::string MethodTags(const CPeal& peal) {
  const CMethod* method = MethodOf(peal);
  return method ? method->TaggedText() : std::string();
}

}  // namespace

std::string SgmlFull(const CPeal& peal) {
  std::string text = DateAndReference(peal);
  if (peal.handbell) text += "<i>h";
  text += RwReference(peal);
  for (const std::string& source : peal.extras[kSource]) text += "<s>" + SgmlText(source);
  for (const std::string& correction : peal.extras[kCorrection]) text += "<sc>" + SgmlText(correction);
  if (peal.association != 0) text += "<a>" + SgmlText(AssociationText(peal, true));
  text += TowerTags(peal);
  if (peal.tenor != 0) text += "<tw>" + SgmlText(peal.TenorText());
  if (peal.time != 0) text += "<h>" + ShortTime(peal.time);
  if (peal.changes > 0) text += "<n>" + std::to_string(peal.changes);
  text += MethodTags(peal);
  if (peal.composer != 0) text += "<c>" + Name(peal.composer);
  if (peal.arranger != 0) text += "<ca>" + Name(peal.arranger);
  if (peal.generatedBy != 0) text += "<cg>" + Name(peal.generatedBy);
  if (peal.composition != 0) text += CompositionTags(static_cast<int32_t>(peal.composition));
  for (size_t i = 0; i < peal.ringers.size(); ++i) {
    const auto* person =
        peal.ringers[i] == 0
            ? nullptr
            : static_cast<const CPerson*>(PersonIndex().Lookup(static_cast<int32_t>(peal.ringers[i])));
    text += person ? person->TagText() : std::string("<r>");
    if (const std::string& prefix = ExtraAt(peal, kPrefix, i); !prefix.empty()) text += "<rt>" + SgmlText(prefix);
    if (const std::string& suffix = ExtraAt(peal, kSuffix, i); !suffix.empty()) text += "<ra>" + SgmlText(suffix);
    if (const std::string& bells = ExtraAt(peal, kBellString, i); !bells.empty()) text += "<rb>" + SgmlText(bells);
    if (RingerIsConductor(peal, static_cast<int>(i))) text += "<rc>";
  }
  if (peal.conductor != 0 && !ConductorRings(peal)) text += "<b>" + Name(peal.conductor);
  for (const std::string& footnote : peal.extras[kFootnote]) {
    if (!footnote.empty()) text += "<f>" + SgmlText(footnote);
  }
  for (const std::string& validity : peal.extras[kValidity]) text += "<v>" + SgmlText(validity);
  for (const std::string& extra : peal.extras[kExtra]) {
    if (!extra.empty()) text += "<x>" + SgmlText(extra);
  }
  return text;
}

std::string SgmlShort(const CPeal& peal) {
  std::string text = DateAndReference(peal) + RwReference(peal);
  if (peal.association != 0) text += "<a>" + SgmlText(AssociationText(peal, false));
  return text + TowerTags(peal) + MethodTags(peal);
}

std::string SgmlKeys(const CPeal& peal) {
  std::string text = "<d>" + DateText(peal.date, 0);
  auto field = [&text](const char* tag, int64_t value) {
    if (value != 0) text += std::string("<") + tag + ">" + std::to_string(value);
  };
  field("z", peal.sequence);
  field("s", peal.rwPage);
  field("a", peal.association);
  field("t", peal.tower);
  // The top bit marks a tower peal, the only place this form records it.
  field("w", peal.tenor + (peal.handbell ? 0 : 32768));
  field("h", peal.time);
  field("n", peal.changes);
  field("m", peal.method);
  field("c", peal.composer);
  field("j", peal.arranger);
  field("g", peal.generatedBy);
  field("q", peal.composition);
  field("y", peal.conductor);
  text += "<r:" + std::to_string(peal.ringers.size()) + ">";
  for (size_t i = 0; i < peal.ringers.size(); ++i) {
    if (i > 0) text += ",";
    text += std::to_string(peal.ringers[i]);
  }
  size_t announced = 0;
  for (int list = 0; list < kExtraCount; ++list) {
    const auto& entries = peal.extras[static_cast<size_t>(list)];
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].empty()) continue;
      if (IsPositionedList(list) && i != announced) {
        text += "<i>" + std::to_string(i);
        announced = i;
      }
      text += std::string("<") + kExtraLetters[list] + ">\"" + SgmlText(entries[i]) + "\"";
    }
  }
  return text;
}

}  // namespace tv

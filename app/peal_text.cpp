// A plain rendering of peals used until the published layouts are wired in: the number, the
// date, the place, the changes and the method, with the names looked up in the index set.
#include "app/peal_text.h"

#include "core/dates.h"
#include "core/text.h"
#include "peals/peal_record.h"
#include "refdb/index.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

std::string NameIn(CIndex& index, uint32_t key) {
  if (key == 0 || !IndexSetIsOpen()) return {};
  return index.NameOf(static_cast<int32_t>(key), 0);
}

std::string TowerName(const CPeal& peal) { return NameIn(TowerIndex(), peal.tower); }
std::string MethodName(const CPeal& peal) { return NameIn(MethodIndex(), peal.method); }
std::string PersonName(uint32_t key) { return NameIn(PersonIndex(), key); }

}  // namespace

std::string ListLine(const CPeal& peal) {
  std::string line = PadNumber(static_cast<int32_t>(peal.pealNumber), 5, true, false);
  line += "  " + DateText(peal.date, 11);
  line += "  " + PadNumber(peal.changes, 5, false, false);
  std::string method = MethodName(peal);
  if (!method.empty()) line += "  " + method;
  std::string tower = TowerName(peal);
  if (!tower.empty()) line += "  " + tower;
  return line;
}

std::string PealText(const CPeal& peal, int style) {
  const std::string tower = TowerName(peal);
  const std::string method = MethodName(peal);
  std::string text;
  auto line = [&text](const std::string& s) { text += s + "\r\n"; };
  if (style == kStyleSgml) {
    line("<peal number=" + std::to_string(peal.pealNumber) + ">");
    line("<date>" + DateText(peal.date) + "</date>");
    if (!tower.empty()) line("<tower>" + tower + "</tower>");
    line("<changes>" + std::to_string(peal.changes) + "</changes>");
    if (!method.empty()) line("<method>" + method + "</method>");
    line("</peal>");
    return text;
  }
  line("Peal " + std::to_string(peal.pealNumber));
  if (!tower.empty()) line(tower);
  line(DateText(peal.date));
  std::string changes = std::to_string(peal.changes) + " " + method;
  if (peal.time != 0) changes += " (" + DurationWords(peal.time) + ")";
  line(changes);
  for (size_t i = 0; i < peal.ringers.size(); ++i) {
    std::string ringer = PadNumber(static_cast<int32_t>(i + 1), 3, true, false) + "  " +
                         PersonName(peal.ringers[i]);
    if (peal.ringers[i] != 0 && peal.ringers[i] == peal.conductor) ringer += " (C)";
    line(ringer);
  }
  return text;
}

}  // namespace tv

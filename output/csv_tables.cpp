// The peal tables.
#include "output/csv_tables.h"

#include "core/dates.h"
#include "core/text.h"
#include "output/peal_texts.h"
#include "refdb/composition.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string HandOrTower(const CPeal& peal) { return peal.handbell ? "\"H\"" : "\"T\""; }

// The letters of the extra lists in the Extras table, by list.
constexpr char kTableLetters[] = "SCFVZBTAX";

}  // namespace

std::string TableFullHeader() {
  std::string header =
      "\"Peal Number\",\"RW Page\",\"Association\",\"Tower\",\"County\",\"Dedication\","
      "\"Date\",\"Tenor\",\"Time\",\"Changes\",\"Method\",\"Composer\",\"Arranger\","
      "\"Composition\",\"Tower or Hand\",\"Footnotes\"";
  for (int n = 1; n <= kTableRingerColumns; ++n) header += ",\"Ringer " + std::to_string(n) + "\"";
  return header + "\n";
}

std::string TablePealsHeader() {
  return "\"Peal Number\",\"RW Page\",\"Association\",\"Tower\",\"Date\",\"Sequence No\","
         "\"Time\",\"Tenor\",\"Changes\",\"Method\",\"Composer\",\"Arranger\",\"Composition\","
         "\"Conductor\",\"Tower or Hand\"\n";
}

std::string TableRingerHeader() { return "\"Peal No\",\"Ringer No\",\"Ringer\"\n"; }

std::string TableExtrasHeader() { return "\"Peal No\",\"Tag\",\"No\",\"Text\"\n"; }

std::string TableFull(const CPeal& peal) {
  std::string row = std::to_string(peal.pealNumber) + "," + std::to_string(peal.rwPage) + "," +
                    Quoted(AssociationText(peal, true)) + ",";
  if (const CTower* tower = TowerOf(peal)) {
    row += Quoted(tower->PlaceAt(peal.date)) + "," + Quoted(tower->CountyNameAt(peal.date)) + "," +
           Quoted(tower->DedicationNameAt(0, peal.date)) + ",";
  } else {
    row += ",,,";
  }
  row += DateText(peal.date, 0) + ",";
  if (peal.tenor != 0) row += RoundedTenorText(peal);
  row += "," + ShortTime(peal.time) + ",";
  std::string method = MethodLine(peal);
  method[method.find(' ')] = ',';
  row += method + ",";
  row += Quoted(FullNameOf(static_cast<int32_t>(peal.composer))) + ",";
  row += Quoted(FullNameOf(static_cast<int32_t>(peal.arranger))) + ",";
  row += Quoted(FullNameOf(static_cast<int32_t>(peal.generatedBy))) + ",";
  row += (peal.composition != 0
              ? Quoted(CompositionText(static_cast<int32_t>(peal.composition), true))
              : std::string("\"\"")) + ",";
  row += HandOrTower(peal) + ",";
  std::string footnotes;
  const auto& notes = peal.extras[kFootnote];
  for (size_t i = 0; i < notes.size(); ++i) footnotes += (i > 0 ? "\t" : "") + notes[i];
  row += Quoted(footnotes);
  for (size_t i = 0; i < peal.ringers.size(); ++i) {
    row += "," + Quoted(RingerLine(peal, static_cast<int>(i)));
  }
  if (peal.ringers.size() < kTableRingerColumns) {
    row.append(kTableRingerColumns - peal.ringers.size(), ',');
  }
  return row + kNL;
}

std::string TablePeals(const CPeal& peal) {
  std::string row;
  for (const int64_t value :
       {int64_t{peal.pealNumber}, int64_t{peal.rwPage}, int64_t{peal.association},
        int64_t{peal.tower}}) {
    row += std::to_string(value) + ",";
  }
  row += DateText(peal.date, 0);
  for (const int64_t value :
       {int64_t{peal.sequence}, int64_t{peal.time}, int64_t{peal.tenor}, int64_t{peal.changes},
        int64_t{peal.method}, int64_t{peal.composer}, int64_t{peal.arranger},
        int64_t{peal.generatedBy}, int64_t{peal.composition}, int64_t{peal.conductor}}) {
    row += "," + std::to_string(value);
  }
  return row + "," + HandOrTower(peal) + kNL;
}

std::string TableRinger(const CPeal& peal) {
  std::string rows;
  for (size_t i = 0; i < peal.ringers.size(); ++i) {
    rows += std::to_string(peal.pealNumber) + "," + std::to_string(i + 1) + "," +
            std::to_string(peal.ringers[i]) + kNL;
  }
  return rows;
}

std::string TableExtras(const CPeal& peal) {
  std::string rows;
  for (int list = 0; list < kExtraCount; ++list) {
    const auto& entries = peal.extras[static_cast<size_t>(list)];
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].empty()) continue;
      rows += std::to_string(peal.pealNumber) + ",\"" + kTableLetters[list] + "\"," +
              std::to_string(i + 1) + "," + Quoted(entries[i]) + kNL;
    }
  }
  return rows;
}

}  // namespace tv

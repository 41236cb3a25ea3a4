// The plain-text peal layouts.
#include "output/text_styles.h"

#include "core/text.h"
#include "output/peal_texts.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

// The number a numbered layout prints: the next running count, or the peal's own number, or
// nothing (false).
bool NumberToPrint(const CPeal& peal, CExportOptions& options, uint32_t& number) {
  if (options.renumber) {
    number = ++options.counter;
    return true;
  }
  number = peal.pealNumber;
  return options.includeNumber;
}

std::string Line(const CPeal& peal, CExportOptions& options, bool withRwRef) {
  const std::string s = options.useTabs ? "\t" : " ";
  std::string line;
  if (uint32_t number = 0; NumberToPrint(peal, options, number)) {
    line += PadNumber(static_cast<int32_t>(number), 5, true, false) + s;
  }
  line += DateText(peal.date, 0) + s;
  if (withRwRef && peal.rwPage != 0 && options.includeRwRef) {
    line += "  (RW " + std::to_string(peal.RwPageNumber(false)) + ")" + s;
  }
  if (options.includeAssociation) {
    if (const CAssoc* assoc = AssocOf(peal)) {
      line += assoc->abbreviation;
    } else if (peal.changes >= 5000) {
      line += "???";
    }
    line += s;
  }
  if (options.includeTower) {
    const CTower* tower = TowerOf(peal);
    line += tower ? TowerListText(*tower) : std::string("???");
    if (!options.useTabs) line += ":";
    line += s;
  }
  const CMethod* method = MethodOf(peal);
  line += method ? method->Title(true, false) : std::string("???");
  if (HasPersonEntry(peal.conductor)) {
    line += s + "(" + KeyTextOf(static_cast<int32_t>(peal.conductor)) + ")";
  }
  return line;
}

}  // namespace

std::string LineText(const CPeal& peal, CExportOptions& options) {
  return Line(peal, options, true);
}

std::string LineTextNoRef(const CPeal& peal, CExportOptions& options) {
  return Line(peal, options, false);
}

std::string RwText(const CPeal& peal, CExportOptions& options) {
  std::string text;
  auto line = [&text](const std::string& content) { text += content + kNL; };
  if (peal.handbell && peal.changes >= 5000) {
    line("HANDBELL PEAL");
    line("");
  }
  std::string heading;
  if (uint32_t number = 0; NumberToPrint(peal, options, number)) {
    heading = "#" + std::to_string(number);
  }
  if (peal.rwPage != 0 && options.includeRwRef) {
    heading += "  (RW " + std::to_string(peal.RwPageNumber(false)) + ")";
  }
  if (!heading.empty()) line(heading);
  if (options.includeAssociation) {
    if (const CAssoc* assoc = AssocOf(peal)) line(UpperCase(assoc->name));
  }
  if (options.includeTower) {
    if (const CTower* tower = TowerOf(peal)) {
      line(tower->PlaceWithCountyAt(true, peal.date));
      line(tower->DedicationNameAt(0, peal.date));
    }
  }
  std::string when = ShortDateText(peal.date, true) + " " + ShortTime(peal.time);
  if (peal.tenor != 0) when += " (" + RoundedTenorText(peal) + ")";
  line(when);
  if (MethodOf(peal)) line(MethodLine(peal));

  std::string pending;
  if (peal.composition != 0) {
    const auto key = static_cast<int32_t>(peal.composition);
    if (const std::string composition = CompositionText(key, true); !composition.empty()) {
      line(composition);
    }
    pending = CompositionName(key);
  }
  auto takePending = [&pending] {
    std::string tail = " " + pending;
    pending.clear();
    return tail;
  };
  const std::string composer = FullNameOf(static_cast<int32_t>(peal.composer));
  const std::string generator = FullNameOf(static_cast<int32_t>(peal.generatedBy));
  if (peal.composer != 0) {
    std::string authors = peal.generatedBy != 0
                              ? "Gen. " + composer + " (" + generator + ")"
                              : "Comp. " + composer;
    if (peal.arranger == 0) authors += takePending();
    line(authors);
  } else if (peal.generatedBy != 0) {
    line("Gen. " + generator + takePending());
  }
  if (peal.arranger != 0) {
    line("Arr. " + FullNameOf(static_cast<int32_t>(peal.arranger)) + takePending());
  }
  if (!pending.empty()) line(pending);

  // A ringer line ending in "*" is left out, and the bell numbers after it close up.
  int skipped = 0;
  for (size_t i = 0; i < peal.ringers.size(); ++i) {
    const int position = static_cast<int>(i);
    std::string ringer = BellLabel(peal, position, position - skipped);
    if (const std::string& prefix = ExtraAt(peal, kPrefix, i); !prefix.empty()) {
      ringer += " " + prefix;
    }
    ringer += " " + FullNameOf(static_cast<int32_t>(peal.ringers[i]));
    if (const std::string& suffix = ExtraAt(peal, kSuffix, i); !suffix.empty()) {
      ringer += " (" + suffix + ")";
    }
    if (RingerIsConductor(peal, position)) ringer += " (C)";
    if (ringer.back() == '*') {
      ++skipped;
    } else {
      line(ringer);
    }
  }
  if (peal.conductor != 0 && !ConductorRings(peal)) {
    line("Cond.  " + FullNameOf(static_cast<int32_t>(peal.conductor)));
  }
  for (const std::string& footnote : peal.extras[kFootnote]) line(footnote);
  line("");
  for (const std::string& extra : peal.extras[kExtra]) line(">" + extra);
  for (const std::string& validity : peal.extras[kValidity]) line(">" + validity);
  line("");
  return text;
}

std::string RwqText(const CPeal& peal) {
  std::string text;
  if (const CTower* tower = TowerOf(peal)) text += tower->PlaceWithCountyAt(false, peal.date) + ". ";
  text += DayMonthText(peal.date) + ", ";
  if (MethodOf(peal)) text += MethodLine(peal) + ": ";
  for (size_t i = 0; i < peal.ringers.size(); ++i) {
    const int position = static_cast<int>(i);
    if (i > 0) text += ", ";
    text += FullNameOf(static_cast<int32_t>(peal.ringers[i]));
    if (RingerIsConductor(peal, position)) text += " (C)";
    text += " " + BellLabel(peal, position);
  }
  text += ".";
  for (const std::string& footnote : peal.extras[kFootnote]) text += " " + footnote + ".";
  return text + kNL;
}

namespace {

// A board column: the text starts at `column`, or one blank after a longer text before it, so
// that a long name never runs into its bell.
void AppendBoardColumn(std::string& row, size_t column, std::string_view tail) {
  if (!row.empty() && row.size() >= column && row.back() != ' ') row += ' ';
  AppendAtColumn(row, column, tail);
}

}  // namespace

std::string AscyText(const CPeal& peal) {
  std::string text;
  const CTower* tower = TowerOf(peal);
  if (peal.handbell) text += std::string("Handbell Peal") + kNL + kNL;
  if (tower) text += PlaceAndCountyLine(*tower, peal.date);
  text += kNL + LongDateText(peal.date);
  text += kNL + DurationWords(peal.time);
  if (tower) text += kNL + ("At " + tower->DedicationNameAt(1, peal.date));
  text += std::string(kNL) + "A Peal of";
  std::string detail;
  if (const CMethod* method = MethodOf(peal)) {
    text += kNL + UpperCase(method->TitleAndDetail(detail));
  }
  std::string changes = BoardChangesLine(peal, detail);
  if (!detail.empty()) {
    text += kNL + changes;
    changes.clear();
  }
  AppendBoardColumn(changes, 40, BoardTenorText(peal));
  text += kNL + changes;
  text += std::string(kNL) + kNL + "Performers" + kNL;

  // Two columns: the first half of the ringers on the left, the rest (one more for an odd
  // number) on the right.
  const size_t n = peal.ringers.size();
  const size_t half = n / 2;
  for (size_t r = 0; r < n - half; ++r) {
    std::string row;
    if (r < half) {
      AppendAtColumn(row, 0, RingerNamePart(peal, static_cast<int>(r)));
      AppendBoardColumn(row, 22, BoardBellText(peal, static_cast<int>(r)));
    }
    AppendBoardColumn(row, 30, RingerNamePart(peal, static_cast<int>(half + r)));
    AppendBoardColumn(row, 52, BoardBellText(peal, static_cast<int>(half + r)));
    text += kNL + row;
  }
  text += kNL;

  const CBoardAuthorLines authors = BoardAuthorLines(peal);
  for (const std::string* line : {&authors.composer, &authors.arranger, &authors.generator}) {
    if (!line->empty()) text += kNL + *line;
  }
  if (peal.conductor != 0 && peal.conductor != peal.composer && peal.conductor != peal.arranger) {
    text += kNL + ("Conducted by  " + FullNameOf(static_cast<int32_t>(peal.conductor)));
  }
  text += kNL;
  for (const std::string& footnote : peal.extras[kFootnote]) text += kNL + footnote;
  return text + kNL;
}

}  // namespace tv

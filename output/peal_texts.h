// The pieces of a peal's printed forms that several layouts share: the looked-up names, the
// method line, the bell labels and the peal-board composer lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "peals/peal_record.h"

namespace tv {

class CAssoc;
class CMethod;
class CTower;

// CR LF, the line end of every exported text.
inline constexpr const char* kNL = "\r\n";

// The entries a peal names; null when the key is 0 or has no entry. The index set must be open.
const CTower* TowerOf(const CPeal& peal);
const CMethod* MethodOf(const CPeal& peal);
const CAssoc* AssocOf(const CPeal& peal);
bool HasPersonEntry(uint32_t key);

// The changes, a blank and the method title ("???" without a method entry). Without
// `keepBracket` a bracketed ending after the first character is cut, the blank before it kept.
std::string MethodLine(const CPeal& peal, bool keepBracket);
// The bracket is kept exactly when no composition line shows it.
inline std::string MethodLine(const CPeal& peal) { return MethodLine(peal, peal.composition == 0); }
// The association's name (`full`) or abbreviation; empty when it has no entry.
std::string AssociationText(const CPeal& peal, bool full);
// The method's title; empty when it has no entry.
std::string PealMethodTitle(const CPeal& peal);

// Entry `position` of an extra list; empty when the list does not reach it.
const std::string& ExtraAt(const CPeal& peal, int list, size_t position);
// The bell label of a position: its bell string, or BellText of `numberedAs` (the position
// itself unless lines were left out before it). An empty bell string counts as none.
std::string BellLabel(const CPeal& peal, int position, int numberedAs);
inline std::string BellLabel(const CPeal& peal, int position) {
  return BellLabel(peal, position, position);
}
// The ringer's full name with the position's prefix before it and suffix after it.
std::string RingerNamePart(const CPeal& peal, int position);
// The bell label, then prefix, full name, suffix and " (C)" for the conductor: a ringer's line
// in the HTML and table forms.
std::string RingerLine(const CPeal& peal, int position);
bool RingerIsConductor(const CPeal& peal, int position);
bool ConductorRings(const CPeal& peal);

// The tower's text in list lines: place and county, and its dedication (short form).
std::string TowerListText(const CTower& tower);
// The place at the peal's date in capitals, and the county's full name unless hidden.
std::string PlaceAndCountyLine(const CTower& tower, Date date);
// The peal board's tenor text: "Tenor Size" and the number on handbells, "Tenor" and the
// weight in quarters on tower bells; empty without a tenor.
std::string BoardTenorText(const CPeal& peal);
// The tenor of the Ringing World forms: the handbell size, or the weight to the nearest cwt.
std::string RoundedTenorText(const CPeal& peal);
// The peal board's changes line: the changes, " Changes" and the detail of the method title
// and of the composition when there is one. `detail` is what TitleAndDetail gave.
std::string BoardChangesLine(const CPeal& peal, const std::string& detail);
// The peal board's bell text of a position: "Treble" for bell 1, "Tenor" for the last ringer
// of a tower peal, else the bell label.
std::string BoardBellText(const CPeal& peal, int position);

// The peal board's lines for the composition's authors, each empty when not wanted.
struct CBoardAuthorLines {
  std::string composer;
  std::string arranger;
  std::string generator;
};
CBoardAuthorLines BoardAuthorLines(const CPeal& peal);

}  // namespace tv

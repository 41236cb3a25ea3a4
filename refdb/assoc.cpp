// Associations and counties: their dialogs, and their resolution from imported texts.
#include "refdb/assoc.h"

#include "core/services.h"
#include "core/text.h"
#include "refdb/index_set.h"

namespace tv {
namespace {

// Words that association names share, cut to their first letter before the short form is
// taken, so that the short form is made of the distinctive words.
constexpr std::string_view kAssocWords[] = {"Association", "Bellringers", "County",
                                            "Diocesan",    "Guild",       "Ringers",
                                            "Society",     "University",  "Youths"};

constexpr const char* kAffiliationIds[] = {"affiliated", "nonAffiliated", "special"};
constexpr const char* kAffiliationGroup = "CC Affiliation";

void ReportKeyTooLarge(const std::string& name, int32_t key) {
  ThePlatform().Message("The association \"" + name + "\" has key " + std::to_string(key) +
                        ", but peals hold association keys only up to 255.");
}

}  // namespace

CAssocDlg::CAssocDlg(const CAssoc& assoc) : DialogModel("Association Details") {
  AddText("name", "Association", assoc.name, 100);
  AddText("abbreviation", "Abbreviation", assoc.abbreviation, 10);
  AddRadio(kAffiliationIds[0], "CC Affiliated", kAffiliationGroup, assoc.kind == 0);
  AddRadio(kAffiliationIds[1], "Non-Affiliated", kAffiliationGroup, assoc.kind == 1);
  AddRadio(kAffiliationIds[2], "Special", kAffiliationGroup, assoc.kind == 2);
}

void CAssocDlg::Store(CAssoc& assoc) const {
  assoc.name = Text("name");
  assoc.abbreviation = Text("abbreviation");
  const std::string chosen = CheckedRadio(kAffiliationGroup);
  for (uint8_t kind = 0; kind < 3; ++kind) {
    if (chosen == kAffiliationIds[kind]) assoc.kind = kind;
  }
}

int CAssoc::Edit() {
  CAssocDlg dialog(*this);
  if (!ThePlatform().RunDialog(dialog)) return 0;
  dialog.Store(*this);
  return 1;
}

CCountyDlg::CCountyDlg(const CCounty& county) : DialogModel("County Details") {
  AddText("name", "County", county.name, 50);
  AddText("abbreviation", "Abbreviation", county.abbreviation, 20);
}

void CCountyDlg::Store(CCounty& county) const {
  county.name = Text("name");
  county.abbreviation = Text("abbreviation");
}

int CCounty::Edit() {
  CCountyDlg dialog(*this);
  if (!ThePlatform().RunDialog(dialog)) return 0;
  dialog.Store(*this);
  return 1;
}

std::string ShortenedAssocName(std::string_view text) {
  std::string name = TitleCaseName(text);
  for (std::string_view word : kAssocWords) {
    size_t at = name.find(word);
    while (at != std::string::npos) {
      const size_t after = at + word.size();
      // Only a whole word is cut: one at the end, or followed by anything but a lower-case
      // letter.
      if (after == name.size() || static_cast<unsigned char>(name[after]) < '`') {
        name.erase(at + 1, word.size() - 1);
        at = name.find(word, at + 1);
      } else {
        at = name.find(word, after);
      }
    }
  }
  return name;
}

uint8_t FindOrAddAssoc(std::string_view text, File* log) {
  if (Trimmed(text).empty()) return 0;
  const std::string name = TitleCaseName(text);
  const std::string shortened = ShortenedAssocName(text);
  std::string abbreviation = CapitalLetters(shortened);
  // A short form is never stored empty: it would read back as the default "?", and the
  // association would then no longer be found by it.
  if (abbreviation.empty()) abbreviation = "?";

  CAssocIndex& index = AssocIndex();
  auto same = [&shortened](const CAssoc& assoc) {
    return ShortenedAssocName(assoc.name) == shortened;
  };
  // The entries of that short form first; then every entry, for one whose short form was typed
  // differently from the capitals of its name.
  int32_t k = index.FindEntry(abbreviation, 0);
  int32_t found = 0;
  for (int32_t steps = 0; k > 0 && steps < index.Count(); ++steps) {
    const auto* assoc = dynamic_cast<const CAssoc*>(index.Lookup(k));
    if (!assoc || assoc->abbreviation != abbreviation) break;
    if (same(*assoc)) {
      found = k;
      break;
    }
    k = index.Entry(k).next;
  }
  k = index.First();
  for (int32_t steps = 0; found == 0 && k > 0 && steps < index.Count(); ++steps) {
    if (const auto* assoc = dynamic_cast<const CAssoc*>(index.Lookup(k)); assoc && same(*assoc)) {
      found = k;
    }
    k = index.Entry(k).next;
  }
  if (found == 0) {
    auto assoc = std::make_unique<CAssoc>();
    assoc->name = name;
    assoc->abbreviation = abbreviation;
    assoc->kind = static_cast<uint8_t>(Affiliation::NonAffiliated);
    found = index.InsertNew(std::move(assoc));
    if (found > kMaxByteKey) {
      // No peal could name it: take it out again rather than keep an entry that no peal can use.
      index.Remove(found);
      ReportKeyTooLarge(name, found);
      return 0;
    }
    if (log) log->Write(" ->" + name + " ");
  } else if (found > kMaxByteKey) {
    ReportKeyTooLarge(name, found);
    return 0;
  }
  return static_cast<uint8_t>(found);
}

uint8_t FindCounty(std::string_view text, bool abbreviationFirst) {
  if (Trimmed(text).empty()) return 0;
  CCountyIndex& index = CountyIndex();
  // The county index is small: every entry is looked at, in order, first for the form asked
  // for and then for the other. A county whose key does not fit a tower's byte cannot be named.
  for (const bool byAbbreviation : {abbreviationFirst, !abbreviationFirst}) {
    int32_t k = index.First();
    for (int32_t steps = 0; k > 0 && steps < index.Count(); ++steps) {
      const auto* county = k <= kMaxByteKey ? dynamic_cast<const CCounty*>(index.Lookup(k)) : nullptr;
      if (county) {
        if ((byAbbreviation ? county->abbreviation : county->name) == text) {
          return static_cast<uint8_t>(k);
        }
      }
      k = index.Entry(k).next;
    }
  }
  return 0;
}

uint8_t FindCountyByName(std::string_view text) { return FindCounty(text, false); }

uint8_t FindOrAddCounty(std::string_view text, File* log) {
  if (const uint8_t found = FindCounty(text, true); found != 0 || Trimmed(text).empty()) {
    return found;
  }
  auto county = std::make_unique<CCounty>();
  county->name = text;
  county->abbreviation = text;
  CCountyIndex& index = CountyIndex();
  const int32_t key = index.InsertNew(std::move(county));
  if (key > kMaxByteKey) {
    index.Remove(key);
    return 0;
  }
  if (log) log->Write(" ->" + std::string(text) + " ");
  return static_cast<uint8_t>(key);
}

}  // namespace tv

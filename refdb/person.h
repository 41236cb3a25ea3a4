// Persons (ringers, conductors, composers) and the person index, which is ordered by the
// surname's initial and then the initials, so that a person is typed as initials followed by
// the surname's initial (JRS).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/dialog_model.h"
#include "refdb/equivalence.h"
#include "refdb/index.h"
#include "refdb/ind_obj.h"

namespace tv {

class CPerson : public CIndObj {
 public:
  int32_t ReadRecord(Archive& in) override;
  void WriteRecord(Archive& out) const override;
  void WriteCsvLine(std::string& out) const override;
  int Compare(const CIndObj* other) const override;
  // Compares surname initial + initials with the text's last character + the rest of it, so
  // that JRS is matched against J R Smith as SJR.
  int CompareText(std::string_view text) const override;
  // The full name, "+" in front when not alive, and in lists (variant != 0) violet when used.
  std::string GetName(int variant) const override;
  std::string GetDetails() const override;
  int Edit() override;

  // prefix firstNames surname (suffix), each part only when present.
  std::string FullName() const;
  // The initials and the surname's first character: the form typed to find the person.
  std::string KeyText() const;
  // The person as the SGML output tags it.
  std::string TagText() const;
  // 1 when the surname starts with `text`; -1 when only its first character matches and the
  // text's second character is not a capital; else 0.
  int Match(std::string_view text) const;

  std::string surname = "?";
  std::string initials;
  std::string firstNames;
  std::string prefix;  // a title such as Revd
  std::string suffix;
  uint8_t notAlive = 0;
};

// The "Personal Details" dialog. Leaving First Names fills Initials with its capitals.
class CPersonDlg : public DialogModel {
 public:
  explicit CPersonDlg(const CPerson& person);
  void Store(CPerson& person) const;
  void OnFocusLost(std::string_view id) override;

 private:
  // The first names the initials were last made from (or shown with). First names changed
  // after that, and OK pressed before leaving their box, still give their initials.
  std::string m_initialsFrom;
};

class CPersonIndex : public CIndex {
 public:
  using CIndex::CIndex;
  int CompareEntry(int32_t key, std::string_view text, bool exact) override;
  // With `current` an entry whose surname the text matches (see CPerson::Match), steps to the
  // next entry whose surname starts with the text, passing over the others of the same
  // initial; when there is none, says "No Match Found" and gives `current`. Otherwise the
  // common search, with a text of digits taken as a key when `current` is not 0.
  int32_t FindEntry(std::string_view text, int32_t current) override;
  bool CanFindNext() const override { return true; }
  std::unique_ptr<CIndObj> NewObject() override;
  std::string CsvHeader() const override;

  // The person that `key` is now known as; 0 when none.
  int32_t NowKnownAs(int32_t key) const { return equivalences.NowKnownAs(key); }
  // Every key equivalent to `key`.
  std::vector<int32_t> EquivalentKeys(int32_t key) const {
    return equivalences.EquivalentKeys(key);
  }

  CEquivalences equivalences;
};

// The full name and the typed form of the person with that key; empty when there is none.
std::string FullNameOf(int32_t key);
std::string KeyTextOf(int32_t key);

// The person that an imported name (John Smith, Revd John Smith) names: found by initials,
// first names and surname among entries without prefix or suffix, or, when `create` is set,
// added (" ->" and the new name and a blank are then written to `log` when given). A leading
// "Rev" or "Revd" is dropped. Gives 0 when not found and not created, and for an empty name.
int32_t FindOrAddPerson(std::string_view text, bool create, File* log);

// The person whose first names and surname are those of `names` (split at its last blank) and
// whose prefix and suffix are exactly `prefix` and `suffix`; 0 when there is none.
int32_t FindPersonWith(std::string_view names, std::string_view prefix, std::string_view suffix);

// Adds a person with those names, prefix and suffix under a new key, logging as FindOrAddPerson
// does. 0 for an empty name.
int32_t AddPersonWith(std::string_view names, std::string_view prefix, std::string_view suffix,
                      File* log);

// The person a full name as the outputs write it names ("Revd John Smith (Jr)", FullName): an
// existing person whose own prefix and suffix make that name is found first, so that what was
// written comes back to the same entry; then the bare namesake (FindOrAddPerson). Otherwise a
// person is added whose full name is the text: a suffix in brackets is kept as the suffix, and
// a leading "Rev" or "Revd", or a common title (Dr, Canon, Mrs ...) before first names and a
// surname, as the prefix.
int32_t FindOrAddPersonByFullName(std::string_view text, File* log);

}  // namespace tv

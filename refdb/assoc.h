// Associations and counties (names with a short form), and the external tower string indexes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/dialog_model.h"
#include "refdb/index.h"
#include "refdb/ind_obj.h"

namespace tv {

class File;

// The Central Council standing of an association, held in its kind byte.
enum class Affiliation : uint8_t { Affiliated = 0, NonAffiliated = 1, Special = 2 };

// An association (ringing society); `kind` is its Affiliation.
class CAssoc : public CIndStr {
 public:
  int Edit() override;
};

// A county; the short form is printed after tower names.
class CCounty : public CIndStr {
 public:
  int Edit() override;
};

// A string of the external tower data, made during its import.
class CSXdata : public CIndStr {};

// The "Association Details" dialog: name, short form and standing.
class CAssocDlg : public DialogModel {
 public:
  explicit CAssocDlg(const CAssoc& assoc);
  void Store(CAssoc& assoc) const;
};

// The "County Details" dialog: name and short form.
class CCountyDlg : public DialogModel {
 public:
  explicit CCountyDlg(const CCounty& county);
  void Store(CCounty& county) const;
};

// The association key that the association-and-stage table gives peals without an
// association: never given to a real association, so that its row cannot hide one.
inline constexpr int32_t kNonAttributedAssocKey = 255;

class CAssocIndex : public CIndex {
 public:
  CAssocIndex(std::string name, std::string directory) : CIndex(std::move(name), std::move(directory)) {
    ReserveKey(kNonAttributedAssocKey);
  }
  std::unique_ptr<CIndObj> NewObject() override { return std::make_unique<CAssoc>(); }
};

class CCountyIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override { return std::make_unique<CCounty>(); }
};

class CStrIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override { return std::make_unique<CIndStr>(); }
};

// Peal records and towers hold association and county keys in one byte.
inline constexpr int32_t kMaxByteKey = 255;

// The name under which an imported association text is kept: title case, with the common
// words of association names (Association, Guild, Society, Youths, ...) cut to their first
// letter: Ancient Society of College Youths becomes Ancient S of College Y.
std::string ShortenedAssocName(std::string_view text);

// The association that an imported text names: an entry whose name, shortened as
// ShortenedAssocName does, equals the text shortened, so that names typed in full and names
// stored shortened both match; otherwise added as "Non-Affiliated" with the title-cased text as
// its name and the capitals of the shortened text as its short form (" ->" and the new name
// and a blank are then written to `log` when given). Gives 0 for an empty text, and 0 with a message when the association's key would not
// fit the one byte that peals hold.
uint8_t FindOrAddAssoc(std::string_view text, File* log);

// The county that an imported text names: the first whose short form (when
// `abbreviationFirst`) or full name equals the text exactly, else the first whose other form
// does. 0 for none, for the empty text, and for a county whose key does not fit in a byte.
uint8_t FindCounty(std::string_view text, bool abbreviationFirst);
// FindCounty with the full name first.
uint8_t FindCountyByName(std::string_view text);
// FindCounty with the short form first (the SGML "<tc>" writes it), or a new county whose full
// name and short form are the text (" ->", the text and a blank are then written to `log` when
// given). 0 for the empty text and when the county index has no byte key left.
uint8_t FindOrAddCounty(std::string_view text, File* log);

}  // namespace tv

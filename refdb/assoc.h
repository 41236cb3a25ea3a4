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

class CAssocIndex : public CIndex {
 public:
  using CIndex::CIndex;
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

// The association that an imported text names, found by its short form and shortened name or
// added as "Non-Affiliated" (" ->" and the new name and a blank are then written to `log` when
// given). Gives 0 for an empty text, and 0 with a message when the association's key would not
// fit the one byte that peals hold.
uint8_t FindOrAddAssoc(std::string_view text, File* log);

// The county whose full name is exactly `text`, searched among the counties whose short form
// starts with the same character; 0 for none, for the empty text, and for a county whose key
// does not fit in a byte.
uint8_t FindCountyByName(std::string_view text);

}  // namespace tv

// Dedications (the church's saint or title) and the dedication index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/dialog_model.h"
#include "refdb/index.h"
#include "refdb/ind_obj.h"

namespace tv {

// A dedication: the name proper (Mary the Virgin) and two codes that say how to print it,
// typeCode = churchType * 4 + prefixCode. churchType 0..5: none, "Church of", "Abbey",
// "Cathedral", "Parish", "Priory"; prefixCode 0..3: none, "SS", "St", "the".
class CSaint : public CIndObj {
 public:
  int32_t ReadRecord(Archive& in) override;
  void WriteRecord(Archive& out) const override;
  // Orders by name alone; a null other sorts after.
  int Compare(const CIndObj* other) const override;
  int CompareText(std::string_view text) const override;
  // Variant 0 is the short form (Cathedral of S Paul), variant 1 the long form (the Cathedral
  // Church of St Paul).
  std::string GetName(int variant) const override;
  int Edit() override;

  int ChurchType() const { return typeCode / 4; }
  int PrefixCode() const { return typeCode % 4; }

  uint8_t typeCode = 0;
  std::string name = "??";
};

// The "Dedication Details" dialog.
class CSaintDlg : public DialogModel {
 public:
  explicit CSaintDlg(const CSaint& saint);
  // Stores the dialog's values into `saint`.
  void Store(CSaint& saint) const;
};

class CSaintIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override;
};

// The dedication that an imported text names (Cathedral Church of St Paul), found or added to
// the dedication index. An empty text names no dedication and gives 0.
int32_t FindOrAddDedication(std::string_view text);

}  // namespace tv

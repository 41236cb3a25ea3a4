// Global Edit: one index entry replaced by another throughout the ledger, the two entries
// chosen one after the other in the index chooser.
#pragma once

#include <cstdint>
#include <string>

#include "core/dialog_model.h"
#include "peals/selection_state.h"

namespace tv {

class CIndex;
class CPealLedger;
class CTolvaneDoc;

// What a global edit replaces, in the order of the dialog's buttons.
enum class GlobalItem : int { None = -1, Association = 0, Tower = 1, Method = 2, Person = 3 };

// The index whose entries a global edit of `item` replaces; null for None. Opens the index set
// when it is not open.
CIndex* GlobalItemIndex(GlobalItem item);

// The peals of the ledger, deleted ones included, that name `fromKey` as `item` (for Person as a
// ringer, composer, arranger, generator or conductor).
size_t CountPealsNaming(const CPealLedger& ledger, GlobalItem item, int32_t fromKey);

// The replacement a global edit makes once both entries are known: the From entry of the item's
// index is redirected to `toKey` (ChangeKey), and every peal of the ledger, deleted ones
// included, that names `fromKey` names `toKey` instead. Gives the number of peals changed.
// Precondition: item is not None, and for Association both keys are at most kMaxByteKey (a peal
// holds its association in one byte).
size_t ReplaceThroughout(CPealLedger& ledger, GlobalItem item, int32_t fromKey, int32_t toKey);

// The "Global Edit" dialog: the item buttons (none pressed at first) and the From and To texts.
class CGlobalDialog : public DialogModel {
 public:
  CGlobalDialog();
  static std::string ItemId(GlobalItem item);
  GlobalItem Item() const;
};

// One global edit, from the dialog to the last choice. It lives until the next Global Edit.
class CGlobal : public CSelTgt {
 public:
  explicit CGlobal(CTolvaneDoc& doc) : m_doc(doc) {}

  // Forgets any earlier edit, runs the dialog and, on OK with an item, opens the chooser on the
  // From text.
  void Start();
  // The From entry, then the To entry; a cancel (0) at either ends the edit unchanged. Before
  // changing anything it says how many peals will change and asks.
  void OnChosen(int32_t key) override;

  GlobalItem item = GlobalItem::None;
  CIndex* index = nullptr;
  std::string fromText;
  std::string toText;
  int32_t fromKey = 0;

 private:
  void Finish();

  CTolvaneDoc& m_doc;
  bool m_done = false;
};

}  // namespace tv

// Peal entry and editing through the Peal Details dialog: the shown and typed states that last
// for the whole run, applying only the changed fields, and resolving each changed name to an
// index key, one after another, through the non-modal index chooser.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/platform.h"
#include "peals/peal_dialog.h"
#include "peals/peal_record.h"

namespace tv {

class CTolvaneDoc;

// The entry dialog's state for the whole run, shared by New and Edit, and the target of the
// choosers opened for a peal's names. Choices reach the peal only while it is still the peal
// being resolved and still exists: a chooser left open on a peal that has since been cleared
// from the ledger, or whose resolution another entry replaced, changes nothing.
class CPealEntry : public CPealEntryState, public ChoiceTarget {
 public:
  explicit CPealEntry(CTolvaneDoc& doc) : m_doc(doc) {}
  CPealEntry(const CPealEntry&) = delete;
  CPealEntry& operator=(const CPealEntry&) = delete;

  CPealForm typed;  // the texts as the user left them at the last OK
  CPealForm shown;  // the texts the dialog showed; an applied field takes its typed text

  // Starts resolving the names of `peal` (a peal of the ledger, or `detached`), dropping any
  // resolution still in progress, and opens the chooser on the first changed name.
  void Resolve(CPeal& peal);
  // The peal whose names are being resolved; null when none, or when it no longer exists.
  CPeal* Resolving() const;

  // CPealEntryState
  bool TakeChangedField(PealNameField& field, int& position) override;
  void AfterChoice(PealNameField field, int position, int32_t key) override;
  // ChoiceTarget: a chooser's report for the peal being resolved.
  void OnChosen(int32_t key) override;

  // The empty peal that Edit works on when there is no current peal; it belongs to no ledger.
  std::unique_ptr<CPeal> detached;

 private:
  struct Changed {
    PealNameField field;
    int position;  // 0-based ringer position
  };
  // The first name field whose typed text differs from its shown text.
  std::optional<Changed> FirstChanged() const;
  const std::string& TypedText(const Changed& changed) const;
  void ResolveNext();
  void Finish();
  void Redraw();

  CTolvaneDoc& m_doc;
  CPeal* m_peal = nullptr;  // compared, never followed, until Resolving finds it again
  uint32_t m_number = 0;
};

// The ledger's entry state, made on first use.
CPealEntry& PealEntryOf(CTolvaneDoc& doc);

// The dialog state filled from a peal, as Edit shows it: names looked up, the tenor empty.
CPealForm FormOfPeal(const CPeal& peal);

// Runs the Peal Details dialog for `peal`, a peal made for entry, on the typed state with the
// tenor, footnotes and ringers emptied. On OK the changed fields (every non-empty one) are
// applied and true is given; the caller adds the peal to the ledger and then resolves its
// names (CPealEntry::Resolve). On Cancel the peal is untouched and false is given.
bool EnterNewPeal(CTolvaneDoc& doc, CPeal& peal);

// Runs the Peal Details dialog on `peal` (the current peal), or on the entry state's empty
// detached peal when it is null. The ledger is marked modified whether OK or Cancel is pressed,
// unless the peal belongs to no ledger.
void EditPeal(CTolvaneDoc& doc, CPeal* peal);

// Stores both states as the run-wide ones, applies the fields whose texts differ and resolves
// the changed names. A peal of the ledger whose date or sequence changed is put back in its
// place in ledger order within its buffer.
void ApplyDialog(CTolvaneDoc& doc, CPeal& peal, const CPealForm& typed, const CPealForm& shown);

// Opens the chooser on the first changed name of the peal being resolved.
void ResolveNextName(CTolvaneDoc& doc, CPeal& peal);

}  // namespace tv

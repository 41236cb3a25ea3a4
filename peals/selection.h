// Selection: the Select Peals dialog, the test of a peal against the selection state, and the
// split of the current buffer into the peals that pass (a new buffer placed before it) and the
// rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/dialog_model.h"
#include "peals/peal_ledger.h"
#include "peals/selection_state.h"

namespace tv {

class CIndex;
class CTolvaneDoc;

inline constexpr const char* kNoMatchFound = "No Match Found";

// The caption of a criterion's radio button: "Association" ... "Extras".
std::string_view CriterionCaption(int criterion);
// True for the criteria whose key is chosen in an index chooser (0 to 3, 7 to 9).
bool CriterionUsesChooser(int criterion);
// True for the criteria with Start and End bounds (5, 6, 10 to 14).
bool IsRangeCriterion(int criterion);
// The index the chooser opens on for a criterion that uses it; null for the others.
CIndex* CriterionIndex(int criterion);

// Parses the Start and End texts into `low` and `high` as the criterion reads them; leaves
// them alone for a criterion without a range.
void ComputeRange(int criterion, CSelectionState& state);

// The "Select Peals" dialog over the selection state. Choosing a criterion (OnChanged of its
// radio button) shows its controls and hides the others.
class CSelDialog : public DialogModel {
 public:
  CSelDialog(int criterion, const CSelectionState& state);
  static std::string CriterionId(int criterion);
  // The criterion whose button is checked; -1 for none.
  int Criterion() const;
  // Presses a criterion's button, as the user does.
  void ChooseCriterion(int criterion);
  void OnChanged(std::string_view id) override;
  // Reads the dialog back after OK and computes the range bounds.
  void Store(int& criterion, CSelectionState& state) const;

 private:
  void ShowControlsOf(int criterion);
};

// The keys a selection tests: the chosen key, then for Ringer and Conductor every person the
// ringer equivalences lead to from it, one after the other, each once.
std::vector<int32_t> SelectionKeys(int criterion, int32_t chosenKey);

// The test of one peal for every criterion but Duplicate: the Tower/Hand and Valid filters,
// then the criterion for any of `keys`, the whole answer inverted by Exclude (so a peal
// stopped by a filter is selected under Exclude).
bool Matches(const CPeal& peal, int criterion, const CSelectionState& state,
             const std::vector<int32_t>& keys);
// The same with the state's chosen key alone.
bool Matches(const CPeal& peal, int criterion, const CSelectionState& state);
// For each of `peals` (one buffer's, in ledger order), whether another of them has the same
// date and tower (SameDateAndTower), whatever their peal numbers. Peals of other buffers, the
// deleted ones among them, are not looked at.
std::vector<bool> TwinsInBuffer(const CPealLedger& ledger, const std::vector<uint32_t>& peals);

// Splits the ledger's current buffer: a new buffer is inserted at its number and every peal
// that passes moves into it, in ledger order; the old buffer keeps the rest. Both
// positions become their buffer's last peal and the new buffer stays current. Gives the number
// of peals selected; with none the new buffer is removed again and the buffers are as before.
// Nothing is done (0) for the deleted-peals buffer or a buffer that does not exist.
size_t SplitCurrentBuffer(CPealLedger& ledger, int criterion, const CSelectionState& state);

// CDocTgt's OnChosen: runs the ledger's selection with the chosen key (0 only brings the
// windows up to date), showing the new buffer, or "No Match Found" when nothing passed.
// Gives the number of peals selected.
size_t RunSelection(CTolvaneDoc& doc, int32_t key);
// Select after its dialog closed with OK: the chooser for a key, or the run at once.
void StartSelection(CTolvaneDoc& doc);

// A whole selection without windows, for the command line: the criterion and state as a
// closed dialog leaves them, with state.chosenKey already set to the entry a chooser criterion
// names (see ResolveEntry). Splits the current buffer as above and gives the number of peals
// selected; 0 (the buffers as before) also when a chooser criterion has no key or a range has
// no end above 0.
size_t SelectWithoutChooser(CPealLedger& ledger, int criterion, CSelectionState& state);

}  // namespace tv

// The state of the Select Peals dialog that the ledger keeps for the whole run, the ledger's
// selection target (CDocTgt), and the analysis query that the selection's Analysis box uses.
#pragma once

#include <cstdint>
#include <string>

#include "refdb/ind_obj.h"

namespace tv {

class CTolvaneDoc;

// The selection criteria, in the order of the dialog's "Select By" buttons.
enum SelectCriterion : int {
  kSelAssociation = 0,
  kSelTower = 1,
  kSelCounty = 2,
  kSelMethod = 3,
  kSelClass = 4,
  kSelStage = 5,
  kSelMethodCount = 6,
  kSelRinger = 7,
  kSelConductor = 8,
  kSelComposer = 9,
  kSelChanges = 10,
  kSelTime = 11,
  kSelTenor = 12,
  kSelRwPage = 13,
  kSelDate = 14,
  kSelDuplicate = 15,
  kSelFootnote = 16,
  kSelExtras = 17,
};
inline constexpr int kSelCriterionCount = 18;

// Which peals the Tower / Hand / Both buttons let through.
enum class TowerOrHand : int { Tower = 0, Hand = 1, Both = 2 };

// What the selection asks of the analysis on the screen: whether a person (mapped through the
// ringer equivalences by the analysis itself) has an item with tower peals rung.
class CAnalysisQuery {
 public:
  virtual ~CAnalysisQuery() = default;
  virtual bool HasRungTowerPeals(int32_t person) const = 0;
};

// The Select Peals dialog's fields other than the criterion, which the ledger keeps as
// selectCriterion because loading and rearranging buffers reset it.
struct CSelectionState {
  std::string searchText;  // given to the chooser, or looked for in footnotes and extras
  std::string startText;   // range bounds as typed
  std::string endText;
  TowerOrHand towerOrHand = TowerOrHand::Both;
  bool analysisOnly = false;  // also require a ringer counted in the current analysis
  bool exclude = false;       // invert the test
  bool allBuffers = false;    // shown and kept; nothing reads it
  bool validOnly = false;     // require a Validity entry
  int classIndex = -1;        // class code for the Class criterion; -1 when none is picked
  bool spliced = false;
  bool little = false;
  int32_t chosenKey = 0;  // the chooser's key, or 1 for criteria that need none
  int32_t low = 0;        // range bounds, parsed when the dialog closes with OK
  int32_t high = 0;
  // The current analysis list, for the Analysis box; not owned. None reads as a list with no
  // items, so that the box then selects nothing.
  const CAnalysisQuery* analysis = nullptr;
};

// The ledger's selection target: a key chosen for a selection runs it.
class CDocTgt : public CSelTgt {
 public:
  explicit CDocTgt(CTolvaneDoc& doc) : m_doc(doc) {}
  void OnChosen(int32_t key) override;

 private:
  CTolvaneDoc& m_doc;
};

}  // namespace tv

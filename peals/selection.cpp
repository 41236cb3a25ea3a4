// Selection: the Select Peals dialog, the test of a peal's record, and the ledger's Select
// command. The split of a buffer is in selection_split.cpp.
#include "peals/selection.h"

#include <algorithm>
#include <set>

#include "core/services.h"
#include "core/text.h"
#include "peals/tolvane_doc.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr const char* kCriterionIds[kSelCriterionCount] = {
    "association", "tower",  "county", "method",   "class",     "stage",
    "methods",     "ringer", "conductor", "composer", "changes", "time",
    "tenor",       "rwPage", "date",   "duplicate", "footnote", "extras"};
constexpr const char* kCriterionCaptions[kSelCriterionCount] = {
    "Association", "Tower",     "County",   "Method",  "Class",        "Stage",
    "No of Methods", "Ringer",  "Conductor", "Composer", "Changes",    "Time",
    "Tenor Weight", "RW Page",  "Date",     "Duplicate", "Footnote",   "Extras"};
constexpr const char* kSelectByGroup = "Select By";
constexpr const char* kPealsGroup = "Peals";
constexpr const char* kTowerOrHandIds[] = {"towerPeals", "handPeals", "bothPeals"};

// Range bounds beyond a 16-bit field are held at its largest value, not wrapped onto a small one.
int32_t Bound16(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 0xFFFF)); }

bool InRange(int64_t value, const CSelectionState& state) {
  return state.low <= value && value <= state.high;
}

bool AnyContains(const std::vector<std::string>& entries, const std::string& text) {
  return std::any_of(entries.begin(), entries.end(), [&text](const std::string& entry) {
    return entry.find(text) != std::string::npos;
  });
}

const CMethod* MethodOf(const CPeal& peal) {
  return peal.method != 0 ? MethodIndex().Method(static_cast<int32_t>(peal.method)) : nullptr;
}

// The criterion's own test, before the filters and Exclude.
bool CriterionHolds(const CPeal& peal, int criterion, const CSelectionState& state, int32_t key) {
  const auto is = [key](uint32_t field) { return static_cast<int64_t>(field) == key; };
  switch (criterion) {
    case kSelAssociation: return is(peal.association);
    case kSelTower: return is(peal.tower);
    case kSelCounty: {
      // Towers hold their county in one byte; a larger key names no tower's county.
      if (peal.tower == 0 || key > kMaxByteKey) return false;
      const CIndObj* object = TowerIndex().Lookup(static_cast<int32_t>(peal.tower));
      return object && static_cast<const CTower*>(object)->IdentityAt(peal.date).county == key;
    }
    case kSelMethod: return is(peal.method);
    case kSelClass:
    case kSelStage:
    case kSelMethodCount: {
      const CMethod* method = MethodOf(peal);
      return method && method->MatchesCriterion({.criterion = criterion,
                                                 .classIndex = state.classIndex,
                                                 .spliced = state.spliced,
                                                 .little = state.little,
                                                 .low = state.low,
                                                 .high = state.high});
    }
    case kSelRinger: return std::any_of(peal.ringers.begin(), peal.ringers.end(), is);
    case kSelConductor: return is(peal.conductor);
    case kSelComposer: return is(peal.composer) || is(peal.arranger) || is(peal.generatedBy);
    case kSelChanges: return InRange(peal.changes, state);
    case kSelTime: return InRange(peal.time, state);
    case kSelTenor: return InRange(peal.tenor, state);
    case kSelRwPage: return InRange(peal.RwPageNumber(false), state);
    case kSelDate: return InRange(peal.date, state);
    case kSelFootnote: return AnyContains(peal.extras[kFootnote], state.searchText);
    case kSelExtras: return AnyContains(peal.extras[kExtra], state.searchText);
    default: return false;
  }
}

}  // namespace

// --- criteria ---

std::string_view CriterionCaption(int criterion) {
  return criterion >= 0 && criterion < kSelCriterionCount ? kCriterionCaptions[criterion] : "";
}

bool CriterionUsesChooser(int criterion) {
  return (criterion >= kSelAssociation && criterion <= kSelMethod) ||
         (criterion >= kSelRinger && criterion <= kSelComposer);
}

bool IsRangeCriterion(int criterion) {
  return criterion == kSelStage || criterion == kSelMethodCount ||
         (criterion >= kSelChanges && criterion <= kSelDate);
}

CIndex* CriterionIndex(int criterion) {
  switch (criterion) {
    case kSelAssociation: return &AssocIndex();
    case kSelTower: return &TowerIndex();
    case kSelCounty: return &CountyIndex();
    case kSelMethod: return &MethodIndex();
    case kSelRinger:
    case kSelConductor:
    case kSelComposer: return &PersonIndex();
    default: return nullptr;
  }
}

void ComputeRange(int criterion, CSelectionState& state) {
  const std::string& start = state.startText;
  const std::string& end = state.endText;
  switch (criterion) {
    case kSelDate:
      state.low = ParseDate(start);
      state.high = ParseDate(end);
      if (state.high == 0) state.high = Today();
      return;
    case kSelTime:
      state.low = Bound16(ParseMinutes(start));
      state.high = Bound16(ParseMinutes(end));
      return;
    case kSelTenor:
      if (state.towerOrHand != TowerOrHand::Hand) {
        state.low = Bound16(ParseWeightWide(start));
        state.high = Bound16(ParseWeightWide(end));
        return;
      }
      [[fallthrough]];
    case kSelStage:
    case kSelMethodCount:
    case kSelChanges:
      state.low = Bound16(ParseDigitsWide(start));
      state.high = Bound16(ParseDigitsWide(end));
      return;
    case kSelRwPage:
      // Pages as the peal prints them: a year and a page (871228) go beyond 16 bits.
      state.low = static_cast<int32_t>(std::min<int64_t>(ParseDigitsWide(start), INT32_MAX));
      state.high = static_cast<int32_t>(std::min<int64_t>(ParseDigitsWide(end), INT32_MAX));
      return;
    default:
      return;
  }
}

// --- the dialog ---

CSelDialog::CSelDialog(int criterion, const CSelectionState& state) : DialogModel("Select Peals") {
  for (int c = 0; c < kSelCriterionCount; ++c) {
    AddRadio(kCriterionIds[c], kCriterionCaptions[c], kSelectByGroup, c == criterion);
  }
  AddText("searchText", "Search for", state.searchText, 20);
  AddText("start", "Start", state.startText, 10);
  AddText("end", "End", state.endText, 10);
  AddRadio(kTowerOrHandIds[0], "Tower", kPealsGroup, state.towerOrHand == TowerOrHand::Tower);
  AddRadio(kTowerOrHandIds[1], "Hand", kPealsGroup, state.towerOrHand == TowerOrHand::Hand);
  AddRadio(kTowerOrHandIds[2], "Both", kPealsGroup, state.towerOrHand == TowerOrHand::Both);
  AddCheck("analysis", "Analysis", state.analysisOnly);
  AddCheck("exclude", "Exclude", state.exclude);
  AddCheck("allBuffers", "All Buffers", state.allBuffers);
  AddCheck("valid", "Valid", state.validOnly);
  std::vector<std::string> classes{"(None)"};
  for (int code = 1; code < kClassCount; ++code) classes.emplace_back(ClassWords[code]);
  AddDropDown("classList", "Class", std::move(classes),
              state.classIndex >= 0 && state.classIndex < kClassCount ? state.classIndex : -1);
  AddCheck("spliced", "Spliced", state.spliced);
  AddCheck("little", "Little", state.little);
  ShowControlsOf(criterion);
}

std::string CSelDialog::CriterionId(int criterion) { return kCriterionIds[criterion]; }

int CSelDialog::Criterion() const {
  for (int c = 0; c < kSelCriterionCount; ++c) {
    if (Checked(kCriterionIds[c])) return c;
  }
  return -1;
}

void CSelDialog::ChooseCriterion(int criterion) {
  SetChecked(kCriterionIds[criterion], true);
  OnChanged(kCriterionIds[criterion]);
}

void CSelDialog::OnChanged(std::string_view id) {
  if (Control(id).kind == ControlKind::Radio && Control(id).group == kSelectByGroup) {
    ShowControlsOf(Criterion());
  }
}

void CSelDialog::ShowControlsOf(int criterion) {
  const bool search = CriterionUsesChooser(criterion) || criterion == kSelFootnote ||
                      criterion == kSelExtras;
  const bool range = IsRangeCriterion(criterion);
  const bool byClass = criterion == kSelClass;
  Control("searchText").visible = search;
  Control("start").visible = range;
  Control("end").visible = range;
  Control("classList").visible = byClass;
  Control("spliced").visible = byClass;
  Control("little").visible = byClass;
}

void CSelDialog::Store(int& criterion, CSelectionState& state) const {
  if (const int chosen = Criterion(); chosen >= 0) criterion = chosen;
  state.searchText = Text("searchText");
  state.startText = Text("start");
  state.endText = Text("end");
  for (int i = 0; i < 3; ++i) {
    if (Checked(kTowerOrHandIds[i])) state.towerOrHand = static_cast<TowerOrHand>(i);
  }
  state.analysisOnly = Checked("analysis");
  state.exclude = Checked("exclude");
  state.allBuffers = Checked("allBuffers");
  state.validOnly = Checked("valid");
  state.classIndex = Selected("classList");
  state.spliced = Checked("spliced");
  state.little = Checked("little");
  ComputeRange(criterion, state);
}

// --- the tests ---

std::vector<int32_t> SelectionKeys(int criterion, int32_t chosenKey) {
  std::vector<int32_t> keys{chosenKey};
  if (criterion != kSelRinger && criterion != kSelConductor) return keys;
  const CEquivalences& equivalences = PersonIndex().equivalences;
  std::set<int32_t> seen{chosenKey};
  for (int32_t k = equivalences.NextInGroup(chosenKey); k != 0 && seen.insert(k).second;
       k = equivalences.NextInGroup(k)) {
    keys.push_back(k);
  }
  return keys;
}

bool Matches(const CPeal& peal, int criterion, const CSelectionState& state,
             const std::vector<int32_t>& keys) {
  if ((state.towerOrHand == TowerOrHand::Tower && peal.handbell) ||
      (state.towerOrHand == TowerOrHand::Hand && !peal.handbell)) {
    return state.exclude;
  }
  if (state.validOnly && peal.extras[kValidity].empty()) return state.exclude;
  // Exclude inverts the test as a whole: a peal of an equivalent ringer is no more "without
  // the ringer" than a peal of the ringer itself.
  const bool holds = std::any_of(keys.begin(), keys.end(), [&](int32_t key) {
    return CriterionHolds(peal, criterion, state, key);
  });
  return holds != state.exclude;
}

bool Matches(const CPeal& peal, int criterion, const CSelectionState& state) {
  return Matches(peal, criterion, state, std::vector<int32_t>{state.chosenKey});
}

// --- the ledger's command ---

size_t RunSelection(CTolvaneDoc& doc, int32_t key) {
  doc.selection.chosenKey = key;
  size_t selected = 0;
  if (key != 0 && doc.currentBuffer != kDeletedBuffer && doc.BufferExists(doc.currentBuffer)) {
    {
      CWait wait;
      selected = SplitCurrentBuffer(doc, doc.selectCriterion, doc.selection);
    }
    doc.ShowBuffer(doc.currentBuffer);
    if (selected == 0) ThePlatform().Message(kNoMatchFound);
  }
  if (doc.views) doc.views->RedrawAll();
  return selected;
}

void CDocTgt::OnChosen(int32_t key) { RunSelection(m_doc, key); }

void StartSelection(CTolvaneDoc& doc) {
  const int criterion = doc.selectCriterion;
  CSelectionState& state = doc.selection;
  if (CriterionUsesChooser(criterion)) {
    if (state.searchText.empty()) {
      RunSelection(doc, 0);
      return;
    }
    ThePlatform().StartChooser({.chooser = 1, .target = &doc.docTarget,
                                .index = CriterionIndex(criterion), .text = state.searchText,
                                .title = std::string(CriterionCaption(criterion))});
    return;
  }
  if (!IsRangeCriterion(criterion)) {
    state.high = 1;
    RunSelection(doc, 1);
    return;
  }
  // A range without an end above 0 selects nothing, and says nothing.
  if (state.high > 0) RunSelection(doc, 1);
}

void CTolvaneDoc::Select() {
  CSelDialog dialog(selectCriterion, selection);
  if (!ThePlatform().RunDialog(dialog)) return;
  dialog.Store(selectCriterion, selection);
  StartSelection(*this);
}

}  // namespace tv

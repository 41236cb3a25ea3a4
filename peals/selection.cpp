// Selection: the Select Peals dialog, the peal test, the duplicate test and the walk that moves
// the peals that pass into a new buffer.
#include "peals/selection.h"

#include <algorithm>
#include <set>
#include <span>
#include <unordered_map>

#include "core/services.h"
#include "core/two_halves.h"
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

bool AnalysisTest(std::span<const uint32_t> ringers, const CSelectionState& state) {
  if (!state.analysis) return false;
  return std::any_of(ringers.begin(), ringers.end(), [&state](uint32_t ringer) {
    return ringer != 0 && state.analysis->HasRungTowerPeals(static_cast<int32_t>(ringer));
  });
}

// True for the criteria whose test reads only fields the ledger's columns hold.
bool TestedOnColumns(int criterion) {
  switch (criterion) {
    case kSelAssociation:
    case kSelTower:
    case kSelMethod:
    case kSelClass:
    case kSelStage:
    case kSelMethodCount:
    case kSelRinger:
    case kSelConductor:
    case kSelChanges:
    case kSelTime:
    case kSelTenor:
    case kSelDate: return true;
    default: return false;
  }
}

// Matches for a criterion that TestedOnColumns names, reading the columns of peal `p` only.
// The method criteria ask the method index once for each method met.
class CColumnTest {
 public:
  CColumnTest(const CPealColumns& columns, int criterion, const CSelectionState& state,
              const std::vector<int32_t>& keys)
      : m_c(columns), m_criterion(criterion), m_state(state), m_keys(keys) {
    // The ringers wanted, marked by person key, so that each ringer of a peal is one look-up.
    if (criterion == kSelRinger) {
      m_wanted.assign(std::min<uint32_t>(columns.PersonKeyBound(), kMarkedKeys), 0);
      m_everyKeyMarked = columns.PersonKeyBound() <= kMarkedKeys;
      m_plainRinger = m_everyKeyMarked && !state.exclude && !state.validOnly &&
                      state.towerOrHand == TowerOrHand::Both;
      for (const int32_t key : keys) {
        if (key >= 0 && static_cast<size_t>(key) < m_wanted.size()) m_wanted[static_cast<size_t>(key)] = 1;
      }
    }
  }

  bool Matches(uint32_t p) {
    if (m_plainRinger) return RingerMarked(p);
    if ((m_state.towerOrHand == TowerOrHand::Tower && m_c.Handbell(p)) ||
        (m_state.towerOrHand == TowerOrHand::Hand && !m_c.Handbell(p))) {
      return m_state.exclude;
    }
    if (m_state.validOnly && !m_c.HasValidity(p)) return m_state.exclude;
    return Holds(p) != m_state.exclude;
  }

 private:
  // Whether a ringer of peal `p` is marked wanted; every key must be below the marks' end.
  // No branch a ringer: a peal's few keys are all looked at.
  bool RingerMarked(uint32_t p) const {
    const uint32_t* ringer = m_c.ringerKeys.data() + m_c.ringerStart[p];
    const uint32_t* const end = ringer + m_c.ringerCount[p];
    uint8_t hit = 0;
    for (; ringer != end; ++ringer) hit |= m_wanted[*ringer];
    return hit != 0;
  }

  bool AnyKey(uint32_t field) const {
    return std::any_of(m_keys.begin(), m_keys.end(),
                       [field](int32_t key) { return static_cast<int64_t>(field) == key; });
  }
  bool InRangeOf(int64_t value) const { return InRange(value, m_state); }

  bool Holds(uint32_t p) {
    switch (m_criterion) {
      case kSelAssociation: return AnyKey(m_c.association[p]);
      case kSelTower: return AnyKey(m_c.tower[p]);
      case kSelMethod: return AnyKey(m_c.method[p]);
      case kSelClass:
      case kSelStage:
      case kSelMethodCount: return MethodHolds(m_c.method[p]);
      case kSelRinger: {
        const std::span<const uint32_t> ringers = m_c.Ringers(p);
        if (m_everyKeyMarked) return RingerMarked(p);
        return std::any_of(ringers.begin(), ringers.end(), [this](uint32_t ringer) {
          return ringer < m_wanted.size() ? m_wanted[ringer] != 0 : AnyKey(ringer);
        });
      }
      case kSelConductor: return AnyKey(m_c.conductor[p]);
      case kSelChanges: return InRangeOf(m_c.changes[p]);
      case kSelTime: return InRangeOf(m_c.time[p]);
      case kSelTenor: return InRangeOf(m_c.tenor[p]);
      case kSelDate: return InRangeOf(m_c.date[p]);
      default: return false;
    }
  }

  bool MethodHolds(uint32_t key) {
    if (key == 0) return false;
    const auto known = m_methods.find(key);
    if (known != m_methods.end()) return known->second;
    CPeal peal;
    peal.method = key;
    const bool holds = CriterionHolds(peal, m_criterion, m_state, m_keys.front());
    m_methods.emplace(key, holds);
    return holds;
  }

  const CPealColumns& m_c;
  int m_criterion;
  const CSelectionState& m_state;
  const std::vector<int32_t>& m_keys;
  std::unordered_map<uint32_t, bool> m_methods;
  static constexpr uint32_t kMarkedKeys = 1u << 24;
  std::vector<uint8_t> m_wanted;  // by person key below kMarkedKeys: 1 for a key wanted
  bool m_everyKeyMarked = false;  // every person key of the ledger is below m_wanted's end
  bool m_plainRinger = false;     // a ringer wanted, with no filter and no Exclude
};

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

std::vector<bool> TwinsInBuffer(const CPealLedger& ledger, const std::vector<uint32_t>& peals) {
  std::vector<bool> twin(peals.size(), false);
  // The buffer is in ledger order, date first, so the peals of one date follow one another.
  for (size_t first = 0; first < peals.size();) {
    const Date date = ledger.PealAt(peals[first])->date;
    size_t end = first + 1;
    while (end < peals.size() && ledger.PealAt(peals[end])->date == date) ++end;
    for (size_t i = first; i < end; ++i) {
      for (size_t j = i + 1; j < end; ++j) {
        bool sameDate = false;
        if (ledger.PealAt(peals[i])->SameDateAndTower(*ledger.PealAt(peals[j]), sameDate)) {
          twin[i] = twin[j] = true;
        }
      }
    }
    first = end;
  }
  return twin;
}

// --- the split ---

size_t SplitCurrentBuffer(CPealLedger& ledger, int criterion, const CSelectionState& state) {
  const int n = ledger.currentBuffer;
  if (n == kDeletedBuffer || !ledger.BufferExists(n)) return 0;
  ledger.bufferRoots.insert(ledger.bufferRoots.begin() + n, 0);
  ledger.bufferPositions.insert(ledger.bufferPositions.begin() + n, 0);
  const int o = n + 1;
  const std::vector<int32_t> keys = SelectionKeys(criterion, state.chosenKey);

  // Whether a peal passes does not hang on where the others are, so each is tested once in
  // ledger order and the two buffers are then linked whole, each as a balanced tree. Moving
  // subtrees across one by one gives the same buffers but, on a large ledger, trees that grow
  // deep and a split that grows faster than the ledger.
  std::vector<uint32_t> passing;
  std::vector<uint32_t> failing;
  const CPealColumns& columns = ledger.Columns();
  if (TestedOnColumns(criterion) && !state.analysisOnly) {
    // The columns are only read, so the peals before the tree's root and the rest are walked
    // and tested at once; the second part's peals then follow the first's, in ledger order.
    const uint32_t root = ledger.bufferRoots[o];
    const uint32_t limit = ledger.lastPealNumber;
    std::vector<uint32_t> later[2];
    const auto walk = [&](uint32_t from, uint32_t to, std::vector<uint32_t>& pass,
                          std::vector<uint32_t>& fail) {
      CColumnTest onColumns(columns, criterion, state, keys);
      fail.reserve(limit);  // what is not filled is never touched
      // The count guards against a damaged thread.
      for (uint32_t p = from, walked = 0; p != to && walked <= limit; p = ledger.Entry(p).next, ++walked) {
        (onColumns.Matches(p) ? pass : fail).push_back(p);
      }
    };
    if (limit > kHalvesAbove) {
      RunBoth([&] { walk(ledger.FirstOf(o), root, passing, failing); },
              [&] { walk(root, 0, later[0], later[1]); });
    } else {
      walk(ledger.FirstOf(o), 0, passing, failing);
    }
    passing.insert(passing.end(), later[0].begin(), later[0].end());
    failing.insert(failing.end(), later[1].begin(), later[1].end());
  } else {
    const std::vector<uint32_t> peals = ledger.PealsOf(o);
    const std::vector<bool> twins =
        criterion == kSelDuplicate ? TwinsInBuffer(ledger, peals) : std::vector<bool>();
    CColumnTest onColumns(columns, criterion, state, keys);
    const bool byColumns = TestedOnColumns(criterion);
    for (size_t i = 0; i < peals.size(); ++i) {
      const uint32_t p = peals[i];
      bool passes = false;
      if (criterion == kSelDuplicate) {
        // Exclude gives the peals without a twin; the other filters do not apply.
        passes = twins[i] != state.exclude;
      } else {
        passes = byColumns ? onColumns.Matches(p) : Matches(*ledger.PealAt(p), criterion, state, keys);
        if (passes && state.analysisOnly) passes = AnalysisTest(columns.Ringers(p), state);
      }
      (passes ? passing : failing).push_back(p);
    }
  }
  const size_t selected = passing.size();
  // With nothing selected the buffer is left linked as it was.
  if (selected > 0) {
    ledger.LinkWholeBuffer(passing, n);
    ledger.LinkWholeBuffer(failing, o);
  }

  ledger.bufferPositions[o] = ledger.LastOf(o);
  ledger.bufferPositions[n] = ledger.LastOf(n);
  if (selected == 0) {
    ledger.bufferRoots.erase(ledger.bufferRoots.begin() + n);
    ledger.bufferPositions.erase(ledger.bufferPositions.begin() + n);
  }
  return selected;
}

size_t SelectWithoutChooser(CPealLedger& ledger, int criterion, CSelectionState& state) {
  if (criterion < 0 || criterion >= kSelCriterionCount) return 0;
  ComputeRange(criterion, state);
  if (CriterionUsesChooser(criterion)) {
    if (state.chosenKey == 0) return 0;
  } else {
    if (!IsRangeCriterion(criterion)) state.high = 1;
    if (state.high <= 0) return 0;
    state.chosenKey = 1;
  }
  return SplitCurrentBuffer(ledger, criterion, state);
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

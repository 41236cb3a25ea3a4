// The split of a buffer by a selection: each peal tested once, on the ledger's columns where the
// criterion allows (two halves of the buffer at once), and both buffers linked whole.
#include <algorithm>
#include <span>
#include <unordered_map>

#include "core/two_halves.h"
#include "peals/selection.h"

namespace tv {
namespace {

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
  bool InRangeOf(int64_t value) const { return m_state.low <= value && value <= m_state.high; }

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
    // The criterion alone, without the filters and Exclude, which Matches applies itself.
    CSelectionState plain = m_state;
    plain.exclude = plain.validOnly = false;
    plain.towerOrHand = TowerOrHand::Both;
    const bool holds = tv::Matches(peal, m_criterion, plain, m_keys);
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

}  // namespace tv

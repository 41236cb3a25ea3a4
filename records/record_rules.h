// The counting rules of personal and association records: which milestone numbers count, the
// categories a performance is counted in, and how the performances of several ledgers are put
// in one order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"

namespace tv {

class CPeal;
class CPealLedger;

// The numbers that make a milestone: 1, 10, 25, 50, 100 and every 100 after.
bool IsMilestone(uint32_t count);
// The first milestone number above `count`.
uint32_t NextMilestone(uint32_t count);
// "1st", "10th", "25th", ... (the English ordinal of any count).
std::string OrdinalText(uint32_t count);

// What a count is kept for. The order is the order in which a record lists them.
enum class RecordCategory : uint8_t {
  All,          // every performance
  Tower,        // tower performances
  Handbell,     // handbell performances
  AtTower,      // tower performances at one tower (subject: the tower key)
  Association,  // subject: the association key
  Method,       // subject: the method key
  Stage,        // subject: the stage byte of the method
  Conductor,    // performances conducted
  WithRinger,   // subject: the other ringer, as the person counted
  Class,        // subject: the method class code; kept for firsts only, never a milestone
};
inline constexpr int kRecordCategoryCount = 10;
// The categories whose counts make milestones (all but Class).
constexpr bool MakesMilestones(RecordCategory category) { return category != RecordCategory::Class; }

// Peal ledgers and quarter-peal ledgers are counted apart.
enum class PerformanceKind : uint8_t { Peal, Quarter };
// A ledger whose extension begins ".q" (.qv3, .qv0) holds quarter peals; any other peals.
PerformanceKind KindOfLedger(std::string_view path);
// "peal" or "quarter peal", and with "s".
std::string_view KindNoun(PerformanceKind kind, bool plural);

// One performance of the records, in counting order.
struct CPerformance {
  const CPeal* peal = nullptr;  // owned by its ledger, which outlives the list
  uint16_t ledger = 0;          // the ledger's place among those given
  bool selected = true;         // in the current buffer of its ledger (the selection)
};

// The performances gathered from ledgers given in order: every peal of every buffer but the
// deleted peals' (a selection only splits the buffers), those with a Validity entry
// (withdrawn, false) left out unless `all`; the peals of a ledger's current buffer are marked
// selected. Ordered by date, then sequence, then the place of the ledger, then the peal's
// place in its ledger. The caller gives ledgers of one kind only.
std::vector<CPerformance> GatherPerformances(const std::vector<const CPealLedger*>& ledgers,
                                             bool all);

// True when the peal counts under the rules: no Validity entry, or `all`.
bool CountsUnderRules(const CPeal& peal, bool all);

}  // namespace tv

// Counting the peals of a buffer for a summary.
#include "peals/ledger_summary.h"

namespace tv {

LedgerSummary SummarizeBuffer(const CPealLedger& ledger, int buffer) {
  LedgerSummary summary;
  for (const uint32_t n : ledger.PealsOf(buffer)) {
    const CPeal* peal = ledger.PealAt(n);
    if (!peal) continue;
    ++summary.peals;
    ++summary.byAssociation[peal->association];
    if (peal->date == 0) continue;
    if (summary.firstDate == 0 || peal->date < summary.firstDate) summary.firstDate = peal->date;
    if (peal->date > summary.lastDate) summary.lastDate = peal->date;
  }
  return summary;
}

}  // namespace tv

// A short account of the peals of a buffer: how many, their date range, and how many each
// association rang.
#pragma once

#include <cstdint>
#include <map>

#include "core/dates.h"
#include "peals/peal_ledger.h"

namespace tv {

struct LedgerSummary {
  uint32_t peals = 0;
  Date firstDate = 0;  // earliest and latest dated peal; 0 when no peal has a date
  Date lastDate = 0;
  std::map<uint8_t, uint32_t> byAssociation;  // association key (0 = none) -> peals
};

LedgerSummary SummarizeBuffer(const CPealLedger& ledger, int buffer);

}  // namespace tv

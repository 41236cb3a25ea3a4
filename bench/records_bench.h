// The records' benchmarks on the demo ledger of one size: a ringer's record, and the milestones
// of one year's performances.
#pragma once

#include <cstdint>

namespace tv::bench {

void RegisterRecordsBenchmarks(uint32_t peals);

}  // namespace tv::bench

// The recorder's view: every milestone that some ringer reached in the selected performances,
// counted over all the performances before them, grouped by ringer for an annual report.
#pragma once

#include <cstdint>
#include <vector>

#include "records/ringer_record.h"

namespace tv {

struct CPersonMilestones {
  uint32_t person = 0;                  // the person counted (after the equivalences)
  std::vector<CMilestone> milestones;   // in the order of the performances, then category
};

// Counts every performance (selected or not) up to the last selected one, for the persons who
// rang or conducted a selected one, and gives the milestones reached in selected performances,
// grouped by person in the person index's order. Empty when nothing is selected or no milestone
// was reached. The index set must be open.
std::vector<CPersonMilestones> ComputeSelectionMilestones(
    const std::vector<CPerformance>& performances, CRecordFacts& facts);

}  // namespace tv

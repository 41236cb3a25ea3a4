// The tables of a ringer's record and of the milestones of a selection, with the names of the
// entries they count looked up in the open index set.
#pragma once

#include <string>
#include <vector>

#include "records/record_report.h"
#include "records/ringer_record.h"
#include "records/selection_milestones.h"

namespace tv {

// How the counting was done, for the notes under a report's title.
struct CRecordContext {
  PerformanceKind kind = PerformanceKind::Peal;
  bool all = false;  // withdrawn and false performances counted too
};

// How many of the ringers rung with most a record lists.
inline constexpr size_t kMostRungWith = 20;

// The words of a milestone: "100th peal", "10th peal at LEEDS, W Yorks, ...", "25th peal with
// John Smith"; with `number` 0 the words of a first: "First peal of Major".
std::string MilestoneWords(RecordCategory category, uint32_t subject, uint32_t number,
                           PerformanceKind kind);

// The record of one ringer: totals, milestones, firsts, upcoming milestones, towers, rung-with,
// longest and fastest.
CRecordReport RingerReport(const CRingerRecord& record,
                           const std::vector<CPerformance>& performances,
                           const CRecordContext& context);

// The milestones reached in a selection: one table per ringer.
CRecordReport MilestonesReport(const std::vector<CPersonMilestones>& milestones,
                               const std::vector<CPerformance>& performances,
                               const CRecordContext& context);

// The name a record gives a person: the full name, or "#KEY" for a key without an entry.
std::string PersonName(uint32_t person);

}  // namespace tv

// A ringer's record over the performances of one kind: totals, milestones reached, firsts,
// upcoming milestones, towers rung and circled, rung-with, longest and fastest.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "core/dates.h"
#include "records/record_counter.h"
#include "records/record_rules.h"

namespace tv {

// A count of one category reaching a milestone number, at a performance.
struct CMilestone {
  RecordCategory category = RecordCategory::All;
  uint32_t subject = 0;      // the tower, association, method, stage or ringer; 0 for none
  uint32_t number = 0;       // the milestone number reached
  uint32_t performance = 0;  // index into the performances counted
};

// The next milestone of a category: `count` so far, `next` to come.
struct CUpcomingMilestone {
  RecordCategory category = RecordCategory::All;
  uint32_t subject = 0;
  uint32_t count = 0;
  uint32_t next = 0;
  uint32_t Needed() const { return next - count; }
};

// The first performance of a category (All, Handbell, Conductor, AtTower, Stage, Class).
struct CFirstPerformance {
  RecordCategory category = RecordCategory::All;
  uint32_t subject = 0;
  uint32_t performance = 0;
};

// A tower the ringer rang tower performances at.
struct CTowerRung {
  uint32_t tower = 0;
  uint32_t performances = 0;
  Date first = 0;
  Date last = 0;
  std::bitset<256> bells;  // bell n rung at least once; bit 0 unused
  uint8_t ringSize = 0;    // the tower's number of bells today; 0 when not known

  // Every bell of the ring rung at least once; never for a ring of unknown size.
  bool Circled() const;
  // The bells of the ring not yet rung, in order.
  std::vector<int> BellsNeeded() const;
};

struct CRungWith {
  uint32_t person = 0;
  uint32_t performances = 0;
};

struct CRingerRecord {
  uint32_t person = 0;  // the person counted (after the equivalences)
  uint32_t performances = 0;
  uint32_t tower = 0;
  uint32_t handbell = 0;
  uint32_t conducted = 0;
  int64_t changes = 0;
  int64_t minutes = 0;
  std::vector<CMilestone> milestones;       // in the order of the performances, then category
  std::vector<CFirstPerformance> firsts;    // in the order of the performances, then category
  std::vector<CUpcomingMilestone> upcoming; // nearest first, then category and subject
  std::vector<CTowerRung> towers;           // in the order of the first performance there
  std::vector<CRungWith> rungWith;          // every ringer rung with: most first, then by key
  int64_t longest = -1;                     // index of the performance of most changes; -1 none
  int64_t fastest = -1;                     // index of the one of most changes a minute; -1 none
};

// Counts the record of `person` (a person key, counted as the equivalences say) over
// `performances`, only those marked selected. A person who neither rang nor conducted any of
// them gets an empty record. The index set must be open (methods and towers are looked up).
CRingerRecord ComputeRingerRecord(const std::vector<CPerformance>& performances,
                                  CRecordFacts& facts, uint32_t person);

// The bell numbers (from 1) that the ringer of a 0-based position rang in a tower performance:
// the numbers of the position's Bell String when it has any, else the position's bells by the
// analyses' bell rule (Bell(s) masks, or the position itself).
std::vector<int> BellsRungAt(const CPeal& peal, int position);

}  // namespace tv

// Laying out records as tables.
#include "records/record_layout.h"

#include <cstdio>

#include "core/text.h"
#include "output/text_styles.h"
#include "peals/peal_record.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

std::string DateCell(Date date) { return date == 0 ? std::string("no date") : DateText(date, 0); }

std::string PerformanceLine(const CPerformance& performance) {
  CExportOptions options;
  return Trimmed(LineText(*performance.peal, options));
}

std::string Count(int64_t n) { return std::to_string(n); }

std::string Minutes(int64_t minutes) {
  char text[32];
  std::snprintf(text, sizeof text, "%lldh %02lldm", static_cast<long long>(minutes / 60),
                static_cast<long long>(minutes % 60));
  return text;
}

std::string BellList(const std::vector<int>& bells) {
  std::string text;
  for (const int bell : bells) text += (text.empty() ? "" : " ") + std::to_string(bell);
  return text;
}

std::vector<int> BellsOf(const CTowerRung& tower) {
  std::vector<int> bells;
  for (int bell = 1; bell < 256; ++bell) {
    if (tower.bells.test(static_cast<size_t>(bell))) bells.push_back(bell);
  }
  return bells;
}

std::string CircledCell(const CTowerRung& tower) {
  if (tower.ringSize == 0) return "number of bells not known";
  if (tower.Circled()) return "circled";
  return "needs " + BellList(tower.BellsNeeded());
}

std::vector<std::string> NoteLines(const CRecordContext& context, std::string_view what,
                                   size_t counted) {
  const std::string noun(KindNoun(context.kind, true));
  return {ShortDateText(Today(), true) + ".",
          std::string(what) + " " + std::to_string(counted) + " " + noun + (context.all
              ? ", withdrawn and false ones included."
              : "; withdrawn and false ones (with a Validity entry) left out.")};
}

size_t SelectedCount(const std::vector<CPerformance>& performances) {
  size_t n = 0;
  for (const CPerformance& p : performances) n += p.selected ? 1 : 0;
  return n;
}

}  // namespace

std::string PersonName(uint32_t person) {
  const std::string name = FullNameOf(static_cast<int32_t>(person));
  return name.empty() ? "#" + std::to_string(person) : name;
}

std::string MilestoneWords(RecordCategory category, uint32_t subject, uint32_t number,
                           PerformanceKind kind) {
  const std::string noun(KindNoun(kind, false));
  const std::string lead = number == 0 ? std::string("First") : OrdinalText(number);
  const auto key = static_cast<int32_t>(subject);
  switch (category) {
    case RecordCategory::All: return lead + " " + noun;
    case RecordCategory::Tower: return lead + " tower " + noun;
    case RecordCategory::Handbell: return lead + " handbell " + noun;
    case RecordCategory::AtTower: return lead + " " + noun + " at " + TowerIndex().NameOf(key, 0);
    case RecordCategory::Association:
      return lead + " " + noun + " for " + AssocIndex().NameOf(key, 0);
    case RecordCategory::Method: return lead + " " + noun + " of " + MethodIndex().NameOf(key, 0);
    case RecordCategory::Stage: return lead + " " + noun + " of " + StageName(subject);
    case RecordCategory::Conductor: return lead + " " + noun + " conducted";
    case RecordCategory::WithRinger: return lead + " " + noun + " with " + PersonName(subject);
    case RecordCategory::Class: {
      const std::string_view word = ClassWord(key);
      if (word.empty()) return lead + " " + noun + " of a method without a class";
      return lead + " " + std::string(word) + " " + noun;
    }
  }
  return lead + " " + noun;
}

CRecordReport RingerReport(const CRingerRecord& record,
                           const std::vector<CPerformance>& performances,
                           const CRecordContext& context) {
  const PerformanceKind kind = context.kind;
  CRecordReport report;
  report.title = PersonName(record.person) + ": " + std::string(KindNoun(kind, true));
  report.notes = NoteLines(context, "Counted over", SelectedCount(performances));

  size_t circled = 0;
  for (const CTowerRung& tower : record.towers) circled += tower.Circled() ? 1 : 0;
  CRecordTable totals{.title = "Totals", .columns = {"What", "Number"}, .rows = {}};
  totals.rows = {{"Performances", Count(record.performances)},
                 {"Tower", Count(record.tower)},
                 {"Handbell", Count(record.handbell)},
                 {"Conducted", Count(record.conducted)},
                 {"Changes", Count(record.changes)},
                 {"Time", Minutes(record.minutes)},
                 {"Towers rung", Count(static_cast<int64_t>(record.towers.size()))},
                 {"Towers circled", Count(static_cast<int64_t>(circled))},
                 {"Ringers rung with", Count(static_cast<int64_t>(record.rungWith.size()))}};
  report.tables.push_back(std::move(totals));

  CRecordTable milestones{.title = "Milestones", .columns = {"Milestone", "Date", "Performance"}, .rows = {}};
  for (const CMilestone& m : record.milestones) {
    const CPerformance& p = performances[m.performance];
    milestones.rows.push_back({MilestoneWords(m.category, m.subject, m.number, kind),
                               DateCell(p.peal->date), PerformanceLine(p)});
  }
  report.tables.push_back(std::move(milestones));

  CRecordTable firsts{.title = "Firsts", .columns = {"First", "Date", "Performance"}, .rows = {}};
  for (const CFirstPerformance& f : record.firsts) {
    const CPerformance& p = performances[f.performance];
    firsts.rows.push_back({MilestoneWords(f.category, f.subject, 0, kind), DateCell(p.peal->date),
                           PerformanceLine(p)});
  }
  report.tables.push_back(std::move(firsts));

  CRecordTable upcoming{.title = "Upcoming milestones",
                        .columns = {"Milestone", "So far", "Still to ring"}, .rows = {}};
  for (const CUpcomingMilestone& u : record.upcoming) {
    upcoming.rows.push_back({MilestoneWords(u.category, u.subject, u.next, kind), Count(u.count),
                             Count(u.Needed())});
  }
  report.tables.push_back(std::move(upcoming));

  CRecordTable towers{.title = "Towers",
                      .columns = {"Tower", "Performances", "First", "Last", "Bells rung", "Bells"},
                      .rows = {}};
  for (const CTowerRung& t : record.towers) {
    towers.rows.push_back({TowerIndex().NameOf(static_cast<int32_t>(t.tower), 0),
                           Count(t.performances), DateCell(t.first), DateCell(t.last),
                           BellList(BellsOf(t)), CircledCell(t)});
  }
  report.tables.push_back(std::move(towers));

  CRecordTable rungWith{.title = "Rung with most", .columns = {"Ringer", "Performances"}, .rows = {}};
  for (size_t i = 0; i < record.rungWith.size() && i < kMostRungWith; ++i) {
    rungWith.rows.push_back({PersonName(record.rungWith[i].person),
                             Count(record.rungWith[i].performances)});
  }
  report.tables.push_back(std::move(rungWith));

  CRecordTable extremes{.title = "Longest and fastest", .columns = {"What", "Date", "Performance"},
                        .rows = {}};
  if (record.longest >= 0) {
    const CPerformance& p = performances[static_cast<size_t>(record.longest)];
    extremes.rows.push_back({"Longest: " + Count(p.peal->changes) + " changes",
                             DateCell(p.peal->date), PerformanceLine(p)});
  }
  if (record.fastest >= 0) {
    const CPerformance& p = performances[static_cast<size_t>(record.fastest)];
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", static_cast<double>(p.peal->changes) / p.peal->time);
    extremes.rows.push_back({"Fastest: " + std::string(rate) + " changes a minute",
                             DateCell(p.peal->date), PerformanceLine(p)});
  }
  report.tables.push_back(std::move(extremes));
  return report;
}

CRecordReport MilestonesReport(const std::vector<CPersonMilestones>& milestones,
                               const std::vector<CPerformance>& performances,
                               const CRecordContext& context) {
  CRecordReport report;
  report.title = "Milestones reached: " + std::string(KindNoun(context.kind, true));
  report.notes = NoteLines(context, "Selected:", SelectedCount(performances));
  report.notes.push_back(std::to_string(milestones.size()) +
                         " ringers reached milestones in them; every earlier performance of the "
                         "ledgers counts towards them.");
  for (const CPersonMilestones& person : milestones) {
    CRecordTable table{.title = PersonName(person.person),
                       .columns = {"Milestone", "Date", "Performance"}, .rows = {}};
    for (const CMilestone& m : person.milestones) {
      const CPerformance& p = performances[m.performance];
      table.rows.push_back({MilestoneWords(m.category, m.subject, m.number, context.kind),
                            DateCell(p.peal->date), PerformanceLine(p)});
    }
    report.tables.push_back(std::move(table));
  }
  return report;
}

}  // namespace tv

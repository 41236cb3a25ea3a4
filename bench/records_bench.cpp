// A ringer's record and a year's milestones over the loaded demo ledger, each timed from the
// ledger in memory to the computed record: gathering the performances in counting order, then
// counting. The ringer is the demo's married ringer, who rings throughout and is counted under
// her equivalence; the year is the last whole year of the ledger.
#include "bench/records_bench.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "app/demo_database.h"
#include "bench/bench_demo.h"
#include "core/dates.h"
#include "records/record_counter.h"
#include "records/ringer_record.h"
#include "records/selection_milestones.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv::bench {
namespace {

// Counting reads every record. A loaded ledger reads its records when they are first asked
// for, which ReadEveryRecord times on its own, so they are read here before the timing starts.
std::vector<CPerformance> Performances(uint32_t peals) {
  const CPealLedger& ledger = SharedLedger(peals);
  return GatherPerformances({&ledger}, false);
}

void BM_RingerRecord(benchmark::State& state, uint32_t peals) {
  ReadEveryRecord(SharedLedger(peals));
  const auto person = static_cast<uint32_t>(PersonIndex().FindEntry(kDemoMarriedName, 0));
  uint32_t counted = 0;
  for (auto _ : state) {
    const std::vector<CPerformance> performances = Performances(peals);
    CRecordFacts facts(PersonIndex().equivalences);
    const CRingerRecord record = ComputeRingerRecord(performances, facts, person);
    counted = record.performances;
    benchmark::DoNotOptimize(record.milestones.data());
  }
  state.counters["performances"] = counted;
}

void BM_YearMilestones(benchmark::State& state, uint32_t peals) {
  ReadEveryRecord(SharedLedger(peals));
  size_t reached = 0;
  for (auto _ : state) {
    std::vector<CPerformance> performances = Performances(peals);
    // The last whole year, selected by its dates as a selection by date range does.
    const int lastYear = performances.empty() ? 0 : SplitDate(performances.back().peal->date).year;
    const Date from = MakeDate(1, 1, lastYear - 1);
    const Date to = MakeDate(31, 12, lastYear - 1);
    for (CPerformance& p : performances) p.selected = p.peal->date >= from && p.peal->date <= to;
    CRecordFacts facts(PersonIndex().equivalences);
    const std::vector<CPersonMilestones> milestones = ComputeSelectionMilestones(performances, facts);
    reached = 0;
    for (const CPersonMilestones& person : milestones) reached += person.milestones.size();
    benchmark::DoNotOptimize(milestones.data());
  }
  state.counters["milestones"] = static_cast<double>(reached);
}

}  // namespace

void RegisterRecordsBenchmarks(uint32_t peals) {
  using Function = void (*)(benchmark::State&, uint32_t);
  const std::pair<const char*, Function> benchmarks[] = {{"RingerRecord", BM_RingerRecord},
                                                         {"YearMilestones", BM_YearMilestones}};
  for (const auto& [name, function] : benchmarks) {
    benchmark::RegisterBenchmark((std::string(name) + "/" + std::to_string(peals)).c_str(),
                                 [=](benchmark::State& state) { function(state, peals); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
}

}  // namespace tv::bench

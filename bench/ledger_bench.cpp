// Timings of the ledger at the sizes of a lifetime, an association and a whole database of
// published peals: the demo database made with 10,000, 100,000 and 1,000,000 peals (written
// once into a cache folder), loaded, saved, rearranged by every buffer command, selected,
// analysed, exported and imported; and a person index of 200,000 entries searched and looked
// up (person_bench.cpp). Sizes come from TOLVANE_BENCH_SIZES ("10000,100000,1000000"), the cache folder from
// TOLVANE_BENCH_CACHE. For bench/run: `--demo-folder N` makes (if needed) and names the demo of
// N peals; `--peak-after-load LEDGER DB` loads a ledger alone and prints the process's peak
// memory; `--write-ringer-rows LEDGER DB FILE` writes its (peal, ringer) pairs as CSV for the
// SQLite comparison.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/anal_doc.h"
#include "bench/bench_demo.h"
#include "bench/person_bench.h"
#include "bench/records_bench.h"
#include "app/demo_database.h"
#include "core/dates.h"
#include "core/services.h"
#include "import/peal_import.h"
#include "output/export_formats.h"
#include "peals/ledger_file.h"
#include "peals/selection.h"
#include "peals/tolvane_doc.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace fs = std::filesystem;

namespace {

using tv::CTolvaneDoc;
using tv::bench::CacheFolder;
using tv::bench::DemoFolder;
using tv::bench::LedgerPath;
using tv::bench::LoadLedger;
using tv::bench::SharedLedger;
using tv::bench::Sizes;
using tv::bench::UseDatabase;

// Exports and the import are measured up to this size; their targets are set at 100,000.
constexpr uint32_t kLargestExported = 100000;

// The ringer the selections name: the demo's married ringer, who rings throughout.
int32_t SelectedRinger() { return tv::PersonIndex().FindEntry(tv::kDemoMarriedName, 0); }

size_t SelectRinger(CTolvaneDoc& doc, int32_t person, bool exclude = false) {
  tv::CSelectionState state;
  state.chosenKey = person;
  state.exclude = exclude;
  return tv::SplitCurrentBuffer(doc, tv::kSelRinger, state);
}

size_t SelectDecade(CTolvaneDoc& doc) {
  tv::CSelectionState state;
  state.startText = "1/1/2000";
  state.endText = "31/12/2009";
  return tv::SelectWithoutChooser(doc, tv::kSelDate, state);
}

void DiscardTimed(benchmark::State& state, std::unique_ptr<CTolvaneDoc>& doc) {
  state.PauseTiming();
  doc.reset();
  state.ResumeTiming();
}

// --- load and save ---

void BM_Load(benchmark::State& state, uint32_t peals) {
  UseDatabase(peals);
  const std::string path = LedgerPath(peals);
  for (auto _ : state) {
    auto doc = std::make_unique<CTolvaneDoc>();
    benchmark::DoNotOptimize(doc->Load(path));
    DiscardTimed(state, doc);
  }
  state.counters["peals"] = peals;
}

// Every record of a ledger just loaded read, as the first export of it or a records count does.
void BM_ReadEveryRecord(benchmark::State& state, uint32_t peals) {
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = LoadLedger(peals);
    state.ResumeTiming();
    benchmark::DoNotOptimize(tv::bench::ReadEveryRecord(*doc));
    DiscardTimed(state, doc);
  }
}

void BM_Save(benchmark::State& state, uint32_t peals) {
  CTolvaneDoc& doc = SharedLedger(peals);
  const std::string path = DemoFolder(peals) + "saved.tv3";
  const int buffers[] = {tv::kMainBuffer};
  for (auto _ : state) {
    if (!tv::WriteLedgerFile(path, doc, buffers).ok()) state.SkipWithError("save failed");
  }
  fs::remove(path);
}

// --- selection ---

// One selection out of the whole ledger, timed; Buffers All puts the peals back untimed.
template <typename Select>
void TimeSelection(benchmark::State& state, uint32_t peals, Select select) {
  CTolvaneDoc& doc = SharedLedger(peals);
  size_t selected = 0;
  for (auto _ : state) {
    selected = select(doc);
    state.PauseTiming();
    doc.All();
    state.ResumeTiming();
  }
  state.counters["selected"] = static_cast<double>(selected);
}

void BM_SelectRinger(benchmark::State& state, uint32_t peals) {
  SharedLedger(peals);  // opens the database the ringer is looked up in
  const int32_t person = SelectedRinger();
  TimeSelection(state, peals, [person](CTolvaneDoc& doc) { return SelectRinger(doc, person); });
}

void BM_SelectDateRange(benchmark::State& state, uint32_t peals) {
  TimeSelection(state, peals, SelectDecade);
}

// Twenty selections, each taking the peals of one more ringer out of buffer 1 into a buffer of
// their own; then Buffers All gathers the twenty-one buffers back into buffer 1.
void BM_AllAfterTwentySelections(benchmark::State& state, uint32_t peals) {
  CTolvaneDoc& doc = SharedLedger(peals);
  std::vector<int32_t> ringers;
  for (int32_t key = tv::PersonIndex().First(); key != 0 && ringers.size() < 20;
       key = tv::PersonIndex().Entry(key).next) {
    ringers.push_back(key);
  }
  for (auto _ : state) {
    state.PauseTiming();
    for (const int32_t person : ringers) SelectRinger(doc, person, true);
    state.ResumeTiming();
    doc.All();
  }
  state.counters["buffers"] = static_cast<double>(ringers.size() + 1);
}

// --- the buffer commands ---

// Buffer 1 split into the selected ringer's peals and the rest, the former current.
void SplitForBufferCommands(CTolvaneDoc& doc) {
  doc.All();
  SelectRinger(doc, SelectedRinger());
}

void BM_Swap(benchmark::State& state, uint32_t peals) {
  CTolvaneDoc& doc = SharedLedger(peals);
  SplitForBufferCommands(doc);
  for (auto _ : state) doc.Swap();
  doc.All();
}

void BM_Rotate(benchmark::State& state, uint32_t peals) {
  CTolvaneDoc& doc = SharedLedger(peals);
  SplitForBufferCommands(doc);
  for (auto _ : state) doc.Rotate();
  doc.All();
}

void BM_Undelete(benchmark::State& state, uint32_t peals) {
  CTolvaneDoc& doc = SharedLedger(peals);
  for (auto _ : state) {
    doc.Undelete();
    state.PauseTiming();
    // Undelete adds an empty buffer 0 before the others; take it away again.
    doc.bufferRoots.erase(doc.bufferRoots.begin());
    doc.bufferPositions.erase(doc.bufferPositions.begin());
    state.ResumeTiming();
  }
}

void BM_Combine(benchmark::State& state, uint32_t peals) {
  CTolvaneDoc& doc = SharedLedger(peals);
  for (auto _ : state) {
    state.PauseTiming();
    SplitForBufferCommands(doc);
    state.ResumeTiming();
    doc.Combine();
  }
}

void BM_Clear(benchmark::State& state, uint32_t peals) {
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = LoadLedger(peals);
    SelectRinger(*doc, SelectedRinger(), true);
    state.ResumeTiming();
    doc->Clear();
    DiscardTimed(state, doc);
  }
}

// A tenth of the ledger, one peal after another from the end back, into the deleted-peals buffer
// or the next buffer: the target's tree grows in ledger order, one peal at a time.
void MovePealsOneByOne(benchmark::State& state, uint32_t peals, bool transfer) {
  const uint32_t moved = peals / 10;
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = LoadLedger(peals);
    doc->Bottom();
    state.ResumeTiming();
    for (uint32_t i = 0; i < moved; ++i) transfer ? doc->Transfer() : doc->Delete();
    DiscardTimed(state, doc);
  }
  state.counters["moved"] = moved;
}

void BM_Delete(benchmark::State& state, uint32_t peals) { MovePealsOneByOne(state, peals, false); }
void BM_Transfer(benchmark::State& state, uint32_t peals) { MovePealsOneByOne(state, peals, true); }

// A tenth as many peals again entered one by one in date order after the last peal of the
// ledger, as New does.
void BM_NewInDateOrder(benchmark::State& state, uint32_t peals) {
  const uint32_t added = peals / 10;
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = LoadLedger(peals);
    const tv::Date last = doc->PealAt(doc->LastOf(tv::kMainBuffer))->date;
    std::vector<std::unique_ptr<tv::CPeal>> entered;
    for (uint32_t i = 0; i < added; ++i) {
      auto peal = doc->MakePealForEntry();
      peal->date = last + 1 + static_cast<tv::Date>(i);
      entered.push_back(std::move(peal));
    }
    state.ResumeTiming();
    for (auto& peal : entered) doc->AddNewPeal(std::move(peal));
    DiscardTimed(state, doc);
  }
  state.counters["added"] = added;
}

// --- analysis ---

void BM_Analyse(benchmark::State& state, uint32_t peals, tv::AnalysisKind kind) {
  CTolvaneDoc& doc = SharedLedger(peals);
  doc.All();
  size_t lines = 0;
  for (auto _ : state) {
    tv::CAnalDoc analysis(tv::MakeDate(9, 12, 2026));
    analysis.Run(doc, tv::kMainBuffer, kind, {}, {.kind = tv::kSelDate, .key = 0});
    lines = analysis.MainLines().size();
  }
  state.counters["lines"] = static_cast<double>(lines);
}

// --- export and import ---

void BM_Export(benchmark::State& state, uint32_t peals, const char* formatName) {
  CTolvaneDoc& doc = SharedLedger(peals);
  doc.All();
  const tv::CExportFormat* format = tv::FindExportFormat(formatName);
  const std::vector<const tv::CPeal*> all = tv::BufferPeals(doc, tv::kMainBuffer);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text;
    tv::CExportOptions options = tv::DocumentExportOptions();
    if (!tv::ExportToText(*format, all, options, text).ok()) {
      state.SkipWithError("export failed");
    }
    bytes = text.size();
  }
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// The new-dialect SGML of the whole ledger, written once beside the demo.
std::string SgmlFile(uint32_t peals) {
  const std::string path = DemoFolder(peals) + "all.sgm";
  if (!fs::exists(path)) {
    CTolvaneDoc& doc = SharedLedger(peals);
    doc.All();
    const std::vector<const tv::CPeal*> all = tv::BufferPeals(doc, tv::kMainBuffer);
    tv::CExportOptions options = tv::DocumentExportOptions();
    const tv::Status written =
        tv::ExportToFile(*tv::FindExportFormat("sgml-full"), all, options, path + ".tmp");
    if (!written.ok()) {
      std::cerr << written.message() << "\n";
      std::exit(1);
    }
    fs::rename(path + ".tmp", path);
  }
  return path;
}

void BM_ImportSgml(benchmark::State& state, uint32_t peals) {
  const std::string path = SgmlFile(peals);
  UseDatabase(peals);
  // The import log is written in the current directory.
  const fs::path previous = fs::current_path();
  fs::current_path(DemoFolder(peals));
  tv::ImportCounts counts;
  for (auto _ : state) {
    auto doc = std::make_unique<CTolvaneDoc>();
    if (!tv::ImportPealFile(*doc, *tv::FindImportFormat("new-sgml"), path, &counts).ok()) {
      state.SkipWithError("import failed");
    }
    DiscardTimed(state, doc);
  }
  fs::current_path(previous);
  state.counters["imported"] = counts.appended;
}

// --- the SQLite comparison's rows ---

// Writes "peal,ringer" for every ringer of every peal of the ledger.
int WriteRingerRows(const std::string& ledger, const std::string& folder, const std::string& out) {
  tv::OpenIndexSet(folder);
  CTolvaneDoc doc;
  if (!doc.Load(ledger).ok()) {
    std::cerr << "cannot read " << ledger << "\n";
    return 1;
  }
  std::ofstream rows(out, std::ios::binary);
  rows << "peal,ringer\n";
  for (uint32_t n = doc.FirstOf(tv::kMainBuffer); n != 0; n = doc.Entry(n).next) {
    for (const uint32_t ringer : doc.PealAt(n)->ringers) {
      if (ringer != 0) rows << n << ',' << ringer << '\n';
    }
  }
  return rows ? 0 : 1;
}

// A benchmark whose untimed set-up (a reload, twenty selections) is long beside what it times
// runs a fixed number of times at the larger sizes: left to itself the library would repeat it
// until the timed part alone filled the minimum time.
enum class SetUp { Short, Long };

template <typename... Args>
void Register(const std::string& name, uint32_t peals, SetUp setUp,
              void (*function)(benchmark::State&, uint32_t, Args...), Args... args) {
  auto* benchmark =
      benchmark::RegisterBenchmark((name + "/" + std::to_string(peals)).c_str(),
                                   [=](benchmark::State& state) { function(state, peals, args...); })
          ->Unit(name == "Swap" || name == "Rotate" || name == "Undelete" ? benchmark::kNanosecond
                                                                           : benchmark::kMillisecond)
          ->UseRealTime();
  if (setUp == SetUp::Long && peals >= 100000 && !std::getenv("TOLVANE_BENCH_ONCE")) {
    benchmark->Iterations(3);
  }
}

void RegisterAll() {
  const SetUp shortSetUp = SetUp::Short;
  const SetUp longSetUp = SetUp::Long;
  for (const uint32_t n : Sizes()) {
    Register("Load", n, shortSetUp, BM_Load);
    Register("Save", n, shortSetUp, BM_Save);
    Register("ReadEveryRecord", n, longSetUp, BM_ReadEveryRecord);
    Register("SelectRinger", n, shortSetUp, BM_SelectRinger);
    Register("SelectDateRange", n, shortSetUp, BM_SelectDateRange);
    Register("AllAfterTwentySelections", n, longSetUp, BM_AllAfterTwentySelections);
    Register("Swap", n, shortSetUp, BM_Swap);
    Register("Rotate", n, shortSetUp, BM_Rotate);
    Register("Undelete", n, shortSetUp, BM_Undelete);
    Register("Combine", n, shortSetUp, BM_Combine);
    Register("Clear", n, longSetUp, BM_Clear);
    Register("Delete", n, longSetUp, BM_Delete);
    Register("Transfer", n, longSetUp, BM_Transfer);
    Register("NewInDateOrder", n, longSetUp, BM_NewInDateOrder);
    Register("AnalyseRinger", n, shortSetUp, BM_Analyse, tv::AnalysisKind::Ringer);
    Register("AnalyseTower", n, shortSetUp, BM_Analyse, tv::AnalysisKind::Tower);
    Register("AnalyseMethod", n, shortSetUp, BM_Analyse, tv::AnalysisKind::Method);
    Register("AnalyseMonth", n, shortSetUp, BM_Analyse, tv::AnalysisKind::MonthYear);
    tv::bench::RegisterRecordsBenchmarks(n);
    if (n <= kLargestExported) {
      for (const char* format : {"line", "rw", "sgml-full", "csv-full"}) {
        Register(std::string("Export_") + format, n, shortSetUp, BM_Export, format);
      }
      Register("ImportSgml", n, shortSetUp, BM_ImportSgml);
    }
  }
  tv::bench::RegisterPersonIndexBenchmarks();
}

// Loads a ledger and gives the process's peak resident memory in megabytes.
int PeakAfterLoad(const std::string& ledger, const std::string& folder) {
  tv::OpenIndexSet(folder);
  CTolvaneDoc doc;
  if (!doc.Load(ledger).ok()) {
    std::cerr << "cannot read " << ledger << "\n";
    return 1;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::cout << doc.lastPealNumber << " peals, peak " << usage.ru_maxrss / 1024 << " MB\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--write-ringer-rows") {
    return WriteRingerRows(argv[2], argv[3], argv[4]);
  }
  if (argc == 4 && std::string(argv[1]) == "--peak-after-load") {
    return PeakAfterLoad(argv[2], argv[3]);
  }
  if (argc == 3 && std::string(argv[1]) == "--demo-folder") {
    std::cout << DemoFolder(static_cast<uint32_t>(std::atol(argv[2]))) << "\n";
    return 0;
  }
  fs::create_directories(CacheFolder());
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

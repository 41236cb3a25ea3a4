// The person index of 200,000 entries (TOLVANE_BENCH_PERSONS), written once into the cache
// folder: searched by typed text, an entry looked up again once cached, and the index opened
// cold and 10,000 random keys looked up.
#include "bench/person_bench.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_demo.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace fs = std::filesystem;

namespace tv::bench {
namespace {

constexpr int kRandomLookups = 10000;

// 200,000 unless TOLVANE_BENCH_PERSONS says otherwise (the smoke run in the tests uses fewer).
int PersonIndexSize() {
  const char* text = std::getenv("TOLVANE_BENCH_PERSONS");
  const long n = text ? std::atol(text) : 0;
  return n > 1 ? static_cast<int>(n) : 200000;
}

// A name of letters for a number: digits would be read as a key.
std::string Letters(int n, int length) {
  std::string text(static_cast<size_t>(length), 'a');
  for (int i = length - 1; i >= 0; --i, n /= 26) text[static_cast<size_t>(i)] = static_cast<char>('a' + n % 26);
  text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

// Two first names and a surname, spread over every initial as real names are: the people who
// share initials and a surname's first letter are a few, not thousands.
std::string PersonName(int n) {
  const int spread = static_cast<int>((static_cast<int64_t>(n) * 7919 + 13) % 11881376);
  return Letters(spread % 17576, 3) + " " + Letters((spread / 7) % 17576, 4) + " " + Letters(spread, 5);
}

// A database whose person index holds PersonIndexSize() people, written once.
std::string PersonFolder() {
  const fs::path folder = fs::path(CacheFolder()) / ("persons-" + std::to_string(PersonIndexSize()));
  if (!fs::exists(folder / "done")) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    tv::CloseIndexSet();
    std::cerr << "Writing a person index of " << PersonIndexSize() << " entries into " << folder << "\n";
    tv::OpenIndexSet(folder.string() + "/");
    for (int n = 0; n < PersonIndexSize(); ++n) tv::FindOrAddPerson(PersonName(n), true, nullptr);
    tv::SaveAllIndexes();
    tv::CloseIndexSet();
    std::ofstream(folder / "done") << "complete\n";
  }
  return folder.string() + "/";
}

std::vector<int32_t> RandomKeys(int32_t count, int n) {
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int32_t> key(1, count - 1);
  std::vector<int32_t> keys(static_cast<size_t>(n));
  for (int32_t& k : keys) k = key(random);
  return keys;
}

void BM_PersonFindEntry(benchmark::State& state) {
  tv::CPersonIndex index("persons", PersonFolder());
  index.Open(false);
  std::vector<std::string> names;
  std::mt19937 random(7);
  for (int i = 0; i < 1000; ++i) {
    names.push_back(PersonName(static_cast<int>(random() % PersonIndexSize())));
  }
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(index.FindEntry(names[i++ % names.size()], 0));
  }
  state.counters["entries"] = index.Count() - 1;
}

void BM_PersonLookupCached(benchmark::State& state) {
  tv::CPersonIndex index("persons", PersonFolder());
  index.Open(false);
  const std::vector<int32_t> keys = RandomKeys(index.Count(), 1000);
  for (const int32_t key : keys) index.Lookup(key);
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(index.Lookup(keys[i++ % keys.size()]));
}

void BM_PersonOpenAndLookups(benchmark::State& state) {
  const std::string folder = PersonFolder();
  std::vector<int32_t> keys;
  {
    tv::CPersonIndex index("persons", folder);
    keys = RandomKeys(index.Count(), kRandomLookups);
  }
  for (auto _ : state) {
    auto index = std::make_unique<tv::CPersonIndex>("persons", folder);
    index->Open(false);
    for (const int32_t key : keys) benchmark::DoNotOptimize(index->Lookup(key));
    state.PauseTiming();
    index.reset();
    state.ResumeTiming();
  }
  state.counters["lookups"] = kRandomLookups;
}

}  // namespace

void RegisterPersonIndexBenchmarks() {
  const std::string persons = "/" + std::to_string(PersonIndexSize());
  benchmark::RegisterBenchmark(("PersonFindEntry" + persons).c_str(), BM_PersonFindEntry);
  benchmark::RegisterBenchmark(("PersonLookupCached" + persons).c_str(), BM_PersonLookupCached);
  benchmark::RegisterBenchmark(("PersonOpenAnd10000Lookups" + persons).c_str(),
                               BM_PersonOpenAndLookups)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

}  // namespace tv::bench

// The demo databases the benchmarks run on: made once per size into a cache folder, their
// ledgers loaded, and the sizes a run measures. Sizes come from TOLVANE_BENCH_SIZES
// ("10000,100000,1000000"), the cache folder from TOLVANE_BENCH_CACHE.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "peals/tolvane_doc.h"

namespace tv::bench {

std::string CacheFolder();
std::vector<uint32_t> Sizes();

// The folder (ending in "/") of the demo database with `peals` peals, written on first use.
std::string DemoFolder(uint32_t peals);
// Its peal ledger.
std::string LedgerPath(uint32_t peals);
// Opens that demo's index set, closing any other, with the ledger's equivalences.
void UseDatabase(uint32_t peals);
// A fresh load of the demo's ledger; exits the program when it cannot be read.
std::unique_ptr<CTolvaneDoc> LoadLedger(uint32_t peals);
// One loaded ledger per size, shared by the benchmarks that leave it as they found it.
CTolvaneDoc& SharedLedger(uint32_t peals);
// Asks for every peal of the ledger once, so that every record of a loaded file has been read;
// gives how many peals there were.
uint32_t ReadEveryRecord(const CPealLedger& ledger);

}  // namespace tv::bench

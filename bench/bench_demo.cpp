// The demo databases of the benchmarks.
#include "bench/bench_demo.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "app/demo_database.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace fs = std::filesystem;

namespace tv::bench {

std::string CacheFolder() {
  const char* folder = std::getenv("TOLVANE_BENCH_CACHE");
  return folder && *folder ? folder : TOLVANE_BENCH_CACHE_DEFAULT;
}

std::vector<uint32_t> Sizes() {
  const char* text = std::getenv("TOLVANE_BENCH_SIZES");
  std::stringstream list(text && *text ? text : "10000,100000,1000000");
  std::vector<uint32_t> sizes;
  for (std::string item; std::getline(list, item, ',');) {
    if (const long n = std::atol(item.c_str()); n > 0) sizes.push_back(static_cast<uint32_t>(n));
  }
  return sizes;
}

// The folder of the demo database with `peals` peals, written on first use: into a fresh folder
// renamed into place when complete, so an interrupted run never leaves half a database cached.
std::string DemoFolder(uint32_t peals) {
  const fs::path folder = fs::path(CacheFolder()) / ("demo-" + std::to_string(peals));
  if (!fs::exists(folder / kDemoLedger)) {
    const fs::path scratch = fs::path(CacheFolder()) / ("making-demo-" + std::to_string(peals));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    CloseIndexSet();
    std::cerr << "Writing the demo database of " << peals << " peals into " << folder << "\n";
    const Status written = WriteDemoDatabase(scratch.string() + "/", peals);
    CloseIndexSet();
    if (!written.ok()) {
      std::cerr << written.message() << "\n";
      std::exit(1);
    }
    fs::remove_all(folder);
    fs::rename(scratch, folder);
  }
  return folder.string() + "/";
}

std::string LedgerPath(uint32_t peals) { return DemoFolder(peals) + kDemoLedger; }

// Opens the index set of the demo with `peals` peals, closing any other, as opening that
// ledger in the program does (its equivalences included).
void UseDatabase(uint32_t peals) {
  const std::string folder = DemoFolder(peals);
  if (IndexSetIsOpen() && IndexDirectory() == folder) return;
  CloseIndexSet();
  OpenIndexSet(folder);
  PersonIndex().equivalences.LoadEquivalences(LedgerPath(peals));
}

std::unique_ptr<CTolvaneDoc> LoadLedger(uint32_t peals) {
  UseDatabase(peals);
  auto doc = std::make_unique<CTolvaneDoc>();
  if (const Status read = doc->Load(LedgerPath(peals)); !read.ok()) {
    std::cerr << read.message() << "\n";
    std::exit(1);
  }
  return doc;
}

// One loaded ledger per size, shared by the benchmarks that leave it as they found it.
CTolvaneDoc& SharedLedger(uint32_t peals) {
  // Only one ledger is held at a time: a million peals take half a gigabyte.
  static uint32_t heldSize = 0;
  static std::unique_ptr<CTolvaneDoc> held;
  if (!held || heldSize != peals) {
    held.reset();
    held = LoadLedger(peals);
    heldSize = peals;
  }
  UseDatabase(peals);
  return *held;
}

uint32_t ReadEveryRecord(const CPealLedger& ledger) {
  uint32_t read = 0;
  for (uint32_t n = 1; n <= ledger.lastPealNumber; ++n) read += ledger.PealAt(n) != nullptr;
  return read;
}

}  // namespace tv::bench

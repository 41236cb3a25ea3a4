// A demonstration reference database and peal ledgers, made up but plausible, for a first look
// at the program, for tests and for benchmarks. The same count always gives the same files.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"

namespace tv {

struct DemoSummary {
  uint32_t peals = 0;
  uint32_t quarters = 0;
  int towers = 0;
  int persons = 0;
  int associations = 0;
  int methods = 0;
  int compositions = 0;
};

inline constexpr uint32_t kDefaultDemoPeals = 3000;

// Writes the indexes, `directory`/demo.tv3 with `peals` peals, `directory`/demo.qv3 with a
// ledger of quarter peals, and the ledger's equivalences, into an existing directory that holds
// no database yet. The index set is opened in `directory` and left open. Usage when the
// directory is missing or already holds a database; IoError when a file cannot be written.
Status WriteDemoDatabase(const std::string& directory, uint32_t peals, DemoSummary* summary = nullptr);

// Names the demonstration uses, for tests and the guide.
inline constexpr const char* kDemoLedger = "demo.tv3";
inline constexpr const char* kDemoQuarterLedger = "demo.qv3";
inline constexpr const char* kDemoRecastTowerNow = "Newbury Green";
inline constexpr const char* kDemoRecastTowerBefore = "Newbury Parva";
inline constexpr int kDemoRecastYear = 1999;  // the old identity applies to 31 December 1999
inline constexpr const char* kDemoMaidenName = "Jane Cooper";
inline constexpr const char* kDemoMarriedName = "Jane Wilkinson";
inline constexpr int kDemoMarriageYear = 2005;

}  // namespace tv

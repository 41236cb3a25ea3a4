// A fresh index set and an empty peal ledger on memory files, with a fixed today and a scripted
// platform, for the import tests; files are written by the tests themselves.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clock.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "import/peal_import.h"
#include "peals/tolvane_doc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "tests/support/scripted_platform.h"

namespace tv {

class ImportTest : public ::testing::Test {
 protected:
  ImportTest() {
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet("/db/");
  }
  ~ImportTest() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }

  // Writes `text` to `path` and imports it with the format named `kind`.
  ImportCounts Import(const std::string& kind, const std::string& path, const std::string& text) {
    files.SetContents(path, text);
    ImportCounts counts;
    EXPECT_TRUE(ImportPealFile(doc, *FindImportFormat(kind), path, &counts).ok());
    return counts;
  }
  std::string Log() const { return files.Contents("/work/debug.txt"); }
  // The ledger's peals in buffer 1, in ledger order.
  std::vector<CPeal*> Peals() const {
    std::vector<CPeal*> peals;
    for (uint32_t n : doc.PealsOf(kMainBuffer)) peals.push_back(doc.PealAt(n));
    return peals;
  }
  static std::string Person(uint32_t key) { return FullNameOf(static_cast<int32_t>(key)); }
  static std::string Method(uint32_t key) {
    return MethodIndex().NameOf(static_cast<int32_t>(key), 0);
  }

  MemoryFileSystem files{"/work/"};
  FixedClock clock{{15, 6, 2024}};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
  CTolvaneDoc doc;
};

}  // namespace tv

// The set of fourteen indexes: opened together in one directory, reached by role and by name,
// saved in a fixed order.
#include "refdb/index_set.h"

#include <gtest/gtest.h>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/assoc.h"
#include "refdb/index.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

// Records the order in which index files are replaced.
class SaveOrderFiles : public MemoryFileSystem {
 public:
  using MemoryFileSystem::MemoryFileSystem;
  bool Rename(const std::string& from, const std::string& to) override {
    renamed.push_back(to);
    return MemoryFileSystem::Rename(from, to);
  }
  std::vector<std::string> renamed;
};

class IndexSetTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseIndexSet(); }
  SaveOrderFiles files{"/db/"};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
};

TEST_F(IndexSetTest, OpensEveryIndexInTheDirectory) {
  OpenIndexSet("/db/");
  EXPECT_TRUE(IndexSetIsOpen());
  for (const char* name : kIndexNames) {
    EXPECT_TRUE(files.Exists(std::string("/db/") + name + ".da3")) << name;
    ASSERT_NE(IndexByName(name), nullptr) << name;
    EXPECT_EQ(IndexByName(name)->Name(), name);
  }
  EXPECT_EQ(IndexByName("nothing"), nullptr);
  EXPECT_EQ(&static_cast<CIndex&>(CountyIndex()), IndexByName("counts"));
  EXPECT_EQ(&static_cast<CIndex&>(SteeplexStrings(5)), IndexByName("sxm"));
  EXPECT_EQ(IndexDirectory(), "/db/");
}

TEST_F(IndexSetTest, SavesInTheSetOrder) {
  OpenIndexSet("/db/");
  SaveAllIndexes();
  std::vector<std::string> order;
  for (const std::string& path : files.renamed) order.push_back(path.substr(4, path.size() - 8));
  EXPECT_EQ(order, (std::vector<std::string>{"assocs", "methods", "persons", "towers", "saints",
                                             "counts", "comps", "steeplex", "sxs", "sxi", "sxc",
                                             "sxa", "sxn", "sxm"}));
}

TEST_F(IndexSetTest, AssociationsComeBackFromTheirBackupWhenTheIndexIsLost) {
  OpenIndexSet("/db/");
  auto assoc = std::make_unique<CAssoc>();
  assoc->name = "Ancient Society of College Youths";
  assoc->abbreviation = "ASCY";
  const int32_t key = AssocIndex().InsertNew(std::move(assoc));
  SaveAllIndexes();
  ASSERT_TRUE(AssocIndex().Compact());
  CloseIndexSet();
  files.Remove("/db/assocs.id3");
  files.Remove("/db/assocs.da3");
  OpenIndexSet("/db/");
  EXPECT_EQ(AssocIndex().NameOf(key, 0), "Ancient Society of College Youths");
  EXPECT_EQ(AssocIndex().FindEntry("ASCY", 0), key);
}

}  // namespace
}  // namespace tv

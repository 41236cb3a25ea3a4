// Damaged ledger files: cut at every byte of its records, and binary junk under each ledger
// name. Every read ends, keeps the whole records before the damage and says where it stopped.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "peals/ledger_file.h"
#include "tests/peals/peal_test_support.h"

namespace tv {
namespace {

class DamagedLedger : public ::testing::TestWithParam<bool> {
 protected:
  // Three peals with every kind of field, and the byte offset at which each record ends.
  static std::string ThreePeals(bool oldForm, std::vector<size_t>& ends) {
    std::vector<std::unique_ptr<CPeal>> peals;
    std::vector<CPeal*> pointers;
    for (uint32_t i = 1; i <= 3; ++i) {
      peals.push_back(testing::MakePeal(static_cast<Date>(146000 + i), 2, 300 * i));
      CPeal& peal = *peals.back();
      peal.pealNumber = i;
      peal.ringers = {i, 70000 * (i % 2), 5};
      peal.extras[kFootnote] = {"First peal", "On the back " + std::to_string(i)};
      peal.extras[kSource] = {"Bell News"};
      peal.SetPositioned(kPrefix, i, "Revd");
      pointers.push_back(&peal);
      ends.push_back(testing::RecordBytes(pointers, oldForm).size());
    }
    return testing::RecordBytes(pointers, oldForm);
  }

  MemoryFileSystem files{"/work/"};
  ScopedServices services{&files, nullptr, nullptr};
};

TEST_P(DamagedLedger, CutAtAnyByteKeepsTheWholeRecordsAndSaysWhere) {
  const bool oldForm = GetParam();
  const std::string path = oldForm ? "/work/cut.tv0" : "/work/cut.tv3";
  std::vector<size_t> ends;
  const std::string whole = ThreePeals(oldForm, ends);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    SCOPED_TRACE("cut at byte " + std::to_string(cut));
    files.SetContents(path, whole.substr(0, cut));
    CPealLedger ledger;
    LedgerReadResult read;
    const Status status = ReadLedgerFile(path, ledger, &read);
    uint32_t wholeRecords = 0;
    while (wholeRecords < ends.size() && ends[wholeRecords] <= cut) ++wholeRecords;
    EXPECT_EQ(read.pealsRead, wholeRecords);
    EXPECT_EQ(ledger.lastPealNumber, wholeRecords);
    const bool atBoundary = cut == 0 || (wholeRecords > 0 && ends[wholeRecords - 1] == cut);
    if (atBoundary) {
      EXPECT_TRUE(status.ok()) << status.message();
      continue;
    }
    EXPECT_EQ(status.code(), StatusCode::PartialRead);
    const size_t stoppedAt = wholeRecords == 0 ? 0 : ends[wholeRecords - 1];
    EXPECT_EQ(read.stoppedAt, stoppedAt);
    const std::string expected = path + " was read only in part: " + std::to_string(wholeRecords) +
                                 (wholeRecords == 1 ? " peal" : " peals") +
                                 " read; reading stopped at byte " + std::to_string(stoppedAt);
    EXPECT_EQ(status.message().rfind(expected, 0), 0u) << status.message();
  }
}

std::string FormName(const ::testing::TestParamInfo<bool>& param) {
  return param.param ? "Older" : "Current";
}

INSTANTIATE_TEST_SUITE_P(Forms, DamagedLedger, ::testing::Values(false, true), FormName);

TEST(JunkLedger, JunkUnderEveryLedgerNameReadsWhatItCanAndWritesItBack) {
  MemoryFileSystem files{"/work/"};
  ScopedServices services{&files, nullptr, nullptr};
  for (const char* path : {"/work/junk.tv3", "/work/junk.qv3", "/work/junk.tv0", "/work/junk.qv0"}) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
      SCOPED_TRACE(std::string(path) + " seed " + std::to_string(seed));
      std::mt19937 random(seed);
      std::string junk(seed * 700, '\0');
      for (char& c : junk) c = static_cast<char>(random() & 0xff);
      files.SetContents(path, junk);
      CPealLedger ledger;
      LedgerReadResult read;
      const Status status = ReadLedgerFile(path, ledger, &read);
      ASSERT_TRUE(status.ok() || status.code() == StatusCode::PartialRead) << status.message();
      EXPECT_EQ(status.ok(), read.complete);
      if (!status.ok()) {
        EXPECT_EQ(status.message().rfind(std::string(path) + " was read only in part: " +
                                             std::to_string(read.pealsRead), 0),
                  0u)
            << status.message();
        EXPECT_LE(read.stoppedAt, junk.size());
      }
      // What was read is kept: it saves and reads back as the same number of peals.
      const int buffers[] = {kMainBuffer};
      const std::string copy = std::string(path) + ".copy" + std::string(path).substr(std::string(path).size() - 4);
      ASSERT_TRUE(WriteLedgerFile(copy, ledger, buffers).ok());
      CPealLedger again;
      EXPECT_TRUE(ReadLedgerFile(copy, again).ok());
      EXPECT_EQ(again.lastPealNumber, read.pealsRead);
    }
  }
}

TEST(LedgerNames, TheDatabasesOwnFilesAreNeitherReadNorWrittenAsLedgers) {
  MemoryFileSystem files{"/work/"};
  ScopedServices services{&files, nullptr, nullptr};
  const std::string eightBytes("\x01\x00\x00\x00\x05\x00\x00\x00", 8);
  CPealLedger ledger;
  const int buffers[] = {kMainBuffer};
  for (const char* path : {"/work/demo.eq3", "/work/DEMO.EQ3", "/work/persons.da3",
                           "/work/towers.id3", "/work/towers.old", "/work/steeplex.xrf"}) {
    SCOPED_TRACE(path);
    files.SetContents(path, eightBytes);
    EXPECT_EQ(ReadLedgerFile(path, ledger).code(), StatusCode::BadData);
    EXPECT_EQ(CheckLedgerStart(path).code(), StatusCode::BadData);
    const Status written = WriteLedgerFile(path, ledger, buffers);
    EXPECT_EQ(written.code(), StatusCode::BadData);
    EXPECT_NE(written.message().find("not a peal ledger"), std::string::npos) << written.message();
    EXPECT_EQ(files.Contents(path), eightBytes);
  }
  // Ledgers, their older form and their backups are still ledgers.
  for (const char* path : {"/work/demo.tv3", "/work/demo.qv0", "/work/demo.bak", "/work/eq3"}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(WriteLedgerFile(path, ledger, buffers).ok());
    EXPECT_TRUE(ReadLedgerFile(path, ledger).ok());
  }
}

}  // namespace
}  // namespace tv

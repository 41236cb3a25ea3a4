// Peal ledger files through the document: loading, saving byte for byte, the older form, and
// files that are cut short or cannot be written.
#include "peals/ledger_file.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "peals/tolvane_doc.h"
#include "refdb/index_set.h"
#include "refdb/person.h"
#include "tests/peals/peal_test_support.h"
#include "tests/support/full_disk_file_system.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

using testing::Bytes;
using testing::RecordBytes;

class LedgerFiles : public ::testing::Test {
 protected:
  ~LedgerFiles() override { CloseIndexSet(); }

  // Records of `count` peals in ledger order, each with a few fields set.
  static std::string LedgerBytes(uint32_t count, bool oldForm = false) {
    std::vector<std::unique_ptr<CPeal>> peals;
    std::vector<CPeal*> pointers;
    for (uint32_t i = 1; i <= count; ++i) {
      peals.push_back(testing::MakePeal(static_cast<Date>(146000 + i), static_cast<uint8_t>(i % 2), 40 + i));
      peals.back()->pealNumber = i;
      peals.back()->ringers = {i, i + 1, 70000};
      peals.back()->extras[kFootnote] = {"Footnote " + std::to_string(i)};
      peals.back()->SetPositioned(kPrefix, i % 4, "Revd");
      pointers.push_back(peals.back().get());
    }
    return RecordBytes(pointers, oldForm);
  }

  MemoryFileSystem files;
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
  CTolvaneDoc doc;
};

TEST_F(LedgerFiles, LedgerRoundTripsByteForByte) {
  const std::string bytes = LedgerBytes(40);
  files.SetContents("/work/peals.tv3", bytes);
  ASSERT_TRUE(doc.Open("/work/peals.tv3").ok());
  EXPECT_EQ(doc.lastPealNumber, 40u);
  EXPECT_EQ(doc.bufferPositions[kMainBuffer], 40u);
  EXPECT_EQ(doc.selectCriterion, kCriterionDate);
  doc.Top();
  EXPECT_EQ(doc.bufferPositions[kMainBuffer], 1u);
  const Status saved = doc.Save();
  ASSERT_TRUE(saved.ok()) << saved.message();
  EXPECT_EQ(files.Contents("/work/peals.tv3"), bytes);
  EXPECT_FALSE(files.Exists(TemporaryNameFor("/work/peals.tv3")));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LedgerFiles, NulInsideATextIsWrittenAsABlankSoTheNextPealsKeepTheirPlace) {
  // An unresolved tag whose name held NULs and a line feed, as a fuzzed SGML file gave it.
  auto first = testing::MakePeal(146001, 1, 41);
  first->extras[kExtra] = {std::string("\0\n\0a:Norwich", 12)};
  auto second = testing::MakePeal(146002, 0, 42);
  second->extras[kFootnote] = {"Second"};
  files.SetContents("/work/a.tv3", RecordBytes({first.get(), second.get()}));
  CPealLedger ledger;
  LedgerReadResult read;
  ASSERT_TRUE(ReadLedgerFile("/work/a.tv3", ledger, &read).ok());
  ASSERT_EQ(read.pealsRead, 2u);
  EXPECT_EQ(ledger.PealAt(1)->extras[kExtra], std::vector<std::string>{" \n a:Norwich"});
  EXPECT_EQ(ledger.PealAt(2)->extras[kFootnote], std::vector<std::string>{"Second"});
  EXPECT_EQ(ledger.PealAt(2)->tower, 42u);
}

TEST_F(LedgerFiles, EmptyLedgerSavesAsAnEmptyFile) {
  ASSERT_TRUE(doc.SaveDocument("/work/empty.tv3").ok());
  EXPECT_TRUE(files.Exists("/work/empty.tv3"));
  EXPECT_EQ(files.Contents("/work/empty.tv3"), "");
  ASSERT_TRUE(doc.Open("/work/empty.tv3").ok());
  EXPECT_EQ(doc.lastPealNumber, 0u);
}

TEST_F(LedgerFiles, OldFormIsRenumberedAndSavedInTheNewFormUnderANewName) {
  CPeal peal;
  peal.pealNumber = 5;
  peal.handbell = true;
  const std::string record = RecordBytes(peal, true);
  ASSERT_EQ(record.substr(0, 2), Bytes({0x05, 0x00}));
  files.SetContents("/work/old.tv0", record + record);
  ASSERT_TRUE(doc.Open("/work/old.tv0").ok());
  ASSERT_EQ(doc.lastPealNumber, 2u);
  EXPECT_EQ(doc.PealAt(1)->pealNumber, 1u);
  EXPECT_EQ(doc.PealAt(2)->pealNumber, 2u);
  ASSERT_TRUE(doc.Save().ok());
  EXPECT_EQ(doc.pathName, "/work/old.tv3");
  const std::string one = Bytes({0x1F, 0x01, 0xB2, 0x00, 0x00});
  const std::string two = Bytes({0x1F, 0x02, 0xB2, 0x00, 0x00});
  EXPECT_EQ(files.Contents("/work/old.tv3"), one + two);
  EXPECT_EQ(files.Contents("/work/old.tv0"), record + record);
}

TEST_F(LedgerFiles, TruncatedLedgerIsReportedAndKeptBesideTheSavedOne) {
  const std::string whole = LedgerBytes(3);
  const std::string twoRecords = LedgerBytes(2);
  const std::string cut = whole.substr(0, whole.size() - 3);
  files.SetContents("/work/cut.tv3", cut);
  const Status status = doc.Open("/work/cut.tv3");
  EXPECT_EQ(status.code(), StatusCode::PartialRead);
  EXPECT_EQ(doc.lastPealNumber, 2u);
  ASSERT_EQ(platform.messages.size(), 1u);
  const std::string& message = platform.messages[0];
  EXPECT_NE(message.find("/work/cut.tv3"), std::string::npos);
  EXPECT_NE(message.find("2 peals read"), std::string::npos);
  EXPECT_NE(message.find("byte " + std::to_string(twoRecords.size())), std::string::npos);
  EXPECT_NE(message.find("/work/cut.tv3.bak"), std::string::npos);

  ASSERT_TRUE(doc.Save().ok());
  EXPECT_EQ(files.Contents("/work/cut.tv3.bak"), cut);
  EXPECT_EQ(files.Contents("/work/cut.tv3"), twoRecords);
  // Once saved, the file is whole again: a later save does not replace the backup.
  files.SetContents("/work/cut.tv3.bak", "kept");
  ASSERT_TRUE(doc.Save().ok());
  EXPECT_EQ(files.Contents("/work/cut.tv3.bak"), "kept");
}

TEST_F(LedgerFiles, FullDiskLeavesTheOldFileWhole) {
  const std::string bytes = LedgerBytes(300);
  files.SetContents("/work/big.tv3", bytes);
  ASSERT_TRUE(doc.Open("/work/big.tv3").ok());
  doc.SetPosition(kMainBuffer, 7);
  doc.Delete();
  // The temporary the ledger is written to fills up half way.
  testing::FullDiskFileSystem full(files, ".tmp~", bytes.size() / 2);
  ScopedServices disk(&full, nullptr, nullptr);
  const Status status = doc.Save();
  EXPECT_EQ(status.code(), StatusCode::IoError);
  EXPECT_EQ(status.message(), "Disk full while accessing /work/big.tv3.");
  EXPECT_EQ(platform.messages, (std::vector<std::string>{status.message()}));
  EXPECT_EQ(files.Contents("/work/big.tv3"), bytes);
  EXPECT_FALSE(files.Exists(TemporaryNameFor("/work/big.tv3")));
  EXPECT_TRUE(doc.modified);
}

TEST_F(LedgerFiles, MissingFileIsReportedAndTheLedgerKept) {
  files.SetContents("/work/a.tv3", LedgerBytes(3));
  ASSERT_TRUE(doc.Open("/work/a.tv3").ok());
  const Status status = doc.Open("/work/none.tv3");
  EXPECT_EQ(status.code(), StatusCode::NotFound);
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"/work/none.tv3 was not found."}));
  EXPECT_EQ(doc.lastPealNumber, 3u);
  EXPECT_EQ(doc.pathName, "/work/a.tv3");
}

// Regression: Save As of one buffer cleared the modified flag, so changes to the peals of the
// other buffers were dropped at Exit without a question.
TEST_F(LedgerFiles, SaveAsWritesOnlyTheCurrentBufferAndLeavesTheLedgerModified) {
  files.SetContents("/work/a.tv3", LedgerBytes(3));
  ASSERT_TRUE(doc.Open("/work/a.tv3").ok());
  doc.SetPosition(kMainBuffer, 2);
  doc.Transfer();
  doc.modified = true;
  platform.QueueSaveFile("/work/part.tv3");
  ASSERT_TRUE(doc.SaveAs().ok());
  EXPECT_FALSE(doc.saveAllBuffers);
  EXPECT_TRUE(doc.modified);
  CPealLedger part;
  ASSERT_TRUE(ReadLedgerFile("/work/part.tv3", part).ok());
  EXPECT_EQ(part.lastPealNumber, 2u);
  // Saving every buffer clears it.
  ASSERT_TRUE(doc.Save().ok());
  EXPECT_FALSE(doc.modified);
}

TEST_F(LedgerFiles, EquivalencesTravelWithTheLedger) {
  files.SetContents("/elsewhere/club.tv3", LedgerBytes(2));
  // Looked for in the current directory, not the ledger's, under the ledger's title.
  files.SetContents("/work/club.eqv", Bytes({5, 0, 9, 0, 9, 0, 12, 0, 7}));
  ASSERT_TRUE(doc.Open("/elsewhere/club.tv3").ok());
  const CEquivalences& equivalences = PersonIndex().equivalences;
  EXPECT_EQ(equivalences.EquivalentOf(5), 12);
  EXPECT_EQ(equivalences.EquivalentOf(9), 12);
  ASSERT_TRUE(doc.Save().ok());
  EXPECT_EQ(files.Contents("/work/club.eq3"),
            Bytes({5, 0, 0, 0, 12, 0, 0, 0, 9, 0, 0, 0, 12, 0, 0, 0}));
}

}  // namespace
}  // namespace tv

// The ledger's Save stopped after every one of its file operations: the ledger file, its backup
// and its equivalence file each hold the old or the new contents, never a mixture.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "peals/ledger_file.h"
#include "peals/tolvane_doc.h"
#include "refdb/index_set.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "tests/peals/peal_test_support.h"
#include "tests/support/scripted_platform.h"
#include "tests/support/stopping_file_system.h"

namespace tv {
namespace {

constexpr const char* kLedger = "/work/club.tv3";
constexpr const char* kEquivalences = "/db/club.eq3";

class InterruptedLedgerSave : public ::testing::Test {
 protected:
  ~InterruptedLedgerSave() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }

  // Enough peals that the save takes several writes of its buffer.
  static std::string LedgerBytes(uint32_t count) {
    std::vector<std::unique_ptr<CPeal>> peals;
    std::vector<CPeal*> pointers;
    for (uint32_t i = 1; i <= count; ++i) {
      peals.push_back(testing::MakePeal(static_cast<Date>(140000 + i), 0, 10 + i % 50));
      peals.back()->pealNumber = i;
      peals.back()->ringers = {i, i + 1, i + 2, i + 3};
      peals.back()->extras[kFootnote] = {"Rung for the " + std::to_string(i) + "th time"};
      pointers.push_back(peals.back().get());
    }
    return testing::RecordBytes(pointers);
  }

  // The files as they were, the ledger opened from them and changed: one peal deleted, one
  // added, an equivalence made.
  void Prepare(const std::string& ledgerBytes) {
    CloseIndexSet();
    doc.reset();
    files = MemoryFileSystem("/work/");
    files.SetContents(kLedger, ledgerBytes);
    files.SetContents(kEquivalences, testing::Bytes({5, 0, 0, 0, 9, 0, 0, 0}));
    OpenIndexSet("/db/");
    doc = std::make_unique<CTolvaneDoc>();
    doc->Open(kLedger);
    doc->SetPosition(kMainBuffer, 2);
    doc->Delete();
    doc->AddNewPeal(testing::MakePeal(150000, 0, 7));
    PersonIndex().equivalences.AddEquivalence(6, 9);
  }

  // Whatever is on disk now, read as the next run of the program would.
  struct Reopened {
    Status status;
    uint32_t peals = 0;
    std::string ledger, backup, equivalences;
  };
  Reopened Reopen() {
    CloseIndexSet();  // no save on the way out: the program stopped
    doc.reset();
    Reopened r;
    CTolvaneDoc fresh;
    r.status = fresh.Load(kLedger);
    r.peals = fresh.lastPealNumber;
    r.ledger = files.Contents(kLedger);
    r.backup = files.Exists(std::string(kLedger) + ".bak") ? files.Contents(std::string(kLedger) + ".bak")
                                                           : "(none)";
    r.equivalences = files.Contents(kEquivalences);
    CloseIndexSet();
    return r;
  }

  // The files a save that is not stopped leaves.
  Reopened Saved(const std::string& ledgerBytes) {
    Prepare(ledgerBytes);
    EXPECT_TRUE(doc->Save().ok());
    return Reopen();
  }

  MemoryFileSystem files{"/work/"};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
  std::unique_ptr<CTolvaneDoc> doc;
};

TEST_F(InterruptedLedgerSave, EveryStopLeavesTheOldOrTheNewLedgerWhole) {
  const std::string oldBytes = LedgerBytes(3000);
  ASSERT_GT(oldBytes.size(), 2u << 16);
  const Reopened saved = Saved(oldBytes);
  ASSERT_NE(saved.ledger, oldBytes);
  ASSERT_EQ(saved.peals, 3000u);  // one deleted, one added

  const int runs = testing::RunStoppedAtEveryStep(
      files, [&] { Prepare(oldBytes); }, [&] { ASSERT_TRUE(doc->Save().ok()); },
      [&](const testing::StopRun& run) {
        const Reopened r = Reopen();
        SCOPED_TRACE("stopped after " + std::to_string(run.allowed) + " changes");
        EXPECT_TRUE(r.status.ok()) << r.status.message();
        EXPECT_TRUE(r.ledger == oldBytes || r.ledger == saved.ledger);
        EXPECT_TRUE(r.equivalences == testing::Bytes({5, 0, 0, 0, 9, 0, 0, 0}) ||
                    r.equivalences == saved.equivalences);
        EXPECT_EQ(r.backup, "(none)");
        if (run.finished) {
          EXPECT_EQ(r.ledger, saved.ledger);
        }
      });
  EXPECT_GT(runs, 5);
}

TEST_F(InterruptedLedgerSave, EveryStopKeepsTheLedgerReadInPartAndItsBackup) {
  const std::string whole = LedgerBytes(3000);
  const std::string cut = whole.substr(0, whole.size() - 5);
  const Reopened saved = Saved(cut);
  ASSERT_EQ(saved.backup, cut);
  ASSERT_TRUE(saved.status.ok());

  const int runs = testing::RunStoppedAtEveryStep(
      files, [&] { Prepare(cut); }, [&] { ASSERT_TRUE(doc->Save().ok()); },
      [&](const testing::StopRun& run) {
        const Reopened r = Reopen();
        SCOPED_TRACE("stopped after " + std::to_string(run.allowed) + " changes");
        if (r.ledger == cut) {
          EXPECT_EQ(r.status.code(), StatusCode::PartialRead);
          EXPECT_EQ(r.peals, 2999u);
        } else {
          EXPECT_EQ(r.ledger, saved.ledger);
          EXPECT_TRUE(r.status.ok()) << r.status.message();
          // The file read in part is never lost: once replaced, it is in the backup.
          EXPECT_EQ(r.backup, cut);
        }
        EXPECT_TRUE(r.backup == "(none)" || r.backup == cut);
      });
  EXPECT_GT(runs, 5);
}

}  // namespace
}  // namespace tv

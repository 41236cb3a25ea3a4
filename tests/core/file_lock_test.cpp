// Locks through the file-system seam: a second taker is refused and told who holds the file, a
// hold let go can be taken again, and a lock file that cannot be made is reported as such. The
// same behaviour on memory files and on the machine's.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/memory_file_system.h"
#include "core/real_file_system.h"

namespace tv {
namespace {

TEST(MemoryLocks, SecondTakerIsRefusedWithTheHolderUntilTheHoldEnds) {
  MemoryFileSystem files("/db/");
  files.SetLockProcess(1234, "2026-12-10 00:31:05");
  LockAttempt first = files.Lock("/db/tolvane.lock", "tolvane-cli");
  ASSERT_TRUE(first.lock);
  EXPECT_EQ(files.Contents("/db/tolvane.lock"), "tolvane-cli (process 1234) since 2026-12-10 00:31:05\n");

  files.SetLockProcess(99, "2026-12-10 01:00:00");
  const LockAttempt second = files.Lock("/db/tolvane.lock", "Tolvane");
  EXPECT_FALSE(second.lock);
  EXPECT_TRUE(second.heldElsewhere);
  EXPECT_EQ(second.holder, "tolvane-cli (process 1234) since 2026-12-10 00:31:05");
  // Another file is another lock.
  EXPECT_TRUE(files.Lock("/other/tolvane.lock", "Tolvane").lock);

  first.lock.reset();
  EXPECT_EQ(files.Contents("/db/tolvane.lock"), "");
  const LockAttempt third = files.Lock("/db/tolvane.lock", "Tolvane");
  ASSERT_TRUE(third.lock);
  EXPECT_EQ(files.Contents("/db/tolvane.lock"), "Tolvane (process 99) since 2026-12-10 01:00:00\n");
}

TEST(MemoryLocks, LockFileThatCannotBeMadeIsNotAHolder) {
  MemoryFileSystem files("/db/");
  files.SetContents("/db/tolvane.lock", "");
  files.SetUnreadable("/db/tolvane.lock");
  const LockAttempt attempt = files.Lock("/db/tolvane.lock", "Tolvane");
  EXPECT_FALSE(attempt.lock);
  EXPECT_FALSE(attempt.heldElsewhere);
  EXPECT_EQ(attempt.cause, FileErrorCause::AccessDenied);
}

class RealLocks : public ::testing::Test {
 protected:
  RealLocks() {
    m_dir = std::filesystem::path(::testing::TempDir()) /
            ("tolvane_lock_" + std::to_string(getpid()));
    std::filesystem::create_directories(m_dir);
  }
  ~RealLocks() override {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::filesystem::path m_dir;
  RealFileSystem files;
};

// Two holds in one process conflict too: a lock on the open file, not on the process.
TEST_F(RealLocks, SecondTakerInTheSameProcessIsRefusedAndTheHoldEndsWithItsObject) {
  const std::string path = (m_dir / "tolvane.lock").string();
  LockAttempt first = files.Lock(path, "tolvane-cli");
  ASSERT_TRUE(first.lock);
  const std::string said = "tolvane-cli (process " + std::to_string(getpid()) + ") since ";
  EXPECT_EQ(Read(path).rfind(said, 0), 0u) << Read(path);
  const LockAttempt second = files.Lock(path, "Tolvane");
  EXPECT_FALSE(second.lock);
  EXPECT_TRUE(second.heldElsewhere);
  EXPECT_EQ(second.holder.rfind(said, 0), 0u) << second.holder;
  // The holder's text is a whole line: a date and a time after "since".
  EXPECT_EQ(second.holder.size(), said.size() + 19) << second.holder;
  first.lock.reset();
  EXPECT_EQ(Read(path), "");
  EXPECT_TRUE(files.Lock(path, "Tolvane").lock);
}

TEST_F(RealLocks, LockFileInAFolderThatDoesNotExistIsNotAHolder) {
  const LockAttempt attempt = files.Lock((m_dir / "gone" / "tolvane.lock").string(), "Tolvane");
  EXPECT_FALSE(attempt.lock);
  EXPECT_FALSE(attempt.heldElsewhere);
  EXPECT_EQ(attempt.cause, FileErrorCause::NotFound);
}

}  // namespace
}  // namespace tv

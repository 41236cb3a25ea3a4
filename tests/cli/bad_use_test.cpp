// The built program misused: missing, unreadable and misplaced files, folders that do not
// exist, unknown words and malformed options. Each run must say one clear line on standard
// error, exit 2 for a usage error and 1 for bad data, and leave every file as it was. A writer
// run while another program holds the index directory is refused the same way.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/real_file_system.h"
#include "refdb/index_lock.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every file and folder under `root` with its bytes ("/" for a folder).
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    tree[name] = entry.is_directory() ? std::string("/") : ReadBytes(entry.path());
  }
  return tree;
}

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

class CommandLineMisuse : public ::testing::Test {
 protected:
  CommandLineMisuse() {
    char pattern[] = "/tmp/tolvane-misuse-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    m_base = made ? made : "/tmp";
    m_work = m_base / "work";
    fs::create_directories(m_work / "db");
    fs::create_directories(m_work / "folder");
    // A real database and ledger to misuse, made by the program itself.
    const ProgramRun demo = Run({"demo", "db", "--peals", "30"});
    EXPECT_EQ(demo.status, 0) << demo.err;
    WriteBytes(m_work / "junk.bin", std::string("\x7f\x00\xff\x13 not a ledger \x01\x02", 20));
  }
  ~CommandLineMisuse() override {
    std::error_code ignored;
    fs::permissions(m_work / "locked.tv3", fs::perms::owner_all, ignored);
    fs::remove_all(m_base, ignored);
  }

  // Runs the program in the work folder; standard output and error go to files outside it.
  ProgramRun Run(const std::vector<std::string>& args) {
    const fs::path outPath = m_base / "stdout";
    const fs::path errPath = m_base / "stderr";
    const pid_t child = fork();
    if (child == 0) {
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(m_work.c_str()) != 0) {
        _exit(127);
      }
      std::vector<char*> argv{const_cast<char*>(TOLVANE_CLI_PROGRAM)};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(TOLVANE_CLI_PROGRAM, argv.data());
      _exit(127);
    }
    ProgramRun run;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
      run.status = WEXITSTATUS(status);
    }
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
  }

  // Runs a misuse and checks what it must do: one line on standard error naming `mentions`,
  // nothing on standard output, the exit status, and no file or folder changed.
  // With `quiet` false the command may still print what it could read.
  void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& mentions,
                     bool quiet = true) {
    std::string command;
    for (const std::string& arg : args) command += " " + arg;
    SCOPED_TRACE("tolvane-cli" + command);
    const auto before = Snapshot(m_work);
    const ProgramRun run = Run(args);
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("tolvane-cli: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(mentions), std::string::npos) << run.err;
    if (quiet) {
      EXPECT_EQ(run.out, "");
    }
    const auto after = Snapshot(m_work);
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, bytes] : after) {
      const auto was = before.find(name);
      if (was == before.end()) {
        ADD_FAILURE() << "made " << name;
      } else if (was->second != bytes) {
        ADD_FAILURE() << "changed " << name;
      }
    }
  }

  fs::path m_base;
  fs::path m_work;
};

TEST_F(CommandLineMisuse, UnknownWordsAreUsageErrors) {
  ExpectRefused({"export", "db/demo.tv3", "pdf"}, 2, "pdf");
  ExpectRefused({"analyse", "db/demo.tv3", "weather"}, 2, "weather");
  ExpectRefused({"import", "db/demo.tv3", "excel", "junk.bin"}, 2, "excel");
  ExpectRefused({"--db", "db", "index", "bells", "list"}, 2, "bells");
  ExpectRefused({"--db", "db", "index", "persons", "tidy"}, 2, "tidy");
  ExpectRefused({"--db", "db", "index", "persons", "show"}, 2, "show");
  ExpectRefused({"index", "bells", "list"}, 2, "bells");
  ExpectRefused({"export", "db/demo.tv3", "marwick", "-o", "out.txt"}, 2, "-o");
  ExpectRefused({"export", "db/demo.tv3"}, 2, "FORMAT");
  ExpectRefused({"demo", "nowhere"}, 2, "nowhere");
}

TEST_F(CommandLineMisuse, MalformedTodayAndSelectAreUsageErrors) {
  for (const char* today : {"31/2/2024", "1/13/2024", "yesterday", "1/1/", "", "0/0/0"}) {
    ExpectRefused({"--db", "db", "--today", today, "info", "db/demo.tv3"}, 2, "--today");
  }
  for (const char* select : {"weather=fine", "date=2024", "class=Wobble", "class=Surprise+tiny",
                             "changes=5000", "=x", ""}) {
    ExpectRefused({"--db", "db", "export", "db/demo.tv3", "line", "--select", select}, 2, "--select");
  }
  ExpectRefused({"--db", "db", "export", "db/demo.tv3", "line", "--select"}, 2, "--select");
  ExpectRefused({"--db", "db", "export", "db/demo.tv3", "line", "--exclude"}, 2, "--select");
  ExpectRefused({"--db", "db", "analyse", "db/demo.tv3", "tower", "--only", "bells", "--select",
                 "date=.."}, 2, "--only");
}

TEST_F(CommandLineMisuse, MissingFilesAreBadData) {
  ExpectRefused({"--db", "db", "info", "none.tv3"}, 1, "none.tv3");
  ExpectRefused({"--db", "db", "export", "none.tv3", "line"}, 1, "none.tv3");
  ExpectRefused({"--db", "db", "analyse", "none.tv3", "tower"}, 1, "none.tv3");
  ExpectRefused({"--db", "db", "import", "db/demo.tv3", "new-sgml", "none.sgml"}, 1, "none.sgml");
  ExpectRefused({"--db", "db", "steeplex", "import", "none.sxd"}, 1, "none.sxd");
  ExpectRefused({"--db", "db", "steeplex", "import-csv", "none.csv"}, 1, "none.csv");
  ExpectRefused({"--db", "db", "index", "methods", "import-xml", "none.xml"}, 1, "none.xml");
  ExpectRefused({"--db", "nodb", "info", "db/demo.tv3"}, 1, "nodb");
  ExpectRefused({"--db", "junk.bin", "info", "db/demo.tv3"}, 1, "junk.bin");
}

TEST_F(CommandLineMisuse, FoldersWhereFilesBelongAreBadData) {
  ExpectRefused({"--db", "db", "info", "folder"}, 1, "folder");
  ExpectRefused({"--db", "db", "export", "folder", "csv-peals"}, 1, "folder");
  ExpectRefused({"--db", "db", "export", "db/demo.tv3", "line", "-o", "folder"}, 1, "folder");
  ExpectRefused({"--db", "db", "import", "folder", "new-sgml", "junk.bin"}, 1, "folder");
  ExpectRefused({"--db", "db", "import", "db/demo.tv3", "logwright", "folder"}, 1, "folder");
  ExpectRefused({"--db", "db", "steeplex", "import-csv", "folder"}, 1, "folder");
  ExpectRefused({"--db", "db", "index", "methods", "import-xml", "folder"}, 1, "folder");
}

TEST_F(CommandLineMisuse, FilesInFoldersThatDoNotExistAreBadData) {
  ExpectRefused({"--db", "db", "export", "db/demo.tv3", "line", "-o", "gone/out.txt"}, 1, "gone/out.txt");
  ExpectRefused({"--db", "db", "export", "db/demo.tv3", "csv-full", "-o", "junk.bin/out.csv"}, 1,
                "junk.bin/out.csv");
  ExpectRefused({"--db", "db", "import", "gone/new.tv3", "logwright", "junk.bin"}, 1, "gone/new.tv3");
}

TEST_F(CommandLineMisuse, JunkLedgersAreBadDataSaidInOneLine) {
  const std::string said = "junk.bin was read only in part: 0 peals read";
  ExpectRefused({"--db", "db", "info", "junk.bin"}, 1, said, false);
  ExpectRefused({"--db", "db", "export", "junk.bin", "rw"}, 1, said, false);
  ExpectRefused({"--db", "db", "analyse", "junk.bin", "ringer"}, 1, said, false);
  // A file that is no ledger is not saved over by an import.
  ExpectRefused({"--db", "db", "import", "junk.bin", "logwright", "db/demo.tv3"}, 1,
                "junk.bin is not a peal ledger");
}

TEST_F(CommandLineMisuse, UnreadableFilesAreBadData) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser reading";
  fs::copy_file(m_work / "db" / "demo.tv3", m_work / "locked.tv3");
  fs::permissions(m_work / "locked.tv3", fs::perms::none);
  ExpectRefused({"--db", "db", "info", "locked.tv3"}, 1, "locked.tv3");
  ExpectRefused({"--db", "db", "export", "locked.tv3", "line"}, 1, "locked.tv3");
  ExpectRefused({"--db", "db", "import", "locked.tv3", "logwright", "junk.bin"}, 1, "locked.tv3");
}

TEST_F(CommandLineMisuse, TheDatabasesOwnFilesAreNotTakenForLedgers) {
  // Any bytes read as peal records, so each of these would have been saved over as a ledger.
  WriteBytes(m_work / "year.sgm", "<k>2003-01-01/1<n>5040<r>Ann Jones\r\n");
  ASSERT_TRUE(fs::exists(m_work / "db" / "demo.eq3"));
  ExpectRefused({"--db", "db", "edit", "db/demo.eq3", "person", "#1", "#2"}, 1,
                "db/demo.eq3 is a ringer equivalence file of the database, not a peal ledger.");
  ExpectRefused({"--db", "db", "import", "db/persons.da3", "new-sgml", "year.sgm"}, 1,
                "index data file");
  ExpectRefused({"--db", "db", "import", "db/new.id3", "new-sgml", "year.sgm"}, 1, "index file");
  ExpectRefused({"--db", "db", "export", "db/demo.eq3", "line"}, 1, "not a peal ledger");
}

TEST_F(CommandLineMisuse, WritersAreRefusedWhileAnotherProgramHoldsTheIndexDirectory) {
  WriteBytes(m_work / "year.sgm", "<k>2003-01-01/1<n>5040<r>Ann Jones\r\n");
  tv::RealFileSystem files;
  tv::LockAttempt held = files.Lock((m_work / "db" / tv::kIndexLockName).string(), "Tolvane");
  ASSERT_TRUE(held.lock);
  const std::string holder = "is held by Tolvane (process " + std::to_string(getpid()) + ") since ";
  ExpectRefused({"--db", "db", "import", "db/demo.tv3", "new-sgml", "year.sgm"}, 1, holder);
  ExpectRefused({"--db", "db", "import", "new.tv3", "new-sgml", "year.sgm"}, 1, holder);
  ExpectRefused({"--db", "db", "index", "persons", "compact"}, 1, holder);
  ExpectRefused({"--db", "db", "index", "towers", "audit"}, 1, holder);
  ExpectRefused({"--db", "db", "index", "persons", "purge", "--used-by", "db/demo.tv3"}, 1, holder);
  ExpectRefused({"--db", "db", "steeplex", "import-csv", "year.sgm"}, 1, holder);
  ExpectRefused({"--db", "db", "edit", "db/demo.tv3", "person", "#1", "#2"}, 1, holder);
  // Readers go on while it is held.
  const ProgramRun exported = Run({"--db", "db", "export", "db/demo.tv3", "line"});
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_NE(exported.out, "");
  EXPECT_EQ(exported.err, "");
  const ProgramRun listed = Run({"--db", "db", "index", "persons", "list"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out, "");
  const ProgramRun info = Run({"--db", "db", "info", "db/demo.tv3"});
  EXPECT_EQ(info.status, 0) << info.err;

  // Let go, the directory is the next writer's.
  held.lock.reset();
  const ProgramRun imported = Run({"--db", "db", "import", "db/demo.tv3", "new-sgml", "year.sgm"});
  EXPECT_EQ(imported.status, 0) << imported.err;
}

TEST_F(CommandLineMisuse, ALockLeftByAProcessThatEndedIsTakenOver) {
  WriteBytes(m_work / "year.sgm", "<k>2003-01-01/1<n>5040<r>Ann Jones\r\n");
  const std::string lockPath = (m_work / "db" / tv::kIndexLockName).string();
  // A holder that ends without letting go, as a killed program does.
  const pid_t child = fork();
  if (child == 0) {
    tv::RealFileSystem files;
    tv::LockAttempt held = files.Lock(lockPath, "tolvane-cli");
    _exit(held.lock ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // Its description is still in the file, but nothing holds it.
  EXPECT_NE(ReadBytes(lockPath).find("tolvane-cli (process " + std::to_string(child) + ")"),
            std::string::npos);
  const ProgramRun imported = Run({"--db", "db", "import", "db/demo.tv3", "new-sgml", "year.sgm"});
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, "Added 1, replaced 0\n");
}

}  // namespace

// A file system held in memory, for tests: every file is a byte string under its path.
#pragma once

#include <map>
#include <memory>
#include <set>

#include "core/file_system.h"

namespace tv {

class MemoryFileSystem : public FileSystem {
 public:
  explicit MemoryFileSystem(std::string currentDirectory = "/work/");

  std::unique_ptr<File> Open(const std::string& path, OpenMode mode,
                             FileErrorCause* why = nullptr) override;
  bool Exists(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool CreateDirectory(const std::string& path) override;
  std::string CurrentDirectory() override { return m_current; }
  // Holds are kept in memory; each is described with the process id and time set below.
  LockAttempt Lock(const std::string& path, std::string_view program) override;

  // Test access to the stored bytes.
  void SetContents(const std::string& path, std::string_view bytes);
  std::string Contents(const std::string& path) const;
  std::vector<std::string> Paths() const;
  // Makes an existing file refuse to open, as one without read permission does.
  void SetUnreadable(const std::string& path, bool unreadable = true);
  // The process id and time that the next holds describe themselves with.
  void SetLockProcess(int processId, std::string since);

 private:
  std::string m_current;
  std::map<std::string, std::shared_ptr<std::string>> m_files;
  std::set<std::string> m_directories;
  std::set<std::string> m_unreadable;
  // Paths held now; shared with the holds so that one outliving the file system is harmless.
  std::shared_ptr<std::set<std::string>> m_held = std::make_shared<std::set<std::string>>();
  int m_processId = 1000;
  std::string m_lockTime = "2026-01-01 00:00:00";
};

}  // namespace tv

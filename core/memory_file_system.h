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

  // Test access to the stored bytes.
  void SetContents(const std::string& path, std::string_view bytes);
  std::string Contents(const std::string& path) const;
  std::vector<std::string> Paths() const;
  // Makes an existing file refuse to open, as one without read permission does.
  void SetUnreadable(const std::string& path, bool unreadable = true);

 private:
  std::string m_current;
  std::map<std::string, std::shared_ptr<std::string>> m_files;
  std::set<std::string> m_directories;
  std::set<std::string> m_unreadable;
};

}  // namespace tv

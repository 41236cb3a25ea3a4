// The file system of the machine, through buffered standard streams, with advisory locks.
#pragma once

#include "core/file_system.h"

namespace tv {

class RealFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, OpenMode mode,
                             FileErrorCause* why = nullptr) override;
  bool Exists(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool CreateDirectory(const std::string& path) override;
  std::string CurrentDirectory() override;
  LockAttempt Lock(const std::string& path, std::string_view program) override;
};

}  // namespace tv

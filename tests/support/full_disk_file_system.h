// A file system whose disk fills up: writes to the files chosen fail with DiskFull once a
// number of bytes has been written to them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/file_system.h"

namespace tv::testing {

class FullDiskFileSystem : public FileSystem {
 public:
  // Writes to paths ending in `suffix` share `room` bytes; other files are not limited.
  FullDiskFileSystem(FileSystem& inner, std::string suffix, uint64_t room)
      : m_inner(inner), m_suffix(std::move(suffix)), m_room(room) {}

  std::unique_ptr<File> Open(const std::string& path, OpenMode mode,
                             FileErrorCause* why = nullptr) override {
    auto file = m_inner.Open(path, mode, why);
    const bool limited = path.size() >= m_suffix.size() &&
                         path.compare(path.size() - m_suffix.size(), m_suffix.size(), m_suffix) == 0;
    if (!file || !limited) return file;
    return std::make_unique<Filling>(std::move(file), m_room);
  }
  bool Exists(const std::string& path) override { return m_inner.Exists(path); }
  bool IsDirectory(const std::string& path) override { return m_inner.IsDirectory(path); }
  bool Remove(const std::string& path) override { return m_inner.Remove(path); }
  bool Rename(const std::string& from, const std::string& to) override {
    return m_inner.Rename(from, to);
  }
  bool CreateDirectory(const std::string& path) override { return m_inner.CreateDirectory(path); }
  std::string CurrentDirectory() override { return m_inner.CurrentDirectory(); }
  LockAttempt Lock(const std::string& path, std::string_view program) override {
    return m_inner.Lock(path, program);
  }

 private:
  class Filling final : public File {
   public:
    Filling(std::unique_ptr<File> file, uint64_t& room) : m_file(std::move(file)), m_room(room) {}
    size_t Read(void* buffer, size_t size) override { return m_file->Read(buffer, size); }
    void Write(const void* data, size_t size) override {
      if (size > m_room) throw FileError(FileErrorCause::DiskFull, Path(), "Disk full writing " + Path());
      m_room -= size;
      m_file->Write(data, size);
    }
    void Seek(uint64_t position) override { m_file->Seek(position); }
    uint64_t Position() const override { return m_file->Position(); }
    uint64_t Length() override { return m_file->Length(); }
    void Flush() override { m_file->Flush(); }
    const std::string& Path() const override { return m_file->Path(); }

   private:
    std::unique_ptr<File> m_file;
    uint64_t& m_room;
  };

  FileSystem& m_inner;
  std::string m_suffix;
  uint64_t m_room;
};

}  // namespace tv::testing

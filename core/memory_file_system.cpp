// Memory files: each open file shares its path's byte string, so writes are seen at once.
#include "core/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace tv {
namespace {

class MemoryFile final : public File {
 public:
  MemoryFile(std::shared_ptr<std::string> bytes, std::string path, bool writable)
      : m_bytes(std::move(bytes)), m_path(std::move(path)), m_writable(writable) {}

  size_t Read(void* buffer, size_t size) override {
    if (m_position >= m_bytes->size()) return 0;
    const size_t got = std::min<size_t>(size, m_bytes->size() - m_position);
    std::memcpy(buffer, m_bytes->data() + m_position, got);
    m_position += got;
    return got;
  }

  void Write(const void* data, size_t size) override {
    if (!m_writable) throw FileError(FileErrorCause::AccessDenied, m_path, "Read-only " + m_path);
    if (m_position + size > m_bytes->size()) m_bytes->resize(m_position + size);
    if (size > 0) std::memcpy(m_bytes->data() + m_position, data, size);
    m_position += size;
  }

  void Seek(uint64_t position) override { m_position = position; }
  uint64_t Position() const override { return m_position; }
  uint64_t Length() override { return m_bytes->size(); }
  void Flush() override {}
  const std::string& Path() const override { return m_path; }

 private:
  std::shared_ptr<std::string> m_bytes;
  std::string m_path;
  bool m_writable;
  uint64_t m_position = 0;
};

class MemoryLock final : public FileLock {
 public:
  MemoryLock(std::weak_ptr<std::set<std::string>> held, std::shared_ptr<std::string> bytes,
             std::string path)
      : m_held(std::move(held)), m_bytes(std::move(bytes)), m_path(std::move(path)) {}
  ~MemoryLock() override {
    m_bytes->clear();
    if (auto held = m_held.lock()) held->erase(m_path);
  }

 private:
  std::weak_ptr<std::set<std::string>> m_held;
  std::shared_ptr<std::string> m_bytes;
  std::string m_path;
};

}  // namespace

LockAttempt MemoryFileSystem::Lock(const std::string& path, std::string_view program) {
  LockAttempt attempt;
  if (m_held->count(path)) {
    attempt.heldElsewhere = true;
    attempt.holder = Contents(path);
    if (!attempt.holder.empty() && attempt.holder.back() == '\n') attempt.holder.pop_back();
    return attempt;
  }
  FileErrorCause why = FileErrorCause::None;
  if (!Exists(path) && !Open(path, OpenMode::Create, &why)) {
    attempt.cause = why;
    return attempt;
  }
  if (m_directories.count(path) || m_unreadable.count(path)) {
    attempt.cause = FileErrorCause::AccessDenied;
    return attempt;
  }
  const auto bytes = m_files.at(path);
  *bytes = std::string(program) + " (process " + std::to_string(m_processId) + ") since " +
           m_lockTime + "\n";
  m_held->insert(path);
  attempt.lock = std::make_unique<MemoryLock>(m_held, bytes, path);
  return attempt;
}

void MemoryFileSystem::SetLockProcess(int processId, std::string since) {
  m_processId = processId;
  m_lockTime = std::move(since);
}

MemoryFileSystem::MemoryFileSystem(std::string currentDirectory)
    : m_current(std::move(currentDirectory)) {}

std::unique_ptr<File> MemoryFileSystem::Open(const std::string& path, OpenMode mode,
                                             FileErrorCause* why) {
  if (m_directories.count(path)) {
    if (why) *why = FileErrorCause::AccessDenied;
    return nullptr;
  }
  if (m_unreadable.count(path) && m_files.count(path)) {
    if (why) *why = FileErrorCause::AccessDenied;
    return nullptr;
  }
  auto found = m_files.find(path);
  if (mode == OpenMode::Create) {
    if (found == m_files.end()) {
      found = m_files.emplace(path, std::make_shared<std::string>()).first;
    } else {
      found->second->clear();
    }
  } else if (found == m_files.end()) {
    if (why) *why = FileErrorCause::NotFound;
    return nullptr;
  }
  if (why) *why = FileErrorCause::None;
  return std::make_unique<MemoryFile>(found->second, path, mode != OpenMode::Read);
}

bool MemoryFileSystem::Exists(const std::string& path) {
  return m_files.count(path) > 0 || m_directories.count(path) > 0;
}

bool MemoryFileSystem::IsDirectory(const std::string& path) {
  if (path.empty()) return false;
  if (m_directories.count(path) > 0) return true;
  // Folders that were never made are implied, as on a disk, by the current directory and by
  // the files stored under them.
  const std::string folder = path.back() == '/' || path.back() == '\\' ? path : path + '/';
  if (m_current.compare(0, folder.size(), folder) == 0) return true;
  const auto below = m_files.lower_bound(folder);
  return below != m_files.end() && below->first.compare(0, folder.size(), folder) == 0;
}

bool MemoryFileSystem::Remove(const std::string& path) { return m_files.erase(path) > 0; }

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  auto found = m_files.find(from);
  if (found == m_files.end()) return false;
  // A renamed file keeps its bytes; files still open on the old name keep writing to them.
  auto bytes = found->second;
  m_files.erase(found);
  m_files[to] = bytes;
  return true;
}

bool MemoryFileSystem::CreateDirectory(const std::string& path) {
  m_directories.insert(path);
  return true;
}

void MemoryFileSystem::SetContents(const std::string& path, std::string_view bytes) {
  m_files[path] = std::make_shared<std::string>(bytes);
}

std::string MemoryFileSystem::Contents(const std::string& path) const {
  auto found = m_files.find(path);
  return found == m_files.end() ? std::string() : *found->second;
}

void MemoryFileSystem::SetUnreadable(const std::string& path, bool unreadable) {
  if (unreadable) {
    m_unreadable.insert(path);
  } else {
    m_unreadable.erase(path);
  }
}

std::vector<std::string> MemoryFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [path, bytes] : m_files) paths.push_back(path);
  return paths;
}

}  // namespace tv

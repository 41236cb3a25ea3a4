// Real files over stdio streams with large buffers; a rename replaces its target atomically.
#include "core/real_file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace tv {
namespace {

FileErrorCause CauseOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return FileErrorCause::NotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return FileErrorCause::AccessDenied;
    case ENOSPC:
    case EDQUOT:
      return FileErrorCause::DiskFull;
    default:
      return FileErrorCause::Generic;
  }
}

class RealFile final : public File {
 public:
  RealFile(std::FILE* stream, std::string path) : m_stream(stream), m_path(std::move(path)) {
    std::setvbuf(m_stream, nullptr, _IOFBF, 1 << 16);
  }
  ~RealFile() override { std::fclose(m_stream); }

  size_t Read(void* buffer, size_t size) override {
    SwitchTo(Op::Read);
    const size_t got = std::fread(buffer, 1, size, m_stream);
    if (got < size && std::ferror(m_stream)) Fail("Cannot read ");
    return got;
  }

  void Write(const void* data, size_t size) override {
    SwitchTo(Op::Write);
    if (size > 0 && std::fwrite(data, 1, size, m_stream) != size) Fail("Cannot write ");
  }

  void Seek(uint64_t position) override {
    if (fseeko(m_stream, static_cast<off_t>(position), SEEK_SET) != 0) Fail("Cannot seek in ");
    m_last = Op::None;
  }

  uint64_t Position() const override { return static_cast<uint64_t>(ftello(m_stream)); }

  uint64_t Length() override {
    std::fflush(m_stream);
    struct stat info {};
    if (fstat(fileno(m_stream), &info) != 0) Fail("Cannot read the length of ");
    return static_cast<uint64_t>(info.st_size);
  }

  void Flush() override {
    if (std::fflush(m_stream) != 0 || fsync(fileno(m_stream)) != 0) Fail("Cannot write ");
  }

  const std::string& Path() const override { return m_path; }

 private:
  enum class Op { None, Read, Write };

  // A stream that switches between reading and writing must be repositioned first.
  void SwitchTo(Op op) {
    if (m_last != Op::None && m_last != op) fseeko(m_stream, 0, SEEK_CUR);
    m_last = op;
  }

  [[noreturn]] void Fail(const char* what) {
    const int error = errno;
    throw FileError(CauseOf(error), m_path, what + m_path + ": " + std::strerror(error));
  }

  std::FILE* m_stream;
  std::string m_path;
  Op m_last = Op::None;
};

// A lock held on an open file description, so that it conflicts with every other opening of
// the file, in this process as in others. Letting go empties the file: the text in a file that
// nobody holds names nobody.
class RealLock final : public FileLock {
 public:
  explicit RealLock(int fd) : m_fd(fd) {}
  ~RealLock() override {
    if (ftruncate(m_fd, 0) != 0) {
      // The lock goes with the descriptor all the same.
    }
    close(m_fd);
  }

 private:
  int m_fd;
};

bool TakeLock(int fd) {
#ifdef F_OFD_SETLK
  struct flock hold {};
  hold.l_type = F_WRLCK;
  hold.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &hold) == 0;
#else
  return flock(fd, LOCK_EX | LOCK_NB) == 0;
#endif
}

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  char text[32] = {};
  if (localtime_r(&now, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace

LockAttempt RealFileSystem::Lock(const std::string& path, std::string_view program) {
  LockAttempt attempt;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    attempt.cause = CauseOf(errno);
    return attempt;
  }
  if (!TakeLock(fd)) {
    const int error = errno;
    if (error != EAGAIN && error != EACCES && error != EWOULDBLOCK) {
      close(fd);
      attempt.cause = CauseOf(error);
      return attempt;
    }
    attempt.heldElsewhere = true;
    char text[512];
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    if (got > 0) attempt.holder.assign(text, static_cast<size_t>(got));
    while (!attempt.holder.empty() && (attempt.holder.back() == '\n' || attempt.holder.back() == '\r')) {
      attempt.holder.pop_back();
    }
    close(fd);
    return attempt;
  }
  const std::string holder = std::string(program) + " (process " + std::to_string(getpid()) +
                             ") since " + Now() + "\n";
  if (ftruncate(fd, 0) != 0 || pwrite(fd, holder.data(), holder.size(), 0) !=
                                   static_cast<ssize_t>(holder.size())) {
    // The hold stands without the text; a refused taker then names no holder.
  }
  attempt.lock = std::make_unique<RealLock>(fd);
  return attempt;
}

std::unique_ptr<File> RealFileSystem::Open(const std::string& path, OpenMode mode,
                                           FileErrorCause* why) {
  if (IsDirectory(path)) {
    if (why) *why = FileErrorCause::AccessDenied;
    return nullptr;
  }
  const char* how = mode == OpenMode::Read ? "rb" : (mode == OpenMode::ReadWrite ? "r+b" : "w+b");
  std::FILE* stream = std::fopen(path.c_str(), how);
  if (!stream) {
    if (why) *why = CauseOf(errno);
    return nullptr;
  }
  if (why) *why = FileErrorCause::None;
  return std::make_unique<RealFile>(stream, path);
}

bool RealFileSystem::Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool RealFileSystem::IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool RealFileSystem::Remove(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool RealFileSystem::Rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RealFileSystem::CreateDirectory(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0 || IsDirectory(path);
}

std::string RealFileSystem::CurrentDirectory() {
  std::string buffer(4096, '\0');
  if (!getcwd(buffer.data(), buffer.size())) return "./";
  buffer.resize(std::strlen(buffer.c_str()));
  if (buffer.empty() || buffer.back() != '/') buffer += '/';
  return buffer;
}

}  // namespace tv

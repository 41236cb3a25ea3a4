// Files as the program sees them: a byte file with a position, and the file system that opens,
// removes and renames them. Library code reaches the disk only through these, so tests run on
// memory files and can stop the program's file operations at any step.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

enum class FileErrorCause { None, EndOfFile, NotFound, AccessDenied, DiskFull, BadFormat, Generic };

// A failed file operation. Readers of records raise EndOfFile when a file ends inside a record.
class FileError : public std::runtime_error {
 public:
  FileError(FileErrorCause cause, std::string path, const std::string& what);
  FileErrorCause Cause() const { return m_cause; }
  const std::string& Path() const { return m_path; }

 private:
  FileErrorCause m_cause;
  std::string m_path;
};

enum class OpenMode {
  Read,       // existing file, reading only
  ReadWrite,  // existing file, reading and writing
  Create,     // create or truncate, reading and writing
};

class File {
 public:
  virtual ~File() = default;
  // Reads up to `size` bytes; fewer at the end of the file.
  virtual size_t Read(void* buffer, size_t size) = 0;
  // Writes every byte or raises FileError.
  virtual void Write(const void* data, size_t size) = 0;
  virtual void Seek(uint64_t position) = 0;
  virtual uint64_t Position() const = 0;
  virtual uint64_t Length() = 0;
  // Makes what was written durable; raises FileError when it cannot.
  virtual void Flush() = 0;
  virtual const std::string& Path() const = 0;

  void SeekToEnd() { Seek(Length()); }
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Reads exactly `size` bytes or raises FileError(EndOfFile).
  void ReadExactly(void* buffer, size_t size);
};

// A hold on a lock file, kept until the object is destroyed. The operating system lets it go
// when the holding process ends, however it ends, so a lock is never left behind by a crash.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// What an attempt to take a lock came to: the hold, or who holds it, or why the lock file
// could not be made.
struct LockAttempt {
  std::unique_ptr<FileLock> lock;
  bool heldElsewhere = false;
  // When held elsewhere: the holder as it described itself, "tolvane-cli (process 1234) since
  // 2026-12-10 00:31:05"; empty when it has not written that yet.
  std::string holder;
  FileErrorCause cause = FileErrorCause::None;  // when the file could not be opened or made
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens a file; null when it cannot, with the cause in `why` when given.
  virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode,
                                     FileErrorCause* why = nullptr) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // Renames `from` to `to`, replacing `to` when it exists.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  // The full path of the current directory, ending in a separator.
  virtual std::string CurrentDirectory() = 0;
  // Takes the exclusive lock of the file `path` without waiting, making the file when it is
  // missing, and writes into it `program`, this process's id and the time, for a refused taker
  // to name. A second attempt fails while the first hold lasts, in this process or another.
  virtual LockAttempt Lock(const std::string& path, std::string_view program) = 0;

  // Reads a whole file; false when it cannot be opened or read.
  bool ReadAll(const std::string& path, std::string& contents);
  // Writes a whole file through a temporary beside it, so that a stop half-way leaves the old
  // contents in place.
  bool WriteAllSafely(const std::string& path, std::string_view contents);
};

// Deletes the file; any failure is ignored.
void RemoveFileQuietly(const std::string& path);

// The name of the temporary that a safe write of `path` fills before renaming it into place.
std::string TemporaryNameFor(const std::string& path);

}  // namespace tv

// A file system that stops the program after a chosen number of changes, for tests of what a
// stop half-way through a save leaves on disk.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/memory_file_system.h"

namespace tv::testing {

// The program stopping: raised by the file system at the chosen step. Deliberately not a
// std::exception, so that no library handler of failures takes it for one and carries on.
struct Stopped {};

// Lets `allowed` changes through and raises Stopped at the next one. A change is any operation
// that can alter the disk: opening for writing or creating, each Write, each Flush, Remove,
// Rename and CreateDirectory. After the stop nothing more reaches the files, as when the
// program is killed: writes and flushes made while unwinding are dropped, and every other
// change fails. A write that is stopped leaves its first half behind. With `allowed` negative
// it never stops, and only counts.
class StoppingFileSystem : public FileSystem {
 public:
  explicit StoppingFileSystem(FileSystem& inner, int allowed = -1);

  std::unique_ptr<File> Open(const std::string& path, OpenMode mode,
                             FileErrorCause* why = nullptr) override;
  bool Exists(const std::string& path) override { return m_inner.Exists(path); }
  bool IsDirectory(const std::string& path) override { return m_inner.IsDirectory(path); }
  bool Remove(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool CreateDirectory(const std::string& path) override;
  std::string CurrentDirectory() override { return m_inner.CurrentDirectory(); }
  LockAttempt Lock(const std::string& path, std::string_view program) override {
    return m_inner.Lock(path, program);
  }

  bool HasStopped() const { return m_stopped; }
  bool NextChangeStops() const { return !m_stopped && m_allowed >= 0 && m_changes == m_allowed; }
  // The changes let through so far.
  int Changes() const { return m_changes; }
  // Files renamed while holding writes that were never flushed: after a real stop the new
  // name could hold less than was written. A sound save leaves this empty.
  const std::vector<std::string>& UnflushedRenames() const { return m_unflushedRenames; }

  // Counts a change; raises Stopped when it is the one not allowed. False once stopped.
  bool Change();
  void Wrote(const std::string& path) { m_unflushed.insert(path); }
  void Flushed(const std::string& path) { m_unflushed.erase(path); }

 private:
  FileSystem& m_inner;
  int m_allowed;
  int m_changes = 0;
  bool m_stopped = false;
  std::set<std::string> m_unflushed;
  std::vector<std::string> m_unflushedRenames;
};

// What one run of an operation under a StoppingFileSystem came to.
struct StopRun {
  int allowed = 0;        // the changes let through before the stop
  bool finished = false;  // the operation ran to its end without being stopped
};

// Runs an operation once for every step at which it could be stopped: for allowed = 0, 1, ...
// `prepare` makes the files as they were before the operation (on `files`, which the services
// name while it runs), `operation` runs with the stopping file system installed, and `check`
// then looks at what is on disk (with `files` installed again). Ends after the first run that
// finishes; gives the number of runs, or 0 when none finished within `limit` runs (a test
// should fail then). Fails the current test when a run renames a file with unflushed writes.
int RunStoppedAtEveryStep(MemoryFileSystem& files, const std::function<void()>& prepare,
                          const std::function<void()>& operation,
                          const std::function<void(const StopRun&)>& check, int limit = 5000);

}  // namespace tv::testing

// The stopping file system and the loop that stops an operation at each of its steps.
#include "tests/support/stopping_file_system.h"

#include <gtest/gtest.h>

#include "core/services.h"

namespace tv::testing {
namespace {

class StoppingFile final : public File {
 public:
  StoppingFile(StoppingFileSystem& fs, std::unique_ptr<File> inner)
      : m_fs(fs), m_inner(std::move(inner)) {}

  size_t Read(void* buffer, size_t size) override { return m_inner->Read(buffer, size); }
  void Write(const void* data, size_t size) override {
    // A write cut off by the stop leaves its first half, as a torn write would.
    if (m_fs.NextChangeStops() && size > 1) m_inner->Write(data, size / 2);
    // Buffers flushed while unwinding never reach the disk.
    if (!m_fs.Change()) return;
    m_inner->Write(data, size);
    m_fs.Wrote(m_inner->Path());
  }
  void Seek(uint64_t position) override { m_inner->Seek(position); }
  uint64_t Position() const override { return m_inner->Position(); }
  uint64_t Length() override { return m_inner->Length(); }
  void Flush() override {
    if (!m_fs.Change()) return;
    m_inner->Flush();
    m_fs.Flushed(m_inner->Path());
  }
  const std::string& Path() const override { return m_inner->Path(); }

 private:
  StoppingFileSystem& m_fs;
  std::unique_ptr<File> m_inner;
};

}  // namespace

StoppingFileSystem::StoppingFileSystem(FileSystem& inner, int allowed)
    : m_inner(inner), m_allowed(allowed) {}

bool StoppingFileSystem::Change() {
  if (m_stopped) return false;
  if (m_allowed >= 0 && m_changes == m_allowed) {
    m_stopped = true;
    throw Stopped{};
  }
  ++m_changes;
  return true;
}

std::unique_ptr<File> StoppingFileSystem::Open(const std::string& path, OpenMode mode,
                                               FileErrorCause* why) {
  if (mode != OpenMode::Read && !Change()) {
    if (why) *why = FileErrorCause::Generic;
    return nullptr;
  }
  auto file = m_inner.Open(path, mode, why);
  return file ? std::make_unique<StoppingFile>(*this, std::move(file)) : nullptr;
}

bool StoppingFileSystem::Remove(const std::string& path) {
  if (!Change()) return false;
  m_unflushed.erase(path);
  return m_inner.Remove(path);
}

bool StoppingFileSystem::Rename(const std::string& from, const std::string& to) {
  if (!Change()) return false;
  if (m_unflushed.count(from)) m_unflushedRenames.push_back(from + " -> " + to);
  return m_inner.Rename(from, to);
}

bool StoppingFileSystem::CreateDirectory(const std::string& path) {
  if (!Change()) return false;
  return m_inner.CreateDirectory(path);
}

int RunStoppedAtEveryStep(MemoryFileSystem& files, const std::function<void()>& prepare,
                          const std::function<void()>& operation,
                          const std::function<void(const StopRun&)>& check, int limit) {
  for (int allowed = 0; allowed < limit; ++allowed) {
    ScopedServices plain(&files, nullptr, nullptr);
    prepare();
    StopRun run{.allowed = allowed};
    {
      StoppingFileSystem stopping(files, allowed);
      ScopedServices stop(&stopping, nullptr, nullptr);
      try {
        operation();
        run.finished = true;
      } catch (const Stopped&) {
      }
      EXPECT_TRUE(stopping.UnflushedRenames().empty())
          << "renamed before flushing: " << stopping.UnflushedRenames().front();
    }
    check(run);
    if (run.finished) return allowed + 1;
  }
  ADD_FAILURE() << "the operation did not finish within " << limit << " steps";
  return 0;
}

}  // namespace tv::testing

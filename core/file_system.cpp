// The parts of File and FileSystem shared by every implementation.
#include "core/file_system.h"

#include "core/services.h"

namespace tv {

FileError::FileError(FileErrorCause cause, std::string path, const std::string& what)
    : std::runtime_error(what), m_cause(cause), m_path(std::move(path)) {}

void File::ReadExactly(void* buffer, size_t size) {
  if (Read(buffer, size) != size) {
    throw FileError(FileErrorCause::EndOfFile, Path(), "Unexpected end of file " + Path());
  }
}

bool FileSystem::ReadAll(const std::string& path, std::string& contents) {
  auto file = Open(path, OpenMode::Read);
  if (!file) return false;
  try {
    const uint64_t length = file->Length();
    contents.resize(length);
    if (length > 0) file->ReadExactly(contents.data(), length);
  } catch (const FileError&) {
    return false;
  }
  return true;
}

std::string TemporaryNameFor(const std::string& path) { return path + ".tmp~"; }

bool FileSystem::WriteAllSafely(const std::string& path, std::string_view contents) {
  const std::string temporary = TemporaryNameFor(path);
  try {
    auto file = Open(temporary, OpenMode::Create);
    if (!file) return false;
    file->Write(contents);
    file->Flush();
  } catch (const FileError&) {
    Remove(temporary);
    return false;
  }
  if (!Rename(temporary, path)) {
    Remove(temporary);
    return false;
  }
  return true;
}

void RemoveFileQuietly(const std::string& path) { Files().Remove(path); }

}  // namespace tv

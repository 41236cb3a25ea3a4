// Field-by-field reading of small text files, byte by byte through the file.
#include "core/field_file.h"

#include <vector>

namespace tv {
namespace {

// Reads one byte that the file's length promises; false when no byte is left.
bool NextByte(File& file, uint64_t& remaining, unsigned char& c) {
  if (remaining == 0) return false;
  if (file.Read(&c, 1) != 1) {
    throw FileError(FileErrorCause::EndOfFile, file.Path(), "Unexpected end of file " + file.Path());
  }
  --remaining;
  return true;
}

// Reads one field, handing each kept byte to `keep`; the shared rules of the field readers.
template <typename Keep>
bool ReadFieldBytes(File& file, Keep&& keep, bool& started) {
  const uint64_t length = file.Length();
  const uint64_t position = file.Position();
  uint64_t remaining = length > position ? length - position : 0;
  unsigned char c;
  if (!NextByte(file, remaining, c)) return false;
  started = true;
  if (c == 0) return true;
  if (c >= 0x20) keep(static_cast<char>(c));
  while (NextByte(file, remaining, c)) {
    if (c < 0x20) break;
    keep(static_cast<char>(c));
  }
  return true;
}

}  // namespace

bool ReadField(File& file, std::string& out) {
  std::string field;
  bool started = false;
  if (!ReadFieldBytes(file, [&](char c) { field += c; }, started)) return false;
  out = std::move(field);
  return true;
}

bool ReadFieldInto(File& file, char* buffer, size_t size) {
  if (size == 0) {
    std::string ignored;
    return ReadField(file, ignored);
  }
  size_t stored = 0;
  bool started = false;
  const bool read = ReadFieldBytes(
      file,
      [&](char c) {
        if (stored + 1 < size) {
          buffer[stored++] = c;
        } else if (stored > 0) {
          buffer[stored - 1] = c;  // a full buffer keeps overwriting its last place
        }
      },
      started);
  if (!read) return false;
  // The NUL takes the last stored place of a full buffer, so at most size - 2 characters stay.
  if (stored + 1 >= size && stored > 0) {
    buffer[stored - 1] = '\0';
  } else {
    buffer[stored] = '\0';
  }
  return true;
}

std::string ReadFieldText(File& file) {
  std::string field;
  bool started = false;
  try {
    ReadFieldBytes(file, [&](char c) { field += c; }, started);
  } catch (const FileError& error) {
    if (error.Cause() != FileErrorCause::EndOfFile) throw;
  }
  return field;
}

void FileWriteString(File& file, std::string_view text) {
  file.Write(text);
  const char nul = 0;
  file.Write(&nul, 1);
}

void WriteText(File& file, std::string_view text) { file.Write(text); }

uint64_t PadFileToRecords(File& file, uint32_t recordSize) {
  const uint64_t length = file.Length();
  file.Seek(length);
  const uint64_t partial = length % recordSize;
  if (partial != 0) {
    const std::vector<char> zeros(recordSize - partial, 0);
    file.Write(zeros.data(), zeros.size());
  }
  return (length + recordSize - 1) / recordSize;
}

}  // namespace tv

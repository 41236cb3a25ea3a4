// A buffered serialisation stream over a File, in loading or storing mode. Numbers are
// little-endian. Reading past the end raises FileError(EndOfFile).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/file_system.h"

namespace tv {

class Archive {
 public:
  enum class Mode { Load, Store };

  // The archive reads or writes from the file's current position. `bufferSize` suits the use:
  // large for whole-file reads, small for a single record read at a random place.
  Archive(File& file, Mode mode, size_t bufferSize = 1 << 16);
  ~Archive();  // a storing archive flushes what is left; call Flush() to see its errors
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  bool IsLoading() const { return m_mode == Mode::Load; }
  bool IsStoring() const { return m_mode == Mode::Store; }
  File& GetFile() { return m_file; }

  uint8_t ReadByte() {
    if (m_next == m_end) Refill();
    return m_buffer[m_next++];
  }
  uint16_t ReadWord();
  uint32_t ReadDword();
  void ReadBytes(void* buffer, size_t size);
  // True when no byte is left in the file.
  bool AtEnd();
  // The file position of the next byte to read or write.
  uint64_t Position() const;

  void WriteByte(uint8_t value) {
    if (m_next == m_size) FlushBuffer();
    m_buffer[m_next++] = value;
  }
  void WriteWord(uint16_t value);
  void WriteDword(uint32_t value);
  void WriteBytes(const void* data, size_t size);
  void Flush();

 private:
  void Refill();
  void FlushBuffer();

  File& m_file;
  Mode m_mode;
  // Left uninitialised: every byte is filled by a read or a write before it is used, and
  // clearing a large buffer would cost more than many a small save.
  std::unique_ptr<uint8_t[]> m_buffer;
  size_t m_size;
  size_t m_next = 0;
  size_t m_end = 0;
  uint64_t m_bufferStart = 0;  // file position of m_buffer[0]
};

// Writes the text's bytes and one NUL.
void ArchiveWriteString(Archive& archive, std::string_view text);
// Reads bytes up to and including a NUL and gives the text before it. At most `limit` bytes are
// kept; the rest of a longer text is read and dropped, so damaged input cannot grow without end.
std::string ArchiveReadString(Archive& archive, size_t limit = 1 << 20);
// As ArchiveReadString, into a caller's buffer of `size` bytes: at most size - 1 characters are
// stored, always followed by a NUL; the rest of a longer text is read and dropped.
void ArchiveReadChars(Archive& archive, char* buffer, size_t size);

}  // namespace tv

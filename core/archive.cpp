// Buffered little-endian serialisation over a File.
#include "core/archive.h"

#include <cstring>

namespace tv {

Archive::Archive(File& file, Mode mode, size_t bufferSize)
    : m_file(file),
      m_mode(mode),
      m_buffer(std::make_unique_for_overwrite<uint8_t[]>(bufferSize < 16 ? 16 : bufferSize)),
      m_size(bufferSize < 16 ? 16 : bufferSize) {
  m_bufferStart = m_file.Position();
}

Archive::~Archive() {
  if (m_mode == Mode::Store) {
    try {
      FlushBuffer();
    } catch (const FileError&) {
      // Destructors cannot report; callers that care call Flush() first.
    }
  }
}

void Archive::Refill() {
  m_bufferStart += m_end;
  m_next = 0;
  m_end = m_file.Read(m_buffer.get(), m_size);
  if (m_end == 0) {
    throw FileError(FileErrorCause::EndOfFile, m_file.Path(),
                    "Unexpected end of file " + m_file.Path());
  }
}

bool Archive::AtEnd() {
  if (m_next < m_end) return false;
  m_bufferStart += m_end;
  m_next = 0;
  m_end = m_file.Read(m_buffer.get(), m_size);
  return m_end == 0;
}

uint64_t Archive::Position() const { return m_bufferStart + m_next; }

uint16_t Archive::ReadWord() {
  const uint16_t low = ReadByte();
  return static_cast<uint16_t>(low | (ReadByte() << 8));
}

uint32_t Archive::ReadDword() {
  uint32_t value = ReadByte();
  value |= static_cast<uint32_t>(ReadByte()) << 8;
  value |= static_cast<uint32_t>(ReadByte()) << 16;
  value |= static_cast<uint32_t>(ReadByte()) << 24;
  return value;
}

void Archive::ReadBytes(void* buffer, size_t size) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (size > 0) {
    if (m_next == m_end) Refill();
    const size_t take = std::min(size, m_end - m_next);
    std::memcpy(out, m_buffer.get() + m_next, take);
    m_next += take;
    out += take;
    size -= take;
  }
}

void Archive::WriteWord(uint16_t value) {
  WriteByte(static_cast<uint8_t>(value));
  WriteByte(static_cast<uint8_t>(value >> 8));
}

void Archive::WriteDword(uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) WriteByte(static_cast<uint8_t>(value >> shift));
}

void Archive::WriteBytes(const void* data, size_t size) {
  const auto* in = static_cast<const uint8_t*>(data);
  while (size > 0) {
    if (m_next == m_size) FlushBuffer();
    const size_t take = std::min(size, m_size - m_next);
    std::memcpy(m_buffer.get() + m_next, in, take);
    m_next += take;
    in += take;
    size -= take;
  }
}

void Archive::FlushBuffer() {
  if (m_next > 0) {
    const size_t count = m_next;
    m_next = 0;
    m_file.Write(m_buffer.get(), count);
    m_bufferStart += count;
  }
}

void Archive::Flush() { FlushBuffer(); }

void ArchiveWriteString(Archive& archive, std::string_view text) {
  archive.WriteBytes(text.data(), text.size());
  archive.WriteByte(0);
}

std::string ArchiveReadString(Archive& archive, size_t limit) {
  std::string text;
  for (uint8_t c = archive.ReadByte(); c != 0; c = archive.ReadByte()) {
    if (text.size() < limit) text += static_cast<char>(c);
  }
  return text;
}

void ArchiveReadChars(Archive& archive, char* buffer, size_t size) {
  size_t stored = 0;
  for (uint8_t c = archive.ReadByte(); c != 0; c = archive.ReadByte()) {
    if (stored + 1 < size) buffer[stored++] = static_cast<char>(c);
  }
  if (size > 0) buffer[stored] = '\0';
}

}  // namespace tv

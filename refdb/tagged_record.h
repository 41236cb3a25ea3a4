// The tagged-field record encoding shared by index data files and peal records.
//
// A record is a sequence of fields ended by one zero byte. A field is a tag byte T (never 0):
// type = T >> 5, field code = T & 0x1f (read back as the letter code | 0x60, so codes 1..26 are
// "a".."z" and the key's code 31 reads as 127), followed by its value:
//   0: 1 byte   1: 2 bytes LE   2: 4 bytes LE   3: text, its bytes and a NUL
//   4: count n, n bytes   5: count n, n 2-byte values   6: count n, n 4-byte values
//   7: count n, n NUL-ended texts
// Writers use the narrowest of types 0..2 for a number and leave out zero numbers and empty
// texts; the key (code 31) comes first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive.h"

namespace tv {

inline constexpr uint8_t kKeyCode = 31;
inline constexpr char kKeyLetter = 0x7f;   // the key's code as a reader names it
inline constexpr size_t kMaxRecordText = 4095;  // the longest text an import puts in a field
// The most bytes a reader keeps of one text: room for the longest text a dialog allows with
// its line breaks escaped (StoredRecordText), and a bound on what a damaged file can make.
inline constexpr size_t kMaxStoredText = 32767;

struct TaggedField {
  uint8_t tag = 0;
  int type = 0;
  char letter = 0;              // (tag & 0x1f) | 0x60
  uint32_t value = 0;           // numeric value (types 0..2; types 4..6 with a count of 1)
  std::string text;             // type 3 (type 7 with a count of 1)
  std::vector<uint32_t> array;  // types 4..6
  std::vector<std::string> texts;  // type 7
  bool IsNumber() const { return type <= 2 || ((type >= 4 && type <= 6) && array.size() == 1); }
  bool IsText() const { return type == 3 || (type == 7 && texts.size() == 1); }
};

// Reads the fields of one record. In a data file a text ends at its first byte below 0x20;
// in a peal archive at its NUL. Texts longer than kMaxStoredText bytes are cut. Raises
// FileError(EndOfFile) when the file ends inside the record.
class TaggedReader {
 public:
  TaggedReader(Archive& in, bool dataFile) : m_in(in), m_dataFile(dataFile) {}
  // Reads the next field; false at the record's zero byte.
  bool Next(TaggedField& field);

 private:
  std::string ReadText();
  Archive& m_in;
  bool m_dataFile;
};

// Writes the fields of one record, for a data file or (dataFile false) a peal archive.
class TaggedWriter {
 public:
  explicit TaggedWriter(Archive& out, bool dataFile = true) : m_out(out), m_dataFile(dataFile) {}
  void Key(uint32_t key) { Number(kKeyCode, key); }
  // A number in the narrowest of types 0..2; nothing when 0.
  void Number(uint8_t code, uint32_t value);
  // A field declared as one byte: type 0; nothing when 0.
  void Byte(uint8_t code, uint8_t value);
  // A field declared as 16 bits: type 0 or 1; nothing when 0.
  void Word(uint8_t code, uint16_t value);
  // A text; nothing when empty. Each run of bytes that would end the text when read back (see
  // TaggedReader) is written as one blank, so the record's other fields keep their place.
  void Text(uint8_t code, std::string_view text);
  // Arrays with a count byte, always written.
  void WordArray(uint8_t code, std::span<const uint16_t> values);
  void DwordArray(uint8_t code, std::span<const uint32_t> values);
  void End() { m_out.WriteByte(0); }
  Archive& Out() { return m_out; }

 private:
  Archive& m_out;
  bool m_dataFile;
};

// The field code of a letter ("a" is 1).
constexpr uint8_t Code(char letter) { return static_cast<uint8_t>(letter & 0x1f); }

}  // namespace tv

// Reading and writing tagged-field records.
#include "refdb/tagged_record.h"

#include <algorithm>

namespace tv {

std::string TaggedReader::ReadText() {
  std::string text;
  for (;;) {
    const uint8_t c = m_in.ReadByte();
    if (c == 0 || (m_dataFile && c < 0x20)) break;
    if (text.size() < kMaxStoredText) text += static_cast<char>(c);
  }
  return text;
}

bool TaggedReader::Next(TaggedField& field) {
  const uint8_t tag = m_in.ReadByte();
  if (tag == 0) return false;
  field.tag = tag;
  field.type = tag >> 5;
  field.letter = static_cast<char>((tag & 0x1f) | 0x60);
  field.value = 0;
  field.text.clear();
  field.array.clear();
  field.texts.clear();
  switch (field.type) {
    case 0: field.value = m_in.ReadByte(); break;
    case 1: field.value = m_in.ReadWord(); break;
    case 2: field.value = m_in.ReadDword(); break;
    case 3: field.text = ReadText(); break;
    case 4:
    case 5:
    case 6: {
      const uint8_t count = m_in.ReadByte();
      field.array.reserve(count);
      for (int i = 0; i < count; ++i) {
        field.array.push_back(field.type == 4 ? m_in.ReadByte()
                                              : (field.type == 5 ? m_in.ReadWord() : m_in.ReadDword()));
      }
      if (count == 1) field.value = field.array[0];
      break;
    }
    default: {
      const uint8_t count = m_in.ReadByte();
      for (int i = 0; i < count; ++i) field.texts.push_back(ReadText());
      if (count == 1) field.text = field.texts[0];
      break;
    }
  }
  return true;
}

void TaggedWriter::Number(uint8_t code, uint32_t value) {
  if (value == 0) return;
  if (value < 0x100) {
    m_out.WriteByte(code);
    m_out.WriteByte(static_cast<uint8_t>(value));
  } else if (value < 0x10000) {
    m_out.WriteByte(static_cast<uint8_t>(0x20 | code));
    m_out.WriteWord(static_cast<uint16_t>(value));
  } else {
    m_out.WriteByte(static_cast<uint8_t>(0x40 | code));
    m_out.WriteDword(value);
  }
}

void TaggedWriter::Byte(uint8_t code, uint8_t value) { Number(code, value); }

void TaggedWriter::Word(uint8_t code, uint16_t value) { Number(code, value); }

void TaggedWriter::Text(uint8_t code, std::string_view text) {
  if (text.empty()) return;
  m_out.WriteByte(static_cast<uint8_t>(0x60 | code));
  const auto endsText = [this](char c) {
    const auto byte = static_cast<uint8_t>(c);
    return byte == 0 || (m_dataFile && byte < 0x20);
  };
  if (std::none_of(text.begin(), text.end(), endsText)) {
    m_out.WriteBytes(text.data(), text.size());
  } else {
    std::string kept;
    bool inRun = false;
    for (const char c : text) {
      if (!endsText(c)) {
        kept += c;
      } else if (!inRun) {
        kept += ' ';
      }
      inRun = endsText(c);
    }
    m_out.WriteBytes(kept.data(), kept.size());
  }
  m_out.WriteByte(0);
}

void TaggedWriter::WordArray(uint8_t code, std::span<const uint16_t> values) {
  m_out.WriteByte(static_cast<uint8_t>(0xA0 | code));
  m_out.WriteByte(static_cast<uint8_t>(values.size()));
  for (uint16_t v : values) m_out.WriteWord(v);
}

void TaggedWriter::DwordArray(uint8_t code, std::span<const uint32_t> values) {
  m_out.WriteByte(static_cast<uint8_t>(0xC0 | code));
  m_out.WriteByte(static_cast<uint8_t>(values.size()));
  for (uint32_t v : values) m_out.WriteDword(v);
}

}  // namespace tv

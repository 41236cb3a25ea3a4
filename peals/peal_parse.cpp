// Reading one peal record straight from the bytes of a whole ledger file: the same peal as the
// tagged-field reader gives (peal_serialize.cpp), without a field object and its strings and
// arrays made for every field.
#include <algorithm>
#include <cstring>

#include "peals/ledger_format.h"
#include "peals/peal_columns.h"
#include "peals/peal_record.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

class RecordBytes {
 public:
  RecordBytes(const uint8_t* next, const uint8_t* end) : m_start(next), m_next(next), m_end(end) {}

  uint8_t Byte() {
    if (m_next == m_end) Ended();
    return *m_next++;
  }
  uint32_t Little(int size) {
    if (m_end - m_next < size) Ended();
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) value |= static_cast<uint32_t>(m_next[i]) << (8 * i);
    m_next += size;
    return value;
  }
  // A text up to its NUL, of which at most kMaxStoredText bytes are kept.
  std::string_view Text() {
    const void* nul = std::memchr(m_next, 0, static_cast<size_t>(m_end - m_next));
    if (!nul) Ended();
    const auto* stop = static_cast<const uint8_t*>(nul);
    const std::string_view text(reinterpret_cast<const char*>(m_next),
                                std::min(static_cast<size_t>(stop - m_next), kMaxStoredText));
    m_next = stop + 1;
    return text;
  }
  const uint8_t* Here() const { return m_next; }
  void Skip(size_t size) {
    if (static_cast<size_t>(m_end - m_next) < size) Ended();
    m_next += size;
  }
  size_t Taken() const { return static_cast<size_t>(m_next - m_start); }

 private:
  [[noreturn]] static void Ended() {
    throw FileError(FileErrorCause::EndOfFile, "", "Unexpected end of file");
  }
  const uint8_t* m_start;
  const uint8_t* m_next;
  const uint8_t* m_end;
};

// The little-endian number of `width` bytes at `at`.
template <unsigned kWidth>
uint32_t Little(const uint8_t* at) {
  uint32_t value = 0;
  for (unsigned i = 0; i < kWidth; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
  return value;
}

// One field of a record as read: its number, text or array, by its type.
struct RecordField {
  int type = 0;
  char letter = 0;
  uint32_t value = 0;         // types 0 to 2; types 4 to 6 with a count of 1
  std::string_view text;      // type 3; type 7 with a count of 1
  const uint8_t* array = nullptr;  // types 4 to 6: `count` values of `width` bytes
  int count = 0;
  int width = 0;

  uint32_t At(int i) const {
    uint32_t key = 0;
    for (int b = 0; b < width; ++b) key |= static_cast<uint32_t>(array[i * width + b]) << (8 * b);
    return key;
  }
};

// Reads the fields of the record up to its end, giving each to `take`; the record's bytes
// taken. The older form starts with the peal number as a raw 16-bit word, given as the key.
template <typename Take>
size_t ReadFields(std::string_view bytes, bool oldForm, Take&& take) {
  const auto* start = reinterpret_cast<const uint8_t*>(bytes.data());
  RecordBytes in(start, start + bytes.size());
  if (oldForm) {
    RecordField key;
    key.letter = kKeyLetter;
    key.value = in.Little(2);
    take(key);
  }
  for (;;) {
    const uint8_t tag = in.Byte();
    if (tag == 0) break;
    RecordField field;
    field.type = tag >> 5;
    field.letter = static_cast<char>((tag & 0x1f) | 0x60);
    switch (field.type) {
      case 0: field.value = in.Byte(); break;
      case 1: field.value = in.Little(2); break;
      case 2: field.value = in.Little(4); break;
      case 3: field.text = in.Text(); break;
      case 4:
      case 5:
      case 6:
        field.count = in.Byte();
        field.width = field.type == 4 ? 1 : (field.type == 5 ? 2 : 4);
        field.array = in.Here();
        in.Skip(static_cast<size_t>(field.count) * static_cast<size_t>(field.width));
        if (field.count == 1) field.value = field.At(0);
        break;
      default:
        field.count = in.Byte();
        for (int i = 0; i < field.count; ++i) {
          const std::string_view one = in.Text();
          if (field.count == 1) field.text = one;
        }
        break;
    }
    take(field);
  }
  return in.Taken();
}

}  // namespace

size_t CPeal::ParseRecord(std::string_view bytes, bool oldForm) {
  handbell = true;
  size_t position = 0;
  uint32_t keys[256];
  return ReadFields(bytes, oldForm, [&](const RecordField& field) {
    size_t count = 0;
    if (field.type == 5 || field.type == 6) {
      for (int i = 0; i < field.count; ++i) keys[count++] = field.At(i);
    }
    TakeField(field.type, field.letter, field.value, field.text, std::span(keys, count), position);
  });
}

size_t CPealColumns::ParseInto(uint32_t number, std::string_view bytes, bool oldForm) {
  Grow(number);
  // The record's fields by code, each the last value read under it, as the record reader's
  // assignments leave them: a text, or an array not of one value, reads as 0. A code whose bit
  // of `present` is clear was not read (its entry is not set).
  uint32_t value[32];
  uint32_t present = 0;
  const auto* next = reinterpret_cast<const uint8_t*>(bytes.data());
  const uint8_t* const end = next + bytes.size();
  const auto first = static_cast<uint32_t>(ringerKeys.size());
  const auto ended = [this, first]() {
    ringerKeys.resize(first);
    throw FileError(FileErrorCause::EndOfFile, "", "Unexpected end of file");
  };
  const auto text = [&]() {
    const void* nul = std::memchr(next, 0, static_cast<size_t>(end - next));
    if (!nul) ended();
    next = static_cast<const uint8_t*>(nul) + 1;
  };
  if (oldForm) {
    if (end - next < 2) ended();
    next += 2;
  }
  constexpr uint32_t kRingersCode = Code('r');
  for (;;) {
    if (next == end) ended();
    const uint8_t tag = *next++;
    if (tag == 0) break;
    const unsigned type = tag >> 5;
    const unsigned code = tag & 0x1f;
    uint32_t read = 0;
    if (type <= 2) {
      const unsigned width = 1u << type;
      if (static_cast<size_t>(end - next) < width) ended();
      read = width == 1 ? Little<1>(next) : (width == 2 ? Little<2>(next) : Little<4>(next));
      next += width;
    } else if (type == 3) {
      text();
    } else if (type <= 6) {
      if (next == end) ended();
      const unsigned count = *next++;
      const unsigned width = type == 4 ? 1 : (type == 5 ? 2 : 4);
      if (static_cast<size_t>(end - next) < static_cast<size_t>(count) * width) ended();
      if (count == 1) read = width == 1 ? Little<1>(next) : (width == 2 ? Little<2>(next) : Little<4>(next));
      if (code == kRingersCode && type == 5) {
        for (unsigned i = 0; i < count; ++i) ringerKeys.push_back(Little<2>(next + 2 * i));
      } else if (code == kRingersCode && type == 6) {
        for (unsigned i = 0; i < count; ++i) ringerKeys.push_back(Little<4>(next + 4 * i));
      }
      next += static_cast<size_t>(count) * width;
    } else {
      if (next == end) ended();
      const unsigned count = *next++;
      for (unsigned i = 0; i < count; ++i) text();
    }
    value[code] = read;
    present |= 1u << code;
  }

  const auto field = [&value, present](char letter) {
    return (present & (1u << Code(letter))) ? value[Code(letter)] : 0;
  };
  const uint32_t k = field('k');
  const auto low = static_cast<uint8_t>(k & 0xFF);
  uint8_t flag = kStored;
  // Without its w field a record reads as a handbell peal with no tenor.
  const bool hasWeight = present & (1u << Code('w'));
  if (!hasWeight || field('w') < kTowerPealFlag) flag |= kHandbell;
  if (present & (1u << Code('v'))) flag |= kHasValidity;
  date[number] = static_cast<int32_t>(k) >> 8;
  sequence[number] = low == kSequenceTakenAsNone ? 0 : low;
  flags[number] = flag;
  association[number] = static_cast<uint8_t>(field('a'));
  tower[number] = field('t');
  method[number] = field('m');
  changes[number] = static_cast<int32_t>(field('n'));
  time[number] = static_cast<uint16_t>(field('h'));
  tenor[number] = static_cast<uint16_t>(field('w') & kTenorMask);
  conductor[number] = field('y');
  composer[number] = field('c');
  arranger[number] = field('j');
  m_unusedKeys += ringerCount[number];
  ringerStart[number] = first;
  ringerCount[number] = static_cast<uint32_t>(ringerKeys.size()) - first;
  for (size_t i = first; i < ringerKeys.size(); ++i) NotePersonKey(ringerKeys[i]);
  NotePersonKey(conductor[number]);
  NotePersonKey(composer[number]);
  NotePersonKey(arranger[number]);
  return static_cast<size_t>(next - reinterpret_cast<const uint8_t*>(bytes.data()));
}

}  // namespace tv

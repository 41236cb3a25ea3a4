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
  return ReadFields(bytes, oldForm, [&](const RecordField& field) {
    const uint32_t value = field.value;
    const std::string_view text = field.text;
    switch (field.letter) {
      case kKeyLetter: pealNumber = value; break;
      case 'k': {
        const auto low = static_cast<uint8_t>(value & 0xFF);
        sequence = low == kSequenceTakenAsNone ? 0 : low;
        date = static_cast<int32_t>(value) >> 8;
        break;
      }
      case 's':
        if (field.type <= 2) {
          rwPage = static_cast<uint16_t>(value);
        } else if (field.type == 3) {
          extras[kSource].emplace_back(text);
        }
        break;
      case 'a': association = static_cast<uint8_t>(value); break;
      case 't': tower = value; break;
      case 'w':
        handbell = value < kTowerPealFlag;
        tenor = static_cast<uint16_t>(value & kTenorMask);
        break;
      case 'h': time = static_cast<uint16_t>(value); break;
      case 'n': changes = static_cast<int32_t>(value); break;
      case 'm': method = value; break;
      case 'c': composer = value; break;
      case 'j': arranger = value; break;
      case 'g': generatedBy = value; break;
      case 'd': composition = value; break;
      case 'y': conductor = value; break;
      case 'r':
        if (field.type == 5 || field.type == 6) {
          ringers.reserve(ringers.size() + static_cast<size_t>(field.count));
          for (int i = 0; i < field.count; ++i) ringers.push_back(field.At(i));
        }
        break;
      case 'i': position = static_cast<uint8_t>(value); break;
      case 'z':
        if (value != 0) {
          bells[static_cast<int>(position)] = value;
        } else {
          bells.erase(static_cast<int>(position));
        }
        break;
      case 'b': SetPositioned(kBellString, position, std::string(text)); break;
      case 'p': SetPositioned(kPrefix, position, std::string(text)); break;
      case 'e': SetPositioned(kSuffix, position, std::string(text)); break;
      case 'o': extras[kCorrection].emplace_back(text); break;
      case 'f': extras[kFootnote].emplace_back(text); break;
      case 'v': extras[kValidity].emplace_back(text); break;
      case 'x': extras[kExtra].emplace_back(text); break;
      default: break;  // l, q, u, 0x7B to 0x7E and unknown letters: the value is consumed
    }
  });
}

size_t CPealColumns::ParseInto(uint32_t number, std::string_view bytes, bool oldForm) {
  Grow(number);
  // As a record reads into a new peal: a tower peal only with its w field, nothing else set.
  uint8_t flag = kStored | kHandbell;
  Date readDate = 0;
  uint8_t readSequence = 0;
  uint8_t readAssociation = 0;
  uint32_t readTower = 0, readMethod = 0, readConductor = 0, readComposer = 0, readArranger = 0;
  int32_t readChanges = 0;
  uint16_t readTime = 0, readTenor = 0;
  const auto first = static_cast<uint32_t>(ringerKeys.size());
  size_t taken = 0;
  try {
  taken = ReadFields(bytes, oldForm, [&](const RecordField& field) {
    const uint32_t value = field.value;
    switch (field.letter) {
      case 'k': {
        const auto low = static_cast<uint8_t>(value & 0xFF);
        readSequence = low == kSequenceTakenAsNone ? 0 : low;
        readDate = static_cast<int32_t>(value) >> 8;
        break;
      }
      case 'a': readAssociation = static_cast<uint8_t>(value); break;
      case 't': readTower = value; break;
      case 'w':
        flag = static_cast<uint8_t>(value < kTowerPealFlag ? flag | kHandbell : flag & ~kHandbell);
        readTenor = static_cast<uint16_t>(value & kTenorMask);
        break;
      case 'h': readTime = static_cast<uint16_t>(value); break;
      case 'n': readChanges = static_cast<int32_t>(value); break;
      case 'm': readMethod = value; break;
      case 'c': readComposer = value; break;
      case 'j': readArranger = value; break;
      case 'y': readConductor = value; break;
      case 'r':
        if (field.type == 5 || field.type == 6) {
          for (int i = 0; i < field.count; ++i) ringerKeys.push_back(field.At(i));
        }
        break;
      case 'v': flag |= kHasValidity; break;
      default: break;
    }
  });
  } catch (const FileError&) {
    ringerKeys.resize(first);
    throw;
  }
  date[number] = readDate;
  sequence[number] = readSequence;
  flags[number] = flag;
  association[number] = readAssociation;
  tower[number] = readTower;
  method[number] = readMethod;
  changes[number] = readChanges;
  time[number] = readTime;
  tenor[number] = readTenor;
  conductor[number] = readConductor;
  composer[number] = readComposer;
  arranger[number] = readArranger;
  m_unusedKeys += ringerCount[number];
  ringerStart[number] = first;
  ringerCount[number] = static_cast<uint32_t>(ringerKeys.size()) - first;
  return taken;
}

}  // namespace tv

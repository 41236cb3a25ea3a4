// Reading and writing one peal record of a peal ledger file (layout in ledger_format.h).
#include <algorithm>

#include "peals/ledger_format.h"
#include "peals/peal_record.h"
#include "refdb/tagged_record.h"

namespace tv {

void CPeal::SerializeRecord(Archive& archive, bool oldForm) {
  if (archive.IsStoring()) {
    Store(archive, oldForm);
  } else {
    Load(archive, oldForm);
  }
}

void CPeal::Store(Archive& out, bool oldForm) const {
  TaggedWriter writer(out, false);
  if (oldForm) {
    out.WriteWord(static_cast<uint16_t>(pealNumber));
  } else {
    writer.Key(pealNumber);
  }
  writer.Number(Code('k'), (static_cast<uint32_t>(date) << 8) + sequence);
  writer.Word(Code('s'), rwPage);
  writer.Byte(Code('a'), association);
  writer.Number(Code('t'), tower);
  writer.Word(Code('w'), static_cast<uint16_t>((tenor & kTenorMask) + (handbell ? 0 : kTowerPealFlag)));
  writer.Word(Code('h'), time);
  writer.Number(Code('n'), static_cast<uint32_t>(changes));
  writer.Number(Code('m'), method);
  writer.Number(Code('c'), composer);
  writer.Number(Code('j'), arranger);
  writer.Number(Code('g'), generatedBy);
  writer.Number(Code('d'), composition);
  writer.Number(Code('y'), conductor);

  // The count is one byte: never more than 255 ringers, or the reader would lose its place.
  const size_t count = std::min(ringers.size(), static_cast<size_t>(kMaxStoredRingers));
  const std::span<const uint32_t> stored(ringers.data(), count);
  if (NeedsWideRingerKeys()) {
    writer.DwordArray(Code('r'), stored);
  } else {
    std::vector<uint16_t> words(stored.begin(), stored.end());
    writer.WordArray(Code('r'), words);
  }

  for (const int list : {kSource, kCorrection, kFootnote, kValidity}) {
    for (const std::string& text : extras[list]) writer.Text(Code(kExtraLetters[list]), text);
  }

  // The positioned entries share one current position, starting at 0. A position beyond one
  // byte cannot be expressed and is not written: an i field of its low byte would put the entry
  // over another ringer's.
  int current = 0;
  auto moveTo = [&](int position) {
    if (position < 0 || position > kMaxPosition) return false;
    if (position != current) {
      out.WriteByte(kPositionTag);
      out.WriteByte(static_cast<uint8_t>(position));
      current = position;
    }
    return true;
  };
  for (const auto& [position, mask] : bells) {
    if (mask != 0 && moveTo(position)) writer.Number(Code('z'), mask);
  }
  for (const int list : {kBellString, kPrefix, kSuffix}) {
    const std::vector<std::string>& entries = extras[list];
    for (size_t position = 0; position < entries.size(); ++position) {
      if (!entries[position].empty() && moveTo(static_cast<int>(position))) {
        writer.Text(Code(kExtraLetters[list]), entries[position]);
      }
    }
  }

  for (const std::string& text : extras[kExtra]) writer.Text(Code('x'), text);
  writer.End();
}

void CPeal::TakeField(int type, char letter, uint32_t value, std::string_view text,
                      std::span<const uint32_t> keys, size_t& position) {
  switch (letter) {
    case kKeyLetter: pealNumber = value; break;
    case 'k': {
      const auto low = static_cast<uint8_t>(value & 0xFF);
      sequence = low == kSequenceTakenAsNone ? 0 : low;
      date = static_cast<int32_t>(value) >> 8;
      break;
    }
    case 's':
      if (type <= 2) {
        rwPage = static_cast<uint16_t>(value);
      } else if (type == 3) {
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
      if (type == 5 || type == 6) {
        ringers.insert(ringers.end(), keys.begin(), keys.end());
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
}

void CPeal::Load(Archive& in, bool oldForm) {
  handbell = true;
  size_t position = 0;
  if (oldForm) pealNumber = in.ReadWord();
  TaggedReader reader(in, false);
  TaggedField field;
  while (reader.Next(field)) {
    TakeField(field.type, field.letter, field.value, field.text, field.array, position);
  }
}

}  // namespace tv

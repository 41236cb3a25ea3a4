// External tower records (Steeplex), their strings, and the cross-reference to our towers.
#include "refdb/steeplex.h"

#include <algorithm>

#include "core/archive.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/tagged_record.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr uint16_t kLongCount = 0xFFFF;  // the count follows as 32 bits
constexpr int32_t kMaxSteeplexKey = 0xFFFF;

// The string object of one of a record's numbers, or null.
const CIndObj* StringObject(int n, uint16_t key) {
  if (key == 0) return nullptr;
  return SteeplexStrings(n).Lookup(key);
}

}  // namespace

// ---- the record ---------------------------------------------------------------------------

int32_t CSteeplex::ReadRecord(Archive& in) {
  TaggedReader reader(in, true);
  TaggedField field;
  hasPosition = false;
  while (reader.Next(field)) {
    const auto word = static_cast<uint16_t>(field.value);
    switch (field.letter) {
      case kKeyLetter:
        key = static_cast<int32_t>(field.value);
        break;
      case 'l':
        if (field.IsText()) location = field.text;
        break;
      case 'b':
        bellCount = static_cast<uint8_t>(field.value);
        break;
      case 't':
        tenorWeight = word;
        break;
      case 'e':
        gridEasting = word;
        break;
      case 'n':
        gridNorthing = word;
        break;
      case 'c':
        county = word;
        break;
      case 's':
        saint = word;
        break;
      case 'm':
        map = word;
        break;
      case 'a':
        association = word;
        break;
      case 'p':
        practice = word;
        break;
      case 'i':
        building = word;
        break;
      case 'g':
        if (field.IsNumber()) towerId = field.value;
        break;
      case 'w':
        // A damaged position (wrong count, out of range) is dropped rather than misplaced.
        if (field.type == 6 && field.array.size() == 2) {
          const auto lat = static_cast<int32_t>(field.array[0]);
          const auto lon = static_cast<int32_t>(field.array[1]);
          if (lat >= -90 * kMicrodegrees && lat <= 90 * kMicrodegrees &&
              lon >= -180 * kMicrodegrees && lon <= 180 * kMicrodegrees) {
            hasPosition = true;
            latitude = lat;
            longitude = lon;
          }
        }
        break;
      case 'd': {
        uint16_t* targets[6] = {&map, &association, &practice, &building, &county, &saint};
        for (size_t i = 0; i < field.array.size() && i < 6; ++i) {
          *targets[i] = static_cast<uint16_t>(field.array[i]);
        }
        break;
      }
      default:
        break;
    }
  }
  return key;
}

void CSteeplex::WriteRecord(Archive& out) const {
  TaggedWriter writer(out);
  writer.Key(static_cast<uint32_t>(key));
  writer.Text(Code('l'), location);
  writer.Byte(Code('b'), bellCount);
  writer.Word(Code('t'), tenorWeight);
  writer.Word(Code('e'), gridEasting);
  writer.Word(Code('n'), gridNorthing);
  const uint16_t strings[6] = {map, association, practice, building, county, saint};
  writer.WordArray(Code('d'), strings);
  writer.Number(Code('g'), towerId);
  if (hasPosition) {
    const uint32_t position[2] = {static_cast<uint32_t>(latitude), static_cast<uint32_t>(longitude)};
    writer.DwordArray(Code('w'), position);
  }
  writer.End();
}

int CSteeplex::Compare(const CIndObj* other) const {
  if (!other) return -1;
  const auto* that = static_cast<const CSteeplex*>(other);
  if (const int r = CompareNoCase(location, that->location); r != 0) return r;
  const int kinds[3] = {kSxCounty, kSxSaint, kSxBuilding};
  const uint16_t mine[3] = {county, saint, building};
  const uint16_t theirs[3] = {that->county, that->saint, that->building};
  int r = 0;
  for (int i = 0; i < 3; ++i) {
    const CIndObj* a = StringObject(kinds[i], mine[i]);
    if (!a) return 1;
    r = a->Compare(StringObject(kinds[i], theirs[i]));
    if (r != 0) return r;
  }
  return r;
}

int CSteeplex::CompareText(std::string_view text) const { return CompareNoCase(location, text); }

std::string CSteeplex::GetName(int) const {
  std::string text = std::to_string(key) + ": " + location;
  if (county) text += "," + StringText(kSxCounty, county);
  if (saint) text += "," + StringText(kSxSaint, saint);
  return text;
}

std::unique_ptr<CIndObj> CSteeplexIndex::NewObject() { return std::make_unique<CSteeplex>(); }

std::string StringText(int n, int32_t key) {
  if (n < 0 || n >= kSteeplexStringCount || key <= 0) return {};
  const CIndObj* entry = SteeplexStrings(n).Lookup(key);
  return entry ? entry->GetName(0) : std::string();
}

CSteeplex* SteeplexRecord(int32_t sxKey) {
  if (sxKey <= 0) return nullptr;
  CSteeplexIndex& index = SteeplexIndex();
  if (index.Entry(sxKey).offset == 0) return nullptr;
  return dynamic_cast<CSteeplex*>(index.Lookup(sxKey));
}

// ---- the cross-reference -------------------------------------------------------------------

int32_t CSteeplexXref::TowerOf(int32_t sxKey) const {
  if (sxKey < 0 || static_cast<size_t>(sxKey) >= m_towers.size()) return 0;
  return m_towers[static_cast<size_t>(sxKey)];
}

void CSteeplexXref::Set(int32_t sxKey, int32_t towerKey) {
  if (sxKey < 0 || sxKey > kMaxSteeplexKey) return;
  const auto at = static_cast<size_t>(sxKey);
  if (at >= m_towers.size()) m_towers.resize(at + 1, 0);
  m_towers[at] = static_cast<uint16_t>(towerKey);
  m_changed = true;
}

void CSteeplexXref::Clear() {
  m_towers.assign(1, 0);
  m_changed = false;
}

void CSteeplexXref::Read(const std::string& path) {
  Clear();
  std::string bytes;
  if (!Files().ReadAll(path, bytes)) return;
  auto byte = [&bytes](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]));
  };
  if (bytes.size() < 2) return;
  uint64_t count = byte(0) | (byte(1) << 8);
  size_t at = 2;
  if (count == kLongCount) {
    if (bytes.size() < 6) return;
    count = byte(2) | (byte(3) << 8) | (byte(4) << 16) | (byte(5) << 24);
    at = 6;
  }
  // Record keys are 16 bits, so no sound file holds more than 65536 elements; a cut-short file
  // keeps the elements before the cut.
  const uint64_t present = (bytes.size() - at) / 2;
  const uint64_t n = std::min<uint64_t>({count, present, uint64_t{kMaxSteeplexKey} + 1});
  m_towers.assign(n == 0 ? 1 : n, 0);
  for (uint64_t i = 0; i < n; ++i) {
    m_towers[i] = static_cast<uint16_t>(byte(at + 2 * i) | (byte(at + 2 * i + 1) << 8));
  }
  m_towers[0] = 0;
}

std::string CSteeplexXref::Bytes() const {
  std::string bytes;
  auto put16 = [&bytes](uint32_t v) {
    bytes += static_cast<char>(v & 0xFF);
    bytes += static_cast<char>((v >> 8) & 0xFF);
  };
  const auto count = static_cast<uint32_t>(m_towers.size());
  if (count >= kLongCount) {
    put16(kLongCount);
    put16(count & 0xFFFF);
    put16(count >> 16);
  } else {
    put16(count);
  }
  for (const uint16_t tower : m_towers) put16(tower);
  return bytes;
}

bool CSteeplexXref::Write(const std::string& path) {
  if (!Files().WriteAllSafely(path, Bytes())) return false;
  m_changed = false;
  return true;
}

CSteeplexXref& SteeplexXref() {
  static CSteeplexXref xref;
  return xref;
}

int32_t TowerOf(int32_t sxKey) { return SteeplexXref().TowerOf(sxKey); }

void LinkSteeplex(int32_t sxKey, int32_t towerKey) {
  if (const int32_t holder = TowerOf(sxKey); holder != 0) {
    // A stale tie names a tower that has since been tied to another record: that tie stays.
    auto* tower = dynamic_cast<CTower*>(TowerIndex().Lookup(holder));
    if (tower && tower->steeplexKey == sxKey) tower->SetSteeplex(0);
  }
  if (towerKey != 0) {
    auto* tower = dynamic_cast<CTower*>(TowerIndex().Lookup(towerKey));
    if (tower) tower->SetSteeplex(sxKey);
  }
  SteeplexXref().Set(sxKey, towerKey);
}

void LoadSteeplexXref(const std::string& directory) {
  SteeplexXref().Read(directory + kSteeplexXrefName);
}

void SaveSteeplexXref(const std::string& directory) {
  if (SteeplexXref().Changed()) SteeplexXref().Write(directory + kSteeplexXrefName);
}

bool ParseDegrees(std::string_view text, int limit, int32_t& microdegrees) {
  const std::string t = Trimmed(text);
  size_t i = 0;
  const bool negative = i < t.size() && t[i] == '-';
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
  int64_t whole = 0;
  int digits = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) {
    whole = whole * 10 + (t[i] - '0');
    if (whole > limit) return false;
  }
  // Millionths, then the seventh decimal rounds them; later decimals cannot change that.
  int64_t fraction = 0;
  int decimals = 0;
  int seventh = 0;
  if (i < t.size() && t[i] == '.') {
    for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++decimals) {
      if (decimals < 6) fraction = fraction * 10 + (t[i] - '0');
      if (decimals == 6) seventh = t[i] - '0';
    }
  }
  if (i != t.size() || digits + decimals == 0) return false;
  for (int d = decimals; d < 6; ++d) fraction *= 10;
  int64_t value = whole * kMicrodegrees + fraction + (seventh >= 5 ? 1 : 0);
  if (value > int64_t{limit} * kMicrodegrees) return false;
  microdegrees = static_cast<int32_t>(negative ? -value : value);
  return true;
}

}  // namespace tv

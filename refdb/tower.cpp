// Towers: the record with its chain of earlier identities, the date-dependent accessors, name
// forms and description, the tie to external tower records, and the weight and grid texts.
#include "refdb/tower.h"

#include <cstdio>

#include "core/escaping.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/saint.h"
#include "refdb/steeplex.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

// Grid letters: letter i stands for column i % 5 from the west and row i / 5 from the south of
// a 5 x 5 block of squares. There is no "I".
constexpr std::string_view kGridLetters = "VWXYZQRSTULMNOPFGHJKABCDE";

const CIndStr* CountyObject(uint8_t county) {
  return county ? dynamic_cast<const CIndStr*>(CountyIndex().Lookup(county)) : nullptr;
}

const CIndObj* DedicationObject(int32_t dedication) {
  return dedication ? SaintIndex().Lookup(dedication) : nullptr;
}

std::string CountyAbbreviation(uint8_t county) {
  const CIndStr* object = CountyObject(county);
  return object ? object->abbreviation : std::string();
}

std::string DedicationName(int32_t dedication, int variant) {
  const CIndObj* object = DedicationObject(dedication);
  return object ? object->GetName(variant) : std::string();
}

char GridLetter(unsigned index) { return index < kGridLetters.size() ? kGridLetters[index] : '?'; }

}  // namespace

int32_t CTower::ReadRecord(Archive& in) {
  TaggedReader reader(in, true);
  TaggedField field;
  earlier.reset();
  // Fields fill the identity being read; each "d" starts an earlier one, a copy of the
  // identity before it, so that it keeps every value the record does not change.
  CTower* identity = this;
  while (reader.Next(field)) {
    if (field.letter == 'p') {
      if (field.IsText()) identity->place = field.text;
      continue;
    }
    if (!field.IsNumber()) continue;
    const uint32_t v = field.value;
    switch (field.letter) {
      case kKeyLetter: key = static_cast<int32_t>(v); break;
      case 'x': identity->link = static_cast<int32_t>(v); break;
      case 't': identity->steeplexKey = static_cast<int32_t>(v); break;
      case 'c': identity->county = static_cast<uint8_t>(v); break;
      case 'h': identity->hideCounty = static_cast<uint8_t>(v); break;
      case 's': identity->dedication = static_cast<int32_t>(v); break;
      case 'b': identity->bellCount = static_cast<uint8_t>(v); break;
      case 'w': identity->tenorWeight = static_cast<uint16_t>(v); break;
      case 'e': identity->gridEasting = static_cast<uint16_t>(v); break;
      case 'n': identity->gridNorthing = static_cast<uint16_t>(v); break;
      case 'd': {
        auto before = std::make_unique<CTower>();
        before->CopyIdentity(*identity);
        before->untilDate = static_cast<Date>(v);
        identity->earlier = std::move(before);
        identity = identity->earlier.get();
        break;
      }
      default: break;
    }
  }
  return key;
}

void CTower::WriteRecord(Archive& out) const {
  TaggedWriter writer(out);
  writer.Key(static_cast<uint32_t>(key));
  writer.Text(Code('p'), place);
  writer.Word(Code('x'), static_cast<uint16_t>(link));
  writer.Word(Code('t'), static_cast<uint16_t>(steeplexKey));
  writer.Byte(Code('c'), county);
  writer.Byte(Code('h'), hideCounty);
  writer.Word(Code('s'), static_cast<uint16_t>(dedication));
  writer.Byte(Code('b'), bellCount);
  writer.Word(Code('w'), tenorWeight);
  writer.Word(Code('e'), gridEasting);
  writer.Word(Code('n'), gridNorthing);
  // Each earlier identity stores its until date and what differs from the one after it.
  const CTower* later = this;
  for (const CTower* e = earlier.get(); e; later = e, e = e->earlier.get()) {
    // Without its date an identity's fields would read back into the one after it.
    if (e->untilDate == 0) break;
    writer.Number(Code('d'), static_cast<uint32_t>(e->untilDate));
    // A difference is written even when it is zero or empty (which writers otherwise leave
    // out), or the earlier identity would read back with the later one's value.
    Archive& raw = writer.Out();
    if (e->place != later->place) {
      if (e->place.empty()) {
        raw.WriteByte(static_cast<uint8_t>(0x60 | Code('p')));
        raw.WriteByte(0);
      } else {
        writer.Text(Code('p'), e->place);
      }
    }
    const auto number = [&](char letter, uint32_t value) {
      if (value != 0) {
        writer.Number(Code(letter), value);
      } else {
        raw.WriteByte(Code(letter));
        raw.WriteByte(0);
      }
    };
    if (e->county != later->county) number('c', e->county);
    if (e->dedication != later->dedication) number('s', static_cast<uint16_t>(e->dedication));
    if (e->bellCount != later->bellCount) number('b', e->bellCount);
    if (e->tenorWeight != later->tenorWeight) number('w', e->tenorWeight);
  }
  writer.End();
}

void CTower::WriteCsvLine(std::string& out) const {
  out += std::to_string(key) + "," + CsvQuoted(place) + "," + std::to_string(county) + "," +
         std::to_string(dedication) + "," + std::to_string(steeplexKey) + "\n";
}

int CTower::Compare(const CIndObj* other) const {
  if (!other) return -1;
  const auto& that = *static_cast<const CTower*>(other);
  if (const int byPlace = CompareNoCase(place, that.place); byPlace != 0) return byPlace;
  const CIndStr* mine = CountyObject(county);
  if (!mine) return 1;
  if (const int byCounty = mine->Compare(CountyObject(that.county)); byCounty != 0) return byCounty;
  const CIndObj* saint = DedicationObject(dedication);
  return saint ? saint->Compare(DedicationObject(that.dedication)) : 1;
}

int CTower::CompareText(std::string_view text) const { return CompareNoCase(place, text); }

std::string CTower::GetName(int variant) const {
  std::string name = PlaceWithCountyAt(true, 0);
  if (dedication) name += ", " + DedicationNameAt(0, 0);
  if (variant == 0) return name;
  if (link) return "\\+" + name;
  if (steeplexKey >= 8000) return "\\^" + name;
  if (steeplexKey) return "\\=" + name;
  return name;
}

const CTower& CTower::IdentityAt(Date date) const {
  const CTower* identity = this;
  while (date != 0 && identity->earlier && identity->earlier->untilDate >= date) {
    identity = identity->earlier.get();
  }
  return *identity;
}

std::string CTower::PlaceWithCountyAt(bool upper, Date date) const {
  const CTower& identity = IdentityAt(date);
  std::string text = upper ? UpperCase(identity.place) : identity.place;
  if (identity.county && !identity.hideCounty) text += ", " + CountyAbbreviation(identity.county);
  return text;
}

std::string CTower::CountyNameAt(Date date) const {
  return CountyAbbreviation(IdentityAt(date).county);
}

std::string CTower::DedicationNameAt(int variant, Date date) const {
  return DedicationName(IdentityAt(date).dedication, variant);
}

std::string CTower::TagTextAt(Date date) const {
  const CTower& identity = IdentityAt(date);
  std::string text = "<t>" + SgmlText(identity.place);
  if (identity.county) {
    // A county without a short form is named by its full name, so that it can be found again.
    const CIndStr* object = CountyObject(identity.county);
    std::string county = object ? object->abbreviation : std::string();
    if (object && county.empty()) county = object->name;
    text += "<tc>" + SgmlText(county);
  }
  if (identity.dedication) text += "<td>" + SgmlText(DedicationName(identity.dedication, 0));
  if (steeplexKey) text += "<tk>" + std::to_string(steeplexKey);
  return text;
}

std::string CTower::SteeplexText() const {
  std::string text = "@" + std::to_string(steeplexKey);
  if (const CSteeplex* record = SteeplexRecord(steeplexKey)) {
    text += " " + record->location + ", " + StringText(kSxCounty, record->county) + ", " +
            StringText(kSxSaint, record->saint);
  }
  return text;
}

std::string CTower::GetDetails() const {
  std::string text;
  auto line = [&text](std::string_view label, const std::string& value) {
    text += std::string(label) + value + "\r\n";
  };
  line("Place\t\t", place);
  if (county) line("County\t\t", CountyNameAt(0));
  if (dedication) line("Dedication\t", DedicationNameAt(1, 0));
  if (bellCount) line("Bells\t\t", std::to_string(bellCount));
  if (tenorWeight) line("Weight \t\t", WeightText(tenorWeight));
  if (gridEasting) line("Grid Reference\t", GridRefText(gridEasting, gridNorthing));

  const CTower* later = this;
  for (const CTower* e = earlier.get(); e; later = e, e = e->earlier.get()) {
    text += "\r\nBefore " + ShortDateText(e->untilDate, true) + ":\r\n";
    if (e->place != later->place) line("Place\t\t", e->place);
    if (e->county != later->county) line("County\t\t", CountyAbbreviation(e->county));
    if (e->dedication != later->dedication) {
      line("Dedication\t", DedicationName(e->dedication, 1));
    }
    if (e->bellCount != later->bellCount) line("Bells\t\t", std::to_string(e->bellCount));
    if (e->tenorWeight != later->tenorWeight) line("Weight \t\t", WeightText(e->tenorWeight));
  }

  if (steeplexKey) {
    text += "\r\nSteeplex Key " + std::to_string(steeplexKey) + ":\r\n";
    if (const CSteeplex* record = SteeplexRecord(steeplexKey)) {
      line("\tLocation\t", record->location);
      line("\tCounty\t", StringText(kSxCounty, record->county));
      line("\tSaint\t", StringText(kSxSaint, record->saint));
      if (record->bellCount) line("\tBells\t", std::to_string(record->bellCount));
      if (record->tenorWeight) line("\tTenor\t", WeightText(record->tenorWeight));
      if (record->gridEasting) {
        line("\tGrid Ref\t", GridRefText(record->gridEasting, record->gridNorthing));
      }
      line("\tIn\t", StringText(kSxBuilding, record->building));
      line("\tAssoc\t", StringText(kSxAssociation, record->association));
      line("\tPractice\t", StringText(kSxPractice, record->practice));
      line("\tMap\t", StringText(kSxMap, record->map));
    }
  }
  return text;
}

void CTower::SetSteeplex(int32_t sxKey) {
  if (steeplexKey != 0) {
    if (sxKey == 0) {
      steeplexKey = 0;
      // The untie must reach the file even when nothing else about the tower changes.
      if (key != 0) TowerIndex().MarkDirty(key);
      return;
    }
    LinkSteeplex(steeplexKey, 0);
  }
  if (sxKey == 0) return;
  const CSteeplex* record = SteeplexRecord(sxKey);
  if (!record) {
    steeplexKey = 0;
    return;
  }
  steeplexKey = sxKey;
  if (record->bellCount) bellCount = record->bellCount;
  if (record->tenorWeight) tenorWeight = record->tenorWeight;
  if (record->gridEasting) {
    gridEasting = record->gridEasting;
    gridNorthing = record->gridNorthing;
  }
  if (key != 0) TowerIndex().Insert(this, key, true);
}

void CTower::CopyIdentity(const CTower& other) {
  place = other.place;
  hideCounty = other.hideCounty;
  county = other.county;
  bellCount = other.bellCount;
  tenorWeight = other.tenorWeight;
  gridEasting = other.gridEasting;
  gridNorthing = other.gridNorthing;
  dedication = other.dedication;
  steeplexKey = other.steeplexKey;
}

std::unique_ptr<CTower> CTower::CloneChain() const {
  auto copy = std::make_unique<CTower>();
  copy->CopyIdentity(*this);
  copy->untilDate = untilDate;
  if (earlier) copy->earlier = earlier->CloneChain();
  return copy;
}

int CTower::EarlierCount() const {
  int n = 0;
  for (const CTower* e = earlier.get(); e; e = e->earlier.get()) ++n;
  return n;
}

std::unique_ptr<CIndObj> CTowerIndex::NewObject() { return std::make_unique<CTower>(); }

std::string CTowerIndex::CsvHeader() const {
  return "\"Tower No\",\"Place\",\"County\",\"Dedication\",\"Steeplex\"";
}

std::string WeightText(uint16_t weight) {
  return std::to_string(weight / 112) + "-" + std::to_string((weight / 28) % 4) + "-" +
         std::to_string(weight % 28);
}

std::string WeightRounded(uint16_t weight) {
  if (weight < 84) return std::to_string(weight) + "lb";
  return std::to_string((weight + 56) / 112);
}

std::string WeightQuarters(uint16_t weight) {
  const unsigned v = weight + 14u;
  std::string text = std::to_string(v / 112);
  switch ((v / 28) % 4) {
    case 1: text += " 1/4"; break;
    case 2: text += " 1/2"; break;
    case 3: text += " 3/4"; break;
    default: break;
  }
  return text + " cwt";
}

int64_t ParseWeightWide(std::string_view text) {
  const size_t at = text.find_first_of("/-:");
  if (at == std::string_view::npos) return ParseDigitsWide(text) * 112;
  const int64_t cwt = ParseDigitsWide(text.substr(0, at));
  const std::string_view rest = text.substr(at + 1);
  const size_t split = rest.find(text[at]);
  const int64_t qr = ParseDigitsWide(rest.substr(0, split));
  const int64_t lb = split == std::string_view::npos ? 0 : ParseDigitsWide(rest.substr(split + 1));
  return cwt * 112 + qr * 28 + lb;
}

uint16_t ParseWeight(std::string_view text) {
  return static_cast<uint16_t>(static_cast<uint64_t>(ParseWeightWide(text)));
}

std::string GridRefText(uint16_t easting, uint16_t northing) {
  const unsigned x = easting / 1000u;
  const unsigned y = northing / 1000u;
  char digits[8];
  std::snprintf(digits, sizeof digits, "%03u%03u", easting % 1000u, northing % 1000u);
  std::string text;
  // Beyond the 25 x 25 squares that the letters name, the letters are unknown.
  const bool lettered = x < 25 && y < 25;
  text += lettered ? GridLetter((y / 5) * 5 + x / 5) : '?';
  text += lettered ? GridLetter((y % 5) * 5 + x % 5) : '?';
  return text + digits;
}

GridRef ParseGridRef(std::string_view text) {
  if (text.size() < 8) return {};
  const size_t a = kGridLetters.find(static_cast<char>(UpperCase(text.substr(0, 1)).front()));
  const size_t b = kGridLetters.find(static_cast<char>(UpperCase(text.substr(1, 1)).front()));
  if (a == std::string_view::npos || b == std::string_view::npos) return {};
  const size_t x = (a % 5) * 5 + b % 5;
  const size_t y = (a / 5) * 5 + b / 5;
  const std::string_view digits = text.substr(text.size() - 6);
  const int32_t e = ParseDigits(digits.substr(0, 3));
  const int32_t n = ParseDigits(digits.substr(3));
  return {static_cast<uint16_t>(x * 1000 + static_cast<size_t>(e)),
          static_cast<uint16_t>(y * 1000 + static_cast<size_t>(n))};
}

}  // namespace tv

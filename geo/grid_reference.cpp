// Grid reference texts read into grid metres.
#include "geo/grid_reference.h"

#include <cctype>
#include <vector>

namespace tv {
namespace {

// Letter i names column i % 5 from the west and row i / 5 from the south of a 5 x 5 block.
constexpr std::string_view kGridLetters = "VWXYZQRSTULMNOPFGHJKABCDE";
constexpr double kSquare = 100000;    // metres in a 100 km square
constexpr double kBlock = 5 * kSquare;

// The first letters of the National Grid's 500 km squares that hold land: S (the false origin's),
// T to its east, N and O to its north, H and J beyond those.
constexpr std::string_view kBritishFirstLetters = "STNOHJ";

bool Refuse(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return false;
}

struct Digits {
  std::string easting;
  std::string northing;
};

// Splits the digits after the letters: one run split in half, or two groups of equal length.
bool SplitDigits(std::string_view rest, Digits& digits, std::string* why) {
  std::vector<std::string> groups;
  bool inGroup = false;
  for (const char c : rest) {
    if (c == ' ' || c == '\t') {
      inGroup = false;
    } else if (c >= '0' && c <= '9') {
      if (!inGroup) groups.emplace_back();
      inGroup = true;
      groups.back() += c;
    } else {
      return Refuse(why, std::string("'") + c + "' is not a digit");
    }
  }
  if (groups.size() > 2) return Refuse(why, "the digits are in more than two groups");
  if (groups.size() == 2) {
    if (groups[0].size() != groups[1].size()) {
      return Refuse(why, "the easting and northing have different numbers of digits");
    }
    digits = {groups[0], groups[1]};
  } else {
    const std::string all = groups.empty() ? std::string() : groups[0];
    if (all.size() % 2 != 0) return Refuse(why, "an odd number of digits");
    digits = {all.substr(0, all.size() / 2), all.substr(all.size() / 2)};
  }
  if (digits.easting.size() > 5) return Refuse(why, "more than ten digits");
  return true;
}

double Metres(const std::string& digits) {
  double value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  for (size_t i = digits.size(); i < 5; ++i) value *= 10;
  return value;
}

}  // namespace

std::optional<CGridPoint> ParseGridReference(std::string_view text, std::string* why) {
  std::string letters;
  size_t at = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == ' ' || c == '\t') continue;
    if (!std::isalpha(static_cast<unsigned char>(c))) break;
    letters += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (letters.empty()) {
    Refuse(why, "no grid letters");
    return std::nullopt;
  }
  if (letters.size() > 2) {
    Refuse(why, "more than two grid letters");
    return std::nullopt;
  }
  std::vector<size_t> squares;
  for (const char letter : letters) {
    const size_t square = kGridLetters.find(letter);
    if (square == std::string_view::npos) {
      Refuse(why, std::string("'") + letter + "' names no grid square");
      return std::nullopt;
    }
    squares.push_back(square);
  }
  if (letters.size() == 2 && kBritishFirstLetters.find(letters[0]) == std::string_view::npos) {
    Refuse(why, std::string("'") + letters[0] + "' names no square of the National Grid");
    return std::nullopt;
  }
  Digits digits;
  if (!SplitDigits(text.substr(at), digits, why)) return std::nullopt;

  CGridPoint point;
  point.precision = 1;
  for (size_t i = digits.easting.size(); i < 5; ++i) point.precision *= 10;
  const double centre = point.precision / 2.0;
  const size_t last = squares.back();
  if (squares.size() == 1) {
    point.system = GridSystem::Irish;
    point.easting = static_cast<double>(last % 5) * kSquare;
    point.northing = static_cast<double>(last / 5) * kSquare;
  } else {
    // The false origin is the south-west corner of the 500 km square S (column 2, row 1).
    point.system = GridSystem::British;
    point.easting = (static_cast<double>(squares[0] % 5) - 2) * kBlock +
                    static_cast<double>(last % 5) * kSquare;
    point.northing = (static_cast<double>(squares[0] / 5) - 1) * kBlock +
                     static_cast<double>(last / 5) * kSquare;
  }
  point.easting += Metres(digits.easting) + centre;
  point.northing += Metres(digits.northing) + centre;
  return point;
}

std::optional<CGridPoint> StoredGridPoint(uint16_t easting, uint16_t northing) {
  if (easting == 0) return std::nullopt;
  // The stored units count from the south-west corner of the 500 km square V: 1000 km west and
  // 500 km south of the false origin. Only the squares of the National Grid's letters are kept.
  const unsigned column = easting / 5000u;
  const unsigned row = northing / 5000u;
  if (column >= 5 || row >= 5 ||
      kBritishFirstLetters.find(kGridLetters[row * 5 + column]) == std::string_view::npos) {
    return std::nullopt;
  }
  return CGridPoint{.system = GridSystem::British,
                    .easting = easting * 100.0 - 1000000.0 + 50.0,
                    .northing = northing * 100.0 - 500000.0 + 50.0,
                    .precision = 100};
}

}  // namespace tv

// Text helpers: number and time texts, number words, columns, name case, paths.
#include "core/text.h"

#include <algorithm>
#include <array>

namespace tv {
namespace {

// The end of text for the scanning helpers: the first byte of 0x80 or above.
std::string_view UpToHighByte(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80 || text[i] == '\0') return text.substr(0, i);
  }
  return text;
}

constexpr std::array<const char*, 14> kUnitWords = {
    "",     "One", "Two",   "Three",  "Four",   "Five",  "Six",
    "Seven", "Eight", "Nine", "Ten", "Eleven", "Twelve", "Thirteen"};

}  // namespace

std::string ShortTime(uint16_t minutes) {
  if (minutes == 0) return {};
  std::string text = std::to_string(minutes / 60) + "h";
  if (minutes % 60 != 0) text += std::to_string(minutes % 60);
  return text;
}

std::string NumberWords(int n) {
  if (n <= 0) return {};
  if (n <= 13) return kUnitWords[n];
  if (n == 15) return "Fifteen";
  if (n == 18) return "Eighteen";
  if (n < 20) return std::string(kUnitWords[n - 10]) + "teen";
  std::string text;
  switch (n / 10) {
    case 2: text = "Twenty"; break;
    case 3: text = "Thirty"; break;
    case 4: text = "Forty"; break;
    case 5: text = "Fifty"; break;
    default: break;
  }
  if (n % 10 != 0) text += std::string(" ") + kUnitWords[n % 10];
  return text;
}

std::string DurationWords(int minutes) {
  std::string text = "in " + NumberWords(minutes / 60) + " Hours";
  const int rest = minutes % 60;
  if (rest != 0) {
    text += " and " + NumberWords(rest) + " Minute";
    if (rest > 1) text += "s";
  }
  return text;
}

std::string PadNumber(int32_t value, uint16_t width, bool showZero, bool zeroFill) {
  if (value == 0 && !showZero) return std::string(width, ' ');
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), zeroFill ? '0' : ' ');
  return text;
}

int32_t ParseDigits(std::string_view text) {
  uint32_t value = 0;
  for (char c : UpToHighByte(text)) {
    if (c >= '0' && c <= '9') value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return static_cast<int32_t>(value);
}

int64_t ParseDigitsWide(std::string_view text) {
  int64_t value = 0;
  for (char c : UpToHighByte(text)) {
    if (c >= '0' && c <= '9') value = std::min(value * 10 + (c - '0'), kWideDigitsLimit);
  }
  return value;
}

int64_t ParseMinutes(std::string_view text) {
  const size_t sep = text.find_first_of("Hh./-:");
  if (sep == std::string_view::npos) return ParseDigitsWide(text);
  const int64_t hours = ParseDigitsWide(text.substr(0, sep));
  const int64_t minutes = ParseDigitsWide(text.substr(sep + 1));
  return std::min(hours * 60 + minutes, kWideDigitsLimit);
}

uint16_t ParseTime(std::string_view text) {
  return static_cast<uint16_t>(static_cast<uint64_t>(ParseMinutes(text)));
}

int SignOf(int64_t n) { return n < 0 ? -1 : (n > 0 ? 1 : 0); }

void AppendAtColumn(std::string& text, size_t column, std::string_view tail) {
  if (text.size() < column) text.append(column - text.size(), ' ');
  text.append(tail);
}

void TrimSpaces(std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  const size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
}

std::string Trimmed(std::string_view text) {
  std::string result(text);
  TrimSpaces(result);
  return result;
}

std::string OneLineText(std::string_view text) {
  std::string line;
  bool blank = false;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) <= ' ') {
      blank = !line.empty();
      continue;
    }
    if (blank) line += ' ';
    blank = false;
    line += c;
  }
  return line;
}

std::string TitleCaseName(std::string_view text) {
  std::string result(text);
  const size_t scanned = UpToHighByte(text).size();
  bool lowerNext = false;
  for (size_t i = 0; i < scanned; ++i) {
    char& c = result[i];
    if (c >= 'A' && c <= 'Z') {
      if (lowerNext) c = static_cast<char>(c + ('a' - 'A'));
      lowerNext = true;
    } else {
      lowerNext = (c == '\'');
    }
  }
  for (const char* word : {"Of ", "In ", "The ", "For "}) {
    const size_t at = result.find(word);
    if (at != std::string::npos) result[at] = static_cast<char>(result[at] + ('a' - 'A'));
  }
  return result;
}

std::string CapitalLetters(std::string_view text) {
  std::string result;
  for (char c : UpToHighByte(text)) {
    if (c >= 'A' && c <= 'Z') result += c;
  }
  return result;
}

bool IsDigitsOrParens(std::string_view text) {
  for (char c : UpToHighByte(text)) {
    if (!((c >= '0' && c <= '9') || c == '(' || c == ')')) return false;
  }
  return true;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() > b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const int ca = i < a.size() ? static_cast<unsigned char>(FoldCase(a[i])) : 0;
    const int cb = i < b.size() ? static_cast<unsigned char>(FoldCase(b[i])) : 0;
    if (ca != cb) return ca - cb;
  }
  return 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  }
  return result;
}

std::string LowerCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = FoldCase(c);
  return result;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string FormatMessage(std::string_view pattern, std::string_view arg1, std::string_view arg2) {
  std::string result;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
      result += pattern[i + 1] == '1' ? arg1 : arg2;
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

namespace {
size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }
}  // namespace

std::string PathDirectory(std::string_view path) {
  const size_t at = LastSeparator(path);
  return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string PathFileName(std::string_view path) {
  const size_t at = LastSeparator(path);
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string PathTitle(std::string_view path) {
  const std::string name = PathFileName(path);
  const size_t dot = name.find('.');
  return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string result(directory);
  if (!result.empty() && !IsPathSeparator(result.back())) result += kPathSeparator;
  result += name;
  return result;
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  const size_t nameStart = LastSeparator(path) == std::string_view::npos ? 0 : LastSeparator(path) + 1;
  const size_t dot = path.rfind('.');
  std::string result(path);
  if (dot != std::string_view::npos && dot >= nameStart) result.resize(dot);
  result += extension;
  return result;
}

}  // namespace tv

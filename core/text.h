// Text helpers over 8-bit (Windows-1252) text: numbers and times as text, number words, columns,
// name case, and path names in which both "/" and "\" separate directories.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tv {

std::string ShortTime(uint16_t minutes);
std::string NumberWords(int n);
std::string DurationWords(int minutes);
std::string PadNumber(int32_t value, uint16_t width, bool showZero, bool zeroFill);
// The digits of the text read as one number; other characters are skipped. The scan ends at the
// first byte of 0x80 or above.
int32_t ParseDigits(std::string_view text);
// The same number without wrapping: held at kWideDigitsLimit when the digits go beyond it, so
// that a caller can tell a value too large for its field.
inline constexpr int64_t kWideDigitsLimit = 1'000'000'000'000'000;
int64_t ParseDigitsWide(std::string_view text);
// A time as ParseTime reads it, in minutes, without the cut to 16 bits.
int64_t ParseMinutes(std::string_view text);
// ParseMinutes kept to its low 16 bits.
uint16_t ParseTime(std::string_view text);
int SignOf(int64_t n);

void AppendAtColumn(std::string& text, size_t column, std::string_view tail);
void TrimSpaces(std::string& text);
std::string Trimmed(std::string_view text);
// The text with each run of blanks and control bytes (line breaks, tabs) as one blank, and none
// at either end: how a file that keeps no line breaks gives a text back.
std::string OneLineText(std::string_view text);
std::string TitleCaseName(std::string_view text);
std::string CapitalLetters(std::string_view text);
bool IsDigitsOrParens(std::string_view text);

// Case-insensitive order that folds only "A" to "Z": the difference of the first differing
// bytes as unsigned values, a text that ends first counting as 0.
int CompareNoCase(std::string_view a, std::string_view b);
char FoldCase(char c);
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Replaces "%1" and "%2" in a message pattern.
std::string FormatMessage(std::string_view pattern, std::string_view arg1,
                          std::string_view arg2 = {});

bool IsPathSeparator(char c);
// The separator this system writes between a directory and a name.
constexpr char kPathSeparator = '/';
std::string PathDirectory(std::string_view path);
std::string PathFileName(std::string_view path);
std::string PathTitle(std::string_view path);
// Joins a directory and a name, adding the separator only when the directory lacks one.
std::string JoinPath(std::string_view directory, std::string_view name);
// Replaces the extension (from the last "." of the file name) or adds one; `extension` has its dot.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

}  // namespace tv

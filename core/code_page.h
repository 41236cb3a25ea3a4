// Between UTF-8, in which today's exchange files come, and the Windows-1252 bytes that every
// record of the program holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tv {

// What a conversion to Windows-1252 had to change. Nothing is dropped without being counted.
struct TextConversion {
  uint32_t transliterated = 0;  // characters the code page lacks, written as near letters ("♭" as "b")
  uint32_t replaced = 0;        // characters with no near form, written as "?"
  uint32_t invalid = 0;         // bytes that were not UTF-8, taken as Windows-1252 bytes

  bool Changed() const { return transliterated + replaced + invalid != 0; }
  TextConversion& operator+=(const TextConversion& other) {
    transliterated += other.transliterated;
    replaced += other.replaced;
    invalid += other.invalid;
    return *this;
  }
};

// The Windows-1252 form of UTF-8 text. A character the code page lacks becomes its nearest
// form: accented Latin letters their base letter ("ŵ" gives "w", "Ł" "L"), the flat and sharp
// signs "b" and "#", other dashes "-", other blanks " "; anything else "?". Combining accents
// and invisible marks (zero-width blanks, byte-order marks) are left out, and counted as
// transliterated. A byte that does not begin or continue a UTF-8 sequence is taken as a
// Windows-1252 byte, so a file saved in that code page by mistake still reads. `counts` may be
// null.
std::string Utf8ToWin1252(std::string_view utf8, TextConversion* counts);

// The UTF-8 form of Windows-1252 text. The five bytes the code page leaves unassigned travel as
// the control characters of their own value.
std::string Win1252ToUtf8(std::string_view text);

}  // namespace tv

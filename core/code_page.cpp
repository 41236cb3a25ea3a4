// UTF-8 to Windows-1252 with transliteration, and back.
#include "core/code_page.h"

#include <string_view>

namespace tv {
namespace {

// Characters of 0x80 to 0x9F; 0 marks a byte the code page leaves unassigned.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The base letters of U+0100 to U+017F (Latin Extended-A); '*' marks the few with a longer
// form, given by LongForm, and the letters the code page has are never looked up here.
constexpr std::string_view kLatinA =
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIi"
    "Ii**JjKkkLlLlLlL"
    "lLlNnNnNn*NnOoOo"
    "OoOoRrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUu"
    "UuUuWwYyYZzZzZzs";

std::string_view LongForm(char32_t c) {
  switch (c) {
    case 0x0132: return "IJ";
    case 0x0133: return "ij";
    case 0x0149: return "'n";
    default: return "?";
  }
}

// The byte of a character the code page has; 0 when it has none (U+0000 is never asked).
char ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    const char32_t mapped = kHigh[i] != 0 ? kHigh[i] : static_cast<char32_t>(0x80 + i);
    if (mapped == c) return static_cast<char>(0x80 + i);
  }
  return 0;
}

// The near form of a character the code page lacks; null when there is none. An empty form
// leaves the character out (combining accents and invisible marks).
const char* NearForm(char32_t c) {
  if (c >= 0x0300 && c <= 0x036F) return "";  // combining accents: the letter is already there
  switch (c) {
    case 0x266D: return "b";   // flat
    case 0x266F: return "#";   // sharp
    case 0x266E: return "";    // natural: the plain note name
    case 0x0218: return "S";
    case 0x0219: return "s";
    case 0x021A: return "T";
    case 0x021B: return "t";
    case 0x1E80: case 0x1E82: case 0x1E84: return "W";
    case 0x1E81: case 0x1E83: case 0x1E85: return "w";
    case 0x1EF2: return "Y";
    case 0x1EF3: return "y";
    case 0x1E9E: return "SS";
    case 0x2010: case 0x2011: case 0x2012: case 0x2015: case 0x2212: return "-";
    case 0x2000: case 0x2001: case 0x2002: case 0x2003: case 0x2004: case 0x2005:
    case 0x2006: case 0x2007: case 0x2008: case 0x2009: case 0x200A: case 0x202F:
    case 0x205F: case 0x3000: return " ";
    case 0x200B: case 0x200C: case 0x200D: case 0x2060: case 0xFEFF: return "";
    case 0x2032: case 0x02BC: case 0x02BB: case 0x201B: return "'";
    case 0x2033: case 0x201F: return "\"";
    case 0x2044: case 0x2215: return "/";
    case 0x2116: return "No";
    case 0x2153: return "1/3";
    case 0x2154: return "2/3";
    case 0x215B: return "1/8";
    case 0x2192: return "->";
    case 0x2190: return "<-";
    default: break;
  }
  return nullptr;
}

// Decodes one UTF-8 sequence at `at`; false (and `at` unmoved) when the bytes there are none.
bool Decode(std::string_view text, size_t& at, char32_t& c) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  char32_t value = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    least = 0x10000;
  } else {
    return false;
  }
  if (at + length > text.size()) return false;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(at + i);
    if ((next & 0xC0) != 0x80) return false;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  at += length;
  c = value;
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string Utf8ToWin1252(std::string_view utf8, TextConversion* counts) {
  TextConversion local;
  TextConversion& n = counts ? *counts : local;
  std::string out;
  out.reserve(utf8.size());
  size_t at = 0;
  while (at < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++at;
      continue;
    }
    char32_t c = 0;
    if (!Decode(utf8, at, c)) {
      out += static_cast<char>(lead);
      ++n.invalid;
      ++at;
      continue;
    }
    if (const char b = ByteOf(c); b != 0) {
      out += b;
    } else if (c >= 0x0100 && c <= 0x017F) {
      const char base = kLatinA[c - 0x0100];
      if (base == '*') {
        out += LongForm(c);
      } else {
        out += base;
      }
      ++n.transliterated;
    } else if (const char* near = NearForm(c)) {
      out += near;
      ++n.transliterated;
    } else {
      out += '?';
      ++n.replaced;
    }
  }
  return out;
}

std::string Win1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0) c = kHigh[b - 0x80];
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace tv

// The escapes of texts for SGML, index records, HTML and CSV.
#include "core/escaping.h"

namespace tv {
namespace {

// The length of the escape that starts at text[at] ("&lt;", "&amp;", "&#N;" with N below 32),
// or 0 when none does. `lessThan` says whether "&lt;" counts.
size_t EscapeLength(std::string_view text, size_t at, bool lessThan, char* decoded) {
  const std::string_view rest = text.substr(at);
  if (lessThan && rest.starts_with("&lt;")) {
    *decoded = '<';
    return 4;
  }
  if (rest.starts_with("&amp;")) {
    *decoded = '&';
    return 5;
  }
  if (rest.size() >= 4 && rest[1] == '#') {
    int value = 0;
    size_t i = 2;
    while (i < rest.size() && i < 4 && rest[i] >= '0' && rest[i] <= '9') {
      value = value * 10 + (rest[i] - '0');
      ++i;
    }
    if (i > 2 && i < rest.size() && rest[i] == ';' && value < 0x20) {
      *decoded = static_cast<char>(value);
      return i + 1;
    }
  }
  return 0;
}

std::string Escape(std::string_view text, bool lessThan) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    char ignored = 0;
    if (lessThan && c == '<') {
      result += "&lt;";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      result += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
    } else if (c == '&' && EscapeLength(text, i, lessThan, &ignored) != 0) {
      result += "&amp;";
    } else {
      result += c;
    }
  }
  return result;
}

std::string Unescape(std::string_view text, bool lessThan) {
  if (text.find('&') == std::string_view::npos) return std::string(text);
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char decoded = 0;
    const size_t length = text[i] == '&' ? EscapeLength(text, i, lessThan, &decoded) : 0;
    if (length != 0) {
      result += decoded;
      i += length;
    } else {
      result += text[i++];
    }
  }
  return result;
}

}  // namespace

std::string SgmlText(std::string_view text) { return Escape(text, true); }
std::string SgmlUnescape(std::string_view text) { return Unescape(text, true); }
std::string StoredRecordText(std::string_view text) { return Escape(text, false); }
std::string RecordTextFromStored(std::string_view stored) { return Unescape(stored, false); }

std::string HtmlText(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': result += "&amp;"; break;
      case '<': result += "&lt;"; break;
      case '>': result += "&gt;"; break;
      default: result += c; break;
    }
  }
  return result;
}

std::string CsvQuoted(std::string_view text) {
  std::string result = "\"";
  for (const char c : text) {
    if (c == '"') result += '"';
    result += c;
  }
  return result + "\"";
}

}  // namespace tv

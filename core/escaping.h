// The escapes that let texts from records travel through the tagged SGML form, index records,
// HTML pages and CSV tables and come back unchanged.
#pragma once

#include <string>
#include <string_view>

namespace tv {

// A text as the content of a peal SGML tag: "<" as "&lt;", each byte below 0x20 (a line break,
// a tab) as "&#N;", and an "&" that would otherwise read back as one of these as "&amp;".
// Every other byte is written as it stands, so ordinary texts look as they always did.
std::string SgmlText(std::string_view text);

// Turns "&lt;", "&amp;" and "&#N;" (N below 32) back into their bytes; any other "&" is kept.
std::string SgmlUnescape(std::string_view text);

// A text as an index record's text field can keep it: bytes below 0x20 would end the field, so
// each is written as "&#N;" (an "&" that would read back as an escape as "&amp;"). Readers that
// do not know the escape show it as plain text. RecordTextFromStored undoes it.
std::string StoredRecordText(std::string_view text);
std::string RecordTextFromStored(std::string_view stored);

// A text for an HTML page: "&", "<" and ">" as entities, so that no record can put markup
// into a published page.
std::string HtmlText(std::string_view text);

// A quoted CSV field (RFC 4180): the text between double quotes, inner quotes doubled.
std::string CsvQuoted(std::string_view text);

}  // namespace tv

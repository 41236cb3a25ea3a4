// Common bodies of indexed objects, and the name-and-short-form object.
#include "refdb/ind_obj.h"

#include "core/escaping.h"
#include "core/field_file.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/tagged_record.h"

namespace tv {

void CIndObj::WriteCsvLine(std::string& out) const {
  out += std::to_string(key);
  out += ",";
  out += CsvQuoted(GetName(1));
  out += "\n";
}

void CIndObj::Display() const { ThePlatform().ShowText("Item Details", GetDetails()); }

int32_t CIndStr::ReadRecord(Archive& in) {
  TaggedReader reader(in, true);
  TaggedField field;
  while (reader.Next(field)) {
    switch (field.letter) {
      case kKeyLetter: key = static_cast<int32_t>(field.value); break;
      case 'n': if (field.IsText()) name = field.text; break;
      case 'a': if (field.IsText()) abbreviation = field.text; break;
      case 't': kind = static_cast<uint8_t>(field.value); break;
      default: break;
    }
  }
  return key;
}

void CIndStr::WriteRecord(Archive& out) const {
  TaggedWriter writer(out);
  writer.Key(static_cast<uint32_t>(key));
  writer.Byte(Code('t'), kind);
  writer.Text(Code('n'), name);
  writer.Text(Code('a'), abbreviation);
  writer.End();
}

int CIndStr::Compare(const CIndObj* other) const {
  if (!other) return 1;
  const auto* that = static_cast<const CIndStr*>(other);
  const int byShortForm = CompareNoCase(abbreviation, that->abbreviation);
  return byShortForm != 0 ? byShortForm : CompareNoCase(name, that->name);
}

int CIndStr::CompareText(std::string_view text) const { return CompareNoCase(abbreviation, text); }

std::string CIndStr::GetName(int) const { return name; }

void CIndStr::ReadText(File& file) {
  name = ReadFieldText(file);
  if (!name.empty() && name.front() == ' ') name.erase(0, 1);
  if (!name.empty() && name.back() == ' ') name.pop_back();
  abbreviation = CapitalLetters(name);
}

}  // namespace tv

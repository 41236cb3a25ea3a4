// Dedications and the dedication index.
#include "refdb/saint.h"

#include "core/services.h"
#include "core/text.h"
#include "refdb/index_set.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

const char* const kChurchTypes[] = {"", "Church of", "Abbey Church of", "Cathedral Church of",
                                    "Parish Church of", "Priory Church of"};
const char* const kPrefixes[] = {"", "SS", "St", "the"};
constexpr int kChurchTypeCount = 6;
constexpr int kPrefixCount = 4;

// Drops `count` characters from the front, then the blanks around what is left.
void DropFront(std::string& text, size_t count) {
  text.erase(0, count);
  TrimSpaces(text);
}

}  // namespace

int32_t CSaint::ReadRecord(Archive& in) {
  TaggedReader reader(in, true);
  TaggedField field;
  while (reader.Next(field)) {
    switch (field.letter) {
      case kKeyLetter: key = static_cast<int32_t>(field.value); break;
      case 'p': if (field.IsNumber()) typeCode = static_cast<uint8_t>(field.value); break;
      case 'n': if (field.IsText()) name = field.text; break;
      default: break;
    }
  }
  return key;
}

void CSaint::WriteRecord(Archive& out) const {
  TaggedWriter writer(out);
  writer.Key(static_cast<uint32_t>(key));
  writer.Byte(Code('p'), typeCode);
  writer.Text(Code('n'), name);
  writer.End();
}

int CSaint::Compare(const CIndObj* other) const {
  if (!other) return -1;
  return CompareNoCase(name, static_cast<const CSaint*>(other)->name);
}

int CSaint::CompareText(std::string_view text) const { return CompareNoCase(name, text); }

std::string CSaint::GetName(int variant) const {
  const bool longForm = variant != 0;
  const int churchType = ChurchType();
  std::string text;
  if (churchType > (longForm ? 0 : 1)) {
    if (longForm) text += "the ";
    switch (churchType) {
      case 2: text += "Abbey "; break;
      case 3: text += "Cathedral "; break;
      case 4: text += "Parish "; break;
      case 5: text += "Priory "; break;
      default: break;
    }
    text += longForm ? "Church of " : "of ";
  }
  switch (PrefixCode()) {
    case 1: text += "SS "; break;
    case 2: text += longForm ? "St " : "S "; break;
    case 3: text += "the "; break;
    default: break;
  }
  return text + name;
}

CSaintDlg::CSaintDlg(const CSaint& saint) : DialogModel("Dedication Details") {
  const int churchType = saint.ChurchType();
  AddDropDown("churchType", "Church Type",
              std::vector<std::string>(std::begin(kChurchTypes), std::end(kChurchTypes)),
              churchType < kChurchTypeCount ? churchType : -1);
  AddDropDown("prefix", "", std::vector<std::string>(std::begin(kPrefixes), std::end(kPrefixes)),
              saint.PrefixCode());
  AddText("name", "Dedication", saint.name, 100);
}

void CSaintDlg::Store(CSaint& saint) const {
  const int churchType = Selected("churchType");
  const int prefix = Selected("prefix");
  saint.typeCode = static_cast<uint8_t>((churchType >= 0 ? churchType : 0) * 4 +
                                        (prefix >= 0 && prefix < kPrefixCount ? prefix : 0));
  saint.name = Text("name");
}

int CSaint::Edit() {
  CSaintDlg dialog(*this);
  if (!ThePlatform().RunDialog(dialog)) return 0;
  dialog.Store(*this);
  return 1;
}

std::unique_ptr<CIndObj> CSaintIndex::NewObject() { return std::make_unique<CSaint>(); }

int32_t FindOrAddDedication(std::string_view typed) {
  std::string text = Trimmed(typed);
  if (text.empty()) return 0;
  int churchType = 0;
  if (StartsWith(text, "Abbey")) {
    churchType = 2;
    DropFront(text, 5);
  } else if (StartsWith(text, "Cathedral")) {
    churchType = 3;
    DropFront(text, 9);
  } else if (StartsWith(text, "Parish")) {
    churchType = 4;
    DropFront(text, 6);
  } else if (StartsWith(text, "Priory")) {
    churchType = 5;
    DropFront(text, 6);
  }
  if (StartsWith(text, "Church of")) {
    DropFront(text, 9);
    if (churchType == 0) churchType = 1;
  } else if (StartsWith(text, "of")) {
    DropFront(text, 2);
  }
  int prefixCode = 0;
  if (StartsWith(text, "SS")) {
    prefixCode = 1;
    DropFront(text, 2);
  } else if (StartsWith(text, "St ") || StartsWith(text, "S ")) {
    prefixCode = 2;
    DropFront(text, 2);
  } else if (StartsWith(text, "The ") || StartsWith(text, "the ")) {
    prefixCode = 3;
    DropFront(text, 4);
  }
  const int code = prefixCode + churchType * 4;

  // Among the entries of exactly this name, one with these codes; a text without a church
  // type also accepts the same prefix with "Church of".
  CSaintIndex& index = SaintIndex();
  int32_t k = index.FindEntry(text, 0);
  for (int32_t steps = 0; k > 0 && steps < index.Count(); ++steps) {
    const auto* saint = dynamic_cast<const CSaint*>(index.Lookup(k));
    if (!saint || saint->name != text) break;
    if (saint->typeCode == code || (churchType == 0 && saint->typeCode == code + 4)) return k;
    k = index.Entry(k).next;
  }
  auto saint = std::make_unique<CSaint>();
  saint->name = text;
  saint->typeCode = static_cast<uint8_t>(code);
  return index.InsertNew(std::move(saint));
}

}  // namespace tv

// Methods, their titles and stages, and the method index.
#include "refdb/method.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/escaping.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index_set.h"
#include "refdb/tagged_record.h"

namespace tv {

const std::array<const char*, kClassCount> ClassWords = {
    "",       "Place",       "Bob",   "Treble Bob", "Surprise", "Delight", "Treble Place",
    "Alliance", "Hybrid", "Slow Course", "Plain", "Treble Dodging"};

const std::array<const char*, kStageCount> StageNames = {
    "0",        "1",         "2",        "Singles",    "Minimus",    "Doubles",    "Minor",
    "Triples",  "Major",     "Caters",   "Royal",      "Cinques",    "Maximus",    "Sextuples",
    "Fourteen", "Septuples", "Sixteen",  "Octuples",   "Eighteen",   "Nonuples",   "Twenty",
    "Decuples", "Twenty-Two", "Undecuples", "Twenty-Four", "Dodecuples"};

const std::array<const char*, kHuntWordCount> HuntWords = {"Unnamed", "Asymmetric", "Single-hunt",
                                                           "Twin-hunt", "Triple-hunt"};

namespace {

constexpr uint8_t kSplicedBit = 16;
constexpr uint8_t kLittleBit = 32;

void ReplaceFirst(std::string& text, std::string_view what, std::string_view with) {
  const size_t at = text.find(what);
  if (at != std::string::npos) text.replace(at, what.size(), with);
}

// The dialog's stage list: Minimus to Dodecuples, the compound numbers written with a blank.
std::vector<std::string> DialogStageItems() {
  std::vector<std::string> items;
  for (int stage = kFirstDialogStage; stage < kStageCount; ++stage) {
    std::string item = StageNames[stage];
    for (char& c : item) {
      if (c == '-') c = ' ';
    }
    items.push_back(item);
  }
  return items;
}

std::vector<std::string> DialogClassItems() {
  std::vector<std::string> items{"(None)"};
  for (int code = 1; code < kClassCount; ++code) items.emplace_back(ClassWords[code]);
  return items;
}

}  // namespace

std::string_view PacCategoryName(int category) {
  static constexpr std::array<const char*, kPacCategoryCount> kNames = {
      "Single S.",        "Spliced S.",       "Spliced S.(2-7m)", "Spliced S.(8m)",
      "Spliced S.(9-22m)", "Spliced S.(23m)", "Spliced S.(24+m)", "Multi S.",
      "Surprise (2-6m)",  "Surprise (7m)",    "Surprise (8+m)",   "Single D.",
      "Single T.B.",      "Spliced T.B.",     "Spliced",          "Multi Method",
      "(2-6m)",           "(7m)",             "(8+m)",            "Single Method"};
  if (category < 0 || category >= kPacCategoryCount) return {};
  return kNames[category];
}

std::string_view ClassWord(int methodClass) {
  if (methodClass < 0 || methodClass >= kClassCount) return {};
  return ClassWords[methodClass];
}

std::string StageName(unsigned stage) {
  if (stage < kStageCount) return StageNames[stage];
  if (stage <= 128 || stage > 255) return "??";
  return StageName(stage - 129) + " and " + StageName(stage - 128);
}

uint8_t ParseStage(std::string_view text) {
  // ‘Doubles and Minor’ is how StageName writes a two-stage method: read as ‘Doubles & Minor’.
  if (const size_t word = text.find(" and "); word != std::string_view::npos) {
    return ParseStage(std::string(text.substr(0, word)) + " & " +
                      std::string(text.substr(word + 5)));
  }
  const size_t amp = text.find('&');
  if (amp != std::string_view::npos) {
    // The form is ‘Doubles & Minor’: one blank either side of the ampersand. Text cut short
    // around it gives empty parts rather than reaching outside the text.
    const std::string_view right = amp + 2 <= text.size() ? text.substr(amp + 2) : std::string_view{};
    const std::string_view left = amp >= 1 ? text.substr(0, amp - 1) : std::string_view{};
    const uint8_t s = ParseStage(right);
    if (s < 1 || s > 25) return s;
    if (EqualsNoCase(left, StageNames[s - 1])) return static_cast<uint8_t>(s + 128);
    if (s < 25 && EqualsNoCase(left, StageNames[s + 1])) return static_cast<uint8_t>(s + 129);
    return s;
  }
  for (int stage = kFirstDialogStage; stage < kStageCount; ++stage) {
    if (EqualsNoCase(text, StageNames[stage])) return static_cast<uint8_t>(stage);
  }
  return 0;
}

std::string NormaliseName(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c == '\'') continue;
    if (c == '.' || c == '-' || c == ',') c = ' ';
    if (c == ' ' && !result.empty() && result.back() == ' ') continue;
    result += c;
  }
  ReplaceFirst(result, " methods", "m");
  ReplaceFirst(result, " variations", "v");
  TrimSpaces(result);
  return result;
}

// --- the method object ---

int32_t CMethod::ReadRecord(Archive& in) {
  TaggedReader reader(in, true);
  TaggedField field;
  int64_t count = methodCount;
  while (reader.Next(field)) {
    switch (field.letter) {
      case kKeyLetter: key = static_cast<int32_t>(field.value); break;
      case 'p':
        methodClass = static_cast<int32_t>(field.value & 0x0F);
        spliced = (field.value & kSplicedBit) != 0;
        little = (field.value & kLittleBit) != 0;
        break;
      case 's': stage = static_cast<uint8_t>(field.value); break;
      case 'x': link = static_cast<int32_t>(field.value & 0xFFFF); break;
      case 'm': if (field.IsText()) name = field.text; break;
      case 'f': firstRung = static_cast<Date>(field.value); break;
      case 'n': count = field.value; break;
      default: break;
    }
  }
  // Older records held the method count as a name such as ‘(23m)’.
  if (name.size() > 2 && name.front() == '(' && EndsWith(name, "m)")) {
    count = static_cast<uint32_t>(ParseDigits(std::string_view(name).substr(1)));
    name.clear();
  }
  // The limit is checked on the full stored value, before it is narrowed to 16 bits, so that
  // a damaged count such as 65537 is not read as 1.
  methodCount = (count < 0 || count > kMaxRecordedCount) ? 0 : static_cast<uint16_t>(count);
  return key;
}

void CMethod::WriteRecord(Archive& out) const {
  TaggedWriter writer(out);
  writer.Key(static_cast<uint32_t>(key));
  writer.Byte(Code('p'), static_cast<uint8_t>((methodClass & 0x0F) | (spliced ? kSplicedBit : 0) |
                                              (little ? kLittleBit : 0)));
  writer.Byte(Code('s'), stage);
  writer.Word(Code('x'), static_cast<uint16_t>(link));
  writer.Text(Code('m'), name);
  writer.Number(Code('f'), static_cast<uint32_t>(firstRung));
  if (methodCount > 1) writer.Word(Code('n'), methodCount);
  writer.End();
}

void CMethod::WriteCsvLine(std::string& out) const {
  out += std::to_string(key);
  out += ",\"";
  out += name;
  out += "\",";
  out += std::to_string(methodClass + (little ? 16 : 0));
  out += ',';
  out += std::to_string(stage);
  out += ',';
  out += std::to_string(methodCount);
  out += ',';
  if (spliced) out += "\"S\"";
  out += ',';
  out += std::to_string(firstRung);
  out += '\n';
}

int CMethod::Compare(const CIndObj* other) const {
  if (!other) return -1;
  const auto* that = static_cast<const CMethod*>(other);
  if (const int byName = CompareText(that->name); byName != 0) return byName;
  if (methodCount != that->methodCount) return methodCount < that->methodCount ? -1 : 1;
  if (stage != that->stage) return stage < that->stage ? -1 : 1;
  if (methodClass != that->methodClass) return methodClass < that->methodClass ? -1 : 1;
  if (little != that->little) return little ? 1 : -1;
  if (spliced != that->spliced) return spliced ? 1 : -1;
  return 0;
}

int CMethod::CompareText(std::string_view text) const {
  return CompareNoCase(NormaliseName(name), NormaliseName(text));
}

std::string CMethod::Title(bool withStage, bool withColour) const {
  const bool trailingName = name.empty() || name.front() == '(';
  std::string title;
  if (!trailingName) {
    title += name;
    title += ' ';
  }
  if (little) title += "Little ";
  if (methodClass > 0 && !ClassWord(methodClass).empty()) {
    title += ClassWord(methodClass);
    title += ' ';
  }
  if (withStage) title += StageName(stage);
  if (spliced) title.insert(0, "Spliced ");
  if (trailingName && !name.empty()) {
    title += ' ';
    title += name;
  }
  if (withColour) {
    if (link != 0) {
      title.insert(0, "\\+");
    } else if (firstRung != 0) {
      title.insert(0, "\\=");
    }
  }
  if (methodCount > 1) title += " (" + std::to_string(methodCount) + "m)";
  if (stage == 0) title += " (#" + std::to_string(key) + ")";
  return title;
}

std::string CMethod::TaggedText() const {
  std::string text = "<m>" + SgmlText(name);
  if (methodCount > 1) text += "<mn>" + std::to_string(methodCount);
  std::string classText;
  if (spliced) classText += "Spliced ";
  if (little) classText += "Little ";
  classText += ClassWord(methodClass);
  if (!classText.empty()) {
    TrimSpaces(classText);
    text += "<mc>" + SgmlText(classText);
  }
  text += "<ms>" + SgmlText(StageName(stage));
  return text;
}

std::string CMethod::TitleAndDetail(std::string& detail) const {
  std::string title = Title(true, false);
  if (title.empty() || title.back() != ')') {
    detail.clear();
    return title;
  }
  const size_t open = title.rfind('(');
  if (open == std::string::npos || open == 0) return title;
  title.resize(open - 1);
  if (methodCount > 1) {
    detail = std::to_string(methodCount) + " methods";
  } else if (const size_t q = name.find("m)"); q != std::string::npos && q > 0) {
    detail = name.substr(1, q - 1) + " methods";
  } else {
    detail = name;
  }
  return title;
}

bool CMethod::StageInRange(int32_t lo, int32_t hi) const {
  if (stage <= 128) return lo <= stage && stage <= hi;
  const int32_t upper = stage - 128;
  return upper <= hi && upper > lo;
}

int CMethod::PacCategory(bool detailed) const {
  const bool surprise = methodClass == kClassSurprise;
  if (spliced) {
    if (!surprise) return methodClass == 3 ? 13 : 14;
    if (!detailed || stage != 8) return 1;
    if (methodCount < 8) return 2;
    if (methodCount == 8) return 3;
    if (methodCount <= 22) return 4;
    return methodCount == 23 ? 5 : 6;
  }
  if ((stage & 0x1F) <= 6 && (name.empty() || name.front() == '(')) {
    if (!detailed || stage != 6) return surprise ? 7 : 15;
    const int byCount = methodCount < 7 ? 8 : (methodCount == 7 ? 9 : 10);
    return surprise ? byCount : byCount + 8;
  }
  if (surprise) return 0;
  if (methodClass == 5) return 11;
  return methodClass == 3 ? 12 : 19;
}

bool CMethod::MatchesCriterion(const CMethodCriterion& criterion) const {
  switch (criterion.criterion) {
    case CMethodCriterion::kClass:
      return methodClass == criterion.classIndex && (!criterion.spliced || spliced) &&
             (!criterion.little || little);
    case CMethodCriterion::kStage:
      return StageInRange(criterion.low, criterion.high);
    case CMethodCriterion::kMethodCount:
      return criterion.low <= methodCount && methodCount <= criterion.high;
    default:
      return false;
  }
}

int CMethod::Edit() {
  CMethDialog dialog(*this);
  if (!ThePlatform().RunDialog(dialog)) return 0;
  dialog.Apply(*this);
  return 1;
}

// --- the "Method Details" dialog ---

CMethDialog::CMethDialog(const CMethod& method) : DialogModel("Method Details") {
  AddText("name", "Name", method.name, kMaxMethodName);
  // A class code or stage outside the lists (a damaged record) selects nothing, and the
  // method keeps its value unless the user picks another item.
  const bool classListed = method.methodClass >= 0 && method.methodClass < kClassCount;
  AddDropDown("class", "Class", DialogClassItems(), classListed ? method.methodClass : -1);
  const int bells = method.stage & 0x7F;
  const bool stageListed = bells >= kFirstDialogStage && bells < kStageCount;
  AddDropDown("stage", "Stage", DialogStageItems(), stageListed ? bells - kFirstDialogStage : -1);
  AddCheck("little", "Little", method.little);
  AddCheck("spliced", "Spliced", method.spliced);
  AddCheck("mixed", "Mixed Stages", (method.stage & kTwoStages) != 0);
  // A record keeps counts up to 500 and reads any larger one as none, so none is accepted.
  AddNumber("count", "Number of methods", method.methodCount, 1, kMaxRecordedCount);
  AddText("firstRung", "First rung", method.firstRung != 0 ? DateText(method.firstRung) : "");
}

void CMethDialog::Apply(CMethod& method) const {
  method.name = Text("name");
  const int pickedClass = Selected("class");
  if (pickedClass >= 0 && pickedClass < kClassCount) method.methodClass = pickedClass;
  const int pickedStage = Selected("stage");
  const int items = kStageCount - kFirstDialogStage;
  const int bells = (pickedStage >= 0 && pickedStage < items) ? pickedStage + kFirstDialogStage
                                                              : (method.stage & 0x7F);
  method.stage = static_cast<uint8_t>((Checked("mixed") ? kTwoStages : 0) | bells);
  method.little = Checked("little");
  method.spliced = Checked("spliced");
  method.methodCount = static_cast<uint16_t>(Number("count"));
  const std::string rung = Trimmed(Text("firstRung"));
  method.firstRung = rung.empty() ? 0 : ParseDate(rung);
}

// --- the method index ---

std::unique_ptr<CIndObj> CMethodIndex::NewObject() { return std::make_unique<CMethod>(); }

std::string CMethodIndex::CsvHeader() const {
  return "\"Method No\",\"Method Name\",\"Class\",\"Stage\",\"No of Methods\",\"Is Spliced\","
         "\"Ref\"";
}

int32_t CMethodIndex::FindEntry(std::string_view text, int32_t numeric) {
  if (numeric == 0 && IsDigitsOrParens(text)) return FindByCount(ParseDigits(text));
  return CIndex::FindEntry(text, numeric);
}

int32_t CMethodIndex::FindByCount(int32_t count) {
  // Unnamed entries sort first, by method count, so the walk is short. It is bounded by the
  // table size so that a damaged order thread cannot make it loop.
  int32_t at = First();
  for (int32_t steps = Count(); at != 0 && steps > 0; --steps) {
    const CMethod* method = Method(at);
    if (method) {
      if (!NormaliseName(method->name).empty() || method->methodCount >= count) break;
    }
    at = StepForward(at, 1);
  }
  return at;
}

int CompareMethodKeys(int32_t a, int32_t b) {
  // a - b, held within int for keys read from damaged records.
  const auto difference = [a, b] {
    return static_cast<int>(std::clamp<int64_t>(int64_t{a} - b, INT32_MIN, INT32_MAX));
  };
  if (a == 0 || b == 0 || a == b) return difference();
  CMethodIndex& index = MethodIndex();
  const CMethod* first = index.Method(a);
  const CMethod* second = index.Method(b);
  // A key without a method orders after one with a method, as a missing object does in
  // Compare; two such keys by their difference.
  if (!first) return second ? 1 : difference();
  return first->Compare(second);
}

int32_t AddPlaceholder(int32_t key) {
  auto method = std::make_unique<CMethod>();
  method->name = "#" + std::to_string(key);
  return MethodIndex().AddWithKey(std::move(method), key);
}

}  // namespace tv

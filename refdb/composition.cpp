// Compositions, the composition template and the composition index.
#include "refdb/composition.h"

#include <algorithm>
#include <cstdint>

#include "core/escaping.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

// A text as the record keeps it: a record's text ends at its first byte below 0x20, so line
// breaks are escaped. The reader keeps far more than the dialog lets one type, escapes and all.
std::string RecordText(std::string_view text) { return StoredRecordText(text); }

static_assert(kMaxCompositionText * 5 <= kMaxStoredText, "an escaped text must fit the reader");

// Order of two person keys: the key difference when either is 0, they are equal, or neither
// has a person; a key without a person orders after one with a person.
// a - b, held within int for keys read from damaged records.
int KeyDifference(int32_t a, int32_t b) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{a} - b, INT32_MIN, INT32_MAX));
}

int ComparePersonKeys(int32_t a, int32_t b) {
  if (a == 0 || b == 0 || a == b) return KeyDifference(a, b);
  CIndex& persons = PersonIndex();
  const CIndObj* first = persons.Lookup(a);
  const CIndObj* second = persons.Lookup(b);
  if (!first) return second ? 1 : KeyDifference(a, b);
  return first->Compare(second);
}

int CompareNumbers(int32_t a, int32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// The index order of a composition with numbers `mine` and details `myDetails` against one
// with `theirs` and `theirDetails`.
int CompareCompositions(const CCompTemplate& mine, std::string_view myDetails,
                        const CCompTemplate& theirs, std::string_view theirDetails) {
  if (int r = CompareMethodKeys(mine.method, theirs.method); r != 0) return r;
  if (int r = ComparePersonKeys(mine.composer, theirs.composer); r != 0) return r;
  if (int r = ComparePersonKeys(mine.generatedBy, theirs.generatedBy); r != 0) return r;
  if (int r = CompareNumbers(mine.length, theirs.length); r != 0) return r;
  if (int r = ComparePersonKeys(mine.arranger, theirs.arranger); r != 0) return r;
  return CompareNoCase(myDetails, theirDetails);
}

std::string MethodTitleOf(int32_t key) { return MethodIndex().NameOf(key, 0); }

}  // namespace

CCompTemplate& CompositionTemplate() {
  static CCompTemplate compositionTemplate;
  return compositionTemplate;
}

CComposition::CComposition() {
  const CCompTemplate& t = CompositionTemplate();
  composer = t.composer;
  method = t.method;
  length = t.length;
  arranger = t.arranger;
  generatedBy = t.generatedBy;
}

int32_t CComposition::ReadRecord(Archive& in) {
  // What the record leaves out is 0 or empty, whatever the template held.
  key = 0;
  composer = method = length = arranger = generatedBy = 0;
  methodDetails.clear();
  name.clear();
  figures.clear();
  TaggedReader reader(in, true);
  TaggedField field;
  while (reader.Next(field)) {
    switch (field.letter) {
      case kKeyLetter: key = static_cast<int32_t>(field.value); break;
      case 'l': length = static_cast<int32_t>(field.value); break;
      case 'm': method = static_cast<int32_t>(field.value); break;
      case 'c': composer = static_cast<int32_t>(field.value); break;
      case 'a': arranger = static_cast<int32_t>(field.value); break;
      case 'g': generatedBy = static_cast<int32_t>(field.value); break;
      case 'i': if (field.IsText()) methodDetails = RecordTextFromStored(field.text); break;
      case 'n': if (field.IsText()) name = RecordTextFromStored(field.text); break;
      case 'd': if (field.IsText()) figures = RecordTextFromStored(field.text); break;
      default: break;
    }
  }
  return key;
}

void CComposition::WriteRecord(Archive& out) const {
  TaggedWriter writer(out);
  writer.Key(static_cast<uint32_t>(key));
  writer.Number(Code('l'), static_cast<uint32_t>(length));
  writer.Number(Code('m'), static_cast<uint32_t>(method));
  writer.Number(Code('c'), static_cast<uint32_t>(composer));
  writer.Number(Code('a'), static_cast<uint32_t>(arranger));
  writer.Number(Code('g'), static_cast<uint32_t>(generatedBy));
  writer.Text(Code('i'), RecordText(methodDetails));
  writer.Text(Code('n'), RecordText(name));
  writer.Text(Code('d'), RecordText(figures));
  writer.End();
}

void CComposition::WriteCsvLine(std::string& out) const {
  for (int32_t number : {key, length, method, composer, arranger, generatedBy}) {
    out += std::to_string(number);
    out += ',';
  }
  out += CsvQuoted(methodDetails);
  out += ',';
  out += CsvQuoted(name);
  out += '\n';
}

int CComposition::Compare(const CIndObj* other) const {
  if (!other) return -1;
  const auto* that = static_cast<const CComposition*>(other);
  return CompareCompositions(Numbers(), methodDetails, that->Numbers(), that->methodDetails);
}

int CComposition::CompareText(std::string_view text) const {
  return CompareCompositions(Numbers(), methodDetails, CompositionTemplate(), text);
}

std::string CComposition::GetName(int) const {
  if (Numbers() == CompositionTemplate()) return methodDetails + " " + name;
  return "\\-" + std::to_string(length) + " " + MethodTitleOf(method) + " " + KeyTextOf(composer) +
         " " + KeyTextOf(arranger) + " " + KeyTextOf(generatedBy);
}

std::string CComposition::GetDetails() const {
  std::string text = std::to_string(length) + " " + MethodTitleOf(method) + "\r\n";
  if (!methodDetails.empty()) text += methodDetails + "\r\n";
  if (!name.empty()) text += name + "\r\n";
  if (composer != 0) text += "Composed by " + FullNameOf(composer) + "\r\n";
  if (arranger != 0) text += "Arranged by " + FullNameOf(arranger) + "\r\n";
  if (generatedBy != 0) text += "Generated by " + FullNameOf(generatedBy) + "\r\n";
  if (!figures.empty()) text += figures + "\r\n";
  return text;
}

int CComposition::Edit() {
  CCompDialog dialog(*this);
  if (!ThePlatform().RunDialog(dialog)) return 0;
  dialog.Apply(*this);
  return 1;
}

// --- the "Composition Details" dialog ---

CCompDialog::CCompDialog(const CComposition& composition) : DialogModel("Composition Details") {
  AddReadOnly("length", "", std::to_string(composition.length));
  AddReadOnly("method", "", MethodTitleOf(composition.method)).maxLength = 50;
  AddReadOnly("composer", "By", FullNameOf(composition.composer)).maxLength = 50;
  AddReadOnly("arranger", "Arranged", FullNameOf(composition.arranger)).maxLength = 50;
  AddReadOnly("generatedBy", "Gen", FullNameOf(composition.generatedBy));
  AddText("name", "Name", composition.name, kMaxCompositionName);
  AddMultiLine("methodDetails", "Method Details", composition.methodDetails, kMaxCompositionText);
  AddMultiLine("figures", "Figures", composition.figures, kMaxCompositionText);
}

void CCompDialog::Apply(CComposition& composition) const {
  composition.name = Text("name");
  composition.methodDetails = Text("methodDetails");
  composition.figures = Text("figures");
}

// --- the composition index ---

std::unique_ptr<CIndObj> CCompIndex::NewObject() { return std::make_unique<CComposition>(); }

std::string CCompIndex::CsvHeader() const {
  return "\"Composition No\",\"Length\",\"Method\",\"Composer\",\"Arranger\",\"Gen\",\"Methods\","
         "\"Name\"";
}

int32_t FindOrAddComposition(int32_t length, int32_t method, int32_t composer, int32_t arranger,
                             int32_t generatedBy, std::string_view name,
                             std::string_view methodDetails) {
  CCompTemplate& sought = CompositionTemplate();
  sought = {length, method, composer, arranger, generatedBy};
  CCompIndex& index = CompIndex();
  // The find lands where such a composition would stand; the walk is bounded by the table size
  // so that a damaged order thread cannot make it loop.
  int32_t at = index.FindName(methodDetails);
  for (int32_t steps = index.Count(); at != 0 && steps > 0; --steps, at = index.StepForward(at, 1)) {
    const CComposition* entry = index.Composition(at);
    if (!entry || entry->length != length) break;
    if (entry->Numbers() == sought && entry->methodDetails == methodDetails && entry->name == name) {
      return entry->link != 0 ? entry->link : at;
    }
  }
  auto composition = std::make_unique<CComposition>();
  composition->methodDetails = std::string(methodDetails);
  composition->name = std::string(name);
  return index.InsertNew(std::move(composition));
}

std::string CompositionName(int32_t key) {
  const CComposition* composition = CompIndex().Composition(key);
  return composition ? composition->name : "???";
}

std::string CompositionText(int32_t key, bool spliced) {
  const CComposition* composition = CompIndex().Composition(key);
  if (!composition) return "???";
  if (spliced) {
    const std::string title = MethodTitleOf(composition->method);
    const size_t open = title.size() > 1 ? title.find('(', 1) : std::string::npos;
    if (!title.empty() && title.back() == ')' && open != std::string::npos) {
      return "(" + title.substr(open + 1, title.size() - open - 2) + ": " +
             composition->methodDetails + ")";
    }
  }
  return composition->methodDetails;
}

std::string CompositionDetailsShort(int32_t key) {
  const CComposition* composition = CompIndex().Composition(key);
  return composition ? composition->methodDetails.substr(0, kCompositionShortLength) : "";
}

std::string CompositionHeading() {
  const CCompTemplate& t = CompositionTemplate();
  std::string heading = std::to_string(t.length) + " " + MethodTitleOf(t.method);
  CIndex& persons = PersonIndex();
  if (persons.Lookup(t.composer)) heading += " by " + FullNameOf(t.composer);
  if (persons.Lookup(t.arranger)) heading += " arr. " + FullNameOf(t.arranger);
  return heading;
}

int32_t FindCompositionByDetails(int32_t length, int32_t method, int32_t composer,
                                 int32_t arranger, std::string_view methodDetails) {
  CCompIndex& index = CompIndex();
  const std::string details = OneLineText(methodDetails);
  int32_t k = index.First();
  for (int32_t steps = 0; k > 0 && steps < index.Count(); ++steps, k = index.Entry(k).next) {
    const CComposition* c = index.Composition(k);
    if (c && c->length == length && c->method == method && c->composer == composer &&
        c->arranger == arranger && OneLineText(c->methodDetails) == details) {
      return c->link != 0 ? c->link : k;
    }
  }
  return 0;
}

std::string CompositionTags(int32_t key) {
  const CComposition* composition = CompIndex().Composition(key);
  if (!composition) return {};
  std::string tags;
  if (!composition->methodDetails.empty()) tags += "<cm>" + SgmlText(composition->methodDetails);
  if (!composition->name.empty()) tags += "<cn>" + SgmlText(composition->name);
  return tags;
}

}  // namespace tv

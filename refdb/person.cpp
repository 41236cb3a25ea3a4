// Persons: records, name forms, the details dialog, the person index's search, and the
// resolution of imported names.
#include "refdb/person.h"

#include <set>

#include "core/escaping.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index_set.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

// A surname's first character, folded to lower case by setting bit 0x20 (0x20 for no surname).
int SurnameInitial(const std::string& surname) {
  return (surname.empty() ? 0 : static_cast<unsigned char>(surname.front())) | 0x20;
}

std::string Quoted(const std::string& text) { return CsvQuoted(text); }

const CPerson* PersonOf(int32_t key) {
  return dynamic_cast<const CPerson*>(PersonIndex().Lookup(key));
}

}  // namespace

int32_t CPerson::ReadRecord(Archive& in) {
  TaggedReader reader(in, true);
  TaggedField field;
  while (reader.Next(field)) {
    switch (field.letter) {
      case kKeyLetter: key = static_cast<int32_t>(field.value); break;
      case 's': if (field.IsText() && !field.text.empty()) surname = field.text; break;
      case 'i': if (field.IsText()) initials = field.text; break;
      case 'f': if (field.IsText()) firstNames = field.text; break;
      case 't': if (field.IsText()) prefix = field.text; break;
      case 'a': if (field.IsText()) suffix = field.text; break;
      case 'd': if (field.IsNumber()) notAlive = static_cast<uint8_t>(field.value); break;
      case 'u': used = 1; break;  // written by older versions
      default: break;
    }
  }
  return key;
}

void CPerson::WriteRecord(Archive& out) const {
  TaggedWriter writer(out);
  writer.Key(static_cast<uint32_t>(key));
  writer.Text(Code('i'), initials);
  writer.Text(Code('s'), surname);
  writer.Text(Code('f'), firstNames);
  writer.Text(Code('t'), prefix);
  writer.Text(Code('a'), suffix);
  writer.Byte(Code('d'), notAlive);
  writer.End();
}

void CPerson::WriteCsvLine(std::string& out) const {
  out += std::to_string(key);
  for (const std::string* part : {&prefix, &firstNames, &surname, &suffix}) {
    out += ',';
    out += Quoted(*part);
  }
  out += '\n';
}

int CPerson::Compare(const CIndObj* other) const {
  if (!other) return 1;
  const auto& that = *static_cast<const CPerson*>(other);
  if (const int d = SurnameInitial(surname) - SurnameInitial(that.surname); d != 0) return d;
  for (auto part : {&CPerson::initials, &CPerson::surname, &CPerson::prefix, &CPerson::suffix,
                    &CPerson::firstNames}) {
    if (const int d = CompareNoCase(this->*part, that.*part); d != 0) return d;
  }
  return 0;
}

int CPerson::CompareText(std::string_view text) const {
  std::string mine = surname.substr(0, 1) + initials;
  std::string typed;
  if (!text.empty()) {
    typed += text.back();
    typed += text.substr(0, text.size() - 1);
  }
  return CompareNoCase(mine, typed);
}

std::string CPerson::FullName() const {
  std::string name = surname;
  if (!firstNames.empty()) name = firstNames + " " + name;
  if (!prefix.empty()) name = prefix + " " + name;
  if (!suffix.empty()) name += " (" + suffix + ")";
  return name;
}

std::string CPerson::GetName(int variant) const {
  std::string name = FullName();
  if (notAlive) name = "+" + name;
  if (variant != 0 && used) name = "\\^" + name;
  return name;
}

std::string CPerson::KeyText() const { return initials + surname.substr(0, 1); }

std::string CPerson::TagText() const {
  std::string text = "<r>" + SgmlText(firstNames + " " + surname);
  if (!prefix.empty()) text += "<rt>" + SgmlText(prefix);
  if (!suffix.empty()) text += "<ra>" + SgmlText(suffix);
  return text;
}

int CPerson::Match(std::string_view text) const {
  if (text.empty()) return 0;
  if (StartsWith(surname, text)) return 1;
  if (!surname.empty() && surname.front() == text.front() && text.size() > 1 && text[1] > 'Z') {
    return -1;
  }
  return 0;
}

std::string CPerson::GetDetails() const {
  std::string text;
  auto line = [&text](const char* label, const std::string& value) {
    if (!value.empty()) text += label + value + "\r\n";
  };
  line("Surname:\t\t", surname);
  line("First Name:\t", firstNames);
  line("Initials:\t\t", initials);
  line("Prefix:\t\t", prefix);
  line("Suffix:\t\t", suffix);
  if (notAlive) text += "(not alive)\r\n";

  const CPersonIndex& index = PersonIndex();
  int32_t person = key;
  if (const int32_t now = index.NowKnownAs(key); now != 0) {
    text += "\r\nNow known as:\t" + FullNameOf(now) + "\r\n";
    person = now;
  }
  bool first = true;
  for (int32_t other : index.EquivalentKeys(person)) {
    if (other == key) continue;
    text += first ? "\r\nAlso known as:" : "\t";
    text += "\t" + FullNameOf(other) + "\r\n";
    first = false;
  }
  return text;
}

CPersonDlg::CPersonDlg(const CPerson& person) : DialogModel("Personal Details") {
  AddText("surname", "Surname", person.surname, 25);
  AddText("initials", "Initials", person.initials, 10);
  AddText("firstNames", "First Names", person.firstNames, 20);
  AddText("prefix", "Prefix", person.prefix, 20);
  AddText("suffix", "Suffix", person.suffix, 30);
  AddCheck("alive", "Alive", person.notAlive == 0);
  m_initialsFrom = person.firstNames;
}

void CPersonDlg::OnFocusLost(std::string_view id) {
  if (id != "firstNames") return;
  m_initialsFrom = Text("firstNames");
  SetText("initials", CapitalLetters(m_initialsFrom));
}

void CPersonDlg::Store(CPerson& person) const {
  person.surname = Text("surname");
  const std::string firstNames = Text("firstNames");
  person.initials = firstNames == m_initialsFrom ? Text("initials") : CapitalLetters(firstNames);
  person.firstNames = Text("firstNames");
  person.prefix = Text("prefix");
  person.suffix = Text("suffix");
  person.notAlive = Checked("alive") ? 0 : 1;
}

int CPerson::Edit() {
  CPersonDlg dialog(*this);
  if (!ThePlatform().RunDialog(dialog)) return 0;
  dialog.Store(*this);
  return 1;
}

int CPersonIndex::CompareEntry(int32_t key, std::string_view text, bool exact) {
  const CIndObj* object = Lookup(key);
  if (!object) return -1;
  const int r = object->CompareText(text);
  if (r == 0 || exact) return r;
  std::string widened(text);
  widened.insert(widened.empty() ? 0 : widened.size() - 1, "z");
  return r + object->CompareText(widened);
}

int32_t CPersonIndex::FindEntry(std::string_view text, int32_t current) {
  const auto* person = dynamic_cast<const CPerson*>(Lookup(current));
  if (current != 0 && person && person->Match(text) != 0) {
    int32_t k = Checked(Entry(current).next);
    for (int32_t steps = 0; k != 0 && steps < Count(); ++steps) {
      const auto* candidate = dynamic_cast<const CPerson*>(Lookup(k));
      const int match = candidate ? candidate->Match(text) : 0;
      if (match == 1) return k;
      if (match == 0) break;
      k = Checked(Entry(k).next);
    }
    ThePlatform().Message("No Match Found");
    return current;
  }
  return CIndex::FindEntry(text, current != 0 ? 1 : 0);
}

std::unique_ptr<CIndObj> CPersonIndex::NewObject() { return std::make_unique<CPerson>(); }

std::string CPersonIndex::CsvHeader() const {
  return "\"Person No\",\"Title\",\"First Names\",\"Surname\",\"Suffix\"";
}

std::string FullNameOf(int32_t key) {
  const CPerson* person = PersonOf(key);
  return person ? person->FullName() : std::string();
}

std::string KeyTextOf(int32_t key) {
  const CPerson* person = PersonOf(key);
  return person ? person->KeyText() : std::string();
}

namespace {

struct CPersonNames {
  std::string firstNames;
  std::string surname;
};

// First names and surname of a name: split at its last blank.
CPersonNames SplitNames(std::string_view text) {
  const std::string rest = Trimmed(text);
  CPersonNames names{.firstNames = {}, .surname = rest};
  if (const size_t last = rest.rfind(' '); last != std::string::npos) {
    names.firstNames = Trimmed(std::string_view(rest).substr(0, last));
    names.surname = rest.substr(last + 1);
  }
  return names;
}

// Walks the persons of these initials and surname initial for the first that `matches`.
template <typename Matches>
int32_t FindPerson(const CPersonNames& names, Matches matches) {
  if (names.surname.empty()) return 0;
  const std::string initials = CapitalLetters(names.firstNames);
  CPersonIndex& index = PersonIndex();
  int32_t k = index.FindEntry(initials + names.surname.front(), 0);
  for (int32_t steps = 0; k > 0 && steps < index.Count(); ++steps) {
    const auto* person = dynamic_cast<const CPerson*>(index.Lookup(k));
    if (!person || person->initials != initials) break;
    if (person->firstNames == names.firstNames && person->surname == names.surname &&
        matches(*person)) {
      return k;
    }
    k = index.Entry(k).next;
  }
  return 0;
}

}  // namespace

int32_t FindPersonWith(std::string_view names, std::string_view prefix, std::string_view suffix) {
  return FindPerson(SplitNames(names), [&](const CPerson& person) {
    return person.prefix == prefix && person.suffix == suffix;
  });
}

int32_t AddPersonWith(std::string_view names, std::string_view prefix, std::string_view suffix,
                      File* log) {
  const CPersonNames parts = SplitNames(names);
  if (parts.surname.empty()) return 0;
  auto person = std::make_unique<CPerson>();
  person->firstNames = parts.firstNames;
  person->surname = parts.surname;
  person->initials = CapitalLetters(parts.firstNames);
  person->prefix = prefix;
  person->suffix = suffix;
  const std::string logged = person->GetName(1);
  const int32_t added = PersonIndex().InsertNew(std::move(person));
  if (log) log->Write(" ->" + logged + " ");
  return added;
}

int32_t FindOrAddPersonByFullName(std::string_view text, File* log) {
  std::string rest = Trimmed(text);
  std::string suffix;
  if (rest.size() > 2 && rest.back() == ')') {
    if (const size_t open = rest.rfind(" ("); open != std::string::npos) {
      suffix = Trimmed(std::string_view(rest).substr(open + 2, rest.size() - open - 3));
      rest = Trimmed(std::string_view(rest).substr(0, open));
    }
  }
  std::string prefix;
  std::string afterPrefix;
  if (const size_t space = rest.find(' '); space != std::string::npos) {
    prefix = rest.substr(0, space);
    afterPrefix = Trimmed(std::string_view(rest).substr(space + 1));
  }
  // A first word that is the person's own prefix, then the whole as names.
  if (!afterPrefix.empty()) {
    if (const int32_t k = FindPersonWith(afterPrefix, prefix, suffix); k != 0) return k;
  }
  if (const int32_t k = FindPersonWith(rest, "", suffix); k != 0) return k;
  if (suffix.empty()) {
    if (const int32_t k = FindOrAddPerson(rest, false, nullptr); k != 0) return k;
  }
  // A title before first names and a surname is taken as the person's prefix, so that the
  // same person written as a ringer ("<r>" names, "<rt>" title) is found again.
  static const std::set<std::string, std::less<>> kTitles = {
      "Canon", "Dame", "Dr", "Fr", "Lady", "Lord", "Miss", "Mr", "Mrs", "Ms", "Prof", "Rev", "Revd",
      "Sir"};
  if (kTitles.contains(prefix) && afterPrefix.find(' ') != std::string::npos) {
    return AddPersonWith(afterPrefix, prefix, suffix, log);
  }
  if (prefix == "Rev" || prefix == "Revd") return AddPersonWith(afterPrefix, prefix, suffix, log);
  return AddPersonWith(rest, "", suffix, log);
}

int32_t FindOrAddPerson(std::string_view text, bool create, File* log) {
  std::string rest = Trimmed(text);
  if (const size_t space = rest.find(' '); space != std::string::npos) {
    const std::string_view word = std::string_view(rest).substr(0, space);
    if (word == "Rev" || word == "Revd") rest.erase(0, space + 1);
  }
  std::string firstNames;
  std::string surname = rest;
  if (const size_t last = rest.rfind(' '); last != std::string::npos) {
    firstNames = rest.substr(0, last);
    surname = rest.substr(last + 1);
  }
  if (surname.empty()) return 0;
  const std::string initials = CapitalLetters(firstNames);

  CPersonIndex& index = PersonIndex();
  int32_t k = index.FindEntry(initials + surname.front(), 0);
  for (int32_t steps = 0; k > 0 && steps < index.Count(); ++steps) {
    const auto* person = dynamic_cast<const CPerson*>(index.Lookup(k));
    if (!person || person->initials != initials) break;
    if (person->firstNames == firstNames && person->surname == surname &&
        person->prefix.empty() && person->suffix.empty()) {
      return k;
    }
    k = index.Entry(k).next;
  }
  if (!create) return 0;
  auto person = std::make_unique<CPerson>();
  person->firstNames = firstNames;
  person->surname = surname;
  person->initials = initials;
  const std::string logged = person->GetName(1);
  const int32_t added = index.InsertNew(std::move(person));
  if (log) log->Write(" ->" + logged + " ");
  return added;
}

}  // namespace tv

// Parsing imported method texts into method keys.
#include "refdb/method_parsing.h"

#include <algorithm>
#include <memory>

#include "core/text.h"
#include "refdb/index_set.h"
#include "refdb/method.h"

namespace tv {
namespace {

enum class Parser { ByParts, ByTitle, Abbreviated };

struct ParsedMethod {
  std::string name;
  int32_t methodClass = 0;
  uint8_t stage = 0;
  int32_t count = 1;
  bool spliced = false;
  bool little = false;
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Cuts `length` characters from the end of the text and trims what is left.
void CutEnd(std::string& text, size_t length) {
  text.resize(text.size() - length);
  TrimSpaces(text);
}

// The last word (after the last blank, or the whole text) and where it starts.
size_t LastWordStart(const std::string& text) {
  const size_t blank = text.rfind(' ');
  return blank == std::string::npos ? 0 : blank + 1;
}

// The search that ends every parser: the entry with these parts, or 0. Entries are walked in
// index order from where an entry with these parts would stand; the walk is bounded by the
// table size so that a damaged order thread cannot make it loop. The count must be 1 or more.
int32_t FindParsed(const ParsedMethod& parsed, Parser parser, File* log) {
  CMethodIndex& index = MethodIndex();
  int32_t at = parsed.count > 1 ? index.FindByCount(parsed.count) : index.FindName(parsed.name);
  // Names compare without regard to case; of entries that differ only in case, the one spelt
  // exactly as the text is taken, else the first in order.
  int32_t match = 0;
  for (int32_t steps = index.Count(); at != 0 && steps > 0; --steps, at = index.StepForward(at, 1)) {
    const CMethod* entry = index.Method(at);
    if (!entry || entry->methodCount != parsed.count) break;
    if (entry->CompareText(parsed.name) != 0) {
      if (match != 0) break;  // past the run of names equal to the matched one
      if (parser == Parser::ByTitle) continue;
      break;
    }
    const bool classMatches =
        entry->methodClass == parsed.methodClass ||
        (parser == Parser::ByTitle && parsed.methodClass == 0 && entry->methodClass == kClassSurprise);
    if (entry->stage != parsed.stage || entry->spliced != parsed.spliced ||
        entry->little != parsed.little || !classMatches) {
      continue;
    }
    if (match == 0 || entry->name == parsed.name) match = at;
    if (entry->name == parsed.name) break;
  }
  const CMethod* matched = match != 0 ? index.Method(match) : nullptr;
  if (!matched) return 0;
  if (matched->link != 0) return matched->link;
  if (parser != Parser::ByParts && log && parsed.stage > 6 && matched->firstRung == 0 &&
      parsed.count < 2) {
    log->Write(" -->" + matched->Title(true, false) + " ");
  }
  return match;
}

// A new entry with these parts; gives its key.
int32_t AddParsed(const ParsedMethod& parsed, Parser parser, File* log, bool* added) {
  auto method = std::make_unique<CMethod>();
  method->name = parsed.name;
  method->methodClass = parsed.methodClass;
  method->stage = parsed.stage;
  method->methodCount = static_cast<uint16_t>(parsed.count);
  method->spliced = parsed.spliced;
  method->little = parsed.little;
  if (parser != Parser::ByParts && log) log->Write(" ->" + method->Title(true, false) + " ");
  if (added) *added = true;
  return MethodIndex().InsertNew(std::move(method));
}

void NormaliseCount(ParsedMethod& parsed) {
  if (parsed.count <= 1) parsed.count = 1;
}

// The search and the addition that end every parser.
int32_t FindOrAdd(ParsedMethod parsed, Parser parser, File* log, bool* added = nullptr) {
  NormaliseCount(parsed);
  if (const int32_t key = FindParsed(parsed, parser, log); key != 0) return key;
  return AddParsed(parsed, parser, log, added);
}

// The class code of a class text, letter case ignored; 0 for any other text. Every class word
// the SGML output writes is known, so a method reads back with the class it was written with.
int32_t ClassOfText(std::string_view text) {
  static constexpr std::pair<const char*, int32_t> kClasses[] = {
      {"Alliance", 7},    {"Delight", 5},      {"Surprise", 4},      {"Plain", 10},
      {"Treble Bob", 3},  {"Treble Place", 6}, {"Bob", 2},           {"Hybrid", 8},
      {"Place", 1},       {"Slow Course", 9},  {"Treble Dodging", 11}};
  for (const auto& [word, code] : kClasses) {
    if (EqualsNoCase(text, word)) return code;
  }
  return 0;
}

// The class code of the last word of a title, letter case significant; 0 for another word.
int32_t ClassOfTitleWord(std::string_view word) {
  static constexpr std::pair<const char*, int32_t> kClasses[] = {
      {"Alliance", 7}, {"Delight", 5}, {"Surprise", 4}, {"Plain", 10},
      {"Bob", 2},      {"Place", 1},   {"Hybrid", 8}};
  for (const auto& [w, code] : kClasses) {
    if (word == w) return code;
  }
  return 0;
}

// A dotted class abbreviation, letter case significant; 0 when the text is none.
int32_t ClassOfAbbreviation(std::string_view tail) {
  if (tail == "S.") return 4;
  if (tail == "T. B." || tail == "T.B.") return 3;
  if (tail == "T. D." || tail == "T.D.") return 11;
  if (tail == "T. P." || tail == "T.P.") return 6;
  if (tail == "B.") return 2;
  if (tail == "D.") return 5;
  if (tail == "A.") return 7;
  return 0;
}

// Takes an undotted class from the end of the name: capitals (‘T B’, ‘TD’, ‘S’) when the name
// ends in one, else a whole class word (‘Alliance’, ‘Treble Bob’).
int32_t TakeUndottedClass(std::string& name) {
  const auto last = static_cast<unsigned char>(name.back());
  if ((last & 0x60) == 0x40) {
    static constexpr std::pair<const char*, int32_t> kCapitals[] = {
        {"T B", 3}, {"TB", 3}, {"T D", 11}, {"TD", 11}, {"S", 4}, {"D", 5}};
    for (const auto& [end, code] : kCapitals) {
      if (EndsWith(name, end)) {
        name.resize(name.size() - std::string_view(end).size());
        return code;
      }
    }
    return 0;
  }
  static constexpr std::pair<const char*, int32_t> kWords[] = {
      {"All", 7},   {"Alliance", 7},   {"Delight", 5}, {"Surprise", 4},     {"Plain", 10},
      {"Treble Bob", 3}, {"Bob", 2}, {"Treble Place", 6}, {"Place", 1}, {"Treble Dodging", 11}};
  for (const auto& [end, code] : kWords) {
    if (EndsWith(name, end)) {
      name.resize(name.size() - std::string_view(end).size());
      return code;
    }
  }
  return 0;
}

}  // namespace

int32_t FindOrAddByParts(int32_t count, std::string_view name, std::string_view classText,
                         std::string_view stageText) {
  ParsedMethod parsed;
  parsed.count = count;
  parsed.stage = ParseStage(stageText);
  parsed.name = std::string(name);
  std::string classWords(classText);
  if (StartsWith(classWords, "Spliced")) {
    parsed.spliced = true;
    classWords = Trimmed(std::string_view(classWords).substr(7));
  }
  for (const char* hunt : HuntWords) {
    if (StartsWithNoCase(classWords, hunt)) {
      classWords = Trimmed(std::string_view(classWords).substr(std::string_view(hunt).size()));
    }
  }
  if (StartsWith(classWords, "Little")) {
    parsed.little = true;
    classWords = Trimmed(std::string_view(classWords).substr(6));
  }
  if (classWords.empty()) {
    // Codes in order, so a name ending in ‘Treble Bob’ gives up ‘Bob’ and keeps ‘Treble’.
    for (int code = 1; code < kClassCount; ++code) {
      if (EndsWithNoCase(parsed.name, ClassWords[code])) {
        classWords = ClassWords[code];
        CutEnd(parsed.name, classWords.size());
        break;
      }
    }
  }
  if (EndsWith(parsed.name, "Little")) {
    parsed.little = true;
    CutEnd(parsed.name, 6);
  }
  parsed.methodClass = ClassOfText(classWords);
  if (parsed.count <= 1 && parsed.little && parsed.name.empty()) {
    parsed.name = "Little";  // ‘Little Bob’ is the method named Little
    parsed.little = false;
  }
  return FindOrAdd(std::move(parsed), Parser::ByParts, nullptr);
}

namespace {

// Takes a class from the end of a title whose stage has been cut off: the two-word classes
// ‘Treble Bob’, ‘Treble Place’, ‘Slow Course’, ‘Treble Dodging’ (the last is how the
// performances XML titles class 11), else a one-word class as the last word. Gives 0 and
// leaves the title whole when it ends in none.
int32_t TakeTitleClass(std::string& title) {
  static constexpr std::pair<const char*, int32_t> kTwoWords[] = {
      {"Treble Bob", 3}, {"Treble Place", 6}, {"Slow Course", 9}, {"Treble Dodging", 11}};
  for (const auto& [words, code] : kTwoWords) {
    if (EndsWith(title, words)) {
      title.resize(title.size() - std::string_view(words).size());
      return code;
    }
  }
  const size_t wordStart = LastWordStart(title);
  const int32_t code = ClassOfTitleWord(std::string_view(title).substr(wordStart));
  if (code != 0) title.resize(wordStart);
  return code;
}

// The end of the title parser once stage and class are taken: Little, Spliced, the bracketed
// suffix and the named exceptions give the name.
ParsedMethod FinishTitle(std::string title, const std::string& suffix, ParsedMethod parsed) {
  TrimSpaces(title);
  if (EndsWith(title, "Little")) {
    parsed.little = true;
    CutEnd(title, 6);
  }
  if (StartsWith(title, "Spliced")) {
    parsed.spliced = true;
    title.erase(0, std::min<size_t>(8, title.size()));
  }
  parsed.name = Trimmed(title + " " + suffix);
  if (parsed.name.empty() && parsed.count == 1 && parsed.methodClass == kClassBob && parsed.little) {
    parsed.name = "Little";
    parsed.little = false;
  }
  if (NormaliseName(parsed.name).compare(0, 11, "St Clements") == 0) {
    parsed.name = "St Clement's College";
    if (parsed.methodClass == 0) parsed.methodClass = kClassBob;
  }
  NormaliseCount(parsed);
  return parsed;
}

}  // namespace

int32_t FindOrAddByTitle(std::string_view titleText, File* log) {
  ParsedMethod parsed;
  std::string title = Trimmed(titleText);
  std::string suffix;

  // A bracketed tail: a method count ‘(8 methods)’, or a description kept after the name.
  if (EndsWith(title, ")")) {
    const size_t open = title.find('(');
    if (open != std::string::npos) {
      if (EndsWithNoCase(title, "methods)")) {
        parsed.count = ParseDigits(std::string_view(title).substr(open));
      } else {
        suffix = title.substr(open);
      }
      title.resize(open);
      TrimSpaces(title);
    }
  }

  const size_t stageStart = LastWordStart(title);
  const std::string stageWord = title.substr(stageStart);
  parsed.stage = ParseStage(stageWord);
  if (parsed.stage != 0) CutEnd(title, title.size() - stageStart);

  const size_t wordStart = LastWordStart(title);
  const std::string_view word = std::string_view(title).substr(wordStart);
  if (word == "and" || word == "&") {
    // ‘Doubles and Minor’: the word before joins the stage when the two make one.
    title.resize(wordStart);
    TrimSpaces(title);
    const size_t before = LastWordStart(title);
    const uint8_t joined = ParseStage(title.substr(before) + " & " + stageWord);
    if (joined == parsed.stage) {
      title += " and ";
      return FindOrAdd(FinishTitle(title, suffix, parsed), Parser::ByTitle, log);
    }
    parsed.stage = joined;
    CutEnd(title, title.size() - before);
    // The class before a joined stage is read as before a single one, so that ‘Plain Bob
    // Doubles and Minor’ finds the Bob method Plain that the output wrote. An entry an earlier
    // import made with the class word left in the name is still found.
    const ParsedMethod asWords = FinishTitle(title, suffix, parsed);
    parsed.methodClass = TakeTitleClass(title);
    const ParsedMethod withClass = FinishTitle(title, suffix, parsed);
    if (withClass.methodClass == asWords.methodClass) return FindOrAdd(withClass, Parser::ByTitle, log);
    if (const int32_t key = FindParsed(withClass, Parser::ByTitle, log); key != 0) return key;
    if (const int32_t key = FindParsed(asWords, Parser::ByTitle, log); key != 0) return key;
    return AddParsed(withClass, Parser::ByTitle, log, nullptr);
  }
  parsed.methodClass = TakeTitleClass(title);
  return FindOrAdd(FinishTitle(title, suffix, parsed), Parser::ByTitle, log);
}

int32_t FindOrAddAbbreviated(std::string_view nameText, std::string_view stageText,
                             std::string_view extraText, File* log) {
  ParsedMethod parsed;
  std::string name(nameText);
  parsed.stage = ParseStage(stageText);
  if (parsed.stage == 0) {
    name += ' ';
    name += stageText;
  }
  if (const size_t little = name.find(" Little"); little != std::string::npos && little > 0) {
    parsed.little = true;
    name.erase(little, 7);
  }
  if (StartsWith(name, "Spliced")) {
    parsed.spliced = true;
    name = Trimmed(std::string_view(name).substr(7));
  }

  // Dotted abbreviations: the tail from the letter before each "." is tried in turn; a tail
  // that is none has its "." hidden as "%" so that the next search finds the next ".".
  for (size_t dot = name.find('.'); parsed.methodClass == 0 && dot != std::string::npos && dot > 0;
       dot = name.find('.')) {
    std::string tail = name.substr(dot - 1);
    name.resize(dot - 1);
    parsed.methodClass = ClassOfAbbreviation(tail);
    if (parsed.methodClass == 0) {
      tail[1] = '%';
      name += tail;
    }
  }
  for (size_t i = 1; i < name.size(); ++i) {
    if (name[i] == '%') name[i] = '.';
  }
  TrimSpaces(name);

  if (parsed.methodClass == 0 && !name.empty()) {
    parsed.methodClass = TakeUndottedClass(name);
    TrimSpaces(name);
  }

  if (name.empty() && !extraText.empty()) {
    // The count of an unnamed entry opens the extra text: ‘(8m) Cambridge...’ or ‘(8 m)’.
    std::string extra(extraText);
    const size_t blank = extra.find(' ');
    if (blank != std::string::npos && blank > 0 && static_cast<signed char>(extra[blank - 1]) < 0x40) {
      extra.erase(blank, 1);
    }
    const size_t end = extra.find_first_of(" :;)");
    if (end != std::string::npos && end > 0) {
      name = LowerCase(extra.substr(0, end) + ")");
      if (name.front() == '(' && EndsWith(name, "m)")) {
        const std::string_view digits = std::string_view(name).substr(1, name.size() - 3);
        if (IsDigitsOrParens(digits)) {
          parsed.count = ParseDigits(digits);
          name.clear();
        }
      }
    }
  }
  parsed.name = std::move(name);
  return FindOrAdd(std::move(parsed), Parser::Abbreviated, log);
}

int32_t FindOrAddMethodParts(const CMethodParts& parts, bool* added) {
  if (added) *added = false;
  ParsedMethod parsed{.name = parts.name,
                      .methodClass = parts.methodClass,
                      .stage = parts.stage,
                      .count = parts.count,
                      .spliced = parts.spliced,
                      .little = parts.little};
  // Little Bob is named "Little", as the text parsers name it.
  if (parsed.count <= 1 && parsed.little && parsed.name.empty()) {
    parsed.name = "Little";
    parsed.little = false;
  }
  return FindOrAdd(std::move(parsed), Parser::ByParts, nullptr, added);
}

}  // namespace tv

// The parsers of the two plain-file peal formats: Marwick peal lists (".mpf", one peal a line
// under "@" tower lines) and Logwright records (".plf", fields ended by 0xB0, records by NUL).
#include <array>

#include "core/field_file.h"
#include "core/text.h"
#include "import/peal_import.h"
#include "refdb/assoc.h"
#include "refdb/method_parsing.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

namespace tv {
namespace {

// ---- Marwick ---------------------------------------------------------------------------------

// A note that says the peal does not stand goes to the validity list.
bool IsValidityNote(std::string_view note) {
  return EqualsNoCase(note.substr(0, 4), "hoax") || EqualsNoCase(note.substr(0, 5), "false") ||
         EqualsNoCase(note.substr(0, 9), "withdrawn");
}

class CMarwickParser : public CPealParser {
 public:
  CMarwickParser(std::unique_ptr<File> file, File* log) : m_file(std::move(file)), m_log(log) {}

  bool Parse(CPeal& peal) override {
    std::string line;
    for (;;) {
      if (!ReadField(*m_file, line)) return false;
      if (line.empty()) continue;
      if (line[0] != '@') break;
      m_tower = TowerOf(ParseDigits(std::string_view(line).substr(0, 5)));
    }
    peal.tower = static_cast<uint32_t>(m_tower);
    peal.date = ParseDate(std::string_view(line).substr(0, 10));
    std::string title = line.size() > 11 ? line.substr(11) : std::string();
    if (const size_t quote = title.find('"'); quote != std::string::npos) {
      // The line ends with the note's closing quote.
      const size_t noteEnd = line.size() - 1;
      const size_t noteStart = 11 + quote + 1;
      const std::string note =
          noteEnd > noteStart ? line.substr(noteStart, noteEnd - noteStart) : std::string();
      title.erase(quote > 0 ? quote - 1 : 0);
      if (!note.empty()) peal.extras[IsValidityNote(note) ? kValidity : kFootnote].push_back(note);
    }
    if (!Trimmed(title).empty())
      peal.method = static_cast<uint32_t>(FindOrAddByTitle(title, m_log));
    return true;
  }

 private:
  std::unique_ptr<File> m_file;
  File* m_log;
  int32_t m_tower = 0;  // set by the last tower line
};

// ---- Logwright -------------------------------------------------------------------------------

constexpr uint8_t kFieldEnd = 0xB0;
constexpr int kLogwrightFields = 29;
constexpr int kFirstRinger = 12;
constexpr int kLogwrightRingers = 12;

// Days counted from 1 January 1900 in the 16 bits the format gives them; a field whose number
// does not fit is no date.
bool ParseDayCount(std::string_view text, uint32_t& days) {
  uint64_t value = 0;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) break;
    if (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<uint64_t>(c - '0');
      if (value > 0xFFFF) return false;
    }
  }
  days = static_cast<uint32_t>(value);
  return true;
}

// ‘JSmith’ becomes ‘J Smith’ and ‘McDonald’ ‘Mc Donald’: a blank before every capital that
// follows anything but a blank.
std::string SpacedName(std::string_view text) {
  std::string name;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i > 0 && text[i] >= 'A' && text[i] <= 'Z' && text[i - 1] != ' ') name += ' ';
    name += text[i];
  }
  return name;
}

class CLogwrightParser : public CPealParser {
 public:
  explicit CLogwrightParser(std::unique_ptr<File> file) : m_file(std::move(file)) {}

  bool Parse(CPeal& peal) override {
    std::array<std::string, kLogwrightFields> f;
    int count = 0;
    for (;;) {
      for (;;) {
        std::string text;
        const uint8_t end = ReadLogwrightField(*m_file, text);
        if (count < kLogwrightFields) f[static_cast<size_t>(count)] = std::move(text);
        ++count;
        if (end != kFieldEnd) break;
      }
      if (count > 1 || !f[0].empty()) break;
      // A lone empty field is the end of the file, or a stray NUL between records.
      if (m_file->Position() >= m_file->Length()) return false;
      count = 0;
    }

    peal.association = FindOrAddAssoc(f[0], nullptr);
    if (peal.association == 0 && !f[0].empty()) AddUnresolved(peal, "a", f[0]);
    peal.handbell = f[13].empty();
    peal.tenor = peal.handbell ? static_cast<uint16_t>(ParseDigits(f[5])) : ParseWeight(f[5]);
    if (!f[1].empty()) {
      peal.tower =
          static_cast<uint32_t>(FindOrAddTower(0, f[1], f[2], f[3], peal.handbell, peal.tenor));
    }
    uint32_t days = 0;
    if (ParseDayCount(f[4], days)) {
      peal.date = MakeDate(1, 1, 1900) + static_cast<Date>(days);
    } else {
      AddUnresolved(peal, "date", f[4]);
    }
    // Unsigned, as ParseTime reckons, so that absurd hours wrap rather than overflow.
    peal.time = static_cast<uint16_t>(static_cast<uint32_t>(ParseDigits(f[6])) * 60 +
                                      static_cast<uint32_t>(ParseDigits(f[7])));
    peal.changes = ParseDigits(f[8]);
    if (!f[9].empty() || !f[10].empty() || !f[11].empty()) {
      peal.method = static_cast<uint32_t>(FindOrAddByParts(1, f[9], f[10], f[11]));
    }
    const int32_t conductorBell = ParseDigits(f[24]);
    for (int bell = 1; bell <= kLogwrightRingers; ++bell) {
      const std::string& name = f[static_cast<size_t>(kFirstRinger + bell - 1)];
      if (name.empty()) continue;
      const auto key = static_cast<uint32_t>(FindOrAddPerson(SpacedName(name), true, nullptr));
      peal.ringers.push_back(key);
      if (bell == conductorBell) peal.conductor = key;
    }
    if (!f[25].empty()) peal.extras[kFootnote].push_back("c:" + f[25]);
    for (int i = 26; i <= 28; ++i) {
      if (!f[static_cast<size_t>(i)].empty())
        peal.extras[kFootnote].push_back(f[static_cast<size_t>(i)]);
    }
    return true;
  }

 private:
  std::unique_ptr<File> m_file;
};

}  // namespace

uint8_t ReadLogwrightField(File& file, std::string& text) {
  text.clear();
  uint8_t end = 0;
  unsigned char c;
  while (file.Read(&c, 1) == 1) {
    if (c == kFieldEnd || c == 0) {
      end = c;
      break;
    }
    text += static_cast<char>(c);
  }
  TrimSpaces(text);
  if (file.Position() >= file.Length()) return 0;
  return end;
}

std::unique_ptr<CPealParser> MakeMarwickParser(std::unique_ptr<File> file, File* log) {
  return std::make_unique<CMarwickParser>(std::move(file), log);
}

std::unique_ptr<CPealParser> MakeLogwrightParser(std::unique_ptr<File> file, File*) {
  // Logwright records write nothing to the log but their numbers, which the loop writes.
  return std::make_unique<CLogwrightParser>(std::move(file));
}

}  // namespace tv

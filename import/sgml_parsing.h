// What the SGML peal parsers share: the tag reader they read from, and the numbers that a peal
// keeps in narrow fields, each kept as an unresolved item when it does not fit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/sgml_file.h"
#include "core/text.h"
#include "import/peal_import.h"

namespace tv::sgml_parsing {

inline constexpr uint16_t kMaxTenor = 0x7FFF;  // a peal keeps its tenor in 15 bits
inline constexpr int32_t kMaxSequence = 0xFF;

// The sequence number of a date key: the digits from its first "/" on. One that does not fit
// the peal's byte is kept as an unresolved item rather than wrapped onto another peal's number.
inline void SetSequence(CPeal& peal, std::string_view tag, std::string_view content,
                        int32_t sequence) {
  if (sequence > kMaxSequence) {
    AddUnresolved(peal, tag, content);
    sequence = 0;
  }
  peal.sequence = static_cast<uint8_t>(sequence);
}

// Numbers that do not fit the peal's field are kept as unresolved items, as the tenor and the
// sequence are, rather than wrapped onto another value.
inline void SetTime(CPeal& peal, std::string_view tag, std::string_view content) {
  const int64_t minutes = ParseMinutes(content);
  if (minutes > UINT16_MAX) return AddUnresolved(peal, tag, content);
  peal.time = static_cast<uint16_t>(minutes);
}

inline void SetChanges(CPeal& peal, std::string_view tag, std::string_view content) {
  const int64_t changes = ParseDigitsWide(content);
  if (changes > INT32_MAX) return AddUnresolved(peal, tag, content);
  peal.changes = static_cast<int32_t>(changes);
}

// `digits` is the reference after its "RW".
inline void SetRwPageText(CPeal& peal, std::string_view tag, std::string_view content,
                          std::string_view digits) {
  const int64_t page = ParseDigitsWide(digits);
  if (!peal.RwPageFits(page)) return AddUnresolved(peal, tag, content);
  peal.SetRwPage(static_cast<int32_t>(page));
}

class CSgmlParser : public CPealParser {
 public:
  CSgmlParser(std::unique_ptr<File> file, File* log) : m_sgml(std::move(file)), m_log(log) {}

 protected:
  bool Read(std::string& tag, std::string& content) { return m_sgml.ReadTag(tag, content); }
  void PushBack() { m_sgml.pushedBack = true; }

  CSGMLFile m_sgml;
  File* m_log;
};

}  // namespace tv::sgml_parsing

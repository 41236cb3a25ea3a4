// Comma-separated records with quoting, read leniently and with damage reported.
#include "core/csv_reader.h"

namespace tv {

CCsvReader::CCsvReader(std::string_view text, CsvLimits limits) : m_text(text), m_limits(limits) {
  if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_at = 3;
}

bool CCsvReader::SkipLineEnd() {
  if (m_at >= m_text.size()) return false;
  if (m_text[m_at] == '\r') {
    ++m_at;
    if (m_at < m_text.size() && m_text[m_at] == '\n') ++m_at;
  } else if (m_text[m_at] == '\n') {
    ++m_at;
  } else {
    return false;
  }
  ++m_line;
  return true;
}

void CCsvReader::Note(std::string problem) {
  if (m_problem.empty()) m_problem = std::move(problem);
}

bool CCsvReader::Next(std::vector<std::string>& fields) {
  fields.clear();
  m_problem.clear();
  const size_t size = m_text.size();
  while (SkipLineEnd()) {
  }
  if (m_at >= size) return false;
  m_recordLine = m_line;

  std::string field;
  bool cut = false;
  bool tooMany = false;
  auto add = [&](char c) {
    if (field.size() < m_limits.maxField) {
      field += c;
    } else if (!cut) {
      cut = true;
      Note("a field longer than " + std::to_string(m_limits.maxField) + " bytes was cut");
    }
  };
  auto finish = [&] {
    if (fields.size() < m_limits.maxFields) {
      fields.push_back(std::move(field));
    } else if (!tooMany) {
      tooMany = true;
      Note("more than " + std::to_string(m_limits.maxFields) + " fields");
    }
    field.clear();
    cut = false;
  };

  for (;;) {
    if (m_at < size && m_text[m_at] == '"') {
      const size_t quoteAt = m_at++;
      const size_t quoteLine = m_line;
      bool closed = false;
      while (m_at < size) {
        const char c = m_text[m_at];
        if (c == '"') {
          if (m_at + 1 < size && m_text[m_at + 1] == '"') {
            add('"');
            m_at += 2;
            continue;
          }
          ++m_at;
          closed = true;
          break;
        }
        if (c == '\r' || c == '\n') {
          const size_t before = m_at;
          SkipLineEnd();
          for (size_t i = before; i < m_at; ++i) add(m_text[i]);
          continue;
        }
        add(c);
        ++m_at;
      }
      if (!closed) {
        // Everything after an unclosed quote would vanish into one field: keep only the rest of
        // the line the quote stands on, and go on with the next line.
        size_t lineEnd = m_text.find_first_of("\r\n", quoteAt);
        if (lineEnd == std::string_view::npos) lineEnd = size;
        field.clear();
        cut = false;
        for (size_t i = quoteAt + 1; i < lineEnd; ++i) add(m_text[i]);
        m_at = lineEnd;
        m_line = quoteLine;
        finish();
        SkipLineEnd();
        m_problem.clear();
        Note("a quoted field is not closed");
        return true;
      }
      if (m_at < size && m_text[m_at] != ',' && m_text[m_at] != '\r' && m_text[m_at] != '\n') {
        Note("text follows a closing quote");
        while (m_at < size && m_text[m_at] != ',' && m_text[m_at] != '\r' && m_text[m_at] != '\n') {
          add(m_text[m_at++]);
        }
      }
    } else {
      while (m_at < size && m_text[m_at] != ',' && m_text[m_at] != '\r' && m_text[m_at] != '\n') {
        add(m_text[m_at++]);
      }
    }
    finish();
    if (m_at < size && m_text[m_at] == ',') {
      ++m_at;
      continue;
    }
    SkipLineEnd();
    return true;
  }
}

}  // namespace tv

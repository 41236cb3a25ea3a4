// Reading comma-separated files in the common quoting (RFC 4180): fields with commas, quotes or
// line breaks are quoted, and a quote inside a quoted field is doubled.
//
// The reader is lenient where a file can be read sensibly and says so where it cannot: a record
// may end in CR LF, LF or CR; a UTF-8 byte-order mark before the first record is skipped; empty
// lines are skipped. A quote that is never closed spoils only its own record: reading goes on at
// the line after the one on which that record began.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct CsvLimits {
  size_t maxField = 64 * 1024;  // bytes kept of one field; the rest is read and dropped
  size_t maxFields = 1024;      // fields kept of one record
};

class CCsvReader {
 public:
  // Reads from `text`, which must outlive the reader.
  explicit CCsvReader(std::string_view text, CsvLimits limits = {});

  // Reads the next record into `fields` (replacing what they held). False when no record is
  // left. A damaged record is still given, with what could be read of it, and Problem() says
  // what was wrong with it.
  bool Next(std::vector<std::string>& fields);

  // The line (from 1) on which the record last read began.
  size_t Line() const { return m_recordLine; }
  // What was wrong with the record last read; empty when it was sound.
  const std::string& Problem() const { return m_problem; }
  // The share of the text read so far, for progress: the byte position.
  size_t Position() const { return m_at; }

 private:
  // Consumes one line end at the position when there is one.
  bool SkipLineEnd();
  void Note(std::string problem);

  std::string_view m_text;
  CsvLimits m_limits;
  size_t m_at = 0;
  size_t m_line = 1;
  size_t m_recordLine = 0;
  std::string m_problem;
};

}  // namespace tv

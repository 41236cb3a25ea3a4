// A record laid out as titled tables, and its three written forms: plain text, CSV and one
// self-contained HTML page. Every form holds the same rows, so each can be checked by another.
#pragma once

#include <string>
#include <vector>

namespace tv {

struct CRecordTable {
  std::string title;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;  // each as many cells as there are columns
};

struct CRecordReport {
  std::string title;
  std::vector<std::string> notes;  // lines under the title: the date and the counting rules
  std::vector<CRecordTable> tables;
};

enum class RecordFormat { Text, Csv, Html };

// Text: the title, the notes, then each table under its title with its columns aligned, an
// empty line between tables; lines end in CR LF. A table without rows says "None.".
std::string RecordText(const std::vector<CRecordReport>& reports);
// CSV: per table a header row "Record","Section",columns... then its rows, every field quoted,
// lines ending in CR LF; the notes are left out.
std::string RecordCsv(const std::vector<CRecordReport>& reports);
// One HTML page with its own style, every text escaped; Windows-1252 as the texts are.
std::string RecordHtml(const std::vector<CRecordReport>& reports, const std::string& pageTitle);
std::string WriteRecord(const std::vector<CRecordReport>& reports, RecordFormat format,
                        const std::string& pageTitle);

}  // namespace tv

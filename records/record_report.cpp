// The text, CSV and HTML forms of record tables.
#include "records/record_report.h"

#include <algorithm>

#include "core/escaping.h"

namespace tv {
namespace {

constexpr const char* kNL = "\r\n";
constexpr const char* kNone = "None.";

void TextTable(const CRecordTable& table, std::string& out) {
  out += table.title + kNL;
  if (table.rows.empty()) {
    out += std::string("  ") + kNone + kNL;
    return;
  }
  std::vector<size_t> widths(table.columns.size(), 0);
  for (size_t c = 0; c < table.columns.size(); ++c) widths[c] = table.columns[c].size();
  for (const auto& row : table.rows) {
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c) {
      widths[c] = std::max(widths[c], row[c].size());
    }
  }
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text = "  ";
    for (size_t c = 0; c < cells.size(); ++c) {
      text += cells[c];
      if (c + 1 < cells.size()) text.append(widths[c] - cells[c].size() + 2, ' ');
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text + kNL;
  };
  line(table.columns);
  for (const auto& row : table.rows) line(row);
}

}  // namespace

std::string RecordText(const std::vector<CRecordReport>& reports) {
  std::string out;
  for (size_t r = 0; r < reports.size(); ++r) {
    const CRecordReport& report = reports[r];
    if (r > 0) out += kNL;
    out += report.title + kNL;
    for (const std::string& note : report.notes) out += note + kNL;
    for (const CRecordTable& table : report.tables) {
      out += kNL;
      TextTable(table, out);
    }
  }
  return out;
}

std::string RecordCsv(const std::vector<CRecordReport>& reports) {
  std::string out;
  auto row = [&out](const std::string& record, const std::string& section,
                    const std::vector<std::string>& cells) {
    out += CsvQuoted(record) + "," + CsvQuoted(section);
    for (const std::string& cell : cells) out += "," + CsvQuoted(cell);
    out += kNL;
  };
  for (const CRecordReport& report : reports) {
    for (const CRecordTable& table : report.tables) {
      row("Record", "Section", table.columns);
      for (const auto& cells : table.rows) row(report.title, table.title, cells);
    }
  }
  return out;
}

std::string RecordHtml(const std::vector<CRecordReport>& reports, const std::string& pageTitle) {
  std::string out;
  out += "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"
         "<meta charset=\"windows-1252\">\r\n"
         "<title>" + HtmlText(pageTitle) + "</title>\r\n"
         "<style>\r\n"
         "body { font-family: sans-serif; margin: 1em 2em; }\r\n"
         "table { border-collapse: collapse; margin-bottom: 1em; }\r\n"
         "th, td { text-align: left; padding: 0.2em 0.8em; border-bottom: 1px solid #ccc; }\r\n"
         "th { background: #eee; }\r\n"
         "</style>\r\n</head>\r\n<body>\r\n";
  for (const CRecordReport& report : reports) {
    out += "<h1>" + HtmlText(report.title) + "</h1>\r\n";
    for (const std::string& note : report.notes) out += "<p>" + HtmlText(note) + "</p>\r\n";
    for (const CRecordTable& table : report.tables) {
      out += "<h2>" + HtmlText(table.title) + "</h2>\r\n";
      if (table.rows.empty()) {
        out += std::string("<p>") + kNone + "</p>\r\n";
        continue;
      }
      out += "<table>\r\n<tr>";
      for (const std::string& column : table.columns) out += "<th>" + HtmlText(column) + "</th>";
      out += "</tr>\r\n";
      for (const auto& cells : table.rows) {
        out += "<tr>";
        for (const std::string& cell : cells) out += "<td>" + HtmlText(cell) + "</td>";
        out += "</tr>\r\n";
      }
      out += "</table>\r\n";
    }
  }
  out += "</body>\r\n</html>\r\n";
  return out;
}

std::string WriteRecord(const std::vector<CRecordReport>& reports, RecordFormat format,
                        const std::string& pageTitle) {
  switch (format) {
    case RecordFormat::Csv: return RecordCsv(reports);
    case RecordFormat::Html: return RecordHtml(reports, pageTitle);
    case RecordFormat::Text: break;
  }
  return RecordText(reports);
}

}  // namespace tv

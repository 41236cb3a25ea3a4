// The export formats and their registry.
#include "output/export_formats.h"

#include <functional>
#include <memory>

#include "core/escaping.h"
#include "core/services.h"
#include "output/csv_tables.h"
#include "output/html_styles.h"
#include "output/marwick_export.h"
#include "output/geojson_export.h"
#include "output/performances_xml.h"
#include "output/sgml_writer.h"
#include "output/text_styles.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv {
namespace {

using PealText = std::function<std::string(const CPeal&, CExportOptions&)>;

// A text per peal, each followed by CR LF.
class CPealTextFormat : public CExportFormat {
 public:
  CPealTextFormat(int index, std::string name, std::string group, std::string caption,
                  std::string extension, PealText text)
      : CExportFormat(index, std::move(name), std::move(group), std::move(caption),
                      std::move(extension)),
        m_text(std::move(text)) {}

  Status Write(std::span<const CPeal* const> peals, CExportOptions& options,
               std::string& out) const override {
    for (const CPeal* peal : peals) out += m_text(*peal, options) + "\r\n";
    return Status::Ok();
  }

 private:
  PealText m_text;
};

// A header line, then each peal's rows as they come.
class CTableFormat : public CExportFormat {
 public:
  CTableFormat(int index, std::string name, std::string caption, std::string (*header)(),
               std::string (*rows)(const CPeal&))
      : CExportFormat(index, std::move(name), "Tables", std::move(caption), "csv"),
        m_header(header),
        m_rows(rows) {}

  Status Write(std::span<const CPeal* const> peals, CExportOptions&,
               std::string& out) const override {
    out += m_header();
    for (const CPeal* peal : peals) out += m_rows(*peal);
    return Status::Ok();
  }

 private:
  std::string (*m_header)();
  std::string (*m_rows)(const CPeal&);
};

class CMarwickFormat : public CExportFormat {
 public:
  CMarwickFormat() : CExportFormat(4, "marwick", "Text", "Marwick", "") {}
  ExportOutput OutputFiles() const override { return ExportOutput::TowerFolders; }

  Status Write(std::span<const CPeal* const> peals, CExportOptions&, std::string&) const override {
    const CMarwickResult result = ExportMarwick(peals, Files().CurrentDirectory());
    // Peals without a tower have no file to go to; they are counted, and said so, but do not
    // make the export fail.
    std::string withoutTower;
    if (result.pealsWithoutTower > 0) {
      withoutTower = std::to_string(result.pealsWithoutTower) +
                     (result.pealsWithoutTower == 1 ? " peal has" : " peals have") +
                     " no tower and " + (result.pealsWithoutTower == 1 ? "was" : "were") +
                     " not exported.";
    }
    if (result.failedFiles.empty()) return {StatusCode::Ok, withoutTower};
    std::string message = std::to_string(result.pealsSkipped) +
                          " peals were not exported: could not write " + result.failedFiles[0];
    if (result.failedFiles.size() > 1) {
      message += " and " + std::to_string(result.failedFiles.size() - 1) + " other tower files";
    }
    if (!withoutTower.empty()) message += ". " + withoutTower;
    return {StatusCode::IoError, message};
  }
};

// The ringer equivalences of the person index instead of peals; it keeps no extension of its
// own (the Export command offers that of the previous export).
class CEquivalenceFormat : public CExportFormat {
 public:
  CEquivalenceFormat() : CExportFormat(15, "csv-equiv", "Tables", "Equiv", "") {}

  Status Write(std::span<const CPeal* const>, CExportOptions&, std::string& out) const override {
    PersonIndex().equivalences.WriteEquivalenceLines(out, FullNameOf);
    return Status::Ok();
  }
};

std::vector<std::unique_ptr<CExportFormat>> MakeFormats() {
  std::vector<std::unique_ptr<CExportFormat>> formats;
  auto text = [&formats](int index, const char* name, const char* group, const char* caption,
                         const char* extension, PealText style) {
    formats.push_back(
        std::make_unique<CPealTextFormat>(index, name, group, caption, extension, std::move(style)));
  };
  auto plain = [](std::string (*style)(const CPeal&)) {
    return [style](const CPeal& peal, CExportOptions&) { return style(peal); };
  };
  text(0, "line", "Text", "Line", "prn", LineText);
  text(1, "rw", "Text", "Ringing World", "prn", RwText);
  text(2, "rwq", "Text", "Quarter Peal", "prn", plain(RwqText));
  text(3, "ascy", "Text", "ASCY", "prn", plain(AscyText));
  formats.push_back(std::make_unique<CMarwickFormat>());
  text(5, "html-rw", "HTML", "Ringing World", "htm", HtmlRw);
  // The one-line style as a web page: its texts come from records, so they are escaped.
  text(6, "html-line", "HTML", "Line", "htm",
       [](const CPeal& peal, CExportOptions& options) {
         return HtmlText(LineTextNoRef(peal, options));
       });
  text(7, "html-ascy", "HTML", "ASCY", "htm", plain(HtmlAscy));
  text(8, "sgml-short", "SGML", "Short", "sgm", plain(SgmlShort));
  text(9, "sgml-full", "SGML", "Full", "sgm", plain(SgmlFull));
  text(10, "sgml-keys", "SGML", "Keys", "sgm", plain(SgmlKeys));
  formats.push_back(
      std::make_unique<CTableFormat>(11, "csv-full", "Full", TableFullHeader, TableFull));
  formats.push_back(
      std::make_unique<CTableFormat>(12, "csv-peals", "Peals", TablePealsHeader, TablePeals));
  formats.push_back(
      std::make_unique<CTableFormat>(13, "csv-ringer", "Ringer", TableRingerHeader, TableRinger));
  formats.push_back(
      std::make_unique<CTableFormat>(14, "csv-extras", "Extras", TableExtrasHeader, TableExtras));
  formats.push_back(std::make_unique<CEquivalenceFormat>());
  formats.push_back(MakePerformancesXmlFormat());
  formats.push_back(MakeGeoJsonFormat());
  // Formats offered only by the command line follow here, with dialog index -1.
  return formats;
}

}  // namespace

CExportFormat::CExportFormat(int dialogIndex, std::string shortName, std::string group,
                             std::string caption, std::string extension)
    : m_dialogIndex(dialogIndex),
      m_shortName(std::move(shortName)),
      m_group(std::move(group)),
      m_caption(std::move(caption)),
      m_extension(std::move(extension)) {}

const std::vector<const CExportFormat*>& ExportFormats() {
  static const std::vector<std::unique_ptr<CExportFormat>> owned = MakeFormats();
  static const std::vector<const CExportFormat*> formats = [] {
    std::vector<const CExportFormat*> list;
    for (const auto& format : owned) list.push_back(format.get());
    return list;
  }();
  return formats;
}

const CExportFormat* FindExportFormat(std::string_view shortName) {
  for (const CExportFormat* format : ExportFormats()) {
    if (format->ShortName() == shortName) return format;
  }
  return nullptr;
}

const CExportFormat* ExportFormatAt(int dialogIndex) {
  if (dialogIndex < 0) return nullptr;
  for (const CExportFormat* format : ExportFormats()) {
    if (format->DialogIndex() == dialogIndex) return format;
  }
  return nullptr;
}

std::string ExportFormatNames() {
  std::string names;
  for (const CExportFormat* format : ExportFormats()) {
    names += (names.empty() ? "" : " ") + format->ShortName();
  }
  return names;
}

std::vector<const CPeal*> BufferPeals(const CPealLedger& ledger, int buffer) {
  std::vector<const CPeal*> peals;
  for (const uint32_t number : ledger.PealsOf(buffer)) {
    if (const CPeal* peal = ledger.PealAt(number)) peals.push_back(peal);
  }
  return peals;
}

Status ExportToText(const CExportFormat& format, std::span<const CPeal* const> peals,
                    CExportOptions& options, std::string& out) {
  options.counter = 0;
  return format.Write(peals, options, out);
}

Status ExportToFile(const CExportFormat& format, std::span<const CPeal* const> peals,
                    CExportOptions& options, const std::string& path) {
  std::string bytes;
  const Status status = ExportToText(format, peals, options, bytes);
  if (format.OutputFiles() == ExportOutput::TowerFolders) return status;
  if (!Files().WriteAllSafely(path, bytes)) {
    return {StatusCode::IoError, "Failed to save document: " + path + " could not be written."};
  }
  return status;
}

}  // namespace tv

// The Records dialog, the per-year counts of the chart, and the Records window's commands.
#include "app/records_doc.h"

#include <cctype>

#include "core/dates.h"
#include "core/display_lines.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/peal_ledger.h"
#include "records/record_layout.h"
#include "records/record_map.h"
#include "records/ringer_record.h"
#include "records/selection_milestones.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv {

CRecordsDlg::CRecordsDlg() : DialogModel("Records") {
  AddRadio("ringer", "A ringer's record", "Record of", true);
  AddRadio("ledger", "Milestones reached in the current buffer (the whole ledger counting)",
           "Record of", false);
  AddText("name", "Ringer (name or initials)", "");
  AddCheck("all", "Count withdrawn and false performances too", false);
}

std::optional<std::string> CRecordsDlg::OnOk() {
  // An empty text would open no chooser, and the user would be left with nothing.
  if (!WholeLedger() && Trimmed(Text("name")).empty()) {
    SetRefused("name");
    return "Please type the ringer's name or initials.";
  }
  return std::nullopt;
}

CRecordsExportDlg::CRecordsExportDlg() : DialogModel("Export Records") {
  AddRadio("text", "Text", "Format", true);
  AddRadio("csv", "CSV (a row for every line of every table)", "Format", false);
  AddRadio("html", "HTML (one page)", "Format", false);
  AddRadio("geojson", "GeoJSON map of the towers", "Format", false);
}

RecordsExportForm CRecordsExportDlg::Form() const {
  const std::string chosen = CheckedRadio("Format");
  if (chosen == "csv") return RecordsExportForm::Csv;
  if (chosen == "html") return RecordsExportForm::Html;
  if (chosen == "geojson") return RecordsExportForm::GeoJson;
  return RecordsExportForm::Text;
}

std::vector<CYearCount> PerformancesPerYear(const std::vector<CPerformance>& performances,
                                            CRecordFacts& facts, uint32_t person,
                                            uint32_t* undated) {
  std::vector<CYearCount> years;
  uint32_t withoutDate = 0;
  CPerformanceView view;
  const uint32_t counted = facts.PersonCounted(person);
  for (const CPerformance& performance : performances) {
    if (!performance.selected) continue;
    if (person != 0) {
      view.Read(*performance.peal, facts);
      if (!view.Involves(counted)) continue;
    }
    if (performance.peal->date == 0) {
      ++withoutDate;
      continue;
    }
    const int year = SplitDate(performance.peal->date).year;
    // The performances come in date order, so a new year is always at the end.
    if (years.empty() || years.back().year != year) {
      const int from = years.empty() ? year : years.back().year + 1;
      for (int y = from; y <= year; ++y) years.push_back({.year = y});
    }
    ++years.back().performances;
  }
  if (undated) *undated = withoutDate;
  return years;
}

bool CRecordsDoc::Start(const CPealLedger& ledger, const std::string& path) {
  CRecordsDlg dialog;
  if (!ThePlatform().RunDialog(dialog)) return false;
  m_all = dialog.Checked("all");
  m_kind = KindOfLedger(path);
  if (dialog.WholeLedger()) {
    Show(ledger, m_kind, 0, m_all);
    return true;
  }
  m_ledger = &ledger;
  ThePlatform().StartChooser({.target = this, .index = &PersonIndex(),
                              .text = Trimmed(dialog.Text("name")), .title = "Ringer"});
  return true;
}

void CRecordsDoc::OnChosen(int32_t key) {
  const CPealLedger* ledger = m_ledger;
  m_ledger = nullptr;
  if (key <= 0 || !ledger) return;
  Show(*ledger, m_kind, static_cast<uint32_t>(key), m_all);
}

void CRecordsDoc::Show(const CPealLedger& ledger, PerformanceKind kind, uint32_t person, bool all) {
  CWait wait;
  m_all = all;
  const std::vector<CPerformance> performances = GatherPerformances({&ledger}, all);
  CRecordFacts facts(PersonIndex().equivalences);
  const CRecordContext counting{.kind = kind, .all = all};
  m_reports.clear();
  m_mapTowers.clear();
  const std::string kindName(KindNoun(kind, false));
  if (person == 0) {
    m_reports.push_back(MilestonesReport(ComputeSelectionMilestones(performances, facts),
                                         performances, counting));
    m_mapTowers = MapTowersOfSelection(performances, kindName);
    m_title = "Milestones reached";
    m_chartTitle = std::string(KindNoun(kind, true)) + " of the current buffer per year";
  } else {
    const CRingerRecord record = ComputeRingerRecord(performances, facts, person);
    m_reports.push_back(RingerReport(record, performances, counting));
    m_mapTowers = MapTowersOfRecord(record, kindName);
    m_title = PersonName(facts.PersonCounted(person));
    m_chartTitle = m_title + "'s " + std::string(KindNoun(kind, true)) + " per year";
  }
  m_chartTitle[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(m_chartTitle[0])));
  m_years = PerformancesPerYear(performances, facts, person, &m_undated);
  m_text = RecordText(m_reports);
  m_lines.clear();
  for (size_t from = 0; from < m_text.size();) {
    size_t end = m_text.find("\r\n", from);
    if (end == std::string::npos) end = m_text.size();
    std::string line = m_text.substr(from, end - from);
    // A backslash begins a colour prefix in a display line: a name that begins with one is
    // shown as it is.
    if (!line.empty() && line.front() == '\\') line.insert(0, "\\ ");
    m_lines.push_back(std::move(line));
    from = end + 2;
  }
  if (listener) listener->RecordShown("Records - " + m_title);
}

void CRecordsDoc::Export() {
  if (!HasRecord()) return;
  CRecordsExportDlg dialog;
  if (!ThePlatform().RunDialog(dialog)) return;
  const RecordsExportForm form = dialog.Form();
  const char* extension = "txt";
  const char* filter = "Text (*.txt)|*.txt|All Files (*.*)|*.*||";
  switch (form) {
    case RecordsExportForm::Csv:
      extension = "csv";
      filter = "CSV (*.csv)|*.csv|All Files (*.*)|*.*||";
      break;
    case RecordsExportForm::Html:
      extension = "html";
      filter = "HTML (*.html)|*.html|All Files (*.*)|*.*||";
      break;
    case RecordsExportForm::GeoJson:
      extension = "geojson";
      filter = "GeoJSON (*.geojson)|*.geojson|All Files (*.*)|*.*||";
      break;
    case RecordsExportForm::Text: break;
  }
  const std::optional<std::string> path = ThePlatform().PromptSaveFile(
      {.title = "Export Records", .defaultName = m_title + "." + extension,
       .defaultExtension = extension, .filter = filter, .overwritePrompt = true});
  if (!path) return;
  CWait wait;
  if (form == RecordsExportForm::GeoJson) {
    CGridConverter converter;
    const CGeoJsonMap map = WriteGeoJsonMap(m_mapTowers, converter);
    if (!Files().WriteAllSafely(*path, map.json)) {
      ThePlatform().Message("Could not write " + *path + "; the map was not exported.");
      return;
    }
    // The map lists them too, but the user should not have to look there to learn of them.
    if (!map.skipped.empty()) {
      std::string text;
      for (const CMapSkip& skip : map.skipped) text += SkippedTowerText(skip) + "\r\n";
      ThePlatform().ShowText("Towers left off the map", text);
    }
    return;
  }
  const RecordFormat format = form == RecordsExportForm::Csv    ? RecordFormat::Csv
                              : form == RecordsExportForm::Html ? RecordFormat::Html
                                                                : RecordFormat::Text;
  if (!Files().WriteAllSafely(*path, WriteRecord(m_reports, format, m_title))) {
    ThePlatform().Message("Could not write " + *path + "; the record was not exported.");
  }
}

void CRecordsDoc::Clip() {
  if (HasRecord()) CopyTextToClipboard(m_text);
}

void CRecordsDoc::SaveChart() {
  if (!HasRecord() || !window) return;
  const std::optional<std::string> path = ThePlatform().PromptSaveFile(
      {.title = "Save Chart", .defaultName = m_title + ".png", .defaultExtension = "png",
       .filter = "PNG Images (*.png)|*.png|All Files (*.*)|*.*||", .overwritePrompt = true});
  if (!path) return;
  CWait wait;
  if (!window->SaveImage(*path)) {
    ThePlatform().Message("Could not write " + *path + "; the chart was not saved.");
  }
}

}  // namespace tv

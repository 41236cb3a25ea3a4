// The Records window's document (CRecordsDoc): the Records dialog, a ringer chosen in the person
// chooser or the whole ledger's milestones of the current buffer, the record's text and its
// performances per year for the chart, and the window's Export, Clip and Save Chart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/doc_window.h"
#include "core/dialog_model.h"
#include "core/platform.h"
#include "geo/geojson_map.h"
#include "records/record_counter.h"
#include "records/record_report.h"
#include "records/record_rules.h"

namespace tv {

class CPealLedger;

// "Records": whose record (a ringer, typed as the chooser takes it, or the whole ledger's
// milestones reached in the current buffer) and whether withdrawn and false performances count.
class CRecordsDlg : public DialogModel {
 public:
  CRecordsDlg();
  bool WholeLedger() const { return CheckedRadio("Record of") == "ledger"; }

 protected:
  std::optional<std::string> OnOk() override;
};

// What Export writes: the record in one of its three forms, or the map of its towers.
enum class RecordsExportForm { Text, Csv, Html, GeoJson };

// "Export Records": the written form, then the file.
class CRecordsExportDlg : public DialogModel {
 public:
  CRecordsExportDlg();
  RecordsExportForm Form() const;
};

struct CYearCount {
  int year = 0;
  uint32_t performances = 0;
  bool operator==(const CYearCount&) const = default;
};

// The selected performances per year that `person` (a person counted, after the equivalences)
// rang or conducted, or with `person` 0 every selected performance: one entry for each year
// from the first to the last, a year without any counting 0. Undated performances have no year:
// they are left out and counted in `undated`.
std::vector<CYearCount> PerformancesPerYear(const std::vector<CPerformance>& performances,
                                            CRecordFacts& facts, uint32_t person,
                                            uint32_t* undated = nullptr);

// What the Records document tells the application.
class CRecordsListener {
 public:
  virtual ~CRecordsListener() = default;
  // A new record is ready: its window takes `title`, comes to the top and redraws.
  virtual void RecordShown(const std::string& title) = 0;
};

class CRecordsDoc : public ChoiceTarget {
 public:
  // Analyse > Records: runs the dialog over the ledger, whose file is `path` (empty for a new
  // ledger; a quarter-peal file's performances are quarter peals); for a ringer the person
  // chooser opens on the typed text and the record follows the choice, for the whole ledger it
  // follows at once. The ledger must outlive a pending choice. False on Cancel.
  bool Start(const CPealLedger& ledger, const std::string& path);
  // The chooser's answer: the chosen ringer's record; a cancel leaves the shown record.
  void OnChosen(int32_t key) override;

  // Counts the record of `person` (a person key) over the ledger's current buffer, or with
  // `person` 0 the milestones reached in the current buffer, every earlier performance of the
  // ledger counting; replaces the shown record and tells the listener. The index set must be
  // open.
  void Show(const CPealLedger& ledger, PerformanceKind kind, uint32_t person, bool all);

  bool HasRecord() const { return !m_reports.empty(); }
  const std::string& Title() const { return m_title; }
  // The record as text, as tolvane-cli records writes it (lines ending in CR LF).
  const std::string& Text() const { return m_text; }
  // The text's lines as display lines, for the window.
  const std::vector<std::string>& Lines() const { return m_lines; }
  const std::vector<CYearCount>& Years() const { return m_years; }
  // The towers of the map: the ringer's towers with their circled state, or the towers of the
  // current buffer's tower performances.
  const std::vector<CMapTower>& MapTowers() const { return m_mapTowers; }
  uint32_t Undated() const { return m_undated; }
  // The chart's title: whose performances it counts.
  const std::string& ChartTitle() const { return m_chartTitle; }

  // Asks for the form (text, CSV, HTML, or the GeoJSON map of the record's towers) and a file,
  // and writes it there; a file that cannot be written is reported, and so are the towers the
  // map leaves off for want of a position.
  void Export();
  // Puts the record's text on the clipboard.
  void Clip();
  // Asks for a PNG file and has the window save the chart in it; a failure is reported.
  void SaveChart();

  CDocWindow* window = nullptr;          // the Records window; not owned
  CRecordsListener* listener = nullptr;  // not owned

 private:
  const CPealLedger* m_ledger = nullptr;  // the ledger a pending choice counts; not owned
  PerformanceKind m_kind = PerformanceKind::Peal;
  bool m_all = false;
  std::vector<CRecordReport> m_reports;
  std::string m_title;
  std::string m_text;
  std::vector<std::string> m_lines;
  std::vector<CYearCount> m_years;
  uint32_t m_undated = 0;
  std::vector<CMapTower> m_mapTowers;  // the record's towers, for the map
  std::string m_chartTitle;
};

}  // namespace tv

// The export options that every printed layout reads, with the defaults of their three owners.
#pragma once

#include <cstdint>

namespace tv {

// The formats of the "Export Format" dialog, by the position of their radio button.
enum class ExportFormatId : int {
  Line = 0,
  RingingWorld = 1,
  QuarterPeal = 2,
  Ascy = 3,
  Marwick = 4,
  HtmlRw = 5,
  HtmlLine = 6,
  HtmlAscy = 7,
  SgmlShort = 8,
  SgmlFull = 9,
  SgmlKeys = 10,
  CsvFull = 11,
  CsvPeals = 12,
  CsvRinger = 13,
  CsvExtras = 14,
  CsvEquiv = 15,
  PerformancesXml = 16,
};
inline constexpr int kDialogFormatCount = 17;

struct CExportOptions {
  bool includeAssociation = true;
  bool includeNumber = true;
  // Print a running count instead of the peal's number; wins over includeNumber.
  bool renumber = false;
  bool includeRwRef = true;
  bool includeTower = true;
  // Separate the fields of a list line by TAB instead of a blank.
  bool useTabs = false;
  int format = static_cast<int>(ExportFormatId::RingingWorld);
  // The running count: each style that prints it adds 1 first. An export run starts it at 0;
  // views that share the options keep counting.
  uint32_t counter = 0;
};

// The peal-ledger document's record, read by its Export command.
inline CExportOptions DocumentExportOptions() { return {}; }
// The peal list's record: its lines and the clipboard.
inline CExportOptions PealListExportOptions() {
  return {.includeRwRef = false, .format = static_cast<int>(ExportFormatId::Line)};
}
// The current-peal window's record.
inline CExportOptions PealViewExportOptions() {
  return {.includeNumber = false, .includeRwRef = false};
}

}  // namespace tv

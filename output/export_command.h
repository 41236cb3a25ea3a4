// The peal ledger's Export command: the "Export Format" dialog and the run that writes every
// peal of the current buffer in the chosen format.
#pragma once

#include <string>
#include <string_view>

#include "core/dialog_model.h"
#include "core/status.h"
#include "output/export_options.h"
#include "peals/tolvane_doc.h"

namespace tv {

// The "Export Format" dialog: seventeen format buttons in the group boxes "Text", "HTML", "SGML",
// "Tables" and "XML" (one choice across all five), and the "Include" check boxes.
class CExportDlg : public DialogModel {
 public:
  explicit CExportDlg(const CExportOptions& options);
  // The chosen format's dialog position; -1 when none is checked.
  int Format() const;
  // Stores every setting (format and the six boxes); the running count is left alone.
  void Store(CExportOptions& options) const;
  // Checking a format button clears the buttons of the other boxes.
  void OnChanged(std::string_view id) override;

  static std::string FormatId(int format) { return "format" + std::to_string(format); }
};

// What a ledger document keeps between exports.
struct CExportState {
  CExportOptions options = DocumentExportOptions();
  // The extension of the document's previous export: the equivalence table, which has none of
  // its own, takes it. Empty before the first.
  std::string lastExtension;
};

// The name the save prompt offers: the ledger's file name up to its first ".", or "export" for
// a ledger without a file, then "." and the extension.
std::string DefaultExportName(std::string_view ledgerPath, std::string_view extension);
// The save prompt's filter for an extension: ‘(*.csv)|*.csv|(*.*)|*.*||’.
std::string ExportFilter(std::string_view extension);

// Runs the Export command on the document's current buffer: the dialog, then either the
// Marwick tower files or a save prompt and the file. Cancel anywhere gives Usage and changes
// nothing. A failure is shown in the "Unexpected Error!" dialog and returned; an existing
// file is then left as it was.
Status ExportPeals(CTolvaneDoc& doc, CExportState& state);

}  // namespace tv

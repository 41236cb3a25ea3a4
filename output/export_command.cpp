// The Export command of the peal ledger.
#include "output/export_command.h"

#include "core/platform.h"
#include "core/services.h"
#include "core/text.h"
#include "output/export_formats.h"

namespace tv {
namespace {

constexpr const char* kIncludeGroup = "Include";

struct IncludeBox {
  const char* id;
  const char* caption;
  bool CExportOptions::*field;
};
constexpr IncludeBox kIncludeBoxes[] = {
    {"association", "Association", &CExportOptions::includeAssociation},
    {"tower", "Tower", &CExportOptions::includeTower},
    {"rwRef", "RW Ref", &CExportOptions::includeRwRef},
    {"number", "Number", &CExportOptions::includeNumber},
    {"renumber", "Renumber", &CExportOptions::renumber},
    {"tabs", "Tabs", &CExportOptions::useTabs},
};

}  // namespace

CExportDlg::CExportDlg(const CExportOptions& options) : DialogModel("Export Format") {
  for (const CExportFormat* format : ExportFormats()) {
    const int index = format->DialogIndex();
    if (index < 0) continue;
    AddRadio(FormatId(index), format->Caption(), format->Group(), index == options.format);
  }
  for (const IncludeBox& box : kIncludeBoxes) {
    AddCheck(box.id, box.caption, options.*box.field).group = kIncludeGroup;
  }
}

int CExportDlg::Format() const {
  for (int index = 0; index < kDialogFormatCount; ++index) {
    if (Checked(FormatId(index))) return index;
  }
  return -1;
}

void CExportDlg::Store(CExportOptions& options) const {
  options.format = Format();
  for (const IncludeBox& box : kIncludeBoxes) options.*box.field = Checked(box.id);
}

void CExportDlg::OnChanged(std::string_view id) {
  if (!Has(id) || Control(id).kind != ControlKind::Radio || !Control(id).checked) return;
  for (DialogControl& control : Controls()) {
    if (control.kind == ControlKind::Radio && control.id != id) control.checked = false;
  }
}

std::string DefaultExportName(std::string_view ledgerPath, std::string_view extension) {
  std::string name = ledgerPath.empty() ? std::string("export.") : PathFileName(ledgerPath);
  name.resize(std::min(name.find('.'), name.size()));
  return name + "." + std::string(extension);
}

std::string ExportFilter(std::string_view extension) {
  const std::string ext(extension);
  return "(*." + ext + ")|*." + ext + "|(*.*)|*.*||";
}

Status ExportPeals(CTolvaneDoc& doc, CExportState& state) {
  Platform& platform = ThePlatform();
  CExportDlg dialog(state.options);
  if (!platform.RunDialog(dialog)) return {StatusCode::Usage, "Export cancelled."};
  dialog.Store(state.options);
  const CExportFormat* format = ExportFormatAt(state.options.format);
  if (!format) return {StatusCode::Usage, "No export format chosen."};

  Status status;
  try {
    const std::vector<const CPeal*> peals = BufferPeals(doc, doc.currentBuffer);
    if (format->OutputFiles() == ExportOutput::TowerFolders) {
      CWait wait;
      std::string none;
      status = ExportToText(*format, peals, state.options, none);
    } else {
      std::string extension = format->Extension();
      if (extension.empty()) {
        extension = state.lastExtension;
      } else {
        state.lastExtension = extension;
      }
      const std::optional<std::string> path = platform.PromptSaveFile(
          {.title = "Export",
           .defaultName = DefaultExportName(doc.pathName, extension),
           .defaultExtension = extension,
           .filter = ExportFilter(extension),
           .overwritePrompt = true});
      if (!path) return {StatusCode::Usage, "Export cancelled."};
      CWait wait;
      status = ExportToFile(*format, peals, state.options, *path);
    }
  } catch (const std::exception& error) {
    status = {StatusCode::IoError, error.what()};
  }
  if (!status.ok()) {
    platform.ShowUnexpectedError(status.message());
  } else if (!status.message().empty()) {
    platform.Message(status.message());
  }
  return status;
}

}  // namespace tv

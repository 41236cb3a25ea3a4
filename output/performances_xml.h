// The performances export: peals as the central online performance database's XML (layout in
// peals/performance_format.h), ready to submit; importing the file gives the same peals back.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "core/status.h"
#include "output/export_formats.h"
#include "peals/tolvane_doc.h"

namespace tv {

// The registry's "performances-xml" format (command line only in the dialog's numbering).
std::unique_ptr<CExportFormat> MakePerformancesXmlFormat();

// The whole document for `peals`, in the order given: UTF-8, CR LF line ends. Reads the open
// index set.
std::string PerformancesXml(std::span<const CPeal* const> peals);

// Export > Performances (XML) without its prompt: the ledger's current buffer into `path`,
// through a temporary. IoError names the file when it cannot be written.
Status ExportPerformancesXml(const CPealLedger& ledger, const std::string& path);

// Export > Performances (XML): a save prompt ("LEDGER.xml"), then the export. A cancelled
// prompt gives Usage and writes nothing; a failure is shown in the "Unexpected Error!" dialog.
Status ExportPerformancesCommand(CTolvaneDoc& doc);

}  // namespace tv

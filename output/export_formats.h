// The registry of export formats: every layout that the Export command and `tolvane-cli export`
// write, in the order of the "Export Format" dialog, behind one interface.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "output/export_options.h"
#include "peals/peal_ledger.h"

namespace tv {

// Where a format's output goes.
enum class ExportOutput {
  OneFile,       // the bytes Write gives, into one file (or standard output)
  TowerFolders,  // files of its own under the current directory; Write gives no bytes
};

class CExportFormat {
 public:
  CExportFormat(int dialogIndex, std::string shortName, std::string group, std::string caption,
                std::string extension);
  virtual ~CExportFormat() = default;

  // The position of the format's radio button in the "Export Format" dialog; -1 for a format
  // offered only by the command line.
  int DialogIndex() const { return m_dialogIndex; }
  // The command line's name: "rw", "csv-full".
  const std::string& ShortName() const { return m_shortName; }
  // The dialog's group box and radio caption: "Tables", "Full".
  const std::string& Group() const { return m_group; }
  const std::string& Caption() const { return m_caption; }
  // The file extension without its dot; empty when the format has none of its own.
  const std::string& Extension() const { return m_extension; }
  virtual ExportOutput OutputFiles() const { return ExportOutput::OneFile; }

  // Appends the export of `peals`, in the order given, to `out`: a table's header line, then
  // each peal's text. Reads the open index set; steps `options.counter` where a layout
  // renumbers. A status other than Ok says what could not be written; what could be written is
  // in `out` (or in the tower files). An Ok status may carry a message the user should still
  // see (peals that had nowhere to go).
  virtual Status Write(std::span<const CPeal* const> peals, CExportOptions& options,
                       std::string& out) const = 0;

 private:
  int m_dialogIndex;
  std::string m_shortName;
  std::string m_group;
  std::string m_caption;
  std::string m_extension;
};

// Every format, the dialog's seventeen first, in their order.
const std::vector<const CExportFormat*>& ExportFormats();
// The format with that command-line name, or null.
const CExportFormat* FindExportFormat(std::string_view shortName);
// The format of a dialog position (0 to 16), or null.
const CExportFormat* ExportFormatAt(int dialogIndex);
// The command-line names, blank-separated, in registry order (for messages and help).
std::string ExportFormatNames();

// The peals of a buffer in ledger order.
std::vector<const CPeal*> BufferPeals(const CPealLedger& ledger, int buffer);

// One export run: the running count starts again at 0, then the format writes.
Status ExportToText(const CExportFormat& format, std::span<const CPeal* const> peals,
                    CExportOptions& options, std::string& out);
// One export run into `path`, through a temporary renamed into place once complete, so a
// failure leaves an existing file as it was. IoError names the file when it cannot be written.
Status ExportToFile(const CExportFormat& format, std::span<const CPeal* const> peals,
                    CExportOptions& options, const std::string& path);

}  // namespace tv

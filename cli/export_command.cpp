// tolvane-cli export LEDGER FORMAT: the Export command's bytes for every peal of a ledger, to a
// file or to standard output.
#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/cli.h"
#include "cli/selection_options.h"
#include "output/export_formats.h"
#include "peals/ledger_file.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv::cli {
namespace {

struct ExportArguments {
  std::string ledger;
  std::string format;
  std::string output;  // empty: standard output
  CExportOptions options = DocumentExportOptions();
  std::shared_ptr<SelectionOptions> selection;  // --select and its modifiers
};

void RunExport(CliContext& context, ExportArguments& arguments) {
  const CExportFormat* format = FindExportFormat(arguments.format);
  if (!format) {
    context.Fail(kExitUsage, "unknown export format '" + arguments.format +
                                 "'; the formats are: " + ExportFormatNames());
    return;
  }
  const bool towerFolders = format->OutputFiles() == ExportOutput::TowerFolders;
  if (towerFolders && !arguments.output.empty()) {
    context.Fail(kExitUsage, arguments.format +
                                 " writes its tower folders under the current directory; "
                                 "-o does not apply");
    return;
  }

  CPealLedger ledger;
  Status read;
  if (!LoadSelectedLedger(context, arguments.ledger, *arguments.selection, ledger, read)) return;

  const std::vector<const CPeal*> peals = BufferPeals(ledger, ledger.currentBuffer);
  Status written;
  if (arguments.output.empty()) {
    std::string bytes;
    written = ExportToText(*format, peals, arguments.options, bytes);
    context.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    context.out.flush();
  } else {
    written = ExportToFile(*format, peals, arguments.options, arguments.output);
  }
  // A ledger read only in part is exported as far as it was read, and said so.
  if (!read.ok()) context.Fail(kExitData, read.message());
  if (!written.ok()) {
    context.Fail(kExitData, written.message());
  } else if (!written.message().empty()) {
    context.err << written.message() << '\n';
  }
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto arguments = std::make_shared<ExportArguments>();
  CExportOptions& options = arguments->options;
  CLI::App* command = app.add_subcommand(
      "export", "Write every peal of a ledger in one of the Export command's formats");
  command->add_option("LEDGER", arguments->ledger, "The peal ledger file")->required();
  command->add_option("FORMAT", arguments->format, "One of: " + ExportFormatNames())->required();
  command->add_option("-o", arguments->output,
                      "The file to write (default: standard output; not for marwick)")
      ->type_name("FILE");
  command->add_flag("--association,!--no-association", options.includeAssociation,
                    "Print the association (default on)");
  command->add_flag("--tower,!--no-tower", options.includeTower, "Print the tower (default on)");
  command->add_flag("--rw-ref,!--no-rw-ref", options.includeRwRef,
                    "Print the Ringing World page (default on)");
  command->add_flag("--number,!--no-number", options.includeNumber,
                    "Print the peal's number (default on)");
  command->add_flag("--renumber", options.renumber, "Print a running count instead");
  command->add_flag("--tabs", options.useTabs, "Separate the fields of a line by TAB");
  arguments->selection = AddSelectionOptions(*command);
  command->footer("Writes exactly the bytes of the desktop program's Export command. marwick "
                  "writes its tower folders under the current directory: fN/KEY.mp1 by Steeplex key, "
                  "tN/KEY.mp1 by tower key for towers without one.");
  return CommandAction{command, [&context, arguments] { RunExport(context, *arguments); }};
});

}  // namespace
}  // namespace tv::cli

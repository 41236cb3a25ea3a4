// tolvane-cli steeplex import FILE | import-csv FILE | collate: the external tower data of the
// Steeplex menu.
#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/cli.h"
#include "core/services.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"
#include "refdb/tower_csv.h"

namespace tv::cli {
namespace {

struct SteeplexOptions {
  CLI::App* import = nullptr;
  CLI::App* importCsv = nullptr;
  CLI::App* collate = nullptr;
  std::string file;
  std::string csvFile;
};

void RunImport(CliContext& context, const std::string& path) {
  if (!Files().Exists(path)) {
    context.Fail(kExitData, path + " was not found.");
    return;
  }
  if (!context.TakeIndexDirectory()) return;
  OpenIndexSet(context.db);
  const SteeplexImportCounts counts = ImportSteeplexFiles(path);
  std::string text = "Records: " + std::to_string(counts.records) + "\n";
  for (int n = 0; n < kSteeplexStringCount; ++n) {
    text += std::string("sx") + kSteeplexStringLetters[n] + ": " +
            std::to_string(counts.strings[n]) + "\n";
  }
  context.out << text;
  SaveAllIndexes();
  CloseIndexSet();
}

// The public tower database's CSV: the summary on standard output, a damaged or unreadable
// file on standard error with exit status 1.
void RunImportCsv(CliContext& context, const std::string& path) {
  if (!context.TakeIndexDirectory()) return;
  OpenIndexSet(context.db);
  TowerCsvSummary summary;
  const Status status = ImportTowerCsv(path, summary);
  if (status.code() == StatusCode::NotFound || status.code() == StatusCode::BadData) {
    context.Fail(kExitData, status.message());
  } else {
    context.out << summary.Text();
    if (!status.ok()) context.Fail(kExitData, status.message());
    SaveAllIndexes();
  }
  CloseIndexSet();
}

// The desktop program asks for a tower for each of these in turn.
void RunCollate(CliContext& context) {
  OpenIndexSet(context.db);
  std::string text;
  for (const int32_t key : UntiedSteeplexRecords()) text += SteeplexIndex().NameOf(key, 0) + "\n";
  context.out << text;
  CloseIndexSet();
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto options = std::make_shared<SteeplexOptions>();
  CLI::App* command = app.add_subcommand("steeplex", "Import or collate the external tower data");
  command->require_subcommand(1);
  options->import =
      command->add_subcommand("import", "Import the data files: FILE and sx?.sxd beside it");
  options->import->add_option("FILE", options->file, "The main file (steeplex.sxd)")->required();
  options->importCsv = command->add_subcommand(
      "import-csv", "Fill the same indexes from the public tower database's CSV");
  options->importCsv->add_option("FILE", options->csvFile, "The tower database CSV")->required();
  options->collate = command->add_subcommand(
      "collate", "List the records not yet tied to a tower, in the order a collation asks");
  return CommandAction{command, [&context, options] {
                         if (options->import->parsed()) RunImport(context, options->file);
                         if (options->importCsv->parsed()) {
                           RunImportCsv(context, options->csvFile);
                         }
                         if (options->collate->parsed()) RunCollate(context);
                       }};
});

}  // namespace
}  // namespace tv::cli

// tolvane-cli import LEDGER KIND FILE: runs an import's read loop on FILE into LEDGER, then saves
// the ledger and every index as the desktop program's Save does.
#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/cli.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/ledger_file.h"
#include "import/peal_import.h"
#include "peals/tolvane_doc.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv::cli {
namespace {

struct ImportOptions {
  std::string ledger;
  std::string kind;
  std::string file;
};

std::string KindNames() {
  std::string names;
  for (const ImportFormat& format : ImportFormats()) {
    names += std::string(names.empty() ? "" : " ") + std::string(format.shortName);
  }
  return names;
}

void RunImport(CliContext& context, const ImportOptions& options) {
  const ImportFormat* format = FindImportFormat(options.kind);
  if (!format) {
    context.Fail(kExitUsage, "unknown import kind '" + options.kind + "'; use " + KindNames());
    return;
  }
  if (!Files().Exists(options.file)) {
    context.Fail(kExitData, options.file + " was not found.");
    return;
  }
  // Files that cannot be read or written are found before the index set opens (which creates
  // the index files it misses) and before the import writes its log.
  if (Files().IsDirectory(options.file)) {
    context.Fail(kExitData, options.file + " is a folder, not a file.");
    return;
  }
  if (const Status refused = DatabaseFileRefusal(options.ledger); !refused.ok()) {
    context.Fail(kExitData, refused.message());
    return;
  }
  const std::string ledgerFolder = PathDirectory(options.ledger);
  if (Files().IsDirectory(options.ledger)) {
    context.Fail(kExitData, options.ledger + " is a folder, not a ledger file.");
    return;
  }
  if (!ledgerFolder.empty() && !Files().IsDirectory(ledgerFolder)) {
    context.Fail(kExitData, "the folder of " + options.ledger + " does not exist.");
    return;
  }
  for (const std::string& path : {options.file, options.ledger}) {
    FileErrorCause why = FileErrorCause::None;
    if (Files().Exists(path) && !Files().Open(path, OpenMode::Read, &why)) {
      context.Fail(kExitData, FileErrorText(why, path, false));
      return;
    }
  }
  // Even a check opens the indexes as a writer: the ledger document saves them when it closes.
  if (!context.TakeIndexDirectory()) return;
  OpenIndexSet(context.db);
  {
    CTolvaneDoc doc;
    if (Files().Exists(options.ledger)) {
      const Status loaded = doc.Load(options.ledger);
      // A ledger read only in part is not saved over: the peals after the damage would be lost.
      if (!loaded.ok()) {
        context.Fail(kExitData, loaded.message());
        CloseIndexSet();
        return;
      }
    }
    // Saving writes the ledger's equivalences too: they are read first so that they are kept.
    PersonIndex().equivalences.LoadEquivalences(options.ledger);
    ImportCounts counts;
    const Status imported = ImportPealFile(doc, *format, options.file, &counts);
    if (imported.code() == StatusCode::NotFound || imported.code() == StatusCode::BadData) {
      // Nothing was read: the ledger is left as it was.
      context.Fail(kExitData, imported.message());
    } else if (format->kind == ImportKind::CheckSgml) {
      context.out << "Checked " << options.file << "; see " << kImportLogName << "\n";
    } else {
      if (!imported.ok()) context.Fail(kExitData, imported.message());
      const Status saved = doc.SaveDocument(options.ledger);
      if (!saved.ok()) context.Fail(kExitData, saved.message());
      context.out << "Added " << counts.appended << ", replaced " << counts.replaced << "\n";
      if (counts.text.Changed()) {
        context.out << "Characters not in the code page: " << counts.text.transliterated
                    << " written as near letters, " << counts.text.replaced << " as \"?\", "
                    << counts.text.invalid << " bytes not UTF-8\n";
      }
    }
  }
  CloseIndexSet();
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto options = std::make_shared<ImportOptions>();
  CLI::App* command = app.add_subcommand(
      "import", "Import peals from another system's file into a ledger (check-sgml only logs)");
  command->add_option("LEDGER", options->ledger, "The peal ledger (made when it does not exist)")
      ->required();
  command
      ->add_option("KIND", options->kind, "old-sgml | new-sgml | marwick | logwright | check-sgml | performances")
      ->required();
  command->add_option("FILE", options->file, "The file to import")->required();
  return CommandAction{command, [&context, options] { RunImport(context, *options); }};
});

}  // namespace
}  // namespace tv::cli

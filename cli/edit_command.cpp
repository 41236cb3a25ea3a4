// tolvane-cli edit LEDGER KIND FROM TO: Global Edit from the command line. Every reference of the
// ledger's peals to the FROM entry becomes one to TO, and the ledger and the indexes are saved.
#include <CLI/CLI.hpp>

#include <array>
#include <ostream>

#include "cli/cli.h"
#include "cli/selection_options.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/entry_resolution.h"
#include "peals/global_edit.h"
#include "peals/ledger_file.h"
#include "peals/tolvane_doc.h"
#include "refdb/assoc.h"
#include "refdb/index.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv::cli {
namespace {

struct EditArguments {
  std::string ledger;
  std::string kind;
  std::string from;
  std::string to;
  bool nearest = false;
};

struct EditKind {
  const char* word;
  GlobalItem item;
};
constexpr std::array<EditKind, 4> kKinds = {{{"association", GlobalItem::Association},
                                             {"tower", GlobalItem::Tower},
                                             {"method", GlobalItem::Method},
                                             {"person", GlobalItem::Person}}};

// The refusal of a KIND that Global Edit does not replace, with a pointer to the kind meant
// where one is plain.
std::string KindRefusal(const std::string& kind) {
  std::string message =
      "edit replaces an association, tower, method or person, not '" + kind + "'";
  if (kind == "ringer" || kind == "conductor" || kind == "composer") {
    message += "; a " + kind + " is a person: use person";
  } else if (kind == "county") {
    message += "; a county belongs to the tower, not to the peal: edit the tower's entry";
  }
  return message;
}

// Why the ledger cannot be edited where it stands, or empty when it can be.
std::string LedgerRefusal(const std::string& path) {
  if (!Files().Exists(path)) return path + " was not found.";
  if (Files().IsDirectory(path)) return path + " is a folder, not a ledger file.";
  FileErrorCause why = FileErrorCause::None;
  if (!Files().Open(path, OpenMode::Read, &why)) return FileErrorText(why, path, false);
  return {};
}

void RunEdit(CliContext& context, const EditArguments& arguments) {
  GlobalItem item = GlobalItem::None;
  for (const EditKind& kind : kKinds) {
    if (arguments.kind == kind.word) item = kind.item;
  }
  if (item == GlobalItem::None) {
    context.Fail(kExitUsage, KindRefusal(arguments.kind));
    return;
  }
  // Checked before the index set opens, which creates the index files it misses.
  if (const std::string refusal = LedgerRefusal(arguments.ledger); !refusal.empty()) {
    context.Fail(kExitData, refusal);
    return;
  }
  if (!context.TakeIndexDirectory()) return;
  OpenIndexSet(context.db);
  const auto finish = [] { CloseIndexSet(); };
  CTolvaneDoc doc;
  const Status loaded = doc.Load(arguments.ledger);
  // A ledger read only in part is not saved over: the peals after the damage would be lost.
  if (!loaded.ok()) {
    context.Fail(kExitData, loaded.message() + " The ledger was not changed.");
    return finish();
  }
  // Saving writes the ledger's equivalences too: they are read first so that they are kept.
  PersonIndex().equivalences.LoadEquivalences(arguments.ledger);
  doc.pathName = arguments.ledger;

  CIndex& index = *GlobalItemIndex(item);
  const int32_t fromKey = ResolveIndexText(context, "from", index, arguments.from, arguments.nearest);
  if (fromKey == 0) return finish();
  const int32_t toKey = ResolveIndexText(context, "to", index, arguments.to, arguments.nearest);
  if (toKey == 0) return finish();
  const std::string fromLine = EntryLine(index, fromKey);
  const std::string toLine = EntryLine(index, toKey);
  if (fromKey == toKey) {
    context.Fail(kExitUsage, "FROM and TO both name " + fromLine + "; nothing to replace");
    return finish();
  }
  // A peal holds its association in one byte: a larger key cannot be stored there, and compared
  // as a byte it would stand for another association.
  if (item == GlobalItem::Association && (fromKey > kMaxByteKey || toKey > kMaxByteKey)) {
    context.Fail(kExitData, "peals hold association keys only up to " +
                                std::to_string(kMaxByteKey) + "; " +
                                (fromKey > kMaxByteKey ? fromLine : toLine) +
                                " cannot be edited. The ledger was not changed.");
    return finish();
  }

  const size_t changed = ReplaceThroughout(doc, item, fromKey, toKey);
  doc.modified = true;
  const Status saved = doc.SaveDocument(arguments.ledger);
  if (!saved.ok()) {
    context.Fail(kExitData, saved.message());
    return finish();
  }
  context.out << "Changed " << changed << (changed == 1 ? " peal" : " peals") << ": " << fromLine
              << " became " << toLine << "\n";
  finish();
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto arguments = std::make_shared<EditArguments>();
  CLI::App* command = app.add_subcommand(
      "edit", "Global Edit: replace one association, tower, method or person by another in "
              "every peal of a ledger");
  command->add_option("LEDGER", arguments->ledger, "The peal ledger file")->required();
  command->add_option("KIND", arguments->kind, "association | tower | method | person")
      ->required();
  command->add_option("FROM", arguments->from, "The entry to replace")->required();
  command->add_option("TO", arguments->to, "The entry that replaces it")->required();
  command->add_flag("--nearest", arguments->nearest,
                    "A text that names no single entry takes the entry the chooser would "
                    "highlight, instead of being refused");
  command->footer(
      "FROM and TO are resolved as the index texts of --select are: an entry's name or the text "
      "typed in the chooser (initials, abbreviation), letter case ignored, or #KEY. The entries "
      "used are named on standard error; the number of peals changed goes to standard output. "
      "The ledger and the indexes are then saved.");
  return CommandAction{command, [&context, arguments] { RunEdit(context, *arguments); }};
});

}  // namespace
}  // namespace tv::cli

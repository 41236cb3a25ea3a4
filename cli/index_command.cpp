// tolvane-cli index NAME ACTION: inspect and look after one index of the reference database.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>

#include "cli/cli.h"
#include "core/text.h"
#include "peals/mark_used.h"
#include "refdb/index.h"
#include "refdb/index_format.h"
#include "refdb/index_set.h"
#include "refdb/method_xml.h"

namespace tv::cli {
namespace {

struct IndexOptions {
  std::string name;
  std::string action;
  std::vector<std::string> arguments;
  std::vector<std::string> usedBy;  // purge: the ledgers whose entries stay
  bool all = false;                 // purge: empty the index on purpose
};

int32_t LiveEntries(const CIndex& index) {
  int32_t live = 0;
  for (int32_t k = 1; k < index.Count(); ++k) live += index.Entry(k).offset != 0;
  return live;
}

// Purge keeps what the ledgers name (or nothing, with --all), compacting into fresh files so
// that the previous pair stays as the backup.
void RunPurge(CliContext& context, const IndexOptions& options, CIndex& index) {
  if (!options.all) {
    const Status marked = MarkUsedByLedgers(index, options.usedBy);
    if (!marked.ok()) {
      context.Fail(kExitData, marked.message() + "; nothing was purged");
      return;
    }
  }
  const int32_t before = LiveEntries(index);
  index.Purge(index.First());
  const int32_t removed = before - LiveEntries(index);
  if (!index.Compact()) {
    context.Fail(kExitData, "could not write the purged " + options.name + " index; " +
                                index.DataPath() + " is unchanged");
    return;
  }
  const std::string base = PathDirectory(index.DataPath()) + options.name;
  context.out << "Removed " << removed << " of " << before << " entries of " << options.name
              << "; the previous files are kept as " << base << kBackupDataExtension << " and "
              << base << kBackupIndexExtension << "\n";
}

constexpr const char* kActions[] = {"list",  "show",  "find",    "import-xml", "csv",
                                    "sgml",  "compact", "audit", "rebuild",    "purge"};

void RunIndex(CliContext& context, const IndexOptions& options) {
  // Usage errors are found before the index set opens: opening creates the files it misses.
  if (std::find(std::begin(kIndexNames), std::end(kIndexNames), options.name) == std::end(kIndexNames)) {
    std::string names;
    for (const char* name : kIndexNames) names += std::string(names.empty() ? "" : " ") + name;
    context.Fail(kExitUsage, "unknown index '" + options.name + "'; the indexes are: " + names);
    return;
  }
  const std::string& action = options.action;
  if (std::find(std::begin(kActions), std::end(kActions), action) == std::end(kActions)) {
    context.Fail(kExitUsage, "unknown index action '" + action +
                                 "'; use list, show KEY, find TEXT, csv, sgml, compact, audit, "
                                 "rebuild, purge, or import-xml FILE (methods)");
    return;
  }
  const bool takesOne = action == "show" || action == "find" || action == "import-xml";
  if (takesOne && options.arguments.size() != 1) {
    const char* what = action == "show" ? "KEY" : (action == "find" ? "TEXT" : "FILE");
    context.Fail(kExitUsage, "index " + action + " wants one " + what);
    return;
  }
  if (!takesOne && !options.arguments.empty()) {
    context.Fail(kExitUsage, "index " + action + " takes no further arguments");
    return;
  }
  const bool purging = action == "purge";
  if (!purging && (options.all || !options.usedBy.empty())) {
    context.Fail(kExitUsage, "--used-by and --all are for index purge only");
    return;
  }
  if (purging && !options.all && options.usedBy.empty()) {
    context.Fail(kExitUsage, "index purge removes every entry not marked as used: give --used-by "
                             "LEDGER... to keep the entries those ledgers name, or --all to empty "
                             "the index");
    return;
  }
  if (purging && options.all && !options.usedBy.empty()) {
    context.Fail(kExitUsage, "index purge takes --used-by LEDGER... or --all, not both");
    return;
  }
  if (purging && !options.all && !PealsNameIndex(options.name)) {
    context.Fail(kExitUsage, "peals name no entries of " + options.name +
                                 ", so --used-by cannot mark any; use --all to empty it");
    return;
  }
  if (action == "import-xml" && options.name != "methods") {
    context.Fail(kExitUsage, "import-xml is for the methods index only");
    return;
  }
  const bool writes = action == "import-xml" || action == "compact" || action == "audit" ||
                      action == "rebuild" || purging;
  if (writes && !context.TakeIndexDirectory()) return;
  OpenIndexSet(context.db);
  CIndex* index = IndexByName(options.name);
  if (!index) return;
  auto argument = [&](const char*) { return &options.arguments[0]; };

  if (action == "list") {
    std::string text;
    int32_t key = index->First();
    for (int32_t steps = 0; key != 0 && steps < index->Count(); ++steps) {
      text += std::to_string(key) + '\t' + index->NameOf(key, 0) + '\n';
      key = index->Entry(key).next;
    }
    context.out << text;
  } else if (action == "show") {
    const std::string* text = argument("KEY");
    if (!text) return;
    const int32_t key = ParseDigits(*text);
    CIndObj* object = (IsDigitsOrParens(*text) && !text->empty()) ? index->Lookup(key) : nullptr;
    if (!object || index->Entry(key).offset == 0) {
      context.Fail(kExitData, options.name + " has no entry " + *text);
      return;
    }
    context.out << object->GetDetails();
    const std::string details = object->GetDetails();
    if (details.empty() || details.back() != '\n') context.out << '\n';
  } else if (action == "find") {
    const std::string* text = argument("TEXT");
    if (!text) return;
    const int32_t key = index->FindEntry(*text, 0);
    context.out << key << '\t' << index->NameOf(key, 0) << '\n';
  } else if (action == "import-xml") {
    if (const std::string* path = argument("FILE")) {
      MethodXmlSummary summary;
      const Status status = ImportMethodsXml(*path, summary);
      if (status.ok()) {
        context.out << summary.Text();
        SaveAllIndexes();
      } else {
        context.Fail(kExitData, status.message());
      }
    }
  } else if (action == "csv") {
    index->WriteCsv();
  } else if (action == "sgml") {
    index->WriteSgml();
  } else if (action == "compact") {
    if (!index->Compact()) context.Fail(kExitData, "could not compact " + index->DataPath());
  } else if (action == "audit") {
    index->CheckLinks();
    index->Save();
  } else if (action == "rebuild") {
    index->RebuildTree();
    index->Save();
  } else if (action == "purge") {
    RunPurge(context, options, *index);
  }
  CloseIndexSet();
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto options = std::make_shared<IndexOptions>();
  CLI::App* command = app.add_subcommand("index", "Inspect or maintain one index of the database");
  command->add_option("NAME", options->name, "The index: assocs methods persons saints counts "
                                              "towers comps steeplex sxs sxi sxc sxa sxn sxm")
      ->required();
  command->add_option("ACTION", options->action,
                      "list | show KEY | find TEXT | csv | sgml | compact | audit | rebuild | purge "
                      "| import-xml FILE (methods: the public methods library)")
      ->required();
  command->add_option("ARGS", options->arguments, "The key, text or file the action needs");
  command->add_option("--used-by", options->usedBy,
                      "purge: keep every entry these ledgers name, remove the rest")
      ->type_name("LEDGER")
      ->expected(1, -1);
  command->add_flag("--all", options->all, "purge: remove every entry");
  return CommandAction{command, [&context, options] { RunIndex(context, *options); }};
});

}  // namespace
}  // namespace tv::cli

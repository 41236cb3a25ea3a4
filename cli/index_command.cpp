// tolvane-cli index NAME ACTION: inspect and look after one index of the reference database.
#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/cli.h"
#include "core/text.h"
#include "refdb/index.h"
#include "refdb/index_set.h"
#include "refdb/method_xml.h"

namespace tv::cli {
namespace {

struct IndexOptions {
  std::string name;
  std::string action;
  std::vector<std::string> arguments;
};

void RunIndex(CliContext& context, const IndexOptions& options) {
  OpenIndexSet(context.db);
  CIndex* index = IndexByName(options.name);
  if (!index) {
    std::string names;
    for (const char* name : kIndexNames) names += std::string(names.empty() ? "" : " ") + name;
    context.Fail(kExitUsage, "unknown index '" + options.name + "'; the indexes are: " + names);
    return;
  }
  const std::string& action = options.action;
  auto argument = [&](const char* what) -> const std::string* {
    if (options.arguments.size() != 1) {
      context.Fail(kExitUsage, "index " + action + " wants one " + what);
      return nullptr;
    }
    return &options.arguments[0];
  };
  if (action != "show" && action != "find" && action != "import-xml" &&
      !options.arguments.empty()) {
    context.Fail(kExitUsage, "index " + action + " takes no further arguments");
    return;
  }

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
    if (options.name != "methods") {
      context.Fail(kExitUsage, "import-xml is for the methods index only");
    } else if (const std::string* path = argument("FILE")) {
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
    index->Purge(index->First());
    index->Save();
  } else {
    context.Fail(kExitUsage, "unknown index action '" + action +
                                 "'; use list, show KEY, find TEXT, csv, sgml, compact, audit, "
                                 "rebuild, purge, or import-xml FILE (methods)");
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
  return CommandAction{command, [&context, options] { RunIndex(context, *options); }};
});

}  // namespace
}  // namespace tv::cli

// tolvane-cli analyse LEDGER BY: the analysis window's Export text for the peals of a ledger,
// optionally narrowed by selections first.
#include <CLI/CLI.hpp>

#include <ostream>

#include "analysis/anal_doc.h"
#include "cli/cli.h"
#include "cli/selection_options.h"
#include "peals/ledger_file.h"
#include "peals/selection.h"
#include "refdb/index.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv::cli {
namespace {

struct AnalyseArguments {
  std::string ledger;
  std::string by;
  CAnalOptions ticked;
  bool alternative = false;
  std::shared_ptr<SelectionOptions> selection;
};

std::string KindNames() {
  std::string names;
  for (int i = 0; i < kAnalysisKindCount; ++i) {
    if (i) names += ' ';
    names += AnalysisName(static_cast<AnalysisKind>(i));
  }
  return names;
}

// The criterion and key of the selection that made the buffer, as the ledger keeps them after a
// Select: the last --select with the key its text resolved to. A ledger just read was made by
// no selection (Date, no key).
CAnalSelection LastSelection(const SelectionOptions& options) {
  if (options.steps.empty()) return {.kind = kSelDate, .key = 0};
  const SelectionStep& step = options.steps.back();
  return {.kind = step.criterion,
          .key = CriterionUsesChooser(step.criterion) ? step.state.chosenKey : 1};
}

void RunAnalyse(CliContext& context, const AnalyseArguments& arguments) {
  const std::optional<AnalysisKind> kind = FindAnalysisKind(arguments.by);
  if (!kind) {
    context.Fail(kExitUsage, "unknown analysis '" + arguments.by + "'; the choices are: " + KindNames());
    return;
  }
  CPealLedger ledger;
  Status read;
  if (!LoadSelectedLedger(context, arguments.ledger, *arguments.selection, ledger, read)) return;

  CAnalDoc analysis;
  analysis.showAlternative = arguments.alternative;
  analysis.Run(ledger, ledger.currentBuffer, *kind, arguments.ticked,
               LastSelection(*arguments.selection));
  const std::string text = analysis.ExportText();
  context.out.write(text.data(), static_cast<std::streamsize>(text.size()));
  context.out.flush();
  // A ledger read only in part is analysed as far as it was read, and said so.
  if (!read.ok()) context.Fail(kExitData, read.message());
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto arguments = std::make_shared<AnalyseArguments>();
  CAnalOptions& ticked = arguments->ticked;
  CLI::App* command = app.add_subcommand(
      "analyse", "Print an analysis of a ledger's peals as the analysis window's Export writes it");
  command->add_option("LEDGER", arguments->ledger, "The peal ledger file")->required();
  command->add_option("BY", arguments->by, "One of: " + KindNames())->required();
  command->add_flag("--changes", ticked.showChanges, "A column of total changes");
  command->add_flag("--time", ticked.showTime, "A column of total hours");
  command->add_flag("--date", ticked.showFirst, "A column of first dates; the latest first");
  command->add_flag("--recent", ticked.showScore, "A column of recency scores; the highest first");
  command->add_flag("--fantasy", ticked.fantasy, "Fantasy points instead of peals (ringer)");
  command->add_flag("--alternative", arguments->alternative,
                    "The alternative presentation (by county, by name, calendar, year grid, "
                    "society table, table by stage)");
  arguments->selection = AddSelectionOptions(*command);
  command->footer("Options an analysis does not take are ignored, as in the Analyse by dialog. "
                  "Lines end in CR LF; the first is today's date.");
  return CommandAction{command, [&context, arguments] { RunAnalyse(context, *arguments); }};
});

}  // namespace
}  // namespace tv::cli

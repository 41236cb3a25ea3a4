// tolvane-cli info LEDGER: how many peals a ledger holds, their dates and associations, and
// whether the file was read to its end.
#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/cli.h"
#include "core/dates.h"
#include "peals/ledger_file.h"
#include "peals/ledger_summary.h"
#include "refdb/index.h"
#include "refdb/index_set.h"
#include "refdb/assoc.h"

namespace tv::cli {
namespace {

void RunInfo(CliContext& context, const std::string& path) {
  CPealLedger ledger;
  LedgerReadResult read;
  const Status status = ReadLedgerFile(path, ledger, &read);
  if (status.code() == StatusCode::NotFound || status.code() == StatusCode::IoError) {
    context.Fail(kExitData, status.message());
    return;
  }
  OpenIndexSet(context.db);
  const LedgerSummary summary = SummarizeBuffer(ledger, kMainBuffer);
  std::string text = "Ledger: " + path + "\n";
  text += "Peals: " + std::to_string(summary.peals) + "\n";
  if (summary.firstDate != 0) {
    text += "Dates: " + DateText(summary.firstDate) + " to " + DateText(summary.lastDate) + "\n";
  } else {
    text += "Dates: none\n";
  }
  text += "Associations:\n";
  for (const auto& [key, count] : summary.byAssociation) {
    const std::string name = key == 0 ? std::string("(none)") : AssocIndex().NameOf(key, 0);
    text += "  " + std::to_string(count) + "\t" + name + "\n";
  }
  text += std::string("Read to end: ") + (read.complete ? "yes" : "no") + "\n";
  context.out << text;
  if (!status.ok()) context.Fail(kExitData, status.message());
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "info", "The number of peals, their date range, peals per association, and whether the "
              "file was read to its end");
  command->add_option("LEDGER", *path, "The peal ledger file")->required();
  return CommandAction{command, [&context, path] { RunInfo(context, *path); }};
});

}  // namespace
}  // namespace tv::cli

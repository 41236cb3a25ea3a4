// tolvane-cli demo DIR [--peals N]: writes the demonstration database and ledgers.
#include <CLI/CLI.hpp>

#include <ostream>

#include "app/demo_database.h"
#include "cli/cli.h"
#include "core/services.h"
#include "refdb/index_set.h"

namespace tv::cli {
namespace {

struct DemoOptions {
  std::string directory;
  uint32_t peals = kDefaultDemoPeals;
};

void RunDemo(CliContext& context, const DemoOptions& options) {
  DemoSummary summary;
  // A folder that is no folder is the library's usage error, found before anything is made.
  if (Files().IsDirectory(options.directory) && !context.TakeIndexDirectory(options.directory)) return;
  const Status status = WriteDemoDatabase(options.directory, options.peals, &summary);
  CloseIndexSet();
  if (!status.ok()) {
    context.Fail(status.code() == StatusCode::Usage ? kExitUsage : kExitData, status.message());
    return;
  }
  context.out << "Wrote " << summary.peals << " peals and " << summary.quarters
              << " quarter peals at " << summary.towers << " towers by " << summary.persons
              << " ringers in " << summary.associations << " associations into "
              << options.directory << '\n';
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App* command =
      app.add_subcommand("demo", "Write a demonstration database and peal ledger into a folder");
  command->add_option("DIR", options->directory, "An existing folder without a database")->required();
  command->add_option("--peals", options->peals, "Number of peals (quarter peals: half as many)")
      ->check(CLI::Range(1u, 5000000u));
  return CommandAction{command, [&context, options] { RunDemo(context, *options); }};
});

}  // namespace
}  // namespace tv::cli

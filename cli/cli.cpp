// The command line's global options, command dispatch and exit statuses.
#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "core/clock.h"
#include "core/services.h"
#include "core/text.h"
#include "core/version.h"
#include "refdb/index_lock.h"

namespace tv::cli {
namespace {

std::vector<CommandSetup>& Registry() {
  static std::vector<CommandSetup> commands;
  return commands;
}

// The first argument that is not an option or an option's value: the command name.
std::string CommandWord(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--db" || arg == "--today") {
      ++i;
      continue;
    }
    if (!arg.empty() && arg[0] == '-') continue;
    return arg;
  }
  return {};
}

}  // namespace

void CliContext::Fail(int code, const std::string& message) {
  err << "tolvane-cli: " << message << '\n';
  if (exitCode == kExitOk || code == kExitUsage) exitCode = code;
}

bool CliContext::TakeIndexDirectory(const std::string& directory) {
  if (indexLock) return true;
  Status refusal;
  indexLock = HoldIndexDirectory(directory.empty() ? db : JoinPath(directory, ""), "tolvane-cli", refusal);
  if (!indexLock) Fail(kExitData, refusal.message());
  return indexLock != nullptr;
}

const std::vector<CommandSetup>& Commands() { return Registry(); }

CommandRegistration::CommandRegistration(CommandSetup setup) { Registry().push_back(std::move(setup)); }

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CliContext context{.db = {}, .out = out, .err = err};
  CLI::App app{"Tolvane: peal and quarter-peal records from the command line.", "tolvane-cli"};
  app.require_subcommand(1);
  app.footer("Exit status: 0 success, 1 bad data, 2 usage error.");
  app.set_version_flag("--version", "tolvane-cli " + std::string(kVersion),
                       "Show the version and exit");

  std::string db;
  std::string today;
  app.add_option("--db", db, "Index directory (default: the current directory)")
      ->type_name("DIR");
  const CLI::Option* todayOption =
      app.add_option("--today", today, "Fix today's date for the whole run")->type_name("D/M/YYYY");

  std::vector<CommandAction> actions;
  for (const auto& setup : Commands()) actions.push_back(setup(app, context));

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::Success& success) {
    // --help and the like
    std::ostringstream help;
    app.exit(success, help, err);
    out << help.str();
    return kExitOk;
  } catch (const CLI::ParseError& error) {
    const std::string word = CommandWord(args);
    bool known = false;
    for (const CLI::App* sub : app.get_subcommands({})) known = known || sub->get_name() == word;
    if (!word.empty() && !known && app.get_subcommands().empty()) {
      err << "tolvane-cli: unknown command '" << word << "'; run tolvane-cli --help for the list\n";
    } else if (app.get_subcommands().empty() && word.empty()) {
      err << "tolvane-cli: no command given; run tolvane-cli --help for the list\n";
    } else {
      err << "tolvane-cli: " << error.what() << '\n';
    }
    return kExitUsage;
  }

  FixedClock fixedClock({});
  Clock* clock = nullptr;
  // An empty --today is refused like any other text that is not a date.
  if (todayOption->count() > 0) {
    DayMonthYear date;
    if (!ParseFixedDate(today, date)) {
      err << "tolvane-cli: --today wants a date as D/M/YYYY, not '" << today << "'\n";
      return kExitUsage;
    }
    fixedClock.Set(date);
    clock = &fixedClock;
  }
  ScopedServices services(nullptr, clock, nullptr);
  if (!db.empty()) {
    if (!Files().IsDirectory(db)) {
      err << "tolvane-cli: the index directory '" << db << "' does not exist\n";
      return kExitData;
    }
    context.db = JoinPath(db, "");
  }

  for (const auto& action : actions) {
    if (!action.command || !action.command->parsed() || !action.run) continue;
    try {
      action.run();
    } catch (const std::exception& error) {
      context.Fail(kExitData, error.what());
    }
  }
  return context.exitCode;
}

}  // namespace tv::cli

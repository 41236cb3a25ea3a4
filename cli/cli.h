// tolvane-cli: batch access to everything below the windows, through the same libraries.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/file_system.h"

namespace CLI {
class App;
}

namespace tv::cli {

// Exit statuses of the command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitData = 1;
inline constexpr int kExitUsage = 2;

// What every command can reach: the global options and the output streams.
struct CliContext {
  std::string db;  // the index directory, ending in a separator; empty for the current one
  std::ostream& out;
  std::ostream& err;
  int exitCode = kExitOk;

  std::unique_ptr<FileLock> indexLock;  // held by a command that writes the indexes

  // Prints one line to standard error and records the exit status.
  void Fail(int code, const std::string& message);
  // Takes the index directory (`directory`, else the --db one) for the rest of the run, before a
  // command writes anything there. False, with the holder reported and exit status 1, when
  // another program holds it.
  bool TakeIndexDirectory(const std::string& directory = {});
};

// A command adds its subcommand and options to the application and gives back what to run
// once the whole command line has been parsed and the global options are in force.
struct CommandAction {
  CLI::App* command = nullptr;
  std::function<void()> run;
};
using CommandSetup = std::function<CommandAction(CLI::App& app, CliContext& context)>;
const std::vector<CommandSetup>& Commands();
// Commands register themselves through a static of this type.
struct CommandRegistration {
  explicit CommandRegistration(CommandSetup setup);
};

// Runs the command line `args` (without the program name) and gives the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tv::cli

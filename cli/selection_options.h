// The selection options that the commands over a ledger's peals share (export, analyse):
// --select KIND=TEXT, repeatable and applied in order, each narrowing the current buffer as one
// run of the Select command does, and the modifiers --exclude, --valid and --only tower|hand,
// which apply to the next --select.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/status.h"
#include "peals/selection_state.h"

namespace CLI {
class App;
}

namespace tv {
class CIndex;
class CPealLedger;
}

namespace tv::cli {

// One --select with the modifiers given before it.
struct SelectionStep {
  std::string argument;  // KIND=TEXT as given, for messages
  int criterion = 0;
  CSelectionState state;  // the texts, filters and class as the dialog would leave them
};

struct SelectionOptions {
  std::vector<SelectionStep> steps;
  // Modifiers waiting for the next --select.
  bool exclude = false;
  bool valid = false;
  TowerOrHand only = TowerOrHand::Both;
  bool modifiersPending = false;
  // --nearest: index texts take the entry the chooser would highlight instead of an exact one.
  bool nearest = false;
};

// Adds the options to a command; the result fills in as the command line is parsed. A KIND or
// TEXT that is not understood, and modifiers with no --select after them, are usage errors of
// the parse (the latter checked in the command's parse-complete callback, which this sets).
std::shared_ptr<SelectionOptions> AddSelectionOptions(CLI::App& command);

// Narrows the ledger's current buffer by each --select in turn (the index set and the ringer
// equivalences must be loaded). An index criterion's text is resolved first (ResolveIndexText)
// and the key kept in its step's state.chosenKey. False when a text names no single entry, or
// a selection selected nothing ("No Match Found"): the message is then on standard error and
// the exit status 1.
bool ApplySelectionOptions(CliContext& context, SelectionOptions& options, CPealLedger& ledger);

// For commands over several ledgers: resolves the index texts of every --select once
// (ResolveIndexText), keeping each key in its step's state.chosenKey. False on a refusal (the
// message is then on standard error and the exit status 1).
bool ResolveSelectionTexts(CliContext& context, SelectionOptions& options);
// Then narrows one ledger's current buffer by each resolved --select in turn. Gives the first
// step that selected nothing (the ledger's buffers then as they were before that step), or null
// when every step selected some peals.
const SelectionStep* NarrowBySelection(const SelectionOptions& options, CPealLedger& ledger);

// Resolves an index text given on the command line (ResolveEntry, exact unless `nearest`) and
// names the entry used on standard error as "LABEL: KEY NAME". On a refusal gives 0 with
// "LABEL: " and the refusal on standard error and the exit status 1.
int32_t ResolveIndexText(CliContext& context, const std::string& label, CIndex& index,
                         const std::string& text, bool nearest);

// Reads the ledger a command works on, opens the index set with the ledger's equivalences, as
// the desktop program does when it opens a ledger, and applies the --select options. False when
// the ledger cannot be read or a selection found nothing (the message is then on standard error
// and the exit status set); `read` keeps the read's status, so that a ledger read only in part
// can be reported after the command's output.
bool LoadSelectedLedger(CliContext& context, const std::string& path, SelectionOptions& options,
                        CPealLedger& ledger, Status& read);

// The KIND words, in criterion order, separated by blanks.
std::string SelectionKindNames();

}  // namespace tv::cli

// The --select option and its modifiers: parsing KIND=TEXT in command-line order, and running
// each selection on the ledger as the Select command would.
#include "cli/selection_options.h"

#include <CLI/CLI.hpp>

#include <array>
#include <ostream>

#include "core/text.h"
#include "peals/entry_resolution.h"
#include "peals/ledger_file.h"
#include "peals/peal_ledger.h"
#include "peals/selection.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"

namespace tv::cli {
namespace {

constexpr std::array<const char*, kSelCriterionCount> kKinds = {
    "association", "tower",   "county", "method",  "class",    "stage",
    "methods",     "ringer",  "conductor", "composer", "changes", "time",
    "tenor",       "rw-page", "date",   "duplicate", "footnote", "extras"};

[[noreturn]] void Refuse(const std::string& message) {
  throw CLI::ValidationError("--select", message);
}

// The class word and its "+spliced" / "+little" tails.
void ParseClass(const std::string& text, CSelectionState& state) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t plus = text.find('+'); ; plus = text.find('+', start)) {
    const size_t length = plus == std::string::npos ? std::string::npos : plus - start;
    parts.push_back(text.substr(start, length));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  state.classIndex = -1;
  for (int code = 1; code < kClassCount; ++code) {
    if (EqualsNoCase(parts[0], ClassWords[code])) state.classIndex = code;
  }
  if (state.classIndex < 0) {
    std::string words;
    for (int code = 1; code < kClassCount; ++code) {
      words += std::string(code > 1 ? ", " : "") + ClassWords[code];
    }
    Refuse("class wants a class word (" + words + "), not '" + parts[0] + "'");
  }
  for (size_t i = 1; i < parts.size(); ++i) {
    if (EqualsNoCase(parts[i], "spliced")) {
      state.spliced = true;
    } else if (EqualsNoCase(parts[i], "little")) {
      state.little = true;
    } else {
      Refuse("class takes +spliced and +little, not '+" + parts[i] + "'");
    }
  }
}

SelectionStep ParseStep(const std::string& argument) {
  SelectionStep step;
  step.argument = argument;
  const size_t equals = argument.find('=');
  const std::string kind = argument.substr(0, equals);
  const std::string text =
      equals == std::string::npos ? std::string() : argument.substr(equals + 1);
  step.criterion = -1;
  for (int c = 0; c < kSelCriterionCount; ++c) {
    if (kind == kKinds[c]) step.criterion = c;
  }
  if (step.criterion < 0) {
    Refuse("unknown kind '" + kind + "'; the kinds are: " + SelectionKindNames());
  }
  CSelectionState& state = step.state;
  if (step.criterion == kSelClass) {
    ParseClass(text, state);
  } else if (IsRangeCriterion(step.criterion)) {
    const size_t dots = text.find("..");
    if (dots == std::string::npos) Refuse(kind + " wants a range START..END, not '" + text + "'");
    state.startText = text.substr(0, dots);
    state.endText = text.substr(dots + 2);
  } else if (step.criterion != kSelDuplicate) {
    state.searchText = text;
  } else if (!text.empty()) {
    Refuse("duplicate takes no text, not '" + text + "'");
  }
  return step;
}

}  // namespace

std::string SelectionKindNames() {
  std::string names;
  for (const char* kind : kKinds) names += std::string(names.empty() ? "" : " ") + kind;
  return names;
}

std::shared_ptr<SelectionOptions> AddSelectionOptions(CLI::App& command) {
  auto options = std::make_shared<SelectionOptions>();
  // Each option acts as it is met, so that a modifier reaches the --select that follows it.
  command
      .add_option_function<std::string>(
          "--select",
          [options](const std::string& argument) {
            SelectionStep step = ParseStep(argument);
            // Duplicate compares peals with each other; only Exclude applies to it.
            if (step.criterion == kSelDuplicate &&
                (options->valid || options->only != TowerOrHand::Both)) {
              Refuse("duplicate takes --exclude, not --valid or --only");
            }
            step.state.exclude = options->exclude;
            step.state.validOnly = options->valid;
            step.state.towerOrHand = options->only;
            options->steps.push_back(std::move(step));
            options->exclude = options->valid = options->modifiersPending = false;
            options->only = TowerOrHand::Both;
          },
          "Narrow the peals by one criterion, as the Select command does (repeatable, in "
          "order). KIND: " + SelectionKindNames() + ". Index kinds take an entry's name or "
          "the text typed in the chooser (initials, abbreviation), letter case ignored, or "
          "#KEY; ranges START..END (either side may be empty); class a class word with "
          "+spliced and/or +little")
      ->type_name("KIND=TEXT")
      ->trigger_on_parse();
  command
      .add_flag_callback(
          "--exclude",
          [options] { options->exclude = options->modifiersPending = true; },
          "The next --select takes the peals that do not pass")
      ->trigger_on_parse();
  command
      .add_flag_callback(
          "--valid",
          [options] { options->valid = options->modifiersPending = true; },
          "The next --select takes only peals with a Validity entry")
      ->trigger_on_parse();
  command
      .add_option_function<std::string>(
          "--only",
          [options](const std::string& which) {
            options->only = which == "tower" ? TowerOrHand::Tower : TowerOrHand::Hand;
            options->modifiersPending = true;
          },
          "The next --select takes only tower or only handbell peals")
      ->check(CLI::IsMember({"tower", "hand"}))
      ->trigger_on_parse();
  command.add_flag("--nearest", options->nearest,
                   "Index texts that name no single entry take the entry the chooser would "
                   "highlight, instead of being refused");
  // Modifiers with no --select after them would be lost without a word.
  command.parse_complete_callback([options] {
    if (options->modifiersPending) {
      throw CLI::ValidationError("--exclude, --valid and --only apply to the next --select, and "
                                 "none follows");
    }
  });
  return options;
}

bool LoadSelectedLedger(CliContext& context, const std::string& path, SelectionOptions& options,
                        CPealLedger& ledger, Status& read) {
  read = ReadLedgerFile(path, ledger);
  if (read.code() == StatusCode::NotFound || read.code() == StatusCode::IoError) {
    context.Fail(kExitData, read.message());
    return false;
  }
  OpenIndexSet(context.db);
  PersonIndex().equivalences.LoadEquivalences(path);
  return ApplySelectionOptions(context, options, ledger);
}

int32_t ResolveIndexText(CliContext& context, const std::string& label, CIndex& index,
                         const std::string& text, bool nearest) {
  const CEntryResolution resolved =
      ResolveEntry(index, text, nearest ? EntryMatch::Nearest : EntryMatch::Exact);
  if (!resolved.Found()) {
    std::string message = label + ": " + resolved.message;
    if (!nearest && !resolved.candidates.empty()) {
      message += " (name one as #KEY, or give --nearest for the chooser's guess)";
    }
    context.Fail(kExitData, message);
    return 0;
  }
  context.err << label << ": " << EntryLine(index, resolved.key) << '\n';
  return resolved.key;
}

bool ResolveSelectionTexts(CliContext& context, SelectionOptions& options) {
  for (SelectionStep& step : options.steps) {
    if (!CriterionUsesChooser(step.criterion)) continue;
    step.state.chosenKey =
        ResolveIndexText(context, kKinds[step.criterion], *CriterionIndex(step.criterion),
                         step.state.searchText, options.nearest);
    if (step.state.chosenKey == 0) return false;
  }
  return true;
}

const SelectionStep* NarrowBySelection(const SelectionOptions& options, CPealLedger& ledger) {
  for (const SelectionStep& step : options.steps) {
    CSelectionState state = step.state;
    if (SelectWithoutChooser(ledger, step.criterion, state) == 0) return &step;
  }
  return nullptr;
}

bool ApplySelectionOptions(CliContext& context, SelectionOptions& options, CPealLedger& ledger) {
  for (SelectionStep& step : options.steps) {
    if (CriterionUsesChooser(step.criterion)) {
      step.state.chosenKey =
          ResolveIndexText(context, kKinds[step.criterion], *CriterionIndex(step.criterion),
                           step.state.searchText, options.nearest);
      if (step.state.chosenKey == 0) return false;
    }
    CSelectionState state = step.state;
    if (SelectWithoutChooser(ledger, step.criterion, state) == 0) {
      context.Fail(kExitData, std::string(kNoMatchFound) + " for --select " + step.argument);
      return false;
    }
  }
  return true;
}

}  // namespace tv::cli

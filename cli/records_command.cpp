// tolvane-cli records LEDGER...: a ringer's record, or the milestones reached in the selected
// performances, over peal and quarter-peal ledgers counted apart.
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/cli.h"
#include "cli/selection_options.h"
#include "core/services.h"
#include "geo/geojson_map.h"
#include "peals/ledger_file.h"
#include "peals/peal_ledger.h"
#include "peals/selection.h"
#include "records/record_layout.h"
#include "records/record_map.h"
#include "records/record_rules.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv::cli {
namespace {

struct RecordsArguments {
  std::vector<std::string> ledgers;
  std::string ringer;
  bool milestones = false;
  bool all = false;
  bool csv = false;
  bool html = false;
  std::string geojson;  // the map's file; empty for none
  std::shared_ptr<SelectionOptions> selection;
};

// The ledgers' own equivalence files, read into one set: a person counted as another in any of
// them is counted so in all.
CEquivalences MergedEquivalences(const std::vector<std::string>& paths) {
  CEquivalences merged;
  for (const std::string& path : paths) {
    CEquivalences own;
    own.LoadEquivalences(path);
    for (const auto& [from, to] : own.CountedAs()) merged.AddEquivalence(from, to);
  }
  return merged;
}

// The path as the file system would find it, so that "demo.tv3" and "./demo.tv3" compare equal.
std::string SamePathForm(const std::string& path) {
  std::string form = path;
  while (form.starts_with("./")) form.erase(0, 2);
  if (!form.starts_with("/")) form = Files().CurrentDirectory() + form;
  return form;
}

void RunRecords(CliContext& context, RecordsArguments& arguments) {
  if (arguments.milestones == !arguments.ringer.empty()) {
    context.Fail(kExitUsage, "records wants either --ringer TEXT or --milestones");
    return;
  }
  // A ledger given twice would count each of its performances twice.
  for (size_t i = 0; i < arguments.ledgers.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (SamePathForm(arguments.ledgers[i]) == SamePathForm(arguments.ledgers[j])) {
        context.Fail(kExitUsage, "the ledger " + arguments.ledgers[i] +
                                     " is given twice; each is counted once");
        return;
      }
    }
  }
  std::vector<std::unique_ptr<CPealLedger>> ledgers;
  std::vector<Status> reads;
  for (const std::string& path : arguments.ledgers) {
    auto ledger = std::make_unique<CPealLedger>();
    const Status read = ReadLedgerFile(path, *ledger);
    if (read.code() == StatusCode::NotFound || read.code() == StatusCode::IoError) {
      context.Fail(kExitData, read.message());
      return;
    }
    reads.push_back(read);
    ledgers.push_back(std::move(ledger));
  }
  OpenIndexSet(context.db);
  PersonIndex().equivalences = MergedEquivalences(arguments.ledgers);

  SelectionOptions& selection = *arguments.selection;
  if (!ResolveSelectionTexts(context, selection)) return;
  uint32_t person = 0;
  if (!arguments.ringer.empty()) {
    person = static_cast<uint32_t>(
        ResolveIndexText(context, "ringer", PersonIndex(), arguments.ringer, selection.nearest));
    if (person == 0) return;
  }
  // A ledger in which the selection finds nothing adds no selected performances; only when it
  // finds nothing in any of them is that a failure.
  std::vector<bool> noneSelected(ledgers.size(), false);
  bool anySelected = selection.steps.empty();
  for (size_t l = 0; l < ledgers.size(); ++l) {
    noneSelected[l] = NarrowBySelection(selection, *ledgers[l]) != nullptr;
    anySelected = anySelected || !noneSelected[l];
  }
  if (!anySelected) {
    context.Fail(kExitData, std::string(kNoMatchFound) + " for the selection in any ledger");
    return;
  }

  std::vector<CRecordReport> reports;
  std::vector<CMapTower> mapTowers;
  CRecordFacts facts(PersonIndex().equivalences);
  bool rangAny = false;
  for (const PerformanceKind kind : {PerformanceKind::Peal, PerformanceKind::Quarter}) {
    std::vector<const CPealLedger*> ofKind;
    std::vector<bool> noneOfKind;
    for (size_t l = 0; l < ledgers.size(); ++l) {
      if (KindOfLedger(arguments.ledgers[l]) != kind) continue;
      ofKind.push_back(ledgers[l].get());
      noneOfKind.push_back(noneSelected[l]);
    }
    if (ofKind.empty()) continue;
    std::vector<CPerformance> performances = GatherPerformances(ofKind, arguments.all);
    for (CPerformance& p : performances) {
      if (noneOfKind[p.ledger]) p.selected = false;
    }
    const CRecordContext counting{.kind = kind, .all = arguments.all};
    const std::string kindName(KindNoun(kind, false));
    if (arguments.milestones) {
      reports.push_back(MilestonesReport(ComputeSelectionMilestones(performances, facts),
                                         performances, counting));
      for (CMapTower& tower : MapTowersOfSelection(performances, kindName)) {
        mapTowers.push_back(std::move(tower));
      }
    } else {
      const CRingerRecord record = ComputeRingerRecord(performances, facts, person);
      rangAny = rangAny || record.performances > 0;
      reports.push_back(RingerReport(record, performances, counting));
      for (CMapTower& tower : MapTowersOfRecord(record, kindName)) mapTowers.push_back(std::move(tower));
    }
  }

  const RecordFormat format = arguments.csv    ? RecordFormat::Csv
                              : arguments.html ? RecordFormat::Html
                                               : RecordFormat::Text;
  const std::string title = arguments.milestones ? "Milestones reached" : PersonName(facts.PersonCounted(person));
  const std::string text = WriteRecord(reports, format, title);
  context.out.write(text.data(), static_cast<std::streamsize>(text.size()));
  context.out.flush();
  if (!arguments.milestones && !rangAny) {
    context.err << "tolvane-cli: " << title << " rang or conducted none of the performances counted\n";
  }
  if (!arguments.geojson.empty()) {
    CGridConverter converter;
    const CGeoJsonMap map = WriteGeoJsonMap(mapTowers, converter);
    for (const CMapSkip& skip : map.skipped) {
      context.err << "tolvane-cli: " << SkippedTowerText(skip) << '\n';
    }
    if (!Files().WriteAllSafely(arguments.geojson, map.json)) {
      context.Fail(kExitData, "the map " + arguments.geojson + " could not be written");
    }
  }
  // A ledger read only in part is counted as far as it was read, and said so.
  for (const Status& read : reads) {
    if (!read.ok()) context.Fail(kExitData, read.message());
  }
}

const CommandRegistration kRegistration([](CLI::App& app, CliContext& context) {
  auto arguments = std::make_shared<RecordsArguments>();
  CLI::App* command = app.add_subcommand(
      "records", "A ringer's record, or the milestones reached in the selected performances");
  command->add_option("LEDGER", arguments->ledgers,
                      "Peal (.tv3) and quarter-peal (.qv3) ledgers; the two kinds are counted apart")
      ->required();
  command->add_option("--ringer", arguments->ringer,
                      "The ringer's record: a person named as --select ringer= names one")
      ->type_name("TEXT");
  command->add_flag("--milestones", arguments->milestones,
                    "Every milestone reached in the selected performances, counting all earlier "
                    "ones, by ringer");
  command->add_flag("--all", arguments->all,
                    "Count performances with a Validity entry (withdrawn, false) too");
  CLI::Option* csv = command->add_flag("--csv", arguments->csv, "Write CSV instead of text");
  command->add_flag("--html", arguments->html, "Write one HTML page instead of text")->excludes(csv);
  command->add_option("--geojson", arguments->geojson,
                      "Also write the towers rung (or, with --milestones, the towers of the "
                      "selected performances) as a GeoJSON map to FILE")
      ->type_name("FILE");
  arguments->selection = AddSelectionOptions(*command);
  command->footer("With --ringer a selection narrows the performances counted; with --milestones "
                  "it chooses the performances whose milestones are listed. Lines end in CR LF.");
  return CommandAction{command, [&context, arguments] { RunRecords(context, *arguments); }};
});

}  // namespace
}  // namespace tv::cli

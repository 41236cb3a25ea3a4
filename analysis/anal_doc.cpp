// The analysis document, the "Analyse by" dialog and the analysis window's commands.
#include "analysis/anal_doc.h"

#include <algorithm>
#include <array>

#include "analysis/method_list.h"
#include "analysis/pac_list.h"
#include "analysis/person_list.h"
#include "analysis/place_lists.h"
#include "analysis/value_lists.h"
#include "core/display_lines.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/peal_ledger.h"
#include "peals/tolvane_doc.h"

namespace tv {
namespace {

constexpr std::array<std::string_view, kAnalysisKindCount> kCaptions = {
    "Association", "Tower", "Changes", "Time", "Composer",
    "Method", "Ringer", "CC PAC", "Date (d-m)", "Date (m-y)"};
constexpr std::array<std::string_view, kAnalysisKindCount> kIds = {
    "association", "tower", "changes", "time", "composer",
    "method", "ringer", "pac", "day", "month"};
constexpr const char* kChoiceGroup = "Analyse by";

std::string_view WithoutPrefix(const std::string& line) {
  std::string_view text = line;
  if (!text.empty() && text.front() == '\\') text.remove_prefix(std::min<size_t>(2, text.size()));
  return text;
}

}  // namespace

std::string_view AnalysisCaption(AnalysisKind kind) { return kCaptions[static_cast<size_t>(kind)]; }

std::string_view AnalysisName(AnalysisKind kind) { return kIds[static_cast<size_t>(kind)]; }

std::optional<AnalysisKind> FindAnalysisKind(std::string_view name) {
  for (int i = 0; i < kAnalysisKindCount; ++i) {
    if (name == kIds[static_cast<size_t>(i)]) return static_cast<AnalysisKind>(i);
  }
  return std::nullopt;
}

CAnalOptions OptionsTaken(AnalysisKind kind, const CAnalOptions& ticked) {
  CAnalOptions options{.showChanges = ticked.showChanges, .showTime = ticked.showTime};
  switch (kind) {
    case AnalysisKind::Ringer:
      options.fantasy = ticked.fantasy;
      [[fallthrough]];
    case AnalysisKind::Association:
    case AnalysisKind::Tower:
    case AnalysisKind::Method:
      options.showFirst = ticked.showFirst;
      options.showScore = ticked.showScore;
      break;
    default:
      break;
  }
  return options;
}

std::unique_ptr<CAnalList> MakeAnalysis(AnalysisKind kind, const CAnalOptions& ticked,
                                        const CAnalSelection& selection, Date today) {
  const CAnalOptions options = OptionsTaken(kind, ticked);
  switch (kind) {
    case AnalysisKind::Association: return std::make_unique<CAssocList>(options, selection, today);
    case AnalysisKind::Tower: return std::make_unique<CTowerList>(options, selection, today);
    case AnalysisKind::Changes: return std::make_unique<CNumList>(options, selection, today);
    case AnalysisKind::Time: return std::make_unique<CTimeList>(options, selection, today);
    case AnalysisKind::Composer: return std::make_unique<CCompList>(options, selection, today);
    case AnalysisKind::Method: return std::make_unique<CMethodList>(options, selection, today);
    case AnalysisKind::Ringer: return std::make_unique<CPersonList>(options, selection, today);
    case AnalysisKind::Pac: return std::make_unique<CPacList>(options, selection, today);
    case AnalysisKind::DayMonth: return std::make_unique<CDateList>(options, selection, today);
    case AnalysisKind::MonthYear: return std::make_unique<CMonthList>(options, selection, today);
  }
  return nullptr;
}

// --- the "Analyse by" dialog ---

CAnalyseDlg::CAnalyseDlg() : DialogModel("Analyse by") {
  for (int i = 0; i < kAnalysisKindCount; ++i) {
    AddRadio(std::string(kIds[static_cast<size_t>(i)]), std::string(kCaptions[static_cast<size_t>(i)]),
             kChoiceGroup, i == 0);
  }
  AddCheck("showChanges", "Changes", false);
  AddCheck("showTime", "Time", false);
  AddCheck("showFirst", "Date", false);
  AddCheck("showScore", "Recent", false);
  AddCheck("fantasy", "Fantasy", false);
}

std::string CAnalyseDlg::ChoiceId(AnalysisKind kind) { return std::string(kIds[static_cast<size_t>(kind)]); }

void CAnalyseDlg::Choose(AnalysisKind kind) { SetChecked(ChoiceId(kind), true); }

AnalysisKind CAnalyseDlg::Chosen() const {
  return FindAnalysisKind(CheckedRadio(kChoiceGroup)).value_or(AnalysisKind::Association);
}

CAnalOptions CAnalyseDlg::Ticked() const {
  return {.showChanges = Checked("showChanges"), .showTime = Checked("showTime"),
          .showFirst = Checked("showFirst"), .showScore = Checked("showScore"),
          .fantasy = Checked("fantasy")};
}

// --- texts ---

std::string AnalysisExportText(const std::vector<std::string>& lines, Date today) {
  std::string text = ShortDateText(today, true) + "\r\n\r\n";
  for (const std::string& line : lines) {
    text += WithoutPrefix(line);
    text += "\r\n";
  }
  return text;
}

std::string AnalysisClipText(const std::vector<std::string>& lines) {
  std::string text;
  size_t size = 1;
  for (const std::string& line : lines) {
    size += line.size() + 2;
    if (size > kAnalysisClipLimit) break;
    text += WithoutPrefix(line);
    text += "\r\n";
  }
  return text;
}

// --- the document ---

CAnalDoc::CAnalDoc(Date today) : m_today(today) {}

CAnalDoc::~CAnalDoc() = default;

Date CAnalDoc::AnalysisDay() const {
  if (m_today == 0) m_today = tv::Today();
  return m_today;
}

const std::vector<std::string>& CAnalDoc::Shown() const {
  return showAlternative ? AltLines() : m_mainLines;
}

std::string CAnalDoc::Title() const {
  return m_list ? "Analysis by " + m_list->KeyTitle() : "Analysis";
}

bool CAnalDoc::HasRungTowerPeals(int32_t person) const {
  return m_list && m_list->HasRungTowerPeals(person);
}

bool CAnalDoc::Analyse(CTolvaneDoc& ledger) {
  CAnalyseDlg dialog;
  if (!ThePlatform().RunDialog(dialog)) return false;
  Run(ledger, ledger.currentBuffer, dialog.Chosen(), dialog.Ticked(),
      {.kind = ledger.selectCriterion, .key = ledger.selection.chosenKey});
  ledger.selection.analysis = this;
  return true;
}

void CAnalDoc::Run(const CPealLedger& ledger, int buffer, AnalysisKind kind,
                   const CAnalOptions& ticked, const CAnalSelection& selection) {
  CWait wait;
  m_list.reset();
  m_mainLines.clear();
  m_altLines.clear();
  m_ownAlt = false;
  m_list = MakeAnalysis(kind, ticked, selection, AnalysisDay());
  const std::vector<uint32_t> peals = ledger.PealsOf(buffer);
  const CPealColumns& columns = ledger.Columns();
  if (m_list->AddPealsFromColumns(columns, peals)) {
    // Counted.
  } else if (m_list->AddsFromColumnFields()) {
    CPeal view;
    for (const uint32_t number : peals) {
      if (!columns.Stored(number) || columns.HasValidity(number)) continue;
      columns.Fill(number, view);
      m_list->AddPeal(view);
    }
  } else {
    for (const uint32_t number : peals) {
      const CPeal* peal = ledger.PealAt(number);
      if (peal && peal->extras[kValidity].empty()) m_list->AddPeal(*peal);
    }
  }
  m_mainLines = m_list->BuildReport();
  std::vector<std::string> alternative;
  if (m_list->BuildAlternative(alternative)) {
    m_altLines = std::move(alternative);
    m_ownAlt = true;
  }
  if (listener) listener->AnalysisShown(Title());
}

void CAnalDoc::Switch() {
  if (!CanSwitch()) return;
  showAlternative = !showAlternative;
  if (listener) listener->AnalysisRedraw();
}

void CAnalDoc::Threshold() {
  if (!CanThreshold()) return;
  m_list->EditThreshold();
  if (m_ownAlt) {
    std::vector<std::string> alternative;
    m_list->BuildAlternative(alternative);
    m_altLines = std::move(alternative);
  }
  if (listener) listener->AnalysisRedraw();
}

void CAnalDoc::Equivalence() {
  if (!CanEquivalence()) return;
  m_chooserTarget = m_list;
  m_list->EditEquivalence();
}

void CAnalDoc::Export() {
  if (!m_list) return;
  const std::optional<std::string> path = ThePlatform().PromptOpenFile(
      {.title = "Export", .defaultName = m_list->KeyTitle() + ".prn", .defaultExtension = "prn",
       .filter = "(*.prn)|*.prn|(*.txt)|*.txt|(*.*)|*.*||", .overwritePrompt = true});
  if (!path) return;
  CWait wait;
  Files().WriteAllSafely(*path, ExportText());
}

void CAnalDoc::Clip() { CopyTextToClipboard(AnalysisClipText(Shown())); }

void CAnalDoc::SaveAs() {
  if (!m_list) return;
  const std::optional<std::string> path = ThePlatform().PromptOpenFile(
      {.title = "Save As", .defaultName = "new.dat", .defaultExtension = "dat",
       .filter = "(*.dat) | *.dat | (*.*) | *.* || ", .overwritePrompt = true});
  if (!path) return;
  CWait wait;
  const std::string base = Files().CurrentDirectory() + PathFileName(*path);
  std::unique_ptr<File> data = Files().Open(base + ".da3", OpenMode::Create);
  std::unique_ptr<File> index = Files().Open(base + ".id3", OpenMode::Create);
  if (!data || !index) return;
  try {
    m_list->SaveIndex(*data, *index);
  } catch (const FileError&) {
    // As when the files cannot be created: Save As reports nothing.
  }
}

}  // namespace tv

// Peal-list windows: the lines drawn, activation and the list's commands.
#include "app/tolvane_view.h"

#include "app/peal_text.h"
#include "app/tolvane_app.h"
#include "core/display_lines.h"
#include "core/platform.h"
#include "core/services.h"
#include "import/peal_import.h"
#include "output/export_command.h"
#include "peals/peal_entry.h"
#include "peals/tolvane_doc.h"
#include "refdb/steeplex.h"
#include "refdb/tower_csv.h"

namespace tv {

std::vector<CListLine> CTolvaneView::Lines() {
  std::vector<CListLine> lines;
  const CTolvaneDoc& ledger = m_app.Ledger();
  if (!ledger.BufferExists(buffer)) return lines;
  const uint32_t current = ledger.bufferPositions[static_cast<size_t>(buffer)];
  if (!ledger.PealAt(current)) return lines;
  // A position may name a peal since moved to another buffer; its links then lead through that
  // buffer, as every step from it does.
  uint32_t top = current;
  for (int i = 0; i < kListLinesAbove && ledger.Entry(top).prev != 0; ++i) top = ledger.Entry(top).prev;
  topPeal = top;
  for (uint32_t n = top; n != 0 && lines.size() < kListLinesShown; n = ledger.Entry(n).next) {
    const CPeal* peal = ledger.PealAt(n);
    if (!peal) break;
    lines.push_back({ListLine(*peal), n == current});
  }
  return lines;
}

void CTolvaneView::OnActivate() {
  CTolvaneDoc& ledger = m_app.Ledger();
  if (!ledger.BufferExists(buffer)) return;
  ledger.ShowBuffer(buffer);
  if (ledger.views) ledger.views->RedrawAll();
}

CPeal* CurrentPealOf(CTolvaneDoc& ledger) {
  if (!ledger.BufferExists(ledger.currentBuffer)) return nullptr;
  return ledger.PealAt(ledger.bufferPositions[ledger.currentBuffer]);
}

void EditCurrentPeal(CTolvaneDoc& ledger) {
  try {
    EditPeal(ledger, CurrentPealOf(ledger));
  } catch (const std::exception& error) {
    ThePlatform().ShowUnexpectedError(error.what());
  }
}

std::string ClipListText(const CTolvaneDoc& ledger, size_t* copied) {
  std::string text;
  size_t lines = 0;
  for (uint32_t n = ledger.FirstOf(kMainBuffer); n != 0 && text.size() <= kListClipLimit;
       n = ledger.Entry(n).next) {
    const CPeal* peal = ledger.PealAt(n);
    if (!peal) break;
    text += SplitDisplayLine(ListLine(*peal)).text;
    text += "\r\n";
    ++lines;
  }
  if (copied) *copied = lines;
  return text;
}

void ClipPealList(const CTolvaneDoc& ledger) {
  CWait wait;
  size_t copied = 0;
  // The list's own limit holds, not the smaller one of display-line copies, so that what the
  // message says is what the clipboard gets.
  const std::string text = ClipListText(ledger, &copied);
  CopyTextToClipboard(text);
  const size_t peals = ledger.PealsOf(kMainBuffer).size();
  if (copied < peals) {
    ThePlatform().Message(std::string(kListClipTruncated) + "- the first " +
                          std::to_string(copied) + " of the " + std::to_string(peals) +
                          " lines of buffer 1 were copied.");
  }
}

void ClearBufferCommand(CTolvaneDoc& ledger) {
  if (!ledger.BufferExists(ledger.currentBuffer)) return;
  const size_t peals = ledger.PealsOf(ledger.currentBuffer).size();
  // Cleared peals leave the ledger for good: the user is told how many first.
  if (peals > 0) {
    const std::string question =
        "Clear will discard the " + std::to_string(peals) + (peals == 1 ? " peal" : " peals") +
        " of buffer " + std::to_string(ledger.currentBuffer) +
        " for good: they will not be saved. Go on?";
    if (!ThePlatform().Confirm(question)) return;
  }
  ledger.Clear();
}

std::optional<CmdState> CTolvaneView::State(Cmd cmd) {
  constexpr CmdState on{.enabled = true};
  switch (cmd) {
    case Cmd::FileSave: case Cmd::FileSaveAs: case Cmd::Goto: case Cmd::Clip: case Cmd::MarkSet:
    case Cmd::Delete: case Cmd::Transfer: case Cmd::Back: case Cmd::Forward: case Cmd::PageBack:
    case Cmd::PageForward: case Cmd::Top: case Cmd::Bottom: case Cmd::Swap: case Cmd::Rotate:
    case Cmd::BuffersCombine: case Cmd::BuffersClear: case Cmd::BuffersAll: case Cmd::Undelete:
    case Cmd::New: case Cmd::Edit: case Cmd::Select: case Cmd::GlobalEdit: case Cmd::Export:
    case Cmd::Analyse: case Cmd::Records: case Cmd::ImportOldSgml: case Cmd::ImportNewSgml:
    case Cmd::ImportCheckSgml: case Cmd::ImportMarwick: case Cmd::ImportLogwright:
    case Cmd::SteeplexImport: case Cmd::SteeplexCollate: case Cmd::SteeplexTowerCsv:
    case Cmd::ImportPerformances:
      return on;
    // Items with no action.
    case Cmd::LoadSelective: case Cmd::MarkClear:
      return CmdState{};
    default:
      return std::nullopt;
  }
}

void CTolvaneView::Run(Cmd cmd) {
  CTolvaneDoc& ledger = m_app.Ledger();
  switch (cmd) {
    case Cmd::FileSave: m_app.SaveLedger(false); break;
    case Cmd::FileSaveAs: m_app.SaveLedger(true); break;
    case Cmd::Goto: ledger.Goto(); break;
    case Cmd::Clip: ClipPealList(ledger); break;
    case Cmd::MarkSet: ledger.MarkSet(); break;
    case Cmd::Delete: ledger.Delete(); break;
    case Cmd::Transfer: ledger.Transfer(); break;
    case Cmd::Back: ledger.Back(); break;
    case Cmd::Forward: ledger.Forward(); break;
    case Cmd::PageBack: ledger.PageBack(kListLinesShown); break;
    case Cmd::PageForward: ledger.PageForward(kListLinesShown); break;
    case Cmd::Top: ledger.Top(); break;
    case Cmd::Bottom: ledger.Bottom(); break;
    case Cmd::Swap: ledger.Swap(); break;
    case Cmd::Rotate: ledger.Rotate(); break;
    case Cmd::BuffersCombine: ledger.Combine(); break;
    case Cmd::BuffersClear: ClearBufferCommand(ledger); break;
    case Cmd::BuffersAll: ledger.All(); break;
    case Cmd::Undelete: ledger.Undelete(); break;
    case Cmd::New: ledger.New(); break;
    case Cmd::Edit: EditCurrentPeal(ledger); break;
    case Cmd::Select: ledger.Select(); break;
    case Cmd::GlobalEdit: ledger.GlobalEdit(); break;
    case Cmd::Export: ExportPeals(ledger, m_app.ExportState()); break;
    case Cmd::Analyse: m_app.Analysis().Analyse(ledger); break;
    case Cmd::Records: m_app.Records().Start(ledger, ledger.pathName); break;
    case Cmd::ImportOldSgml: ImportCommand(ledger, ImportKind::OldSgml); break;
    case Cmd::ImportNewSgml: ImportCommand(ledger, ImportKind::NewSgml); break;
    case Cmd::ImportCheckSgml: ImportCommand(ledger, ImportKind::CheckSgml); break;
    case Cmd::ImportMarwick: ImportCommand(ledger, ImportKind::Marwick); break;
    case Cmd::ImportLogwright: ImportCommand(ledger, ImportKind::Logwright); break;
    case Cmd::SteeplexImport: ImportSteeplexCommand(); break;
    case Cmd::SteeplexCollate: CollateSteeplex(); break;
    case Cmd::SteeplexTowerCsv: ImportTowerCsvCommand(); break;
    case Cmd::ImportPerformances: ImportCommand(ledger, ImportKind::Performances); break;
    default: break;
  }
}

}  // namespace tv

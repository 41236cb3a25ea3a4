// The current-peal document and its windows' commands.
#include "app/peal_doc.h"

#include "app/peal_text.h"
#include "app/tolvane_view.h"
#include "core/display_lines.h"
#include "core/text.h"
#include "peals/extra_dialog.h"
#include "peals/tolvane_doc.h"

namespace tv {

std::string CurrentPealTitle(const CPeal& peal) {
  const std::string rw = PadNumber(peal.RwPageNumber(true), 6, true, false);
  return "No " + std::to_string(peal.pealNumber) + " (RW" + rw.substr(rw.size() - 6) + ")";
}

void CPealDoc::ShowPeal(const CPeal* peal) {
  m_peal = peal;
  m_number = peal ? peal->pealNumber : 0;
  // With no peal the title no longer names one, so that an emptied buffer does not look full.
  m_title = peal ? CurrentPealTitle(*peal) : std::string(kCurrentPealTitle);
  if (window) window->SetTitle(m_title);
  if (window) {
    window->ShowWindow(false);
    window->Redraw();
  }
}

const CPeal* CPealDoc::Shown() const {
  if (!ledger) return m_peal;
  return m_number != 0 ? ledger->PealAt(m_number) : nullptr;
}

const std::string& CPealView::Text() {
  const CPeal* peal = m_doc.Shown();
  shownText = peal ? PealText(*peal, style) : std::string();
  return shownText;
}

bool CPealView::FixedFont() const { return style == kStyleAscy; }

std::optional<CmdState> CPealView::State(Cmd cmd) {
  switch (cmd) {
    case Cmd::Back: case Cmd::Forward: case Cmd::PageBack: case Cmd::PageForward: case Cmd::Clip:
      return CmdState{.enabled = true};
    case Cmd::StyleRw: return CmdState{.enabled = true, .checked = style == kStyleRw};
    case Cmd::StyleRwq: return CmdState{.enabled = true, .checked = style == kStyleRwq};
    case Cmd::StyleSgml: return CmdState{.enabled = true, .checked = style == kStyleSgml};
    case Cmd::StyleAscy: return CmdState{.enabled = true, .checked = style == kStyleAscy};
    case Cmd::Edit: return CmdState{.enabled = m_doc.ledger != nullptr};
    // Extras belong to a peal: without one there is nothing to edit.
    case Cmd::EditExtra:
      return CmdState{.enabled = m_doc.ledger && CurrentPealOf(*m_doc.ledger) != nullptr};
    default: return std::nullopt;
  }
}

void CPealView::Run(Cmd cmd) {
  CTolvaneDoc* ledger = m_doc.ledger;
  switch (cmd) {
    case Cmd::Back: if (ledger) ledger->MoveBack(1); break;
    case Cmd::Forward: if (ledger) ledger->MoveForward(1); break;
    case Cmd::PageBack: if (ledger) ledger->MoveBack(kPealWindowPage); break;
    case Cmd::PageForward: if (ledger) ledger->MoveForward(kPealWindowPage); break;
    case Cmd::Clip: CopyTextToClipboard(Text()); break;
    case Cmd::Edit: if (ledger) EditCurrentPeal(*ledger); break;
    case Cmd::EditExtra:
      if (ledger) EditExtras(*ledger, CurrentPealOf(*ledger));
      break;
    case Cmd::StyleRw: case Cmd::StyleRwq: case Cmd::StyleSgml: case Cmd::StyleAscy:
      style = static_cast<int>(cmd) - static_cast<int>(Cmd::StyleRw);
      Text();
      if (m_doc.window) m_doc.window->Redraw();
      break;
    default: break;
  }
}

}  // namespace tv

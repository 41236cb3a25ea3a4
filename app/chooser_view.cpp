// The chooser window's menu: which commands show enabled, and what each calls.
#include "app/chooser_view.h"

namespace tv {

std::optional<CmdState> CChooseView::State(Cmd cmd) {
  const bool open = m_doc.HasIndex();
  switch (cmd) {
    case Cmd::FileSave: case Cmd::IndexRebuild: case Cmd::IndexAudit: case Cmd::IndexPurge:
    case Cmd::IndexSgml: case Cmd::IndexTable: case Cmd::New: case Cmd::Edit: case Cmd::Display:
    case Cmd::Delete: case Cmd::Reorder: case Cmd::Back: case Cmd::Forward: case Cmd::PageBack:
    case Cmd::PageForward: case Cmd::Goto:
      return CmdState{.enabled = open};
    case Cmd::IndexImport: return CmdState{.enabled = m_doc.CanImport()};
    case Cmd::IndexImportXml: return CmdState{.enabled = m_doc.CanImportXml()};
    case Cmd::FindNext: return CmdState{.enabled = m_doc.CanFindNext()};
    case Cmd::Choose: case Cmd::Cancel: return CmdState{.enabled = true};
    case Cmd::KeysDisplay: return CmdState{.enabled = true, .checked = m_doc.ShowLinks()};
    default: return std::nullopt;
  }
}

void CChooseView::Run(Cmd cmd) {
  switch (cmd) {
    case Cmd::FileSave: m_doc.Save(); break;
    case Cmd::IndexRebuild: m_doc.Index(); break;
    case Cmd::IndexAudit: m_doc.Audit(); break;
    case Cmd::IndexPurge: m_doc.Purge(); break;
    case Cmd::IndexSgml: m_doc.Sgml(); break;
    case Cmd::IndexTable: m_doc.Table(); break;
    case Cmd::IndexImport: m_doc.Import(); break;
    case Cmd::IndexImportXml: m_doc.ImportXml(); break;
    case Cmd::New: m_doc.New(); break;
    case Cmd::Edit: m_doc.Edit(); break;
    case Cmd::Display: m_doc.Display(); break;
    case Cmd::Delete: m_doc.Delete(); break;
    case Cmd::Reorder: m_doc.Reorder(); break;
    case Cmd::Back: m_doc.Back(); break;
    case Cmd::Forward: m_doc.Forward(); break;
    case Cmd::PageBack: m_doc.PageBack(); break;
    case Cmd::PageForward: m_doc.PageForward(); break;
    case Cmd::Goto: m_doc.Find(); break;
    case Cmd::FindNext: m_doc.FindNext(); break;
    case Cmd::Choose: m_doc.Choose(); break;
    case Cmd::Cancel: m_doc.Cancel(); break;
    case Cmd::KeysDisplay: m_doc.ToggleLinks(); break;
    default: break;
  }
}

}  // namespace tv

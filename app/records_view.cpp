// The Records window's menu.
#include "app/records_view.h"

namespace tv {

std::optional<CmdState> CRecordsView::State(Cmd cmd) {
  switch (cmd) {
    case Cmd::RecordsExport: case Cmd::Clip: case Cmd::RecordsSaveChart:
      return CmdState{.enabled = m_doc.HasRecord()};
    default: return std::nullopt;
  }
}

void CRecordsView::Run(Cmd cmd) {
  switch (cmd) {
    case Cmd::RecordsExport: m_doc.Export(); break;
    case Cmd::Clip: m_doc.Clip(); break;
    case Cmd::RecordsSaveChart: m_doc.SaveChart(); break;
    default: break;
  }
}

}  // namespace tv

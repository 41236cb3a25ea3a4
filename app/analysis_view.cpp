// The analysis window's extent and menu.
#include "app/analysis_view.h"

#include <algorithm>

#include "core/display_lines.h"

namespace tv {

ScrollExtent ReportExtent(const std::vector<std::string>& lines,
                          const std::function<int(std::string_view)>& width,
                          const std::function<int(std::string_view)>& height) {
  ScrollExtent extent{.width = 100, .height = 100};
  int lastHeight = 0;
  for (const std::string& line : lines) {
    const std::string_view text = SplitDisplayLine(line).text;
    if (!text.empty()) lastHeight = height(text);
    extent.height += lastHeight;
    extent.width = std::max(extent.width, width(text));
  }
  return extent;
}

std::optional<CmdState> CAnalView::State(Cmd cmd) {
  switch (cmd) {
    case Cmd::AnalysisExport: case Cmd::Clip: case Cmd::AnalysisSaveAs:
      return CmdState{.enabled = m_doc.HasAnalysis()};
    case Cmd::Switch: return CmdState{.enabled = m_doc.CanSwitch()};
    case Cmd::Threshold: return CmdState{.enabled = m_doc.CanThreshold()};
    case Cmd::Equivalence: return CmdState{.enabled = m_doc.CanEquivalence()};
    default: return std::nullopt;
  }
}

void CAnalView::Run(Cmd cmd) {
  switch (cmd) {
    case Cmd::AnalysisExport: m_doc.Export(); break;
    case Cmd::Clip: m_doc.Clip(); break;
    case Cmd::AnalysisSaveAs: m_doc.SaveAs(); break;
    case Cmd::Switch: m_doc.Switch(); break;
    case Cmd::Threshold: m_doc.Threshold(); break;
    case Cmd::Equivalence: m_doc.Equivalence(); break;
    default: break;
  }
}

}  // namespace tv

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
    case Cmd::AnalysisExport: case Cmd::Clip: case Cmd::AnalysisSaveAs: case Cmd::Switch:
    case Cmd::Threshold: case Cmd::Equivalence:
      return CmdState{};
    default:
      return std::nullopt;
  }
}

}  // namespace tv

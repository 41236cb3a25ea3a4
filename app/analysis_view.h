// The analysis document as the windows see it: the report lines shown, the window's scroll
// extent, and the analysis menu. The analysis itself fills the report.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/commands.h"
#include "app/doc_window.h"

namespace tv {

class CAnalysisReport {
 public:
  // The presentation shown: the alternative lines when switched to them.
  const std::vector<std::string>& Shown() const { return showAlternative ? altLines : mainLines; }

  std::vector<std::string> mainLines;
  std::vector<std::string> altLines;
  bool showAlternative = false;
  CDocWindow* window = nullptr;  // not owned
};

struct ScrollExtent {
  int width = 0;
  int height = 0;
};

// The scroll extent of the shown lines: the widest line's text, at least 100 wide; 100 plus the
// lines' heights high, an empty line counting as high as the last non-empty line before it.
// `width` and `height` measure one line's text without its colour prefix.
ScrollExtent ReportExtent(const std::vector<std::string>& lines,
                          const std::function<int(std::string_view)>& width,
                          const std::function<int(std::string_view)>& height);

// One window on the analysis report. Its commands arrive with the analysis.
class CAnalView : public CCommandTarget {
 public:
  explicit CAnalView(CAnalysisReport& report) : m_report(report) {}
  const std::vector<std::string>& Lines() const { return m_report.Shown(); }

  std::optional<CmdState> State(Cmd cmd) override;
  void Run(Cmd) override {}

 private:
  CAnalysisReport& m_report;
};

}  // namespace tv

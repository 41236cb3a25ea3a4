// The analysis window's logic (CAnalView): the lines it draws, its scroll extent, and the
// analysis menu over the analysis document.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/anal_doc.h"
#include "app/commands.h"

namespace tv {

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

// One window on the analysis document. Export, Clip and Save As need an analysis; Switch,
// Threshold and Equivalence only show for the analyses that have them.
class CAnalView : public CCommandTarget {
 public:
  explicit CAnalView(CAnalDoc& doc) : m_doc(doc) {}
  const std::vector<std::string>& Lines() const { return m_doc.Shown(); }
  CAnalDoc& Doc() const { return m_doc; }

  std::optional<CmdState> State(Cmd cmd) override;
  void Run(Cmd cmd) override;

 private:
  CAnalDoc& m_doc;
};

}  // namespace tv

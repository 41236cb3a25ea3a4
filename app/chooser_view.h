// The commands of an index chooser's window, routed to its document.
#pragma once

#include "app/chooser_doc.h"
#include "app/commands.h"

namespace tv {

class CChooseView : public CCommandTarget {
 public:
  explicit CChooseView(CChooseDoc& doc) : m_doc(doc) {}
  CChooseDoc& Doc() const { return m_doc; }

  std::optional<CmdState> State(Cmd cmd) override;
  void Run(Cmd cmd) override;

 private:
  CChooseDoc& m_doc;
};

}  // namespace tv

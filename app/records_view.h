// The Records window's menu over its document: Export, Clip and Save Chart need a record.
#pragma once

#include "app/commands.h"
#include "app/records_doc.h"

namespace tv {

class CRecordsView : public CCommandTarget {
 public:
  explicit CRecordsView(CRecordsDoc& doc) : m_doc(doc) {}
  CRecordsDoc& Doc() const { return m_doc; }

  std::optional<CmdState> State(Cmd cmd) override;
  void Run(Cmd cmd) override;

 private:
  CRecordsDoc& m_doc;
};

}  // namespace tv

// The application (CTolvaneApp): start-up, the five documents that live for the whole run,
// opening a ledger into the one peal ledger, and quitting.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "analysis/anal_doc.h"
#include "app/chooser_doc.h"
#include "app/commands.h"
#include "app/doc_window.h"
#include "app/peal_doc.h"
#include "app/records_doc.h"
#include "app/start_directory.h"
#include "output/export_command.h"
#include "peals/tolvane_doc.h"

namespace tv {

// The permanent documents, in the order start-up makes their windows; the Records window is
// made when the first record is shown.
enum class DocId { Chooser1, Chooser2, Analysis, CurrentPeal, PealList, Records };
inline constexpr int kDocIdCount = 6;

// What the application needs of the main frame.
class CAppShell {
 public:
  virtual ~CAppShell() = default;
  // Makes the first window of a permanent document, hidden, and gives its face. The frame keeps
  // it for the run: closing it hides it.
  virtual CDocWindow* MakeWindow(DocId doc) = 0;
  virtual void AddRecentFile(const std::string& path) = 0;
};

inline constexpr std::string_view kLedgerTitle = "Peal List";
inline constexpr std::string_view kLedgerFilter =
    "Peal Files (*.tv3)|*.tv3|Quarter Peal Files (*.qv3)|*.qv3|All Files (*.*)|*.*||";

class CTolvaneApp : public CLedgerViews, public CAnalListener, public CRecordsListener,
                    public CCommandTarget {
 public:
  CTolvaneApp() = default;
  CTolvaneApp(const CTolvaneApp&) = delete;
  CTolvaneApp& operator=(const CTolvaneApp&) = delete;

  // Makes the documents and their windows in order, opens the index set (in the directory
  // `startDirectory` chooses, else in the current directory), reads the Steeplex
  // cross-reference, activates the peal list, and opens the ledger the command line names.
  // False when the user cancelled the choice of a database, or another program holds the index
  // directory (the user is told which): the program should stop.
  bool Start(CAppShell& shell, std::string_view commandLine);
  // True after Start stopped because another program holds the index directory: the program
  // did not run, which its exit status should say.
  bool StartRefused() const { return m_startRefused; }
  // Saves every index and a changed cross-reference. Call once, after CanQuit agreed.
  void Shutdown();

  CTolvaneDoc& Ledger() { return m_ledger; }
  const CTolvaneDoc& Ledger() const { return m_ledger; }
  CPealDoc& PealDoc() { return m_pealDoc; }
  CChooseDoc& Chooser(int n) { return n == 2 ? m_chooser2 : m_chooser1; }
  CAnalDoc& Analysis() { return m_analysis; }
  CRecordsDoc& Records() { return m_records; }
  // The Export command's settings, kept from one export to the next.
  CExportState& ExportState() { return m_exportState; }
  // The buffer of the next peal-list window: 1 for the first, then 2, 3, ... for the run.
  int NextListBuffer() { return m_nextListBuffer++; }
  // "Peal List" until the ledger has a file, then the file's name.
  const std::string& LedgerTitle() const { return m_ledgerTitle; }

  // Loads a ledger into the peal ledger, after offering to save a modified one; false when the
  // user cancelled or the file could not be read (the open ledger then stays).
  bool OpenLedger(const std::string& path);
  // File Open: asks for a ledger and opens it.
  void OpenCommand();
  // Save (or Save As); true when the ledger was written.
  bool SaveLedger(bool saveAs);
  // Offers to save a modified ledger ("Save changes to %1?"); false when the user cancelled or
  // the save failed, so the caller must not go on.
  bool SaveModified();
  // Hands a chooser request to chooser 1 or 2.
  void StartChooser(const ChooserRequest& request);

  // CLedgerViews
  void ShowPeal(const CPeal* peal) override;
  void RedrawAll() override;
  // CAnalListener: the analysis window takes the new analysis's title and comes to the top.
  void AnalysisShown(const std::string& title) override;
  void AnalysisRedraw() override;
  // CRecordsListener: the Records window, made the first time, takes the title and comes to
  // the top.
  void RecordShown(const std::string& title) override;
  // CCommandTarget: the frame's own commands.
  std::optional<CmdState> State(Cmd cmd) override;
  void Run(Cmd cmd) override;

  CDocWindow* listWindow = nullptr;  // the peal list's first window; not owned
  // Chooses the index directory at start-up and remembers the directories used; when null the
  // index directory is the current directory. Not owned.
  CStartDirectory* startDirectory = nullptr;

 private:
  // The ledger's file is now `path`; `saveAs` when it was just written under that name.
  void SetLedgerFile(const std::string& path, bool saveAs);

  CAppShell* m_shell = nullptr;
  CChooseDoc m_chooser1;
  CChooseDoc m_chooser2;
  CDocWindow* m_analysisWindow = nullptr;  // not owned
  CAnalDoc m_analysis;
  CRecordsDoc m_records;
  CExportState m_exportState;
  CPealDoc m_pealDoc;
  CTolvaneDoc m_ledger;
  std::string m_ledgerTitle{kLedgerTitle};
  int m_nextListBuffer = 1;
  bool m_shutDown = false;
  bool m_startRefused = false;
  std::unique_ptr<FileLock> m_indexLock;  // the index directory, held for the whole session
};

// The ledger a command line names: a name beginning with a double quote loses its first and last
// characters. Empty when there is none.
std::string LedgerNameFromCommandLine(std::string_view commandLine);

}  // namespace tv

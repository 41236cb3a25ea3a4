// Start-up, opening and saving the ledger, and quitting.
#include "app/tolvane_app.h"

#include "core/services.h"
#include "core/text.h"
#include "refdb/index_lock.h"
#include "refdb/index_set.h"

namespace tv {

std::string LedgerNameFromCommandLine(std::string_view commandLine) {
  std::string name = Trimmed(commandLine);
  if (!name.empty() && name.front() == '"') {
    name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string();
  }
  return name;
}

bool CTolvaneApp::Start(CAppShell& shell, std::string_view commandLine) {
  m_shell = &shell;
  m_chooser1.window = shell.MakeWindow(DocId::Chooser1);
  m_chooser2.window = shell.MakeWindow(DocId::Chooser2);
  m_chooser1.views = this;
  m_chooser2.views = this;
  m_analysisWindow = shell.MakeWindow(DocId::Analysis);
  if (m_analysisWindow) m_analysisWindow->ShowWindow(false);
  m_analysis.listener = this;
  m_records.listener = this;
  m_pealDoc.window = shell.MakeWindow(DocId::CurrentPeal);
  // The index set opens when the current-peal document is made: in the current directory, or
  // where the start-up choice puts it. Opening the set also reads the Steeplex cross-reference.
  std::string ledger = LedgerNameFromCommandLine(commandLine);
  std::optional<StartPlace> place;
  if (startDirectory) {
    place = startDirectory->Choose(ledger);
    if (!place) return false;
  }
  // The program writes the indexes all through the session, so a second writer is refused
  // before anything is opened: two programs saving the same files would lose records.
  Status refusal;
  m_indexLock = HoldIndexDirectory(place ? place->directory : std::string(), "Tolvane", refusal);
  if (!m_indexLock) {
    ThePlatform().Message(refusal.message() + " Close it, then start Tolvane again.");
    m_startRefused = true;
    return false;
  }
  if (place) {
    OpenIndexSet(place->directory);
    if (ledger.empty()) ledger = place->ledger;
    startDirectory->DirectoryUsed(IndexDirectory());
  } else {
    OpenIndexSet();
  }
  m_pealDoc.entryChooser = &m_chooser1;
  m_pealDoc.ledger = &m_ledger;
  m_ledger.views = this;
  // The selection's Analysis box asks the analysis on the screen.
  m_ledger.selection.analysis = &m_analysis;
  listWindow = shell.MakeWindow(DocId::PealList);
  if (listWindow) {
    listWindow->SetTitle(m_ledgerTitle);
    listWindow->ShowWindow(true);
  }
  if (!ledger.empty()) OpenLedger(ledger);
  return true;
}

void CTolvaneApp::Shutdown() {
  if (m_shutDown) return;
  m_shutDown = true;
  // Saving the indexes also writes a changed Steeplex cross-reference.
  if (IndexSetIsOpen()) SaveAllIndexes();
}

void CTolvaneApp::SetLedgerFile(const std::string& path, bool saveAs) {
  m_ledgerTitle = PathFileName(path);
  if (listWindow) listWindow->SetTitle(m_ledgerTitle);
  if (m_shell) m_shell->AddRecentFile(path);
  if (startDirectory && IndexSetIsOpen()) startDirectory->LedgerUsed(path, IndexDirectory(), saveAs);
}

bool CTolvaneApp::SaveModified() {
  if (!m_ledger.modified) return true;
  switch (ThePlatform().AskSaveChanges(m_ledgerTitle)) {
    case SaveAnswer::Cancel: return false;
    case SaveAnswer::No: return true;
    case SaveAnswer::Yes: return SaveLedger(false);
  }
  return false;
}

bool CTolvaneApp::OpenLedger(const std::string& path) {
  // Loading replaces every peal, so unsaved changes are offered for saving first.
  if (!SaveModified()) return false;
  const Status status = m_ledger.Open(path);
  if (status.code() == StatusCode::NotFound || status.code() == StatusCode::IoError ||
      status.code() == StatusCode::BadData) {
    return false;
  }
  SetLedgerFile(path, false);
  if (listWindow) listWindow->ShowWindow(true);
  // The peals name their entries by key: in another database those keys name other entries.
  if (startDirectory && IndexSetIsOpen()) {
    if (const std::string own = startDirectory->RememberedElsewhere(path, IndexDirectory()); !own.empty()) {
      ThePlatform().Message(PathFileName(path) + " was last used with the reference database in " + own +
                            "; its names are shown from the database in use, " + IndexDirectory() +
                            ". Start Tolvane on the ledger to use its own.");
    }
  }
  return true;
}

void CTolvaneApp::OpenCommand() {
  const auto path = ThePlatform().PromptOpenFile(FilePrompt{.title = "Open",
                                                            .filter = std::string(kLedgerFilter),
                                                            .directory = m_ledger.defaultDirectory,
                                                            .overwritePrompt = false});
  if (path) OpenLedger(*path);
}

bool CTolvaneApp::SaveLedger(bool saveAs) {
  const Status status = saveAs ? m_ledger.SaveAs() : m_ledger.Save();
  if (!status.ok()) return false;
  SetLedgerFile(m_ledger.pathName, saveAs);
  return true;
}

void CTolvaneApp::StartChooser(const ChooserRequest& request) {
  Chooser(request.chooser).Start(request.target, request.index, request.text, request.title);
}

void CTolvaneApp::ShowPeal(const CPeal* peal) { m_pealDoc.ShowPeal(peal); }

void CTolvaneApp::AnalysisShown(const std::string& title) {
  if (!m_analysisWindow) return;
  m_analysisWindow->SetTitle(title);
  m_analysisWindow->ShowWindow(true);
  m_analysisWindow->Redraw();
}

void CTolvaneApp::RecordShown(const std::string& title) {
  if (!m_records.window && m_shell) m_records.window = m_shell->MakeWindow(DocId::Records);
  if (!m_records.window) return;
  m_records.window->SetTitle(title);
  m_records.window->ShowWindow(true);
  m_records.window->Redraw();
}

void CTolvaneApp::AnalysisRedraw() {
  if (m_analysisWindow) m_analysisWindow->Redraw();
}

void CTolvaneApp::RedrawAll() {
  if (listWindow) listWindow->Redraw();
  if (m_pealDoc.window) m_pealDoc.window->Redraw();
}

std::optional<CmdState> CTolvaneApp::State(Cmd cmd) {
  if (AlwaysDisabled(cmd)) return CmdState{};
  if (cmd == Cmd::FileOpen) return CmdState{.enabled = true};
  return std::nullopt;
}

void CTolvaneApp::Run(Cmd cmd) {
  if (cmd == Cmd::FileOpen) OpenCommand();
}

}  // namespace tv

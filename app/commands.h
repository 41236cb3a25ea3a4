// The program's command vocabulary: command ids, the menu bar of each document kind, the one
// accelerator table, the toolbar and the status-bar prompts. The desktop program builds its
// menus from these tables; the documents say which commands they handle and how they show.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

enum class Cmd {
  None,
  // File
  FileNew, FileOpen, LoadSelective, FileSave, FileSaveAs, FileCombine, ImportOldSgml,
  ImportNewSgml, ImportCheckSgml, ImportMarwick, ImportLogwright, ImportPerformances, FileMore, Export, Print,
  PrintPreview, PrintSetup, RecentFiles, Exit,
  // List
  Select, Goto, Clip, GlobalEdit, MarkClear, MarkSet,
  // Peal (and the chooser's Item menu, which shares the moving commands)
  New, Delete, Transfer, Back, Forward, PageBack, PageForward, Top, Bottom,
  // Buffers
  Swap, Rotate, BuffersCombine, BuffersClear, BuffersAll, Undelete,
  Analyse, SteeplexImport, SteeplexCollate, SteeplexTowerCsv,
  // View, Window, Help
  ViewToolbar, ViewStatusBar, WindowNew, WindowCascade, WindowTile, WindowArrange, About,
  // Current peal
  Edit, EditExtra, StyleRw, StyleRwq, StyleSgml, StyleAscy,
  // Index chooser
  IndexRebuild, IndexAudit, IndexPurge, IndexSgml, IndexTable, IndexImport, IndexImportXml, Display,
  Reorder,
  FindNext, Choose, Cancel, KeysDisplay,
  // Analysis
  AnalysisExport, AnalysisSaveAs, Switch, Threshold, Equivalence,
  // Records
  Records, RecordsExport, RecordsSaveChart,
  // Edit keys no window handles
  Cut, Paste, Undo, ContextHelp, NextPane, PrevPane,
};

// The kinds of document window, each with its menu bar; Frame is the bar shown when no document
// window is open.
enum class DocKind { Frame, PealList, CurrentPeal, Chooser, Analysis, Records };

struct CmdState {
  bool enabled = false;
  bool checked = false;
};

// Whatever handles commands: a document's view, or the application for the frame's commands.
class CCommandTarget {
 public:
  virtual ~CCommandTarget() = default;
  // How the command shows when this target handles it; nothing when it does not.
  virtual std::optional<CmdState> State(Cmd cmd) = 0;
  // Runs a command that State reported enabled.
  virtual void Run(Cmd cmd) = 0;
};

// Commands the frame reports disabled whenever asked, whatever window is active.
bool AlwaysDisabled(Cmd cmd);

struct MenuItem {
  std::string label;  // with the '&' of its access key and "\t" before the key shown
  Cmd cmd = Cmd::None;
  std::vector<MenuItem> items;  // a submenu when not empty
  bool checkable = false;
  bool IsSeparator() const { return label.empty(); }
};

// The menu bar of a document kind: top-level entries with their items. An entry with a command
// and no items sits on the bar itself. The Window menu gets the list of open
// windows from the platform; Cmd::RecentFiles marks where the recent files go.
const std::vector<MenuItem>& MenuBar(DocKind kind);

struct Accelerator {
  std::string_view key;  // portable key text: "Ctrl+O", "Up", "PgUp", "Ins", "?"
  Cmd cmd;
};
// One table for the whole frame; several keys may share a command.
const std::vector<Accelerator>& Accelerators();

// The toolbar, left to right; Cmd::None is a gap.
const std::vector<Cmd>& ToolbarCommands();
// The toolbar button's tooltip.
std::string_view ToolTip(Cmd cmd);

// The status-bar prompt of a command; empty when it has none.
std::string_view Prompt(Cmd cmd);
inline constexpr std::string_view kIdlePrompt = "Ready";

}  // namespace tv

// The menu bars, accelerators, toolbar and prompts of the desktop program.
#include "app/commands.h"

namespace tv {
namespace {

MenuItem Item(std::string label, Cmd cmd) { return {.label = std::move(label), .cmd = cmd}; }
MenuItem Check(std::string label, Cmd cmd) {
  return {.label = std::move(label), .cmd = cmd, .checkable = true};
}
MenuItem Sub(std::string label, std::vector<MenuItem> items) {
  return {.label = std::move(label), .items = std::move(items)};
}
MenuItem Separator() { return {}; }

MenuItem WindowMenu() {
  return Sub("&Window", {Item("&New Window", Cmd::WindowNew), Item("&Cascade", Cmd::WindowCascade),
                         Item("&Tile", Cmd::WindowTile),
                         Item("&Arrange Icons", Cmd::WindowArrange)});
}
MenuItem ViewMenu() {
  return Sub("&View", {Check("&Toolbar", Cmd::ViewToolbar), Check("&Status Bar", Cmd::ViewStatusBar)});
}
MenuItem HelpMenu() { return Sub("&Help", {Item("&About Tolvane...", Cmd::About)}); }

std::vector<MenuItem> FrameBar() {
  return {Sub("&File", {Item("&New\tCtrl+N", Cmd::FileNew), Item("&Open...\tCtrl+O", Cmd::FileOpen),
                        Separator(), Item("P&rint Setup...", Cmd::PrintSetup), Separator(),
                        Item("Recent File", Cmd::RecentFiles), Separator(),
                        Item("E&xit", Cmd::Exit)}),
          // With every window closed, the Window menu still brings back the peal list.
          ViewMenu(), WindowMenu(), HelpMenu()};
}

std::vector<MenuItem> PealListBar() {
  return {
      Sub("&File",
          {Item("&Open...\tCtrl+O", Cmd::FileOpen), Item("&Load Selective", Cmd::LoadSelective),
           Item("&Save\tCtrl+S", Cmd::FileSave), Item("Save &As...", Cmd::FileSaveAs),
           Item("Com&bine", Cmd::FileCombine),
           Sub("&Import", {Item("&Old SGML (KRT)", Cmd::ImportOldSgml),
                           Item("&New SGML (VLMS)", Cmd::ImportNewSgml),
                           Item("&Check SGML", Cmd::ImportCheckSgml),
                           Item("&Marwick", Cmd::ImportMarwick),
                           Item("&Logwright", Cmd::ImportLogwright),
                           Item("&Performances (XML)", Cmd::ImportPerformances)}),
           Item("&More", Cmd::FileMore), Item("&Export", Cmd::Export), Separator(),
           Item("&Print...\tCtrl+P", Cmd::Print), Item("Print Pre&view", Cmd::PrintPreview),
           Item("P&rint Setup...", Cmd::PrintSetup), Separator(),
           Item("Recent File", Cmd::RecentFiles), Separator(), Item("E&xit", Cmd::Exit)}),
      Sub("&List", {Item("&Select", Cmd::Select), Item("&Goto\tCtrl+G", Cmd::Goto),
                    Item("&Clip\tCtrl+C", Cmd::Clip), Item("Global &Edit", Cmd::GlobalEdit),
                    Sub("&Mark", {Item("&Clear", Cmd::MarkClear), Item("&Set", Cmd::MarkSet)})}),
      Sub("&Peal", {Item("&New\tIns", Cmd::New), Item("&Delete\tDel", Cmd::Delete),
                    Item("&Transfer", Cmd::Transfer), Separator(), Item("Back\tUp", Cmd::Back),
                    Item("&Forward\tDn", Cmd::Forward), Item("Page  Back\tPg Up", Cmd::PageBack),
                    Item("&Page Forward\tPg Dn", Cmd::PageForward), Item("Top\tHome", Cmd::Top),
                    Item("Bottom\tEnd", Cmd::Bottom)}),
      Sub("&Buffers", {Item("&Swap", Cmd::Swap), Item("&Rotate", Cmd::Rotate),
                       Item("&Combine", Cmd::BuffersCombine), Item("C&lear", Cmd::BuffersClear),
                       Item("&All", Cmd::BuffersAll), Item("&Undelete", Cmd::Undelete)}),
      Sub("&Analyse", {Item("&League Tables...", Cmd::Analyse), Item("&Records...", Cmd::Records)}),
      Sub("&Steeplex", {Item("&Import", Cmd::SteeplexImport), Item("&Collate", Cmd::SteeplexCollate),
                        Item("Import &Tower CSV", Cmd::SteeplexTowerCsv)}),
      ViewMenu(), WindowMenu(), HelpMenu()};
}

std::vector<MenuItem> CurrentPealBar() {
  return {Sub("&Peal", {Item("&Back\tUp", Cmd::Back), Item("&Forward\tDn", Cmd::Forward),
                        Item("Page Bac&k\tPg Up", Cmd::PageBack),
                        Item("&Page Forward\tPg Dn", Cmd::PageForward),
                        Item("&Clip\tCtrl+C", Cmd::Clip)}),
          Sub("&Edit", {Item("&Main\tF2", Cmd::Edit), Item("&Extra", Cmd::EditExtra)}),
          Sub("&Style", {Check("&RW", Cmd::StyleRw), Check("RW&Q", Cmd::StyleRwq),
                         Check("&SGML", Cmd::StyleSgml), Check("&ASCY", Cmd::StyleAscy)}),
          WindowMenu()};
}

std::vector<MenuItem> ChooserBar() {
  return {Sub("&File", {Item("&Save", Cmd::FileSave), Item("&Index", Cmd::IndexRebuild),
                        Item("&Audit", Cmd::IndexAudit), Item("&Purge", Cmd::IndexPurge),
                        Item("S&GML", Cmd::IndexSgml), Item("&Table", Cmd::IndexTable),
                        Item("I&mport", Cmd::IndexImport),
                        Item("Import &XML", Cmd::IndexImportXml)}),
          Sub("&Item", {Item("&New\tIns", Cmd::New), Item("&Edit\tF2", Cmd::Edit),
                        Item("Display\t?", Cmd::Display), Item("&Delete\tDel", Cmd::Delete),
                        Item("Reorder", Cmd::Reorder), Separator(), Item("Back\tUp", Cmd::Back),
                        Item("Forward\tDown", Cmd::Forward), Item("Page Back\tPg Up", Cmd::PageBack),
                        Item("Page Forward\tPg Dn", Cmd::PageForward), Separator(),
                        Item("Find\tCtrl+G", Cmd::Goto), Item("Find Next\tAlt+G", Cmd::FindNext),
                        Separator(), Item("&Choose\tEnter", Cmd::Choose),
                        Item("Cance&l\tEsc", Cmd::Cancel)}),
          Sub("&Keys", {Check("&Display", Cmd::KeysDisplay)}), WindowMenu()};
}

std::vector<MenuItem> AnalysisBar() {
  return {Sub("&File", {Item("E&xport", Cmd::AnalysisExport), Item("Clip\tCtrl+C", Cmd::Clip),
                        Item("Save &As", Cmd::AnalysisSaveAs)}),
          Sub("&Options", {Item("&Switch", Cmd::Switch), Item("&Threshold", Cmd::Threshold),
                           Item("&Equivalence", Cmd::Equivalence)}),
          WindowMenu()};
}

std::vector<MenuItem> RecordsBar() {
  return {Sub("&File", {Item("E&xport...", Cmd::RecordsExport), Item("Clip\tCtrl+C", Cmd::Clip),
                        Item("Save &Chart...", Cmd::RecordsSaveChart)}),
          WindowMenu()};
}

}  // namespace

bool AlwaysDisabled(Cmd cmd) {
  switch (cmd) {
    case Cmd::FileNew: case Cmd::Print: case Cmd::PrintPreview: case Cmd::PrintSetup:
    case Cmd::FileMore: case Cmd::FileCombine: case Cmd::Cut: case Cmd::Paste: case Cmd::Undo:
    case Cmd::ContextHelp: case Cmd::NextPane: case Cmd::PrevPane:
      return true;
    default:
      return false;
  }
}

const std::vector<MenuItem>& MenuBar(DocKind kind) {
  static const std::vector<MenuItem> frame = FrameBar();
  static const std::vector<MenuItem> list = PealListBar();
  static const std::vector<MenuItem> peal = CurrentPealBar();
  static const std::vector<MenuItem> chooser = ChooserBar();
  static const std::vector<MenuItem> analysis = AnalysisBar();
  static const std::vector<MenuItem> records = RecordsBar();
  switch (kind) {
    case DocKind::PealList: return list;
    case DocKind::CurrentPeal: return peal;
    case DocKind::Chooser: return chooser;
    case DocKind::Analysis: return analysis;
    case DocKind::Records: return records;
    case DocKind::Frame: break;
  }
  return frame;
}

const std::vector<Accelerator>& Accelerators() {
  // Ctrl+G is not in the original key table although the menus show it; binding it to Goto
  // (Find in a chooser) makes the label true.
  static const std::vector<Accelerator> table = {
      {"Up", Cmd::Back},           {"Left", Cmd::Back},
      {"Down", Cmd::Forward},      {"Right", Cmd::Forward},
      {"PgUp", Cmd::PageBack},     {"PgDown", Cmd::PageForward},
      {"Home", Cmd::Top},          {"End", Cmd::Bottom},
      {"Ins", Cmd::New},           {"Del", Cmd::Delete},
      {"F2", Cmd::Edit},           {"Return", Cmd::Choose},
      {"Enter", Cmd::Choose},      {"Esc", Cmd::Cancel},
      {"Alt+G", Cmd::FindNext},    {"?", Cmd::Display},
      {"Ctrl+I", Cmd::IndexImport}, {"Ctrl+N", Cmd::FileNew},
      {"Ctrl+O", Cmd::FileOpen},   {"Ctrl+S", Cmd::FileSave},
      {"Ctrl+P", Cmd::Print},      {"Ctrl+Ins", Cmd::Clip},
      {"Ctrl+G", Cmd::Goto},       {"Ctrl+X", Cmd::Cut},
      {"Shift+Del", Cmd::Cut},     {"Ctrl+V", Cmd::Paste},
      {"Shift+Ins", Cmd::Paste},   {"Ctrl+Z", Cmd::Undo},
      {"Alt+Backspace", Cmd::Undo}, {"F6", Cmd::NextPane},
      {"Shift+F6", Cmd::PrevPane},
  };
  return table;
}

const std::vector<Cmd>& ToolbarCommands() {
  static const std::vector<Cmd> bar = {
      Cmd::FileNew,  Cmd::FileOpen, Cmd::FileSave, Cmd::None,     Cmd::Cut,         Cmd::Clip,
      Cmd::Paste,    Cmd::None,     Cmd::Print,    Cmd::About,    Cmd::ContextHelp, Cmd::None,
      Cmd::Goto,     Cmd::FindNext, Cmd::None,     Cmd::PageBack, Cmd::Back,        Cmd::Forward,
      Cmd::PageForward, Cmd::None,  Cmd::Choose,   Cmd::Cancel};
  return bar;
}

std::string_view ToolTip(Cmd cmd) {
  switch (cmd) {
    case Cmd::FileNew: return "New";
    case Cmd::FileOpen: return "Open";
    case Cmd::FileSave: return "Save";
    case Cmd::Cut: return "Cut";
    case Cmd::Clip: return "Copy";
    case Cmd::Paste: return "Paste";
    case Cmd::Print: return "Print";
    case Cmd::About: return "About";
    case Cmd::ContextHelp: return "Help";
    case Cmd::Goto: return "Find";
    case Cmd::FindNext: return "Find Next";
    case Cmd::PageBack: return "Page Back";
    case Cmd::Back: return "Back";
    case Cmd::Forward: return "Forward";
    case Cmd::PageForward: return "Page Forward";
    case Cmd::Choose: return "Choose";
    case Cmd::Cancel: return "Cancel";
    default: return {};
  }
}

std::string_view Prompt(Cmd cmd) {
  switch (cmd) {
    case Cmd::IndexImport: return "Import SGML (old format) file";
    case Cmd::Back: return "Select Previous record";
    case Cmd::Forward: return "Select Next Record";
    case Cmd::Delete: return "Delete current record";
    case Cmd::Edit: return "Edit current record";
    case Cmd::AnalysisSaveAs: return "Save data and create new index";
    case Cmd::Reorder: return "Insert current record in correct place in list";
    case Cmd::Cancel: return "Abandon Selection";
    case Cmd::Goto: return "Goto matching record";
    case Cmd::New: return "New record";
    case Cmd::IndexRebuild: return "Create new index";
    case Cmd::Switch: return "Alternative analysis presentation";
    case Cmd::Export: case Cmd::AnalysisExport: return "Export Text File";
    case Cmd::Records: return "A ringer's record, or the milestones reached in the current buffer";
    case Cmd::RecordsExport: return "Export the record as text, CSV or HTML";
    case Cmd::RecordsSaveChart: return "Save the chart of performances per year as a PNG image";
    case Cmd::SteeplexImport: return "Import Steeplex Data";
    case Cmd::SteeplexCollate: return "Collate Steeplex and Towers Data";
    case Cmd::SteeplexTowerCsv: return "Import the public tower database's CSV";
    case Cmd::ImportPerformances: return "Import performances from the public database's XML";
    case Cmd::IndexImportXml: return "Import the methods library's XML";
    case Cmd::IndexAudit: return "Check links in Index file";
    case Cmd::IndexSgml: return "Output SGML file";
    case Cmd::IndexTable: return "Output CSV file";
    case Cmd::FindNext: return "Goto next matching record";
    case Cmd::PageBack: return "Fast Back";
    case Cmd::PageForward: return "Fast Forward";
    case Cmd::Display: return "Display Details";
    case Cmd::FileNew: return "Create a new document";
    case Cmd::FileOpen: return "Open an existing document";
    case Cmd::FileSave: return "Save to new data and index file";
    case Cmd::FileSaveAs: return "Save the active document with a new name";
    case Cmd::PrintSetup: return "Change the printer and printing options";
    case Cmd::Print: return "Print the active document";
    case Cmd::PrintPreview: return "Display full pages";
    case Cmd::RecentFiles: return "Open this document";
    case Cmd::Clip: return "Copy the selection and put it on the Clipboard";
    case Cmd::WindowNew: return "Open another window for the active document";
    case Cmd::WindowCascade: return "Arrange windows so they overlap";
    case Cmd::WindowTile: return "Arrange windows as non-overlapping tiles";
    case Cmd::WindowArrange: return "Arrange icons at the bottom of the window";
    case Cmd::Exit: return "Quit the application; prompts to save documents";
    case Cmd::ViewToolbar: return "Show or hide the toolbar";
    case Cmd::ViewStatusBar: return "Show or hide the status bar";
    default: return {};
  }
}

}  // namespace tv

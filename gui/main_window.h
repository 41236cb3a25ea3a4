// The main frame: the multi-document area with the permanent documents' windows, the menu
// bar of the active window's document kind, the accelerators, the toolbar, the status bar and
// the recent-file list. Every command goes through RunCommand to the active window's logic.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/commands.h"
#include "app/tolvane_app.h"
#include "gui/doc_frames.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace tv::gui {

class DocView;
class QtPlatform;

inline constexpr int kRecentFileCount = 4;
// Window > Cascade gives each window at least this share (per cent) of the area's width and
// height.
inline constexpr int kCascadeShare = 60;

class MainWindow : public QMainWindow, public CAppShell {
  Q_OBJECT

 public:
  MainWindow(CTolvaneApp& app, QtPlatform& platform, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Shows the frame maximised and starts the application on the command line; false when the
  // user cancelled the choice of a database, and the program should stop.
  bool Start(const std::string& commandLine);

  // How a command shows now, for the active window.
  CmdState StateOf(Cmd cmd);
  // Runs a command for the active window, when it is enabled; errors escaping the command show
  // the "Unexpected Error!" dialog.
  void RunCommand(Cmd cmd);
  void OpenRecentFile(int n);
  QStringList RecentFiles() const { return m_recent; }

  DocFrames& Frames(DocId id) { return *m_frames[static_cast<size_t>(id)]; }
  DocView* ActiveView() const;
  DocKind ActiveKind() const { return m_kind; }
  QMdiArea* Area() const { return m_area; }
  QAction* ToolAction(Cmd cmd) const;
  QAction* ShortcutAction(Cmd cmd) const;

  // CAppShell
  CDocWindow* MakeWindow(DocId doc) override;
  void AddRecentFile(const std::string& path) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMdiSubWindow* AddWindow(DocFrames& frames);
  DocFrames* FramesOf(QMdiSubWindow* window) const;
  DocView* MakeView(DocId id);
  void Activated(QMdiSubWindow* window);
  void BuildActions();
  void BuildMenus();
  QMenu* BuildMenu(const MenuItem& item, QWidget* parent);
  void ShowMenuBar(DocKind kind);
  void UpdateMenu(QMenu* menu);
  void UpdateToolbar();
  void UpdateWindowMenu(QMenu* menu);
  void UpdateRecentActions();
  void UpdateTitle();
  void UpdateKeyIndicators();
  void Place(DocId id, QMdiSubWindow* window);
  void NewWindow();
  void Cascade();
  void ArrangeIcons();
  void About();
  void SaveRecent();

  CTolvaneApp& m_app;
  QtPlatform& m_platform;
  QMdiArea* m_area = nullptr;
  QToolBar* m_toolBar = nullptr;
  QLabel* m_message = nullptr;
  std::array<QLabel*, 3> m_locks{};
  std::array<std::unique_ptr<DocFrames>, kDocIdCount> m_frames;
  std::map<DocKind, std::vector<QAction*>> m_barItems;  // each bar's menus and commands, in order
  std::map<Cmd, QAction*> m_toolActions;
  std::map<Cmd, QAction*> m_shortcutActions;
  std::vector<QAction*> m_recentActions;
  QAction* m_noRecent = nullptr;
  QStringList m_recent;
  DocKind m_kind = DocKind::Frame;
  QPointer<QMdiSubWindow> m_active;
  int m_holdActivation = 0;
};

}  // namespace tv::gui

// The main frame: documents' windows, menus, accelerators, toolbar, status bar, recent files.
#include "gui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <exception>

#include "core/version.h"
#include "gui/line_views.h"
#include "gui/qt_platform.h"
#include "gui/records_window.h"
#include "gui/tool_icons.h"
#include "gui/win1252.h"
#include "refdb/index_set.h"

namespace tv::gui {
namespace {

constexpr const char* kRecentKey = "RecentFiles";
constexpr const char* kCmdProperty = "tolvaneCmd";
constexpr const char* kWindowEntry = "tolvaneWindowEntry";

DocKind KindOf(DocId id) {
  switch (id) {
    case DocId::Chooser1: case DocId::Chooser2: return DocKind::Chooser;
    case DocId::Analysis: return DocKind::Analysis;
    case DocId::CurrentPeal: return DocKind::CurrentPeal;
    case DocId::PealList: return DocKind::PealList;
    case DocId::Records: return DocKind::Records;
  }
  return DocKind::Frame;
}

std::string TitleOf(DocId id) {
  switch (id) {
    case DocId::Chooser1: case DocId::Chooser2: return "Select";
    case DocId::Analysis: return "Analysis";
    case DocId::CurrentPeal: return "Current Peal";
    case DocId::PealList: return std::string(kLedgerTitle);
    case DocId::Records: return "Records";
  }
  return {};
}

// Whether a keyboard LED is lit; false where the system does not say.
bool LedLit(const QString& name) {
  const QDir leds("/sys/class/leds");
  for (const QString& entry : leds.entryList({"*::" + name}, QDir::Dirs | QDir::System)) {
    QFile brightness(leds.filePath(entry + "/brightness"));
    if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed().toInt() > 0) return true;
  }
  return false;
}

// A directory as a title shows it: native separators, no final separator, the home folder as "~".
QString DirectoryForTitle(const std::string& directory) {
  QString path = QDir::cleanPath(PathToQt(directory));
  const QString home = QDir::homePath();
  if (path == home || path.startsWith(home + '/')) path = '~' + path.mid(home.size());
  return QDir::toNativeSeparators(path);
}

}  // namespace

MainWindow::MainWindow(CTolvaneApp& app, QtPlatform& platform, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_platform(platform) {
  setObjectName("mainWindow");
  setWindowTitle("Tolvane");
  setWindowIcon(AppIcon());
  m_area = new QMdiArea(this);
  m_area->setObjectName("mdiArea");
  m_area->setBackground(QColor(171, 178, 186));
  setCentralWidget(m_area);
  connect(m_area, &QMdiArea::subWindowActivated, this, &MainWindow::Activated);

  m_recent = QSettings().value(kRecentKey).toStringList();
  while (m_recent.size() > kRecentFileCount) m_recent.removeLast();

  BuildActions();
  BuildMenus();
  ShowMenuBar(DocKind::Frame);
  qApp->installEventFilter(this);
  UpdateKeyIndicators();
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  // The windows go before the documents' frames they report to.
  disconnect(m_area, nullptr, this, nullptr);
  for (QMdiSubWindow* window : m_area->subWindowList()) {
    window->removeEventFilter(this);
    delete window;
  }
}

bool MainWindow::Start(const std::string& commandLine) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) resize(screen->availableGeometry().size());
  showMaximized();
  if (!m_app.Start(*this, commandLine)) return false;
  UpdateToolbar();
  UpdateTitle();
  return true;
}

// --- documents and their windows ---

CDocWindow* MainWindow::MakeWindow(DocId id) {
  auto& slot = m_frames[static_cast<size_t>(id)];
  slot = std::make_unique<DocFrames>(*m_area, id, KindOf(id));
  slot->placeFirst = [this, id](QMdiSubWindow* window) { Place(id, window); };
  slot->holdActivation = [this](bool hold) { m_holdActivation += hold ? 1 : -1; };
  slot->SetTitle(TitleOf(id));
  AddWindow(*slot);
  return slot.get();
}

DocView* MainWindow::MakeView(DocId id) {
  switch (id) {
    case DocId::Chooser1: return new ChooserView(m_app.Chooser(1));
    case DocId::Chooser2: return new ChooserView(m_app.Chooser(2));
    case DocId::Analysis: return new AnalysisView(m_app.Analysis());
    case DocId::CurrentPeal: return new PealView(m_app.PealDoc());
    case DocId::PealList: return new PealListView(m_app, m_app.NextListBuffer());
    case DocId::Records: return new RecordsView(m_app.Records());
  }
  return nullptr;
}

QMdiSubWindow* MainWindow::AddWindow(DocFrames& frames) {
  auto* window = new QMdiSubWindow;
  window->setWidget(MakeView(frames.Id()));
  window->setWindowIcon(AppIcon());
  m_area->addSubWindow(window);
  window->hide();
  window->installEventFilter(this);
  frames.Add(window);
  return window;
}

DocFrames* MainWindow::FramesOf(QMdiSubWindow* window) const {
  for (const auto& frames : m_frames) {
    if (!frames) continue;
    for (const auto& w : frames->Windows()) {
      if (w == window) return frames.get();
    }
  }
  return nullptr;
}

DocView* MainWindow::ActiveView() const {
  QMdiSubWindow* window = m_active ? m_active.data() : m_area->currentSubWindow();
  return window && window->isVisible() ? DocFrames::ViewOf(window) : nullptr;
}

void MainWindow::Place(DocId id, QMdiSubWindow* window) {
  QSize size = m_area->viewport()->size();
  if (size.width() < 400 || size.height() < 300) size = QSize(1200, 720);
  const int w = size.width();
  const int h = size.height();
  const int listWidth = w * 57 / 100;
  const int listHeight = h * 64 / 100;
  QRect place;
  switch (id) {
    case DocId::PealList: place = QRect(0, 0, listWidth, listHeight); break;
    case DocId::CurrentPeal: place = QRect(listWidth, 0, w - listWidth, h); break;
    case DocId::Analysis: place = QRect(0, listHeight, listWidth, h - listHeight); break;
    case DocId::Chooser1: place = QRect(w * 3 / 100, h * 30 / 100, w * 52 / 100, h * 70 / 100); break;
    case DocId::Chooser2: place = QRect(w * 6 / 100, h * 26 / 100, w * 52 / 100, h * 70 / 100); break;
    // Over the list and the analysis, leaving the current peal in view.
    case DocId::Records: place = QRect(w * 2 / 100, h * 2 / 100, listWidth, h * 96 / 100); break;
  }
  window->setGeometry(place);
}

void MainWindow::Activated(QMdiSubWindow* window) {
  if (m_holdActivation > 0) return;
  if (!window) {
    // The area may report no active window while one is still shown (the frame lost the focus).
    if (m_active && m_active->isVisible()) return;
    m_active = nullptr;
    for (QMdiSubWindow* w : m_area->subWindowList(QMdiArea::StackingOrder)) {
      if (w->isVisible()) window = w;
    }
    if (window) {
      m_area->setActiveSubWindow(window);
      return;
    }
    ShowMenuBar(DocKind::Frame);
    UpdateToolbar();
    UpdateTitle();
    return;
  }
  const DocFrames* frames = FramesOf(window);
  ShowMenuBar(frames ? frames->Kind() : DocKind::Frame);
  if (window != m_active) {
    m_active = window;
    if (DocView* view = DocFrames::ViewOf(window)) {
      try {
        view->Activated();
      } catch (const std::exception& error) {
        m_platform.ShowUnexpectedError(error.what());
      }
    }
  }
  UpdateToolbar();
  UpdateTitle();
}

void MainWindow::UpdateTitle() {
  const DocFrames* frames = m_active && m_active->isVisible() ? FramesOf(m_active) : nullptr;
  QString title = frames ? "Tolvane - " + m_active->windowTitle() : QString("Tolvane");
  // The reference database in use, since it need not be the folder the program started in.
  if (IndexSetIsOpen()) title += " [" + DirectoryForTitle(IndexDirectory()) + "]";
  setWindowTitle(title);
}

void MainWindow::NewWindow() {
  QMdiSubWindow* active = m_active;
  DocFrames* frames = FramesOf(active);
  if (!frames) return;
  QMdiSubWindow* window = AddWindow(*frames);
  const int n = static_cast<int>(frames->Windows().size()) - 1;
  window->setGeometry(active->geometry().translated(24 * n, 24 * n));
  window->show();
  m_area->setActiveSubWindow(window);
}

void MainWindow::Cascade() {
  // Qt's own cascade shrinks windows to their size hints; these keep most of the area each.
  std::vector<QMdiSubWindow*> windows;
  for (QMdiSubWindow* window : m_area->subWindowList(QMdiArea::StackingOrder)) {
    if (window->isVisible() && !window->isMinimized()) windows.push_back(window);
  }
  if (windows.empty()) return;
  // The active window ends on top, where the user was working.
  if (const auto active = std::find(windows.begin(), windows.end(), m_area->activeSubWindow());
      active != windows.end()) {
    std::rotate(active, active + 1, windows.end());
  }
  const QSize area = m_area->viewport()->size();
  const int step = std::max(24, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4);
  const int n = static_cast<int>(windows.size());
  const QSize size(std::max(area.width() * kCascadeShare / 100, area.width() - step * (n - 1)),
                   std::max(area.height() * kCascadeShare / 100, area.height() - step * (n - 1)));
  // Offsets start again from the corner when the next window would pass the area's edge.
  const int room = std::max(1, std::min((area.width() - size.width()) / step,
                                        (area.height() - size.height()) / step) + 1);
  for (int i = 0; i < n; ++i) {
    QMdiSubWindow* window = windows[static_cast<size_t>(i)];
    if (window->isMaximized()) window->showNormal();
    const int offset = step * (i % room);
    window->setGeometry(QRect(QPoint(offset, offset), size));
    window->raise();
  }
}

void MainWindow::ArrangeIcons() {
  int x = 0;
  for (QMdiSubWindow* window : m_area->subWindowList()) {
    if (!window->isVisible() || !window->isMinimized()) continue;
    window->move(x, m_area->viewport()->height() - window->height());
    x += window->width();
  }
}

void MainWindow::About() {
  QMessageBox::about(this, "About Tolvane",
                     "<p><b>Tolvane</b> Version " + QString::fromUtf8(kVersion.data(), static_cast<qsizetype>(kVersion.size())) + "</p>"
                     "<p>Keeps the records of change-ringing peals and quarter peals, with "
                     "the towers, ringers, methods and compositions they name.</p>");
}

// --- commands ---

CmdState MainWindow::StateOf(Cmd cmd) {
  if (AlwaysDisabled(cmd)) return {};
  switch (cmd) {
    case Cmd::ViewToolbar: return {.enabled = true, .checked = !m_toolBar->isHidden()};
    case Cmd::ViewStatusBar: return {.enabled = true, .checked = !statusBar()->isHidden()};
    case Cmd::WindowNew: return {.enabled = ActiveView() != nullptr};
    case Cmd::WindowCascade: case Cmd::WindowTile: case Cmd::WindowArrange: case Cmd::About:
    case Cmd::Exit: case Cmd::RecentFiles:
      return {.enabled = true};
    default: break;
  }
  if (DocView* view = ActiveView()) {
    if (const auto state = view->Target().State(cmd)) return *state;
  }
  if (const auto state = m_app.State(cmd)) return *state;
  return {};
}

void MainWindow::RunCommand(Cmd cmd) {
  if (!StateOf(cmd).enabled) return;
  try {
    switch (cmd) {
      case Cmd::ViewToolbar: m_toolBar->setVisible(m_toolBar->isHidden()); break;
      case Cmd::ViewStatusBar: statusBar()->setVisible(statusBar()->isHidden()); break;
      case Cmd::WindowNew: NewWindow(); break;
      case Cmd::WindowCascade: Cascade(); break;
      case Cmd::WindowTile: m_area->tileSubWindows(); break;
      case Cmd::WindowArrange: ArrangeIcons(); break;
      case Cmd::About: About(); break;
      case Cmd::Exit: close(); break;
      default: {
        DocView* view = ActiveView();
        if (view && view->Target().State(cmd)) {
          view->Target().Run(cmd);
        } else {
          m_app.Run(cmd);
        }
        break;
      }
    }
  } catch (const std::exception& error) {
    m_platform.ShowUnexpectedError(error.what());
  }
  UpdateToolbar();
  UpdateTitle();
}

// --- recent files ---

void MainWindow::AddRecentFile(const std::string& path) {
  const QString name = QDir::toNativeSeparators(QFileInfo(PathToQt(path)).absoluteFilePath());
  m_recent.removeAll(name);
  m_recent.prepend(name);
  while (m_recent.size() > kRecentFileCount) m_recent.removeLast();
  SaveRecent();
  UpdateRecentActions();
}

void MainWindow::SaveRecent() { QSettings().setValue(kRecentKey, m_recent); }

void MainWindow::OpenRecentFile(int n) {
  if (n < 0 || n >= m_recent.size()) return;
  const QString name = m_recent[n];
  try {
    // A file that is gone leaves the list, once the user has been told.
    if (!m_app.OpenLedger(PathFromQt(name)) && !QFileInfo::exists(name)) {
      m_recent.removeAll(name);
      SaveRecent();
      UpdateRecentActions();
    }
  } catch (const std::exception& error) {
    m_platform.ShowUnexpectedError(error.what());
  }
  UpdateToolbar();
  UpdateTitle();
}

void MainWindow::UpdateRecentActions() {
  for (int i = 0; i < kRecentFileCount; ++i) {
    QAction* action = m_recentActions[static_cast<size_t>(i)];
    action->setVisible(i < m_recent.size());
    if (i < m_recent.size()) action->setText(QString("&%1 %2").arg(i + 1).arg(m_recent[i]));
  }
  m_noRecent->setVisible(m_recent.isEmpty());
}

// --- menus, toolbar, accelerators, status bar ---

void MainWindow::BuildActions() {
  for (int i = 0; i < kRecentFileCount; ++i) {
    auto* action = new QAction(this);
    action->setStatusTip(QString::fromUtf8(Prompt(Cmd::RecentFiles)));
    connect(action, &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
    m_recentActions.push_back(action);
  }
  m_noRecent = new QAction("Recent File", this);
  m_noRecent->setEnabled(false);
  UpdateRecentActions();

  // The accelerators act for the whole frame, whichever menu bar shows.
  std::map<Cmd, QList<QKeySequence>> keys;
  for (const Accelerator& accelerator : Accelerators()) {
    keys[accelerator.cmd].append(QKeySequence(QString::fromUtf8(accelerator.key)));
  }
  for (const auto& [cmd, sequences] : keys) {
    auto* action = new QAction(this);
    action->setShortcuts(sequences);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, c = cmd] { RunCommand(c); });
    addAction(action);
    m_shortcutActions[cmd] = action;
  }

  m_toolBar = addToolBar("Toolbar");
  m_toolBar->setObjectName("toolBar");
  m_toolBar->setIconSize(QSize(22, 22));
  for (const Cmd cmd : ToolbarCommands()) {
    if (cmd == Cmd::None) {
      m_toolBar->addSeparator();
      continue;
    }
    QAction* action = m_toolBar->addAction(ToolIcon(cmd), QString::fromUtf8(ToolTip(cmd)));
    action->setStatusTip(QString::fromUtf8(Prompt(cmd)));
    connect(action, &QAction::triggered, this, [this, cmd] { RunCommand(cmd); });
    m_toolActions[cmd] = action;
  }

  m_message = new QLabel(QString::fromUtf8(kIdlePrompt), this);
  m_message->setObjectName("statusMessage");
  statusBar()->addWidget(m_message, 1);
  const char* names[] = {"CAP", "NUM", "SCRL"};
  for (size_t i = 0; i < m_locks.size(); ++i) {
    auto* label = new QLabel(names[i], this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("SCRL") + 14);
    statusBar()->addPermanentWidget(label);
    m_locks[i] = label;
  }
}

QMenu* MainWindow::BuildMenu(const MenuItem& item, QWidget* parent) {
  auto* menu = new QMenu(QString::fromStdString(item.label), parent);
  connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
  if (item.label == "&Window") menu->setProperty(kWindowEntry, true);
  for (const MenuItem& child : item.items) {
    if (child.IsSeparator()) {
      menu->addSeparator();
    } else if (!child.items.empty()) {
      menu->addMenu(BuildMenu(child, menu));
    } else if (child.cmd == Cmd::RecentFiles) {
      menu->addAction(m_noRecent);
      for (QAction* action : m_recentActions) menu->addAction(action);
    } else {
      QAction* action = menu->addAction(QString::fromStdString(child.label));
      action->setProperty(kCmdProperty, static_cast<int>(child.cmd));
      action->setCheckable(child.checkable);
      action->setStatusTip(QString::fromUtf8(Prompt(child.cmd)));
      connect(action, &QAction::triggered, this, [this, c = child.cmd] { RunCommand(c); });
    }
  }
  return menu;
}

void MainWindow::BuildMenus() {
  for (const DocKind kind : {DocKind::Frame, DocKind::PealList, DocKind::CurrentPeal,
                             DocKind::Chooser, DocKind::Analysis, DocKind::Records}) {
    std::vector<QAction*>& bar = m_barItems[kind];
    for (const MenuItem& item : MenuBar(kind)) {
      if (item.items.empty()) {
        auto* action = new QAction(QString::fromStdString(item.label), this);
        action->setProperty(kCmdProperty, static_cast<int>(item.cmd));
        action->setStatusTip(QString::fromUtf8(Prompt(item.cmd)));
        connect(action, &QAction::triggered, this, [this, c = item.cmd] { RunCommand(c); });
        bar.push_back(action);
      } else {
        bar.push_back(BuildMenu(item, this)->menuAction());
      }
    }
  }
}

void MainWindow::ShowMenuBar(DocKind kind) {
  if (kind == m_kind && !menuBar()->actions().isEmpty()) return;
  m_kind = kind;
  menuBar()->clear();
  for (QAction* action : m_barItems[kind]) menuBar()->addAction(action);
}

void MainWindow::UpdateMenu(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    const QVariant cmd = action->property(kCmdProperty);
    if (!cmd.isValid()) continue;
    const CmdState state = StateOf(static_cast<Cmd>(cmd.toInt()));
    action->setEnabled(state.enabled);
    if (action->isCheckable()) action->setChecked(state.checked);
  }
  if (menu->property(kWindowEntry).toBool()) UpdateWindowMenu(menu);
}

void MainWindow::UpdateWindowMenu(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    if (action->property(kWindowEntry).toBool()) {
      menu->removeAction(action);
      action->deleteLater();
    }
  }
  int n = 0;
  // The peal list's first window is listed even when closed, so that it can always come back.
  const auto& listFrames = m_frames[static_cast<size_t>(DocId::PealList)];
  QMdiSubWindow* list = listFrames ? listFrames->First() : nullptr;
  for (QMdiSubWindow* window : m_area->subWindowList(QMdiArea::CreationOrder)) {
    if (!window->isVisible() && window != list) continue;
    if (n == 0) menu->addSeparator()->setProperty(kWindowEntry, true);
    QAction* action = menu->addAction(QString("&%1 %2").arg(++n).arg(window->windowTitle()));
    action->setProperty(kWindowEntry, true);
    action->setCheckable(true);
    action->setChecked(window == m_active);
    connect(action, &QAction::triggered, this, [this, w = QPointer<QMdiSubWindow>(window)] {
      if (!w) return;
      if (w->isMinimized()) {
        w->showNormal();
      } else if (!w->isVisible()) {
        w->show();
      }
      m_area->setActiveSubWindow(w);
    });
  }
}

void MainWindow::UpdateToolbar() {
  for (const auto& [cmd, action] : m_toolActions) action->setEnabled(StateOf(cmd).enabled);
  for (QAction* action : m_barItems[m_kind]) {
    const QVariant cmd = action->property(kCmdProperty);
    if (cmd.isValid()) action->setEnabled(StateOf(static_cast<Cmd>(cmd.toInt())).enabled);
  }
}

void MainWindow::UpdateKeyIndicators() {
  const bool lit[] = {LedLit("capslock"), LedLit("numlock"), LedLit("scrolllock")};
  for (size_t i = 0; i < m_locks.size(); ++i) m_locks[i]->setEnabled(lit[i]);
}

// --- events ---

void MainWindow::closeEvent(QCloseEvent* event) {
  bool quit = false;
  try {
    quit = m_app.SaveModified();
  } catch (const std::exception& error) {
    m_platform.ShowUnexpectedError(error.what());
  }
  if (quit) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Close: {
      auto* window = qobject_cast<QMdiSubWindow*>(watched);
      DocFrames* frames = window ? FramesOf(window) : nullptr;
      if (!frames) break;
      if (window == frames->First()) {
        // A permanent document keeps its window: closing hides it. A chooser closed while a
        // choice is pending answers its caller as Cancel does, so the caller is not left waiting.
        event->ignore();
        auto* chooser = qobject_cast<ChooserView*>(window->widget());
        if (chooser && chooser->Logic().Doc().Target()) {
          chooser->Logic().Run(Cmd::Cancel);
        } else {
          frames->HideWindow();
        }
        return true;
      }
      frames->Remove(window);
      window->deleteLater();
      if (window == m_active) m_active = nullptr;
      break;
    }
    case QEvent::KeyRelease: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) {
        QTimer::singleShot(50, this, &MainWindow::UpdateKeyIndicators);
      }
      break;
    }
    case QEvent::ApplicationActivate:
      UpdateKeyIndicators();
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

QAction* MainWindow::ToolAction(Cmd cmd) const {
  const auto found = m_toolActions.find(cmd);
  return found == m_toolActions.end() ? nullptr : found->second;
}

QAction* MainWindow::ShortcutAction(Cmd cmd) const {
  const auto found = m_shortcutActions.find(cmd);
  return found == m_shortcutActions.end() ? nullptr : found->second;
}

}  // namespace tv::gui

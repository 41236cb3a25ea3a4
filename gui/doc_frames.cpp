// Showing, hiding, titling and redrawing the windows of a document.
#include "gui/doc_frames.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

#include "gui/line_views.h"
#include "gui/records_window.h"
#include "gui/win1252.h"

namespace tv::gui {

DocFrames::DocFrames(QMdiArea& area, DocId id, DocKind kind) : m_area(area), m_id(id), m_kind(kind) {}

void DocFrames::Add(QMdiSubWindow* window) {
  m_windows.emplace_back(window);
  UpdateTitles();
}

void DocFrames::Remove(QMdiSubWindow* window) {
  std::erase_if(m_windows, [window](const QPointer<QMdiSubWindow>& w) { return w.isNull() || w == window; });
  UpdateTitles();
}

QMdiSubWindow* DocFrames::First() const { return m_windows.empty() ? nullptr : m_windows.front().data(); }

DocView* DocFrames::ViewOf(QMdiSubWindow* window) {
  return window ? qobject_cast<DocView*>(window->widget()) : nullptr;
}

void DocFrames::ShowWindow(bool activate) {
  QMdiSubWindow* first = First();
  if (!first) return;
  QMdiSubWindow* before = m_area.activeSubWindow();
  if (!activate && holdActivation) holdActivation(true);
  if (!m_placed) {
    m_placed = true;
    if (placeFirst) placeFirst(first);
  }
  if (first->isMinimized()) {
    first->showNormal();
  } else if (!first->isVisible()) {
    first->show();
  }
  first->raise();
  if (activate) {
    m_area.setActiveSubWindow(first);
    // The view takes the keyboard, also when a dialog that just closed hands the frame its
    // activation back later: the frame's focus then returns here, not to the window before.
    if (QWidget* view = first->widget()) view->setFocus(Qt::OtherFocusReason);
  } else {
    if (before && before != first && m_area.activeSubWindow() != before) {
      m_area.setActiveSubWindow(before);
      // Activation raised the previous window; the shown one still goes on top.
      first->raise();
    }
    if (holdActivation) holdActivation(false);
  }
}

void DocFrames::HideWindow() {
  for (const auto& window : m_windows) {
    if (window) window->hide();
  }
  // The area does not move the activation off a hidden window: the topmost shown one takes it.
  QMdiSubWindow* current = m_area.currentSubWindow();
  if (current && current->isVisible()) return;
  QMdiSubWindow* top = nullptr;
  for (QMdiSubWindow* window : m_area.subWindowList(QMdiArea::StackingOrder)) {
    if (window->isVisible()) top = window;
  }
  m_area.setActiveSubWindow(top);
}

void DocFrames::SetTitle(const std::string& title) {
  m_title = title;
  UpdateTitles();
}

void DocFrames::UpdateTitles() {
  const QString title = ToQt(m_title);
  std::erase_if(m_windows, [](const QPointer<QMdiSubWindow>& w) { return w.isNull(); });
  const bool numbered = m_windows.size() > 1;
  for (size_t i = 0; i < m_windows.size(); ++i) {
    m_windows[i]->setWindowTitle(numbered ? QString("%1:%2").arg(title).arg(i + 1) : title);
  }
}

void DocFrames::Redraw() {
  for (const auto& window : m_windows) {
    if (!window) continue;
    if (auto* analysis = qobject_cast<AnalysisView*>(window->widget())) {
      analysis->Reload();
    } else if (auto* records = qobject_cast<RecordsView*>(window->widget())) {
      records->Reload();
    } else if (window->widget()) {
      window->widget()->update();
    }
  }
}

bool DocFrames::SaveImage(const std::string& path) {
  // The picture of the window the user works in: the active one of the document, else its first.
  QMdiSubWindow* window = m_area.activeSubWindow();
  const bool own = std::any_of(m_windows.begin(), m_windows.end(),
                               [window](const QPointer<QMdiSubWindow>& w) { return w && w == window; });
  if (!own) window = First();
  auto* records = window ? qobject_cast<RecordsView*>(window->widget()) : nullptr;
  return records && records->SaveChart(path);
}

}  // namespace tv::gui

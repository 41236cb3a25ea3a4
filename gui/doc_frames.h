// The windows of one permanent document inside the main frame. The first window lives for the
// whole run: closing it hides it, and the document shows it again when next needed. Windows
// added by New Window close for good.
#pragma once

#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/doc_window.h"
#include "app/tolvane_app.h"

class QMdiArea;
class QMdiSubWindow;

namespace tv::gui {

class DocView;

class DocFrames : public CDocWindow {
 public:
  DocFrames(QMdiArea& area, DocId id, DocKind kind);

  // Placement of a window the first time it shows; set by the main window.
  std::function<void(QMdiSubWindow*)> placeFirst;
  // Called around showing a window without activating it, so that activation notices that
  // come and go meanwhile are ignored.
  std::function<void(bool)> holdActivation;

  void Add(QMdiSubWindow* window);
  void Remove(QMdiSubWindow* window);
  QMdiSubWindow* First() const;
  const std::vector<QPointer<QMdiSubWindow>>& Windows() const { return m_windows; }
  static DocView* ViewOf(QMdiSubWindow* window);

  DocId Id() const { return m_id; }
  DocKind Kind() const { return m_kind; }
  const std::string& Title() const { return m_title; }

  // CDocWindow
  void ShowWindow(bool activate) override;
  void HideWindow() override;
  void SetTitle(const std::string& title) override;
  void Redraw() override;
  bool SaveImage(const std::string& path) override;

 private:
  void UpdateTitles();

  QMdiArea& m_area;
  DocId m_id;
  DocKind m_kind;
  std::string m_title;
  std::vector<QPointer<QMdiSubWindow>> m_windows;
  bool m_placed = false;
};

}  // namespace tv::gui

// The views: widgets that draw a document's display lines (the peal list, the chooser, the
// analysis report) or its text block (the current peal). Each wraps the app/ logic of its
// window and owns none of the data.
#pragma once

#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/analysis_view.h"
#include "app/chooser_view.h"
#include "app/peal_doc.h"
#include "app/tolvane_view.h"

namespace tv::gui {

// One row of a line view.
struct DrawnRow {
  std::string text;         // a display line, colour prefix and all
  bool current = false;     // text and background colours exchanged
  bool green = false;       // drawn in green unless the prefix colours it
};

// Draws display lines one below the other from the top, in the fixed-pitch font.
void DrawRows(QPainter& painter, const QRect& area, const std::vector<DrawnRow>& rows);

// A page of report lines in the list font, drawn from the top, for a scroll area: the analysis
// report, a record. `lines` gives the lines to draw each time the page is painted.
class LinesPage : public QWidget {
 public:
  using Lines = std::function<const std::vector<std::string>&()>;
  LinesPage(Lines lines, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Lines m_lines;
};

// The face every document view shows the frame: its command target and a redraw.
class DocView : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  virtual CCommandTarget& Target() = 0;
  // The window became the active one.
  virtual void Activated() {}
};

class PealListView : public DocView {
  Q_OBJECT
 public:
  PealListView(CTolvaneApp& app, int buffer, QWidget* parent = nullptr);
  CTolvaneView& Logic() { return m_logic; }
  CCommandTarget& Target() override { return m_logic; }
  void Activated() override { m_logic.OnActivate(); }
  // The rows drawn last.
  std::vector<DrawnRow> Rows();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CTolvaneView m_logic;
};

class PealView : public DocView {
  Q_OBJECT
 public:
  explicit PealView(CPealDoc& doc, QWidget* parent = nullptr);
  CPealView& Logic() { return m_logic; }
  CCommandTarget& Target() override { return m_logic; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CPealView m_logic;
};

class ChooserView : public DocView {
  Q_OBJECT
 public:
  explicit ChooserView(CChooseDoc& doc, QWidget* parent = nullptr);
  CChooseView& Logic() { return m_logic; }
  CCommandTarget& Target() override { return m_logic; }
  std::vector<DrawnRow> Rows();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CChooseView m_logic;
};

// The analysis report in a scrolling window, its extent recomputed at every redraw.
class AnalysisView : public DocView {
  Q_OBJECT
 public:
  explicit AnalysisView(CAnalDoc& doc, QWidget* parent = nullptr);
  CAnalView& Logic() { return m_logic; }
  CCommandTarget& Target() override { return m_logic; }
  // Redraws and resizes the scrolled page to the report's extent.
  void Reload();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  CAnalView m_logic;
  QScrollArea* m_scroll = nullptr;
  QWidget* m_page = nullptr;
};

// The fixed-pitch font the lists use.
QFont ListFont();
// The font the current peal is drawn in, outside the ASCY style.
QFont TextFont();

}  // namespace tv::gui

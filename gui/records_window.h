// The Records window: the record's text in the list style above a chart of performances per
// year. It draws what the Records document holds and owns none of it.
#pragma once

#include <string>

#include "app/records_view.h"
#include "gui/line_views.h"

class QChartView;
class QScrollArea;
class QSplitter;

namespace tv::gui {

class RecordsView : public DocView {
  Q_OBJECT
 public:
  explicit RecordsView(CRecordsDoc& doc, QWidget* parent = nullptr);
  CRecordsView& Logic() { return m_logic; }
  CCommandTarget& Target() override { return m_logic; }
  // Redraws the text, resizing its page to the lines' extent, and builds the chart anew.
  void Reload();
  // Writes the chart as a PNG file through a temporary beside it; false when it cannot.
  bool SaveChart(const std::string& path);
  QChartView* Chart() const { return m_chart; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildChart();

  CRecordsView m_logic;
  QSplitter* m_splitter = nullptr;
  QScrollArea* m_scroll = nullptr;
  QWidget* m_page = nullptr;
  QChartView* m_chart = nullptr;
  bool m_sized = false;  // the splitter has its first sizes
};

}  // namespace tv::gui

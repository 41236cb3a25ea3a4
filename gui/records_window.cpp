// The Records window's text page and its chart of performances per year.
#include "gui/records_window.h"

#include <QCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QPainter>
#include <QSaveFile>
#include <QScrollArea>
#include <QSplitter>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>

#include "app/analysis_view.h"
#include "gui/win1252.h"

namespace tv::gui {

RecordsView::RecordsView(CRecordsDoc& doc, QWidget* parent) : DocView(parent), m_logic(doc) {
  setObjectName("records");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_splitter = new QSplitter(Qt::Vertical, this);
  m_scroll = new QScrollArea(m_splitter);
  m_scroll->setObjectName("recordsText");
  m_scroll->setWidgetResizable(false);
  m_scroll->setFrameShape(QFrame::NoFrame);
  m_page = new LinesPage([&doc]() -> const std::vector<std::string>& { return doc.Lines(); },
                         m_scroll);
  m_scroll->setWidget(m_page);
  m_chart = new QChartView(m_splitter);
  m_chart->setObjectName("recordsChart");
  m_chart->setRenderHint(QPainter::Antialiasing);
  m_chart->setMinimumHeight(160);
  m_splitter->addWidget(m_scroll);
  m_splitter->addWidget(m_chart);
  m_splitter->setStretchFactor(0, 3);
  m_splitter->setStretchFactor(1, 2);
  layout->addWidget(m_splitter);
  Reload();
}

void RecordsView::Reload() {
  const QFontMetrics metrics(ListFont());
  const ScrollExtent extent = ReportExtent(
      m_logic.Doc().Lines(),
      [&metrics](std::string_view text) { return metrics.horizontalAdvance(ToQt(text)); },
      [&metrics](std::string_view) { return metrics.lineSpacing() + 2; });
  m_page->resize(std::max(extent.width, m_scroll->viewport()->width()),
                 std::max(extent.height, m_scroll->viewport()->height()));
  m_page->update();
  BuildChart();
}

void RecordsView::BuildChart() {
  const CRecordsDoc& doc = m_logic.Doc();
  auto* chart = new QChart;
  chart->legend()->hide();
  QString title = ToQt(doc.ChartTitle());
  if (doc.Undated() > 0) title += QString(" (%1 undated not shown)").arg(doc.Undated());
  chart->setTitle(title);
  auto* bars = new QBarSet("Performances");
  uint32_t most = 0;
  for (const CYearCount& year : doc.Years()) {
    *bars << static_cast<qreal>(year.performances);
    most = std::max(most, year.performances);
  }
  auto* series = new QBarSeries;
  series->append(bars);
  chart->addSeries(series);
  // Bar n stands at n on the axis. A short run of years is labelled year by year; a long one
  // every fifth or tenth year, so that the labels stay readable.
  const auto count = static_cast<int>(doc.Years().size());
  const int step = count <= 15 ? 1 : count <= 40 ? 5 : 10;
  auto* axisX = new QCategoryAxis;
  axisX->setObjectName("recordsYears");
  axisX->setRange(-0.5, std::max(count, 1) - 0.5);
  axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  for (int i = 0; i < count; ++i) {
    const int year = doc.Years()[static_cast<size_t>(i)].year;
    if (step == 1 || year % step == 0) axisX->append(QString::number(year), i);
  }
  chart->addAxis(axisX, Qt::AlignBottom);
  series->attachAxis(axisX);
  auto* axisY = new QValueAxis;
  axisY->setRange(0, std::max<uint32_t>(most, 1));
  axisY->setLabelFormat("%d");
  axisY->applyNiceNumbers();
  chart->addAxis(axisY, Qt::AlignLeft);
  series->attachAxis(axisY);
  // The view owns its chart and deletes the one it showed before.
  QChart* old = m_chart->chart();
  m_chart->setChart(chart);
  delete old;
}

bool RecordsView::SaveChart(const std::string& path) {
  const QPixmap picture = m_chart->grab();
  QSaveFile file(PathToQt(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!picture.save(&file, "PNG")) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

void RecordsView::showEvent(QShowEvent* event) {
  // The text takes three fifths of the window at first, the chart the rest.
  if (!m_sized && height() > 0) {
    m_sized = true;
    m_splitter->setSizes({height() * 3 / 5, height() * 2 / 5});
  }
  Reload();
  DocView::showEvent(event);
}

}  // namespace tv::gui

// Drawing display lines and peal texts.
#include "gui/line_views.h"

#include <QFontDatabase>
#include <QPainter>
#include <QVBoxLayout>

#include "core/display_lines.h"
#include "gui/win1252.h"

namespace tv::gui {
namespace {

constexpr int kMargin = 6;
const QColor kGreen(0, 128, 0);

QColor ColourOf(LineColour colour) {
  const Rgb rgb = ColourValue(colour);
  return QColor(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

LinesPage::LinesPage(Lines lines, QWidget* parent) : QWidget(parent), m_lines(std::move(lines)) {
  setFont(ListFont());
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
}

void LinesPage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  std::vector<DrawnRow> rows;
  for (const std::string& line : m_lines()) rows.push_back({line});
  DrawRows(painter, rect().adjusted(kMargin, kMargin / 2, 0, 0), rows);
}

QFont ListFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(std::max<qreal>(font.pointSizeF(), 10.0));
  return font;
}

QFont TextFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPointSizeF(std::max<qreal>(font.pointSizeF(), 10.5));
  return font;
}

void DrawRows(QPainter& painter, const QRect& area, const std::vector<DrawnRow>& rows) {
  const QFontMetrics metrics(painter.font());
  const int height = metrics.lineSpacing() + 2;
  const QColor background(Qt::white);
  int y = area.top();
  for (const DrawnRow& row : rows) {
    const DisplayLine line = SplitDisplayLine(row.text);
    QColor ink = row.green ? kGreen : QColor(Qt::black);
    if (line.colour != LineColour::Default) ink = ColourOf(line.colour);
    const QRect box(area.left() - kMargin, y, area.width() + kMargin, height);
    if (row.current) {
      // The current line shows text and background exchanged.
      painter.fillRect(box, ink);
      painter.setPen(background);
    } else {
      painter.setPen(ink);
    }
    if (!line.text.empty()) {
      painter.drawText(QRect(area.left(), y, area.width(), height), Qt::AlignLeft | Qt::AlignVCenter,
                       ToQt(line.text));
    }
    y += height;
  }
}

PealListView::PealListView(CTolvaneApp& app, int buffer, QWidget* parent)
    : DocView(parent), m_logic(app, buffer) {
  setFont(ListFont());
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  setObjectName(QString("pealList%1").arg(buffer));
}

std::vector<DrawnRow> PealListView::Rows() {
  std::vector<DrawnRow> rows;
  for (CListLine& line : m_logic.Lines()) rows.push_back({std::move(line.text), line.current});
  return rows;
}

void PealListView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawRows(painter, rect().adjusted(kMargin, kMargin / 2, -kMargin, 0), Rows());
}

PealView::PealView(CPealDoc& doc, QWidget* parent) : DocView(parent), m_logic(doc) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  setObjectName("currentPeal");
}

void PealView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const std::string& text = m_logic.Text();
  if (text.empty()) return;
  painter.setFont(m_logic.FixedFont() ? ListFont() : TextFont());
  painter.setPen(Qt::black);
  // Word-wrapped from the top; an ampersand is shown as itself.
  const QRect area = rect().adjusted(kMargin * 2, kMargin, -kMargin * 2, 0);
  painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs,
                   ToQt(text).replace("\r\n", "\n"));
}

ChooserView::ChooserView(CChooseDoc& doc, QWidget* parent) : DocView(parent), m_logic(doc) {
  setFont(ListFont());
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  setObjectName("chooser");
}

std::vector<DrawnRow> ChooserView::Rows() {
  std::vector<DrawnRow> rows;
  for (ChooserRow& row : m_logic.Doc().Page()) {
    rows.push_back({std::move(row.text), row.current, row.beyondCount});
  }
  return rows;
}

void ChooserView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawRows(painter, rect().adjusted(kMargin, kMargin / 2, -kMargin, 0), Rows());
}

AnalysisView::AnalysisView(CAnalDoc& doc, QWidget* parent)
    : DocView(parent), m_logic(doc) {
  setObjectName("analysis");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_scroll = new QScrollArea(this);
  m_scroll->setWidgetResizable(false);
  m_scroll->setFrameShape(QFrame::NoFrame);
  m_page = new LinesPage([this]() -> const std::vector<std::string>& { return m_logic.Lines(); },
                         m_scroll);
  m_scroll->setWidget(m_page);
  layout->addWidget(m_scroll);
  Reload();
}

void AnalysisView::Reload() {
  const QFontMetrics metrics(ListFont());
  const ScrollExtent extent = ReportExtent(
      m_logic.Lines(),
      [&metrics](std::string_view text) { return metrics.horizontalAdvance(ToQt(text)); },
      [&metrics](std::string_view) { return metrics.lineSpacing() + 2; });
  m_page->resize(std::max(extent.width, m_scroll->viewport()->width()),
                 std::max(extent.height, m_scroll->viewport()->height()));
  m_page->update();
}

void AnalysisView::showEvent(QShowEvent* event) {
  Reload();
  DocView::showEvent(event);
}

}  // namespace tv::gui

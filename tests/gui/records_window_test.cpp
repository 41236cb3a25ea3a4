// The Records window through the real frame: Analyse > Records, the ringer chosen in the person
// chooser, the record's text and its chart of performances per year, and the chart saved as PNG.
#include <QCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QImage>
#include <QMdiSubWindow>
#include <QtTest>

#include "gui/records_window.h"
#include "gui/win1252.h"
#include "records/record_layout.h"
#include "tests/gui/gui_fixture.h"

using namespace tv;
using namespace tv::gui;
using namespace tv::gui::testing;

class RecordsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { m_p = std::make_unique<Program>(); }
  void cleanup() {
    const bool answered = AllAnswered();
    m_p.reset();
    QVERIFY2(answered, "a dialog the test waited for did not show");
  }

  void ringersRecordOpensWithOneBarForEachYear() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    // 800 peals a day apart from 1 January 2003: 365 in 2003, 366 in 2004, 69 in 2005.
    p.Open(p.WriteLedger("club.tv3", 800, ref.people, ref.canterbury, ref.yorkshire));
    QCOMPARE(p.Buffer(kMainBuffer).size(), size_t(800));

    WhenShown("Records", [](Hands& h) {
      h.Type("name", "Mary Bell");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Menu(Cmd::Records);
    QVERIFY(AllAnswered());
    QVERIFY(p.ChooserShown(1));
    QCOMPARE(p.Window(DocId::Chooser1)->windowTitle(), QString("Select Ringer"));
    QCOMPARE(p.ChooserEntry(1), std::string("Mary Bell"));
    p.Activate(DocId::Chooser1);
    p.Key(Qt::Key_Return);

    QMdiSubWindow* window = p.Window(DocId::Records);
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QString("Records - Mary Bell"));
    QCOMPARE(p.window->ActiveKind(), DocKind::Records);
    const CRecordsDoc& doc = p.app->Records();
    QVERIFY(doc.Text().starts_with("Mary Bell: peals\r\n"));

    auto* chartView = window->findChild<QChartView*>("recordsChart");
    QVERIFY(chartView);
    const QList<QAbstractSeries*> series = chartView->chart()->series();
    QCOMPARE(series.size(), 1);
    auto* bars = qobject_cast<QBarSeries*>(series[0]);
    QVERIFY(bars);
    QCOMPARE(bars->barSets().size(), 1);
    const QBarSet* set = bars->barSets()[0];
    QCOMPARE(set->count(), 3);
    QCOMPARE(set->at(0), 365.0);
    QCOMPARE(set->at(1), 366.0);
    QCOMPARE(set->at(2), 69.0);
    const auto axes = chartView->chart()->axes(Qt::Horizontal);
    QCOMPARE(axes.size(), 1);
    auto* years = qobject_cast<QCategoryAxis*>(axes[0]);
    QVERIFY(years);
    QCOMPARE(years->categoriesLabels(), QStringList({"2003", "2004", "2005"}));
    QCOMPARE(years->endValue("2005"), 2.0);

    // Save Chart writes a picture of the chart.
    const QString png = p.Path("mary.png");
    p.platform->nextSavePaths.push_back(png.toStdString());
    p.Menu(Cmd::RecordsSaveChart);
    const QImage image(png);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 100 && image.height() > 100);

    // Clip puts the whole text on the clipboard.
    p.Menu(Cmd::Clip);
    QCOMPARE(QGuiApplication::clipboard()->text(), ToQt(doc.Text()));
  }

 private:
  std::unique_ptr<Program> m_p;
};

int RunRecordsWindowTests(int argc, char** argv) {
  RecordsWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "records_window_test.moc"

// Text crossing into Qt and back: every byte survives, the 0x80-0x9F range maps to its
// Windows-1252 characters, and characters the code page lacks become '?'.
#include <QtTest>

#include "gui/qt_platform.h"
#include "gui/win1252.h"

using namespace tv::gui;

class Win1252Test : public QObject {
  Q_OBJECT

 private slots:
  void everyByteComesBackUnchanged() {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    QCOMPARE(FromQt(ToQt(all)), all);
  }

  void mapsTheCodePage_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("unicode");
    QTest::newRow("e acute") << 0xE9 << 0x00E9;
    QTest::newRow("euro") << 0x80 << 0x20AC;
    QTest::newRow("left quote") << 0x91 << 0x2018;
    QTest::newRow("en dash") << 0x96 << 0x2013;
    QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
    QTest::newRow("unassigned") << 0x81 << 0x0081;
    QTest::newRow("non-breaking space") << 0xA0 << 0x00A0;
  }
  void mapsTheCodePage() {
    QFETCH(int, byte);
    QFETCH(int, unicode);
    const std::string bytes(1, static_cast<char>(byte));
    QCOMPARE(ToQt(bytes), QString(QChar(unicode)));
    QCOMPARE(FromQt(QString(QChar(unicode))), bytes);
  }

  void charactersOutsideTheCodePageBecomeQuestionMarks() {
    QCOMPARE(FromQt(QString::fromUtf8("\u0107a\u4e2d")), std::string("?a?"));
  }

  void filtersBecomeQtFilters() {
    QCOMPARE(QtFilter("Peal Files (*.tv3)|*.tv3|All Files (*.*)|*.*||"),
             QString("Peal Files (*.tv3);;All Files (*.*)"));
    QCOMPARE(QtFilter("(*.dat) | *.dat | (*.*) | *.* || "), QString("(*.dat);;(*.*)"));
  }
};

int RunWin1252Tests(int argc, char** argv) {
  Win1252Test test;
  return QTest::qExec(&test, argc, argv);
}

#include "win1252_test.moc"

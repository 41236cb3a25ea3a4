// The recorder's daily work through the real windows: Clear after a selection, F2 then OK on a
// peal whose names pass the field limits, a New whose carried-over names are chosen by Enter
// alone, an impossible date refused, Cascade and the Window menu, Open of a file that is not a
// ledger, the Export dialog's performances choice writing the command line's bytes, and Exit
// after a Save As of one buffer asking about the peals of the others.
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QtTest>

#include "app/peal_text.h"
#include "core/dates.h"
#include "gui/line_views.h"
#include "gui/win1252.h"
#include "peals/ledger_file.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/person.h"
#include "tests/gui/gui_fixture.h"

using namespace tv;
using namespace tv::gui;
using namespace tv::gui::testing;

namespace {

// Names longer than the Peal Details dialog's limits: association 30, persons 20.
struct LongNames {
  int32_t association = 0;
  int32_t conductor = 0;
  std::vector<int32_t> band;
};

LongNames AddLongNames() {
  LongNames names;
  auto assoc = std::make_unique<CAssoc>();
  assoc->name = "Society of Royal Cumberland Youths";
  assoc->abbreviation = "SRCY";
  names.association = AssocIndex().InsertNew(std::move(assoc));
  const char* people[][4] = {{"Revd", "Keith James", "KJ", "Smithson"},
                             {"", "Helen Rosemary", "HR", "Meadows"},
                             {"", "Christopher John", "CJ", "Pickford"}};
  for (const auto& p : people) {
    auto person = std::make_unique<CPerson>();
    person->prefix = p[0];
    person->firstNames = p[1];
    person->initials = p[2];
    person->surname = p[3];
    names.band.push_back(PersonIndex().InsertNew(std::move(person)));
  }
  names.conductor = names.band[0];
  SaveAllIndexes();
  return names;
}

std::unique_ptr<CPealLedger> ReadBack(const std::string& path) {
  auto ledger = std::make_unique<CPealLedger>();
  const Status status = ReadLedgerFile(path, *ledger);
  if (!status.ok()) qWarning("%s", status.message().c_str());
  return ledger;
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class DailyFlowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { m_p = std::make_unique<Program>(); }
  void cleanup() {
    const bool answered = AllAnswered();
    m_p.reset();
    QVERIFY2(answered, "a dialog the test waited for did not show");
  }

  void selectThenClearLeavesTheCurrentPealOnALivePeal() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(p.WriteLedger("t.tv3", 6, {ref.people[0]}, ref.canterbury, ref.yorkshire));
    WhenShown("Select Peals", [](Hands& h) {
      h.Click("date");
      h.Type("start", "4/1/2003");
      h.Type("end", "6/1/2003");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Menu(Cmd::Select);
    QVERIFY(AllAnswered());
    QCOMPARE(p.Buffer(1), (std::vector<uint32_t>{4, 5, 6}));
    auto* current = qobject_cast<PealView*>(p.Window(DocId::CurrentPeal)->widget());
    const CPeal* shown = p.app->PealDoc().Shown();
    QVERIFY(shown);
    QVERIFY(shown->pealNumber >= 4);

    p.platform->nextConfirms.push_back(true);
    p.Activate(DocId::PealList);
    p.Menu(Cmd::BuffersClear);
    QVERIFY(p.platform->nextConfirms.empty());
    // The selected peals are gone; the other buffer takes the number 1.
    QCOMPARE(p.Buffer(1), (std::vector<uint32_t>{1, 2, 3}));
    for (uint32_t gone : {4u, 5u, 6u}) QVERIFY(!p.app->Ledger().PealAt(gone));
    shown = p.app->PealDoc().Shown();
    QVERIFY(shown);
    QCOMPARE(shown, p.app->Ledger().PealAt(shown->pealNumber));
    QVERIFY(p.Window(DocId::CurrentPeal)->windowTitle().startsWith(
        QString("No %1 ").arg(shown->pealNumber)));
    // What the window draws and Clip copies is the live peal's text.
    current->repaint();
    QCOMPARE(current->Logic().Text(), PealText(*shown, current->Logic().style));
    p.Activate(DocId::CurrentPeal);
    p.Menu(Cmd::Clip);
    QCOMPARE(QGuiApplication::clipboard()->text(), ToQt(current->Logic().Text()));
    auto* list = qobject_cast<PealListView*>(p.Window(DocId::PealList)->widget());
    QCOMPARE(list->Rows().size(), size_t(3));
  }

  void okOnAnUnchangedLongNamedPealSavesItByteIdentical() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    const LongNames names = AddLongNames();
    CPealLedger ledger;
    auto peal = std::make_unique<CPeal>();
    peal->date = MakeDate(7, 3, 2024);
    peal->sequence = 1;
    peal->changes = 5040;
    peal->tower = static_cast<uint32_t>(ref.canterbury);
    peal->method = static_cast<uint32_t>(ref.yorkshire);
    peal->association = static_cast<uint8_t>(names.association);
    peal->conductor = static_cast<uint32_t>(names.conductor);
    for (const int32_t person : names.band) peal->ringers.push_back(static_cast<uint32_t>(person));
    ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
    const int buffers[] = {kMainBuffer};
    QVERIFY(WriteLedgerFile("long.tv3", ledger, buffers).ok());
    const QByteArray before = Bytes(p.Path("long.tv3"));
    p.Open("long.tv3");

    QString association;
    QString conductor;
    WhenShown("Peal Details", [&](Hands& h) {
      association = h.Text("association");
      conductor = h.Text("conductor");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Key(Qt::Key_F2);
    QVERIFY(AllAnswered());
    // The dialog showed the names whole and took them back as they were.
    QCOMPARE(association, QString("Society of Royal Cumberland Youths"));
    QCOMPARE(conductor, QString("Revd Keith James Smithson"));
    QVERIFY(p.platform->messages.empty());
    QVERIFY(!p.ChooserShown(1));
    QVERIFY(!QApplication::activeModalWidget());

    p.Activate(DocId::PealList);
    p.Key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Bytes(p.Path("long.tv3")), before);
    // A name typed anew is still held to the limit: typing stops there, and a longer text that
    // came in otherwise (pasted past the stop) is refused at OK.
    QString typed;
    WhenShown("Peal Details", [&](Hands& h) {
      h.Type("conductor", "Revd Keith James Smithsonn");
      typed = h.Text("conductor");
      auto* edit = qobject_cast<QLineEdit*>(h.Widget("conductor"));
      edit->setMaxLength(100);
      edit->setText("Revd Keith James Smithsonn");
      emit edit->textEdited(edit->text());
      h.Ok();
      h.Cancel();
    });
    p.Activate(DocId::PealList);
    p.Key(Qt::Key_F2);
    QVERIFY(AllAnswered());
    QCOMPARE(typed, QString("Revd Keith James Smi"));
    QCOMPARE(p.platform->messages, std::vector<std::string>{"Please enter no more than 20 characters."});
  }

  void newChoosesTheCarriedOverNamesByEnterAlone() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    const LongNames names = AddLongNames();
    const std::string path = p.WriteLedger("t.tv3", 1, {ref.people[0]}, ref.canterbury, ref.yorkshire);
    p.Open(path);
    p.app->Ledger().PealAt(1)->association = static_cast<uint8_t>(names.association);
    p.app->Ledger().PealAt(1)->conductor = static_cast<uint32_t>(names.conductor);

    // F2 and OK fill the run-wide texts with what the dialog shows; New carries them over.
    WhenShown("Peal Details", [](Hands& h) { h.Ok(); });
    p.Activate(DocId::PealList);
    p.Key(Qt::Key_F2);
    QVERIFY(AllAnswered());
    WhenShown("Peal Details", [](Hands& h) {
      h.Type("date", "8/3/2024");
      h.Ok();
    });
    p.Key(Qt::Key_Insert);
    QVERIFY(AllAnswered());
    // Each chooser opens on the entry the carried text names and has the keyboard: Enter alone
    // chooses it.
    const char* expected[] = {"Society of Royal Cumberland Youths", "Canterbury",
                              "Yorkshire Surprise Major", "Revd Keith James Smithson"};
    for (const char* entry : expected) {
      QVERIFY2(p.ChooserShown(1), entry);
      QVERIFY2(QString::fromStdString(p.ChooserEntry(1)).startsWith(entry, Qt::CaseInsensitive),
               p.ChooserEntry(1).c_str());
      // The frame has the activation back once the dialog is gone, as a window manager gives it.
      p.Reactivate();
      QTRY_VERIFY(QApplication::focusWidget() == p.Window(DocId::Chooser1)->widget());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QVERIFY(!p.ChooserShown(1));
    const CPeal& entered = *p.app->Ledger().PealAt(2);
    QCOMPARE(int(entered.association), names.association);
    QCOMPARE(int(entered.tower), ref.canterbury);
    QCOMPARE(int(entered.method), ref.yorkshire);
    QCOMPARE(int(entered.conductor), names.conductor);
    QCOMPARE(entered.date, MakeDate(8, 3, 2024));
  }

  void impossibleDateAndJunkTenorAreRefused() {
    Program& p = *m_p;
    p.Start("");
    p.Open(p.WriteLedger("t.tv3", 2));
    const Date before = p.app->Ledger().PealAt(2)->date;
    WhenShown("Peal Details", [](Hands& h) {
      h.Type("date", "31/4/2025");
      h.Ok();
      h.Type("date", "1/4/2025");
      h.Type("tenor", "heavy");
      h.Ok();
      h.Cancel();
    });
    p.Activate(DocId::PealList);
    p.Key(Qt::Key_F2);
    QVERIFY(AllAnswered());
    QCOMPARE(p.platform->messages,
             (std::vector<std::string>{"Please enter a valid date.",
                                       "Please enter a valid tenor weight, such as 24-1-3 (cwt-qr-lb) or 24 (cwt)."}));
    QCOMPARE(p.app->Ledger().PealAt(2)->date, before);
  }

  void cascadeKeepsTheWindowsUsable() {
    Program& p = *m_p;
    p.Start("");
    p.Open(p.WriteLedger("t.tv3", 3));
    p.Activate(DocId::PealList);
    p.Menu(Cmd::WindowNew);
    p.Activate(DocId::PealList);
    p.Menu(Cmd::WindowCascade);
    const QSize area = p.window->Area()->viewport()->size();
    int shown = 0;
    QPoint last(-1, -1);
    for (QMdiSubWindow* window : p.window->Area()->subWindowList(QMdiArea::StackingOrder)) {
      if (!window->isVisible()) continue;
      ++shown;
      QVERIFY2(window->width() >= area.width() * kCascadeShare / 100, qPrintable(window->windowTitle()));
      QVERIFY2(window->height() >= area.height() * kCascadeShare / 100, qPrintable(window->windowTitle()));
      QVERIFY(p.window->Area()->viewport()->rect().contains(window->geometry()));
      // Each window lies below and right of the one under it, its title bar in sight.
      QVERIFY(window->pos().x() > last.x() && window->pos().y() > last.y());
      last = window->pos();
    }
    QVERIFY(shown >= 3);
    // The window the user was in stays on top.
    QMdiSubWindow* top = nullptr;
    for (QMdiSubWindow* window : p.window->Area()->subWindowList(QMdiArea::StackingOrder)) {
      if (window->isVisible()) top = window;
    }
    QCOMPARE(top, p.window->Area()->activeSubWindow());
  }

  void windowMenuBringsBackAClosedPealList() {
    Program& p = *m_p;
    p.Start("");
    p.Open(p.WriteLedger("t.tv3", 3));
    QMdiSubWindow* list = p.Window(DocId::PealList);
    list->close();
    QApplication::processEvents();
    QVERIFY(!list->isVisible());
    QMenu* windowMenu = nullptr;
    for (QAction* action : p.window->menuBar()->actions()) {
      if (action->menu() && action->text() == "&Window") windowMenu = action->menu();
    }
    QVERIFY(windowMenu);
    emit windowMenu->aboutToShow();
    QAction* entry = nullptr;
    for (QAction* action : windowMenu->actions()) {
      if (action->text().endsWith(" t.tv3")) entry = action;
    }
    QVERIFY(entry);
    entry->trigger();
    QVERIFY(list->isVisible());
    QCOMPARE(p.window->ActiveKind(), DocKind::PealList);
  }

  void openOfAFileThatIsNotALedgerIsRefused() {
    Program& p = *m_p;
    p.Start("");
    p.Open(p.WriteLedger("t.tv3", 3));
    QFile junk(p.Path("Ringer.prn"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("Ringer analysis\r\n  1  John Smith   45\r\n");
    junk.close();
    p.Open(p.Path("Ringer.prn").toStdString());
    QCOMPARE(p.Buffer(kMainBuffer).size(), size_t(3));
    QCOMPARE(p.Window(DocId::PealList)->windowTitle(), QString("t.tv3"));
    QVERIFY(p.window->RecentFiles().front().endsWith("t.tv3"));
    for (const QString& recent : p.window->RecentFiles()) QVERIFY(!recent.endsWith("Ringer.prn"));
    QCOMPARE(p.platform->messages.size(), size_t(1));
    QVERIFY(QString::fromStdString(p.platform->messages[0]).contains("is not a peal ledger"));
  }

  void exportDialogWritesThePerformancesXmlOfTheCommandLine() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(p.WriteLedger("t.tv3", 3, {ref.people[0], ref.people[1]}, ref.canterbury, ref.yorkshire));
    WhenShown("Export Format", [](Hands& h) {
      h.Click("format16");
      h.Ok();
    });
    p.platform->nextSavePaths.push_back(p.Path("dialog.xml").toStdString());
    p.Activate(DocId::PealList);
    p.Menu(Cmd::Export);
    QVERIFY(AllAnswered());
    QCOMPARE(p.platform->prompts.back().defaultName, std::string("t.xml"));

    QProcess cli;
    cli.setWorkingDirectory(p.Path(""));
    cli.start(TOLVANE_CLI_PROGRAM, {"--db", p.Path(""), "export", "t.tv3", "performances-xml", "-o",
                                    "cli.xml"});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QByteArray written = Bytes(p.Path("dialog.xml"));
    QVERIFY(written.contains("<ringer"));
    QCOMPARE(written, Bytes(p.Path("cli.xml")));
  }

  void exitAfterSaveAsOfASelectionAsksAboutTheOtherPeals() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(p.WriteLedger("t.tv3", 6, {ref.people[0]}, ref.canterbury, ref.yorkshire));
    const QByteArray original = Bytes(p.Path("t.tv3"));
    // An edit to the last peal, which the selection then leaves in the second buffer.
    WhenShown("Peal Details", [](Hands& h) {
      h.Type("changes", "5152");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Key(Qt::Key_F2);
    QVERIFY(AllAnswered());
    QCOMPARE(p.app->Ledger().PealAt(6)->changes, 5152);
    WhenShown("Select Peals", [](Hands& h) {
      h.Click("date");
      h.Type("start", "1/1/2003");
      h.Type("end", "3/1/2003");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Menu(Cmd::Select);
    QVERIFY(AllAnswered());
    QCOMPARE(p.Buffer(1), (std::vector<uint32_t>{1, 2, 3}));
    QCOMPARE(p.Buffer(2), (std::vector<uint32_t>{4, 5, 6}));

    p.platform->nextSavePaths.push_back(p.Path("part.tv3").toStdString());
    p.Activate(DocId::PealList);
    p.Menu(Cmd::FileSaveAs);
    QVERIFY(p.platform->nextSavePaths.empty());
    QCOMPARE(p.platform->prompts.back().title, std::string("Save As"));
    // Only the selected peals were written; the edited peal is in no file yet.
    const auto part = ReadBack(p.Path("part.tv3").toStdString());
    QCOMPARE(part->lastPealNumber, 3u);
    QCOMPARE(Bytes(p.Path("t.tv3")), original);
    QCOMPARE(p.Window(DocId::PealList)->windowTitle(), QString("part.tv3"));

    // Exit asks; Cancel keeps the program and the unsaved peals.
    p.platform->nextSaveAnswers.push_back(SaveAnswer::Cancel);
    p.Menu(Cmd::Exit);
    QVERIFY(p.platform->nextSaveAnswers.empty());
    QVERIFY(p.window->isVisible());
    QVERIFY(p.app->Ledger().modified);
    // Asked again, Yes saves every buffer before the program closes.
    p.platform->nextSaveAnswers.push_back(SaveAnswer::Yes);
    p.Menu(Cmd::Exit);
    QVERIFY(p.platform->nextSaveAnswers.empty());
    QVERIFY(!p.window->isVisible());
    const auto saved = ReadBack(p.Path("part.tv3").toStdString());
    QCOMPARE(saved->lastPealNumber, 6u);
    QVERIFY(saved->PealAt(6));
    QCOMPARE(saved->PealAt(6)->changes, 5152);
  }

 private:
  std::unique_ptr<Program> m_p;
};

int RunDailyFlowsTests(int argc, char** argv) {
  DailyFlowsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "daily_flows_test.moc"

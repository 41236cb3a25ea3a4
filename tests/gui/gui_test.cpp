// The desktop program's windows on Qt's offscreen platform: start-up, the peal windows moving
// together, list windows on further buffers, the index chooser, permanent windows coming back,
// Clip, the save question on Open, and dialogs drawn from models.
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/peal_text.h"
#include "app/tolvane_app.h"
#include "core/dates.h"
#include "core/services.h"
#include "gui/line_views.h"
#include "gui/main_window.h"
#include "gui/model_dialog.h"
#include "gui/qt_platform.h"
#include "peals/ledger_file.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"

using namespace tv;
using namespace tv::gui;

namespace {

struct Recorder : ChoiceTarget {
  std::vector<int32_t> chosen;
  void OnChosen(int32_t key) override { chosen.push_back(key); }
};

// Answers the next modal dialog: fills line edits by object name, then presses OK.
void AnswerDialog(std::vector<std::pair<QString, QString>> fields) {
  QTimer::singleShot(0, [fields] {
    auto* dialog = qobject_cast<ModelDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    for (const auto& [name, text] : fields) {
      auto* edit = dialog->findChild<QLineEdit*>(name);
      QVERIFY(edit);
      edit->clear();
      QTest::keyClicks(edit, text);
    }
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
}

}  // namespace

class GuiTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void init() {
    QSettings().clear();
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
    CloseIndexSet();
    SteeplexXref().Clear();
    m_platform = std::make_unique<QtPlatform>();
    m_platform->recordMessages = true;
    m_services = std::make_unique<ScopedServices>(nullptr, nullptr, m_platform.get());
    m_app = std::make_unique<CTolvaneApp>();
    m_window = std::make_unique<MainWindow>(*m_app, *m_platform);
    m_platform->Attach(m_window.get(), m_app.get());
  }

  void cleanup() {
    m_window.reset();
    m_app.reset();
    CloseIndexSet();
    SteeplexXref().Clear();
    m_services.reset();
    m_platform.reset();
    QDir::setCurrent(QDir::tempPath());
    m_folder.reset();
  }

  void startUpCreatesTheFiveDocuments() {
    Start("");
    for (const DocId id : {DocId::Chooser1, DocId::Chooser2, DocId::Analysis, DocId::CurrentPeal,
                           DocId::PealList}) {
      QVERIFY(m_window->Frames(id).First());
    }
    QVERIFY(m_window->Frames(DocId::Chooser1).First()->isHidden());
    QVERIFY(m_window->Frames(DocId::Chooser2).First()->isHidden());
    QCOMPARE(m_window->Frames(DocId::PealList).First()->windowTitle(), QString("Peal List"));
    QCOMPARE(m_window->Frames(DocId::Analysis).First()->windowTitle(), QString("Analysis"));
    QCOMPARE(m_window->ActiveKind(), DocKind::PealList);
    auto* list = qobject_cast<PealListView*>(m_window->ActiveView());
    QVERIFY(list);
    QCOMPARE(list->Logic().buffer, 1);
    QVERIFY(IndexSetIsOpen());
  }

  void commandLineLedgerShowsItsLastPealInBothWindows() {
    Start(WriteLedger(5));
    const auto rows = List()->Rows();
    QCOMPARE(rows.size(), size_t(5));
    QVERIFY(rows.back().current);
    QCOMPARE(PealWindow()->windowTitle(), QString("No 5 (RW 30000)"));
    QVERIFY(PealWindow()->isVisible());
    auto* peal = qobject_cast<PealView*>(PealWindow()->widget());
    QCOMPARE(peal->Logic().Text(), PealText(*m_app->Ledger().PealAt(5), kStyleRw));
    QCOMPARE(m_window->RecentFiles().size(), 1);
  }

  void navigationKeysMoveTheListAndTheCurrentPealTogether() {
    Start(WriteLedger(5));
    QWidget* list = List();
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(CurrentRow(), 2);
    QCOMPARE(PealWindow()->windowTitle(), QString("No 3 (RW 30000)"));
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(CurrentRow(), 0);
    QCOMPARE(PealWindow()->windowTitle(), QString("No 1 (RW 30000)"));
    QTest::keyClick(list, Qt::Key_PageDown);
    QCOMPARE(PealWindow()->windowTitle(), QString("No 5 (RW 30000)"));
    // The current-peal window moves the same peal, by fives.
    m_window->Area()->setActiveSubWindow(PealWindow());
    QCOMPARE(m_window->ActiveKind(), DocKind::CurrentPeal);
    QTest::keyClick(PealWindow()->widget(), Qt::Key_PageUp);
    QCOMPARE(PealWindow()->windowTitle(), QString("No 1 (RW 30000)"));
    QCOMPARE(CurrentRow(), 0);
  }

  void secondListWindowShowsBufferTwoBlank() {
    Start(WriteLedger(5));
    m_window->RunCommand(Cmd::WindowNew);
    auto* second = qobject_cast<PealListView*>(m_window->ActiveView());
    QVERIFY(second);
    QVERIFY(second != List());
    QCOMPARE(second->Logic().buffer, 2);
    QVERIFY(second->Rows().empty());
    QCOMPARE(int(m_app->Ledger().currentBuffer), 1);
    QCOMPARE(m_window->Frames(DocId::PealList).First()->windowTitle(), QString("t.tv3:1"));
    // Closing the extra window closes it for good; the first stays.
    m_window->Area()->activeSubWindow()->close();
    QApplication::processEvents();
    QCOMPARE(m_window->Frames(DocId::PealList).Windows().size(), size_t(1));
  }

  void chooserFindsCreatesAndChoosesWhileTheProgramStaysUsable() {
    Start(WriteLedger(5));
    for (const char* name : {"Avon", "Devon", "Kent", "Surrey", "Sussex"}) AddCounty(name);
    Recorder target;
    ThePlatform().StartChooser({.chooser = 1, .target = &target, .index = IndexByName("counts"),
                                .text = "Ke", .title = "County"});
    QMdiSubWindow* chooser = m_window->Frames(DocId::Chooser1).First();
    QVERIFY(chooser->isVisible());
    QCOMPARE(chooser->windowTitle(), QString("Select County"));
    // The chooser takes the keyboard, so that Enter chooses at once ...
    QCOMPARE(m_window->ActiveKind(), DocKind::Chooser);
    auto* view = qobject_cast<ChooserView*>(chooser->widget());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view));
    // ... but is not modal: the list still works.
    m_window->Area()->setActiveSubWindow(m_window->Frames(DocId::PealList).First());
    QTest::keyClick(List(), Qt::Key_Up);
    QCOMPARE(CurrentRow(), 3);

    m_window->Area()->setActiveSubWindow(chooser);
    QCOMPARE(m_window->ActiveKind(), DocKind::Chooser);
    CChooseDoc& doc = view->Logic().Doc();
    QCOMPARE(QString::fromStdString(CurrentName(doc)), QString("Kent"));
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(QString::fromStdString(CurrentName(doc)), QString("Surrey"));
    QTest::keyClick(view, Qt::Key_Left);
    QCOMPARE(QString::fromStdString(CurrentName(doc)), QString("Kent"));
    const int32_t before = doc.Current();
    QTest::keyClick(view, Qt::Key_PageDown);
    QVERIFY(doc.Current() != before);

    AnswerDialog({{"find", "Dev"}});
    m_window->RunCommand(Cmd::Goto);
    QCOMPARE(QString::fromStdString(CurrentName(doc)), QString("Devon"));

    Reactivate();
    AnswerDialog({{"name", "Wiltshire"}, {"abbreviation", "Wilts"}});
    QTest::keyClick(view, Qt::Key_Insert);
    QCOMPARE(QString::fromStdString(CurrentName(doc)), QString("Wiltshire"));
    const int32_t created = doc.Current();

    Reactivate();
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(target.chosen, std::vector<int32_t>{created});
    QVERIFY(chooser->isHidden());
    QCOMPARE(m_window->ActiveKind(), DocKind::PealList);
  }

  void closingAPendingChooserCancelsTheChoice() {
    Start("");
    AddCounty("Kent");
    Recorder target;
    ThePlatform().StartChooser({.chooser = 2, .target = &target, .index = IndexByName("counts"),
                                .text = "K", .title = "County"});
    m_window->Frames(DocId::Chooser2).First()->close();
    QCOMPARE(target.chosen, std::vector<int32_t>{0});
    QVERIFY(m_window->Frames(DocId::Chooser2).First()->isHidden());
  }

  void closedPermanentWindowComesBackWhenNeeded() {
    Start(WriteLedger(5));
    QMdiSubWindow* peal = PealWindow();
    peal->close();
    QApplication::processEvents();
    QVERIFY(peal->isHidden());
    QCOMPARE(PealWindow(), peal);
    QTest::keyClick(List(), Qt::Key_Up);
    QVERIFY(peal->isVisible());
    QCOMPARE(peal->windowTitle(), QString("No 4 (RW 30000)"));
    // The list too: opening a ledger shows it again.
    QMdiSubWindow* list = m_window->Frames(DocId::PealList).First();
    list->close();
    QApplication::processEvents();
    QVERIFY(list->isHidden());
    QVERIFY(m_app->OpenLedger("t.tv3"));
    QVERIFY(list->isVisible());
  }

  void clipPutsTheListOnTheClipboard() {
    Start(WriteLedger(3));
    m_window->RunCommand(Cmd::Clip);
    QString expected;
    for (uint32_t n = 1; n <= 3; ++n) {
      expected += QString::fromStdString(ListLine(*m_app->Ledger().PealAt(n))) + "\r\n";
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    // From the current-peal window, the peal's text.
    m_window->Area()->setActiveSubWindow(PealWindow());
    m_window->RunCommand(Cmd::StyleAscy);
    QTest::keySequence(PealWindow()->widget(), QKeySequence("Ctrl+Ins"));
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromStdString(PealText(*m_app->Ledger().PealAt(3), kStyleAscy)));
  }

  void openingOverAModifiedLedgerAsksAndCancelKeepsIt() {
    const std::string path = WriteLedger(5);
    Start(path);
    m_window->RunCommand(Cmd::Delete);
    QVERIFY(m_app->Ledger().modified);
    m_platform->nextOpenPaths.push_back(path);
    m_platform->nextSaveAnswers.push_back(SaveAnswer::Cancel);
    m_window->RunCommand(Cmd::FileOpen);
    QVERIFY(m_app->Ledger().modified);
    QCOMPARE(List()->Rows().size(), size_t(4));
    QVERIFY(m_platform->nextSaveAnswers.empty());
    QVERIFY(m_platform->nextOpenPaths.empty());
  }

  void everyListCommandActsAndTheAlwaysDisabledStayOff() {
    Start(WriteLedger(2));
    for (const Cmd cmd : {Cmd::New, Cmd::Edit, Cmd::Select, Cmd::GlobalEdit, Cmd::Export,
                          Cmd::Analyse, Cmd::ImportNewSgml, Cmd::ImportLogwright,
                          Cmd::SteeplexImport, Cmd::SteeplexCollate}) {
      QVERIFY(m_window->StateOf(cmd).enabled);
    }
    for (const Cmd cmd : {Cmd::FileNew, Cmd::Print, Cmd::Cut, Cmd::LoadSelective, Cmd::MarkClear}) {
      QVERIFY(!m_window->StateOf(cmd).enabled);
    }
    QVERIFY(!m_window->ToolAction(Cmd::Print)->isEnabled());
    QVERIFY(m_window->ToolAction(Cmd::FileOpen)->isEnabled());
    QVERIFY(!m_window->ToolAction(Cmd::Choose)->isEnabled());
    // Before any analysis the analysis window has nothing to export, switch or clip.
    m_window->Area()->setActiveSubWindow(m_window->Frames(DocId::Analysis).First());
    QCOMPARE(m_window->ActiveKind(), DocKind::Analysis);
    for (const Cmd cmd : {Cmd::AnalysisExport, Cmd::Clip, Cmd::AnalysisSaveAs, Cmd::Switch,
                          Cmd::Threshold, Cmd::Equivalence}) {
      QVERIFY(!m_window->StateOf(cmd).enabled);
    }
  }

  void modelDialogRefusesTooLongTextAndStaysOpen() {
    DialogModel model("Test");
    model.AddText("name", "Name", "", 5);
    model.AddRadio("a", "A", "Kind", true);
    model.AddRadio("b", "B", "Kind", false);
    model.AddCheck("hidden", "Hidden", false).visible = false;
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<ModelDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      QVERIFY(dialog->ControlWidget("hidden")->isHidden());
      auto* edit = dialog->findChild<QLineEdit*>("name");
      // A longer text than the limit arrives by pasting; the dialog refuses it at OK.
      edit->setMaxLength(100);
      edit->setText("abcdefg");
      emit edit->textEdited(edit->text());
      qobject_cast<QAbstractButton*>(dialog->ControlWidget("b"))->click();
      auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
      ok->click();
      stayedOpen = dialog->isVisible();
      edit->setText("abc");
      emit edit->textEdited(edit->text());
      ok->click();
    });
    QVERIFY(m_platform->RunDialog(model));
    QVERIFY(stayedOpen);
    QCOMPARE(m_platform->messages, std::vector<std::string>{"Please enter no more than 5 characters."});
    QCOMPARE(model.Text("name"), std::string("abc"));
    QCOMPARE(model.CheckedRadio("Kind"), std::string("b"));
  }

 private:
  // Starts the program and waits for its frame to be the active window, where keys act.
  void Start(const std::string& commandLine) {
    m_window->Start(commandLine);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
  }

  // The frame becomes active again after a modal dialog (the offscreen platform does not do it).
  void Reactivate() {
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
  }

  std::string WriteLedger(int count) {
    CPealLedger ledger;
    for (int i = 0; i < count; ++i) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(1, 1, 2003) + i;
      peal->changes = 5040;
      ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
    }
    const int buffers[] = {kMainBuffer};
    const std::string path = "t.tv3";
    if (!WriteLedgerFile(path, ledger, buffers).ok()) return {};
    return path;
  }

  void AddCounty(const char* name) {
    auto county = std::make_unique<CCounty>();
    county->name = county->abbreviation = name;
    CountyIndex().InsertNew(std::move(county));
  }

  std::string CurrentName(CChooseDoc& doc) { return doc.GetIndex()->NameOf(doc.Current(), 0); }

  PealListView* List() {
    return qobject_cast<PealListView*>(m_window->Frames(DocId::PealList).First()->widget());
  }
  QMdiSubWindow* PealWindow() { return m_window->Frames(DocId::CurrentPeal).First(); }
  int CurrentRow() {
    const auto rows = List()->Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].current) return static_cast<int>(i);
    }
    return -1;
  }

  std::unique_ptr<QTemporaryDir> m_folder;
  std::unique_ptr<QtPlatform> m_platform;
  std::unique_ptr<ScopedServices> m_services;
  std::unique_ptr<CTolvaneApp> m_app;
  std::unique_ptr<MainWindow> m_window;
};

int RunGuiTests(int argc, char** argv) {
  GuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "gui_test.moc"

int RunWin1252Tests(int argc, char** argv);
int RunFlowsTests(int argc, char** argv);
int RunDialogsTests(int argc, char** argv);
int RunStartupTests(int argc, char** argv);
int RunDailyFlowsTests(int argc, char** argv);
int RunRecordsWindowTests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("TolvaneTest");
  QApplication::setApplicationName("TolvaneTest");
  int failed = RunWin1252Tests(argc, argv);
  failed += RunGuiTests(argc, argv);
  failed += RunFlowsTests(argc, argv);
  failed += RunDialogsTests(argc, argv);
  failed += RunStartupTests(argc, argv);
  failed += RunDailyFlowsTests(argc, argv);
  failed += RunRecordsWindowTests(argc, argv);
  return failed == 0 ? 0 : 1;
}

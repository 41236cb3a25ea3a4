// The daily flows through the real windows: a peal entered and its names resolved in the
// chooser, edited, given extras; selections into buffers; a global edit; analyses and their
// report; exports through the dialog and the file prompt; an SGML import. Each flow checks the
// ledger, the windows' texts and the files written.
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QtTest>

#include "app/peal_text.h"
#include "core/dates.h"
#include "core/services.h"
#include "gui/line_views.h"
#include "output/export_formats.h"
#include "peals/ledger_file.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "tests/gui/gui_fixture.h"

using namespace tv;
using namespace tv::gui;
using namespace tv::gui::testing;

// A step of a flow that checks as it goes: the flow stops at the first step that failed.
#define STEP(call)                              \
  do {                                          \
    call;                                       \
    if (QTest::currentTestFailed()) return;     \
  } while (false)

namespace {

std::vector<std::string> Names(const std::vector<uint32_t>& keys) {
  std::vector<std::string> names;
  for (const uint32_t key : keys) names.push_back(FullNameOf(static_cast<int32_t>(key)));
  return names;
}

// The peals of a ledger file, read back.
std::unique_ptr<CPealLedger> ReadBack(const std::string& path) {
  auto ledger = std::make_unique<CPealLedger>();
  const Status status = ReadLedgerFile(path, *ledger);
  if (!status.ok()) qWarning("%s", status.message().c_str());
  return ledger;
}

}  // namespace

class FlowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { m_p = std::make_unique<Program>(); }
  void cleanup() {
    const bool answered = AllAnswered();
    m_p.reset();
    QVERIFY2(answered, "a dialog the test waited for did not show");
  }

  void newPealNamesAreResolvedOneByOneInTheChooser() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    WhenShown("Peal Details", [](Hands& h) {
      h.Type("association", "KCA");
      h.Type("tower", "Cant");
      h.Type("date", "14/3/2024");
      h.Type("time", "2h58");
      h.Type("changes", "5056");
      h.Type("method", "Yorks");
      h.Type("composer", "NJP");
      h.Type("conductor", "JA");
      const char* ringers[] = {"MB", "JA", "PC", "RD", "AE", "FS", "GH", "KJ"};
      for (int n = 1; n <= 8; ++n) h.Type(("ringer" + std::to_string(n)).c_str(), ringers[n - 1]);
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Key(Qt::Key_Insert);
    QVERIFY(AllAnswered());
    QCOMPARE(p.Buffer(kMainBuffer), std::vector<uint32_t>{1});

    // Each changed name opens the chooser in turn, on the entry nearest the typed text.
    const auto choose = [&](const char* title, const char* entry) {
      QVERIFY2(p.ChooserShown(1), title);
      QCOMPARE(p.Window(DocId::Chooser1)->windowTitle(), QString("Select ") + title);
      QVERIFY2(QString::fromStdString(p.ChooserEntry(1)).startsWith(entry, Qt::CaseInsensitive),
               p.ChooserEntry(1).c_str());
      p.Activate(DocId::Chooser1);
      p.Key(Qt::Key_Return);
    };
    // A name not yet in the index is made with Insert, then chosen.
    const auto create = [&](const char* title, const char* first, const char* surname) {
      QCOMPARE(p.Window(DocId::Chooser1)->windowTitle(), QString("Select ") + title);
      WhenShown("Personal Details", [first, surname](Hands& h) {
        h.Type("surname", surname);
        h.Type("firstNames", first);
        QTest::keyClick(h.Widget("firstNames"), Qt::Key_Tab);
        h.Ok();
      });
      p.Activate(DocId::Chooser1);
      p.Key(Qt::Key_Insert);
      QVERIFY(AllAnswered());
      p.Reactivate();
      QCOMPARE(p.ChooserEntry(1), std::string(first) + " " + surname);
      p.Activate(DocId::Chooser1);
      p.Key(Qt::Key_Return);
    };
    STEP(choose("Association", "Kent County Association"));
    STEP(choose("Tower", "Canterbury"));
    STEP(choose("Method", "Yorkshire Surprise Major"));
    STEP(create("Composer", "Norman James", "Pitman"));
    STEP(choose("Conductor", "John Ashby"));
    STEP(choose("Ringer1", "Mary Bell"));
    STEP(choose("Ringer2", "John Ashby"));
    STEP(choose("Ringer3", "Peter Clarke"));
    STEP(choose("Ringer4", "Ruth Dawson"));
    STEP(choose("Ringer5", "Alan Ellis"));
    STEP(create("Ringer6", "Fred", "Smith"));
    STEP(create("Ringer7", "Gail", "Harris"));
    STEP(create("Ringer8", "Kate", "Jones"));
    QVERIFY(!p.ChooserShown(1));

    const CPeal& peal = *p.app->Ledger().PealAt(1);
    QCOMPARE(int(peal.association), ref.association);
    QCOMPARE(int(peal.tower), ref.canterbury);
    QCOMPARE(int(peal.method), ref.yorkshire);
    QCOMPARE(peal.date, MakeDate(14, 3, 2024));
    QCOMPARE(int(peal.changes), 5056);
    QCOMPARE(FullNameOf(int32_t(peal.composer)), std::string("Norman James Pitman"));
    QCOMPARE(FullNameOf(int32_t(peal.conductor)), std::string("John Ashby"));
    const std::vector<std::string> band = {"Mary Bell",  "John Ashby", "Peter Clarke",
                                           "Ruth Dawson", "Alan Ellis", "Fred Smith",
                                           "Gail Harris", "Kate Jones"};
    QCOMPARE(Names(peal.ringers), band);
    // The initials of a person made in the chooser come from the first names.
    const auto* composer = dynamic_cast<const CPerson*>(PersonIndex().Lookup(int32_t(peal.composer)));
    QCOMPARE(composer->initials, std::string("NJ"));

    // The list and the current-peal window show the peal with those names.
    auto* list = qobject_cast<PealListView*>(p.Window(DocId::PealList)->widget());
    const auto rows = list->Rows();
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].text, ListLine(peal));
    QVERIFY(rows[0].current);
    QVERIFY(QString::fromStdString(rows[0].text).contains("Canterbury"));
    auto* current = qobject_cast<PealView*>(p.Window(DocId::CurrentPeal)->widget());
    const QString text = QString::fromStdString(current->Logic().Text());
    for (const std::string& name : band) QVERIFY2(text.contains(QString::fromStdString(name)), name.c_str());
    QVERIFY(text.contains("Pitman"));
    QVERIFY(p.Window(DocId::CurrentPeal)->windowTitle().startsWith("No 1 "));

    // Saved, the file holds the same keys.
    p.platform->nextSavePaths.push_back("entered.tv3");
    p.Activate(DocId::PealList);
    p.Key(Qt::Key_S, Qt::ControlModifier);
    const auto saved = ReadBack("entered.tv3");
    QVERIFY(saved->PealAt(1));
    QCOMPARE(saved->PealAt(1)->ringers, peal.ringers);
    QCOMPARE(saved->PealAt(1)->composer, peal.composer);
    QVERIFY(!p.app->Ledger().modified);
  }

  void editingOnlyTheDateOpensNoChooserAndKeepsTheNames() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    const std::vector<int32_t> band = {ref.people[0], ref.people[1], ref.people[2], ref.people[3]};
    p.Open(p.WriteLedger("t.tv3", 3, band, ref.canterbury, ref.yorkshire));
    const CPeal before = *p.app->Ledger().PealAt(3);

    QString shownTower;
    QString shownRinger;
    WhenShown("Peal Details", [&](Hands& h) {
      shownTower = h.Text("tower");
      shownRinger = h.Text("ringer1");
      h.Type("date", "1/12/2002");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Key(Qt::Key_F2);
    QVERIFY(AllAnswered());
    QCOMPARE(shownTower, QString("Canterbury"));
    QCOMPARE(shownRinger, QString("Mary Bell"));
    QVERIFY(!p.ChooserShown(1));
    QVERIFY(!p.ChooserShown(2));

    const CPeal& after = *p.app->Ledger().PealAt(3);
    QCOMPARE(after.date, MakeDate(1, 12, 2002));
    QCOMPARE(after.ringers, before.ringers);
    QCOMPARE(after.tower, before.tower);
    QCOMPARE(after.method, before.method);
    QCOMPARE(after.conductor, before.conductor);
    // The peal moved to its place in ledger order.
    QCOMPARE(p.Buffer(kMainBuffer), (std::vector<uint32_t>{3, 1, 2}));
    QVERIFY(p.app->Ledger().modified);

    p.Key(Qt::Key_S, Qt::ControlModifier);
    // The file keeps ledger order, so the edited peal now comes first.
    const auto saved = ReadBack("t.tv3");
    QCOMPARE(saved->PealAt(saved->FirstOf(kMainBuffer))->date, MakeDate(1, 12, 2002));
    QCOMPARE(saved->PealAt(saved->FirstOf(kMainBuffer))->ringers, before.ringers);
  }

  void extraAddsAFootnoteAndABellString() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(p.WriteLedger("t.tv3", 2, {ref.people[0], ref.people[1]}, ref.canterbury, ref.yorkshire));
    p.Activate(DocId::CurrentPeal);
    WhenShown("Extra Peal Details", [](Hands& h) {
      h.Click("footnote");
      h.Type("field0", "First peal on the bells.");
      h.Click("bellString");
      h.Type("field1", "3-4");
      h.Ok();
    });
    p.Menu(Cmd::EditExtra);
    QVERIFY(AllAnswered());

    const CPeal& peal = *p.app->Ledger().PealAt(2);
    QCOMPARE(peal.extras[kFootnote], std::vector<std::string>{"First peal on the bells."});
    QCOMPARE(peal.extras[kBellString], (std::vector<std::string>{"", "3-4"}));
    QVERIFY(p.app->Ledger().PealAt(1)->extras[kFootnote].empty());
    auto* current = qobject_cast<PealView*>(p.Window(DocId::CurrentPeal)->widget());
    QVERIFY(QString::fromStdString(current->Logic().Text()).contains("First peal on the bells."));

    p.Activate(DocId::PealList);
    p.Key(Qt::Key_S, Qt::ControlModifier);
    const auto saved = ReadBack("t.tv3");
    QCOMPARE(saved->PealAt(2)->extras[kFootnote], peal.extras[kFootnote]);
    QCOMPARE(saved->PealAt(2)->extras[kBellString], peal.extras[kBellString]);
  }

  void selectionsSplitIntoBuffersThatSwapAndCombine() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(SixPeals(ref));
    auto* list = qobject_cast<PealListView*>(p.Window(DocId::PealList)->widget());

    bool searchShown = false;
    bool rangeShown = true;
    WhenShown("Select Peals", [&](Hands& h) {
      h.Click("ringer");
      searchShown = h.Widget("searchText")->isVisible();
      rangeShown = h.Widget("start")->isVisible();
      h.Type("searchText", "MB");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Menu(Cmd::Select);
    QVERIFY(AllAnswered());
    QVERIFY(searchShown);
    QVERIFY(!rangeShown);
    QVERIFY(p.ChooserShown(1));
    QCOMPARE(p.ChooserEntry(1), std::string("Mary Bell"));
    p.Activate(DocId::Chooser1);
    p.Key(Qt::Key_Return);
    QCOMPARE(p.Buffer(1), (std::vector<uint32_t>{1, 2, 3}));
    QCOMPARE(p.Buffer(2), (std::vector<uint32_t>{4, 5, 6}));
    QCOMPARE(list->Rows().size(), size_t(3));

    WhenShown("Select Peals", [&](Hands& h) {
      h.Click("date");
      searchShown = h.Widget("searchText")->isVisible();
      rangeShown = h.Widget("start")->isVisible() && h.Widget("end")->isVisible();
      h.Type("start", "2/1/2003");
      h.Type("end", "3/1/2003");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Menu(Cmd::Select);
    QVERIFY(AllAnswered());
    QVERIFY(!searchShown);
    QVERIFY(rangeShown);
    QVERIFY(!p.ChooserShown(1));
    QCOMPARE(p.Buffer(1), (std::vector<uint32_t>{2, 3}));
    QCOMPARE(p.Buffer(2), (std::vector<uint32_t>{1}));
    QCOMPARE(p.Buffer(3), (std::vector<uint32_t>{4, 5, 6}));
    QCOMPARE(list->Rows().size(), size_t(2));

    p.Menu(Cmd::Swap);
    QCOMPARE(p.Buffer(1), (std::vector<uint32_t>{1}));
    QCOMPARE(p.Buffer(2), (std::vector<uint32_t>{2, 3}));
    QCOMPARE(list->Rows().size(), size_t(1));
    QCOMPARE(list->Rows()[0].text, ListLine(*p.app->Ledger().PealAt(1)));

    p.Menu(Cmd::BuffersCombine);
    QCOMPARE(p.Buffer(1), (std::vector<uint32_t>{1, 2, 3}));
    QCOMPARE(p.Buffer(2), (std::vector<uint32_t>{4, 5, 6}));
    QVERIFY(!p.app->Ledger().BufferExists(3));
    QCOMPARE(list->Rows().size(), size_t(3));
  }

  void globalEditReplacesOnePersonThroughout() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(SixPeals(ref));
    WhenShown("Global Edit", [](Hands& h) {
      h.Click("person");
      h.Type("from", "MB");
      h.Type("to", "AE");
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Menu(Cmd::GlobalEdit);
    QVERIFY(AllAnswered());
    QCOMPARE(p.ChooserEntry(1), std::string("Mary Bell"));
    p.Activate(DocId::Chooser1);
    p.Key(Qt::Key_Return);
    QVERIFY(p.ChooserShown(1));
    QCOMPARE(p.ChooserEntry(1), std::string("Alan Ellis"));
    // Before changing the peals the edit says how many and asks.
    p.platform->nextConfirms.push_back(true);
    p.Activate(DocId::Chooser1);
    p.Key(Qt::Key_Return);
    QVERIFY(!p.ChooserShown(1));
    QVERIFY(p.platform->nextConfirms.empty());

    p.Activate(DocId::PealList);
    p.Key(Qt::Key_S, Qt::ControlModifier);
    const auto saved = ReadBack("six.tv3");
    for (uint32_t n = 1; n <= 6; ++n) {
      const std::vector<std::string> names = Names(saved->PealAt(n)->ringers);
      QVERIFY(std::find(names.begin(), names.end(), "Mary Bell") == names.end());
      QCOMPARE(names.front(), std::string(n <= 3 ? "Alan Ellis" : "Peter Clarke"));
    }
  }

  void analysesSwitchTakeAThresholdAndExportTheReport() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(SixPeals(ref));
    CAnalDoc& analysis = p.app->Analysis();

    Analyse(p, "ringer");
    QMdiSubWindow* window = p.Window(DocId::Analysis);
    QVERIFY(window->isVisible());
    QCOMPARE(p.window->ActiveKind(), DocKind::Analysis);
    QCOMPARE(window->windowTitle().toStdString(), analysis.Title());
    QVERIFY(window->windowTitle().contains("Ringer", Qt::CaseInsensitive));
    // Mary Bell rang the first three, Peter Clarke all six.
    QVERIFY(RowOf(analysis.Shown(), "Mary Bell").contains(QRegularExpression("\\b3\\b")));
    QVERIFY(RowOf(analysis.Shown(), "Peter Clarke").contains(QRegularExpression("\\b6\\b")));
    auto* view = qobject_cast<AnalysisView*>(window->widget());
    QCOMPARE(&view->Logic().Lines(), &analysis.Shown());

    Analyse(p, "tower");
    QCOMPARE(analysis.Shown().front(), std::string("\\+2 Items"));
    QCOMPARE(RowOf(analysis.Shown(), "CANTERBURY").trimmed(), QString("3 CANTERBURY"));
    QCOMPARE(RowOf(analysis.Shown(), "MAIDSTONE").trimmed(), QString("3 MAIDSTONE"));

    // The method analysis has a second presentation and thresholds.
    Analyse(p, "method");
    QVERIFY(p.window->StateOf(Cmd::Switch).enabled);
    const std::vector<std::string> main = analysis.Shown();
    p.Menu(Cmd::Switch);
    QVERIFY(analysis.Shown() != main);
    QCOMPARE(analysis.Shown(), analysis.AltLines());
    const std::vector<std::string> before = analysis.Shown();
    WhenShown("Analysis Threshold", [](Hands& h) {
      h.Click("stage11");
      h.Type("threshold", "5");
      h.Ok();
    });
    p.Menu(Cmd::Threshold);
    QVERIFY(AllAnswered());
    QVERIFY(analysis.Shown() != before);

    p.platform->nextOpenPaths.push_back(p.Path("report.prn").toStdString());
    p.Menu(Cmd::AnalysisExport);
    QCOMPARE(p.platform->prompts.back().defaultName, analysis.List()->KeyTitle() + ".prn");
    QString expected = QString::fromStdString(ShortDateText(Today(), true)) + "\r\n\r\n";
    for (const std::string& line : analysis.Shown()) {
      QString text = QString::fromStdString(line);
      if (text.startsWith('\\')) text = text.mid(2);
      expected += text + "\r\n";
    }
    QCOMPARE(p.ReadFile(p.Path("report.prn")), expected);
  }

  void exportWritesThreeFormatsThroughTheDialogAndPrompt() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(SixPeals(ref));
    const auto exportAs = [&](const char* format, const QString& file) {
      WhenShown("Export Format", [format](Hands& h) {
        h.Click(format);
        h.Ok();
      });
      p.platform->nextSavePaths.push_back(p.Path(file).toStdString());
      p.Activate(DocId::PealList);
      p.Menu(Cmd::Export);
      QVERIFY(AllAnswered());
    };
    exportAs("format0", "line.prn");
    QCOMPARE(p.platform->prompts.back().defaultName, std::string("six.prn"));
    QCOMPARE(p.platform->prompts.back().filter, std::string("(*.prn)|*.prn|(*.*)|*.*||"));
    exportAs("format9", "full.sgm");
    QCOMPARE(p.platform->prompts.back().defaultName, std::string("six.sgm"));

    // The table goes through the file prompt itself: the name is typed over the one offered.
    QString offered;
    WhenShown("Export Format", [](Hands& h) {
      h.Click("format11");
      h.Ok();
    });
    WhenShown("Export", [&](Hands& h) {
      auto* name = h.Dialog()->findChild<QLineEdit*>("fileNameEdit");
      QVERIFY(name);
      offered = name->text();
      name->setText(p.Path("table.csv"));
      QTest::keyClick(name, Qt::Key_Return);
    });
    p.Activate(DocId::PealList);
    p.Menu(Cmd::Export);
    QVERIFY(AllAnswered());
    QCOMPARE(offered, QString("six.csv"));

    // The files hold what the library writes for the same peals and settings.
    const std::vector<const CPeal*> peals = BufferPeals(p.app->Ledger(), kMainBuffer);
    for (const auto& [name, file] : {std::pair{"line", "line.prn"}, std::pair{"sgml-full", "full.sgm"},
                                     std::pair{"csv-full", "table.csv"}}) {
      CExportOptions options = p.app->ExportState().options;
      std::string text;
      QVERIFY(ExportToText(*FindExportFormat(name), peals, options, text).ok());
      QCOMPARE(p.ReadFile(p.Path(file)), QString::fromStdString(text));
      QVERIFY2(QString::fromStdString(text).contains(name == std::string("line") ? "Canterbury" : "Mary Bell"),
               name);
    }
  }

  void newSgmlImportAddsPealsWithTheirNamesResolved() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(p.WriteLedger("t.tv3", 2, {ref.people[0]}, ref.canterbury, ref.yorkshire));
    QFile in(p.Path("1997.sgm"));
    QVERIFY(in.open(QIODevice::WriteOnly));
    in.write("<k>2004-05-01<t>Canterbury<n>5040<m>Yorkshire<mc>Surprise<ms>Major"
             "<r>Mary Bell<r>Zoe Young<rc>\r\n"
             "<k>2004-06-01<t>Maidstone<n>5056<m>Stedman<ms>Triples<r>John Ashby<f>A footnote\r\n");
    in.close();
    p.platform->nextOpenPaths.push_back(p.Path("1997.sgm").toStdString());
    p.Activate(DocId::PealList);
    p.Menu(Cmd::ImportNewSgml);
    QCOMPARE(p.platform->prompts.back().defaultName, std::string("1997.sgm"));

    QCOMPARE(p.Buffer(kMainBuffer), (std::vector<uint32_t>{1, 2, 3, 4}));
    const CPeal& first = *p.app->Ledger().PealAt(3);
    QCOMPARE(first.date, MakeDate(1, 5, 2004));
    QCOMPARE(int(first.tower), ref.canterbury);
    QCOMPARE(int(first.method), ref.yorkshire);
    QCOMPARE(int(first.ringers[0]), ref.people[0]);
    QCOMPARE(Names(first.ringers), (std::vector<std::string>{"Mary Bell", "Zoe Young"}));
    QCOMPARE(FullNameOf(int32_t(first.conductor)), std::string("Zoe Young"));
    const CPeal& second = *p.app->Ledger().PealAt(4);
    QCOMPARE(int(second.tower), ref.maidstone);
    QCOMPARE(second.extras[kFootnote], std::vector<std::string>{"A footnote"});
    // The list shows the last peal read, and the log names the new peals' numbers.
    auto* list = qobject_cast<PealListView*>(p.Window(DocId::PealList)->widget());
    QCOMPARE(list->Rows().size(), size_t(4));
    QCOMPARE(list->Rows().back().text, ListLine(second));
    QVERIFY(list->Rows().back().current);
    QCOMPARE(p.ReadFile(p.Path("debug.txt")), QString("2004-05-01 3\n2004-06-01 4\n"));
  }

 void publicDataComesInThroughTheirMenus() {
    Program& p = *m_p;
    p.Start("");
    const Reference ref = p.AddReference();
    p.Open(p.WriteLedger("t.tv3", 1, {ref.people[0]}, ref.canterbury, ref.yorkshire));
    const std::string data = TOLVANE_TEST_DATA "/public/";

    // Performances: File > Import > Performances (XML) adds peals to buffer 1.
    p.platform->nextOpenPaths.push_back(data + "performances.xml");
    p.Menu(Cmd::ImportPerformances);
    QCOMPARE(p.platform->prompts.back().defaultName, std::string("performances.xml"));
    QVERIFY(p.Buffer(kMainBuffer).size() > 1);
    QVERIFY(p.app->Ledger().modified);

    // Towers: Steeplex > Import Tower CSV fills the external tower records.
    const int32_t records = SteeplexIndex().Count();
    p.platform->nextOpenPaths.push_back(data + "towers.csv");
    p.Menu(Cmd::SteeplexTowerCsv);
    QVERIFY(SteeplexIndex().Count() > records);
    QVERIFY(!p.platform->messages.empty());

    // Methods: Import XML in a chooser on the method index; only there is it offered.
    ThePlatform().StartChooser({.chooser = 1, .target = nullptr, .index = &PersonIndex(),
                                .text = "MB", .title = "Ringer"});
    p.Activate(DocId::Chooser1);
    QVERIFY(!p.window->StateOf(Cmd::IndexImportXml).enabled);
    p.Key(Qt::Key_Escape);
    ThePlatform().StartChooser({.chooser = 1, .target = nullptr, .index = &MethodIndex(),
                                .text = "Plain", .title = "Method"});
    p.Activate(DocId::Chooser1);
    QVERIFY(p.window->StateOf(Cmd::IndexImportXml).enabled);
    p.platform->nextOpenPaths.push_back(data + "methods.xml");
    p.Menu(Cmd::IndexImportXml);
    QVERIFY(MethodIndex().FindEntry("Plain", 0) != 0);
    QVERIFY(QString::fromStdString(MethodIndex().NameOf(MethodIndex().FindEntry("Plain", 0), 0))
                .startsWith("Plain Bob Minor"));
  }

 private:
  // Six peals a day apart from 1 January 2003: three at Canterbury (Yorkshire) rung by Mary Bell,
  // John Ashby and Peter Clarke, three at Maidstone (Stedman) by Peter Clarke and Ruth Dawson.
  std::string SixPeals(const Reference& ref) {
    CPealLedger ledger;
    for (int i = 0; i < 6; ++i) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(1 + i, 1, 2003);
      peal->changes = 5040;
      const bool first = i < 3;
      peal->tower = uint32_t(first ? ref.canterbury : ref.maidstone);
      peal->method = uint32_t(first ? ref.yorkshire : ref.stedman);
      for (const int person : first ? std::vector<int>{0, 1, 2} : std::vector<int>{2, 3}) {
        peal->ringers.push_back(uint32_t(ref.people[size_t(person)]));
      }
      peal->conductor = peal->ringers.back();
      ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
    }
    const int buffers[] = {kMainBuffer};
    if (!WriteLedgerFile("six.tv3", ledger, buffers).ok()) return {};
    return "six.tv3";
  }

  void Analyse(Program& p, const char* choice) {
    WhenShown("Analyse by", [choice](Hands& h) {
      h.Click(choice);
      h.Ok();
    });
    p.Activate(DocId::PealList);
    p.Menu(Cmd::Analyse);
    QVERIFY(AllAnswered());
  }

  static QString RowOf(const std::vector<std::string>& lines, const char* name) {
    for (const std::string& line : lines) {
      if (line.find(name) != std::string::npos) return QString::fromStdString(line);
    }
    return {};
  }

  std::unique_ptr<Program> m_p;
};

int RunFlowsTests(int argc, char** argv) {
  FlowsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "flows_test.moc"

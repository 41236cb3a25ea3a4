// Every dialog model drawn as a window: its title, controls, captions, limits and boxes; the
// arrangements a person expects (the band in three columns of six, the extras in two columns);
// controls shown by criterion; the standard refusals; the display and error windows; and the
// file prompts with the names, extensions and filters each command offers.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>
#include <functional>
#include <map>

#include "analysis/anal_doc.h"
#include "analysis/method_list.h"
#include "analysis/person_list.h"
#include "core/services.h"
#include "gui/dialog_layouts.h"
#include "gui/model_dialog.h"
#include "output/export_command.h"
#include "peals/extra_dialog.h"
#include "peals/global_edit.h"
#include "peals/peal_dialog.h"
#include "peals/selection.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/saint.h"
#include "refdb/tower.h"
#include "refdb/tower_dialog.h"
#include "tests/gui/gui_fixture.h"

using namespace tv;
using namespace tv::gui;
using namespace tv::gui::testing;

Q_DECLARE_METATYPE(tv::Cmd)
Q_DECLARE_METATYPE(tv::DocId)

namespace {

// The models of every dialog, made as the commands make them.
std::unique_ptr<DialogModel> MakeModel(const QString& title) {
  static CPeal peal;
  static const CTower tower;
  static const CMethod method;
  static const CComposition composition;
  static const std::map<QString, std::function<std::unique_ptr<DialogModel>()>> makers = {
      {"Peal Details", [] { return std::make_unique<CPealDialog>(CPealForm{}); }},
      {"Extra Peal Details", [] { return std::make_unique<CExtraDialog>(peal); }},
      {"Select Peals", [] { return std::make_unique<CSelDialog>(kSelRinger, CSelectionState{}); }},
      {"Global Edit", [] { return std::make_unique<CGlobalDialog>(); }},
      {"Export Format", [] { return std::make_unique<CExportDlg>(CExportState{}.options); }},
      {"Analyse by", [] { return std::make_unique<CAnalyseDlg>(); }},
      {"Analysis Threshold",
       [] {
         std::array<uint32_t, CThreshDialog::kChoices> values{};
         values.fill(1);
         return std::make_unique<CThreshDialog>(values);
       }},
      {"Set Equivalence", [] { return std::make_unique<CEquivDialog>(); }},
      {"Tower Details", [] { return std::make_unique<CTowerDlg>(tower); }},
      {"Personal Details", [] { return std::make_unique<CPersonDlg>(CPerson{}); }},
      {"Association Details", [] { return std::make_unique<CAssocDlg>(CAssoc{}); }},
      {"County Details", [] { return std::make_unique<CCountyDlg>(CCounty{}); }},
      {"Dedication Details", [] { return std::make_unique<CSaintDlg>(CSaint{}); }},
      {"Method Details", [] { return std::make_unique<CMethDialog>(method); }},
      {"Composition Details", [] { return std::make_unique<CCompDialog>(composition); }},
  };
  return makers.at(title)();
}

// Where a widget stands in its dialog.
QPoint At(QWidget* widget, QWidget* dialog) { return widget->mapTo(dialog, QPoint(0, 0)); }

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_p = std::make_unique<Program>();
    m_p->Start("");
  }
  void cleanup() {
    const bool answered = AllAnswered();
    m_p.reset();
    QVERIFY2(answered, "a window the test waited for did not show");
  }

  void everyDialogDrawsItsModel_data() {
    QTest::addColumn<QString>("title");
    for (const char* title : {"Peal Details", "Extra Peal Details", "Select Peals", "Global Edit",
                              "Export Format", "Analyse by", "Analysis Threshold",
                              "Set Equivalence", "Tower Details", "Personal Details",
                              "Association Details", "County Details", "Dedication Details",
                              "Method Details", "Composition Details"}) {
      QTest::newRow(title) << QString(title);
    }
  }

  void everyDialogDrawsItsModel() {
    QFETCH(QString, title);
    const std::unique_ptr<DialogModel> model = MakeModel(title);
    QCOMPARE(QString::fromStdString(model->Title()), title);
    // The layout names only controls and boxes the model has.
    QCOMPARE(UnknownLayoutNames(*model), std::set<std::string>{});
    ModelDialog dialog(*model, [](const std::string&) {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), title);
    for (const DialogControl& control : model->Controls()) {
      const QString id = QString::fromStdString(control.id);
      QWidget* widget = dialog.ControlWidget(control.id);
      QVERIFY2(widget, qPrintable(id));
      QCOMPARE(widget->isVisibleTo(&dialog), control.visible);
      switch (control.kind) {
        case ControlKind::Text:
        case ControlKind::Number: {
          auto* edit = qobject_cast<QLineEdit*>(widget);
          QVERIFY2(edit && !edit->isReadOnly(), qPrintable(id));
          if (control.maxLength > 0) QCOMPARE(edit->maxLength(), int(control.maxLength));
          break;
        }
        case ControlKind::MultiLine: QVERIFY2(qobject_cast<QPlainTextEdit*>(widget), qPrintable(id)); break;
        case ControlKind::Check:
          QCOMPARE(qobject_cast<QCheckBox*>(widget)->text().toStdString(), control.caption);
          break;
        case ControlKind::Radio:
          QCOMPARE(qobject_cast<QRadioButton*>(widget)->text().toStdString(), control.caption);
          break;
        case ControlKind::DropDown:
          QCOMPARE(qobject_cast<QComboBox*>(widget)->count(), int(control.items.size()));
          break;
        case ControlKind::ReadOnly: {
          auto* edit = qobject_cast<QLineEdit*>(widget);
          QVERIFY2(edit && edit->isReadOnly(), qPrintable(id));
          break;
        }
      }
      if (control.kind != ControlKind::Check && control.kind != ControlKind::Radio &&
          !control.caption.empty()) {
        // The caption stands beside the field and names it for the keyboard.
        QLabel* caption = nullptr;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
          if (label->buddy() == widget) caption = label;
        }
        QVERIFY2(caption, qPrintable(id));
        QCOMPARE(caption->text().toStdString(), control.caption);
      }
      if (!control.group.empty()) {
        // Grouped controls, radio groups among them, sit in a box with the group's title.
        auto* box = qobject_cast<QGroupBox*>(widget->parentWidget());
        QVERIFY2(box, qPrintable(id));
        QCOMPARE(box->title().toStdString(), control.group);
      }
    }
    // It fits on the screen the program is made for.
    QVERIFY2(dialog.sizeHint().width() <= 1400 && dialog.sizeHint().height() <= 900,
             qPrintable(QString("%1 x %2").arg(dialog.sizeHint().width()).arg(dialog.sizeHint().height())));
  }

  void okStraightFromAFieldDoesWhatLeavingItDoes() {
    // First names typed and OK pressed without leaving the field: the initials still come from
    // them, as they do when the field is left for another. The dialog is not shown, so that no
    // focus change of the window system stands in for the one pressing OK leaves out.
    CPersonDlg model(CPerson{});
    ModelDialog dialog(model, [](const std::string&) {});
    auto* surname = qobject_cast<QLineEdit*>(dialog.ControlWidget("surname"));
    auto* firstNames = qobject_cast<QLineEdit*>(dialog.ControlWidget("firstNames"));
    QVERIFY(surname && firstNames);
    surname->setFocus();
    QTest::keyClicks(surname, "Pitman");
    firstNames->setFocus();
    QTest::keyClicks(firstNames, "Norman James");
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    CPerson person;
    model.Store(person);
    QCOMPARE(person.initials, std::string("NJ"));
    QCOMPARE(person.firstNames, std::string("Norman James"));
  }

  void pealDetailsStandsTheRingersInThreeColumnsOfSix() {
    CPealDialog model(CPealForm{});
    ModelDialog dialog(model, [](const std::string&) {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const auto ringer = [&](int n) { return At(dialog.ControlWidget(CPealDialog::RingerId(n)), &dialog); };
    for (int n = 1; n <= kMaxEntryRingers; ++n) {
      const int column = (n - 1) / 6;
      const int row = (n - 1) % 6;
      // Same column: same left edge as the column's first; same row: same top as ringer 1's row.
      QCOMPARE(ringer(n).x(), ringer(column * 6 + 1).x());
      QCOMPARE(ringer(n).y(), ringer(row + 1).y());
      if (row > 0) QVERIFY(ringer(n).y() > ringer(n - 1).y());
      if (column > 0) QVERIFY(ringer(n).x() > ringer(n - 6).x());
    }
    // The footnotes take several lines each, below one another.
    for (int k = 1; k <= kEntryFootnotes; ++k) {
      auto* footnote = qobject_cast<QPlainTextEdit*>(dialog.ControlWidget(CPealDialog::FootnoteId(k)));
      QVERIFY(footnote);
      QVERIFY(footnote->height() >= 2 * footnote->fontMetrics().lineSpacing());
    }
    // The names of the peal stand to the right of where and when it was rung.
    QVERIFY(At(dialog.ControlWidget("method"), &dialog).x() > At(dialog.ControlWidget("date"), &dialog).x());
    QVERIFY(At(dialog.ControlWidget("ringer1"), &dialog).y() > At(dialog.ControlWidget("changes"), &dialog).y());
  }

  void extraDetailsShowsItsFieldsInTwoColumnsOfNine() {
    CPeal peal;
    CExtraDialog model(peal);
    ModelDialog dialog(model, [](const std::string&) {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const auto field = [&](int i) { return At(dialog.ControlWidget(CExtraDialog::FieldId(i)), &dialog); };
    for (int i = 0; i < kExtraFields; ++i) {
      QCOMPARE(field(i).x(), field(i < 9 ? 0 : 9).x());
      QCOMPARE(field(i).y(), field(i % 9).y());
    }
    QVERIFY(field(9).x() > field(0).x());
    QVERIFY(field(0).x() > At(dialog.ControlWidget("source"), &dialog).x());
  }

  void selectPealsShowsTheControlsOfTheCriterion_data() {
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("ringer") << "ringer" << QStringList{"searchText"}
                            << QStringList{"start", "end", "classList", "spliced", "little"};
    QTest::newRow("date") << "date" << QStringList{"start", "end"}
                          << QStringList{"searchText", "classList"};
    QTest::newRow("class") << "class" << QStringList{"classList", "spliced", "little"}
                           << QStringList{"searchText", "start"};
    QTest::newRow("duplicate") << "duplicate" << QStringList{"exclude"}
                               << QStringList{"searchText", "start", "classList"};
  }

  void selectPealsShowsTheControlsOfTheCriterion() {
    QFETCH(QString, criterion);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    QStringList wrong;
    WhenShown("Select Peals", [&](Hands& h) {
      h.Click(qPrintable(criterion));
      for (const QString& id : shown) {
        if (!h.Widget(qPrintable(id))->isVisible()) wrong << id;
      }
      for (const QString& id : hidden) {
        if (h.Widget(qPrintable(id))->isVisible()) wrong << id;
      }
      h.Cancel();
    });
    m_p->Menu(Cmd::Select);
    QVERIFY(AllAnswered());
    QCOMPARE(wrong, QStringList{});
  }

  void pealDetailsRefusesBadNumbersAndStaysOpen_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("changes") << "changes" << "5o40" << "Please enter an integer.";
    QTest::newRow("no") << "sequence" << "300" << "Please enter an integer between 0 and 255.";
    QTest::newRow("rw page") << "rwPage" << "2000000"
                             << "Please enter an integer between 0 and 1001999.";
    QTest::newRow("rw page text") << "rwPage" << "p12" << "Please enter a positive integer.";
  }

  void pealDetailsRefusesBadNumbersAndStaysOpen() {
    QFETCH(QString, id);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    bool stayed = false;
    WhenShown("Peal Details", [&](Hands& h) {
      h.Type(qPrintable(id), typed);
      h.Ok();
      stayed = h.Dialog()->isVisible();
      h.Cancel();
    });
    m_p->Menu(Cmd::New);
    QVERIFY(AllAnswered());
    QVERIFY(stayed);
    QCOMPARE(m_p->platform->messages, std::vector<std::string>{refusal.toStdString()});
    // Cancel makes no peal.
    QVERIFY(m_p->Buffer(kMainBuffer).empty());
  }

  void enterDateTakesTenCharactersAndGoesToTheDate() {
    m_p->Open(m_p->WriteLedger("t.tv3", 5));
    QString held;
    WhenShown("Enter Date", [&](Hands& h) {
      h.Type("date", "3/1/2003   extra");
      held = h.Text("date");
      h.Type("date", "3/1/2003");
      h.Ok();
    });
    m_p->Menu(Cmd::Goto);
    QVERIFY(AllAnswered());
    QCOMPARE(held, QString("3/1/2003  "));
    QCOMPARE(m_p->Window(DocId::CurrentPeal)->windowTitle(), QString("No 3 (RW 30000)"));
  }

  void itemDetailsAndUnexpectedErrorShowTheirTexts() {
    m_p->AddReference();
    m_p->platform->recordMessages = false;
    QString details;
    bool readOnly = false;
    WhenShown("Item Details", [&](Hands& h) {
      auto* text = h.Dialog()->findChild<QPlainTextEdit*>("details");
      details = text->toPlainText();
      readOnly = text->isReadOnly();
      QTest::mouseClick(h.Dialog()->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                        Qt::LeftButton);
    });
    ThePlatform().StartChooser({.chooser = 1, .target = nullptr, .index = &PersonIndex(),
                                .text = "AE", .title = "Ringer"});
    m_p->Activate(DocId::Chooser1);
    m_p->Key(Qt::Key_Question);
    QVERIFY(AllAnswered());
    QVERIFY(readOnly);
    QVERIFY2(details.contains("Ellis") && details.contains("Alan"), qPrintable(details));

    QStringList lines;
    WhenShown("Unexpected Error!", [&](Hands& h) {
      for (QLabel* label : h.Dialog()->findChildren<QLabel*>()) lines << label->text();
      QTest::mouseClick(h.Dialog()->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                        Qt::LeftButton);
    });
    ThePlatform().ShowUnexpectedError("index damaged");
    QVERIFY(AllAnswered());
    QVERIFY(lines.size() >= 2);
    QVERIFY(lines[0].contains("if it occurs consistently"));
    QCOMPARE(lines[1], QString("Now might be a good time to save your data."));
  }

  void filePromptsOfferTheirNamesAndFilters_data() {
    QTest::addColumn<tv::Cmd>("cmd");
    QTest::addColumn<tv::DocId>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qtFilter");
    const auto list = DocId::PealList;
    QTest::newRow("old sgml") << Cmd::ImportOldSgml << list << "Old SGML (KRT)" << "1997.pea" << "pea"
                              << "Peal Files (*.pea)|*.pea||" << "Peal Files (*.pea)";
    QTest::newRow("new sgml") << Cmd::ImportNewSgml << list << "New SGML (VLMS)" << "1997.sgm" << "sgm"
                              << "Peal Files (*.sgm)|*.sgm||" << "Peal Files (*.sgm)";
    QTest::newRow("steeplex") << Cmd::SteeplexImport << list << "Import Steeplex Data" << "steeplex.sxd"
                              << "sxd" << "(*.sxd) | *.sxd | (*.*) | *.* || " << "(*.sxd);;(*.*)";
    QTest::newRow("export") << Cmd::Export << list << "Export" << "t.prn" << "prn"
                            << "(*.prn)|*.prn|(*.*)|*.*||" << "(*.prn);;(*.*)";
    QTest::newRow("analysis export") << Cmd::AnalysisExport << DocId::Analysis << "Export"
                                     << "Association.prn" << "prn"
                                     << "(*.prn)|*.prn|(*.txt)|*.txt|(*.*)|*.*||"
                                     << "(*.prn);;(*.txt);;(*.*)";
    QTest::newRow("analysis save as") << Cmd::AnalysisSaveAs << DocId::Analysis << "Save As"
                                      << "new.dat" << "dat" << "(*.dat) | *.dat | (*.*) | *.* || "
                                      << "(*.dat);;(*.*)";
    QTest::newRow("chooser import") << Cmd::IndexImport << DocId::Chooser1
                                    << "Import SGML (old format) file" << "data.sgm" << "sgm"
                                    << "SGML Files (*.sgm)|*.sgm||" << "SGML Files (*.sgm)";
  }

  void filePromptsOfferTheirNamesAndFilters() {
    QFETCH(tv::Cmd, cmd);
    QFETCH(tv::DocId, window);
    QFETCH(QString, title);
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QFETCH(QString, filter);
    QFETCH(QString, qtFilter);
    const Reference ref = m_p->AddReference();
    m_p->Open(m_p->WriteLedger("t.tv3", 3, {ref.people[0]}, ref.canterbury, ref.yorkshire));
    if (window == DocId::Analysis) {
      WhenShown("Analyse by", [](Hands& h) { h.Ok(); });
      m_p->Menu(Cmd::Analyse);
    }
    if (cmd == Cmd::Export) WhenShown("Export Format", [](Hands& h) { h.Click("format0"); h.Ok(); });
    if (window == DocId::Chooser1) {
      ThePlatform().StartChooser({.chooser = 1, .target = nullptr, .index = &MethodIndex(),
                                  .text = "Y", .title = "Method"});
    }
    m_p->Activate(window);
    m_p->platform->nextOpenPaths.push_back(std::nullopt);
    m_p->platform->nextSavePaths.push_back(std::nullopt);
    const size_t before = m_p->platform->prompts.size();
    m_p->Menu(cmd);
    QVERIFY(AllAnswered());
    QCOMPARE(m_p->platform->prompts.size(), before + 1);
    const FilePrompt& prompt = m_p->platform->prompts.back();
    QCOMPARE(QString::fromStdString(prompt.title), title);
    QCOMPARE(QString::fromStdString(prompt.defaultName), name);
    QCOMPARE(QString::fromStdString(prompt.defaultExtension), extension);
    QCOMPARE(QString::fromStdString(prompt.filter), filter);
    QCOMPARE(QtFilter(prompt.filter), qtFilter);
    // A cancelled prompt writes nothing.
    QVERIFY(!QFile::exists(m_p->Path(name)));
  }

 private:
  std::unique_ptr<Program> m_p;
};

int RunDialogsTests(int argc, char** argv) {
  DialogsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "dialogs_test.moc"

// Start-up away from a folder of indexes: the first start's Welcome choice, the demonstration
// written into the data folder and opened, the index directory in the frame's title, and the
// next start reopening the same database without asking. Settings and the data folder live in
// a temporary folder of the test's own.
#include <QDialog>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/demo_database.h"
#include "app/start_directory.h"
#include "app/welcome_dialog.h"
#include "gui/start_settings.h"
#include "gui/win1252.h"
#include "refdb/index_set.h"
#include "tests/gui/gui_fixture.h"

using namespace tv;
using namespace tv::gui;
using namespace tv::gui::testing;

namespace {

// Closes any modal window that shows while it is alive and remembers its title: a start that
// should ask nothing fails rather than waiting for an answer.
class Unasked {
 public:
  Unasked() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      m_titles << dialog->windowTitle();
      dialog->reject();
    });
    m_timer.start(50);
  }
  QStringList Titles() const { return m_titles; }

 private:
  QTimer m_timer;
  QStringList m_titles;
};

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    m_settings = std::make_unique<QSettings>(m_home->filePath("config/Tolvane.conf"), QSettings::IniFormat);
    m_startSettings = std::make_unique<QtStartSettings>(*m_settings);
    m_demo = m_home->filePath("share/Tolvane");
  }

  void cleanup() {
    m_program.reset();
    m_start.reset();
    m_startSettings.reset();
    m_settings.reset();
    m_home.reset();
    QVERIFY2(AllAnswered(), "a dialog the test waited for did not show");
  }

  void firstStartOffersThreeChoicesAndTheDemonstrationOpens() {
    QStringList choices;
    WhenShown("Welcome", [&](Hands& h) {
      for (const QRadioButton* radio : h.Dialog()->findChildren<QRadioButton*>()) choices << radio->text();
      h.Click(kWelcomeDemo);
      h.Ok();
    });
    QVERIFY(Run(""));
    QVERIFY(AllAnswered());
    QCOMPARE(choices.size(), 3);
    QVERIFY(choices[0].contains("demonstration"));
    QVERIFY(choices[1].contains("empty"));
    QVERIFY(choices[2].contains("existing"));

    QCOMPARE(PathToQt(IndexDirectory()), m_demo + "/");
    QVERIFY(QFileInfo::exists(m_demo + "/persons.da3"));
    QCOMPARE(m_program->Window(DocId::PealList)->windowTitle(), QString("demo.tv3"));
    QCOMPARE(m_program->Buffer(kMainBuffer).size(), size_t(kDefaultDemoPeals));
    QVERIFY2(m_program->window->windowTitle().contains(m_demo), qPrintable(m_program->window->windowTitle()));
    QVERIFY(m_program->platform->messages.empty());
  }

  void secondStartReopensTheLastIndexDirectory() {
    WhenShown("Welcome", [](Hands& h) { h.Ok(); });
    QVERIFY(Run(""));
    QVERIFY(AllAnswered());
    m_program->app->Shutdown();
    m_program.reset();

    // Started again from the menu, in a folder without indexes: no question, the same database.
    Unasked unasked;
    QVERIFY(Run(""));
    QCOMPARE(unasked.Titles(), QStringList());
    QCOMPARE(PathToQt(IndexDirectory()), m_demo + "/");
    QVERIFY(m_program->window->windowTitle().contains(m_demo));
    // Nothing was written where the program started.
    QCOMPARE(QDir(m_program->folder->path()).entryList(QDir::Files), QStringList());
  }

  void cancelledWelcomeStopsTheStart() {
    WhenShown("Welcome", [](Hands& h) { h.Cancel(); });
    QVERIFY(!Run(""));
    QVERIFY(!IndexSetIsOpen());
    QVERIFY(!QFileInfo::exists(m_demo));
  }

 private:
  // One run of the program, started in an empty folder of its own, with the test's settings.
  bool Run(const std::string& commandLine) {
    m_program = std::make_unique<Program>();
    m_start = std::make_unique<CStartDirectory>(*m_startSettings, PathFromQt(m_demo));
    m_program->app->startDirectory = m_start.get();
    const bool started = m_program->window->Start(commandLine);
    if (started) m_program->Reactivate();
    return started;
  }

  std::unique_ptr<QTemporaryDir> m_home;
  std::unique_ptr<QSettings> m_settings;
  std::unique_ptr<QtStartSettings> m_startSettings;
  std::unique_ptr<CStartDirectory> m_start;
  std::unique_ptr<Program> m_program;
  QString m_demo;
};

int RunStartupTests(int argc, char** argv) {
  StartupTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "startup_test.moc"

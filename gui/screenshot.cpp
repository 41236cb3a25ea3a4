// Makes the pictures of the documentation: a small reference database and ledger in a temporary
// folder, the main window opened on them, and one of four scenes grabbed to a PNG file:
//   tolvane-screenshot [main|peal-details|analysis|records] OUTPUT.png   (needs a display; xvfb-run)
// "main" shows the index chooser over the list, "peal-details" the Peal Details dialog editing
// a peal, "analysis" an analysis by ringer beside the list, "records" a ringer's record and its
// chart over the demonstration database.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "app/chooser_doc.h"
#include "app/demo_database.h"
#include "app/tolvane_app.h"
#include "app/tolvane_view.h"
#include "peals/peal_entry.h"
#include "core/dates.h"
#include "core/services.h"
#include "gui/main_window.h"
#include "gui/model_dialog.h"
#include "gui/qt_platform.h"
#include "gui/win1252.h"
#include "peals/ledger_file.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace {

using namespace tv;

struct Ignore : ChoiceTarget {
  void OnChosen(int32_t) override {}
};

int32_t AddPerson(const char* first, const char* surname) {
  auto person = std::make_unique<CPerson>();
  person->firstNames = first;
  person->surname = surname;
  return PersonIndex().InsertNew(std::move(person));
}

int32_t AddTower(const char* place, uint8_t county, uint8_t bells, uint16_t weight) {
  auto tower = std::make_unique<CTower>();
  tower->place = place;
  tower->county = county;
  tower->bellCount = bells;
  tower->tenorWeight = weight;
  return TowerIndex().InsertNew(std::move(tower));
}

int32_t AddMethod(const char* name, int32_t methodClass, uint8_t stage) {
  auto method = std::make_unique<CMethod>();
  method->name = name;
  method->methodClass = methodClass;
  method->stage = stage;
  return MethodIndex().InsertNew(std::move(method));
}

int32_t AddCounty(const char* name) {
  auto county = std::make_unique<CCounty>();
  county->name = county->abbreviation = name;
  return CountyIndex().InsertNew(std::move(county));
}

// A season of peals at a handful of towers, rung by one band.
std::string MakeLedger() {
  OpenIndexSet();
  const auto kent = static_cast<uint8_t>(AddCounty("Kent"));
  const auto devon = static_cast<uint8_t>(AddCounty("Devon"));
  const auto york = static_cast<uint8_t>(AddCounty("Yorkshire"));
  const int32_t towers[] = {AddTower("Canterbury", kent, 12, 3780), AddTower("Exeter", devon, 12, 8416),
                            AddTower("Beverley", york, 10, 4600), AddTower("Maidstone", kent, 8, 1652),
                            AddTower("Crediton", devon, 8, 1924)};
  const int32_t methods[] = {AddMethod("Yorkshire", 4, 8), AddMethod("Cambridge", 4, 10),
                             AddMethod("Stedman", 0, 11), AddMethod("Bristol", 4, 12),
                             AddMethod("Grandsire", 0, 7)};
  const char* names[][2] = {{"Mary", "Bell"},     {"John", "Ashby"},   {"Peter", "Clarke"},
                            {"Ruth", "Dawson"},    {"Alan", "Ellis"},   {"Helen", "Fowler"},
                            {"Mark", "Gibbs"},     {"Susan", "Harper"}, {"Martin", "Irving"},
                            {"Margaret", "Jones"}, {"David", "Kemp"},   {"Matthew", "Lane"},
                            {"Jos\xE9", "Martinez"}, {"Anne", "Naylor"},  {"Roger", "Oakes"},
                            {"Jane", "Parker"},    {"Simon", "Quinn"},  {"Clare", "Roberts"},
                            {"Tom", "Sharp"},      {"Lucy", "Turner"},  {"Neil", "Underwood"},
                            {"Emma", "Vaughan"},   {"Paul", "Walker"},  {"Kate", "Young"},
                            {"Ian", "Marsh"},      {"Joan", "Mason"},   {"Brian", "May"},
                            {"Sarah", "Mead"},     {"Colin", "Abbott"}, {"Diane", "Baker"},
                            {"Frank", "Carter"},   {"Gail", "Dunn"}};
  auto association = std::make_unique<CAssoc>();
  association->name = "Kent County Association";
  association->abbreviation = "KCACR";
  AssocIndex().InsertNew(std::move(association));
  std::vector<uint32_t> band;
  for (const auto& name : names) band.push_back(static_cast<uint32_t>(AddPerson(name[0], name[1])));
  SaveAllIndexes();

  CPealLedger ledger;
  const int changes[] = {5056, 5040, 5007, 5088, 5040};
  for (int i = 0; i < 40; ++i) {
    auto peal = std::make_unique<CPeal>();
    const int which = (i * 3) % 5;
    peal->date = MakeDate(1 + (i * 7) % 28, 1 + i % 12, 2019 + i / 12);
    peal->tower = static_cast<uint32_t>(towers[which]);
    peal->method = static_cast<uint32_t>(methods[which]);
    peal->changes = changes[which];
    peal->time = static_cast<uint16_t>(170 + (i * 13) % 40);
    peal->association = 1;
    peal->composer = band[static_cast<size_t>(20 + i % 3)];
    if (i % 3 == 0) peal->extras[kFootnote].push_back("First peal on the bells by Matthew Lane.");
    for (int r = 0; r < 8; ++r) peal->ringers.push_back(band[static_cast<size_t>((i + r) % band.size())]);
    peal->conductor = peal->ringers.back();
    const uint32_t number = ledger.AddPeal(std::move(peal));
    ledger.InsertIntoBuffer(number, kMainBuffer);
  }
  const std::string path = "season.tv3";
  const int buffers[] = {kMainBuffer};
  WriteLedgerFile(path, ledger, buffers);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setOrganizationName("TolvaneScreenshot");
  QApplication::setApplicationName("Tolvane");
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  const QString scene = arguments.size() > 1 ? arguments.takeFirst() : QString("main");
  const QString output = QFileInfo(arguments.isEmpty() ? "docs/screenshot-" + scene + ".png"
                                                       : arguments.front()).absoluteFilePath();
  QTemporaryDir folder;
  if (!folder.isValid() || !QDir::setCurrent(folder.path())) return 1;

  gui::QtPlatform platform;
  platform.recordMessages = true;
  ScopedServices services(nullptr, nullptr, &platform);
  // A record wants years of peals: the demonstration database has them.
  std::string ledgerPath;
  if (scene == "records") {
    const Status made = WriteDemoDatabase(folder.path().toStdString() + "/", kDefaultDemoPeals);
    if (!made.ok()) {
      std::fprintf(stderr, "%s\n", made.message().c_str());
      return 1;
    }
    ledgerPath = kDemoLedger;
  } else {
    ledgerPath = MakeLedger();
  }

  CTolvaneApp app;
  gui::MainWindow window(app, platform);
  platform.Attach(&window, &app);
  window.Start(ledgerPath);
  window.resize(1400, 900);
  app.Ledger().MoveBack(12);

  const auto grab = [&](QWidget* widget) {
    const bool saved = widget->grab().save(output, "PNG");
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(output));
    return saved;
  };
  int result = 1;
  Ignore target;
  if (scene == "peal-details") {
    // The dialog is grabbed from inside its own event loop, then cancelled.
    QTimer::singleShot(600, [&] {
      auto* dialog = qobject_cast<gui::ModelDialog*>(QApplication::activeModalWidget());
      if (!dialog) {
        QApplication::exit(1);
        return;
      }
      result = grab(dialog) ? 0 : 1;
      dialog->reject();
    });
    QTimer::singleShot(300, [&] {
      EditCurrentPeal(app.Ledger());
      QApplication::exit(result);
    });
  } else if (scene == "analysis") {
    QTimer::singleShot(300, [&] {
      app.Analysis().Run(app.Ledger(), kMainBuffer, AnalysisKind::Ringer,
                         {.showChanges = true, .showFirst = true}, {});
    });
    QTimer::singleShot(900, [&] { QApplication::exit(grab(&window) ? 0 : 1); });
  } else if (scene == "records") {
    QTimer::singleShot(300, [&] {
      const int32_t ringer = FindShownEntry(PersonIndex(), "Alan Ashworth");
      app.Records().Show(app.Ledger(), PerformanceKind::Peal, static_cast<uint32_t>(ringer), false);
    });
    QTimer::singleShot(1500, [&] { QApplication::exit(grab(&window) ? 0 : 1); });
  } else {
    QTimer::singleShot(300, [&] {
      ThePlatform().StartChooser(ChooserRequest{.chooser = 1, .target = &target,
                                                .index = &PersonIndex(), .text = "Ma",
                                                .title = "Ringer"});
    });
    QTimer::singleShot(900, [&] { QApplication::exit(grab(&window) ? 0 : 1); });
  }
  result = QApplication::exec();
  app.Ledger().modified = false;
  app.Shutdown();
  return result;
}

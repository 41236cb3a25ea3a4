// Page Down in the peal list of the desktop program with a large ledger open: each press moves
// the list a page and redraws the list and the current-peal window. The ledger is the demo of
// TOLVANE_BENCH_PAGE_PEALS peals (1,000,000 unless set), made once into the benchmarks' cache
// folder (TOLVANE_BENCH_CACHE). Run under Qt's offscreen platform or any display.
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/demo_database.h"
#include "app/tolvane_app.h"
#include "core/services.h"
#include "gui/line_views.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"
#include "refdb/index_set.h"

namespace fs = std::filesystem;

namespace tv::gui {

class PageDownBench : public QObject {
  Q_OBJECT

 private:
  static uint32_t Peals() {
    const char* text = std::getenv("TOLVANE_BENCH_PAGE_PEALS");
    const long n = text ? std::atol(text) : 0;
    return n > 0 ? static_cast<uint32_t>(n) : 1000000;
  }

  // The demo folder, shared with ledger_bench's cache.
  static std::string DemoFolder(uint32_t peals) {
    const char* cache = std::getenv("TOLVANE_BENCH_CACHE");
    const fs::path folder =
        fs::path(cache && *cache ? cache : TOLVANE_BENCH_CACHE_DEFAULT) / ("demo-" + std::to_string(peals));
    if (!fs::exists(folder / kDemoLedger)) {
      const fs::path scratch = folder.string() + ".making";
      fs::remove_all(scratch);
      fs::create_directories(scratch);
      if (!WriteDemoDatabase(scratch.string() + "/", peals).ok()) return {};
      CloseIndexSet();
      fs::rename(scratch, folder);
    }
    return folder.string() + "/";
  }

  std::unique_ptr<QtPlatform> m_platform;
  std::unique_ptr<ScopedServices> m_services;
  std::unique_ptr<CTolvaneApp> m_app;
  std::unique_ptr<MainWindow> m_window;

 private slots:
  void initTestCase() {
    const std::string folder = DemoFolder(Peals());
    QVERIFY(!folder.empty());
    // The desktop program opens the index set in the current directory.
    QDir::setCurrent(QString::fromStdString(folder));
    CloseIndexSet();
    m_platform = std::make_unique<QtPlatform>();
    m_services = std::make_unique<ScopedServices>(nullptr, nullptr, m_platform.get());
    m_app = std::make_unique<CTolvaneApp>();
    m_window = std::make_unique<MainWindow>(*m_app, *m_platform);
    m_platform->Attach(m_window.get(), m_app.get());
    m_window->Start(folder + kDemoLedger);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
  }

  void cleanupTestCase() {
    m_window.reset();
    m_app.reset();
    CloseIndexSet();
    m_services.reset();
    m_platform.reset();
  }

  void pageDown() {
    auto* list = qobject_cast<PealListView*>(m_window->ActiveView());
    QVERIFY(list);
    QCOMPARE(m_app->Ledger().lastPealNumber, Peals());
    QTest::keyClick(list, Qt::Key_Home);
    QApplication::processEvents();
    const uint32_t top = m_app->Ledger().bufferPositions[kMainBuffer];
    QBENCHMARK {
      QTest::keyClick(list, Qt::Key_PageDown);
      // Paints every window the press changed before the next one.
      QApplication::processEvents();
    }
    QVERIFY(m_app->Ledger().bufferPositions[kMainBuffer] != top);
  }
};

}  // namespace tv::gui

QTEST_MAIN(tv::gui::PageDownBench)
#include "page_down_bench.moc"

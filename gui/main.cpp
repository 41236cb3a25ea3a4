// Entry point of the desktop program.
#include <QApplication>
#include <QSettings>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "app/start_directory.h"
#include "app/tolvane_app.h"
#include "core/services.h"
#include "core/version.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"
#include "gui/start_settings.h"
#include "gui/win1252.h"

namespace {

constexpr const char* kUsage =
    "Usage: tolvane [LEDGER]\n"
    "Keeps the records of change-ringing peals and quarter peals.\n"
    "\n"
    "LEDGER is a peal ledger (.tv3) or quarter-peal ledger (.qv3) to open.\n"
    "The reference database is the folder the program starts in when that holds one; else the\n"
    "folder last used with LEDGER, LEDGER's own folder, or the folder used last; the first time,\n"
    "the program offers a choice.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "See tolvane(1).\n";

// --help and --version are answered before Qt starts, so they work without a display.
bool AnswersAtOnce(int argc, char** argv, int& status) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("tolvane %.*s\n", static_cast<int>(tv::kVersion.size()), tv::kVersion.data());
  } else if (std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
  } else {
    return false;
  }
  status = 0;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (int status = 0; AnswersAtOnce(argc, argv, status)) return status;

  QApplication qapp(argc, argv);
  QApplication::setOrganizationName("Tolvane");
  QApplication::setApplicationName("Tolvane");
  QApplication::setApplicationVersion(QString::fromUtf8(tv::kVersion.data(), static_cast<qsizetype>(tv::kVersion.size())));
  // Matches the installed desktop entry, so desktops show its name and icon for the window.
  QGuiApplication::setDesktopFileName("org.tolvane.Tolvane");

  tv::gui::QtPlatform platform;
  tv::ScopedServices services(nullptr, nullptr, &platform);
  QSettings settings;
  tv::gui::QtStartSettings startSettings(settings);
  tv::CStartDirectory startDirectory(startSettings, tv::gui::PathFromQt(tv::gui::DemoFolder()));
  tv::CTolvaneApp app;
  app.startDirectory = &startDirectory;
  tv::gui::MainWindow window(app, platform);
  platform.Attach(&window, &app);

  // The command line names one ledger; a name with blanks may arrive in several pieces.
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  // A cancelled choice of database is the user's choice; a refused start is a failure.
  if (!window.Start(tv::gui::PathFromQt(arguments.join(' ')))) return app.StartRefused() ? 1 : 0;
  const int result = QApplication::exec();
  app.Shutdown();
  return result;
}

// Entry point of the desktop program.
#include <QApplication>
#include <QStringList>

#include "app/tolvane_app.h"
#include "core/services.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"
#include "gui/win1252.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setOrganizationName("Tolvane");
  QApplication::setApplicationName("Tolvane");

  tv::gui::QtPlatform platform;
  tv::ScopedServices services(nullptr, nullptr, &platform);
  tv::CTolvaneApp app;
  tv::gui::MainWindow window(app, platform);
  platform.Attach(&window, &app);

  // The command line names one ledger; a name with blanks may arrive in several pieces.
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  window.Start(tv::gui::PathFromQt(arguments.join(' ')));
  const int result = QApplication::exec();
  app.Shutdown();
  return result;
}

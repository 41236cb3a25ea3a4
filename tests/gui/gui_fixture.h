// What the desktop program's tests share: the whole program started in a temporary folder on
// Qt's offscreen platform, a small reference database, and hands that answer dialogs the way a
// person does, by typing into fields and clicking buttons.
#pragma once

#include <QApplication>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tolvane_app.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"

class QMdiSubWindow;
class QTemporaryDir;

namespace tv {
class ScopedServices;
}

namespace tv::gui::testing {

// The reference entries the flows name.
struct Reference {
  int32_t association = 0;  // "Kent County Association", KCACR
  int32_t canterbury = 0;
  int32_t maidstone = 0;
  int32_t yorkshire = 0;    // Yorkshire Surprise Major
  int32_t stedman = 0;      // Stedman Triples
  std::vector<int32_t> people;  // Mary Bell, John Ashby, Peter Clarke, Ruth Dawson, Alan Ellis
};

// The program as a user meets it, in a folder of its own that is the current directory.
class Program {
 public:
  Program();
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts the frame on a command line and waits until it is the active window.
  void Start(const std::string& commandLine);
  // Opens a ledger through File > Open.
  void Open(const std::string& path);
  // The frame takes the activation back after a modal dialog (the offscreen platform leaves it).
  void Reactivate();
  // Runs a menu command as its menu item would, for the active window.
  void Menu(Cmd cmd);
  // Brings a document's first window to the front, as a click on it does.
  void Activate(DocId id);
  // Presses a key in the active window.
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

  // A small database: one association, two towers, two methods, five persons.
  Reference AddReference();
  // A ledger file of `count` peals at `tower` in `method`, one a day from 1 January 2003, rung by
  // the persons `band` names in order, each the first of its day. Gives the path.
  std::string WriteLedger(const std::string& name, int count, const std::vector<int32_t>& band = {},
                          int32_t tower = 0, int32_t method = 0);

  QMdiSubWindow* Window(DocId id);
  // The peals of a buffer, by number in ledger order.
  std::vector<uint32_t> Buffer(int buffer);
  // The name of the index entry a chooser is on.
  std::string ChooserEntry(int chooser);
  bool ChooserShown(int chooser);
  QString ReadFile(const QString& path) const;
  QString Path(const QString& name) const;

  std::unique_ptr<QTemporaryDir> folder;
  std::unique_ptr<QtPlatform> platform;
  std::unique_ptr<ScopedServices> services;
  std::unique_ptr<CTolvaneApp> app;
  std::unique_ptr<MainWindow> window;
};

// A dialog model's window as the user sees it.
class Hands {
 public:
  explicit Hands(QWidget* dialog) : m_dialog(dialog) {}
  // Replaces a field's text by typing, as select-all then the keys do.
  void Type(const char* id, const QString& text);
  void Click(const char* id);
  void Ok();
  void Cancel();
  QString Text(const char* id) const;
  QWidget* Widget(const char* id) const;
  QWidget* Dialog() const { return m_dialog; }

 private:
  QWidget* m_dialog;
};

// Answers the next modal window titled `title` with `act` once it shows. Several may be queued;
// each waits for its own window. A window that does not show within five seconds fails the test
// that waits for it (see AllAnswered).
void WhenShown(const QString& title, std::function<void(Hands&)> act);
// True when every queued answer found its window; clears the queue either way.
bool AllAnswered();

}  // namespace tv::gui::testing

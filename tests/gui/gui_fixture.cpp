// The program under test, its reference data, and the hands that answer its dialogs.
#include "tests/gui/gui_fixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <deque>

#include "core/dates.h"
#include "core/services.h"
#include "gui/line_views.h"
#include "gui/win1252.h"
#include "peals/ledger_file.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

namespace tv::gui::testing {
namespace {

struct Answer {
  QString title;
  std::function<void(Hands&)> act;
};

std::deque<Answer>& Answers() {
  static std::deque<Answer> answers;
  return answers;
}
bool g_missed = false;
QTimer* g_poll = nullptr;
QElapsedTimer g_waiting;

void Poll() {
  if (Answers().empty()) {
    g_poll->stop();
    return;
  }
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal->isVisible() && modal->windowTitle() == Answers().front().title) {
    const Answer answer = Answers().front();
    Answers().pop_front();
    g_waiting.restart();
    Hands hands(modal);
    answer.act(hands);
    return;
  }
  if (g_waiting.elapsed() > 5000) {
    // Nothing came: unblock whatever is open so the test can report it.
    qWarning("no window titled %s", qPrintable(Answers().front().title));
    g_missed = true;
    Answers().clear();
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  }
}

}  // namespace

void WhenShown(const QString& title, std::function<void(Hands&)> act) {
  if (!g_poll) {
    g_poll = new QTimer(qApp);
    g_poll->setInterval(5);
    QObject::connect(g_poll, &QTimer::timeout, Poll);
  }
  if (Answers().empty()) g_waiting.restart();
  Answers().push_back({title, std::move(act)});
  g_poll->start();
}

bool AllAnswered() {
  const bool all = !g_missed && Answers().empty();
  g_missed = false;
  Answers().clear();
  return all;
}

// --- hands ---

QWidget* Hands::Widget(const char* id) const {
  QWidget* widget = m_dialog->findChild<QWidget*>(id);
  if (!widget) qWarning("%s has no control %s", qPrintable(m_dialog->windowTitle()), id);
  return widget;
}

void Hands::Type(const char* id, const QString& text) {
  QWidget* widget = Widget(id);
  if (!widget) return;
  widget->setFocus();
  // Select all, then type over it: an emptied field is reported as an edit, as a user's is.
  QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(widget, Qt::Key_Backspace);
  if (qobject_cast<QPlainTextEdit*>(widget)) {
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i > 0) QTest::keyClick(widget, Qt::Key_Return);
      QTest::keyClicks(widget, lines[i]);
    }
    return;
  }
  QTest::keyClicks(widget, text);
}

void Hands::Click(const char* id) {
  auto* button = qobject_cast<QAbstractButton*>(Widget(id));
  if (!button) return;
  // A check box or radio button takes clicks on its mark and caption only, not on the rest of
  // a row it is stretched across.
  QStyleOptionButton option;
  option.initFrom(button);
  const QStyle::SubElement element = qobject_cast<QRadioButton*>(button)
                                         ? QStyle::SE_RadioButtonClickRect
                                         : QStyle::SE_CheckBoxClickRect;
  QRect area = button->style()->subElementRect(element, &option, button);
  if (!qobject_cast<QRadioButton*>(button) && !qobject_cast<QCheckBox*>(button)) area = button->rect();
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, area.center());
}

void Hands::Ok() {
  if (auto* box = m_dialog->findChild<QDialogButtonBox*>()) {
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
  }
}

void Hands::Cancel() {
  if (auto* box = m_dialog->findChild<QDialogButtonBox*>()) {
    QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
  }
}

QString Hands::Text(const char* id) const {
  QWidget* widget = Widget(id);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* lines = qobject_cast<QPlainTextEdit*>(widget)) return lines->toPlainText();
  return {};
}

// --- the program ---

Program::Program() {
  folder = std::make_unique<QTemporaryDir>();
  QDir::setCurrent(folder->path());
  CloseIndexSet();
  SteeplexXref().Clear();
  platform = std::make_unique<QtPlatform>();
  platform->recordMessages = true;
  services = std::make_unique<ScopedServices>(nullptr, nullptr, platform.get());
  app = std::make_unique<CTolvaneApp>();
  window = std::make_unique<MainWindow>(*app, *platform);
  platform->Attach(window.get(), app.get());
}

Program::~Program() {
  window.reset();
  app.reset();
  CloseIndexSet();
  SteeplexXref().Clear();
  services.reset();
  platform.reset();
  QDir::setCurrent(QDir::tempPath());
  folder.reset();
}

void Program::Start(const std::string& commandLine) {
  window->Start(commandLine);
  Reactivate();
}

void Program::Open(const std::string& path) {
  platform->nextOpenPaths.push_back(path);
  Activate(DocId::PealList);
  Menu(Cmd::FileOpen);
}

void Program::Reactivate() {
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void Program::Menu(Cmd cmd) { window->RunCommand(cmd); }

void Program::Activate(DocId id) {
  if (QApplication::activeWindow() != window.get()) Reactivate();
  QMdiSubWindow* sub = Window(id);
  if (!sub->isVisible()) sub->show();
  window->Area()->setActiveSubWindow(sub);
}

void Program::Key(int key, Qt::KeyboardModifiers modifiers) {
  // Keys reach the frame's accelerators only while it is the active window.
  if (QApplication::activeWindow() != window.get()) Reactivate();
  QMdiSubWindow* active = window->Area()->activeSubWindow();
  QWidget* target = active && active->widget() ? active->widget() : window.get();
  QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

QMdiSubWindow* Program::Window(DocId id) { return window->Frames(id).First(); }

Reference Program::AddReference() {
  Reference ref;
  auto assoc = std::make_unique<CAssoc>();
  assoc->name = "Kent County Association";
  assoc->abbreviation = "KCACR";
  ref.association = AssocIndex().InsertNew(std::move(assoc));
  auto tower = [](const char* place, uint8_t bells, uint16_t weight) {
    auto t = std::make_unique<CTower>();
    t->place = place;
    t->bellCount = bells;
    t->tenorWeight = weight;
    return TowerIndex().InsertNew(std::move(t));
  };
  ref.canterbury = tower("Canterbury", 12, 3780);
  ref.maidstone = tower("Maidstone", 8, 1652);
  auto method = [](const char* name, int32_t methodClass, uint8_t stage) {
    auto m = std::make_unique<CMethod>();
    m->name = name;
    m->methodClass = methodClass;
    m->stage = stage;
    return MethodIndex().InsertNew(std::move(m));
  };
  ref.yorkshire = method("Yorkshire", kClassSurprise, 8);
  ref.stedman = method("Stedman", 0, 7);
  const char* names[][3] = {{"Mary", "M", "Bell"}, {"John", "J", "Ashby"}, {"Peter", "P", "Clarke"},
                            {"Ruth", "R", "Dawson"}, {"Alan", "A", "Ellis"}};
  for (const auto& name : names) {
    auto person = std::make_unique<CPerson>();
    person->firstNames = name[0];
    person->initials = name[1];
    person->surname = name[2];
    ref.people.push_back(PersonIndex().InsertNew(std::move(person)));
  }
  SaveAllIndexes();
  return ref;
}

std::string Program::WriteLedger(const std::string& name, int count, const std::vector<int32_t>& band,
                                 int32_t tower, int32_t method) {
  CPealLedger ledger;
  for (int i = 0; i < count; ++i) {
    auto peal = std::make_unique<CPeal>();
    peal->date = MakeDate(1, 1, 2003) + i;
    peal->sequence = 1;
    peal->changes = 5040;
    peal->tower = static_cast<uint32_t>(tower);
    peal->method = static_cast<uint32_t>(method);
    for (const int32_t person : band) peal->ringers.push_back(static_cast<uint32_t>(person));
    if (!band.empty()) peal->conductor = static_cast<uint32_t>(band.back());
    ledger.InsertIntoBuffer(ledger.AddPeal(std::move(peal)), kMainBuffer);
  }
  const int buffers[] = {kMainBuffer};
  if (!WriteLedgerFile(name, ledger, buffers).ok()) return {};
  return name;
}

std::vector<uint32_t> Program::Buffer(int buffer) { return app->Ledger().PealsOf(buffer); }

std::string Program::ChooserEntry(int chooser) {
  CChooseDoc& doc = app->Chooser(chooser);
  return doc.GetIndex() ? doc.GetIndex()->NameOf(doc.Current(), 0) : std::string();
}

bool Program::ChooserShown(int chooser) {
  return Window(chooser == 2 ? DocId::Chooser2 : DocId::Chooser1)->isVisible();
}

QString Program::ReadFile(const QString& path) const {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return ToQt(file.readAll().toStdString());
}

QString Program::Path(const QString& name) const { return folder->filePath(name); }

}  // namespace tv::gui::testing

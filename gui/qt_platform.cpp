// Message boxes, file prompts, dialogs, cursor, clipboard and progress with Qt.
#include "gui/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QVBoxLayout>

#include "app/tolvane_app.h"
#include "core/text.h"
#include "gui/model_dialog.h"
#include "gui/win1252.h"

namespace tv::gui {
namespace {

constexpr const char* kMessageTitle = "Tolvane";
// The display dialog holds at most this many characters.
constexpr int kDisplayLimit = 5000;

}  // namespace

QString QtFilter(std::string_view filter) {
  QStringList parts = ToQt(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString caption = parts[i].trimmed();
    if (caption.isEmpty()) break;
    QString patterns = parts[i + 1].trimmed();
    patterns.replace(';', ' ');
    // Qt reads the patterns from the caption's brackets; add them when the caption lacks them.
    filters << (caption.contains('(') ? caption : caption + " (" + patterns + ")");
  }
  return filters.join(";;");
}

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() { delete m_progress; }

void QtPlatform::Attach(QWidget* mainWindow, CTolvaneApp* app) {
  m_window = mainWindow;
  m_app = app;
}

void QtPlatform::Message(std::string_view text) {
  if (recordMessages) {
    messages.emplace_back(text);
    return;
  }
  QMessageBox::information(m_window, kMessageTitle, ToQt(text));
}

SaveAnswer QtPlatform::AskSaveChanges(std::string_view documentName) {
  if (!nextSaveAnswers.empty()) {
    const SaveAnswer answer = nextSaveAnswers.front();
    nextSaveAnswers.pop_front();
    return answer;
  }
  const QString text = ToQt(FormatMessage("Save changes to %1?", documentName));
  switch (QMessageBox::question(m_window, kMessageTitle, text,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Yes)) {
    case QMessageBox::Yes: return SaveAnswer::Yes;
    case QMessageBox::No: return SaveAnswer::No;
    default: return SaveAnswer::Cancel;
  }
}

bool QtPlatform::Confirm(std::string_view text) {
  if (!nextConfirms.empty()) {
    const bool answer = nextConfirms.front();
    nextConfirms.pop_front();
    return answer;
  }
  return QMessageBox::question(m_window, kMessageTitle, ToQt(text),
                               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void QtPlatform::ShowUnexpectedError(std::string_view text) {
  if (recordMessages) {
    messages.emplace_back("Unexpected Error! " + std::string(text));
    return;
  }
  QDialog dialog(m_window);
  dialog.setObjectName("errorDialog");
  dialog.setWindowTitle("Unexpected Error!");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(
      "Please report this error to the maker of Tolvane if it occurs consistently, giving "
      "details of how it was caused.", &dialog));
  layout->addWidget(new QLabel("Now might be a good time to save your data.", &dialog));
  if (!text.empty()) {
    auto* detail = new QLabel(ToQt(text), &dialog);
    detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail->setStyleSheet("color: #555");
    layout->addWidget(detail);
  }
  for (QLabel* label : dialog.findChildren<QLabel*>()) label->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  dialog.setMinimumWidth(420);
  dialog.exec();
}

void QtPlatform::ShowText(std::string_view title, std::string_view text) {
  if (recordMessages) {
    messages.emplace_back(text);
    return;
  }
  QDialog dialog(m_window);
  dialog.setObjectName("displayDialog");
  dialog.setWindowTitle(title.empty() ? QString("Item Details") : ToQt(title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* edit = new QPlainTextEdit(&dialog);
  edit->setObjectName("details");
  edit->setReadOnly(true);
  edit->setPlainText(ToQt(text.substr(0, kDisplayLimit)).replace("\r\n", "\n"));
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  dialog.resize(480, 360);
  dialog.exec();
}

void QtPlatform::BeginWait() {
  if (m_waitDepth++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPlatform::EndWait() {
  if (m_waitDepth > 0 && --m_waitDepth == 0) QApplication::restoreOverrideCursor();
}

std::optional<std::string> QtPlatform::PromptFile(const FilePrompt& prompt, bool save) {
  prompts.push_back(prompt);
  std::deque<std::optional<std::string>>& queued = save ? nextSavePaths : nextOpenPaths;
  if (!queued.empty()) {
    auto answer = queued.front();
    queued.pop_front();
    return answer;
  }
  // An open prompt that asks before overwriting names a file to be written (the analysis's
  // Export and Save As): the file need not exist, so it is asked for as a save prompt.
  const bool writes = save || prompt.overwritePrompt;
  QFileDialog dialog(m_window, ToQt(prompt.title));
  dialog.setObjectName("filePrompt");
  dialog.setOption(QFileDialog::DontUseNativeDialog, QGuiApplication::platformName() == "offscreen");
  dialog.setAcceptMode(writes ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(writes ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QtFilter(prompt.filter));
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (writes && !prompt.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  QString extension = ToQt(prompt.defaultExtension).trimmed();
  extension.remove("*.");
  if (!extension.isEmpty()) dialog.setDefaultSuffix(extension);
  if (!prompt.directory.empty()) dialog.setDirectory(PathToQt(prompt.directory));
  if (!prompt.defaultName.empty()) dialog.selectFile(PathToQt(prompt.defaultName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return PathFromQt(dialog.selectedFiles().front());
}

std::optional<std::string> QtPlatform::PromptOpenFile(const FilePrompt& prompt) {
  return PromptFile(prompt, false);
}

std::optional<std::string> QtPlatform::PromptSaveFile(const FilePrompt& prompt) {
  return PromptFile(prompt, true);
}

std::optional<std::string> QtPlatform::PromptFolder(const FilePrompt& prompt) {
  prompts.push_back(prompt);
  if (!nextFolderPaths.empty()) {
    auto answer = nextFolderPaths.front();
    nextFolderPaths.pop_front();
    return answer;
  }
  QFileDialog dialog(m_window, ToQt(prompt.title));
  dialog.setObjectName("folderPrompt");
  dialog.setOption(QFileDialog::DontUseNativeDialog, QGuiApplication::platformName() == "offscreen");
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setDirectory(prompt.directory.empty() ? QDir::homePath() : PathToQt(prompt.directory));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return PathFromQt(dialog.selectedFiles().front());
}

bool QtPlatform::RunDialog(DialogModel& model) {
  ModelDialog dialog(model, [this](const std::string& refusal) { Message(refusal); }, m_window);
  return dialog.exec() == QDialog::Accepted;
}

void QtPlatform::StartChooser(const ChooserRequest& request) {
  if (m_app) {
    m_app->StartChooser(request);
  } else if (request.target) {
    request.target->OnChosen(0);
  }
}

ClipboardResult QtPlatform::SetClipboardText(std::string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return ClipboardResult::CannotOpen;
  clipboard->setText(ToQt(text));
  return ClipboardResult::Ok;
}

void QtPlatform::BeginProgress(std::string_view title, uint64_t total) {
  delete m_progress;
  m_progressTotal = total;
  m_progress = new QProgressDialog(ToQt(title), QString(), 0, 1000, m_window);
  m_progress->setWindowTitle(ToQt(title));
  m_progress->setMinimumDuration(500);
  m_progress->setWindowModality(Qt::NonModal);
  m_progress->setValue(0);
}

void QtPlatform::StepProgress(uint64_t done, std::string_view text) {
  if (!m_progress) return;
  if (!text.empty()) m_progress->setLabelText(ToQt(text));
  const uint64_t total = m_progressTotal == 0 ? 1 : m_progressTotal;
  m_progress->setValue(static_cast<int>(std::min<uint64_t>(done, total) * 1000 / total));
}

void QtPlatform::EndProgress() {
  delete m_progress;
  m_progress = nullptr;
}

}  // namespace tv::gui

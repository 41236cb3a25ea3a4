// The platform of the desktop program: message boxes, prompts, dialogs, the busy cursor, the
// clipboard and progress, done with Qt. Tests queue answers here instead of clicking windows.
#pragma once

#include <QPointer>
#include <QWidget>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"

class QProgressDialog;

namespace tv {
class CTolvaneApp;
}

namespace tv::gui {

class QtPlatform : public Platform {
 public:
  QtPlatform();
  ~QtPlatform() override;

  // The window that owns the dialogs, and the application that serves the choosers.
  void Attach(QWidget* mainWindow, CTolvaneApp* app);

  // --- test seams: a queued answer is used instead of showing the window ---
  std::deque<std::optional<std::string>> nextOpenPaths;
  std::deque<std::optional<std::string>> nextSavePaths;
  std::deque<std::optional<std::string>> nextFolderPaths;
  std::deque<SaveAnswer> nextSaveAnswers;
  std::deque<bool> nextConfirms;
  // Every file prompt asked for, answered from the queues or by the user.
  std::vector<FilePrompt> prompts;
  // When set, message boxes and the error and display dialogs are recorded, not shown.
  bool recordMessages = false;
  std::vector<std::string> messages;

  // --- Platform ---
  void Message(std::string_view text) override;
  SaveAnswer AskSaveChanges(std::string_view documentName) override;
  bool Confirm(std::string_view text) override;
  void ShowUnexpectedError(std::string_view text) override;
  void ShowText(std::string_view title, std::string_view text) override;
  void BeginWait() override;
  void EndWait() override;
  std::optional<std::string> PromptOpenFile(const FilePrompt& prompt) override;
  std::optional<std::string> PromptSaveFile(const FilePrompt& prompt) override;
  std::optional<std::string> PromptFolder(const FilePrompt& prompt) override;
  bool RunDialog(DialogModel& dialog) override;
  void StartChooser(const ChooserRequest& request) override;
  ClipboardResult SetClipboardText(std::string_view text) override;
  void BeginProgress(std::string_view title, uint64_t total) override;
  void StepProgress(uint64_t done, std::string_view text) override;
  void EndProgress() override;

 private:
  std::optional<std::string> PromptFile(const FilePrompt& prompt, bool save);

  QPointer<QWidget> m_window;
  CTolvaneApp* m_app = nullptr;
  int m_waitDepth = 0;
  QProgressDialog* m_progress = nullptr;
  uint64_t m_progressTotal = 0;
};

// "A (*.a)|*.a|B (*.b)|*.b||" as Qt's "A (*.a);;B (*.b)".
QString QtFilter(std::string_view filter);

}  // namespace tv::gui

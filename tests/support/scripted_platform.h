// A platform for tests: records every message, prompt, dialog and chooser request, and answers
// them from a script, so that whole command flows run without windows.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"

namespace tv::testing {

enum class DialogAction { Ok, Cancel };

class ScriptedPlatform : public Platform {
 public:
  using DialogStep = std::function<DialogAction(DialogModel&)>;
  using ChooserStep = std::function<int32_t(const ChooserRequest&)>;

  // --- the script ---
  // The next dialog is answered by `step`; when it presses OK and the model refuses, the refusal
  // is recorded as a message and the following step answers the same dialog again.
  void QueueDialog(DialogStep step) { m_dialogSteps.push_back(std::move(step)); }
  void QueueDialogOk() { QueueDialog([](DialogModel&) { return DialogAction::Ok; }); }
  void QueueDialogCancel() { QueueDialog([](DialogModel&) { return DialogAction::Cancel; }); }
  void QueueOpenFile(std::optional<std::string> path) { m_openAnswers.push_back(std::move(path)); }
  void QueueSaveFile(std::optional<std::string> path) { m_saveAnswers.push_back(std::move(path)); }
  void QueueFolder(std::optional<std::string> path) { m_folderAnswers.push_back(std::move(path)); }
  void QueueSaveAnswer(SaveAnswer answer) { m_saveChangeAnswers.push_back(answer); }
  void QueueConfirm(bool answer) { m_confirmAnswers.push_back(answer); }
  // The next chooser request is answered by `step` (a key, 0 for cancel) when Pump runs.
  void QueueChoice(ChooserStep step) { m_chooserSteps.push_back(std::move(step)); }
  void QueueChooseKey(int32_t key) {
    QueueChoice([key](const ChooserRequest&) { return key; });
  }
  void QueueCancelChooser() { QueueChooseKey(0); }

  // Delivers the choices of pending chooser requests, in order, until none is pending: the
  // event loop's part in a non-modal choice. Each choice may start the next request.
  void Pump();
  bool HasPendingChooser() const { return !m_pending.empty(); }
  // True when every queued answer was used.
  bool ScriptUsedUp() const;

  // --- what happened ---
  std::vector<std::string> messages;         // message boxes, refusals included, in order
  std::vector<std::string> errors;           // "Unexpected Error!" texts
  std::vector<std::string> dialogTitles;     // every dialog run, in order
  std::vector<ChooserRequest> chooserRequests;
  std::vector<FilePrompt> filePrompts;
  std::vector<std::pair<std::string, std::string>> shownTexts;  // title, text
  std::vector<std::string> progressTitles;
  std::vector<std::string> progressSteps;
  std::string clipboard;
  int waitDepth = 0;
  int maxWaitDepth = 0;

  // --- Platform ---
  void Message(std::string_view text) override { messages.emplace_back(text); }
  SaveAnswer AskSaveChanges(std::string_view documentName) override;
  bool Confirm(std::string_view text) override;
  void ShowUnexpectedError(std::string_view text) override { errors.emplace_back(text); }
  void ShowText(std::string_view title, std::string_view text) override {
    shownTexts.emplace_back(title, text);
  }
  void BeginWait() override;
  void EndWait() override { --waitDepth; }
  std::optional<std::string> PromptOpenFile(const FilePrompt& prompt) override;
  std::optional<std::string> PromptSaveFile(const FilePrompt& prompt) override;
  std::optional<std::string> PromptFolder(const FilePrompt& prompt) override;
  bool RunDialog(DialogModel& dialog) override;
  void StartChooser(const ChooserRequest& request) override;
  ClipboardResult SetClipboardText(std::string_view text) override;
  void BeginProgress(std::string_view title, uint64_t) override { progressTitles.emplace_back(title); }
  void StepProgress(uint64_t, std::string_view text) override { progressSteps.emplace_back(text); }
  void EndProgress() override {}

 private:
  std::deque<DialogStep> m_dialogSteps;
  std::deque<std::optional<std::string>> m_openAnswers;
  std::deque<std::optional<std::string>> m_saveAnswers;
  std::deque<std::optional<std::string>> m_folderAnswers;
  std::deque<SaveAnswer> m_saveChangeAnswers;
  std::deque<bool> m_confirmAnswers;
  std::deque<ChooserStep> m_chooserSteps;
  std::deque<ChooserRequest> m_pending;
};

}  // namespace tv::testing

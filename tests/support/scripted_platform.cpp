// The scripted platform: answers in queue order, and fails loudly when a flow asks for an
// answer the test did not script.
#include "tests/support/scripted_platform.h"

#include <stdexcept>

namespace tv::testing {

SaveAnswer ScriptedPlatform::AskSaveChanges(std::string_view documentName) {
  messages.push_back("Save changes to " + std::string(documentName) + "?");
  if (m_saveChangeAnswers.empty()) throw std::logic_error("unscripted save-changes question");
  const SaveAnswer answer = m_saveChangeAnswers.front();
  m_saveChangeAnswers.pop_front();
  return answer;
}

bool ScriptedPlatform::Confirm(std::string_view text) {
  messages.emplace_back(text);
  if (m_confirmAnswers.empty()) throw std::logic_error("unscripted question: " + std::string(text));
  const bool answer = m_confirmAnswers.front();
  m_confirmAnswers.pop_front();
  return answer;
}

void ScriptedPlatform::BeginWait() {
  ++waitDepth;
  if (waitDepth > maxWaitDepth) maxWaitDepth = waitDepth;
}

std::optional<std::string> ScriptedPlatform::PromptOpenFile(const FilePrompt& prompt) {
  filePrompts.push_back(prompt);
  if (m_openAnswers.empty()) throw std::logic_error("unscripted open prompt: " + prompt.title);
  auto answer = m_openAnswers.front();
  m_openAnswers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedPlatform::PromptSaveFile(const FilePrompt& prompt) {
  filePrompts.push_back(prompt);
  if (m_saveAnswers.empty()) throw std::logic_error("unscripted save prompt: " + prompt.title);
  auto answer = m_saveAnswers.front();
  m_saveAnswers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedPlatform::PromptFolder(const FilePrompt& prompt) {
  filePrompts.push_back(prompt);
  if (m_folderAnswers.empty()) throw std::logic_error("unscripted folder prompt: " + prompt.title);
  auto answer = m_folderAnswers.front();
  m_folderAnswers.pop_front();
  return answer;
}

bool ScriptedPlatform::RunDialog(DialogModel& dialog) {
  dialogTitles.push_back(dialog.Title());
  for (;;) {
    if (m_dialogSteps.empty()) throw std::logic_error("unscripted dialog: " + dialog.Title());
    DialogStep step = std::move(m_dialogSteps.front());
    m_dialogSteps.pop_front();
    if (step(dialog) == DialogAction::Cancel) return false;
    if (auto refusal = dialog.Validate()) {
      messages.push_back(*refusal);
      continue;
    }
    return true;
  }
}

void ScriptedPlatform::StartChooser(const ChooserRequest& request) {
  chooserRequests.push_back(request);
  m_pending.push_back(request);
}

void ScriptedPlatform::Pump() {
  while (!m_pending.empty()) {
    const ChooserRequest request = m_pending.front();
    m_pending.pop_front();
    if (m_chooserSteps.empty()) throw std::logic_error("unscripted chooser: " + request.title);
    ChooserStep step = std::move(m_chooserSteps.front());
    m_chooserSteps.pop_front();
    const int32_t key = step(request);
    if (request.target) request.target->OnChosen(key);
  }
}

bool ScriptedPlatform::ScriptUsedUp() const {
  return m_dialogSteps.empty() && m_openAnswers.empty() && m_saveAnswers.empty() &&
         m_folderAnswers.empty() &&
         m_saveChangeAnswers.empty() && m_confirmAnswers.empty() && m_chooserSteps.empty();
}

ClipboardResult ScriptedPlatform::SetClipboardText(std::string_view text) {
  clipboard = text;
  return ClipboardResult::Ok;
}

}  // namespace tv::testing

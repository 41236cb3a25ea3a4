// The windowing platform as the logic sees it: message boxes, the busy cursor, file prompts,
// modal dialogs, the non-modal index chooser, the clipboard, progress. The Qt layer implements
// it for the desktop program; a headless one serves the command line; a scripted double
// serves tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/dialog_model.h"

namespace tv {

class CIndex;  // an index of the reference database, opaque here

// Whatever an index chooser reports its choice to. The key is 0 for a cancel.
class ChoiceTarget {
 public:
  virtual ~ChoiceTarget() = default;
  virtual void OnChosen(int32_t key) = 0;
};

struct FilePrompt {
  std::string title;
  std::string defaultName;
  std::string defaultExtension;  // without the dot
  std::string filter;            // "Text (*.txt)|*.txt|All Files (*.*)|*.*||"
  std::string directory;         // where the prompt opens; empty for the platform's choice
  bool overwritePrompt = true;   // save prompts ask before replacing a file
};

struct ChooserRequest {
  int chooser = 1;                // 1 serves every command, 2 the Tower Details dialog
  ChoiceTarget* target = nullptr;
  CIndex* index = nullptr;
  std::string text;               // the typed text the chooser opens on
  std::string title;              // the window reads "Select " + title
};

enum class SaveAnswer { Yes, No, Cancel };
enum class ClipboardResult { Ok, NoMemory, CannotOpen };

class Platform {
 public:
  virtual ~Platform() = default;

  // A message box with the text and a single OK button.
  virtual void Message(std::string_view text) = 0;
  // "Save changes to %1?" with Yes, No and Cancel.
  virtual SaveAnswer AskSaveChanges(std::string_view documentName) = 0;
  // A question with OK and Cancel; true for OK.
  virtual bool Confirm(std::string_view text) = 0;
  // The "Unexpected Error!" dialog.
  virtual void ShowUnexpectedError(std::string_view text) = 0;
  // The modal display window ("Item Details") showing a text.
  virtual void ShowText(std::string_view title, std::string_view text) = 0;

  virtual void BeginWait() = 0;
  virtual void EndWait() = 0;

  virtual std::optional<std::string> PromptOpenFile(const FilePrompt& prompt) = 0;
  virtual std::optional<std::string> PromptSaveFile(const FilePrompt& prompt) = 0;
  // Asks for an existing folder, with the prompt's title, opening in its directory; the
  // folder's path, or nothing when cancelled. The filter and names are not used.
  virtual std::optional<std::string> PromptFolder(const FilePrompt& prompt) = 0;

  // Runs a modal dialog; true when it closed with OK (the model having validated).
  virtual bool RunDialog(DialogModel& dialog) = 0;

  // Opens the index chooser on the request and returns at once; the chooser later calls the
  // target's OnChosen with the chosen key, or 0 for a cancel.
  virtual void StartChooser(const ChooserRequest& request) = 0;

  virtual ClipboardResult SetClipboardText(std::string_view text) = 0;

  // Progress of a long operation: Begin, any number of Steps, End. A Step never blocks.
  virtual void BeginProgress(std::string_view title, uint64_t total) = 0;
  virtual void StepProgress(uint64_t done, std::string_view text) = 0;
  virtual void EndProgress() = 0;
};

// Shows the busy cursor for its lifetime.
class CWait {
 public:
  CWait();
  ~CWait();
  CWait(const CWait&) = delete;
  CWait& operator=(const CWait&) = delete;
};

// Reports Begin/End of a progress display around a scope.
class ProgressScope {
 public:
  ProgressScope(std::string_view title, uint64_t total);
  ~ProgressScope();
  void Step(uint64_t done, std::string_view text = {});
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
};

// A platform without windows, for the command line: messages go to standard error, questions
// take their safe answer, prompts and dialogs are cancelled, choosers report a cancel.
class HeadlessPlatform : public Platform {
 public:
  void Message(std::string_view text) override;
  SaveAnswer AskSaveChanges(std::string_view documentName) override;
  bool Confirm(std::string_view text) override;
  void ShowUnexpectedError(std::string_view text) override;
  void ShowText(std::string_view title, std::string_view text) override;
  void BeginWait() override {}
  void EndWait() override {}
  std::optional<std::string> PromptOpenFile(const FilePrompt& prompt) override;
  std::optional<std::string> PromptSaveFile(const FilePrompt& prompt) override;
  std::optional<std::string> PromptFolder(const FilePrompt& prompt) override;
  bool RunDialog(DialogModel& dialog) override;
  void StartChooser(const ChooserRequest& request) override;
  ClipboardResult SetClipboardText(std::string_view text) override;
  void BeginProgress(std::string_view, uint64_t) override {}
  void StepProgress(uint64_t, std::string_view) override {}
  void EndProgress() override {}
};

}  // namespace tv

// The busy cursor and progress scopes, and the platform of the command line.
#include "core/platform.h"

#include <iostream>

#include "core/services.h"

namespace tv {

CWait::CWait() { ThePlatform().BeginWait(); }
CWait::~CWait() { ThePlatform().EndWait(); }

ProgressScope::ProgressScope(std::string_view title, uint64_t total) {
  ThePlatform().BeginProgress(title, total);
}
ProgressScope::~ProgressScope() { ThePlatform().EndProgress(); }
void ProgressScope::Step(uint64_t done, std::string_view text) { ThePlatform().StepProgress(done, text); }

void HeadlessPlatform::Message(std::string_view text) { std::cerr << text << '\n'; }

SaveAnswer HeadlessPlatform::AskSaveChanges(std::string_view) { return SaveAnswer::No; }

bool HeadlessPlatform::Confirm(std::string_view) { return false; }

void HeadlessPlatform::ShowUnexpectedError(std::string_view text) { std::cerr << text << '\n'; }

void HeadlessPlatform::ShowText(std::string_view, std::string_view text) { std::cout << text; }

std::optional<std::string> HeadlessPlatform::PromptOpenFile(const FilePrompt&) { return std::nullopt; }

std::optional<std::string> HeadlessPlatform::PromptSaveFile(const FilePrompt&) { return std::nullopt; }

std::optional<std::string> HeadlessPlatform::PromptFolder(const FilePrompt&) { return std::nullopt; }

bool HeadlessPlatform::RunDialog(DialogModel&) { return false; }

void HeadlessPlatform::StartChooser(const ChooserRequest& request) {
  if (request.target) request.target->OnChosen(0);
}

ClipboardResult HeadlessPlatform::SetClipboardText(std::string_view) { return ClipboardResult::CannotOpen; }

}  // namespace tv

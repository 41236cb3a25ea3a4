// The index directory at start-up, and the Welcome choice.
#include "app/start_directory.h"

#include "app/demo_database.h"
#include "app/welcome_dialog.h"
#include "core/platform.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index_format.h"
#include "refdb/index_set.h"

namespace tv {
namespace {

std::string AsDirectory(const std::string& path) { return path.empty() ? path : JoinPath(path, ""); }

// Makes `path` and whichever of its parents are missing; false when one cannot be made.
bool MakeDirectories(const std::string& path) {
  FileSystem& files = Files();
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && !IsPathSeparator(path[at])) continue;
    const std::string prefix = path.substr(0, at);
    if (!files.IsDirectory(prefix) && !files.CreateDirectory(prefix)) return false;
  }
  return true;
}

}  // namespace

bool HoldsDatabase(const std::string& directory) {
  if (directory.empty()) return false;
  FileSystem& files = Files();
  const std::string dir = AsDirectory(directory);
  for (const char* name : kIndexNames) {
    if (files.Exists(dir + name + kDataExtension) || files.Exists(dir + name + kOldDataExtension)) {
      return true;
    }
  }
  return false;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || IsPathSeparator(path.front())) return path;
  return JoinPath(Files().CurrentDirectory(), path);
}

std::string CStartDirectory::Known(const std::string& ledger) const {
  // Started in a folder of indexes (a script, or `cd` and run): that folder, as always.
  const std::string current = Files().CurrentDirectory();
  if (HoldsDatabase(current)) return AsDirectory(current);
  if (!ledger.empty()) {
    const std::string path = AbsolutePath(ledger);
    for (const std::string& directory : {m_settings.LedgerDirectory(path), PathDirectory(path)}) {
      if (HoldsDatabase(directory)) return AsDirectory(directory);
    }
  }
  const std::string last = m_settings.LastDirectory();
  return HoldsDatabase(last) ? AsDirectory(last) : std::string();
}

std::optional<StartPlace> CStartDirectory::Choose(const std::string& ledger) {
  if (std::string known = Known(ledger); !known.empty()) return StartPlace{.directory = known};
  for (;;) {
    bool cancelled = false;
    if (std::optional<StartPlace> place = Welcome(cancelled)) return place;
    if (cancelled) return std::nullopt;
  }
}

void CStartDirectory::DirectoryUsed(const std::string& directory) {
  m_settings.SetLastDirectory(AsDirectory(directory));
}

void CStartDirectory::LedgerUsed(const std::string& ledger, const std::string& directory,
                                 bool replace) {
  if (ledger.empty() || directory.empty()) return;
  const std::string path = AbsolutePath(ledger);
  if (!replace && HoldsDatabase(m_settings.LedgerDirectory(path))) return;
  m_settings.SetLedgerDirectory(path, AsDirectory(directory));
}

std::string CStartDirectory::RememberedElsewhere(const std::string& ledger,
                                                 const std::string& directory) const {
  const std::string remembered = AsDirectory(m_settings.LedgerDirectory(AbsolutePath(ledger)));
  if (remembered.empty() || remembered == AsDirectory(directory) || !HoldsDatabase(remembered)) {
    return {};
  }
  return remembered;
}

std::optional<StartPlace> CStartDirectory::Welcome(bool& cancelled) {
  CWelcomeDialog dialog;
  if (!ThePlatform().RunDialog(dialog)) {
    cancelled = true;
    return std::nullopt;
  }
  switch (dialog.Choice()) {
    case WelcomeChoice::Demo: return OpenDemo();
    case WelcomeChoice::Empty: return CreateEmpty();
    case WelcomeChoice::Existing: return OpenExisting();
  }
  return std::nullopt;
}

std::optional<StartPlace> CStartDirectory::OpenDemo() {
  const std::string dir = AsDirectory(m_demoFolder);
  if (dir.empty() || !MakeDirectories(dir)) {
    ThePlatform().Message("The folder " + m_demoFolder + " cannot be created.");
    return std::nullopt;
  }
  // A demonstration written by an earlier run is opened as it is, with the user's changes.
  if (!HoldsDatabase(dir)) {
    CWait wait;
    if (const Status status = WriteDemoDatabase(dir, kDefaultDemoPeals); !status.ok()) {
      CloseIndexSet();
      ThePlatform().Message("The demonstration database could not be written: " + status.message());
      return std::nullopt;
    }
  }
  StartPlace place{.directory = dir};
  if (Files().Exists(dir + kDemoLedger)) place.ledger = dir + kDemoLedger;
  return place;
}

std::optional<StartPlace> CStartDirectory::CreateEmpty() {
  const std::optional<std::string> folder =
      ThePlatform().PromptFolder(FilePrompt{.title = "Folder for the New Database"});
  if (!folder || folder->empty()) return std::nullopt;
  const std::string dir = AsDirectory(*folder);
  if (!Files().IsDirectory(*folder)) {
    ThePlatform().Message("The folder " + *folder + " does not exist.");
    return std::nullopt;
  }
  // Nothing is overwritten: a folder that already holds a database is opened as it is.
  if (HoldsDatabase(dir)) {
    ThePlatform().Message(dir + " already holds a reference database, which is opened as it is.");
  }
  return StartPlace{.directory = dir};
}

std::optional<StartPlace> CStartDirectory::OpenExisting() {
  const std::optional<std::string> folder =
      ThePlatform().PromptFolder(FilePrompt{.title = "Open a Database Folder"});
  if (!folder || folder->empty()) return std::nullopt;
  const std::string dir = AsDirectory(*folder);
  if (!HoldsDatabase(dir)) {
    ThePlatform().Message("No reference database was found in " + dir +
                          " (its index files are named towers.da3, persons.da3 and so on).");
    return std::nullopt;
  }
  return StartPlace{.directory = dir};
}

}  // namespace tv

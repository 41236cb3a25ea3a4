// Where the desktop program finds its reference database at start-up: the folder it starts in
// when that holds one, else the folder remembered for the ledger it opens, the ledger's own
// folder, or the folder used last; the first time, the Welcome choice.
#pragma once

#include <optional>
#include <string>

namespace tv {

// What the program remembers between runs about index directories. Paths are absolute; an
// empty text means nothing is remembered.
class CStartSettings {
 public:
  virtual ~CStartSettings() = default;
  virtual std::string LedgerDirectory(const std::string& ledger) const = 0;
  virtual void SetLedgerDirectory(const std::string& ledger, const std::string& directory) = 0;
  virtual std::string LastDirectory() const = 0;
  virtual void SetLastDirectory(const std::string& directory) = 0;
};

// True when `directory` holds at least one index of the set (a data file, or the older one
// that is converted on opening).
bool HoldsDatabase(const std::string& directory);

// The index directory chosen at start-up, ending in a separator, and a ledger to open when the
// command line names none (the demonstration's, when the user chose it).
struct StartPlace {
  std::string directory;
  std::string ledger;
};

class CStartDirectory {
 public:
  // `demoFolder` is where the demonstration database is written, made when it is missing.
  CStartDirectory(CStartSettings& settings, std::string demoFolder)
      : m_settings(settings), m_demoFolder(std::move(demoFolder)) {}

  // The index directory for a start on `ledger` (as the command line names it; empty for none)
  // without asking: the current directory when it holds a database, then the directory
  // remembered for the ledger, the ledger's own folder, the directory used last, each only when
  // it still holds a database. Empty when none does.
  std::string Known(const std::string& ledger) const;
  // Known, else the Welcome choice; nothing when the user cancelled it, so the program stops.
  std::optional<StartPlace> Choose(const std::string& ledger);

  // Remembers the index directory in use, for the next start with nothing to open.
  void DirectoryUsed(const std::string& directory);
  // Remembers the index directory in use with a ledger that was opened or saved. A ledger's
  // peals name entries of the database they were entered with, so a directory remembered for it
  // that still holds a database is kept, unless `replace` (the ledger was saved under a new
  // name in this database).
  void LedgerUsed(const std::string& ledger, const std::string& directory, bool replace);
  // The directory remembered for `ledger` when it still holds a database and is not
  // `directory`; empty otherwise.
  std::string RememberedElsewhere(const std::string& ledger, const std::string& directory) const;

  const std::string& DemoFolder() const { return m_demoFolder; }

 private:
  // One round of the Welcome choice: a place, or nothing with `cancelled` set when the user
  // closed the dialog, or nothing to ask again (a folder prompt cancelled, a refusal shown).
  std::optional<StartPlace> Welcome(bool& cancelled);
  std::optional<StartPlace> OpenDemo();
  std::optional<StartPlace> CreateEmpty();
  std::optional<StartPlace> OpenExisting();

  CStartSettings& m_settings;
  std::string m_demoFolder;
};

// `path` made absolute against the current directory.
std::string AbsolutePath(const std::string& path);

}  // namespace tv

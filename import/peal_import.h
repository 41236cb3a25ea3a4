// Importing peals from other systems' files into the peal ledger: the formats, the read loop
// that merges each parsed peal into the ledger, and the File > Import commands.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/code_page.h"
#include "core/file_system.h"
#include "core/status.h"
#include "peals/peal_record.h"
#include "peals/tolvane_doc.h"

namespace tv {

// The import kinds, numbered as the read loop knows them.
enum class ImportKind : int {
  OldSgml = 0,
  NewSgml = 1,
  Marwick = 2,
  Logwright = 3,
  CheckSgml = 4,
  Performances = 5,  // the central performance database's XML
};

// Fills one peal per call from a foreign file, keeping its place in the file between calls.
class CPealParser {
 public:
  virtual ~CPealParser() = default;
  // Fills `peal` (empty on entry) from the next record; false at the end of the file, and then
  // `peal` is discarded. The check parser only writes to the log and leaves `peal` alone.
  virtual bool Parse(CPeal& peal) = 0;
  // False for a parser that only checks a file and makes no peals.
  virtual bool MakesPeals() const { return true; }
  // A text that names the same performance wherever it is kept (one of the peal's Source
  // entries): a peal of the ledger that carries it is replaced rather than a second one added.
  // Empty when the record has none.
  virtual std::string Identity(const CPeal& peal) const {
    (void)peal;
    return {};
  }
  // What the parser had to change so far to fit the file's text into the code page.
  virtual TextConversion Conversion() const { return {}; }
};

// One import format of the File > Import menu, and of `tolvane-cli import`.
struct ImportFormat {
  std::string_view shortName;  // the command line's KIND
  ImportKind kind;
  std::string_view command;  // the menu item
  std::string_view defaultName;
  std::string_view extension;  // without the dot
  std::string_view filter;
  // A parser over `file` writing its notes to `log` (which may be null); the parser owns the
  // file.
  std::unique_ptr<CPealParser> (*makeParser)(std::unique_ptr<File> file, File* log);
  // The date of the file's first record, read without resolving anything; 0 when that record
  // has no date key that is a date. Null for formats that are not checked so.
  Date (*firstDate)(std::unique_ptr<File> file);
};

// Every import format, in the order of the kinds.
std::span<const ImportFormat> ImportFormats();
// The format with that short name, or null.
const ImportFormat* FindImportFormat(std::string_view shortName);

// The log of an import: "debug.txt" in the current directory, emptied by each import command.
inline constexpr const char* kImportLogName = "debug.txt";

// What a read loop did.
struct ImportCounts {
  uint32_t appended = 0;  // new peals, numbered from the ledger's peal count + 1
  uint32_t replaced = 0;  // peals that took the place of one with the same date and sequence
  std::string failure;    // a file failure that stopped the loop early; empty when none
  FileErrorCause failureCause = FileErrorCause::None;
  TextConversion text;    // characters the file had that the code page lacks
};

// The read loop: parses peals until the parser reports the end and merges each into the
// ledger. A peal with the same date and non-zero sequence as a peal of the current buffer
// replaces it under its number, first taking over the old one's tower, composer and arranger,
// and composition where it lacks them; any other peal is appended and its number written to
// the log. The new peals then join buffer 1, which becomes current with its position at the
// last peal; the ledger is marked modified. The person and method indexes are held open while
// the loop runs. A peal whose parser gives an identity replaces the peal of the ledger (outside
// the deleted buffer) that carries it, keeping that peal's number and sequence; when the date
// changed, the old peal goes to the deleted buffer and the new one is appended.
ImportCounts ImportPeals(CTolvaneDoc& doc, CPealParser& parser, File* log);

// Refuses a file for the new-SGML import that is not the exchange (Full) form: the Keys form,
// which holds index keys, and the Short form, which names associations by their short form and
// leaves out most of each peal, so that the peals it replaced would lose their fields. BadData
// with a message saying which form it is; Ok for any other file.
Status CheckExchangeForm(const std::string& path);

// Opens `path` and runs the read loop of `format` on it, writing the log afresh.
// NotFound: the file cannot be opened, and nothing else happens (not even the log).
// BadData before anything changes: the format checks its first record's date key and it is not
// a date (another kind of file with the same extension, such as an index dump).
// BadData: a new-SGML file in the Short or Keys form (CheckExchangeForm), changing nothing; or
// a file in which no record was found ("no peals found in FILE"), leaving the ledger as it was.
// IoError: a file failure stopped the loop; the peals read before it are in the ledger.
// BadData: the file is not in the format (for example XML that is not well-formed).
Status ImportPealFile(CTolvaneDoc& doc, const ImportFormat& format, const std::string& path,
                      ImportCounts* counts = nullptr);

// The File > Import commands: a file prompt with the format's default name and filter, then
// ImportPealFile. A cancelled prompt ends the command quietly; otherwise a message says what the
// import did (ImportSummary) or why it refused the file.
void ImportCommand(CTolvaneDoc& doc, ImportKind kind);

// The new entries an import made in each index of peal names.
struct IndexGrowth {
  int32_t associations = 0, towers = 0, methods = 0, persons = 0, compositions = 0;
};
// The highest keys of those indexes now, to subtract from after an import.
IndexGrowth IndexHighKeys();
// "Imported from FILE: 3 new peals, 1 replaced; new index entries: 2 persons, 1 tower." and
// what stopped the import early, when something did.
std::string ImportSummary(const std::string& path, const ImportCounts& counts,
                          const IndexGrowth& added, const Status& status);

// The parsers, for the registry and for tests.
std::unique_ptr<CPealParser> MakeOldSgmlParser(std::unique_ptr<File> file, File* log);
std::unique_ptr<CPealParser> MakeNewSgmlParser(std::unique_ptr<File> file, File* log);
std::unique_ptr<CPealParser> MakeCheckSgmlParser(std::unique_ptr<File> file, File* log);
Date FirstNewSgmlDate(std::unique_ptr<File> file);
Date FirstOldSgmlDate(std::unique_ptr<File> file);
std::unique_ptr<CPealParser> MakeMarwickParser(std::unique_ptr<File> file, File* log);
std::unique_ptr<CPealParser> MakeLogwrightParser(std::unique_ptr<File> file, File* log);
std::unique_ptr<CPealParser> MakePerformancesParser(std::unique_ptr<File> file, File* log);

// File > Import > Performances (XML) without its prompt: the read loop on the file at `path`.
Status ImportPerformancesXml(CTolvaneDoc& doc, const std::string& path,
                             ImportCounts* counts = nullptr);

// Reads one Logwright field: the bytes up to the next 0xB0 or NUL, trimmed of blanks. Gives
// that end byte, or 0 when no byte is left after the field.
uint8_t ReadLogwrightField(File& file, std::string& text);

// --- helpers shared by the parsers ---
// An unresolved item: "tag:content" appended to the peal's "x" list.
void AddUnresolved(CPeal& peal, std::string_view tag, std::string_view content);
// Appends the next ringer position; past the most a peal can hold, the name goes to the "x"
// list as an unresolved item under `tag` instead. Gives the position, or -1 when it did not
// fit.
int AddRingerPosition(CPeal& peal, uint32_t personKey, std::string_view tag,
                      std::string_view content);
// The date of a date key text ‘2003-01-01’: year from its first four characters, month from
// characters 5 and 6, day from 8 and 9.
Date DateKeyDate(std::string_view text);
// Writes text to the log when there is one.
void WriteLog(File* log, std::string_view text);

}  // namespace tv

// Exact resolution of a name given on a command line to one entry of an index, for the places
// where no chooser is there to correct a guess (selections, Global Edit and records in scripts).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class CIndex;

// How a text is taken: Exact wants one entry that the text names; Nearest falls back on the
// entry the chooser would highlight for it (FindEntry).
enum class EntryMatch { Exact, Nearest };

struct CEntryResolution {
  int32_t key = 0;  // the entry named; 0 when refused
  // When refused: the entries the text names (several), or for none those whose name holds
  // the text, else those around where the chooser would open; in index order, at most
  // kMaxListed of them.
  std::vector<int32_t> candidates;
  // When refused: one line saying why, naming the candidates as EntryLine does.
  std::string message;
  bool Found() const { return key != 0; }
};

inline constexpr size_t kMaxListed = 8;

// Resolves `text` in `index`. "#KEY" names the entry of that key. Otherwise, with Exact, the
// text names an entry when, letter case ignored, it equals the entry's name (for a person also
// the name without prefix and suffix, for a tower also the place with its county) or the
// entry's typed form as the chooser reads it (initials and surname initial, an abbreviation, a
// place, a method's name); exactly one such entry is the answer, and none or several are
// refused. With Nearest a text that names no single entry takes FindEntry's answer instead,
// refused only when that gives none (past the last entry, an empty index). An empty text is
// always refused. Reads the entries it compares into the index's cache.
CEntryResolution ResolveEntry(CIndex& index, std::string_view text, EntryMatch match);

// The entry as the command line names it: the key in decimal, a blank, NameOf(key, 0).
std::string EntryLine(CIndex& index, int32_t key);

}  // namespace tv

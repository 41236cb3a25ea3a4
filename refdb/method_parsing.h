// Turning method texts from imported peal files into method keys: the text is parsed into the
// parts of a method, an entry with those parts is looked for in the method index, and a new
// entry is added when there is none. Text that no rule recognises is never refused.
//
// The import log receives one note per parse that adds or flags an entry: " ->" and the new
// method's title for an added entry, " -->" and the entry's title for an existing entry of
// more than six bells that has no first-rung date; each note ends in one blank.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/file_system.h"

namespace tv {

// Separate name, class and stage texts (‘Cambridge’, ‘Surprise’, ‘Major’). An empty class
// text takes a class word from the end of the name (‘Kent Treble Bob’ gives ‘Kent Treble’,
// class Bob). Writes no log note.
int32_t FindOrAddByParts(int32_t count, std::string_view name, std::string_view classText,
                         std::string_view stageText);

// One full title (‘Cambridge Surprise Major’, ‘Spliced Surprise Major (8 methods)’). A title
// without a class word finds a Surprise entry of the same name and stage. `log` (the import log) may be null.
int32_t FindOrAddByTitle(std::string_view title, File* log);

// A name with an abbreviated class (‘St. Mary S.’, ‘Kent T.B.’) and a stage text; an unnamed
// entry takes its method count from the extra text (‘(8m) Cambridge...’). `log` (the import log) may be null.
int32_t FindOrAddAbbreviated(std::string_view name, std::string_view stageText,
                             std::string_view extraText, File* log);

// A method whose parts come already separated (the public methods library): no text is parsed.
struct CMethodParts {
  std::string name;
  int32_t methodClass = 0;
  uint8_t stage = 0;
  int32_t count = 1;
  bool spliced = false;
  bool little = false;
};

// The entry with exactly these parts, found by the same search as the parsers above and added
// when there is none; an unnamed Little method is named "Little" as they name it. `added`
// (may be null) tells whether a new entry was made. Writes no log note.
int32_t FindOrAddMethodParts(const CMethodParts& parts, bool* added);

}  // namespace tv

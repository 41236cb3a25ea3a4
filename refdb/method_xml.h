// The public methods library (XML) read into the method index.
//
// Layout read: <collection> holding <methodSet> groups; each set's <properties> are shared by
// its <method> elements, and a method may repeat or override any of them. Used per method:
// <classification> (the class word, attribute little="true"; differential and plain change
// nothing), <stage> (number of bells), <name>, and the first peals' dates in
// <performances>/<firstTowerbellPeal>/<date> and <firstHandbellPeal>/<date> (ISO). Elements are
// matched by local name, so a namespace prefix changes nothing; others are read past.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/code_page.h"
#include "core/status.h"

namespace tv {

struct MethodXmlSummary {
  uint32_t methods = 0;    // <method> elements read
  uint32_t added = 0;      // new entries
  uint32_t dated = 0;      // entries already there whose first-rung date was set or changed
  uint32_t unchanged = 0;  // entries already there and left as they were
  uint32_t skipped = 0;    // methods without a usable stage
  TextConversion text;     // characters the code page lacks
  std::vector<std::string> problems;  // "method m12: ..." for skipped methods and bad values

  // The summary as lines ended by LF.
  std::string Text() const;
};

// Reads the library at `path` into the method index (the index set must be open) and saves
// it. Each method is found or added from its name, class, stage and a count of 1, and takes
// the first tower-bell peal's date as its first-rung date, or the first hand-bell peal's when
// there is no tower-bell date; existing entries keep their keys.
// NotFound: the file cannot be opened. BadData: the file is not well-formed XML (the message
// gives the line), and the index is untouched.
Status ImportMethodsXml(const std::string& path, MethodXmlSummary& summary);

// The index chooser's Import of the methods library: asks for the file, imports it, and shows
// the summary.
void ImportMethodsXmlCommand();

}  // namespace tv

// The plain-text layouts of a peal: the one-line list line, the Ringing World and quarter-peal
// styles, and the peal-board (ASCY) layout.
#pragma once

#include <string>

#include "output/export_options.h"
#include "peals/peal_record.h"

namespace tv {

// Each style looks names up in the open index set and changes nothing but `options.counter`,
// which the numbered styles step when `renumber` is set. Missing entries never stop a style:
// they print "???" or nothing.

// The peal list's line. No line end.
std::string LineText(const CPeal& peal, CExportOptions& options);
// The same without the Ringing World reference: the HTML line export.
std::string LineTextNoRef(const CPeal& peal, CExportOptions& options);
// The Ringing World layout, every line ended by CR LF, closed by an empty line.
std::string RwText(const CPeal& peal, CExportOptions& options);
// The quarter-peal paragraph, ended by CR LF.
std::string RwqText(const CPeal& peal);
// The peal-board layout with its two-column board of performers, ended by CR LF.
std::string AscyText(const CPeal& peal);

}  // namespace tv

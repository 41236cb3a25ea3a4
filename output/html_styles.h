// The HTML fragments of a peal: the Ringing World layout and the peal board as a table. No
// document head or body is written around them, and texts are not escaped.
#pragma once

#include <string>

#include "output/export_options.h"
#include "peals/peal_record.h"

namespace tv {

// Reads the number, renumber, RW reference, association and tower options; steps the running
// count when renumbering.
std::string HtmlRw(const CPeal& peal, CExportOptions& options);
// An anchor and link come from a first "x" entry that names an "htm" page.
std::string HtmlAscy(const CPeal& peal);

}  // namespace tv

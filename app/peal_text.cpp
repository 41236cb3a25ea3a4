// The peal windows' texts, in the published layouts: the list line with the list's fixed
// options, and the current peal in the style its window shows.
#include "app/peal_text.h"

#include "output/export_options.h"
#include "output/sgml_writer.h"
#include "output/text_styles.h"
#include "peals/peal_record.h"

namespace tv {

std::string ListLine(const CPeal& peal) {
  CExportOptions options = PealListExportOptions();
  return LineText(peal, options);
}

std::string PealText(const CPeal& peal, int style) {
  switch (style) {
    case kStyleRwq:
      return RwqText(peal);
    case kStyleSgml:
      return SgmlFull(peal);
    case kStyleAscy:
      return AscyText(peal);
    default: {
      CExportOptions options = PealViewExportOptions();
      return RwText(peal, options);
    }
  }
}

}  // namespace tv

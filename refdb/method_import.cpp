// The method index's own import: first-rung dates from an SGML file of method records.
#include "core/dates.h"
#include "core/sgml_file.h"
#include "refdb/method.h"
#include "refdb/method_parsing.h"

namespace tv {
namespace {

// One record: "<n>" and the tags up to the next "<n>", which is left for the next record.
// False when the file holds no further record.
bool ImportMethodRecord(CMethodIndex& index, CSGMLFile& file) {
  std::string tag;
  std::string content;
  if (!file.ReadTag(tag, content) || tag != "n") return false;
  std::string name;
  std::string classText;
  std::string stageText;
  Date date = 0;
  for (;;) {
    if (!file.ReadTag(tag, content)) {
      tag.clear();
      break;
    }
    if (tag.empty() || tag == "n") break;
    const std::string_view two = std::string_view(tag).substr(0, 2);
    if (two == "mn") {
      name = content;
    } else if (two == "mc") {
      classText = content;
    } else if (two == "ms") {
      stageText = content;
    } else if (tag[0] == 'f' || two == "hd" || two == "td") {
      if (content == "Spliced") continue;
      const Date parsed = ParseDate(content);
      if (date == 0 || (parsed > 0 && parsed < date)) date = parsed;
    }
  }
  if (date != 0) {
    const int32_t key = FindOrAddByParts(1, name, classText, stageText);
    if (CMethod* method = index.Method(key); method && method->firstRung != date) {
      method->firstRung = date;
      index.MarkDirty(key);
    }
  }
  if (tag.empty()) {
    file.finished = true;
  } else {
    file.pushedBack = true;  // the "<n>" of the next record
  }
  return true;
}

}  // namespace

void CMethodIndex::ImportSgml(CSGMLFile& file) {
  while (!file.finished && ImportMethodRecord(*this, file)) {
  }
}

}  // namespace tv

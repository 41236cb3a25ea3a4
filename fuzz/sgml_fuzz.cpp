// The SGML tag reader, and the readers built on it. The first byte picks one: the bare tag
// reader, the old or the new peal dialect, the tenor check, or the methods index's import.
// Imported peals are then written as a ledger, which must read back whole.
#include "core/sgml_file.h"
#include "fuzz/import_check.h"
#include "refdb/method.h"

namespace {

using namespace tv;

void ReadTags(const std::string& path) {
  auto file = CSGMLFile::Open(path);
  if (!file) fuzz::Fail("a memory file could not be opened");
  std::string tag;
  std::string content;
  // Each tag takes at least one byte, so the reader must end within the file's length.
  for (uint64_t n = 0; file->ReadTag(tag, content); ++n) {
    if (n > file->Length()) fuzz::Fail("the tag reader does not reach the end of the file");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return -1;
  fuzz::Input input(data, size);
  const uint8_t choice = input.Byte() % 5;
  fuzz::Session session;
  const std::string path = "/work/in.sgm";
  session.files.SetContents(path, input.Rest());
  OpenIndexSet("/db/");
  switch (choice) {
    case 0: ReadTags(path); break;
    case 1: fuzz::ImportAndSave("old-sgml", path); break;
    case 2: fuzz::ImportAndSave("new-sgml", path); break;
    case 3: fuzz::ImportAndSave("check-sgml", path); break;
    default: {
      auto file = CSGMLFile::Open(path);
      if (!file) fuzz::Fail("a memory file could not be opened");
      MethodIndex().ImportSgml(*file);
      SaveAllIndexes();
      break;
    }
  }
  return 0;
}

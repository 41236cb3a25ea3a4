// The readers of today's public data, picked by the first byte: the performances XML (through
// the import's read loop), the tower database's CSV and the methods library's XML.
#include "fuzz/import_check.h"
#include "refdb/method_xml.h"
#include "refdb/tower_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tv;
  if (size > fuzz::kMaxInput) return -1;
  fuzz::Input input(data, size);
  const int choice = input.Byte() % 3;
  fuzz::Session session;
  session.files.SetContents("/data/in", input.Rest());
  OpenIndexSet("/db/");
  if (choice == 0) {
    fuzz::ImportAndSave("performances", "/data/in");
  } else if (choice == 1) {
    TowerCsvSummary summary;
    (void)ImportTowerCsv("/data/in", summary);
  } else {
    MethodXmlSummary summary;
    (void)ImportMethodsXml("/data/in", summary);
  }
  SaveAllIndexes();
  return 0;
}

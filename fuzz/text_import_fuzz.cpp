// The Marwick text file and the Logwright record file imports; the first byte picks one. A
// Marwick tower line names a Steeplex record, so records 1 to 3 are tied to towers first.
#include "fuzz/import_check.h"
#include "refdb/tower.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tv;
  if (size > fuzz::kMaxInput) return -1;
  fuzz::Input input(data, size);
  const bool logwright = (input.Byte() & 1) != 0;
  fuzz::Session session;
  const std::string path = logwright ? "/work/in.lw" : "/work/in.mpf";
  session.files.SetContents(path, input.Rest());
  OpenIndexSet("/db/");
  for (int32_t sx = 1; sx <= 3; ++sx) {
    uint16_t weight = 0;
    SteeplexXref().Set(sx, FindOrAddTower(0, "Tower " + std::to_string(sx), "", "", true, weight));
  }
  fuzz::ImportAndSave(logwright ? "logwright" : "marwick", path);
  return 0;
}

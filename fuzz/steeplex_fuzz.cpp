// The Steeplex files: one of the six string files (the first byte picks which, or none), the
// cross-reference "steeplex.xrf" and the main file of records, each but the last a part with
// its length before it. They are imported, walked and saved; the cross-reference must then
// write out and read back to the same bytes.
#include "fuzz/fuzz_support.h"
#include "refdb/steeplex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tv;
  if (size > fuzz::kMaxInput) return -1;
  fuzz::Input input(data, size);
  const int stringFile = input.Byte() % (kSteeplexStringCount + 1);
  const std::string strings = input.Part();
  const std::string xref = input.Part();
  const std::string records = input.Rest();

  fuzz::Session session;
  if (stringFile < kSteeplexStringCount) {
    session.files.SetContents(std::string("/data/sx") + kSteeplexStringLetters[stringFile] + ".sxd", strings);
  }
  session.files.SetContents(std::string("/db/") + kSteeplexXrefName, xref);
  session.files.SetContents("/data/steeplex.sxd", records);
  OpenIndexSet("/db/");
  (void)ImportSteeplexFiles("/data/steeplex.sxd");

  // The records by their sorted thread, and the ties of every key the cross-reference holds
  // and a few past it. Real record keys run into the thousands, so a walk over every slot of
  // the table cost more than the import itself.
  CSteeplexIndex& index = SteeplexIndex();
  int32_t key = index.First();
  for (int32_t steps = 0; key != 0 && steps < index.Count(); ++steps) {
    if (const CSteeplex* record = SteeplexRecord(key)) (void)record->GetName(0);
    key = index.StepForward(key, 1);
  }
  const auto ties = static_cast<int32_t>(SteeplexXref().Size());
  for (int32_t sxKey = -1; sxKey <= ties + 1; ++sxKey) (void)TowerOf(sxKey);
  (void)UntiedSteeplexRecords();
  SteeplexXref().Set(1, 2);
  // The import saved the indexes it filled; the cross-reference is what is left to write.
  SaveSteeplexXref("/db/");

  const std::string written = SteeplexXref().Bytes();
  const size_t elements = SteeplexXref().Size();
  SteeplexXref().Read(std::string("/db/") + kSteeplexXrefName);
  if (SteeplexXref().Size() != elements || SteeplexXref().Bytes() != written) {
    fuzz::Fail("the cross-reference reads back otherwise than it was written");
  }
  return 0;
}

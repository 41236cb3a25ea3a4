// The ringer equivalence files: today's ".eq3" or (odd first byte) the older ".eqv". Whatever
// they hold, the loaded equivalences must be flat (nobody counted as a person who is counted as
// somebody), each group thread must list exactly the persons counted as its head, and the map
// must save and load back unchanged.
#include <algorithm>
#include <set>

#include "fuzz/fuzz_support.h"
#include "refdb/equivalence.h"

namespace {

using namespace tv;

void Check(const CEquivalences& equivalences) {
  std::map<int32_t, std::set<int32_t>> groups;
  for (const auto& [from, to] : equivalences.CountedAs()) {
    if (from == to) fuzz::Fail("a person is counted as itself");
    if (equivalences.EquivalentOf(to) != 0) fuzz::Fail("a person is counted as one counted as another");
    groups[to].insert(from);
  }
  for (const auto& [to, members] : groups) {
    const std::vector<int32_t> listed = equivalences.EquivalentKeys(to);
    if (std::set<int32_t>(listed.begin(), listed.end()) != members || listed.size() != members.size()) {
      fuzz::Fail("a group thread does not list exactly the persons counted as its head");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return -1;
  fuzz::Input input(data, size);
  const bool oldForm = (input.Byte() & 1) != 0;
  fuzz::Session session;
  session.files.SetContents(oldForm ? "/work/club.eqv" : "/work/club.eq3", input.Rest());

  CEquivalences equivalences;
  equivalences.LoadEquivalences("/work/club.tv3");
  Check(equivalences);
  std::string lines;
  equivalences.WriteEquivalenceLines(lines, [](int32_t key) { return std::to_string(key); });

  if (!equivalences.SaveEquivalences("/work/saved.tv3")) fuzz::Fail("a memory file could not be written");
  CEquivalences again;
  again.LoadEquivalences("/work/saved.tv3");
  if (again.CountedAs() != equivalences.CountedAs()) fuzz::Fail("saved equivalences load back otherwise");
  return 0;
}

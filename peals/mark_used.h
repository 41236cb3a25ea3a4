// Marking the reference entries that peals name, so that Purge removes only entries no peal
// needs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace tv {

class CIndex;
class CPeal;

// Whether peals name entries of the index called `name`: persons, towers, methods,
// associations, compositions, and counties and dedications through their towers. The external
// tower data is named by no peal.
bool PealsNameIndex(std::string_view name);

// Marks as used every entry of `index` that the peal names. Persons: ringers, conductor,
// composer, arranger, generator and the composition's composer. Counties and dedications:
// those of the peal's tower and of each of its earlier identities.
void MarkNamedBy(const CPeal& peal, CIndex& index);

// Reads each ledger and marks every entry of `index` that its peals name; for persons also
// both sides of each of the ledger's equivalences. Stops at the first ledger that cannot be
// read whole and gives its status (entries its later peals name would go unmarked).
Status MarkUsedByLedgers(CIndex& index, const std::vector<std::string>& ledgers);

}  // namespace tv

// The peal in the tagged SGML exchange format: the Full form (the dialect the new-SGML import
// reads back), the Short form, and the Keys form that dumps the raw fields.
#pragma once

#include <string>

#include "peals/peal_record.h"

namespace tv {

// Each gives one record as one line without its line end. Names come from the open index set;
// a missing entry gives an empty name. Texts are written as they stand (no entities).
std::string SgmlFull(const CPeal& peal);
std::string SgmlShort(const CPeal& peal);
std::string SgmlKeys(const CPeal& peal);

}  // namespace tv

// How analyses name and order rows keyed by index entries, including keys whose entry has gone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "refdb/index.h"

namespace tv {

// "#" and the key in decimal: the name of a row whose entry is missing.
std::string StandByName(int32_t key);

// The object of `key`. When the index has none, a stand-by object made by `make` and named by
// StandByName is added under the key, so the row keeps a name from then on; key 0 gets none.
CIndObj* ObjectOrStandBy(CIndex& index, int32_t key,
                         const std::function<std::unique_ptr<CIndObj>(const std::string&)>& make);

// The GetName(0) of the key's object, or of its stand-by.
std::string NameOrStandBy(CIndex& index, int32_t key,
                          const std::function<std::unique_ptr<CIndObj>(const std::string&)>& make);

// Index order of two keys by their objects' Compare; a missing object sorts as that kind's
// Compare places a missing other; two missing ones by key.
int CompareKeyObjects(CIndex& index, int32_t a, int32_t b);

// Writes the given keys' entries of `base` as a new index into the two files: an in-memory
// index over `base` sorts them and writes them compacted. Keys without an object are left out.
void WriteIndexOfKeys(CIndex& base, const std::function<std::unique_ptr<CIndObj>()>& newObject,
                      const std::vector<int32_t>& keys, File& data, File& index);

}  // namespace tv

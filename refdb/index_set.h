// The set of global indexes, one per kind of reference entry, reached by role.
#pragma once

#include <string>
#include <string_view>

namespace tv {

class CIndex;
class CAssocIndex;
class CMethodIndex;
class CPersonIndex;
class CSaintIndex;
class CCountyIndex;
class CTowerIndex;
class CCompIndex;
class CSteeplexIndex;
class CStrIndex;

// The index names in the set's order.
inline constexpr const char* kIndexNames[] = {"assocs", "methods", "persons", "saints", "counts",
                                              "towers", "comps",   "steeplex", "sxs",  "sxi",
                                              "sxc",    "sxa",     "sxn",     "sxm"};
inline constexpr int kIndexCount = 14;
inline constexpr int kSteeplexStringCount = 6;

// Opens every index of the set in `directory` (ending in a separator); with an empty
// directory, in the current directory. Reads the external-record cross-reference of that
// directory. Does nothing when the set is open.
void OpenIndexSet(const std::string& directory = {});
bool IndexSetIsOpen();
// Saves every index, in the order associations, methods, persons, towers, dedications,
// counties, compositions, external tower records, then the six string indexes; then the
// external-record cross-reference when it changed.
void SaveAllIndexes();
// Closes the set without saving (tests, and the command line between runs).
void CloseIndexSet();
const std::string& IndexDirectory();

CAssocIndex& AssocIndex();
CMethodIndex& MethodIndex();
CPersonIndex& PersonIndex();
CSaintIndex& SaintIndex();
CCountyIndex& CountyIndex();
CTowerIndex& TowerIndex();
CCompIndex& CompIndex();
CSteeplexIndex& SteeplexIndex();
// String index n (0 to 5) of the external tower data: "sicanm".
CStrIndex& SteeplexStrings(int n);
// The index with a set name, or null.
CIndex* IndexByName(std::string_view name);

}  // namespace tv

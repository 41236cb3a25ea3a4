// Arrays of many megabytes filled at once (a ledger loaded whole): the system is asked to back
// them with large pages, so that filling one takes a few page faults rather than one for every
// four kilobytes. Only a hint: where it is not taken, nothing changes but the speed.
#pragma once

#include <cstddef>
#include <vector>

namespace tv {

// For a block just allocated and not yet written: its whole large pages are to be large.
void PreferLargePages(const void* data, size_t bytes);

// The same for the storage a vector has reserved.
template <typename T>
void PreferLargePages(const std::vector<T>& reserved) {
  PreferLargePages(reserved.data(), reserved.capacity() * sizeof(T));
}

}  // namespace tv

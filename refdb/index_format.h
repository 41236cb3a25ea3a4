// Layout of the index file pair of one index N in the index directory.
//
// N".da3": the data file, a byte stream of tagged-field records (tagged_record.h). A data file
// made by an index starts with three zero bytes, one made by compaction with one, so no record
// starts at 0. Changed records are appended; only records an entry points at are live.
//
// N".id3": the index file, entry k at byte 24 * k, six little-endian int32 each:
//   offset  record position in the data file; 0 = free key; -1 = in memory only
//   parent, left, right   the sorting tree (keys; 0 = none)
//   prev, next            the sorted thread (keys; 0 = none)
// Entry 0 is the header: left = root, right = last key allocated, prev = last in order,
// next = first in order, offset = 1 after a re-index.
//
// N".idx"/N".dat": the older pair, converted once: 14-byte entries (int32 offset, then five
// uint16 links), records starting with a 2-byte key.
// N".old"/N".odx": the previous pair kept by compaction; N".new"/N".ndx": being compacted.
#pragma once

#include <cstdint>

namespace tv {

inline constexpr uint32_t kIndexEntrySize = 24;
inline constexpr uint32_t kOldIndexEntrySize = 14;
inline constexpr int kFindDescentLimit = 500;
inline constexpr int kInsertDescentLimit = 400;
// Keys are given out one after another, so a key beyond this is damage: taking it would size
// the table for that many entries.
inline constexpr int32_t kMaxIndexKey = (1 << 20) - 1;

inline constexpr const char* kDataExtension = ".da3";
inline constexpr const char* kIndexExtension = ".id3";
inline constexpr const char* kOldDataExtension = ".dat";
inline constexpr const char* kOldIndexExtension = ".idx";
inline constexpr const char* kBackupDataExtension = ".old";
inline constexpr const char* kBackupIndexExtension = ".odx";
inline constexpr const char* kNewDataExtension = ".new";
inline constexpr const char* kNewIndexExtension = ".ndx";

// The little-endian 32-bit numbers of the index files.
inline void PutIndexInt(char* at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  at[0] = static_cast<char>(v);
  at[1] = static_cast<char>(v >> 8);
  at[2] = static_cast<char>(v >> 16);
  at[3] = static_cast<char>(v >> 24);
}
inline int32_t GetIndexInt(const unsigned char* at) {
  return static_cast<int32_t>(at[0] | (at[1] << 8) | (at[2] << 16) |
                              (static_cast<uint32_t>(at[3]) << 24));
}

struct IndexEntry {
  int32_t offset = 0;
  int32_t parent = 0;
  int32_t left = 0;
  int32_t right = 0;
  int32_t prev = 0;
  int32_t next = 0;
};

}  // namespace tv

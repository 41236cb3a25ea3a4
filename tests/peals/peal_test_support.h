// Helpers shared by the peal tests: record bytes in and out of memory files, and peals made to
// order.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/archive.h"
#include "core/dates.h"
#include "core/memory_file_system.h"
#include "peals/peal_record.h"

namespace tv::testing {

inline std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int v : values) bytes += static_cast<char>(v);
  return bytes;
}

// The bytes of the given peals written one after another.
inline std::string RecordBytes(const std::vector<CPeal*>& peals, bool oldForm = false) {
  MemoryFileSystem files;
  {
    auto file = files.Open("/r", OpenMode::Create);
    Archive out(*file, Archive::Mode::Store);
    for (CPeal* peal : peals) peal->SerializeRecord(out, oldForm);
    out.Flush();
  }
  return files.Contents("/r");
}

inline std::string RecordBytes(CPeal& peal, bool oldForm = false) {
  return RecordBytes(std::vector<CPeal*>{&peal}, oldForm);
}

// Reads records until the bytes run out; a record cut short raises FileError.
inline std::vector<std::unique_ptr<CPeal>> ReadRecords(const std::string& bytes, bool oldForm = false) {
  MemoryFileSystem files;
  files.SetContents("/r", bytes);
  auto file = files.Open("/r", OpenMode::Read);
  Archive in(*file, Archive::Mode::Load);
  std::vector<std::unique_ptr<CPeal>> peals;
  while (!in.AtEnd()) {
    auto peal = std::make_unique<CPeal>();
    peal->SerializeRecord(in, oldForm);
    peals.push_back(std::move(peal));
  }
  return peals;
}

inline std::unique_ptr<CPeal> MakePeal(Date date, uint8_t sequence = 0, uint32_t tower = 0) {
  auto peal = std::make_unique<CPeal>();
  peal->date = date;
  peal->sequence = sequence;
  peal->tower = tower;
  return peal;
}

}  // namespace tv::testing

// A fresh index set on memory files, with a fixed today and a scripted platform, for the tests
// of the reference object kinds; and record round trips through an archive.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/archive.h"
#include "core/clock.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"
#include "tests/support/scripted_platform.h"

namespace tv {

class ReferenceTest : public ::testing::Test {
 protected:
  ReferenceTest() {
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet("/db/");
  }
  ~ReferenceTest() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }

  MemoryFileSystem files{"/db/"};
  FixedClock clock{{15, 6, 2024}};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
};

// The bytes of one record as the object writes it.
template <typename T>
std::string RecordBytes(const T& object) {
  MemoryFileSystem fs;
  auto file = fs.Open("/record", OpenMode::Create);
  {
    Archive out(*file, Archive::Mode::Store);
    object.WriteRecord(out);
  }
  return fs.Contents("/record");
}

// A new object of kind T that has read the record `bytes`.
template <typename T>
std::unique_ptr<T> ReadRecordBytes(std::string_view bytes) {
  MemoryFileSystem fs;
  fs.SetContents("/record", bytes);
  auto file = fs.Open("/record", OpenMode::Read);
  Archive in(*file, Archive::Mode::Load, 64);
  auto object = std::make_unique<T>();
  object->ReadRecord(in);
  return object;
}

// Bytes written as a list of values, for hand-made records.
inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

}  // namespace tv

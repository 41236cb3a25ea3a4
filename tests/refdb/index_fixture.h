// A test kind of index (names that sort and find by themselves) on memory files, with the
// helpers that read its thread, tree and bytes back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/archive.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/index.h"
#include "tests/support/scripted_platform.h"

namespace tv::index_testing {

inline constexpr const char* kDir = "/db/";

// A test kind: a name that sorts and finds by itself.
class CName : public CIndStr {
 public:
  explicit CName(std::string text = "?") {
    name = text;
    abbreviation = text;
  }
};

class CNameIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override { return std::make_unique<CName>(); }
};

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

inline int32_t LittleInt(const std::string& bytes, size_t at) {
  int32_t v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

class IndexTest : public ::testing::Test {
 protected:
  std::unique_ptr<CNameIndex> OpenIndex(const char* name = "names") {
    auto index = std::make_unique<CNameIndex>(name, kDir);
    index->Open(true);
    return index;
  }
  int32_t Add(CIndex& index, const std::string& text) {
    return index.InsertNew(std::make_unique<CName>(text));
  }
  // The keys in thread order, checked against the tree's in-order walk and the prev links.
  std::vector<int32_t> Ordered(CIndex& index) {
    std::vector<int32_t> keys;
    for (int32_t k = index.First(); k != 0 && keys.size() <= static_cast<size_t>(index.Count());
         k = index.Entry(k).next) {
      keys.push_back(k);
    }
    std::vector<int32_t> inOrder;
    std::vector<int32_t> stack;
    for (int32_t k = index.Root(); k != 0 || !stack.empty();) {
      while (k != 0) {
        stack.push_back(k);
        k = index.Entry(k).left;
      }
      k = stack.back();
      stack.pop_back();
      inOrder.push_back(k);
      EXPECT_EQ(index.ParentOf(k), index.Entry(k).parent);
      k = index.Entry(k).right;
    }
    EXPECT_EQ(keys, inOrder);
    for (size_t i = 0; i < keys.size(); ++i) {
      EXPECT_EQ(index.Entry(keys[i]).prev, i == 0 ? 0 : keys[i - 1]);
    }
    if (!keys.empty()) {
      EXPECT_EQ(index.Last(), keys.back());
    }
    return keys;
  }
  std::vector<std::string> Names(CIndex& index) {
    std::vector<std::string> names;
    for (int32_t k : Ordered(index)) names.push_back(index.NameOf(k, 0));
    return names;
  }

  MemoryFileSystem files{"/db/"};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
};

}  // namespace tv::index_testing

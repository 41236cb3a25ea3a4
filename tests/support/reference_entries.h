// Builders of reference entries under chosen keys, for tests that need a small database.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "refdb/index_set.h"
#include "refdb/method.h"

namespace tv::testing {

inline void AddMethodWithKey(uint32_t key, const std::string& name, int methodClass, uint8_t stage,
                             uint16_t count = 1, bool spliced = false) {
  auto method = std::make_unique<CMethod>();
  method->name = name;
  method->methodClass = methodClass;
  method->stage = stage;
  method->methodCount = count;
  method->spliced = spliced;
  MethodIndex().AddWithKey(std::move(method), static_cast<int32_t>(key));
}

}  // namespace tv::testing

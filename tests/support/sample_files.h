// The samples of today's exchange formats (tests/data/public), read from the source tree.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace tv::testing {

inline std::string PublicSample(const std::string& name) {
  std::ifstream in(std::string(TOLVANE_TEST_DATA) + "/public/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace tv::testing

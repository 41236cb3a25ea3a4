// What every fuzz target shares: memory files, a fixed today and a silent platform installed
// for one input, a closed index set before and after it, and the input cut into parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/memory_file_system.h"
#include "core/platform.h"
#include "core/services.h"
#include "refdb/index_set.h"
#include "refdb/steeplex.h"

namespace tv::fuzz {

// Inputs beyond this are ignored, which bounds the work of one run.
inline constexpr size_t kMaxInput = 64 * 1024;

// The headless platform without its messages on standard error.
class SilentPlatform : public HeadlessPlatform {
 public:
  void Message(std::string_view) override {}
  void ShowUnexpectedError(std::string_view) override {}
  void ShowText(std::string_view, std::string_view) override {}
};

// The services of one input. The index set and the cross-reference are global, so they are
// emptied on entry and closed on exit, while the memory files are still installed.
class Session {
 public:
  Session() { Reset(); }
  ~Session() { Reset(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  MemoryFileSystem files{"/work/"};
  FixedClock clock{{15, 6, 2024}};
  SilentPlatform platform;
  ScopedServices services{&files, &clock, &platform};

 private:
  static void Reset() {
    CloseIndexSet();
    SteeplexXref().Clear();
  }
};

// Reads the input front to back: single bytes, parts with a 32-bit little-endian length before
// them (cut to what is left), and the rest.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_text(reinterpret_cast<const char*>(data), size) {}

  uint8_t Byte() {
    if (m_text.empty()) return 0;
    const auto byte = static_cast<uint8_t>(m_text.front());
    m_text.remove_prefix(1);
    return byte;
  }
  std::string Part() {
    uint32_t length = 0;
    for (int shift = 0; shift < 32; shift += 8) length |= static_cast<uint32_t>(Byte()) << shift;
    const size_t take = length < m_text.size() ? length : m_text.size();
    std::string part(m_text.substr(0, take));
    m_text.remove_prefix(take);
    return part;
  }
  std::string Rest() {
    std::string rest(m_text);
    m_text = {};
    return rest;
  }

 private:
  std::string_view m_text;
};

// A broken invariant: reported and stopped, so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

}  // namespace tv::fuzz

// Large pages through madvise on Linux; nothing elsewhere.
#include "core/large_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tv {

void PreferLargePages(const void* data, size_t bytes) {
#if defined(MADV_HUGEPAGE)
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  if (bytes < 2 * kLargePage) return;
  const auto start = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (start + bytes) & ~(kLargePage - 1);
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace tv

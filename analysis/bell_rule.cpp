// The bell rule of the per-bell columns.
#include "analysis/bell_rule.h"

namespace tv {

void ForEachBell(const CPeal& peal, const std::function<void(int, int, int)>& count) {
  const int n = static_cast<int>(peal.ringers.size());
  if (peal.bells.empty()) {
    for (int p = 0; p < n; ++p) count(p, p & 0xFF, n & 0xFF);
    return;
  }
  int cur = n;
  int c = 0;
  for (int p = n - 1; p >= 0; --p) {
    const auto it = peal.bells.find(p);
    uint32_t mask = it == peal.bells.end() ? 0 : it->second;
    if (mask == 0) {
      ++c;
      count(p, (cur - c) & 0xFF, cur & 0xFF);
      continue;
    }
    c = 1;
    while (mask != 0) {
      if (mask & 1u) count(p, (cur - c) & 0xFF, cur & 0xFF);
      mask >>= 1;
      if (mask != 0) {
        ++c;
        cur = c + p;
      }
    }
  }
}

}  // namespace tv

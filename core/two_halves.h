// Work over many items done as two halves at once, on two cores, when there are enough items
// and cores for it to pay; otherwise in one piece on the calling thread. The halves must touch
// nothing in common but what they only read.
#pragma once

#include <cstddef>
#include <thread>

namespace tv {

// Items below this many are done in one piece: starting a thread costs more than it saves.
inline constexpr size_t kHalvesAbove = 200000;

// Calls work(0, half, 0) and work(half, count, 1) (the last argument names the half), the first
// on the calling thread and the second beside it, or work(0, count, 0) alone. Gives the number of
// pieces made, 1 or 2.
template <typename Work>
int InTwoHalves(size_t count, Work&& work) {
  if (count <= kHalvesAbove || std::thread::hardware_concurrency() < 2) {
    work(size_t{0}, count, 0);
    return 1;
  }
  const size_t half = count / 2;
  std::thread second([&work, half, count] { work(half, count, 1); });
  work(size_t{0}, half, 0);
  second.join();
  return 2;
}

// Runs first() on the calling thread and second() beside it, and waits for both; in turn on a
// machine of one core.
template <typename First, typename Second>
void RunBoth(First&& first, Second&& second) {
  if (std::thread::hardware_concurrency() < 2) {
    first();
    second();
    return;
  }
  std::thread beside([&second] { second(); });
  first();
  beside.join();
}

}  // namespace tv

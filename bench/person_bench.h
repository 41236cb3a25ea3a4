// The person index's benchmarks: finding by typed text, cached look-ups, and opening cold.
#pragma once

namespace tv::bench {

void RegisterPersonIndexBenchmarks();

}  // namespace tv::bench

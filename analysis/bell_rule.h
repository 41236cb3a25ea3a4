// Which bell each ringer of a peal rang, for the analyses' per-bell columns: from the ringers'
// positions, or from the "Bell(s)" masks when the peal has them.
#pragma once

#include <functional>

#include "peals/peal_record.h"

namespace tv {

// Calls `count`(position, bell, bells) for every bell the peal's positions give, positions from
// the back when the peal has bell masks. Without masks position p is bell p of the peal's
// positions. With masks the positions are walked from the last: a position without a mask takes
// the next bell down; a mask's bits, from the lowest, give the position's own bell and then
// bells counted on from it (the bell count growing to match). Bell numbers and counts are taken
// modulo 256. Vacant positions are reported too; the caller skips them.
void ForEachBell(const CPeal& peal, const std::function<void(int position, int bell, int bells)>& count);

}  // namespace tv

// Milestone numbers, ledger kinds and the counting order of performances.
#include "records/record_rules.h"

#include <algorithm>

#include "core/text.h"
#include "peals/peal_ledger.h"
#include "peals/peal_record.h"

namespace tv {

bool IsMilestone(uint32_t count) {
  return count == 1 || count == 10 || count == 25 || count == 50 ||
         (count >= 100 && count % 100 == 0);
}

uint32_t NextMilestone(uint32_t count) {
  if (count < 1) return 1;
  if (count < 10) return 10;
  if (count < 25) return 25;
  if (count < 50) return 50;
  return (count / 100 + 1) * 100;
}

std::string OrdinalText(uint32_t count) {
  const uint32_t lastTwo = count % 100;
  const char* suffix = "th";
  if (lastTwo < 11 || lastTwo > 13) {
    switch (count % 10) {
      case 1: suffix = "st"; break;
      case 2: suffix = "nd"; break;
      case 3: suffix = "rd"; break;
      default: break;
    }
  }
  return std::to_string(count) + suffix;
}

PerformanceKind KindOfLedger(std::string_view path) {
  const std::string name = PathFileName(path);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot + 1 < name.size() &&
      (name[dot + 1] == 'q' || name[dot + 1] == 'Q')) {
    return PerformanceKind::Quarter;
  }
  return PerformanceKind::Peal;
}

std::string_view KindNoun(PerformanceKind kind, bool plural) {
  if (kind == PerformanceKind::Quarter) return plural ? "quarter peals" : "quarter peal";
  return plural ? "peals" : "peal";
}

bool CountsUnderRules(const CPeal& peal, bool all) {
  return all || peal.extras[kValidity].empty();
}

std::vector<CPerformance> GatherPerformances(const std::vector<const CPealLedger*>& ledgers,
                                             bool all) {
  std::vector<CPerformance> performances;
  for (size_t l = 0; l < ledgers.size(); ++l) {
    const CPealLedger& ledger = *ledgers[l];
    for (int buffer = kMainBuffer; buffer < ledger.BufferCount(); ++buffer) {
      for (const uint32_t number : ledger.PealsOf(buffer)) {
        const CPeal* peal = ledger.PealAt(number);
        if (!peal || !CountsUnderRules(*peal, all)) continue;
        performances.push_back({.peal = peal,
                                .ledger = static_cast<uint16_t>(l),
                                .selected = buffer == ledger.currentBuffer});
      }
    }
  }
  const auto before = [](const CPerformance& a, const CPerformance& b) {
    if (a.peal->date != b.peal->date) return a.peal->date < b.peal->date;
    if (a.peal->sequence != b.peal->sequence) return a.peal->sequence < b.peal->sequence;
    if (a.ledger != b.ledger) return a.ledger < b.ledger;
    return a.peal->pealNumber < b.peal->pealNumber;
  };
  // One ledger of one buffer comes in this order already; the order is total, so leaving a
  // sorted list as it is gives what the sort would.
  if (!std::is_sorted(performances.begin(), performances.end(), before)) {
    std::sort(performances.begin(), performances.end(), before);
  }
  return performances;
}

}  // namespace tv

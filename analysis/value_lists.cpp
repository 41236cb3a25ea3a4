// Analyses by changes, time, day of the year and month, with the calendar and the year grid.
#include "analysis/value_lists.h"

#include <array>

#include "core/text.h"

namespace tv {
namespace {

constexpr int kMonths = 12;
constexpr int kDaysInLongestMonth = 31;

int FloorDiv12(int32_t n) { return n >= 0 ? n / kMonths : -((-n + kMonths - 1) / kMonths); }

}  // namespace

std::string CValueList::ItemLine(const CAnalItem& item) {
  std::string line = item.Rung() == 0 ? "\\+" : "";
  return line + CountColumns(item) + "    " + KeyText(item.key);
}

void CValueList::CountValue(const CPeal& peal, int32_t key, bool withDate) {
  AddToItem(key, withDate ? peal.date : 0, peal.changes, peal.time, peal.handbell, false, 1);
  CountConductorRule(peal, key);
}

// --- changes and time ---

void CNumList::AddPeal(const CPeal& peal) { CountValue(peal, peal.changes, true); }

std::string CNumList::KeyText(int32_t key) const { return PadCount(key, 6, true); }

void CTimeList::AddPeal(const CPeal& peal) { CountValue(peal, peal.time, true); }

std::string CTimeList::KeyText(int32_t key) const {
  return ShortTime(static_cast<uint16_t>(key));
}

// --- day of the year ---

CDateList::CDateList(const CAnalOptions& options, const CAnalSelection& selection, Date today)
    : CValueList(options, selection, today) {
  for (Date key = DayMonthKey(1, 1); key <= DayMonthKey(31, 12); ++key) {
    AddToItem(key, 0, 0, 0, false, false, 0);
  }
}

void CDateList::AddPeal(const CPeal& peal) {
  CountValue(peal, peal.date != 0 ? DayMonthKeyOf(peal.date) : kNoDateKey, false);
}

std::string CDateList::KeyText(int32_t key) const {
  return key == kNoDateKey ? kNoDateText : ShortDateText(key, false);
}

bool CDateList::BuildAlternative(std::vector<std::string>& lines) {
  lines.emplace_back("Day Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec");
  for (int day = 1; day <= kDaysInLongestMonth; ++day) {
    std::string line = PadCount(day, 3, true);
    for (int month = 1; month <= kMonths; ++month) {
      const Date key = DayMonthKey(day, month);
      const CAnalItem* item = key != 0 ? Find(key) : nullptr;
      line += item ? PadCount(item->Rung(), 4, false) : "   *";
    }
    lines.push_back(line);
  }
  if (const CAnalItem* undated = Find(kNoDateKey); undated && IsListed(*undated)) {
    lines.push_back(std::string(kNoDateText) + PadCount(undated->Rung(), 4, false));
  }
  return true;
}

// --- month and year ---

void CMonthList::AddPeal(const CPeal& peal) {
  CountValue(peal, peal.date != 0 ? MonthNumber(peal.date) : kNoDateKey, false);
}

std::string CMonthList::KeyText(int32_t key) const {
  return key == kNoDateKey ? kNoDateText : MonthYearText(key);
}

bool CMonthList::BuildAlternative(std::vector<std::string>& lines) {
  lines.emplace_back("Year   Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec Total");
  std::array<int64_t, kMonths> row{};
  std::array<int64_t, kMonths> total{};
  int year = 0;
  bool started = false;
  const auto flush = [&] {
    std::string line = PadCount(year, 4, true) + " ";
    int64_t sum = 0;
    for (const int64_t count : row) {
      line += PadCount(count, 4, false);
      sum += count;
    }
    lines.push_back(line + PadCount(sum, 6, true));
    row.fill(0);
  };
  int64_t undated = 0;
  for (const auto& [key, item] : Items()) {
    if (!IsListed(*item)) continue;
    if (key == kNoDateKey) {
      undated += item->Rung();
      continue;
    }
    const int itemYear = FloorDiv12(key);
    if (started && itemYear != year) flush();
    year = itemYear;
    started = true;
    const auto month = static_cast<size_t>(key - itemYear * kMonths);
    row[month] += item->Rung();
    total[month] += item->Rung();
  }
  // With no rows at all the grid still shows one line, for year 0.
  flush();
  // Undated peals have a row of their own, counted only in the total column.
  const size_t totalColumn = 5 + 4 * kMonths;
  if (undated != 0) {
    std::string line = kNoDateText;
    line.resize(totalColumn, ' ');
    lines.push_back(line + PadCount(undated, 6, true));
  }
  std::string last = "Total";
  int64_t sum = undated;
  for (const int64_t count : total) {
    last += PadCount(count, 4, false);
    sum += count;
  }
  lines.push_back(last + PadCount(sum, 6, true));
  return true;
}

}  // namespace tv

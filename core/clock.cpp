// The system clock, the fixed clock and the strict date form used to fix today.
#include "core/clock.h"

#include <charconv>
#include <ctime>

#include "core/services.h"

namespace tv {

DayMonthYear SystemClock::LocalDate() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

DayMonthYear CurrentLocalDate() { return TheClock().LocalDate(); }

int CurrentYear() { return CurrentLocalDate().year; }

bool ParseFixedDate(std::string_view text, DayMonthYear& out) {
  int parts[3] = {0, 0, 0};
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t end = i < 2 ? text.find('/', start) : text.size();
    if (end == std::string_view::npos || end == start || end - start > 4) return false;
    const char* first = text.data() + start;
    const char* last = text.data() + end;
    auto [ptr, ec] = std::from_chars(first, last, parts[i]);
    if (ec != std::errc() || ptr != last) return false;
    start = end + 1;
  }
  const int day = parts[0], month = parts[1], year = parts[2];
  if (year < 1601 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(month, IsLeapYear(year))) return false;
  out = {day, month, year};
  return true;
}

}  // namespace tv

// Calendar arithmetic on day numbers and the fixed text forms of dates.
#include "core/dates.h"

#include <cstdio>

#include "core/clock.h"
#include "core/text.h"

namespace tv {
namespace {

constexpr const char* kMonthNames[13] = {"",      "January", "February",  "March",   "April",
                                         "May",   "June",    "July",      "August",  "September",
                                         "October", "November", "December"};
constexpr const char* kWeekdayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};

int FloorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

std::string Format(const char* pattern, int a, int b = 0, int c = 0) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
  return buffer;
}

}  // namespace

int IsLeapYear(int year) { return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 1 : 0; }

int DaysInMonth(int month, int leap) {
  switch (month) {
    case 2:
      return 28 + leap;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    default:
      return 31;
  }
}

Date MakeDate(int day, int month, int year) {
  if (year < 1600) {
    const int current = CurrentYear();
    year = year + (current - current % 100);
    if (current % 100 < year % 100) year -= 100;
  }
  if (month < 1 || month > 12) return 0;
  const int leap = IsLeapYear(year);
  if (day == 0 || day > DaysInMonth(month, leap)) return 0;
  int n = day;
  for (int m = 1; m < month; ++m) n += DaysInMonth(m, leap);
  const int b = year - 1601;
  return 365 * b + FloorDiv(b, 4) - FloorDiv(b, 100) + FloorDiv(b, 400) + n;
}

DayMonthYear SplitDate(Date date) {
  // 1 January 1601 opens a 400-year cycle whose last year (like 2000) is a leap year, so the
  // last century, four-year group and year of each cycle are one day longer.
  int z = date - 1;
  const int cycles = FloorDiv(z, 146097);
  int rest = z - cycles * 146097;
  int centuries = rest / 36524;
  if (centuries > 3) centuries = 3;
  rest -= centuries * 36524;
  const int groups = rest / 1461;
  rest -= groups * 1461;
  int years = rest / 365;
  if (years > 3) years = 3;
  rest -= years * 365;
  DayMonthYear result;
  result.year = 1601 + 400 * cycles + 100 * centuries + 4 * groups + years;
  const int leap = IsLeapYear(result.year);
  int month = 1;
  while (month < 12 && rest >= DaysInMonth(month, leap)) {
    rest -= DaysInMonth(month, leap);
    ++month;
  }
  result.month = month;
  result.day = rest + 1;
  return result;
}

Date Today() {
  const DayMonthYear now = CurrentLocalDate();
  return MakeDate(now.day, now.month, now.year);
}

int MonthNumber(Date date) {
  const DayMonthYear d = SplitDate(date);
  return d.year * 12 + d.month - 1;
}

Date DayMonthKey(int day, int month) { return MakeDate(day, month, 1604); }

Date DayMonthKeyOf(Date date) {
  const DayMonthYear d = SplitDate(date);
  return DayMonthKey(d.day, d.month);
}

std::string MonthName(int month, bool full) {
  if (month < 0 || month > 12) return {};
  std::string name = kMonthNames[month];
  return full ? name : name.substr(0, 3);
}

std::string WeekdayName(Date date, bool full) {
  int index;
  if (date >= MakeDate(14, 9, 1752)) {
    index = date % 7;
  } else if (date > MakeDate(2, 9, 1752)) {
    return "xxx";
  } else {
    index = (date + 11) % 7;
  }
  if (index < 0) index += 7;
  std::string name = kWeekdayNames[index];
  return full ? name : name.substr(0, 3);
}

Date ParseDate(std::string_view text) {
  if (text.empty()) return 0;
  if (text.front() == '-') {
    const auto daysAgo = static_cast<uint16_t>(ParseDigits(text.substr(1)));
    return Today() - daysAgo;
  }
  const DayMonthYear now = CurrentLocalDate();
  int month = now.month;
  int year = now.year;
  std::string_view dayText = text;
  const size_t sep = text.find_first_of("/-:.");
  if (sep != std::string_view::npos) {
    dayText = text.substr(0, sep);
    std::string_view rest = text.substr(sep + 1);
    if (!rest.empty()) {
      const size_t second = rest.find(text[sep]);
      if (second != std::string_view::npos) {
        month = static_cast<uint8_t>(ParseDigits(rest.substr(0, second)));
        year = static_cast<uint16_t>(ParseDigits(rest.substr(second + 1)));
      } else {
        month = static_cast<uint8_t>(ParseDigits(rest));
      }
    }
  }
  const int day = static_cast<uint8_t>(ParseDigits(dayText));
  return MakeDate(day, month, year);
}

std::string DateText(Date date, int width) {
  std::string text;
  if (date == 0) {
    text = "\\????";
  } else {
    const DayMonthYear d = SplitDate(date);
    text = Format("%d/%d/%d", d.day, d.month, d.year);
  }
  if (width > 0 && static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string IsoDateText(Date date) {
  const DayMonthYear d = SplitDate(date);
  return Format("%d-%02d-%02d", d.year, d.month, d.day);
}

std::string DateKeyText(Date date, int n) {
  const DayMonthYear d = SplitDate(date);
  return Format("%02d%02d%02d", d.month, d.day, n);
}

std::string ShortDateText(Date date, bool full) {
  const DayMonthYear d = SplitDate(date);
  std::string text = MonthName(d.month, false) + " " + std::to_string(d.day);
  if (full) text = WeekdayName(date, false) + " " + text + " " + std::to_string(d.year);
  return text;
}

std::string SlashDateText(Date date) {
  const DayMonthYear d = SplitDate(date);
  return Format("%02d/%02d/%04d", d.day, d.month, d.year);
}

std::string DayMonthText(Date date) {
  const DayMonthYear d = SplitDate(date);
  return Format("%2d", d.day) + " " + MonthName(d.month, false);
}

std::string OrdinalSuffix(int day) {
  if (day == 11 || day == 12 || day == 13) return "th";
  switch (day % 10) {
    case 1:
      return "st";
    case 2:
      return "nd";
    case 3:
      return "rd";
    default:
      return "th";
  }
}

std::string LongDateText(Date date) {
  const DayMonthYear d = SplitDate(date);
  return "On " + WeekdayName(date, true) + " " + MonthName(d.month, true) + " " +
         std::to_string(d.day) + OrdinalSuffix(d.day) + " " + std::to_string(d.year);
}

std::string MonthYearText(int monthNumber) {
  const int month = ((monthNumber % 12) + 12) % 12;
  return MonthName(month + 1, false) + " " + std::to_string(FloorDiv(monthNumber, 12));
}

}  // namespace tv

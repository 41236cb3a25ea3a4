// Day numbers (1 = 1 January 1601, 0 = no date), calendar arithmetic, date parsing and text forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tv {

using Date = int32_t;

struct DayMonthYear {
  int day = 0;
  int month = 0;
  int year = 0;
};

int IsLeapYear(int year);
int DaysInMonth(int month, int leap);

// The day number of a calendar date, or 0 when the day does not exist in its month (or the
// month is outside 1 to 12). A year below 1600 is a two-digit year, windowed around the
// clock's current year.
Date MakeDate(int day, int month, int year);
DayMonthYear SplitDate(Date date);
Date Today();

int MonthNumber(Date date);
Date DayMonthKey(int day, int month);
Date DayMonthKeyOf(Date date);

std::string MonthName(int month, bool full);
std::string WeekdayName(Date date, bool full);

// Reads a typed or imported date: ‘15’, ‘15/3’, ‘15/3/03’, ‘15-3-2003’, ‘15.3.03’, ‘-7’ (a week
// ago). Gives 0 for the empty text or an impossible date.
Date ParseDate(std::string_view text);

std::string DateText(Date date, int width = 0);
std::string IsoDateText(Date date);
std::string DateKeyText(Date date, int n);
std::string ShortDateText(Date date, bool full);
std::string SlashDateText(Date date);
std::string DayMonthText(Date date);
std::string LongDateText(Date date);
std::string MonthYearText(int monthNumber);
std::string OrdinalSuffix(int day);

}  // namespace tv

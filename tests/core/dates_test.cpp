// Day numbers, calendar edges, two-digit years, date parsing and the text forms.
#include "core/dates.h"

#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/services.h"

namespace tv {
namespace {

class DatesTest : public ::testing::Test {
 protected:
  FixedClock clock{{15, 3, 2003}};
  ScopedServices services{nullptr, &clock, nullptr};
};

TEST_F(DatesTest, DayNumbersStartAtFirstJanuary1601) {
  EXPECT_EQ(MakeDate(1, 1, 1601), 1);
  EXPECT_EQ(MakeDate(31, 12, 1601), 365);
  EXPECT_EQ(MakeDate(1, 1, 1602), 366);
  EXPECT_EQ(MakeDate(1, 1, 2003), 146828);
  EXPECT_EQ(MakeDate(15, 3, 2003), 146901);
}

TEST_F(DatesTest, LeapYearsFollowTheGregorianRuleAcrossCenturies) {
  EXPECT_EQ(MakeDate(29, 2, 1900), 0);
  EXPECT_NE(MakeDate(29, 2, 2000), 0);
  EXPECT_NE(MakeDate(29, 2, 1604), 0);
  EXPECT_EQ(MakeDate(29, 2, 1700), 0);
  EXPECT_EQ(MakeDate(1, 3, 1900) - MakeDate(28, 2, 1900), 1);
  EXPECT_EQ(MakeDate(1, 3, 2000) - MakeDate(28, 2, 2000), 2);
  // 1752 is an ordinary leap year in day numbers: the calendar change affects weekdays only.
  EXPECT_EQ(MakeDate(14, 9, 1752) - MakeDate(2, 9, 1752), 12);
}

TEST_F(DatesTest, ImpossibleDaysGiveNoDate) {
  EXPECT_EQ(MakeDate(31, 4, 2003), 0);
  EXPECT_EQ(MakeDate(0, 5, 2003), 0);
  EXPECT_EQ(MakeDate(32, 1, 2003), 0);
  EXPECT_EQ(MakeDate(1, 0, 2003), 0);
  EXPECT_EQ(MakeDate(1, 13, 2003), 0);
}

TEST_F(DatesTest, SplitDateInvertsMakeDateAtEveryPeriodEdge) {
  for (const DayMonthYear d : {DayMonthYear{31, 12, 2000}, {31, 12, 1900}, {1, 1, 1601},
                               {31, 12, 1700}, {29, 2, 1604}, {1, 3, 1752}, {14, 9, 1752},
                               {31, 12, 1999}, {1, 1, 2001}, {29, 2, 2400}, {31, 12, 2400}}) {
    const DayMonthYear back = SplitDate(MakeDate(d.day, d.month, d.year));
    EXPECT_EQ(back.day, d.day) << d.day << "/" << d.month << "/" << d.year;
    EXPECT_EQ(back.month, d.month) << d.day << "/" << d.month << "/" << d.year;
    EXPECT_EQ(back.year, d.year) << d.day << "/" << d.month << "/" << d.year;
  }
  const DayMonthYear zero = SplitDate(0);
  EXPECT_EQ(zero.day, 31);
  EXPECT_EQ(zero.month, 12);
  EXPECT_EQ(zero.year, 1600);
}

TEST_F(DatesTest, SplitDateInvertsEveryDayOfFourCenturies) {
  const Date first = MakeDate(1, 1, 1601);
  const Date last = MakeDate(31, 12, 2100);
  for (Date d = first; d <= last; ++d) {
    const DayMonthYear split = SplitDate(d);
    ASSERT_EQ(MakeDate(split.day, split.month, split.year), d);
  }
}

TEST_F(DatesTest, TwoDigitYearsAreWindowedAroundTheCurrentYear) {
  EXPECT_EQ(SplitDate(MakeDate(1, 1, 3)).year, 2003);
  EXPECT_EQ(SplitDate(MakeDate(1, 1, 97)).year, 1997);
  EXPECT_EQ(SplitDate(MakeDate(1, 1, 4)).year, 1904);
  EXPECT_EQ(SplitDate(MakeDate(1, 1, 0)).year, 2000);
  clock.Set({1, 1, 2026});
  EXPECT_EQ(SplitDate(MakeDate(1, 1, 26)).year, 2026);
  EXPECT_EQ(SplitDate(MakeDate(1, 1, 27)).year, 1927);
}

TEST_F(DatesTest, WeekdaysUseTheJulianCalendarBeforeSeptember1752) {
  EXPECT_EQ(WeekdayName(MakeDate(14, 9, 1752), true), "Thursday");
  EXPECT_EQ(WeekdayName(MakeDate(2, 9, 1752), true), "Wednesday");
  EXPECT_EQ(WeekdayName(MakeDate(5, 9, 1752), true), "xxx");
  EXPECT_EQ(WeekdayName(MakeDate(5, 9, 1752), false), "xxx");
  EXPECT_EQ(WeekdayName(MakeDate(15, 3, 2003), false), "Sat");
  EXPECT_EQ(WeekdayName(MakeDate(1, 1, 2000), true), "Saturday");
}

TEST_F(DatesTest, MonthAndDayKeys) {
  EXPECT_EQ(MonthNumber(MakeDate(15, 3, 2003)), 2003 * 12 + 2);
  EXPECT_EQ(MonthNumber(MakeDate(1, 4, 2003)) - MonthNumber(MakeDate(31, 3, 2003)), 1);
  EXPECT_EQ(DayMonthKeyOf(MakeDate(29, 2, 2000)), MakeDate(29, 2, 1604));
  EXPECT_LT(DayMonthKey(1, 1), DayMonthKey(31, 12));
  EXPECT_EQ(MonthYearText(MonthNumber(MakeDate(15, 3, 2003))), "Mar 2003");
  EXPECT_EQ(MonthYearText(2003 * 12 + 11), "Dec 2003");
}

TEST_F(DatesTest, ParseDateAcceptsEveryTypedForm) {
  const Date march15 = MakeDate(15, 3, 2003);
  for (const char* text : {"15", "15/3", "15/3/2003", "15/3/03", "15-3-2003", "15.3.03",
                           "15:3:2003"}) {
    EXPECT_EQ(ParseDate(text), march15) << text;
  }
  EXPECT_EQ(ParseDate(""), 0);
  EXPECT_EQ(ParseDate("31/4/2003"), 0);
  EXPECT_EQ(ParseDate("-0"), Today());
  EXPECT_EQ(ParseDate("-7"), march15 - 7);
  EXPECT_EQ(ParseDate("-70000"), march15 - static_cast<uint16_t>(70000));
  EXPECT_EQ(ParseDate("15/"), march15);  // nothing after the separator keeps this month
  EXPECT_EQ(ParseDate("4/7"), MakeDate(4, 7, 2003));
  // Separators may not be mixed: the month is read from ‘3.03’ as 303, which is no month.
  EXPECT_EQ(ParseDate("15/3.03"), 0);
  // The day is kept to 8 bits: 271 is day 15.
  EXPECT_EQ(ParseDate("271/3/2003"), march15);
}

TEST_F(DatesTest, TextForms) {
  const Date d = MakeDate(15, 3, 2003);
  EXPECT_EQ(DateText(d, 0), "15/3/2003");
  EXPECT_EQ(DateText(d, 12), "   15/3/2003");
  EXPECT_EQ(DateText(0, 10), "     \\????");
  EXPECT_EQ(DateText(0, 0), "\\????");
  EXPECT_EQ(IsoDateText(d), "2003-03-15");
  EXPECT_EQ(DateKeyText(d, 2), "031502");
  EXPECT_EQ(ShortDateText(d, false), "Mar 15");
  EXPECT_EQ(ShortDateText(d, true), "Sat Mar 15 2003");
  EXPECT_EQ(SlashDateText(MakeDate(5, 3, 2003)), "05/03/2003");
  EXPECT_EQ(DayMonthText(d), "15 Mar");
  EXPECT_EQ(DayMonthText(MakeDate(1, 3, 2003)), " 1 Mar");
  EXPECT_EQ(LongDateText(d), "On Saturday March 15th 2003");
  EXPECT_EQ(LongDateText(MakeDate(22, 5, 2003)), "On Thursday May 22nd 2003");
  EXPECT_EQ(LongDateText(MakeDate(12, 5, 2003)), "On Monday May 12th 2003");
  EXPECT_EQ(MonthName(0, true), "");
  EXPECT_EQ(MonthName(9, false), "Sep");
}

TEST_F(DatesTest, OrdinalSuffixes) {
  const std::pair<int, const char*> cases[] = {{1, "st"},  {2, "nd"},  {3, "rd"},  {4, "th"},
                                               {11, "th"}, {12, "th"}, {13, "th"}, {21, "st"},
                                               {22, "nd"}, {23, "rd"}, {31, "st"}, {30, "th"}};
  for (const auto& [day, suffix] : cases) EXPECT_EQ(OrdinalSuffix(day), suffix) << day;
}

TEST(FixedDateTest, StrictDayMonthYear) {
  DayMonthYear d;
  EXPECT_TRUE(ParseFixedDate("9/12/2026", d));
  EXPECT_EQ(d.day, 9);
  EXPECT_EQ(d.month, 12);
  EXPECT_EQ(d.year, 2026);
  for (const char* bad : {"", "9/12", "31/4/2003", "29/2/1900", "1/1/26", "a/b/c", "1/13/2003",
                          "1//2003", "1/1/2003/", " 1/1/2003"}) {
    EXPECT_FALSE(ParseFixedDate(bad, d)) << bad;
  }
}

}  // namespace
}  // namespace tv

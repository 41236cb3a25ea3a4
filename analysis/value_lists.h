// Analyses keyed by a value of the peal rather than an index entry: number of changes, time,
// day of the year and month. Their rows are in key order; rows without rung peals show red.
#pragma once

#include "analysis/anal_list.h"

namespace tv {

// The key under which the day and month analyses count peals without a date: after every real
// key, shown as "No date" and kept out of the calendar and year-grid cells.
inline constexpr int32_t kNoDateKey = INT32_MAX;
inline constexpr const char* kNoDateText = "No date";

// Rows shown as the count columns, four blanks and the key's text.
class CValueList : public CAnalList {
 public:
  bool AddsFromColumnFields() const override { return true; }
  using CAnalList::CAnalList;
  std::string ItemLine(const CAnalItem& item) override;

 protected:
  virtual std::string KeyText(int32_t key) const = 0;
  // Counts the peal under `key`, with or without its date, and under the conductor rule.
  void CountValue(const CPeal& peal, int32_t key, bool withDate);
};

class CNumList : public CValueList {
 public:
  using CValueList::CValueList;
  void AddPeal(const CPeal& peal) override;
  std::string KeyTitle() const override { return "Changes"; }

 protected:
  std::string KeyText(int32_t key) const override;
};

class CTimeList : public CValueList {
 public:
  using CValueList::CValueList;
  void AddPeal(const CPeal& peal) override;
  std::string KeyTitle() const override { return "Time"; }

 protected:
  std::string KeyText(int32_t key) const override;
};

// Keyed by day and month (as a day of 1604, a leap year). Every day of the year has a row from
// the start, so the report lists all 366; the alternative is a calendar of the counts.
class CDateList : public CValueList {
 public:
  CDateList(const CAnalOptions& options, const CAnalSelection& selection, Date today);
  void AddPeal(const CPeal& peal) override;
  std::string KeyTitle() const override { return "Date"; }
  bool BuildAlternative(std::vector<std::string>& lines) override;
  bool HasAlternative() const override { return true; }

 protected:
  std::string KeyText(int32_t key) const override;
};

// Keyed by month (year × 12 + month − 1); the alternative is a grid of years by months.
class CMonthList : public CValueList {
 public:
  using CValueList::CValueList;
  void AddPeal(const CPeal& peal) override;
  std::string KeyTitle() const override { return "Month"; }
  bool BuildAlternative(std::vector<std::string>& lines) override;
  bool HasAlternative() const override { return true; }

 protected:
  std::string KeyText(int32_t key) const override;
};

}  // namespace tv

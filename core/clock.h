// The one clock that says what "today" is; tests and `tolvane-cli --today` fix it.
#pragma once

#include "core/dates.h"

namespace tv {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DayMonthYear LocalDate() const = 0;
};

// Reads the machine's local date.
class SystemClock final : public Clock {
 public:
  DayMonthYear LocalDate() const override;
};

// Always answers the date it was given.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(DayMonthYear date) : m_date(date) {}
  DayMonthYear LocalDate() const override { return m_date; }
  void Set(DayMonthYear date) { m_date = date; }

 private:
  DayMonthYear m_date;
};

// The current local date and year of the installed clock (see services.h).
DayMonthYear CurrentLocalDate();
int CurrentYear();

// Parses a strict "D/M/YYYY" (as given to --today); false when it is not a real date.
bool ParseFixedDate(std::string_view text, DayMonthYear& out);

}  // namespace tv

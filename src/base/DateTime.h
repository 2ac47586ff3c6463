// A calendar date with an optional time of day, as stored in the billing
// database (DATE or DATETIME columns) and as written into the audit file.
#ifndef SAFTPT_BASE_DATETIME_H_
#define SAFTPT_BASE_DATETIME_H_

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace saftpt {

struct DateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;

  auto operator<=>(const DateTime&) const = default;

  // Parses "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS[.ffffff]" (also with a "T").
  // Returns nothing for other texts and for impossible dates such as the
  // server's "0000-00-00".
  static std::optional<DateTime> Parse(std::string_view text);

  static DateTime Date(int y, int m, int d) { return DateTime{y, m, d, 0, 0, 0}; }
  DateTime DateOnly() const { return DateTime{year, month, day, 0, 0, 0}; }

  bool IsValidDate() const;
  // Last day of this date's month.
  int DaysInMonth() const;
  // The local date of the machine ("today" of the front ends).
  static DateTime Today();
};

}  // namespace saftpt

#endif  // SAFTPT_BASE_DATETIME_H_

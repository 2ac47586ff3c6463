#include "base/DateTime.h"

#include <charconv>
#include <ctime>

namespace saftpt {

namespace {

bool ReadInt(std::string_view text, size_t pos, size_t len, int& out) {
  if (pos + len > text.size()) return false;
  for (size_t i = pos; i < pos + len; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  auto res = std::from_chars(text.data() + pos, text.data() + pos + len, out);
  return res.ec == std::errc();
}

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

}  // namespace

int DateTime::DaysInMonth() const {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool DateTime::IsValidDate() const {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth() && hour >= 0 && hour < 24 && minute >= 0 && minute < 60 &&
         second >= 0 && second < 60;
}

std::optional<DateTime> DateTime::Parse(std::string_view text) {
  DateTime d;
  if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  if (!ReadInt(text, 0, 4, d.year) || !ReadInt(text, 5, 2, d.month) || !ReadInt(text, 8, 2, d.day))
    return std::nullopt;
  if (text.size() > 10) {
    if (text.size() < 19 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' ||
        text[16] != ':')
      return std::nullopt;
    if (!ReadInt(text, 11, 2, d.hour) || !ReadInt(text, 14, 2, d.minute) ||
        !ReadInt(text, 17, 2, d.second))
      return std::nullopt;
    if (text.size() > 19 && text[19] != '.') return std::nullopt;
  }
  if (!d.IsValidDate()) return std::nullopt;
  return d;
}

DateTime DateTime::Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return Date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace saftpt

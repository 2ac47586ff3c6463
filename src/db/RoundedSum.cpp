#include "db/RoundedSum.h"

#include <charconv>
#include <cmath>

namespace saftpt {

namespace {

// Digits of one value an exact sum takes: with kMaxScale, a 128-bit sum of
// them cannot overflow.
constexpr int kMaxDigits = 20;
// Decimals an exact sum keeps.
constexpr int kMaxScale = 10;

__int128 PowerOfTen(int n) {
  __int128 p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// "-123.450" as -123450 and scale 3; false for any other form, or too many
// digits.
bool ReadDecimal(std::string_view text, __int128& units, int& scale) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative || (!text.empty() && text.front() == '+')) text.remove_prefix(1);
  units = 0;
  scale = 0;
  int digits = 0;
  bool point = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      if (++digits > kMaxDigits) return false;
      units = units * 10 + (c - '0');
      if (point) ++scale;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  if (negative) units = -units;
  return true;
}

}  // namespace

void RoundedSum::Add(const Value& value, std::string_view what) {
  if (value.IsNull()) return;
  const double real = value.Number(what);
  any_ = true;
  real_ += real;
  if (!exact_ || inexact_) return;
  __int128 units;
  int scale;
  if (!ReadDecimal(value.Text(), units, scale) || std::max(scale, scale_) > kMaxScale) {
    inexact_ = true;
    return;
  }
  if (scale > scale_) {
    units_ *= PowerOfTen(scale - scale_);
    scale_ = scale;
  } else {
    units *= PowerOfTen(scale_ - scale);
  }
  units_ += units;
}

std::optional<double> RoundedSum::Result() const {
  if (!any_) return std::nullopt;
  if (!exact_ || inexact_) {
    // The server's rounding of a double: rint() of the value in cents.
    volatile double cents = real_ * 100;
    if (std::isinf(cents)) return real_;
    return std::rint(cents) / 100;
  }
  // Halves away from zero, as the server rounds decimals.
  __int128 cents = units_;
  if (scale_ > 2) {
    const __int128 unit = PowerOfTen(scale_ - 2);
    const __int128 half = unit / 2;
    cents = (cents >= 0 ? cents + half : cents - half) / unit;
  } else {
    cents *= PowerOfTen(2 - scale_);
  }
  // As the server would write it, and read back as any value is.
  const bool negative = cents < 0;
  unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(cents) : cents;
  char text[48];
  char* const last = text + sizeof text;
  char* first = last;
  for (int digits = 0; magnitude > 0 || digits < 3;) {
    *--first = static_cast<char>('0' + static_cast<int>(magnitude % 10));
    magnitude /= 10;
    if (++digits == 2) *--first = '.';
  }
  if (negative) *--first = '-';
  double result = 0;
  std::from_chars(first, last, result);
  return result;
}

}  // namespace saftpt

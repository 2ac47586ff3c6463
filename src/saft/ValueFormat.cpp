// Dates, amounts and texts as the audit file carries them.
#include "saft/ValueFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/Error.h"

namespace saftpt {

namespace {

// A finite double as the decimal digits of its 15-significant-digit form,
// rounded to `places` decimals: the digits of the result times 10^-places.
struct Rounded {
  bool negative = false;
  std::string digits;  // no leading zeros; "0" for zero
};

void CheckPlaces(int places) {
  if (places < 0 || places > 30)
    throw Error(Error::kBuilder, "Número de casas decimais inválido: " + std::to_string(places));
}

constexpr double kPowersOfTen[] = {1, 10, 100, 1000, 10000};

void CheckFinite(double v) {
  if (!std::isfinite(v)) throw Error(Error::kData, "O valor não é um número finito.");
}

// Amounts are rounded on their 15-digit decimal form, as the old runtime saw
// them: 2.675 is stored as 2.67499999... but written as 2.68.
Rounded RoundDecimal(double v, int places, bool halfEven) {
  CheckFinite(v);
  CheckPlaces(places);
  // Most amounts are a whole number of cents, give or take the double's
  // error: their 15-digit form is that many cents too, far from any half.
  if (std::fabs(v) < 1e9 && places <= 4) {
    const double scaled = v * kPowersOfTen[places];
    const double whole = std::nearbyint(scaled);
    if (std::fabs(scaled - whole) <= 1e-6) {
      Rounded r;
      char buf[24];
      auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(std::fabs(whole)));
      r.digits.assign(buf, res.ptr);
      r.negative = whole != 0 && v < 0;
      return r;
    }
  }
  // std::to_chars ignores the locale (a GUI may set one with a comma).
  char buf[40];
  auto res = std::to_chars(buf, buf + sizeof buf - 1, v, std::chars_format::scientific, 14);
  *res.ptr = '\0';
  const char* p = buf;
  Rounded r;
  if (*p == '-') {
    r.negative = true;
    ++p;
  }
  char mantissa[15];
  int n = 0;
  for (; *p != 'e'; ++p)
    if (*p != '.') mantissa[n++] = *p;
  int exponent = 0;
  const char* e = p + 1;
  if (*e == '+') ++e;
  std::from_chars(e, res.ptr, exponent);

  // The value is 0.d1d2...d15 x 10^(exponent + 1); keep the digits before the
  // `places`-th decimal.
  const int kept = exponent + 1 + places;
  std::string digits;
  bool up = false;
  if (kept >= 15) {
    digits.assign(mantissa, 15);
    digits.append(static_cast<size_t>(kept - 15), '0');
  } else if (kept >= 0) {
    digits.assign(mantissa, static_cast<size_t>(kept));
    const char next = mantissa[kept];
    if (!halfEven) {
      up = next >= '5';
    } else if (next != '5') {
      up = next > '5';
    } else {
      bool beyond = false;
      for (int i = kept + 1; i < 15; ++i) beyond = beyond || mantissa[i] != '0';
      const bool odd = kept > 0 && (mantissa[kept - 1] - '0') % 2 == 1;
      up = beyond || odd;
    }
  }
  if (up) {
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits.insert(digits.begin(), '1');
    }
  }
  size_t first = digits.find_first_not_of('0');
  digits = first == std::string::npos ? "0" : digits.substr(first);
  // Nothing is written as "-0.00".
  if (digits == "0") r.negative = false;
  r.digits = std::move(digits);
  return r;
}

std::string WithPlaces(const Rounded& r, int places, char separator) {
  std::string digits = r.digits;
  if (digits.size() <= static_cast<size_t>(places))
    digits.insert(0, static_cast<size_t>(places) + 1 - digits.size(), '0');
  std::string out;
  out.reserve(digits.size() + 2);
  if (r.negative) out += '-';
  out.append(digits, 0, digits.size() - places);
  if (places > 0) {
    out += separator;
    out.append(digits, digits.size() - places, std::string::npos);
  }
  return out;
}

double ToDouble(const Rounded& r, int places) {
  const std::string text = WithPlaces(r, places, '.');
  double result = 0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return result;
}

// The old runtime's plain text of a double: 15 significant digits at most,
// no trailing zeros, exponent form from 1E+15 and below 1E-04.
std::string PlainText(double v) {
  CheckFinite(v);
  if (v == 0) return "0";
  char buf[40];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  std::string out(buf, res.ptr);
  size_t e = out.find('e');
  if (e != std::string::npos) out[e] = 'E';
  return out;
}

// A stored whole number, kept exact beyond the precision of a double.
bool WholeNumberText(std::string_view text, std::string& out) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 15) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  size_t first = text.find_first_not_of('0');
  if (first == std::string_view::npos) {
    out = "0";
    return true;
  }
  out = negative ? "-" : "";
  out.append(text.substr(first));
  return true;
}

// `value` in `width` digits at `at`, when it fits them.
bool PutDigits(char* at, int value, int width) {
  if (value < 0) return false;
  for (int i = width - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
  return value == 0;
}

}  // namespace

// Written digit by digit: a file has a few of them for every document. A
// field out of its usual width goes through printf, as it always has.
std::string FormatDate(const DateTime& d) {
  char buf[32] = "0000-00-00";
  if (PutDigits(buf, d.year, 4) && PutDigits(buf + 5, d.month, 2) && PutDigits(buf + 8, d.day, 2))
    return std::string(buf, 10);
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
  return buf;
}

std::string FormatDateTime(const DateTime& d) {
  char buf[48] = "0000-00-00T00:00:00";
  if (PutDigits(buf, d.year, 4) && PutDigits(buf + 5, d.month, 2) && PutDigits(buf + 8, d.day, 2) &&
      PutDigits(buf + 11, d.hour, 2) && PutDigits(buf + 14, d.minute, 2) &&
      PutDigits(buf + 17, d.second, 2))
    return std::string(buf, 19);
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                d.minute, d.second);
  return buf;
}

std::string FormatNumber(double v, int places) {
  if (places == 0) return PlainText(v);
  return WithPlaces(RoundDecimal(v, places, false), places, '.');
}

std::string FormatNumber(const Value& v, int places) {
  CheckPlaces(places);
  if (v.IsNull()) return FormatNumber(0.0, places);
  std::string whole;
  if (places == 0 && WholeNumberText(v.Text(), whole)) return whole;
  return FormatNumber(v.Number(), places);
}

std::string FormatNumberWithSeparator(double v, int places, char decimalSeparator) {
  if (places == 0) return PlainText(v);
  return WithPlaces(RoundDecimal(v, places, false), places, decimalSeparator);
}

double RoundHalfAway(double v, int places) {
  return ToDouble(RoundDecimal(v, places, false), places);
}

double RoundHalfEven(double v, int places) {
  return ToDouble(RoundDecimal(v, places, true), places);
}

std::string RemoveControlCharacters(std::string_view text) {
  // Bytes below 32 are never part of a multi-byte UTF-8 character, so
  // dropping them never splits one.
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 32) out += c;
  return out;
}

void AddElement(XmlNode node, std::string_view tag, std::string_view text) {
  const bool plain = std::none_of(text.begin(), text.end(),
                                  [](char c) { return static_cast<unsigned char>(c) < 32; });
  if (plain) {
    node.AddLeaf(tag, text);
  } else {
    node.AddLeaf(tag, RemoveControlCharacters(text));
  }
}

}  // namespace saftpt

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/Error.h"
#include "db/RoundedSum.h"
#include "saft/ValueFormat.h"
#include "xml/XmlDocument.h"

namespace saftpt {
namespace {

double Parse(const std::string& text) {
  double v = 0;
  auto res = std::from_chars(text.data(), text.data() + text.size(), v);
  EXPECT_EQ(res.ptr, text.data() + text.size()) << text;
  return v;
}

TEST(FormatDate, WritesIsoDatesAndTimes) {
  EXPECT_EQ(FormatDate(DateTime::Date(2017, 3, 5)), "2017-03-05");
  EXPECT_EQ(FormatDate(DateTime{2024, 12, 31, 23, 59, 59}), "2024-12-31");
  EXPECT_EQ(FormatDateTime(DateTime{2017, 3, 5, 14, 7, 9}), "2017-03-05T14:07:09");
  EXPECT_EQ(FormatDateTime(DateTime::Date(2017, 3, 5)), "2017-03-05T00:00:00");
  EXPECT_EQ(FormatDate(DateTime::Date(999, 1, 2)), "0999-01-02");
  // Out of the usual widths, as printf writes them.
  EXPECT_EQ(FormatDate(DateTime::Date(12025, 1, 2)), "12025-01-02");
  EXPECT_EQ(FormatDateTime(DateTime{-1, 1, 2, 0, 0, 0}), "-001-01-02T00:00:00");
  EXPECT_EQ(FormatDateTime(DateTime{2025, 1, 2, 123, 0, 5}), "2025-01-02T123:00:05");
}

TEST(FormatNumber, TwoPlacesAlwaysWithAPointAndBothDecimals) {
  EXPECT_EQ(FormatNumber(1234.5, 2), "1234.50");
  EXPECT_EQ(FormatNumber(-1234.5, 2), "-1234.50");
  EXPECT_EQ(FormatNumber(0.0, 2), "0.00");
  EXPECT_EQ(FormatNumber(0.5, 2), "0.50");
  EXPECT_EQ(FormatNumber(1234567.891, 2), "1234567.89");  // no thousands separator
  EXPECT_EQ(FormatNumber(0.1 + 0.2, 2), "0.30");
  EXPECT_EQ(FormatNumber(1e15, 2), "1000000000000000.00");
  EXPECT_EQ(FormatNumber(1.5e20, 2), "150000000000000000000.00");
  EXPECT_EQ(FormatNumber(1e-20, 2), "0.00");
}

TEST(FormatNumber, RoundsTheDecimalFormHalfAwayFromZero) {
  // These halves are stored just below the half as doubles.
  EXPECT_EQ(FormatNumber(2.675, 2), "2.68");
  EXPECT_EQ(FormatNumber(1.005, 2), "1.01");
  EXPECT_EQ(FormatNumber(1.115, 2), "1.12");
  EXPECT_EQ(FormatNumber(0.125, 2), "0.13");
  EXPECT_EQ(FormatNumber(-2.675, 2), "-2.68");
  EXPECT_EQ(FormatNumber(-0.005, 2), "-0.01");
  EXPECT_EQ(FormatNumber(1.0049999, 2), "1.00");
  EXPECT_EQ(FormatNumber(0.0049, 2), "0.00");
  // Carries through every digit.
  EXPECT_EQ(FormatNumber(0.995, 2), "1.00");
  EXPECT_EQ(FormatNumber(9.995, 2), "10.00");
  EXPECT_EQ(FormatNumber(-99999.999, 2), "-100000.00");
}

TEST(FormatNumber, NeverWritesMinusZero) {
  EXPECT_EQ(FormatNumber(-0.0, 2), "0.00");
  EXPECT_EQ(FormatNumber(-0.001, 2), "0.00");
  EXPECT_EQ(FormatNumber(-1e-300, 2), "0.00");
  EXPECT_EQ(FormatNumber(-0.0, 0), "0");
}

TEST(FormatNumber, OtherPlaces) {
  EXPECT_EQ(FormatNumber(1.23456, 4), "1.2346");
  EXPECT_EQ(FormatNumber(0.5, 3), "0.500");
  EXPECT_EQ(FormatNumber(-0.05, 1), "-0.1");
  EXPECT_EQ(FormatNumber(23.0, 6), "23.000000");
}

TEST(FormatNumber, ZeroPlacesWritesThePlainText) {
  EXPECT_EQ(FormatNumber(3.0, 0), "3");
  EXPECT_EQ(FormatNumber(2.5, 0), "2.5");  // no rounding
  EXPECT_EQ(FormatNumber(0.1 + 0.2, 0), "0.3");
  EXPECT_EQ(FormatNumber(1.0 / 3.0, 0), "0.333333333333333");
  EXPECT_EQ(FormatNumber(1234567.1, 0), "1234567.1");
  EXPECT_EQ(FormatNumber(123456789012345.0, 0), "123456789012345");
  EXPECT_EQ(FormatNumber(1e15, 0), "1E+15");
  EXPECT_EQ(FormatNumber(-2.5e20, 0), "-2.5E+20");
  EXPECT_EQ(FormatNumber(0.0001, 0), "0.0001");
  EXPECT_EQ(FormatNumber(1e-5, 0), "1E-05");
}

TEST(FormatNumber, StoredValues) {
  EXPECT_EQ(FormatNumber(Value::Null(), 2), "0.00");
  EXPECT_EQ(FormatNumber(Value::Null(), 0), "0");
  EXPECT_EQ(FormatNumber(Value("1234.5000"), 2), "1234.50");
  EXPECT_EQ(FormatNumber(Value("2.675"), 2), "2.68");
  EXPECT_EQ(FormatNumber(Value("-0.004"), 2), "0.00");
  EXPECT_EQ(FormatNumber(Value("1e3"), 2), "1000.00");
  EXPECT_EQ(FormatNumber(Value("007"), 0), "7");
  EXPECT_EQ(FormatNumber(Value("-0"), 0), "0");
  EXPECT_EQ(FormatNumber(Value("123456789012345"), 0), "123456789012345");
}

TEST(FormatNumber, RejectsWhatIsNoNumber) {
  for (const char* text : {"abc", "", "12,5", "1.2.3", "--1", "nan", "inf"}) {
    try {
      FormatNumber(Value(text), 2);
      ADD_FAILURE() << "no error for \"" << text << "\"";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), Error::kData) << text;
    }
  }
  EXPECT_THROW(FormatNumber(Value("abc"), 0), Error);
  EXPECT_THROW(FormatNumber(std::nan(""), 2), Error);
  EXPECT_THROW(FormatNumber(INFINITY, 0), Error);
  EXPECT_THROW(FormatNumber(1.0, -1), Error);
}

TEST(FormatNumberWithSeparator, KeepsTheGivenSeparatorOnlyWithPlaces) {
  EXPECT_EQ(FormatNumberWithSeparator(1234.567, 2, ','), "1234,57");
  EXPECT_EQ(FormatNumberWithSeparator(-0.5, 2, ','), "-0,50");
  EXPECT_EQ(FormatNumberWithSeparator(2.5, 0, ','), "2.5");
}

TEST(RoundHalfAway, IsTheNumberFormataNumeroWrites) {
  EXPECT_EQ(RoundHalfAway(2.675, 2), 2.68);
  EXPECT_EQ(RoundHalfAway(-1.005, 2), -1.01);
  EXPECT_EQ(RoundHalfAway(0.125, 2), 0.13);
  EXPECT_EQ(RoundHalfAway(2.5, 0), 3.0);
  EXPECT_EQ(RoundHalfAway(-2.5, 0), -3.0);
  EXPECT_FALSE(std::signbit(RoundHalfAway(-0.001, 2)));

  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> amounts(-1e7, 1e7);
  for (int i = 0; i < 20000; ++i) {
    // Amounts of whole cents plus or minus a little noise, and any value.
    double cents = std::round(amounts(random)) / 100;
    double v = i % 2 ? cents + (i % 3 - 1) * 1e-9 : amounts(random);
    const std::string text = FormatNumber(v, 2);
    ASSERT_EQ(RoundHalfAway(v, 2), Parse(text)) << v;
    ASSERT_LE(std::fabs(Parse(text) - v), 0.005 + 1e-7) << v;
    std::string comma = FormatNumberWithSeparator(v, 2, ',');
    std::replace(comma.begin(), comma.end(), ',', '.');
    ASSERT_EQ(comma, text);
  }
}

TEST(RoundHalfEven, RoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(0.125, 2), 0.12);
  EXPECT_EQ(RoundHalfEven(0.135, 2), 0.14);
  EXPECT_EQ(RoundHalfEven(2.665, 2), 2.66);
  EXPECT_EQ(RoundHalfEven(2.675, 2), 2.68);
  EXPECT_EQ(RoundHalfEven(0.1251, 2), 0.13);  // past the half
  EXPECT_EQ(RoundHalfEven(2.5, 0), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5, 0), 4.0);
  EXPECT_EQ(RoundHalfEven(0.5, 0), 0.0);
  EXPECT_EQ(RoundHalfEven(-2.5, 0), -2.0);
  EXPECT_EQ(RoundHalfEven(-0.135, 2), -0.14);
  EXPECT_EQ(RoundHalfEven(9.995, 2), 10.0);
}

// round(sum(x), 2) as the server gives it: decimals exactly, halves away
// from zero; doubles added as doubles, then rint() of the cents.
TEST(RoundedSum, AsTheServerRoundsASum) {
  struct Case {
    bool exact;
    std::vector<const char*> values;
    std::optional<double> sum;
  };
  const Case cases[] = {
      {true, {"0.125", "0.000"}, 0.13}, {true, {"-1.005"}, -1.01},
      {true, {"0.1", "0.2"}, 0.3},      {true, {"150.004", "-0.001"}, 150.0},
      {true, {"12", "0.5"}, 12.5},      {false, {"0.125"}, 0.12},
      {false, {"1.005"}, 1.0},          {false, {"0.1", "0.2"}, 0.3},
      {true, {}, std::nullopt},         {false, {"1e2"}, 100.0},
  };
  for (const Case& c : cases) {
    RoundedSum sum(c.exact);
    sum.Add(Value::Null(), "x");
    for (const char* v : c.values) sum.Add(Value(v), "x");
    EXPECT_EQ(sum.Result(), c.sum) << c.exact << " " << (c.values.empty() ? "" : c.values[0]);
  }
  EXPECT_THROW(RoundedSum(true).Add(Value("abc"), "x"), Error);
}

TEST(RemoveCaracteresInvalidos, DropsControlCharactersOnly) {
  EXPECT_EQ(RemoveControlCharacters("linha 1\r\nlinha 2"), "linha 1linha 2");
  EXPECT_EQ(RemoveControlCharacters("a\tb"), "ab");
  EXPECT_EQ(RemoveControlCharacters(std::string("a\0b\x1f"
                                                "c",
                                                5)),
            "abc");
  EXPECT_EQ(RemoveControlCharacters("\u00e7\u00e3 \u20ac ~\x7f"), "\u00e7\u00e3 \u20ac ~\x7f");
  // Characters beyond the code page and stray bytes stay whole.
  EXPECT_EQ(RemoveControlCharacters("\u0142\U0001F600\xe9"), "\u0142\U0001F600\xe9");
  EXPECT_EQ(RemoveControlCharacters(""), "");
}

TEST(RemoveCaracteresInvalidos, TakesLongTexts) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "\u00e7\n";
  std::string expected;
  for (int i = 0; i < 20000; ++i) expected += "\u00e7";
  EXPECT_EQ(RemoveControlCharacters(text), expected);
}

TEST(AddElement, AddsACleanedElementEvenWhenEmpty) {
  XmlDocument doc;
  XmlNode root = doc.Root();
  root.SetTag("R");
  AddElement(root, "Vazio", "");
  AddElement(root, "Nome", "Ana\r\n & Rui\t");
  AddElement(root, "Controlo", "\x01\x02");
  EXPECT_EQ(doc.ToString(),
            "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
            "<R>\n"
            "  <Vazio/>\n"
            "  <Nome>Ana &amp; Rui</Nome>\n"
            "  <Controlo/>\n"
            "</R>\n");
}

}  // namespace
}  // namespace saftpt

#include <gtest/gtest.h>

#include "base/DateTime.h"

namespace saftpt {
namespace {

TEST(DateTime, ParsesDateAndDateTimeColumns) {
  auto d = DateTime::Parse("2024-02-29");
  ASSERT_TRUE(d);
  EXPECT_EQ(*d, DateTime::Date(2024, 2, 29));
  auto t = DateTime::Parse("2017-03-05 14:07:09");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->hour, 14);
  EXPECT_EQ(t->second, 9);
  EXPECT_TRUE(DateTime::Parse("2017-03-05 14:07:09.000000"));
}

TEST(DateTime, RejectsImpossibleDates) {
  EXPECT_FALSE(DateTime::Parse("0000-00-00"));
  EXPECT_FALSE(DateTime::Parse("2023-02-29"));
  EXPECT_FALSE(DateTime::Parse("2023-13-01"));
  EXPECT_FALSE(DateTime::Parse("2023-1-01"));
  EXPECT_FALSE(DateTime::Parse(""));
}

TEST(DateTime, DaysInMonth) {
  EXPECT_EQ(DateTime::Date(2024, 2, 1).DaysInMonth(), 29);
  EXPECT_EQ(DateTime::Date(2100, 2, 1).DaysInMonth(), 28);
  EXPECT_EQ(DateTime::Date(2026, 12, 1).DaysInMonth(), 31);
}

}  // namespace
}  // namespace saftpt

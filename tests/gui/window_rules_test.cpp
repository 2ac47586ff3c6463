#include <gtest/gtest.h>

#include "gui/ProgressBars.h"
#include "gui/WindowRules.h"

namespace saftpt::gui {
namespace {

TEST(DefaultPeriod, PreviousMonthAndItsYear) {
  PeriodoInicial march = PeriodoPorOmissao(DateTime::Date(2025, 3, 15));
  EXPECT_EQ(march.exercicio, 2025);
  EXPECT_EQ(march.inicio, DateTime::Date(2025, 2, 1));
  EXPECT_EQ(march.fim, DateTime::Date(2025, 2, 28));

  PeriodoInicial leap = PeriodoPorOmissao(DateTime::Date(2024, 3, 1));
  EXPECT_EQ(leap.fim, DateTime::Date(2024, 2, 29));

  // January: the previous year's December, and that year as fiscal year.
  PeriodoInicial january = PeriodoPorOmissao(DateTime::Date(2026, 1, 10));
  EXPECT_EQ(january.exercicio, 2025);
  EXPECT_EQ(january.inicio, DateTime::Date(2025, 12, 1));
  EXPECT_EQ(january.fim, DateTime::Date(2025, 12, 31));

  PeriodoInicial december = PeriodoPorOmissao(DateTime::Date(2024, 12, 31));
  EXPECT_EQ(december.inicio, DateTime::Date(2024, 11, 1));
  EXPECT_EQ(december.fim, DateTime::Date(2024, 11, 30));
}

TEST(FiscalYearCheck, LimitsAndNonNumbers) {
  int year = 0;
  EXPECT_FALSE(ExercicioValido("1990", year));
  EXPECT_FALSE(ExercicioValido("2040", year));
  EXPECT_TRUE(ExercicioValido("1991", year));
  EXPECT_EQ(year, 1991);
  EXPECT_TRUE(ExercicioValido("2039", year));
  EXPECT_EQ(year, 2039);
  EXPECT_TRUE(ExercicioValido(" 2024 ", year));
  EXPECT_EQ(year, 2024);
  year = 7;
  for (const char* bad : {"", " ", "abcd", "20a4", "2024.5", "-2024", "99999999999999999999"})
    EXPECT_FALSE(ExercicioValido(bad, year)) << bad;
  EXPECT_EQ(year, 7);  // untouched by a rejected text
}

TEST(RestrictionNumbers, WholeNumbersWithin32Bits) {
  long long v = -1;
  EXPECT_TRUE(NumeroInteiro("0", v));
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(NumeroInteiro(" 99999 ", v));
  EXPECT_EQ(v, 99999);
  EXPECT_TRUE(NumeroInteiro("2147483647", v));
  EXPECT_EQ(v, 2147483647);
  EXPECT_TRUE(NumeroInteiro("-2147483648", v));
  EXPECT_EQ(v, -2147483648LL);
  v = 5;
  for (const char* bad : {"", "12a", "1.5", "1e3", "2147483648", "-2147483649", "+", "1 2",
                          "99999999999999999999999"})
    EXPECT_FALSE(NumeroInteiro(bad, v)) << bad;
  EXPECT_EQ(v, 5);
}

TEST(CommandLine, OnlyExactlyRestricaoShowsTheButton) {
  EXPECT_TRUE(LeArgumentos({"/restricao"}).restricao);
  EXPECT_FALSE(LeArgumentos({}).restricao);
  EXPECT_FALSE(LeArgumentos({"/RESTRICAO"}).restricao);
  EXPECT_FALSE(LeArgumentos({"/restricao", "x"}).restricao);
  EXPECT_FALSE(LeArgumentos({"restricao"}).restricao);

  ArgumentosGui a = LeArgumentos({"--settings", "/tmp/a.ini", "/restricao"});
  EXPECT_EQ(a.settingsPath, "/tmp/a.ini");
  EXPECT_TRUE(a.restricao);
  EXPECT_EQ(LeArgumentos({"--settings=/x/lexora.ini"}).settingsPath, "/x/lexora.ini");
  EXPECT_FALSE(LeArgumentos({"--settings"}).erro.empty());
}

TEST(ProgressWidth, ShareOfTheTotalClipped) {
  EXPECT_EQ(ProgressBars::Largura(3, 0), 0);  // no total
  EXPECT_EQ(ProgressBars::Largura(0, 6), 0);
  EXPECT_EQ(ProgressBars::Largura(3, 6), ProgressBars::kEscala / 2);
  EXPECT_EQ(ProgressBars::Largura(6, 6), ProgressBars::kEscala);
  EXPECT_EQ(ProgressBars::Largura(7, 6), ProgressBars::kEscala);  // a step past the total
  EXPECT_EQ(ProgressBars::Largura(1, 3000000000LL), 0);
}

}  // namespace
}  // namespace saftpt::gui

#include <gtest/gtest.h>

#include <utility>

#include "app/ExportFileNames.h"
#include "audit/TaxSummary.h"
#include "gui/ProgressBars.h"
#include "gui/WindowRules.h"

namespace saftpt::gui {
namespace {

TEST(DefaultPeriod, PreviousMonthAndItsYear) {
  // January: the previous year's December, and that year as fiscal year.
  const struct {
    DateTime today;
    int exercicio;
    DateTime inicio, fim;
  } cases[] = {
      {DateTime::Date(2025, 3, 15), 2025, DateTime::Date(2025, 2, 1), DateTime::Date(2025, 2, 28)},
      {DateTime::Date(2024, 3, 1), 2024, DateTime::Date(2024, 2, 1), DateTime::Date(2024, 2, 29)},
      {DateTime::Date(2026, 1, 10), 2025, DateTime::Date(2025, 12, 1),
       DateTime::Date(2025, 12, 31)},
      {DateTime::Date(2024, 12, 31), 2024, DateTime::Date(2024, 11, 1),
       DateTime::Date(2024, 11, 30)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.today.day);
    PeriodoInicial p = DefaultExportPeriod(c.today);
    EXPECT_EQ(p.exercicio, c.exercicio);
    EXPECT_EQ(p.inicio, c.inicio);
    EXPECT_EQ(p.fim, c.fim);
  }
}

TEST(ExportFileNames, MonthYearOrDaysAndTheCsvBeside) {
  const struct {
    DateTime inicio, fim;
    const char* name;
  } cases[] = {
      {DateTime::Date(2026, 11, 1), DateTime::Date(2026, 11, 30), "SAFT-PT 501234560 2026-11.xml"},
      {DateTime::Date(2024, 2, 1), DateTime::Date(2024, 2, 29), "SAFT-PT 501234560 2024-02.xml"},
      {DateTime::Date(2025, 1, 1), DateTime::Date(2025, 12, 31), "SAFT-PT 501234560 2025.xml"},
      {DateTime::Date(2024, 2, 1), DateTime::Date(2024, 2, 28),
       "SAFT-PT 501234560 2024-02-01 a 2024-02-28.xml"},
      {DateTime::Date(2025, 1, 1), DateTime::Date(2025, 2, 28),
       "SAFT-PT 501234560 2025-01-01 a 2025-02-28.xml"},
      {DateTime::Date(2024, 1, 1), DateTime::Date(2025, 12, 31),
       "SAFT-PT 501234560 2024-01-01 a 2025-12-31.xml"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProposedSaftFileName("501234560", c.inicio, c.fim), c.name);
  EXPECT_EQ(ProposedSaftFileName("PT/50", cases[0].inicio, cases[0].fim),
            "SAFT-PT PT50 2026-11.xml");
  EXPECT_EQ(ResumoIvaCsvPath("/a/b.c/SAFT-PT 501234560 2026-11.xml"),
            "/a/b.c/SAFT-PT 501234560 2026-11-resumo-iva.csv");
  EXPECT_EQ(ResumoIvaCsvPath("saft"), "saft-resumo-iva.csv");
}

TEST(ExportFileNames, AmountsInPortugueseForm) {
  const std::pair<long long, const char*> cases[] = {
      {1743677, "17 436,77"},        {5, "0,05"},      {-50, "-0,50"}, {100000, "1 000,00"},
      {-123456789, "-1 234 567,89"}, {99999, "999,99"}};
  for (const auto& [centimos, text] : cases) EXPECT_EQ(EurosPortugues(centimos), text);
  EXPECT_EQ(EurosPortugues(-123456789, false), "-1234567,89");
}

TEST(FiscalYearCheck, LimitsAndNonNumbers) {
  int year = 0;
  EXPECT_FALSE(ValidFiscalYear("1990", year));
  EXPECT_FALSE(ValidFiscalYear("2040", year));
  for (auto [text, value] : {std::pair{"1991", 1991}, {"2039", 2039}, {" 2024 ", 2024}}) {
    EXPECT_TRUE(ValidFiscalYear(text, year)) << text;
    EXPECT_EQ(year, value);
  }
  year = 7;
  for (const char* bad : {"", " ", "abcd", "20a4", "2024.5", "-2024", "99999999999999999999"})
    EXPECT_FALSE(ValidFiscalYear(bad, year)) << bad;
  EXPECT_EQ(year, 7);  // untouched by a rejected text
}

TEST(RestrictionNumbers, WholeNumbersWithin32Bits) {
  long long v = -1;
  for (auto [text, value] : {std::pair<const char*, long long>{"0", 0},
                             {" 99999 ", 99999},
                             {"2147483647", 2147483647},
                             {"-2147483648", -2147483648LL}}) {
    EXPECT_TRUE(ReadInt32(text, v)) << text;
    EXPECT_EQ(v, value);
  }
  v = 5;
  for (const char* bad : {"", "12a", "1.5", "1e3", "2147483648", "-2147483649", "+", "1 2",
                          "99999999999999999999999"})
    EXPECT_FALSE(ReadInt32(bad, v)) << bad;
  EXPECT_EQ(v, 5);
}

TEST(CommandLine, OnlyExactlyRestricaoShowsTheButton) {
  EXPECT_TRUE(ReadArguments({"/restricao"}).restricao);
  EXPECT_FALSE(ReadArguments({}).restricao);
  EXPECT_FALSE(ReadArguments({"/RESTRICAO"}).restricao);
  EXPECT_FALSE(ReadArguments({"/restricao", "x"}).restricao);
  EXPECT_FALSE(ReadArguments({"restricao"}).restricao);

  ArgumentosGui a = ReadArguments({"--settings", "/tmp/a.ini", "/restricao"});
  EXPECT_EQ(a.settingsPath, "/tmp/a.ini");
  EXPECT_TRUE(a.restricao);
  EXPECT_EQ(ReadArguments({"--settings=/x/lexora.ini"}).settingsPath, "/x/lexora.ini");
  EXPECT_TRUE(ReadArguments({"--settings"}).erro.has_value());
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

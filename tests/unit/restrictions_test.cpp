#include <gtest/gtest.h>

#include "base/Error.h"
#include "db/Database.h"
#include "saft/Restrictions.h"

namespace saftpt {
namespace {

RestricaoDocumento R(std::string tipo, std::string serie, long long de, long long ate) {
  return RestricaoDocumento{std::move(tipo), std::move(serie), de, ate};
}

TEST(Restrictions, NoRestrictionGivesAnEmptyClause) {
  Database db;
  EXPECT_EQ(RestricoesCondition({}, "documentos", db), "");
}

TEST(Restrictions, GroupsAreJoinedWithOrInsideOneParenthesis) {
  Database db;
  EXPECT_EQ(RestricoesCondition({R("F", "A", 1, 99999)}, "documentos", db),
            " (  ( documentos.Tipodoc='F' and documentos.Serie='A' and documentos.Numero>=1 and "
            "documentos.Numero<=99999 )  ) ");
  EXPECT_EQ(RestricoesCondition({R("F", "A", 1, 10), R("NC", "2024", 0, 5)}, "", db),
            " (  ( Tipodoc='F' and Serie='A' and Numero>=1 and Numero<=10 )  or  ( "
            "Tipodoc='NC' and Serie='2024' and Numero>=0 and Numero<=5 )  ) ");
}

TEST(Restrictions, TypedValuesCannotLeaveTheirQuotes) {
  Database db;
  std::string clause =
      RestricoesCondition({R("F' or '1'='1", "A\\", 3000000000LL, -1)}, "documentos", db);
  EXPECT_EQ(clause,
            " (  ( documentos.Tipodoc='F\\' or \\'1\\'=\\'1' and documentos.Serie='A\\\\' and "
            "documentos.Numero>=3000000000 and documentos.Numero<=-1 )  ) ");
}

TEST(Restrictions, ParsesTypeSeriesAndRange) {
  RestricaoDocumento r = ParseRestricao("FR:2024:1-99999");
  EXPECT_EQ(r.tipodoc, "FR");
  EXPECT_EQ(r.serie, "2024");
  EXPECT_EQ(r.numeroInicial, 1);
  EXPECT_EQ(r.numeroFinal, 99999);

  r = ParseRestricao("F:A:B: 7 - 9 ");  // a colon inside the series, blanks around numbers
  EXPECT_EQ(r.serie, "A:B");
  EXPECT_EQ(r.numeroInicial, 7);
  EXPECT_EQ(r.numeroFinal, 9);

  r = ParseRestricao("F:A:-5--1");  // signs are part of the numbers
  EXPECT_EQ(r.numeroInicial, -5);
  EXPECT_EQ(r.numeroFinal, -1);

  r = ParseRestricao("F:A:20-10");  // a first number above the last is accepted
  EXPECT_EQ(r.numeroInicial, 20);
}

std::string ParseError(const std::string& text) {
  try {
    ParseRestricao(text);
  } catch (const Error& e) {
    return e.Description();
  }
  return "(aceite)";
}

TEST(Restrictions, RejectsNumbersThatAreNotWhole) {
  EXPECT_EQ(ParseError("F:A:12a-20"), "Número Inicial Inválido");
  EXPECT_EQ(ParseError("F:A:-20"), "Número Final Inválido");  // "-20" is the first number
  EXPECT_EQ(ParseError("F:A:1.5-20"), "Número Inicial Inválido");
  EXPECT_EQ(ParseError("F:A:1-2x"), "Número Final Inválido");
  EXPECT_EQ(ParseError("F:A:5"), "Número Final Inválido");
  EXPECT_EQ(ParseError("F:A:1-99999999999999999999"), "Número Final Inválido");
  EXPECT_NE(ParseError("F-A-1-2").find("Restrição inválida"), std::string::npos);
}

}  // namespace
}  // namespace saftpt

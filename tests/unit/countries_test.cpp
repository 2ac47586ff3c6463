#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/Database.h"
#include "config/OfficeConfig.h"
#include "saft/clsSAFT.h"

namespace saftpt {
namespace {

// A builder with its country table, no database needed.
class CountriesTest : public ::testing::Test {
 protected:
  CountriesTest() : saft_(db_, office_, options_, progress_, resolver_) { saft_.Init_Paises(); }

  Database db_;
  ConfiguracaoEscritorio office_;
  ExportOptions options_;
  NoProgress progress_;
  CancelingResolver resolver_;
  clsSAFT saft_;
};

TEST_F(CountriesTest, TableHoldsBothBlocksInOrder) {
  ASSERT_EQ(saft_.Paises.size(), 516u);
  EXPECT_EQ(saft_.Paises.front(), "1;Andorra;AD");
  EXPECT_EQ(saft_.Paises[246], "247;Curaçau;CW");
  EXPECT_EQ(saft_.Paises[247], "1;Afghanistan;AF");
  EXPECT_EQ(saft_.Paises.back(), "269;Curaçau;CW");
  // Every row is number;name;code with a two-letter code, but one.
  int semCodigo = 0;
  for (const std::string& row : saft_.Paises) {
    size_t a = row.find(';');
    size_t b = row.rfind(';');
    ASSERT_NE(a, b) << row;
    std::string code = row.substr(b + 1);
    if (code.empty())
      ++semCodigo;
    else
      EXPECT_EQ(code.size(), 2u) << row;
  }
  EXPECT_EQ(semCodigo, 1);
}

TEST_F(CountriesTest, MatchesWholeNameIgnoringCase) {
  EXPECT_EQ(saft_.ProcuraPais("ESPANHA"), "ES");
  EXPECT_EQ(saft_.ProcuraPais("spain"), "ES");
  EXPECT_EQ(saft_.ProcuraPais("portugal"), "PT");
  EXPECT_EQ(saft_.ProcuraPais("Portugal"), "PT");
  EXPECT_EQ(saft_.ProcuraPais("Cote d'Ivoire (Ivory Coast)"), "CI");
  EXPECT_EQ(saft_.ProcuraPais("Grã-Bretanha (Reino Unido, UK)"), "GB");
}

TEST_F(CountriesTest, AccentedLettersAreUpperCasedToo) {
  EXPECT_EQ(saft_.ProcuraPais("SUÍÇA"), "CH");
  EXPECT_EQ(saft_.ProcuraPais("suíça"), "CH");
  EXPECT_EQ(saft_.ProcuraPais("ÁFRICA DO SUL"), "ZA");
  EXPECT_EQ(saft_.ProcuraPais("são tomé e príncipe"), "ST");
  // Accents are not dropped: the unaccented spelling is another name.
  EXPECT_EQ(saft_.ProcuraPais("Suica"), "");
}

TEST_F(CountriesTest, UsersSpellingsAreKept) {
  EXPECT_EQ(saft_.ProcuraPais("Kwait"), "KW");
  EXPECT_EQ(saft_.ProcuraPais("Kuwait"), "KW");
  EXPECT_EQ(saft_.ProcuraPais("Romênia"), "RO");
  EXPECT_EQ(saft_.ProcuraPais("Saint Vincente e Granadinas"), "VC");
  EXPECT_EQ(saft_.ProcuraPais("Curaçau"), "CW");
}

TEST_F(CountriesTest, TerritoriesCarryTheirOwnRowsCode) {
  EXPECT_EQ(saft_.ProcuraPais("Saint Martin"), "GP");
  EXPECT_EQ(saft_.ProcuraPais("São Martim"), "MF");
  EXPECT_EQ(saft_.ProcuraPais("Abkhazia"), "GE");
  EXPECT_EQ(saft_.ProcuraPais("Baker Island"), "UM");
  EXPECT_EQ(saft_.ProcuraPais("Ascension"), "AC");
  EXPECT_EQ(saft_.ProcuraPais("Tristan da Cunha"), "TA");
  EXPECT_EQ(saft_.ProcuraPais("Netherlands Antilles"), "AN");
  EXPECT_EQ(saft_.ProcuraPais("Antilhas Holandesas"), "AN");
}

TEST_F(CountriesTest, UnknownNamesGiveNothing) {
  EXPECT_EQ(saft_.ProcuraPais(" Portugal"), "");
  EXPECT_EQ(saft_.ProcuraPais("Portugal "), "");
  EXPECT_EQ(saft_.ProcuraPais("Portugall"), "");
  EXPECT_EQ(saft_.ProcuraPais(""), "");
  EXPECT_EQ(saft_.ProcuraPais("PT"), "");
  // A row without a code is as good as no row.
  EXPECT_EQ(saft_.ProcuraPais("British Sovereign Base Areas"), "");
}

TEST_F(CountriesTest, NoNameMapsToTwoCodes) {
  // The same name may appear in both blocks, always with the same code.
  for (const std::string& row : saft_.Paises) {
    size_t a = row.find(';');
    size_t b = row.rfind(';');
    std::string name = row.substr(a + 1, b - a - 1);
    std::string code = row.substr(b + 1);
    EXPECT_EQ(saft_.ProcuraPais(name), code) << name;
  }
}

}  // namespace
}  // namespace saftpt

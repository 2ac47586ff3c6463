#include <gtest/gtest.h>

#include <set>
#include <string>

#include "saft/Countries.h"

namespace saftpt {
namespace {

struct NameAndCode {
  const char* name;
  const char* code;  // "" for a name without one
};

// Every name gives its code.
void ExpectCodes(std::initializer_list<NameAndCode> rows) {
  for (const NameAndCode& r : rows) EXPECT_EQ(FindCountry(r.name), r.code) << r.name;
}

TEST(CountriesTest, TableHoldsBothBlocksInOrder) {
  ASSERT_EQ(CountryRows().size(), 516u);
  EXPECT_EQ(CountryRows().front(), "1;Andorra;AD");
  EXPECT_EQ(CountryRows()[246], "247;Curaçau;CW");
  EXPECT_EQ(CountryRows()[247], "1;Afghanistan;AF");
  EXPECT_EQ(CountryRows().back(), "269;Curaçau;CW");
  // Every row is number;name;code with a two-letter code, but one.
  int semCodigo = 0;
  for (const std::string& row : CountryRows()) {
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

TEST(CountriesTest, MatchesWholeNameIgnoringCase) {
  ExpectCodes({
      {"ESPANHA", "ES"},
      {"spain", "ES"},
      {"portugal", "PT"},
      {"Portugal", "PT"},
      {"Cote d'Ivoire (Ivory Coast)", "CI"},
      {"Grã-Bretanha (Reino Unido, UK)", "GB"},
  });
}

TEST(CountriesTest, AccentedLettersAreUpperCasedToo) {
  ExpectCodes({
      {"SUÍÇA", "CH"},
      {"suíça", "CH"},
      {"ÁFRICA DO SUL", "ZA"},
      {"são tomé e príncipe", "ST"},
      // Accents are not dropped: the unaccented spelling is another name.
      {"Suica", ""},
  });
}

TEST(CountriesTest, UsersSpellingsAreKept) {
  ExpectCodes({
      {"Kwait", "KW"},
      {"Kuwait", "KW"},
      {"Romênia", "RO"},
      {"Saint Vincente e Granadinas", "VC"},
      {"Curaçau", "CW"},
  });
}

TEST(CountriesTest, TerritoriesCarryTheirOwnRowsCode) {
  ExpectCodes({
      {"Saint Martin", "GP"},
      {"São Martim", "MF"},
      {"Abkhazia", "GE"},
      {"Baker Island", "UM"},
      {"Ascension", "AC"},
      {"Tristan da Cunha", "TA"},
      {"Netherlands Antilles", "AN"},
      {"Antilhas Holandesas", "AN"},
  });
}

TEST(CountriesTest, UnknownNamesGiveNothing) {
  ExpectCodes({
      {" Portugal", ""},
      {"Portugal ", ""},
      {"Portugall", ""},
      {"", ""},
      {"PT", ""},
      // A row without a code is as good as no row.
      {"British Sovereign Base Areas", ""},
  });
}

TEST(CountriesTest, NoNameMapsToTwoCodes) {
  // The same name may appear in both blocks, always with the same code.
  for (const std::string& row : CountryRows()) {
    size_t a = row.find(';');
    size_t b = row.rfind(';');
    std::string name = row.substr(a + 1, b - a - 1);
    std::string code = row.substr(b + 1);
    EXPECT_EQ(FindCountry(name), code) << name;
  }
}

}  // namespace
}  // namespace saftpt

#include <gtest/gtest.h>

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

TEST(CountriesTest, BothBlocksFromFirstToLastRow) {
  ExpectCodes({
      {"Andorra", "AD"},
      {"Afeganistão", "AF"},
      {"Afghanistan", "AF"},
      {"British Antarctic Territory", "AQ"},
      {"Curaçau", "CW"},
  });
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

}  // namespace
}  // namespace saftpt

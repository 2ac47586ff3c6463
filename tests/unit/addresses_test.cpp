#include <gtest/gtest.h>

#include <string>

#include "../FlatXml.h"
#include "config/OfficeConfig.h"
#include "db/Database.h"
#include "saft/Addresses.h"
#include "saft/TaxTable.h"
#include "xml/XmlDocument.h"

namespace saftpt {
namespace {

// The elements under the root, compacted.
std::string Corpo(XmlDocument& doc) {
  std::string xml = test::Flat(doc.ToString());
  size_t a = xml.find("<R>");
  size_t b = xml.rfind("</R>");
  if (a == std::string::npos || b == std::string::npos) return xml;
  return xml.substr(a + 3, b - a - 3);
}

struct TextAndResult {
  const char* text;
  const char* result;
};

// Every text gives its postal code.
void ExpectPostalCodes(std::initializer_list<TextAndResult> rows) {
  for (const TextAndResult& r : rows) EXPECT_EQ(ExtractPostalCode(r.text), r.result) << r.text;
}

class AddressesTest : public ::testing::Test {
 protected:
  AddressesTest() {
    doc_.SetEncoding("Windows-1252");
    root_ = doc_.Root();
    root_.SetTag("R");
  }

  ConfiguracaoEscritorio office_;
  XmlDocument doc_;
  XmlNode root_;
};

TEST(ExtractPostalCode, KeepsDigitsAndTheFirstHyphen) {
  ExpectPostalCodes({
      {"1000-001 Lisboa", "1000-001"},
      {"1000 - 001", "1000-001"},
      {"P-1000-001", "-1000001"},
      {"4700-123-45", "4700-123"},
  });
}

TEST(ExtractPostalCode, AddsTheMissingSuffix) {
  ExpectPostalCodes({
      {"4700 Braga", "4700-000"},
      {"1234567", "1234567-"},
      {"12345678901", "12345678"},
  });
}

TEST(ExtractPostalCode, NothingUsableGivesZeros) {
  ExpectPostalCodes({
      {"", "0000-000"},
      {"   ", "0000-000"},
      {"Lisboa", "0000-000"},
      // Accented letters are multi-byte: none of their bytes is a digit.
      {"Évora ç ½ ²", "0000-000"},
      // A lone hyphen is kept, as the rule has it.
      {"-", "-"},
  });
}

TEST_F(AddressesTest, FiscalSpaceIsMatchedExactly) {
  EXPECT_EQ(FiscalRegion(office_), "PT");
  office_.espacoFiscal = "Açores";
  EXPECT_EQ(FiscalRegion(office_), "PT-AC");
  office_.espacoFiscal = "Madeira";
  EXPECT_EQ(FiscalRegion(office_), "PT-MA");
  for (const char* other : {"açores", "Acores", "AÇORES", "madeira", "Madeira ", "Continente"}) {
    office_.espacoFiscal = other;
    EXPECT_EQ(FiscalRegion(office_), "PT") << other;
  }
}

TEST_F(AddressesTest, CompanyAddressDefaults) {
  AddCompanyAddress(root_, "CompanyAddress", "", "", "", "", "", "", "");
  EXPECT_EQ(Corpo(doc_),
            "<CompanyAddress><BuildingNumber>0</BuildingNumber>"
            "<StreetName>Desconhecido</StreetName><AddressDetail/><City>Desconhecido</City>"
            "<PostalCode>0000-000</PostalCode><Region>Desconhecido</Region>"
            "<Country>PT</Country></CompanyAddress>");
}

TEST_F(AddressesTest, CompanyAddressCutsInCharacters) {
  const std::string rua = std::string(69, 'a') + "é";  // 70 characters, 71 bytes
  const std::string detalhe = "Praça " + std::string(60, 'b');
  AddCompanyAddress(root_, "CompanyAddress", "12A", rua, detalhe, std::string(55, 'c'),
                    "1000 - 001 Lisboa", "Região", "ES");
  EXPECT_EQ(Corpo(doc_), "<CompanyAddress><BuildingNumber>12A</BuildingNumber><StreetName>" +
                             std::string(50, 'a') +
                             "</StreetName><AddressDetail>Pra\xE7"
                             "a " +
                             std::string(54, 'b') + "</AddressDetail><City>" +
                             std::string(50, 'c') +
                             "</City><PostalCode>1000-001</PostalCode>"
                             "<Region>Regi\xE3o</Region><Country>ES</Country></CompanyAddress>");
}

TEST_F(AddressesTest, CustomerAddressDefaultsAndWholeValues) {
  AddCustomerAddress(root_, "BillingAddress", "", "", "", "", "FR");
  // A blank value is not empty: it is written as it stands.
  AddCustomerAddress(root_, "ShipToAddress", std::string(65, 'x'), std::string(70, 'y'),
                     "4700 Braga", " ", "");
  EXPECT_EQ(Corpo(doc_),
            "<BillingAddress><AddressDetail/><City>Desconhecido</City>"
            "<PostalCode>0000-000</PostalCode><Region>Desconhecido</Region>"
            "<Country>FR</Country></BillingAddress>"
            "<ShipToAddress><AddressDetail>" +
                std::string(60, 'x') + "</AddressDetail><City>" + std::string(70, 'y') +
                "</City><PostalCode>4700-000</PostalCode><Region> </Region>"
                "<Country>PT</Country></ShipToAddress>");
}

}  // namespace
}  // namespace saftpt

#include <gtest/gtest.h>

#include <string>

#include "config/Database.h"
#include "config/OfficeConfig.h"
#include "saft/clsSAFT.h"
#include "xml/XmlDocument.h"

namespace saftpt {
namespace {

// The document's text without the line breaks and indentation between
// elements (a blank text stays).
std::string Compacto(const std::string& xml) {
  std::string out;
  for (size_t i = 0; i < xml.size(); ++i) {
    if (xml[i] == '\n') {
      while (i + 1 < xml.size() && xml[i + 1] == ' ') ++i;
      continue;
    }
    out += xml[i];
  }
  return out;
}

// The elements under the root, compacted.
std::string Corpo(XmlDocument& doc) {
  std::string xml = Compacto(doc.ToString());
  size_t a = xml.find("<R>");
  size_t b = xml.rfind("</R>");
  if (a == std::string::npos || b == std::string::npos) return xml;
  return xml.substr(a + 3, b - a - 3);
}

class AddressesTest : public ::testing::Test {
 protected:
  AddressesTest() : saft_(db_, office_, options_, progress_, resolver_) {
    doc_.SetEncoding("Windows-1252");
    root_ = doc_.Root();
    root_.SetTag("R");
  }

  Database db_;
  ConfiguracaoEscritorio office_;
  ExportOptions options_;
  NoProgress progress_;
  CancelingResolver resolver_;
  clsSAFT saft_;
  XmlDocument doc_;
  XmlNode root_;
};

TEST(ExtractPostalCode, KeepsDigitsAndTheFirstHyphen) {
  EXPECT_EQ(clsSAFT::ExtractPostalCode("1000-001 Lisboa"), "1000-001");
  EXPECT_EQ(clsSAFT::ExtractPostalCode("1000 - 001"), "1000-001");
  EXPECT_EQ(clsSAFT::ExtractPostalCode("P-1000-001"), "-1000001");
  EXPECT_EQ(clsSAFT::ExtractPostalCode("4700-123-45"), "4700-123");
}

TEST(ExtractPostalCode, AddsTheMissingSuffix) {
  EXPECT_EQ(clsSAFT::ExtractPostalCode("4700 Braga"), "4700-000");
  EXPECT_EQ(clsSAFT::ExtractPostalCode("1234567"), "1234567-");
  EXPECT_EQ(clsSAFT::ExtractPostalCode("12345678901"), "12345678");
}

TEST(ExtractPostalCode, NothingUsableGivesZeros) {
  EXPECT_EQ(clsSAFT::ExtractPostalCode(""), "0000-000");
  EXPECT_EQ(clsSAFT::ExtractPostalCode("   "), "0000-000");
  EXPECT_EQ(clsSAFT::ExtractPostalCode("Lisboa"), "0000-000");
  // Accented letters are multi-byte: none of their bytes is a digit.
  EXPECT_EQ(clsSAFT::ExtractPostalCode("Évora ç ½ ²"), "0000-000");
  // A lone hyphen is kept, as the rule has it.
  EXPECT_EQ(clsSAFT::ExtractPostalCode("-"), "-");
}

TEST_F(AddressesTest, FiscalSpaceIsMatchedExactly) {
  EXPECT_EQ(saft_.getEspacoFiscal(), "PT");
  office_.espacofiscal = "Açores";
  EXPECT_EQ(saft_.getEspacoFiscal(), "PT-AC");
  office_.espacofiscal = "Madeira";
  EXPECT_EQ(saft_.getEspacoFiscal(), "PT-MA");
  for (const char* other : {"açores", "Acores", "AÇORES", "madeira", "Madeira ", "Continente"}) {
    office_.espacofiscal = other;
    EXPECT_EQ(saft_.getEspacoFiscal(), "PT") << other;
  }
}

TEST_F(AddressesTest, CompanyAddressDefaults) {
  saft_.AddEndereco(root_, "CompanyAddress", "", "", "", "", "", "", "");
  EXPECT_EQ(Corpo(doc_),
            "<CompanyAddress><BuildingNumber>0</BuildingNumber>"
            "<StreetName>Desconhecido</StreetName><AddressDetail/><City>Desconhecido</City>"
            "<PostalCode>0000-000</PostalCode><Region>Desconhecido</Region>"
            "<Country>PT</Country></CompanyAddress>");
}

TEST_F(AddressesTest, CompanyAddressCutsInCharacters) {
  const std::string rua = std::string(69, 'a') + "é";  // 70 characters, 71 bytes
  const std::string detalhe = "Praça " + std::string(60, 'b');
  saft_.AddEndereco(root_, "CompanyAddress", "12A", rua, detalhe, std::string(55, 'c'),
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
  saft_.AddEnderecoCliente(root_, "BillingAddress", "", "", "", "", "FR");
  // A blank value is not empty: it is written as it stands.
  saft_.AddEnderecoCliente(root_, "ShipToAddress", std::string(65, 'x'), std::string(70, 'y'),
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

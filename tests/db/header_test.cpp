#include <gtest/gtest.h>

#include <string>

#include "BuildInfo.h"
#include "MasterFixture.h"
#include "config/Error.h"

namespace saftpt::test {

namespace {

class HeaderTest : public MasterTest {
 protected:
  // The producer's number and certificate are the build's: the golden files
  // hold placeholders for them.
  static std::string SemConstantes(std::string xml) {
    auto troca = [&xml](const std::string& tag, const std::string& valor) {
      const std::string de = "<" + tag + ">" + valor + "<";
      size_t pos = xml.find(de);
      if (pos != std::string::npos) xml.replace(pos, de.size(), "<" + tag + ">@BUILD@<");
    };
    troca("ProductCompanyTaxID", SAFTPT_PRODUCT_COMPANY_TAX_ID);
    troca("SoftwareCertificateNumber", SAFTPT_SOFTWARE_CERTIFICATE_NUMBER);
    return xml;
  }

  HeaderTest() {
    office_.nome = std::string(58, 'N') + "çã Advogados";  // 70 characters
    office_.NumContribuinte = " 501 234 567 ";
    office_.morada = "Avenida da Liberdade, 100 - 3.º Esq.";
    office_.Localidade = "Lisboa";
    office_.Codpostal = "1250-146 Lisboa";
  }
};

TEST_F(HeaderTest, CurrentVersionWithComment) {
  options_.comment = "Exportação de Janeiro & correções";
  std::string nif;
  ExpectGolden(SemConstantes(Section([&](clsSAFT& s, XmlNode r) {
                 s.AddHeader(r);
                 nif = s.NIF;
               })),
               "header_v4.xml");
  EXPECT_EQ(nif, "501234567");
  EXPECT_EQ(progress_.log.str(), "M 1 Header\n");
}

TEST_F(HeaderTest, OlderVersionWithoutComment) {
  options_.versao = 3;
  options_.fiscalYear = "2017";
  options_.start = DateTime::Date(2017, 3, 1);
  options_.end = DateTime::Date(2017, 3, 31);
  options_.today = DateTime{2017, 4, 5, 23, 59, 59};
  office_.morada = "";
  office_.Localidade = "";
  office_.Codpostal = "";
  ExpectGolden(SemConstantes(Section([](clsSAFT& s, XmlNode r) { s.AddHeader(r); })),
               "header_v3.xml");
}

}  // namespace
}  // namespace saftpt::test

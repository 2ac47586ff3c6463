#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "BuildInfo.h"
#include "MasterFixture.h"
#include "base/Error.h"
#include "saft/AuditFileBuilder.h"
#include "saft/Header.h"

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
    office_.numContribuinte = " 501 234 567 ";
    office_.morada = "Avenida da Liberdade, 100 - 3.º Esq.";
    office_.localidade = "Lisboa";
    office_.codPostal = "1250-146 Lisboa";
  }
};

TEST_F(HeaderTest, CurrentVersionWithComment) {
  options_.comment = "Exportação de Janeiro & correções";
  std::string nif;
  ExpectGolden(SemConstantes(Section([&](RunContext& c, XmlNode r) {
                 WriteHeader(c, r);
                 nif = c.summary.nif;
               })),
               "header_v4.xml");
  EXPECT_EQ(nif, "501234567");
  EXPECT_EQ(progress_.log.str(), "M 1 Header\n");
}

TEST_F(HeaderTest, OlderVersionWithoutComment) {
  options_.schema = SchemaVersion::kV103;
  options_.fiscalYear = "2017";
  options_.start = DateTime::Date(2017, 3, 1);
  options_.end = DateTime::Date(2017, 3, 31);
  options_.today = DateTime{2017, 4, 5, 23, 59, 59};
  office_.morada = "";
  office_.localidade = "";
  office_.codPostal = "";
  ExpectGolden(SemConstantes(Section(WriteHeader)), "header_v3.xml");
}

// The whole file: built over a small office, saved into a folder of
// the test's own.
class AuditFileTest : public MasterTest {
 protected:
  void SetUp() override {
    MasterTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() /
              ("saftpt-master-" + std::to_string(getpid()) + "-" + name_);
    std::filesystem::create_directories(folder_);
    options_.outputPath = (folder_ / "saft.xml").string();
    Exec(
        "INSERT INTO configescritorio (ID, nome, NumContribuinte, EspacoFiscal, Iva, "
        "ClienteIndiferenciado, OC, OC1, IvaCaixa) VALUES (1, 'Teste', '501234567', '', 23, "
        "'CF9', 0, 0, 0);"
        "INSERT INTO clientes (CodCliente, NContribuinte, Nome, Pais) VALUES "
        "('C1', '123456789', 'Cliente', 'Portugal');"
        "INSERT INTO iva (nome) VALUES ('23');"
        "INSERT INTO tipoisencaoiva (Nome, CodMencao) VALUES ('Isento Artigo 9.º do CIVA', "
        "'M07');");
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
    MasterTest::TearDown();
  }

  // Builds and saves the file; returns its text.
  std::string Export() {
    builder_ = std::make_unique<AuditFileBuilder>(db_, office_, options_, progress_, resolver_);
    builder_->Build();
    builder_->Save();
    std::ifstream in(options_.outputPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder_),
                                             std::filesystem::directory_iterator()));
  }

  std::filesystem::path folder_;
  std::unique_ptr<AuditFileBuilder> builder_;
};

TEST_F(AuditFileTest, SectionsInOrderWithTheVersionsNamespace) {
  const std::string xml = Flat(Export());
  const std::string ns = "urn:OECD:StandardAuditFile-Tax:PT_1.04_01";
  EXPECT_NE(xml.find("<AuditFile xmlns=\"" + ns +
                     "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
                     "<Header xmlns=\"" +
                     ns + "\"><AuditFileVersion>1.04_01<"),
            std::string::npos)
      << xml;
  EXPECT_TRUE(InOrder(
      xml,
      {"</Header><MasterFiles xmlns=\"" + ns + "\"><Product>", "</Product><TaxTable>",
       "</TaxTable></MasterFiles><SourceDocuments><SalesInvoices>",
       "</SalesInvoices><WorkingDocuments>", "</WorkingDocuments></SourceDocuments></AuditFile>"}));
  EXPECT_EQ(xml.find("<Payments>"), std::string::npos);
  EXPECT_EQ(FilesInFolder(), 1u);

  EXPECT_EQ(builder_->Context().settings.clienteIndiferenciado, "CF9");
  EXPECT_FALSE(builder_->Context().settings.orcamentosAssinados);
  EXPECT_EQ(builder_->Summary().nif, "501234567");
  EXPECT_EQ(progress_.log.str().rfind(
                "I 6\nM 1 Header\nM 2 Customers\nID 0\nM 5 \nM 3 TaxTable\nM 4 TaxTableIS\n", 0),
            0u)
      << progress_.log.str();
}

TEST_F(AuditFileTest, OlderVersionNamespaceButNotOnSourceDocuments) {
  options_.schema = SchemaVersion::kV103;
  const std::string xml = Flat(Export());
  const std::string ns = "urn:OECD:StandardAuditFile-Tax:PT_1.03_01";
  EXPECT_NE(xml.find("<AuditFile xmlns=\"" + ns + "\""), std::string::npos);
  EXPECT_NE(xml.find("<Header xmlns=\"" + ns + "\"><AuditFileVersion>1.03_01<"), std::string::npos);
  EXPECT_NE(xml.find("<MasterFiles xmlns=\"" + ns + "\">"), std::string::npos);
  EXPECT_NE(xml.find("<SourceDocuments><SalesInvoices>"), std::string::npos);
  EXPECT_EQ(xml.find("1.04_01"), std::string::npos);
}

TEST_F(AuditFileTest, QuotationsAreSignedOnlyWhenTheOfficeSaysSo) {
  Exec("UPDATE configescritorio SET OC1=1");
  Export();
  EXPECT_TRUE(builder_->Context().settings.orcamentosAssinados);
  // Databases from before the switch have no such column.
  Exec("ALTER TABLE configescritorio DROP COLUMN OC1");
  Export();
  EXPECT_FALSE(builder_->Context().settings.orcamentosAssinados);
}

TEST_F(AuditFileTest, PaymentsWhenAskedOrOnCashBasisVat) {
  options_.receipts = true;
  EXPECT_NE(Export().find("<Payments>"), std::string::npos);
  options_.receipts = false;
  Exec("UPDATE configescritorio SET IvaCaixa=1");
  EXPECT_NE(Export().find("<Payments>"), std::string::npos);
}

TEST_F(AuditFileTest, FailedBuildLeavesTheExistingFileAlone) {
  std::ofstream(options_.outputPath) << "anterior";
  Exec(
      "UPDATE clientes SET Pais='Portugall';"
      "INSERT INTO documentos (tipodoc, serie, numero, Data, CodCliente) VALUES "
      "('F', 'A', 1, '2024-01-10', 'C1');");
  builder_ = std::make_unique<AuditFileBuilder>(db_, office_, options_, progress_, resolver_);
  EXPECT_THROW(builder_->Build(), Error);
  builder_.reset();
  std::ifstream in(options_.outputPath);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "anterior");
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(AuditFileTest, AtcudIsZeroBeforeItsStartAndRequiredAfter) {
  Exec(
      "INSERT INTO documentos (tipodoc, serie, numero, Data, CodCliente, ATCUD) VALUES "
      "('OR', 'A', 1, '2023-01-10', 'C1', NULL);");
  options_.start = DateTime::Date(2023, 1, 1);
  options_.end = DateTime::Date(2023, 1, 31);
  options_.today = DateTime::Date(2023, 1, 31);
  EXPECT_NE(Flat(Export()).find("<DocumentNumber>OR A/1</DocumentNumber><ATCUD>0</ATCUD>"),
            std::string::npos);
  options_.today = DateTime::Date(2023, 2, 1);
  try {
    Export();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kData);
    EXPECT_NE(e.Description().find("ATCUD em falta"), std::string::npos) << e.Description();
  }
  Exec("UPDATE documentos SET ATCUD=' '");
  EXPECT_THROW(Export(), Error);
  Exec("UPDATE documentos SET ATCUD='ABCD1234-1'");
  EXPECT_NE(Export().find("<ATCUD>ABCD1234-1</ATCUD>"), std::string::npos);
}

}  // namespace
}  // namespace saftpt::test

#include <gtest/gtest.h>

#include "DocsFixture.h"

namespace saftpt::test {
namespace {

class WorkingDocumentsTest : public DocsTest {};

TEST_F(WorkingDocumentsTest, Golden) {
  // A quotation of 100.00 with 10.00 discount; its lines: a fee with stamp
  // duty, an exempt line without stored code, a discounted line without
  // quantity and a negative line (a debit).
  Insert(Doc{.id = 1,
             .tipo = "OR",
             .liquido = 100,
             .iva = 18.4,
             .total = 93.4,
             .desconto = 10,
             .extra = ", ValorSelo=5, DataEdicao='2024-01-15 18:02:03'"});
  Insert(Line{.doc = 1, .liquido = 80, .desconto = 10, .extra = ", CodigoSelo='IS1', ValorSelo=5"});
  Insert(Line{.doc = 1,
              .liquido = 25,
              .taxa = 0,
              .referencia = "'DESP'",
              .preco = 25,
              .isencao = "'Isento Artigo 9.º do CIVA'",
              .extra = ", CodigoSelo='IS4'"});
  Insert(
      Line{.doc = 1, .liquido = 0, .referencia = "NULL", .quant = 0, .preco = 50, .desconto = 5});
  Insert(Line{.doc = 1, .liquido = -5, .referencia = "'XPTO'", .descricao = "NULL", .preco = -5});
  // A cancelled quotation of the walk-in customer.
  Insert(Doc{.id = 2,
             .tipo = "OR",
             .numero = 2,
             .data = "2024-01-31",
             .cliente = "'0'",
             .liquido = 300,
             .iva = 69,
             .total = 369,
             .anulado = "1"});
  Insert(Line{.doc = 2, .liquido = 300, .preco = 300});
  // Not quotations, or not of the period.
  Insert(Doc{.id = 3, .tipo = "F", .numero = 1});
  Insert(Doc{.id = 4, .tipo = "OR", .numero = 3, .data = "2024-02-01"});
  Insert(Doc{.id = 5, .tipo = "OR", .serie = "tmp", .numero = 3});

  Working();
  ExpectGolden("working_documents.xml");
  EXPECT_EQ(ctx_->summary.quotations.entries, 2);
  EXPECT_DOUBLE_EQ(ctx_->summary.quotations.credit, 105);
  EXPECT_DOUBLE_EQ(ctx_->summary.quotations.debit, 5);
  EXPECT_EQ(progress_.log.str(), "M 7 WorkingDocuments\nID 2\nD 2\nD 3\n");
}

// The schema allows a single tax per line: a line with stamp duty carries its
// VAT only, and the duty stays in the document's TaxPayable.
TEST_F(WorkingDocumentsTest, StampDutyLinesCarryOneTax) {
  Insert(Doc{
      .id = 1, .tipo = "OR", .liquido = 100, .iva = 23, .total = 128, .extra = ", ValorSelo=5"});
  Insert(Line{.doc = 1, .liquido = 100, .extra = ", CodigoSelo='IS1', ValorSelo=5"});
  Insert(Line{.doc = 1,
              .liquido = 50,
              .taxa = 0,
              .isencao = "'Isento Artigo 9.º do CIVA'",
              .extra = ", CodigoSelo='IS4', ValorSelo=2"});
  for (SchemaVersion schema : {SchemaVersion::kV104, SchemaVersion::kV103}) {
    options_.schema = schema;
    std::string xml = Flat(Working());
    EXPECT_EQ(Count(xml, "<Tax>"), 2u) << AuditFileVersion(schema);
    EXPECT_EQ(Count(xml, "<TaxType>IS</TaxType>"), 0u) << AuditFileVersion(schema);
    EXPECT_NE(xml.find("</Tax><SettlementAmount>0.00</SettlementAmount></Line>"),
              std::string::npos);
    EXPECT_EQ(Element(xml, "TaxPayable"), "28.00");
  }
}

TEST_F(WorkingDocumentsTest, EmptyPeriod) {
  EXPECT_EQ(Flat(Working()),
            "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><SourceDocuments><WorkingDocuments>"
            "<NumberOfEntries>0</NumberOfEntries><TotalDebit>0.00</TotalDebit><TotalCredit>0.00"
            "</TotalCredit></WorkingDocuments></SourceDocuments>");
}

// The total was once held in single precision and lost cents past 100,000.
TEST_F(WorkingDocumentsTest, TotalsKeepTheCentsOfLargeAmounts) {
  Insert(Doc{.id = 1, .tipo = "OR", .numero = 1, .liquido = 100000});
  Insert(Line{.doc = 1, .liquido = 100000});
  for (int i = 2; i <= 8; ++i) {
    Insert(Doc{.id = i, .tipo = "OR", .numero = i, .liquido = 0.01, .total = 0.01});
    Insert(Line{.doc = i, .liquido = 0.01});
  }
  std::string xml = Working();
  EXPECT_EQ(Element(xml, "NumberOfEntries"), "8");
  EXPECT_EQ(Element(xml, "TotalCredit"), "100000.07");
  EXPECT_NEAR(ctx_->summary.quotations.credit, 100000.07, 1e-9);
}

TEST_F(WorkingDocumentsTest, SignedQuotationsAndVersion103) {
  Insert(Doc{.id = 1, .tipo = "OR", .extra = ", ATCUD='ATC-X'"});
  Insert(Line{.doc = 1,
              .liquido = 100,
              .taxa = 0,
              .referencia = "'REF-COM-UM-NOME-BASTANTE-COMPRIDO-40'",
              .isencao = "'Isento Artigo 9.º do CIVA'",
              .codmencao = "'M07'"});
  Insert(Doc{.id = 2, .tipo = "OR", .numero = 2, .extra = ", Assinatura=NULL"});

  Exec("UPDATE configescritorio SET OC1=1");
  std::string xml = Flat(Working());
  EXPECT_NE(xml.find("<Hash>sig1</Hash><HashControl>1</HashControl>"), std::string::npos);
  EXPECT_NE(xml.find("<Hash>0</Hash><HashControl>0</HashControl>"), std::string::npos);
  EXPECT_NE(xml.find("<TaxExemptionCode>M07</TaxExemptionCode>"), std::string::npos);
  // The code is cut as the product table cuts it, so the line finds its product.
  EXPECT_NE(xml.find("<ProductCode>REF-COM-UM-NOME-BASTANTE-COMPRIDO-40</ProductCode>"
                     "<ProductDescription>Longa</ProductDescription>"),
            std::string::npos);

  options_.schema = SchemaVersion::kV103;
  Exec("UPDATE configescritorio SET OC1=0");
  xml = Flat(Working());
  EXPECT_EQ(Count(xml, "<Hash>0</Hash><HashControl>0</HashControl>"), 2u);
  EXPECT_NE(xml.find("<ATCUD>ATC-X</ATCUD>"), std::string::npos);  // both versions
  EXPECT_NE(xml.find("<TaxExemptionReason>Isento Artigo 9.º do CIVA</TaxExemptionReason>"
                     "<SettlementAmount>"),
            std::string::npos);
  EXPECT_EQ(Count(xml, "<TaxExemptionCode>"), 0u);
  EXPECT_NE(xml.find("<ProductCode>REF-COM-UM-NOME-BASTANTE-COMPR</ProductCode>"
                     "<ProductDescription>Longa</ProductDescription>"),
            std::string::npos);
}

TEST_F(WorkingDocumentsTest, RestrictionsAndSchemaKinds) {
  UseKind(SchemaKind{true, true, true, true});
  Insert(Doc{.id = 1, .tipo = "OR", .numero = 1, .liquido = 10.1});
  Insert(Line{.doc = 1, .liquido = 10.1, .descricao = "'Parecer jurídico — «urgente»'"});
  Insert(Doc{.id = 2, .tipo = "OR", .numero = 2, .liquido = 20.2});
  Insert(Line{.doc = 2, .liquido = 20.2});
  Insert(Doc{.id = 3, .tipo = "OR", .serie = "C", .numero = 1, .liquido = 30.3});
  Insert(Line{.doc = 3, .liquido = 30.3});
  options_.restrictions = {{"OR", "A", 2, 2}, {"OR", "C", 0, 9}};
  std::string xml = Working();
  EXPECT_EQ(Element(xml, "NumberOfEntries"), "2");
  EXPECT_EQ(Element(xml, "TotalCredit"), "50.50");
  EXPECT_EQ(Count(xml, "<DocumentNumber>OR A/1</DocumentNumber>"), 0u);

  options_.restrictions = {};
  xml = Working();
  EXPECT_EQ(Element(xml, "TotalCredit"), "60.60");
  EXPECT_EQ(Element(xml, "Description"), "Parecer jurídico — «urgente»");
  // Characters outside Windows-1252 become references, the others stay bytes.
  EXPECT_NE(raw_.find("Parecer jur\xED"
                      "dico \x97 \xABurgente\xBB"),
            std::string::npos);
}

}  // namespace
}  // namespace saftpt::test

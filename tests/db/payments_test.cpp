#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "DocsFixture.h"
#include "saft/AuditFileBuilder.h"
#include "saft/ValueFormat.h"

namespace saftpt::test {
namespace {

class PaymentsTest : public DocsTest {
 protected:
  // A receipt line settling document `paid` with `amount` (net `net`).
  void Pays(int receipt, int paid, const std::string& tipo, int numero, double amount, double net) {
    Insert(Line{.doc = receipt,
                .liquido = net,
                .taxa = 0,
                .referencia = "NULL",
                .extra = ", IDDocP=" + std::to_string(paid) + ", TipoDocP='" + tipo +
                         "', SerieP='A', NumeroP=" + std::to_string(numero) +
                         ", ValorTotal=" + std::to_string(amount)});
  }

  // Invoices, a credit note and an "FA"; receipts paying them in full, in
  // half, at 99.5 %, deducting the credit note; a cancelled receipt; a
  // receipt of a cash-VAT series with withholding.
  void LoadDocuments() {
    Insert(
        Doc{.id = 1, .numero = 1, .data = "2023-12-20", .liquido = 100, .iva = 23, .total = 123});
    Insert(Line{.doc = 1, .liquido = 100});
    Insert(Doc{.id = 2, .numero = 2, .liquido = 290, .iva = 32.7, .total = 322.7, .desconto = 10});
    Insert(Line{.doc = 2, .liquido = 90, .desconto = 10});
    Insert(Line{.doc = 2, .liquido = 200, .taxa = 6});
    Insert(Line{.doc = 2, .liquido = 0, .taxa = 13});  // takes no part
    Insert(Doc{.id = 3, .numero = 3, .liquido = 200, .iva = 46, .total = 246});
    Insert(Line{.doc = 3, .liquido = 200});
    Insert(Doc{.id = 4, .tipo = "NC", .numero = 1, .liquido = -50, .iva = -11.5, .total = -61.5});
    Insert(Line{.doc = 4, .liquido = -50});
    Insert(Doc{.id = 5, .tipo = "FA", .numero = 7, .liquido = 60, .iva = 0, .total = 60});
    Insert(Isenta(5, 60));

    Insert(Doc{.id = 10,
               .tipo = "R",
               .numero = 1,
               .data = "2024-01-20",
               .liquido = 161.35,
               .iva = 0,
               .total = 222.85,
               .extra = ", ModoPag='Transferência bancária'"});
    Pays(10, 1, "F", 1, 123, 100);
    Pays(10, 2, "F", 2, 161.35, 140);
    Pays(10, 4, "NC", 1, -61.5, -50);
    Insert(Doc{.id = 11,
               .tipo = "R",
               .numero = 2,
               .data = "2024-01-21",
               .cliente = "'0'",
               .liquido = 259,
               .iva = 0,
               .total = 304.77,
               .extra = ", ModoPag='cheque'"});
    Pays(11, 3, "F", 3, 244.77, 199);
    Pays(11, 5, "FA", 7, 60, 60);
    Insert(Doc{.id = 12,
               .tipo = "R",
               .numero = 3,
               .data = "2024-01-22",
               .liquido = 100,
               .iva = 0,
               .total = 123,
               .anulado = "1",
               .extra = ", Motivo=REPEAT('Recibo emitido em duplicado. ', 3)"});
    Pays(12, 1, "F", 1, 123, 100);
    // An invoice with withholding: its total is what the customer pays.
    Insert(Doc{.id = 6, .numero = 4, .liquido = 200, .iva = 46, .total = 221, .retencao = 25});
    Insert(Line{.doc = 6, .liquido = 200});
    Insert(Doc{.id = 13,
               .tipo = "R",
               .serie = "C",
               .numero = 1,
               .data = "2024-01-31",
               .cliente = "'0003'",
               .liquido = 200,
               .iva = 0,
               .total = 221,
               .retencao = 25,
               .extra = ", ModoPag='DINHEIRO'"});
    Pays(13, 6, "F", 4, 221, 200);
    Exec("UPDATE documentoslinhas SET ValorRetencao=25, TipoRetencao='IRS' WHERE IDDoc=13");
    // Outside the period, temporary, or without customer.
    Insert(Doc{.id = 14, .tipo = "R", .numero = 4, .data = "2024-02-01"});
    Insert(Doc{.id = 15, .tipo = "R", .serie = "tmp", .numero = 1});
    Insert(Doc{.id = 16, .tipo = "R", .numero = 5, .cliente = "''"});
  }
};

TEST_F(PaymentsTest, Golden) {
  LoadDocuments();
  Payments();
  ExpectGolden("payments.xml");
  EXPECT_EQ(ctx_->summary.receipts.entries, 4);
  // The lines written, without the cancelled receipt's.
  EXPECT_DOUBLE_EQ(ctx_->summary.receipts.credit, 100 + 45 + 100 + 200 + 200);
  EXPECT_DOUBLE_EQ(ctx_->summary.receipts.debit, 50 + 60);
}

TEST_F(PaymentsTest, TheFileHasTheSumsOfTheLinesOfActiveReceipts) {
  LoadDocuments();
  options_.receipts = true;
  options_.outputPath = ::testing::TempDir() + "/payments_gravar.xml";
  std::filesystem::remove(options_.outputPath);
  {
    AuditFileBuilder builder(db_, office_, options_, progress_, resolver_);
    builder.Build();
    builder.Save();
  }
  std::ifstream in(options_.outputPath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string xml = text.str();
  size_t payments = xml.find("<Payments>");
  ASSERT_NE(payments, std::string::npos);
  EXPECT_EQ(Element(xml, "NumberOfEntries", payments), "4");
  EXPECT_EQ(Element(xml, "TotalDebit", payments), "110.00");
  EXPECT_EQ(Element(xml, "TotalCredit", payments), "645.00");
  std::filesystem::remove(options_.outputPath);
}

TEST_F(PaymentsTest, PaymentMechanismsAndAmounts) {
  const char* modos[] = {"'transferência'", "'TRANSF'",   "'Cheque'",
                         "'cheque visado'", "'dinheiro'", "'Din'",
                         "'Multibanco'",    "''",         "NULL"};
  int id = 1;
  for (const char* modo : modos) {
    Insert(Doc{.id = id,
               .tipo = "R",
               .numero = id,
               .total = id == 1 ? -5.0 : 0.0,
               .extra = std::string(", ModoPag=") + modo});
    ++id;
  }
  std::string xml = Flat(Payments());
  std::string seen;
  for (size_t p = xml.find("<PaymentMechanism>"); p != std::string::npos;
       p = xml.find("<PaymentMechanism>", p + 1))
    seen += Element(xml, "PaymentMechanism", p) + " ";
  EXPECT_EQ(seen, "TB TB CH OU NU NU OU OU OU ");
  // A negative total pays nothing; the gross total is its absolute value.
  EXPECT_NE(xml.find("<PaymentAmount>0.00</PaymentAmount>"), std::string::npos);
  EXPECT_NE(xml.find("<GrossTotal>5.00</GrossTotal>"), std::string::npos);
  EXPECT_EQ(Count(xml, "<Line>"), 0u);
}

// A receipt line's share is taken from the settled document's own total, so
// paying half of an invoice at two rates pays half of each.
TEST_F(PaymentsTest, SharesComeFromTheDocumentTotal) {
  Insert(Doc{.id = 1, .liquido = 300, .iva = 35, .total = 335});
  Insert(Line{.doc = 1, .liquido = 100});
  Insert(Line{.doc = 1, .liquido = 200, .taxa = 6});
  Insert(Doc{.id = 2, .numero = 2, .liquido = 0, .iva = 0, .total = 0});
  Insert(Isenta(2, 40));
  Insert(Isenta(2, -40));
  Insert(Doc{.id = 10, .tipo = "R", .numero = 1, .liquido = 150});
  Pays(10, 1, "F", 1, 167.5, 150);
  Pays(10, 2, "F", 2, 10, 10);  // a document of total 0: all of it
  std::string xml = Flat(Payments());
  // Rate groups come in the order of the rates.
  EXPECT_NE(xml.find("<LineNumber>1</LineNumber><SourceDocumentID><OriginatingON>F A/1"
                     "</OriginatingON><InvoiceDate>2024-01-15</InvoiceDate></SourceDocumentID>"
                     "<SettlementAmount>0</SettlementAmount><CreditAmount>100.00</CreditAmount>"
                     "<Tax><TaxType>IVA</TaxType><TaxCountryRegion>PT</TaxCountryRegion><TaxCode>"
                     "RED</TaxCode><TaxPercentage>6.00</TaxPercentage>"),
            std::string::npos);
  EXPECT_NE(xml.find("<LineNumber>2</LineNumber><SourceDocumentID><OriginatingON>F A/1"
                     "</OriginatingON><InvoiceDate>2024-01-15</InvoiceDate></SourceDocumentID>"
                     "<SettlementAmount>0</SettlementAmount><CreditAmount>50.00</CreditAmount>"
                     "<Tax><TaxType>IVA</TaxType><TaxCountryRegion>PT</TaxCountryRegion><TaxCode>"
                     "NOR</TaxCode><TaxPercentage>23.00</TaxPercentage>"),
            std::string::npos);
  // The zero-total document's exempt lines sum to 0 in one group.
  EXPECT_EQ(Count(xml, "<Line>"), 3u);
  EXPECT_DOUBLE_EQ(ctx_->summary.receipts.credit, 150);
}

// The totals were once held in single precision and lost cents past 100,000.
TEST_F(PaymentsTest, TotalsKeepTheCentsOfLargeAmounts) {
  Insert(Doc{.id = 1, .liquido = 100000, .total = 100000});
  Insert(Line{.doc = 1, .liquido = 100000});
  Insert(Doc{.id = 10, .tipo = "R", .numero = 1, .liquido = 100000.07});
  Pays(10, 1, "F", 1, 100000, 100000);
  for (int i = 0; i < 7; ++i) Pays(10, 1, "F", 1, 0.01, 0.01);
  std::string xml = Payments();
  EXPECT_EQ(Element(xml, "TotalCredit"), "100000.07");
  EXPECT_DOUBLE_EQ(ctx_->summary.receipts.credit, RoundHalfAway(100000.07, 2));
}

TEST_F(PaymentsTest, RestrictionsNarrowReceiptsAndTheirTotals) {
  LoadDocuments();
  options_.restrictions = {{"R", "A", 2, 3}};
  std::string xml = Payments();
  EXPECT_EQ(Element(xml, "NumberOfEntries"), "2");
  EXPECT_EQ(Element(xml, "TotalDebit"), "60.00");
  EXPECT_EQ(Element(xml, "TotalCredit"), "200.00");
  EXPECT_EQ(Count(xml, "<PaymentRefNo>"), 2u);
}

TEST_F(PaymentsTest, WithholdingWithoutTheTypeColumnAndSchemaKinds) {
  UseKind(SchemaKind{true, true, false, true});
  LoadDocuments();
  Exec("ALTER TABLE documentoslinhas DROP COLUMN TipoRetencao");
  std::string xml = Flat(Payments());
  EXPECT_NE(xml.find("</DocumentTotals><WithholdingTax><WithholdingTaxType>IRS</"
                     "WithholdingTaxType><WithholdingTaxAmount>25.00</WithholdingTaxAmount>"
                     "</WithholdingTax></Payment>"),
            std::string::npos);
  EXPECT_EQ(Count(xml, "<WithholdingTax>"), 1u);
  EXPECT_DOUBLE_EQ(ctx_->summary.receipts.credit, 645);
}

}  // namespace
}  // namespace saftpt::test

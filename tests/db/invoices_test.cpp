#include <gtest/gtest.h>

#include "DocsFixture.h"
#include "base/Error.h"
#include "saft/ValueFormat.h"

namespace saftpt::test {
namespace {

class InvoicesTest : public DocsTest {
 protected:
  // An invoice with a fee, an exempt line and a discount; a cancelled
  // invoice; a credit note; an "FA"; a simplified invoice of the walk-in
  // customer with a negative line; an invoice of a cash-VAT series with
  // withholding of both kinds.
  void LoadDocuments() {
    Insert(Doc{.id = 1, .numero = 1, .liquido = 150, .iva = 23, .total = 173, .desconto = 10});
    Insert(Line{.doc = 1, .liquido = 100, .taxa = 23, .quant = 2, .preco = 55, .desconto = 10});
    Insert(Line{.doc = 1,
                .liquido = 50,
                .taxa = 0,
                .referencia = "NULL",
                .descricao = "'Custas\\njudiciais'",
                .preco = 50,
                .isencao = "'Isento Artigo 9.º do CIVA'"});
    Insert(Doc{.id = 2,
               .numero = 2,
               .data = "2024-01-16",
               .liquido = 80,
               .iva = 18.4,
               .total = 98.4,
               .anulado = "1",
               .extra = ", Motivo='Erro na identificação do cliente'"});
    Insert(Line{.doc = 2, .liquido = 80, .referencia = "'DESP'", .preco = 80});
    Insert(Doc{.id = 3,
               .tipo = "NC",
               .numero = 1,
               .data = "2024-01-20",
               .liquido = -40,
               .iva = -9.2,
               .total = -49.2});
    Insert(Line{.doc = 3, .liquido = -40, .referencia = "'XPTO'", .preco = 40});
    Insert(Doc{.id = 4,
               .tipo = "FA",
               .numero = 7,
               .data = "2024-01-20",
               .liquido = 60,
               .iva = 0,
               .total = 60,
               .extra = ", DataEdicao='2024-01-21 09:30:05'"});
    Insert(Line{.doc = 4,
                .liquido = 60,
                .taxa = 0,
                .isencao = "'Regime particular do tabaco'",
                .codmencao = "'M99'"});
    Insert(Doc{.id = 5,
               .tipo = "FS",
               .numero = 3,
               .data = "2024-01-25",
               .cliente = "'0'",
               .liquido = 30,
               .iva = 6.9,
               .total = 36.9});
    Insert(Line{.doc = 5, .liquido = 50, .preco = 50});
    Insert(Line{.doc = 5, .liquido = -20, .descricao = "NULL", .preco = -20});
    Insert(Doc{.id = 6,
               .serie = "C",
               .numero = 1,
               .data = "2024-01-31",
               .cliente = "'0003'",
               .liquido = 1000,
               .iva = 230,
               .total = 980,
               .retencao = 250});
    Insert(Line{.doc = 6,
                .liquido = 600,
                .preco = 600,
                .extra = ", ValorRetencao=150, TipoRetencao='IRC'"});
    Insert(Line{.doc = 6,
                .liquido = 400,
                .preco = 400,
                .extra = ", ValorRetencao=100, TipoRetencao='IRS'"});
    // Outside the period, a temporary document and a quotation.
    Insert(Doc{.id = 7, .numero = 9, .data = "2024-02-01"});
    Insert(Line{.doc = 7});
    Insert(Doc{.id = 8, .serie = "tmp", .numero = 1});
    Insert(Line{.doc = 8});
    Insert(Doc{.id = 9, .tipo = "OR", .numero = 1});
    Insert(Line{.doc = 9});
  }
};

// The same documents give the same section whatever the column types and
// character set of the office's tables.
class InvoicesKindTest : public InvoicesTest, public ::testing::WithParamInterface<SchemaKind> {};

TEST_P(InvoicesKindTest, Golden) {
  UseKind(GetParam());
  LoadDocuments();
  Invoices();
  ExpectGolden("invoices.xml");
  EXPECT_EQ(ctx_->summary.invoices.entries, 6);
  EXPECT_DOUBLE_EQ(ctx_->summary.invoices.credit, 1260);
  EXPECT_DOUBLE_EQ(ctx_->summary.invoices.debit, 60);
  EXPECT_EQ(progress_.log.str(), "M 6 Invoices\nID 6\nD 2\nD 3\nD 4\nD 5\nD 6\nD 7\n");
}

INSTANTIATE_TEST_SUITE_P(Kinds, InvoicesKindTest,
                         ::testing::Values(SchemaKind{}, SchemaKind{true, true, true},
                                           SchemaKind{true, false, false, true}),
                         [](const auto& info) { return info.param.name(); });

TEST_F(InvoicesTest, EmptyPeriodWritesZeroTotalsOnly) {
  Insert(Doc{.id = 1, .data = "2023-12-31"});
  Insert(Line{.doc = 1});
  EXPECT_EQ(Flat(Invoices()),
            "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><SourceDocuments><SalesInvoices>"
            "<NumberOfEntries>0</NumberOfEntries><TotalDebit>0.00</TotalDebit><TotalCredit>0.00"
            "</TotalCredit></SalesInvoices></SourceDocuments>");
}

// The totals are the sums of the amounts the lines write, over the documents
// not cancelled: a header discount no line shows is not subtracted, a
// document without lines adds nothing, a quotation's negative line stays in
// its own section.
TEST_F(InvoicesTest, TotalsAreWhatTheLinesSay) {
  Insert(Doc{.id = 1, .liquido = 100, .desconto = 15});
  Insert(Line{.doc = 1, .liquido = 100});
  Insert(Line{.doc = 1, .liquido = -15});
  Insert(Doc{.id = 2, .tipo = "ND", .liquido = 30});
  Insert(Line{.doc = 2, .liquido = 30});
  Insert(Doc{.id = 3, .numero = 2, .liquido = 500, .anulado = "1"});
  Insert(Line{.doc = 3, .liquido = 500});
  Insert(Doc{.id = 4, .numero = 3, .liquido = 500, .anulado = "NULL"});
  Insert(Line{.doc = 4, .liquido = 499.995});
  Insert(Doc{.id = 5, .tipo = "NC", .liquido = -20, .desconto = -5});
  Insert(Line{.doc = 5, .liquido = -20});
  Insert(Doc{.id = 6, .numero = 4, .liquido = 70});
  Insert(Doc{.id = 7, .tipo = "OR", .numero = 1});
  Insert(Line{.doc = 7, .liquido = -10});
  std::string xml = Invoices();
  EXPECT_EQ(Element(xml, "NumberOfEntries"), "6");
  EXPECT_EQ(Element(xml, "TotalCredit"), "630.00");
  EXPECT_EQ(Element(xml, "TotalDebit"), "35.00");
  EXPECT_EQ(Count(xml, "<DebitAmount>"), 2u);
  // A Null status is not a cancellation.
  EXPECT_EQ(Count(xml, "<InvoiceStatus>A</InvoiceStatus>"), 1u);
}

TEST_F(InvoicesTest, LinesSettlingFaDocumentsCountOnceOnTheirSide) {
  Insert(Doc{.id = 1, .liquido = 70});
  Insert(Line{.doc = 1, .liquido = 70, .extra = ", TipoDocP='FA', SerieP='A', NumeroP=7"});
  Insert(Line{.doc = 1, .liquido = 0.004, .taxa = 0, .isencao = "'Isento Artigo 9.º do CIVA'"});
  std::string xml = Invoices();
  EXPECT_EQ(Element(xml, "TotalCredit"), "70.00");  // each line rounded to cents first
  EXPECT_EQ(Element(xml, "TotalDebit"), "0.00");
}

TEST_F(InvoicesTest, WithholdingWithoutTheTypeColumnIsAllIrs) {
  Insert(Doc{.id = 1, .liquido = 1000, .total = 980, .retencao = 250});
  Insert(Line{.doc = 1, .liquido = 600, .extra = ", ValorRetencao=150.004, TipoRetencao='IRC'"});
  Insert(Line{.doc = 1, .liquido = 400, .extra = ", ValorRetencao=100, TipoRetencao='IRS'"});
  Insert(Doc{.id = 2, .numero = 2});
  Insert(Line{.doc = 2});
  std::string xml = Flat(Invoices());
  EXPECT_NE(xml.find("</DocumentTotals><WithholdingTax><WithholdingTaxType>IRC</"
                     "WithholdingTaxType><WithholdingTaxAmount>150.00</WithholdingTaxAmount></"
                     "WithholdingTax><WithholdingTax><WithholdingTaxType>IRS</"
                     "WithholdingTaxType><WithholdingTaxAmount>100.00</WithholdingTaxAmount></"
                     "WithholdingTax></Invoice>"),
            std::string::npos);
  EXPECT_EQ(Count(xml, "<WithholdingTax>"), 2u);  // nothing for the second invoice

  Exec("ALTER TABLE documentoslinhas DROP COLUMN TipoRetencao");
  xml = Flat(Invoices());
  EXPECT_NE(xml.find("<WithholdingTax><WithholdingTaxType>IRS</WithholdingTaxType>"
                     "<WithholdingTaxAmount>250.00</WithholdingTaxAmount></WithholdingTax>"),
            std::string::npos);
  EXPECT_EQ(Count(xml, "<WithholdingTax>"), 1u);
}

TEST_F(InvoicesTest, LineRules) {
  Insert(Doc{.id = 1});
  // 16 % is the Azores' rate whatever the office's region.
  Insert(Line{.doc = 1, .liquido = 10, .taxa = 16});
  // Exempt, no stored code: looked up by the reason's text (blanks around it).
  Insert(Line{.doc = 1, .liquido = 20, .taxa = 0, .isencao = "'Isento Artigo 9.º do CIVA '"});
  // Exempt with an accepted text the reasons table lacks: its stored code.
  Insert(Line{.doc = 1,
              .liquido = 30,
              .taxa = 0,
              .isencao = "'Isento artigo 13.º do CIVA'",
              .codmencao = "'M05'"});
  // A reason on a taxed line is not written; 13 % is the mainland's
  // intermediate rate.
  Insert(Line{.doc = 1, .liquido = 40, .taxa = 23, .isencao = "'Isento Artigo 9.º do CIVA'"});
  Insert(Line{.doc = 1, .liquido = 50, .taxa = 13});
  // A zero amount with a rate, and a long fee reference.
  Insert(Line{.doc = 1, .liquido = 0, .taxa = 23});
  Insert(Line{.doc = 1,
              .liquido = 60,
              .referencia = "'REF-COM-UM-NOME-BASTANTE-COMPRIDO-40'",
              .quant = 0,
              .preco = 10,
              .desconto = 2});
  Insert(Line{.doc = 1, .liquido = 0, .taxa = 0});  // never written

  std::string xml = Flat(Invoices());
  EXPECT_EQ(Count(xml, "<Line>"), 7u);
  EXPECT_NE(xml.find("<TaxCountryRegion>PT-AC</TaxCountryRegion><TaxCode>NOR</TaxCode>"
                     "<TaxPercentage>16.00</TaxPercentage>"),
            std::string::npos);
  EXPECT_NE(xml.find("<TaxExemptionReason>Isento Artigo 9.º do CIVA </TaxExemptionReason>"
                     "<TaxExemptionCode>M07</TaxExemptionCode>"),
            std::string::npos);
  EXPECT_NE(xml.find("<TaxExemptionReason>Isento artigo 13.º do CIVA</TaxExemptionReason>"
                     "<TaxExemptionCode>M05</TaxExemptionCode>"),
            std::string::npos);
  EXPECT_NE(xml.find("<TaxCountryRegion>PT</TaxCountryRegion><TaxCode>INT</TaxCode>"
                     "<TaxPercentage>13.00</TaxPercentage>"),
            std::string::npos);
  EXPECT_EQ(Count(xml, "<TaxExemptionReason>"), 2u);
  EXPECT_NE(xml.find("<LineNumber>6</LineNumber><ProductCode>HON</ProductCode>"),
            std::string::npos);
  EXPECT_NE(xml.find("<CreditAmount>0.00</CreditAmount>"), std::string::npos);
  EXPECT_NE(xml.find("<ProductCode>REF-COM-UM-NOME-BASTANTE-COMPRIDO-40</ProductCode>"
                     "<ProductDescription>Longa</ProductDescription><Quantity>0.00</Quantity>"
                     "<UnitOfMeasure>UN</UnitOfMeasure><UnitPrice>8.00</UnitPrice>"),
            std::string::npos);
  EXPECT_NE(xml.find("<ATCUD>ATC-F1</ATCUD>"), std::string::npos);

  // 1.03_01: no ATCUD, no codes, no zero-amount lines, shorter codes.
  options_.schema = SchemaVersion::kV103;
  xml = Flat(Invoices());
  EXPECT_EQ(Count(xml, "<Line>"), 6u);
  EXPECT_EQ(Count(xml, "<ATCUD>"), 0u);
  EXPECT_EQ(Count(xml, "<TaxExemptionCode>"), 0u);
  EXPECT_EQ(Count(xml, "<TaxExemptionReason>"), 2u);
  EXPECT_NE(xml.find("<ProductCode>REF-COM-UM-NOME-BASTANTE-COMPR</ProductCode>"
                     "<ProductDescription>Longa</ProductDescription>"),
            std::string::npos);
}

TEST_F(InvoicesTest, HashesAtcudAndCustomers) {
  Insert(Doc{.id = 1, .cliente = "NULL"});
  Insert(Doc{.id = 2, .numero = 2, .cliente = "'0002'", .extra = ", Assinatura=NULL"});
  Insert(Doc{.id = 3,
             .numero = 3,
             .extra = ", Assinatura='', VersaoChavePrivada=NULL, "
                      "DataEdicao='0000-00-00 00:00:00'"});
  std::string xml = Flat(Invoices());
  EXPECT_NE(xml.find("<Hash>sig1</Hash><HashControl>1</HashControl>"), std::string::npos);
  EXPECT_EQ(Count(xml, "<Hash>0</Hash><HashControl>0</HashControl>"), 2u);
  EXPECT_NE(xml.find("<CustomerID>DESCONHECIDO</CustomerID>"), std::string::npos);
  EXPECT_NE(xml.find("<CustomerID>0002</CustomerID>"), std::string::npos);
  // A zero edit date is a document never edited.
  EXPECT_EQ(Count(xml, "<SystemEntryDate>2024-01-15T00:00:00</SystemEntryDate>"), 3u);

  // Uncertified billing: no signature is exported. Before February 2023 the
  // ATCUD is "0".
  Exec("UPDATE configescritorio SET OC=0");
  options_.today = DateTime::Date(2023, 1, 31);
  xml = Flat(Invoices());
  EXPECT_EQ(Count(xml, "<Hash>0</Hash><HashControl>0</HashControl>"), 3u);
  EXPECT_EQ(Count(xml, "<ATCUD>0</ATCUD>"), 3u);
}

TEST_F(InvoicesTest, RestrictionsNarrowDocumentsAndTotals) {
  Insert(Doc{.id = 1, .numero = 1, .liquido = 100});
  Insert(Line{.doc = 1, .liquido = 100});
  Insert(Line{.doc = 1, .liquido = -10});
  Insert(Doc{.id = 2, .numero = 2, .liquido = 200});
  Insert(Line{.doc = 2, .liquido = 200});
  Insert(Line{.doc = 2, .liquido = -20});
  Insert(Doc{.id = 3, .serie = "C", .numero = 1, .liquido = 400});
  Insert(Line{.doc = 3, .liquido = 400});
  Insert(Line{.doc = 3, .liquido = -40});
  options_.restrictions = {{"F", "A", 2, 5}, {"F", "C", 1, 1}};
  std::string xml = Invoices();
  EXPECT_EQ(Element(xml, "NumberOfEntries"), "2");
  EXPECT_EQ(Element(xml, "TotalCredit"), "600.00");
  EXPECT_EQ(Element(xml, "TotalDebit"), "60.00");
  EXPECT_EQ(Count(xml, "<InvoiceNo>"), 2u);
  EXPECT_EQ(Count(xml, "<InvoiceNo>F A/1</InvoiceNo>"), 0u);

  // A typed quote cannot widen the selection.
  options_.restrictions = {{"F' or '1'='1", "A", 0, 99999}};
  EXPECT_EQ(Element(Invoices(), "NumberOfEntries"), "0");
}

TEST_F(InvoicesTest, QuotesInStoredValuesStayText) {
  Exec("INSERT INTO series (serie, IvaCaixa) VALUES ('Q''\\\\1', 1)");
  Insert(Doc{.id = 1, .serie = "Q\\'\\\\1", .cliente = "'0003'", .retencao = 5});
  Insert(
      Line{.doc = 1, .referencia = "'D''Ass'", .extra = ", ValorRetencao=5, TipoRetencao='IRS'"});
  Exec("INSERT INTO honorarios (Referencia, Descricao) VALUES ('D''Ass', 'Apoio d''assessoria')");
  std::string xml = Flat(Invoices());
  EXPECT_NE(xml.find("<InvoiceNo>F Q'\\1/1</InvoiceNo>"), std::string::npos);
  EXPECT_NE(xml.find("<CashVATSchemeIndicator>1</CashVATSchemeIndicator>"), std::string::npos);
  EXPECT_NE(xml.find("<ProductCode>D'Ass</ProductCode><ProductDescription>Apoio d'assessoria"),
            std::string::npos);
  EXPECT_EQ(Count(xml, "<Line>"), 1u);
  EXPECT_NE(xml.find("<WithholdingTaxAmount>5.00</WithholdingTaxAmount>"), std::string::npos);
}

// The line counter once overflowed at 32767.
TEST_F(InvoicesTest, FortyThousandLines) {
  Insert(Doc{.id = 1, .liquido = 40000, .iva = 9200, .total = 49200});
  Exec(
      "INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Descricao, Quant, Preco, "
      "ValorLiquido, Iva, ValorIva, ValorTotal) SELECT 1, 'F', 'A', 1, 'Linha', 1, 1, 1, 23, 0.23, "
      "1.23 FROM seq_1_to_40000");
  std::string xml = Invoices();
  EXPECT_EQ(Count(xml, "<Line>"), 40000u);
  EXPECT_NE(xml.find("<LineNumber>40000</LineNumber>"), std::string::npos);
  EXPECT_EQ(Element(xml, "TotalCredit"), "40000.00");
}

// Offices that store dates with a time of day: the last day of the period is
// exported whole, in every section, and the next day is not.
TEST_F(InvoicesTest, LastDayWithTimeOfDayIsInThePeriod) {
  UseKind(SchemaKind{false, true, false});
  Insert(Doc{.id = 1, .data = "2024-01-31 18:30:00"});
  Insert(Line{.doc = 1});
  Insert(Doc{.id = 2, .numero = 2, .data = "2024-02-01 00:00:00"});
  Insert(Line{.doc = 2});
  std::string xml = Invoices();
  EXPECT_EQ(Element(xml, "NumberOfEntries"), "1");
  EXPECT_EQ(Element(xml, "TotalCredit"), "100.00");
  EXPECT_EQ(Count(xml, "<InvoiceNo>F A/1</InvoiceNo>"), 1u);
}

// A line without a VAT rate cannot be written: the export stops naming the
// column and the document.
TEST_F(InvoicesTest, NullRateNamesTheDocument) {
  Insert(Doc{.id = 1, .numero = 7});
  Insert(Line{.doc = 1});
  Exec("UPDATE documentoslinhas SET Iva=NULL");
  try {
    Invoices();
    FAIL() << "exported a line without a rate";
  } catch (const Error& e) {
    EXPECT_EQ(e.Description(), "Documento F A/7: O valor de \"documentoslinhas.Iva\" é nulo.");
  }
}

}  // namespace
}  // namespace saftpt::test

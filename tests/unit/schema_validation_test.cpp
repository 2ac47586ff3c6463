// Validation of audit files against the tax authority's schema: a small valid
// file, and copies of it broken in one way each.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "audit/ExportCheck.h"
#include "audit/SchemaValidation.h"
#include "base/Error.h"

namespace saftpt {
namespace {

// The schema the programs ship with, copied beside this test program too.
const std::string kXsd11 = DefaultSchemaPath();
const std::string kXsd10 = std::string(SAFTPT_XSD_DIR) + "/SAFTPT1.04_01.xsd10.xsd";
const std::string kValid =
    std::string(SAFTPT_SOURCE_DIR) + "/tests/golden/validation/valid-1.04_01.xml";

// Lines longer than this are shown by their element instead.
constexpr size_t kMaxSourceForTest = 300;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string WriteTemp(const std::string& name, const std::string& text) {
  // Test cases run side by side in processes of their own and share names.
  std::string path =
      ::testing::TempDir() + "saftpt_validation_" + std::to_string(getpid()) + "_" + name + ".xml";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

// The valid file with each `from` (its first occurrence) replaced by `to`.
std::string Broken(const std::vector<std::pair<std::string, std::string>>& edits) {
  std::string text = ReadFile(kValid);
  for (const auto& [from, to] : edits) {
    size_t pos = text.find(from);
    EXPECT_NE(pos, std::string::npos) << from;
    if (pos != std::string::npos) text.replace(pos, from.size(), to);
  }
  return text;
}

ValidationReport Validate(const std::string& name, const std::string& text,
                          const std::string& xsd = kXsd11) {
  return ValidateSaftFile(WriteTemp(name, text), xsd);
}

TEST(SchemaValidation, ValidFilePassesBothSchemas) {
  for (const std::string& xsd : {kXsd11, kXsd10}) {
    ValidationReport r = ValidateSaftFile(kValid, xsd);
    EXPECT_TRUE(r.Valid()) << xsd << ": " << r.Erro1006();
    EXPECT_TRUE(r.errors.empty());
    EXPECT_TRUE(r.warnings.empty()) << r.warnings[0].message;
    EXPECT_EQ(r.Erro1006(), "");
  }
}

struct BrokenCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> edits;
  size_t errors;
  const char* element;
  int line;
  const char* inMessage;
  const char* source;  // the offending text, in UTF-8
};

// The invoice line's tax, and the receipt line's with what follows it.
const std::string kLineTax = "<TaxPercentage>23</TaxPercentage>\n          </Tax>\n";
const std::string kReceiptTax =
    "<Tax>\n            <TaxType>IVA</TaxType>\n            <TaxCountryRegion>PT"
    "</TaxCountryRegion>\n            <TaxCode>NOR</TaxCode>\n            <TaxPercentage>23"
    "</TaxPercentage>\n          </Tax>\n        </Line>\n        <DocumentTotals>\n"
    "          <TaxPayable>23.00</TaxPayable>\n          <NetTotal>100.00</NetTotal>\n"
    "          <GrossTotal>123.00</GrossTotal>\n        </DocumentTotals>\n      </Payment>";

TEST(SchemaValidation, EachBrokenCopyNamesElementAndLine) {
  std::string receiptWithoutTax = kReceiptTax;
  receiptWithoutTax.replace(0, receiptWithoutTax.find("        </Line>"), "\n\n\n\n\n\n");
  // clang-format off
  const BrokenCase cases[] = {
      {"missing_city", {{"<City>Lisboa</City>", ""}},
       1, "PostalCode", 12, "not expected", "<PostalCode>1100-150</PostalCode>"},
      // A zero rate with a reason but no code breaks an assertion; the line is
      // shown in UTF-8 although the file is Windows-1252.
      {"reason_without_code",
       {{kLineTax, "<TaxPercentage>0</TaxPercentage>\n          </Tax>\n"
                   "          <TaxExemptionReason>Isento artigo 9.\xBA do CIVA</TaxExemptionReason>\n"}},
       1, "TaxExemptionReason", 98, "sem TaxExemptionCode",
       "<TaxExemptionReason>Isento artigo 9.\xC2\xBA do CIVA</TaxExemptionReason>"},
      {"zero_rate_without_reason", {{kLineTax, "<TaxPercentage>0</TaxPercentage>\n          </Tax>\n"}},
       1, "TaxPercentage", 96, "exige TaxExemptionReason", "<TaxPercentage>0</TaxPercentage>"},
      {"zero_amount_without_reason", {{kLineTax, "<TaxAmount>0.00</TaxAmount>\n          </Tax>\n"}},
       1, "TaxAmount", 96, "TaxAmount 0 exige", "<TaxAmount>0.00</TaxAmount>"},
      {"dangling_customer",
       {{"<CustomerID>C1</CustomerID>\n        <Line>", "<CustomerID>C9</CustomerID>\n        <Line>"}},
       1, "CustomerID", 81, "InvoiceCustomerIDConstraint", "<CustomerID>C9</CustomerID>"},
      {"wrong_namespace", {{"PT_1.04_01\">", "PT_1.03_01\">"}},
       1, "AuditFile", 2, "No matching global declaration",
       "<AuditFile xmlns=\"urn:OECD:StandardAuditFile-Tax:PT_1.03_01\">"},
      // TaxBase lines carry no price and no amount: two assertions fail.
      {"tax_base_with_price",
       {{"<UnitPrice>100.00</UnitPrice>\n", "<UnitPrice>100.00</UnitPrice><TaxBase>1</TaxBase>\n"}},
       2, "TaxBase", 88, "UnitPrice 0", "<UnitPrice>100.00</UnitPrice><TaxBase>1</TaxBase>"},
      {"cash_vat_receipt_without_tax",
       {{"<PaymentType>RG</PaymentType>", "<PaymentType>RC</PaymentType>"},
        {kReceiptTax, receiptWithoutTax}},
       2, "PaymentType", 114, "RC", "<PaymentType>RC</PaymentType>"},
      {"not_well_formed", {{"</Invoice>", "</Invoce>"}}, 1, "", 104, "mismatch", "</Invoce>"},
      // Blanks between elements are not checked; an element's own blanks are.
      {"blank_basis", {{"<TaxAccountingBasis>F<", "<TaxAccountingBasis>  <"}},
       1, "TaxAccountingBasis", 7, "value '  '", "<TaxAccountingBasis>  </TaxAccountingBasis>"},
      {"element_in_text", {{"<City>Lisboa</City>", "<City>  <b/>  </City>"}},
       1, "City", 11, "Element content is not allowed", "<City>  <b/>  </City>"},
  };
  // clang-format on
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.name);
    ValidationReport r = Validate(c.name, Broken(c.edits));
    ASSERT_FALSE(r.Valid());
    EXPECT_EQ(r.errors.size(), c.errors) << r.Erro1006();
    EXPECT_EQ(r.errors[0].element, c.element);
    EXPECT_EQ(r.errors[0].line, c.line);
    EXPECT_NE(r.errors[0].message.find(c.inMessage), std::string::npos) << r.errors[0].message;
    EXPECT_EQ(r.errors[0].source, c.source);
    EXPECT_TRUE(r.warnings.empty()) << r.warnings[0].message;
  }
}

TEST(SchemaValidation, Erro1006IsReasonLineAndSource) {
  ValidationReport r = Validate("erro1006", Broken({{"<City>Lisboa</City>", ""}}));
  ASSERT_FALSE(r.errors.empty());
  EXPECT_EQ(r.Erro1006(),
            r.errors[0].message + "\nLine: 12\nXML: <PostalCode>1100-150</PostalCode>");
  EXPECT_EQ(r.errors[0].message.find("{urn:"), std::string::npos) << r.errors[0].message;
}

TEST(SchemaValidation, TotalsRulesGiveWarningsOnly) {
  struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> edits;
    const char* element;
    int line;
    const char* inMessage;
  } cases[] = {
      {"credit_off_by_a_cent",
       {{"<TotalCredit>100.00</TotalCredit>", "<TotalCredit>100.01</TotalCredit>"}},
       "TotalCredit",
       60,
       "100.00"},
      {"entries_count",
       {{"<NumberOfEntries>1<", "<NumberOfEntries>2<"}},
       "NumberOfEntries",
       58,
       "1 documentos"},
      // A cancelled invoice still counts but adds nothing to the totals.
      {"cancelled_still_summed",
       {{"<InvoiceStatus>N</InvoiceStatus>", "<InvoiceStatus>A</InvoiceStatus>"}},
       "TotalCredit",
       60,
       "0.00"},
      {"payment_debit",
       {{"<TotalDebit>0.00</TotalDebit>\n      <TotalCredit>100.00</TotalCredit>\n      <Payment>",
         "<TotalDebit>0.01</TotalDebit>\n      <TotalCredit>100.00</TotalCredit>\n      "
         "<Payment>"}},
       "TotalDebit",
       108,
       "Payments"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ValidationReport r = Validate(c.name, Broken(c.edits));
    EXPECT_TRUE(r.Valid()) << r.Erro1006();
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0].element, c.element);
    EXPECT_EQ(r.warnings[0].line, c.line);
    EXPECT_NE(r.warnings[0].message.find(c.inMessage), std::string::npos) << r.warnings[0].message;
  }
  ValidationReport cancelled =
      Validate("cancelled_zero",
               Broken({{"<InvoiceStatus>N</InvoiceStatus>", "<InvoiceStatus>A</InvoiceStatus>"},
                       {"<TotalCredit>100.00</TotalCredit>", "<TotalCredit>0.00</TotalCredit>"}}));
  EXPECT_TRUE(cancelled.Valid());
  EXPECT_TRUE(cancelled.warnings.empty()) << cancelled.warnings[0].message;
}

TEST(SchemaValidation, Xsd10SchemaIsUsedAsItIs) {
  // No assertions in it, so a reason without its code passes; keys still hold.
  ValidationReport lax = Validate(
      "xsd10_reason",
      Broken({{kLineTax,
               "<TaxPercentage>0</TaxPercentage>\n          </Tax>\n"
               "          <TaxExemptionReason>Isento artigo 9 do CIVA</TaxExemptionReason>\n"}}),
      kXsd10);
  EXPECT_TRUE(lax.Valid()) << lax.Erro1006();
  ValidationReport keys = Validate("xsd10_customer",
                                   Broken({{"<CustomerID>C1</CustomerID>\n        <Line>",
                                            "<CustomerID>C9</CustomerID>\n        <Line>"}}),
                                   kXsd10);
  ASSERT_FALSE(keys.Valid());
  EXPECT_EQ(keys.errors[0].line, 81);
}

TEST(SchemaValidation, UnreadableInputsThrow) {
  EXPECT_THROW(ValidateSaftFile(kValid, kXsd11 + ".missing"), Error);
  // A file that is XML but no schema.
  EXPECT_THROW(ValidateSaftFile(kValid, kValid), Error);
  std::string notXml = WriteTemp("not_a_schema", "<xs:schema");
  EXPECT_THROW(ValidateSaftFile(kValid, notXml), Error);
  EXPECT_THROW(ValidateSaftFile(kValid + ".missing", kXsd11), Error);
  try {
    ValidateSaftFile(kValid, kXsd11 + ".missing");
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kValidation);
    EXPECT_NE(e.Description().find(".missing"), std::string::npos);
  }
}

TEST(SchemaValidation, FileOnOneLineShowsTheElementAtFault) {
  // Two invoices, the second with an unknown customer and a bad quantity, all
  // on the first line.
  std::string text = ReadFile(kValid);
  size_t begin = text.find("      <Invoice>");
  size_t end = text.find("</Invoice>\n", begin) + 11;
  std::string second = text.substr(begin, end - begin);
  second.replace(second.find("FT A/1"), 6, "FT A/2");
  second.replace(second.find("<CustomerID>C1<"), 15, "<CustomerID>C7<");
  second.replace(second.find("<Quantity>1<"), 12, "<Quantity>z<");
  text.insert(end, second);
  std::string flat;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') {
      flat += text[i];
      continue;
    }
    while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
  }
  ASSERT_GT(flat.size(), 2 * kMaxSourceForTest);

  ValidationReport r = Validate("one_line", flat);
  ASSERT_EQ(r.errors.size(), 2u) << r.Erro1006();
  for (const ValidationProblem& p : r.errors) EXPECT_EQ(p.line, 1);
  EXPECT_EQ(r.errors[0].source, "<Quantity>z</Quantity>");
  EXPECT_EQ(r.errors[1].element, "CustomerID");
  EXPECT_EQ(r.errors[1].source, "<CustomerID>C7</CustomerID>");
}

TEST(SchemaValidation, LineNumbersPastSixtyFiveThousand) {
  // A year of invoices runs to millions of lines; libxml2 keeps short line
  // numbers unless asked not to.
  std::string text = ReadFile(kValid);
  size_t begin = text.find("      <Invoice>");
  size_t end = text.find("</Invoice>\n", begin) + 11;
  std::string invoice = text.substr(begin, end - begin);
  std::string many;
  const int copies = 1700;  // 46 lines each
  for (int i = 1; i <= copies; ++i) {
    std::string copy = invoice;
    copy.replace(copy.find("FT A/1"), 6, "FT A/" + std::to_string(i));
    many += copy;
  }
  std::string last = "<Quantity>1</Quantity>";
  size_t bad = many.rfind(last);
  many.replace(bad, last.size(), "<Quantity>x</Quantity>");
  text.replace(begin, end - begin, many);
  text.replace(text.find("<NumberOfEntries>1<"), 19,
               "<NumberOfEntries>" + std::to_string(copies) + "<");
  text.replace(text.find("<TotalCredit>100.00<"), 20,
               "<TotalCredit>" + std::to_string(copies * 100) + ".00<");

  int expectedLine = 1;
  size_t badAt = text.find("<Quantity>x");
  for (size_t i = 0; i < badAt; ++i) expectedLine += text[i] == '\n';
  ASSERT_GT(expectedLine, 70000);

  ValidationReport r = Validate("big", text);
  ASSERT_EQ(r.errors.size(), 1u) << r.Erro1006();
  EXPECT_EQ(r.errors[0].element, "Quantity");
  EXPECT_EQ(r.errors[0].line, expectedLine);
  EXPECT_EQ(r.errors[0].source, "<Quantity>x</Quantity>");
  EXPECT_TRUE(r.warnings.empty()) << r.warnings[0].message;

  // What a document's reader throws stops the reading there and comes out.
  int documents = 0;
  EXPECT_THROW(ValidateSaftFile(WriteTemp("big_stopped", text), kXsd11,
                                [&documents](const CabecalhoLido&, const DocumentoLido&) {
                                  if (++documents == 10) throw Error(Error::kValidation, "parou");
                                }),
               Error);
  EXPECT_EQ(documents, 10);
}

// The export's check: each problem on one line, naming the document as the
// file numbers it, the line, and what to fix.
TEST(SchemaValidation, ExportCheckSaysWhatToFix) {
  const std::string text = ReadFile(kValid);
  size_t from =
      text.find("        <Line>\n          <LineNumber>1</LineNumber>\n          <Source");
  size_t to = text.find("        </Line>\n", from) + 16;
  const std::string receiptLine = text.substr(from, to - from);
  // clang-format off
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> edits;
    const char* problem;
  } cases[] = {
      {"zero_rate", {{kLineTax, "<TaxPercentage>0</TaxPercentage>\n          </Tax>\n"}},
       "FT A/1, linha 1: taxa 0 % sem motivo de isenção"},
      {"reason_without_code",
       {{kLineTax, "<TaxPercentage>0</TaxPercentage>\n          </Tax>\n"
                   "          <TaxExemptionReason>Isento artigo 9</TaxExemptionReason>\n"}},
       "FT A/1, linha 1: taxa 0 % sem código de isenção"},
      {"receipt_without_lines",
       {{receiptLine, ""},
        {"<TotalCredit>100.00</TotalCredit>\n      <Payment>", "<TotalCredit>0.00</TotalCredit>\n      <Payment>"}},
       "RC A/1: documento sem linhas"},
      {"hash_without_key_version", {{"<HashControl>0</HashControl>", ""}},
       "FT A/1: documento assinado sem versão da chave"},
      {"customer_not_in_file",
       {{"<CustomerID>C1</CustomerID>\n        <Line>", "<CustomerID>C9</CustomerID>\n        <Line>"}},
       "FT A/1: o cliente C9 não está na lista de clientes do ficheiro"},
      {"rate_not_in_tax_table", {{"<TaxCode>NOR</TaxCode>\n            <TaxPercentage>23</TaxPercentage>\n"
                                  "          </Tax>\n        </Line>\n        <DocumentTotals>\n"
                                  "          <TaxPayable>23.00</TaxPayable>\n          <NetTotal>100.00</NetTotal>\n"
                                  "          <GrossTotal>123.00</GrossTotal>\n        </DocumentTotals>\n      </Invoice>",
                                  "<TaxCode>INT</TaxCode>\n            <TaxPercentage>13</TaxPercentage>\n"
                                  "          </Tax>\n        </Line>\n        <DocumentTotals>\n"
                                  "          <TaxPayable>23.00</TaxPayable>\n          <NetTotal>100.00</NetTotal>\n"
                                  "          <GrossTotal>123.00</GrossTotal>\n        </DocumentTotals>\n      </Invoice>"}},
       "FT A/1, linha 1: a taxa IVA/PT/INT (13 %) não está na tabela de IVA (acrescente-a à tabela iva)"},
      // The totals rules are only warnings for `saftpt validate`, but the AT
      // rejects the file.
      {"section_total", {{"<TotalCredit>100.00</TotalCredit>", "<TotalCredit>100.01</TotalCredit>"}},
       "Faturas: TotalCredit é 100.01, mas a soma de CreditAmount dos documentos não anulados é "
       "100.00."},
      {"other", {{"<City>Lisboa</City>", ""}},
       "Cabeçalho: Element 'PostalCode': This element is not expected. Expected is ( City )."},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VerificacaoDoFicheiro v =
        CheckExportedFile(WriteTemp(c.name, Broken(c.edits)), SchemaVersion::kV104);
    EXPECT_TRUE(v.verificado);
    EXPECT_FALSE(v.Passes());
    EXPECT_EQ(v.Texto(), c.problem);
  }
  VerificacaoDoFicheiro valid = CheckExportedFile(kValid, SchemaVersion::kV104);
  EXPECT_TRUE(valid.Passes());
  EXPECT_EQ(valid.Texto(), "O ficheiro cumpre as regras da AT.");
  // No schema for the older version: not checked, and said so.
  VerificacaoDoFicheiro older = CheckExportedFile(WriteTemp("older", "nada"), SchemaVersion::kV103);
  EXPECT_FALSE(older.verificado);
  EXPECT_FALSE(older.Passes());
  EXPECT_NE(older.Texto().find("1.03_01"), std::string::npos);
}

}  // namespace
}  // namespace saftpt

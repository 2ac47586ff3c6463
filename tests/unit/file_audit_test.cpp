// The audit checks of a file (numbering, ATCUD, signatures) and its VAT
// summary, on small files written here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "../TestDoubles.h"
#include "../TestKeys.h"
#include "audit/FileAudit.h"
#include "audit/SignatureCheck.h"
#include "audit/TaxSummary.h"
#include "base/Error.h"

namespace saftpt {
namespace {

using test::TestKey;

struct Doc {
  std::string no;  // "F A/1"
  std::string date = "2024-03-05";
  std::string entry = "2024-03-05T10:00:00";
  std::string atcud = "0";
  std::string hash = "0";
  std::string hashControl = "0";
  std::string gross = "123.00";
};

std::string Invoice(const Doc& d) {
  return "<Invoice><InvoiceNo>" + d.no + "</InvoiceNo><ATCUD>" + d.atcud +
         "</ATCUD><DocumentStatus><InvoiceStatus>N</InvoiceStatus></DocumentStatus><Hash>" +
         d.hash + "</Hash><HashControl>" + d.hashControl + "</HashControl><InvoiceDate>" + d.date +
         "</InvoiceDate><SystemEntryDate>" + d.entry +
         "</SystemEntryDate><DocumentTotals><GrossTotal>" + d.gross +
         "</GrossTotal></DocumentTotals></Invoice>";
}

std::string File(const std::string& source, const std::string& dateCreated = "2024-04-01",
                 const std::string& version = "1.04_01") {
  return "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<AuditFile "
         "xmlns=\"urn:OECD:StandardAuditFile-Tax:PT_" +
         version + "\"><Header><AuditFileVersion>" + version + "</AuditFileVersion><DateCreated>" +
         dateCreated + "</DateCreated></Header><SourceDocuments>" + source +
         "</SourceDocuments></AuditFile>\n";
}

std::string Invoices(const std::vector<Doc>& docs) {
  std::string s = "<SalesInvoices>";
  for (const Doc& d : docs) s += Invoice(d);
  return s + "</SalesInvoices>";
}

class FileAuditTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& text, const std::string& name = "audit.xml") {
    std::string path = ::testing::TempDir() + "saftpt_" + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    return path;
  }
  std::vector<std::string> Messages(const AuditReport& r) {
    std::vector<std::string> m;
    for (const AuditFinding& f : r.findings)
      m.push_back((f.gravidade == Gravidade::kErro ? "E " : "W ") + f.message);
    return m;
  }
  // Signs `docs` in number order as one chain per series, with `key`.
  static void SignChain(std::vector<Doc>& docs, const TestKey& key, const std::string& version) {
    std::string previous;
    for (Doc& d : docs) {
      d.hash = key.Sign(TextoAssinado(d.date, d.entry, d.no, d.gross, previous));
      d.hashControl = version;
      previous = d.hash;
    }
  }
};

TEST_F(FileAuditTest, NumberingGapsRepeatsAndDatesGoingBack) {
  // In file order, not number order; F B starts at 20 in this file.
  std::vector<Doc> docs = {
      {"F A/11", "2024-03-02", "2024-03-02T10:00:00", "AAAAAAAA-11"},
      {"F A/10", "2024-03-01", "2024-03-01T10:00:00", "AAAAAAAA-10"},
      {"F A/13", "2024-03-03", "2024-03-03T10:00:00", "AAAAAAAA-13"},
      {"F A/13", "2024-03-03", "2024-03-03T11:00:00", "AAAAAAAA-13"},
      {"F A/14", "2024-03-02", "2024-03-04T10:00:00", "AAAAAAAA-14"},
      {"F A/15", "2024-03-05", "2024-03-04T09:00:00", "AAAAAAAA-15"},
      {"F B/25", "2024-03-09", "2024-03-09T10:00:00", "BBBBBBBB-25"},
      {"F B/20", "2024-03-01", "2024-03-01T10:00:00", "BBBBBBBB-20"},
  };
  AuditReport r = AuditSaftFile(Write(File(Invoices(docs))));
  EXPECT_EQ(Messages(r), (std::vector<std::string>{
                             "W Falta o documento F A/12",
                             "E O número F A/13 está repetido",
                             "E F A/14 tem data anterior a F A/13",
                             "E F A/15 tem data de gravação anterior a F A/14",
                             "W Faltam os documentos F B/21 a F B/24",
                         }));
  EXPECT_EQ(r.ErrorCount(), 3u);
  EXPECT_EQ(r.WarningCount(), 2u);
  EXPECT_FALSE(r.Valid());
  EXPECT_EQ(r.findings[0].documento, "F A/12");

  // Quotations and receipts are numbered on their own; a gap alone is no error.
  std::string outros =
      "<WorkingDocuments><WorkDocument><DocumentNumber>OR A/1</DocumentNumber><ATCUD>CCCCCCCC-1"
      "</ATCUD><WorkDate>2024-03-01</WorkDate><SystemEntryDate>2024-03-01T10:00:00"
      "</SystemEntryDate></WorkDocument><WorkDocument><DocumentNumber>OR A/3</DocumentNumber>"
      "<ATCUD>CCCCCCCC-3</ATCUD><WorkDate>2024-03-02</WorkDate><SystemEntryDate>"
      "2024-03-02T10:00:00</SystemEntryDate></WorkDocument></WorkingDocuments><Payments><Payment>"
      "<PaymentRefNo>R A/1</PaymentRefNo><ATCUD>DDDDDDDD-1</ATCUD><TransactionDate>2024-03-05"
      "</TransactionDate><SystemEntryDate>2024-03-05T10:00:00</SystemEntryDate></Payment>"
      "<Payment><PaymentRefNo>R A/2</PaymentRefNo><ATCUD>DDDDDDDD-2</ATCUD><TransactionDate>"
      "2024-03-04</TransactionDate><SystemEntryDate>2024-03-05T11:00:00</SystemEntryDate>"
      "</Payment></Payments>";
  r = AuditSaftFile(Write(
      File(Invoices({{"F A/1", "2024-03-01", "2024-03-01T10:00:00", "AAAAAAAA-1"}}) + outros)));
  EXPECT_EQ(Messages(r), (std::vector<std::string>{"W Falta o documento OR A/2",
                                                   "E R A/2 tem data anterior a R A/1"}));
}

TEST_F(FileAuditTest, AtcudRule) {
  struct Case {
    const char* atcud;
    bool zeroAceite;
    const char* reason;  // part of the reason; "" when valid
  } cases[] = {
      {"0", true, ""},
      {"0", false, "antes de 2023-02-01"},
      {"JFZSCU5D-12", false, ""},
      {"JFZSCU5D-12", true, ""},
      {"ABCDEFGHIJ12-12", false, ""},
      {"JFZSCU5-12", false, "pelo menos 8"},
      {"jfzscu5d-12", false, "pelo menos 8"},
      {"JFZ-SCU5D-12", false, "pelo menos 8"},
      {"JFZSCU5D-13", false, "tem de ser 12"},
      {"JFZSCU5D-012", false, "tem de ser 12"},
      {"JFZSCU5D12", false, "CÓDIGO-NÚMERO"},
      {"", false, "CÓDIGO-NÚMERO"},
  };
  for (const Case& c : cases) {
    std::string reason = FindAtcudProblem(c.atcud, "F A/12", c.zeroAceite).value_or("");
    if (*c.reason == '\0')
      EXPECT_EQ(reason, "") << c.atcud;
    else
      EXPECT_NE(reason.find(c.reason), std::string::npos) << c.atcud << ": " << reason;
  }

  // In a file: "0" by the date the file was created; legacy files have no ATCUD.
  std::vector<Doc> docs = {{"F A/12"}, {"F A/13"}};
  docs[1].atcud = "JFZSCU5D-31";
  auto check = [&](const std::string& created, const std::string& version) {
    return Messages(AuditSaftFile(Write(File(Invoices(docs), created, version))));
  };
  EXPECT_EQ(check("2023-01-31", "1.04_01"),
            (std::vector<std::string>{
                "E ATCUD inválido em F A/13: «JFZSCU5D-31»: o número depois do hífen tem de ser "
                "13"}));
  std::vector<std::string> fevereiro = check("2023-02-01", "1.04_01");
  ASSERT_EQ(fevereiro.size(), 2u);
  EXPECT_EQ(fevereiro[0],
            "E ATCUD inválido em F A/12: «0» só é aceite em ficheiros criados antes de "
            "2023-02-01");
  EXPECT_EQ(check("2024-04-01", "1.03_01"), std::vector<std::string>{});
}

TEST_F(FileAuditTest, SignatureChainVerifiesAndNamesTheAlteredDocument) {
  TestKey key, other;
  std::string pem = Write("", "key.pem"), otherPem = Write("", "other.pem");
  key.WritePublic(pem);
  other.WritePublic(otherPem);
  std::vector<Doc> docs;
  for (int n = 1; n <= 4; ++n) {
    Doc d{"F A/" + std::to_string(n), "2024-03-0" + std::to_string(n),
          "2024-03-0" + std::to_string(n) + "T10:00:00", "AAAAAAAA-" + std::to_string(n)};
    d.gross = n == 2 ? "1230" : "12.5";  // signed as "1230.00" and "12.50"
    docs.push_back(d);
  }
  SignChain(docs, key, "1");
  AuditOptions options;
  options.chavesPublicas[""] = pem;
  EXPECT_EQ(Messages(AuditSaftFile(Write(File(Invoices(docs))), options)),
            std::vector<std::string>{});

  // An amount changed after signing: that document only, the chain after it
  // still verifies against the hash as written.
  std::vector<Doc> altered = docs;
  altered[2].gross = "13.50";
  EXPECT_EQ(Messages(AuditSaftFile(Write(File(Invoices(altered))), options)),
            std::vector<std::string>{"E Assinatura inválida: F A/3"});
  // The wrong key: every one.
  options.chavesPublicas[""] = otherPem;
  EXPECT_EQ(AuditSaftFile(Write(File(Invoices(docs))), options).ErrorCount(), 4u);

  // A file starting after number 1: its first cannot be checked.
  options.chavesPublicas[""] = pem;
  std::vector<Doc> tail(docs.begin() + 1, docs.end());
  EXPECT_EQ(Messages(AuditSaftFile(Write(File(Invoices(tail))), options)),
            std::vector<std::string>{
                "W A assinatura de F A/2 não pode ser verificada: F A/1 não está no ficheiro"});

  // A hash that is no signature is an error without a key too.
  altered = docs;
  altered[1].hash = "abc";
  EXPECT_EQ(Messages(AuditSaftFile(Write(File(Invoices(altered))))),
            std::vector<std::string>{"E Hash de F A/2 não tem 172 caracteres de base64"});
}

TEST_F(FileAuditTest, OneKeyPerHashControlVersion) {
  TestKey one, two;
  std::string pem1 = Write("", "k1.pem"), pem2 = Write("", "k2.pem");
  one.WritePublic(pem1);
  two.WritePublic(pem2);
  // The series changed key after its second document.
  std::vector<Doc> docs = {{"F A/1", "2024-03-01", "2024-03-01T10:00:00", "AAAAAAAA-1"},
                           {"F A/2", "2024-03-02", "2024-03-02T10:00:00", "AAAAAAAA-2"},
                           {"F A/3", "2024-03-03", "2024-03-03T10:00:00", "AAAAAAAA-3"}};
  docs[0].hash = one.Sign(TextoAssinado(docs[0].date, docs[0].entry, "F A/1", "123.00", ""));
  docs[1].hash =
      one.Sign(TextoAssinado(docs[1].date, docs[1].entry, "F A/2", "123.00", docs[0].hash));
  docs[2].hash =
      two.Sign(TextoAssinado(docs[2].date, docs[2].entry, "F A/3", "123.00", docs[1].hash));
  docs[0].hashControl = docs[1].hashControl = "1";
  docs[2].hashControl = "2";
  std::string file = Write(File(Invoices(docs)));

  AuditOptions options;
  AddPublicKey(options, "1=" + pem1);
  EXPECT_EQ(Messages(AuditSaftFile(file, options)),
            std::vector<std::string>{"W Sem chave pública para a versão 2 (HashControl): as "
                                     "assinaturas dessa versão não são verificadas"});
  AddPublicKey(options, " 2 = " + pem2);
  EXPECT_EQ(Messages(AuditSaftFile(file, options)), std::vector<std::string>{});
  // A key without version is used for the versions without their own.
  options.chavesPublicas.erase("2");
  AddPublicKey(options, pem1);
  EXPECT_EQ(Messages(AuditSaftFile(file, options)),
            std::vector<std::string>{"E Assinatura inválida: F A/3"});

  std::string erro = ErrorOf([&] { AddPublicKey(options, "1=other.pem"); });
  EXPECT_NE(erro.find("versão 1"), std::string::npos) << erro;
  EXPECT_THROW(AddPublicKey(options, "3="), Error);
  options.chavesPublicas = {{"", Write("not a key", "bad.pem")}};
  EXPECT_THROW(AuditSaftFile(file, options), Error);

  // The settings file's entry; a relative file is beside it.
  std::string ini = Write("[saft]\r\nchave_publica=1=k1.pem; 2=" + pem2 + "\r\n", "lexora.ini");
  AuditOptions lidas;
  ReadPublicKeysFromSettings(ini, lidas);
  std::string folder = ::testing::TempDir();
  if (folder.back() == '/') folder.pop_back();
  EXPECT_EQ(lidas.chavesPublicas,
            (std::map<std::string, std::string>{{"1", folder + "/k1.pem"}, {"2", pem2}}));
}

TEST_F(FileAuditTest, UnreadableOrMalformedFileThrows) {
  EXPECT_THROW(AuditSaftFile(::testing::TempDir() + "saftpt_none.xml"), Error);
  EXPECT_THROW(AuditSaftFile(Write("<AuditFile><Header>", "cut.xml")), Error);
  EXPECT_THROW(ComputeResumoIva(Write("<AuditFile><Header>", "cut.xml")), Error);
}

// A line of a sales document.
std::string Line(const char* side, const char* amount, const char* code, const char* rate,
                 const char* region = "PT", const char* exemption = "") {
  std::string l = "<Line><" + std::string(side) + ">" + amount + "</" + side +
                  "><Tax><TaxType>IVA</TaxType><TaxCountryRegion>" + region +
                  "</TaxCountryRegion><TaxCode>" + code + "</TaxCode><TaxPercentage>" + rate +
                  "</TaxPercentage></Tax>";
  if (*exemption)
    l += "<TaxExemptionReason>Isento</TaxExemptionReason><TaxExemptionCode>" +
         std::string(exemption) + "</TaxExemptionCode>";
  return l + "</Line>";
}

std::string Sale(const char* no, const char* type, const char* status, int period,
                 const std::string& lines, const char* taxPayable, const char* irs = "") {
  std::string s = "<Invoice><InvoiceNo>" + std::string(no) +
                  "</InvoiceNo><DocumentStatus><InvoiceStatus>" + status +
                  "</InvoiceStatus></DocumentStatus><Period>" + std::to_string(period) +
                  "</Period><InvoiceType>" + type + "</InvoiceType>" + lines +
                  "<DocumentTotals><TaxPayable>" + taxPayable + "</TaxPayable></DocumentTotals>";
  if (*irs)
    s += "<WithholdingTax><WithholdingTaxType>IRS</WithholdingTaxType><WithholdingTaxAmount>" +
         std::string(irs) + "</WithholdingTaxAmount></WithholdingTax>";
  return s + "</Invoice>";
}

TEST_F(FileAuditTest, VatSummaryOfASmallOffice) {
  std::string sales =
      "<SalesInvoices>" +
      Sale("F A/1", "FT", "N", 1,
           Line("CreditAmount", "1000.00", "NOR", "23.00") +
               Line("CreditAmount", "250.00", "ISE", "0", "PT", "M07"),
           "230.00", "250.00") +
      Sale("F A/2", "FT", "N", 2, Line("CreditAmount", "200.50", "NOR", "23.00"), "46.12") +
      // The credit note of F A/2 and part of F A/1's exempt line.
      Sale("NC A/1", "NC", "N", 2,
           Line("DebitAmount", "200.50", "NOR", "23.00") +
               Line("DebitAmount", "100.00", "ISE", "0", "PT", "M07"),
           "46.12", "50.00") +
      Sale("F A/3", "FT", "A", 2, Line("CreditAmount", "999.00", "NOR", "23.00"), "229.77") +
      // 2 x 0.10 at 23 %: 0.046, rounded once to 0.05 (0.04 line by line).
      Sale("F A/4", "FT", "N", 2,
           Line("CreditAmount", "0.10", "NOR", "23") + Line("CreditAmount", "0.10", "NOR", "23"),
           "0.05") +
      Sale("F A/5", "FT", "N", 2, Line("CreditAmount", "100.00", "NOR", "16.00", "PT-AC"),
           "16.00") +
      "</SalesInvoices>";
  // Quotations are no sales.
  std::string working =
      "<WorkingDocuments><WorkDocument><DocumentNumber>OR A/1</DocumentNumber>" +
      Line("CreditAmount", "500.00", "NOR", "23.00") +
      "<DocumentTotals><TaxPayable>115.00</TaxPayable></DocumentTotals></WorkDocument>"
      "</WorkingDocuments>";
  ResumoIva r = ComputeResumoIva(Write(File(sales + working)));
  EXPECT_EQ(r.documentos, 5);
  EXPECT_EQ(ResumoIvaCsv(r),
            "imposto,regiao,codigo,taxa,base,valor\n"
            "IVA,PT,NOR,23.00,1000.20,230.05\n"
            "IVA,PT,ISE,0.00,150.00,0.00\n"
            "IVA,PT-AC,NOR,16.00,100.00,16.00\n"
            "ISENCAO,,M07,,150.00,0.00\n"
            "RETENCAO,,IRS,,,200.00\n"
            "TAXPAYABLE,,,,,246.05\n");
  ASSERT_EQ(r.meses.size(), 2u);
  EXPECT_EQ(ResumoIvaCsv(ResumoIva{r.meses.at(2), {}, 0}),
            "imposto,regiao,codigo,taxa,base,valor\n"
            "IVA,PT,NOR,23.00,0.20,0.05\n"
            "IVA,PT,ISE,0.00,-100.00,0.00\n"
            "IVA,PT-AC,NOR,16.00,100.00,16.00\n"
            "ISENCAO,,M07,,-100.00,0.00\n"
            "RETENCAO,,IRS,,,-50.00\n"
            "TAXPAYABLE,,,,,16.05\n");

  std::string texto = ResumoIvaTexto(r);
  EXPECT_NE(texto.find("(5 documentos de venda não anulados)"), std::string::npos) << texto;
  EXPECT_NE(texto.find("\nPor mês\n"), std::string::npos) << texto;
  EXPECT_NE(texto.find("TaxPayable dos documentos                                   246.05\n"),
            std::string::npos)
      << texto;
  EXPECT_NE(
      texto.find("\n2    IVA      PT      ISE        0.00           -100.00            0.00\n"),
      std::string::npos)
      << texto;
}

}  // namespace
}  // namespace saftpt

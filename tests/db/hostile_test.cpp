// Exports of hostile data (db/hostile.sql): every run either writes a
// well-formed file that says what the database says, or stops with a message
// naming the document, never a crash or a statement broken by the data.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "ExportFixture.h"

namespace saftpt::test {
namespace {

namespace fs = std::filesystem;

struct XmlDoc {
  explicit XmlDoc(const std::string& path)
      : doc(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_HUGE)) {}
  ~XmlDoc() {
    if (doc) xmlFreeDoc(doc);
  }
  // Text of every node the expression selects ("x" is the audit file's
  // namespace), decoded to UTF-8.
  std::vector<std::string> All(const std::string& xpath) const {
    std::vector<std::string> v;
    std::unique_ptr<xmlXPathContext, void (*)(xmlXPathContextPtr)> ctx(xmlXPathNewContext(doc),
                                                                       xmlXPathFreeContext);
    xmlXPathRegisterNs(ctx.get(), BAD_CAST "x", xmlDocGetRootElement(doc)->ns->href);
    xmlXPathObjectPtr r = xmlXPathEvalExpression(BAD_CAST xpath.c_str(), ctx.get());
    if (r && r->nodesetval) {
      for (int i = 0; i < r->nodesetval->nodeNr; ++i) {
        xmlChar* t = xmlNodeGetContent(r->nodesetval->nodeTab[i]);
        v.push_back(t ? reinterpret_cast<const char*>(t) : "");
        xmlFree(t);
      }
    }
    xmlXPathFreeObject(r);
    return v;
  }
  std::string One(const std::string& xpath) const {
    std::vector<std::string> v = All(xpath);
    EXPECT_EQ(v.size(), 1u) << xpath;
    return v.empty() ? "" : v[0];
  }
  xmlDocPtr doc;
};

class HostileTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    ExecFile("db/hostile.sql");
  }
  CliResult Export(const std::string& schema) {
    return Saftpt({"export", "--settings", ini_, "--year", "2024", "--receipts", "--no-input",
                   "--force", "--schema", schema, "-o", xml_});
  }
  std::string Db(const std::string& sql) { return db_.Execute(sql).Field(size_t{0}).Text(); }

  // The checks every written file passes, whatever its version.
  void CheckFile(const std::string& schema) {
    SCOPED_TRACE(schema);
    XmlDoc x(xml_);
    ASSERT_NE(x.doc, nullptr) << "not well-formed";
    std::string raw = FileText(xml_);
    EXPECT_EQ(raw.rfind("<?xml version=\"1.0\" encoding=\"Windows-1252\"?>", 0), 0u);
    // No control character but line breaks and tabs, and no NUL cut a text.
    for (unsigned char c : raw) ASSERT_TRUE(c >= 0x20 || c == '\n' || c == '\r' || c == '\t');

    // Quotes, backslashes, wildcards and markup arrive as they are stored.
    const std::string nome = Db("select Nome from clientes where NContribuinte='123456789'");
    EXPECT_EQ(x.One("//x:Customer[x:CustomerTaxID='123456789']/x:CompanyName"), nome);
    EXPECT_EQ(x.All("//x:Product[x:ProductCode=\"H'1\\%_\"]").size(), 1u);
    // A latin1 byte (0xE9) of the office's address reaches the file as "é".
    EXPECT_EQ(x.One("//x:Header//x:AddressDetail"), "Rua José 1");
    EXPECT_NE(raw.find("Rua Jos\xE9 1"), std::string::npos);
    // Characters Windows-1252 lacks survive as references; the euro sign is
    // its own byte.
    std::vector<std::string> linhas =
        x.All("//x:Invoice[x:InvoiceNo='F A/1']/x:Line/x:Description");
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[0].rfind("Grego ελληνικά, chinês 中文, emoji 😀, polaco Łódź, euro €", 0), 0u)
        << linhas[0];
    EXPECT_NE(raw.find("euro \x80"), std::string::npos);
    // The 100,000-character texts are cut, never dropped or garbled.
    EXPECT_FALSE(linhas[1].empty());
    EXPECT_TRUE(PrefixoDaRepeticao(linhas[1])) << linhas[1].substr(0, 80);
    std::string morada = x.One(
        "//x:Customer[x:CustomerTaxID='123456789']/x:BillingAddress/"
        "x:AddressDetail");
    EXPECT_FALSE(morada.empty());
    EXPECT_EQ(Db("select Morada from clientes where NContribuinte='123456789'").rfind(morada, 0),
              0u);
    // A NUL in the middle of a stored name keeps what follows it.
    std::string c3 = x.One("//x:Customer[x:CustomerTaxID='987654321']/x:CompanyName");
    EXPECT_NE(c3.find("Bell"), std::string::npos) << c3;
    EXPECT_EQ(c3.substr(c3.size() - 3), "Fim") << c3;
    // The invoice of 40,000 lines, all of them, and its totals.
    const std::string grande = "//x:Invoice[x:InvoiceNo=\"F B'\\/1\"]";
    EXPECT_EQ(x.All(grande + "/x:Line").size(), 40000u);
    EXPECT_EQ(x.One(grande + "/x:DocumentTotals/x:GrossTotal"), "49200.00");
    EXPECT_EQ(x.All(grande + "/x:Line[x:LineNumber='40000']/x:Description"),
              std::vector<std::string>{"Linha 40000"});
    EXPECT_EQ(x.One("//x:SalesInvoices/x:NumberOfEntries"), "4");
    // The quotation and the receipt with their quoted texts.
    EXPECT_EQ(x.One("//x:WorkDocument[x:DocumentNumber='OR A/1']/x:Line/x:Description")
                  .rfind("Orçamento \"O'K\" \\ 100% _x_", 0),
              0u);
    EXPECT_EQ(x.All("//x:Payment[x:PaymentRefNo='R A/1']").size(), 1u);
  }

  static bool PrefixoDaRepeticao(const std::string& s) {
    std::string esperado;
    while (esperado.size() < s.size()) esperado += "0123456789";
    return !s.empty() && esperado.compare(0, s.size(), s) == 0;
  }
};

TEST_F(HostileTest, BothVersionsWriteWellFormedFaithfulFiles) {
  // The older version carries no ATCUD: the document without one is written.
  CliResult r = Export("1.03_01");
  ASSERT_EQ(r.status, 0) << r.err;
  CheckFile("1.03_01");

  // The current one stops at it, naming the document, and leaves the file of
  // the earlier run as it was.
  std::string antes = FileText(xml_);
  r = Export("1.04_01");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ATCUD em falta no documento F A/2\n");
  EXPECT_EQ(FileText(xml_), antes);

  Exec("UPDATE documentos SET ATCUD='JFHOST01-2' WHERE IDDoc=2");
  r = Export("1.04_01");
  ASSERT_EQ(r.status, 0) << r.err;
  CheckFile("1.04_01");
  XmlDoc x(xml_);
  EXPECT_EQ(x.One("//x:Invoice[x:InvoiceNo='F A/2']/x:ATCUD"), "JFHOST01-2");
}

// Every column the export reads, NULL on one row at a time: a file or a clear
// stop, never a crash, a broken statement or an empty message.
TEST_F(HostileTest, NullInAnyColumnIsWrittenOrStopsClearly) {
  Exec(
      "DELETE FROM documentoslinhas WHERE IDDoc=4; DELETE FROM documentos WHERE IDDoc=4;"
      "UPDATE documentos SET ATCUD='JFHOST01-2' WHERE ATCUD IS NULL");
  const std::vector<std::pair<std::string, std::string>> colunas = {
      {"configescritorio", "nome"},
      {"configescritorio", "morada"},
      {"configescritorio", "Localidade"},
      {"configescritorio", "Codpostal"},
      {"configescritorio", "NumContribuinte"},
      {"configescritorio", "EspacoFiscal"},
      {"configescritorio", "Iva"},
      {"configescritorio", "OC"},
      {"configescritorio", "OC1"},
      {"configescritorio", "IvaCaixa"},
      {"clientes", "NContribuinte"},
      {"clientes", "Nome"},
      {"clientes", "Morada"},
      {"clientes", "CodPostal"},
      {"clientes", "Pais"},
      {"series", "seriegeral"},
      {"series", "IvaCaixa"},
      {"iva", "nome"},
      {"honorarios", "Referencia"},
      {"honorarios", "Descricao"},
      {"honorarios", "Categoria"},
      {"tipoisencaoiva", "Nome"},
      {"tipoisencaoiva", "CodMencao"},
      {"documentos", "Data"},
      {"documentos", "DataEdicao"},
      {"documentos", "Anulado"},
      {"documentos", "ATCUD"},
      {"documentos", "Assinatura"},
      {"documentos", "CodCliente"},
      {"documentos", "NContribuinteCliente"},
      {"documentos", "ValorIva"},
      {"documentos", "ValorLiquido"},
      {"documentos", "ValorTotal"},
      {"documentos", "ValorRetencao"},
      {"documentos", "ModoPag"},
      {"documentoslinhas", "Referencia"},
      {"documentoslinhas", "Descricao"},
      {"documentoslinhas", "Quant"},
      {"documentoslinhas", "Preco"},
      {"documentoslinhas", "ValorLiquido"},
      {"documentoslinhas", "Iva"},
      {"documentoslinhas", "ValorIva"},
      {"documentoslinhas", "ValorTotal"},
      {"documentoslinhas", "IsencaoIva"},
      {"documentoslinhas", "CodMencao"},
      {"documentoslinhas", "IDDocP"},
      {"documentoslinhas", "TipoDocP"},
      {"documentoslinhas", "NumeroP"},
  };
  for (const auto& [tabela, coluna] : colunas) {
    SCOPED_TRACE(tabela + "." + coluna);
    Exec("DROP TABLE IF EXISTS copia; CREATE TABLE copia AS SELECT * FROM " + tabela + "; UPDATE " +
         tabela + " SET " + coluna + "=NULL");
    fs::remove(xml_);
    CliResult r = Export("1.04_01");
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_TRUE(r.status == 0 || r.status == 1 || r.status == 3) << r.status << r.err;
    if (r.status == 0 || r.status == 3) {
      // Written; when the AT's rules reject it, the problems are named.
      XmlDoc x(xml_);
      EXPECT_NE(x.doc, nullptr);
      EXPECT_EQ(r.err.empty(), r.status == 0) << r.err;
    } else {
      EXPECT_FALSE(fs::exists(xml_));
      EXPECT_FALSE(r.err.empty());
      EXPECT_EQ(r.err.find("SQL syntax"), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("não implementado"), std::string::npos) << r.err;
      // The message names the column or the document it stopped at.
      EXPECT_TRUE(r.err.find(coluna + "\"") != std::string::npos ||
                  r.err.find("documento F A/") != std::string::npos)
          << r.err;
    }
    Exec("DELETE FROM " + tabela + "; INSERT INTO " + tabela + " SELECT * FROM copia");
  }
}

// Restrictions typed on the command line: a series with a quote and a
// backslash selects itself, and typed quotes cannot widen the selection.
TEST_F(HostileTest, TypedRestrictionsSelectOnlyWhatTheySay) {
  Exec(
      "DELETE FROM documentoslinhas WHERE IDDoc=4 AND Descricao<>'Linha 1';"
      "UPDATE documentos SET ATCUD='JFHOST01-2' WHERE ATCUD IS NULL");
  auto Restrito = [&](const std::string& restricao) {
    return Saftpt({"export", "--settings", ini_, "--year", "2024", "--no-input", "--force",
                   "--restrict", restricao, "-o", xml_});
  };
  CliResult r = Restrito("F:B'\\:1-1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("NºFacturas: 1\n"), std::string::npos) << r.out;
  XmlDoc x(xml_);
  EXPECT_EQ(x.All("//x:Invoice/x:InvoiceNo"), std::vector<std::string>{"F B'\\/1"});

  for (const char* restricao : {"F' or '1'='1:A:1-99", "F:A' or 'x'='x:1-99",
                                "F:A\\' or 1=1 -- :1-99", "F:%:1-99", "F:_:1-99"}) {
    SCOPED_TRACE(restricao);
    r = Restrito(restricao);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.err.find("SQL syntax"), std::string::npos) << r.err;
    if (r.status == 0) {
      XmlDoc y(xml_);
      EXPECT_TRUE(y.All("//x:Invoice").empty()) << r.out;
    } else {
      EXPECT_EQ(r.status, 2) << r.err;
    }
  }
  EXPECT_EQ(Db("select count(*) from documentos"), "6");
}

}  // namespace
}  // namespace saftpt::test

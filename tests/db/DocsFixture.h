// Shared by the source-document tests: a small office with customers, series,
// fee types and reasons, helpers that insert documents and lines, and a
// section written under a "SourceDocuments" root with its golden files in
// tests/golden/docs.
#ifndef SAFTPT_TESTS_DB_DOCSFIXTURE_H_
#define SAFTPT_TESTS_DB_DOCSFIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "BuilderFixture.h"
#include "base/Utf8.h"
#include "saft/SourceDocuments.h"

namespace saftpt::test {

// One document row; the fields are SQL literals.
struct Doc {
  int id;
  std::string tipo = "F";
  std::string serie = "A";
  int numero = 1;
  std::string data = "2024-01-15";
  std::string cliente = "'0001'";
  double liquido = 100;
  double iva = 23;
  double total = 123;
  double desconto = 0;
  double retencao = 0;
  std::string anulado = "0";
  std::string extra = "";  // ", Column=value" pairs set after the insert
};

// One line row of a document (tipodoc, serie and numero come from it).
struct Line {
  int doc;
  double liquido = 100;
  double taxa = 23;
  std::string referencia = "'HON'";
  std::string descricao = "'Honorários'";
  double quant = 1;
  double preco = 100;
  double desconto = 0;
  std::string isencao = "NULL";
  std::string codmencao = "NULL";
  std::string extra = "";  // ", Column=value" pairs set after the insert
};

// A zero-rated line exempt under article 9 of the VAT code, with its code.
inline Line Isenta(int doc, double liquido) {
  return Line{.doc = doc,
              .liquido = liquido,
              .taxa = 0,
              .isencao = "'Isento Artigo 9.º do CIVA'",
              .codmencao = "'M07'"};
}

class DocsTest : public BuilderTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    LoadOffice();
  }

  // Recreates the database in another kind of schema, with the office.
  void UseKind(const SchemaKind& kind) {
    CreateDatabase(kind);
    LoadOffice();
  }

  // The office, its customers, series, fee types, rates and reasons.
  void LoadOffice() {
    Exec(
        "INSERT INTO configescritorio (ID, nome, NumContribuinte, EspacoFiscal, Iva, "
        "ClienteIndiferenciado, OC, OC1, IvaCaixa) VALUES (1, 'Sociedade de Advogados Teste', "
        "'501234567', 'Continente', 23, '0', 1, 0, 0);"
        "INSERT INTO clientes (CodCliente, NContribuinte, Nome) VALUES ('0', '999999990', "
        "'Consumidor final'), ('0001', '230 820 794', 'Maria Ferreira'), ('0002', NULL, 'João "
        "Santos'), ('0003', '183054946', 'Ana Sousa'), ('0004', '183054946', 'Ana Sousa (2)');"
        "INSERT INTO series (serie, descricao, IvaCaixa) VALUES ('A', 'Geral', 0), ('C', 'Caixa', "
        "1);"
        "INSERT INTO honorarios (Referencia, Descricao, Categoria) VALUES ('HON', 'Honorários', "
        "'S'), ('DESP', '', 'S'), ('REF-COM-UM-NOME-BASTANTE-COMPRIDO-40', 'Longa', 'S');"
        "INSERT INTO iva (nome, descricao) VALUES ('23', 'Normal'), ('6', 'Reduzida'), ('0', "
        "'Isento'), ('16', 'Açores');"
        "INSERT INTO impostoselo (Codigo, Nome, Tipo, Valor) VALUES ('IS1', 'Verba fixa', "
        "'Valor', 5), ('IS4', 'Verba 4', 'Percentagem', 4);"
        "INSERT INTO tipoisencaoiva (Nome, CodMencao) VALUES ('Isento Artigo 9.º do CIVA', 'M07'), "
        "('Regime particular do tabaco', 'M11'), ('IVA - autoliquidação - Artigo 2.º n.º 1 "
        "alínea j) do CIVA', 'M31')");
  }

  void Insert(const Doc& d) {
    std::ostringstream s;
    s << "INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, Anulado, ATCUD, "
         "Assinatura, VersaoChavePrivada, CodCliente, NContribuinteCliente, ValorIva, ValorSelo, "
         "ValorLiquido, ValorDesconto, ValorTotal, ValorRetencao) VALUES ("
      << d.id << ", '" << d.tipo << "', '" << d.serie << "', " << d.numero << ", '" << d.data
      << "', " << d.anulado << ", 'ATC-" << d.tipo << d.numero << "', 'sig" << d.id << "', 1, "
      << d.cliente << ", (SELECT NContribuinte FROM clientes WHERE CodCliente=" << d.cliente
      << "), " << d.iva << ", 0, " << d.liquido << ", " << d.desconto << ", " << d.total << ", "
      << d.retencao << ")";
    Exec(s.str());
    if (!d.extra.empty())
      Exec("UPDATE documentos SET IDDoc=IDDoc" + d.extra + " WHERE IDDoc=" + std::to_string(d.id));
  }

  void Insert(const Line& l) {
    std::ostringstream s;
    s << "INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Referencia, Descricao, "
         "Quant, Preco, ValorDesconto, ValorLiquido, Iva, ValorIva, ValorTotal, IsencaoIva, "
         "CodMencao) SELECT IDDoc, tipodoc, serie, numero, "
      << l.referencia << ", " << l.descricao << ", " << l.quant << ", " << l.preco << ", "
      << l.desconto << ", " << l.liquido << ", " << l.taxa << ", ROUND(" << l.liquido << "*"
      << l.taxa << "/100, 2), ROUND(" << l.liquido << "*(1+" << l.taxa << "/100), 2), " << l.isencao
      << ", " << l.codmencao << " FROM documentos WHERE IDDoc=" << l.doc;
    Exec(s.str());
    if (!l.extra.empty())
      Exec("UPDATE documentoslinhas SET ID=ID" + l.extra + " WHERE ID=(SELECT MAX(ID) FROM " +
           "(SELECT ID FROM documentoslinhas) t)");
  }

  // Runs one section writer and returns the text in UTF-8 (the bytes as
  // written stay in raw_).
  std::string Section(const SectionWriter& writer) {
    raw_ = Write("SourceDocuments", writer);
    std::string utf8;
    for (unsigned char c : raw_) AppendUtf8(utf8, Windows1252CodePoint(c));
    return utf8;
  }
  std::string Invoices() { return Section(WriteSalesInvoices); }
  std::string Working() { return Section(WriteWorkingDocuments); }
  std::string Payments() { return Section(WritePayments); }

  // Compares the bytes of the last section with tests/golden/docs/NAME.
  void ExpectGolden(const std::string& name) { ExpectSameAsGolden(raw_, "docs/" + name); }

  // The text of the first element with that tag, "" when there is none.
  static std::string Element(const std::string& xml, const std::string& tag, size_t from = 0) {
    size_t a = xml.find("<" + tag + ">", from);
    if (a == std::string::npos) return "";
    a += tag.size() + 2;
    return xml.substr(a, xml.find("</" + tag + ">", a) - a);
  }
  static size_t Count(const std::string& xml, const std::string& needle) {
    size_t n = 0;
    for (size_t p = xml.find(needle); p != std::string::npos; p = xml.find(needle, p + 1)) ++n;
    return n;
  }

  std::string raw_;  // the bytes of the last Section
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_DOCSFIXTURE_H_

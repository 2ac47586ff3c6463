// The demo office's database (db/demo.sql) loads into every kind of billing
// tables and keeps what the export relies on: totals that add up, receipts
// that pay existing documents, known countries, accepted exemption reasons.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../ShippedTable.h"
#include "../TestDoubles.h"
#include "HashedExport.h"
#include "TestDatabase.h"
#include "audit/FileAudit.h"
#include "audit/SchemaValidation.h"
#include "base/Utf8.h"
#include "config/OfficeConfig.h"
#include "saft/AuditFileBuilder.h"
#include "saft/Countries.h"
#include "saft/ExemptionReasons.h"
#include "saft/ProgressSink.h"

namespace saftpt::test {
namespace {

// An amount (or a quantity, a rate) in hundredths.
long long Cents(const Value& v) {
  return v.IsNull() ? 0 : std::llround(v.Number() * 100);
}

// num / den rounded half away from zero (den > 0).
long long DivRound(long long num, long long den) {
  long long q = (2 * std::llabs(num) + den) / (2 * den);
  return num < 0 ? -q : q;
}

std::string Key(const std::string& text) {
  return Utf8Upper(Trim(text));
}

struct Linha {
  long long id = 0, iddoc = 0;
  std::string tipodoc, serie, isencao, codMencao, tipoRetencao, tipoDocP, serieP;
  bool codMencaoNull = true, hasDocP = false;
  long long numero = 0, quant = 0, preco = 0, desconto = 0, liquido = 0, iva = 0, valorIva = 0,
            total = 0, retencao = 0, selo = 0, idDocP = 0, numeroP = 0;
};

struct Documento {
  long long id = 0, numero = 0;
  std::string tipodoc, serie, codCliente, nif, motivo, atcud;
  bool nifNull = true, anulado = false;
  DateTime data;
  long long liquido = 0, iva = 0, selo = 0, total = 0, retencao = 0, desconto = 0;
  std::vector<const Linha*> linhas;
};

class DemoDataTest : public DbTest, public ::testing::WithParamInterface<SchemaKind> {
 protected:
  void SetUp() override {
    CreateDatabase(GetParam());
    ExecFile("db/demo.sql");
    Load();
  }

  void Load() {
    for (Recordset rs = db_.Execute("select * from documentos order by IDDoc"); !rs.Eof();
         rs.MoveNext()) {
      Documento d;
      d.id = rs["IDDoc"].Integer();
      d.tipodoc = rs.Text("tipodoc");
      d.serie = rs.Text("serie");
      d.numero = rs["numero"].Integer();
      d.data = rs["Data"].Date();
      d.anulado = rs["Anulado"].Boolean();
      d.motivo = rs.Text("Motivo");
      d.atcud = rs.Text("ATCUD");
      d.codCliente = rs.Text("CodCliente");
      d.nif = rs.Text("NContribuinteCliente");
      d.nifNull = rs.IsNull("NContribuinteCliente");
      d.liquido = Cents(rs["ValorLiquido"]);
      d.iva = Cents(rs["ValorIva"]);
      d.selo = Cents(rs["ValorSelo"]);
      d.total = Cents(rs["ValorTotal"]);
      d.retencao = Cents(rs["ValorRetencao"]);
      d.desconto = Cents(rs["ValorDesconto"]);
      docs_[d.id] = d;
    }
    for (Recordset rs = db_.Execute("select * from documentoslinhas order by ID"); !rs.Eof();
         rs.MoveNext()) {
      auto l = std::make_unique<Linha>();
      l->id = rs["ID"].Integer();
      l->iddoc = rs["IDDoc"].Integer();
      l->tipodoc = rs.Text("tipodoc");
      l->serie = rs.Text("Serie");
      l->numero = rs["numero"].Integer();
      l->quant = Cents(rs["Quant"]);
      l->preco = Cents(rs["Preco"]);
      l->desconto = Cents(rs["ValorDesconto"]);
      l->liquido = Cents(rs["ValorLiquido"]);
      l->iva = Cents(rs["Iva"]);
      l->valorIva = Cents(rs["ValorIva"]);
      l->total = Cents(rs["ValorTotal"]);
      l->retencao = Cents(rs["ValorRetencao"]);
      l->selo = Cents(rs["ValorSelo"]);
      l->tipoRetencao = rs.Text("TipoRetencao");
      l->isencao = rs.Text("IsencaoIva");
      l->codMencao = rs.Text("CodMencao");
      l->codMencaoNull = rs.IsNull("CodMencao");
      l->tipoDocP = rs.Text("TipoDocP");
      l->serieP = rs.Text("SerieP");
      l->hasDocP = !rs.IsNull("IDDocP");
      if (l->hasDocP) {
        l->idDocP = rs["IDDocP"].Integer();
        l->numeroP = rs["NumeroP"].Integer();
      }
      auto it = docs_.find(l->iddoc);
      ASSERT_NE(it, docs_.end()) << "line " << l->id << " of a missing document";
      it->second.linhas.push_back(l.get());
      lines_.push_back(std::move(l));
    }
    ASSERT_GT(docs_.size(), 300u);
  }

  // Documents that receipts point at.
  std::set<long long> PaidDocuments() const {
    std::set<long long> paid;
    for (const auto& l : lines_)
      if (l->tipodoc == "R" && l->hasDocP) paid.insert(l->idDocP);
    return paid;
  }

  std::map<long long, Documento> docs_;
  std::vector<std::unique_ptr<Linha>> lines_;
};

TEST_P(DemoDataTest, LineAmountsFollowQuantityPriceAndRate) {
  for (const auto& l : lines_) {
    if (l->tipodoc == "R") continue;
    SCOPED_TRACE("line " + std::to_string(l->id));
    EXPECT_EQ(l->liquido, DivRound(l->quant * l->preco, 100) - l->desconto);
    EXPECT_EQ(l->valorIva, DivRound(l->liquido * l->iva, 10000));
    EXPECT_EQ(l->total, l->liquido + l->valorIva + l->selo);
    // Withholding is a quarter of the fee, and says which tax it is.
    if (l->retencao != 0) {
      EXPECT_EQ(l->retencao, DivRound(l->liquido * 25, 100));
      EXPECT_TRUE(l->tipoRetencao == "IRS" || l->tipoRetencao == "IRC") << l->tipoRetencao;
    } else {
      EXPECT_EQ(l->tipoRetencao, "");
    }
  }
}

TEST_P(DemoDataTest, DocumentTotalsAreTheSumsOfTheirLines) {
  for (const auto& [id, d] : docs_) {
    SCOPED_TRACE(d.tipodoc + " " + d.serie + "/" + std::to_string(d.numero));
    ASSERT_FALSE(d.linhas.empty());
    long long liquido = 0, iva = 0, selo = 0, retencao = 0, total = 0;
    for (const Linha* l : d.linhas) {
      liquido += l->liquido;
      iva += l->valorIva;
      selo += l->selo;
      retencao += l->retencao;
      total += l->total;
      EXPECT_EQ(l->tipodoc, d.tipodoc);
      EXPECT_EQ(l->serie, d.serie);
      EXPECT_EQ(l->numero, d.numero);
    }
    EXPECT_EQ(d.liquido, liquido);
    EXPECT_EQ(d.iva, iva);
    EXPECT_EQ(d.selo, selo);
    EXPECT_EQ(d.retencao, retencao);
    EXPECT_EQ(d.desconto, 0);  // discounts live on the lines
    if (d.tipodoc == "R")
      EXPECT_EQ(d.total, total);  // what the customer paid
    else
      EXPECT_EQ(d.total, d.liquido + d.iva + d.selo - d.retencao);
    EXPECT_GT(d.total, 0);
  }
}

TEST_P(DemoDataTest, ReceiptLinesPayExistingDocumentsOfTheirCustomer) {
  std::map<long long, long long> paidBy;  // document -> sum of active receipts
  int notas = 0;
  for (const auto& l : lines_) {
    if (l->tipodoc != "R") continue;
    SCOPED_TRACE("receipt line " + std::to_string(l->id));
    const Documento& recibo = docs_.at(l->iddoc);
    ASSERT_TRUE(l->hasDocP);
    auto it = docs_.find(l->idDocP);
    ASSERT_NE(it, docs_.end());
    const Documento& pago = it->second;
    EXPECT_EQ(pago.tipodoc, l->tipoDocP);
    EXPECT_EQ(pago.serie, l->serieP);
    EXPECT_EQ(pago.numero, l->numeroP);
    EXPECT_EQ(pago.codCliente, recibo.codCliente);
    EXPECT_LE(pago.data, recibo.data);
    EXPECT_FALSE(pago.anulado);
    EXPECT_NE(pago.serie, "tmp");
    if (pago.tipodoc == "NC") {
      // A credit note is deducted whole, with negative amounts.
      ++notas;
      EXPECT_EQ(l->total, -pago.total);
      EXPECT_EQ(l->liquido, -pago.liquido);
    } else {
      EXPECT_TRUE(pago.tipodoc == "F" || pago.tipodoc == "ND") << pago.tipodoc;
      EXPECT_GT(l->total, 0);
      EXPECT_LE(l->total, pago.total);
      // The declared net is the paid share of the document's net.
      EXPECT_EQ(l->liquido, DivRound(l->total * pago.liquido, pago.total));
    }
    if (!recibo.anulado) paidBy[pago.id] += l->total;
  }
  EXPECT_GE(notas, 3);
  for (const auto& [id, paid] : paidBy) {
    const Documento& d = docs_.at(id);
    if (d.tipodoc == "NC")
      EXPECT_EQ(paid, -d.total) << "credit note " << d.numero << " deducted more than once";
    else
      EXPECT_LE(paid, d.total) << d.tipodoc << " " << d.serie << "/" << d.numero;
  }
  // Some documents are paid in parts, and receipts gather several documents.
  int parciais = 0, varios = 0;
  for (const auto& [id, paid] : paidBy) parciais += docs_.at(id).total > paid ? 1 : 0;
  for (const auto& [id, d] : docs_) varios += d.tipodoc == "R" && d.linhas.size() > 1 ? 1 : 0;
  EXPECT_GE(parciais, 5);
  EXPECT_GE(varios, 5);
}

TEST_P(DemoDataTest, CreditAndDebitNotesReferTheirInvoice) {
  for (const auto& [id, d] : docs_) {
    if (d.tipodoc != "NC" && d.tipodoc != "ND") continue;
    for (const Linha* l : d.linhas) {
      SCOPED_TRACE("line " + std::to_string(l->id));
      ASSERT_TRUE(l->hasDocP);
      const Documento& f = docs_.at(l->idDocP);
      EXPECT_EQ(f.tipodoc, "F");
      EXPECT_EQ(l->tipoDocP, "F");
      EXPECT_EQ(l->serieP, f.serie);
      EXPECT_EQ(l->numeroP, f.numero);
      EXPECT_EQ(f.codCliente, d.codCliente);
      EXPECT_LE(f.data, d.data);
    }
  }
}

TEST_P(DemoDataTest, EveryCustomerCountryIsKnown) {
  std::set<std::string> codes;
  for (Recordset rs = db_.Execute("select CodCliente, Pais from clientes"); !rs.Eof();
       rs.MoveNext()) {
    const std::string pais = rs.Text("Pais");
    if (pais.empty()) continue;
    const std::string code = FindCountry(pais);
    EXPECT_FALSE(code.empty()) << rs.Text("CodCliente") << ": " << pais;
    codes.insert(code);
  }
  // Customers abroad, named in Portuguese and in English.
  for (const char* c : {"PT", "ES", "FR", "DE", "GB", "BR", "AO", "CH"})
    EXPECT_EQ(codes.count(c), 1u) << c;
}

TEST_P(DemoDataTest, ZeroRatedLinesCarryAnAcceptedReasonAndCode) {
  std::map<std::string, std::string> table;  // reason text -> code
  for (Recordset rs = db_.Execute("select Nome, CodMencao from tipoisencaoiva"); !rs.Eof();
       rs.MoveNext())
    table[Key(rs.Text("Nome"))] = rs.Text("CodMencao");
  const std::set<long long> paid = PaidDocuments();
  int lookedUp = 0;
  for (const auto& l : lines_) {
    if (l->tipodoc == "R") continue;
    SCOPED_TRACE("line " + std::to_string(l->id));
    if (l->iva != 0) {
      EXPECT_EQ(Trim(l->isencao), "");
      continue;
    }
    const Documento& d = docs_.at(l->iddoc);
    std::set<std::string> accepted;
    for (const std::string& t : ShippedMotivos().Accepted(d.data)) accepted.insert(Key(t));
    EXPECT_EQ(accepted.count(Key(l->isencao)), 1u) << l->isencao;
    std::string code = l->codMencao;
    if (code.empty()) {
      ++lookedUp;
      code = table[Key(l->isencao)];
    }
    EXPECT_TRUE(code.size() == 3 && code[0] == 'M') << code;
    EXPECT_FALSE(ShippedMotivos().IsWithdrawnCode(code, d.data)) << code;
    // The receipts' check sends code-less lines of paid documents to the
    // correction dialog, which a demo must never need.
    if (paid.count(d.id)) {
      EXPECT_FALSE(l->codMencao.empty());
    }
  }
  EXPECT_GT(lookedUp, 5);
}

TEST_P(DemoDataTest, EveryKindOfDocumentIsThereAndNumberedInDateOrder) {
  std::map<std::string, int> count;
  std::map<std::pair<std::string, std::string>, std::vector<const Documento*>> bySeries;
  int anulados = 0, tmp = 0;
  for (const auto& [id, d] : docs_) {
    EXPECT_GE(d.data, DateTime::Date(2025, 1, 1));
    EXPECT_LE(d.data, DateTime::Date(2026, 11, 30));
    if (d.serie == "tmp") {
      ++tmp;
    } else {
      ++count[d.tipodoc];
      EXPECT_TRUE(d.serie == "A" || d.serie == "B") << d.serie;
      EXPECT_EQ(d.atcud.substr(d.atcud.find('-') + 1), std::to_string(d.numero));
    }
    if (d.anulado) {
      ++anulados;
      EXPECT_FALSE(Trim(d.motivo).empty());
    }
    bySeries[{d.tipodoc, d.serie}].push_back(&d);
  }
  for (const char* t : {"F", "FR", "FA", "FS", "ND", "NC", "OR", "R"}) EXPECT_GE(count[t], 3) << t;
  EXPECT_GE(anulados, 10);
  EXPECT_GE(tmp, 3);
  // Ids follow the dates too; numbers run 1.. per type and series.
  for (const auto& [key, list] : bySeries) {
    for (size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i]->numero, static_cast<long long>(i + 1)) << key.first << " " << key.second;
      if (i > 0) {
        EXPECT_LE(list[i - 1]->data, list[i]->data);
      }
    }
  }
  // Series and types the export window and the restrictions list offer.
  EXPECT_EQ(db_.CountRows("count(*)", "series", ""), 3);
  EXPECT_EQ(db_.CountRows("count(*)", "seriedocumento", "ultimonumero>0"),
            static_cast<long long>(bySeries.size()));
}

TEST_P(DemoDataTest, CustomersAndTheTaxNumbersOnTheirDocuments) {
  std::map<std::string, std::string> nifs;  // code -> tax number as stored
  std::map<std::string, int> shared;
  int spaced = 0;
  for (Recordset rs = db_.Execute("select CodCliente, NContribuinte from clientes"); !rs.Eof();
       rs.MoveNext()) {
    const std::string nif = rs.Text("NContribuinte");
    nifs[rs.Text("CodCliente")] = nif;
    const std::string digits = RemoveSpaces(nif);
    if (digits.size() != 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    // Portuguese tax numbers end in their mod-11 check digit.
    int sum = 0;
    for (int i = 0; i < 8; ++i) sum += (digits[i] - '0') * (9 - i);
    int check = 11 - sum % 11;
    EXPECT_EQ(digits[8] - '0', check >= 10 ? 0 : check) << rs.Text("CodCliente");
    ++shared[digits];
    spaced += digits != nif ? 1 : 0;
  }
  EXPECT_GE(nifs.size(), 40u);
  EXPECT_GE(spaced, 2);
  int pares = 0;
  for (const auto& [nif, n] : shared) pares += nif != "999999990" && n == 2 ? 1 : 0;
  EXPECT_EQ(pares, 1);
  // The walk-in consumer is the office's undifferentiated customer.
  const std::string walkin =
      db_.ReadValue("ClienteIndiferenciado", "configescritorio", "", Value("")).Text();
  ASSERT_EQ(nifs.count(walkin), 1u);
  EXPECT_EQ(nifs[walkin], "999999990");
  // A document names an existing customer and the tax number the customer
  // has, except one invoice a year issued before the customer's number
  // changed (its CustomerID is the old number's).
  int mudou = 0;
  for (const auto& [id, d] : docs_) {
    ASSERT_EQ(nifs.count(d.codCliente), 1u) << d.codCliente;
    if (d.nif == nifs[d.codCliente]) continue;
    EXPECT_EQ(d.tipodoc, "F") << d.numero;
    ++mudou;
  }
  EXPECT_EQ(mudou, 2);
}

TEST_P(DemoDataTest, NamesOutsideWindows1252OnlyInUtf8Tables) {
  Recordset rs = db_.Execute("select Nome from clientes where CodCliente='0018'");
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rs.Text("Nome"), GetParam().utf8mb4 ? "Łukasz Nowak" : "Lukasz Nowak");
  rs = db_.Execute("select Nome from clientes where CodCliente='0002'");
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rs.Text("Nome"), "João Pedro D'Almeida Santos");
}

// The demo exists to be exported: both years, both versions, without any
// exemption reason to correct, the 2025 file passes the schema check and both
// years' files pass the numbering and ATCUD checks.
TEST_P(DemoDataTest, ExportsEveryYearAndVersionAndValidates) {
  ConfiguracaoEscritorio office;
  LoadOfficeConfig(db_, office);
  const std::string folder = std::filesystem::temp_directory_path().string();
  for (int year : {2025, 2026}) {
    for (int versao : {3, 4}) {
      SCOPED_TRACE(std::to_string(year) + " versao " + std::to_string(versao));
      const ExportOptions options = YearOptions(
          year, versao,
          folder + "/saftpt_demo_" + std::to_string(getpid()) + "_" + GetParam().name() + "_" +
              std::to_string(year) + "_" + std::to_string(versao) + ".xml");
      NoProgress progress;
      CancelingResolver resolver;  // a reason to correct would cancel
      AuditFileBuilder builder(db_, office, options, progress, resolver);
      ASSERT_NO_THROW({
        builder.Build();
        builder.Save();
      });
      // Every document of the period outside the drafts is in the file.
      const std::string period = "Serie<>'tmp' and data>='" + std::to_string(year) +
                                 "-01-01' and data<='" + std::to_string(year) + "-12-31'";
      EXPECT_EQ(builder.Summary().invoices.entries,
                db_.CountRows("count(*)", "documentos",
                              period + " and tipodoc in ('F','FA','FR','FS','ND','NC')"));
      EXPECT_EQ(builder.Summary().quotations.entries,
                db_.CountRows("count(*)", "documentos", period + " and tipodoc='OR'"));
      EXPECT_EQ(builder.Summary().receipts.entries,
                db_.CountRows("count(*)", "documentos", period + " and tipodoc='R'"));
      if (year == 2025 && versao == 4) {
        ValidationReport report = ValidateSaftFile(options.outputPath, DefaultSchemaPath());
        EXPECT_TRUE(report.Valid()) << report.Erro1006();
        EXPECT_TRUE(report.warnings.empty()) << report.warnings.front().message;
      }
      if (versao == 4) {
        AuditReport audit = AuditSaftFile(options.outputPath);
        EXPECT_TRUE(audit.findings.empty()) << audit.findings.front().message;
      }
      std::filesystem::remove(options.outputPath);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DemoDataTest,
                         ::testing::Values(SchemaKind{}, SchemaKind{true, true, true, true}),
                         [](const ::testing::TestParamInfo<SchemaKind>& info) {
                           return info.param.name();
                         });

}  // namespace
}  // namespace saftpt::test

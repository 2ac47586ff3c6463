#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "DocsFixture.h"
#include "base/Error.h"
#include "config/SettingsLocation.h"
#include "saft/ExemptionCheck.h"
#include "saft/ValueFormat.h"

namespace saftpt::test {
namespace {

class ExemptionTest : public DocsTest {
 protected:
  // An exempt line (no VAT amount) with that reason and code.
  void Exempt(int doc, const std::string& reason, const std::string& code = "NULL",
              double net = 50) {
    Insert(Line{.doc = doc, .liquido = net, .taxa = 0, .isencao = reason, .codmencao = code});
  }

  // The section `write` writes; "" when it was cancelled, with the error
  // kept.
  std::string OrCancel(const std::function<std::string()>& write) {
    try {
      return write();
    } catch (const Error& e) {
      error_ = e.Number();
      message_ = e.Description();
      return "";
    }
  }
  std::string InvoicesOrCancel() {
    return OrCancel([this] { return Invoices(); });
  }

  std::string Reasons(const std::string& where) {
    Recordset rs = db_.Execute(
        "select concat(ifnull(isencaoiva,'NULL'),'|',ifnull(CodMencao,'NULL')) as r from "
        "documentoslinhas where " +
        where + " order by ID");
    std::string out;
    for (; !rs.Eof(); rs.MoveNext()) out += rs.Text("r") + "\n";
    return out;
  }

  int error_ = 0;
  std::string message_;
};

TEST_F(ExemptionTest, CodeLookUpMatchesOnlyWhatIsWritten) {
  Exec(
      "INSERT INTO tipoisencaoiva (Nome, CodMencao) VALUES ('Taxa 100% isenta', 'M97'), "
      "('Motivo d''el \\\\ rei', 'M98'), ('Sem código', NULL)");
  auto ctx = Context();
  EXPECT_EQ(CodMencaoFor(*ctx, "  Isento Artigo 9.º do CIVA  "), "M07");
  EXPECT_EQ(CodMencaoFor(*ctx, "isento artigo 9.º do civa"), "M07");  // the column's collation
  EXPECT_EQ(CodMencaoFor(*ctx, "Isento Artigo 10.º do CIVA"), "");
  EXPECT_EQ(CodMencaoFor(*ctx, "Taxa 100% isenta"), "M97");
  EXPECT_EQ(CodMencaoFor(*ctx, "Motivo d'el \\ rei"), "M98");
  EXPECT_EQ(CodMencaoFor(*ctx, "Sem código"), "");
  // Wildcards in a reason match only themselves.
  EXPECT_EQ(CodMencaoFor(*ctx, "%"), "");
  EXPECT_EQ(CodMencaoFor(*ctx, "Taxa 100%"), "");
  EXPECT_EQ(CodMencaoFor(*ctx, "Isento Artigo _.º do CIVA"), "");
  EXPECT_EQ(CodMencaoFor(*ctx, "' or ''='"), "");
}

TEST_F(ExemptionTest, AcceptedReasonsOpenNoDialog) {
  Insert(Doc{.id = 1});
  Exempt(1, "'isento ARTIGO 9.º do civa '");
  Exempt(1, "'  Regime particular do tabaco'", "'M11'");
  Exempt(1, "'Motivo inventado'", "NULL", 0);                           // no amount: not examined
  Insert(Line{.doc = 1, .taxa = 23, .isencao = "'Motivo inventado'"});  // taxed
  std::string xml = InvoicesOrCancel();
  EXPECT_EQ(error_, 0) << message_;
  EXPECT_TRUE(resolver_.cases.empty());
}

// A zero-rated line is written with a reason and, in 1.04_01, a code, on
// invoices and quotations alike: a blank reason, or one that has no code
// stored or in the table, is asked about.
TEST_F(ExemptionTest, ZeroRatedLinesNeedAReasonAndACode) {
  Exec("DELETE FROM tipoisencaoiva WHERE CodMencao='M11'");
  Insert(Doc{.id = 1, .numero = 1});
  Exempt(1, "'Isento Artigo 9.º do CIVA'", "'  '");  // a blank code is looked up: M07
  Exempt(1, "'Regime particular do tabaco'", "'M11'");
  Insert(Doc{.id = 2, .numero = 2});
  Exempt(2, "'   '");
  Insert(Line{.doc = 2, .taxa = 23});  // taxed, without a reason: left alone
  Insert(Doc{.id = 3, .tipo = "OR", .numero = 3});
  Exempt(3, "'Regime particular do tabaco'");
  resolver_.answers = {{ScriptedResolver::kDocument, "M07 - Isento Artigo 9.º do CIVA"},
                       {ScriptedResolver::kCancel, ""}};
  std::string xml = InvoicesOrCancel();
  EXPECT_EQ(error_, 0) << message_;
  ASSERT_EQ(resolver_.cases.size(), 1u);
  EXPECT_EQ(resolver_.cases[0].numero, "2");
  EXPECT_EQ(resolver_.cases[0].currentReason, "");
  EXPECT_EQ(Reasons("IDDoc=2"), "Isento Artigo 9.º do CIVA|M07\nNULL|NULL\n");
  EXPECT_EQ(Count(xml, "<TaxExemptionCode>M07</TaxExemptionCode>"), 2u);

  try {
    Working();
    ADD_FAILURE() << "a quotation line without a code was written";
  } catch (const Error& e) {
    EXPECT_EQ(e.Description(), "Exportação do ficheiro cancelada.");
  }
  ASSERT_EQ(resolver_.cases.size(), 2u);
  EXPECT_EQ(resolver_.cases[1].tipodoc, "OR");
  EXPECT_EQ(resolver_.cases[1].currentReason, "Regime particular do tabaco");

  // 1.03_01 files carry no code.
  options_.schema = SchemaVersion::kV103;
  EXPECT_NE(Working(), "");
  EXPECT_EQ(resolver_.cases.size(), 2u);
}

TEST_F(ExemptionTest, UnacceptedReasonCancelsTheExport) {
  Insert(Doc{.id = 1, .numero = 12});
  Exempt(1, "' Isento art. 9 '");
  InvoicesOrCancel();
  EXPECT_EQ(error_, Error::kBuilder);
  EXPECT_EQ(message_, "Exportação do ficheiro cancelada.");
  ASSERT_EQ(resolver_.cases.size(), 1u);
  const ExemptionCase& c = resolver_.cases[0];
  EXPECT_EQ(c.tipodoc, "F");
  EXPECT_EQ(c.serie, "A");
  EXPECT_EQ(c.numero, "12");
  EXPECT_EQ(c.currentReason, "Isento art. 9");
  EXPECT_EQ(c.periodStart, options_.start);
}

TEST_F(ExemptionTest, DeprecatedCodesAfterTheFirstOfJanuary2023) {
  Insert(Doc{.id = 1, .data = "2023-01-02"});
  Exempt(1, "'Regime particular do tabaco'", "'M08'");
  options_.end = DateTime::Date(2023, 1, 31);
  options_.today = DateTime::Date(2023, 2, 10);

  options_.start = DateTime::Date(2023, 1, 1);  // the day itself: later list, codes not checked
  EXPECT_NE(InvoicesOrCancel(), "");
  EXPECT_TRUE(resolver_.cases.empty());

  options_.start = DateTime::Date(2022, 12, 31);  // earlier list accepts the text
  EXPECT_NE(InvoicesOrCancel(), "");
  EXPECT_TRUE(resolver_.cases.empty());

  options_.start = DateTime::Date(2023, 1, 2);
  EXPECT_EQ(InvoicesOrCancel(), "");
  EXPECT_EQ(error_, Error::kBuilder);
  EXPECT_EQ(resolver_.cases.size(), 1u);
}

// The month starting on `start` is exported, with a document on its tenth day.
void ExportMonth(ExportOptions& o, const DateTime& start) {
  o.start = start;
  o.end = DateTime::Date(start.year, start.month, start.DaysInMonth());
  o.today = DateTime::Date(start.year + start.month / 12, start.month % 12 + 1, 5);
}

// A reason corrected to an entry the dialog offers passes the next export,
// with the shipped table (the four entries that once came back to the dialog)
// and with an office's copy that adds a row.
TEST_F(ExemptionTest, ACorrectedReasonPassesTheNextExport) {
  const std::filesystem::path pasta =
      std::filesystem::temp_directory_path() / ("saftpt-motivos-" + std::to_string(::getpid()));
  std::filesystem::create_directories(pasta);
  const std::string copia = (pasta / kExemptionTableName).string();
  std::ifstream shipped(FindDataFile(kExemptionTableName), std::ios::binary);
  std::ofstream(copia, std::ios::binary)
      << shipped.rdbuf() << "M47,Motivo novo da AT,2025-06-01,,1,1\n";
  EXPECT_EQ(FindExemptionTable((pasta / "lexora.ini").string()), copia);
  const ExemptionTable doEscritorio = ExemptionTable::Read(copia);
  std::filesystem::remove_all(pasta);
  struct Caso {
    DateTime start;
    std::string entry;
    const ExemptionTable& table;
  };
  for (const Caso& c : {
           Caso{DateTime::Date(2023, 5, 1),
                "M26 - Isenção de IVA com direito à dedução no cabaz "
                "alimentar - Lei n.º 17/2023, de 14 de abril",
                ShippedMotivos()},
           Caso{DateTime::Date(2024, 1, 1),
                "M34 - Iva - autoliquidação - Artigo 2.º n.º 1 alínea n) do CIVA",
                ShippedMotivos()},
           Caso{DateTime::Date(2022, 3, 1), "M16 - Isento Artigo 14.º do RITI (ou similar)",
                ShippedMotivos()},
           Caso{DateTime::Date(2019, 1, 1), "M20 - IVA - Regime forefetário", ShippedMotivos()},
           Caso{DateTime::Date(2025, 6, 1), "M47 - Motivo novo da AT", doEscritorio},
       }) {
    SCOPED_TRACE(c.entry);
    Exec("DELETE FROM documentoslinhas; DELETE FROM documentos");
    const std::string data = FormatDate(DateTime::Date(c.start.year, c.start.month, 10));
    Insert(Doc{.id = 1, .data = data});
    Exempt(1, "'Isento por lei'");
    ExportMonth(options_, c.start);
    options_.motivos = c.table;
    resolver_ = ScriptedResolver{};
    resolver_.answers = {{ScriptedResolver::kDocument, c.entry}};
    EXPECT_NE(InvoicesOrCancel(), "") << message_;
    ASSERT_EQ(resolver_.cases.size(), 1u);
    const auto& offered = resolver_.cases[0].offered;
    EXPECT_NE(std::find(offered.begin(), offered.end(), c.entry), offered.end());
    // The next export writes the corrected line without asking again.
    std::string xml = InvoicesOrCancel();
    EXPECT_EQ(resolver_.cases.size(), 1u);
    EXPECT_EQ(Count(xml, "<TaxExemptionCode>" + c.entry.substr(0, 3) + "</TaxExemptionCode>"), 1u);
  }
}

// M44 is in the table from 2025: a 2025 export writes it without a question,
// a 2024 one asks.
TEST_F(ExemptionTest, CodesOf2025FromTheirFirstDay) {
  for (int year : {2025, 2024}) {
    Exec("DELETE FROM documentoslinhas; DELETE FROM documentos");
    Insert(Doc{.id = 1, .data = std::to_string(year) + "-01-10"});
    Exempt(1, "'IVA - Regras específicas - artigo 6.º'", "'M44'");
    ExportMonth(options_, DateTime::Date(year, 1, 1));
    resolver_ = ScriptedResolver{};
    std::string xml = InvoicesOrCancel();
    EXPECT_EQ(resolver_.cases.size(), year == 2025 ? 0u : 1u) << year;
    EXPECT_EQ(Count(xml, "<TaxExemptionCode>M44</TaxExemptionCode>"), year == 2025 ? 1u : 0u);
  }
}

TEST_F(ExemptionTest, EachDistinctTextAndCodeIsAskedOnce) {
  Insert(Doc{.id = 1});
  Exempt(1, "'Motivo A'", "'M07'");
  Exempt(1, "'Motivo A'", "'M07'");
  Exempt(1, "'Motivo B'", "'M07'");
  Exempt(1, "'Motivo B'", "'M99'");
  // Corrected answers that change nothing further: the rows already read are
  // all asked about.
  resolver_.answers = {{ScriptedResolver::kDocument, "M07 - Isento Artigo 9.º do CIVA"},
                       {ScriptedResolver::kDocument, "M07 - Isento Artigo 9.º do CIVA"},
                       {ScriptedResolver::kDocument, "M07 - Isento Artigo 9.º do CIVA"}};
  std::string xml = InvoicesOrCancel();
  EXPECT_EQ(error_, 0) << message_;
  ASSERT_EQ(resolver_.cases.size(), 3u);
  EXPECT_EQ(resolver_.changed, (std::vector<unsigned long long>{2, 2, 0}));
  // The lines are read after the corrections.
  EXPECT_EQ(Count(xml,
                  "<TaxExemptionReason>Isento Artigo 9.º do CIVA</TaxExemptionReason>"
                  "\n        <TaxExemptionCode>M07</TaxExemptionCode>"),
            4u);
}

TEST_F(ExemptionTest, CorrectingOneDocument) {
  Insert(Doc{.id = 1, .numero = 1});
  Exempt(1, "'Isento art 9'", "'M99'");
  Insert(Line{.doc = 1, .taxa = 23, .isencao = "' Isento art 9 '"});  // same text, taxed
  Exempt(1, "'Isento art 9 ao lado'");
  Insert(Doc{.id = 2, .numero = 2});
  Exempt(2, "'Isento art 9'");
  resolver_.answers = {{ScriptedResolver::kDocument, "M07 - Isento Artigo 9.º do CIVA"},
                       {ScriptedResolver::kDocument,
                        "M99 - Não sujeito ou não tributado - "
                        "Outras situações de não liquidação do "
                        "imposto"},
                       {ScriptedResolver::kCancel, ""}};
  InvoicesOrCancel();
  EXPECT_EQ(error_, Error::kBuilder);
  ASSERT_EQ(resolver_.cases.size(), 3u);  // two reasons of the first, then the second document
  EXPECT_EQ(resolver_.cases[2].numero, "2");
  // The taxed line with the same text is corrected with the others.
  EXPECT_EQ(resolver_.changed, (std::vector<unsigned long long>{2, 1}));
  // What the dialog wrote stays written after the cancellation.
  EXPECT_EQ(Reasons("IDDoc=1"),
            "Isento Artigo 9.º do CIVA|M07\nIsento Artigo 9.º do CIVA|M07\n"
            "Não sujeito ou não tributado - Outras situações de não liquidação do imposto|M99\n");
  EXPECT_EQ(Reasons("IDDoc=2"), "Isento art 9|NULL\n");
}

TEST_F(ExemptionTest, CorrectingEveryOccurrenceSince2017) {
  UseKind(SchemaKind{false, false, true});
  Insert(Doc{.id = 1, .numero = 1});
  Exempt(1, "'Isenção «antiga»'");
  Insert(Doc{.id = 2, .numero = 2, .data = "2024-01-20"});
  Exempt(2, "'  Isenção «antiga»'");  // blanks around a reason do not count
  Insert(Doc{.id = 3, .numero = 3, .data = "2017-01-01"});
  Exempt(3, "'Isenção «antiga»'");
  Insert(Doc{.id = 4, .numero = 4, .data = "2016-12-31"});
  Exempt(4, "'Isenção «antiga»'");
  resolver_.answers = {
      {ScriptedResolver::kAll, "M30 - IVA - autoliquidação - Artigo 2.º n.º 1 alínea i) do CIVA"}};
  std::string xml = InvoicesOrCancel();
  EXPECT_EQ(error_, 0) << message_;
  EXPECT_EQ(resolver_.cases.size(), 1u);  // the second document was corrected with the first
  EXPECT_EQ(resolver_.changed, (std::vector<unsigned long long>{3}));
  EXPECT_EQ(Reasons("IDDoc=4"), "Isenção «antiga»|NULL\n");
  EXPECT_EQ(Count(xml, "<TaxExemptionCode>M30</TaxExemptionCode>"), 2u);
}

TEST_F(ExemptionTest, QuotesAndBackslashesCannotChangeWhatIsUpdated) {
  Exec("INSERT INTO series (serie) VALUES ('Q''1')");
  Insert(Doc{.id = 1, .serie = "Q\\'1"});
  Exempt(1, "'Motivo d''el \\\\ rei'");
  Exempt(1, "'Motivo d'", "'M01'");
  Insert(Doc{.id = 2, .serie = "Q"});
  Exempt(2, "'Motivo d''el \\\\ rei'");
  resolver_.answers = {{ScriptedResolver::kDocument, "M07 - Isento Artigo 9.º do CIVA"},
                       {ScriptedResolver::kCancel, ""}};
  InvoicesOrCancel();
  ASSERT_GE(resolver_.cases.size(), 1u);
  EXPECT_EQ(resolver_.cases[0].serie, "Q'1");
  EXPECT_EQ(resolver_.cases[0].currentReason, "Motivo d'el \\ rei");
  EXPECT_EQ(resolver_.changed, (std::vector<unsigned long long>{1}));
  EXPECT_EQ(Reasons("IDDoc=1"), "Isento Artigo 9.º do CIVA|M07\nMotivo d|M01\n");
  EXPECT_EQ(Reasons("IDDoc=2"), "Motivo d'el \\ rei|NULL\n");

  // Every occurrence: still only that exact text.
  ExemptionCase c{"Q", "Q", "1", "Motivo d'el \\ rei", options_.start, {}};
  ExemptionFixer fixer(db_, c);
  EXPECT_EQ(fixer.UpdateAll({"M99", "Outro"}), 1u);
  EXPECT_EQ(Reasons("IDDoc=2"), "Outro|M99\n");
  EXPECT_EQ(Reasons("IDDoc=1"), "Isento Artigo 9.º do CIVA|M07\nMotivo d|M01\n");
}

TEST_F(ExemptionTest, EmptyReasonCannotUpdateEveryOccurrence) {
  Insert(Doc{.id = 1});
  Exempt(1, "''");
  ExemptionCase c{"F", "A", "1", "", options_.start, {}};
  ExemptionFixer fixer(db_, c);
  EXPECT_THROW(fixer.UpdateAll({"M07", "Isento Artigo 9.º do CIVA"}), Error);
  EXPECT_EQ(Reasons("1=1"), "|NULL\n");
}

class PaymentsExemptionTest : public ExemptionTest {
 protected:
  void SetUp() override {
    ExemptionTest::SetUp();
    options_.receipts = true;
    Insert(Doc{.id = 1, .numero = 5, .data = "2023-12-10", .liquido = 90, .iva = 0, .total = 90});
    Exempt(1, "NULL", "NULL", 30);                          // no reason, no code
    Exempt(1, "' Isento Artigo 9.º do CIVA'", "''", 40);    // accepted text, empty code
    Exempt(1, "'Isento Artigo 9.º do CIVA'", "'M07'", 20);  // has its code
    Insert(Line{.doc = 1, .liquido = 10, .taxa = 23, .isencao = "NULL"});  // taxed, no reason
    Insert(Doc{.id = 10, .tipo = "R", .numero = 1, .liquido = 90});
    Insert(Line{.doc = 10,
                .liquido = 90,
                .taxa = 0,
                .referencia = "NULL",
                .extra = ", IDDocP=1, TipoDocP='F', SerieP='A', NumeroP=5, ValorTotal=90"});
  }
  std::string PaymentsOrCancel() {
    return OrCancel([this] { return Payments(); });
  }
};

TEST_F(PaymentsExemptionTest, LinesWithoutCodeOfPaidDocumentsAreAlwaysAsked) {
  PaymentsOrCancel();
  EXPECT_EQ(message_, "Exportação do ficheiro cancelada.");
  ASSERT_EQ(resolver_.cases.size(), 1u);
  EXPECT_EQ(resolver_.cases[0].tipodoc, "F");
  EXPECT_EQ(resolver_.cases[0].numero, "5");  // the paid document, not the receipt

  // 1.03_01 never asks.
  options_.schema = SchemaVersion::kV103;
  resolver_.cases.clear();
  error_ = 0;
  EXPECT_NE(PaymentsOrCancel(), "");
  EXPECT_EQ(error_, 0);
  EXPECT_TRUE(resolver_.cases.empty());
}

TEST_F(PaymentsExemptionTest, CorrectingAMissingReason) {
  resolver_.answers = {{ScriptedResolver::kDocument, "M07 - Isento Artigo 9.º do CIVA"},
                       {ScriptedResolver::kDocument, "M07 - Isento Artigo 9.º do CIVA"}};
  std::string xml = PaymentsOrCancel();
  EXPECT_EQ(error_, 0) << message_;
  ASSERT_EQ(resolver_.cases.size(), 2u);
  EXPECT_EQ(resolver_.cases[0].currentReason, "");  // a Null reason is the empty one
  EXPECT_EQ(resolver_.cases[1].currentReason, " Isento Artigo 9.º do CIVA");  // as stored
  // The empty reason's update reaches the zero-rated lines of the document
  // without one; the taxed line keeps its empty reason.
  EXPECT_EQ(resolver_.changed, (std::vector<unsigned long long>{1, 1}));
  EXPECT_EQ(Reasons("IDDoc=1"),
            "Isento Artigo 9.º do CIVA|M07\nIsento Artigo 9.º do CIVA|M07\n"
            "Isento Artigo 9.º do CIVA|M07\nNULL|NULL\n");
  EXPECT_NE(xml.find("<TaxExemptionCode>M07</TaxExemptionCode>"), std::string::npos);
}

}  // namespace
}  // namespace saftpt::test

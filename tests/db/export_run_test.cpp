// The export run against a small billing database: the checks and their
// messages in the window's order, the overwrite question, a failing export
// that leaves no file, and the summary and folder of a finished one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../ShippedTable.h"
#include "../TestDoubles.h"
#include "ExportFixture.h"
#include "app/ExportRun.h"
#include "config/OfficeConfig.h"

namespace saftpt::test {
namespace {

namespace fs = std::filesystem;

// One office, one customer and one invoice of 100.00 + VAT in March 2024.
const std::string kDados = SeedOffice("501 234 567") + R"sql(
INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, DataEdicao, Anulado, ATCUD,
  CodCliente, NContribuinteCliente, ValorIva, ValorLiquido, ValorTotal, ModoPag)
  VALUES (1, 'F', 'A', 1, '2024-03-05', '2024-03-05 10:00:00', 0, '0', 'C1', '123456789',
  23, 100, 123, 'NU');
INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Referencia, Descricao, Quant,
  Preco, ValorLiquido, Iva, ValorIva, ValorTotal)
  VALUES (1, 'F', 'A', 1, 'H1', 'Consulta', 1, 100, 100, 23, 23, 123);
)sql";

class FakeDialogs : public UserDialogs {
 public:
  void Inform(const std::string& text, const std::string& title) override {
    events.push_back("inform:" + text + "|" + title);
  }
  void Warn(const std::string& text) override { events.push_back("warn:" + text); }
  void ShowError(const std::string& text) override { events.push_back("error:" + text); }
  bool Confirm(const std::string& question) override {
    events.push_back("confirm:" + question);
    return answer;
  }
  void ShowSummary(const std::string& summary) override {
    events.push_back("summary");
    shownSummary = summary;
  }

  bool answer = false;
  std::vector<std::string> events;
  std::string shownSummary;
};

class FakeShell : public Shell {
 public:
  void OpenFolder(const std::string& path) override { events.push_back("folder:" + path); }
  void OpenUrl(const std::string& url) override { events.push_back("url:" + url); }
  std::vector<std::string> events;
};

// Answers every exemption case with the M07 reason, on the document only, or
// cancels; remembers what it was asked.
class FakeResolver : public ExemptionResolver {
 public:
  bool Resolve(const ExemptionCase& c, ExemptionFixer& fixer) override {
    cases.push_back(c);
    if (!fix) return false;
    fixer.UpdateDocument(SeparaMotivo("M07 - Isento Artigo 9.º do CIVA"));
    return true;
  }
  bool fix = false;
  std::vector<ExemptionCase> cases;
};

class ExportRunTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    Exec(kDados);
    request_.options.fiscalYear = "2024";
    request_.options.start = DateTime::Date(2024, 3, 1);
    request_.options.end = DateTime::Date(2024, 3, 31);
    request_.options.today = DateTime::Date(2024, 4, 2);
    request_.options.outputPath = xml_;
    request_.options.motivos = ShippedMotivos();
  }

  ExportResult Run() {
    LoadOfficeConfig(db_, office_);
    ExportRun run(db_, office_, dialogs_, shell_, progress_, resolver_);
    return run.Run(request_);
  }

  ExportRequest request_;
  ConfiguracaoEscritorio office_;
  FakeDialogs dialogs_;
  FakeShell shell_;
  NoProgress progress_;
  FakeResolver resolver_;
};

TEST_F(ExportRunTest, FinishedExportShowsSummaryThenMessageThenFolder) {
  ExportResult r = Run();
  ASSERT_TRUE(r.written) << ::testing::PrintToString(dialogs_.events);
  EXPECT_EQ(dialogs_.events,
            (std::vector<std::string>{"summary",
                                      "inform:Ficheiro exportado|Exportação ficheiro SAFT-PT"}));
  EXPECT_EQ(shell_.events, std::vector<std::string>{"folder:" + outDir_.string() + "/"});
  EXPECT_EQ(r.summary,
            "NIF: 501234567\r\nNºFacturas: 1\r\nTotal Créditos: 100,00\r\nTotal Débitos: 0,00\r\n"
            "NºOrçamentos: 0\r\nTotal Créditos: 0,00\r\nTotal Débitos: 0,00\r\n"
            "NºRecibos: 0\r\nTotal Créditos: 0,00\r\nTotal Débitos: 0,00");
  EXPECT_EQ(dialogs_.shownSummary, r.summary);
  std::string xml = FileText(request_.options.outputPath);
  EXPECT_NE(xml.find("<FiscalYear>2024</FiscalYear>"), std::string::npos);
  EXPECT_NE(xml.find("<InvoiceNo>F A/1</InvoiceNo>"), std::string::npos);
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"saft.xml"});
}

TEST_F(ExportRunTest, PortalOpensAfterTheFolderWhenAsked) {
  request_.openPortal = true;
  request_.decimalSeparator = '.';
  ExportResult r = Run();
  ASSERT_TRUE(r.written);
  EXPECT_EQ(shell_.events, (std::vector<std::string>{"folder:" + outDir_.string() + "/",
                                                     "url:" + PortalAddress()}));
  EXPECT_NE(r.summary.find("Total Créditos: 100.00\r\n"), std::string::npos);
}

TEST_F(ExportRunTest, MissingCodMencaoColumnIsCheckedFirst) {
  Exec("ALTER TABLE tipoisencaoiva DROP COLUMN CodMencao");
  request_.seriesSelected = false;
  request_.options.start = DateTime::Date(2024, 4, 1);
  ExportResult r = Run();
  EXPECT_FALSE(r.written);
  EXPECT_EQ(dialogs_.events, std::vector<std::string>{
                                 "warn:Deve correr o utilitário ZAZorezed para atualizar a Base "
                                 "de Dados."});
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_TRUE(shell_.events.empty());
}

TEST_F(ExportRunTest, NoSeriesSelectedComesBeforeTheDates) {
  request_.seriesSelected = false;
  request_.options.start = DateTime::Date(2024, 4, 1);
  EXPECT_FALSE(Run().written);
  EXPECT_EQ(dialogs_.events, std::vector<std::string>{"warn:Seleccione uma série, p.f."});
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(ExportRunTest, StartAfterEndStops) {
  request_.options.start = DateTime::Date(2024, 4, 1);
  EXPECT_FALSE(Run().written);
  EXPECT_EQ(dialogs_.events,
            std::vector<std::string>{"warn:A data Inicial não pode ser inferior à data final"});
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(ExportRunTest, NoFileChosenStopsSilently) {
  for (const char* caminho : {"", "*.xml"}) {
    request_.options.outputPath = caminho;
    EXPECT_FALSE(Run().written);
  }
  EXPECT_TRUE(dialogs_.events.empty());
  EXPECT_TRUE(shell_.events.empty());
  EXPECT_FALSE(fs::exists("*.xml"));
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(ExportRunTest, ExistingFileKeptWhenOverwriteRefused) {
  std::ofstream(request_.options.outputPath, std::ios::binary) << "antigo\r\n";
  dialogs_.answer = false;
  EXPECT_FALSE(Run().written);
  EXPECT_EQ(dialogs_.events, std::vector<std::string>{
                                 "confirm:Já existe um ficheiro com esse nome. Deseja sobrepôr?"});
  EXPECT_EQ(FileText(request_.options.outputPath), "antigo\r\n");
  EXPECT_TRUE(shell_.events.empty());
}

TEST_F(ExportRunTest, ExistingFileReplacedWhenOverwriteAccepted) {
  std::ofstream(request_.options.outputPath, std::ios::binary) << "antigo\r\n";
  dialogs_.answer = true;
  ASSERT_TRUE(Run().written);
  EXPECT_EQ(dialogs_.events.front(),
            "confirm:Já existe um ficheiro com esse nome. Deseja sobrepôr?");
  std::string xml = FileText(request_.options.outputPath);
  EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"saft.xml"});
}

TEST_F(ExportRunTest, FailingExportLeavesExistingFileUntouched) {
  Exec("UPDATE clientes SET Pais='Atlântida' WHERE CodCliente='C1'");
  std::ofstream(request_.options.outputPath, std::ios::binary) << "antigo";
  dialogs_.answer = true;
  ExportResult r = Run();
  EXPECT_FALSE(r.written);
  EXPECT_TRUE(r.summary.empty());
  ASSERT_EQ(dialogs_.events.size(), 2u);
  EXPECT_EQ(dialogs_.events[1], "error:Deve verificar o nome do País Atlântida no cliente C1");
  EXPECT_TRUE(shell_.events.empty());
  EXPECT_EQ(FileText(request_.options.outputPath), "antigo");
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"saft.xml"});
}

TEST_F(ExportRunTest, CancelledExemptionCorrectionAbandonsTheExport) {
  Exec(
      "UPDATE documentoslinhas SET Iva=0, ValorIva=0, IsencaoIva='Motivo inventado'; "
      "UPDATE documentos SET ValorIva=0, ValorTotal=100");
  EXPECT_FALSE(Run().written);
  ASSERT_EQ(resolver_.cases.size(), 1u);
  EXPECT_EQ(resolver_.cases[0].tipodoc, "F");
  EXPECT_EQ(resolver_.cases[0].serie, "A");
  EXPECT_EQ(resolver_.cases[0].numero, "1");
  EXPECT_EQ(resolver_.cases[0].currentReason, "Motivo inventado");
  EXPECT_EQ(dialogs_.events, std::vector<std::string>{"error:Exportação do ficheiro cancelada."});
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(ExportRunTest, CorrectedExemptionIsExported) {
  Exec(
      "UPDATE documentoslinhas SET Iva=0, ValorIva=0, IsencaoIva='Motivo inventado'; "
      "UPDATE documentos SET ValorIva=0, ValorTotal=100");
  resolver_.fix = true;
  ASSERT_TRUE(Run().written) << ::testing::PrintToString(dialogs_.events);
  EXPECT_EQ(resolver_.cases.size(), 1u);
  std::string xml = FileText(request_.options.outputPath);
  EXPECT_NE(xml.find("<TaxExemptionCode>M07</TaxExemptionCode>"), std::string::npos);
}

TEST_F(ExportRunTest, LostConnectionIsShownAsAnError) {
  LoadOfficeConfig(db_, office_);
  db_.Close();
  ExportRun run(db_, office_, dialogs_, shell_, progress_, resolver_);
  EXPECT_FALSE(run.Run(request_).written);
  ASSERT_EQ(dialogs_.events.size(), 1u);
  EXPECT_EQ(dialogs_.events[0].rfind("error:", 0), 0u);
  EXPECT_TRUE(OutputFiles().empty());
}

}  // namespace
}  // namespace saftpt::test

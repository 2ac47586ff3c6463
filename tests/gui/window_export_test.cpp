// Whole exports started from the window, every question answered by the test.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <filesystem>

#include "WindowFixture.h"

namespace saftpt::test {
namespace {

using Log = std::vector<std::string>;

// The headers and each row, the cells joined by "|"; a row in bold between
// "**", as in Markdown.
Log Rows(const QAbstractItemModel& m) {
  Log rows(1);
  for (int c = 0; c < m.columnCount(); ++c)
    rows[0] += (c ? "|" : "") + m.headerData(c, Qt::Horizontal).toString().toStdString();
  for (int r = 0; r < m.rowCount(); ++r) {
    std::string row;
    for (int c = 0; c < m.columnCount(); ++c) {
      QModelIndex i = m.index(r, c);
      row += (c ? "|" : "") + m.data(i).toString().toStdString();
    }
    bool bold = m.data(m.index(r, 0), Qt::FontRole).value<QFont>().bold();
    rows.push_back(bold ? "**" + row + "**" : row);
  }
  return rows;
}

// On the usual tables and on DOUBLE / DATETIME / utf8mb4 ones.
class WindowExportTest : public WindowTest, public ::testing::WithParamInterface<SchemaKind> {
 protected:
  void SetUp() override {
    kind_ = GetParam();
    WindowTest::SetUp();
    // One invoice on the last day of February 2024: a taxed line and a
    // zero-VAT line whose reason the tax authority does not know.
    Exec(
        "INSERT INTO clientes (CodCliente, NContribuinte, Nome, Morada, CodPostal, Localidade,"
        " Pais) VALUES ('C1', '123456789', 'Cliente Um', 'Rua do Ouro, 1', '1100-060',"
        " 'Lisboa', 'Portugal');"
        "INSERT INTO iva (nome, descricao) VALUES ('23', 'Normal'), ('0', 'Isento');"
        "INSERT INTO honorarios (Referencia, Descricao, Categoria, Valor) VALUES"
        " ('HON', 'Honorários', 'S', 100);"
        "INSERT INTO tipoisencaoiva (Nome, CodMencao) VALUES ('Isento Artigo 9.º do CIVA', 'M07');"
        "INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, DataEdicao, Anulado, ATCUD,"
        " CodCliente, NContribuinteCliente, ValorIva, ValorLiquido, ValorTotal) VALUES"
        " (1, 'F', 'A', 1, '2024-02-29', '2024-02-29 18:30:00', 0, 'ABCD1234-1', 'C1',"
        " '123456789', 23, 150, 173);"
        "INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Referencia, Descricao,"
        " Quant, Preco, ValorLiquido, Iva, ValorIva, ValorTotal, IsencaoIva, CodMencao) VALUES"
        " (1, 'F', 'A', 1, 'HON', 'Honorários', 1, 100, 100, 23, 23, 123, NULL, NULL),"
        " (1, 'F', 'A', 1, 'HON', 'Despesas', 1, 50, 50, 0, 0, 50, 'Isento por lei', '');");
    Open(DateTime::Date(2024, 3, 15));
    Child<QLineEdit>("commentEdit")->setText("Teste da janela");
    dialogs_.saveAs = folder_ + "/saft.xml";
  }

  void Export() { Child<QPushButton>("exportButton")->click(); }
  std::string Summary() {
    return Child<QPlainTextEdit>("summaryText")->toPlainText().toStdString();
  }
};

TEST_P(WindowExportTest, ExportCorrectsTheReasonWritesValidatesAndSummarises) {
  Child<QCheckBox>("validateCheck")->setChecked(true);
  dialogs_.answers = {true};  // "Confirma a atualização?"
  bool controlsDisabled = false;
  WhenModal("saftpt::gui::ExemptionDialog", [&](QWidget* d) {
    controlsDisabled = !window_->findChild<QWidget*>("controls")->isEnabled();
    EXPECT_EQ(d->findChild<QLabel*>("documentLabel")->text(), "Documento: F 1/A");
    auto* combo = d->findChild<QComboBox*>("reasonBox");
    EXPECT_EQ(combo->count(), 29);  // the list of periods from 2023 on
    combo->setCurrentIndex(combo->findText("M07 - Isento Artigo 9.º do CIVA"));
    d->findChild<QPushButton*>("updateDocumentButton")->click();
  });
  Export();

  EXPECT_TRUE(controlsDisabled);
  EXPECT_TRUE(window_->findChild<QWidget*>("controls")->isEnabled());
  EXPECT_EQ(dialogs_.log, (Log{"confirm: Confirma a atualização?",
                               "inform[Exportação ficheiro SAFT-PT]: Ficheiro exportado",
                               "inform[Exportação SAF-T PT]: O ficheiro cumpre as regras da AT."}));
  EXPECT_EQ(shell_.opened, Log{"folder " + folder_ + "/"});
  EXPECT_EQ(Summary(),
            "NIF: 501234567\nNºFacturas: 1\nTotal Créditos: 150,00\nTotal Débitos: 0,00\n"
            "NºOrçamentos: 0\nTotal Créditos: 0,00\nTotal Débitos: 0,00\n"
            "NºRecibos: 0\nTotal Créditos: 0,00\nTotal Débitos: 0,00");
  EXPECT_EQ(dialogs_.asked.name, "SAFT-PT 501234567 2024-02.xml");
  // Beside it, the VAT summary of the file just written, as the test reads it.
  EXPECT_EQ(Child<QLabel>("vatSummaryCaption")->text(),
            "Resumo do IVA e das retenções na fonte (1 documentos de venda não anulados)");
  auto* table = Child<QTableView>("vatSummaryTable");
  EXPECT_EQ(Rows(*table->model()),
            (Log{"Imposto|Região|Código|Taxa|Base|Valor", "IVA|PT|NOR|23,00|100,00|23,00",
                 "IVA|PT|ISE|0,00|50,00|0,00", "**Total do IVA||||150,00|23,00**",
                 "Isenção||M07||50,00|0,00", "TaxPayable dos documentos|||||23,00"}));
  QModelIndex base = table->model()->index(0, 4);
  EXPECT_EQ(table->model()->data(base, Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
            Qt::AlignRight);
  Child<QPushButton>("copyVatSummaryButton")->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "Imposto\tRegião\tCódigo\tTaxa\tBase\tValor\nIVA\tPT\tNOR\t23,00\t100,00\t23,00\n"
            "IVA\tPT\tISE\t0,00\t50,00\t0,00\nTotal do IVA\t\t\t\t150,00\t23,00\n"
            "Isenção\t\tM07\t\t50,00\t0,00\nTaxPayable dos documentos\t\t\t\t\t23,00\n"
            "\nPor mês\nMês\tImposto\tRegião\tCódigo\tTaxa\tBase\tValor\n"
            "2\tIVA\tPT\tNOR\t23,00\t100,00\t23,00\n2\tIVA\tPT\tISE\t0,00\t50,00\t0,00\n"
            "2\tTotal do IVA\t\t\t\t150,00\t23,00\n2\tIsenção\t\tM07\t\t50,00\t0,00\n"
            "2\tTaxPayable dos documentos\t\t\t\t\t23,00\n");
  // The months, as `saftpt summary` prints them under "Por mês".
  EXPECT_EQ(Rows(*Child<QTableView>("vatMonthsTable")->model())[3],
            "**2|Total do IVA||||150,00|23,00**");
  auto* tabs = Child<QTabWidget>("summaryTabs");
  tabs->setCurrentIndex(1);
  SaveScreenshot(window_.get(), "frmExportacaoSAFT_resumo_iva");
  tabs->setCurrentIndex(0);
  // "Guardar CSV…": beside the file, what `saftpt summary --csv` writes.
  std::string audit = dialogs_.saveAs;
  dialogs_.saveAs = folder_ + "/iva.csv";
  Child<QPushButton>("saveVatCsvButton")->click();
  EXPECT_EQ(dialogs_.asked.folder, folder_);
  EXPECT_EQ(dialogs_.asked.name, "saft-resumo-iva.csv");
  EXPECT_EQ(ReadFile(dialogs_.saveAs),
            "imposto,regiao,codigo,taxa,base,valor\nIVA,PT,NOR,23.00,100.00,23.00\n"
            "IVA,PT,ISE,0.00,50.00,0.00\nISENCAO,,M07,,50.00,0.00\nTAXPAYABLE,,,,,23.00\n");
  dialogs_.saveAs = audit;

  std::string xml = ReadFile(dialogs_.saveAs);
  for (const char* part :
       {"<AuditFileVersion>1.04_01</AuditFileVersion>", "<FiscalYear>2024</FiscalYear>",
        "<StartDate>2024-02-01</StartDate>", "<EndDate>2024-02-29</EndDate>",
        "<HeaderComment>Teste da janela</HeaderComment>", "<InvoiceNo>F A/1</InvoiceNo>",
        "<TaxExemptionCode>M07</TaxExemptionCode>"})
    EXPECT_NE(xml.find(part), std::string::npos) << part;
  Recordset rs = db_.Execute("select CodMencao from documentoslinhas where Iva=0");
  EXPECT_EQ(rs.Text("CodMencao"), "M07");

  // After a restart, the save dialog opens where the file went.
  Open(DateTime::Date(2024, 3, 15));
  // Again to the same file, refusing to overwrite it: nothing changes.
  dialogs_.log.clear();
  dialogs_.answers = {false};
  Child<QPlainTextEdit>("summaryText")->setPlainText("anterior");
  Export();
  EXPECT_EQ(dialogs_.log, Log{"confirm: Já existe um ficheiro com esse nome. Deseja sobrepôr?"});
  EXPECT_EQ(dialogs_.asked.folder, folder_);
  EXPECT_EQ(ReadFile(dialogs_.saveAs), xml);
  EXPECT_EQ(Summary(), "anterior");

  // The older version, overwriting, with the portal: the reason is now known.
  dialogs_.log.clear();
  dialogs_.answers = {true};
  shell_.opened.clear();
  Child<QComboBox>("versionBox")->setCurrentIndex(0);
  Child<QCheckBox>("openPortalCheck")->setChecked(true);
  Child<QCheckBox>("validateCheck")->setChecked(false);
  Export();
  EXPECT_EQ(dialogs_.log, (Log{"confirm: Já existe um ficheiro com esse nome. Deseja sobrepôr?",
                               "inform[Exportação ficheiro SAFT-PT]: Ficheiro exportado"}));
  ASSERT_EQ(shell_.opened.size(), 2u);
  EXPECT_NE(
      shell_.opened[1].find("/jsp/loginRedirectForm.jsp?path=painelEmitente.action&partID=EFPF"),
      std::string::npos);
  EXPECT_NE(ReadFile(dialogs_.saveAs).find("<AuditFileVersion>1.03_01</AuditFileVersion>"),
            std::string::npos);
  EXPECT_NE(Summary().find("NºFacturas: 1"), std::string::npos);
  SaveScreenshot(window_.get(), "frmExportacaoSAFT_exportado");
}

TEST_P(WindowExportTest, TheCheckIsOnAndListsWhatToFixAfterTheSummary) {
  EXPECT_TRUE(Child<QCheckBox>("validateCheck")->isChecked());
  // Only the taxed line, and a second invoice whose lines were lost.
  Exec(
      "DELETE FROM documentoslinhas WHERE Iva=0;"
      "UPDATE documentos SET ValorLiquido=100, ValorTotal=123 WHERE IDDoc=1;"
      "INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, DataEdicao, Anulado, ATCUD,"
      " CodCliente, NContribuinteCliente, ValorIva, ValorLiquido, ValorTotal) VALUES"
      " (2, 'F', 'A', 2, '2024-02-29', '2024-02-29 18:40:00', 0, 'ABCD1234-2', 'C1',"
      " '123456789', 0, 0, 0);");
  Export();
  EXPECT_EQ(dialogs_.log, (Log{"inform[Exportação ficheiro SAFT-PT]: Ficheiro exportado",
                               "problems: F A/2: documento sem linhas"}));
  EXPECT_NE(Summary().find("NºFacturas: 2"), std::string::npos) << Summary();

  // The older version has no schema here: the window says it is not checked.
  dialogs_.log.clear();
  dialogs_.answers = {true};  // overwrite
  Child<QComboBox>("versionBox")->setCurrentIndex(0);
  Export();
  ASSERT_EQ(dialogs_.log.size(), 3u);
  EXPECT_EQ(dialogs_.log[2],
            "inform[Exportação SAF-T PT]: O ficheiro não foi verificado: não há aqui esquema da "
            "AT para a versão 1.03_01.");
}

TEST_P(WindowExportTest, CancellingTheReasonAbandonsTheExport) {
  WhenModal("saftpt::gui::ExemptionDialog",
            [](QWidget* d) { d->findChild<QPushButton*>("cancelButton")->click(); });
  Export();
  EXPECT_EQ(dialogs_.log, Log{"error: Exportação do ficheiro cancelada."});
  EXPECT_FALSE(std::filesystem::exists(dialogs_.saveAs));
  EXPECT_EQ(Summary(), "");
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_TRUE(window_->findChild<QWidget*>("controls")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Kinds, WindowExportTest,
                         ::testing::Values(SchemaKind{}, SchemaKind{true, true, true, true}),
                         [](const auto& info) { return info.param.name(); });

}  // namespace
}  // namespace saftpt::test

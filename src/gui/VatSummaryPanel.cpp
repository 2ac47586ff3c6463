#include "gui/VatSummaryPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <filesystem>

#include "app/ExportFileNames.h"
#include "gui/Tables.h"
#include "gui/Widgets.h"

namespace saftpt::gui {

namespace {

QStandardItem* Cell(const std::string& text) {
  return new QStandardItem(Q(text));
}

// An amount or a rate, right-aligned; the copy keeps it without the
// thousands apart.
QStandardItem* Number(const std::optional<long long>& centesimos) {
  auto* cell = new QStandardItem;
  cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (!centesimos) return cell;
  cell->setText(Q(EurosPortugues(*centesimos)));
  cell->setData(Q(EurosPortugues(*centesimos, false)), Qt::UserRole);
  return cell;
}

}  // namespace

VatSummaryPanel::VatSummaryPanel(GuiDialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
  caption_ = NamedChild<QLabel>(this, "vatSummaryCaption");
  QStringList headers;
  for (const char* column : kColunasResumoIva) headers << column;
  model_ = NewTableModel(this, headers);
  table_ = NewTable(this, "vatSummaryTable", model_);
  monthsCaption_ = NamedChild<QLabel>(this, "vatMonthsCaption", kPorMes);
  monthsModel_ = NewTableModel(this, QStringList(kColunaMes) + headers);
  monthsTable_ = NewTable(this, "vatMonthsTable", monthsModel_);
  copyButton_ = NewCopyButton(this, "copyVatSummaryButton", [this] { return CopyText(); });
  saveCsvButton_ = NamedChild<QPushButton>(this, "saveVatCsvButton", "Guardar CSV…");
  copyButton_->setEnabled(false);
  saveCsvButton_->setEnabled(false);
  connect(saveCsvButton_, &QPushButton::clicked, this, [this] { SaveCsv(); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copyButton_);
  buttons->addWidget(saveCsvButton_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption_);
  layout->addWidget(table_, 1);
  layout->addWidget(monthsCaption_);
  layout->addWidget(monthsTable_, 1);
  layout->addLayout(buttons);
}

void VatSummaryPanel::Show(const std::string& path) {
  model_->removeRows(0, model_->rowCount());
  monthsModel_->removeRows(0, monthsModel_->rowCount());
  auditPath_ = path;
  resumo_ = {};
  bool read = false;
  try {
    resumo_ = ComputeResumoIva(path);
    caption_->setText(Q(ResumoIvaTitulo(resumo_)));
    for (const LinhaResumoIva& linha : LinhasResumoIva(resumo_.total))
      model_->appendRow(Row(linha));
    for (const auto& [mes, totais] : resumo_.meses) {
      for (const LinhaResumoIva& linha : LinhasResumoIva(totais))
        monthsModel_->appendRow(Row(linha, {Cell(std::to_string(mes))}));
    }
    read = true;
  } catch (const std::exception& e) {  // shown in the caption, the buttons off
    caption_->setText(Q(e.what()));
  }
  // As `saftpt summary`: no monthly part without documents.
  monthsCaption_->setVisible(!resumo_.meses.empty());
  monthsTable_->setVisible(!resumo_.meses.empty());
  copyButton_->setEnabled(read);
  saveCsvButton_->setEnabled(read);
  table_->resizeColumnsToContents();
  monthsTable_->resizeColumnsToContents();
}

QString VatSummaryPanel::CopyText() const {
  QString text = TabSeparated(*model_);
  if (resumo_.meses.empty()) return text;
  return text + "\n" + kPorMes + "\n" + TabSeparated(*monthsModel_);
}

QList<QStandardItem*> VatSummaryPanel::Row(const LinhaResumoIva& l, QList<QStandardItem*> row) {
  row << Cell(l.Rotulo()) << Cell(l.regiao) << Cell(l.codigo)
      << Number(l.taxa < 0 ? std::nullopt : std::optional<long long>(l.taxa)) << Number(l.base)
      << Number(l.valor);
  if (l.tipo == LinhaResumoIva::Tipo::kTotalIva) {
    for (QStandardItem* cell : row) {
      QFont bold = cell->font();
      bold.setBold(true);
      cell->setFont(bold);
    }
  }
  return row;
}

void VatSummaryPanel::SaveCsv() {
  std::filesystem::path beside(ResumoIvaCsvPath(auditPath_));
  std::string path = dialogs_.AskSaveFile({"Guardar resumo do IVA", beside.parent_path().string(),
                                           beside.filename().string(), "CSV (*.csv)", "csv"});
  if (path.empty()) return;
  try {
    SaveResumoIvaCsv(resumo_, path);
  } catch (const std::exception& e) {  // shown; the panel is as it was
    dialogs_.ShowError(e.what());
  }
}

}  // namespace saftpt::gui

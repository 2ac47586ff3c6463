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
  copyButton_ = NewCopyButton(this, "copyVatSummaryButton", model_);
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
  layout->addLayout(buttons);
}

void VatSummaryPanel::Show(const std::string& path) {
  model_->removeRows(0, model_->rowCount());
  auditPath_ = path;
  bool read = false;
  try {
    resumo_ = ComputeResumoIva(path);
    caption_->setText(Q(ResumoIvaTitulo(resumo_)));
    for (const LinhaResumoIva& linha : LinhasResumoIva(resumo_.total)) AddRow(linha);
    read = true;
  } catch (const std::exception& e) {
    caption_->setText(Q(e.what()));
  }
  copyButton_->setEnabled(read);
  saveCsvButton_->setEnabled(read);
  table_->resizeColumnsToContents();
}

void VatSummaryPanel::AddRow(const LinhaResumoIva& l) {
  QList<QStandardItem*> row = {
      Cell(l.Rotulo()), Cell(l.regiao),
      Cell(l.codigo),   Number(l.taxa < 0 ? std::nullopt : std::optional<long long>(l.taxa)),
      Number(l.base),   Number(l.valor)};
  if (l.tipo == LinhaResumoIva::Tipo::kTotalIva) {
    for (QStandardItem* cell : row) {
      QFont bold = cell->font();
      bold.setBold(true);
      cell->setFont(bold);
    }
  }
  model_->appendRow(row);
}

void VatSummaryPanel::SaveCsv() {
  std::filesystem::path beside(ResumoIvaCsvPath(auditPath_));
  std::string path = dialogs_.AskSaveFile({"Guardar resumo do IVA", beside.parent_path().string(),
                                           beside.filename().string(), "CSV (*.csv)", "csv"});
  if (path.empty()) return;
  try {
    SaveResumoIvaCsv(resumo_, path);
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
  }
}

}  // namespace saftpt::gui

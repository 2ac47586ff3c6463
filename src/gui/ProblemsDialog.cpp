#include "gui/ProblemsDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "gui/GuiDialogs.h"
#include "gui/Tables.h"
#include "gui/Widgets.h"

namespace saftpt::gui {

namespace {

void AddRow(QStandardItemModel* model, const std::string& documento, const std::string& linha,
            const std::string& problema) {
  model->appendRow({new QStandardItem(Q(documento)), new QStandardItem(Q(linha)),
                    new QStandardItem(Q(problema))});
}

}  // namespace

ProblemsDialog::ProblemsDialog(const VerificacaoDoFicheiro& check, QWidget* parent)
    : QDialog(parent) {
  setObjectName("problemsDialog");
  setWindowTitle(kTituloAplicacao);
  model_ = NewTableModel(this, {"Documento", "Linha", "Problema"});
  for (const ProblemaDoFicheiro& p : check.problemas)
    AddRow(model_, p.documento, p.linha, p.problema);
  for (const std::string& aviso : check.avisos) AddRow(model_, "", "", "Aviso: " + aviso);

  QTableView* table = NewTable(this, "problemsTable", model_);
  table->resizeColumnsToContents();
  auto* okButton = NamedChild<QPushButton>(this, "okButton", "OK");
  okButton->setDefault(true);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(NewCopyButton(this, "copyButton", model_));
  buttons->addStretch();
  buttons->addWidget(okButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table, 1);
  layout->addLayout(buttons);
  resize(640, 320);
}

}  // namespace saftpt::gui
